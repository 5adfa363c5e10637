// The address book: persons, clubs and companies, with salutations from
// titles, the sex from the first name, the town and area code from the
// postal code, dialling, e-mail and the web.
#pragma once

#include "windows/CollectionWindow.h"

class QToolButton;
class TXbaseDataSet;

namespace tk {
class DBCheckBox;
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class DBText;
class TDBValueComboBox;
}

namespace media {
class PhoneDialler;
}

class TfrmAdress : public CollectionWindow {
    Q_OBJECT

public:
    explicit TfrmAdress(QWidget *parent = nullptr);
    ~TfrmAdress() override;

    // The program and its parameter text for a registered handler command
    // and a link: `mail` adds "mailto:" when `mailTo`, and pads the
    // parameters with blanks as the mail route does.
    struct Launch {
        QString program;
        QString parameters;
    };
    static Launch launchOf(const QString &command, const QString &value, bool mail, bool mailTo);

    TXbaseDataSet *tblTitel = nullptr;
    tk::DataSource *dsTitel = nullptr;

    tk::DBEdit *dbeFamName = nullptr, *dbeName = nullptr, *dbeAnrede = nullptr, *dbeStaat = nullptr,
               *dbePlz = nullptr, *dbeOrt = nullptr, *dbeStrasse = nullptr, *dbeTelNu = nullptr,
               *dbeTelNu2 = nullptr, *dbeTelFax = nullptr, *dbeTelMobil = nullptr, *dbeBemerkung = nullptr,
               *dbeEmail = nullptr, *dbeFido = nullptr, *dbeWWW = nullptr, *dbeCis = nullptr;
    tk::TDBValueComboBox *dbvcbSex = nullptr;
    tk::DBLookupComboBox *dblcTitel = nullptr;
    tk::DBDateEdit *dbcGeb_Dat = nullptr, *dbcContact1 = nullptr, *dbcContactX = nullptr;
    tk::DBCheckBox *dbcbWichtig = nullptr;
    tk::DBText *dbtL_Update = nullptr;
    QToolButton *sbtPhoneCall1 = nullptr, *sbtPhoneCall2 = nullptr, *sbtPhoneCall4 = nullptr, *sbtEmail = nullptr,
                *sbtWebLaunch = nullptr;
    QPushButton *sbtImport = nullptr;

    // The handlers, public for the tests that drive them.
    void dbeNameExit();
    void dbvcbSexExit();
    void dblcTitelExit();
    void dbePlzExit();
    void sbtPhoneCall1Click(const QString &fieldName);
    void sbtEmailClick();
    void sbtWebLaunchClick();
    void sbtImportClick();

    // Replaces how the e-mail and web programs are found and started (tests).
    std::function<QString(const QString &scheme)> handlerCommand;
    std::function<void(const QString &program, const QString &parameters)> startProgram;

protected:
    void createDetailPages(QTabWidget *pages) override;
    void prepare() override;
    QWidget *firstInputField(bool inserting) override;
    void updateButtons() override;
    void navigatorClicked(tk::DBNavigator::Button button) override;
    void btnSortClick() override;
    void beforeScroll() override;
    bool editNotesOnInsert() const override { return true; }
    QList<QAbstractButton *> extraButtons() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openTitles();
    void tblAdressTITELChange();
    void launch(const QString &scheme, const QString &value, bool mail);

    media::PhoneDialler *m_dialler = nullptr;
};
