// Compound-index pages, key encodings, tag builds, seeks and in-place changes.
#include "xbase/index/CdxBuilder.h"
#include "xbase/index/CdxChecker.h"
#include "xbase/index/CdxFile.h"
#include "xbase/index/CdxKey.h"
#include "xbase/index/CdxNode.h"
#include "xbase/index/CdxTag.h"
#include "xbase/text/Dates.h"
#include "xbase/table/Env.h"

#include "xbase/testing/CdxTestUtil.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

using namespace xb;
using xbtest::TempDir;

namespace {

std::string hex(const std::string &s)
{
    std::string out;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%02x", c);
        out += b;
    }
    return out;
}

const uint8_t *u8(const std::string &s) { return reinterpret_cast<const uint8_t *>(s.data()); }

using Entry = std::pair<std::string, uint32_t>;

std::vector<Entry> walkAll(CdxFile &f, CdxTag &tag)
{
    CdxFile::ReadScope scope(&f);
    EXPECT_TRUE(scope.status()) << scope.status().toString();
    std::vector<Entry> out;
    Status s = tag.walk([&](const uint8_t *k, uint32_t r) {
        out.emplace_back(std::string(reinterpret_cast<const char *>(k), std::size_t(tag.keyLength())), r);
        return true;
    });
    EXPECT_TRUE(s) << s.toString();
    return out;
}

CdxTagReport checkTag(CdxFile &f, CdxTag &tag)
{
    CdxFile::ReadScope scope(&f);
    CdxTagReport report;
    EXPECT_TRUE(CdxChecker::checkTree(tag, report));
    return report;
}

// Random surnames with long shared prefixes and umlauts, blank-padded.
std::string randomName(std::mt19937 &rng, int width)
{
    static const char *stems[] = {"M\xFCller", "Mueller", "Meier", "Maier", "Schmidt", "Schneider",
                                  "\xD6zt\xFCrk", "Zimmermann", "Baumgartner-Leutheusser", "A"};
    std::string s = stems[rng() % 10];
    int extra = int(rng() % 12);
    for (int i = 0; i < extra; ++i)
        s += char('A' + rng() % 26);
    return CdxKey::character(s, width);
}

} // namespace

TEST(CdxKey, EncodingsSortLikeTheirValues)
{
    EXPECT_EQ(hex(CdxKey::fromDouble(21)), "c035000000000000");
    EXPECT_EQ(hex(CdxKey::fromDouble(12)), "c028000000000000");
    EXPECT_EQ(hex(CdxKey::fromDouble(-5)), "3febffffffffffff");
    EXPECT_EQ(hex(CdxKey::fromDouble(2451545)), "c142b42c80000000"); // 2000-01-01
    EXPECT_EQ(CdxKey::fromDouble(-0.0), CdxKey::fromDouble(0.0));
    EXPECT_EQ(hex(CdxKey::fromInt32(1)), "80000001");
    double values[] = {-1e300, -12.5, -1, -0.001, 0, 0.001, 1, 2, 12.5, 999999, 1e300};
    for (std::size_t i = 1; i < std::size(values); ++i) {
        EXPECT_LT(CdxKey::fromDouble(values[i - 1]), CdxKey::fromDouble(values[i])) << values[i];
        EXPECT_EQ(CdxKey::toDouble(u8(CdxKey::fromDouble(values[i]))), values[i]);
    }
    EXPECT_EQ(CdxKey::toInt32(u8(CdxKey::fromInt32(-7))), -7);
}

