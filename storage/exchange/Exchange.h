// Exchange with other programs: the records read from or written to vCard,
// iCalendar and CSV files, and what an import reports.
//
// A record is held as the text of its table fields (dates as "yyyyMMdd",
// numbers with a point) plus the text of its note, so that every format
// maps onto the same table writer. The writer (TableExchange.h) checks each
// field against the table: a text Windows-1252 cannot hold, a date or a
// number that does not convert refuses the whole entry, naming its line and
// field; a text longer than its field is cut and reported.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QMap>
#include <QString>

#include <functional>
#include <vector>

namespace exchange {

struct Record {
    int line = 0;                  // first line of the entry in its file (1-based)
    QMap<QString, QString> fields; // table field name -> text
    QString note;                  // text of the record's notes record
    // Appointments of a series: the dates of its members (DATUM is the
    // first); empty for a single record.
    std::vector<QDate> dates;
};

enum class Problem {
    Syntax,         // the entry or line cannot be read (detail: what)
    NotWindows1252, // detail: the character that cannot be stored
    BadDate,        // detail: the text
    BadNumber,      // detail: the text
    TooManyCells,   // a CSV line with more cells than the header has names
    UnknownColumn,  // a CSV column that names no field of the table (ignored)
    Shortened,      // detail: the field width the text was cut to
    NotTaken,       // a value with no field left for it (detail: the value)
    OpenEnded,      // a recurrence without end, written up to detail (a date)
    DatesTaken,     // series dates that already held an appointment (detail: count)
    WriteFailed,    // the table refused the record (detail: the message)
};

struct Finding {
    int line = 0;
    Problem problem = Problem::Syntax;
    QString field; // table field or file property, may be empty
    QString detail;
    bool refused = false; // true: the entry was not imported
};

struct Parsed {
    std::vector<Record> records;
    std::vector<Finding> findings;
};

struct ImportResult {
    int added = 0;  // records written (each series member counts)
    int refused = 0; // entries not imported
    bool cancelled = false;
    std::vector<Finding> findings;
};

// Reports progress (done of total); returning false stops the run after the
// record at hand. The records written until then stay.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// The text of a file from another program: UTF-8 (a BOM is skipped), or
// Windows-1252 when the bytes are not valid UTF-8.
QString decodeText(const QByteArray &bytes);

} // namespace exchange
