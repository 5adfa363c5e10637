// The dialog that asks for the interval, the start and the end of a
// recurring appointment, or for the deletion of its series.
#pragma once

#include "storage/AppointmentSeries.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmWTermin : public QDialog {
    Q_OBJECT

public:
    // The third result besides Accepted (OK) and Rejected (Cancel).
    static constexpr int Delete = 2;

    explicit TfrmWTermin(QWidget *parent = nullptr);

    // Sets the start date and the end date three months later.
    void setStart(const QDate &start);

    QLineEdit *WTerminJede = nullptr;
    QComboBox *cbWTerminJede = nullptr;
    QDateEdit *WTerminVon = nullptr;
    QRadioButton *rbBis = nullptr;
    QDateEdit *WTerminBis = nullptr;
    QRadioButton *rbDauer = nullptr;
    QLineEdit *WTerminDauer = nullptr;
    QComboBox *cbWTerminDauer = nullptr;
    QCheckBox *cbWeekends = nullptr;
    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnHelp = nullptr, *btnDelete = nullptr;

    // The count fields as typed: three places, a blank for each empty one.
    static QString countText(const QLineEdit *edit);
    // The whole number in a count field, -1 when it holds none.
    static int countOf(const QLineEdit *edit);

    // The series the entries describe (unit None or count 0 while not chosen).
    series::Plan plan() const;

    // The handlers, public for the tests that drive them.
    void rbBisClick();
    void rbDauerClick();
    void WTerminJedeExit();
    void WTerminDauerClick();
    void btnOKClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
};
