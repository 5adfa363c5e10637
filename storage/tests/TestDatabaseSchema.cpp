// The schema table, the creation routines and the password rule.
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

std::unique_ptr<TXbaseDataSet> openTable(const QString &path, const QString &index = {})
{
    auto ds = std::make_unique<TXbaseDataSet>();
    ds->SetTableName(path);
    ds->SetIndexName(index);
    ds->Open();
    return ds;
}

int recordLength(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = f.read(12);
    return static_cast<unsigned char>(header[10]) | static_cast<unsigned char>(header[11]) << 8;
}

} // namespace

class TestDatabaseSchema : public QObject {
    Q_OBJECT

private slots:
    void tableOrderAndLookup();
    void everyTableIsCreatedWithItsFields();
    void createdTablesOpenWithDbfread();
    void booksTitleTagOrdersByTitleThenVolumes();
    void referenceTablesAreEncryptedOnFirstOpen();
};

void TestDatabaseSchema::tableOrderAndLookup()
{
    const auto &all = schema::tables();
    QCOMPARE(static_cast<int>(all.size()), schema::kTableCount);
    QStringList stems;
    int tags = 0;
    for (const SchemaTable &t : all) {
        stems << t.stem;
        tags += static_cast<int>(t.tags.size());
        QVERIFY(t.stem.size() <= 8);
        QVERIFY(t.description.size() <= 20);
        for (const SchemaTag &tag : t.tags)
            QCOMPARE(tag.option, QStringLiteral("0"));
    }
    QCOMPARE(stems.join(QLatin1Char(' ')),
             QStringLiteral("ADRESS CASSETTE TERMIN STAATEN PLZ TITEL SEX INTERPRE MSPARTEN VSPARTEN VIDEO "
                            "NOTIZEN BOOKS BSPARTEN AUTOREN CDDBprep"));
    QCOMPARE(tags, 38);
    QCOMPARE(schema::table(schema::kAdress).tags[6].key, QStringLiteral("GEB_DAT"));
    QCOMPARE(schema::table(schema::kBooks).tags[0].key, QStringLiteral("UPPER(TITEL)+STR(BAENDE)"));

    QCOMPARE(schema::findTable(QStringLiteral("CDDBPREP"))->position, 16);
    QCOMPARE(schema::findTable(QStringLiteral("books"))->position, 13);
    QVERIFY(!schema::findTable(QStringLiteral("TEMP")));
    QCOMPARE(schema::tableFile(QStringLiteral("CDDBprep"), QStringLiteral("dbf")), QStringLiteral("CDDBPREP.DBF"));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, schema::table(17));

    QStringList encrypted;
    for (const SchemaTable &t : all)
        if (t.encrypted)
            encrypted << t.stem;
    QCOMPARE(encrypted, QStringList({"STAATEN", "PLZ", "TITEL", "SEX"}));
}

void TestDatabaseSchema::everyTableIsCreatedWithItsFields()
{
    QTemporaryDir dir;
    const int fieldCounts[] = {26, 19, 10, 2, 5, 2, 2, 1, 1, 1, 20, 2, 18, 1, 1, 7};
    for (const SchemaTable &t : schema::tables()) {
        const QString path = schema::tablePath(dir.path(), t.stem, QStringLiteral("DBF"));
        QVERIFY2(schema::createTable(t.position, path), qPrintable(t.stem));
        QVERIFY(QFile::exists(path));
        QVERIFY(!QFile::exists(schema::tablePath(dir.path(), t.stem, QStringLiteral("CDX"))));
        auto ds = openTable(path);
        QCOMPARE(ds->FieldCount(), fieldCounts[t.position - 1]);
        QCOMPARE(ds->RecordCount(), 0);
        QVERIFY(!ds->IsEncrypted(0));
    }
    const QString adress = schema::tablePath(dir.path(), QStringLiteral("ADRESS"), QStringLiteral("DBF"));
    QCOMPARE(recordLength(adress), 556);
    auto ds = openTable(adress);
    QStringList names;
    for (int i = 0; i < ds->FieldCount(); ++i)
        names << ds->Fields(i)->FieldName();
    QCOMPARE(names.join(QLatin1Char(',')),
             QStringLiteral("FAMNAME,VORNAME,STRASSE,STAAT,PLZ,ORT,TELNU,TELNU2,TELMOBIL,TELFAX,BEMERKUNG,"
                            "CONTACT1,CONTACTX,GEB_DAT,BABY,SEX,TITEL,ANREDE,WWW,EMAIL,FIDO,CIS,INR,SELECTED,"
                            "WICHTIG,L_UPDATE"));
    QCOMPARE(ds->fieldInfo()[11].type, 'D');
    QCOMPARE(ds->fieldInfo()[10].width, 100);
    QVERIFY(QFile::exists(schema::tablePath(dir.path(), QStringLiteral("NOTIZEN"), QStringLiteral("FPT"))));
    // The directory must exist: creation does not make it.
    QVERIFY(!schema::createTable(1, dir.filePath(QStringLiteral("missing/ADRESS.DBF"))));
}

