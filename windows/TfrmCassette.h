// The music collection: sound carriers title by title, the list of all
// titles of the current carrier, a small audio-CD player and the CDDB page
// that collects discs and looks their titles up on a CDDB server.
#pragma once

#include "app/Config.h"
#include "media/CdDrives.h"
#include "media/TableCddbStore.h"
#include "windows/CollectionWindow.h"

#include <memory>

class QComboBox;
class QListWidget;
class QProgressBar;
class QTableWidget;
class QTimer;
class QToolButton;
class TXbaseDataSet;

namespace tk {
class DBCheckBox;
class DBComboBox;
class DBDateEdit;
class DBEdit;
class DBLookupComboBox;
class DBText;
class TDBValueComboBox;
}

namespace media {
class CddbWaitingList;
enum class PlayerCommand;
struct CddbSettings;
}

class TfrmCassette : public CollectionWindow {
    Q_OBJECT

public:
    // `drives` are the CD drives of the player and the CDDB page; none given:
    // the system's drives.
    explicit TfrmCassette(QWidget *parent = nullptr, std::unique_ptr<media::CdDrives> drives = nullptr);
    ~TfrmCassette() override;

    static constexpr int kTitleRows = 10;

    TXbaseDataSet *tblSparten = nullptr, *tblInterpret = nullptr;
    tk::DataSource *dsSparten = nullptr, *dsInterpret = nullptr;

    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr,
            *TabSheet5 = nullptr;

    tk::DBEdit *dbeCass_No = nullptr, *dbeLaufzeit = nullptr, *dbeLiederl = nullptr, *dbeDescribe = nullptr,
               *dbeVerl_Nam = nullptr, *dbeVerl_Von = nullptr, *dbePreis = nullptr, *dbeWert = nullptr;
    tk::DBComboBox *dbcbArt = nullptr;
    tk::DBLookupComboBox *dblcSparte = nullptr, *dblcInterpret = nullptr;
    tk::DBCheckBox *dbcbStereo = nullptr;
    tk::DBDateEdit *dbcVerl_Dat = nullptr;
    tk::TDBValueComboBox *dbvcbWertung = nullptr;
    tk::DBText *DBText1 = nullptr;
    QTableWidget *grd = nullptr;

    // The player.
    QToolButton *sbtPlay = nullptr, *sbtPrev = nullptr, *sbtNext = nullptr, *sbtPause = nullptr,
                *sbtStop = nullptr, *sbtEject = nullptr;
    QLabel *lblCD = nullptr, *lblCDStatus = nullptr;
    QTimer *Timer1 = nullptr;
    // The drive number a player command holds open, -1 when none.
    int CDDevice = -1;

    // The CDDB page.
    QListWidget *lbCDDB = nullptr;
    QToolButton *sbtReadCD = nullptr, *sbtCDDBupd = nullptr;
    QProgressBar *Gauge1 = nullptr;
    QComboBox *cbCDDrive = nullptr;
    QLabel *lblCDDBServ = nullptr, *lblStatus = nullptr;

    static QString waitingPlaceholder();
    // The play path of a CDPlay setting: automatic plays digitally and falls
    // back to the drive's own output when there is no sound output.
    static media::LibcdioDevice::PlayPath playPathOf(CdPlayMode mode);
    // The status line's text for a notice of digital playback; empty for none.
    static QString playNoticeText(media::CdPlayNotice notice);

    // The handlers, public for the tests that drive them.
    void dsCassetteDataChange();
    void Timer1Timer();
    void ShowCDStatus();
    void sbtPlayClick();
    void sbtPrevClick();
    void sbtNextClick();
    void sbtPauseClick();
    void sbtStopClick();
    void sbtEjectClick();
    void sbtReadCDClick();
    void sbtCDDBupdClick();

    bool cddbRunInProgress() const { return m_cddbRunning; }
    media::CddbWaitingList *waitingList() const { return m_waiting; }

protected:
    void createDetailPages(QTabWidget *pages) override;
    void prepare() override;
    void newRecordDefaults() override;
    QWidget *firstInputField(bool inserting) override;
    void updateButtons() override;
    QList<QAbstractButton *> extraButtons() const override;
    void closeEvent(QCloseEvent *event) override;

private:
    class RunView;

    QWidget *createPlayerPanel();
    QWidget *createCddbPage();
    void prepareCd();
    void openLookup(TXbaseDataSet *table, const char *file);
    void fillTitleList();
    void runPlayer(media::PlayerCommand command);
    media::CdAudioDevice *selectedDevice();
    void showWaitingList();
    void updateCddbButtons();
    void updatePauseButton();
    void noteFilter();

    std::unique_ptr<media::CdDrives> m_drives;
    std::unique_ptr<media::TableCddbStore> m_store;
    media::CddbWaitingList *m_waiting = nullptr;
    QWidget *m_playerPanel = nullptr;
    bool m_titlesBusy = false;
    bool m_cddbRunning = false;
    bool m_closeAfterRun = false;
    // The filter expression in force in this window; empty when none.
    QString m_filterInForce;
};
