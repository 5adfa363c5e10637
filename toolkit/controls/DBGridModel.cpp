// The grid's item model on the dataset's row window: row count kept in step
// with inserts, posts and cancels, rows fetched on demand, cell texts with
// the columns' formats, edits through the fields.
#include "toolkit/controls/DBGridModel.h"

#include "platform/FormatSettings.h"
#include "toolkit/data/DataErrors.h"
#include "toolkit/data/FormatFloat.h"
#include "toolkit/text/TextCase.h"
#include "xbase/text/Dates.h"

#include <algorithm>

namespace tk {

namespace {

// Rows kept between two re-reads; a screenful is a few dozen.
constexpr std::size_t kCacheLimit = 512;

QString datePattern(const QString &format)
{
    QString pattern = format;
    pattern.replace(QLatin1String("mm"), QLatin1String("MM"));
    return pattern;
}

} // namespace

class DBGridModel::Link : public DataLink {
public:
    explicit Link(DBGridModel *owner) : m_owner(owner) {}
    void activeChanged() override { m_owner->activeChanged(); }
    void editingChanged() override { m_owner->editingChanged(); }
    void recordChanged(Field *field) override { m_owner->recordChanged(field); }
    void dataSetChanged() override { m_owner->contentsChanged(); }
    void rowsMoved() override { m_owner->rowsMoved(); }
    void updateData() override { emit m_owner->updateDataRequested(); }
    void dataSetScrolled() override
    {
        if (m_owner->m_rows > 0)
            emit m_owner->headerDataChanged(Qt::Vertical, 0, m_owner->m_rows - 1);
        emit m_owner->currentRowChanged(m_owner->currentRow());
    }

private:
    DBGridModel *m_owner;
};

DBGridModel::DBGridModel(QObject *parent) : QAbstractTableModel(parent), m_link(std::make_unique<Link>(this)) {}

DBGridModel::~DBGridModel() = default;

tk::DataSource *DBGridModel::dataSource() const
{
    return m_link->dataSource();
}

void DBGridModel::SetDataSource(tk::DataSource *source)
{
    m_link->SetDataSource(source);
}

void DBGridModel::SetColumns(std::vector<DBGridColumn> columns)
{
    beginResetModel();
    m_columns = std::move(columns);
    bindFields();
    m_cache.clear();
    endResetModel();
}

void DBGridModel::bindFields()
{
    m_effective.clear();
    m_fields.clear();
    DataSet *ds = m_link->dataSet();
    const bool active = ds && ds->Active();
    if (m_columns.empty() && active) {
        for (int i = 0; i < ds->FieldCount(); ++i) {
            DBGridColumn column;
            column.FieldName = ds->Fields(i)->FieldName();
            m_effective.push_back(column);
        }
    } else {
        m_effective = m_columns;
    }
    for (const DBGridColumn &column : m_effective)
        m_fields.push_back(active ? ds->FindField(column.FieldName) : nullptr);
}

tk::Field *DBGridModel::columnField(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_fields.size()) || !m_link->Active())
        return nullptr;
    return m_fields[static_cast<std::size_t>(column)];
}

int DBGridModel::columnChars(int column) const
{
    if (column < 0 || column >= static_cast<int>(m_effective.size()))
        return 0;
    const DBGridColumn &c = m_effective[static_cast<std::size_t>(column)];
    if (c.Width > 0)
        return c.Width;
    const Field *f = columnField(column);
    int chars = f ? f->Size() : 10;
    if (f && f->DataType() == FieldType::Date)
        chars = 10;
    if (f && f->IsBlob())
        chars = 8;
    const int title = static_cast<int>((c.Title.isEmpty() ? c.FieldName : c.Title).size());
    return std::clamp(std::max(chars, title), 2, 60);
}

int DBGridModel::wantedRowCount() const
{
    DataSet *ds = m_link->dataSet();
    if (!ds || !ds->Active())
        return 0;
    return ds->RowCount() + (ds->state() == DataSet::State::Insert ? 1 : 0);
}

int DBGridModel::currentRow() const
{
    DataSet *ds = m_link->dataSet();
    if (!ds || !ds->Active())
        return -1;
    if (ds->state() == DataSet::State::Insert)
        return m_insertRow;
    if (ds->IsEmpty())
        return -1;
    return ds->CurrentRow();
}

bool DBGridModel::isInsertRow(int row) const
{
    return row >= 0 && row == m_insertRow;
}

void DBGridModel::activeChanged()
{
    beginResetModel();
    bindFields();
    m_cache.clear();
    m_rows = wantedRowCount();
    DataSet *ds = m_link->dataSet();
    m_insertRow = ds && ds->state() == DataSet::State::Insert ? m_rows - 1 : -1;
    endResetModel();
    emit currentRowChanged(currentRow());
}

