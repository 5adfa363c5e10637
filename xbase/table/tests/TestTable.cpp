// DBF and FPT files: the bytes we write, the files others wrote, and damaged
// files.
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/MemoFile.h"
#include "xbase/table/Table.h"
#include "xbase/testing/TableTestUtil.h"

#include <cstring>

using namespace xb;
using namespace xbtest;

namespace {

uint32_t le32(const std::string &b, std::size_t at)
{
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16
        | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t le16(const std::string &b, std::size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
uint32_t be32(const std::string &b, std::size_t at)
{
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8
        | uint32_t(uint8_t(b[at + 3]));
}

std::unique_ptr<Table> openTable(const std::string &path, OpenMode mode = OpenMode::Shared)
{
    std::unique_ptr<Table> t;
    Status s = Table::open(Env::posix(), path, mode, t);
    EXPECT_TRUE(s) << s.toString();
    return t;
}

std::vector<FieldSpec> notesFields()
{
    return {{"INR", 'C', 15, 0}, {"NOTIZ", 'M', 10, 0}};
}

} // namespace

TEST(Table, AdressComesOutWith556ByteRecordsAndTheFoxProHeader)
{
    TempDir dir;
    const std::string path = dir.file("ADRESS.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, adressFields(), {}));
    const std::string b = readAll(path);
    ASSERT_EQ(b.size(), 32u + 26 * 32 + 1 + 1);
    EXPECT_EQ(uint8_t(b[0]), 0x03);
    EXPECT_EQ(le32(b, 4), 0u);
    EXPECT_EQ(le16(b, 8), 32 + 26 * 32 + 1);
    EXPECT_EQ(le16(b, 10), 556);
    for (int i = 12; i < 28; ++i)
        EXPECT_EQ(b[i], 0) << "reserved byte " << i;
    EXPECT_EQ(uint8_t(b[28]), 0x00);
    EXPECT_EQ(uint8_t(b[29]), 0x03);
    EXPECT_EQ(uint8_t(b[32 + 26 * 32]), 0x0D);
    EXPECT_EQ(uint8_t(b.back()), 0x1A);
    // Descriptor of BEMERKUNG (field 11): name, type, offset, width.
    const std::size_t d = 32 + 10 * 32;
    EXPECT_EQ(std::string(b.data() + d, 11), std::string("BEMERKUNG\0\0", 11));
    EXPECT_EQ(b[d + 11], 'C');
    EXPECT_EQ(le32(b, d + 12), 1u + 37 * 3 + 3 + 6 + 25 + 24 * 4);
    EXPECT_EQ(uint8_t(b[d + 16]), 100);

    auto t = openTable(path);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->recordLength(), 556u);
    ASSERT_EQ(t->fields().size(), 26u);
    EXPECT_EQ(t->fields()[25].name, "L_UPDATE");
    EXPECT_EQ(t->fields()[25].offset, 548);
}

TEST(Table, MemoTableIsTypeF5WithAnEmptyFpt)
{
    TempDir dir;
    const std::string path = dir.file("NOTIZEN.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, notesFields(), {}));
    const std::string b = readAll(path);
    EXPECT_EQ(uint8_t(b[0]), 0xF5);
    EXPECT_EQ(uint8_t(b[28]), 0x00);
    const std::string m = readAll(dir.file("NOTIZEN.FPT"));
    ASSERT_EQ(m.size(), 512u);
    EXPECT_EQ(be32(m, 0), 8u);
    EXPECT_EQ(uint8_t(m[6]) << 8 | uint8_t(m[7]), 64);
}

TEST(Table, RecordsAndMemosSurviveReopeningByteExact)
{
    TempDir dir;
    const std::string path = dir.file("NOTIZEN.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, notesFields(), {}));
    const std::string note = "Gr\xFC\xDF" "e an M\xFCller \x80 " + std::string(100, 'x');
    {
        auto t = openTable(path);
        std::string r = t->blankRecord();
        setField(*t, r, "INR", "K\xC4" "SE1");
        uint32_t n = 0;
        ASSERT_TRUE(t->append(r.data(), &n));
        EXPECT_EQ(n, 1u);
        ASSERT_TRUE(t->writeMemo(1, 1, note));
        ASSERT_TRUE(t->append(t->blankRecord().data(), &n));
        EXPECT_EQ(n, 2u);
    }
    const std::string b = readAll(path);
    EXPECT_EQ(le32(b, 4), 2u);
    EXPECT_EQ(b.size(), 32u + 64 + 1 + 2 * 26 + 1);
    EXPECT_EQ(b.substr(32 + 64 + 1, 26), " K\xC4SE1          " + std::string(9, ' ') + "8");
    const std::string m = readAll(dir.file("NOTIZEN.FPT"));
    const uint32_t blocks = uint32_t(8 + note.size() + 63) / 64;
    EXPECT_EQ(be32(m, 0), 8u + blocks);
    EXPECT_EQ(m.size(), 512u + blocks * 64);
    EXPECT_EQ(be32(m, 512), 1u);
    EXPECT_EQ(be32(m, 516), note.size());
    EXPECT_EQ(m.substr(520, note.size()), note);

    auto t = openTable(path, OpenMode::ReadOnly);
    std::string r(t->recordLength(), '\0');
    ASSERT_TRUE(t->read(1, r.data()));
    EXPECT_EQ(getField(*t, r, "INR"), "K\xC4SE1");
    std::string text;
    ASSERT_TRUE(t->readMemo(1, r.data(), text));
    EXPECT_EQ(text, note);
}

TEST(Table, MemoRewriteReusesItsBlocksWhenItFitsElseAppends)
{
    TempDir dir;
    const std::string path = dir.file("N.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, notesFields(), {}));
    auto t = openTable(path);
    uint32_t n = 0;
    ASSERT_TRUE(t->append(t->blankRecord().data(), &n));
    std::string r(t->recordLength(), '\0');
    ASSERT_TRUE(t->writeMemo(1, 1, std::string(100, 'a'))); // blocks 8..9
    ASSERT_TRUE(t->read(1, r.data()));
    EXPECT_EQ(t->memoBlock(1, r.data()), 8u);
    ASSERT_TRUE(t->writeMemo(1, 1, std::string(120, 'b'))); // fits 2 blocks
    ASSERT_TRUE(t->read(1, r.data()));
    EXPECT_EQ(t->memoBlock(1, r.data()), 8u);
    ASSERT_TRUE(t->writeMemo(1, 1, std::string(121, 'c'))); // needs 3: moves to the end
    ASSERT_TRUE(t->read(1, r.data()));
    EXPECT_EQ(t->memoBlock(1, r.data()), 10u);
    std::string text;
    ASSERT_TRUE(t->readMemo(1, r.data(), text));
    EXPECT_EQ(text, std::string(121, 'c'));
    ASSERT_TRUE(t->writeMemo(1, 1, ""));
    ASSERT_TRUE(t->read(1, r.data()));
    EXPECT_EQ(t->memoBlock(1, r.data()), 0u);
    EXPECT_EQ(std::string(r.data() + 16, 10), std::string(10, ' '));
}

TEST(Table, NumbersDatesAndLogicalsAreStoredAsFoxProText)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path,
                              {{"N", 'N', 6, 2}, {"I", 'N', 3, 0}, {"D", 'D', 0, 0}, {"L", 'L', 0, 0}}, {}));
    auto t = openTable(path);
    std::string r = t->blankRecord();
    setField(*t, r, "N", "15");
    setField(*t, r, "I", "-5");
    setField(*t, r, "D", "2026-12-09");
    setField(*t, r, "L", "true");
    EXPECT_EQ(r, "  15.00 -520261209T");
    EXPECT_FALSE(FieldCodec::setText(*t, 1, r.data(), "1234"));
    EXPECT_FALSE(FieldCodec::setText(*t, 2, r.data(), "20260230"));
    EXPECT_FALSE(FieldCodec::setText(*t, 0, r.data(), "abc"));
    setField(*t, r, "N", "");
    setField(*t, r, "D", "");
    EXPECT_EQ(r.substr(1, 6) + r.substr(10, 8), std::string(14, ' '));
}

TEST(Table, ReadsEveryFixture)
{
    struct Case {
        std::vector<std::string> files;
        uint32_t records;
        std::size_t fields;
    };
    const std::vector<Case> cases = {
        {{"foxpro-10k/TEST10K.DBF"}, 10000, 11},
        {{"foxpro-corrupt/Corrupt1.DBF"}, 3882, 16},
        {{"foxpro-corrupt/Corrupt2.dbf"}, 4232, 16},
        {{"foxpro-corrupt/Corrupt3.DBF"}, 1134, 16},
        {{"harbour-bytes/ADRESS.dbf"}, 6, 4},
        {{"harbour-german/NOTIZEN.dbf", "harbour-german/NOTIZEN.fpt"}, 3, 2},
        {{"memo/dbase_03.dbf"}, 14, 31},
        {{"memo/dbase_30.dbf", "memo/dbase_30.fpt"}, 34, 145},
        {{"memo/dbase_f5.dbf", "memo/dbase_f5.fpt"}, 975, 59},
        {{"vfp-northwind/categories.dbf", "vfp-northwind/categories.fpt"}, 8, 5},
        {{"vfp-northwind/customers.dbf"}, 91, 12},
        {{"vfp-northwind/employees.dbf", "vfp-northwind/employees.fpt"}, 9, 18},
        {{"vfp-northwind/orders.dbf"}, 830, 15},
        {{"vfp-small/calls.dbf", "vfp-small/calls.FPT"}, 16, 6},
        {{"vfp-small/setup.dbf"}, 3, 2},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.files[0]);
        auto t = openTable(dir.copyFixture(c.files), OpenMode::ReadOnly);
        ASSERT_TRUE(t);
        uint32_t n = 0;
        ASSERT_TRUE(t->recordCount(&n));
        EXPECT_EQ(n, c.records);
        EXPECT_EQ(t->fields().size(), c.fields);
        std::string r(t->recordLength(), '\0'), text;
        for (uint32_t recno = 1; recno <= n; ++recno) {
            ASSERT_TRUE(t->read(recno, r.data()));
            for (int f = 0; f < int(t->fields().size()); ++f) {
                if (t->isMemoField(f)) {
                    Status s = t->readMemo(f, r.data(), text);
                    ASSERT_TRUE(s) << s.toString();
                }
            }
        }
    }
}

TEST(Table, ReadsVisualFoxProValues)
{
    TempDir dir;
    auto orders = openTable(dir.copyFixture({"vfp-northwind/orders.dbf"}), OpenMode::ReadOnly);
    std::string r(orders->recordLength(), '\0');
    ASSERT_TRUE(orders->read(1, r.data()));
    EXPECT_EQ(getField(*orders, r, "FREIGHT"), "32.3800");
    EXPECT_EQ(getField(*orders, r, "ORDERID"), "10248");
    ASSERT_TRUE(orders->read(761, r.data()));
    bool isNull = false;
    FieldCodec::text(*orders, orders->fieldIndex("SHIPPEDDAT"), r.data(), &isNull);
    EXPECT_TRUE(isNull);
    FieldCodec::text(*orders, orders->fieldIndex("ORDERDATE"), r.data(), &isNull);
    EXPECT_FALSE(isNull);

    auto calls = openTable(dir.copyFixture({"vfp-small/calls.dbf", "vfp-small/calls.FPT"}), OpenMode::ReadOnly);
    r.assign(calls->recordLength(), '\0');
    ASSERT_TRUE(calls->read(1, r.data()));
    EXPECT_EQ(getField(*calls, r, "CALL_DATE").size(), 14u);

    auto notes = openTable(dir.copyFixture({"harbour-german/NOTIZEN.dbf", "harbour-german/NOTIZEN.fpt"}),
                           OpenMode::ReadOnly);
    std::string text;
    r.assign(notes->recordLength(), '\0');
    bool umlaut = false;
    for (uint32_t recno = 1; recno <= 3; ++recno) {
        ASSERT_TRUE(notes->read(recno, r.data()));
        ASSERT_TRUE(notes->readMemo(1, r.data(), text));
        EXPECT_EQ(text.empty(), recno == 3); // the third note has no memo
        if (recno == 1)
            EXPECT_EQ(text, "Erste Notiz: Gr\xFC\xDF" "e aus K\xF6ln.");
        umlaut = umlaut || text.find_first_of("\xE4\xF6\xFC\xC4\xD6\xDC\xDF") != std::string::npos;
    }
    EXPECT_TRUE(umlaut);
}

TEST(Table, DamagedFilesGiveCorruptNamingTheFile)
{
    TempDir dir;
    const std::string good = dir.copyFixture({"harbour-bytes/ADRESS.dbf"});
    const std::string bytes = readAll(good);
    struct Damage {
        const char *what;
        std::string bytes;
    };
    std::vector<Damage> damages;
    damages.push_back({"truncated header", bytes.substr(0, 20)});
    damages.push_back({"truncated inside a record", bytes.substr(0, bytes.size() - 100)});
    std::string b = bytes;
    b[4] = 90; // record count beyond the file
    damages.push_back({"count beyond the file", b});
    b = bytes;
    b[32 + 4 * 32] = 'X'; // terminator gone
    damages.push_back({"no terminator", b});
    b = bytes;
    b[32 + 11] = 'Z';
    damages.push_back({"unknown type", b});
    b = bytes;
    b[32 + 16] = 36; // widths no longer add up
    damages.push_back({"record length", b});
    b = bytes;
    b[0] = 0x42;
    damages.push_back({"type byte", b});
    b = bytes;
    b[8] = char(0xFF), b[9] = char(0xFF);
    damages.push_back({"header length", b});
    for (const Damage &d : damages) {
        SCOPED_TRACE(d.what);
        const std::string path = dir.file("BAD.DBF");
        writeAll(path, d.bytes);
        std::unique_ptr<Table> t;
        Status s = Table::open(Env::posix(), path, OpenMode::ReadOnly, t);
        EXPECT_EQ(s.code(), Status::Code::Corrupt);
        EXPECT_NE(s.detail().find("BAD.DBF"), std::string::npos) << s.detail();
    }
}

TEST(Table, MemoPointerPastTheEndIsCorrupt)
{
    TempDir dir;
    const std::string path = dir.copyFixture({"harbour-bytes/NOTIZEN.dbf", "harbour-bytes/NOTIZEN.fpt"});
    std::string b = readAll(path);
    b.replace(b.size() - 11, 10, "     99999");
    writeAll(path, b);
    auto t = openTable(path, OpenMode::ReadOnly);
    std::string r(t->recordLength(), '\0'), text;
    ASSERT_TRUE(t->read(1, r.data()));
    Status s = t->readMemo(1, r.data(), text);
    EXPECT_EQ(s.code(), Status::Code::Corrupt);
    EXPECT_NE(s.detail().find("NOTIZEN.fpt"), std::string::npos) << s.detail();

    std::filesystem::remove(dir.file("NOTIZEN.fpt"));
    std::unique_ptr<Table> none;
    s = Table::open(Env::posix(), path, OpenMode::ReadOnly, none);
    EXPECT_EQ(s.code(), Status::Code::NotFound);
    EXPECT_NE(s.detail().find("memo"), std::string::npos);
}

TEST(Table, ModesKeepEachOtherOut)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"A", 'C', 4, 0}}, {}));
    std::unique_ptr<Table> a, b;
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::Exclusive, a));
    EXPECT_EQ(Table::open(Env::posix(), path, OpenMode::Shared, b).code(), Status::Code::Locked);
    EXPECT_EQ(Table::open(Env::posix(), path, OpenMode::ReadOnly, b).code(), Status::Code::Locked);
    a.reset();
    ASSERT_TRUE(Table::open(Env::posix(), path, OpenMode::ReadOnly, a));
    EXPECT_EQ(Table::open(Env::posix(), path, OpenMode::Exclusive, b).code(), Status::Code::Locked);
    uint32_t n = 0;
    EXPECT_EQ(a->append(a->blankRecord().data(), &n).code(), Status::Code::ReadOnly);
    EXPECT_EQ(a->lockRecord(1).code(), Status::Code::ReadOnly);
    EXPECT_EQ(a->setStructuralIndexFlag(true).code(), Status::Code::ReadOnly);
}

