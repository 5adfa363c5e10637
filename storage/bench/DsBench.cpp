// dsbench: what a window asks of the table dataset on a large table. Builds
// an address table of N records (200,000 unless given) with tag 1, then
// times what a grid does on it: the first page after opening, after a jump
// to the middle and to the end, after a seek, after a query, after an append
// by another work area (as another program would append), and Locate on a
// 10,000-name lookup table. Prints the resident memory at the end.
//
// Usage: dsbench [records] [directory]
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "xbase/api/XbApi.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kNames = 10000;
constexpr int kPage = 30;

std::string pseudoName(std::mt19937 &random)
{
    static const char *syllables[] = {"an", "ber", "ch", "de", "el", "fa", "gen", "hol", "in", "ka",
                                      "lo", "mar", "ne", "or", "pe", "ri", "sch", "tu", "vo", "wei"};
    std::string s;
    const int parts = 2 + static_cast<int>(random() % 3);
    for (int i = 0; i < parts; ++i)
        s += syllables[random() % 20];
    s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

void put(std::vector<char> &record, const char *field, const std::string &text)
{
    const int offset = xb_FieldOffset(field) - 1;
    const int width = xb_FieldWidth(field);
    std::memcpy(record.data() + offset, text.data(), std::min<std::size_t>(text.size(), width));
}

void fill(const QString &path, const char *fieldName, int count, std::mt19937 &random)
{
    xb_Use(path.toLocal8Bit().constData(), "FILL", XB_EXCLUSIVE, XB_CDX);
    std::vector<char> record(static_cast<std::size_t>(xb_RecSize()));
    const bool address = std::strcmp(fieldName, "FAMNAME") == 0;
    for (int i = 0; i < count; ++i) {
        std::fill(record.begin(), record.end(), ' ');
        put(record, fieldName, pseudoName(random));
        if (address) {
            put(record, "VORNAME", pseudoName(random));
            put(record, "ORT", pseudoName(random));
            char inr[16];
            std::snprintf(inr, sizeof inr, "%015d", i + 1);
            put(record, "INR", inr);
        }
        xb_AppendBlank();
        xb_PutRecord(record.data());
    }
    xb_Commit();
    xb_Close();
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// What a grid does to show a page: the row count, the current row, the
// rows of the page.
struct Grid {
    TXbaseDataSet &table;
    tk::RecordBuffer row;
    int rows = 0;

    void page(int first)
    {
        rows = table.RowCount();
        table.CurrentRow();
        for (int r = std::max(0, first); r < std::min(rows, first + kPage); ++r)
            table.FetchRow(r, row);
    }
    // The page a grid scrolls to for the current record.
    void pageAtCurrent()
    {
        rows = table.RowCount();
        const int current = table.CurrentRow();
        page(std::min(current, rows - kPage));
    }
};

double ms(QElapsedTimer &timer)
{
    const double v = timer.nsecsElapsed() / 1e6;
    timer.restart();
    return v;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 200000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: dsbench [records] [directory]\n");
        return 1;
    }
    QTemporaryDir temporary;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    QDir().mkpath(dir);
    std::mt19937 random(20261209);
    const QString adress = schema::tablePath(dir, QStringLiteral("ADRESS"), QStringLiteral("DBF"));
    const QString sex = schema::tablePath(dir, QStringLiteral("SEX"), QStringLiteral("DBF"));
    schema::createTable(schema::kAdress, adress);
    schema::createTable(schema::kSex, sex);
    fill(adress, "FAMNAME", count, random);
    fill(sex, "NAME", kNames, random);
    QElapsedTimer timer;
    timer.start();
    {
        TXbaseDataSet t;
        t.DatabaseName = dir;
        t.SetTableName(QStringLiteral("ADRESS.DBF"));
        t.SetExclusive(true);
        t.Open();
        t.IndexTag(QString(), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME+VORNAME)"), 0, 0, QString());
    }
    const double buildMs = ms(timer);

    // The address window's settings: deleted records hidden, tag 1.
    TXbaseDataSet table;
    table.DatabaseName = dir;
    table.SetTableName(QStringLiteral("ADRESS.DBF"));
    table.SetIndexName(QStringLiteral("1"));
    table.SetHideDeleted(true);
    Grid grid{table, {}, 0};
    timer.restart();
    table.Open();
    const double openMs = ms(timer);
    grid.page(0);
    const double firstPage = ms(timer);
    table.MoveToRow(grid.rows / 2);
    grid.pageAtCurrent();
    const double middle = ms(timer);
    grid.page(grid.table.CurrentRow() + kPage);
    const double nextPage = ms(timer);
    table.Last();
    grid.pageAtCurrent();
    const double end = ms(timer);
    table.First();
    grid.pageAtCurrent();
    const double top = ms(timer);
    table.Seek(QStringLiteral("MAR"));
    grid.pageAtCurrent();
    const double seek = ms(timer);

    // Another work area appends, as another program on the same files.
    {
        const int area = xb_Use((dir + QStringLiteral("/ADRESS.DBF")).toLocal8Bit().constData(), "OTHER",
                                XB_SHARED, XB_CDX);
        std::vector<char> record(static_cast<std::size_t>(xb_RecSize()), ' ');
        xb_Select(area);
        put(record, "FAMNAME", "Zyklop");
        xb_AppendBlank();
        xb_PutRecord(record.data());
        xb_Commit();
        xb_Close();
    }
    timer.restart();
    grid.page(grid.table.CurrentRow());
    const double afterAppend = ms(timer);

    const int found = table.Query(QStringLiteral(".T..and.UPPER(FAMNAME+VORNAME)>=\"M\".and.UPPER(FAMNAME+VORNAME)<=\"P\""));
    const double queryMs = ms(timer);
    grid.page(0);
    const double queryPage = ms(timer);
    table.Last();
    grid.pageAtCurrent();
    const double queryEnd = ms(timer);
    table.Query(QString());
    timer.restart();

    TXbaseDataSet names;
    names.DatabaseName = dir;
    names.SetTableName(QStringLiteral("SEX.DBF"));
    names.Open();
    timer.restart();
    int located = 0;
    constexpr int kLocates = 50;
    std::mt19937 again(7);
    for (int i = 0; i < kLocates; ++i)
        located += names.Locate(QStringLiteral("NAME"), {QString::fromStdString(pseudoName(again))}) ? 1 : 0;
    const double locateMs = timer.nsecsElapsed() / 1e6 / kLocates;

    std::printf("dsbench: %d addresses, tag 1 UPPER(FAMNAME+VORNAME), deleted records hidden\n", count);
    std::printf("  build tag 1                               %9.2f ms\n", buildMs);
    std::printf("  open with tag 1                           %9.2f ms\n", openMs);
    std::printf("  first grid page (30 rows)                 %9.2f ms\n", firstPage);
    std::printf("  move to the middle, its page              %9.2f ms\n", middle);
    std::printf("  next grid page (30 rows)                  %9.2f ms\n", nextPage);
    std::printf("  move to the end, its page                 %9.2f ms\n", end);
    std::printf("  back to the top, its page                 %9.2f ms\n", top);
    std::printf("  seek \"MAR\", its page                      %9.2f ms\n", seek);
    std::printf("  page after another program's append       %9.2f ms\n", afterAppend);
    std::printf("  query M..P on tag 1 (%7d found)        %9.2f ms\n", found, queryMs);
    std::printf("  first grid page of the query              %9.2f ms\n", queryPage);
    std::printf("  end of the query, its page                %9.2f ms\n", queryEnd);
    std::printf("  Locate on %d names (%d found)          %9.2f ms each\n", kNames, located, locateMs);
    std::printf("  resident memory                           %9.1f MB\n", residentMb());
    return 0;
}
