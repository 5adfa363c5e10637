// The appointment book and its recurring series on real tables: series
// dates, generation that skips taken days, deletion of a whole series, the
// dialog's rules, opening on today and the quick search by date.
#include "app/Config.h"
#include "media/PhoneDialler.h"
#include "platform/FormatSettings.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "storage/AppointmentSeries.h"
#include "windows/TfrmTermin.h"
#include "windows/TfrmWTermin.h"
#include "xbase/api/XbApi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <set>

#include <csignal>
#include <sys/resource.h>

#include "testing/TestRegistry.h"

namespace {

void createTables(const QString &dir)
{
    for (int position : {schema::kTermin, schema::kNotizen}) {
        const SchemaTable &t = schema::table(position);
        QVERIFY(schema::createTable(position, schema::tablePath(dir, t.stem, QStringLiteral("DBF"))));
        TXbaseDataSet ds;
        ds.DatabaseName = dir;
        ds.SetTableName(schema::tableFile(t.stem, QStringLiteral("DBF")));
        ds.Open();
        for (const SchemaTag &tag : t.tags)
            QVERIFY(ds.IndexTag(QString(), tag.name, tag.key, 0, 0, QString()));
    }
}

void addAppointment(const QString &dir, const QDate &date, const QString &text, const QString &zeit = QString(),
                    const QString &telnu = QString())
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    ds.SetTableName(QStringLiteral("TERMIN.DBF"));
    ds.Open();
    ds.Append();
    ds.FieldByName(QStringLiteral("DATUM"))->SetAsDate(date);
    ds.FieldByName(QStringLiteral("TERMIN"))->SetAsString(text);
    ds.FieldByName(QStringLiteral("ZEIT"))->SetAsString(zeit);
    ds.FieldByName(QStringLiteral("TELNU"))->SetAsString(telnu);
    ds.Post();
}

struct Row {
    QDate date;
    QString text;
    long series;
    QString inr;
};

std::vector<Row> allAppointments(const QString &dir)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    ds.SetTableName(QStringLiteral("TERMIN.DBF"));
    ds.SetIndexName(QStringLiteral("1"));
    ds.Open();
    std::vector<Row> rows;
    for (ds.First(); !ds.Eof(); ds.Next())
        rows.push_back({ds.FieldByName(QStringLiteral("DATUM"))->AsDate(), ds.FieldByName(QStringLiteral("TERMIN"))->AsString(),
                        static_cast<long>(ds.FieldByName(QStringLiteral("WTERMIN"))->AsFloat()),
                        ds.FieldByName(QStringLiteral("INR"))->AsString()});
    return rows;
}

int notesCount(const QString &dir)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    ds.SetTableName(QStringLiteral("NOTIZEN.DBF"));
    ds.Open();
    return ds.RecordCount();
}

QDate d(int y, int m, int day)
{
    return QDate(y, m, day);
}

} // namespace

class TestfrmTermin : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void seriesDatesFollowTheUnits();
    void weeklySeriesSkipsTakenDatesWithOwnKeys();
    void deleteFromAnyMemberRemovesTheWholeSeries();
    void dialogRulesAndRefusedOk();
    void windowOpensOnTodayAndSearchesByDate();
    void seriesStoppedHalfWayIsCompletedByARetry();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestfrmTermin::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), m_dir->path());
    config().NoticeText = QStringLiteral("notice");
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
    createTables(config().ZVData);
    tk::MessageBox::clearPresets();
}

void TestfrmTermin::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
    media::PhoneDialler::setUrlOpener({});
}

