// Confirmed CDDB titles into the prepared rows and the music collection.
#include "media/CddbTransfer.h"

#include "media/CddbAnswer.h"
#include "media/CddbStore.h"

namespace media {

namespace {

constexpr int kTitleWidth = 35, kArtistWidth = 35, kGenreWidth = 20, kAlbumWidth = 20;
const QString kSeparator = QStringLiteral(" / ");

// Artist and title of "artist / title"; both the whole text without " / ".
std::pair<QString, QString> splitTitle(const QString &text)
{
    const qsizetype at = text.indexOf(kSeparator);
    if (at < 0)
        return {text, text};
    return {text.left(at).trimmed(), text.mid(at + kSeparator.size()).trimmed()};
}

bool isVarious(const QString &artist)
{
    return artist.compare(QLatin1String("Various"), Qt::CaseInsensitive) == 0
           || artist.compare(QLatin1String("Various Artists"), Qt::CaseInsensitive) == 0;
}

QString genreOf(const QString &category)
{
    QString genre = category.trimmed();
    if (!genre.isEmpty())
        genre[0] = genre[0].toUpper();
    return genre;
}

} // namespace

CddbTransferResult transferToCollection(CddbStore &store, const QString &discId, const QString &category,
                                        const CddbEntry &entry)
{
    CddbTransferResult result;
    const auto [discArtist, album] = splitTitle(entry.value(QStringLiteral("DTITLE")));
    const QString genre = genreOf(category).left(kGenreWidth);
    const QStringList titles = entry.trackTitles();

    struct Titles {
        QString title, artist;
    };
    std::vector<Titles> tracks;
    for (const QString &text : titles) {
        Titles t{text, discArtist};
        if (isVarious(discArtist) && text.contains(kSeparator)) {
            const auto [artist, title] = splitTitle(text);
            t = {title, artist};
        }
        t.title = t.title.left(kTitleWidth);
        t.artist = t.artist.left(kArtistWidth);
        tracks.push_back(t);
    }

    const std::vector<PreparedTrack> prepared = store.preparedTracks(discId);
    for (std::size_t n = 0; n < tracks.size(); ++n) {
        PreparedTrack row;
        row.track = int(n + 1);
        row.cddbId = discId;
        row.liederl = tracks[n].title;
        row.interpret = tracks[n].artist;
        row.sparte = genre;
        row.describe = album.left(kAlbumWidth);
        store.writePreparedTitles(row);
    }

    if (tracks.empty())
        return result;
    if (store.collectionHasDisc(discId)) {
        result.alreadyInCollection = true;
        return result;
    }
    result.carrierNumber = store.nextCarrierNumber();
    for (std::size_t n = 0; n < tracks.size(); ++n) {
        CollectionTrack record;
        record.liederl = tracks[n].title;
        record.interpret = tracks[n].artist;
        record.cassNo = result.carrierNumber;
        record.sparte = genre;
        record.art = QStringLiteral("CD");
        record.describe = album.left(kAlbumWidth);
        record.stereo = QStringLiteral("J");
        record.wertung = QStringLiteral("2");
        record.track = int(n + 1);
        record.cddbId = discId;
        for (const PreparedTrack &row : prepared) {
            if (row.track == record.track) {
                record.laufzeit = row.laufzeit;
                break;
            }
        }
        store.addToCollection(record);
        ++result.tracksAdded;
    }
    return result;
}

} // namespace media
