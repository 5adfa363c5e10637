// The bound combo box with free input: typed text on leaving, items at once.
#include "toolkit/controls/DBComboBox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tk {

DBComboBox::DBComboBox(QWidget *parent) : QComboBox(parent), m_link(this)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Completing from the items would change what the user typed.
    setCompleter(nullptr);
    m_link.OnDataChange = [this] { showField(); };
    m_link.OnEditingChange = [this] { updateReadOnly(); };
    m_link.OnUpdateData = [this] {
        if (Field *f = field())
            f->SetEditText(currentText());
    };
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!m_link.Editing() && !m_link.edit()) {
            m_link.reset();
            return;
        }
        m_link.modified();
    });
    connect(this, &QComboBox::activated, this, &DBComboBox::chosen);
    updateReadOnly();
}

void DBComboBox::SetReadOnly(bool on)
{
    m_link.ReadOnly = on;
    updateReadOnly();
}

void DBComboBox::updateReadOnly()
{
    lineEdit()->setReadOnly(!m_link.CanModify());
    const Field *f = field();
    lineEdit()->setMaxLength(f && f->DataType() == FieldType::String && f->Size() > 0 ? f->Size() : 32767);
}

void DBComboBox::showField()
{
    const Field *f = field();
    const QString text = f ? f->DisplayText() : QString();
    m_showing = true;
    setCurrentIndex(findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    setEditText(text);
    m_showing = false;
}

void DBComboBox::chosen(int index)
{
    if (m_showing || index < 0)
        return;
    if (!m_link.edit()) {
        m_link.reset();
        return;
    }
    m_link.modified();
    if (!runGuarded([this] { m_link.updateRecord(); }))
        m_link.reset();
}

void DBComboBox::showPopup()
{
    if (!m_link.edit())
        return;
    QComboBox::showPopup();
}

void DBComboBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_link.isModified()) {
        m_link.reset();
        event->accept();
        return;
    }
    const bool choosing = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                          event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown ||
                          event->key() == Qt::Key_F4;
    if ((choosing || changesText(event)) && !m_link.edit()) {
        // Tab, Return and the like still reach the window.
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBComboBox::wheelEvent(QWheelEvent *event)
{
    if (!m_link.CanModify() || !m_link.edit()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DBComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (!leavesControl(event->reason()) || !m_link.updateRecordOnExit())
        return;
    showField();
    emit exited();
}

} // namespace tk
