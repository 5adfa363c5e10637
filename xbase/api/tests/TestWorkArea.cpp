// Work areas: navigation over visible records, filters, and the C-style
// functions as the table dataset drives them.
#include "xbase/api/Engine.h"
#include "xbase/table/Env.h"
#include "xbase/api/WorkArea.h"
#include "xbase/api/XbApi.h"
#include "xbase/testing/TableTestUtil.h"

#include <cstdlib>
#include <cstring>

using namespace xb;
using namespace xbtest;

namespace {

// A table N (N 4) with the values 1..n; records in `deleted` marked deleted.
std::string makeNumbers(const TempDir &dir, int n, std::vector<int> deleted = {})
{
    const std::string path = dir.file("NUMS.DBF");
    EXPECT_TRUE(Table::create(Env::posix(), path, {{"N", 'N', 4, 0}, {"NAME", 'C', 10, 0}}, {}));
    std::unique_ptr<Table> t;
    EXPECT_TRUE(Table::open(Env::posix(), path, OpenMode::Exclusive, t));
    for (int i = 1; i <= n; ++i) {
        std::string r = t->blankRecord();
        setField(*t, r, "N", std::to_string(i));
        setField(*t, r, "NAME", i % 2 ? "M\xFCller" : "Adam");
        uint32_t recno = 0;
        EXPECT_TRUE(t->append(r.data(), &recno));
    }
    for (int d : deleted)
        EXPECT_TRUE(t->setDeleted(d, true));
    return path;
}

} // namespace

TEST(WorkArea, NavigationSkipsHiddenDeletedRecordsAndStopsAtTheEnds)
{
    TempDir dir;
    const std::string path = makeNumbers(dir, 5, {1, 4});
    Engine engine;
    engine.settings().hideDeleted = true;
    int area = 0;
    ASSERT_TRUE(engine.use(path, "", OpenMode::Shared, &area));
    WorkArea &wa = *engine.area(area);
    EXPECT_EQ(wa.alias(), "NUMS");
    EXPECT_EQ(wa.recNo(), 2u);
    ASSERT_TRUE(wa.skip(1));
    EXPECT_EQ(wa.recNo(), 3u);
    ASSERT_TRUE(wa.skip(1));
    EXPECT_EQ(wa.recNo(), 5u);
    ASSERT_TRUE(wa.skip(1));
    EXPECT_TRUE(wa.eof());
    EXPECT_EQ(wa.recNo(), 6u);
    ASSERT_TRUE(wa.skip(-1));
    EXPECT_EQ(wa.recNo(), 5u);
    EXPECT_FALSE(wa.eof());
    ASSERT_TRUE(wa.skip(-10));
    EXPECT_TRUE(wa.bof());
    EXPECT_EQ(wa.recNo(), 2u);
    ASSERT_TRUE(wa.goBottom());
    EXPECT_EQ(wa.recNo(), 5u);
    ASSERT_TRUE(wa.go(4)); // go ignores hiding
    EXPECT_TRUE(wa.deleted());
    int64_t count = 0;
    ASSERT_TRUE(wa.visibleCount(&count));
    EXPECT_EQ(count, 3);
    engine.settings().hideDeleted = false;
    ASSERT_TRUE(wa.goTop());
    EXPECT_EQ(wa.recNo(), 1u);
}

TEST(WorkArea, EmptyTableStandsAtBothEnds)
{
    TempDir dir;
    const std::string path = makeNumbers(dir, 0);
    Engine engine;
    int area = 0;
    ASSERT_TRUE(engine.use(path, "E", OpenMode::Shared, &area));
    WorkArea &wa = *engine.area(area);
    EXPECT_TRUE(wa.bof());
    EXPECT_TRUE(wa.eof());
    EXPECT_EQ(wa.recNo(), 1u);
    ASSERT_TRUE(wa.skip(-1));
    EXPECT_TRUE(wa.eof());
    EXPECT_EQ(wa.putRecord(wa.record()).code(), Status::Code::BadArgument);
}

TEST(WorkArea, FilterCountsAndNavigatesMatchingRecordsOnly)
{
    TempDir dir;
    const std::string path = makeNumbers(dir, 10);
    Engine engine;
    int area = 0;
    ASSERT_TRUE(engine.use(path, "", OpenMode::Shared, &area));
    WorkArea &wa = *engine.area(area);
    int64_t count = 0;
    ASSERT_TRUE(wa.setFilter("N > 3 .and. UPPER(NAME) = \"M\xDC\"", &count));
    EXPECT_EQ(count, 3); // 5, 7, 9
    EXPECT_EQ(wa.recNo(), 5u);
    ASSERT_TRUE(wa.skip(2));
    EXPECT_EQ(wa.recNo(), 9u);
    ASSERT_TRUE(wa.skip(1));
    EXPECT_TRUE(wa.eof());
    Status s = wa.setFilter("N >", &count);
    EXPECT_EQ(s.code(), Status::Code::Syntax);
    EXPECT_EQ(wa.filterText(), "N > 3 .and. UPPER(NAME) = \"M\xDC\"");
    ASSERT_TRUE(wa.setFilter("", &count));
    EXPECT_EQ(count, 10);
    EXPECT_EQ(wa.recNo(), 1u);
}

