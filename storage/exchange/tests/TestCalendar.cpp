// Appointments to iCalendar and back, series as recurrence rules, and the
// round trip through python3-icalendar.
#include "storage/AppointmentSeries.h"
#include "storage/exchange/Calendar.h"
#include "storage/exchange/TableExchange.h"

#include "ExchangeTestData.h"

#include <QFile>
#include <QTimeZone>
#include <QTest>

#include <map>
#include <set>

#include "testing/TestRegistry.h"

using exchange::Problem;
using exchange::Record;

namespace {

Record appointment(const char *date, const char *zeit, const char *ezeit, const char *text, const QString &note = {})
{
    Record r;
    r.fields = {{"DATUM", date}, {"ZEIT", zeit}, {"EZEIT", ezeit}, {"TERMIN", QString::fromUtf8(text)}};
    r.note = note;
    return r;
}

// What must survive: every field but the keys and the series number, and
// the note; and which appointments share a series.
struct Content {
    std::multiset<QString> rows;
    std::set<std::set<QString>> series; // dates of each series
};

Content contentOf(const std::vector<Record> &records)
{
    Content c;
    std::map<QString, std::set<QString>> byNumber;
    for (const Record &r : records) {
        QMap<QString, QString> f = r.fields;
        const QString number = f.take(QStringLiteral("WTERMIN"));
        f.remove(QStringLiteral("INR"));
        f.remove(QStringLiteral("L_UPDATE"));
        QStringList row;
        for (auto it = f.constBegin(); it != f.constEnd(); ++it)
            row << it.key() + QLatin1Char('=') + it.value();
        c.rows.insert(row.join(QLatin1Char('|')) + QStringLiteral("|note=") + r.note);
        if (number.toDouble() > 0)
            byNumber[number].insert(r.fields.value(QStringLiteral("DATUM")));
    }
    for (const auto &[number, dates] : byNumber)
        c.series.insert(dates);
    return c;
}

std::vector<QDate> datesOf(const exchange::Parsed &parsed, const QString &text)
{
    for (const Record &r : parsed.records)
        if (r.fields.value(QStringLiteral("TERMIN")) == text)
            return r.dates;
    return {};
}

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void seriesRoundTripThroughPythonIcalendar();
    void recurrencesOfOtherProgramsAreExpanded();
};

