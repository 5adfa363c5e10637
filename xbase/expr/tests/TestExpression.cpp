// The expression language: operators and precedence, string comparison with
// Exact on and off, case conversion, STR, dates, functions, errors with their
// positions, and the filters the filter dialog and the lookups write.
#include "xbase/text/Dates.h"
#include "xbase/expr/Expression.h"
#include "xbase/expr/tests/MemoryRecord.h"

#include <gtest/gtest.h>

using namespace xb;
using xb::test::MemoryRecord;

namespace {

class ExpressionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rec.add("FAMNAME", 'C', 37).add("VORNAME", 'C', 37).add("PLZ", 'C', 6).add("ORT", 'C', 25);
        rec.add("TELNU", 'C', 24).add("SEX", 'C', 1).add("GEB_DAT", 'D', 8).add("BAENDE", 'N', 3);
        rec.add("PREIS", 'N', 7, 2).add("WICHTIG", 'L', 1).add("NOTIZ", 'M', 10).add("CONTACT1", 'D', 8);
        rec.set("FAMNAME", "M\xFCller").set("VORNAME", "J\xFCrgen").set("PLZ", "4711").set("ORT", "K\xF6ln");
        rec.set("TELNU", "0221/123456").set("SEX", "M").set("GEB_DAT", "19650304").set("BAENDE", "2");
        rec.set("PREIS", "12.50").set("WICHTIG", "T").set("NOTIZ", "Ruft abends an");
    }

    std::unique_ptr<Expression> compile(const std::string &text)
    {
        std::unique_ptr<Expression> e;
        const Status s = Expression::compile(text, rec, e);
        EXPECT_TRUE(s.isOk()) << text << ": " << s.toString();
        return e;
    }

    Value eval(const std::string &text)
    {
        Value v;
        if (auto e = compile(text)) {
            const Status s = e->evaluate(rec, settings, v);
            EXPECT_TRUE(s.isOk()) << text << ": " << s.toString();
        }
        return v;
    }

    std::string str(const std::string &text)
    {
        const Value v = eval(text);
        EXPECT_EQ(v.type, ValueType::Character) << text;
        return v.text;
    }

    double num(const std::string &text)
    {
        const Value v = eval(text);
        EXPECT_EQ(v.type, ValueType::Numeric) << text;
        return v.number;
    }

    bool is(const std::string &text)
    {
        std::unique_ptr<Expression> e = compile(text);
        bool result = false;
        if (e) {
            const Status s = e->evaluateLogical(rec, settings, result);
            EXPECT_TRUE(s.isOk()) << text << ": " << s.toString();
        }
        return result;
    }

    Status error(const std::string &text)
    {
        std::unique_ptr<Expression> e;
        return Expression::compile(text, rec, e);
    }

    static double julian(int y, int m, int d) { return static_cast<double>(toJulian(Date{y, m, d})); }

    MemoryRecord rec;
    EvalSettings settings;
};

TEST_F(ExpressionTest, precedenceAndAssociativity)
{
    EXPECT_EQ(num("1+2*3"), 7);
    EXPECT_EQ(num("(1+2)*3"), 9);
    EXPECT_EQ(num("2^3^2"), 512);
    EXPECT_EQ(num("-2^2"), -4);
    EXPECT_EQ(num("2**3"), 8);
    EXPECT_EQ(num("10-4-3"), 3);
    EXPECT_EQ(num("7%3"), 1);
    EXPECT_EQ(num("-7%3"), 2); // sign of the divisor
    EXPECT_TRUE(is(".T. .OR. .F. .AND. .F."));
    EXPECT_FALSE(is("(.T. .OR. .F.) .AND. .F."));
    EXPECT_FALSE(is(".NOT. 1=1 .AND. .T."));
    EXPECT_TRUE(is("!1=2"));
    EXPECT_TRUE(is(".not.(1=2).and.1<2"));
    EXPECT_TRUE(is("1 # 2 .and. 1 != 2 .and. 1 <> 2"));
    EXPECT_TRUE(is(".t. .Or. .f."));
}

