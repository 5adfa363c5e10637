// A multi-line text bound to one memo (or text) field. Typed text goes to
// the field on leaving the control or when the dataset posts.
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QPlainTextEdit>

namespace tk {

class DBMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit DBMemo(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on);

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void showField();
    void updateReadOnly();

    FieldDataLink m_link;
    bool m_showing = false;
};

} // namespace tk
