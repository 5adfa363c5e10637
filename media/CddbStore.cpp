// The CDDB store in memory.
#include "media/CddbStore.h"

#include <algorithm>
#include <set>

namespace media {

void MemoryCddbStore::appendPrepared(const PreparedTrack &row)
{
    prepared.push_back(row);
}

std::vector<PreparedTrack> MemoryCddbStore::preparedTracks(const QString &cddbId)
{
    std::vector<PreparedTrack> rows;
    std::copy_if(prepared.begin(), prepared.end(), std::back_inserter(rows),
                 [&](const PreparedTrack &row) { return row.cddbId == cddbId; });
    return rows;
}

void MemoryCddbStore::writePreparedTitles(const PreparedTrack &titles)
{
    for (PreparedTrack &row : prepared) {
        if (row.cddbId == titles.cddbId && row.track == titles.track) {
            row.liederl = titles.liederl;
            row.interpret = titles.interpret;
            row.sparte = titles.sparte;
            row.describe = titles.describe;
        }
    }
}

bool MemoryCddbStore::collectionHasDisc(const QString &cddbId)
{
    return std::any_of(collection.begin(), collection.end(),
                       [&](const CollectionTrack &track) { return track.cddbId == cddbId; });
}

int MemoryCddbStore::nextCarrierNumber()
{
    std::set<int> used;
    for (const CollectionTrack &track : collection)
        used.insert(track.cassNo);
    const int next = used.empty() ? 1 : *used.rbegin() + 1;
    if (next <= 999)
        return next;
    int free = 1;
    while (used.count(free))
        ++free;
    return free;
}

void MemoryCddbStore::addToCollection(const CollectionTrack &track)
{
    collection.push_back(track);
}

} // namespace media
