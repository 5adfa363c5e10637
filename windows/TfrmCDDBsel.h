// The choice among several CDDB matches for one disc: a small tool window
// that lists the disc titles and closes only once one of them is chosen
// (double click, or Enter on a selected entry). Its texts are fixed.
#pragma once

#include <QDialog>

class QLabel;
class QListWidget;

class TfrmCDDBsel : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCDDBsel(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QListWidget *lbEntry = nullptr;

    // The index of the chosen entry, -1 while none is selected.
    int chosenIndex() const;

    // Shows the dialog modally with `titles`, none selected, and returns the
    // index chosen.
    static int choose(QWidget *parent, const QStringList &titles);

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
