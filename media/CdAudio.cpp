// Disc information, status line and player commands over a CdAudioDevice.
#include "media/CdAudio.h"

#include "media/CdAudioDevice.h"

#include <algorithm>

namespace media {

Msf Msf::fromFrames(int frames)
{
    frames = std::clamp(frames, 0, 255 * kFramesPerMinute + kFramesPerMinute - 1);
    return {uint8_t(frames / kFramesPerMinute), uint8_t((frames / kFramesPerSecond) % 60),
            uint8_t(frames % kFramesPerSecond)};
}

namespace {

// Closes the device when the read ends, however it ends.
class OpenDevice {
public:
    explicit OpenDevice(CdAudioDevice &device) : m_device(device) {}
    ~OpenDevice() { m_device.close(); }
    OpenDevice(const OpenDevice &) = delete;
    OpenDevice &operator=(const OpenDevice &) = delete;

private:
    CdAudioDevice &m_device;
};

// Steps after the open; the device is open and closed by the caller.
int readOpenDevice(CdAudioDevice &device, tCDParams &params)
{
    const std::optional<bool> present = device.mediaPresent();
    if (!present || !*present)
        return kCdNoDisc;

    if (!device.setTimeFormat(CdTimeFormat::Msf) || device.timeFormat() != CdTimeFormat::Msf)
        return kCdNoMsfFormat;

    const std::optional<int> count = device.trackCount();
    if (!count)
        return kCdNoTrackInfo;
    int result = kCdNoError;
    params.TrackCount = std::min(*count, kMaxTracks);
    if (params.TrackCount <= 0) {
        params.TrackCount = 0;
        result = kCdNoTracks;
    } else {
        for (int t = 1; t <= params.TrackCount; ++t) {
            if (const std::optional<Msf> start = device.trackStart(t)) {
                params.TrackMSF[t] = *start;
                params.TrackStart[t] = start->frames();
            }
        }
        if (const std::optional<Msf> length = device.trackLength(params.TrackCount)) {
            const int leadOut = params.TrackStart[params.TrackCount] + length->frames() + 1;
            params.TrackStart[params.TrackCount + 1] = leadOut;
            params.TrackMSF[params.TrackCount + 1] = Msf::fromFrames(leadOut);
        }
    }

    const std::optional<Msf> position = device.position();
    params.Position = position ? position->frames() : -1;
    params.CurrentTrack = 0;
    while (params.CurrentTrack < params.TrackCount && params.TrackStart[params.CurrentTrack + 1] < params.Position)
        ++params.CurrentTrack;
    return result;
}

} // namespace

int ReadDiscInfo(CdAudioDevice &device, tCDParams &params)
{
    params = tCDParams{};
    switch (device.open()) {
    case CdOpenResult::InUse: return kCdDriveInUse;
    case CdOpenResult::Failed: return kCdCannotOpen;
    case CdOpenResult::Ok: break;
    }
    OpenDevice closer(device);
    return readOpenDevice(device, params);
}

QString CDErrorText(int code)
{
    switch (code) {
    case kCdNoError: return QStringLiteral("No error");
    case kCdDriveInUse: return QStringLiteral("Drive is in use");
    case kCdCannotOpen: return QStringLiteral("Unable to open mci device");
    case kCdNoMsfFormat: return QStringLiteral("MSF format unavailable");
    case kCdNoDisc: return QStringLiteral("No disc in drive");
    case kCdNoTracks: return QStringLiteral("No tracks!");
    case kCdNoTrackInfo: return QStringLiteral("Unable to get tracks info");
    default: return QStringLiteral("Unknown error");
    }
}

QString FramesToMinSec(int frames)
{
    return QStringLiteral("%1:%2").arg(frames / kFramesPerMinute).arg((frames / kFramesPerSecond) % 60);
}

CdStatus cdStatusOf(int code, const tCDParams &params, int cdStatus)
{
    CdStatus status;
    status.code = code;
    if (code != kCdNoError) {
        status.line = CDErrorText(code);
        return status;
    }
    const int track = params.CurrentTrack;
    status.ready = track == 0;
    const QString trackLabel = track > 0 ? QStringLiteral("Track %1").arg(track) : QString();
    int time = 0;
    switch (cdStatus) {
    case 0: time = track > 0 ? params.Position - params.TrackStart[track] : 0; break;
    case 1: time = params.TrackStart[track + 1] - params.Position; break;
    case 2: time = params.Position - params.TrackStart[1]; break;
    case 3: time = params.leadOut() - params.Position; break;
    default: time = params.Position; break;
    }
    status.line = QStringLiteral("Track %1 - %2 / %3").arg(track).arg(FramesToMinSec(time), trackLabel);
    return status;
}

CdStatus readCdStatus(CdAudioDevice &device, int cdStatus)
{
    tCDParams params;
    const int code = ReadDiscInfo(device, params);
    return cdStatusOf(code, params, cdStatus);
}

namespace {

void skipTracks(CdAudioDevice &device, int delta)
{
    if (!device.setTimeFormat(CdTimeFormat::TrackMsf))
        return;
    const std::optional<int> current = device.currentTrack();
    if (!current)
        return;
    // The track number is one byte: Previous on track 1 asks for track 0.
    const uint8_t target = uint8_t(*current + delta);
    if (!device.seekToTrack(target))
        return;
    device.playToEnd();
}

} // namespace

QString runPlayerCommand(CdAudioDevice &device, PlayerCommand command, int deviceNumber, int &cdDevice)
{
    switch (device.open()) {
    case CdOpenResult::InUse: return QStringLiteral("Drive is in use.");
    case CdOpenResult::Failed: return QStringLiteral("Unable to open MCI device.");
    case CdOpenResult::Ok: break;
    }
    cdDevice = deviceNumber;
    switch (command) {
    case PlayerCommand::Play: device.playToEnd(); break;
    case PlayerCommand::Pause: device.pause(); break;
    case PlayerCommand::Stop: device.stop(); break;
    case PlayerCommand::Previous: skipTracks(device, -1); break;
    case PlayerCommand::Next: skipTracks(device, +1); break;
    case PlayerCommand::Eject: device.openDoor(); break;
    }
    device.close();
    cdDevice = -1;
    return QString();
}

} // namespace media
