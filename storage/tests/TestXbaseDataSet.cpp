// The table dataset on real tables in temporary directories.
#include "platform/FormatSettings.h"
#include "storage/TXbBlobStream.h"
#include "storage/TXbaseDataSet.h"
#include "storage/XbaseQuote.h"
#include "xbase/api/XbApi.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "testing/TestRegistry.h"

namespace {

struct FieldSpec {
    const char *name;
    const char *type;
    int width;
    int decimals;
};

void createTable(const QString &dir, const QString &name, std::initializer_list<FieldSpec> fields)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    QVERIFY(ds.CreateNew(name, 2, static_cast<int>(fields.size())));
    for (const FieldSpec &f : fields)
        ds.CreateField(QString::fromLatin1(f.name), QString::fromLatin1(f.type), f.width, f.decimals);
    QVERIFY(ds.CreateExec());
}

std::unique_ptr<TXbaseDataSet> openTable(const QString &dir, const QString &name, const QString &index = {})
{
    auto ds = std::make_unique<TXbaseDataSet>();
    ds->DatabaseName = dir;
    ds->SetTableName(name);
    ds->SetIndexName(index);
    ds->Open();
    return ds;
}

void addPerson(TXbaseDataSet &ds, const QString &name, const QString &first, const QString &inr = QString())
{
    ds.Append();
    ds.FieldByName(QStringLiteral("FAMNAME"))->SetAsString(name);
    ds.FieldByName(QStringLiteral("VORNAME"))->SetAsString(first);
    if (!inr.isEmpty())
        ds.FieldByName(QStringLiteral("INR"))->SetAsString(inr);
    ds.Post();
}

// Runs `child` in a forked process; the parent waits for its signal byte.
pid_t forkChild(int &readyFd, const std::function<void()> &child)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        child();
        const char ready = 'r';
        [[maybe_unused]] auto n = ::write(fds[1], &ready, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(fds[1]);
    readyFd = fds[0];
    char byte = 0;
    [[maybe_unused]] auto n = ::read(readyFd, &byte, 1);
    return pid;
}

void endChild(pid_t pid, int fd)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(fd);
}

} // namespace

class TestXbaseDataSet : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aliasesGetDigitSuffixes();
    void missingTablesAndProperties();
    void fieldTypesAndConversions();
    void datesUseTheEpochWindow();
    void centuryRewritesTheShortDateFormat();
    void numbersWiderThanTheirFieldAreRefused();
    void charactersOutsideTheCodePageAreRefused();
    void memosLoadLazilyAndStore();
    void deletingTheLastRecordWhereDeletedVanish();
    void editOfARecordLockedElsewhere();
    void passwordAfterOpenMakesRecordsReadable();
    void indexNameRules();
    void seekQueryAndLocate();
    void masterDetailFollowsTheMaster();
    void anotherProcessAppendsAndRefreshShowsIt();
    void rowWindowReadsRowsByPosition();
    void quotingPicksADelimiter();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_savedDate;
};

void TestXbaseDataSet::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    platform::FormatSettings::current() = platform::FormatSettings::fromLocaleName(QStringLiteral("de_DE"));
    TXbaseDataSet::SetExact(false);
    TXbaseDataSet::SetSoftSeek(false);
    xb_SetDeleted(0);
    createTable(m_dir->path(), QStringLiteral("ADRESS"),
                {{"INR", "C", 15, 0}, {"FAMNAME", "C", 37, 0}, {"VORNAME", "C", 37, 0}, {"PLZ", "C", 5, 0},
                 {"GEB_DAT", "D", 8, 0}, {"CASS_NO", "N", 3, 0}, {"BETRAG", "N", 5, 0}, {"SUMME", "N", 6, 0},
                 {"PREIS", "N", 8, 2}, {"AKTIV", "L", 1, 0}});
}

void TestXbaseDataSet::cleanup()
{
    xb_CloseAll();
}