TEST(CdxKey, DatePrefixesCoverTheDatesThatStartWithThem)
{
    double lo, hi;
    auto jd = [](int y, int m, int d) { return double(toJulian(Date{y, m, d})); };
    ASSERT_TRUE(CdxKey::julianRangeOfPrefix("2001", lo, hi));
    EXPECT_EQ(lo, jd(2001, 1, 1));
    EXPECT_EQ(hi, jd(2001, 12, 31));
    ASSERT_TRUE(CdxKey::julianRangeOfPrefix("200102", lo, hi));
    EXPECT_EQ(lo, jd(2001, 2, 1));
    EXPECT_EQ(hi, jd(2001, 2, 28));
    ASSERT_TRUE(CdxKey::julianRangeOfPrefix("20011", lo, hi)); // October to December
    EXPECT_EQ(lo, jd(2001, 10, 1));
    EXPECT_EQ(hi, jd(2001, 12, 31));
    ASSERT_TRUE(CdxKey::julianRangeOfPrefix("20010229", lo, hi)); // no such day
    EXPECT_GT(lo, hi);
    ASSERT_TRUE(CdxKey::julianRangeOfPrefix("20240229", lo, hi));
    EXPECT_EQ(lo, hi);
    EXPECT_FALSE(CdxKey::julianRangeOfPrefix("20x1", lo, hi));
}

TEST(CdxNode, DecodesTheWorkedExampleLeafAndWritesItBackByteForByte)
{
    std::ifstream in(std::string(TESSARON_FIXTURES_DIR) + "/foxpro-10k/TEST10K.CDX", std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(file.size(), 115200u + 512);
    const uint8_t *page = reinterpret_cast<const uint8_t *>(file.data()) + 115200;
    CdxNode n;
    ASSERT_TRUE(CdxNode::decode(page, 115200, 8, 0, n));
    ASSERT_TRUE(n.isLeaf());
    ASSERT_EQ(n.count(), 135);
    EXPECT_EQ(n.left, 115712u);
    EXPECT_EQ(n.right, 116224u);
    EXPECT_EQ(n.recnos[0], 148u);
    EXPECT_EQ(n.recnos[1], 7892u);
    EXPECT_EQ(n.recnos[2], 6657u);
    EXPECT_EQ(CdxKey::display(n.key(0), 8, CdxKeyType::Date, false), "19810315");
    EXPECT_EQ(CdxKey::display(n.key(2), 8, CdxKeyType::Date, false), "19810318");
    EXPECT_EQ(n.recnos.back(), 129u);
    uint8_t again[512];
    n.encode(again);
    EXPECT_EQ(std::memcmp(again, page, 512), 0);
}

TEST(CdxNode, RejectsPagesWhoseCountsDoNotFit)
{
    CdxNode n(1024, 20, true, ' ');
    for (int i = 0; i < 5; ++i)
        n.insert(i, u8(CdxKey::character("KEY" + std::to_string(i), 20)), uint32_t(i + 1));
    uint8_t page[512];
    n.encode(page);
    CdxNode back;
    ASSERT_TRUE(CdxNode::decode(page, 1024, 20, ' ', back));
    EXPECT_EQ(back.keys, n.keys);

    uint8_t bad[512];
    std::memcpy(bad, page, 512);
    bad[2] = 0xFF, bad[3] = 0x7F; // entry count far beyond the page
    EXPECT_EQ(CdxNode::decode(bad, 1024, 20, ' ', back).code(), Status::Code::Corrupt);
    std::memcpy(bad, page, 512);
    bad[23] = 0; // zero-byte entries
    EXPECT_EQ(CdxNode::decode(bad, 1024, 20, ' ', back).code(), Status::Code::Corrupt);
    std::memcpy(bad, page, 512);
    bad[24] = 0xFF, bad[25] = 0xFF, bad[26] = 0xFF; // first entry with shared bytes
    EXPECT_EQ(CdxNode::decode(bad, 1024, 20, ' ', back).code(), Status::Code::Corrupt);
    std::memcpy(bad, page, 512);
    bad[0] = 9;
    EXPECT_EQ(CdxNode::decode(bad, 1024, 20, ' ', back).code(), Status::Code::Corrupt);
}

namespace {

// A tag over 74-character names built from `count` random records.
struct NameIndex {
    TempDir dir;
    std::unique_ptr<CdxFile> file;
    CdxTag *tag = nullptr;
    std::set<Entry> model;

    explicit NameIndex(int count, uint32_t seed = 7)
    {
        std::mt19937 rng(seed);
        EXPECT_TRUE(CdxFile::create(Env::posix(), dir.file("T.CDX"), false, file));
        CdxTagSpec tagSpec{"NAMES", "UPPER(FAMNAME+VORNAME)", "", 74, CdxKeyType::Character};
        CdxBuildInput input;
        input.keyLength = 74;
        for (int i = 1; i <= count; ++i) {
            std::string k = randomName(rng, 74);
            input.add(u8(k), uint32_t(i));
            model.emplace(k, uint32_t(i));
        }
        EXPECT_TRUE(file->addTag(tagSpec, input, &tag));
    }
};

} // namespace

TEST(CdxTag, BuildsBottomUpInKeyThenRecordOrder)
{
    NameIndex ix(3000);
    ASSERT_NE(ix.tag, nullptr);
    auto got = walkAll(*ix.file, *ix.tag);
    EXPECT_EQ(got, std::vector<Entry>(ix.model.begin(), ix.model.end()));
    CdxTagReport r = checkTag(*ix.file, *ix.tag);
    EXPECT_TRUE(r.ok()) << (r.damage.empty() ? r.orderNote : r.damage[0]);
    EXPECT_GE(r.depth, 2);

    // Reopened by a second object, the tag is found by name in any case.
    std::unique_ptr<CdxFile> again;
    ASSERT_TRUE(CdxFile::open(Env::posix(), ix.dir.file("T.CDX"), false, false, again));
    ASSERT_EQ(again->tagCount(), 1);
    CdxTag *t = again->findTag("names");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->keyExpression(), "UPPER(FAMNAME+VORNAME)");
    EXPECT_EQ(t->keyLength(), 74);
    EXPECT_EQ(walkAll(*again, *t).size(), 3000u);
}

