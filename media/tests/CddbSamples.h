// Disc and answer samples shared by the CDDB tests; names and titles are
// invented.
#pragma once

#include "media/ScriptedCdDevice.h"

#include <QByteArray>
#include <vector>

namespace samples {

// Two tracks at 150 and 12345 frames, lead-out 37500: disc ID 0d01f202.
inline void insertTwoTrackDisc(media::ScriptedCdDevice &device)
{
    device.insertDisc({150, 12345}, 37500);
}

// Twelve tracks, three minutes each from 150, lead-out after the last.
inline void insertTwelveTrackDisc(media::ScriptedCdDevice &device)
{
    std::vector<int> starts;
    for (int t = 0; t < 12; ++t)
        starts.push_back(150 + t * 13500);
    device.insertDisc(starts, 150 + 12 * 13500);
}

inline const QByteArray kQueryExact = "200 jazz 0d01f202 Mira Quartet / Night Ferry\r\n";

inline const QByteArray kQueryInexact = "211 Found inexact matches, list follows (until terminating `.')\r\n"
                                        "folk 0d01f202 Mira Quartet / Night Ferry\r\n"
                                        "jazz 0d01f203 Mira Quartet / Night Ferry (Live)\r\n"
                                        "misc 0d01f202 Various / Harbour Songs\r\n"
                                        ".\r\n";

inline const QByteArray kQueryNoMatch = "202 No match for disc ID 0d01f202.\r\n";

// A level-3 read answer of twelve tracks: the title of track 7 and the disc
// notes come in two pieces cut mid-word, track 3 has notes with escapes.
inline const QByteArray kReadTwelve = "210 jazz 0d01f202 CD database entry follows (until terminating `.')\r\n"
                                      "# xmcd\r\n"
                                      "#\r\n"
                                      "# Track frame offsets:\r\n"
                                      "#\t150\r\n"
                                      "#\t12345\r\n"
                                      "#\r\n"
                                      "# Disc length: 500 seconds\r\n"
                                      "#\r\n"
                                      "# Revision: 0\r\n"
                                      "# Processed by: cddbd v1.5.2PL0 Copyright (c) Steve Scherf et al.\r\n"
                                      "# Submitted via: TestRipper 1.0\r\n"
                                      "#\r\n"
                                      "DISCID=0d01f202\r\n"
                                      "DTITLE=Mira Quartet / Night Ferry\r\n"
                                      "TTITLE0=Blue Pier\r\n"
                                      "TTITLE1=Fog Signal\r\n"
                                      "TTITLE2=Lantern\r\n"
                                      "TTITLE3=Tide Tables\r\n"
                                      "TTITLE4=Gulls\r\n"
                                      "TTITLE5=Anchor Light\r\n"
                                      "TTITLE6=Reel for a Fiddle Re\r\n"
                                      "TTITLE6=prise\r\n"
                                      "TTITLE7=Salt\r\n"
                                      "TTITLE8=Night Ferry\r\n"
                                      "TTITLE9=Landing\r\n"
                                      "TTITLE10=Harbour Lights\r\n"
                                      "TTITLE11=Last Crossing\r\n"
                                      "EXTD=Live at the Ha\r\n"
                                      "EXTD=rbour Hall.\r\n"
                                      "EXTT0=\r\n"
                                      "EXTT1=\r\n"
                                      "EXTT2=\r\n"
                                      "EXTT3=take 2\\tremastered\r\n"
                                      "EXTT4=\r\n"
                                      "EXTT5=\r\n"
                                      "EXTT6=\r\n"
                                      "EXTT7=\r\n"
                                      "EXTT8=\r\n"
                                      "EXTT9=\r\n"
                                      "EXTT10=with \\\\ strings\r\n"
                                      "EXTT11=\r\n"
                                      "PLAYORDER=\r\n"
                                      ".\r\n";

inline const QByteArray kReadTwelveText = "The CD Mira Quartet / Night Ferry\n"
                                          "contains the following tracks:\n\n"
                                          "Track 1: Blue Pier\n"
                                          "Track 2: Fog Signal\n"
                                          "Track 3: Lantern\n"
                                          "Track 4: Tide Tables(take 2\tremastered)\n"
                                          "Track 5: Gulls\n"
                                          "Track 6: Anchor Light\n"
                                          "Track 7: Reel for a Fiddle Reprise\n"
                                          "Track 8: Salt\n"
                                          "Track 9: Night Ferry\n"
                                          "Track 10: Landing\n"
                                          "Track 11: Harbour Lights(with \\ strings)\n"
                                          "Track 12: Last Crossing\n";

} // namespace samples
