// Digital playback of a CUE image with a tone into a memory sink: the samples
// that arrive, the position and the status line, Pause and Stop, the end of
// the disc, read errors, and a missing sound output.
#include "media/CdAudio.h"
#include "media/CdAudioSink.h"
#include "media/DigitalCdPlayback.h"
#include "media/LibcdioDevice.h"
#include "media/tests/CueImage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "testing/TestRegistry.h"

using namespace media;
using media::test::kSectorBytes;
using media::test::writeCueImage;

namespace {

// Three tracks of four seconds.
const std::vector<int> kStarts{150, 450, 750};
constexpr int kLeadOut = 1050;

// Plays `frames` frames through the sink, waiting for the reading to keep
// up; returns the frames played (fewer when nothing comes for a second:
// the playback has ended).
int playFrames(MemoryAudioSink &sink, int frames)
{
    const qint64 wanted = qint64(frames) * kSectorBytes;
    qint64 got = 0;
    QElapsedTimer idle;
    idle.start();
    while (got < wanted && idle.elapsed() < 1000) {
        const qint64 n = sink.pull(wanted - got);
        got += n;
        if (n > 0)
            idle.restart();
        else
            QThread::msleep(2);
    }
    return int(got / kSectorBytes);
}

// The image's samples of frames [from, from + count).
QByteArray imageFrames(const QByteArray &bin, int from, int count)
{
    return bin.mid(qsizetype(from - 150) * kSectorBytes, qsizetype(count) * kSectorBytes);
}

struct DigitalImage {
    QTemporaryDir dir;
    QString cue;
    QByteArray bin;
    std::unique_ptr<LibcdioDevice> device;
    MemoryAudioSink *sink = nullptr;
    int cdDevice = -1;

    bool make()
    {
        cue = writeCueImage(dir.path(), kStarts, kLeadOut, true);
        QFile file(dir.filePath(QStringLiteral("disc.bin")));
        if (cue.isEmpty() || !file.open(QIODevice::ReadOnly))
            return false;
        bin = file.readAll();
        device = std::make_unique<LibcdioDevice>(cue, LibcdioDevice::Source::CueSheet);
        device->setPlayPath(LibcdioDevice::PlayPath::Digital, [this] {
            auto made = std::make_unique<MemoryAudioSink>();
            sink = made.get();
            return made;
        });
        return true;
    }
    QString run(PlayerCommand command) { return runPlayerCommand(*device, command, 0, cdDevice); }
    QString line(int cdStatus = 0) { return readCdStatus(*device, cdStatus).line; }
};

} // namespace

class TestCdPlayback : public QObject {
    Q_OBJECT

private slots:
    void positionTracksAndPauseFollowTheSink();
    void playsToTheEndAndStandsAtTheStart();
    void readErrorSkipsAheadAndSaysSo();
    void unreadableImageEndsPlayback();
    void missingSoundOutputFailsCleanly();
    void analogPathOfAnImageStillCannotPlay();
};