TEST(CdxTag, SeeksOnTheKeysLengthExactlyAndSoftly)
{
    NameIndex ix(2000);
    CdxFile::ReadScope scope(ix.file.get());
    CdxPosition pos;
    // A prefix finds the first entry that starts with it.
    std::string prefix = "Meier";
    ASSERT_TRUE(ix.tag->seek(u8(prefix), int(prefix.size()), pos));
    auto expect = ix.model.lower_bound({prefix, 0});
    ASSERT_TRUE(pos.valid());
    EXPECT_EQ(pos.key, expect->first);
    EXPECT_EQ(pos.recno, expect->second);
    // Every full key finds its first record.
    for (auto it = ix.model.begin(); it != ix.model.end(); std::advance(it, 37)) {
        ASSERT_TRUE(ix.tag->seek(u8(it->first), 74, pos));
        ASSERT_TRUE(pos.valid());
        EXPECT_EQ(pos.key, it->first);
        EXPECT_EQ(pos.recno, ix.model.lower_bound({it->first, 0})->second);
    }
    // Past the last key: nothing; seekLast gives the last entry not above.
    std::string high = "\xFF";
    ASSERT_TRUE(ix.tag->seek(u8(high), 1, pos));
    EXPECT_FALSE(pos.valid());
    ASSERT_TRUE(ix.tag->seekLast(u8(prefix), int(prefix.size()), pos));
    auto lastMeier = std::prev(ix.model.lower_bound({"Meies", 0}));
    EXPECT_EQ(pos.recno, lastMeier->second);
    // Walking backwards from the end visits everything in reverse.
    ASSERT_TRUE(ix.tag->last(pos));
    std::size_t n = 0;
    for (auto it = ix.model.rbegin(); it != ix.model.rend(); ++it, ++n) {
        ASSERT_TRUE(pos.valid());
        ASSERT_EQ(pos.recno, it->second);
        ASSERT_TRUE(ix.tag->prev(pos));
    }
    EXPECT_FALSE(pos.valid());
    EXPECT_EQ(n, ix.model.size());
}

