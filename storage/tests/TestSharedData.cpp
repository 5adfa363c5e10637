// Shared tables that nothing loses: two holders editing one record, moves
// during an edit, posts on a failing disk, folders with umlauts, numbers
// under a German locale.
#include "storage/TXbaseDataSet.h"
#include "xbase/api/Engine.h"
#include "xbase/api/XbApi.h"
#include "xbase/index/CdxIndex.h"
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"
#include "xbase/testing/FailingEnv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "testing/TestRegistry.h"

namespace {

const QString kName = QStringLiteral("FAMNAME");
const QString kFirst = QStringLiteral("VORNAME");

void createTable(const QString &dir, const QString &name, bool memo)
{
    TXbaseDataSet ds;
    ds.DatabaseName = dir;
    QVERIFY(ds.CreateNew(name, 2, memo ? 5 : 4));
    ds.CreateField(QStringLiteral("INR"), QStringLiteral("C"), 15, 0);
    ds.CreateField(kName, QStringLiteral("C"), 20, 0);
    ds.CreateField(kFirst, QStringLiteral("C"), 20, 0);
    ds.CreateField(QStringLiteral("PREIS"), QStringLiteral("N"), 8, 2);
    if (memo)
        ds.CreateField(QStringLiteral("NOTIZ"), QStringLiteral("M"), 10, 0);
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

void add(TXbaseDataSet &ds, const QString &inr, const QString &name)
{
    ds.Append();
    ds.FieldByName(QStringLiteral("INR"))->SetAsString(inr);
    ds.FieldByName(kName)->SetAsString(name);
    ds.Post();
}

// Every tag of the table's index agrees with the table.
bool indexSound(const QString &path, QString *why)
{
    std::unique_ptr<xb::Table> table;
    xb::Status s = xb::Table::open(xb::Env::posix(), QFile::encodeName(path).toStdString(), xb::OpenMode::ReadOnly,
                                   table);
    std::unique_ptr<xb::CdxIndex> index;
    std::vector<xb::CdxTagReport> reports;
    if (s)
        s = xb::CdxIndex::open(*table, xb::EvalSettings(), index);
    if (s && index)
        s = index->check(reports);
    if (!s) {
        *why = QString::fromStdString(s.toString());
        return false;
    }
    for (const xb::CdxTagReport &r : reports) {
        if (!r.damage.empty()) {
            *why = QString::fromStdString(r.tag + ": " + r.damage.front());
            return false;
        }
    }
    return true;
}

} // namespace

class TestSharedData : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void editSeesWhatAnotherProcessPosted();
    void movingDuringAnEditPostsIt();
    void failedPostsLeaveNothingAndRetriesDoNotDuplicate();
    void killedDuringPostsLosesNoCommittedRecordAndNoMemo();
    void loopsStopOnAnIndexThatDoesNotMatch();
    void tablesOfAnotherCodePageAreNotWritten();
    void folderWithUmlauts();
    void numbersUnderAGermanLocale();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSharedData::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    xb_SetDeleted(0);
}

void TestSharedData::cleanup()
{
    xb_CloseAll();
    xb::Engine::instance().setEnv(nullptr);
}

