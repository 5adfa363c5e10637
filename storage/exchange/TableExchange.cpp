// Reading shown records and writing imported ones.
#include "storage/exchange/TableExchange.h"

#include "storage/AppointmentSeries.h"
#include "storage/DatabaseSchema.h"
#include "storage/RecordKey.h"
#include "storage/TXbaseDataSet.h"
#include "xbase/text/Codepage.h"

#include <algorithm>
#include <set>

namespace exchange {

namespace {

const QString kNoteField = QStringLiteral("NOTIZEN");

// The first character of `text` that Windows-1252 cannot hold, as text.
bool fitsCodePage(const QString &text, QString *bad, int *bytes)
{
    const QByteArray utf8 = text.toUtf8();
    std::string out;
    std::size_t offset = 0;
    if (xb::utf8ToCp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), out, &offset)) {
        *bytes = static_cast<int>(out.size());
        return true;
    }
    const QString rest = QString::fromUtf8(utf8.constData() + offset, utf8.size() - static_cast<qsizetype>(offset));
    const char32_t cp = rest.isEmpty() ? 0 : rest.toUcs4().value(0);
    *bad = QString::fromUcs4(&cp, 1) + QStringLiteral(" (U+%1)").arg(static_cast<uint>(cp), 4, 16, QLatin1Char('0')).toUpper();
    return false;
}

bool parseNumber(QString text, double *value)
{
    text = text.trimmed();
    if (!text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok;
}

QDate parseDate(const QString &text)
{
    return QDate::fromString(text.trimmed(), QStringLiteral("yyyyMMdd"));
}

void setField(tk::Field *field, const QString &text)
{
    switch (field->DataType()) {
    case tk::FieldType::String:
        field->SetAsString(text);
        break;
    case tk::FieldType::Date:
        if (text.trimmed().isEmpty())
            field->Clear();
        else
            field->SetAsDate(parseDate(text));
        break;
    case tk::FieldType::SmallInt:
    case tk::FieldType::Integer:
    case tk::FieldType::Float: {
        double v = 0;
        if (text.trimmed().isEmpty() || !parseNumber(text, &v))
            field->Clear();
        else if (field->DataType() == tk::FieldType::Float)
            field->SetAsFloat(v);
        else
            field->SetAsInteger(static_cast<int>(v));
        break;
    }
    case tk::FieldType::Boolean:
        field->SetAsBoolean(text.trimmed().startsWith(QLatin1Char('T'), Qt::CaseInsensitive)
                            || text.trimmed().startsWith(QLatin1Char('Y'), Qt::CaseInsensitive));
        break;
    default:
        break;
    }
}

void openTable(TXbaseDataSet &ds, const QString &dataDir, const QString &file)
{
    ds.DatabaseName = dataDir;
    ds.SetTableName(file);
    ds.SetIndexName(QStringLiteral("1"));
    ds.SetHideDeleted(true);
    ds.Open();
}

bool isKeyField(const QString &name)
{
    return name == QLatin1String("INR") || name == QLatin1String("L_UPDATE");
}

} // namespace

QString keyPrefixOf(int position)
{
    switch (position) {
    case schema::kAdress: return QString::fromLatin1(recordkey::kAdress);
    case schema::kTermin: return QString::fromLatin1(recordkey::kTermin);
    case schema::kCassette: return QString::fromLatin1(recordkey::kCassette);
    case schema::kVideo: return QString::fromLatin1(recordkey::kVideo);
    case schema::kBooks: return QString::fromLatin1(recordkey::kBooks);
    default: return {};
    }
}

