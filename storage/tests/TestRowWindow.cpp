// The dataset's row window on real tables: rows in tag order without a list
// of every record, large and small tables, hidden deleted records, changes by
// this dataset and by another process, order and query changes.
#include "storage/TXbaseDataSet.h"
#include "toolkit/controls/DBGridModel.h"
#include "xbase/api/XbApi.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <numeric>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "testing/TestRegistry.h"

namespace {

// More records than the window counts and walks exactly.
constexpr int kLarge = 30000;
constexpr int kSmall = 300;

QString nameOf(int n) { return QStringLiteral("N%1").arg(n, 5, 10, QLatin1Char('0')); }

// A table PEOPLE (NAME, CITY) whose record i holds the name of a shuffled
// number and the city of its reverse, with tags NAME and CITY; `deleted`
// lists names whose records are marked deleted.
void makePeople(const QString &dir, int count, const std::vector<int> &deleted = {})
{
    const std::string path = (dir + QStringLiteral("/PEOPLE.DBF")).toStdString();
    QVERIFY(xb_CreateNew(path.c_str(), "MAKE", XB_CDX, 2) > 0);
    xb_CreateField("NAME", "C", 10, 0);
    xb_CreateField("CITY", "C", 10, 0);
    QVERIFY(xb_CreateExec());
    const int area = xb_Use(path.c_str(), "MAKE", XB_EXCLUSIVE, XB_CDX);
    QVERIFY(area > 0);
    std::vector<int> numbers(static_cast<std::size_t>(count));
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
    std::vector<char> record(static_cast<std::size_t>(xb_RecSize()), ' ');
    for (int n : numbers) {
        std::fill(record.begin(), record.end(), ' ');
        const std::string name = nameOf(n).toStdString();
        const std::string city = QStringLiteral("C%1").arg(count - 1 - n, 5, 10, QLatin1Char('0')).toStdString();
        std::memcpy(record.data() + xb_FieldOffset("NAME") - 1, name.data(), name.size());
        std::memcpy(record.data() + xb_FieldOffset("CITY") - 1, city.data(), city.size());
        record[0] = std::find(deleted.begin(), deleted.end(), n) != deleted.end() ? '*' : ' ';
        QVERIFY(xb_AppendBlank());
        QVERIFY(xb_PutRecord(record.data()));
    }
    QVERIFY(xb_IndexTag("", "NAME", "NAME", 0, 0, ""));
    QVERIFY(xb_IndexTag("", "CITY", "CITY", 0, 0, ""));
    xb_Close();
}

std::unique_ptr<TXbaseDataSet> openPeople(const QString &dir, const QString &tag)
{
    auto ds = std::make_unique<TXbaseDataSet>();
    ds->DatabaseName = dir;
    ds->SetTableName(QStringLiteral("PEOPLE.DBF"));
    ds->SetIndexName(tag);
    ds->Open();
    return ds;
}

QString rowName(TXbaseDataSet &ds, int row)
{
    tk::RecordBuffer buffer;
    if (!ds.FetchRow(row, buffer))
        return QString();
    return buffer.values[0].toString();
}

// The current record is the one its row shows.
bool currentRowShowsCurrent(TXbaseDataSet &ds)
{
    tk::RecordBuffer buffer;
    const int row = ds.CurrentRow();
    return row >= 0 && ds.FetchRow(row, buffer) && buffer.bookmark == ds.RecNo();
}

void appendNames(const QString &dir, const QStringList &names)
{
    const int area = xb_Use((dir + QStringLiteral("/PEOPLE.DBF")).toLocal8Bit().constData(), "CHILD", XB_SHARED, XB_CDX);
    xb_Select(area);
    for (const QString &name : names) {
        xb_AppendBlank();
        xb_Replace("NAME", XB_REPLACE_TEXT, name.toLatin1().constData());
        xb_Commit();
    }
    xb_Close();
}

// Runs `child` in a forked process and waits until it has done its work.
void inAnotherProcess(const std::function<void()> &child)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        child();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace

class TestRowWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsOfALargeTableFollowTheTagBothWays();
    void hiddenDeletedRecordsAreFoundAtTheEnds();
    void editsInsertsAndDeletesKeepTheCurrentRow();
    void anotherProcessAppendsAndMovesKeys();
    void orderQueryAndDeletedRecordsOnASmallTable();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRowWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestRowWindow::cleanup()
{
    xb_SetDeleted(0);
    xb_CloseAll();
    m_dir.reset();
}

void TestRowWindow::rowsOfALargeTableFollowTheTagBothWays()
{
    makePeople(m_dir->path(), kLarge);
    auto ds = openPeople(m_dir->path(), QStringLiteral("NAME"));
    QCOMPARE(ds->RowCount(), kLarge);
    // Row by row from the top and back from the end: every record once,
    // in key order.
    for (int r = 0; r < kLarge; ++r)
        QCOMPARE(rowName(*ds, r), nameOf(r));
    QVERIFY(rowName(*ds, kLarge).isEmpty());
    for (int r = kLarge - 1; r >= 0; r -= 7)
        QCOMPARE(rowName(*ds, r), nameOf(r));

    // A jump lands near its relative place (the scroll bar stays
    // proportional); the rows around it are consecutive.
    auto fresh = openPeople(m_dir->path(), QStringLiteral("NAME"));
    fresh->MoveToRow(kLarge / 2);
    QCOMPARE(fresh->CurrentRow(), kLarge / 2);
    const int landed = rowName(*fresh, kLarge / 2).mid(1).toInt();
    QVERIFY2(std::abs(landed - kLarge / 2) < kLarge / 50, qPrintable(QString::number(landed)));
    for (int i = -40; i <= 40; ++i)
        QCOMPARE(rowName(*fresh, kLarge / 2 + i), nameOf(landed + i));
    QVERIFY(currentRowShowsCurrent(*fresh));

    fresh->Last();
    QCOMPARE(fresh->CurrentRow(), kLarge - 1);
    QCOMPARE(rowName(*fresh, kLarge - 1), nameOf(kLarge - 1));
    fresh->First();
    QCOMPARE(fresh->CurrentRow(), 0);
    QVERIFY(fresh->Seek(QStringLiteral("N20000")));
    const int seekRow = fresh->CurrentRow();
    QVERIFY2(std::abs(seekRow - 20000) < kLarge / 50, qPrintable(QString::number(seekRow)));
    QVERIFY(currentRowShowsCurrent(*fresh));
    QCOMPARE(rowName(*fresh, seekRow + 1), QStringLiteral("N20001"));
}

void TestRowWindow::hiddenDeletedRecordsAreFoundAtTheEnds()
{
    std::vector<int> deleted;
    for (int n = 0; n < 10; ++n)
        deleted.push_back(n);
    for (int n = kLarge - 100; n < kLarge; ++n)
        deleted.push_back(n);
    makePeople(m_dir->path(), kLarge, deleted);
    auto ds = openPeople(m_dir->path(), QStringLiteral("NAME"));
    ds->SetHideDeleted(true);
    tk::DataSource source;
    source.SetDataSet(ds.get());
    tk::DBGridModel grid;
    grid.SetDataSource(&source);
    // The index counts the hidden records too; the ends are exact anyway.
    QVERIFY(ds->RowCount() >= kLarge - 110);
    ds->Last();
    QCOMPARE(ds->CurrentRow(), ds->RowCount() - 1);
    QCOMPARE(rowName(*ds, ds->CurrentRow()), nameOf(kLarge - 101));
    ds->First();
    QCOMPARE(ds->CurrentRow(), 0);
    QCOMPARE(rowName(*ds, 0), nameOf(10));
    // Walking the rows to the end finds how many there are, and the grid
    // learns it.
    int rows = 0;
    while (!rowName(*ds, rows).isEmpty()) {
        QCOMPARE(rowName(*ds, rows), nameOf(rows + 10));
        ++rows;
    }
    QCOMPARE(rows, kLarge - 110);
    QCOMPARE(ds->RowCount(), kLarge - 110);
    QCoreApplication::processEvents();
    QCOMPARE(grid.rowCount(), kLarge - 110);
    QCOMPARE(ds->QueryRecCount(), kLarge - 110);
}

void TestRowWindow::editsInsertsAndDeletesKeepTheCurrentRow()
{
    makePeople(m_dir->path(), kLarge);
    auto ds = openPeople(m_dir->path(), QStringLiteral("NAME"));
    ds->MoveToRow(kLarge / 2);
    // A changed key moves the record to its new row.
    ds->Edit();
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("A"));
    ds->Post();
    QCOMPARE(ds->CurrentRow(), 0);
    QVERIFY(currentRowShowsCurrent(*ds));
    QCOMPARE(rowName(*ds, 1), nameOf(0));

