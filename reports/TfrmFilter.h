// The filter dialog: range and content entries per module, turned into the
// module's filter expression on OK.
#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;

class TfrmFilter : public QDialog {
    Q_OBJECT

public:
    enum Page { PageAddresses, PageAppointments, PageMusic, PageDiskettes, PageVideos, PageBooks };

    explicit TfrmFilter(QWidget *parent = nullptr);

    // Shows the page of the calling module.
    void selectPage(int page);
    int currentPage() const;

    // The expression the entries of a page give (".T." for none).
    QString expressionOfPage(int page) const;

    QPushButton *btnOK = nullptr, *btnCancel = nullptr, *btnHelp = nullptr;
    QTabBar *tsFilter = nullptr;
    QStackedWidget *nbFilter = nullptr;

    // Addresses.
    QLineEdit *Zuname1 = nullptr, *Zuname2 = nullptr, *Vorname1 = nullptr, *Vorname2 = nullptr;
    QComboBox *dbvcbSex1 = nullptr;
    QLineEdit *Sex = nullptr, *deGebDat1 = nullptr, *deGebDat2 = nullptr, *Tel1 = nullptr, *Plz1 = nullptr,
              *Plz2 = nullptr, *Ort1 = nullptr, *Ort2 = nullptr, *Notizen1 = nullptr, *Notizen2 = nullptr,
              *deKontakt11 = nullptr, *deKontakt12 = nullptr, *deKontaktX1 = nullptr, *deKontaktX2 = nullptr;
    // Appointments.
    QLineEdit *deTermin1 = nullptr, *deTermin2 = nullptr, *Zeit1 = nullptr, *Zeit2 = nullptr, *ZeitX1 = nullptr,
              *ZeitX2 = nullptr, *Termin1 = nullptr, *Termin2 = nullptr, *Notiz1 = nullptr, *Notiz2 = nullptr;
    // Music.
    QLineEdit *CTitel1 = nullptr, *CTitel2 = nullptr, *CInt1 = nullptr, *CInt2 = nullptr, *CNr = nullptr,
              *CSparte1 = nullptr, *CSparte2 = nullptr, *CTyp = nullptr, *CInfo1 = nullptr, *CInfo2 = nullptr,
              *cLoanFrom = nullptr, *cLoanTo = nullptr, *cBorrFrom = nullptr, *cBorrTo = nullptr;
    // Videos.
    QLineEdit *vTit1 = nullptr, *vTit2 = nullptr, *VDesc = nullptr, *vSparte1 = nullptr, *VSparte2 = nullptr,
              *VLen1 = nullptr, *VLen2 = nullptr, *vLoanFrom = nullptr, *vLoanTo = nullptr, *vBorrFrom = nullptr,
              *vBorrTo = nullptr;
    // Books.
    QLineEdit *bTit1 = nullptr, *bTit2 = nullptr, *bDesc = nullptr, *bSparte1 = nullptr, *bSparte2 = nullptr,
              *bSeiten1 = nullptr, *bSeiten2 = nullptr, *bLoanFrom = nullptr, *bLoanTo = nullptr,
              *bBorrFrom = nullptr, *bBorrTo = nullptr;

private slots:
    void OKBtnClick();
    void btnCancelClick();
    void tsFilterClick(int index);
    void DateExit(QLineEdit *entry);

private:
    void FormCreate();
    QWidget *buildAddressPage();
    QWidget *buildAppointmentPage();
    QWidget *buildMusicPage();
    QWidget *buildDiskettePage();
    QWidget *buildVideoPage();
    QWidget *buildBookPage();
    QList<QLineEdit *> dateEntries() const;
};
