#include "media/TableCddbStore.h"

#include "storage/RecordKey.h"
#include "storage/TXbaseDataSet.h"
#include "storage/XbaseQuote.h"

#include <QDate>

#include <set>

namespace media {

namespace {

std::unique_ptr<TXbaseDataSet> openTable(const QString &dir, const char *file, const char *tag)
{
    auto ds = std::make_unique<TXbaseDataSet>();
    ds->DatabaseName = dir;
    ds->SetTableName(QString::fromLatin1(file));
    ds->SetIndexName(QString::fromLatin1(tag));
    ds->Open();
    return ds;
}

QString text(TXbaseDataSet &ds, const char *field)
{
    return ds.FieldByName(QString::fromLatin1(field))->AsString().trimmed();
}

void set(TXbaseDataSet &ds, const char *field, const QString &value)
{
    tk::Field *f = ds.FieldByName(QString::fromLatin1(field));
    f->SetAsString(value.left(f->Size()));
}

QString paddedId(const QString &cddbId)
{
    return cddbId.left(8).leftJustified(8, QLatin1Char(' '));
}

constexpr int kMaxCarrier = 999;

} // namespace

TableCddbStore::TableCddbStore(const QString &dataDirectory)
    : m_prepared(openTable(dataDirectory, "CDDBPREP.DBF", "1")),
      m_collection(openTable(dataDirectory, "CASSETTE.DBF", "4")),
      m_notes(openTable(dataDirectory, "NOTIZEN.DBF", "1"))
{
}

TableCddbStore::~TableCddbStore() = default;

void TableCddbStore::appendPrepared(const PreparedTrack &row)
{
    TXbaseDataSet &t = *m_prepared;
    t.AppendBlank();
    t.FieldByName(QStringLiteral("TRACK"))->SetAsInteger(row.track);
    set(t, "CDDB_ID", row.cddbId);
    set(t, "LAUFZEIT", row.laufzeit);
    set(t, "LIEDERL", row.liederl);
    set(t, "INTERPRET", row.interpret);
    set(t, "SPARTE", row.sparte);
    set(t, "DESCRIBE", row.describe);
    t.Post();
}

std::vector<PreparedTrack> TableCddbStore::preparedTracks(const QString &cddbId)
{
    std::vector<PreparedTrack> rows;
    TXbaseDataSet &t = *m_prepared;
    t.Refresh();
    if (!t.Seek(paddedId(cddbId)))
        return rows;
    for (; !t.Eof() && text(t, "CDDB_ID") == cddbId.trimmed(); t.Next()) {
        PreparedTrack row;
        row.track = t.FieldByName(QStringLiteral("TRACK"))->AsInteger();
        row.cddbId = text(t, "CDDB_ID");
        row.laufzeit = text(t, "LAUFZEIT");
        row.liederl = text(t, "LIEDERL");
        row.interpret = text(t, "INTERPRET");
        row.sparte = text(t, "SPARTE");
        row.describe = text(t, "DESCRIBE");
        rows.push_back(row);
    }
    return rows;
}

void TableCddbStore::writePreparedTitles(const PreparedTrack &row)
{
    TXbaseDataSet &t = *m_prepared;
    t.Refresh();
    if (!t.Seek(paddedId(row.cddbId)))
        return;
    while (!t.Eof() && text(t, "CDDB_ID") == row.cddbId.trimmed()) {
        if (t.FieldByName(QStringLiteral("TRACK"))->AsInteger() == row.track) {
            t.Edit();
            set(t, "LIEDERL", row.liederl);
            set(t, "INTERPRET", row.interpret);
            set(t, "SPARTE", row.sparte);
            set(t, "DESCRIBE", row.describe);
            t.Post();
        }
        t.Next();
    }
}

bool TableCddbStore::collectionHasDisc(const QString &cddbId)
{
    // The collection has no tag on CDDB_ID; one query answers it.
    TXbaseDataSet &t = *m_collection;
    const bool found = t.Query(QStringLiteral("CDDB_ID=") + xbQuote(paddedId(cddbId))) > 0;
    t.Query(QString());
    return found;
}

int TableCddbStore::nextCarrierNumber()
{
    TXbaseDataSet &t = *m_collection;
    t.Refresh();
    t.Last();
    const int highest = t.IsEmpty() ? 0 : t.FieldByName(QStringLiteral("CASS_NO"))->AsInteger();
    if (highest < kMaxCarrier)
        return highest + 1;
    std::set<int> used;
    for (t.First(); !t.Eof(); t.Next())
        used.insert(t.FieldByName(QStringLiteral("CASS_NO"))->AsInteger());
    for (int n = 1; n <= kMaxCarrier; ++n) {
        if (!used.count(n))
            return n;
    }
    return kMaxCarrier;
}

void TableCddbStore::addToCollection(const CollectionTrack &track)
{
    TXbaseDataSet &t = *m_collection;
    const QString inr = recordkey::createKey(*m_notes, QString::fromLatin1(recordkey::kCassette));
    t.AppendBlank();
    set(t, "LIEDERL", track.liederl);
    set(t, "INTERPRET", track.interpret);
    t.FieldByName(QStringLiteral("CASS_NO"))->SetAsInteger(track.cassNo);
    set(t, "SPARTE", track.sparte);
    set(t, "ART", track.art);
    set(t, "LAUFZEIT", track.laufzeit);
    set(t, "DESCRIBE", track.describe);
    set(t, "STEREO", track.stereo);
    set(t, "WERTUNG", track.wertung);
    t.FieldByName(QStringLiteral("TRACK"))->SetAsInteger(track.track);
    set(t, "CDDB_ID", track.cddbId);
    set(t, "INR", inr);
    t.FieldByName(QStringLiteral("L_UPDATE"))->SetAsDate(QDate::currentDate());
    t.Post();
}

} // namespace media
