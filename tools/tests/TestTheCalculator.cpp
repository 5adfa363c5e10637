// The calculator window driven by keys and clicks, and its tape printout.
#include "testing/TestRegistry.h"

#include "tools/CalculatorEngine.h"
#include "tools/TTheCalculator.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

using tools::CalculatorEngine;
using tools::TTheCalculator;

namespace {

platform::FormatSettings german()
{
    return platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
}

QString displayOf(const TTheCalculator &calculator)
{
    return calculator.findChild<QLabel *>(QStringLiteral("Display"))->text();
}

void click(const TTheCalculator &calculator, const char *button)
{
    auto *widget = calculator.findChild<QPushButton *>(QLatin1String(button));
    QVERIFY2(widget, button);
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace

class TestTheCalculator : public QObject {
    Q_OBJECT

private slots:
    void keyCodes_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("digit") << int(Qt::Key_7) << 0 << "7" << int('7');
        QTest::newRow("Enter is =") << int(Qt::Key_Return) << 0 << "\r" << int('=');
        QTest::newRow("keypad Enter is =") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << int('=');
        QTest::newRow("Escape quits") << int(Qt::Key_Escape) << 0 << "" << int(CalculatorEngine::KeyQuit);
        QTest::newRow("Tab is Opt") << int(Qt::Key_Tab) << 0 << "\t" << int(CalculatorEngine::KeyOpt);
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << "" << int(CalculatorEngine::KeyBackspace);
        QTest::newRow("Ctrl+L is C") << int(Qt::Key_L) << int(Qt::ControlModifier) << "" << int(CalculatorEngine::KeyC);
        QTest::newRow("Ctrl+A is Use") << int(Qt::Key_A) << int(Qt::ControlModifier) << "" << int(CalculatorEngine::KeyUse);
        QTest::newRow("locale separator is the decimal key") << int(Qt::Key_Comma) << 0 << "," << int('.');
        QTest::newRow("percent") << int(Qt::Key_Percent) << int(Qt::ShiftModifier) << "%" << int('%');
        QTest::newRow("letter does nothing") << int(Qt::Key_X) << 0 << "x" << 0;
        QTest::newRow("Ctrl+X does nothing") << int(Qt::Key_X) << int(Qt::ControlModifier) << "" << 0;
    }

    void keyCodes()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, code);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QCOMPARE(TTheCalculator::keyCode(&event, QLatin1Char(',')), code);
    }

    void typingReachesTheWindowBeforeItsControls()
    {
        TTheCalculator calculator(german(), nullptr);
        calculator.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calculator));
        // A clicked key must not keep the focus, or Enter would press it.
        click(calculator, "Button_1");
        QTest::keyClicks(&calculator, "2+3,5");
        QTest::keyClick(&calculator, Qt::Key_Return);
        QCOMPARE(displayOf(calculator), QStringLiteral("15,50 "));
        QCOMPARE(calculator.engine().tape().at(calculator.engine().tape().size() - 2), QStringLiteral("      15,50  ="));
        const QString tapeText = calculator.findChild<QTextEdit *>(QStringLiteral("ScreenTicket"))->toPlainText();
        QCOMPARE(tapeText.split(QLatin1Char('\n')), calculator.engine().tape());
    }

    void memoryButtonsFollowTheMemory()
    {
        TTheCalculator calculator(german(), nullptr);
        calculator.show();
        auto *mr = calculator.findChild<QPushButton *>(QStringLiteral("Button_MR"));
        auto *mc = calculator.findChild<QPushButton *>(QStringLiteral("Button_MC"));
        QVERIFY(!mr->isVisible() && !mc->isVisible());
        click(calculator, "Button_4");
        click(calculator, "Button_MPlus");
        QVERIFY(mr->isVisible() && mc->isVisible());
        click(calculator, "Button_MC");
        QVERIFY(!mr->isVisible() && !mc->isVisible());
    }

    void optionsShowEditorThenInformation()
    {
        TTheCalculator calculator(german(), nullptr);
        calculator.show();
        auto *display = calculator.findChild<QLabel *>(QStringLiteral("Display"));
        auto *edit = calculator.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        auto *contact = calculator.findChild<QLabel *>(QStringLiteral("Label3"));
        QTest::keyClick(&calculator, Qt::Key_Tab);
        QVERIFY(!display->isVisible());
        QVERIFY(edit->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("2"));
        // The decimals field takes the focus, so a digit typed goes there.
        QTRY_VERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_4);
        QCOMPARE(edit->text(), QStringLiteral("4"));
        edit->setText(QStringLiteral("2"));
        QTest::mouseClick(calculator.findChild<QWidget *>(QStringLiteral("UpDown1Up")), Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("3"));
        click(calculator, "Button_Opt");
        QVERIFY(contact->isVisible());
        QCOMPARE(contact->text(), TTheCalculator::contactAddress());
        QCOMPARE(calculator.engine().decimals(), 3);
        click(calculator, "Button_Opt");
        QVERIFY(display->isVisible());
        QCOMPARE(displayOf(calculator), QStringLiteral("0,000 "));
    }

    void escapeQuitsAndUseAccepts()
    {
        TTheCalculator quit(german(), nullptr);
        quit.show();
        QTest::keyClick(&quit, Qt::Key_Escape);
        QVERIFY(!quit.isVisible());
        QCOMPARE(quit.result(), int(QDialog::Rejected));

        TTheCalculator use(german(), nullptr);
        use.show();
        click(use, "Button_Use");
        QVERIFY(!use.isVisible());
        QCOMPARE(use.result(), int(QDialog::Accepted));
    }

    void printsEveryTapeLine()
    {
        TTheCalculator calculator(german(), nullptr);
        for (char key : QByteArray("12+3="))
            calculator.handleKey(key);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("tape.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(calculator.printTape(&printer));
        QVERIFY(QFile(pdf).size() > 0);

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        QProcess process;
        process.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(10000));
        const QString text = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("Calculator")), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("15,00 +="))), qPrintable(text));
    }
};

TESSARON_TEST(TestTheCalculator)

#include "TestTheCalculator.moc"