TEST(CdxTag, RandomInsertsAndDeletesKeepTheTreeSound)
{
    NameIndex ix(500, 11);
    std::mt19937 rng(99);
    uint32_t nextRec = 501;
    for (int round = 0; round < 6; ++round) {
        CdxFile::WriteScope scope(ix.file.get());
        ASSERT_TRUE(scope.status());
        for (int i = 0; i < 400; ++i) {
            if (rng() % 3 != 0 || ix.model.empty()) {
                std::string k = randomName(rng, 74);
                ASSERT_TRUE(ix.tag->insert(u8(k), nextRec));
                ix.model.emplace(k, nextRec++);
            } else {
                auto it = ix.model.begin();
                std::advance(it, rng() % ix.model.size());
                ASSERT_TRUE(ix.tag->remove(u8(it->first), it->second));
                ix.model.erase(it);
            }
        }
        ASSERT_TRUE(scope.finish());
        CdxTagReport r = checkTag(*ix.file, *ix.tag);
        ASSERT_TRUE(r.ok()) << "round " << round << ": " << (r.damage.empty() ? r.orderNote : r.damage[0]);
        ASSERT_EQ(walkAll(*ix.file, *ix.tag), std::vector<Entry>(ix.model.begin(), ix.model.end()));
    }
    // Removing everything leaves an empty root leaf; the pages go to the free
    // list and the next inserts reuse them instead of growing the file.
    {
        CdxFile::WriteScope scope(ix.file.get());
        for (auto &e : ix.model)
            ASSERT_TRUE(ix.tag->remove(u8(e.first), e.second));
        ix.model.clear();
    }
    EXPECT_TRUE(walkAll(*ix.file, *ix.tag).empty());
    uint64_t size = std::filesystem::file_size(ix.dir.file("T.CDX"));
    {
        CdxFile::WriteScope scope(ix.file.get());
        for (uint32_t r = 1; r <= 300; ++r) {
            std::string k = randomName(rng, 74);
            ASSERT_TRUE(ix.tag->insert(u8(k), r));
            ix.model.emplace(k, r);
        }
    }
    EXPECT_EQ(std::filesystem::file_size(ix.dir.file("T.CDX")), size);
    EXPECT_TRUE(checkTag(*ix.file, *ix.tag).ok());
    // Deleting an entry that is not there is reported, not ignored.
    CdxFile::WriteScope scope(ix.file.get());
    EXPECT_EQ(ix.tag->remove(u8(CdxKey::character("NOBODY", 74)), 1).code(), Status::Code::NotFound);
}

TEST(CdxTag, ASecondHolderSeesChangesThroughTheChangeCounter)
{
    NameIndex ix(200);
    std::unique_ptr<CdxFile> other;
    ASSERT_TRUE(CdxFile::open(Env::posix(), ix.dir.file("T.CDX"), true, false, other));
    CdxTag *t2 = other->findTag("NAMES");
    ASSERT_EQ(walkAll(*other, *t2).size(), 200u);
    CdxPosition pos;
    {
        CdxFile::ReadScope scope(other.get());
        ASSERT_TRUE(t2->first(pos));
    }
    uint32_t before = ix.file->changeCounter();
    {
        CdxFile::WriteScope scope(ix.file.get());
        std::string k = CdxKey::character("!", 74);
        ASSERT_TRUE(ix.tag->insert(u8(k), 9999));
    }
    EXPECT_EQ(ix.file->changeCounter(), before + 1);
    // The other holder drops its pages and its old position is found again.
    CdxFile::ReadScope scope(other.get());
    EXPECT_EQ(other->changeCounter(), before + 1);
    CdxPosition top;
    ASSERT_TRUE(t2->first(top));
    EXPECT_EQ(top.recno, 9999u);
    ASSERT_TRUE(t2->prev(pos));
    EXPECT_EQ(pos.recno, 9999u);
}

