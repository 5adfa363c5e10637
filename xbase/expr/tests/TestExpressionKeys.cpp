// Index keys and the planner's view of a compiled expression: key widths of
// the schema's tags, their fixed-width parts, the terms of a filter with
// their constants, the canonical text, and evaluation without allocations.
#include "xbase/text/Dates.h"
#include "xbase/expr/Expression.h"
#include "xbase/expr/tests/MemoryRecord.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace xb;
using xb::test::MemoryRecord;

// Present when the test runs under AddressSanitizer.
extern "C" __attribute__((weak)) int __sanitizer_install_malloc_and_free_hooks(
    void (*mallocHook)(const volatile void *, std::size_t), void (*freeHook)(const volatile void *));

namespace {

std::atomic<bool> g_counting{false};
std::atomic<int> g_allocations{0};

void countAllocation(const volatile void *, std::size_t)
{
    if (g_counting.load(std::memory_order_relaxed))
        g_allocations.fetch_add(1, std::memory_order_relaxed);
}
void ignoreFree(const volatile void *) {}

class ExpressionKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        adress.add("FAMNAME", 'C', 37).add("VORNAME", 'C', 37).add("STRASSE", 'C', 37).add("PLZ", 'C', 6);
        adress.add("ORT", 'C', 25).add("TELNU", 'C', 24).add("GEB_DAT", 'D', 8).add("SEX", 'C', 1);
        adress.set("FAMNAME", "m\xFCller").set("VORNAME", "Hans").set("PLZ", "4711").set("ORT", "K\xF6ln");
        adress.set("TELNU", "0221 123").set("GEB_DAT", "19650304").set("SEX", "M");
        books.add("TITEL", 'C', 35).add("AUTOR", 'C', 40).add("BAENDE", 'N', 3).add("SEITEN", 'N', 5);
        books.add("DATUM", 'D', 8).add("ZEIT", 'C', 5).add("NOTIZ", 'M', 10);
        books.set("TITEL", "Faust").set("BAENDE", "2").set("SEITEN", "480");
    }

    std::unique_ptr<Expression> compile(const std::string &text, const RecordContext &schema)
    {
        std::unique_ptr<Expression> e;
        const Status s = Expression::compile(text, schema, e);
        EXPECT_TRUE(s.isOk()) << text << ": " << s.toString();
        return e;
    }

    MemoryRecord adress;
    MemoryRecord books;
    EvalSettings settings;
};

TEST_F(ExpressionKeysTest, tagKeysHaveTheWidthsOfTheirFields)
{
    const struct {
        const char *key;
        int width;
    } adressTags[] = {
        {"UPPER(FAMNAME+VORNAME)", 74}, {"UPPER(VORNAME+FAMNAME)", 74}, {"UPPER(PLZ+ORT+FAMNAME)", 68},
        {"UPPER(ORT+FAMNAME)", 62},     {"UPPER(STRASSE+FAMNAME)", 74}, {"DTOS(GEB_DAT)", 8},
        {"SUBSTR(FAMNAME,3,4)", 4},     {"LEFT(ORT,3)+STR(1,5,1)", 8},  {"PADR(SEX,3)", 3},
    };
    for (const auto &tag : adressTags) {
        auto e = compile(tag.key, adress);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->type(), ValueType::Character) << tag.key;
        EXPECT_EQ(e->width(), tag.width) << tag.key;
        std::string bytes;
        ASSERT_TRUE(e->key(adress, settings, bytes).isOk());
        EXPECT_EQ(bytes.size(), static_cast<std::size_t>(tag.width)) << tag.key;
    }

    auto e = compile("UPPER(TITEL)+STR(BAENDE)", books);
    std::string bytes;
    ASSERT_TRUE(e->key(books, settings, bytes).isOk());
    EXPECT_EQ(bytes, "FAUST" + std::string(30, ' ') + "         2");

    // Keys of varying length are padded or cut to the static width.
    e = compile("TRIM(TITEL)+\"!\"", books);
    EXPECT_EQ(e->width(), 36);
    ASSERT_TRUE(e->key(books, settings, bytes).isOk());
    EXPECT_EQ(bytes, "Faust!" + std::string(30, ' '));

    double number = 0;
    e = compile("DATUM", books);
    ASSERT_TRUE(e->key(books, settings, number).isOk());
    EXPECT_EQ(number, 0); // the empty date
    e = compile("GEB_DAT", adress);
    ASSERT_TRUE(e->key(adress, settings, number).isOk());
    EXPECT_EQ(number, static_cast<double>(toJulian(Date{1965, 3, 4})));
    e = compile("SEITEN", books);
    ASSERT_TRUE(e->key(books, settings, number).isOk());
    EXPECT_EQ(number, 480);
    EXPECT_EQ(e->key(books, settings, bytes).code(), Status::Code::BadArgument);
}

