// Index orders through the work area and the C layer: tag order, seeks,
// scopes, positions, fast queries and their counts.
#include "xbase/index/CdxOrderSet.h"
#include "xbase/text/Codepage.h"
#include "xbase/api/Engine.h"
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"
#include "xbase/api/WorkArea.h"
#include "xbase/api/XbApi.h"

#include "xbase/testing/CdxTestUtil.h"

#include <algorithm>
#include <functional>
#include <map>

using namespace xb;
using xbtest::TempDir;

namespace {

struct Person {
    std::string fam, vor, geb; // geb "yyyymmdd" or blanks
    int cass = 0;
};

std::string pad(std::string s, std::size_t w)
{
    s.resize(w, ' ');
    return s;
}

// A deterministic address table of `n` people, written through the table
// layer; returns the people by record number (index 0 = record 1).
std::vector<Person> makeAddresses(const std::string &path, int n)
{
    std::vector<FieldSpec> fields = {{"FAMNAME", 'C', 37, 0}, {"VORNAME", 'C', 37, 0}, {"GEB_DAT", 'D', 8, 0},
                                     {"CASS_NO", 'N', 3, 0}};
    EXPECT_TRUE(Table::create(Env::posix(), path, fields, {}));
    std::unique_ptr<Table> t;
    EXPECT_TRUE(Table::open(Env::posix(), path, OpenMode::Exclusive, t));
    static const char *fam[] = {"M\xFCller", "Meier", "\xD6zt\xFCrk", "Schr\xF6" "der", "Becker", "Abel", "Zorn",
                                "Mahler"};
    static const char *vor[] = {"J\xFCrgen", "Anna", "\xC4nne", "Bernd", "Zo\xEB"};
    std::mt19937 rng(42);
    std::vector<Person> people;
    for (int i = 0; i < n; ++i) {
        Person p;
        p.fam = std::string(fam[rng() % 8]) + char('a' + rng() % 26);
        p.vor = vor[rng() % 5];
        char d[9];
        std::snprintf(d, sizeof d, "%04u%02u%02u", unsigned(1960 + rng() % 40), unsigned(1 + rng() % 12), unsigned(1 + rng() % 28));
        p.geb = rng() % 20 ? std::string(d) : std::string(8, ' ');
        p.cass = int(rng() % 100);
        std::string rec = " " + pad(p.fam, 37) + pad(p.vor, 37) + p.geb;
        std::string c = std::to_string(p.cass);
        rec += std::string(3 - c.size(), ' ') + c;
        uint32_t r;
        EXPECT_TRUE(t->append(rec.data(), &r));
        people.push_back(p);
    }
    return people;
}

std::string upperKey(const Person &p) { return cp1252Upper(pad(p.fam, 37) + pad(p.vor, 37)); }

// Record numbers in the order of tag "1" (key, then record number).
std::vector<long> nameOrder(const std::vector<Person> &people)
{
    std::vector<long> recs(people.size());
    for (std::size_t i = 0; i < recs.size(); ++i)
        recs[i] = long(i + 1);
    std::stable_sort(recs.begin(), recs.end(), [&](long a, long b) {
        return upperKey(people[std::size_t(a - 1)]) < upperKey(people[std::size_t(b - 1)]);
    });
    return recs;
}

std::vector<long> walk()
{
    std::vector<long> out;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
        out.push_back(xb_RecNo());
    return out;
}

class CdxOrderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        people = makeAddresses(dir.file("ADRESS.DBF"), 600);
        area = xb_Use(dir.file("ADRESS.DBF").c_str(), "ADRESS", XB_SHARED, XB_CDX);
        ASSERT_GT(area, 0) << xb_LastError();
        ASSERT_TRUE(xb_IndexTag("", "1", "UPPER(FAMNAME+VORNAME)", 0, 0, ""));
        ASSERT_TRUE(xb_IndexTag("", "7", "GEB_DAT", 0, 0, ""));
        ASSERT_TRUE(xb_IndexTag("", "4", "CASS_NO", 0, 0, ""));
    }
    void TearDown() override
    {
        xb_SetSoftSeek(0);
        xb_SetDeleted(0);
        xb_CloseAll();
    }
    TempDir dir;
    std::vector<Person> people;
    int area = 0;
};

} // namespace