TEST(Table, SharedOpensSeeEachOthersAppendsChangesAndLocks)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"A", 'C', 4, 0}}, {}));
    auto a = openTable(path);
    auto b = openTable(path);
    std::string r = a->blankRecord();
    r.replace(1, 4, "one ");
    uint32_t n = 0;
    ASSERT_TRUE(a->append(r.data(), &n));
    uint32_t count = 0;
    ASSERT_TRUE(b->recordCount(&count));
    EXPECT_EQ(count, 1u);
    std::string seen(r.size(), '\0');
    ASSERT_TRUE(b->read(1, seen.data()));
    EXPECT_EQ(seen, r);
    r.replace(1, 4, "two ");
    ASSERT_TRUE(a->replace(1, r.data()));
    b->refresh();
    ASSERT_TRUE(b->read(1, seen.data()));
    EXPECT_EQ(seen, r);

    // Locks are per open: the other one cannot take it nor write the record.
    ASSERT_TRUE(a->lockRecord(1));
    EXPECT_EQ(b->lockRecord(1).code(), Status::Code::Locked);
    EXPECT_TRUE(b->lockedByOther(1));
    EXPECT_EQ(b->replace(1, r.data()).code(), Status::Code::Locked);
    // A third open closing does not drop a's lock.
    openTable(path).reset();
    EXPECT_EQ(b->lockRecord(1).code(), Status::Code::Locked);
    ASSERT_TRUE(a->unlockRecord(1));
    EXPECT_TRUE(b->lockRecord(1));
}

