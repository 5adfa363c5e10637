// The bound lookup list: items read from a reference dataset's row window,
// keys stored, the reference dataset moved to the chosen record.
#include "toolkit/controls/DBLookupComboBox.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>

namespace tk {

namespace {

// Keys compare as texts without trailing blanks: fixed-width text fields
// come back padded.
QString keyText(const QVariant &value)
{
    QString text = value.toString();
    while (!text.isEmpty() && text.back() == QLatin1Char(' '))
        text.chop(1);
    return text;
}

} // namespace

class DBLookupComboBox::ListLink : public DataLink {
public:
    explicit ListLink(DBLookupComboBox *owner) : m_owner(owner) {}
    void activeChanged() override { m_owner->listChanged(); }
    void dataSetChanged() override { m_owner->listChanged(); }

private:
    DBLookupComboBox *m_owner;
};

DBLookupComboBox::DBLookupComboBox(QWidget *parent)
    : DBListComboBox(parent), m_listLink(std::make_unique<ListLink>(this))
{
    setEditable(false);
    m_link.OnDataChange = [this] { showField(); };
    m_link.OnUpdateData = [this] {
        if (Field *f = field())
            f->SetValue(selectedKey());
    };
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::chosen);
}

DBLookupComboBox::~DBLookupComboBox()
{
    m_listLink.reset();
}

tk::DataSource *DBLookupComboBox::ListSource() const
{
    return m_listLink->dataSource();
}

void DBLookupComboBox::SetListSource(tk::DataSource *source)
{
    m_listLink->SetDataSource(source);
}

void DBLookupComboBox::SetKeyField(const QString &name)
{
    m_keyField = name;
    listChanged();
}

void DBLookupComboBox::SetListField(const QString &name)
{
    m_listField = name;
    listChanged();
}

void DBLookupComboBox::SetDropDownWidth(int pixels)
{
    view()->setMinimumWidth(pixels);
}

QVariant DBLookupComboBox::selectedKey() const
{
    return currentIndex() >= 0 ? itemData(currentIndex()) : QVariant();
}

void DBLookupComboBox::listChanged()
{
    // Our own Locate re-reads the list dataset's record, not its records.
    if (m_locating)
        return;
    m_listValid = false;
    showField();
}

void DBLookupComboBox::ensureList()
{
    if (m_listValid)
        return;
    m_listValid = true;
    clear();
    m_indexOfKey.clear();
    DataSet *list = m_listLink->dataSet();
    if (!list || !list->Active())
        return;
    const Field *key = list->FindField(m_keyField);
    const Field *shown = list->FindField(m_listField.isEmpty() ? m_keyField : m_listField);
    if (!key || !shown)
        return;
    RecordBuffer row;
    const int rows = list->RowCount();
    for (int r = 0; r < rows; ++r) {
        if (!list->FetchRow(r, row))
            break;
        const QVariant k = row.values[static_cast<std::size_t>(key->Index())];
        const QVariant v = row.values[static_cast<std::size_t>(shown->Index())];
        m_indexOfKey.insert(keyText(k), count());
        addItem(shown->DisplayTextOf(v), k);
    }
}

void DBLookupComboBox::showField()
{
    ensureList();
    const Field *f = field();
    if (!f || f->IsNull()) {
        setPlaceholderText(QString());
        setCurrentIndex(-1);
        return;
    }
    const auto it = m_indexOfKey.constFind(keyText(f->Value()));
    if (it != m_indexOfKey.constEnd()) {
        setPlaceholderText(QString());
        setCurrentIndex(*it);
    } else {
        setPlaceholderText(f->DisplayText());
        setCurrentIndex(-1);
    }
}

void DBLookupComboBox::chosen(int index)
{
    if (index < 0)
        return;
    if (!m_link.edit()) {
        m_link.reset();
        return;
    }
    m_link.modified();
    if (!runGuarded([this] { m_link.updateRecord(); })) {
        m_link.reset();
        return;
    }
    DataSet *list = m_listLink->dataSet();
    if (list && list->Active()) {
        m_locating = true;
        runGuarded([&] { list->Locate(m_keyField, {itemData(index)}); });
        m_locating = false;
    }
}

} // namespace tk
