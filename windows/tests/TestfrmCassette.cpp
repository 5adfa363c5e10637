// The music collection on real tables: the titles of a carrier, the quick
// search, new-record defaults, the player over a scripted drive and whole
// CDDB runs against a loopback server.
#include "app/Config.h"
#include "media/CdDrives.h"
#include "media/CddbWaitingList.h"
#include "media/LibcdioDevice.h"
#include "media/ScriptedCdDevice.h"
#include "media/tests/CueImage.h"
#include "media/tests/CddbSamples.h"
#include "media/tests/LoopbackCddbServer.h"
#include "platform/FormatSettings.h"
#include "reports/TfrmFilter.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBCheckBox.h"
#include "toolkit/controls/TDBValueComboBox.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "windows/TfrmCDDBsel.h"
#include "windows/TfrmCassette.h"
#include "xbase/api/XbApi.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "testing/TestRegistry.h"

using Answer = tk::MessageBox::Answer;

namespace {

// One drive (scripted, or an image), kept by the test.
class ScriptedDrives : public media::CdDrives {
public:
    explicit ScriptedDrives(media::CdAudioDevice *device) : m_device(device) {}
    QStringList names() const override
    {
        return m_device ? QStringList{QStringLiteral("/dev/sr0")} : QStringList();
    }
    media::CdAudioDevice *device(int number) override { return number == 0 ? m_device : nullptr; }

private:
    media::CdAudioDevice *m_device;
};

// Lets the sink play `frames` frames, waiting for the reading to keep up.
bool playFrames(media::MemoryAudioSink &sink, int frames)
{
    qint64 wanted = qint64(frames) * media::kCdFrameBytes;
    QElapsedTimer waited;
    waited.start();
    while (wanted > 0 && waited.elapsed() < 10000) {
        const qint64 n = sink.pull(wanted);
        wanted -= n;
        if (n == 0)
            QThread::msleep(2);
    }
    return wanted == 0;
}

struct Title {
    const char *title;
    const char *artist;
    int number;
    const char *describe;
    const char *time;
};

void addTitles(const QString &dir, std::initializer_list<Title> titles)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    ds.SetTableName(QStringLiteral("CASSETTE.DBF"));
    ds.Open();
    for (const Title &t : titles) {
        ds.Append();
        ds.FieldByName(QStringLiteral("LIEDERL"))->SetAsString(QString::fromUtf8(t.title));
        ds.FieldByName(QStringLiteral("INTERPRET"))->SetAsString(QString::fromUtf8(t.artist));
        ds.FieldByName(QStringLiteral("CASS_NO"))->SetAsInteger(t.number);
        ds.FieldByName(QStringLiteral("DESCRIBE"))->SetAsString(QString::fromUtf8(t.describe));
        ds.FieldByName(QStringLiteral("LAUFZEIT"))->SetAsString(QString::fromLatin1(t.time));
        ds.FieldByName(QStringLiteral("ART"))->SetAsString(QStringLiteral("CD"));
        ds.Post();
    }
}

QStringList column(QTableWidget *grid, int c)
{
    QStringList texts;
    for (int r = 0; r < grid->rowCount(); ++r)
        texts << grid->item(r, c)->text();
    while (!texts.isEmpty() && texts.last().isEmpty())
        texts.removeLast();
    return texts;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString field(TfrmCassette &w, const char *name)
{
    return w.tblMain->FieldByName(QString::fromLatin1(name))->AsString().trimmed();
}

// Answers the next selection dialog: Enter without a choice first (which
// must not close it), then `row` and Enter. `during` runs while it is shown.
void answerSelection(int row, std::function<void(TfrmCDDBsel *)> during = {})
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, row, during] {
        auto *dialog = qobject_cast<TfrmCDDBsel *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        QTest::keyClick(dialog->lbEntry, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        dialog->close();
        QVERIFY(dialog->isVisible());
        if (during)
            during(dialog);
        dialog->lbEntry->setCurrentRow(row);
        QTest::keyClick(dialog->lbEntry, Qt::Key_Return);
    });
    poll->start(20);
}

} // namespace

