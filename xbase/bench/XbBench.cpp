// xbbench: the table engine against SQLite on the same work, side by side in
// one run. Builds a 200,000-record table shaped like the address table from
// deterministic pseudo-random names, then measures
//   - appends per second (table opened exclusive; SQLite: one transaction,
//     WAL, synchronous=NORMAL, one prepared INSERT),
//   - appends per second with the table opened shared (header lock per
//     append, every record written through at once),
//   - a full scan counting UPPER(FAMNAME)>="M".and.PLZ<="4999" (SQLite: the
//     same count through its C API; with Exact off the engine compares PLZ on
//     the constant's four characters, so SQLite compares substr(PLZ,1,4)),
//   - building tag 1 UPPER(FAMNAME+VORNAME) against CREATE INDEX on the same
//     expression, exact seeks, a walk in key order, and a range count that
//     the tag decides (best of three rounds each for the build and the count).
// Neither side syncs to disk inside the timings.
//
// Usage: xbbench [records] [directory]
#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxOrderSet.h"
#include "xbase/text/Codepage.h"
#include "xbase/api/Engine.h"
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Table.h"
#include "xbase/api/WorkArea.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace xb;

namespace {

struct Column {
    const char *name;
    char type;
    int width;
};

const std::vector<Column> kColumns = {
    {"FAMNAME", 'C', 37},  {"VORNAME", 'C', 37},   {"STRASSE", 'C', 37}, {"STAAT", 'C', 3},   {"PLZ", 'C', 6},
    {"ORT", 'C', 25},      {"TELNU", 'C', 24},     {"TELNU2", 'C', 24},  {"TELMOBIL", 'C', 24}, {"TELFAX", 'C', 24},
    {"BEMERKUNG", 'C', 100}, {"CONTACT1", 'D', 8}, {"CONTACTX", 'D', 8}, {"GEB_DAT", 'D', 8}, {"BABY", 'C', 15},
    {"SEX", 'C', 1},       {"TITEL", 'C', 18},     {"ANREDE", 'C', 30},  {"WWW", 'C', 50},    {"EMAIL", 'C', 25},
    {"FIDO", 'C', 15},     {"CIS", 'C', 11},       {"INR", 'C', 15},     {"SELECTED", 'C', 1}, {"WICHTIG", 'C', 1},
    {"L_UPDATE", 'D', 8},
};

// Deterministic generator (64-bit LCG, high bits).
struct Random {
    uint64_t state = 0x853c49e6748fea9bULL;
    uint32_t next()
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33);
    }
    uint32_t below(uint32_t n) { return next() % n; }
};

const char *kSyllables[] = {"M\xFC", "mei", "er", "schm", "idt", "sch", "ul", "ze", "wag", "ner", "be", "cker",
                            "ho", "ff", "ma", "nn", "k\xF6", "hl", "wei", "\xDF", "la", "ng", "rich", "ter",
                            "\xC4", "ber", "\xD6", "zt", "ba", "ck", "fi", "sch", "zi", "mm", "kr", "au"};
const char *kFirst[] = {"Anna", "J\xFCrgen", "Maria", "Klaus", "S\xF6ren", "Petra", "Hans", "Ute", "Karl", "Eva",
                        "Bj\xF6rn", "Lena", "Otto", "Greta", "Uwe", "Ilse"};
const char *kTowns[] = {"K\xF6ln", "M\xFCnchen", "Berlin", "Hamburg", "D\xFCsseldorf", "Essen", "Bremen", "Ulm"};

std::string name(Random &rnd)
{
    std::string s;
    const int parts = 2 + static_cast<int>(rnd.below(3));
    for (int i = 0; i < parts; ++i)
        s += kSyllables[rnd.below(sizeof kSyllables / sizeof *kSyllables)];
    s[0] = static_cast<char>(cp1252Upper(static_cast<unsigned char>(s[0])));
    return s;
}