TEST_F(ExpressionTest, exactOffComparesAsManyCharactersAsTheRightSideHas)
{
    settings.exact = false;
    EXPECT_TRUE(is("FAMNAME = \"M\xFC\""));
    EXPECT_TRUE(is("FAMNAME = \"M\xFCller\""));
    EXPECT_TRUE(is("FAMNAME = \"\""));
    EXPECT_FALSE(is("\"M\xFC\" = FAMNAME")); // the left side is shorter
    EXPECT_FALSE(is("FAMNAME <> \"M\xFC\""));
    EXPECT_TRUE(is("UPPER(FAMNAME) >= \"M\" .and. UPPER(FAMNAME) <= \"M\""));
    EXPECT_TRUE(is("FAMNAME < \"N\""));
    EXPECT_FALSE(is("FAMNAME == \"M\xFCller\"")); // == compares all 37 characters
    EXPECT_TRUE(is("TRIM(FAMNAME) == \"M\xFCller\""));
}

TEST_F(ExpressionTest, exactOnPadsTheShorterSide)
{
    settings.exact = true;
    EXPECT_FALSE(is("FAMNAME = \"M\xFC\""));
    EXPECT_TRUE(is("FAMNAME = \"M\xFCller\""));
    EXPECT_TRUE(is("\"M\xFCller\" = FAMNAME"));
    EXPECT_FALSE(is("UPPER(FAMNAME) <= \"M\""));
    EXPECT_TRUE(is("\"ab\" > \"ab\" + CHR(1)")); // the pad blank is greater than a control byte
}

TEST_F(ExpressionTest, caseFollowsWindows1252)
{
    EXPECT_EQ(str("UPPER(FAMNAME)"), std::string("M\xDCLLER") + std::string(31, ' '));
    EXPECT_EQ(str("UPPER(\"stra\xDF" "e \xE4\xF6\xFC \x9A\xFF\")"), "STRA\xDF" "E \xC4\xD6\xDC \x8A\x9F");
    EXPECT_EQ(str("LOWER(\"\xC4RGER\")"), "\xE4rger");
    EXPECT_TRUE(is("UPPER(ORT) = \"K\xD6LN\""));

    // Comparisons convert case while comparing; the rules stay those of =.
    EXPECT_FALSE(is("UPPER(FAMNAME) == \"M\xDCLLER\""));
    EXPECT_TRUE(is("UPPER(TRIM(FAMNAME)) == \"M\xDCLLER\""));
    EXPECT_TRUE(is("LOWER(FAMNAME) = \"m\xFCl\" .and. LOWER(FAMNAME) > \"m\xFCd\""));
    settings.exact = true;
    EXPECT_TRUE(is("UPPER(FAMNAME) = \"M\xDCLLER\" .and. UPPER(FAMNAME) < \"M\xDCLLERA\""));
    EXPECT_FALSE(is("UPPER(FAMNAME) = \"M\xDCL\" .or. UPPER(FAMNAME) <= \"M\xDCLL\""));
}

TEST_F(ExpressionTest, strWidthsRoundingAndOverflow)
{
    EXPECT_EQ(str("STR(5)"), "         5");
    EXPECT_EQ(str("STR(2.5)"), "         3");
    EXPECT_EQ(str("STR(-2.5)"), "        -3");
    EXPECT_EQ(str("STR(-0.4)"), "         0");
    EXPECT_EQ(str("STR(1.005,5,2)"), " 1.01");
    EXPECT_EQ(str("STR(3.14159,8,3)"), "   3.142");
    EXPECT_EQ(str("STR(123.456,5,2)"), "123.5"); // fewer decimals before stars
    EXPECT_EQ(str("STR(123456,5)"), "*****");
    EXPECT_EQ(str("STR(12345678901)"), "**********");
    EXPECT_EQ(str("STR(BAENDE)"), "         2");
    EXPECT_EQ(str("STR(PREIS,7,2)"), "  12.50");
    EXPECT_EQ(str("STR(1/0)"), "**********");
    EXPECT_EQ(num("VAL(\" 12.5xyz\")"), 12.5);
    EXPECT_EQ(num("VAL(\"-3\")"), -3);
    EXPECT_EQ(num("VAL(\"abc\")"), 0);
    EXPECT_EQ(num("ROUND(2.345,2)"), 2.35);
    EXPECT_EQ(num("INT(-2.7)"), -2);
}

