// dsbench: what a window asks of the table dataset on a large table. Builds
// a 200,000-address table, then times opening it, a grid page around the
// middle of tag 1 (the first one includes building the row list), and
// Locate on a 10,000-name lookup table.
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "xbase/api/XbApi.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kAddresses = 200000;
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

void fill(const QString &path, const char *fieldName, int count, std::mt19937 &random)
{
    xb_Use(path.toLocal8Bit().constData(), "FILL", XB_EXCLUSIVE, XB_CDX);
    const int size = xb_RecSize();
    const int offset = xb_FieldOffset(fieldName) - 1;
    const int width = xb_FieldWidth(fieldName);
    std::vector<char> record(static_cast<std::size_t>(size));
    for (int i = 0; i < count; ++i) {
        std::fill(record.begin(), record.end(), ' ');
        const std::string name = pseudoName(random);
        std::memcpy(record.data() + offset, name.data(), std::min<std::size_t>(name.size(), width));
        xb_AppendBlank();
        xb_PutRecord(record.data());
    }
    xb_Commit();
    xb_Close();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::mt19937 random(20261209);
    const QString adress = schema::tablePath(dir.path(), QStringLiteral("ADRESS"), QStringLiteral("DBF"));
    const QString sex = schema::tablePath(dir.path(), QStringLiteral("SEX"), QStringLiteral("DBF"));
    schema::createTable(schema::kAdress, adress);
    schema::createTable(schema::kSex, sex);
    fill(adress, "FAMNAME", kAddresses, random);
    fill(sex, "NAME", kNames, random);
    {
        TXbaseDataSet t;
        t.DatabaseName = dir.path();
        t.SetTableName(QStringLiteral("ADRESS.DBF"));
        t.Open();
        t.IndexTag(QString(), QStringLiteral("1"), QStringLiteral("UPPER(FAMNAME+VORNAME)"), 0, 0, QString());
    }

    QElapsedTimer timer;
    timer.start();
    TXbaseDataSet table;
    table.DatabaseName = dir.path();
    table.SetTableName(QStringLiteral("ADRESS.DBF"));
    table.SetIndexName(QStringLiteral("1"));
    table.Open();
    const double openMs = timer.nsecsElapsed() / 1e6;

    tk::RecordBuffer row;
    auto page = [&](int first) {
        QElapsedTimer t;
        t.start();
        for (int r = first; r < first + kPage; ++r)
            table.FetchRow(r, row);
        return t.nsecsElapsed() / 1e6;
    };
    const int middle = table.RowCount() / 2;
    const double firstPage = page(middle);
    timer.restart();
    table.MoveToRow(middle);
    const double move = timer.nsecsElapsed() / 1e6;
    const double secondPage = page(middle + 100);

    TXbaseDataSet names;
    names.DatabaseName = dir.path();
    names.SetTableName(QStringLiteral("SEX.DBF"));
    names.Open();
    timer.restart();
    int found = 0;
    constexpr int kLocates = 50;
    std::mt19937 again(7);
    for (int i = 0; i < kLocates; ++i)
        found += names.Locate(QStringLiteral("NAME"), {QString::fromStdString(pseudoName(again))}) ? 1 : 0;
    const double locateMs = timer.nsecsElapsed() / 1e6 / kLocates;

    std::printf("dsbench: %d addresses, tag 1 UPPER(FAMNAME+VORNAME)\n", kAddresses);
    std::printf("  open with tag 1                     %8.2f ms\n", openMs);
    std::printf("  first grid page (30 rows, row list) %8.2f ms\n", firstPage);
    std::printf("  move to the middle row              %8.2f ms\n", move);
    std::printf("  next grid page (30 rows)            %8.2f ms\n", secondPage);
    std::printf("  Locate on %d names (%d found)    %8.2f ms each\n", kNames, found, locateMs);
    return 0;
}