Record recordOf(tk::DataSet &table)
{
    Record r;
    for (int i = 0; i < table.FieldCount(); ++i) {
        tk::Field *f = table.Fields(i);
        QString text;
        if (f->IsBlob())
            continue;
        if (!f->IsNull()) {
            switch (f->DataType()) {
            case tk::FieldType::String:
                text = f->AsString();
                while (!text.isEmpty() && text.back() == QLatin1Char(' '))
                    text.chop(1);
                break;
            case tk::FieldType::Date:
                text = f->AsDate().isValid() ? f->AsDate().toString(QStringLiteral("yyyyMMdd")) : QString();
                break;
            case tk::FieldType::SmallInt:
            case tk::FieldType::Integer:
                text = QString::number(f->AsInteger());
                break;
            case tk::FieldType::Float:
                text = QString::number(f->AsFloat(), 'f', f->Decimals());
                break;
            case tk::FieldType::Boolean:
                text = f->AsBoolean() ? QStringLiteral("T") : QStringLiteral("F");
                break;
            default:
                break;
            }
        }
        r.fields.insert(f->FieldName(), text);
    }
    return r;
}

QString noteOf(TXbaseDataSet &notes, const QString &inr)
{
    const QString key = inr.trimmed();
    if (key.isEmpty() || !notes.Active())
        return {};
    if (!notes.Seek(key) || notes.FieldByName(QStringLiteral("INR"))->AsString().trimmed() != key)
        return {};
    QString text = notes.FieldByName(QStringLiteral("NOTIZ"))->AsString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void openShown(TXbaseDataSet &ds, const QString &dataDir, const QString &file, const QString &indexName,
               const QString &filter)
{
    ds.DatabaseName = dataDir;
    ds.SetTableName(file);
    ds.SetIndexName(indexName.isEmpty() ? QStringLiteral("1") : indexName);
    ds.SetHideDeleted(true);
    ds.Open();
    if (!filter.isEmpty() && filter != QLatin1String(".T."))
        ds.Query(filter);
}

std::vector<Record> readAll(TXbaseDataSet &table, TXbaseDataSet *notes, const Progress &progress)
{
    std::vector<Record> records;
    const qint64 total = table.QueryRecCount();
    records.reserve(static_cast<std::size_t>(std::max<qint64>(total, 0)));
    for (table.First(); !table.Eof(); table.Next()) {
        Record r = recordOf(table);
        if (notes)
            r.note = noteOf(*notes, r.fields.value(QStringLiteral("INR")));
        records.push_back(std::move(r));
        if (progress && !progress(static_cast<qint64>(records.size()), total))
            break;
    }
    return records;
}

bool check(const tk::DataSet &table, const Record &record, std::vector<Finding> &findings)
{
    bool ok = true;
    std::vector<Finding> shortened; // reported only for a record that is written
    auto refuse = [&](Problem problem, const QString &field, const QString &detail) {
        findings.push_back({record.line, problem, field, detail, true});
        ok = false;
    };
    for (auto it = record.fields.constBegin(); it != record.fields.constEnd(); ++it) {
        const tk::Field *f = table.FindField(it.key());
        if (!f || f->IsBlob() || isKeyField(it.key()))
            continue;
        const QString &text = it.value();
        switch (f->DataType()) {
        case tk::FieldType::String: {
            QString bad;
            int bytes = 0;
            if (!fitsCodePage(text, &bad, &bytes))
                refuse(Problem::NotWindows1252, it.key(), bad);
            else if (bytes > f->Size())
                shortened.push_back({record.line, Problem::Shortened, it.key(), QString::number(f->Size()), false});
            break;
        }
        case tk::FieldType::Date:
            if (!text.trimmed().isEmpty() && !parseDate(text).isValid())
                refuse(Problem::BadDate, it.key(), text);
            break;
        case tk::FieldType::SmallInt:
        case tk::FieldType::Integer:
        case tk::FieldType::Float: {
            double v = 0;
            if (text.trimmed().isEmpty())
                break;
            if (!parseNumber(text, &v)
                || QString::number(v, 'f', f->Decimals()).size() > f->Size())
                refuse(Problem::BadNumber, it.key(), text);
            break;
        }
        default:
            break;
        }
    }
    QString bad;
    int bytes = 0;
    if (!fitsCodePage(record.note, &bad, &bytes))
        refuse(Problem::NotWindows1252, kNoteField, bad);
    if (ok)
        findings.insert(findings.end(), shortened.begin(), shortened.end());
    return ok;
}

ImportResult importRecords(const QString &dataDir, int position, const Parsed &parsed, const Progress &progress)
{
    ImportResult result;
    result.findings = parsed.findings;
    {
        std::set<int> refusedLines;
        for (const Finding &f : parsed.findings)
            if (f.refused)
                refusedLines.insert(f.line);
        result.refused = static_cast<int>(refusedLines.size());
    }
    const SchemaTable &schemaTable = schema::table(position);
    const QString prefix = keyPrefixOf(position);
    TXbaseDataSet table;
    openTable(table, dataDir, schema::tableFile(schemaTable.stem, QStringLiteral("DBF")));
    TXbaseDataSet notes;
    openTable(notes, dataDir, QStringLiteral("NOTIZEN.DBF"));
    table.SetSyncEachPost(false);
    notes.SetSyncEachPost(false);

    const QDate today = QDate::currentDate();
    const qint64 total = static_cast<qint64>(parsed.records.size());
    std::vector<const Record *> seriesRecords;
    qint64 done = 0;
    auto flush = [&] {
        notes.SyncToDisk();
        table.SyncToDisk();
    };
    try {
        for (const Record &r : parsed.records) {
            if (progress && !progress(done, total)) {
                result.cancelled = true;
                break;
            }
            ++done;
            if (!check(table, r, result.findings)) {
                ++result.refused;
                continue;
            }
            if (!r.dates.empty() && position == schema::kTermin) {
                seriesRecords.push_back(&r);
                continue;
            }
            try {
                const QString key = prefix.isEmpty() ? QString() : recordkey::createKey(notes, prefix);
                table.Append();
                for (auto it = r.fields.constBegin(); it != r.fields.constEnd(); ++it) {
                    tk::Field *f = table.FindField(it.key());
                    if (f && !f->IsBlob() && !isKeyField(it.key()))
                        setField(f, it.value());
                }
                if (!key.isEmpty())
                    table.FieldByName(QStringLiteral("INR"))->SetAsString(key);
                if (tk::Field *f = table.FindField(QStringLiteral("L_UPDATE")))
                    f->SetAsDate(today);
                table.Post();
                if (!key.isEmpty() && !r.note.isEmpty()) {
                    notes.Edit();
                    notes.FieldByName(QStringLiteral("NOTIZ"))->SetAsString(r.note);
                    notes.Post();
                }
                ++result.added;
            } catch (const std::exception &e) {
                if (table.Editing())
                    table.Cancel();
                if (notes.Editing())
                    notes.Cancel();
                result.findings.push_back({r.line, Problem::WriteFailed, QString(), QString::fromUtf8(e.what()), true});
                ++result.refused;
            }
        }
        flush();
    } catch (...) {
        try {
            flush();
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
    table.Close();
    notes.Close();

    // Series after the single records: each writes and flushes its members.
    for (const Record *r : seriesRecords) {
        series::Appointment from;
        from.zeit = r->fields.value(QStringLiteral("ZEIT"));
        from.ezeit = r->fields.value(QStringLiteral("EZEIT"));
        from.termin = r->fields.value(QStringLiteral("TERMIN"));
        from.notiz = r->fields.value(QStringLiteral("NOTIZ"));
        from.telnu = r->fields.value(QStringLiteral("TELNU"));
        from.note = r->note;
        const long number = series::newSeriesNumber(dataDir);
        const int written = series::generate(dataDir, r->dates, from, number);
        result.added += written;
        const int taken = static_cast<int>(std::set<QDate>(r->dates.begin(), r->dates.end()).size()) - written;
        if (taken > 0)
            result.findings.push_back({r->line, Problem::DatesTaken, QStringLiteral("DATUM"), QString::number(taken), false});
    }
    std::stable_sort(result.findings.begin(), result.findings.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
    return result;
}

} // namespace exchange
