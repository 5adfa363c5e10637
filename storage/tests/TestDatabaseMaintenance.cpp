// Creating, re-indexing and converting the tables of a data directory.
#include "storage/DatabaseMaintenance.h"
#include "storage/DatabaseSchema.h"
#include "storage/NoteLookup.h"
#include "storage/TXbaseDataSet.h"
#include "storage/tests/MaintenanceRecorder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

struct FieldSpec {
    const char *name;
    const char *type;
    int width;
};

void createTable(const QString &path, std::initializer_list<FieldSpec> fields)
{
    TXbaseDataSet ds;
    QVERIFY(ds.CreateNew(path, 2, static_cast<int>(fields.size())));
    for (const FieldSpec &f : fields)
        ds.CreateField(QString::fromLatin1(f.name), QString::fromLatin1(f.type), f.width, 0);
    QVERIFY(ds.CreateExec());
}

std::unique_ptr<TXbaseDataSet> openTable(const QString &path, const QString &password = {})
{
    auto ds = std::make_unique<TXbaseDataSet>();
    ds->SetTableName(path);
    ds->SetPassword(password);
    ds->Open();
    return ds;
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

QString file(const QString &dir, const char *stem, const char *ext)
{
    return schema::tablePath(dir, QString::fromLatin1(stem), QString::fromLatin1(ext));
}

// An older address table: no WICHTIG, an extra field, GEB_DAT as text.
void createOldAddresses(const QString &dir, const char *birthday)
{
    const QString path = file(dir, "ADRESS", "DBF");
    createTable(path, {{"FAMNAME", "C", 30}, {"VORNAME", "C", 30}, {"GEB_DAT", "C", 8}, {"INR", "C", 15},
                       {"ALTFELD", "C", 10}});
    auto ds = openTable(path);
    for (int i = 0; i < 3; ++i) {
        ds->Append();
        ds->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Müller %1").arg(i));
        ds->FieldByName(QStringLiteral("VORNAME"))->SetAsString(QStringLiteral("Anna"));
        ds->FieldByName(QStringLiteral("GEB_DAT"))->SetAsString(QString::fromLatin1(birthday));
        ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("AD000000000000%1").arg(i));
        ds->Post();
    }
    QVERIFY(ds->IndexTag(file(dir, "ADRESS", "CDX"), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME)"), 0, 0,
                         QString()) != 0);
}

// An older notes table with an extra field and memos.
void createOldNotes(const QString &dir, int count)
{
    const QString path = file(dir, "NOTIZEN", "DBF");
    createTable(path, {{"INR", "C", 15}, {"KURZ", "C", 5}, {"NOTIZ", "M", 10}});
    auto ds = openTable(path);
    for (int i = 0; i < count; ++i) {
        ds->Append();
        ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("AD000000000000%1").arg(i));
        ds->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Notiz %1\r\n").arg(i).repeated(i * 40 + 1));
        ds->Post();
    }
    QVERIFY(ds->IndexTag(file(dir, "NOTIZEN", "CDX"), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString()) != 0);
}

QString xbtoolCheck(const QString &path, const QString &password = {})
{
    QProcess tool;
    QStringList args{QStringLiteral("check"), path};
    if (!password.isEmpty())
        args << QStringLiteral("--password") << password;
    tool.start(QStringLiteral(TESSARON_BIN_DIR "/xbtool"), args);
    if (!tool.waitForFinished(30000))
        return QStringLiteral("timeout");
    return tool.exitCode() == 0 ? QString() : QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
}

} // namespace

