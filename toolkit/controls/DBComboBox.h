// A combo box with free input and a drop-down list of suggestions, bound to
// one text field.
//
// The field's text stands in the edit part whether or not it is an item.
// Typed text goes to the field on leaving the control or when the dataset
// posts; an item chosen from the list goes at once.
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QComboBox>

namespace tk {

class DBComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit DBComboBox(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on);

    // Opens the list only when the field can be modified (starting an edit
    // under the AutoEdit rules).
    void showPopup() override;

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showField();
    void updateReadOnly();
    void chosen(int index);

    FieldDataLink m_link;
    bool m_showing = false;
};

} // namespace tk
