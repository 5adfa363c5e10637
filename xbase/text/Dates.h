// Calendar arithmetic shared by the engine, its command-line tool and the
// windows: serial day numbers, Julian day numbers, the DBF "yyyymmdd" text and
// short-date patterns such as "dd.MM.yyyy".
//
// Serial day numbers count days from 30 December 1899 (day 0), the epoch the
// program's stored dates and the "zero date" of the configuration use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xb {

struct Date {
    int year = 0;  // 1..9999
    int month = 0; // 1..12
    int day = 0;   // 1..31

    friend bool operator==(const Date &, const Date &) = default;
};

// Day number of 1899-12-30 in the Julian day count.
constexpr int64_t kJulianOfSerialZero = 2415019;

bool isLeapYear(int year);
int daysInMonth(int year, int month);
bool isValidDate(const Date &d);

// Serial day number of a date (1899-12-30 is 0, earlier dates are negative).
int64_t toSerial(const Date &d);
Date fromSerial(int64_t serial);

int64_t toJulian(const Date &d);
Date fromJulian(int64_t julian);

// Today's date in local time.
Date today();

// "yyyymmdd" of a date; eight blanks for an invalid (empty) date.
std::string toDbfDate(const Date &d);
// A date from "yyyymmdd"; nothing for blanks or anything that is not a valid
// calendar date.
std::optional<Date> fromDbfDate(std::string_view text);

// Formats a date by a numeric short-date pattern. Pattern letters: d, dd,
// M, MM, yy, yyyy; every other character is copied. Example: "dd.MM.yyyy"
// gives "09.12.2026", "d.M.yy" gives "9.12.26".
std::string formatDate(const Date &d, std::string_view pattern);

// Parses a date written by a short-date pattern. Digits may be given without
// leading zeros; any non-digit separates the fields. A two-digit year (or one
// with fewer digits) falls into the hundred years starting at `epoch`
// (epoch 1950: 49 -> 2049, 50 -> 1950). Returns nothing for an invalid date.
std::optional<Date> parseDate(std::string_view text, std::string_view pattern, int epoch = 1950);

// The separator of a pattern: its first character that is not a pattern
// letter, or '.' when there is none.
char dateSeparator(std::string_view pattern);

} // namespace xb
