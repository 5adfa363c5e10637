// The address book: persons, clubs and companies, with salutations from
// titles, the sex from the first name, the town and area code from the
// postal code, dialling, e-mail and the web.
#pragma once

#include "windows/CollectionWindow.h"

class QToolButton;
class TXbaseDataSet;

namespace tk {
class DBCheckBox;
class DBComboBox;
class DBDateEdit;
class DBEdit;
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

    // The link handed to the desktop for a stored e-mail (`mail`) or web
    // address. It always begins with its scheme: "mailto:" is put before an
    // e-mail address, "http://" before a web address without one. Only
    // mailto:, http: and https: links leave the program. Empty when the value
    // is refused; *refusedText then holds the number of the language text
    // that tells why (blanks or control characters inside, another scheme),
    // 0 for an empty value.
    static QString linkOf(const QString &value, bool mail, int *refusedText);

    TXbaseDataSet *tblTitel = nullptr;
    tk::DataSource *dsTitel = nullptr;

    tk::DBEdit *dbeFamName = nullptr, *dbeName = nullptr, *dbeAnrede = nullptr, *dbeStaat = nullptr,
               *dbePlz = nullptr, *dbeOrt = nullptr, *dbeStrasse = nullptr, *dbeTelNu = nullptr,
               *dbeTelNu2 = nullptr, *dbeTelFax = nullptr, *dbeTelMobil = nullptr, *dbeBemerkung = nullptr,
               *dbeEmail = nullptr, *dbeFido = nullptr, *dbeWWW = nullptr, *dbeCis = nullptr;
    tk::TDBValueComboBox *dbvcbSex = nullptr;
    // Takes typed titles as well as the ones of the titles table.
    tk::DBComboBox *dblcTitel = nullptr;
    tk::DBDateEdit *dbcGeb_Dat = nullptr, *dbcContact1 = nullptr, *dbcContactX = nullptr;
    tk::DBCheckBox *dbcbWichtig = nullptr;
    tk::DBText *dbtL_Update = nullptr;
    QToolButton *sbtPhoneCall1 = nullptr, *sbtPhoneCall2 = nullptr, *sbtPhoneCall4 = nullptr, *sbtEmail = nullptr,
                *sbtWebLaunch = nullptr;
    QPushButton *sbtImport = nullptr; // opens the exchange menu

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
    std::function<void(const QString &program, const QStringList &arguments)> startProgram;

protected:
    void createDetailPages(QTabWidget *pages) override;
    void prepare() override;
    QWidget *firstInputField(bool inserting) override;
    void updateButtons() override;
    void navigatorClicked(tk::DBNavigator::Button button) override;
    void btnSortClick() override;
    void beforeScroll() override;
    bool editNotesOnInsert() const override { return true; }
    QString remarkForEmptyNote() const override;
    void closeEvent(QCloseEvent *event) override;
    QList<QAbstractButton *> extraButtons() const override;
    QPushButton *ownExchangeButton() const override { return sbtImport; }
    // The address, notes and titles tables, opened again.
    void reopenTables() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openTitles();
    // The title list: every title of the titles table, in its order.
    void fillTitleList();
    // Adds the current address's title to the titles table when missing.
    void learnTitle();
    void tblAdressTITELChange();
    void launch(const QString &scheme, const QString &value, bool mail);

    media::PhoneDialler *m_dialler = nullptr;
};