TEST_F(ExpressionTest, datesArithmeticAndConversion)
{
    EXPECT_EQ(eval("GEB_DAT").number, julian(1965, 3, 4));
    EXPECT_EQ(str("DTOS(CTOD(\"29.02.2000\")+1)"), "20000301");
    EXPECT_EQ(str("DTOS(1+CTOD(\"28.02.2001\"))"), "20010301");
    EXPECT_EQ(str("DTOS(CTOD(\"01.03.2001\")-1)"), "20010228");
    EXPECT_EQ(num("CTOD(\"31.12.2001\")-CTOD(\"01.01.2001\")"), 364);
    EXPECT_EQ(num("YEAR(GEB_DAT)*10000+MONTH(GEB_DAT)*100+DAY(GEB_DAT)"), 19650304);
    EXPECT_EQ(str("DTOC(GEB_DAT)"), "04.03.1965");

    // The empty date: blanks in every form, smaller than every date.
    EXPECT_TRUE(is("EMPTY(CONTACT1) .and. EMPTY(CTOD(\"\")) .and. EMPTY(CTOD(\"31.02.2001\"))"));
    EXPECT_EQ(str("DTOS(CONTACT1)"), "        ");
    EXPECT_EQ(str("DTOC(CONTACT1)"), "  .  .    ");
    EXPECT_TRUE(is("CONTACT1 < GEB_DAT"));
    EXPECT_TRUE(is("EMPTY(CONTACT1 + 5)"));
    EXPECT_EQ(num("GEB_DAT - CONTACT1"), 0);
    EXPECT_TRUE(is("EMPTY(CTOD(\"31.12.9999\") + 1)")); // past the calendar's end

    EXPECT_EQ(eval("DATE()").number, static_cast<double>(toJulian(today())));
}

TEST_F(ExpressionTest, ctodReadsTheShortDateFormatAndEpoch)
{
    settings.dateFormat = "dd.MM.yyyy";
    settings.epoch = 1950;
    EXPECT_EQ(eval("CTOD(\"1.3.49\")").number, julian(2049, 3, 1));
    EXPECT_EQ(eval("CTOD(\"1.3.50\")").number, julian(1950, 3, 1));
    EXPECT_EQ(eval("CTOD(\"01.03.1849\")").number, julian(1849, 3, 1));
    settings.epoch = 1900;
    EXPECT_EQ(eval("CTOD(\"1.3.49\")").number, julian(1949, 3, 1));

    settings.dateFormat = "MM/dd/yyyy";
    EXPECT_EQ(eval("CTOD(\"03/01/2001\")").number, julian(2001, 3, 1));
    EXPECT_EQ(str("DTOC(GEB_DAT)"), "03/04/1965");
    EXPECT_EQ(str("DTOC(CONTACT1)"), "  /  /    ");

    // One compiled expression follows the settings of each evaluation.
    auto e = compile("GEB_DAT >= CTOD(\"04.03.40\")");
    bool r = true;
    settings = EvalSettings{false, "dd.MM.yyyy", 1950};
    ASSERT_TRUE(e->evaluateLogical(rec, settings, r).isOk());
    EXPECT_FALSE(r); // 2040
    settings.epoch = 1900;
    ASSERT_TRUE(e->evaluateLogical(rec, settings, r).isOk());
    EXPECT_TRUE(r);
}

TEST_F(ExpressionTest, stringFunctions)
{
    EXPECT_EQ(str("SUBSTR(FAMNAME,2,3)"), "\xFCll");
    EXPECT_EQ(str("SUBSTR(\"abc\",2)"), "bc");
    EXPECT_EQ(str("SUBSTR(\"abc\",5,2)"), "");
    EXPECT_EQ(str("SUBSTR(\"abc\",0,2)"), "ab");
    EXPECT_EQ(str("LEFT(\"abc\",2)+RIGHT(\"abc\",2)+LEFT(\"abc\",9)"), "abbcabc");
    EXPECT_EQ(str("TRIM(\"  a  \")+\"|\"+LTRIM(\"  a  \")+\"|\"+ALLTRIM(\"  a  \")+\"|\"+RTRIM(\"a \")"),
              "  a|a  |a|a");
    EXPECT_EQ(str("\"ab  \" - \"cd\""), "abcd  ");
    EXPECT_EQ(str("FAMNAME - \",\" - VORNAME").substr(0, 15), "M\xFCller,J\xFCrgen  ");
    EXPECT_EQ(num("LEN(FAMNAME)"), 37);
    EXPECT_EQ(num("LEN(TRIM(FAMNAME))"), 6);
    EXPECT_EQ(num("AT(\"ll\",FAMNAME)"), 3);
    EXPECT_EQ(num("AT(\"x\",FAMNAME)"), 0);
    EXPECT_EQ(str("PADL(\"7\",3,\"0\")+PADR(\"ab\",3)+PADL(\"abcd\",2)"), "007ab ab");
    EXPECT_EQ(str("SPACE(2)+REPLICATE(\"ab\",2)+CHR(65)"), "  ababA");
    EXPECT_EQ(num("ASC(\"A\")"), 65);
    EXPECT_EQ(str("subs(famname,1,1)+allt(\" x \")"), "Mx"); // four-letter abbreviations
}

