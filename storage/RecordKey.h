// Record keys (INR) and the notes record that belongs to each key.
//
// A key is two letters naming the table ("AD" addresses, "TE" appointments,
// "CA" music, "VI" videos, "BO" books) and 13 digits: the local date and time
// as a day count since 30 December 1899 with six decimals, the decimal point
// left out ("AD0046365512338" is 9 December 2026 at 12:17:46). Keys made in
// one process for one table always ascend: a key that would not be greater
// than the last one made for that table (two records within the same
// millionth of a day, a recurring series made in one go, the clock set
// back) becomes the last key plus one. The format and the length stay.
#pragma once

#include <QDateTime>
#include <QString>

class TXbaseDataSet;

namespace recordkey {

inline constexpr int kLength = 15;
inline constexpr char kAdress[] = "AD";
inline constexpr char kTermin[] = "TE";
inline constexpr char kCassette[] = "CA";
inline constexpr char kVideo[] = "VI";
inline constexpr char kBooks[] = "BO";

// The key `prefix` + the 13 digits of `moment`, without the uniqueness rule.
QString keyAt(const QString &prefix, const QDateTime &moment);

// A new key for the table of `prefix` at `moment` (default: now), greater
// than every key made before in this process for that prefix.
QString newKey(const QString &prefix, const QDateTime &moment = QDateTime::currentDateTime());

// Makes sure the notes table holds a record for `inr`. `notes` is an open
// dataset on NOTIZEN (ordered by tag "1" for a seek, else found by a
// locate); it must be in browse state or its pending edit is posted. Returns
// true when a notes record was appended, false when one was there already
// or `inr` is blank. Afterwards `notes` stands on the notes record of `inr`.
// The dataset's errors (EXbaseError, tk::DataSetError) pass through.
bool ensureNote(TXbaseDataSet &notes, const QString &inr);

// newKey(prefix) and ensureNote for it: the one routine that gives a new
// record its key. Returns the key.
QString createKey(TXbaseDataSet &notes, const QString &prefix);

} // namespace recordkey