    ds->Append();
    ds->FieldByName(QStringLiteral("NAME"))->SetAsString(QStringLiteral("Z"));
    ds->Post();
    QCOMPARE(ds->RowCount(), kLarge + 1);
    QCOMPARE(ds->CurrentRow(), kLarge);
    QCOMPARE(rowName(*ds, kLarge), QStringLiteral("Z"));

    // A deleted record vanishes; the dataset stands on the new last row.
    ds->SetHideDeleted(true);
    ds->Delete();
    QCOMPARE(ds->FieldByName(QStringLiteral("NAME"))->AsString(), nameOf(kLarge - 1));
    QCOMPARE(ds->CurrentRow(), ds->RowCount() - 1);
    QVERIFY(currentRowShowsCurrent(*ds));
    QVERIFY(rowName(*ds, ds->RowCount()).isEmpty());
}

void TestRowWindow::anotherProcessAppendsAndMovesKeys()
{
    makePeople(m_dir->path(), kLarge);
    auto ds = openPeople(m_dir->path(), QStringLiteral("NAME"));
    tk::DataSource source;
    source.SetDataSet(ds.get());
    tk::DBGridModel grid;
    grid.SetDataSource(&source);
    QCOMPARE(ds->RowCount(), kLarge);
    ds->Last();
    QCOMPARE(ds->CurrentRow(), kLarge - 1);

    const QString dir = m_dir->path();
    inAnotherProcess([dir] { appendNames(dir, {QStringLiteral("ZZ1"), QStringLiteral("ZZ2"), QStringLiteral("ZZ3")}); });
    // No refresh: the next look at the rows sees the appends.
    QCOMPARE(ds->RowCount(), kLarge + 3);
    QCOMPARE(rowName(*ds, kLarge + 2), QStringLiteral("ZZ3"));
    QCOMPARE(ds->CurrentRow(), kLarge - 1);
    QCoreApplication::processEvents();
    QCOMPARE(grid.rowCount(), kLarge + 3);

    // Another process gives the first record a key at the end.
    inAnotherProcess([dir] {
        const int area = xb_Use((dir + QStringLiteral("/PEOPLE.DBF")).toLocal8Bit().constData(), "CHILD", XB_SHARED, XB_CDX);
        xb_Select(area);
        xb_SetOrder(xb_TagArea("NAME"));
        xb_GoTop();
        xb_Rlock(xb_RecNo());
        xb_Replace("NAME", XB_REPLACE_TEXT, "ZZ0");
        xb_Commit();
        xb_Close();
    });
    QCOMPARE(rowName(*ds, 0), nameOf(1));
    QCOMPARE(rowName(*ds, kLarge - 1), QStringLiteral("ZZ0"));
}