TEST_F(ExpressionTest, recordFunctionsAndConditionals)
{
    rec.setRecNo(42);
    EXPECT_EQ(num("RECNO()"), 42);
    EXPECT_FALSE(is("DELETED()"));
    rec.setDeleted(true);
    EXPECT_TRUE(is("DELETED()"));
    EXPECT_TRUE(is("WICHTIG .and. !EMPTY(WICHTIG)"));
    EXPECT_EQ(str("IIF(BAENDE>1,\"viele\",\"eins \")"), "viele");
    EXPECT_EQ(num("IIF(WICHTIG,1,2)+MAX(3,4)+MIN(3,4)+ABS(-1)"), 9);
    EXPECT_TRUE(is("EMPTY(\"  \") .and. EMPTY(0) .and. !EMPTY(PREIS) .and. EMPTY(.F.)"));
    EXPECT_EQ(num("PREIS*2"), 25);

    const struct {
        const char *stored;
        double value;
    } numbers[] = {{"-12.50", -12.5}, {"   .5", 0.5}, {"", 0}, {"***", 0}, {"3e2", 300}, {"0.1", 0.1}};
    for (const auto &n : numbers) {
        rec.set("PREIS", n.stored);
        EXPECT_EQ(num("PREIS"), n.value) << n.stored;
    }
    EXPECT_EQ(num("VAL(\"12345678901234567890\")"), 12345678901234567890.0);
}

TEST_F(ExpressionTest, memoFieldsReadAsText)
{
    EXPECT_TRUE(is("\"abends\" $ NOTIZ"));
    EXPECT_EQ(num("LEN(NOTIZ)"), 14);
    EXPECT_EQ(str("UPPER(LEFT(NOTIZ,4))"), "RUFT");

    rec.failMemos(true);
    auto e = compile("\"x\" $ NOTIZ");
    bool r = true;
    const Status s = e->evaluateLogical(rec, settings, r);
    EXPECT_EQ(s.code(), Status::Code::Corrupt);
    EXPECT_NE(s.detail().find("TEST.FPT"), std::string::npos);
}

TEST_F(ExpressionTest, newerFieldTypesAndNulls)
{
    MemoryRecord vfp;
    vfp.add("ANZAHL", 'I', 4).add("BETRAG", 'Y', 8).add("WERT", 'B', 8, 2).add("ZEIT", 'T', 8);
    vfp.add("NAME", 'C', 5).add("_NullFlags", '0', 1);
    const int32_t count = -7;
    const int64_t money = 123456; // 12.3456
    const double value = 2.25;
    const int32_t day = static_cast<int32_t>(toJulian(Date{2020, 2, 29}));
    const int32_t ms = 3600000;
    vfp.setRaw("ANZAHL", std::string(reinterpret_cast<const char *>(&count), 4));
    vfp.setRaw("BETRAG", std::string(reinterpret_cast<const char *>(&money), 8));
    vfp.setRaw("WERT", std::string(reinterpret_cast<const char *>(&value), 8));
    vfp.setRaw("ZEIT", std::string(reinterpret_cast<const char *>(&day), 4) + std::string(reinterpret_cast<const char *>(&ms), 4));
    vfp.set("NAME", "Otto");
    vfp.fieldInfo("NAME").nullable = true;
    vfp.fieldInfo("NAME").nullBit = 1;

    std::unique_ptr<Expression> e;
    Value v;
    ASSERT_TRUE(Expression::compile("ANZAHL + BETRAG + WERT", vfp, e).isOk());
    ASSERT_TRUE(e->evaluate(vfp, settings, v).isOk());
    EXPECT_DOUBLE_EQ(v.number, -7 + 12.3456 + 2.25);
    ASSERT_TRUE(Expression::compile("DTOS(ZEIT)", vfp, e).isOk());
    ASSERT_TRUE(e->evaluate(vfp, settings, v).isOk());
    EXPECT_EQ(v.text, "20200229");

    ASSERT_TRUE(Expression::compile("NAME", vfp, e).isOk());
    ASSERT_TRUE(e->evaluate(vfp, settings, v).isOk());
    EXPECT_EQ(v.text, "Otto ");
    vfp.setRaw("_NullFlags", "\x02");
    ASSERT_TRUE(e->evaluate(vfp, settings, v).isOk());
    EXPECT_EQ(v.text, "     ");
}

