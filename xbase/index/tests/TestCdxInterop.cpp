// Independent readers on index files we wrote: the CDX inspector
// (cdxdump.py --check recomputes keys and audits every page) and Debian's
// XBase::Index, which must list every key of a tag in our order.
#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxKey.h"
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"

#include "xbase/testing/CdxTestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

using namespace xb;
using xbtest::TempDir;

namespace {

std::string run(const std::string &command, int *status)
{
    std::string out;
    if (FILE *p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        int st = ::pclose(p);
        *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    } else {
        *status = -1;
    }
    return out;
}

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// An address table with umlauts, dates and numbers, indexed on three tags
// and then changed in place, so that split and rewritten pages are read too.
void writeIndexedTable(const std::string &path)
{
    std::vector<FieldSpec> fields = {{"FAMNAME", 'C', 37, 0}, {"VORNAME", 'C', 37, 0}, {"GEB_DAT", 'D', 8, 0},
                                     {"CASS_NO", 'N', 3, 0}};
    ASSERT_TRUE(Table::create(Env::posix(), path, fields, {}));
    std::unique_ptr<Table> t;
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::Shared, t));
    std::unique_ptr<CdxIndex> ix;
    ASSERT_TRUE(CdxIndex::create(*t, EvalSettings(), ix));
    // No "ß": the inspector upper-cases through Python, where it becomes "SS".
    const char *fam[] = {"M\xFCller", "Meier", "\xD6zt\xFCrk", "Sch\xE4" "fer", "\xE9mile", "Abel"};
    std::mt19937 rng(8);
    auto record = [&]() {
        std::string r = " ";
        std::string f = std::string(fam[rng() % 6]) + std::to_string(rng() % 50);
        f.resize(37, ' ');
        std::string v = "J\xFCrgen" + std::to_string(rng() % 9);
        v.resize(37, ' ');
        char d[12];
        std::snprintf(d, sizeof d, "%04u%02u%02u%3d", unsigned(1940 + rng() % 60), unsigned(1 + rng() % 12), unsigned(1 + rng() % 28),
                      int(rng() % 1000) - 300 < 0 ? -int(rng() % 99) : int(rng() % 999));
        return r + f + v + d;
    };
    for (int i = 0; i < 400; ++i) {
        uint32_t n;
        ASSERT_TRUE(t->append(record().data(), &n));
    }
    ASSERT_TRUE(ix->buildTag("1", "UPPER(FAMNAME+VORNAME)", ""));
    ASSERT_TRUE(ix->buildTag("4", "CASS_NO", ""));
    ASSERT_TRUE(ix->buildTag("7", "GEB_DAT", ""));
    for (int i = 0; i < 600; ++i) {
        uint32_t n;
        if (i % 3 == 0)
            ASSERT_TRUE(t->append(record().data(), &n));
        else
            ASSERT_TRUE(t->replace(1 + rng() % 400, record().data()));
    }
}

std::vector<std::pair<std::string, uint32_t>> ourKeys(const std::string &path, const std::string &tag)
{
    std::unique_ptr<Table> t;
    EXPECT_TRUE(Table::open(Env::posix(), path, OpenMode::ReadOnly, t));
    std::unique_ptr<CdxIndex> ix;
    EXPECT_TRUE(CdxIndex::open(*t, EvalSettings(), ix));
    std::vector<std::pair<std::string, uint32_t>> out;
    CdxTag *tg = ix->tag(ix->findTag(tag));
    CdxFile::ReadScope scope(&ix->file());
    EXPECT_TRUE(tg->walk([&](const uint8_t *k, uint32_t r) {
        std::string key(reinterpret_cast<const char *>(k), std::size_t(tg->keyLength()));
        if (tg->keyType() == CdxKeyType::Numeric)
            key = CdxKey::display(k, 8, CdxKeyType::Numeric, false);
        out.emplace_back(rtrim(key), r);
        return true;
    }));
    return out;
}

} // namespace

TEST(CdxInterop, TheInspectorFindsOurIndexSound)
{
    int status = 0;
    run("/usr/bin/python3 -c 'import struct' 2>/dev/null", &status);
    if (status != 0)
        GTEST_SKIP() << "/usr/bin/python3 is not installed";
    TempDir dir;
    writeIndexedTable(dir.file("ADRESS.DBF"));
    const std::string tool = std::string(TESSARON_SOURCE_DIR) + "/xbase/tests/interop/cdxdump.py ";
    std::string out = run("/usr/bin/python3 " + tool + dir.file("ADRESS.CDX") + " --check 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("ok   tag 1"), std::string::npos) << out;
    EXPECT_NE(out.find("keys compared with the table"), std::string::npos) << out;
    out = run("/usr/bin/python3 " + tool + dir.file("ADRESS.CDX") + " 2>&1", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("DAMAGED"), std::string::npos) << out;
    EXPECT_EQ(out.find("not in byte order"), std::string::npos) << out;
}

TEST(CdxInterop, XBaseIndexListsEveryKeyInOurOrder)
{
    int status = 0;
    run("perl -MXBase::Index -e 1 2>/dev/null", &status);
    if (status != 0)
        GTEST_SKIP() << "perl's XBase::Index (libdbd-xbase-perl) is not installed";
    TempDir dir;
    writeIndexedTable(dir.file("ADRESS.DBF"));
    const std::string script = std::string(TESSARON_SOURCE_DIR) + "/xbase/tests/interop/read_cdx.pl ";
    for (auto [tag, type] : {std::pair<std::string, std::string>{"1", "C"}, {"4", "N"}}) {
        std::string out = run("perl " + script + dir.file("ADRESS.CDX") + " " + tag + " " + type, &status);
        ASSERT_EQ(status, 0) << out;
        std::vector<std::pair<std::string, uint32_t>> theirs;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            auto tab = line.rfind('\t');
            std::string key = rtrim(line.substr(0, tab));
            if (type == "N")
                key = CdxKey::display(reinterpret_cast<const uint8_t *>(CdxKey::fromDouble(std::atof(key.c_str())).data()),
                                      8, CdxKeyType::Numeric, false);
            theirs.emplace_back(key, uint32_t(std::stoul(line.substr(tab + 1))));
        }
        auto ours = ourKeys(dir.file("ADRESS.DBF"), tag);
        EXPECT_EQ(ours.size(), 600u);
        EXPECT_EQ(theirs, ours) << "tag " << tag;
    }
}