void TestXbaseDataSet::aliasesGetDigitSuffixes()
{
    createTable(m_dir->path(), QStringLiteral("SEX"), {{"VORNAME", "C", 20, 0}});
    createTable(m_dir->path(), QStringLiteral("NOTIZEN"), {{"INR", "C", 15, 0}});
    auto a1 = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    auto a2 = openTable(m_dir->path(), QStringLiteral("ADRESS.DBF"));
    QCOMPARE(a1->alias(), QStringLiteral("ADRESS"));
    QCOMPARE(a2->alias(), QStringLiteral("ADRESS1"));
    std::vector<std::unique_ptr<TXbaseDataSet>> sex;
    for (int i = 0; i < 4; ++i)
        sex.push_back(openTable(m_dir->path(), QStringLiteral("sex.dbf")));
    QCOMPARE(sex[1]->alias(), QStringLiteral("SEX1"));
    QCOMPARE(sex[2]->alias(), QStringLiteral("SEX12"));
    QCOMPARE(sex[3]->alias(), QStringLiteral("SEX123"));
    std::vector<std::unique_ptr<TXbaseDataSet>> notes;
    for (int i = 0; i < 11; ++i)
        notes.push_back(openTable(m_dir->path(), QStringLiteral("NOTIZEN")));
    QCOMPARE(notes[1]->alias(), QStringLiteral("NOTIZEN1"));
    QCOMPARE(notes[2]->alias(), QStringLiteral("NOTIZEN2"));
    QCOMPARE(notes[10]->alias(), QStringLiteral("NOTIZE10"));
    QCOMPARE(TXbaseDataSet::makeAlias(QStringLiteral("my table-1.dbf")), QStringLiteral("MY_TABLE"));
}

void TestXbaseDataSet::missingTablesAndProperties()
{
    TXbaseDataSet ds;
    ds.setObjectName(QStringLiteral("tblAdress"));
    try {
        ds.Open();
        QFAIL("opened without a table name");
    } catch (const EXbaseError &e) {
        QCOMPARE(e.message(), QStringLiteral("tblAdress : Missing TableName property"));
    }
    ds.DatabaseName = m_dir->path();
    ds.SetTableName(QStringLiteral("NOWHERE"));
    try {
        ds.Open();
        QFAIL("opened a missing table");
    } catch (const EXbaseError &e) {
        QCOMPARE(e.message(), QStringLiteral("Table does not exist.\rFile or directory does not exist\rFile: %1/NOWHERE.DBF")
                                  .arg(m_dir->path()));
    }
    QVERIFY(!ds.Active());

    // An empty directory name means the current directory.
    const QString old = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    TXbaseDataSet here;
    here.SetTableName(QStringLiteral("ADRESS"));
    here.Open();
    QVERIFY(here.Active());
    QVERIFY_THROWS_EXCEPTION(EXbaseError, here.SetTableName(QStringLiteral("OTHER")));
    QVERIFY_THROWS_EXCEPTION(EXbaseError, here.SetReadOnly(true));
    here.Close();
    QDir::setCurrent(old);
}

void TestXbaseDataSet::fieldTypesAndConversions()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    QCOMPARE(ds->FieldByName(QStringLiteral("CASS_NO"))->DataType(), tk::FieldType::SmallInt);
    QCOMPARE(ds->FieldByName(QStringLiteral("BETRAG"))->DataType(), tk::FieldType::Float);
    QCOMPARE(ds->FieldByName(QStringLiteral("SUMME"))->DataType(), tk::FieldType::Float);
    QCOMPARE(ds->FieldByName(QStringLiteral("PREIS"))->DisplayFormat, QStringLiteral("#.00"));
    QCOMPARE(ds->FieldByName(QStringLiteral("SUMME"))->DisplayFormat, QStringLiteral("#"));
    QCOMPARE(ds->FieldWidth(QStringLiteral("FAMNAME")), 37);

    ds->Append();
    ds->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Müller"));
    ds->FieldByName(QStringLiteral("CASS_NO"))->SetAsInteger(12);
    ds->FieldByName(QStringLiteral("PREIS"))->SetAsFloat(12.345);
    ds->FieldByName(QStringLiteral("AKTIV"))->SetAsBoolean(true);
    ds->Post();
    QCOMPARE(ds->RecNo(), 1);
    QCOMPARE(ds->EvalString(QStringLiteral("FAMNAME")), QStringLiteral("Müller").leftJustified(37));
    QCOMPARE(ds->EvalString(QStringLiteral("STR(PREIS,8,2)")), QStringLiteral("   12.35"));

    auto other = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    QCOMPARE(other->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Müller"));
    QVERIFY(!other->FieldByName(QStringLiteral("VORNAME"))->IsNull()); // blank C is an empty string
    QCOMPARE(other->FieldByName(QStringLiteral("VORNAME"))->AsString(), QString());
    QVERIFY(other->FieldByName(QStringLiteral("GEB_DAT"))->IsNull());
    QVERIFY(other->FieldByName(QStringLiteral("BETRAG"))->IsNull());
    QCOMPARE(other->FieldByName(QStringLiteral("CASS_NO"))->AsInteger(), 12);
    QCOMPARE(other->FieldByName(QStringLiteral("PREIS"))->AsFloat(), 12.35);
    QCOMPARE(other->FieldByName(QStringLiteral("PREIS"))->DisplayText(), QStringLiteral("12,35"));
    QCOMPARE(other->FieldByName(QStringLiteral("AKTIV"))->AsBoolean(), true);

    // A blank date is written back as eight blanks.
    other->Edit();
    other->FieldByName(QStringLiteral("VORNAME"))->SetAsString(QStringLiteral("Jürgen"));
    other->Post();
    QCOMPARE(other->EvalString(QStringLiteral("DTOS(GEB_DAT)")), QStringLiteral("        "));
    ds->Refresh();
    QCOMPARE(ds->FieldByName(QStringLiteral("VORNAME"))->AsString(), QStringLiteral("Jürgen"));
}