TEST_F(ExpressionTest, errorsNameTheExpressionAndPosition)
{
    struct Case {
        const char *text;
        int position;
        const char *words;
    };
    const Case cases[] = {
        {"FAMNAME + 1", 9, "add"},
        {"UPPER(1)", 7, "character"},
        {"XYZ = 1", 1, "unknown field XYZ"},
        {"FOO(1)", 1, "unknown function FOO"},
        {"FAMNAME = \"abc", 11, "unterminated"},
        {"(1+2", 1, "unbalanced"},
        {"1+2)", 4, "unbalanced"},
        {"1 2", 3, "operator expected"},
        {"", 1, "empty"},
        {"1 +", 4, "operand expected"},
        {"IIF(.T., 1, \"a\")", 13, "one type"},
        {"STR(1,2,3,4)", 1, "number of arguments"},
        {"GEB_DAT = \"x\"", 9, "cannot compare date with character"},
        {"1 .and. .T.", 3, ".AND."},
        {"BAENDE $ \"123\"", 8, "$"},
        {".x.", 1, "unknown word"},
        {"DATE() + DATE()", 8, "add"},
        {"FAMNAME @ 1", 9, "unexpected character"},
    };
    for (const Case &c : cases) {
        const Status s = error(c.text);
        EXPECT_EQ(s.code(), Status::Code::Syntax) << c.text;
        const std::string expected = "at position " + std::to_string(c.position) + " in \"" + c.text + "\"";
        EXPECT_NE(s.detail().find(expected), std::string::npos) << c.text << " -> " << s.detail();
        EXPECT_NE(s.detail().find(c.words), std::string::npos) << c.text << " -> " << s.detail();
    }
}

TEST_F(ExpressionTest, hostileInputIsRefusedNotObeyed)
{
    EXPECT_EQ(error(std::string(5000, '(') + "1" + std::string(5000, ')')).code(), Status::Code::Syntax);
    std::string chain = "FAMNAME";
    for (int i = 0; i < 500; ++i)
        chain += "+FAMNAME";
    EXPECT_EQ(error(chain).code(), Status::Code::Syntax);
    EXPECT_EQ(error("REPLICATE(\"ab\", 10000000)").code(), Status::Code::Syntax);

    // Sizes that only the record reveals fail at evaluation.
    rec.set("BAENDE", "999");
    auto e = compile("LEN(SPACE(BAENDE*BAENDE*BAENDE*BAENDE)) > 0");
    bool r = true;
    EXPECT_EQ(e->evaluateLogical(rec, settings, r).code(), Status::Code::BadArgument);
}

