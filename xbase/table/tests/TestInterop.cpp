// Files exchanged with independent xBase readers and writers: Debian's
// python3-dbfread reads what we write, and we read what python3-dbf writes.
// Debian's own python3 is used so that it finds Debian's modules.
#include "xbase/text/Codepage.h"
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Table.h"
#include "xbase/testing/TableTestUtil.h"

#include <cstdio>
#include <sstream>

using namespace xb;
using namespace xbtest;

namespace {

const char *kPython = "/usr/bin/python3";

// Runs a script of tests/interop with `arg`; returns its stdout.
std::string runPython(const std::string &script, const std::string &arg)
{
    const std::string command = std::string(kPython) + " " + TESSARON_SOURCE_DIR + "/xbase/tests/interop/" + script
        + " '" + arg + "' 2>&1";
    std::string out;
    if (FILE *p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

std::string utf8(const std::string &cp1252) { return cp1252ToUtf8(cp1252); }

} // namespace

TEST(Interop, DbfreadReadsEveryValueWeWrite)
{
    if (!Env::posix()->fileExists(kPython))
        GTEST_SKIP() << "no " << kPython;
    TempDir dir;
    const std::string path = dir.file("ADRESS.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path,
                              {{"FAMNAME", 'C', 37, 0}, {"PREIS", 'N', 8, 2}, {"CASS_NO", 'N', 3, 0},
                               {"GEB_DAT", 'D', 8, 0}, {"WICHTIG", 'L', 1, 0}, {"NOTIZ", 'M', 10, 0}},
                              {}));
    struct Row {
        std::string name, price, number, date, logical, memo;
        bool deleted;
    };
    const std::vector<Row> rows = {
        {"M\xFCller-L\xFC" "denscheid", "1234.56", "7", "19991010", "T", "Gr\xFC\xDF" "e aus K\xF6ln\r\nZeile 2", false},
        {"\xC4rger \x80 \x84quoted\x93", "-0.5", "-12", "", "F", std::string(500, '\xE4'), false},
        {"Gel\xF6scht", "1", "1", "20000101", "T", "weg", true},
        {"Leer", "", "", "", "", "", false},
    };
    {
        std::unique_ptr<Table> t;
        ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::Shared, t));
        for (const Row &row : rows) {
            std::string r = t->blankRecord();
            setField(*t, r, "FAMNAME", row.name);
            setField(*t, r, "PREIS", row.price);
            setField(*t, r, "CASS_NO", row.number);
            setField(*t, r, "GEB_DAT", row.date);
            setField(*t, r, "WICHTIG", row.logical);
            uint32_t recno = 0;
            ASSERT_TRUE(t->append(r.data(), &recno));
            ASSERT_TRUE(t->writeMemo(recno, 5, row.memo));
            if (row.deleted)
                ASSERT_TRUE(t->setDeleted(recno, true));
        }
    }
    const std::string out = runPython("read_with_dbfread.py", path);
    if (out.rfind("MISSING", 0) == 0)
        GTEST_SKIP() << out;
    const std::string expected = utf8("M\xFCller-L\xFC" "denscheid|1234.56|7|1999-10-10|T|Gr\xFC\xDF" "e aus K\xF6ln\r\nZeile 2\n")
        + utf8("\xC4rger \x80 \x84quoted\x93|-0.5|-12|<null>|F|" + std::string(500, '\xE4') + "\n")
        + "Leer|<null>|<null>|<null>|<null>|<null>\n";
    EXPECT_EQ(out, expected);
}

TEST(Interop, WeReadAFoxProTableWrittenByPythonDbf)
{
    if (!Env::posix()->fileExists(kPython))
        GTEST_SKIP() << "no " << kPython;
    TempDir dir;
    const std::string path = dir.file("PYTAB.DBF");
    const std::string out = runPython("write_with_dbf.py", path);
    if (out.rfind("MISSING", 0) == 0)
        GTEST_SKIP() << out;
    ASSERT_EQ(out, "written\n");
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::ReadOnly, t));
    EXPECT_EQ(t->versionByte(), 0xF5);
    uint32_t count = 0;
    ASSERT_TRUE(t->recordCount(&count));
    ASSERT_EQ(count, 3u);
    std::ostringstream seen;
    std::string r(t->recordLength(), '\0'), memo;
    for (uint32_t recno = 1; recno <= count; ++recno) {
        ASSERT_TRUE(t->read(recno, r.data()));
        for (int f = 0; f < 4; ++f)
            seen << FieldCodec::text(*t, f, r.data()) << "|";
        ASSERT_TRUE(t->readMemo(4, r.data(), memo));
        seen << memo << "\n";
    }
    EXPECT_EQ(seen.str(), "M\xFCller|12.50|19991010|T|Gr\xFC\xDF" "e\r\naus K\xF6ln\n"
                          "Zo\xEB \x80|-3.25||F|\n"
                          "Stra\xDF" "e|0.00|20260228||" + std::string(300, 'x') + "\n");

    // And we can add to it: python-dbf's own block size is kept.
    std::unique_ptr<Table> w;
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::Shared, w));
    uint32_t recno = 0;
    ASSERT_TRUE(w->append(w->blankRecord().data(), &recno));
    ASSERT_TRUE(w->writeMemo(recno, 4, "neu"));
    w.reset();
    const std::string check = runPython("read_with_dbfread.py", path);
    EXPECT_NE(check.find("|neu\n"), std::string::npos) << check;
}