void TestfrmTermin::seriesDatesFollowTheUnits()
{
    using series::Unit;
    QCOMPARE(series::AddMonths(d(2001, 11, 15), 1), d(2001, 12, 15));
    QCOMPARE(series::AddMonths(d(2001, 1, 15), 12), d(2002, 1, 15));
    QCOMPARE(series::AddMonths(d(2001, 1, 31), 1), d(2001, 2, 28));
    QCOMPARE(series::AddMonths(d(2004, 1, 31), 1), d(2004, 2, 29));
    QCOMPARE(series::AddMonths(d(2001, 3, 31), -1), d(2001, 2, 28));
    QCOMPARE(series::AddMonths(d(2001, 12, 31), 14), d(2003, 2, 28));
    QCOMPARE(series::durationEnd(d(2027, 5, 10), Unit::Week, 2), d(2027, 5, 24));
    QCOMPARE(series::durationEnd(d(2027, 5, 10), Unit::None, 5), d(2027, 5, 10));
    QCOMPARE(series::durationEnd(d(2027, 5, 10), Unit::Year, 3), d(2028, 5, 10));

    // Years step one at a time whatever the count; a month series from the
    // 31st keeps to the last days of shorter months without drifting.
    const auto years = series::datesOf({d(2027, 1, 1), d(2030, 12, 31), Unit::Year, 3, true});
    QVERIFY(years == (std::vector<QDate>{d(2027, 1, 1), d(2028, 1, 1), d(2029, 1, 1), d(2030, 1, 1)}));
    const auto months = series::datesOf({d(2027, 1, 31), d(2027, 3, 31), Unit::Month, 1, true});
    QCOMPARE(months.size(), std::size_t(3));
    QCOMPARE(months[1], d(2027, 2, 28));

    // Without weekends a daily week keeps its five working days.
    const auto workdays = series::datesOf({d(2027, 3, 1), d(2027, 3, 7), Unit::Day, 1, false});
    QCOMPARE(workdays.size(), std::size_t(5));
    QCOMPARE(workdays.back(), d(2027, 3, 5));

    // A plan that would never advance yields nothing.
    QVERIFY(series::datesOf({d(2027, 3, 1), d(2027, 3, 7), Unit::None, 1, true}).empty());
    QVERIFY(series::datesOf({d(2027, 3, 1), d(2027, 3, 7), Unit::Day, 0, true}).empty());

    // A short list of unit names is completed with the German defaults.
    QCOMPARE(series::unitNames(QStringLiteral("day\nweek")),
             QStringList({QStringLiteral("day"), QStringLiteral("week"), QStringLiteral("Monat(e)"),
                          QStringLiteral("Jahr(e)")}));
}

void TestfrmTermin::weeklySeriesSkipsTakenDatesWithOwnKeys()
{
    const QString dir = config().ZVData;
    addAppointment(dir, d(2027, 3, 1), QStringLiteral("Chorprobe"), QStringLiteral("19:30"), QStringLiteral("0316 4711"));
    addAppointment(dir, d(2027, 3, 15), QStringLiteral("Zahnarzt"));
    TfrmTermin w;
    w.show();
    w.meSuche->setText(QStringLiteral("20270301"));
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString(), QStringLiteral("Chorprobe"));
    QVERIFY(w.btnWTermin->isHidden());
    QVERIFY(w.sbtPhoneCall->isEnabled());

    w.runSeriesDialog = [](TfrmWTermin &dialog) {
        // Start and end as the window set them, then weekly to 29 March.
        if (dialog.WTerminVon->date() != d(2027, 3, 1) || dialog.WTerminBis->date() != d(2027, 6, 1))
            return int(QDialog::Rejected);
        dialog.WTerminBis->setDate(d(2027, 3, 29));
        dialog.cbWTerminJede->setCurrentIndex(1);
        dialog.btnOKClick();
        return dialog.result();
    };
    w.btnWTerminDefClick();

    // 15 March holds an appointment already: the series goes on after it.
    const auto rows = allAppointments(dir);
    QCOMPARE(rows.size(), std::size_t(5));
    std::vector<QDate> members;
    std::set<QString> keys;
    long number = 0;
    for (const Row &r : rows) {
        if (r.series > 0) {
            members.push_back(r.date);
            keys.insert(r.inr);
            QCOMPARE(r.text, QStringLiteral("Chorprobe"));
            QVERIFY(number == 0 || number == r.series);
            number = r.series;
        }
    }
    QVERIFY(members == (std::vector<QDate>{d(2027, 3, 8), d(2027, 3, 22), d(2027, 3, 29)}));
    QVERIFY(number > 0 && number < 30000);
    QCOMPARE(keys.size(), std::size_t(3));
    // Every member has a note of its own; the originals have theirs once shown.
    int keyed = 0;
    for (const Row &r : rows)
        keyed += !r.inr.trimmed().isEmpty();
    QCOMPARE(keyed, 4);
    QCOMPARE(notesCount(dir), 4);

    // The window waits on the original appointment, which keeps no number.
    QCOMPARE(w.tblMain->state(), tk::DataSet::State::Edit);
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("DATUM"))->AsDate(), d(2027, 3, 1));
    QVERIFY(w.btnWTermin->isHidden());
    QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    w.tblMain->Next();
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("DATUM"))->AsDate(), d(2027, 3, 8));
    QVERIFY(!w.btnWTermin->isHidden());
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("ZEIT"))->AsString(), QStringLiteral("19:30"));

    // A member's series grows with the same number and skips its own dates.
    w.runSeriesDialog = [](TfrmWTermin &dialog) {
        dialog.WTerminBis->setDate(d(2027, 4, 12));
        dialog.cbWTerminJede->setCurrentIndex(1);
        dialog.btnOKClick();
        return dialog.result();
    };
    w.btnWTerminDefClick();
    QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    int inSeries = 0;
    for (const Row &r : allAppointments(dir))
        inSeries += r.series == number;
    QCOMPARE(inSeries, 5); // 8, 22, 29 March, 5 and 12 April

    // Without a date or a text there is nothing to repeat.
    w.dbn->BtnClick(tk::DBNavigator::Button::Insert);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.btnWTerminDefClick();
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10014));
    w.tblMain->Cancel();
}

