// The music window's audio-CD player and its CDDB page.
#include "windows/TfrmCassette.h"

#include "media/CdAudio.h"
#include "media/CdDrives.h"
#include "media/CddbRequest.h"
#include "media/CddbRun.h"
#include "media/CddbRunView.h"
#include "media/CddbWaitingList.h"
#include "media/TableCddbStore.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "toolkit/text/Tag.h"
#include "windows/TfrmCDDBsel.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Notices of digital playback.
constexpr int kTextSkipped = 10954;
constexpr int kTextNoSoundOutput = 10955;
constexpr int kTextUnreadable = 10956;

QToolButton *playerButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const char *hint)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolTip(QString::fromLatin1(hint));
    b->setFocusPolicy(Qt::TabFocus);
    b->setFixedSize(28, 24);
    return b;
}

QToolButton *textButton(QWidget *parent, const char *name, const char *caption, int tag)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromUtf8(caption));
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tk::setTag(b, tag);
    return b;
}

} // namespace

// The CDDB commands' view of this window: its status label and gauge, its
// message boxes, the choice among several matches and its event handling.
class TfrmCassette::RunView : public media::CddbRunView {
public:
    explicit RunView(TfrmCassette &window) : m_w(window) {}

    void showStatus(const QString &text) override
    {
        m_w.lblStatus->setText(text);
        m_w.lblStatus->repaint();
    }
    void setStatusVisible(bool visible) override { m_w.lblStatus->setVisible(visible); }
    void setProgress(int maximum, int position) override
    {
        m_w.Gauge1->setRange(0, std::max(0, maximum));
        m_w.Gauge1->setValue(std::clamp(position, 0, std::max(0, maximum)));
        m_w.Gauge1->repaint();
    }
    void setGaugeVisible(bool visible) override { m_w.Gauge1->setVisible(visible); }
    void message(const QString &text) override { tk::MessageBox::information(&m_w, text); }
    void warning(const QString &text) override { tk::MessageBox::warning(&m_w, text); }
    void error(const QString &text) override { tk::MessageBox::error(&m_w, text); }
    void information(const QString &text) override { tk::MessageBox::information(&m_w, text); }
    bool confirm(const QString &text) override
    {
        return tk::MessageBox::confirmation(&m_w, text) == tk::MessageBox::Answer::Yes;
    }
    int chooseMatch(const QStringList &titles) override { return TfrmCDDBsel::choose(&m_w, titles); }
    void processEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

private:
    TfrmCassette &m_w;
};

QString TfrmCassette::playNoticeText(media::CdPlayNotice notice)
{
    switch (notice) {
    case media::CdPlayNotice::None: break;
    case media::CdPlayNotice::Skipped: return tk::langText(kTextSkipped);
    case media::CdPlayNotice::NoSoundOutput: return tk::langText(kTextNoSoundOutput);
    case media::CdPlayNotice::Unreadable: return tk::langText(kTextUnreadable);
    }
    return QString();
}

QString TfrmCassette::waitingPlaceholder()
{
    return QStringLiteral("<no CD's waiting for CDDB request>");
}

QWidget *TfrmCassette::createPlayerPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlPlayer"));
    auto *g = new QGridLayout(panel);
    g->setContentsMargins(0, 6, 0, 0);
    g->setSpacing(2);
    sbtPlay = playerButton(panel, "sbtPlay", QStyle::SP_MediaPlay, "Play");
    sbtPrev = playerButton(panel, "sbtPrev", QStyle::SP_MediaSkipBackward, "Previous");
    sbtNext = playerButton(panel, "sbtNext", QStyle::SP_MediaSkipForward, "Next");
    sbtPause = playerButton(panel, "sbtPause", QStyle::SP_MediaPause, "Pause");
    sbtPause->setEnabled(false);
    sbtStop = playerButton(panel, "sbtStop", QStyle::SP_MediaStop, "Stop");
    sbtEject = textButton(panel, "sbtEject", "eject CD", 12);
    sbtEject->setToolTip(QStringLiteral("eject CD"));
    g->addWidget(sbtPlay, 0, 0);
    g->addWidget(sbtPrev, 0, 1);
    g->addWidget(sbtNext, 0, 2);
    g->addWidget(sbtPause, 1, 0);
    g->addWidget(sbtStop, 1, 1);
    g->addWidget(sbtEject, 2, 0, 1, 3);
    lblCD = new QLabel(panel);
    lblCD->setObjectName(QStringLiteral("lblCD"));
    lblCD->setAlignment(Qt::AlignCenter);
    lblCDStatus = new QLabel(panel);
    lblCDStatus->setObjectName(QStringLiteral("lblCDStatus"));
    lblCDStatus->setAlignment(Qt::AlignCenter);
    lblCDStatus->setWordWrap(true);
    // Room for three lines: the status line takes two, a notice of the
    // digital player may take three.
    lblCDStatus->setMinimumHeight(lblCDStatus->fontMetrics().lineSpacing() * 3 + 2);
    g->addWidget(lblCD, 3, 0, 1, 3);
    g->addWidget(lblCDStatus, 4, 0, 1, 3);
    panel->setFixedWidth(90);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    return panel;
}