class TestDatabaseMaintenance : public QObject {
    Q_OBJECT

private slots:
    void emptyDirectoryGetsEveryTableAndIndex();
    void onlyTheMissingIndexIsRebuilt();
    void fullRebuildReplacesEveryIndex();
    void tableThatCannotBeOpenedAsksAgainThenEndsTheRebuild();
    void fullRebuildKeepsTheIndexOfAHeldTableAndReleasesTheNoteLookup();
    void creationFailureStopsAndReports();
    void clearIndexFlagResetsOnlyTheValueOne();
    void conversionKeepsRecordsAndMemos();
    void valuesThatCannotBeConvertedBecomeBlank();
    void crashBetweenTheRenamesKeepsTheOldMemos();
    void tableInUseIsNotConverted();
    void encryptedTableIsConvertedReadable();
    void anIndexThatDisagreesIsOfferedForRebuildAtTheFirstOpen();

private:
    void buildAll(const QString &dir, MaintenanceRecorder &recorder);
};

void TestDatabaseMaintenance::buildAll(const QString &dir, MaintenanceRecorder &recorder)
{
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(maintenance.CreateMissingTables(dir));
    maintenance.RebuildIndexes(dir, false);
}

void TestDatabaseMaintenance::emptyDirectoryGetsEveryTableAndIndex()
{
    QTemporaryDir tmp;
    const QString dir = tmp.filePath(QStringLiteral("DATA/sub"));
    QVERIFY(DatabaseMaintenance::anyTableMissing(dir));
    MaintenanceRecorder recorder;
    buildAll(dir, recorder);

    QCOMPARE(recorder.activities.front(), MaintenanceActivity::Creating);
    QCOMPARE(recorder.activities.back(), MaintenanceActivity::Indexing);
    QStringList created;
    for (const SchemaTable &t : schema::tables()) {
        created << t.description;
        QVERIFY2(QFile::exists(file(dir, t.stem.toLatin1().constData(), "DBF")), qPrintable(t.stem));
        QVERIFY2(QFile::exists(file(dir, t.stem.toLatin1().constData(), "CDX")), qPrintable(t.stem));
    }
    QCOMPARE(recorder.tables.mid(0, 16), created);
    QCOMPARE(recorder.tables.size(), 16 + 38);
    QCOMPARE(recorder.busyDepth, 0);
    QVERIFY(recorder.messages.empty());
    QVERIFY(!recorder.percents.empty());
    QVERIFY(!DatabaseMaintenance::anyTableMissing(dir));
    QVERIFY(!DatabaseMaintenance::anyIndexMissing(dir));

    for (const SchemaTable &t : schema::tables()) {
        auto ds = openTable(file(dir, t.stem.toLatin1().constData(), "DBF"));
        QCOMPARE(ds->IsEncrypted(0), t.encrypted);
        for (const SchemaTag &tag : t.tags)
            ds->SetIndexName(tag.name); // throws when the tag is missing
    }
}

void TestDatabaseMaintenance::onlyTheMissingIndexIsRebuilt()
{
    QTemporaryDir tmp;
    MaintenanceRecorder first;
    buildAll(tmp.path(), first);
    const QByteArray adressIndex = digest(file(tmp.path(), "ADRESS", "CDX"));
    QVERIFY(QFile::remove(file(tmp.path(), "VIDEO", "CDX")));
    QVERIFY(DatabaseMaintenance::anyIndexMissing(tmp.path()));

    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(maintenance.CreateMissingTables(tmp.path()));
    QVERIFY(recorder.files.isEmpty());
    maintenance.RebuildIndexes(tmp.path(), false);
    QCOMPARE(recorder.files, QStringList{file(tmp.path(), "VIDEO", "DBF")});
    QCOMPARE(recorder.tables.first(), QStringLiteral("Videofilme [1]"));
    QCOMPARE(recorder.tables.size(), 6);
    QVERIFY(QFile::exists(file(tmp.path(), "VIDEO", "CDX")));
    QCOMPARE(digest(file(tmp.path(), "ADRESS", "CDX")), adressIndex);
}

