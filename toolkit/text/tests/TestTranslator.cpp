// Translating a small designed window, and message box presets.
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "toolkit/text/Translator.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "testing/TestRegistry.h"

namespace {

// A window as the designer made it: German captions, Tags on every control.
struct DesignedWindow {
    QDialog window;
    QLabel *label;
    QPushButton *button;
    QCheckBox *check;
    QComboBox *combo;
    QTabWidget *pages;
    QGroupBox *radioGroup;
    QLabel *direct;
    QAction *action;
    QLabel *untagged;

    DesignedWindow()
    {
        window.setWindowTitle(QStringLiteral("Entwurf"));
        tk::setTag(&window, 1);
        label = new QLabel(QStringLiteral("Name:"), &window);
        tk::setTag(label, 2);
        button = new QPushButton(QStringLiteral("&Abbrechen"), &window);
        tk::setTag(button, 3);
        check = new QCheckBox(QStringLiteral("Nur Hinweis"), &window);
        tk::setTag(check, 4);
        combo = new QComboBox(&window);
        combo->addItems({QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("drei")});
        tk::setTag(combo, 5);
        pages = new QTabWidget(&window);
        auto *first = new QWidget;
        auto *second = new QWidget;
        pages->addTab(first, QStringLiteral("Daten"));
        pages->addTab(second, QStringLiteral("Notizen"));
        tk::setTag(second, 6);
        radioGroup = new QGroupBox(QStringLiteral("Sortierung"), &window);
        radioGroup->setProperty("RadioGroup", true);
        new QRadioButton(QStringLiteral("Name"), radioGroup);
        new QRadioButton(QStringLiteral("Ort"), radioGroup);
        tk::setTag(radioGroup, 7);
        direct = new QLabel(QStringLiteral("direkt"), &window);
        tk::setTag(direct, 10004);
        action = new QAction(QStringLiteral("&Datei"), &window);
        tk::setTag(action, 8);
        untagged = new QLabel(QStringLiteral("bleibt"), &window);
    }
};

} // namespace

class TestTranslator : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void translatesEveryKindByBasePlusTag();
    void hintsSplitAtTheBar();
    void missingEntriesKeepTheDesign();
    void noLanguageKeepsEverything();
    void presetAnswersReplaceTheBox();
};

void TestTranslator::init()
{
    tk::Language::current().load(
        "[English]\r\n"
        "101=Design\r\n"
        "102=Name:\r\n"
        "103=&Cancel\r\n"
        "5104=Only a hint|The long text of the hint\r\n"
        "105=one\\ntwo\r\n"
        "106=Notes\r\n"
        "107=Order\\nBy name\\nBy town\\nsurplus\r\n"
        "108=&File\r\n"
        "5108=no hint for menu items\r\n"
        "10004=This function is not available here.\r\n");
}

void TestTranslator::cleanup()
{
    tk::Language::current().clear();
    tk::MessageBox::clearPresets();
}

void TestTranslator::translatesEveryKindByBasePlusTag()
{
    DesignedWindow w;
    tk::translateWindow(&w.window, 100);
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Design"));
    QCOMPARE(w.label->text(), QStringLiteral("Name:"));
    QCOMPARE(w.button->text(), QStringLiteral("&Cancel"));
    QCOMPARE(w.combo->itemText(0), QStringLiteral("one"));
    QCOMPARE(w.combo->itemText(1), QStringLiteral("two"));
    QCOMPARE(w.combo->itemText(2), QStringLiteral("drei"));
    QCOMPARE(w.pages->tabText(0), QStringLiteral("Daten"));
    QCOMPARE(w.pages->tabText(1), QStringLiteral("Notes"));
    QCOMPARE(w.radioGroup->title(), QStringLiteral("Order"));
    const auto radios = w.radioGroup->findChildren<QRadioButton *>();
    QCOMPARE(radios.at(0)->text(), QStringLiteral("By name"));
    QCOMPARE(radios.at(1)->text(), QStringLiteral("By town"));
    QCOMPARE(w.direct->text(), QStringLiteral("This function is not available here."));
    QCOMPARE(w.action->text(), QStringLiteral("&File"));
    QCOMPARE(w.action->toolTip(), QStringLiteral("File")); // Qt's own, not the hint
    QCOMPARE(w.untagged->text(), QStringLiteral("bleibt"));
}

void TestTranslator::hintsSplitAtTheBar()
{
    DesignedWindow w;
    w.label->setToolTip(QStringLiteral("design hint"));
    tk::translateWindow(&w.window, 100);
    QCOMPARE(w.check->toolTip(), QStringLiteral("Only a hint"));
    QCOMPARE(w.check->statusTip(), QStringLiteral("The long text of the hint"));
    // A control whose hint number has no entry gets an empty hint.
    QCOMPARE(w.label->toolTip(), QString());
    // Direct numbers leave the hint alone.
    QCOMPARE(w.direct->toolTip(), QString());
}

void TestTranslator::missingEntriesKeepTheDesign()
{
    DesignedWindow w;
    tk::translateWindow(&w.window, 100);
    QCOMPARE(w.check->text(), QStringLiteral("Nur Hinweis")); // caption 104 missing, hint 5104 present
}

void TestTranslator::noLanguageKeepsEverything()
{
    tk::Language::current().load(QByteArray());
    DesignedWindow w;
    tk::translateWindow(&w.window, 100);
    QCOMPARE(w.window.windowTitle(), QStringLiteral("Entwurf"));
    QCOMPARE(w.button->text(), QStringLiteral("&Abbrechen"));
    QCOMPARE(w.combo->itemText(0), QStringLiteral("eins"));
}

void TestTranslator::presetAnswersReplaceTheBox()
{
    const int before = tk::MessageBox::shownCount();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::No);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    QCOMPARE(tk::MessageBox::confirmation(nullptr, QStringLiteral("Close?")), tk::MessageBox::Answer::No);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Confirmation);
    QCOMPARE(tk::MessageBox::error(nullptr, QStringLiteral("Broken")), tk::MessageBox::Answer::Ok);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Broken"));
    QCOMPARE(tk::MessageBox::shownCount(), before + 2);

    // Without a preset the real box appears; closing it with Escape is Cancel.
    QTimer::singleShot(50, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(tk::MessageBox::show(nullptr, tk::MessageBox::Kind::Warning, QStringLiteral("Sure?"),
                                  tk::MessageBox::Buttons::OkCancel),
             tk::MessageBox::Answer::Cancel);
}

TESSARON_TEST(TestTranslator)
#include "TestTranslator.moc"
