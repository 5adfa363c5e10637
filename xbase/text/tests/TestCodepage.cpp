// Windows-1252 codec and calendar helpers.
#include "xbase/text/Codepage.h"
#include "xbase/text/Dates.h"

#include <gtest/gtest.h>

using namespace xb;

TEST(Codepage, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(utf8ToCp1252(cp1252ToUtf8(all), back));
    EXPECT_EQ(back, all);
}

TEST(Codepage, MapsTheHighBlockAndUmlauts)
{
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC"); // €
    EXPECT_EQ(cp1252ToUtf8("M\xFC" "ller"), "M\xC3\xBCller");
    std::string out;
    ASSERT_TRUE(utf8ToCp1252("Stra\xC3\x9F" "e \xE2\x80\x9E" "x\xE2\x80\x9C", out));
    EXPECT_EQ(out, "Stra\xDF" "e \x84x\x93");
}

TEST(Codepage, RefusesCharactersOutsideTheCodePage)
{
    std::string out;
    std::size_t bad = 99;
    EXPECT_FALSE(utf8ToCp1252("ab\xE2\x82\xBD", out, &bad)); // ruble sign
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(utf8ToCp1252("a\xC3", out, &bad)); // truncated sequence
    EXPECT_EQ(bad, 1u);
    EXPECT_FALSE(utf8ToCp1252("\xC0\x80", out, &bad)); // overlong NUL
}

TEST(Codepage, UpperAndLowerFollowWindows1252)
{
    EXPECT_EQ(cp1252Upper("m\xFC" "ller \xE4\xF6\xFC\xDF \x9A\xFF"), "M\xDC" "LLER \xC4\xD6\xDC\xDF \x8A\x9F");
    EXPECT_EQ(cp1252Lower("\xC4\xD6\xDC" "ABC\xD7"), "\xE4\xF6\xFC" "abc\xD7");
    EXPECT_EQ(cp1252Upper(static_cast<unsigned char>(0xF7)), 0xF7); // division sign
}

TEST(Dates, SerialAndJulianDayNumbers)
{
    EXPECT_EQ(toSerial(Date{1899, 12, 30}), 0);
    EXPECT_EQ(toSerial(Date{2000, 1, 1}), 36526);
    EXPECT_EQ(toJulian(Date{2000, 1, 1}), 2451545);
    EXPECT_EQ(fromSerial(-1), (Date{1899, 12, 29}));
    for (int64_t s = -700000; s < 3000000; s += 997)
        EXPECT_EQ(toSerial(fromSerial(s)), s);
}

TEST(Dates, DbfTextRejectsBlanksAndImpossibleDates)
{
    EXPECT_EQ(toDbfDate(Date{2026, 2, 3}), "20260203");
    EXPECT_EQ(toDbfDate(Date{}), "        ");
    EXPECT_EQ(fromDbfDate("20240229"), (Date{2024, 2, 29}));
    EXPECT_FALSE(fromDbfDate("20230229"));
    EXPECT_FALSE(fromDbfDate("        "));
    EXPECT_FALSE(fromDbfDate("2024022"));
}

TEST(Dates, FormatsAndParsesShortDatePatterns)
{
    const Date d{2026, 3, 7};
    EXPECT_EQ(formatDate(d, "dd.MM.yyyy"), "07.03.2026");
    EXPECT_EQ(formatDate(d, "d.M.yy"), "7.3.26");
    EXPECT_EQ(formatDate(d, "MM/dd/yyyy"), "03/07/2026");
    EXPECT_EQ(parseDate("7.3.2026", "dd.MM.yyyy"), d);
    EXPECT_EQ(parseDate("03/07/26", "MM/dd/yy"), d);
    EXPECT_EQ(parseDate("1.1.49", "dd.MM.yy", 1950), (Date{2049, 1, 1}));
    EXPECT_EQ(parseDate("1.1.50", "dd.MM.yy", 1950), (Date{1950, 1, 1}));
    EXPECT_FALSE(parseDate("31.02.2026", "dd.MM.yyyy"));
    EXPECT_FALSE(parseDate("..", "dd.MM.yyyy"));
    EXPECT_EQ(dateSeparator("dd.MM.yyyy"), '.');
    EXPECT_EQ(dateSeparator("yyyy-MM-dd"), '-');
}
