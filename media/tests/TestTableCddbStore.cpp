// The CDDB client's tables on real files: prepared rows, titles, carrier
// numbers and the transfer into the collection with keys and notes.
#include "media/TableCddbStore.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "xbase/api/XbApi.h"

#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

class TestTableCddbStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void preparedRowsAndTitles();
    void collectionRecordsGetKeysNotesAndNumbers();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTableCddbStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    for (int position : {int(schema::kCassette), int(schema::kNotizen), int(schema::kCddbPrep)}) {
        const SchemaTable &t = schema::table(position);
        QVERIFY(schema::createTable(position, schema::tablePath(m_dir->path(), t.stem, QStringLiteral("DBF"))));
        TXbaseDataSet ds;
        ds.DatabaseName = m_dir->path();
        ds.SetTableName(schema::tableFile(t.stem, QStringLiteral("DBF")));
        ds.Open();
        for (const SchemaTag &tag : t.tags)
            QVERIFY(ds.IndexTag(QString(), tag.name, tag.key, 0, 0, QString()));
    }
}

void TestTableCddbStore::cleanup()
{
    xb_CloseAll();
}

void TestTableCddbStore::preparedRowsAndTitles()
{
    media::TableCddbStore store(m_dir->path());
    for (const char *id : {"0d01f202", "aa000001"}) {
        for (int track = 1; track <= 3; ++track)
            store.appendPrepared({track, QString::fromLatin1(id), QStringLiteral("00:03:2%1").arg(track)});
    }
    auto rows = store.preparedTracks(QStringLiteral("0d01f202"));
    QCOMPARE(rows.size(), std::size_t(3));
    QCOMPARE(rows[1].track, 2);
    QCOMPARE(rows[1].laufzeit, QStringLiteral("00:03:22"));
    QVERIFY(store.preparedTracks(QStringLiteral("ffffffff")).empty());

    media::PreparedTrack titled = rows[1];
    titled.liederl = QStringLiteral("Zweites Stück");
    titled.interpret = QStringLiteral("Künstler");
    titled.sparte = QStringLiteral("Rock");
    titled.describe = QStringLiteral("Album");
    store.writePreparedTitles(titled);
    rows = store.preparedTracks(QStringLiteral("0d01f202"));
    QCOMPARE(rows[1].liederl, QStringLiteral("Zweites Stück"));
    QCOMPARE(rows[0].liederl, QString());
    QCOMPARE(store.preparedTracks(QStringLiteral("aa000001"))[1].liederl, QString());
}

void TestTableCddbStore::collectionRecordsGetKeysNotesAndNumbers()
{
    media::TableCddbStore store(m_dir->path());
    QCOMPARE(store.nextCarrierNumber(), 1);
    QVERIFY(!store.collectionHasDisc(QStringLiteral("0d01f202")));
    for (int track = 1; track <= 12; ++track) {
        media::CollectionTrack t;
        t.liederl = QStringLiteral("Titel %1").arg(track);
        t.interpret = QStringLiteral("Band");
        t.cassNo = 41;
        t.art = QStringLiteral("CD");
        t.track = track;
        t.cddbId = QStringLiteral("0d01f202");
        store.addToCollection(t);
    }
    QVERIFY(store.collectionHasDisc(QStringLiteral("0d01f202")));
    QCOMPARE(store.nextCarrierNumber(), 42);

    TXbaseDataSet music;
    music.DatabaseName = m_dir->path();
    music.SetTableName(QStringLiteral("CASSETTE.DBF"));
    music.Open();
    QCOMPARE(music.RecordCount(), 12);
    QSet<QString> keys;
    for (music.First(); !music.Eof(); music.Next()) {
        const QString inr = music.FieldByName(QStringLiteral("INR"))->AsString();
        QVERIFY(inr.startsWith(QStringLiteral("CA")));
        keys.insert(inr);
    }
    QCOMPARE(keys.size(), 12); // twelve tracks in a row, twelve keys
    TXbaseDataSet notes;
    notes.DatabaseName = m_dir->path();
    notes.SetTableName(QStringLiteral("NOTIZEN.DBF"));
    notes.Open();
    QCOMPARE(notes.RecordCount(), 12);
}

TESSARON_TEST(TestTableCddbStore)
#include "TestTableCddbStore.moc"