TEST(Table, EncryptionHidesRecordsAndNeedsThePassword)
{
    TempDir dir;
    const std::string path = dir.file("SEX.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"NAME", 'C', 37, 0}, {"SEX", 'C', 1, 0}}, {}));
    {
        auto t = openTable(path);
        for (const char *name : {"J\xFCrgen", "Anna", "Maria"}) {
            std::string r = t->blankRecord();
            setField(*t, r, "NAME", name);
            setField(*t, r, "SEX", name[0] == 'J' ? "M" : "W");
            uint32_t n = 0;
            ASSERT_TRUE(t->append(r.data(), &n));
        }
        ASSERT_TRUE(t->setDeleted(2, true));
        EXPECT_FALSE(t->isEncrypted());
        EXPECT_FALSE(t->encrypt()); // no password
        t->setPassword("geheim");
        ASSERT_TRUE(t->encrypt());
        EXPECT_TRUE(t->isEncrypted());
        std::string r(t->recordLength(), '\0');
        ASSERT_TRUE(t->read(1, r.data()));
        EXPECT_EQ(getField(*t, r, "NAME"), "J\xFCrgen");
    }
    const std::string b = readAll(path);
    EXPECT_EQ(uint8_t(b[15]), 0xE1);
    EXPECT_EQ(b.find("Anna"), std::string::npos);
    EXPECT_EQ(b.find("Maria"), std::string::npos);
    const std::size_t first = le16(b, 8);
    EXPECT_EQ(b[first], ' ');
    EXPECT_EQ(b[first + 39], '*'); // the deletion byte stays readable

    auto t = openTable(path);
    std::string r(t->recordLength(), '\0');
    ASSERT_TRUE(t->read(3, r.data()));
    EXPECT_NE(getField(*t, r, "NAME"), "Maria");
    t->setPassword("falsch");
    EXPECT_FALSE(t->passwordMatches());
    ASSERT_TRUE(t->read(3, r.data()));
    EXPECT_NE(getField(*t, r, "NAME"), "Maria");
    EXPECT_EQ(t->replace(3, r.data()).code(), Status::Code::BadArgument);
    t->setPassword("geheim");
    EXPECT_TRUE(t->passwordMatches());
    ASSERT_TRUE(t->read(3, r.data()));
    EXPECT_EQ(getField(*t, r, "NAME"), "Maria");
    setField(*t, r, "NAME", "Marie");
    ASSERT_TRUE(t->replace(3, r.data()));
    uint32_t n = 0;
    ASSERT_TRUE(t->append(r.data(), &n));
    t.reset();
    t = openTable(path);
    t->setPassword("geheim");
    ASSERT_TRUE(t->read(4, r.data()));
    EXPECT_EQ(getField(*t, r, "NAME"), "Marie");
    EXPECT_EQ(readAll(path).find("Marie"), std::string::npos);
}

TEST(Table, ExclusiveAppendsAreBufferedButNeverClaimedEarly)
{
    TempDir dir;
    const std::string path = dir.file("T.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"A", 'N', 8, 0}}, {}));
    auto t = openTable(path, OpenMode::Exclusive);
    std::string r = t->blankRecord();
    for (int i = 1; i <= 20000; ++i) {
        setField(*t, r, "A", std::to_string(i));
        uint32_t n = 0;
        ASSERT_TRUE(t->append(r.data(), &n));
        if (i % 997 == 0) {
            // Whatever is on disk now is consistent: the count never runs ahead.
            const std::string b = readAll(path);
            EXPECT_GE(b.size(), le16(b, 8) + std::size_t(le32(b, 4)) * 9);
        }
    }
    ASSERT_TRUE(t->read(12345, r.data()));
    EXPECT_EQ(getField(*t, r, "A"), "12345");
    ASSERT_TRUE(t->commit());
    const std::string b = readAll(path);
    EXPECT_EQ(le32(b, 4), 20000u);
    EXPECT_EQ(b.size(), le16(b, 8) + 20000u * 9 + 1);
}

TEST(Table, CreatingReplacesAnOldMemoFileWhateverItsCase)
{
    TempDir dir;
    writeAll(dir.file("n.fpt"), std::string(600, 'x'));
    writeAll(dir.file("N.fpt"), std::string(600, 'y'));
    const std::string path = dir.file("N.DBF");
    ASSERT_TRUE(Table::create(Env::posix(), path, notesFields(), {}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("n.fpt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("N.fpt")));
    auto t = openTable(path);
    EXPECT_EQ(t->memoPath(), dir.file("N.FPT"));
    ASSERT_TRUE(Table::create(Env::posix(), path, {{"A", 'C', 1, 0}}, {}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("N.FPT")));
}