void TestSharedData::editSeesWhatAnotherProcessPosted()
{
    createTable(m_dir->path(), QStringLiteral("ADRESS"), false);
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    add(*ds, QStringLiteral("1"), QStringLiteral("Meier"));
    ds->First();
    QCOMPARE(ds->FieldByName(kFirst)->AsString(), QString());

    // Another program instance changes the first name while we only show
    // the record.
    const pid_t pid = ::fork();
    if (pid == 0) {
        int code = 1;
        try {
            auto other = openTable(m_dir->path(), QStringLiteral("ADRESS"));
            other->Edit();
            other->FieldByName(kFirst)->SetAsString(QStringLiteral("Anna"));
            other->Post();
            other->Close();
            code = 0;
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // Our edit starts from the record as it is now and keeps both changes.
    ds->Edit();
    QCOMPARE(ds->FieldByName(kFirst)->AsString(), QStringLiteral("Anna"));
    ds->FieldByName(kName)->SetAsString(QStringLiteral("Meyer"));
    ds->Post();
    ds->Close();
    auto check = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    QCOMPARE(check->FieldByName(kName)->AsString(), QStringLiteral("Meyer"));
    QCOMPARE(check->FieldByName(kFirst)->AsString(), QStringLiteral("Anna"));
}

void TestSharedData::movingDuringAnEditPostsIt()
{
    createTable(m_dir->path(), QStringLiteral("ADRESS"), false);
    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
    add(*ds, QStringLiteral("1"), QStringLiteral("Alpha"));
    add(*ds, QStringLiteral("2"), QStringLiteral("Beta"));
    auto other = openTable(m_dir->path(), QStringLiteral("ADRESS"));

    struct Move {
        const char *what;
        std::function<void(TXbaseDataSet &)> run;
    };
    const std::vector<Move> moves = {
        {"query", [](TXbaseDataSet &d) { d.Query(QStringLiteral("INR=\"1\"")); }},
        {"query removed", [](TXbaseDataSet &d) { d.Query(QString()); }},
        {"hide deleted", [](TXbaseDataSet &d) { d.SetHideDeleted(false); }},
        {"password", [](TXbaseDataSet &d) { d.SetPassword(QString()); }},
        {"century", [](TXbaseDataSet &d) { d.SetCentury(false); }},
        {"skip", [](TXbaseDataSet &d) { d.Skip(0); }},
    };
    int round = 0;
    for (const Move &move : moves) {
        ds->Query(QString());
        ds->First();
        ds->Edit();
        const QString value = QStringLiteral("Changed%1").arg(++round);
        ds->FieldByName(kFirst)->SetAsString(value);
        move.run(*ds);
        QVERIFY2(ds->state() == tk::DataSet::State::Browse, move.what);
        // The change is on disk and the lock is gone: another holder edits.
        other->First();
        other->Edit();
        QVERIFY2(other->FieldByName(kFirst)->AsString() == value, move.what);
        other->Cancel();
    }
}

void TestSharedData::failedPostsLeaveNothingAndRetriesDoNotDuplicate()
{
    const QString memo = QStringLiteral("Eine Notiz, die nicht verloren gehen darf. ").repeated(20);
    int failures = 0;
    bool completed = false;
    for (long failAt = 1; failAt < 200 && !completed; ++failAt) {
        QTemporaryDir dir;
        createTable(dir.path(), QStringLiteral("NOTIZEN"), true);
        {
            auto ds = openTable(dir.path(), QStringLiteral("NOTIZEN"));
            add(*ds, QStringLiteral("A"), QStringLiteral("Erster"));
            add(*ds, QStringLiteral("B"), QStringLiteral("Zweiter"));
            QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString()) != 0);
            QVERIFY(ds->IndexTag(QString(), QStringLiteral("2"), QStringLiteral("UPPER(FAMNAME)"), 0, 0, QString())
                    != 0);
        }
        xbtest::FailingEnv env(failAt);
        xb::Engine::instance().setEnv(&env);
        auto ds = openTable(dir.path(), QStringLiteral("NOTIZEN"), QStringLiteral("1"));
        ds->Append();
        ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("NEU"));
        ds->FieldByName(kName)->SetAsString(QStringLiteral("Neuer"));
        ds->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(memo);
        bool failed = false;
        try {
            ds->Post();
        } catch (const EXbaseError &) {
            failed = true;
        }
        completed = !env.failed();
        env.heal();
        if (failed) {
            ++failures;
            QVERIFY(ds->state() == tk::DataSet::State::Insert);
            ds->Post(); // the disk has room again
        }
        ds->Close();
        xb::Engine::instance().setEnv(nullptr);

        auto check = openTable(dir.path(), QStringLiteral("NOTIZEN"));
        QCOMPARE(check->RecordCount(), 3);
        QCOMPARE(check->Query(QStringLiteral("INR=\"NEU\"")), 1);
        QCOMPARE(check->FieldByName(QStringLiteral("NOTIZ"))->AsString(), memo);
        check->Close();
        QString why;
        QVERIFY2(indexSound(dir.filePath(QStringLiteral("NOTIZEN.DBF")), &why), qPrintable(why));
    }
    QVERIFY(completed);
    QVERIFY(failures > 3);
}

