// Where the CDDB client keeps its tables: the prepared track rows of the
// discs read for a CDDB request (CDDBPREP.DBF) and the music collection
// (CASSETTE.DBF) into which a confirmed read answer is taken over.
//
// The music window supplies an implementation over its table datasets;
// MemoryCddbStore keeps the rows in memory. Failures of the tables are the
// implementation's exceptions and pass through the CDDB functions unchanged.
#pragma once

#include <QString>
#include <vector>

namespace media {

// A row of CDDBPREP (widths: LIEDERL 35, INTERPRET 35, SPARTE 20, LAUFZEIT 8,
// DESCRIBE 20, CDDB_ID 8).
struct PreparedTrack {
    int track = 0;        // TRACK, from 1
    QString cddbId;       // CDDB_ID
    QString laufzeit;     // LAUFZEIT, "hh:mm:ss"
    QString liederl;      // title
    QString interpret;    // artist
    QString sparte;       // genre
    QString describe;     // album

    bool operator==(const PreparedTrack &) const = default;
};

// The fields of a new CASSETTE record; the store adds the rest (INR with
// prefix "CA", its NOTIZEN record, L_UPDATE, empty lending fields).
struct CollectionTrack {
    QString liederl;
    QString interpret;
    int cassNo = 0;       // CASS_NO
    QString sparte;
    QString art;          // "CD"
    QString laufzeit;
    QString describe;
    QString stereo;       // "J"
    QString wertung;      // "2"
    int track = 0;
    QString cddbId;

    bool operator==(const CollectionTrack &) const = default;
};

class CddbStore {
public:
    virtual ~CddbStore() = default;

    // Appends and posts one prepared row (only TRACK, CDDB_ID and LAUFZEIT
    // are set when a disc is read).
    virtual void appendPrepared(const PreparedTrack &row) = 0;
    // Every prepared row with this CDDB_ID, in record order.
    virtual std::vector<PreparedTrack> preparedTracks(const QString &cddbId) = 0;
    // Writes LIEDERL, INTERPRET, SPARTE and DESCRIBE of `row` into every
    // prepared row with its CDDB_ID and TRACK.
    virtual void writePreparedTitles(const PreparedTrack &row) = 0;

    // True when the collection holds a record with this CDDB_ID.
    virtual bool collectionHasDisc(const QString &cddbId) = 0;
    // The carrier number for a new CD: the highest CASS_NO in use + 1, or
    // the lowest unused number from 1 when that would pass 999 (the field
    // has three digits).
    virtual int nextCarrierNumber() = 0;
    // Appends and posts one collection record with its key and notes record.
    virtual void addToCollection(const CollectionTrack &track) = 0;
};

// The store in memory.
class MemoryCddbStore : public CddbStore {
public:
    void appendPrepared(const PreparedTrack &row) override;
    std::vector<PreparedTrack> preparedTracks(const QString &cddbId) override;
    void writePreparedTitles(const PreparedTrack &row) override;
    bool collectionHasDisc(const QString &cddbId) override;
    int nextCarrierNumber() override;
    void addToCollection(const CollectionTrack &track) override;

    std::vector<PreparedTrack> prepared;
    // Collection records, with carrier numbers that other records took.
    std::vector<CollectionTrack> collection;
};

} // namespace media
