// The reference tables: one grid page per small table that feeds the pick
// lists of the collection windows (genres, artists, countries, postal
// codes, titles, first names, authors) and a page with the list of CDDB
// servers, from which the server of the music window's CDDB run is chosen.
//
// The window owns its nine table datasets from creation to destruction;
// the encrypted ones (countries, postal codes, titles, first names) are
// opened with the reference password and encrypted when they are not yet.
// The main window opens it only while no other child window is open.
#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;
class TXbaseDataSet;

namespace media {
class CddbServerList;
}

namespace tk {
class DataSource;
class DBGrid;
class DBNavigator;
}

class TfrmVordef : public QWidget {
    Q_OBJECT

public:
    explicit TfrmVordef(QWidget *parent = nullptr);
    ~TfrmVordef() override;

    // The tables, in the order of the pages.
    TXbaseDataSet *tblMSparten = nullptr, *tblInterpre = nullptr, *tblVSparten = nullptr, *tblStaaten = nullptr,
                  *tblPlz = nullptr, *tblTitel = nullptr, *tblSex = nullptr, *tblBSparten = nullptr,
                  *tblAutoren = nullptr;
    tk::DBGrid *dbgMSparten = nullptr, *dbgInterpre = nullptr, *dbgVSparten = nullptr, *dbgStaaten = nullptr,
               *dbgPlz = nullptr, *dbgTitel = nullptr, *dbgSex = nullptr, *dbgBSparten = nullptr,
               *dbgAutoren = nullptr;

    QTabWidget *pcVordef = nullptr;
    tk::DBNavigator *dbn = nullptr;
    QToolButton *sbtOK = nullptr, *sbtcancel = nullptr, *sbtImport = nullptr;
    QPushButton *btnHelp = nullptr;

    // The CDDB page.
    QListWidget *lbCDDB = nullptr;
    QToolButton *sbtEdCDDB = nullptr, *sbtCDDBupd = nullptr;
    QLabel *lblCDDBServ = nullptr, *lblCDDBPort = nullptr, *lblCDDBcgi = nullptr, *lblCDDBType = nullptr;

    // The table the navigator works on.
    TXbaseDataSet *navigatorTable() const;
    media::CddbServerList *serverList() const { return m_serverList.get(); }

    // Where "Serverliste erneuern" asks for the sites list: the default
    // CDDB server, port 80.
    QString sitesHost;
    QString sitesPort;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Page;
    class ServerListView;

    void FormCreate();
    void pcVordefChange();
    void CloseClick(bool ok);
    void sbtImportClick();
    void sbtCDDBupdClick();
    void sbtEdCDDBClick();
    void lbCDDBClick(int row);

    QWidget *createGridPage(Page &page);
    QWidget *createCddbPage();
    void openTable(Page &page);
    void storeServerChoice();
    bool editWithUserEditor(const QStringList &command);
    Page *pageOf(TXbaseDataSet *table);

    std::vector<Page> m_pages;
    std::unique_ptr<ServerListView> m_view;
    std::unique_ptr<media::CddbServerList> m_serverList;
    QWidget *m_cddbPage = nullptr;
    bool m_editing = false; // the user's editor has the list file
};
