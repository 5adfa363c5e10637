// The field link shared by the single-field controls, and the guards and
// key tests they use around user actions.
#include "toolkit/controls/FieldDataLink.h"

#include "toolkit/text/ExceptionGuard.h"

#include <QKeyEvent>

namespace tk {

bool runGuarded(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (...) {
        reportCurrentException();
        return false;
    }
}

bool changesText(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
        event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & Qt::ControlModifier))
        return false;
    return text.at(0).isPrint();
}

bool changesSelection(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_F4:
    case Qt::Key_Space:
        return true;
    default:
        break;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier);
}

bool leavesControl(Qt::FocusReason reason)
{
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

FieldDataLink::FieldDataLink(QWidget *control) : m_control(control) {}

void FieldDataLink::SetFieldName(const QString &name)
{
    if (m_fieldName == name)
        return;
    m_fieldName = name;
    activeChanged();
}

tk::Field *FieldDataLink::field() const
{
    // A destroyed data source clears the link's source without telling it.
    return Active() ? m_field : nullptr;
}

bool FieldDataLink::CanModify() const
{
    const tk::Field *f = field();
    if (ReadOnly || !f || f->ReadOnly)
        return false;
    return dataSet()->Editing() || dataSource()->AutoEdit;
}

bool FieldDataLink::edit()
{
    if (!CanModify())
        return false;
    if (dataSet()->Editing())
        return true;
    bool editing = false;
    runGuarded([&] { editing = DataLink::Edit(); });
    return editing;
}

void FieldDataLink::updateRecord()
{
    if (!m_modified || !field())
        return;
    if (OnUpdateData)
        OnUpdateData();
    m_modified = false;
}

bool FieldDataLink::updateRecordOnExit()
{
    if (!m_modified || !field() || !dataSet()->Editing())
        return true;
    if (runGuarded([this] { updateRecord(); }))
        return true;
    m_control->setFocus(Qt::OtherFocusReason);
    return false;
}

void FieldDataLink::reset()
{
    m_modified = false;
    dataChange();
}

void FieldDataLink::bind()
{
    m_field = nullptr;
    if (Active() && !m_fieldName.isEmpty())
        m_field = dataSet()->FindField(m_fieldName);
}

void FieldDataLink::dataChange()
{
    // AutoEdit may have been switched since the last state change.
    if (OnEditingChange)
        OnEditingChange();
    if (OnDataChange)
        OnDataChange();
}

void FieldDataLink::activeChanged()
{
    bind();
    m_modified = false;
    dataChange();
}

void FieldDataLink::editingChanged()
{
    if (OnEditingChange)
        OnEditingChange();
}

void FieldDataLink::recordChanged(Field *changed)
{
    // The control's own field, or the whole record (insert, cancel).
    if (changed && changed != m_field)
        return;
    m_modified = false;
    dataChange();
}

void FieldDataLink::dataSetChanged()
{
    m_modified = false;
    dataChange();
}

void FieldDataLink::dataSetScrolled()
{
    m_modified = false;
    dataChange();
}

void FieldDataLink::updateData()
{
    updateRecord();
}

} // namespace tk