void TestDatabaseSchema::createdTablesOpenWithDbfread()
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        QSKIP("no /usr/bin/python3");
    QTemporaryDir dir;
    for (const SchemaTable &t : schema::tables())
        QVERIFY(schema::createTable(t.position, schema::tablePath(dir.path(), t.stem, QStringLiteral("DBF"))));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import sys, glob, dbfread\n"
                                                       "for p in sorted(glob.glob(sys.argv[1] + '/*.DBF')):\n"
                                                       "    t = dbfread.DBF(p)\n"
                                                       "    print(p.split('/')[-1], len(t.field_names), len(list(t)))\n"),
                  dir.path()});
    QVERIFY(python.waitForFinished(30000));
    const QString out = QString::fromUtf8(python.readAllStandardOutput());
    if (python.exitCode() != 0 && python.readAllStandardError().contains("No module named"))
        QSKIP("python3-dbfread is not installed");
    QCOMPARE(python.exitCode(), 0);
    QCOMPARE(out.count(QLatin1Char('\n')), 16);
    QVERIFY(out.contains(QStringLiteral("ADRESS.DBF 26 0")));
    QVERIFY(out.contains(QStringLiteral("NOTIZEN.DBF 2 0")));
    QVERIFY(out.contains(QStringLiteral("CDDBPREP.DBF 7 0")));
}

void TestDatabaseSchema::booksTitleTagOrdersByTitleThenVolumes()
{
    QTemporaryDir dir;
    const QString path = schema::tablePath(dir.path(), QStringLiteral("BOOKS"), QStringLiteral("DBF"));
    QVERIFY(schema::createTable(schema::kBooks, path));
    auto ds = openTable(path);
    const std::pair<const char *, int> books[] = {{"b", 1}, {"A", 10}, {"a", 9}};
    for (auto [title, volumes] : books) {
        ds->Append();
        ds->FieldByName(QStringLiteral("TITEL"))->SetAsString(QString::fromLatin1(title));
        ds->FieldByName(QStringLiteral("BAENDE"))->SetAsInteger(volumes);
        ds->Post();
    }
    const SchemaTag &tag = schema::table(schema::kBooks).tags[0];
    QVERIFY(ds->IndexTag(schema::tablePath(dir.path(), QStringLiteral("BOOKS"), QStringLiteral("CDX")), tag.name,
                         tag.key, 0, 0, QString()) != 0);
    QStringList order;
    for (ds->First(); !ds->Eof(); ds->Next())
        order << ds->FieldByName(QStringLiteral("TITEL"))->AsString()
                + ds->FieldByName(QStringLiteral("BAENDE"))->AsString();
    QCOMPARE(order, QStringList({"a9", "A10", "b1"}));
}

void TestDatabaseSchema::referenceTablesAreEncryptedOnFirstOpen()
{
    QTemporaryDir dir;
    const QString sex = schema::tablePath(dir.path(), QStringLiteral("SEX"), QStringLiteral("DBF"));
    const QString autoren = schema::tablePath(dir.path(), QStringLiteral("AUTOREN"), QStringLiteral("DBF"));
    QVERIFY(schema::createTable(schema::kSex, sex));
    QVERIFY(schema::createTable(schema::kAutoren, autoren));
    {
        auto ds = openTable(sex);
        ds->Append();
        ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Jürgen"));
        ds->FieldByName(QStringLiteral("SEX"))->SetAsString(QStringLiteral("M"));
        ds->Post();
        schema::applyPassword(*ds, schema::kSex);
        QVERIFY(ds->IsEncrypted(0));
        ds->First();
        QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Jürgen"));
        // A second call finds it encrypted and leaves it.
        schema::applyPassword(*ds, schema::kSex);
        QVERIFY(ds->IsEncrypted(0));
    }
    {
        auto ds = openTable(sex);
        QVERIFY(ds->IsEncrypted(0));
        QVERIFY(ds->FieldByName(QStringLiteral("NAME"))->AsString() != QStringLiteral("Jürgen"));
        schema::applyPassword(*ds, schema::kSex);
        QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), QStringLiteral("Jürgen"));
    }
    auto plain = openTable(autoren);
    schema::applyPassword(*plain, schema::kAutoren);
    QVERIFY(!plain->IsEncrypted(0));
    QVERIFY(plain->Password().isEmpty());
}

TESSARON_TEST(TestDatabaseSchema)
#include "TestDatabaseSchema.moc"
