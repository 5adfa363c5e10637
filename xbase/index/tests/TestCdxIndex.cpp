// The structural index against real files: fixtures written by other
// programs, tags built here, upkeep on record changes, rebuilds.
#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxKey.h"
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"

#include "xbase/testing/CdxTestUtil.h"
#include "xbase/testing/FailingEnv.h"

#include <iostream>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <sys/wait.h>

using namespace xb;
using xbtest::TempDir;

namespace {

struct Opened {
    std::unique_ptr<Table> table;
    std::unique_ptr<CdxIndex> index;
};

Opened openTable(const std::string &path, OpenMode mode = OpenMode::Shared)
{
    Opened o;
    Status s = Table::open(Env::posix(), path, mode, o.table);
    EXPECT_TRUE(s) << s.toString();
    if (!s)
        return o;
    s = CdxIndex::open(*o.table, EvalSettings(), o.index);
    EXPECT_TRUE(s) << s.toString();
    return o;
}

std::map<std::string, CdxTagReport> reportsOf(CdxIndex &index)
{
    std::vector<CdxTagReport> reports;
    Status s = index.check(reports);
    EXPECT_TRUE(s) << s.toString();
    std::map<std::string, CdxTagReport> out;
    for (auto &r : reports)
        out[r.tag] = r;
    return out;
}

std::string describe(const CdxTagReport &r)
{
    std::string s = r.tag + ": " + std::to_string(r.keys) + " keys";
    for (auto &d : r.damage)
        s += "; DAMAGE " + d;
    if (r.foreignOrder)
        s += "; ORDER " + r.orderNote;
    for (auto &n : r.notes)
        s += "; note " + n;
    return s;
}

} // namespace

namespace {

struct FixtureCase {
    std::string folder, table;
    std::set<std::string> foreign; // tags not in byte order
    std::set<std::string> damaged; // tags check() must find wrong
};

// Seeks every record's key (up to `limit` records) in a byte-ordered tag,
// through the text a caller would type where the tag has a readable type.
void seekEveryKey(Opened &o, int t, uint32_t limit)
{
    CdxIndex &ix = *o.index;
    CdxTag *tag = ix.tag(t);
    uint32_t count = 0;
    ASSERT_TRUE(o.table->recordCount(&count));
    std::string rec(o.table->recordLength(), ' '), key;
    uint32_t step = std::max<uint32_t>(1, count / limit);
    CdxFile::ReadScope scope(&ix.file());
    for (uint32_t r = 1; r <= count; r += step) {
        ASSERT_TRUE(o.table->read(r, rec.data()));
        bool included = true;
        ASSERT_TRUE(ix.keyOf(t, rec.data(), r, &included, &key));
        if (!included)
            continue;
        CdxPosition pos;
        ASSERT_TRUE(tag->seek(reinterpret_cast<const uint8_t *>(key.data()), tag->keyLength(), pos));
        ASSERT_TRUE(pos.valid()) << tag->name() << " record " << r;
        ASSERT_EQ(pos.key, key) << tag->name() << " record " << r;
        if (tag->nullable() || tag->keyType() == CdxKeyType::Integer)
            continue;
        std::string text = CdxKey::display(reinterpret_cast<const uint8_t *>(key.data()), tag->keyLength(),
                                           tag->keyType(), false);
        CdxKeyRange range;
        ASSERT_TRUE(ix.searchRange(t, text, range)) << text;
        ASSERT_TRUE(tag->seek(reinterpret_cast<const uint8_t *>(range.low.data()), range.lowLength, pos));
        ASSERT_TRUE(pos.valid());
        ASSERT_EQ(pos.key, key) << tag->name() << " seeking \"" << text << "\"";
    }
}

} // namespace