class TestfrmCassette : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void titlesOfTheCarrier();
    void quickSearchAndNewRecord();
    void filterStaysAfterTheTitlePage();
    void playerStatusLines();
    void playerCommands();
    void digitalPlayerShowsTheSameStatus();
    void readingDiscsForCddb();
    void wholeCddbRun();
    void cddbRunsThatEndEarly();

private:
    std::unique_ptr<TfrmCassette> openWindow(media::CdAudioDevice *device = nullptr);

    std::unique_ptr<QTemporaryDir> m_dir;
    media::ScriptedCdDevice m_drive;
};

void TestfrmCassette::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), m_dir->path());
    config().NoticeText = QStringLiteral("notice");
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    QFile lang(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QVERIFY(lang.open(QIODevice::ReadOnly));
    tk::Language::current().load(lang.readAll());
    for (int position : {int(schema::kCassette), int(schema::kNotizen), int(schema::kMsparten),
                         int(schema::kInterpre), int(schema::kCddbPrep)}) {
        const SchemaTable &t = schema::table(position);
        QVERIFY(schema::createTable(position, schema::tablePath(config().ZVData, t.stem, QStringLiteral("DBF"))));
        TXbaseDataSet ds;
        ds.DatabaseName = config().ZVData;
        ds.SetTableName(schema::tableFile(t.stem, QStringLiteral("DBF")));
        ds.Open();
        for (const SchemaTag &tag : t.tags)
            QVERIFY(ds.IndexTag(QString(), tag.name, tag.key, 0, 0, QString()));
    }
    m_drive = media::ScriptedCdDevice();
    tk::MessageBox::clearPresets();
}

void TestfrmCassette::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::unique_ptr<TfrmCassette> TestfrmCassette::openWindow(media::CdAudioDevice *device)
{
    auto w = std::make_unique<TfrmCassette>(nullptr, std::make_unique<ScriptedDrives>(device));
    w->Timer1->stop(); // the tests read the drive themselves
    w->show();
    return w;
}

void TestfrmCassette::titlesOfTheCarrier()
{
    addTitles(config().ZVData, {{"Zebra", "Mira Quartet", 7, "Night Ferry", "00:03:10"},
                                {"Anchor", "Mira Quartet", 7, "Night Ferry", "00:04:00"},
                                {"Other Side", "Holm", 7, "Harbour", "00:02:00"},
                                {"Best One", "Holm", 3, "Best", "00:01:00"},
                                {"Best Two", "Holm", 3, "Best of", "00:01:30"},
                                {"Moon", "Mira Quartet", 7, "Night Ferry", "00:05:00"}});
    auto w = openWindow();
    QCOMPARE(w->pc->tabText(1), QStringLiteral("Alle Titel dieser CD"));
    QCOMPARE(w->pc->indexOf(w->TabSheet5), 4);
    QCOMPARE(w->pc->tabText(4), QStringLiteral("CDDB-Abfrage"));
    QVERIFY(w->tblMain->Locate(QStringLiteral("LIEDERL"), {QStringLiteral("Moon")}));
    QCOMPARE(w->windowTitle(), QStringLiteral("Musik: Moon"));

    // Same number, same description, in record order; the other carrier
    // with number 7 is left out.
    w->pc->setCurrentWidget(w->TabSheet4);
    QCOMPARE(column(w->grd, 0), (QStringList{"Zebra", "Anchor", "Moon"}));
    QCOMPARE(column(w->grd, 1), (QStringList{"Mira Quartet", "Mira Quartet", "Mira Quartet"}));
    QCOMPARE(column(w->grd, 2), (QStringList{"00:03:10", "00:04:00", "00:05:00"}));
    // Back on its record and in title order.
    QCOMPARE(field(*w, "LIEDERL"), QStringLiteral("Moon"));
    QCOMPARE(w->tblMain->RecordCount(), 6);
    w->tblMain->First();
    QCOMPARE(field(*w, "LIEDERL"), QStringLiteral("Anchor"));
    QCOMPARE(column(w->grd, 0), (QStringList{"Zebra", "Anchor", "Moon"}));

    // Moving on the title page lists the new carrier.
    QVERIFY(w->tblMain->Locate(QStringLiteral("LIEDERL"), {QStringLiteral("Other Side")}));
    QCOMPARE(column(w->grd, 0), QStringList{"Other Side"});
    // A description is compared whole: "Best" is not "Best of".
    QVERIFY(w->tblMain->Locate(QStringLiteral("LIEDERL"), {QStringLiteral("Best One")}));
    QCOMPARE(column(w->grd, 0), QStringList{"Best One"});
    QCOMPARE(field(*w, "LIEDERL"), QStringLiteral("Best One"));

    // Thirteen titles on one carrier: the first ten are shown.
    for (int n = 0; n < 13; ++n) {
        const QByteArray name = "Track " + QByteArray::number(100 + n);
        addTitles(config().ZVData, {{name.constData(), "Long", 9, "Many", "00:01:00"}});
    }
    w->tblMain->Refresh();
    QVERIFY(w->tblMain->Locate(QStringLiteral("LIEDERL"), {QStringLiteral("Track 105")}));
    QCOMPARE(column(w->grd, 0).size(), TfrmCassette::kTitleRows);
    QCOMPARE(column(w->grd, 0).first(), QStringLiteral("Track 100"));
    QCOMPARE(field(*w, "LIEDERL"), QStringLiteral("Track 105"));
}

