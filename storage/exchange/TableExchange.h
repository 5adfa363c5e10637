// Records between the tables and the exchange formats: reading the shown
// records of a collection table with their notes, and writing imported
// records as new records, each with its own key and notes record.
#pragma once

#include "storage/exchange/Exchange.h"

class TXbaseDataSet;

namespace tk {
class DataSet;
}

namespace exchange {

// The key prefix of the collection table at schema `position` ("AD" for
// ADRESS ...); empty for a table without keys.
QString keyPrefixOf(int position);

// The text of every table field of the current record of `table`: strings
// without their trailing blanks, dates "yyyyMMdd", numbers with a point,
// empty for null. Memo fields are left out.
Record recordOf(tk::DataSet &table);

// The note of `inr` in `notes` (NOTIZEN ordered by tag "1"); line ends as "\n".
QString noteOf(TXbaseDataSet &notes, const QString &inr);

// Opens `ds` on what a collection window shows: `file` of `dataDir` in the
// order of tag `indexName` with the filter `filter` (".T." or empty: none).
void openShown(TXbaseDataSet &ds, const QString &dataDir, const QString &file, const QString &indexName,
               const QString &filter);

// Every record of `table` from its first one in its order, with the note of
// each (`notes` may be null: no notes). Stops early when `progress` says so.
std::vector<Record> readAll(TXbaseDataSet &table, TXbaseDataSet *notes, const Progress &progress = {});

// Checks the fields of `record` against the fields of `table` (open), adding
// a finding for each problem. Returns false when the record is refused: a
// text Windows-1252 cannot hold (the note included), a date or a number
// that does not convert or does not fit. Texts longer than their field are
// reported as shortened; fields the table lacks are ignored.
bool check(const tk::DataSet &table, const Record &record, std::vector<Finding> &findings);

// Writes the records of `parsed` into the collection table at schema
// `position` in `dataDir` (and its notes): each checked record becomes a new
// record with a new key, its notes record (holding its note) and L_UPDATE
// today; records of the appointment table with dates become a series with a
// new series number, written as the series dialog writes one. The parse
// findings are carried into the result. One flush at the end.
ImportResult importRecords(const QString &dataDir, int position, const Parsed &parsed, const Progress &progress = {});

} // namespace exchange