void TestDatabaseMaintenance::fullRebuildReplacesEveryIndex()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    MaintenanceRecorder first;
    buildAll(dir, first);
    {
        auto ds = openTable(file(dir, "ADRESS", "DBF"));
        for (const char *name : {"Zander", "Abel", "Meier"}) {
            ds->Append();
            ds->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QString::fromLatin1(name));
            ds->Post();
        }
    }
    // A stale index from elsewhere, in the other spelling.
    QFile::remove(file(dir, "PLZ", "CDX"));
    QFile stale(dir + QStringLiteral("/plz.cdx"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray(1024, 'x'));
    stale.close();

    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    maintenance.RebuildIndexes(dir, true);
    QCOMPARE(recorder.files.size(), 16);
    QVERIFY(!QFile::exists(dir + QStringLiteral("/plz.cdx")));
    QCOMPARE(recorder.tables.mid(0, 7),
             QStringList({"Adreßdaten [1]", "Adreßdaten [2]", "Adreßdaten [3]", "Adreßdaten [4]",
                          "Adreßdaten [5]", "Adreßdaten [6]", "Adreßdaten [7]"}));
    for (const SchemaTable &t : schema::tables()) {
        const QString dbf = file(dir, t.stem.toLatin1().constData(), "DBF");
        QVERIFY(QFile::exists(file(dir, t.stem.toLatin1().constData(), "CDX")));
        const QString problems =
            xbtoolCheck(dbf, t.encrypted ? QString::fromLatin1(schema::kReferencePassword) : QString());
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }
    auto ds = openTable(file(dir, "ADRESS", "DBF"));
    ds->SetIndexName(QStringLiteral("1"));
    QStringList names;
    for (ds->First(); !ds->Eof(); ds->Next())
        names << ds->FieldByName(QStringLiteral("FAMNAME"))->AsString();
    QCOMPARE(names, QStringList({"Abel", "Meier", "Zander"}));
}

void TestDatabaseMaintenance::tableThatCannotBeOpenedAsksAgainThenEndsTheRebuild()
{
    QTemporaryDir tmp;
    MaintenanceRecorder first;
    buildAll(tmp.path(), first);
    QVERIFY(QFile::remove(file(tmp.path(), "TERMIN", "CDX")));
    auto holder = openTable(file(tmp.path(), "TERMIN", "DBF")); // shared: the exclusive open fails

    MaintenanceRecorder recorder;
    recorder.answers = {true, false};
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, maintenance.RebuildIndexes(tmp.path(), false));
    QCOMPARE(recorder.messages.size(), std::size_t(2));
    QCOMPARE(recorder.messages[0].first, MaintenanceMessage::AccessRetry);
    QCOMPARE(recorder.messages[0].second, QStringList{tmp.path() + QStringLiteral("/TERMIN")});
    QCOMPARE(recorder.busyDepth, 0);

    // Once the table is free, the rebuild goes through.
    holder.reset();
    MaintenanceRecorder again;
    DatabaseMaintenance(&again, again).RebuildIndexes(tmp.path(), false);
    QVERIFY(QFile::exists(file(tmp.path(), "TERMIN", "CDX")));
}

void TestDatabaseMaintenance::fullRebuildKeepsTheIndexOfAHeldTableAndReleasesTheNoteLookup()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    MaintenanceRecorder first;
    buildAll(dir, first);
    // A filter of this process searched the notes: NOTE() holds NOTIZEN.
    installNoteLookup(dir);
    {
        auto ds = openTable(file(dir, "ADRESS", "DBF"));
        ds->Append();
        ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("AD1"));
        ds->Post();
        QCOMPARE(ds->Query(QStringLiteral("\"x\" $ NOTE(INR)")), 0);
    }
    const QByteArray before = digest(file(dir, "TERMIN", "CDX"));
    auto holder = openTable(file(dir, "TERMIN", "DBF")); // another window has it open

    MaintenanceRecorder recorder;
    recorder.answers = {false};
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY_THROWS_EXCEPTION(tk::DataSetError, maintenance.RebuildIndexes(dir, true));
    // TERMIN was never left without its index while it was held.
    QCOMPARE(digest(file(dir, "TERMIN", "CDX")), before);
    holder->SetIndexName(QStringLiteral("1"));
    holder.reset();
    {
        auto ds = openTable(file(dir, "ADRESS", "DBF"));
        QCOMPARE(ds->Query(QStringLiteral("\"x\" $ NOTE(INR)")), 0);
    }
    MaintenanceRecorder again;
    DatabaseMaintenance(&again, again).RebuildIndexes(dir, true);
    QVERIFY(again.messages.empty());
    QVERIFY(!DatabaseMaintenance::anyIndexMissing(dir));
    installNoteLookup(QString());
}