// The filters the filter dialog writes: ".T." and then one ".and." term per
// filled entry, with dates in the short date format.
TEST_F(ExpressionTest, filterDialogTexts)
{
    settings = EvalSettings{false, "dd.MM.yyyy", 1900};
    EXPECT_TRUE(is(".T."));
    EXPECT_TRUE(is(".T..and.UPPER(FAMNAME)>=\"M\".and.PLZ<=\"4999\""));
    EXPECT_FALSE(is(".T..and.UPPER(FAMNAME)>=\"N\".and.PLZ<=\"4999\""));
    EXPECT_TRUE(is(".T..and.UPPER(FAMNAME)>=\"M\xDC\".and.UPPER(FAMNAME)<=\"M\xDCLLER\""));
    EXPECT_TRUE(is(".T..and.UPPER(VORNAME)>=\"J\".and.UPPER(VORNAME)<=\"J\""));
    EXPECT_TRUE(is(".T..and.SEX=\"M\".and.SEX$\"MW\""));
    EXPECT_FALSE(is(".T..and.SEX=\"W\""));
    EXPECT_TRUE(is(".T..and.\"123\"$TELNU"));
    EXPECT_FALSE(is(".T..and.\"999\"$TELNU"));
    EXPECT_TRUE(is(".T..and.UPPER(ORT)>=\"K\".and.UPPER(ORT)<=\"K\xD6LN\""));
    EXPECT_TRUE(is(".T..and.GEB_DAT>=CTOD(\"01.01.1965\").and.GEB_DAT<=CTOD(\"31.12.1965\")"));
    EXPECT_FALSE(is(".T..and.GEB_DAT>=CTOD(\"05.03.1965\")"));
    EXPECT_FALSE(is(".T..and.CONTACT1>=CTOD(\"01.01.1990\")")); // empty contact date
    EXPECT_TRUE(is(".T..and.CONTACT1<=CTOD(\"01.01.1990\")"));

    // A term on a name the table lacks is the engine's error.
    EXPECT_EQ(error(".T..and.\"abc\"$NOTIZEN").code(), Status::Code::Syntax);

    MemoryRecord termin;
    termin.add("DATUM", 'D', 8).add("ZEIT", 'C', 5).add("EZEIT", 'C', 5).add("TERMIN", 'C', 30).add("NOTIZ", 'C', 60);
    termin.set("DATUM", "20261209").set("ZEIT", "09:30").set("EZEIT", "10:00").set("TERMIN", "Zahnarzt");
    std::unique_ptr<Expression> e;
    ASSERT_TRUE(Expression::compile(".T..and.DATUM>=CTOD(\"01.12.2026\").and.DATUM<=CTOD(\"31.12.2026\")"
                                    ".and.ZEIT>=\"09:00\".and.ZEIT<=\"12:00\".and.EZEIT<=\"  :  \""
                                    ".and.\"arzt\"$TERMIN",
                                    termin, e)
                    .isOk());
    bool r = false;
    ASSERT_TRUE(e->evaluateLogical(termin, settings, r).isOk());
    EXPECT_FALSE(r); // the end time is later than the blank entry
}

// Queries the windows build for Locate and their lookups.
TEST_F(ExpressionTest, lookupQueries)
{
    MemoryRecord sex;
    sex.add("NAME", 'C', 37).add("SEX", 'C', 1);
    sex.set("NAME", "Anna").set("SEX", "W");
    std::unique_ptr<Expression> e;
    bool r = false;
    ASSERT_TRUE(Expression::compile("NAME=\"Anna                \"", sex, e).isOk());
    ASSERT_TRUE(e->evaluateLogical(sex, settings, r).isOk());
    EXPECT_TRUE(r);
    ASSERT_TRUE(Expression::compile("NAME=\"An\"", sex, e).isOk()); // a key that starts with it
    ASSERT_TRUE(e->evaluateLogical(sex, settings, r).isOk());
    EXPECT_TRUE(r);

    MemoryRecord cassette;
    cassette.add("CASS_NO", 'N', 3).add("DESCRIBE", 'C', 20).add("STEREO", 'L', 1);
    cassette.set("CASS_NO", "5").set("DESCRIBE", "Live").set("STEREO", "F");
    ASSERT_TRUE(Expression::compile("CASS_NO=5.and.DESCRIBE=\"Live\".and.STEREO= .F.", cassette, e).isOk());
    ASSERT_TRUE(e->evaluateLogical(cassette, settings, r).isOk());
    EXPECT_TRUE(r);
    ASSERT_TRUE(Expression::compile("CASS_NO=5.", cassette, e).isOk());
    ASSERT_TRUE(Expression::compile("cass_no = .5", cassette, e).isOk());
}

TEST_F(ExpressionTest, evaluateTextForTheWindows)
{
    std::string out;
    auto e = compile("UPPER(\"m\xFCller\")");
    ASSERT_TRUE(e->evaluateText(rec, settings, out).isOk());
    EXPECT_EQ(out, "M\xDCLLER");
    e = compile("PREIS");
    ASSERT_TRUE(e->evaluateText(rec, settings, out).isOk());
    EXPECT_EQ(out, "  12.50");
    e = compile("GEB_DAT");
    ASSERT_TRUE(e->evaluateText(rec, settings, out).isOk());
    EXPECT_EQ(out, "04.03.1965");
    e = compile("WICHTIG");
    ASSERT_TRUE(e->evaluateText(rec, settings, out).isOk());
    EXPECT_EQ(out, "T");
    bool r;
    EXPECT_EQ(compile("FAMNAME")->evaluateLogical(rec, settings, r).code(), Status::Code::BadArgument);
}

} // namespace
