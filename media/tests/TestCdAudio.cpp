// Disc reading, status line and player commands, on a CUE image and on the
// scripted device.
#include "media/CdAudio.h"
#include "media/LibcdioDevice.h"
#include "media/ScriptedCdDevice.h"
#include "media/tests/CueImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

using namespace media;

using media::test::writeCueImage;

class TestCdAudio : public QObject {
    Q_OBJECT

private slots:
    void cueImageGivesTheTableOfContents();
    void missingImageCannotBeOpened();
    void readErrorsCloseTheDevice();
    void noTracksStillReadsThePosition();
    void moreThan255TracksAreReadAs255();
    void currentTrackCountsStartsBeforeThePosition_data();
    void currentTrackCountsStartsBeforeThePosition();
    void statusLineFollowsTheDisc();
    void framesToMinSecTruncates();
    void errorTexts();
    void playerCommandsSkipWithinTheDisc();
    void playerCommandReportsABusyDrive();
};

void TestCdAudio::cueImageGivesTheTableOfContents()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cue = writeCueImage(dir.path(), {150, 12345, 20000}, 37500);
    QVERIFY(!cue.isEmpty());
    LibcdioDevice device(cue, LibcdioDevice::Source::CueSheet);
    tCDParams params;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoError));
    QCOMPARE(params.TrackCount, 3);
    QCOMPARE(params.TrackStart[1], 150);
    QCOMPARE(params.TrackStart[2], 12345);
    QCOMPARE(params.TrackStart[3], 20000);
    QCOMPARE(params.leadOut(), 37500);
    QCOMPARE(params.TrackMSF[2], (Msf{2, 44, 45}));
    QCOMPARE(params.TrackMSF[4], (Msf{8, 20, 0}));
    QCOMPARE(params.TrackStart[5], 0);
    // An image has no play head.
    QCOMPARE(params.Position, -1);
    QCOMPARE(params.CurrentTrack, 0);
    QVERIFY(!device.playToEnd());
}

void TestCdAudio::missingImageCannotBeOpened()
{
    LibcdioDevice device(QStringLiteral("/nonexistent/disc.cue"), LibcdioDevice::Source::CueSheet);
    tCDParams params;
    params.TrackCount = 7;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdCannotOpen));
    QCOMPARE(params.TrackCount, 0);
}

void TestCdAudio::readErrorsCloseTheDevice()
{
    ScriptedCdDevice device;
    tCDParams params;
    device.setInUse(true);
    QCOMPARE(ReadDiscInfo(device, params), int(kCdDriveInUse));
    device.setInUse(false);
    device.setOpenFails(true);
    QCOMPARE(ReadDiscInfo(device, params), int(kCdCannotOpen));
    device.setOpenFails(false);

    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoDisc));
    QVERIFY(!device.isOpen());

    device.insertDisc({150, 12345}, 37500);
    device.setMsfRefused(true);
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoMsfFormat));
    QVERIFY(!device.isOpen());
    device.setMsfRefused(false);

    device.setTrackCountFails(true);
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoTrackInfo));
    QVERIFY(!device.isOpen());
    device.setTrackCountFails(false);

    device.setPositionFails(true);
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoError));
    QCOMPARE(params.Position, -1);
    QCOMPARE(params.CurrentTrack, 0);
    QVERIFY(!device.isOpen());
}

void TestCdAudio::noTracksStillReadsThePosition()
{
    ScriptedCdDevice device;
    device.insertDisc({}, 0);
    device.setPosition(321);
    tCDParams params;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoTracks));
    QCOMPARE(params.TrackCount, 0);
    QCOMPARE(params.Position, 321);
    QCOMPARE(params.CurrentTrack, 0);
    QVERIFY(!device.isOpen());
}

void TestCdAudio::moreThan255TracksAreReadAs255()
{
    ScriptedCdDevice device;
    std::vector<int> starts;
    for (int t = 0; t < 300; ++t)
        starts.push_back(150 + t * 750);
    device.insertDisc(starts, 150 + 300 * 750);
    device.setPosition(150 + 299 * 750 + 10);
    tCDParams params;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoError));
    QCOMPARE(params.TrackCount, 255);
    QCOMPARE(params.TrackStart[255], 150 + 254 * 750);
    // Track 255 ends where track 256 begins.
    QCOMPARE(params.TrackStart[256], 150 + 255 * 750);
    QCOMPARE(params.TrackMSF[256], Msf::fromFrames(150 + 255 * 750));
    QCOMPARE(params.CurrentTrack, 255);
}

void TestCdAudio::currentTrackCountsStartsBeforeThePosition_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("track");
    QTest::newRow("before track 1") << 0 << 0;
    QTest::newRow("at track 1") << 150 << 0;
    QTest::newRow("just into track 1") << 151 << 1;
    QTest::newRow("at track 3 still counts as 2") << 20000 << 2;
    QTest::newRow("just into track 3") << 20001 << 3;
    QTest::newRow("lead-out") << 37500 << 3;
}

void TestCdAudio::currentTrackCountsStartsBeforeThePosition()
{
    QFETCH(int, position);
    QFETCH(int, track);
    ScriptedCdDevice device;
    device.insertDisc({150, 12345, 20000}, 37500);
    device.setPosition(position);
    tCDParams params;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoError));
    QCOMPARE(params.Position, position);
    QCOMPARE(params.CurrentTrack, track);
}

