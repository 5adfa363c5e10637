// The month calendar: today button, month and year steps, window sizes and
// its texts from the language files.
#include "testing/TestRegistry.h"

#include "toolkit/text/Language.h"
#include "tools/TfrmCalendar.h"

#include <QCalendarWidget>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using tools::TfrmCalendar;

namespace {

template <class T = QPushButton>
T *child(const TfrmCalendar &calendar, const char *name)
{
    return calendar.findChild<T *>(QLatin1String(name));
}

} // namespace

class TestfrmCalendar : public QObject {
    Q_OBJECT

private slots:
    void init() { tk::Language::current().clear(); }
    void cleanupTestCase() { tk::Language::current().clear(); }

    void headlineAndTodayCaption()
    {
        QCOMPARE(TfrmCalendar::headline(QDate(1999, 12, 8)), QStringLiteral("8. Dezember 1999"));
        QCOMPARE(TfrmCalendar::headline(QDate(2024, 3, 31)), QString::fromUtf8("31. M\u00e4rz 2024"));
        QCOMPARE(TfrmCalendar::shortDate(QDate(1999, 12, 8)), QStringLiteral("8.12.1999"));
        QCOMPARE(TfrmCalendar::shortDate(QDate(2001, 2, 3)), QStringLiteral("3.2.2001"));
    }

    void todayButtonFollowsTheSelection()
    {
        TfrmCalendar calendar;
        const QDate today = calendar.today();
        auto *todayButton = child(calendar, "btntoday");
        auto *grid = child<QCalendarWidget>(calendar, "ZVCalendar");
        QCOMPARE(calendar.selectedDate(), today);
        QCOMPARE(child<QLabel>(calendar, "PanelMnth")->text(), TfrmCalendar::headline(today));
        QCOMPARE(todayButton->text(), TfrmCalendar::shortDate(today));
        QVERIFY(!todayButton->isEnabled());

        grid->setSelectedDate(today.addDays(3));
        QVERIFY(todayButton->isEnabled());
        QCOMPARE(child<QLabel>(calendar, "PanelMnth")->text(), TfrmCalendar::headline(today.addDays(3)));

        QTest::mouseClick(todayButton, Qt::LeftButton);
        QCOMPARE(calendar.selectedDate(), today);
        QVERIFY(!todayButton->isEnabled());
    }

    void monthAndYearSteps_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("to");
        QTest::newRow("31 Jan + month") << QDate(2001, 1, 31) << "BitBtnNextMnth" << QDate(2001, 2, 28);
        QTest::newRow("31 Jan + month, leap year") << QDate(2000, 1, 31) << "BitBtnNextMnth" << QDate(2000, 2, 29);
        QTest::newRow("31 Mar - month") << QDate(2001, 3, 31) << "BitBtnPrevMnth" << QDate(2001, 2, 28);
        QTest::newRow("December + month") << QDate(1999, 12, 15) << "BitBtnNextMnth" << QDate(2000, 1, 15);
        QTest::newRow("29 Feb - year") << QDate(2000, 2, 29) << "BitBtnPrevYr" << QDate(1999, 2, 28);
        QTest::newRow("29 Feb + year") << QDate(2000, 2, 29) << "BitBtnNextYr" << QDate(2001, 2, 28);
        QTest::newRow("plain year") << QDate(2010, 6, 1) << "BitBtnNextYr" << QDate(2011, 6, 1);
    }

    void monthAndYearSteps()
    {
        QFETCH(QDate, from);
        QFETCH(QString, button);
        QFETCH(QDate, to);
        TfrmCalendar calendar;
        child<QCalendarWidget>(calendar, "ZVCalendar")->setSelectedDate(from);
        QTest::mouseClick(child(calendar, qPrintable(button)), Qt::LeftButton);
        QCOMPARE(calendar.selectedDate(), to);
        QCOMPARE(child<QLabel>(calendar, "PanelMnth")->text(), TfrmCalendar::headline(to));
    }

    void oneLineAndBack()
    {
        TfrmCalendar calendar;
        calendar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar));
        const QSize full = calendar.size();
        auto *expand = child(calendar, "ExpandBtn");
        auto *shrink = child(calendar, "ShrinkBtn");
        QVERIFY(!expand->isVisible() && shrink->isVisible());

        QTest::mouseClick(child(calendar, "BtnOneLine"), Qt::LeftButton);
        QCOMPARE(calendar.currentSize(), TfrmCalendar::Size::OneLine);
        QVERIFY(child<QLabel>(calendar, "PanelMnth")->isVisible());
        QVERIFY(child(calendar, "btntoday")->isVisible());
        QVERIFY(expand->isVisible() && !shrink->isVisible());
        QVERIFY(!child<QCalendarWidget>(calendar, "ZVCalendar")->isVisible());
        QVERIFY(!child(calendar, "BtnOneLine")->isVisible());
        QVERIFY(calendar.height() < full.height() / 2);

        QTest::mouseClick(expand, Qt::LeftButton);
        QCOMPARE(calendar.size(), full);
        QVERIFY(child<QCalendarWidget>(calendar, "ZVCalendar")->isVisible());
        QVERIFY(child(calendar, "BitBtnNextMnth")->isVisible());

        QTest::mouseClick(shrink, Qt::LeftButton);
        QVERIFY(child<QCalendarWidget>(calendar, "ZVCalendar")->isVisible());
        QVERIFY(!child(calendar, "BitBtnNextMnth")->isVisible());
        QVERIFY(expand->isVisible());
        QVERIFY(calendar.height() < full.height());
    }

    void textsComeFromTheLanguage()
    {
        tk::Language::current().load("[English]\r\n1=Calendar\r\n2=&Today\r\n7=&One line\r\n5007=Show one line\r\n");
        TfrmCalendar calendar;
        QCOMPARE(calendar.windowTitle(), QStringLiteral("Calendar"));
        QCOMPARE(child(calendar, "BtnOneLine")->text(), QStringLiteral("&One line"));
        QCOMPARE(child(calendar, "BtnOneLine")->toolTip(), QStringLiteral("Show one line"));
        // The date replaces the translated caption.
        QCOMPARE(child(calendar, "btntoday")->text(), TfrmCalendar::shortDate(calendar.today()));
    }

    void languageFilesHoldEveryText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("German") << "QorvaGER.lng";
        QTest::newRow("English") << "QorvaENG.lng";
    }

    void languageFilesHoldEveryText()
    {
        QFETCH(QString, file);
        QFile lng(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + file);
        QVERIFY(lng.open(QIODevice::ReadOnly));
        tk::Language::current().load(lng.readAll());
        for (int number : {1, 2, 3, 4, 5, 6, 7, 5002, 5003, 5004, 5005, 5006, 5007})
            QVERIFY2(!tk::langText(number).isEmpty(), qPrintable(QString::number(number)));
    }
};

TESSARON_TEST(TestfrmCalendar)

#include "TestfrmCalendar.moc"
