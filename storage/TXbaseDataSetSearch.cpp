// Order, seek, query, scope, evaluation, locate, master/detail and the row
// window of TXbaseDataSet.
#include "storage/TXbaseDataSet.h"

#include "storage/XbaseQuote.h"
#include "util/Ansi.h"
#include "xbase/api/XbApi.h"

#include <QStringList>

namespace {

std::string ansi(const QString &text)
{
    return toAnsi(text);
}

} // namespace

// Follows the master's current record and narrows the detail to its key.
class TXbaseDataSet::MasterLink : public tk::DataLink {
public:
    explicit MasterLink(TXbaseDataSet *detail) : m_detail(detail) {}
    void activeChanged() override { m_detail->masterChanged(); }
    void recordChanged(tk::Field *field) override
    {
        if (!field || field->FieldName().compare(m_detail->MasterFields, Qt::CaseInsensitive) == 0)
            m_detail->masterChanged();
    }
    void dataSetChanged() override { m_detail->masterChanged(); }
    void dataSetScrolled() override { m_detail->masterChanged(); }

private:
    TXbaseDataSet *m_detail;
};

TXbaseDataSet::TXbaseDataSet(QObject *parent) : tk::DataSet(parent)
{
    static const bool once = [] {
        xb_SetStringType(1);
        return true;
    }();
    (void)once;
}

TXbaseDataSet::~TXbaseDataSet()
{
    m_masterLink.reset();
    if (Active()) {
        try {
            Close();
        } catch (...) {
            // Closing in a destructor must not throw; the engine keeps nothing pending.
        }
    }
}

void TXbaseDataSet::applyOrder(const QString &name, bool check)
{
    select();
    const int tag = name.isEmpty() ? 0 : xb_TagArea(ansi(name).c_str());
    if (check && !name.isEmpty() && tag == 0)
        throw EXbaseError(QStringLiteral("Invalid IndexName value : ") + name);
    xb_SetOrder(tag);
}

void TXbaseDataSet::SetIndexName(const QString &name)
{
    if (name == m_indexName)
        return;
    if (m_area <= 0 || !Active()) {
        m_indexName = name;
        return;
    }
    CheckBrowseMode();
    applyOrder(name, true);
    m_indexName = name;
    syncEngine();
    if (m_masterSource) {
        m_lastMasterKey.clear();
        masterChanged();
    }
    invalidateRows();
    m_positionFromEngine = true;
    Resync();
}

int TXbaseDataSet::SetOrder(int tag)
{
    if (!Active())
        return 0;
    CheckBrowseMode();
    select();
    const long recno = RecNo();
    const int result = xb_SetOrder(tag);
    m_indexName = fromAnsi(xb_TagName(tag));
    invalidateRows();
    SetRecNo(recno);
    return result;
}

bool TXbaseDataSet::Seek(const QString &key)
{
    if (!Active() || m_indexName.isEmpty())
        return false;
    CheckBrowseMode();
    runEvent(BeforeScroll);
    select();
    const bool found = xb_Seek(ansi(key).c_str()) != 0;
    if (!found)
        xb_GoBottom();
    m_positionFromEngine = true;
    Resync();
    notify(tk::DataEvent::DataSetScrolled);
    runEvent(AfterScroll);
    return found;
}

int TXbaseDataSet::Query(const QString &expression)
{
    if (!Active())
        return 0;
    // A query moves the record: a pending edit is posted first (a failed
    // post keeps the edit and refuses the query).
    settleEdit();
    select();
    const QString text = expression == QString(QChar(0)) ? QString() : expression;
    const long count = xb_Query(ansi(text).c_str());
    if (count < 0)
        engineError(QStringLiteral("Query failed"));
    invalidateRows();
    xb_GoTop();
    m_positionFromEngine = true;
    Resync();
    return static_cast<int>(count);
}

int TXbaseDataSet::QueryRecCount()
{
    if (m_area <= 0)
        return 0;
    select();
    return static_cast<int>(xb_QueryRecCount());
}

void TXbaseDataSet::SetScope(const QString &low, const QString &high)
{
    if (!Active())
        return;
    CheckBrowseMode();
    select();
    if (!xb_SetScope(ansi(low).c_str(), ansi(high).c_str()))
        engineError(QStringLiteral("Scope Set failed"));
    invalidateRows();
    xb_GoTop();
    m_positionFromEngine = true;
    Resync();
}

QString TXbaseDataSet::EvalString(const QString &expression)
{
    if (m_area <= 0)
        return QString();
    syncEngine();
    return fromAnsi(xb_EvalString(ansi(expression).c_str()));
}

bool TXbaseDataSet::Locate(const QString &keyFields, const QVariantList &keyValues)
{
    if (!Active())
        return false;
    CheckBrowseMode();
    const QStringList names = keyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QStringList terms;
    for (int i = 0; i < names.size(); ++i) {
        const tk::Field *field = FieldByName(names[i].trimmed());
        const QVariant value = keyValues.value(i);
        const QString name = field->FieldName();
        switch (field->DataType()) {
        case tk::FieldType::SmallInt:
        case tk::FieldType::Integer:
        case tk::FieldType::Float:
            terms << name + QLatin1Char('=') + QString::number(value.toLongLong());
            break;
        case tk::FieldType::Boolean:
            terms << name + (value.toBool() ? QStringLiteral("= .T.") : QStringLiteral("= .F."));
            break;
        case tk::FieldType::Date:
            terms << QStringLiteral("DTOS(%1)=\"%2\"").arg(name, value.toDate().toString(QStringLiteral("yyyyMMdd")));
            break;
        default:
            terms << name + QLatin1Char('=') + xbQuote(value.toString());
            break;
        }
    }
    if (terms.isEmpty())
        return false;
    select();
    const std::string saved = xb_DBFilter();
    const long count = xb_Query(ansi(terms.join(QStringLiteral(" .and. "))).c_str());
    long found = 0;
    if (count > 0) {
        xb_GoTop();
        if (!xb_Eof())
            found = xb_RecNo();
    }
    xb_Query(saved.c_str());
    if (found == 0) {
        syncEngine();
        return false;
    }
    GotoBookmark(found);
    return true;
}