void TestCdAudio::statusLineFollowsTheDisc()
{
    ScriptedCdDevice device;
    device.insertDisc({150, 12345, 20000}, 37500);

    CdStatus status = readCdStatus(device, 0);
    QCOMPARE(status.line, QStringLiteral("Track 0 - 0:0 / "));
    QVERIFY(status.ready);

    int cdDevice = -1;
    QVERIFY(runPlayerCommand(device, PlayerCommand::Next, 0, cdDevice).isEmpty());
    QVERIFY(runPlayerCommand(device, PlayerCommand::Next, 0, cdDevice).isEmpty());
    QCOMPARE(device.positionFrames(), 20000);
    device.setClock(65000);
    QCOMPARE(device.positionFrames(), 20000 + 65 * 75);

    status = readCdStatus(device, 0);
    QCOMPARE(status.line, QStringLiteral("Track 3 - 1:5 / Track 3"));
    QVERIFY(!status.ready);
    // Rest of the track and of the disc: 37500 - 24875 frames.
    QCOMPARE(readCdStatus(device, 1).line, QStringLiteral("Track 3 - 2:48 / Track 3"));
    QCOMPARE(readCdStatus(device, 3).line, QStringLiteral("Track 3 - 2:48 / Track 3"));
    QCOMPARE(readCdStatus(device, 2).line, QStringLiteral("Track 3 - 5:29 / Track 3"));
    QCOMPARE(readCdStatus(device, 9).line, QStringLiteral("Track 3 - 5:31 / Track 3"));

    device.setInUse(true);
    status = readCdStatus(device, 0);
    QCOMPARE(status.line, QStringLiteral("Drive is in use"));
    QCOMPARE(status.code, int(kCdDriveInUse));
    QVERIFY(!status.ready);
}

void TestCdAudio::framesToMinSecTruncates()
{
    QCOMPARE(FramesToMinSec(0), QStringLiteral("0:0"));
    QCOMPARE(FramesToMinSec(2 * 4500 + 5 * 75 + 74), QStringLiteral("2:5"));
    QCOMPARE(FramesToMinSec(4499), QStringLiteral("0:59"));
    QCOMPARE(FramesToMinSec(75 * 3600), QStringLiteral("60:0"));
}

void TestCdAudio::errorTexts()
{
    QCOMPARE(CDErrorText(0), QStringLiteral("No error"));
    QCOMPARE(CDErrorText(-1), QStringLiteral("Drive is in use"));
    QCOMPARE(CDErrorText(-2), QStringLiteral("Unable to open mci device"));
    QCOMPARE(CDErrorText(-3), QStringLiteral("MSF format unavailable"));
    QCOMPARE(CDErrorText(-4), QStringLiteral("No disc in drive"));
    QCOMPARE(CDErrorText(-5), QStringLiteral("No tracks!"));
    QCOMPARE(CDErrorText(-6), QStringLiteral("Unable to get tracks info"));
    QCOMPARE(CDErrorText(-7), QStringLiteral("Unknown error"));
    QCOMPARE(CDErrorText(1), QStringLiteral("Unknown error"));
}

void TestCdAudio::playerCommandsSkipWithinTheDisc()
{
    ScriptedCdDevice device;
    device.insertDisc({150, 12345, 20000}, 37500);
    int cdDevice = -1;

    QVERIFY(runPlayerCommand(device, PlayerCommand::Play, 2, cdDevice).isEmpty());
    QCOMPARE(cdDevice, -1);
    QVERIFY(!device.isOpen());
    QVERIFY(device.isPlaying());
    device.setClock(1000);
    QCOMPARE(device.positionFrames(), 225);

    // Previous on track 1 leaves the disc playing where it was.
    runPlayerCommand(device, PlayerCommand::Previous, 2, cdDevice);
    QVERIFY(device.isPlaying());
    QCOMPARE(device.positionFrames(), 225);

    runPlayerCommand(device, PlayerCommand::Next, 2, cdDevice);
    QVERIFY(device.isPlaying());
    QCOMPARE(device.positionFrames(), 12345);
    runPlayerCommand(device, PlayerCommand::Next, 2, cdDevice);
    device.setClock(3000);
    QCOMPARE(device.positionFrames(), 20150);
    runPlayerCommand(device, PlayerCommand::Next, 2, cdDevice);
    QVERIFY(device.isPlaying());
    QCOMPARE(device.positionFrames(), 20150);
    runPlayerCommand(device, PlayerCommand::Previous, 2, cdDevice);
    QCOMPARE(device.positionFrames(), 12345);

    runPlayerCommand(device, PlayerCommand::Stop, 2, cdDevice);
    QVERIFY(!device.isPlaying());
    runPlayerCommand(device, PlayerCommand::Eject, 2, cdDevice);
    QVERIFY(device.doorOpen());
    QCOMPARE(readCdStatus(device, 0).line, QStringLiteral("No disc in drive"));
    QCOMPARE(cdDevice, -1);
}

void TestCdAudio::playerCommandReportsABusyDrive()
{
    ScriptedCdDevice device;
    device.insertDisc({150, 12345}, 37500);
    int cdDevice = -1;
    device.setInUse(true);
    QCOMPARE(runPlayerCommand(device, PlayerCommand::Play, 0, cdDevice), QStringLiteral("Drive is in use."));
    device.setInUse(false);
    device.setOpenFails(true);
    QCOMPARE(runPlayerCommand(device, PlayerCommand::Play, 0, cdDevice), QStringLiteral("Unable to open MCI device."));
    QCOMPARE(cdDevice, -1);
    QVERIFY(!device.isPlaying());
}

TESSARON_TEST(TestCdAudio)
#include "TestCdAudio.moc"
