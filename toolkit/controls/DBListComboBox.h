// The part every drop-down list bound to a field shares: the field link,
// and the rules that keep the list from changing a field that cannot be
// modified (keys and the wheel do nothing then, Escape shows the field's
// value again, the list opens only when the field may change).
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QComboBox>

namespace tk {

class DBListComboBox : public QComboBox {
    Q_OBJECT

public:
    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on) { m_link.ReadOnly = on; }

    void showPopup() override;

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

protected:
    explicit DBListComboBox(QWidget *parent);

    // Called before the list opens (a lookup reads its items then).
    virtual void prepareList() {}

    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

    FieldDataLink m_link;
};

} // namespace tk