TEST(CdxIndex, ReadsWalksAndSeeksEveryFixture)
{
    std::vector<FixtureCase> cases = {
        {"foxpro-10k", "TEST10K.DBF", {"CITY", "FIRST", "LAST"}, {}},
        {"foxpro-corrupt", "Corrupt1.DBF", {}, {"UID"}},
        {"foxpro-corrupt", "Corrupt2.dbf", {}, {"UID"}},
        {"foxpro-corrupt", "Corrupt3.DBF", {}, {"UID"}},
        // CUSTOMERID is empty; POSTALCODE and REGION disagree with the table.
        {"vfp-northwind", "customers.dbf", {"CITY", "COMPANYNAM"}, {"CUSTOMERID", "POSTALCODE", "REGION"}},
        {"vfp-northwind", "orders.dbf", {}, {}},
        {"vfp-northwind", "employees.dbf", {}, {}},
        {"vfp-northwind", "categories.dbf", {}, {"CATEGORYID"}},
        {"vfp-small", "calls.dbf", {}, {}},
        {"vfp-small", "setup.dbf", {}, {}},
        {"harbour-bytes", "ADRESS.dbf", {}, {}},
        {"harbour-german", "ADRESS.dbf", {"1"}, {}},
    };
    for (const FixtureCase &c : cases) {
        SCOPED_TRACE(c.folder + "/" + c.table);
        TempDir d;
        d.copyFixture(c.folder);
        Opened o = openTable(d.file(c.table), OpenMode::ReadOnly);
        ASSERT_TRUE(o.index);
        auto reports = reportsOf(*o.index);
        ASSERT_EQ(int(reports.size()), o.index->tagCount());
        uint32_t count = 0;
        ASSERT_TRUE(o.table->recordCount(&count));
        for (int t = 0; t < o.index->tagCount(); ++t) {
            CdxTag *tag = o.index->tag(t);
            const CdxTagReport &r = reports[tag->name()];
            EXPECT_EQ(r.foreignOrder, c.foreign.count(tag->name()) == 1) << describe(r);
            EXPECT_EQ(!r.damage.empty(), c.damaged.count(tag->name()) == 1) << describe(r);
            // Tree order walks every entry, forwards and backwards.
            CdxFile::ReadScope scope(&o.index->file());
            CdxPosition pos;
            ASSERT_TRUE(tag->first(pos));
            uint64_t n = 0;
            while (pos.valid()) {
                ++n;
                ASSERT_TRUE(tag->next(pos));
            }
            EXPECT_EQ(n, r.keys) << tag->name();
            if (r.ok())
                seekEveryKey(o, t, 400);
        }
    }
}