void TestRowWindow::orderQueryAndDeletedRecordsOnASmallTable()
{
    makePeople(m_dir->path(), kSmall, {5});
    auto ds = openPeople(m_dir->path(), QStringLiteral("NAME"));
    ds->SetHideDeleted(true);
    // Small tables are counted exactly, hidden records included.
    QCOMPARE(ds->RowCount(), kSmall - 1);
    QCOMPARE(rowName(*ds, 5), nameOf(6));

    ds->SetIndexName(QStringLiteral("CITY"));
    QCOMPARE(rowName(*ds, 0), nameOf(kSmall - 1));
    QCOMPARE(rowName(*ds, kSmall - 2), nameOf(0));
    QVERIFY(currentRowShowsCurrent(*ds));

    QCOMPARE(ds->Query(QStringLiteral("NAME>=\"N00100\".and.NAME<\"N00200\"")), 100);
    QCOMPARE(ds->RowCount(), 100);
    QCOMPARE(rowName(*ds, 0), nameOf(199));
    QCOMPARE(rowName(*ds, 99), nameOf(100));
    QVERIFY(rowName(*ds, 100).isEmpty());
    QCOMPARE(ds->CurrentRow(), 0);
    ds->SetIndexName(QStringLiteral("NAME"));
    QCOMPARE(rowName(*ds, 0), nameOf(100));

    ds->Query(QString());
    QCOMPARE(ds->RowCount(), kSmall - 1);
    ds->SetIndexName(QString());
    QCOMPARE(ds->RowCount(), kSmall - 1);
    QVERIFY(currentRowShowsCurrent(*ds));
}

TESSARON_TEST(TestRowWindow)

#include "TestRowWindow.moc"
