// Order, seek, query, scope, evaluation, locate, master/detail and the row
// window of TXbaseDataSet.
#include "storage/TXbaseDataSet.h"

#include "storage/XbaseQuote.h"
#include "util/Ansi.h"
#include "xbase/api/XbApi.h"

#include <QMetaObject>
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
    // Keep the current record's row, so that the grid stays in place.
    const long recno = Active() && !IsEmpty() ? static_cast<long>(GetBookmark()) : 0;
    m_window.reset(recno, recno > 0 ? m_window.knownRow(recno) : -1);
}

void TXbaseDataSet::afterRowWindow(long saved)
{
    if (saved > 0 && saved <= xb_RecCount() && xb_RecNo() != saved)
        xb_Go(saved);
    if (m_window.takeMoved() && !m_rowsMovedPending) {
        m_rowsMovedPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_rowsMovedPending = false;
                if (Active())
                    notify(tk::DataEvent::RowsMoved);
            },
            Qt::QueuedConnection);
    }
}

int TXbaseDataSet::RowCount()
{
    if (!Active())
        return 0;
    select();
    const long saved = xb_RecNo();
    const int count = m_window.count();
    afterRowWindow(saved);
    return count;
}

bool TXbaseDataSet::FetchRow(int row, tk::RecordBuffer &out)
{
    if (!Active())
        return false;
    select();
    const long saved = xb_RecNo();
    const long recno = m_window.recnoAt(row);
    if (recno > 0)
        readRecord(out);
    afterRowWindow(saved);
    return recno > 0;
}

int TXbaseDataSet::CurrentRow()
{
    if (!Active() || IsEmpty())
        return -1;
    select();
    const long saved = xb_RecNo();
    const int row = m_window.rowOf(static_cast<long>(GetBookmark()));
    afterRowWindow(saved);
    return row;
}