TEST_F(CdxOrderTest, TagOrderNavigationAndTagInformation)
{
    ASSERT_EQ(xb_TagArea("1"), 1); // directory order: "1", "4", "7"
    EXPECT_EQ(xb_TagArea("4"), 2);
    EXPECT_EQ(xb_TagArea("9"), 0);
    EXPECT_EQ(xb_SysProp(XB_PROP_INDEXCOUNT, 0), 3);
    xb_Go(17);
    EXPECT_EQ(xb_SetOrder(1), 0);
    EXPECT_EQ(xb_RecNo(), 17); // the order changes, the record stays
    EXPECT_EQ(xb_IndexOrd(), 1);
    EXPECT_STREQ(xb_TagName(1), "1");
    EXPECT_STREQ(xb_IndexKey(), "UPPER(FAMNAME+VORNAME)");
    EXPECT_STREQ(xb_IndexCondition(), "");
    std::vector<long> expect = nameOrder(people);
    EXPECT_EQ(walk(), expect);
    std::vector<long> back;
    for (xb_GoBottom(); !xb_Bof(); xb_Skip(-1))
        back.push_back(xb_RecNo());
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, expect);
    // Skipping from a record reached by number continues in key order.
    xb_Go(expect[100]);
    xb_Skip(5);
    EXPECT_EQ(xb_RecNo(), expect[105]);
    // Deleted records vanish from the order while hiding is on.
    xb_Go(expect[3]);
    ASSERT_TRUE(xb_Delete());
    xb_SetDeleted(1);
    std::vector<long> live = expect;
    live.erase(live.begin() + 3);
    EXPECT_EQ(walk(), live);
    EXPECT_EQ(xb_QueryRecCount(), 599);
    EXPECT_EQ(xb_SetOrder(0), 1);
    EXPECT_EQ(xb_IndexOrd(), 0);
}

TEST_F(CdxOrderTest, SeeksExactSoftOnPrefixesDatesAndNumbers)
{
    xb_SetOrder(xb_TagArea("1"));
    std::vector<long> order = nameOrder(people);
    // A full key and a shorter prefix find the first record that has it.
    const Person &p = people[std::size_t(order[250] - 1)];
    std::string full = upperKey(p);
    ASSERT_TRUE(xb_Seek(full.c_str()));
    EXPECT_EQ(upperKey(people[std::size_t(xb_RecNo() - 1)]), full);
    std::string prefix = cp1252Upper(p.fam.substr(0, 3));
    ASSERT_TRUE(xb_Seek(prefix.c_str()));
    auto first = std::find_if(order.begin(), order.end(),
                              [&](long r) { return upperKey(people[std::size_t(r - 1)]).rfind(prefix, 0) == 0; });
    EXPECT_EQ(xb_RecNo(), *first);
    // Not there: failure and end of file; soft: the next greater key, success.
    EXPECT_FALSE(xb_Seek("MZZZ"));
    EXPECT_TRUE(xb_Eof());
    xb_SetSoftSeek(1);
    ASSERT_TRUE(xb_Seek("MZZZ"));
    EXPECT_GT(upperKey(people[std::size_t(xb_RecNo() - 1)]), std::string("MZZZ"));
    EXPECT_FALSE(xb_Seek("\xFF"));
    xb_SetSoftSeek(0);

    // Dates: "yyyymmdd" and a prefix of its digits.
    xb_SetOrder(xb_TagArea("7"));
    std::string someDate = people[10].geb != "        " ? people[10].geb : people[11].geb;
    ASSERT_TRUE(xb_Seek(someDate.c_str()));
    EXPECT_EQ(people[std::size_t(xb_RecNo() - 1)].geb, someDate);
    std::string earliest1975 = "99999999";
    for (auto &q : people)
        if (q.geb.rfind("1975", 0) == 0)
            earliest1975 = std::min(earliest1975, q.geb);
    ASSERT_TRUE(xb_Seek("1975"));
    EXPECT_EQ(people[std::size_t(xb_RecNo() - 1)].geb, earliest1975);
    EXPECT_FALSE(xb_Seek("1959"));
    EXPECT_FALSE(xb_Seek("2001x"));

    // Numbers.
    xb_SetOrder(xb_TagArea("4"));
    ASSERT_TRUE(xb_Seek(std::to_string(people[5].cass).c_str()));
    EXPECT_EQ(people[std::size_t(xb_RecNo() - 1)].cass, people[5].cass);
    EXPECT_FALSE(xb_Seek("100"));
    // Record order has nothing to seek in.
    xb_SetOrder(0);
    EXPECT_FALSE(xb_Seek("1"));
}