void TestfrmCassette::quickSearchAndNewRecord()
{
    addTitles(config().ZVData, {{"Zebra", "Mira Quartet", 7, "Night Ferry", "00:03:10"},
                                {"Night Ferry", "Mira Quartet", 7, "Night Ferry", "00:04:00"},
                                {"Anchor", "Holm", 2, "Harbour", "00:02:00"}});
    auto w = openWindow();
    QTest::keyClicks(w->meSuche, QStringLiteral("ni"));
    QCOMPARE(w->meSuche->text(), QStringLiteral("NI"));
    QCOMPARE(field(*w, "LIEDERL"), QStringLiteral("Night Ferry"));

    w->dbn->BtnClick(tk::DBNavigator::Button::Insert);
    QCOMPARE(field(*w, "STEREO"), QStringLiteral("J"));
    QCOMPARE(field(*w, "WERTUNG"), QStringLiteral("2"));
    QCOMPARE(field(*w, "ART"), QStringLiteral("CD"));
    QVERIFY(field(*w, "INR").startsWith(QStringLiteral("CA")));
    QCOMPARE(w->dbcbStereo->checkState(), Qt::Checked);
    QCOMPARE(w->dbvcbWertung->currentText(), QStringLiteral("gut"));
    QCOMPARE(w->dbvcbWertung->count(), 5);
    QCOMPARE(w->pc->currentIndex(), 0);
    w->tblMain->FieldByName(QStringLiteral("LIEDERL"))->SetAsString(QStringLiteral("Lantern"));
    w->tblMain->FieldByName(QStringLiteral("CASS_NO"))->SetAsInteger(12);
    QTest::mouseClick(w->btnOK, Qt::LeftButton);
    QCOMPARE(w->tblMain->state(), tk::DataSet::State::Browse);
    QCOMPARE(w->windowTitle(), QStringLiteral("Musik: Lantern"));
    QCOMPARE(w->tblMain->RecordCount(), 4);

    // The sort button only shows the notice.
    tk::MessageBox::presetAnswer(Answer::Ok);
    QTest::mouseClick(w->btnSort, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("notice"));
}

