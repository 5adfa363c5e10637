// Repairing tables that interrupted writes and careless copies left behind:
// what comes back, what is cut, and that a crash during the repair itself
// loses nothing.
#include "xbase/api/Repair.h"
#include "xbase/index/CdxIndex.h"
#include "xbase/table/Env.h"
#include "xbase/testing/FailingEnv.h"
#include "xbase/testing/TableTestUtil.h"

#include <filesystem>

using namespace xb;
using namespace xbtest;

namespace {

// KUNDEN: N, NAME with a tag on NAME, NOTIZ memo; `n` records "Name<i>"
// with the memo "Notiz <i>".
std::string makeTable(const TempDir &dir, int n, const std::string &password = "")
{
    const std::string path = dir.file("KUNDEN.DBF");
    EXPECT_TRUE(Table::create(Env::posix(), path, {{"N", 'N', 4, 0}, {"NAME", 'C', 12, 0}, {"NOTIZ", 'M', 10, 0}}, {}));
    std::unique_ptr<Table> t;
    EXPECT_TRUE(Table::open(Env::posix(), path, OpenMode::Exclusive, t));
    std::unique_ptr<CdxIndex> index;
    EXPECT_TRUE(CdxIndex::create(*t, EvalSettings(), index));
    EXPECT_TRUE(index->buildTag("NAME", "NAME", ""));
    if (!password.empty()) {
        t->setPassword(password);
        EXPECT_TRUE(t->encrypt());
    }
    for (int i = 1; i <= n; ++i) {
        std::string r = t->blankRecord();
        setField(*t, r, "N", std::to_string(i));
        setField(*t, r, "NAME", "Name" + std::to_string(i));
        EXPECT_TRUE(t->storeMemo(2, "Notiz " + std::to_string(i), 1, r.data()));
        uint32_t recno = 0;
        EXPECT_TRUE(t->append(r.data(), &recno));
    }
    EXPECT_TRUE(t->commit());
    return path;
}

struct Contents {
    uint32_t count = 0;
    std::vector<std::string> names, memos;
    std::vector<std::string> tagOrder; // NAME values in tag order
    int tagDamage = 0;
};

// Opens the table as the program does and reads everything, failing the
// test when it does not open.
Contents readBack(const std::string &path, const std::string &password = "")
{
    Contents c;
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), path, OpenMode::Shared, t);
    EXPECT_TRUE(s) << s.toString();
    if (!s)
        return c;
    t->setPassword(password);
    EXPECT_TRUE(t->recordCount(&c.count));
    std::string r(t->recordLength(), ' '), memo;
    for (uint32_t i = 1; i <= c.count; ++i) {
        EXPECT_TRUE(t->read(i, r.data()));
        c.names.push_back(getField(*t, r, "NAME"));
        s = t->readMemo(2, r.data(), memo);
        EXPECT_TRUE(s) << s.toString();
        c.memos.push_back(memo);
    }
    std::unique_ptr<CdxIndex> index;
    s = CdxIndex::open(*t, EvalSettings(), index);
    EXPECT_TRUE(s && index) << s.toString();
    if (!index)
        return c;
    std::vector<CdxTagReport> reports;
    EXPECT_TRUE(index->check(reports));
    for (const CdxTagReport &rep : reports)
        c.tagDamage += int(rep.damage.size());
    CdxFile::ReadScope scope(&index->file());
    EXPECT_TRUE(index->tag(0)->walk([&](const uint8_t *, uint32_t recno) {
        EXPECT_TRUE(t->read(recno, r.data()));
        c.tagOrder.push_back(getField(*t, r, "NAME"));
        return true;
    }));
    return c;
}

void appendBytes(const std::string &path, const std::string &bytes)
{
    std::string all = readAll(path);
    if (!all.empty() && all.back() == '\x1A')
        all.pop_back();
    writeAll(path, all + bytes);
}

