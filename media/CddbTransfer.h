// Taking a confirmed CDDB read answer over into the tables: the titles go
// into the disc's prepared rows, and each track becomes a record of the
// music collection on a new CD carrier.
#pragma once

#include <QString>

namespace media {

class CddbEntry;
class CddbStore;

struct CddbTransferResult {
    int tracksAdded = 0;
    int carrierNumber = 0;        // CASS_NO of the new carrier; 0 when none was added
    bool alreadyInCollection = false;
};

// Writes the titles of `entry` into the prepared rows with `discId` and,
// unless the collection already holds that disc, adds one collection record
// per track of the answer's track list (at most 500):
//   LIEDERL   the track title
//   INTERPRET the artist of DTITLE (before its first " / "; the whole
//             DTITLE when it has none); on a disc of "Various" artists a
//             track title "artist / title" gives both
//   DESCRIBE  the album of DTITLE (after its first " / ", else the whole)
//   SPARTE    the category, first letter upper-cased
//   ART "CD", STEREO "J", WERTUNG "2", TRACK, CDDB_ID = `discId`,
//   LAUFZEIT  from the disc's first prepared row of that track,
//   CASS_NO   the store's next carrier number, one for the whole disc.
// Texts are cut to their field widths. `discId` is our own disc's ID (the
// waiting list's), which may differ from the ID of an inexact match.
CddbTransferResult transferToCollection(CddbStore &store, const QString &discId, const QString &category,
                                        const CddbEntry &entry);

} // namespace media
