// The CDDB identity of a disc: its disc ID, the query line that asks a CDDB
// server about it, and the running times of its tracks.
#pragma once

#include <QString>

namespace media {

struct tCDParams;

// The published CDDB disc ID as 8 lower-case hexadecimal digits: the digit
// sums of the track starts in whole seconds (mod 255) in the top byte, the
// playing time in seconds below it, the track count in the lowest byte.
QString DiscID(const tCDParams &params);

// "discid+tracks+start1+...+startN+seconds": the arguments of the CDDB query
// command with "+" for blanks; the starts in frames, the last field the
// lead-out in whole seconds. Example: 0d01f202+2+150+12345+500.
QString cddbQueryLine(const tCDParams &params);

// The disc ID of a query line (the text before its first "+", at most 8
// characters).
QString discIdOfQueryLine(const QString &line);

// The running time of track `track` (from 1) as "hh:mm:ss", the form the
// music table keeps in LAUFZEIT; empty when the table of contents does not
// give the track's end.
QString trackRunningTime(const tCDParams &params, int track);

} // namespace media