QWidget *TfrmCassette::createCddbPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet5"));
    auto *h = new QHBoxLayout(page);
    h->setContentsMargins(4, 4, 4, 4);
    lbCDDB = new QListWidget(page);
    lbCDDB->setObjectName(QStringLiteral("lbCDDB"));
    lbCDDB->addItem(waitingPlaceholder());
    h->addWidget(lbCDDB, 1);

    auto *v = new QVBoxLayout;
    sbtReadCD = textButton(page, "sbtReadCD", "CD für CDDB einlesen", 8);
    sbtCDDBupd = textButton(page, "sbtCDDBupd", "CDDB-Abfrage starten", 9);
    Gauge1 = new QProgressBar(page);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setTextVisible(false);
    Gauge1->setMaximumHeight(14);
    Gauge1->hide();
    auto *driveLabel = new QLabel(QStringLiteral("CD-Laufwerk:"), page);
    driveLabel->setObjectName(QStringLiteral("lblCDDrive"));
    tk::setTag(driveLabel, 10);
    cbCDDrive = new QComboBox(page);
    cbCDDrive->setObjectName(QStringLiteral("cbCDDrive"));
    driveLabel->setBuddy(cbCDDrive);
    auto *serverLabel = new QLabel(QStringLiteral("Selected CDDB Server:"), page);
    serverLabel->setObjectName(QStringLiteral("lblCDDBServer"));
    tk::setTag(serverLabel, 11);
    lblCDDBServ = new QLabel(page);
    lblCDDBServ->setObjectName(QStringLiteral("lblCDDBServ"));
    lblCDDBServ->setStyleSheet(QStringLiteral("color: navy;"));
    lblCDDBServ->setWordWrap(true);
    lblStatus = new QLabel(page);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->hide();
    v->addWidget(sbtReadCD);
    v->addWidget(sbtCDDBupd);
    v->addWidget(Gauge1);
    v->addSpacing(8);
    v->addWidget(driveLabel);
    v->addWidget(cbCDDrive);
    v->addSpacing(8);
    v->addWidget(serverLabel);
    v->addWidget(lblCDDBServ);
    v->addWidget(lblStatus);
    v->addStretch(1);
    auto *column = new QWidget(page);
    column->setLayout(v);
    column->setFixedWidth(170);
    v->setContentsMargins(0, 0, 0, 0);
    h->addWidget(column);
    return page;
}

void TfrmCassette::prepareCd()
{
    const Config &cfg = config();
    cbCDDrive->addItems(m_drives->names());
    if (cbCDDrive->count() > 0)
        cbCDDrive->setCurrentIndex(0);

    m_store = std::make_unique<media::TableCddbStore>(cfg.ZVData);
    m_waiting = new media::CddbWaitingList(cfg.ZVData, this);
    connect(m_waiting, &media::CddbWaitingList::loaded, this, &TfrmCassette::showWaitingList);
    connect(m_waiting, &media::CddbWaitingList::appended, this, &TfrmCassette::showWaitingList);
    connect(m_waiting, &media::CddbWaitingList::removed, this, &TfrmCassette::showWaitingList);
    m_waiting->load();
    showWaitingList();
    lblCDDBServ->setText(cfg.CDDBServer + QLatin1Char(':') + cfg.CDDBPort);

    lblCDStatus->clear();
    lblCD->clear();
    CDDevice = -1;

    connect(Timer1, &QTimer::timeout, this, [this] { tk::guarded([this] { Timer1Timer(); }); });
    connect(sbtPlay, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtPlayClick(); }); });
    connect(sbtPrev, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtPrevClick(); }); });
    connect(sbtNext, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtNextClick(); }); });
    connect(sbtPause, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtPauseClick(); }); });
    connect(sbtStop, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtStopClick(); }); });
    connect(sbtEject, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtEjectClick(); }); });
    connect(sbtReadCD, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtReadCDClick(); }); });
    connect(sbtCDDBupd, &QToolButton::clicked, this, [this] { tk::guarded([this] { sbtCDDBupdClick(); }); });
    updateCddbButtons();
    Timer1->start();
}

