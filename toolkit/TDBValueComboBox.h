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

#include "toolkit/FieldDataLink.h"

#include <QComboBox>
#include <QStringList>

namespace tk {

class TDBValueComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TDBValueComboBox(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on) { m_link.ReadOnly = on; }

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

    void showPopup() override;

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void showField();
    void chosen(int index);

    FieldDataLink m_link;
    QStringList m_values;
};

} // namespace tk