void TestCalendar::seriesRoundTripThroughPythonIcalendar()
{
    auto dir = exchangetest::dataDir();
    auto back = exchangetest::dataDir();
    QVERIFY(exchangetest::createDatabase(dir->path()));
    QVERIFY(exchangetest::createDatabase(back->path()));
    exchange::Parsed singles;
    singles.records = {
        appointment("20261224", "18:00", "22:30", "Bescherung, Familie; alle", QStringLiteral("Lange Notiz\nmit Zeilen, ; und \\")),
        appointment("20261225", "", "", "Feiertag"),
        appointment("20261227", "9.30", "ca. 11", "Frühstück"),
        appointment("20270118", "07:15", "07:45", "Arzt"),
    };
    singles.records[0].fields.insert(QStringLiteral("NOTIZ"), QStringLiteral("Geschenke"));
    singles.records[0].fields.insert(QStringLiteral("TELNU"), QStringLiteral("0316/1"));
    QCOMPARE(exchange::importRecords(dir->path(), schema::kTermin, singles).added, 4);

    // A weekly series with one date (18 January) taken by the doctor, a
    // monthly one every two months and a yearly one.
    series::Appointment choir{QStringLiteral("19:00"), QStringLiteral("21:00"), QStringLiteral("Chorprobe"),
                              QStringLiteral("Saal 2"), QStringLiteral("0316/2"), QStringLiteral("Noten mitbringen")};
    QCOMPARE(series::generate(dir->path(), series::Plan{QDate(2027, 1, 4), QDate(2027, 2, 22), series::Unit::Week, 1, true},
                              choir, 4711),
             7);
    series::Appointment tax{QString(), QString(), QStringLiteral("Steuer"), QString(), QString(), QString()};
    QCOMPARE(series::generate(dir->path(), series::Plan{QDate(2027, 3, 15), QDate(2027, 8, 15), series::Unit::Month, 2, true},
                              tax, 12),
             3);
    series::Appointment feast{QStringLiteral("12:00"), QString(), QStringLiteral("Sommerfest"), QString(), QString(), QString()};
    QCOMPARE(series::generate(dir->path(), series::Plan{QDate(2027, 6, 1), QDate(2030, 6, 1), series::Unit::Year, 1, true},
                              feast, 99),
             4);

    const std::vector<Record> before = exchangetest::records(dir->path(), schema::kTermin);
    QCOMPARE(before.size(), std::size_t(18));
    const QString ours = dir->filePath(QStringLiteral("ours.ics"));
    const QString theirs = dir->filePath(QStringLiteral("theirs.ics"));
    {
        QFile out(ours);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(ical::writeAppointments(before));
    }
    bool ok = false;
    const QByteArray said = exchangetest::python(QStringLiteral(R"(
import sys, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
events = [c for c in cal.walk() if c.name == 'VEVENT']
assert len(events) == 7, len(events)
choir = [e for e in events if str(e['SUMMARY']) == 'Chorprobe'][0]
rule = choir['RRULE']
assert rule['FREQ'] == ['WEEKLY'] and rule.get('INTERVAL', [1]) == [1], rule
ex = choir['EXDATE']
assert [d.dt.day for d in ex.dts] == [18], ex.dts
start = choir.decoded('DTSTART')
assert start.tzinfo is None and start.hour == 19, start
tax = [e for e in events if str(e['SUMMARY']) == 'Steuer'][0]
assert tax['RRULE']['FREQ'] == ['MONTHLY'] and tax['RRULE']['INTERVAL'] == [2]
assert not hasattr(tax.decoded('DTSTART'), 'hour')
open(sys.argv[2], 'wb').write(cal.to_ical())
)"), {ours, theirs}, &ok);
    QVERIFY2(ok, said.constData());

    QFile in(theirs);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const exchange::Parsed parsed = ical::readAppointments(in.readAll());
    QCOMPARE(parsed.records.size(), std::size_t(7));
    const exchange::ImportResult result = exchange::importRecords(back->path(), schema::kTermin, parsed);
    QCOMPARE(result.refused, 0);
    QCOMPARE(result.added, 18);
    const std::vector<Record> after = exchangetest::records(back->path(), schema::kTermin);
    const Content a = contentOf(before);
    const Content b = contentOf(after);
    if (b.rows != a.rows) {
        for (const QString &row : a.rows)
            if (!b.rows.count(row))
                qWarning("lost: %s", qPrintable(row));
        for (const QString &row : b.rows)
            if (!a.rows.count(row))
                qWarning("new:  %s", qPrintable(row));
    }
    QCOMPARE(b.rows, a.rows);
    QCOMPARE(b.series, a.series);
    QCOMPARE(b.series.size(), std::size_t(3));
}

void TestCalendar::recurrencesOfOtherProgramsAreExpanded()
{
    const QByteArray text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Test//Test//EN\r\n"
        "BEGIN:VEVENT\r\nUID:a\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20270104T080000\r\n"
        "RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=4\r\nSUMMARY:Turnen\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:b\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:19800315\r\n"
        "RRULE:FREQ=YEARLY\r\nSUMMARY:Geburtstag\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:c\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20270301T120000Z\r\n"
        "DURATION:PT90M\r\nSUMMARY:Telefonkonferenz\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:d\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Ohne Beginn\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:e\r\nDTSTAMP:20260101T000000Z\r\nDTSTART:20270201T090000\r\n"
        "RRULE:FREQ=DAILY;COUNT=5\r\nEXDATE:20270203T090000\r\nSUMMARY:Kurs\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:e\r\nDTSTAMP:20260101T000000Z\r\nRECURRENCE-ID:20270204T090000\r\n"
        "DTSTART:20270204T140000\r\nSUMMARY:Kurs (verlegt)\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n";
    const exchange::Parsed parsed = ical::readAppointments(text, QDate(2026, 12, 10));
    QCOMPARE(datesOf(parsed, QStringLiteral("Turnen")),
             (std::vector<QDate>{QDate(2027, 1, 4), QDate(2027, 1, 6), QDate(2027, 1, 11), QDate(2027, 1, 13)}));
    const std::vector<QDate> birthdays = datesOf(parsed, QStringLiteral("Geburtstag"));
    QCOMPARE(birthdays.front(), QDate(1980, 3, 15));
    QCOMPARE(birthdays.back(), QDate(2036, 3, 15)); // ten years after today
    QCOMPARE(datesOf(parsed, QStringLiteral("Kurs")),
             (std::vector<QDate>{QDate(2027, 2, 1), QDate(2027, 2, 2), QDate(2027, 2, 5)}));
    bool openEnded = false, noStart = false;
    for (const exchange::Finding &f : parsed.findings) {
        if (f.problem == Problem::OpenEnded && f.line == 11)
            openEnded = true;
        if (f.problem == Problem::Syntax && f.refused && f.line == 25)
            noStart = true;
    }
    QVERIFY(openEnded);
    QVERIFY(noStart);
    const QDateTime utc(QDate(2027, 3, 1), QTime(12, 0), Qt::UTC);
    for (const Record &r : parsed.records) {
        if (r.fields.value(QStringLiteral("TERMIN")) == QLatin1String("Telefonkonferenz")) {
            QCOMPARE(r.fields.value(QStringLiteral("ZEIT")), utc.toLocalTime().toString(QStringLiteral("HH:mm")));
            QCOMPARE(r.fields.value(QStringLiteral("EZEIT")), utc.addSecs(5400).toLocalTime().toString(QStringLiteral("HH:mm")));
            QVERIFY(r.dates.empty());
        }
        if (r.fields.value(QStringLiteral("TERMIN")) == QLatin1String("Kurs (verlegt)")) {
            QCOMPARE(r.fields.value(QStringLiteral("DATUM")), QStringLiteral("20270204"));
            QCOMPARE(r.fields.value(QStringLiteral("ZEIT")), QStringLiteral("14:00"));
        }
    }
    QCOMPARE(parsed.records.size(), std::size_t(5));
}

TESSARON_TEST(TestCalendar)
#include "TestCalendar.moc"
