// The I/O-error loop: run a sequence of changes with writes failing from the
// Nth on (a crash at that moment), reopen with the real file layer and check
// that the table opens and every record is one of its valid versions; raise
// N until the sequence completes.
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"
#include "xbase/testing/FailingEnv.h"
#include "xbase/testing/TableTestUtil.h"

#include <set>

using namespace xb;
using namespace xbtest;

namespace {

const std::string kBigMemo = std::string(300, 'm') + " second";

// Returns false when a step failed (the injected crash).
bool changes(FailingEnv &env, const std::string &path)
{
    std::unique_ptr<Table> t;
    if (!Table::open(&env, path, OpenMode::Shared, t))
        return false;
    std::string r(t->recordLength(), '\0');
    uint32_t recno = 0;
    for (int i = 3; i <= 5; ++i) {
        r = t->blankRecord();
        r.replace(1, 4, "new" + std::to_string(i));
        if (!t->append(r.data(), &recno))
            return false;
    }
    if (!t->writeMemo(2, 1, "first memo") || !t->read(1, r.data()))
        return false;
    r.replace(1, 3, "ONE");
    if (!t->replace(1, r.data()) || !t->setDeleted(3, true) || !t->writeMemo(2, 1, kBigMemo))
        return false;
    t->setPassword("pw");
    return t->encrypt() && t->commit();
}

void verify(const std::string &path, long failAt)
{
    SCOPED_TRACE("write " + std::to_string(failAt) + " failed");
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), path, OpenMode::Shared, t);
    ASSERT_TRUE(s) << s.toString();
    if (t->isEncrypted()) {
        t->setPassword("pw");
        ASSERT_TRUE(t->passwordMatches());
    }
    uint32_t count = 0;
    ASSERT_TRUE(t->recordCount(&count));
    ASSERT_GE(count, 2u);
    ASSERT_LE(count, 5u);
    std::string r(t->recordLength(), '\0'), memo;
    for (uint32_t recno = 1; recno <= count; ++recno) {
        ASSERT_TRUE(t->read(recno, r.data()));
        const std::string name = r.substr(1, 4);
        const char mark = r[0];
        if (recno == 1)
            EXPECT_TRUE(name == "one " || name == "ONE ") << name;
        else if (recno == 2)
            EXPECT_EQ(name, "two ");
        else
            EXPECT_EQ(name, "new" + std::to_string(recno));
        EXPECT_TRUE(mark == ' ' || (mark == '*' && recno == 3));
        s = t->readMemo(1, r.data(), memo);
        ASSERT_TRUE(s) << s.toString();
        if (recno == 2)
            EXPECT_TRUE(memo.empty() || memo == "first memo" || memo == kBigMemo) << memo;
    }
    // The table keeps working after the crash.
    uint32_t recno = 0;
    ASSERT_TRUE(t->append(t->blankRecord().data(), &recno));
    EXPECT_EQ(recno, count + 1);
}

} // namespace

TEST(CrashSafety, EveryFailedWriteLeavesATableThatOpensWithValidRecords)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    long failAt = 1;
    for (; failAt < 400; ++failAt) {
        ASSERT_TRUE(Table::create(Env::posix(), path, {{"NAME", 'C', 4, 0}, {"MEMO", 'M', 10, 0}}, {}));
        {
            std::unique_ptr<Table> t;
            ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::Exclusive, t));
            uint32_t recno = 0;
            std::string r = t->blankRecord();
            r.replace(1, 4, "one ");
            ASSERT_TRUE(t->append(r.data(), &recno));
            r.replace(1, 4, "two ");
            ASSERT_TRUE(t->append(r.data(), &recno));
        }
        FailingEnv env(failAt);
        const bool completed = changes(env, path);
        verify(path, failAt);
        if (completed && !env.failed())
            break;
    }
    EXPECT_LT(failAt, 400); // the sequence completed at last
    EXPECT_GT(failAt, 10);
}

TEST(CrashSafety, BufferedExclusiveAppendsLoseOnlyUnflushedRecords)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    for (long failAt = 1;; ++failAt) {
        ASSERT_TRUE(Table::create(Env::posix(), path, {{"N", 'C', 100, 0}}, {}));
        FailingEnv env(failAt);
        {
            std::unique_ptr<Table> t;
            ASSERT_TRUE(Table::open(&env, path, OpenMode::Exclusive, t));
            std::string r = t->blankRecord();
            for (int i = 1; i <= 3000; ++i) {
                r.replace(1, 4, std::to_string(10000 + i).substr(1));
                uint32_t recno = 0;
                if (!t->append(r.data(), &recno))
                    break;
            }
        } // closing flushes what is left
        std::unique_ptr<Table> t;
        Status s = Table::open(Env::posix(), path, OpenMode::ReadOnly, t);
        ASSERT_TRUE(s) << "write " << failAt << ": " << s.toString();
        uint32_t count = 0;
        ASSERT_TRUE(t->recordCount(&count));
        std::string r(t->recordLength(), '\0');
        for (uint32_t recno = 1; recno <= count; ++recno) {
            ASSERT_TRUE(t->read(recno, r.data()));
            ASSERT_EQ(r.substr(1, 4), std::to_string(10000 + recno).substr(1)) << "write " << failAt;
        }
        if (!env.failed()) {
            EXPECT_EQ(count, 3000u);
            break;
        }
    }
}
