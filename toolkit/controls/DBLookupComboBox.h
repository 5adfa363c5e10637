// A drop-down list bound to one field whose choices come from a second
// dataset (a reference table): the list shows ListField of every record of
// ListSource's dataset and stores the KeyField of the chosen one.
//
// The list is read through the row window when it is first needed and
// again after the list dataset changed. The field's value selects the item
// with that key; a value that is not in the list stays visible, greyed. A
// choice stores the key at once and moves the list dataset to the chosen
// record (Locate), so a window can read the record's other fields.
#pragma once

#include "toolkit/controls/DBListComboBox.h"
#include <QHash>

#include <memory>

namespace tk {

class DBLookupComboBox : public DBListComboBox {
    Q_OBJECT

public:
    explicit DBLookupComboBox(QWidget *parent = nullptr);
    ~DBLookupComboBox() override;

    // The list: a data source on the reference dataset (it must outlive
    // this control or be detached first), its key and shown fields.
    tk::DataSource *ListSource() const;
    void SetListSource(tk::DataSource *source);
    QString KeyField() const { return m_keyField; }
    void SetKeyField(const QString &name);
    QString ListField() const { return m_listField; }
    void SetListField(const QString &name);

    // Width of the opened list in pixels; 0: the control's width.
    void SetDropDownWidth(int pixels);

    // The key of the selected item (invalid when none is selected).
    QVariant selectedKey() const;

protected:
    void prepareList() override { ensureList(); }

private:
    class ListLink;

    void showField();
    void ensureList();
    void listChanged();
    void chosen(int index);

    std::unique_ptr<ListLink> m_listLink;
    QString m_keyField;
    QString m_listField;
    QHash<QString, int> m_indexOfKey;
    bool m_listValid = false;
    bool m_locating = false;
};

} // namespace tk