void TestXbaseDataSet::datesUseTheEpochWindow()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    QCOMPARE(ds->Epoch(), 1980);
    ds->Append();
    ds->FieldByName(QStringLiteral("GEB_DAT"))->SetAsDate(QDate(79, 1, 1));
    ds->Post();
    QCOMPARE(ds->EvalString(QStringLiteral("DTOS(GEB_DAT)")), QStringLiteral("20790101"));
    ds->Append();
    ds->FieldByName(QStringLiteral("GEB_DAT"))->SetAsDate(QDate(80, 1, 1));
    ds->Post();
    QCOMPARE(ds->EvalString(QStringLiteral("DTOS(GEB_DAT)")), QStringLiteral("19800101"));
    QCOMPARE(ds->FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(1980, 1, 1));
    ds->SetEpoch(0);
    QCOMPARE(ds->Epoch(), 1900);
    ds->SetEpoch(50);
    QCOMPARE(ds->Epoch(), 100);
    ds->SetEpoch(4000);
    QCOMPARE(ds->Epoch(), 2999);
}

void TestXbaseDataSet::centuryRewritesTheShortDateFormat()
{
    platform::FormatSettings::current().shortDateFormat = QStringLiteral("dd.MM.yy");
    TXbaseDataSet ds;
    ds.SetCentury(true);
    QCOMPARE(platform::FormatSettings::current().shortDateFormat, QStringLiteral("dd.MM.yyyy"));
    QVERIFY(TXbaseDataSet::Century());
    ds.SetCentury(false);
    QCOMPARE(platform::FormatSettings::current().shortDateFormat, QStringLiteral("dd.MM.yy"));
}

void TestXbaseDataSet::numbersWiderThanTheirFieldAreRefused()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    ds->Append();
    ds->FieldByName(QStringLiteral("BETRAG"))->SetAsFloat(123456);
    try {
        ds->Post();
        QFAIL("posted a number wider than its field");
    } catch (const EXbaseError &e) {
        QCOMPARE(e.message(), QStringLiteral("Translate error. Value out of bounds"));
    }
    QCOMPARE(ds->state(), tk::DataSet::State::Insert);
    ds->Cancel();
    QCOMPARE(ds->RecordCount(), 0); // nothing was appended
}

void TestXbaseDataSet::charactersOutsideTheCodePageAreRefused()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    ds->Append();
    ds->FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Łukasz"));
    QVERIFY_THROWS_EXCEPTION(EXbaseError, ds->Post());
    ds->Cancel();
    QCOMPARE(ds->RecordCount(), 0);
}

