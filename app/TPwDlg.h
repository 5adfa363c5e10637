// The access password dialog: one attempt, shown at start-up when a
// password is stored.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TPwDlg : public QDialog {
    Q_OBJECT

public:
    // `password` is the stored access password the entry must equal.
    TPwDlg(const QString &password, QWidget *parent = nullptr);

    // True after OK with the right password.
    bool accessGranted() const { return m_granted; }

    QLabel *Label1 = nullptr;
    QLineEdit *Password = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void OKBtnClick();

private:
    QString m_password;
    bool m_granted = false;
};