TEST_F(ExpressionKeysTest, keyPartsPushCaseFunctionsInside)
{
    const auto parts = [&](const std::string &text, const RecordContext &schema) {
        std::vector<KeyPart> p;
        std::string joined;
        if (!compile(text, schema)->keyParts(p))
            return std::string("-");
        for (const KeyPart &k : p)
            joined += (joined.empty() ? "" : " ") + k.text + ":" + std::to_string(k.width);
        return joined;
    };
    EXPECT_EQ(parts("UPPER(FAMNAME+VORNAME)", adress), "UPPER(FAMNAME):37 UPPER(VORNAME):37");
    EXPECT_EQ(parts("upper( plz + ort+famname )", adress), "UPPER(PLZ):6 UPPER(ORT):25 UPPER(FAMNAME):37");
    EXPECT_EQ(parts("UPPER(TITEL)+STR(BAENDE)", books), "UPPER(TITEL):35 STR(BAENDE):10");
    EXPECT_EQ(parts("DTOS(DATUM)+ZEIT", books), "DTOS(DATUM):8 ZEIT:5");
    EXPECT_EQ(parts("UPPER(LOWER(TITEL)+\"x\")", books), "UPPER(TITEL):35 \"X\":1");
    EXPECT_EQ(parts("UPPER(SUBSTR(TITEL,1,10))", books), "UPPER(SUBSTR(TITEL,1,10)):10");
    EXPECT_EQ(parts("UPPER(TRIM(TITEL)+AUTOR)", books), "-");
    EXPECT_EQ(parts("NOTIZ", books), "-");
    EXPECT_EQ(parts("SEITEN", books), "-");
}

TEST_F(ExpressionKeysTest, conjunctsOfAFilterDialogExpression)
{
    settings = EvalSettings{false, "dd.MM.yyyy", 1900};
    auto e = compile(".T..and.UPPER(FAMNAME)>=\"M\".and.PLZ<=\"4999\".and.\"0221\"$TELNU"
                     ".and.GEB_DAT>=CTOD(\"01.03.1960\").and.SEX$\"MW\".and.5<LEN(TRIM(ORT)).and.DELETED()",
                     adress);
    const std::vector<Conjunct> c = e->conjuncts(settings);
    ASSERT_EQ(c.size(), 7u);

    EXPECT_TRUE(c[0].isComparison);
    EXPECT_EQ(c[0].subject, "UPPER(FAMNAME)");
    EXPECT_EQ(c[0].op, CompareOp::GreaterEqual);
    EXPECT_EQ(c[0].subjectType, ValueType::Character);
    EXPECT_EQ(c[0].subjectWidth, 37);
    EXPECT_EQ(c[0].constant.text, "M");
    EXPECT_FALSE(c[0].constantOnLeft);
    EXPECT_EQ(c[0].text, "UPPER(FAMNAME)>=\"M\"");

    EXPECT_EQ(c[1].subject, "PLZ");
    EXPECT_EQ(c[1].op, CompareOp::LessEqual);

    EXPECT_EQ(c[2].subject, "TELNU");
    EXPECT_EQ(c[2].op, CompareOp::Contains);
    EXPECT_TRUE(c[2].constantOnLeft);
    EXPECT_EQ(c[2].constant.text, "0221");

    EXPECT_EQ(c[3].subject, "GEB_DAT");
    EXPECT_EQ(c[3].constant.type, ValueType::Date);
    EXPECT_EQ(c[3].constant.number, static_cast<double>(toJulian(Date{1960, 3, 1})));

    EXPECT_EQ(c[4].op, CompareOp::ContainedIn);
    EXPECT_FALSE(c[4].constantOnLeft);

    EXPECT_EQ(c[5].subject, "LEN(RTRIM(ORT))");
    EXPECT_EQ(c[5].op, CompareOp::Greater); // 5 < x read from x's side
    EXPECT_TRUE(c[5].constantOnLeft);
    EXPECT_EQ(c[5].constant.number, 5);

    EXPECT_FALSE(c[6].isComparison);
    EXPECT_EQ(c[6].text, "DELETED()");

    // DATE() is folded with each call; an .OR. is one opaque term.
    e = compile("DATUM >= DATE() - 7", books);
    const auto d = e->conjuncts(settings);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].constant.number, static_cast<double>(toJulian(today()) - 7));
    e = compile("ZEIT = \"09\" .or. ZEIT = \"10\"", books);
    ASSERT_EQ(e->conjuncts(settings).size(), 1u);
    EXPECT_FALSE(e->conjuncts(settings)[0].isComparison);
}