void DBGridModel::editingChanged()
{
    contentsChanged();
}

void DBGridModel::recordChanged(tk::Field *field)
{
    if (!field) {
        contentsChanged();
        return;
    }
    const int row = currentRow();
    if (row >= 0 && row < m_rows && !m_effective.empty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DBGridModel::contentsChanged()
{
    m_cache.clear();
    DataSet *ds = m_link->dataSet();
    const bool inserting = ds && ds->Active() && ds->state() == DataSet::State::Insert;
    const int wanted = wantedRowCount();
    const bool wasInserting = m_insertRow >= 0;
    if (wanted == m_rows) {
        m_insertRow = inserting ? m_rows - 1 : -1;
        if (m_rows > 0 && !m_effective.empty()) {
            emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
            emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
        }
    } else if (inserting && !wasInserting && wanted == m_rows + 1) {
        beginInsertRows(QModelIndex(), m_rows, m_rows);
        m_rows = wanted;
        m_insertRow = m_rows - 1;
        endInsertRows();
    } else if (!inserting && wasInserting && wanted == m_rows - 1) {
        beginRemoveRows(QModelIndex(), m_rows - 1, m_rows - 1);
        m_rows = wanted;
        m_insertRow = -1;
        endRemoveRows();
    } else {
        beginResetModel();
        m_rows = wanted;
        m_insertRow = inserting ? m_rows - 1 : -1;
        endResetModel();
    }
    emit currentRowChanged(currentRow());
}

void DBGridModel::rowsMoved()
{
    // Same records, other row numbers: repaint without moving the view.
    m_cache.clear();
    DataSet *ds = m_link->dataSet();
    if (!ds || !ds->Active())
        return;
    const bool inserting = ds->state() == DataSet::State::Insert;
    const int wanted = wantedRowCount();
    if (wanted > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, wanted - 1);
        m_rows = wanted;
        endInsertRows();
    } else if (wanted < m_rows) {
        beginRemoveRows(QModelIndex(), wanted, m_rows - 1);
        m_rows = wanted;
        endRemoveRows();
    }
    m_insertRow = inserting ? m_rows - 1 : -1;
    if (m_rows > 0 && !m_effective.empty()) {
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
    }
    emit currentRowShifted(currentRow());
}

void DBGridModel::moveToRow(int row)
{
    DataSet *ds = m_link->dataSet();
    if (!ds || !ds->Active())
        return;
    auto it = m_cache.find(row);
    if (it != m_cache.end() && it->second.bookmark > 0)
        ds->GotoBookmark(it->second.bookmark);
    else
        ds->MoveToRow(row);
}

int DBGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DBGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_effective.size());
}

const tk::RecordBuffer *DBGridModel::rowBuffer(int row) const
{
    auto it = m_cache.find(row);
    if (it != m_cache.end())
        return &it->second;
    DataSet *ds = m_link->dataSet();
    if (!ds || !ds->Active())
        return nullptr;
    if (m_cache.size() >= kCacheLimit)
        m_cache.clear();
    RecordBuffer buffer;
    ++m_fetches;
    if (!ds->FetchRow(row, buffer))
        return nullptr;
    return &m_cache.emplace(row, std::move(buffer)).first->second;
}

QString DBGridModel::formatted(const tk::Field *field, const QVariant &value, const QString &format,
                               bool forEdit) const
{
    if (!value.isValid())
        return QString();
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    if (field->IsNumeric()) {
        return formatFloat(format, value.toDouble(), fs.decimalSeparator, forEdit ? QChar() : fs.thousandSeparator);
    }
    if (field->DataType() == FieldType::Date) {
        const QDate d = value.toDate();
        return QString::fromStdString(
            xb::formatDate(xb::Date{d.year(), d.month(), d.day()}, datePattern(format).toStdString()));
    }
    return field->DisplayTextOf(value);
}

