// A drop-down list bound to one field with two parallel lists: the items
// shown and the values stored (codes such as a sex or a rating, whose
// texts come from the language file).
//
// When the record or the field changes, the item at the position of the
// field's text in Values is selected (none when the text is not a value).
// A choice stores the value at the position of the chosen item at once, an
// empty text when no item is chosen. Escape shows the field's value again;
// keys and the wheel change nothing while the field cannot be modified.
#pragma once

#include "toolkit/controls/DBListComboBox.h"
#include <QStringList>

namespace tk {

class TDBValueComboBox : public DBListComboBox {
    Q_OBJECT

public:
    explicit TDBValueComboBox(QWidget *parent = nullptr);

    // The shown items (the combo box's own items) and the stored values.
    QStringList Items() const;
    void SetItems(const QStringList &items);
    QStringList Values() const { return m_values; }
    void SetValues(const QStringList &values);

    // The value stored for the selected item; empty when none is selected.
    QString selectedValue() const;
    // Selects the item whose value is `value` (none when there is none)
    // without touching the field.
    void selectValue(const QString &value);

private:
    void showField();
    void chosen(int index);

    QStringList m_values;
};

} // namespace tk
