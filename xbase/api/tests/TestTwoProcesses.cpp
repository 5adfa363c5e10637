// Two real processes on one table: this test binary runs itself again in a
// helper mode ("--xb-helper ...", handled before the tests start) that holds
// a record lock or appends records while the test looks on.
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Table.h"
#include "xbase/api/XbApi.h"
#include "xbase/testing/TableTestUtil.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace xb;
using namespace xbtest;

namespace {

int helperLock(const std::string &path, uint32_t recno)
{
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), path, OpenMode::Shared, t);
    if (s)
        s = t->lockRecord(recno);
    std::printf("%s\n", s ? "locked" : s.toString().c_str());
    std::fflush(stdout);
    char buf[64];
    while (::read(0, buf, sizeof buf) > 0) {
    }
    return s ? 0 : 2;
}

int helperAppend(const std::string &path, int count, const std::string &tag)
{
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), path, OpenMode::Shared, t);
    std::printf("%s\n", s ? "ready" : s.toString().c_str());
    std::fflush(stdout);
    if (!s)
        return 2;
    char buf[8];
    if (::read(0, buf, sizeof buf) <= 0)
        return 3;
    std::string r = t->blankRecord();
    for (int i = 1; i <= count; ++i) {
        if (!(s = FieldCodec::setText(*t, 0, r.data(), tag)) || !(s = FieldCodec::setText(*t, 1, r.data(), std::to_string(i))))
            break;
        uint32_t recno = 0;
        if (!(s = t->append(r.data(), &recno)))
            break;
    }
    if (!s)
        std::fprintf(stderr, "%s\n", s.toString().c_str());
    return s ? 0 : 4;
}

// Another xBase program as it behaves on Linux, in plain system calls and
// nothing of our engine: flock(2) on the table and its index, shared or
// exclusive, and with "flock" also the classic file lock over the range
// 0x77FFFFFF..0x7FFFFFFD. Prints "held" or "refused", then holds until
// its stdin closes.
int helperPeer(const std::string &how, const std::vector<std::string> &paths)
{
    std::vector<int> fds;
    bool ok = true;
    for (const std::string &path : paths) {
        const int fd = ::open(path.c_str(), O_RDWR);
        if (fd < 0)
            return 2;
        fds.push_back(fd);
        ok = ok && ::flock(fd, (how == "exclusive" ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
    }
    if (ok && how == "flock") {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = 0x77FFFFFF;
        fl.l_len = 0x7FFFFFFD - 0x77FFFFFF + 1;
        ok = ::fcntl(fds[0], F_SETLK, &fl) == 0;
    }
    std::printf("%s\n", ok ? "held" : "refused");
    std::fflush(stdout);
    char buf[64];
    while (::read(0, buf, sizeof buf) > 0) {
    }
    return 0;
}

// Runs before main: a helper invocation never reaches the tests.
__attribute__((constructor)) void helperMain(int argc, char **argv, char **)
{
    if (argc < 3 || std::strcmp(argv[1], "--xb-helper") != 0)
        return;
    const std::string mode = argv[2];
    int rc = 1;
    if (mode == "lock" && argc == 5)
        rc = helperLock(argv[3], static_cast<uint32_t>(std::atol(argv[4])));
    else if (mode == "peer" && argc >= 5)
        rc = helperPeer(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    else if (mode == "append" && argc == 6)
        rc = helperAppend(argv[3], std::atoi(argv[4]), argv[5]);
    std::fflush(stdout);
    ::_exit(rc);
}

} // namespace

namespace xbtest {

pid_t spawnHelper(const std::vector<std::string> &args, int *readFd, int *writeFd)
{
    int out[2], in[2];
    if (::pipe(out) != 0 || ::pipe(in) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(in[0], 0);
        ::close(out[0]), ::close(out[1]), ::close(in[0]), ::close(in[1]);
        std::vector<std::string> all = {"test_xbase", "--xb-helper"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv("/proc/self/exe", argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(in[0]);
    *readFd = out[0];
    *writeFd = in[1];
    return pid;
}

int waitHelper(pid_t pid)
{
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string readLine(int fd)
{
    std::string line;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

} // namespace xbtest

TEST(TwoProcesses, RecordLockHeldByAnotherProcessRefusesAtOnce)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"TAG", 'C', 2, 0}, {"N", 'N', 5, 0}}, {}));
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::Shared, t));
    for (int i = 0; i < 3; ++i) {
        uint32_t recno = 0;
        ASSERT_TRUE(t->append(t->blankRecord().data(), &recno));
    }
    int from = -1, to = -1;
    const pid_t pid = spawnHelper({"lock", path, "2"}, &from, &to);
    ASSERT_GT(pid, 0);
    ASSERT_EQ(readLine(from), "locked");

    EXPECT_EQ(t->lockRecord(2).code(), Status::Code::Locked);
    EXPECT_TRUE(t->lockedByOther(2));
    EXPECT_TRUE(t->lockRecord(1));
    EXPECT_EQ(t->replace(2, t->blankRecord().data()).code(), Status::Code::Locked);
    const int area = xb_Use(path.c_str(), "T", XB_SHARED, XB_CDX);
    ASSERT_GT(area, 0);
    EXPECT_FALSE(xb_Rlock(2));
    EXPECT_FALSE(xb_Rlock(1)); // held by our other open
    EXPECT_TRUE(xb_Rlock(3));
    xb_Close();

    ::close(to); // the helper ends and its lock goes with it
    EXPECT_EQ(waitHelper(pid), 0);
    ::close(from);
    EXPECT_TRUE(t->lockRecord(2));
}

