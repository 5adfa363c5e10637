// xbtool as scripts use it: commands, CSV in and out, exit status and the
// one-line error.
#include "xbase/api/Engine.h"
#include "xbase/api/WorkArea.h"
#include "xbase/table/Env.h"
#include "xbase/testing/TableTestUtil.h"

#include <cstdio>
#include <sys/wait.h>

using namespace xbtest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun xbtool(const TempDir &dir, const std::string &arguments, const std::string &input = "")
{
    const std::string inFile = dir.file("stdin.txt"), errFile = dir.file("stderr.txt");
    writeAll(inFile, input);
    const std::string command = std::string(TESSARON_BIN_DIR) + "/xbtool " + arguments + " < " + inFile + " 2> "
        + errFile;
    ToolRun run;
    if (FILE *p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            run.out.append(buf, n);
        const int st = ::pclose(p);
        run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    run.err = readAll(errFile);
    return run;
}

} // namespace

TEST(XbTool, CreateAppendDumpInfoAndCheckRoundTrip)
{
    TempDir dir;
    const std::string table = dir.file("NOTIZEN.DBF");
    ToolRun r = xbtool(dir, "create " + table + " INR:C:15 NAME:C:20 BETRAG:N:8:2 DATUM:D FLAG:L NOTIZ:M");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "created " + table + ": 6 fields, 63-byte records\n");
    EXPECT_EQ(xbtool(dir, "create " + table + " A:C:1").status, 1); // exists

    const std::string csv = "INR,NAME,BETRAG,DATUM,FLAG,NOTIZ\n"
                            "1,M\xC3\xBCller,12.5,2026-12-09,T,\"Gr\xC3\xBC\xC3\x9F" "e,\n\"\"zwei\"\" Zeilen\"\n"
                            "2,\xE2\x82\xAC uro,,,,\n";
    r = xbtool(dir, "append " + table, csv);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "appended 2 records\n");

    r = xbtool(dir, "dump " + table);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "INR,NAME,BETRAG,DATUM,FLAG,NOTIZ\n"
                     "1,M\xC3\xBCller,12.50,2026-12-09,T,\"Gr\xC3\xBC\xC3\x9F" "e,\n\"\"zwei\"\" Zeilen\"\n"
                     "2,\xE2\x82\xAC uro,,,,\n");
    r = xbtool(dir, "dump " + table + " --expr 'UPPER(NAME) = \"M\xC3\x9C\"'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, 10), "1,M\xC3\xBCller,");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3); // header, record (two lines)

    r = xbtool(dir, "info " + table);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("type:        0xF5 FoxPro 2.x with memo\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("records:     2\n"), std::string::npos);
    EXPECT_NE(r.out.find("    6 NOTIZ      M    10   0  offset 53\n"), std::string::npos) << r.out;

    r = xbtool(dir, "check " + table);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ok: " + table + ": 2 records, structure sound\n");
}

TEST(XbTool, FailuresExitWithOneLineOnStderr)
{
    TempDir dir;
    const std::string table = dir.file("T.DBF");
    ASSERT_EQ(xbtool(dir, "create " + table + " NAME:C:5 N:N:3").status, 0);
    struct Case {
        std::string arguments, input, message;
    };
    const std::vector<Case> cases = {
        {"append " + table, "NAME,NOPE\na,b\n", "no field \"NOPE\""},
        {"append " + table, "NAME,N\nabc,1234\n", "number too wide"},
        {"append " + table, "NAME\nzu lang\n", "longer than the field"},
        {"append " + table, "NAME\n\xE2\x98\x83\n", "not in Windows-1252"},
        {"dump " + dir.file("MISSING.DBF"), "", "MISSING.DBF"},
        {"dump " + table + " --expr 'NAME >'", "", "NAME >"},
        {"create " + dir.file("X.DBF") + " 1BAD:C:5", "", "invalid field name"},
        {"frobnicate " + table, "", "unknown command"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments);
        ToolRun r = xbtool(dir, c.arguments, c.input);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind("xbtool: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // The table stays unchanged by the refused appends.
    EXPECT_EQ(xbtool(dir, "dump " + table).out, "NAME,N\n");

    std::string bytes = readAll(table);
    bytes[4] = 50;
    writeAll(table, bytes);
    ToolRun r = xbtool(dir, "check " + table);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("record count 50 beyond the file size"), std::string::npos) << r.err;
}

TEST(XbTool, PasswordProtectsAnEncryptedTable)
{
    TempDir dir;
    const std::string table = dir.file("SEX.DBF");
    ASSERT_EQ(xbtool(dir, "create " + table + " NAME:C:10 --password g\xC3\xA4heim").status, 0);
    ASSERT_EQ(xbtool(dir, "append " + table + " --password g\xC3\xA4heim", "NAME\nAnna\n").status, 0);
    EXPECT_EQ(readAll(table).find("Anna"), std::string::npos);
    EXPECT_EQ(xbtool(dir, "append " + table, "NAME\nEva\n").status, 1);
    ToolRun r = xbtool(dir, "dump " + table + " --password falsch");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("wrong password"), std::string::npos);
    r = xbtool(dir, "dump " + table + " --password g\xC3\xA4heim");
    EXPECT_EQ(r.out, "NAME\nAnna\n");
    r = xbtool(dir, "info " + table + " --password g\xC3\xA4heim");
    EXPECT_NE(r.out.find("encrypted:   yes, password matches\n"), std::string::npos) << r.out;
}

TEST(XbTool, AppendKeepsTheTagsAndEveryIndexCommandTakesThePassword)
{
    TempDir dir;
    const std::string table = dir.file("ADRESS.DBF");
    ASSERT_EQ(xbtool(dir, "create " + table + " INR:C:15 NAME:C:20 NOTIZ:M").status, 0);
    ASSERT_EQ(xbtool(dir, "append " + table, "INR,NAME,NOTIZ\n1,Meier,erste\n").status, 0);
    ToolRun r = xbtool(dir, "index " + table + " NAME \"UPPER(NAME)\"");
    ASSERT_EQ(r.status, 0) << r.err;
    r = xbtool(dir, "append " + table, "INR,NAME,NOTIZ\n2,Zimmermann,zweite\n3,Schäfer,dritte\n");
    ASSERT_EQ(r.status, 0) << r.err;
    r = xbtool(dir, "check " + table);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("ok: tag NAME: 3 keys"), std::string::npos) << r.out;
    r = xbtool(dir, "seek " + table + " NAME ZIMMERMANN");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(",2,Zimmermann,"), std::string::npos) << r.out;

    // A write that would pass the index by is refused, not done quietly.
    {
        std::unique_ptr<xb::Table> t;
        ASSERT_TRUE(xb::Table::open(xb::Env::posix(), table, xb::OpenMode::Shared, t));
        uint32_t recno = 0;
        const xb::Status s = t->append(t->blankRecord().data(), &recno);
        EXPECT_FALSE(s);
        EXPECT_NE(s.detail().find("structural index"), std::string::npos) << s.toString();
        uint32_t count = 0;
        ASSERT_TRUE(t->recordCount(&count));
        EXPECT_EQ(count, 3u);
    }

    // An encrypted table: keys come from the deciphered records.
    {
        xb::Engine engine;
        int area = 0;
        ASSERT_TRUE(engine.use(table, "T", xb::OpenMode::Exclusive, &area));
        engine.area(area)->table().setPassword("geheim");
        ASSERT_TRUE(engine.area(area)->table().encrypt());
    }
    EXPECT_EQ(xbtool(dir, "reindex " + table).status, 1);
    EXPECT_EQ(xbtool(dir, "reindex " + table + " --password falsch").status, 1);
    r = xbtool(dir, "reindex " + table + " --password geheim");
    ASSERT_EQ(r.status, 0) << r.err;
    r = xbtool(dir, "seek " + table + " NAME SCHÄFER --password geheim");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(",3,Schäfer,"), std::string::npos) << r.out;
    r = xbtool(dir, "index " + table + " INR INR --password geheim");
    ASSERT_EQ(r.status, 0) << r.err;
    r = xbtool(dir, "append " + table + " --password geheim", "INR,NAME\n4,Weiß\n");
    ASSERT_EQ(r.status, 0) << r.err;
    r = xbtool(dir, "seek " + table + " INR 4 --password geheim");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Weiß"), std::string::npos) << r.out;
    r = xbtool(dir, "check " + table + " --password geheim");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
}