void TestXbaseDataSet::memosLoadLazilyAndStore()
{
    createTable(m_dir->path(), QStringLiteral("NOTIZEN"), {{"INR", "C", 15, 0}, {"NOTIZ", "M", 10, 0}});
    auto ds = openTable(m_dir->path(), QStringLiteral("NOTIZEN"));
    ds->Append();
    ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("AD1"));
    ds->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Erste Zeile\r\nZweite Zeile mit Ä"));
    ds->Post();
    ds->Append();
    ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("AD2"));
    ds->Post();

    auto other = openTable(m_dir->path(), QStringLiteral("NOTIZEN"));
    QCOMPARE(other->FieldByName(QStringLiteral("NOTIZ"))->AsString(), QStringLiteral("Erste Zeile\r\nZweite Zeile mit Ä"));
    other->Next();
    QVERIFY(other->FieldByName(QStringLiteral("NOTIZ"))->IsNull());
    other->Edit();
    {
        TXbBlobStream stream(other->FieldByName(QStringLiteral("NOTIZ")), QIODevice::WriteOnly);
        stream.write("written through a stream");
    }
    other->Post();
    ds->Refresh();
    ds->Last();
    TXbBlobStream reader(ds->FieldByName(QStringLiteral("NOTIZ")), QIODevice::ReadOnly);
    QCOMPARE(reader.readAll(), QByteArray("written through a stream"));
}

void TestXbaseDataSet::deletingTheLastRecordWhereDeletedVanish()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    for (const char *name : {"Bauer", "Adam", "Zeller", "Meier"})
        addPerson(*ds, QString::fromLatin1(name), QString());
    QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME+VORNAME)"), 0, 0, QString()) != 0);
    ds->SetHideDeleted(true);
    ds->Last();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zeller"));
    ds->Delete();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Meier"));
    QCOMPARE(ds->RecordCount(), 3);

    // Shown deleted records stay where they are.
    ds->SetHideDeleted(false);
    ds->First();
    ds->Delete();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Adam"));
    QCOMPARE(ds->EvalString(QStringLiteral("IIF(DELETED(),\"yes\",\"no\")")), QStringLiteral("yes"));
    ds->SetHideDeleted(false);
}

void TestXbaseDataSet::editOfARecordLockedElsewhere()
{
    {
        auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
        addPerson(*ds, QStringLiteral("Locked"), QStringLiteral("Record"));
    }
    xb_CloseAll();
    const std::string path = (m_dir->path() + QStringLiteral("/ADRESS.DBF")).toStdString();
    int fd = -1;
    const pid_t pid = forkChild(fd, [&] {
        xb_Use(path.c_str(), "OTHER", XB_SHARED, XB_CDX);
        xb_GoTop();
        xb_Rlock(1);
    });
    QVERIFY(pid > 0);
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    try {
        ds->Edit();
        QFAIL("edited a locked record");
    } catch (const EXbaseError &e) {
        QCOMPARE(e.message(), QStringLiteral("Selected record is currently locked by another user or task"));
    }
    QCOMPARE(ds->state(), tk::DataSet::State::Browse);
    endChild(pid, fd);
    ds->Edit();
    QCOMPARE(ds->state(), tk::DataSet::State::Edit);
    ds->Cancel();
}

void TestXbaseDataSet::passwordAfterOpenMakesRecordsReadable()
{
    {
        auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
        addPerson(*ds, QStringLiteral("Geheim"), QStringLiteral("Gustav"));
        ds->SetPassword(QStringLiteral("quillon"));
        QVERIFY(!ds->IsEncrypted());
        QVERIFY(ds->Encrypt() != 0);
        QVERIFY(ds->IsEncrypted());
        QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Geheim"));
    }
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    QVERIFY(ds->IsEncrypted());
    QVERIFY(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString() != QStringLiteral("Geheim"));
    ds->SetPassword(QStringLiteral("quillon"));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Geheim"));
}

void TestXbaseDataSet::indexNameRules()
{
    {
        auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
        for (const char *name : {"Bauer", "Adam", "Zeller"})
            addPerson(*ds, QString::fromLatin1(name), QString());
        QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME+VORNAME)"), 0, 0, {}));
        QVERIFY(ds->IndexTag(QString(), QStringLiteral("2"), QStringLiteral("PLZ"), 0, 0, {}));
        QVERIFY(ds->IndexTag(QString(), QStringLiteral("3"), QStringLiteral("GEB_DAT"), 0, 0, {}));
    }
    xb_CloseAll();
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"), QStringLiteral("9"));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Bauer")); // record order
    QVERIFY_THROWS_EXCEPTION(EXbaseError, ds->SetIndexName(QStringLiteral("8")));
    ds->SetIndexName(QStringLiteral("1"));
    ds->First();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Adam"));
    ds->SetIndexName(QString());
    ds->First();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Bauer"));
    QCOMPARE(ds->SetOrder(1) >= 0, true);
    QCOMPARE(ds->IndexName(), QStringLiteral("1"));
}

