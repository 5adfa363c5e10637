// CSV files of a collection table (RFC 4180): UTF-8, a header row of field
// names, one row per record, the note in the column NOTIZEN.
#pragma once

#include "storage/exchange/Exchange.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>

namespace tk {
class DataSet;
}

namespace csv {

// The name of the column that holds a record's note.
inline constexpr char kNoteColumn[] = "NOTIZEN";

struct Columns {
    QStringList names;   // table fields in table order, then kNoteColumn
    QSet<QString> dates; // the date fields among them
};

// The columns of an open table: every field but memos, then the note.
Columns columnsOf(const tk::DataSet &table);

// Comma-separated, every cell that needs it quoted, CRLF line ends; dates
// as yyyy-MM-dd.
QByteArray write(const Columns &columns, const std::vector<exchange::Record> &records);

// Reads a file written by write() or by a spreadsheet: UTF-8 (a BOM is
// skipped; bytes that are not UTF-8 are read as Windows-1252), separated by
// commas, semicolons or tabs (whichever the header row uses), quoted cells
// across lines. Header names are matched to `columns` without regard to
// case; unknown ones are reported and ignored. Dates are read as
// yyyy-MM-dd, dd.MM.yyyy or yyyyMMdd.
exchange::Parsed read(const QByteArray &bytes, const Columns &columns);

} // namespace csv