void TestfrmCassette::filterStaysAfterTheTitlePage()
{
    addTitles(config().ZVData, {{"Zebra", "Mira Quartet", 7, "Night Ferry", "00:03:10"},
                                {"Anchor", "Mira Quartet", 7, "Night Ferry", "00:04:00"},
                                {"Moon", "Holm", 7, "Night Ferry", "00:05:00"}});
    auto w = openWindow();
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<TfrmFilter *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->CInt1->setText(QStringLiteral("M"));
        dialog->CInt2->setText(QStringLiteral("N"));
        tk::MessageBox::presetAnswer(Answer::Ok);
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    QTest::mouseClick(w->btnFilter, Qt::LeftButton);
    QVERIFY(!w->lblFilter->isHidden());
    QCOMPARE(w->tblMain->RecordCount(), 2);

    // The title page lists the whole carrier; the filter is in force again
    // afterwards, as its label says.
    w->pc->setCurrentWidget(w->TabSheet4);
    QCOMPARE(column(w->grd, 0), (QStringList{"Zebra", "Anchor", "Moon"}));
    QCOMPARE(w->tblMain->RecordCount(), 2);
    QVERIFY(!w->lblFilter->isHidden());
}

void TestfrmCassette::playerStatusLines()
{
    // No drive: nothing is read, the labels stay empty.
    {
        auto none = openWindow(nullptr);
        none->Timer1Timer();
        QCOMPARE(none->lblCDStatus->text(), QString());
        QCOMPARE(none->lblCD->text(), QString());
        QVERIFY(!none->sbtReadCD->isEnabled());
        QVERIFY(!none->sbtPlay->isEnabled());
        QVERIFY(!none->sbtPause->isEnabled());
    }

    m_drive.insertDisc({150, 12345, 20000}, 37500);
    auto w = openWindow(&m_drive);
    QCOMPARE(w->cbCDDrive->count(), 1);
    QVERIFY(!w->sbtPause->isEnabled());
    config().CDStatus = 0;
    w->Timer1Timer();
    QCOMPARE(w->lblCD->text(), QStringLiteral("<CD ready>"));
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 0 - 0:0 / "));

    // 65 seconds into track 2.
    m_drive.setPosition(12345 + 65 * 75);
    const QStringList expected = {QStringLiteral("Track 2 - 1:5 / Track 2"), QStringLiteral("Track 2 - 0:37 / Track 2"),
                                  QStringLiteral("Track 2 - 3:47 / Track 2"), QStringLiteral("Track 2 - 4:30 / Track 2")};
    for (int mode = 0; mode < 4; ++mode) {
        config().CDStatus = mode;
        w->Timer1Timer();
        QCOMPARE(w->lblCDStatus->text(), expected[mode]);
    }
    QCOMPARE(w->lblCD->text(), QStringLiteral("<CD ready>")); // stays once shown

    // While a command holds the drive the timer leaves it alone.
    const int opens = m_drive.openCount();
    w->CDDevice = 0;
    w->Timer1Timer();
    QCOMPARE(m_drive.openCount(), opens);
    w->CDDevice = -1;

    m_drive.removeDisc();
    w->Timer1Timer();
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("No disc in drive"));
    m_drive.setInUse(true);
    w->Timer1Timer();
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Drive is in use"));
}