namespace {

// The address table's shape as far as its tags need it.
std::vector<FieldSpec> addressFields()
{
    return {{"FAMNAME", 'C', 37, 0}, {"VORNAME", 'C', 37, 0}, {"GEB_DAT", 'D', 8, 0},
            {"CASS_NO", 'N', 3, 0},  {"TITEL", 'C', 18, 0},   {"BAENDE", 'N', 10, 0}};
}

void setField(const Table &t, std::string &rec, const char *name, const std::string &value)
{
    const FieldInfo &f = t.fields()[std::size_t(t.fieldIndex(name))];
    std::string v = value;
    if (f.type == 'N')
        v = std::string(std::size_t(std::max(0, f.width - int(v.size()))), ' ') + v;
    v.resize(std::size_t(f.width), ' ');
    rec.replace(std::size_t(f.offset), std::size_t(f.width), v);
}

std::string randomRecord(const Table &t, std::mt19937 &rng)
{
    static const char *fam[] = {"M\xFCller", "Meier", "\xD6zt\xFCrk", "Schr\xF6" "der", "Becker", "\xE4" "bel", "Zorn"};
    static const char *vor[] = {"J\xFCrgen", "Anna", "\xC4nne", "Bernd", "Zo\xEB"};
    std::string rec = t.blankRecord();
    setField(t, rec, "FAMNAME", std::string(fam[rng() % 7]) + char('a' + rng() % 26));
    setField(t, rec, "VORNAME", vor[rng() % 5]);
    char date[9];
    std::snprintf(date, sizeof date, "%04u%02u%02u", unsigned(1940 + rng() % 70), unsigned(1 + rng() % 12), unsigned(1 + rng() % 28));
    setField(t, rec, "GEB_DAT", rng() % 10 ? date : "        ");
    setField(t, rec, "CASS_NO", std::to_string(int(rng() % 1000) - 99));
    setField(t, rec, "TITEL", std::string("Band ") + char('A' + rng() % 26));
    setField(t, rec, "BAENDE", std::to_string(rng() % 5));
    return rec;
}

const char *kTags[][2] = {{"1", "UPPER(FAMNAME+VORNAME)"}, {"7", "GEB_DAT"}, {"4", "CASS_NO"},
                          {"B", "UPPER(TITEL)+STR(BAENDE)"}};

// Random appends, replaces and deletes through the table, `ops` of them,
// each change under its record lock as every caller of the engine does.
void churn(Table &t, uint32_t seed, int ops)
{
    std::mt19937 rng(seed);
    for (int i = 0; i < ops; ++i) {
        t.refresh();
        uint32_t count = 0;
        ASSERT_TRUE(t.recordCount(&count));
        int what = int(rng() % 4);
        if (what == 0 || count == 0) {
            uint32_t recno;
            ASSERT_TRUE(t.append(randomRecord(t, rng).data(), &recno));
            continue;
        }
        uint32_t r = 1 + rng() % count;
        Status s = t.lockRecord(r);
        if (s.code() == Status::Code::Locked)
            continue;
        ASSERT_TRUE(s) << s.toString();
        if (what == 3)
            s = t.setDeleted(r, rng() % 2);
        else
            s = t.replace(r, randomRecord(t, rng).data());
        ASSERT_TRUE(s) << s.toString();
        ASSERT_TRUE(t.unlockRecord(r));
    }
}

void expectClean(CdxIndex &ix)
{
    for (auto &[name, r] : reportsOf(ix))
        EXPECT_TRUE(r.ok()) << describe(r);
}

} // namespace