TEST_F(CdxOrderTest, ScopesLimitNavigationAndCounts)
{
    xb_SetOrder(xb_TagArea("1"));
    ASSERT_TRUE(xb_SetScope("M", "M"));
    std::vector<long> expect;
    for (long r : nameOrder(people))
        if (upperKey(people[std::size_t(r - 1)])[0] == 'M')
            expect.push_back(r);
    ASSERT_FALSE(expect.empty());
    EXPECT_EQ(walk(), expect);
    EXPECT_EQ(xb_QueryRecCount(), long(expect.size()));
    std::vector<long> back;
    for (xb_GoBottom(); !xb_Bof(); xb_Skip(-1))
        back.push_back(xb_RecNo());
    EXPECT_EQ(long(back.size()), long(expect.size()));
    // A seek outside the scope fails.
    EXPECT_FALSE(xb_Seek("ABEL"));
    // Positions inside the scope.
    ASSERT_TRUE(xb_OrderPosSet(0.0));
    EXPECT_EQ(xb_RecNo(), expect.front());
    ASSERT_TRUE(xb_OrderPosSet(1.0));
    EXPECT_EQ(xb_RecNo(), expect.back());
    // Two empty keys remove the scope.
    ASSERT_TRUE(xb_SetScope("", ""));
    EXPECT_EQ(xb_QueryRecCount(), 600);
    // A date scope by year prefixes.
    xb_SetOrder(xb_TagArea("7"));
    ASSERT_TRUE(xb_SetScope("1970", "1979"));
    long n = 0;
    for (auto &q : people)
        n += q.geb >= "19700101" && q.geb <= "19791231";
    EXPECT_EQ(xb_QueryRecCount(), n);
    for (long r : walk())
        EXPECT_EQ(people[std::size_t(r - 1)].geb.substr(0, 3), "197");
}

TEST_F(CdxOrderTest, OrderPositionTracksTheRecordsPlace)
{
    xb_SetOrder(xb_TagArea("1"));
    std::vector<long> order = nameOrder(people);
    for (double f : {0.0, 0.25, 0.5, 0.9}) {
        ASSERT_TRUE(xb_OrderPosSet(f));
        long r = xb_RecNo();
        double place = double(std::find(order.begin(), order.end(), r) - order.begin()) / double(order.size());
        EXPECT_NEAR(place, f, 0.1) << f;
        EXPECT_NEAR(xb_OrderPosGet(), place, 0.1) << f;
    }
}