media::CdAudioDevice *TfrmCassette::selectedDevice()
{
    if (cbCDDrive->count() == 0)
        return nullptr;
    if (cbCDDrive->currentIndex() < 0)
        cbCDDrive->setCurrentIndex(0);
    return m_drives->device(cbCDDrive->currentIndex());
}

void TfrmCassette::ShowCDStatus()
{
    media::CdAudioDevice *device = selectedDevice();
    if (!device)
        return;
    const media::CdStatus status = media::readCdStatus(*device, config().CDStatus);
    // What digital playback has to say goes before the position.
    const QString notice = playNoticeText(device->playNotice());
    lblCDStatus->setText(notice.isEmpty() ? status.line : notice);
    updatePauseButton();
    // Once a disc was seen ready the label keeps saying so.
    if (status.ready)
        lblCD->setText(media::kCdReadyText);
}

void TfrmCassette::Timer1Timer()
{
    if (cbCDDrive->count() > 0 && CDDevice == -1)
        ShowCDStatus();
}

void TfrmCassette::runPlayer(media::PlayerCommand command)
{
    media::CdAudioDevice *device = selectedDevice();
    if (!device)
        return;
    const QString failure = media::runPlayerCommand(*device, command, cbCDDrive->currentIndex(), CDDevice);
    if (!failure.isEmpty()) {
        tk::MessageBox::information(this, failure);
        return;
    }
    ShowCDStatus();
}

void TfrmCassette::sbtPlayClick()
{
    runPlayer(media::PlayerCommand::Play);
}

void TfrmCassette::sbtPrevClick()
{
    runPlayer(media::PlayerCommand::Previous);
}

void TfrmCassette::sbtNextClick()
{
    runPlayer(media::PlayerCommand::Next);
}

void TfrmCassette::sbtPauseClick()
{
    runPlayer(media::PlayerCommand::Pause);
}

void TfrmCassette::sbtStopClick()
{
    runPlayer(media::PlayerCommand::Stop);
}

void TfrmCassette::sbtEjectClick()
{
    runPlayer(media::PlayerCommand::Eject);
}

void TfrmCassette::showWaitingList()
{
    lbCDDB->clear();
    if (m_waiting->size() == 0)
        lbCDDB->addItem(waitingPlaceholder());
    else
        lbCDDB->addItems(m_waiting->entries());
    updateCddbButtons();
}

void TfrmCassette::updateCddbButtons()
{
    const bool haveDrive = cbCDDrive->count() > 0;
    // While a run works, the waiting list belongs to it.
    sbtReadCD->setEnabled(haveDrive && !m_cddbRunning);
    sbtCDDBupd->setEnabled(m_waiting && m_waiting->size() > 0 && !m_cddbRunning);
    for (QToolButton *b : {sbtPlay, sbtPrev, sbtNext, sbtStop, sbtEject})
        b->setEnabled(haveDrive);
    updatePauseButton();
}

void TfrmCassette::updatePauseButton()
{
    // Only the digital path can pause.
    media::CdAudioDevice *device = cbCDDrive->count() > 0 ? m_drives->device(std::max(0, cbCDDrive->currentIndex())) : nullptr;
    sbtPause->setEnabled(device && device->canPause());
}

void TfrmCassette::sbtReadCDClick()
{
    if (m_cddbRunning)
        return;
    media::CdAudioDevice *device = selectedDevice();
    if (!device)
        return;
    RunView view(*this);
    media::readCdForCddb(*device, *m_waiting, *m_store, view);
    updateCddbButtons();
}

void TfrmCassette::sbtCDDBupdClick()
{
    if (m_cddbRunning || media::CddbRun::inProgress())
        return;
    m_cddbRunning = true;
    updateCddbButtons();
    struct EndOfRun {
        TfrmCassette &w;
        ~EndOfRun()
        {
            w.m_cddbRunning = false;
            w.updateCddbButtons();
            // Tracks taken over show up in the window.
            if (!w.tblMain->Editing())
                tk::guarded([this] { w.tblMain->Refresh(); });
            if (w.m_closeAfterRun)
                QTimer::singleShot(0, &w, [win = &w] { win->close(); });
        }
    } end{*this};
    RunView view(*this);
    media::CddbRun run(media::configuredCddbSettings(), *m_waiting, *m_store, view);
    run.execute();
}