void TestDatabaseMaintenance::creationFailureStopsAndReports()
{
    QTemporaryDir tmp;
    // ADRESS exists; CASSETTE cannot be written because a directory has its name.
    QVERIFY(schema::createTable(schema::kAdress, file(tmp.path(), "ADRESS", "DBF")));
    QVERIFY(QDir().mkpath(file(tmp.path(), "CASSETTE", "DBF")));
    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(!maintenance.CreateMissingTables(tmp.path()));
    QCOMPARE(recorder.messages.size(), std::size_t(1));
    QCOMPARE(recorder.messages[0].first, MaintenanceMessage::CreateFailed);
    QCOMPARE(recorder.tables, QStringList{"MC/LP/CD-Daten"});
    QVERIFY(!QFile::exists(file(tmp.path(), "TERMIN", "DBF")));
}

void TestDatabaseMaintenance::clearIndexFlagResetsOnlyTheValueOne()
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("T.DBF"));
    auto flagAfter = [&](char before) {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        QByteArray header(32, '\0');
        header[28] = before;
        f.write(header);
        f.close();
        DatabaseMaintenance::ClearIndexFlag(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll().at(28);
    };
    QCOMPARE(flagAfter(1), char(0));
    QCOMPARE(flagAfter(0), char(0));
    QCOMPARE(flagAfter(3), char(3));
    QVERIFY(!DatabaseMaintenance::ClearIndexFlag(tmp.filePath(QStringLiteral("none.DBF"))));
}

void TestDatabaseMaintenance::conversionKeepsRecordsAndMemos()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    createOldAddresses(dir, "19700203");
    createOldNotes(dir, 4);
    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("ADRESS")));
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("NOTIZEN")));
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("TEMP"))); // not a table of ours: nothing
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("VIDEO"))); // no file: nothing
    QVERIFY(recorder.messages.empty());
    QCOMPARE(recorder.busyDepth, 0);

    QVERIFY(!QFile::exists(file(dir, "ADRESS", "CDX")));
    QVERIFY(!QFile::exists(file(dir, "NOTIZEN", "CDX")));
    QCOMPARE(QDir(dir).entryList(QDir::Files).filter(QStringLiteral("CNV_")), QStringList());
    {
        auto ds = openTable(file(dir, "ADRESS", "DBF"));
        QCOMPARE(ds->FieldCount(), 26);
        QCOMPARE(ds->RecordCount(), 3);
        QVERIFY(!ds->FindField(QStringLiteral("ALTFELD")));
        QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Müller 0"));
        QCOMPARE(ds->FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(1970, 2, 3));
        QCOMPARE(ds->FieldByName(QStringLiteral("INR"))->AsString(), QStringLiteral("AD0000000000000"));
    }
    auto notes = openTable(file(dir, "NOTIZEN", "DBF"));
    QCOMPARE(notes->FieldCount(), 2);
    QCOMPARE(notes->RecordCount(), 4);
    int i = 0;
    for (notes->First(); !notes->Eof(); notes->Next(), ++i)
        QCOMPARE(notes->FieldByName(QStringLiteral("NOTIZ"))->AsString(),
                 QStringLiteral("Notiz %1\r\n").arg(i).repeated(i * 40 + 1));
    QCOMPARE(xbtoolCheck(file(dir, "NOTIZEN", "DBF")), QString());
}