void TestfrmCassette::playerCommands()
{
    m_drive.insertDisc({150, 12345, 20000}, 37500);
    auto w = openWindow(&m_drive);
    config().CDStatus = 0;

    QTest::mouseClick(w->sbtPlay, Qt::LeftButton);
    QVERIFY(m_drive.isPlaying());
    QVERIFY(!m_drive.isOpen());
    QCOMPARE(w->CDDevice, -1);

    // Previous on track 1 changes nothing.
    m_drive.setPosition(1000);
    QTest::mouseClick(w->sbtPrev, Qt::LeftButton);
    QVERIFY(m_drive.isPlaying());
    QCOMPARE(m_drive.positionFrames(), 1000);
    // Next goes to track 2 and plays; the status line follows at once.
    QTest::mouseClick(w->sbtNext, Qt::LeftButton);
    QVERIFY(m_drive.isPlaying());
    QCOMPARE(m_drive.positionFrames(), 12345);
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 1 - 2:42 / Track 1"));
    // Next on the last track changes nothing.
    m_drive.setPosition(30000);
    QTest::mouseClick(w->sbtNext, Qt::LeftButton);
    QVERIFY(m_drive.isPlaying());
    QCOMPARE(m_drive.positionFrames(), 30000);
    QTest::mouseClick(w->sbtPrev, Qt::LeftButton);
    QCOMPARE(m_drive.positionFrames(), 12345);

    QTest::mouseClick(w->sbtStop, Qt::LeftButton);
    QVERIFY(!m_drive.isPlaying());

    // Another program holds the drive.
    m_drive.setInUse(true);
    tk::MessageBox::presetAnswer(Answer::Ok);
    const int shown = tk::MessageBox::shownCount();
    QTest::mouseClick(w->sbtPlay, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::shownCount(), shown + 1);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Drive is in use."));
    QVERIFY(!m_drive.isPlaying());
    QCOMPARE(w->CDDevice, -1);
    m_drive.setInUse(false);
    m_drive.setOpenFails(true);
    tk::MessageBox::presetAnswer(Answer::Ok);
    QTest::mouseClick(w->sbtEject, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Unable to open MCI device."));
    m_drive.setOpenFails(false);
    QTest::mouseClick(w->sbtEject, Qt::LeftButton);
    QVERIFY(m_drive.doorOpen());
}

void TestfrmCassette::digitalPlayerShowsTheSameStatus()
{
    QCOMPARE(TfrmCassette::playPathOf(CdPlayMode::Automatic), media::LibcdioDevice::PlayPath::DigitalOrAnalog);
    QCOMPARE(TfrmCassette::playPathOf(CdPlayMode::Analog), media::LibcdioDevice::PlayPath::Analog);
    QCOMPARE(TfrmCassette::playPathOf(CdPlayMode::Digital), media::LibcdioDevice::PlayPath::Digital);

    QTemporaryDir images;
    const QString cue = media::test::writeCueImage(images.path(), {150, 450, 750}, 1050, true);
    QVERIFY(!cue.isEmpty());
    media::LibcdioDevice disc(cue, media::LibcdioDevice::Source::CueSheet);
    media::MemoryAudioSink *sink = nullptr;
    disc.setPlayPath(media::LibcdioDevice::PlayPath::Digital, [&sink] {
        auto made = std::make_unique<media::MemoryAudioSink>();
        sink = made.get();
        return made;
    });
    auto w = openWindow(&disc);
    config().CDStatus = 0;
    w->Timer1Timer();
    QCOMPARE(w->lblCD->text(), QStringLiteral("<CD ready>"));
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 0 - 0:0 / "));
    QVERIFY(w->sbtPause->isEnabled());

    QTest::mouseClick(w->sbtPlay, Qt::LeftButton);
    QVERIFY(sink && sink->started());
    QVERIFY(playFrames(*sink, 150));
    w->Timer1Timer();
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 1 - 0:2 / Track 1"));
    QTest::mouseClick(w->sbtPause, Qt::LeftButton);
    QVERIFY(sink->paused());
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 1 - 0:2 / Track 1"));
    // Next plays track 2 from its start, paused or not.
    QTest::mouseClick(w->sbtNext, Qt::LeftButton);
    QVERIFY(!sink->paused());
    QVERIFY(playFrames(*sink, 75));
    config().CDStatus = 3;
    w->Timer1Timer();
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 2 - 0:7 / Track 2"));
    QTest::mouseClick(w->sbtStop, Qt::LeftButton);
    QVERIFY(!sink->started());
    config().CDStatus = 0;
    w->Timer1Timer();
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Track 0 - 0:0 / "));

    // Without a sound output the status line says so.
    disc.setPlayPath(media::LibcdioDevice::PlayPath::Digital, [] { return std::unique_ptr<media::CdAudioSink>(); });
    QTest::mouseClick(w->sbtPlay, Qt::LeftButton);
    QCOMPARE(w->lblCDStatus->text(), tk::langText(10955));
    QCOMPARE(w->lblCDStatus->text(), QStringLiteral("Keine Soundausgabe gefunden"));
}

void TestfrmCassette::readingDiscsForCddb()
{
    auto w = openWindow(&m_drive);
    QCOMPARE(w->lbCDDB->count(), 1);
    QCOMPARE(w->lbCDDB->item(0)->text(), TfrmCassette::waitingPlaceholder());
    QVERIFY(!w->sbtCDDBupd->isEnabled());
    QVERIFY(w->sbtReadCD->isEnabled());
    QCOMPARE(w->lblCDDBServ->text(), QStringLiteral("gnudb.gnudb.org:80"));

    tk::MessageBox::presetAnswer(Answer::Ok);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Error: No disc in drive."));

    samples::insertTwoTrackDisc(m_drive);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);
    QCOMPARE(w->lbCDDB->count(), 1);
    QCOMPARE(w->lbCDDB->item(0)->text(), QStringLiteral("0d01f202+2+150+12345+500"));
    QVERIFY(w->sbtCDDBupd->isEnabled());

    tk::MessageBox::presetAnswer(Answer::Ok);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("This CD is already contained in the list."));
    QCOMPARE(w->lbCDDB->count(), 1);

    m_drive.insertDisc({150}, 20000);
    tk::MessageBox::presetAnswer(Answer::Ok);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("This CD seems to be a data CD and can't be requested by CDDB."));
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);

    TXbaseDataSet prep;
    prep.DatabaseName = config().ZVData;
    prep.SetTableName(QStringLiteral("CDDBPREP.DBF"));
    prep.Open();
    QCOMPARE(prep.RecordCount(), 4); // the disc read twice, its rows twice
    QCOMPARE(fileBytes(QDir(config().ZVData).filePath(QStringLiteral("CDDB-in.Lst"))),
             QByteArray("0d01f202+2+150+12345+500\r\n"));

    // A new window shows the waiting list again.
    w.reset();
    auto again = openWindow(&m_drive);
    QCOMPARE(again->lbCDDB->item(0)->text(), QStringLiteral("0d01f202+2+150+12345+500"));
    QVERIFY(again->sbtCDDBupd->isEnabled());
}