void TestXbaseDataSet::seekQueryAndLocate()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    const char *names[] = {"Schmidt", "Meier", "Müller", "Mertens", "Albers", "Zander"};
    for (const char *n : names)
        addPerson(*ds, QString::fromUtf8(n), QStringLiteral("X"));
    QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME+VORNAME)"), 0, 0, {}));

    QVERIFY(!ds->Seek(QStringLiteral("NIEMAND")));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zander"));
    const QString key = ds->EvalString(QStringLiteral("UPPER(%1)").arg(xbQuote(QStringLiteral("mü"))));
    QVERIFY(ds->Seek(key));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Müller"));

    TXbaseDataSet::SetSoftSeek(true);
    QVERIFY(ds->Seek(QStringLiteral("MEZ")));
    TXbaseDataSet::SetSoftSeek(false);
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Müller"));

    QCOMPARE(ds->Query(QStringLiteral("UPPER(FAMNAME)>=\"M\" .and. UPPER(FAMNAME)<=\"N\"")), 3);
    QCOMPARE(ds->QueryRecCount(), 3);
    QCOMPARE(ds->RecordCount(), 3);
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Meier"));
    QVERIFY(ds->Query(QStringLiteral("FAMNAME=\"Nobody\"")) <= 0);
    QCOMPARE(ds->Query(QString()), 6);

    // Locate with Exact off finds the first record starting with the value
    // and puts the query in force before it back.
    ds->Query(QStringLiteral("FAMNAME<>\"Zander\""));
    ds->SetIndexName(QString());
    QVERIFY(ds->Locate(QStringLiteral("FAMNAME"), {QStringLiteral("M")}));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Meier"));
    QCOMPARE(ds->QueryRecCount(), 5);
    QVERIFY(!ds->Locate(QStringLiteral("FAMNAME"), {QStringLiteral("Q")}));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Meier"));
    QVERIFY_THROWS_EXCEPTION(EXbaseError, ds->Query(QStringLiteral("FAMNAME=(")));

    // A quick search typing a letter into a date order: no such key, no
    // error; the beginning of a date finds its first record.
    ds->Query(QString());
    ds->First();
    ds->Edit();
    ds->FieldByName(QStringLiteral("GEB_DAT"))->SetAsDate(QDate(1970, 2, 3));
    ds->Post();
    QVERIFY(ds->IndexTag(QString(), QStringLiteral("2"), QStringLiteral("GEB_DAT"), 0, 0, {}));
    ds->SetIndexName(QStringLiteral("2"));
    TXbaseDataSet::SetSoftSeek(true);
    bool found = true;
    try {
        found = ds->Seek(QStringLiteral("A"));
    } catch (const std::exception &e) {
        QFAIL(e.what());
    }
    QVERIFY(!found);
    QVERIFY(ds->Seek(QStringLiteral("197")));
    TXbaseDataSet::SetSoftSeek(false);
    QCOMPARE(ds->FieldByName(QStringLiteral("GEB_DAT"))->AsDate(), QDate(1970, 2, 3));
}

