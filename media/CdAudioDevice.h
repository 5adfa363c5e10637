// The CD-audio device: the few requests the player and the disc reading make
// of a drive, each answered when it completes.
//
// A device stands for one drive (or one disc image). It is opened for a
// single operation and closed right after; a disc told to play keeps playing
// after the close. Positions are minute-second-frame triples counted from the
// very beginning of the disc (75 frames a second), as the drive reports them.
// A request that the device cannot answer gives an empty optional or false.
#pragma once

#include <cstdint>
#include <optional>

namespace media {

inline constexpr int kFramesPerSecond = 75;
inline constexpr int kFramesPerMinute = 4500;

struct Msf {
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t frame = 0;

    // The packed form the drive reports: minute in the lowest byte, second
    // in the next, frame in the third.
    uint32_t packed() const { return minute | (second << 8) | (uint32_t(frame) << 16); }
    static Msf fromPacked(uint32_t value)
    {
        return {uint8_t(value & 0xFF), uint8_t((value >> 8) & 0xFF), uint8_t((value >> 16) & 0xFF)};
    }

    int frames() const { return minute * kFramesPerMinute + second * kFramesPerSecond + frame; }
    // Frames 0 to 255 * 4500 + 4499; a larger or negative count is clamped.
    static Msf fromFrames(int frames);

    bool operator==(const Msf &) const = default;
};

enum class CdTimeFormat {
    Msf,      // minute-second-frame positions
    TrackMsf, // track-minute-second-frame, used for seeking to a track
};

enum class CdOpenResult { Ok, InUse, Failed };

// What a device that plays digitally wants the user to know about it.
enum class CdPlayNotice {
    None,
    Skipped,       // an unreadable stretch of the disc was skipped
    NoSoundOutput, // there is no sound output to play on
    Unreadable,    // the disc could not be opened for reading its sound
};

class CdAudioDevice {
public:
    virtual ~CdAudioDevice() = default;

    // Opens the device, not shared. InUse when another program holds it,
    // Failed for every other failure. Opening an open device reopens it.
    virtual CdOpenResult open() = 0;
    // Closes the device; harmless when it is not open. Playback goes on.
    virtual void close() = 0;

    // The requests below need an open device; on a closed one they fail.

    // Whether a disc is in the drive.
    virtual std::optional<bool> mediaPresent() = 0;
    virtual bool setTimeFormat(CdTimeFormat format) = 0;
    virtual std::optional<CdTimeFormat> timeFormat() = 0;
    // The number of tracks on the disc as the drive reports it (may exceed
    // the 255 that the disc information record holds).
    virtual std::optional<int> trackCount() = 0;
    // Start of track `track` (from 1).
    virtual std::optional<Msf> trackStart(int track) = 0;
    // Length of track `track` as the audio service counts it: one frame less
    // than the distance to the next track's start (the lead-out for the last
    // track), so start + length + 1 frame is where the next one begins.
    virtual std::optional<Msf> trackLength(int track) = 0;
    // The play position, and the track it lies in (from 1).
    virtual std::optional<Msf> position() = 0;
    virtual std::optional<int> currentTrack() = 0;
    // Moves the position to the start of track `track`; fails for a track
    // that the disc does not have. Stops playback.
    virtual bool seekToTrack(int track) = 0;
    // Plays from the current position to the end of the disc and returns at
    // once.
    virtual bool playToEnd() = 0;
    virtual bool stop() = 0;
    // Opens the drive door. The device may be closed afterwards.
    virtual bool openDoor() = 0;

    // Devices that play digitally can pause; the others refuse. Pausing a
    // paused device resumes it (so does playToEnd).
    virtual bool canPause() { return false; }
    virtual bool pause() { return false; }
    // The notice in force about the playback; needs no open device.
    virtual CdPlayNotice playNotice() { return CdPlayNotice::None; }
};

} // namespace media