TEST(CdxTag, TagsAreAddedReplacedAndRemoved)
{
    TempDir dir;
    std::unique_ptr<CdxFile> f;
    ASSERT_TRUE(CdxFile::create(Env::posix(), dir.file("X.CDX"), true, f));
    for (int t = 0; t < 12; ++t) { // enough names to split the directory leaf
        CdxTagSpec tagSpec{"TAG" + std::to_string(t), "STR(N)", t % 2 ? "N>0" : "", 8, CdxKeyType::Numeric};
        CdxBuildInput in;
        in.keyLength = 8;
        for (int r = 1; r <= 50 * t; ++r)
            in.add(u8(CdxKey::fromDouble(r % 7 - 3)), uint32_t(r));
        ASSERT_TRUE(f->addTag(tagSpec, in));
    }
    ASSERT_EQ(f->tagCount(), 12);
    EXPECT_EQ(f->findTag("TAG3")->forExpression(), "N>0");
    EXPECT_TRUE(f->findTag("TAG3")->options() & 0x08);
    CdxBuildInput none;
    none.keyLength = 8;
    ASSERT_TRUE(f->addTag({"TAG3", "N", "", 8, CdxKeyType::Numeric}, none));
    ASSERT_TRUE(f->removeTag("TAG5"));
    EXPECT_EQ(f->removeTag("TAG5").code(), Status::Code::NotFound);
    f.reset(); // an exclusive holder keeps every other open out
    std::unique_ptr<CdxFile> g;
    ASSERT_TRUE(CdxFile::open(Env::posix(), dir.file("X.CDX"), false, true, g));
    ASSERT_EQ(g->tagCount(), 11);
    EXPECT_EQ(g->findTag("TAG5"), nullptr);
    EXPECT_EQ(g->findTag("TAG3")->keyExpression(), "N");
    EXPECT_TRUE(walkAll(*g, *g->findTag("TAG3")).empty());
    for (int i = 0; i < g->tagCount(); ++i) {
        g->tag(i)->setKeyType(CdxKeyType::Numeric);
        EXPECT_TRUE(checkTag(*g, *g->tag(i)).ok()) << g->tag(i)->name();
    }
    EXPECT_EQ(walkAll(*g, *g->findTag("TAG11")).size(), 550u);
    // Names that cannot be stored are refused.
    EXPECT_EQ(g->addTag({"TOOLONGNAME1", "N", "", 8, CdxKeyType::Numeric}, none).code(),
              Status::Code::BadArgument);
}

TEST(CdxFile, DamagedFilesGiveCorruptNeverACrash)
{
    NameIndex ix(1500);
    ix.file.reset();
    std::string path = ix.dir.file("T.CDX");
    std::vector<char> good;
    {
        std::ifstream in(path, std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::mt19937 rng(5);
    int corrupt = 0;
    for (int trial = 0; trial < 60; ++trial) {
        std::vector<char> bad = good;
        if (trial == 0) {
            bad.resize(bad.size() - 100); // truncated
        } else {
            // Flip bytes in headers and tree pages.
            for (int i = 0; i < 4; ++i)
                bad[rng() % bad.size()] ^= char(1 + rng() % 255);
            bad[(rng() % (bad.size() / 512)) * 512 + rng() % 24] ^= char(1 + rng() % 255);
        }
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(bad.data(), std::streamsize(bad.size()));
        }
        std::unique_ptr<CdxFile> f;
        Status s = CdxFile::open(Env::posix(), path, false, false, f);
        if (!s) {
            EXPECT_EQ(s.code(), Status::Code::Corrupt) << s.toString();
            ++corrupt;
            continue;
        }
        for (int t = 0; t < f->tagCount(); ++t) {
            CdxFile::ReadScope scope(f.get());
            CdxTagReport r;
            (void)CdxChecker::checkTree(*f->tag(t), r);
            CdxPosition pos;
            Status w = f->tag(t)->first(pos);
            for (int steps = 0; w && pos.valid() && steps < 5000; ++steps)
                w = f->tag(t)->next(pos);
            if (!w) {
                EXPECT_EQ(w.code(), Status::Code::Corrupt);
            }
            std::string k = CdxKey::character("M", 74);
            (void)f->tag(t)->seek(u8(k), 1, pos);
        }
    }
    EXPECT_GE(corrupt, 1);
}