TEST(XbApi, DatasetFlowCreateOpenEditLockMemoAndEncrypt)
{
    TempDir dir;
    const std::string path = dir.file("NOTIZEN.DBF");
    const int creating = xb_CreateNew(path.c_str(), "NOTIZEN", XB_CDX, 2);
    ASSERT_GT(creating, 0);
    ASSERT_TRUE(xb_CreateField("INR", "C", 15, 0));
    ASSERT_TRUE(xb_CreateField("NOTIZ", "M", 10, 0));
    ASSERT_TRUE(xb_CreateExec()) << xb_LastError();

    xb_SetEpoch(1980);
    const int area = xb_Use((dir.path() + "\\notizen").c_str(), "NOTIZEN", XB_SHARED, XB_CDX);
    ASSERT_GT(area, 0) << xb_LastError();
    EXPECT_EQ(xb_WorkArea("notizen"), area);
    ASSERT_EQ(xb_FieldCount(), 2);
    EXPECT_STREQ(xb_FieldName(2), "NOTIZ");
    EXPECT_EQ(xb_FieldType("notiz"), 'M');
    EXPECT_EQ(xb_FieldOffset("NOTIZ"), 17);
    EXPECT_EQ(xb_FieldWidth("INR"), 15);
    EXPECT_EQ(xb_RecSize(), 26);
    EXPECT_TRUE(xb_Eof());

    ASSERT_TRUE(xb_AppendBlank());
    char record[26];
    ASSERT_TRUE(xb_GetRecord(record));
    std::memcpy(record + 1, "000000000000001", 15);
    ASSERT_TRUE(xb_PutRecord(record));
    ASSERT_EQ(xb_Replace("NOTIZ", XB_REPLACE_MEMO, "Gr\xFC\xDF" "e"), 1) << xb_LastError();
    ASSERT_TRUE(xb_Commit());
    EXPECT_EQ(xb_RecCount(), 1);
    EXPECT_STREQ(xb_EvalString("TRIM(INR)+\"/\"+STR(RECNO(),2)"), "000000000000001/ 1");

    // A second work area on the same file: its own lock holder.
    ASSERT_TRUE(xb_Rlock(1));
    EXPECT_TRUE(xb_Locked(1));
    const int second = xb_Use(path.c_str(), "NOTIZEN1", XB_SHARED, XB_CDX);
    ASSERT_GT(second, 0) << xb_LastError();
    EXPECT_FALSE(xb_Rlock(1));
    EXPECT_EQ(xb_LastErrorCode(), static_cast<int>(Status::Code::Locked));
    char *memo = xb_GetMemo("NOTIZ", 0);
    ASSERT_NE(memo, nullptr);
    EXPECT_STREQ(memo, "Gr\xFC\xDF" "e");
    xb_MemDealloc(memo);
    const char blob[] = {'\0', '\x01', '\xFF', 'x'};
    EXPECT_EQ(xb_PutBlob("NOTIZ", blob, 4), 0); // record 1 is locked by the other area
    xb_Select(area);
    EXPECT_EQ(xb_PutBlob("NOTIZ", blob, 4), 4);
    EXPECT_EQ(xb_GetBlobLength("NOTIZ"), 4);
    char back[4] = {};
    EXPECT_EQ(xb_GetBlob("NOTIZ", back), 4);
    EXPECT_EQ(std::memcmp(back, blob, 4), 0);
    ASSERT_TRUE(xb_Unlock(1));
    xb_Select(second);
    EXPECT_TRUE(xb_Rlock(1));
    xb_Close();

    // Encryption needs the table to itself.
    xb_Select(area);
    EXPECT_FALSE(xb_IsEncrypted(0));
    ASSERT_TRUE(xb_SetPassword("pw"));
    ASSERT_TRUE(xb_DbfEncrypt()) << xb_LastError();
    EXPECT_TRUE(xb_IsEncrypted(0));
    ASSERT_TRUE(xb_GetRecord(record));
    EXPECT_EQ(std::string(record + 1, 15), "000000000000001");
    ASSERT_TRUE(xb_Delete());
    EXPECT_TRUE(xb_Deleted());
    xb_Close();
    EXPECT_EQ(xb_WorkArea("NOTIZEN"), 0);
    EXPECT_EQ(xb_Use(dir.file("MISSING").c_str(), "M", XB_SHARED, XB_CDX), 0);
    EXPECT_NE(std::string(xb_LastError()).find("MISSING.DBF"), std::string::npos);
}

TEST(XbApi, AppendFromMatchesFieldsByNameAndConvertsTypes)
{
    TempDir dir;
    const std::string from = makeNumbers(dir, 4, {2});
    const std::string to = dir.file("TARGET.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), to, {{"NAME", 'C', 4, 0}, {"N", 'C', 6, 0}, {"X", 'L', 1, 0}}, {}));
    const int area = xb_Use(to.c_str(), "TARGET", XB_SHARED, XB_CDX);
    ASSERT_GT(area, 0);
    int reports = 0;
    xb_SetGaugeHook([](void *c, int) { ++*static_cast<int *>(c); }, &reports);
    xb_SetDeleted(1);
    ASSERT_TRUE(xb_AppendFrom(from.c_str(), XB_CDX, "N <> 3")) << xb_LastError();
    xb_SetDeleted(0);
    xb_SetGaugeHook(nullptr, nullptr);
    EXPECT_GT(reports, 0);
    EXPECT_EQ(xb_RecCount(), 2);
    ASSERT_TRUE(xb_Go(2));
    char record[12];
    ASSERT_TRUE(xb_GetRecord(record));
    EXPECT_EQ(std::string(record, 12), " Adam4      ");
    xb_Close();
}