std::string digits(Random &rnd, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + rnd.below(10));
    return s;
}

std::string date(Random &rnd)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04u%02u%02u", 1930 + rnd.below(90), 1 + rnd.below(12), 1 + rnd.below(28));
    return buf;
}

// One record's values in column order, Windows-1252.
std::vector<std::string> makeRow(Random &rnd, int i)
{
    std::vector<std::string> v(kColumns.size());
    v[0] = name(rnd);
    v[1] = kFirst[rnd.below(16)];
    v[2] = name(rnd) + "str. " + std::to_string(1 + rnd.below(200));
    v[3] = "D";
    v[4] = digits(rnd, 5);
    v[5] = kTowns[rnd.below(8)];
    v[6] = "0" + digits(rnd, 3) + "/" + digits(rnd, 6);
    v[8] = "01" + digits(rnd, 2) + "/" + digits(rnd, 7);
    v[10] = rnd.below(4) == 0 ? "Bemerkung zu " + v[0] : "";
    v[11] = date(rnd);
    v[13] = date(rnd);
    v[15] = rnd.below(2) ? "M" : "W";
    v[17] = v[15] == "M" ? "Herr" : "Frau";
    v[19] = v[1] + "@example.org";
    char inr[16];
    std::snprintf(inr, sizeof inr, "%015d", i);
    v[22] = inr;
    v[23] = " ";
    v[24] = " ";
    v[25] = date(rnd);
    return v;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

int die(const std::string &what)
{
    std::fprintf(stderr, "xbbench: %s\n", what.c_str());
    return 1;
}

bool sql(sqlite3 *db, const char *text)
{
    char *error = nullptr;
    if (sqlite3_exec(db, text, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "xbbench: sqlite: %s: %s\n", text, error ? error : "?");
        sqlite3_free(error);
        return false;
    }
    return true;
}

} // namespace

