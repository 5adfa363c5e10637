// The disc information record: the table of contents and the play position
// of the disc in a drive, as one read by ReadDiscInfo found it.
#pragma once

#include "media/CdAudioDevice.h"

#include <array>
#include <cstdint>

namespace media {

inline constexpr int kMaxTracks = 255;

struct tCDParams {
    // Number of tracks, 0 to 255.
    int32_t TrackCount = 0;
    // Start of track t in frames at position t (1 to TrackCount); position
    // TrackCount + 1 holds the lead-out, the end of the disc. Position 0 is
    // unused. An entry the device did not report stays 0.
    std::array<int32_t, kMaxTracks + 2> TrackStart{};
    // The same positions as minute-second-frame triples.
    std::array<Msf, kMaxTracks + 2> TrackMSF{};
    // The play position in frames, or -1 when the device did not report it.
    int32_t Position = 0;
    // Number of tracks that start strictly before Position; 0 while the head
    // stands at or before the start of track 1.
    int32_t CurrentTrack = 0;

    int32_t leadOut() const { return TrackStart[TrackCount + 1]; }
};

} // namespace media
