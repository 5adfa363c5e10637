// A CD-audio device whose disc, position and clock are set by its user: the
// stand-in for a drive in tests of the player and the disc reading.
//
// It keeps the state a drive keeps between operations (the disc, playing or
// not, the position), so a test can open and close it as the program does.
// While playing, the position advances with the clock (75 frames a second)
// and stops at the lead-out.
#pragma once

#include "media/CdAudioDevice.h"

#include <vector>

namespace media {

class ScriptedCdDevice : public CdAudioDevice {
public:
    ScriptedCdDevice() = default;

    // Inserts a disc: track starts in frames (ascending) and the lead-out.
    // The position goes to the start of the first track, playback stops.
    void insertDisc(std::vector<int> trackStarts, int leadOut);
    void removeDisc();

    // Failures to simulate.
    void setInUse(bool inUse) { m_inUse = inUse; }
    void setOpenFails(bool fails) { m_openFails = fails; }
    void setMsfRefused(bool refused) { m_msfRefused = refused; }
    void setTrackCountFails(bool fails) { m_trackCountFails = fails; }
    void setPositionFails(bool fails) { m_positionFails = fails; }

    // The clock in milliseconds; playback advances as it moves on.
    void setClock(long long milliseconds);
    // Moves the head, as if the disc had played to there; keeps the play state.
    void setPosition(int frames);

    bool isOpen() const { return m_open; }
    bool isPlaying();
    int positionFrames();
    bool doorOpen() const { return m_doorOpen; }
    int openCount() const { return m_openCount; }

    CdOpenResult open() override;
    void close() override;
    std::optional<bool> mediaPresent() override;
    bool setTimeFormat(CdTimeFormat format) override;
    std::optional<CdTimeFormat> timeFormat() override;
    std::optional<int> trackCount() override;
    std::optional<Msf> trackStart(int track) override;
    std::optional<Msf> trackLength(int track) override;
    std::optional<Msf> position() override;
    std::optional<int> currentTrack() override;
    bool seekToTrack(int track) override;
    bool playToEnd() override;
    bool stop() override;
    bool openDoor() override;

private:
    void advance();
    int nextStart(int track) const;

    std::vector<int> m_starts;
    int m_leadOut = 0;
    bool m_hasDisc = false;
    bool m_inUse = false, m_openFails = false, m_msfRefused = false, m_trackCountFails = false,
         m_positionFails = false;
    bool m_open = false;
    bool m_doorOpen = false;
    int m_openCount = 0;
    CdTimeFormat m_format = CdTimeFormat::Msf;
    long long m_clock = 0;
    long long m_playedSince = 0;
    int m_position = 0;
    bool m_playing = false;
};

} // namespace media