void TestSharedData::killedDuringPostsLosesNoCommittedRecordAndNoMemo()
{
    auto memoOf = [](int n) { return QStringLiteral("Notiz %1 ").arg(n).repeated(10 + n % 37); };
    for (int round = 0; round < 6; ++round) {
        QTemporaryDir dir;
        createTable(dir.path(), QStringLiteral("NOTIZEN"), true);
        {
            auto ds = openTable(dir.path(), QStringLiteral("NOTIZEN"));
            QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString()) != 0);
        }
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            try {
                auto ds = openTable(dir.path(), QStringLiteral("NOTIZEN"), QStringLiteral("1"));
                for (int n = 1;; ++n) {
                    ds->Append();
                    ds->FieldByName(QStringLiteral("INR"))->SetAsString(QString::number(n));
                    ds->FieldByName(QStringLiteral("NOTIZ"))->SetAsString(memoOf(n));
                    ds->Post();
                    [[maybe_unused]] auto w = ::write(fds[1], &n, sizeof n); // committed
                }
            } catch (...) {
            }
            ::_exit(1);
        }
        ::close(fds[1]);
        int committed = 0, n = 0;
        // Once the child has posted its first record, kill it at some
        // point of a later post.
        if (::read(fds[0], &n, sizeof n) == sizeof n)
            committed = n;
        QTest::qWait(3 + 29 * round);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        while (::read(fds[0], &n, sizeof n) == sizeof n)
            committed = n;
        ::close(fds[0]);

        auto check = openTable(dir.path(), QStringLiteral("NOTIZEN"));
        QVERIFY2(check->RecordCount() >= committed, qPrintable(QString::number(committed)));
        QVERIFY(committed > 0);
        for (check->First(); !check->Eof(); check->Next()) {
            const int inr = check->FieldByName(QStringLiteral("INR"))->AsString().toInt();
            QCOMPARE(check->FieldByName(QStringLiteral("NOTIZ"))->AsString(), memoOf(inr));
        }
        check->Close();
        // The index may miss the record being posted at the kill; a rebuild
        // from the table makes it sound.
        QString why;
        if (!indexSound(dir.filePath(QStringLiteral("NOTIZEN.DBF")), &why)) {
            auto ds = openTable(dir.path(), QStringLiteral("NOTIZEN"));
            QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString()) != 0);
            ds->Close();
            QVERIFY2(indexSound(dir.filePath(QStringLiteral("NOTIZEN.DBF")), &why), qPrintable(why));
        }
    }
}

void TestSharedData::loopsStopOnAnIndexThatDoesNotMatch()
{
    createTable(m_dir->path(), QStringLiteral("ADRESS"), false);
    {
        auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"));
        for (const char *name : {"a", "b", "c", "d", "e"})
            add(*ds, QString::fromLatin1(name), QString::fromLatin1(name));
        ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString());
    }
    // The table comes back from a copy of three records; the index is newer.
    QFile file(m_dir->filePath(QStringLiteral("ADRESS.DBF")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const int headerLength = static_cast<uchar>(bytes[8]) | static_cast<uchar>(bytes[9]) << 8;
    const int recordLength = static_cast<uchar>(bytes[10]) | static_cast<uchar>(bytes[11]) << 8;
    bytes[4] = 3;
    bytes.truncate(headerLength + 3 * recordLength);
    bytes.append('\x1A');
    file.resize(0);
    file.write(bytes);
    file.close();

    auto ds = openTable(m_dir->path(), QStringLiteral("ADRESS"), QStringLiteral("1"));
    int seen = 0;
    try {
        for (ds->First(); !ds->Eof() && seen < 100; ds->Next())
            ++seen;
        QFAIL("the walk ended without an error");
    } catch (const EXbaseError &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("rebuild")), e.what());
    }
    QCOMPARE(seen, 3);
    // The grid's rows: walking them either stops with the engine's message
    // or ends at the records the table holds, never on a record beyond it.
    ds->First();
    bool refused = false;
    int rows = 0;
    try {
        const int count = ds->RowCount();
        for (int r = 0; r < count && r < 100; ++r) {
            tk::RecordBuffer row;
            if (!ds->FetchRow(r, row))
                break;
            QVERIFY(row.bookmark >= 1 && row.bookmark <= 3);
            ++rows;
        }
    } catch (const EXbaseError &) {
        refused = true;
    }
    QVERIFY2(refused || rows <= 3, "the row window walked past the table");
}

