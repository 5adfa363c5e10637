#include "toolkit/controls/DBListComboBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QWheelEvent>

namespace tk {

DBListComboBox::DBListComboBox(QWidget *parent) : QComboBox(parent), m_link(this) {}

void DBListComboBox::showPopup()
{
    prepareList();
    if (!m_link.edit())
        return;
    QComboBox::showPopup();
}

void DBListComboBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_link.reset();
        event->accept();
        return;
    }
    if (changesSelection(event) && !m_link.edit()) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBListComboBox::wheelEvent(QWheelEvent *event)
{
    if (!m_link.edit()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DBListComboBox::focusOutEvent(QFocusEvent *event)
{
    QComboBox::focusOutEvent(event);
    if (leavesControl(event->reason()))
        emit exited();
}

} // namespace tk
