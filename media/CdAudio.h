// Reading and playing audio CDs over a CdAudioDevice: the disc information,
// its error texts, the status line of the player and the player commands.
//
// Every function given a device opens it for its single operation and closes it
// before it returns. The texts are the player's fixed English texts.
#pragma once

#include "media/tCDParams.h"

#include <QString>

namespace media {

class CdAudioDevice;

// Result codes of ReadDiscInfo.
enum CdError : int {
    kCdNoError = 0,
    kCdDriveInUse = -1,
    kCdCannotOpen = -2,
    kCdNoMsfFormat = -3,
    kCdNoDisc = -4,
    kCdNoTracks = -5,
    kCdNoTrackInfo = -6,
};

// Reads the table of contents and the play position into `params` (cleared
// first) and returns a CdError code. With kCdNoTracks the position is still
// read. The device is closed again whatever failed.
int ReadDiscInfo(CdAudioDevice &device, tCDParams &params);

// "No error", "Drive is in use", ... for a CdError code; "Unknown error" for
// any other value.
QString CDErrorText(int code);

// Minutes and seconds of a frame count without leading zeros, "2:5" for two
// minutes five seconds. Divisions truncate toward zero.
QString FramesToMinSec(int frames);

// What the player shows after a disc read.
struct CdStatus {
    // The status line: the error text, or "Track 3 - 1:5 / Track 3".
    QString line;
    // True when the read succeeded with the head before track 1: the window
    // then shows "<CD ready>" (and keeps showing it).
    bool ready = false;
    int code = kCdNoError;
};

inline const QString kCdReadyText = QStringLiteral("<CD ready>");

// The status for a read's result. `cdStatus` chooses the time shown:
// 0 track elapsed, 1 track remaining, 2 disc elapsed, 3 disc remaining, any
// other value the raw position.
CdStatus cdStatusOf(int code, const tCDParams &params, int cdStatus);
// Reads the disc and computes its status.
CdStatus readCdStatus(CdAudioDevice &device, int cdStatus);

// Pause works on devices that can pause (the digital path) and there
// resumes paused playback too.
enum class PlayerCommand { Play, Pause, Stop, Previous, Next, Eject };

// Runs one player command in its frame: opens the device (keeping
// `deviceNumber` in `cdDevice` while it is open, so the status timer leaves
// the drive alone), runs the command, closes the device and sets `cdDevice`
// back to -1. Returns the message to show when the device could not be
// opened ("Drive is in use." or "Unable to open MCI device."), else an empty
// text; a refused seek, play, stop or eject is not reported. The caller
// refreshes the status line afterwards in either case.
QString runPlayerCommand(CdAudioDevice &device, PlayerCommand command, int deviceNumber, int &cdDevice);

} // namespace media