void TestCdPlayback::positionTracksAndPauseFollowTheSink()
{
    DigitalImage image;
    QVERIFY(image.make());
    LibcdioDevice &device = *image.device;

    // Stopped: the head stands at the start of track 1, as a drive's does.
    CdStatus status = readCdStatus(device, 0);
    QCOMPARE(status.line, QStringLiteral("Track 0 - 0:0 / "));
    QVERIFY(status.ready);
    QVERIFY(device.canPause());

    QVERIFY(image.run(PlayerCommand::Play).isEmpty());
    QCOMPARE(image.cdDevice, -1);
    QVERIFY(image.sink && image.sink->started());
    QCOMPARE(playFrames(*image.sink, 150), 150);
    QCOMPARE(image.line(0), QStringLiteral("Track 1 - 0:2 / Track 1"));
    QCOMPARE(image.line(1), QStringLiteral("Track 1 - 0:2 / Track 1"));
    QCOMPARE(image.line(2), QStringLiteral("Track 1 - 0:2 / Track 1"));
    QCOMPARE(image.line(3), QStringLiteral("Track 1 - 0:10 / Track 1"));
    QVERIFY(!readCdStatus(device, 0).ready);

    // Previous on track 1 changes nothing; Next goes to track 2.
    image.run(PlayerCommand::Previous);
    QCOMPARE(playFrames(*image.sink, 30), 30);
    QCOMPARE(image.line(), QStringLiteral("Track 1 - 0:2 / Track 1"));
    image.run(PlayerCommand::Next);
    // Exactly at the start of track 2 still counts as track 1.
    QCOMPARE(image.line(), QStringLiteral("Track 1 - 0:4 / Track 1"));
    QCOMPARE(playFrames(*image.sink, 75), 75);
    QCOMPARE(image.line(), QStringLiteral("Track 2 - 0:1 / Track 2"));

    // Pause holds the sound and the position; Pause again (or Play) goes on.
    image.run(PlayerCommand::Pause);
    QVERIFY(image.sink->paused());
    QCOMPARE(image.sink->pull(kSectorBytes), 0);
    QCOMPARE(image.line(), QStringLiteral("Track 2 - 0:1 / Track 2"));
    image.run(PlayerCommand::Pause);
    QCOMPARE(playFrames(*image.sink, 75), 75);
    QCOMPARE(image.line(), QStringLiteral("Track 2 - 0:2 / Track 2"));
    image.run(PlayerCommand::Pause);
    image.run(PlayerCommand::Play);
    QVERIFY(!image.sink->paused());
    QCOMPARE(playFrames(*image.sink, 10), 10);

    image.run(PlayerCommand::Previous);
    QCOMPARE(playFrames(*image.sink, 20), 20);
    QCOMPARE(image.line(), QStringLiteral("Track 1 - 0:0 / Track 1"));

    // What reached the sink is the image, piece by piece.
    const QByteArray expected = imageFrames(image.bin, 150, 180) + imageFrames(image.bin, 450, 160)
                              + imageFrames(image.bin, 150, 20);
    QCOMPARE(image.sink->samples().size(), expected.size());
    QVERIFY(image.sink->samples() == expected);

    // Stop lets go of the image at once and goes back to the start.
    image.run(PlayerCommand::Stop);
    QVERIFY(!image.sink->started());
    QCOMPARE(device.digitalPlayback()->state(), DigitalCdPlayback::State::Stopped);
    QCOMPARE(image.line(), QStringLiteral("Track 0 - 0:0 / "));
    QCOMPARE(image.sink->pull(kSectorBytes), 0);
    QCOMPARE(device.playNotice(), CdPlayNotice::None);
}

void TestCdPlayback::playsToTheEndAndStandsAtTheStart()
{
    DigitalImage image;
    QVERIFY(image.make());
    // Next from a stopped disc plays track 2; once more, track 3.
    image.run(PlayerCommand::Next);
    QCOMPARE(playFrames(*image.sink, 5), 5);
    image.run(PlayerCommand::Next);
    QCOMPARE(image.line(3), QStringLiteral("Track 2 - 0:4 / Track 2"));
    // Next on the last track leaves the playback alone.
    image.run(PlayerCommand::Next);
    QCOMPARE(playFrames(*image.sink, 1000), 300);
    QCOMPARE(image.sink->samples().mid(5 * kSectorBytes), imageFrames(image.bin, 750, 300));
    QCOMPARE(image.device->digitalPlayback()->state(), DigitalCdPlayback::State::Stopped);
    const CdStatus status = readCdStatus(*image.device, 0);
    QCOMPARE(status.line, QStringLiteral("Track 0 - 0:0 / "));
    QVERIFY(status.ready);
    // Play starts the disc again from track 1.
    image.run(PlayerCommand::Play);
    QCOMPARE(playFrames(*image.sink, 2), 2);
    QVERIFY(image.sink->samples().endsWith(imageFrames(image.bin, 150, 2)));
    image.run(PlayerCommand::Eject);
    QCOMPARE(image.device->digitalPlayback()->state(), DigitalCdPlayback::State::Stopped);
}