void TestfrmTermin::deleteFromAnyMemberRemovesTheWholeSeries()
{
    const QString dir = config().ZVData;
    addAppointment(dir, d(2027, 1, 4), QStringLiteral("Turnen"));
    addAppointment(dir, d(2027, 1, 6), QStringLiteral("Einzeln"));
    series::generate(dir, {d(2027, 1, 4), d(2027, 1, 25), series::Unit::Week, 1, true},
                     {QString(), QString(), QStringLiteral("Turnen"), QString(), QString()}, 77);
    series::generate(dir, {d(2027, 1, 5), d(2027, 1, 12), series::Unit::Week, 1, true},
                     {QString(), QString(), QStringLiteral("Andere Serie"), QString(), QString()}, 78);
    QCOMPARE(allAppointments(dir).size(), std::size_t(7));

    TfrmTermin w;
    w.show();
    // A filter shows one member only; the deletion reaches all of them.
    QVERIFY(w.tblMain->Query(QStringLiteral("DTOS(DATUM)=\"20270118\"")) == 1);
    QCOMPARE(static_cast<long>(w.tblMain->FieldByName(QStringLiteral("WTERMIN"))->AsFloat()), 77L);
    w.runSeriesDialog = [](TfrmWTermin &) { return TfrmWTermin::Delete; };
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.btnWTerminDefClick();
    QCOMPARE(tk::MessageBox::lastText(), tk::formatText(tk::langText(10015), {3}));
    const auto rows = allAppointments(dir);
    QCOMPARE(rows.size(), std::size_t(4));
    for (const Row &r : rows)
        QVERIFY(r.series != 77);

    // An appointment of no series deletes nothing, whatever numbers exist.
    w.tblMain->Query(QString());
    w.meSuche->setText(QStringLiteral("20270106"));
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString(), QStringLiteral("Einzeln"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.btnWTerminDefClick();
    QCOMPARE(tk::MessageBox::lastText(), tk::formatText(tk::langText(10015), {0}));
    QCOMPARE(allAppointments(dir).size(), std::size_t(4));

    // New series numbers avoid the numbers in use.
    for (int i = 0; i < 20; ++i) {
        const long number = series::newSeriesNumber(dir);
        QVERIFY(number >= 1 && number < 30000 && number != 78);
    }
}

void TestfrmTermin::dialogRulesAndRefusedOk()
{
    TfrmWTermin dialog;
    dialog.show();
    dialog.setStart(d(2027, 5, 10));
    QCOMPARE(dialog.WTerminBis->date(), d(2027, 8, 10));
    QCOMPARE(TfrmWTermin::countText(dialog.WTerminJede), QStringLiteral("1  "));
    QVERIFY(dialog.rbBis->isChecked() && !dialog.WTerminDauer->isEnabled() && !dialog.cbWTerminDauer->isEnabled());
    QVERIFY(dialog.cbWeekends->isChecked());
    QCOMPARE(dialog.cbWTerminJede->count(), 4);
    QCOMPARE(dialog.cbWTerminJede->currentIndex(), -1);
    QCOMPARE(dialog.btnDelete->text(), QStringLiteral("&Löschen"));

    // Digits typed from the second place on: the blank first place makes it 1.
    dialog.WTerminJede->setFocus();
    dialog.WTerminJede->setText(QString());
    dialog.WTerminJede->setCursorPosition(1);
    QTest::keyClicks(dialog.WTerminJede, QStringLiteral("25"));
    QCOMPARE(TfrmWTermin::countText(dialog.WTerminJede), QStringLiteral(" 25"));
    dialog.WTerminJedeExit();
    QCOMPARE(TfrmWTermin::countOf(dialog.WTerminJede), 1);

    // The duration fills in the end date: 2 weeks from 10 May end on 24 May.
    QTest::mouseClick(dialog.rbDauer, Qt::LeftButton);
    QVERIFY(dialog.WTerminDauer->isEnabled() && !dialog.WTerminBis->isEnabled());
    dialog.WTerminDauer->setText(QStringLiteral("2"));
    dialog.cbWTerminDauer->setCurrentIndex(1);
    dialog.WTerminDauerClick();
    QCOMPARE(dialog.WTerminBis->date(), d(2027, 5, 24));
    dialog.cbWTerminDauer->setCurrentIndex(3);
    dialog.WTerminDauerClick();
    QCOMPARE(dialog.WTerminBis->date(), d(2028, 5, 10));
    QTest::mouseClick(dialog.rbBis, Qt::LeftButton);
    QVERIFY(dialog.WTerminBis->isEnabled() && !dialog.WTerminDauer->isEnabled());

    // OK stays refused until a unit and a count of at least 1 are given.
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    dialog.btnOKClick();
    QVERIFY(dialog.isVisible());
    QCOMPARE(tk::MessageBox::lastText(), tk::langText(10400));
    dialog.cbWTerminJede->setCurrentIndex(2);
    dialog.WTerminJede->setText(QStringLiteral("0"));
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    dialog.btnOKClick();
    QVERIFY(dialog.isVisible());
    dialog.WTerminJede->setText(QStringLiteral("3"));
    dialog.cbWeekends->setChecked(false);
    dialog.btnOKClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const series::Plan plan = dialog.plan();
    QVERIFY(plan.unit == series::Unit::Month);
    QCOMPARE(plan.count, 3);
    QVERIFY(!plan.weekends);

    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty()) {
        TfrmWTermin shown;
        shown.setStart(d(2027, 5, 10));
        shown.show();
        shown.grab().save(shots + QStringLiteral("/appointment-series.png"));
    }
}

