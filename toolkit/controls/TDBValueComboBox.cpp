// The bound value list: shown items and stored values side by side.
#include "toolkit/controls/TDBValueComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tk {

TDBValueComboBox::TDBValueComboBox(QWidget *parent) : DBListComboBox(parent)
{
    setEditable(false);
    m_link.OnDataChange = [this] { showField(); };
    m_link.OnUpdateData = [this] {
        if (Field *f = field())
            f->SetAsString(selectedValue());
    };
    connect(this, &QComboBox::activated, this, &TDBValueComboBox::chosen);
}

QStringList TDBValueComboBox::Items() const
{
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items << itemText(i);
    return items;
}

void TDBValueComboBox::SetItems(const QStringList &items)
{
    clear();
    addItems(items);
    showField();
}

void TDBValueComboBox::SetValues(const QStringList &values)
{
    m_values = values;
    showField();
}

QString TDBValueComboBox::selectedValue() const
{
    const int index = currentIndex();
    return index >= 0 && index < count() ? m_values.value(index) : QString();
}

void TDBValueComboBox::selectValue(const QString &value)
{
    int index = static_cast<int>(m_values.indexOf(value));
    if (index < 0) {
        // Text fields may come back padded to their width.
        const QString trimmed = value.trimmed();
        for (int i = 0; i < m_values.size() && index < 0; ++i) {
            if (m_values.at(i).trimmed() == trimmed && !(trimmed.isEmpty() && !m_values.at(i).isEmpty()))
                index = i;
        }
    }
    setCurrentIndex(index < count() ? index : -1);
}

void TDBValueComboBox::showField()
{
    const Field *f = field();
    if (!f) {
        setCurrentIndex(-1);
        return;
    }
    selectValue(f->AsString());
}

void TDBValueComboBox::chosen(int)
{
    if (!m_link.edit()) {
        m_link.reset();
        return;
    }
    m_link.modified();
    if (!runGuarded([this] { m_link.updateRecord(); }))
        m_link.reset();
}

} // namespace tk