void TestXbaseDataSet::masterDetailFollowsTheMaster()
{
    createTable(m_dir->path(), QStringLiteral("NOTIZEN"), {{"INR", "C", 15, 0}, {"NOTIZ", "M", 10, 0}});
    auto master = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    addPerson(*master, QStringLiteral("Erster"), QString(), QStringLiteral("AD0000000000001"));
    addPerson(*master, QStringLiteral("Zweiter"), QString(), QStringLiteral("AD0000000000002"));
    auto notes = openTable(m_dir->path(), QStringLiteral("NOTIZEN"));
    for (const char *inr : {"AD0000000000002", "AD0000000000001"}) {
        notes->Append();
        notes->FieldByName(QStringLiteral("INR"))->SetAsString(QString::fromLatin1(inr));
        notes->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("note of ") + QString::fromLatin1(inr));
        notes->Post();
    }
    QVERIFY(notes->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, {}));

    tk::DataSource dsMaster;
    dsMaster.SetDataSet(master.get());
    notes->MasterFields = QStringLiteral("INR");
    notes->SetMasterSource(&dsMaster);
    master->First();
    QCOMPARE(notes->RecordCount(), 1);
    QCOMPARE(notes->FieldByName(QStringLiteral("NOTIZ"))->AsString(), QStringLiteral("note of AD0000000000001"));
    master->Next();
    QCOMPARE(notes->FieldByName(QStringLiteral("NOTIZ"))->AsString(), QStringLiteral("note of AD0000000000002"));

    tk::DataSource dsNotes;
    dsNotes.SetDataSet(notes.get());
    master->MasterFields = QStringLiteral("INR");
    QVERIFY_THROWS_EXCEPTION(EXbaseError, master->SetMasterSource(&dsNotes));
}

void TestXbaseDataSet::anotherProcessAppendsAndRefreshShowsIt()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    auto second = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    addPerson(*ds, QStringLiteral("Eins"), QString());
    const std::string path = (m_dir->path() + QStringLiteral("/ADRESS.DBF")).toStdString();
    int fd = -1;
    const pid_t pid = forkChild(fd, [&] {
        xb_CloseAll();
        xb_Use(path.c_str(), "CHILD", XB_SHARED, XB_CDX);
        xb_AppendBlank();
        xb_Replace("FAMNAME", XB_REPLACE_TEXT, "Zwei");
        xb_Commit();
    });
    QVERIFY(pid > 0);
    endChild(pid, fd);
    ds->Refresh();
    QCOMPARE(ds->RecordCount(), 2);
    ds->Last();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zwei"));

    // Two datasets of one process keep their own buffers.
    second->Refresh();
    second->First();
    second->Edit();
    second->FieldByName(QStringLiteral("VORNAME"))->SetAsString(QStringLiteral("second"));
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Zwei"));
    ds->First();
    QCOMPARE(ds->FieldByName(QStringLiteral("VORNAME"))->AsString(), QString());
    second->Post();
    ds->Refresh();
    QCOMPARE(ds->FieldByName(QStringLiteral("VORNAME"))->AsString(), QStringLiteral("second"));
    QCOMPARE(second->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Eins"));
}

void TestXbaseDataSet::rowWindowReadsRowsByPosition()
{
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    for (int i = 0; i < 50; ++i)
        addPerson(*ds, QStringLiteral("Name%1").arg(49 - i, 2, 10, QLatin1Char('0')), QString());
    QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME+VORNAME)"), 0, 0, {}));
    QCOMPARE(ds->RowCount(), 50);
    tk::RecordBuffer row;
    QVERIFY(ds->FetchRow(10, row));
    QCOMPARE(row.values[1].toString(), QStringLiteral("Name10"));
    QVERIFY(!ds->FetchRow(50, row));
    ds->First();
    ds->Next();
    QCOMPARE(ds->CurrentRow(), 1);
    ds->MoveToRow(30);
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Name30"));
    ds->Next();
    QCOMPARE(ds->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Name31"));
    ds->Query(QStringLiteral("FAMNAME>=\"Name4\""));
    QCOMPARE(ds->RowCount(), 10);
    QVERIFY(ds->FetchRow(0, row));
    QCOMPARE(row.values[1].toString(), QStringLiteral("Name40"));
}

void TestXbaseDataSet::quotingPicksADelimiter()
{
    QCOMPARE(xbQuote(QStringLiteral("plain")), QStringLiteral("\"plain\""));
    QCOMPARE(xbQuote(QStringLiteral("say \"hi\"")), QStringLiteral("'say \"hi\"'"));
    QCOMPARE(xbQuote(QStringLiteral("it's \"x\"")), QStringLiteral("[it's \"x\"]"));
    const QString all = QStringLiteral("a\"b'c]d");
    const QString quoted = xbQuote(all);
    QVERIFY(quoted.contains(QLatin1Char('+')));
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    addPerson(*ds, all, QString());
    QCOMPARE(ds->Query(QStringLiteral("TRIM(FAMNAME)==") + quoted), 1);
}

TESSARON_TEST(TestXbaseDataSet)
#include "TestXbaseDataSet.moc"
