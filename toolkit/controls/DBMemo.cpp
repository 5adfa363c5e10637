// The bound multi-line text for memo fields.
#include "toolkit/controls/DBMemo.h"

#include <QKeyEvent>

namespace tk {

DBMemo::DBMemo(QWidget *parent) : QPlainTextEdit(parent), m_link(this)
{
    setTabChangesFocus(true);
    m_link.OnDataChange = [this] { showField(); };
    m_link.OnEditingChange = [this] { updateReadOnly(); };
    m_link.OnUpdateData = [this] {
        if (Field *f = field())
            f->SetAsString(toPlainText());
    };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showing)
            return;
        if (!m_link.Editing() && !m_link.edit()) {
            m_link.reset();
            return;
        }
        m_link.modified();
    });
    updateReadOnly();
}

void DBMemo::SetReadOnly(bool on)
{
    m_link.ReadOnly = on;
    updateReadOnly();
}

void DBMemo::updateReadOnly()
{
    setReadOnly(!m_link.CanModify());
}

void DBMemo::showField()
{
    const Field *f = field();
    m_showing = true;
    setPlainText(f ? f->AsString() : QString());
    m_showing = false;
}

void DBMemo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.isModified()) {
        m_link.reset();
        event->accept();
        return;
    }
    const bool newLine = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((newLine || changesText(event)) && !isReadOnly() && !m_link.edit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData *source)
{
    if (!m_link.edit())
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void DBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (leavesControl(event->reason()) && m_link.updateRecordOnExit())
        emit exited();
}

} // namespace tk