TEST(CdxIndex, TagsFollowAppendsReplacesAndDeletes)
{
    TempDir d;
    std::string path = d.file("ADRESS.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, addressFields(), {}));
    Opened o = openTable(path);
    EXPECT_FALSE(o.index); // no index yet
    ASSERT_TRUE(CdxIndex::create(*o.table, EvalSettings(), o.index));
    std::mt19937 rng(3);
    for (int i = 0; i < 300; ++i) {
        uint32_t r;
        ASSERT_TRUE(o.table->append(randomRecord(*o.table, rng).data(), &r));
    }
    int reported = 0;
    for (auto &t : kTags)
        ASSERT_TRUE(o.index->buildTag(t[0], t[1], "", [&](int pct) { reported = pct; }));
    EXPECT_EQ(reported, 100);
    ASSERT_EQ(o.index->tagCount(), 4);
    EXPECT_EQ(o.index->tag(o.index->findTag("1"))->keyLength(), 74);
    EXPECT_EQ(o.index->tag(o.index->findTag("B"))->keyLength(), 28);
    EXPECT_TRUE(o.table->hasStructuralIndexFlag());
    churn(*o.table, 17, 1500);
    expectClean(*o.index);

    // A FOR condition keeps records out of the tag and lets them in again.
    ASSERT_TRUE(o.index->buildTag("LIVE", "CASS_NO", "CASS_NO>0"));
    expectClean(*o.index);
    churn(*o.table, 18, 300);
    expectClean(*o.index);

    // Reopened, the table comes with its index.
    o.index.reset();
    o.table.reset();
    Opened again = openTable(path);
    ASSERT_TRUE(again.index);
    EXPECT_EQ(again.index->tagCount(), 5);
    EXPECT_EQ(again.index->tag(again.index->findTag("LIVE"))->forExpression(), "CASS_NO>0");
    expectClean(*again.index);
}

TEST(CdxIndex, ReindexRepairsDamageAndForeignOrder)
{
    for (const char *folder : {"foxpro-corrupt", "harbour-german"}) {
        TempDir d;
        d.copyFixture(folder);
        std::string name = std::string(folder) == "harbour-german" ? "ADRESS.dbf" : "Corrupt1.DBF";
        Opened o = openTable(d.file(name), OpenMode::Exclusive);
        ASSERT_TRUE(o.index);
        ASSERT_TRUE(o.index->reindex());
        expectClean(*o.index);
    }
    // In place when the table is shared.
    TempDir d;
    d.copyFixture("foxpro-corrupt");
    Opened o = openTable(d.file("Corrupt3.DBF"));
    ASSERT_TRUE(o.index->reindex());
    expectClean(*o.index);
}

TEST(CdxIndex, TwoProcessesChangingOneTableLeaveItsIndexSound)
{
    TempDir d;
    std::string path = d.file("ADRESS.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, addressFields(), {}));
    {
        Opened o = openTable(path);
        ASSERT_TRUE(CdxIndex::create(*o.table, EvalSettings(), o.index));
        for (auto &t : kTags)
            ASSERT_TRUE(o.index->buildTag(t[0], t[1], ""));
    }
    pid_t child = fork();
    if (child == 0) {
        Opened o = openTable(path);
        churn(*o.table, 1000, 1200);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    {
        Opened o = openTable(path);
        ASSERT_TRUE(o.index);
        churn(*o.table, 2000, 1200);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        expectClean(*o.index);
        uint32_t count = 0;
        ASSERT_TRUE(o.table->recordCount(&count));
        EXPECT_GT(count, 300u);
    }
}

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void spill(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace

TEST(CdxIndex, ACrashDuringIndexUpdatesIsFlaggedByCheckAndRepairedByReindex)
{
    TempDir d;
    std::string path = d.file("ADRESS.DBF"), cdx = d.file("ADRESS.CDX");
    ASSERT_TRUE(Table::create(Env::posix(), path, addressFields(), {}));
    {
        Opened o = openTable(path);
        ASSERT_TRUE(CdxIndex::create(*o.table, EvalSettings(), o.index));
        std::mt19937 rng(4);
        for (int i = 0; i < 120; ++i) {
            uint32_t r;
            ASSERT_TRUE(o.table->append(randomRecord(*o.table, rng).data(), &r));
        }
        for (int t = 0; t < 3; ++t)
            ASSERT_TRUE(o.index->buildTag(kTags[t][0], kTags[t][1], ""));
    }
    const std::string dbf0 = slurp(path), cdx0 = slurp(cdx);
    int flagged = 0;
    for (long failAt = 1;; ++failAt) {
        spill(path, dbf0);
        spill(cdx, cdx0);
        xbtest::FailingEnv env(failAt);
        {
            std::unique_ptr<Table> t;
            ASSERT_TRUE(Table::open(&env, path, OpenMode::Shared, t));
            std::unique_ptr<CdxIndex> ix;
            ASSERT_TRUE(CdxIndex::open(*t, EvalSettings(), ix));
            std::mt19937 rng{uint32_t(failAt)};
            for (int op = 0; op < 8; ++op) {
                uint32_t r;
                Status s = op % 3 == 0 ? t->append(randomRecord(*t, rng).data(), &r)
                                       : t->replace(1 + rng() % 120, randomRecord(*t, rng).data());
                if (!s)
                    break;
            }
        }
        const bool crashed = env.failed();
        // After the "crash": the table opens, check() either finds the index
        // sound or names what is wrong, and a rebuild makes it sound.
        Opened o = openTable(path);
        ASSERT_TRUE(o.index) << "write " << failAt;
        bool sound = true;
        for (auto &[name, r] : reportsOf(*o.index))
            sound = sound && r.damage.empty();
        if (!sound) {
            ++flagged;
            o.index.reset();
            o.table.reset();
            Opened x = openTable(path, OpenMode::Exclusive);
            ASSERT_TRUE(x.index->reindex());
            expectClean(*x.index);
        }
        if (!crashed) {
            EXPECT_TRUE(sound); // every change went through: nothing to repair
            break;
        }
        ASSERT_LT(failAt, 400);
    }
    EXPECT_GT(flagged, 0);
}