void TestSharedData::tablesOfAnotherCodePageAreNotWritten()
{
    createTable(m_dir->path(), QStringLiteral("DOS"), true);
    {
        auto ds = openTable(m_dir->path(), QStringLiteral("DOS"));
        add(*ds, QStringLiteral("1"), QStringLiteral("Alt"));
    }
    const QString path = m_dir->filePath(QStringLiteral("DOS.DBF"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(29));
    file.write("\x02", 1); // code page 850
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    auto ds = openTable(m_dir->path(), QStringLiteral("DOS"));
    QCOMPARE(ds->FieldByName(kName)->AsString(), QStringLiteral("Alt"));
    auto refused = [](const std::function<void()> &change) {
        try {
            change();
        } catch (const EXbaseError &e) {
            return QString::fromUtf8(e.what()).contains(QStringLiteral("code page 850"));
        }
        return false;
    };
    QVERIFY(refused([&] { ds->Edit(); }));
    QVERIFY(ds->state() == tk::DataSet::State::Browse);
    QVERIFY(refused([&] {
        ds->Append();
        ds->FieldByName(kName)->SetAsString(QStringLiteral("Neu"));
        ds->Post();
    }));
    ds->Cancel();
    ds->Close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestSharedData::folderWithUmlauts()
{
    const QString folder = m_dir->filePath(QStringLiteral("Bücher Ü"));
    QVERIFY(QDir().mkpath(folder));
    createTable(folder, QStringLiteral("BÜCHER"), true);
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/BÜCHER.DBF")));
    auto ds = openTable(folder, QStringLiteral("BÜCHER"));
    add(*ds, QStringLiteral("1"), QStringLiteral("Größe"));
    QVERIFY(ds->IndexTag(QString(), QStringLiteral("1"), QStringLiteral("INR"), 0, 0, QString()) != 0);
    ds->Close();
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/BÜCHER.CDX")));
    auto again = openTable(folder, QStringLiteral("BÜCHER.DBF"), QStringLiteral("1"));
    QVERIFY(again->Seek(QStringLiteral("1")));
    QCOMPARE(again->FieldByName(kName)->AsString(), QStringLiteral("Größe"));
    // A missing table in such a folder names the path as it is.
    TXbaseDataSet missing;
    missing.DatabaseName = folder;
    missing.SetTableName(QStringLiteral("FEHLT"));
    try {
        missing.Open();
        QFAIL("a missing table opened");
    } catch (const EXbaseError &e) {
        QVERIFY(QString::fromUtf8(e.what()).contains(QStringLiteral("Bücher Ü")));
    }
}

void TestSharedData::numbersUnderAGermanLocale()
{
    // The program runs with the user's locale; where it exists here, the C
    // library's number functions use the decimal comma.
    const char *saved = std::setlocale(LC_NUMERIC, nullptr);
    const std::string restore = saved ? saved : "C";
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    createTable(m_dir->path(), QStringLiteral("PREISE"), false);
    auto ds = openTable(m_dir->path(), QStringLiteral("PREISE"));
    ds->Append();
    ds->FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("1"));
    ds->FieldByName(QStringLiteral("PREIS"))->SetAsFloat(12.5);
    ds->Post();
    ds->First();
    QCOMPARE(ds->FieldByName(QStringLiteral("PREIS"))->AsFloat(), 12.5);
    QCOMPARE(ds->EvalString(QStringLiteral("STR(PREIS,8,2)")), QStringLiteral("   12.50"));
    QCOMPARE(ds->Query(QStringLiteral("PREIS>12.25")), 1);
    ds->Close();
    std::unique_ptr<xb::Table> table;
    QVERIFY(xb::Table::open(xb::Env::posix(), m_dir->filePath(QStringLiteral("PREISE.DBF")).toStdString(),
                            xb::OpenMode::ReadOnly, table));
    std::string record(table->recordLength(), '\0');
    QVERIFY(table->read(1, record.data()));
    const xb::FieldInfo &price = table->fields()[3];
    QCOMPARE(QString::fromStdString(record.substr(price.offset, price.width)), QStringLiteral("   12.50"));
    std::setlocale(LC_NUMERIC, restore.c_str());
    if (!german)
        qWarning("de_DE.UTF-8 is not installed: the numbers were checked in the C locale only");
}

TESSARON_TEST(TestSharedData)
#include "TestSharedData.moc"