// A tag another program sorted with its German collation is walked as it
// stands; seeks and changes on it are refused with the remedy, and after a
// reindex every stored key is found. The other program's tool sees the
// index unchanged until then.
TEST(XbTool, TagsInAnotherCollationAreNeverSearchedOrChangedWrongly)
{
    TempDir dir;
    dir.copyFixture({"harbour-german/ADRESS.dbf", "harbour-german/ADRESS.cdx"});
    const std::string table = dir.file("ADRESS.dbf");
    const std::string cdxdump = "/usr/bin/python3 " + std::string(TESSARON_SOURCE_DIR)
        + "/xbase/tests/interop/cdxdump.py --check " + table + " " + dir.file("ADRESS.cdx");
    auto inspect = [&] {
        std::string out;
        if (FILE *p = ::popen((cdxdump + " 2>&1").c_str(), "r")) {
            char buf[4096];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
                out.append(buf, n);
            ::pclose(p);
        }
        return out;
    };
    const std::string before = inspect();
    const std::string dbfBefore = readAll(table);
    for (const char *key : {"SCHÄFER", "WEIß", "ZIMMERMANN"}) {
        ToolRun r = xbtool(dir, "seek " + table + " 1 " + key);
        EXPECT_EQ(r.status, 1) << key;
        EXPECT_EQ(r.out.find("not found"), std::string::npos) << key << ": a wrong answer";
        EXPECT_NE(r.err.find("reindex"), std::string::npos) << r.err;
    }
    ToolRun r = xbtool(dir, "append " + table, "FAMNAME\nAdler\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("collation"), std::string::npos) << r.err;
    EXPECT_EQ(readAll(table), dbfBefore);
    EXPECT_EQ(inspect(), before);
    r = xbtool(dir, "dump " + table + " --order 1");
    EXPECT_EQ(r.status, 0) << r.err; // walking its order is fine

    ASSERT_EQ(xbtool(dir, "reindex " + table).status, 0);
    for (const char *key : {"SCHÄFER", "WEIß", "ZIMMERMANN"})
        EXPECT_EQ(xbtool(dir, "seek " + table + " 1 " + key).status, 0) << key;
    ASSERT_EQ(xbtool(dir, "append " + table, "FAMNAME\nAdler\n").status, 0);
    const std::string after = inspect();
    EXPECT_EQ(after.find("not in byte order"), std::string::npos) << after;
    EXPECT_EQ(xbtool(dir, "check " + table).status, 0);
}

// The damage an interrupted append leaves, as a user meets it: check fails
// and names the remedy, repair brings the table back with copies kept, and
// another program reads the result.
TEST(XbTool, RepairRecoversWhatCheckFindsBroken)
{
    TempDir dir;
    const std::string table = dir.file("ADRESS.DBF");
    ASSERT_EQ(xbtool(dir, "create " + table + " INR:C:5 NAME:C:20 NOTIZ:M").status, 0);
    ASSERT_EQ(xbtool(dir, "index " + table + " NAME \"UPPER(NAME)\"").status, 0);
    ASSERT_EQ(xbtool(dir, "append " + table, "INR,NAME,NOTIZ\n1,Meier,erste\n2,Zimmermann,zweite\n3,Schäfer,\n").status, 0);

    std::string bytes = readAll(table);
    bytes.pop_back();                          // the end mark
    writeAll(table, bytes + " 4    Wei\xDF");     // half a record
    ToolRun r = xbtool(dir, "check " + table);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("xbtool repair cuts them"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("xbtool repair recovers the table"), std::string::npos) << r.err;

    r = xbtool(dir, "repair " + table);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("kept: " + table + ".bak\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("cut: 10 bytes"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("index: 1 tags rebuilt\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("repaired " + table + ": 3 records\n"), std::string::npos) << r.out;
    EXPECT_EQ(readAll(table + ".bak"), bytes + " 4    Wei\xDF");
    r = xbtool(dir, "check " + table);
    EXPECT_EQ(r.status, 0) << r.out << r.err;

    // A count the file cannot hold: the table does not open at all.
    bytes = readAll(table);
    bytes[4] = 40;
    writeAll(table, bytes);
    r = xbtool(dir, "check " + table);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("xbtool repair recovers the whole records"), std::string::npos) << r.err;
    r = xbtool(dir, "repair " + table);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("kept: " + table + ".bak2\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("count: 3 whole records, the header said 40\n"), std::string::npos) << r.out;
    r = xbtool(dir, "seek " + table + " NAME ZIMMERMANN");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find(",2,Zimmermann,"), std::string::npos) << r.out;

    const std::string python = "/usr/bin/python3 -c \"import dbfread,sys; t=dbfread.DBF(sys.argv[1], encoding='cp1252'); "
                               "print(len(t), [r['NAME'] for r in t])\" " + table + " > " + dir.file("py.txt");
    ASSERT_EQ(std::system(python.c_str()), 0);
    EXPECT_EQ(readAll(dir.file("py.txt")), "3 ['Meier', 'Zimmermann', 'Schäfer']\n");
}