TEST(TwoProcesses, ConcurrentAppendsAllArrive)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"TAG", 'C', 2, 0}, {"N", 'N', 5, 0}}, {}));
    int from[2], to[2];
    pid_t pid[2];
    for (int i = 0; i < 2; ++i) {
        pid[i] = spawnHelper({"append", path, "500", i ? "B" : "A"}, &from[i], &to[i]);
        ASSERT_GT(pid[i], 0);
    }
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(readLine(from[i]), "ready");
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(::write(to[i], "go\n", 3), 3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(waitHelper(pid[i]), 0);
        ::close(from[i]), ::close(to[i]);
    }
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::ReadOnly, t));
    uint32_t count = 0;
    ASSERT_TRUE(t->recordCount(&count));
    ASSERT_EQ(count, 1000u);
    std::map<std::string, std::vector<int>> seen;
    std::string r(t->recordLength(), '\0');
    for (uint32_t recno = 1; recno <= count; ++recno) {
        ASSERT_TRUE(t->read(recno, r.data()));
        seen[getField(*t, r, "TAG")].push_back(std::atoi(getField(*t, r, "N").c_str()));
    }
    ASSERT_EQ(seen.size(), 2u);
    for (auto &[tag, numbers] : seen) {
        ASSERT_EQ(numbers.size(), 500u) << tag;
        for (int i = 0; i < 500; ++i)
            EXPECT_EQ(numbers[i], i + 1) << tag; // each process's records in its order
    }
    EXPECT_EQ(readAll(path).size(), t->headerLength() + 1000u * t->recordLength() + 1);
}

TEST(TwoProcesses, OtherProgramsFlockAndFileLockAreHonoured)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"TAG", 'C', 2, 0}, {"N", 'N', 5, 0}}, {}));
    {
        const int area = xb_Use(path.c_str(), "T", XB_EXCLUSIVE, XB_CDX);
        ASSERT_GT(area, 0);
        ASSERT_TRUE(xb_AppendBlank());
        ASSERT_TRUE(xb_IndexTag(nullptr, "TAG", "TAG", 0, 0, nullptr));
        xb_Close();
    }
    const std::string cdx = dir.file("T.CDX");
    auto peer = [](const std::string &how, const std::vector<std::string> &files, int *from, int *to) {
        std::vector<std::string> args = {"peer", how};
        args.insert(args.end(), files.begin(), files.end());
        return spawnHelper(args, from, to);
    };
    auto end = [](pid_t pid, int from, int to) {
        ::close(to);
        EXPECT_EQ(waitHelper(pid), 0);
        ::close(from);
    };
    int from = -1, to = -1;

    // Their exclusive open keeps ours out, shared or exclusive.
    pid_t pid = peer("exclusive", {path}, &from, &to);
    ASSERT_EQ(readLine(from), "held");
    EXPECT_EQ(xb_Use(path.c_str(), "T", XB_SHARED, XB_CDX), 0);
    EXPECT_EQ(xb_LastErrorCode(), int(Status::Code::Locked)) << xb_LastError();
    end(pid, from, to);
    pid = peer("exclusive", {cdx}, &from, &to);
    ASSERT_EQ(readLine(from), "held");
    EXPECT_EQ(xb_Use(path.c_str(), "T", XB_SHARED, XB_CDX), 0) << "an index held exclusively elsewhere";
    end(pid, from, to);

    // Our opens keep their exclusive open out: shared on the table and the
    // index, and our exclusive open their shared one.
    int area = xb_Use(path.c_str(), "T", XB_SHARED, XB_CDX);
    ASSERT_GT(area, 0);
    for (const std::string &file : {path, cdx}) {
        pid = peer("exclusive", {file}, &from, &to);
        EXPECT_EQ(readLine(from), "refused") << file;
        end(pid, from, to);
    }

    // Their file lock: our record locks and appends fail cleanly, nothing
    // is written, and everything works again once they let go.
    pid = peer("flock", {path}, &from, &to);
    ASSERT_EQ(readLine(from), "held");
    EXPECT_FALSE(xb_Rlock(1));
    EXPECT_FALSE(xb_AppendBlank());
    EXPECT_EQ(xb_LastErrorCode(), int(Status::Code::Locked)) << xb_LastError();
    EXPECT_FALSE(xb_Flock());
    EXPECT_EQ(xb_RecCount(), 1);
    const auto sizeBefore = readAll(path).size();
    end(pid, from, to);
    EXPECT_EQ(readAll(path).size(), sizeBefore);
    EXPECT_TRUE(xb_Rlock(1));
    EXPECT_TRUE(xb_Unlock(0));
    EXPECT_TRUE(xb_AppendBlank());
    EXPECT_EQ(xb_RecCount(), 2);

    // Ours keeps theirs out, and our own records stay lockable under it.
    ASSERT_TRUE(xb_Flock());
    EXPECT_TRUE(xb_Rlock(2));
    EXPECT_TRUE(xb_AppendBlank());
    pid = peer("flock", {path}, &from, &to);
    EXPECT_EQ(readLine(from), "refused");
    end(pid, from, to);
    xb_Close();

    ASSERT_GT(area = xb_Use(path.c_str(), "T", XB_EXCLUSIVE, XB_CDX), 0);
    pid = peer("shared", {path}, &from, &to);
    EXPECT_EQ(readLine(from), "refused");
    end(pid, from, to);
    xb_Close();
}