void setHeaderCount(const std::string &path, uint32_t n)
{
    std::string all = readAll(path);
    for (int i = 0; i < 4; ++i)
        all[4 + std::size_t(i)] = static_cast<char>(n >> (8 * i));
    writeAll(path, all);
}

} // namespace

TEST(Repair, RecoversWholeRecordsCutsATornTailAndRebuildsTheTags)
{
    TempDir dir;
    const std::string path = makeTable(dir, 5);
    const std::string original = readAll(path);
    const uint32_t rl = 1 + 4 + 12 + 10;

    // An append that wrote one whole record and half of the next, but never
    // got to the count.
    std::string sixth = " " + std::string("   6") + "Name6       " + "          ";
    ASSERT_EQ(sixth.size(), rl);
    appendBytes(path, sixth + std::string(rl / 2, 'x'));
    const std::string damaged = readAll(path);
    TableRepairResult r;
    Status s = repairTable(Env::posix(), path, "", r);
    ASSERT_TRUE(s) << s.toString();
    EXPECT_EQ(r.records.headerCount, 5u);
    EXPECT_EQ(r.records.records, 6u);
    EXPECT_EQ(r.records.bytesCut, rl / 2);
    EXPECT_EQ(r.tagsRebuilt, 1);
    EXPECT_TRUE(r.indexProblem.empty()) << r.indexProblem;
    ASSERT_EQ(r.copies.size(), 3u); // DBF, FPT, CDX
    EXPECT_EQ(r.copies[0], path + ".bak");
    EXPECT_EQ(readAll(r.copies[0]), damaged);

    Contents c = readBack(path);
    EXPECT_EQ(c.count, 6u);
    EXPECT_EQ(c.tagDamage, 0);
    EXPECT_EQ(c.tagOrder, (std::vector<std::string>{"Name1", "Name2", "Name3", "Name4", "Name5", "Name6"}));
    EXPECT_EQ(c.memos[0], "Notiz 1");
    EXPECT_EQ(c.memos[5], "");
    const std::string repaired = readAll(path);
    EXPECT_EQ(repaired.size(), original.size() + rl); // one more record, its end mark
    EXPECT_EQ(repaired.back(), '\x1A');

    // A second repair keeps the first copy and numbers its own.
    ASSERT_TRUE(repairTable(Env::posix(), path, "", r));
    EXPECT_EQ(r.copies[0], path + ".bak2");
    EXPECT_EQ(r.records.bytesCut, 0u);
    EXPECT_EQ(r.records.records, 6u);
}

TEST(Repair, ACountBeyondTheFileBecomesTheWholeRecordsAndBadMemoReferencesAreCleared)
{
    TempDir dir;
    const std::string path = makeTable(dir, 4);
    setHeaderCount(path, 9);
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), path, OpenMode::Shared, t);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.code(), Status::Code::Corrupt);

    // Record 3 points at a memo block beyond the memo file.
    std::string all = readAll(path);
    const uint32_t headerLength = uint32_t(uint8_t(all[8])) | uint32_t(uint8_t(all[9])) << 8;
    const std::size_t memoAt = headerLength + 2 * 27 + 17;
    all.replace(memoAt, 10, "    999999");
    writeAll(path, all);

    TableRepairResult r;
    ASSERT_TRUE(s = repairTable(Env::posix(), path, "", r)) << s.toString();
    EXPECT_EQ(r.records.headerCount, 9u);
    EXPECT_EQ(r.records.records, 4u);
    EXPECT_EQ(r.records.memosCleared, 1u);
    Contents c = readBack(path);
    EXPECT_EQ(c.count, 4u);
    EXPECT_EQ(c.memos, (std::vector<std::string>{"Notiz 1", "Notiz 2", "", "Notiz 4"}));
    EXPECT_EQ(c.tagOrder.size(), 4u);
}