void TestDatabaseMaintenance::valuesThatCannotBeConvertedBecomeBlank()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    createOldAddresses(dir, "kein Tag"); // GEB_DAT text that is no date
    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("ADRESS")));
    QCOMPARE(recorder.messages.size(), std::size_t(1));
    QCOMPARE(recorder.messages[0].first, MaintenanceMessage::ValuesBlanked);
    QCOMPARE(recorder.messages[0].second, QStringList({"ADRESS", "3"}));
    auto ds = openTable(file(dir, "ADRESS", "DBF"));
    QCOMPARE(ds->RecordCount(), 3);
    for (ds->First(); !ds->Eof(); ds->Next()) {
        QVERIFY(ds->FieldByName(QStringLiteral("GEB_DAT"))->IsNull());
        QCOMPARE(ds->FieldByName(QStringLiteral("VORNAME"))->AsString(), QStringLiteral("Anna"));
    }
    QCOMPARE(QDir(dir).entryList(QDir::Files).filter(QStringLiteral("CNV_")), QStringList());
}

void TestDatabaseMaintenance::crashBetweenTheRenamesKeepsTheOldMemos()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    createOldNotes(dir, 3);
    // The state a crash leaves after the new memo file took the old one's
    // name and before the new table did: the old memos only as the backup.
    QVERIFY(schema::createTable(schema::kNotizen, file(dir, "CNV_NOTIZEN", "DBF")));
    QVERIFY(QFile::rename(file(dir, "NOTIZEN", "FPT"), file(dir, "CNV_NOTIZEN", "FPO")));
    QVERIFY(QFile::rename(file(dir, "CNV_NOTIZEN", "FPT"), file(dir, "NOTIZEN", "FPT")));

    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("NOTIZEN")));
    QVERIFY(recorder.messages.empty());
    auto notes = openTable(file(dir, "NOTIZEN", "DBF"));
    QCOMPARE(notes->RecordCount(), 3);
    int i = 0;
    for (notes->First(); !notes->Eof(); notes->Next(), ++i)
        QCOMPARE(notes->FieldByName(QStringLiteral("NOTIZ"))->AsString(),
                 QStringLiteral("Notiz %1\r\n").arg(i).repeated(i * 40 + 1));
    QCOMPARE(QDir(dir).entryList(QDir::Files).filter(QStringLiteral("CNV_")), QStringList());
}

void TestDatabaseMaintenance::tableInUseIsNotConverted()
{
    QTemporaryDir tmp;
    createOldAddresses(tmp.path(), "19700203");
    const QByteArray table = digest(file(tmp.path(), "ADRESS", "DBF"));
    auto holder = openTable(file(tmp.path(), "ADRESS", "DBF"));
    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(!maintenance.ConvertTable(tmp.path(), QStringLiteral("ADRESS")));
    QVERIFY(recorder.saw(MaintenanceMessage::TableInUse));
    holder.reset();
    QCOMPARE(digest(file(tmp.path(), "ADRESS", "DBF")), table);
    QVERIFY(QFile::exists(file(tmp.path(), "ADRESS", "CDX")));
}