void TestfrmCassette::wholeCddbRun()
{
    LoopbackCddbServer server;
    server.answer = [](const QByteArray &command) {
        if (command.startsWith("cddb+query+0d01f202"))
            return samples::kQueryExact;
        if (command.startsWith("cddb+query"))
            return samples::kQueryInexact;
        return samples::kReadTwelve;
    };
    Config &cfg = config();
    cfg.CDDBServer = QStringLiteral("127.0.0.1");
    cfg.CDDBPort = server.port();
    cfg.CDDBType = QStringLiteral("http");
    cfg.CDDBTimeOut = 20;
    cfg.email = QStringLiteral("alice@pc.example.net");

    auto w = openWindow(&m_drive);
    samples::insertTwoTrackDisc(m_drive);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);
    m_drive.insertDisc({150, 300, 450}, 1500);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);
    QCOMPARE(w->lbCDDB->count(), 2);
    const QString threeTracks = w->lbCDDB->item(1)->text();

    // The last entry first: its three matches are chosen from; during the
    // choice the window works on, a second run does not start and closing
    // waits for the end of the run.
    bool checkedDuringRun = false;
    answerSelection(1, [&](TfrmCDDBsel *dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Select your CD"));
        QCOMPARE(dialog->lbEntry->count(), 3);
        QCOMPARE(dialog->lbEntry->item(2)->text(), QStringLiteral("Various / Harbour Songs"));
        QVERIFY(w->cddbRunInProgress());
        QVERIFY(!w->sbtCDDBupd->isEnabled());
        QVERIFY(!w->sbtReadCD->isEnabled());
        QVERIFY(!w->lblStatus->isHidden());
        QVERIFY(!w->Gauge1->isHidden());
        QCOMPARE(w->lblStatus->text(), QStringLiteral("Connecting..."));
        const int requests = int(server.requests.size());
        w->sbtCDDBupdClick();
        QCOMPARE(int(server.requests.size()), requests);
        const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
        if (!shots.isEmpty()) {
            dialog->lbEntry->setCurrentRow(0);
            dialog->grab().save(shots + QStringLiteral("/music-cddb-select.png"));
            w->grab().save(shots + QStringLiteral("/music-cddb-running.png"));
            dialog->lbEntry->clearSelection();
        }
        w->close();
        QVERIFY(w->isVisible());
        checkedDuringRun = true;
    });
    tk::MessageBox::presetAnswer(Answer::No);  // the chosen match's tracks
    tk::MessageBox::presetAnswer(Answer::Yes); // the exact match's tracks
    tk::MessageBox::presetAnswer(Answer::Ok);  // the closing message
    const int shown = tk::MessageBox::shownCount();
    w->pc->setCurrentWidget(w->TabSheet5);
    QTest::mouseClick(w->sbtCDDBupd, Qt::LeftButton);
    QVERIFY(checkedDuringRun);
    QCOMPARE(tk::MessageBox::shownCount(), shown + 3);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("CDDB request finished successfully !"));

    QCOMPARE(server.requests.size(), 4);
    QVERIFY(server.requests[0].startsWith("GET /~cddb/cddb.cgi?cmd=cddb+query+" + threeTracks.toLatin1() + "&hello="));
    QVERIFY(server.requests[1].startsWith("GET /~cddb/cddb.cgi?cmd=cddb+read+jazz+0d01f203&hello="));
    QVERIFY(server.requests[2].startsWith("GET /~cddb/cddb.cgi?cmd=cddb+query+0d01f202+2+150+12345+500&hello="));
    QVERIFY(server.requests[3].startsWith("GET /~cddb/cddb.cgi?cmd=cddb+read+jazz+0d01f202&hello="));
    const QDir data(cfg.ZVData);
    QByteArray out;
    for (const QByteArray &response : server.responses)
        out += response + "\r\n";
    QCOMPARE(fileBytes(data.filePath(QStringLiteral("CDDB-out.Lst"))), out);
    QCOMPARE(fileBytes(data.filePath(QStringLiteral("CDDB-x.Lst"))), "[ThisCD]\r\n" + server.responses[3]);
    QCOMPARE(fileBytes(data.filePath(QStringLiteral("CDDB-in.Lst"))),
             "0d01f202+2+150+12345+500\r\n" + threeTracks.toLatin1() + "\r\n");

    QVERIFY(w->lblStatus->isHidden());
    QVERIFY(w->Gauge1->isHidden());
    QCOMPARE(w->lbCDDB->count(), 1);
    QCOMPARE(w->lbCDDB->item(0)->text(), TfrmCassette::waitingPlaceholder());
    QVERIFY(!w->sbtCDDBupd->isEnabled());

    // Yes took the twelve tracks over, one record each, on one new carrier.
    QCOMPARE(w->tblMain->RecordCount(), 12);
    TXbaseDataSet music;
    music.DatabaseName = cfg.ZVData;
    music.SetTableName(QStringLiteral("CASSETTE.DBF"));
    music.SetIndexName(QStringLiteral("4"));
    music.Open();
    int track = 0;
    for (music.First(); !music.Eof(); music.Next()) {
        ++track;
        QCOMPARE(music.FieldByName(QStringLiteral("TRACK"))->AsInteger(), track);
        QCOMPARE(music.FieldByName(QStringLiteral("CASS_NO"))->AsInteger(), 1);
        QCOMPARE(music.FieldByName(QStringLiteral("CDDB_ID"))->AsString(), QStringLiteral("0d01f202"));
        QCOMPARE(music.FieldByName(QStringLiteral("INTERPRET"))->AsString().trimmed(), QStringLiteral("Mira Quartet"));
    }
    QCOMPARE(track, 12);
    music.First();
    QCOMPARE(music.FieldByName(QStringLiteral("LIEDERL"))->AsString().trimmed(), QStringLiteral("Blue Pier"));

    // The close asked for during the run followed it.
    QTRY_VERIFY(!w->isVisible());
    QVERIFY(!config().open(Module::Music));
}

