// Series dates and the writing and removal of series members.
#include "storage/AppointmentSeries.h"

#include "storage/RecordKey.h"
#include "storage/TXbaseDataSet.h"

#include <QRandomGenerator>

#include <algorithm>
#include <set>

namespace series {

namespace {

const char *const kDefaultUnits[] = {"Tag(e)", "Woche(n)", "Monat(e)", "Jahr(e)"};
constexpr long kSeriesLimit = 30000;

QString dateKey(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

void openTable(TXbaseDataSet &ds, const QString &dataDir, const char *file)
{
    ds.DatabaseName = dataDir;
    ds.SetTableName(QString::fromLatin1(file));
    ds.SetIndexName(QStringLiteral("1"));
    ds.SetHideDeleted(true);
    ds.Open();
}

long seriesOf(TXbaseDataSet &ds)
{
    return static_cast<long>(ds.FieldByName(QStringLiteral("WTERMIN"))->AsFloat());
}

} // namespace

QStringList unitNames(const QString &text)
{
    QStringList names = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    while (names.size() > 4)
        names.removeLast();
    for (qsizetype i = names.size(); i < 4; ++i)
        names << QString::fromUtf8(kDefaultUnits[i]);
    return names;
}

QDate AddMonths(const QDate &date, int months)
{
    if (!date.isValid())
        return date;
    const int index = date.month() - 1 + months;
    int year = date.year() + index / 12;
    int month = index % 12;
    if (month < 0) {
        month += 12;
        --year;
    }
    const QDate first(year, month + 1, 1);
    return QDate(year, month + 1, std::min(date.day(), first.daysInMonth()));
}

QDate advance(const QDate &date, Unit unit, int count)
{
    switch (unit) {
    case Unit::Day: return date.addDays(count);
    case Unit::Week: return date.addDays(7LL * count);
    case Unit::Month: return AddMonths(date, count);
    case Unit::Year: return AddMonths(date, 12);
    case Unit::None: break;
    }
    return date;
}

QDate durationEnd(const QDate &start, Unit unit, int count)
{
    return advance(start, unit, count);
}

bool isValid(const Plan &plan)
{
    return plan.unit != Unit::None && plan.count >= 1 && plan.from.isValid() && plan.to.isValid();
}

std::vector<QDate> datesOf(const Plan &plan)
{
    std::vector<QDate> dates;
    if (!isValid(plan))
        return dates;
    for (QDate d = plan.from; d <= plan.to; d = advance(d, plan.unit, plan.count)) {
        if (!plan.weekends && d.dayOfWeek() >= Qt::Saturday)
            continue;
        dates.push_back(d);
    }
    return dates;
}

int generate(const QString &dataDir, const Plan &plan, const Appointment &from, long series)
{
    return generate(dataDir, datesOf(plan), from, series);
}

int generate(const QString &dataDir, const std::vector<QDate> &dates, const Appointment &from, long series)
{
    if (dates.empty())
        return 0;
    const auto [first, last] = std::minmax_element(dates.begin(), dates.end());
    TXbaseDataSet table;
    openTable(table, dataDir, "TERMIN.DBF");
    TXbaseDataSet notes;
    openTable(notes, dataDir, "NOTIZEN.DBF");

    // The dates of the range that hold an appointment already, read once.
    std::set<QDate> taken;
    table.SetScope(dateKey(*first), dateKey(*last));
    for (table.GoTop(); !table.Eof(); table.Next())
        taken.insert(table.FieldByName(QStringLiteral("DATUM"))->AsDate());
    table.SetScope(QString(), QString());

    // One flush at the end instead of two per member: a ten-year daily
    // series is written in a fraction of a second.
    table.SetSyncEachPost(false);
    notes.SetSyncEachPost(false);
    int written = 0;
    const QDate today = QDate::currentDate();
    try {
        for (const QDate &d : dates) {
            if (!taken.insert(d).second)
                continue;
            const QString key = recordkey::createKey(notes, QString::fromLatin1(recordkey::kTermin));
            table.Append();
            table.FieldByName(QStringLiteral("INR"))->SetAsString(key);
            table.FieldByName(QStringLiteral("L_UPDATE"))->SetAsDate(today);
            table.FieldByName(QStringLiteral("DATUM"))->SetAsDate(d);
            table.FieldByName(QStringLiteral("ZEIT"))->SetAsString(from.zeit);
            table.FieldByName(QStringLiteral("EZEIT"))->SetAsString(from.ezeit);
            table.FieldByName(QStringLiteral("TERMIN"))->SetAsString(from.termin);
            table.FieldByName(QStringLiteral("NOTIZ"))->SetAsString(from.notiz);
            table.FieldByName(QStringLiteral("TELNU"))->SetAsString(from.telnu);
            table.FieldByName(QStringLiteral("WTERMIN"))->SetAsFloat(static_cast<double>(series));
            table.Post();
            if (!from.note.isEmpty()) {
                // createKey left the notes on the member's new notes record.
                notes.Edit();
                notes.FieldByName(QStringLiteral("NOTIZ"))->SetAsString(from.note);
                notes.Post();
            }
            ++written;
        }
    } catch (...) {
        // The member being written goes; those before it stay complete.
        if (table.Editing())
            table.Cancel();
        try {
            notes.SyncToDisk();
            table.SyncToDisk();
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
    notes.SyncToDisk();
    table.SyncToDisk();
    return written;
}

int deleteSeries(const QString &dataDir, long series)
{
    if (series <= 0)
        return 0;
    TXbaseDataSet table;
    openTable(table, dataDir, "TERMIN.DBF");
    int count = 0;
    table.First();
    while (!table.Eof()) {
        if (seriesOf(table) != series) {
            table.Next();
            continue;
        }
        const long recno = table.RecNo();
        table.DeleteRecord();
        ++count;
        if (!table.Eof() && table.RecNo() == recno)
            table.Next();
    }
    return count;
}

long newSeriesNumber(const QString &dataDir)
{
    TXbaseDataSet table;
    openTable(table, dataDir, "TERMIN.DBF");
    std::set<long> used;
    for (table.First(); !table.Eof(); table.Next())
        used.insert(seriesOf(table));
    for (int attempt = 0; attempt < 64; ++attempt) {
        const long number = static_cast<long>(QRandomGenerator::global()->bounded(1, static_cast<int>(kSeriesLimit)));
        if (!used.count(number))
            return number;
    }
    return used.empty() ? 1L : std::max(1L, *used.rbegin() + 1);
}

} // namespace series
