// A date field with a calendar button, bound to one date field.
//
// The text shows the date in the current short date format and stays empty
// for a null date. Typed text goes to the field on leaving the control or
// when the dataset posts; a date picked in the calendar goes at once.
#pragma once

#include "toolkit/controls/FieldDataLink.h"

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QToolButton;

namespace tk {

class DBDateEdit : public QWidget {
    Q_OBJECT

public:
    explicit DBDateEdit(QWidget *parent = nullptr);

    tk::DataSource *dataSource() const { return m_link.dataSource(); }
    void SetDataSource(tk::DataSource *source) { m_link.SetDataSource(source); }
    QString DataField() const { return m_link.FieldName(); }
    void SetDataField(const QString &name) { m_link.SetFieldName(name); }
    tk::Field *field() const { return m_link.field(); }

    bool ReadOnly() const { return m_link.ReadOnly; }
    void SetReadOnly(bool on);

    // The text shown (and typed); the calendar button.
    QString text() const;
    QLineEdit *lineEdit() const { return m_edit; }
    QToolButton *calendarButton() const { return m_button; }

    // Opens the calendar below the field on the field's date (today for a
    // null date). Does nothing while the field cannot be modified.
    void showCalendar();
    // What a click on a day of the calendar does: stores the date in the
    // field (starting an edit under the AutoEdit rules) and closes it.
    void pickDate(const QDate &date);

signals:
    // The user left the control for another one of the window, after its
    // text went to the field (not when the field refused it).
    void exited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showField();
    void updateReadOnly();
    void storeText();

    FieldDataLink m_link;
    QLineEdit *m_edit;
    QToolButton *m_button;
    QFrame *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
};

} // namespace tk