TEST(Repair, AMemoFileWithoutHeaderIsReplacedAndAnEncryptedTableNeedsItsPassword)
{
    TempDir dir;
    const std::string path = makeTable(dir, 3, "geheim");
    const std::string fpt = dir.file("KUNDEN.FPT");
    const std::string before = readAll(path);

    TableRepairResult r;
    Status s = repairTable(Env::posix(), path, "", r);
    ASSERT_FALSE(s);
    EXPECT_NE(s.detail().find("password"), std::string::npos) << s.toString();
    s = repairTable(Env::posix(), path, "falsch", r);
    ASSERT_FALSE(s);
    EXPECT_TRUE(r.copies.empty());
    EXPECT_EQ(readAll(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));

    const std::string memoBytes = readAll(fpt);
    writeAll(fpt, memoBytes.substr(0, 100));
    ASSERT_TRUE(s = repairTable(Env::posix(), path, "geheim", r)) << s.toString();
    EXPECT_FALSE(r.records.memoProblem.empty());
    EXPECT_EQ(r.records.memosCleared, 3u);
    EXPECT_EQ(readAll(fpt + ".bak"), memoBytes.substr(0, 100));
    Contents c = readBack(path, "geheim");
    EXPECT_EQ(c.count, 3u);
    EXPECT_EQ(c.names, (std::vector<std::string>{"Name1", "Name2", "Name3"}));
    EXPECT_EQ(c.memos, (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(c.tagOrder.size(), 3u);
}

TEST(Repair, ACrashAtAnyWriteOfTheRepairLeavesATableThatOpensAndTheOriginalsCopied)
{
    TempDir dir;
    const std::string path = makeTable(dir, 5);
    appendBytes(path, " " + std::string("   6") + "Name6       " + std::string(10, ' ') + "torn");
    setHeaderCount(path, 7);
    const std::string damaged = readAll(path);
    const std::string damagedMemo = readAll(dir.file("KUNDEN.FPT"));
    const std::string damagedIndex = readAll(dir.file("KUNDEN.CDX"));

    long writes = 0;
    {
        FailingEnv counting(0);
        TableRepairResult r;
        ASSERT_TRUE(repairTable(&counting, path, "", r));
        writes = counting.writes();
    }
    ASSERT_GT(writes, 5);
    for (long failAt = 1; failAt <= writes; ++failAt) {
        SCOPED_TRACE("crash at write " + std::to_string(failAt));
        for (const char *name : {"KUNDEN.DBF", "KUNDEN.FPT", "KUNDEN.CDX"})
            for (const auto &entry : std::filesystem::directory_iterator(dir.path()))
                if (entry.path().filename().string().rfind(std::string(name) + ".bak", 0) == 0)
                    std::filesystem::remove(entry.path());
        writeAll(path, damaged);
        writeAll(dir.file("KUNDEN.FPT"), damagedMemo);
        writeAll(dir.file("KUNDEN.CDX"), damagedIndex);
        {
            FailingEnv env(failAt);
            TableRepairResult r;
            EXPECT_FALSE(repairTable(&env, path, "", r));
        }
        // Whatever the crash left is the damaged table as it was or a table
        // that opens; the copies are the originals; a repair after it
        // finishes the work.
        if (readAll(path) != damaged) {
            std::unique_ptr<Table> t;
            Status s = Table::open(Env::posix(), path, OpenMode::Shared, t);
            EXPECT_TRUE(s) << s.toString();
        }
        if (std::filesystem::exists(path + ".bak")) {
            EXPECT_EQ(readAll(path + ".bak"), damaged);
        }
        TableRepairResult r;
        Status s = repairTable(Env::posix(), path, "", r);
        ASSERT_TRUE(s) << s.toString();
        Contents c = readBack(path);
        EXPECT_EQ(c.count, 6u);
        EXPECT_EQ(c.tagOrder.size(), 6u);
        EXPECT_EQ(c.tagDamage, 0);
        EXPECT_EQ(c.memos[4], "Notiz 5");
        EXPECT_EQ(readAll(path + ".bak"), damaged);
        EXPECT_EQ(readAll(dir.file("KUNDEN.FPT.bak")), damagedMemo);
    }
}