TEST_F(CdxOrderTest, FastQueriesNarrowByKeyRangesAndCountLikeAFullScan)
{
    WorkArea *wa = Engine::instance().current();
    ASSERT_NE(wa, nullptr);
    struct Case {
        const char *planned, *scan;
    } cases[] = {
        {"UPPER(FAMNAME)>=\"M\"", "!(UPPER(FAMNAME)<\"M\")"},
        {"UPPER(FAMNAME)=\"MEI\".and.CASS_NO<=50", "!(UPPER(FAMNAME)<>\"MEI\").and.!(CASS_NO>50)"},
        {"CASS_NO=42", "!(CASS_NO<>42)"},
        {"UPPER(FAMNAME+VORNAME)<\"B\"", "!(UPPER(FAMNAME+VORNAME)>=\"B\")"},
    };
    for (auto &c : cases) {
        long full = xb_Query(c.scan);
        EXPECT_FALSE(wa->indexes()->planned()) << c.scan;
        std::vector<long> scanned = walk();
        long fast = xb_Query(c.planned);
        EXPECT_TRUE(wa->indexes()->planned()) << c.planned;
        EXPECT_EQ(fast, full) << c.planned;
        EXPECT_EQ(xb_QueryRecCount(), full);
        EXPECT_EQ(walk(), scanned) << c.planned;
        EXPECT_GT(full, 0) << c.planned;
    }
    // The same in tag order with a scope.
    xb_SetOrder(xb_TagArea("1"));
    ASSERT_TRUE(xb_SetScope("M", "S"));
    long scopedFull = xb_Query("!(CASS_NO<>42).or.!(CASS_NO<>7)");
    long scopedFast = xb_Query("CASS_NO<=42.and.CASS_NO>=7");
    long expect = 0;
    for (auto &p : people) {
        char k = upperKey(p)[0];
        expect += k >= 'M' && k <= 'S' && p.cass >= 7 && p.cass <= 42;
    }
    EXPECT_EQ(scopedFast, expect);
    EXPECT_LE(scopedFull, scopedFast);
    // A record appended after the query and matching it shows up.
    xb_SetScope("", "");
    long before = xb_Query("CASS_NO=42");
    ASSERT_TRUE(xb_AppendBlank());
    ASSERT_TRUE(xb_Replace("CASS_NO", XB_REPLACE_TEXT, "42"));
    ASSERT_TRUE(xb_Commit());
    EXPECT_EQ(xb_QueryRecCount(), before + 1);
    // Another holder's change makes the plan be made again.
    Engine other(Env::posix());
    int a2 = 0;
    ASSERT_TRUE(other.use(dir.file("ADRESS.DBF"), "OTHER", OpenMode::Shared, &a2));
    WorkArea *owa = other.area(a2);
    ASSERT_TRUE(owa->go(1));
    std::string rec(owa->table().recordLength(), ' ');
    ASSERT_TRUE(owa->getRecord(rec.data()));
    rec.replace(std::size_t(owa->table().fields()[3].offset), 3, " 42");
    ASSERT_TRUE(owa->lockRecord(1));
    ASSERT_TRUE(owa->putRecord(rec.data()));
    owa->unlockRecord(0);
    bool wasPlanned = people[0].cass == 42;
    EXPECT_EQ(xb_QueryRecCount(), before + 1 + (wasPlanned ? 0 : 1));
    xb_Query("");
    EXPECT_FALSE(wa->indexes()->planned());
}

TEST_F(CdxOrderTest, ASeekPassesOverHiddenRecordsToTheNextWithTheSameKey)
{
    // A key with several records; all but the last in key order are deleted
    // and hidden.
    xb_SetOrder(xb_TagArea("1"));
    std::vector<long> order = nameOrder(people);
    auto keyOf = [&](long r) { return upperKey(people[std::size_t(r - 1)]); };
    std::size_t i = 0;
    while (i + 1 < order.size() && keyOf(order[i]) != keyOf(order[i + 1]))
        ++i;
    ASSERT_LT(i + 1, order.size()) << "no duplicate key in the sample";
    std::string key = keyOf(order[i]);
    std::size_t last = i;
    while (last + 1 < order.size() && keyOf(order[last + 1]) == key)
        ++last;
    for (std::size_t j = i; j < last; ++j) {
        xb_Go(order[j]);
        ASSERT_TRUE(xb_Delete());
    }
    xb_SetDeleted(1);
    ASSERT_TRUE(xb_Seek(key.c_str()));
    EXPECT_EQ(xb_RecNo(), order[last]);
    // With every record of the key hidden, the key is not found.
    xb_Go(order[last]);
    ASSERT_TRUE(xb_Delete());
    EXPECT_FALSE(xb_Seek(key.c_str()));
    EXPECT_TRUE(xb_Eof());
}

