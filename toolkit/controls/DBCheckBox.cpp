// The bound check box: texts for ticked and cleared, undecided for others.
#include "toolkit/controls/DBCheckBox.h"

#include <QFocusEvent>

namespace tk {

namespace {

bool matches(const QString &text, const QString &values)
{
    const QStringList list = values.split(QLatin1Char(';'));
    for (const QString &v : list) {
        if (v.trimmed().compare(text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

DBCheckBox::DBCheckBox(QWidget *parent) : QCheckBox(parent), m_link(this)
{
    setTristate(true);
    m_link.OnDataChange = [this] { showField(); };
    showField();
}

void DBCheckBox::showField()
{
    const Field *f = field();
    Qt::CheckState state = Qt::PartiallyChecked;
    if (f && !f->IsNull()) {
        if (f->DataType() == FieldType::Boolean) {
            state = f->AsBoolean() ? Qt::Checked : Qt::Unchecked;
        } else {
            const QString text = f->AsString().trimmed();
            if (matches(text, ValueChecked))
                state = Qt::Checked;
            else if (matches(text, ValueUnchecked))
                state = Qt::Unchecked;
        }
    }
    setCheckState(state);
}

void DBCheckBox::nextCheckState()
{
    // The base class would cycle through the undecided state, and would
    // tick a box the field does not let change.
    if (!m_link.edit())
        return;
    const bool tick = checkState() != Qt::Checked;
    Field *f = field();
    runGuarded([&] {
        if (f->DataType() == FieldType::Boolean)
            f->SetAsBoolean(tick);
        else
            f->SetAsString((tick ? ValueChecked : ValueUnchecked).section(QLatin1Char(';'), 0, 0));
    });
    showField();
}

void DBCheckBox::focusOutEvent(QFocusEvent *event)
{
    QCheckBox::focusOutEvent(event);
    if (leavesControl(event->reason()))
        emit exited();
}

} // namespace tk
