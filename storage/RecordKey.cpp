// Making record keys and their notes records.
#include "storage/RecordKey.h"

#include "storage/TXbaseDataSet.h"

#include <QHash>

#include <mutex>

namespace {

constexpr qint64 kMicroDaysPerDay = 1000000;
constexpr qint64 kMsPerDay = 86400000;
constexpr qint64 kDigitsLimit = 10000000000000LL; // 10^13

// The moment as millionths of a day since 30 December 1899, rounded.
qint64 microDays(const QDateTime &moment)
{
    static const QDate kZero(1899, 12, 30);
    const QDateTime local = moment.toLocalTime();
    const qint64 days = kZero.daysTo(local.date());
    const qint64 ms = local.time().msecsSinceStartOfDay();
    return days * kMicroDaysPerDay + (ms * kMicroDaysPerDay + kMsPerDay / 2) / kMsPerDay;
}

QString format(const QString &prefix, qint64 value)
{
    return prefix + QStringLiteral("%1").arg(value % kDigitsLimit, 13, 10, QLatin1Char('0'));
}

std::mutex s_mutex;
QHash<QString, qint64> s_lastKey;

} // namespace

namespace recordkey {

QString keyAt(const QString &prefix, const QDateTime &moment)
{
    return format(prefix, microDays(moment));
}

QString newKey(const QString &prefix, const QDateTime &moment)
{
    qint64 value = microDays(moment);
    std::lock_guard<std::mutex> lock(s_mutex);
    const auto last = s_lastKey.constFind(prefix);
    if (last != s_lastKey.constEnd() && value <= *last)
        value = *last + 1;
    s_lastKey.insert(prefix, value);
    return format(prefix, value);
}

bool ensureNote(TXbaseDataSet &notes, const QString &inr)
{
    const QString key = inr.trimmed();
    if (key.isEmpty())
        return false;
    notes.CheckBrowseMode();
    const bool found = notes.IndexName() == QLatin1String("1")
        ? notes.Seek(key)
        : notes.Locate(QStringLiteral("INR"), {key});
    if (found && notes.FieldByName(QStringLiteral("INR"))->AsString() == key)
        return false;
    notes.Append();
    notes.FieldByName(QStringLiteral("INR"))->SetAsString(key);
    notes.Post();
    return true;
}

QString createKey(TXbaseDataSet &notes, const QString &prefix)
{
    const QString key = newKey(prefix);
    ensureNote(notes, key);
    return key;
}

} // namespace recordkey
