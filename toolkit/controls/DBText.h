// A read-only text showing the display text of one field of the current
// record (a date of last change, say).
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QLabel>

namespace tk {

class DBText : public QLabel {
    Q_OBJECT

public:
    explicit DBText(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

private:
    FieldDataLink m_link;
};

} // namespace tk