QString DBGridModel::cellText(int row, int column, bool forEdit) const
{
    const Field *f = columnField(column);
    if (!f)
        return QString();
    DataSet *ds = m_link->dataSet();
    const bool live = isInsertRow(row) || (ds->Editing() && row == ds->CurrentRow());
    QVariant value;
    bool null = true;
    if (live) {
        null = f->IsNull();
        if (!f->IsBlob())
            value = f->Value();
    } else {
        const RecordBuffer *buffer = rowBuffer(row);
        if (!buffer)
            return QString();
        value = buffer->values[static_cast<std::size_t>(f->Index())];
        null = !value.isValid();
    }
    if (f->IsBlob()) {
        const bool memo = f->DataType() == FieldType::Memo;
        return null ? (memo ? QStringLiteral("(memo)") : QStringLiteral("(blob)"))
                    : (memo ? QStringLiteral("(MEMO)") : QStringLiteral("(BLOB)"));
    }
    const DBGridColumn &c = m_effective[static_cast<std::size_t>(column)];
    const QString &format = forEdit ? c.EditFormat : c.DisplayFormat;
    if (!format.isEmpty())
        return formatted(f, value, format, forEdit);
    if (forEdit && live)
        return f->EditText();
    return f->DisplayTextOf(value);
}

QVariant DBGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= columnCount())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return cellText(index.row(), index.column(), false);
    case Qt::EditRole: return cellText(index.row(), index.column(), true);
    case Qt::TextAlignmentRole: return headerData(index.column(), Qt::Horizontal, role);
    default: return QVariant();
    }
}

QVariant DBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // The row indicator: the current record, being edited or inserted.
        if (role != Qt::DisplayRole || section != currentRow() || section < 0)
            return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
        DataSet *ds = m_link->dataSet();
        if (ds->state() == DataSet::State::Insert)
            return QStringLiteral("*");
        return ds->state() == DataSet::State::Edit ? QStringLiteral("I") : QStringLiteral("\u25B8");
    }
    if (section < 0 || section >= columnCount())
        return QVariant();
    const DBGridColumn &c = m_effective[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return c.Title.isEmpty() ? c.FieldName : c.Title;
    if (role == Qt::TextAlignmentRole) {
        Qt::Alignment a = c.Alignment & Qt::AlignHorizontal_Mask;
        if (!a) {
            const Field *f = columnField(section);
            a = f && f->IsNumeric() ? Qt::AlignRight : Qt::AlignLeft;
        }
        return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    return QVariant();
}

Qt::ItemFlags DBGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Field *field = columnField(index.column());
    DataSet *ds = m_link->dataSet();
    if (ReadOnly || !field || field->ReadOnly || field->IsBlob() || m_effective[static_cast<std::size_t>(index.column())].ReadOnly)
        return f;
    const bool editable = ds->Editing() ? index.row() == currentRow() : dataSource()->AutoEdit;
    return editable ? f | Qt::ItemIsEditable : f;
}

bool DBGridModel::setCellText(const QModelIndex &index, const QString &text)
{
    if (!(flags(index) & Qt::ItemIsEditable))
        return false;
    DataSet *ds = m_link->dataSet();
    if (index.row() != currentRow())
        moveToRow(index.row());
    if (!dataSource()->Edit())
        return false;
    // Moving or starting the edit may have re-read the fields.
    Field *field = columnField(index.column());
    if (!field)
        return false;
    const DBGridColumn &rule = column(index.column());
    const QString cased = applyCellCase(rule, text);
    const QString refusal = cellInputError(rule, cased);
    if (!refusal.isEmpty())
        throw DataSetError(refusal.toStdString());
    field->SetEditText(cased);
    return true;
}

const DBGridColumn &DBGridModel::column(int column) const
{
    return m_effective.at(static_cast<std::size_t>(column));
}

QString applyCellCase(const DBGridColumn &column, const QString &text)
{
    switch (column.Case) {
    case CellCase::Upper: return upperCase(text);
    case CellCase::FirstUpper: return upperCase(text.left(1)) + text.mid(1);
    case CellCase::AsTyped: break;
    }
    return text;
}

QString cellInputError(const DBGridColumn &column, const QString &text)
{
    qsizetype length = text.size();
    while (length > 0 && text.at(length - 1) == QLatin1Char(' '))
        --length;
    const QString heading = column.Title.isEmpty() ? column.FieldName : column.Title;
    if (column.MinLength > 0 && (length == 0 || text.at(0) == QLatin1Char(' ')))
        return QStringLiteral("Invalid entry for %1: the first character is required.").arg(heading);
    if (length < column.MinLength)
        return QStringLiteral("Invalid entry for %1: it needs %2 characters.").arg(heading).arg(column.MinLength);
    if (column.MaxLength > 0 && length > column.MaxLength)
        return QStringLiteral("Invalid entry for %1: at most %2 characters.").arg(heading).arg(column.MaxLength);
    return QString();
}

bool DBGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    m_lastError.clear();
    if (role != Qt::EditRole)
        return false;
    try {
        return setCellText(index, value.toString());
    } catch (const tk::Abort &) {
        return false;
    } catch (const std::exception &e) {
        m_lastError = QString::fromUtf8(e.what());
        return false;
    }
}

} // namespace tk