void TXbaseDataSet::SetMasterSource(tk::DataSource *source)
{
    // Walk the chain of masters: it must not come back here.
    int guard = 0;
    for (tk::DataSource *s = source; s && guard < 64; ++guard) {
        tk::DataSet *ds = s->dataSet();
        if (ds == this)
            throw EXbaseError("Circular Datasource reference not allowed");
        auto *xds = qobject_cast<TXbaseDataSet *>(ds);
        s = xds ? xds->m_masterSource : nullptr;
    }
    m_masterLink.reset();
    m_masterSource = source;
    m_lastMasterKey.clear();
    if (source) {
        m_masterLink = std::make_unique<MasterLink>(this);
        m_masterLink->SetDataSource(source);
    }
}

void TXbaseDataSet::masterChanged()
{
    if (!m_masterSource || m_area <= 0)
        return;
    tk::DataSet *master = m_masterSource->dataSet();
    select();
    if (!master || !master->Active()) {
        if (!m_lastMasterKey.isNull()) {
            m_lastMasterKey = QString();
            xb_SetScope("", "");
            invalidateRows();
            if (Active()) {
                xb_GoTop();
                m_positionFromEngine = true;
                Resync();
            }
        }
        return;
    }
    if (master->state() == State::Insert)
        return;
    if (Active())
        CheckBrowseMode();
    const tk::Field *field = master->FieldByName(MasterFields);
    QString key;
    const QVariant value = field->Value();
    switch (field->DataType()) {
    case tk::FieldType::String:
        key = value.toString().leftJustified(field->Size(), QLatin1Char(' '));
        break;
    case tk::FieldType::SmallInt:
    case tk::FieldType::Integer:
    case tk::FieldType::Float:
        key = QString::number(value.toLongLong()).rightJustified(field->Size(), QLatin1Char('0'));
        break;
    case tk::FieldType::Boolean:
        key = value.toBool() ? QStringLiteral("T") : QStringLiteral("F");
        break;
    case tk::FieldType::Date:
        key = value.toDate().toString(QStringLiteral("yyyyMMdd"));
        break;
    default:
        key = value.toString();
        break;
    }
    if (key == m_lastMasterKey)
        return;
    m_lastMasterKey = key;
    select();
    if (!xb_SetScope(ansi(key).c_str(), ansi(key).c_str()))
        throw EXbaseError("Scope Set failed");
    invalidateRows();
    if (Active())
        First();
}

void TXbaseDataSet::invalidateRows()
{
    m_rowsValid = false;
}

void TXbaseDataSet::ensureRows()
{
    select();
    const long recCount = xb_RecCount();
    if (m_rowsValid && recCount == m_rowsRecCount)
        return;
    const long saved = xb_RecNo();
    m_rows.clear();
    m_rowOf.assign(static_cast<std::size_t>(recCount) + 2, -1);
    // A failed move ends the walk with the engine's message (a damaged
    // index must not keep the window spinning on one record). A record met
    // twice is left out (another holder moved its key meanwhile); an order
    // that keeps coming back is a damaged index.
    long steps = 0;
    for (bool moved = xb_GoTop() != 0; !xb_Eof(); moved = xb_Skip(1) != 0) {
        if (!moved)
            engineError(QStringLiteral("Cannot read the records in order"));
        const long recno = xb_RecNo();
        if (recno <= 0 || recno > recCount)
            break;
        if (++steps > 2 * recCount + 16)
            throw EXbaseError(QStringLiteral("The order of %1 keeps coming back to the same records: its index "
                                             "does not match the table, rebuild it")
                                  .arg(m_tableName));
        if (m_rowOf[static_cast<std::size_t>(recno)] >= 0)
            continue;
        m_rowOf[static_cast<std::size_t>(recno)] = static_cast<int>(m_rows.size());
        m_rows.push_back(static_cast<uint32_t>(recno));
    }
    if (saved > 0 && saved <= recCount)
        xb_Go(saved);
    m_rowsValid = true;
    m_rowsRecCount = recCount;
}

bool TXbaseDataSet::FetchRow(int row, tk::RecordBuffer &out)
{
    if (!Active())
        return false;
    ensureRows();
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return false;
    const long saved = xb_RecNo();
    xb_Go(m_rows[static_cast<std::size_t>(row)]);
    readRecord(out);
    if (saved > 0 && saved <= m_rowsRecCount)
        xb_Go(saved);
    return true;
}

int TXbaseDataSet::CurrentRow()
{
    if (!Active() || IsEmpty())
        return -1;
    ensureRows();
    const qint64 bookmark = GetBookmark();
    if (bookmark <= 0 || bookmark >= static_cast<qint64>(m_rowOf.size()))
        return -1;
    return m_rowOf[static_cast<std::size_t>(bookmark)];
}