TEST_F(CdxOrderTest, QueriesTheTagsDecideCountExactlyAndWalkLikeAScan)
{
    WorkArea *wa = Engine::instance().current();
    ASSERT_NE(wa, nullptr);
    auto fam = [](const Person &p) { return cp1252Upper(pad(p.fam, 37)); };
    struct Case {
        const char *filter;
        std::function<bool(const Person &)> accepts;
    } cases[] = {
        {"UPPER(FAMNAME+VORNAME)>=\"M\".and.UPPER(FAMNAME+VORNAME)<\"Q\"",
         [&](const Person &p) { return upperKey(p)[0] >= 'M' && upperKey(p)[0] < 'Q'; }},
        {"UPPER(FAMNAME)>\"MEI\"", [&](const Person &p) { return fam(p).substr(0, 3) > "MEI"; }},
        {"UPPER(FAMNAME)<\"MEI\"", [&](const Person &p) { return fam(p).substr(0, 3) < "MEI"; }},
        {"UPPER(FAMNAME)=\"MA\"", [&](const Person &p) { return fam(p).substr(0, 2) == "MA"; }},
        {"CASS_NO>42", [](const Person &p) { return p.cass > 42; }},
        {"CASS_NO<42", [](const Person &p) { return p.cass < 42; }},
        {".T..and.CASS_NO>=10.and.CASS_NO<=20", [](const Person &p) { return p.cass >= 10 && p.cass <= 20; }},
    };
    for (auto &c : cases) {
        std::vector<long> expected;
        for (std::size_t i = 0; i < people.size(); ++i)
            if (c.accepts(people[i]))
                expected.push_back(long(i + 1));
        EXPECT_EQ(xb_Query(c.filter), long(expected.size())) << c.filter;
        EXPECT_TRUE(wa->indexes()->exact()) << c.filter;
        EXPECT_EQ(walk(), expected) << c.filter;
        int exact = 0;
        EXPECT_EQ(xb_KeyCount(&exact), long(expected.size())) << c.filter;
        EXPECT_EQ(exact, 1);
    }
    // With Exact on a prefix no longer decides "=": the records are read.
    xb_SetExact(1);
    long exactOn = xb_Query("UPPER(FAMNAME)=\"MA\"");
    EXPECT_FALSE(wa->indexes()->exact());
    EXPECT_EQ(exactOn, 0);
    xb_SetExact(0);
    // A record changed after the query is judged by the filter again.
    long before = xb_Query("CASS_NO>42");
    auto match = std::find_if(people.begin(), people.end(), [](const Person &p) { return p.cass > 42; });
    ASSERT_NE(match, people.end());
    ASSERT_TRUE(xb_Go(long(match - people.begin()) + 1));
    ASSERT_TRUE(xb_Rlock(xb_RecNo()));
    ASSERT_TRUE(xb_Replace("CASS_NO", XB_REPLACE_TEXT, "1"));
    ASSERT_TRUE(xb_Commit());
    xb_Unlock(0);
    EXPECT_EQ(xb_QueryRecCount(), before - 1);
    EXPECT_EQ(long(walk().size()), before - 1);
    xb_Query("");
}

TEST_F(CdxOrderTest, KeyCountsComeFromTheIndexAndStampsTellOfChanges)
{
    int exact = 0;
    EXPECT_EQ(xb_KeyCount(&exact), 600);
    EXPECT_EQ(exact, 1);
    xb_SetOrder(xb_TagArea("1"));
    EXPECT_EQ(xb_KeyCount(&exact), 600);
    ASSERT_TRUE(xb_SetScope("M", "S"));
    EXPECT_EQ(xb_KeyCount(&exact), xb_QueryRecCount());
    EXPECT_EQ(exact, 1);
    ASSERT_TRUE(xb_SetScope("", ""));
    // Hidden deleted records are counted by the index: not exact.
    for (long r : {5L, 50L, 500L}) {
        ASSERT_TRUE(xb_Go(r));
        ASSERT_TRUE(xb_Delete());
    }
    xb_SetDeleted(1);
    EXPECT_EQ(xb_KeyCount(&exact), 600);
    EXPECT_EQ(exact, 0);
    EXPECT_EQ(xb_QueryRecCount(), 597);
    xb_SetDeleted(0);

    // Navigation does not move the stamp; another holder's append does.
    const unsigned long long stamp = xb_ChangeStamp();
    xb_GoTop();
    xb_Skip(10);
    EXPECT_EQ(xb_ChangeStamp(), stamp);
    Engine other(Env::posix());
    int a2 = 0;
    ASSERT_TRUE(other.use(dir.file("ADRESS.DBF"), "OTHER", OpenMode::Shared, &a2));
    ASSERT_TRUE(other.area(a2)->appendBlank());
    const unsigned long long appended = xb_ChangeStamp();
    EXPECT_NE(appended, stamp);
    EXPECT_EQ(xb_KeyCount(&exact), 601);
    // So does a key changed elsewhere, with the record count unchanged.
    WorkArea *owa = other.area(a2);
    ASSERT_TRUE(owa->go(1));
    std::string rec(owa->table().recordLength(), ' ');
    ASSERT_TRUE(owa->getRecord(rec.data()));
    rec.replace(1, 5, "Zzzzz");
    ASSERT_TRUE(owa->lockRecord(1));
    ASSERT_TRUE(owa->putRecord(rec.data()));
    owa->unlockRecord(0);
    EXPECT_NE(xb_ChangeStamp(), appended);
}
