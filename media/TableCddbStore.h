// The CDDB client's tables in the data directory: the prepared tracks in
// CDDBPREP.DBF and the music collection in CASSETTE.DBF with its notes.
//
// The store keeps datasets of its own, so the music window's record, order
// and filter do not move while a CDDB run works. Table errors (EXbaseError)
// pass through.
#pragma once

#include "media/CddbStore.h"

#include <QString>
#include <memory>

class TXbaseDataSet;

namespace media {

class TableCddbStore : public CddbStore {
public:
    // Opens the three tables of `dataDirectory`; throws EXbaseError when one
    // cannot be opened.
    explicit TableCddbStore(const QString &dataDirectory);
    ~TableCddbStore() override;

    void appendPrepared(const PreparedTrack &row) override;
    std::vector<PreparedTrack> preparedTracks(const QString &cddbId) override;
    void writePreparedTitles(const PreparedTrack &row) override;
    bool collectionHasDisc(const QString &cddbId) override;
    int nextCarrierNumber() override;
    void addToCollection(const CollectionTrack &track) override;

private:
    std::unique_ptr<TXbaseDataSet> m_prepared;
    std::unique_ptr<TXbaseDataSet> m_collection;
    std::unique_ptr<TXbaseDataSet> m_notes;
};

} // namespace media
