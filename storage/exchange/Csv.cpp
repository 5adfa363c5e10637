// CSV writing and reading.
#include "storage/exchange/Csv.h"

#include "toolkit/data/DataSet.h"
#include "xbase/text/Codepage.h"

#include <QStringDecoder>

namespace csv {

namespace {

using exchange::Finding;
using exchange::Problem;
using exchange::Record;

QString quoted(const QString &cell, QChar separator)
{
    if (!cell.contains(separator) && !cell.contains(QLatin1Char('"')) && !cell.contains(QLatin1Char('\n'))
        && !cell.contains(QLatin1Char('\r')) && (cell.isEmpty() || (!cell.front().isSpace() && !cell.back().isSpace())))
        return cell;
    QString out = cell;
    out.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString isoDate(const QString &stored)
{
    const QDate d = QDate::fromString(stored, QStringLiteral("yyyyMMdd"));
    return d.isValid() ? d.toString(Qt::ISODate) : stored;
}

QString storedDate(const QString &cell)
{
    const QString t = cell.trimmed();
    for (const char *format : {"yyyy-MM-dd", "dd.MM.yyyy", "d.M.yyyy", "yyyyMMdd"}) {
        const QDate d = QDate::fromString(t, QString::fromLatin1(format));
        if (d.isValid())
            return d.toString(QStringLiteral("yyyyMMdd"));
    }
    return t; // left as it is, so that the check names it
}


struct Row {
    int line = 0;
    QStringList cells;
    bool unterminated = false;
};

std::vector<Row> rowsOf(const QString &text, QChar separator)
{
    std::vector<Row> rows;
    Row row;
    QString cell;
    bool inQuotes = false;
    bool cellQuoted = false;
    bool rowStarted = false;
    int line = 1;
    row.line = 1;
    auto endRow = [&] {
        row.cells << cell;
        cell.clear();
        cellQuoted = false;
        const bool blank = row.cells.size() == 1 && row.cells.first().isEmpty();
        if (!blank)
            rows.push_back(row);
        row = Row();
        rowStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!rowStarted) {
            row.line = line;
            rowStarted = true;
        }
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    cell.append(c);
                    ++i;
                } else {
                    inQuotes = false;
                }
                continue;
            }
            if (c == QLatin1Char('\n'))
                ++line;
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                continue; // a line end inside a cell is kept as "\n"
            cell.append(c);
            continue;
        }
        if (c == QLatin1Char('"') && cell.isEmpty() && !cellQuoted) {
            inQuotes = true;
            cellQuoted = true;
            continue;
        }
        if (c == separator) {
            row.cells << cell;
            cell.clear();
            cellQuoted = false;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            endRow();
            ++line;
            continue;
        }
        cell.append(c);
    }
    if (inQuotes)
        row.unterminated = true;
    if (rowStarted || !cell.isEmpty())
        endRow();
    return rows;
}

QChar separatorOf(const QString &text)
{
    int counts[3] = {0, 0, 0};
    const QChar candidates[3] = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        if (inQuotes)
            continue;
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        for (int i = 0; i < 3; ++i)
            if (c == candidates[i])
                ++counts[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (counts[i] > counts[best])
            best = i;
    return candidates[best];
}

} // namespace

Columns columnsOf(const tk::DataSet &table)
{
    Columns c;
    for (int i = 0; i < table.FieldCount(); ++i) {
        const tk::Field *f = table.Fields(i);
        if (f->IsBlob())
            continue;
        c.names << f->FieldName();
        if (f->DataType() == tk::FieldType::Date)
            c.dates.insert(f->FieldName());
    }
    c.names << QString::fromLatin1(kNoteColumn);
    return c;
}

QByteArray write(const Columns &columns, const std::vector<Record> &records)
{
    const QChar sep = QLatin1Char(',');
    QByteArray out;
    QStringList header;
    for (const QString &name : columns.names)
        header << quoted(name, sep);
    out += header.join(sep).toUtf8() + "\r\n";
    const QString noteColumn = QString::fromLatin1(kNoteColumn);
    for (const Record &r : records) {
        QStringList cells;
        for (const QString &name : columns.names) {
            QString value = name == noteColumn ? r.note : r.fields.value(name);
            if (columns.dates.contains(name))
                value = isoDate(value);
            cells << quoted(value, sep);
        }
        out += cells.join(sep).toUtf8() + "\r\n";
    }
    return out;
}

exchange::Parsed read(const QByteArray &bytes, const Columns &columns)
{
    exchange::Parsed parsed;
    const QString text = exchange::decodeText(bytes);
    const std::vector<Row> rows = rowsOf(text, separatorOf(text));
    if (rows.empty())
        return parsed;
    // Header: the position of each known column; unknown ones are ignored.
    const Row &header = rows.front();
    std::vector<QString> fieldOf;
    for (const QString &cell : header.cells) {
        const QString name = cell.trimmed().toUpper();
        QString match;
        for (const QString &known : columns.names)
            if (known.toUpper() == name)
                match = known;
        if (match.isEmpty() && !name.isEmpty())
            parsed.findings.push_back({header.line, Problem::UnknownColumn, cell.trimmed(), QString(), false});
        fieldOf.push_back(match);
    }
    const QString noteColumn = QString::fromLatin1(kNoteColumn);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const Row &row = rows[i];
        if (row.unterminated) {
            parsed.findings.push_back({row.line, Problem::Syntax, QString(), QStringLiteral("a quoted cell is not closed"), true});
            continue;
        }
        if (row.cells.size() > static_cast<qsizetype>(fieldOf.size())) {
            parsed.findings.push_back({row.line, Problem::TooManyCells, QString(),
                                       QStringLiteral("%1/%2").arg(row.cells.size()).arg(fieldOf.size()), true});
            continue;
        }
        Record r;
        r.line = row.line;
        for (qsizetype c = 0; c < row.cells.size(); ++c) {
            const QString &name = fieldOf[static_cast<std::size_t>(c)];
            if (name.isEmpty())
                continue;
            if (name == noteColumn)
                r.note = row.cells.at(c);
            else
                r.fields.insert(name, columns.dates.contains(name) ? storedDate(row.cells.at(c)) : row.cells.at(c));
        }
        parsed.records.push_back(std::move(r));
    }
    return parsed;
}

} // namespace csv