void TestfrmTermin::windowOpensOnTodayAndSearchesByDate()
{
    const QString dir = config().ZVData;
    const QDate today = QDate::currentDate();
    addAppointment(dir, today.addDays(1), QStringLiteral("Morgen"));
    addAppointment(dir, today, QStringLiteral("Heute früh"), QStringLiteral("08:00"), QStringLiteral("0316 / 12-34"));
    addAppointment(dir, today.addDays(-1), QStringLiteral("Gestern"));
    addAppointment(dir, today, QStringLiteral("Heute spät"), QStringLiteral("20:00"));
    addAppointment(dir, d(2098, 5, 1), QStringLiteral("Mai 2098"));
    addAppointment(dir, d(2099, 2, 3), QStringLiteral("Februar 2099"));

    TfrmTermin w;
    w.show();
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString(), QStringLiteral("Heute früh"));
    QVERIFY(w.windowTitle().contains(today.toString(QStringLiteral("dd.MM.yyyy"))));
    QVERIFY(config().open(Module::Appointments));

    // Dialling hands the number on as shown; the appointment book logs nothing.
    config().XELLog = true;
    QList<QUrl> dialled;
    media::PhoneDialler::setUrlOpener([&dialled](const QUrl &url) {
        dialled << url;
        return true;
    });
    QTest::mouseClick(w.sbtPhoneCall, Qt::LeftButton);
    QCOMPARE(dialled.size(), 1);
    QCOMPARE(dialled.first().toString(), QStringLiteral("tel:03161234"));
    w.tblMain->Next();
    QVERIFY(!w.sbtPhoneCall->isEnabled());

    // A year, a year and month, or a whole date finds its first appointment.
    w.meSuche->setText(QStringLiteral("2098"));
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString(), QStringLiteral("Mai 2098"));
    w.meSuche->setText(QStringLiteral("209902"));
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString(), QStringLiteral("Februar 2099"));
    w.meSuche->setText(today.toString(QStringLiteral("yyyyMMdd")));
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("TERMIN"))->AsString(), QStringLiteral("Heute früh"));

    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty()) {
        w.grab().save(shots + QStringLiteral("/appointments.png"));
        w.pc->setCurrentIndex(2);
        w.grab().save(shots + QStringLiteral("/appointments-table.png"));
    }
}

void TestfrmTermin::seriesStoppedHalfWayIsCompletedByARetry()
{
    const QString dir = config().ZVData;
    const series::Appointment from{QStringLiteral("07:00"), QString(), QStringLiteral("Laufen"), QString(), QString()};
    const series::Plan plan{d(2030, 1, 1), d(2030, 12, 31), series::Unit::Day, 1, true};

    // The files may not grow past a limit a little above their size: the
    // writing stops half way as on a full disk.
    struct rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = saved;
    tight.rlim_cur = 40 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    bool failed = false;
    try {
        series::generate(dir, plan, from, 4242);
    } catch (const std::exception &) {
        failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    xb_CloseAll();
    QVERIFY(failed);
    const auto partial = allAppointments(dir);
    QVERIFY(!partial.empty());
    QVERIFY(partial.size() < 365);

    // The retry completes the series without a date twice.
    QElapsedTimer timer;
    timer.start();
    const int added = series::generate(dir, plan, from, 4242);
    qInfo("daily series over a year: %d members added in %lld ms", added, static_cast<long long>(timer.elapsed()));
    const auto rows = allAppointments(dir);
    QCOMPARE(rows.size(), std::size_t(365));
    std::set<QDate> dates;
    for (const Row &r : rows)
        dates.insert(r.date);
    QCOMPARE(dates.size(), std::size_t(365));
    QCOMPARE(series::generate(dir, plan, from, 4242), 0);
}

TESSARON_TEST(TestfrmTermin)
#include "TestfrmTermin.moc"
