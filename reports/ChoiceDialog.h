// The small modal dialogs that choose the address order and the printed
// list of a module: OK, Cancel, a disabled Help button and one group of
// choices whose caption and items are one language text.
#pragma once

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QPushButton;

class ChoiceDialog : public QDialog {
    Q_OBJECT

public:
    // Position of the chosen item, -1 for none.
    int chosenItem() const;
    void chooseItem(int index);

    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnHelp = nullptr;

    // The program-wide number of the last list chosen (not reset between
    // dialogs; -1 after OK without a choice).
    static int &reportNumber();

protected:
    ChoiceDialog(QWidget *parent, int base, const QString &caption, const char *groupName,
                 const QString &groupCaption, const QStringList &items);

    QGroupBox *group() const { return m_group; }
    virtual void OKBtnClick() = 0;

private:
    QGroupBox *m_group = nullptr;
    QButtonGroup *m_buttons = nullptr;
};

// Chooses the address order (index tags 1 to 7).
class TfrmSort_A : public ChoiceDialog {
    Q_OBJECT

public:
    explicit TfrmSort_A(QWidget *parent = nullptr);
    QGroupBox *rgAdressen = nullptr;

protected:
    void OKBtnClick() override;
};

// A report choice: sets reportNumber() to the chosen item on OK.
class ReportChoiceDialog : public ChoiceDialog {
    Q_OBJECT

protected:
    using ChoiceDialog::ChoiceDialog;
    void OKBtnClick() override;
};

class TfrmRptw_A : public ReportChoiceDialog {
    Q_OBJECT
public:
    explicit TfrmRptw_A(QWidget *parent = nullptr);
    QGroupBox *rgAdressen = nullptr;
};

class TfrmRptw_T : public ReportChoiceDialog {
    Q_OBJECT
public:
    explicit TfrmRptw_T(QWidget *parent = nullptr);
    QGroupBox *rgTermine = nullptr;
};

class TfrmRptw_C : public ReportChoiceDialog {
    Q_OBJECT
public:
    explicit TfrmRptw_C(QWidget *parent = nullptr);
    QGroupBox *rgCassetten = nullptr;
};

class TfrmRptw_V : public ReportChoiceDialog {
    Q_OBJECT
public:
    explicit TfrmRptw_V(QWidget *parent = nullptr);
    QGroupBox *rgVideo = nullptr;
};

class TfrmRptw_B : public ReportChoiceDialog {
    Q_OBJECT
public:
    explicit TfrmRptw_B(QWidget *parent = nullptr);
    QGroupBox *rgVideo = nullptr;
};