void TestDatabaseMaintenance::encryptedTableIsConvertedReadable()
{
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    // An older SEX table in lower case, encrypted, with a narrower name.
    const QString old = dir + QStringLiteral("/sex.dbf");
    createTable(old, {{"NAME", "C", 20}, {"SEX", "C", 1}});
    {
        auto ds = openTable(old);
        for (const char *name : {"Anna", "Bernd"}) {
            ds->Append();
            ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QString::fromLatin1(name));
            ds->FieldByName(QStringLiteral("SEX"))->SetAsString(QString::fromLatin1(name).left(1));
            ds->Post();
        }
        schema::applyPassword(*ds, schema::kSex);
        QVERIFY(ds->IsEncrypted(0));
    }
    MaintenanceRecorder recorder;
    DatabaseMaintenance maintenance(&recorder, recorder);
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("SEX")));
    QVERIFY(!QFile::exists(old));
    // Plain now; the index rebuild (or any window) encrypts it on opening.
    auto ds = openTable(file(dir, "SEX", "DBF"));
    QVERIFY(!ds->IsEncrypted(0));
    QCOMPARE(ds->FieldWidth(QStringLiteral("NAME")), 37);
    schema::applyPassword(*ds, schema::kSex);
    QVERIFY(ds->IsEncrypted(0));
    QStringList names;
    for (ds->First(); !ds->Eof(); ds->Next())
        names << ds->FieldByName(QStringLiteral("NAME"))->AsString() + ds->FieldByName(QStringLiteral("SEX"))->AsString();
    QCOMPARE(names, QStringList({"AnnaA", "BerndB"}));

    // A reference table that was never encrypted converts as it is.
    const QString staaten = file(dir, "STAATEN", "DBF");
    createTable(staaten, {{"STAAT", "C", 3}, {"NAME", "C", 20}});
    {
        auto plain = openTable(staaten);
        plain->Append();
        plain->FieldByName(QStringLiteral("STAAT"))->SetAsString(QStringLiteral("D"));
        plain->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Deutschland"));
        plain->Post();
    }
    QVERIFY(maintenance.ConvertTable(dir, QStringLiteral("STAATEN")));
    auto converted = openTable(staaten);
    QCOMPARE(converted->FieldWidth(QStringLiteral("NAME")), 25);
    QCOMPARE(converted->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Deutschland"));
}

void TestDatabaseMaintenance::anIndexThatDisagreesIsOfferedForRebuildAtTheFirstOpen()
{
    // Two ways a table and its index part: a table restored from an older
    // copy beside a newer index, and an index restored beside a newer table.
    for (const bool olderTable : {true, false}) {
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        MaintenanceRecorder recorder;
        DatabaseMaintenance maintenance(&recorder, recorder);
        QVERIFY(maintenance.CreateMissingTables(dir));
        maintenance.RebuildIndexes(dir, true);
        const QString dbf = file(dir, "VIDEO", "DBF"), cdx = file(dir, "VIDEO", "CDX");
        auto add = [&](int from, int to) {
            auto ds = openTable(dbf);
            for (int i = from; i < to; ++i) {
                ds->Append();
                ds->FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Film %1").arg(i));
                ds->Post();
            }
        };
        add(0, 3);
        const QString keep = olderTable ? dbf : cdx;
        QFile::copy(keep, keep + QStringLiteral(".old"));
        add(3, 5);
        QFile::remove(keep);
        QFile::rename(keep + QStringLiteral(".old"), keep);

        QStringList findings;
        TXbaseDataSet::SetIndexDisagreementHandler([&](const QString &path, const QString &finding) {
            findings << finding;
            QCOMPARE(path, dbf);
            maintenance.RebuildIndex(dir, QStringLiteral("video"));
        });
        {
            auto ds = openTable(dbf);
            QCOMPARE(findings.size(), 1);
            QVERIFY2(findings[0].contains(olderTable ? QStringLiteral("names record 5, the table holds 3")
                                                     : QStringLiteral("holds 3 keys for 5 records")),
                     qPrintable(findings[0]));
            int seen = 0;
            for (ds->First(); !ds->Eof(); ds->Next())
                ++seen;
            QCOMPARE(seen, olderTable ? 3 : 5);
        }
        QCOMPARE(xbtoolCheck(dbf), QString());
        auto again = openTable(dbf); // once per table and run
        QCOMPARE(findings.size(), 1);
        TXbaseDataSet::SetIndexDisagreementHandler(nullptr);
    }
}

TESSARON_TEST(TestDatabaseMaintenance)
#include "TestDatabaseMaintenance.moc"
