// A check box bound to one field that stores chosen texts for ticked and
// cleared (for example "W" and "F", or "J" and "N").
//
// A field whose text matches neither (letter case and surrounding blanks
// ignored), an empty one included, shows the undecided state. A click
// stores the first text of ValueChecked or ValueUnchecked at once; the
// user cannot choose the undecided state. Boolean fields store true and
// false and show null as undecided.
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QCheckBox>

namespace tk {

class DBCheckBox : public QCheckBox {
    Q_OBJECT

public:
    explicit DBCheckBox(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on) { m_link.ReadOnly = on; }

    // Texts meaning ticked and cleared, several separated by ";"; the first
    // one is stored.
    QString ValueChecked = QStringLiteral("True");
    QString ValueUnchecked = QStringLiteral("False");
    // Re-reads the field after ValueChecked or ValueUnchecked changed.
    void refresh() { m_link.reset(); }

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void nextCheckState() override;

private:
    void showField();

    FieldDataLink m_link;
};

} // namespace tk