namespace {

// --- index figures: tag "1" against an SQLite index on the same expression ---

struct IndexFigures {
    double build = 0;      // seconds to build the index
    double seeks = 0;      // exact seeks per second
    double skip = 0;       // records per second, whole table in key order
    double range = 0;      // seconds for the range count
    int64_t rangeCount = 0;
    int64_t found = 0;
};

constexpr int kSeeks = 100000;
// Tag builds and range counts are short: each side's best of a few rounds,
// so that another process's moment on the CPU does not decide the ratio.
constexpr int kRounds = 3;

double best(int round, double sofar, double now) { return round == 0 ? now : std::min(sofar, now); }
const char *kRangeFilter = "UPPER(FAMNAME+VORNAME)>=\"M\".and.UPPER(FAMNAME+VORNAME)<\"Q\"";

bool indexBenchmarks(const std::string &path, const std::vector<std::vector<std::string>> &rows, sqlite3 *db,
                     IndexFigures &ours, IndexFigures &lite)
{
    // The keys to seek, in a random order, as both sides spell them.
    Random rnd;
    std::vector<std::size_t> picks(kSeeks);
    for (std::size_t &p : picks)
        p = rnd.below(uint32_t(rows.size()));
    auto padded = [](std::string s, std::size_t w) {
        s.resize(w, ' ');
        return s;
    };
    std::vector<std::string> keys, liteKeys;
    for (std::size_t p : picks) {
        keys.push_back(cp1252Upper(padded(rows[p][0], 37) + padded(rows[p][1], 37)));
        liteKeys.push_back(cp1252ToUtf8(rows[p][0] + rows[p][1]));
    }
    Status s;
    {
        std::unique_ptr<Table> t;
        if (!(s = Table::open(Env::posix(), path, OpenMode::Exclusive, t)))
            return die(s.toString()) == 0;
        std::unique_ptr<CdxIndex> index;
        if (!(s = CdxIndex::create(*t, EvalSettings(), index)))
            return die(s.toString()) == 0;
        for (int round = 0; round < kRounds; ++round) {
            const auto start = std::chrono::steady_clock::now();
            if (!(s = index->buildTag("1", "UPPER(FAMNAME+VORNAME)", "")))
                return die(s.toString()) == 0;
            ours.build = best(round, ours.build, seconds(start));
        }
    }
    Engine engine;
    int area = 0;
    if (!(s = engine.use(path, "ADRESS", OpenMode::Exclusive, &area)))
        return die(s.toString()) == 0;
    WorkArea &wa = *engine.area(area);
    CdxOrderSet &set = *wa.indexes();
    set.setCurrent(set.tagNumber("1"));
    wa.setOrder(set.order(set.current()));
    auto start = std::chrono::steady_clock::now();
    for (const std::string &k : keys) {
        bool found = false;
        if (!(s = wa.seek(k, &found)))
            return die(s.toString()) == 0;
        ours.found += found;
    }
    ours.seeks = kSeeks / seconds(start);
    start = std::chrono::steady_clock::now();
    int64_t n = 0;
    for (s = wa.goTop(); s && !wa.eof(); s = wa.skip(1))
        ++n;
    if (!s)
        return die(s.toString()) == 0;
    ours.skip = double(n) / seconds(start);
    for (int round = 0; round < kRounds; ++round) {
        start = std::chrono::steady_clock::now();
        if (!(s = wa.setFilter(kRangeFilter, &ours.rangeCount)))
            return die(s.toString()) == 0;
        ours.range = best(round, ours.range, seconds(start));
    }

    // SQLite: an index on the same expression, the same look-ups and count.
    for (int round = 0; round < kRounds; ++round) {
        if (round > 0 && !sql(db, "DROP INDEX adress1"))
            return false;
        start = std::chrono::steady_clock::now();
        if (!sql(db, "CREATE INDEX adress1 ON adress(upper(FAMNAME || VORNAME))"))
            return false;
        lite.build = best(round, lite.build, seconds(start));
    }
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM adress WHERE upper(FAMNAME || VORNAME) = upper(?1) LIMIT 1", -1,
                           &stmt, nullptr) != SQLITE_OK)
        return die("sqlite: prepare failed") == 0;
    start = std::chrono::steady_clock::now();
    for (const std::string &k : liteKeys) {
        sqlite3_bind_text(stmt, 1, k.data(), int(k.size()), SQLITE_STATIC);
        lite.found += sqlite3_step(stmt) == SQLITE_ROW;
        sqlite3_reset(stmt);
    }
    lite.seeks = kSeeks / seconds(start);
    sqlite3_finalize(stmt);
    if (sqlite3_prepare_v2(db, "SELECT * FROM adress ORDER BY upper(FAMNAME || VORNAME)", -1, &stmt, nullptr) !=
        SQLITE_OK)
        return die("sqlite: prepare failed") == 0;
    start = std::chrono::steady_clock::now();
    n = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        ++n;
    lite.skip = double(n) / seconds(start);
    sqlite3_finalize(stmt);
    if (sqlite3_prepare_v2(db,
                           "SELECT count(*) FROM adress WHERE upper(FAMNAME || VORNAME) >= 'M' AND "
                           "upper(FAMNAME || VORNAME) < 'Q'",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return die("sqlite: prepare failed") == 0;
    for (int round = 0; round < kRounds; ++round) {
        start = std::chrono::steady_clock::now();
        if (sqlite3_step(stmt) == SQLITE_ROW)
            lite.rangeCount = sqlite3_column_int64(stmt, 0);
        lite.range = best(round, lite.range, seconds(start));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return true;
}

void printIndexFigures(const IndexFigures &ours, const IndexFigures &lite)
{
    std::printf("%-34s %14.3f %14.3f %8.2f\n", "build tag \"1\" / CREATE INDEX, s", ours.build, lite.build,
                lite.build / ours.build);
    std::printf("%-34s %14.0f %14.0f %8.2f\n", "exact seeks/s (100,000 random)", ours.seeks, lite.seeks,
                ours.seeks / lite.seeks);
    std::printf("%-34s %14lld %14lld %8s\n", "seeks that found their key", static_cast<long long>(ours.found),
                static_cast<long long>(lite.found), ours.found == lite.found ? "same" : "DIFFER");
    std::printf("%-34s %14.0f %14.0f %8.2f\n", "skip in key order, records/s", ours.skip, lite.skip,
                ours.skip / lite.skip);
    std::printf("%-34s %14.4f %14.4f %8.2f\n", "range count on tag 1, s", ours.range, lite.range,
                lite.range / ours.range);
    std::printf("%-34s %14lld %14lld %8s\n", "records in the range", static_cast<long long>(ours.rangeCount),
                static_cast<long long>(lite.rangeCount), ours.rangeCount == lite.rangeCount ? "same" : "DIFFER");
    std::printf("(time ratios are SQLite / xbase: above 1 means the engine is faster)\n");
    std::printf("range: %s\n", kRangeFilter);
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 200000;
    std::string dir = argc > 2 ? argv[2] : "";
    if (count <= 0)
        return die("usage: xbbench [records] [directory]");
    bool ownDir = false;
    if (dir.empty()) {
        char pattern[] = "/tmp/xbbench-XXXXXX";
        if (!::mkdtemp(pattern))
            return die("cannot make a temporary directory");
        dir = pattern;
        ownDir = true;
    }
#ifndef NDEBUG
    std::printf("warning: built without NDEBUG; figures are not representative\n");
#endif
    Random rnd;
    std::vector<std::vector<std::string>> rows;
    rows.reserve(count);
    for (int i = 1; i <= count; ++i)
        rows.push_back(makeRow(rnd, i));
    std::printf("%d records shaped like ADRESS in %s\n\n", count, dir.c_str());

    // --- the engine, exclusive --------------------------------------------
    const std::string path = dir + "/ADRESS.DBF";
    std::vector<FieldSpec> specs;
    for (const Column &c : kColumns)
        specs.push_back({c.name, c.type, c.width, 0});
    Status s = Table::create(Env::posix(), path, specs, {});
    if (!s)
        return die(s.toString());
    double ourAppend = 0;
    {
        std::unique_ptr<Table> t;
        if (!(s = Table::open(Env::posix(), path, OpenMode::Exclusive, t)))
            return die(s.toString());
        const std::string blank = t->blankRecord();
        std::string r;
        const auto start = std::chrono::steady_clock::now();
        for (const auto &row : rows) {
            r = blank;
            for (std::size_t f = 0; f < row.size(); ++f)
                if (!row[f].empty() && !(s = FieldCodec::setText(*t, int(f), r.data(), row[f])))
                    return die(s.toString());
            uint32_t recno = 0;
            if (!(s = t->append(r.data(), &recno)))
                return die(s.toString());
        }
        if (!(s = t->flush()))
            return die(s.toString());
        ourAppend = count / seconds(start);
    }

    // --- the engine, shared appends ----------------------------------------
    double sharedAppend = 0;
    {
        const std::string sharedPath = dir + "/SHARED.DBF";
        if (!(s = Table::create(Env::posix(), sharedPath, specs, {})))
            return die(s.toString());
        std::unique_ptr<Table> t;
        if (!(s = Table::open(Env::posix(), sharedPath, OpenMode::Shared, t)))
            return die(s.toString());
        const int n = std::min(count, 50000);
        const std::string blank = t->blankRecord();
        std::string r;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i) {
            r = blank;
            for (std::size_t f = 0; f < rows[i].size(); ++f)
                if (!rows[i][f].empty())
                    FieldCodec::setText(*t, int(f), r.data(), rows[i][f]);
            uint32_t recno = 0;
            if (!(s = t->append(r.data(), &recno)))
                return die(s.toString());
        }
        sharedAppend = n / seconds(start);
    }

    // --- the engine, filtered scan ------------------------------------------
    const char *filter = "UPPER(FAMNAME)>=\"M\".and.PLZ<=\"4999\"";
    double ourScan = 0;
    int64_t ourCount = 0;
    {
        Engine engine;
        int area = 0;
        if (!(s = engine.use(path, "ADRESS", OpenMode::Exclusive, &area)))
            return die(s.toString());
        const auto start = std::chrono::steady_clock::now();
        if (!(s = engine.area(area)->setFilter(filter, &ourCount)))
            return die(s.toString());
        ourScan = count / seconds(start);
    }

    // --- SQLite ---------------------------------------------------------------
    const std::string dbPath = dir + "/adress.sqlite";
    sqlite3 *db = nullptr;
    if (sqlite3_open(dbPath.c_str(), &db) != SQLITE_OK)
        return die("sqlite: cannot open " + dbPath);
    std::string create = "CREATE TABLE adress (";
    std::string insert = "INSERT INTO adress VALUES (";
    for (std::size_t c = 0; c < kColumns.size(); ++c) {
        create += std::string(c ? ", " : "") + kColumns[c].name + " TEXT";
        insert += c ? ", ?" : "?";
    }
    create += ")";
    insert += ")";
    if (!sql(db, "PRAGMA journal_mode=WAL") || !sql(db, "PRAGMA synchronous=NORMAL") || !sql(db, create.c_str()))
        return 1;
    std::vector<std::vector<std::string>> utf8(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (const std::string &v : rows[i])
            utf8[i].push_back(cp1252ToUtf8(v));
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        return die("sqlite: prepare failed");
    auto start = std::chrono::steady_clock::now();
    sql(db, "BEGIN");
    for (const auto &row : utf8) {
        for (std::size_t c = 0; c < row.size(); ++c)
            sqlite3_bind_text(stmt, int(c) + 1, row[c].data(), int(row[c].size()), SQLITE_STATIC);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            return die(std::string("sqlite: insert failed: ") + sqlite3_errmsg(db));
        sqlite3_reset(stmt);
    }
    sql(db, "COMMIT");
    const double liteAppend = count / seconds(start);
    sqlite3_finalize(stmt);

    const char *query = "SELECT count(*) FROM adress WHERE upper(FAMNAME) >= 'M' AND substr(PLZ, 1, 4) <= '4999'";
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) != SQLITE_OK)
        return die("sqlite: prepare failed");
    start = std::chrono::steady_clock::now();
    int64_t liteCount = -1;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        liteCount = sqlite3_column_int64(stmt, 0);
    const double liteScan = count / seconds(start);
    sqlite3_finalize(stmt);

    IndexFigures ours, lite;
    if (!indexBenchmarks(path, rows, db, ours, lite))
        return 1;
    sqlite3_close(db);

    std::printf("%-34s %14s %14s %8s\n", "", "xbase", "SQLite", "ratio");
    std::printf("%-34s %14.0f %14.0f %8.2f\n", "appends/s (exclusive; 1 txn)", ourAppend, liteAppend,
                ourAppend / liteAppend);
    std::printf("%-34s %14.0f %14s %8s\n", "appends/s (shared, header lock)", sharedAppend, "-", "-");
    std::printf("%-34s %14.0f %14.0f %8.2f\n", "filtered scan, records/s", ourScan, liteScan, ourScan / liteScan);
    std::printf("%-34s %14lld %14lld %8s\n", "matching records", static_cast<long long>(ourCount),
                static_cast<long long>(liteCount), ourCount == liteCount ? "same" : "DIFFER");
    printIndexFigures(ours, lite);
    std::printf("\nfilter: %s\n", filter);
    if (ownDir)
        std::filesystem::remove_all(dir);
    return ourCount == liteCount && ours.rangeCount == lite.rangeCount ? 0 : 1;
}