void TestfrmCassette::cddbRunsThatEndEarly()
{
    LoopbackCddbServer server;
    server.answer = [](const QByteArray &) { return samples::kQueryNoMatch; };
    Config &cfg = config();
    cfg.CDDBServer = QStringLiteral("127.0.0.1");
    cfg.CDDBPort = server.port();
    cfg.CDDBTimeOut = 1;
    samples::insertTwoTrackDisc(m_drive);
    auto w = openWindow(&m_drive);
    QTest::mouseClick(w->sbtReadCD, Qt::LeftButton);

    // No match: the server's words, then the run ends; the entry stays.
    tk::MessageBox::presetAnswer(Answer::Ok);
    tk::MessageBox::presetAnswer(Answer::Ok);
    int shown = tk::MessageBox::shownCount();
    QTest::mouseClick(w->sbtCDDBupd, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::shownCount(), shown + 2);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Unknown Server Type"));
    QCOMPARE(w->lbCDDB->item(0)->text(), QStringLiteral("0d01f202+2+150+12345+500"));
    QVERIFY(w->sbtCDDBupd->isEnabled());
    QVERIFY(w->lblStatus->isHidden());
    QCOMPARE(fileBytes(QDir(cfg.ZVData).filePath(QStringLiteral("CDDB-out.Lst"))), server.responses[0] + "\r\n");

    // A server that never answers: the time-out ends the run.
    LoopbackCddbServer silent(LoopbackCddbServer::Mode::Silent);
    cfg.CDDBPort = silent.port();
    tk::MessageBox::presetAnswer(Answer::Ok);
    shown = tk::MessageBox::shownCount();
    QTest::mouseClick(w->sbtCDDBupd, Qt::LeftButton);
    QCOMPARE(tk::MessageBox::shownCount(), shown + 1);
    QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Unknown Server Type"));
    QCOMPARE(fileBytes(QDir(cfg.ZVData).filePath(QStringLiteral("CDDB-out.Lst"))), QByteArray("\r\n"));
    QVERIFY(w->Gauge1->isHidden());
    QVERIFY(!w->cddbRunInProgress());

    // The five pages as a user sees them.
    const QString shots = qEnvironmentVariable("TESSARON_SCREENSHOTS");
    if (!shots.isEmpty()) {
        addTitles(cfg.ZVData, {{"Blue Pier", "Mira Quartet", 1, "Night Ferry", "00:02:42"},
                               {"Fog Signal", "Mira Quartet", 1, "Night Ferry", "00:03:05"},
                               {"Lantern", "Mira Quartet", 1, "Night Ferry", "00:04:11"}});
        w->tblMain->Refresh();
        w->tblMain->First();
        m_drive.setPosition(150 + 65 * 75);
        w->Timer1Timer();
        const char *names[] = {"music-detail", "music-titles", "music-notes", "music-table", "music-cddb"};
        for (int i = 0; i < 5; ++i) {
            w->pc->setCurrentIndex(i);
            QApplication::processEvents();
            w->grab().save(shots + QLatin1Char('/') + QLatin1String(names[i]) + QStringLiteral(".png"));
        }
    }
}

TESSARON_TEST(TestfrmCassette)
#include "TestfrmCassette.moc"