TEST_F(ExpressionKeysTest, canonicalTextIsStableAndParsesBack)
{
    const struct {
        const char *text;
        const char *canonical;
    } cases[] = {
        {"upper( famname )  + vorname", "UPPER(FAMNAME)+VORNAME"},
        {"subs(famname,1,3)=[a\"b] .and. trim(ort)#'x'", "SUBSTR(FAMNAME,1,3)='a\"b'.AND.RTRIM(ORT)<>\"x\""},
        {"(1+len(ort))*2", "(1+LEN(ORT))*2"},
        {"len(ort)-(1-2)", "LEN(ORT)--1"},
        {"len(ort)-(len(plz)-2)", "LEN(ORT)-(LEN(PLZ)-2)"},
        {"!(sex=\"M\" .or. sex=\"W\") .and. .t.", ".NOT.(SEX=\"M\".OR.SEX=\"W\").AND..T."},
        {"2^len(ort)^2", "2^LEN(ORT)^2"},
        {"(2^len(ort))^2", "(2^LEN(ORT))^2"},
        {"-len(ort)", "-LEN(ORT)"},
        {"upper(\"m\xFC\")+famname", "\"M\xDC\"+FAMNAME"},
    };
    for (const auto &c : cases) {
        auto e = compile(c.text, adress);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->canonicalText(), c.canonical) << c.text;
        auto again = compile(e->canonicalText(), adress);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->canonicalText(), e->canonicalText());
    }
}

TEST_F(ExpressionKeysTest, filtersAndKeysEvaluateWithoutAllocating)
{
    if (!__sanitizer_install_malloc_and_free_hooks)
        GTEST_SKIP() << "needs the sanitizer allocator hooks";
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(countAllocation, ignoreFree) != 0;
    ASSERT_TRUE(installed);

    auto filter = compile(".T..and.UPPER(FAMNAME)>=\"M\".and.PLZ<=\"4999\".and.\"0221\"$TELNU"
                          ".and.GEB_DAT>=CTOD(\"01.03.1960\").and.SEX$\"MW\"",
                          adress);
    auto key = compile("UPPER(FAMNAME+VORNAME)+DTOS(GEB_DAT)+STR(LEN(TRIM(ORT)),3)", adress);
    std::string bytes;
    bool match = false;
    std::vector<std::string> names = {"m\xFCller", "Zander", "Adler", "Nagel-Oberhausen-Wiesbaden"};
    for (std::string &name : names)
        name.resize(37, ' ');
    // Warm-up: the scratch buffers reach their size.
    for (const std::string &name : names) {
        adress.set("FAMNAME", name);
        ASSERT_TRUE(filter->evaluateLogical(adress, settings, match).isOk());
        ASSERT_TRUE(key->key(adress, settings, bytes).isOk());
    }
    g_allocations = 0;
    g_counting = true;
    int matches = 0;
    for (int i = 0; i < 400; ++i) {
        adress.setRaw("FAMNAME", names[i % 4]);
        const bool ok = filter->evaluateLogical(adress, settings, match).isOk() && key->key(adress, settings, bytes).isOk();
        matches += ok && match;
    }
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(matches, 300); // all but Adler
}

} // namespace
