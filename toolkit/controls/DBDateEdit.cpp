// The bound date field: a line edit for typing in the short date format and
// a calendar popup whose pick goes to the field at once.
#include "toolkit/controls/DBDateEdit.h"

#include "platform/FormatSettings.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace tk {

namespace {

// A small calendar sheet with two rings and a grid of days.
QIcon calendarIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(190, 40, 40));
    p.drawLine(4, 1, 4, 3);
    p.drawLine(11, 1, 11, 3);
    for (int y = 8; y <= 12; y += 2) {
        for (int x = 3; x <= 12; x += 3)
            p.drawPoint(x, y);
    }
    return QIcon(pm);
}

// The longest text the short date format can produce.
int dateTextLength()
{
    QString f = platform::FormatSettings::current().shortDateFormat;
    f.replace(QLatin1String("yyyy"), QLatin1String("0000"));
    f.replace(QLatin1String("yy"), QLatin1String("00"));
    f.replace(QLatin1String("dd"), QLatin1String("00"));
    f.replace(QLatin1String("d"), QLatin1String("00"));
    f.replace(QLatin1String("MM"), QLatin1String("00"));
    f.replace(QLatin1String("M"), QLatin1String("00"));
    return static_cast<int>(f.size());
}

} // namespace

DBDateEdit::DBDateEdit(QWidget *parent)
    : QWidget(parent), m_link(this), m_edit(new QLineEdit(this)), m_button(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_button->setObjectName(QStringLiteral("calendarButton"));
    m_button->setIcon(calendarIcon());
    m_button->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);
    // Digits and the separators of the short date format.
    m_edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9./\\- ]*")), this));
    m_edit->installEventFilter(this);

    m_link.OnDataChange = [this] { showField(); };
    m_link.OnEditingChange = [this] { updateReadOnly(); };
    m_link.OnUpdateData = [this] { storeText(); };
    connect(m_edit, &QLineEdit::textEdited, this, [this] {
        if (!m_link.Editing() && !m_link.edit()) {
            m_link.reset();
            return;
        }
        m_link.modified();
    });
    connect(m_button, &QToolButton::clicked, this, &DBDateEdit::showCalendar);
    updateReadOnly();
}

QString DBDateEdit::text() const
{
    return m_edit->text();
}

void DBDateEdit::SetReadOnly(bool on)
{
    m_link.ReadOnly = on;
    updateReadOnly();
}

void DBDateEdit::updateReadOnly()
{
    const bool writable = m_link.CanModify();
    m_edit->setReadOnly(!writable);
    m_button->setEnabled(writable);
    m_edit->setMaxLength(dateTextLength());
}

void DBDateEdit::showField()
{
    const Field *f = field();
    m_edit->setText(f ? (m_edit->hasFocus() && m_link.CanModify() ? f->EditText() : f->DisplayText()) : QString());
}

void DBDateEdit::storeText()
{
    if (Field *f = field())
        f->SetEditText(m_edit->text());
}

void DBDateEdit::showCalendar()
{
    if (!m_link.CanModify())
        return;
    if (!m_popup) {
        m_popup = new QFrame(this, Qt::Popup);
        m_popup->setFrameShape(QFrame::Box);
        auto *layout = new QHBoxLayout(m_popup);
        layout->setContentsMargins(1, 1, 1, 1);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(QStringLiteral("calendar"));
        m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        m_calendar->setFirstDayOfWeek(Qt::Monday);
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::clicked, this, &DBDateEdit::pickDate);
        connect(m_calendar, &QCalendarWidget::activated, this, &DBDateEdit::pickDate);
    }
    const Field *f = field();
    const QDate date = f && !f->IsNull() ? f->AsDate() : QDate::currentDate();
    m_calendar->setSelectedDate(date);
    m_popup->adjustSize();
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void DBDateEdit::pickDate(const QDate &date)
{
    if (m_popup)
        m_popup->hide();
    if (!m_link.edit())
        return;
    runGuarded([&] { field()->SetAsDate(date); });
    m_edit->setFocus(Qt::OtherFocusReason);
}

bool DBDateEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && m_link.isModified()) {
            m_link.reset();
            return true;
        }
        if (key->key() == Qt::Key_Down && (key->modifiers() & Qt::AltModifier)) {
            showCalendar();
            return true;
        }
        if (changesText(key) && !m_edit->isReadOnly() && !m_link.edit())
            return true;
        break;
    }
    case QEvent::FocusIn:
        if (!m_link.isModified())
            showField();
        break;
    case QEvent::FocusOut: {
        if (leavesControl(static_cast<QFocusEvent *>(event)->reason()) && m_link.updateRecordOnExit()) {
            showField();
            emit exited();
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tk