void TestCdPlayback::readErrorSkipsAheadAndSaysSo()
{
    DigitalImage image;
    QVERIFY(image.make());
    image.run(PlayerCommand::Play);
    // The ring holds at most two seconds: nothing past frame 300 is read
    // yet. From frame 600 on, the image now cannot be read.
    QVERIFY(QFile::resize(image.dir.filePath(QStringLiteral("disc.bin")), qint64(600 - 150) * kSectorBytes));
    QCOMPARE(playFrames(*image.sink, 900), 450);
    QVERIFY(image.sink->samples() == imageFrames(image.bin, 150, 450));
    // Frames 600, 675, ... 975 were tried, a second apart.
    QCOMPARE(image.device->digitalPlayback()->source().skips(), 6);
    // The skip ran on to the end of the disc: playback is over, and the
    // status line says what happened.
    QCOMPARE(image.device->digitalPlayback()->state(), DigitalCdPlayback::State::Stopped);
    QCOMPARE(image.device->playNotice(), CdPlayNotice::Skipped);
    // Stop clears the notice.
    image.run(PlayerCommand::Stop);
    QCOMPARE(image.device->playNotice(), CdPlayNotice::None);
}

void TestCdPlayback::unreadableImageEndsPlayback()
{
    MemoryAudioSink *sink = nullptr;
    DigitalCdPlayback playback(QStringLiteral("/nonexistent/disc.cue"), CdSampleSource::Medium::CueSheet, [&] {
        auto made = std::make_unique<MemoryAudioSink>();
        sink = made.get();
        return made;
    });
    QVERIFY(playback.play(150, 1050));
    QTRY_COMPARE(playback.state(), DigitalCdPlayback::State::Stopped);
    QCOMPARE(playback.notice(), CdPlayNotice::Unreadable);
    QVERIFY(!playback.position());
    QVERIFY(!sink->started());
}

void TestCdPlayback::missingSoundOutputFailsCleanly()
{
    QTemporaryDir dir;
    const QString cue = writeCueImage(dir.path(), kStarts, kLeadOut, true);
    LibcdioDevice device(cue, LibcdioDevice::Source::CueSheet);
    int cdDevice = -1;

    // No sink at all.
    device.setPlayPath(LibcdioDevice::PlayPath::Digital, [] { return std::unique_ptr<CdAudioSink>(); });
    QVERIFY(runPlayerCommand(device, PlayerCommand::Play, 0, cdDevice).isEmpty());
    QCOMPARE(device.playNotice(), CdPlayNotice::NoSoundOutput);
    QCOMPARE(readCdStatus(device, 0).line, QStringLiteral("Track 0 - 0:0 / "));

    // The desktop's sound output, which a build machine does not have.
    device.setPlayPath(LibcdioDevice::PlayPath::DigitalOrAnalog);
    QElapsedTimer took;
    took.start();
    runPlayerCommand(device, PlayerCommand::Play, 0, cdDevice);
    if (QMediaDevices::audioOutputs().isEmpty()) {
        // An image has no analog path to fall back on.
        QCOMPARE(device.playNotice(), CdPlayNotice::NoSoundOutput);
        QCOMPARE(device.digitalPlayback()->state(), DigitalCdPlayback::State::Stopped);
    } else {
        QCOMPARE(device.digitalPlayback()->state(), DigitalCdPlayback::State::Playing);
        QTRY_VERIFY(device.digitalPlayback()->position().value_or(0) > 160);
    }
    runPlayerCommand(device, PlayerCommand::Stop, 0, cdDevice);
    QCOMPARE(device.digitalPlayback()->state(), DigitalCdPlayback::State::Stopped);
    QCOMPARE(device.playNotice(), CdPlayNotice::None);
    QVERIFY(took.elapsed() < 5000);
}

void TestCdPlayback::analogPathOfAnImageStillCannotPlay()
{
    QTemporaryDir dir;
    const QString cue = writeCueImage(dir.path(), kStarts, kLeadOut);
    LibcdioDevice device(cue, LibcdioDevice::Source::CueSheet);
    device.setPlayPath(LibcdioDevice::PlayPath::Analog);
    int cdDevice = -1;
    runPlayerCommand(device, PlayerCommand::Play, 0, cdDevice);
    QVERIFY(!device.digitalPlayback());
    QVERIFY(!device.canPause());
    QCOMPARE(readCdStatus(device, 0).line, QStringLiteral("Track 0 - 0:0 / "));
}

TESSARON_TEST(TestCdPlayback)
#include "TestCdPlayback.moc"
