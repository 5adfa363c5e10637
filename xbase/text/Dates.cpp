// Proleptic Gregorian calendar on serial day numbers; the civil-from-days
// conversion is the usual era-based algorithm and is exact for every year.
#include "xbase/text/Dates.h"

#include <cctype>
#include <ctime>

namespace xb {

namespace {

// Days from 1970-01-01 to a civil date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

Date civilFromDays(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Date{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// 1899-12-30 counted from 1970-01-01.
constexpr int64_t kSerialZeroFromUnix = -25569;

void appendNumber(std::string &out, int value, int width)
{
    std::string digits = std::to_string(value);
    while (static_cast<int>(digits.size()) < width)
        digits.insert(digits.begin(), '0');
    out += digits;
}

} // namespace

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isValidDate(const Date &d)
{
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1
        && d.day <= daysInMonth(d.year, d.month);
}

int64_t toSerial(const Date &d)
{
    return daysFromCivil(d.year, static_cast<unsigned>(d.month), static_cast<unsigned>(d.day))
        - kSerialZeroFromUnix;
}

Date fromSerial(int64_t serial)
{
    return civilFromDays(serial + kSerialZeroFromUnix);
}

int64_t toJulian(const Date &d)
{
    return toSerial(d) + kJulianOfSerialZero;
}

Date fromJulian(int64_t julian)
{
    return fromSerial(julian - kJulianOfSerialZero);
}

Date today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::string toDbfDate(const Date &d)
{
    if (!isValidDate(d))
        return std::string(8, ' ');
    std::string out;
    appendNumber(out, d.year, 4);
    appendNumber(out, d.month, 2);
    appendNumber(out, d.day, 2);
    return out;
}

std::optional<Date> fromDbfDate(std::string_view text)
{
    if (text.size() != 8)
        return std::nullopt;
    int value[3] = {0, 0, 0};
    static constexpr int kStart[] = {0, 4, 6};
    static constexpr int kLen[] = {4, 2, 2};
    for (int f = 0; f < 3; ++f) {
        for (int i = 0; i < kLen[f]; ++i) {
            const char c = text[kStart[f] + i];
            if (c < '0' || c > '9')
                return std::nullopt;
            value[f] = value[f] * 10 + (c - '0');
        }
    }
    const Date d{value[0], value[1], value[2]};
    if (!isValidDate(d))
        return std::nullopt;
    return d;
}

std::string formatDate(const Date &d, std::string_view pattern)
{
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == 'd') {
            appendNumber(out, d.day, run >= 2 ? 2 : 1);
        } else if (c == 'M') {
            appendNumber(out, d.month, run >= 2 ? 2 : 1);
        } else if (c == 'y') {
            if (run >= 3)
                appendNumber(out, d.year, 4);
            else
                appendNumber(out, d.year % 100, 2);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

std::optional<Date> parseDate(std::string_view text, std::string_view pattern, int epoch)
{
    // The order of the fields comes from the pattern; the digits from the text.
    char order[3];
    int fields = 0;
    for (std::size_t i = 0; i < pattern.size() && fields < 3; ++i) {
        const char c = pattern[i];
        if (c != 'd' && c != 'M' && c != 'y')
            continue;
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        order[fields++] = c;
        i += run - 1;
    }
    if (fields != 3)
        return std::nullopt;

    int values[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int field = 0;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (field >= 3 || digits[field] >= 4)
                return std::nullopt;
            values[field] = values[field] * 10 + (c - '0');
            ++digits[field];
        } else if (std::isspace(static_cast<unsigned char>(c)) && field == 2 && digits[2] > 0) {
            break; // a time may follow the date
        } else {
            if (field >= 3 || digits[field] == 0)
                return std::nullopt;
            ++field;
        }
    }
    if (digits[0] == 0 || digits[1] == 0 || digits[2] == 0)
        return std::nullopt;

    Date d;
    for (int f = 0; f < 3; ++f) {
        if (order[f] == 'd') {
            d.day = values[f];
        } else if (order[f] == 'M') {
            d.month = values[f];
        } else {
            d.year = values[f];
            if (digits[f] <= 2) {
                const int century = epoch - epoch % 100;
                d.year += century;
                if (d.year < epoch)
                    d.year += 100;
            }
        }
    }
    if (!isValidDate(d))
        return std::nullopt;
    return d;
}

char dateSeparator(std::string_view pattern)
{
    for (char c : pattern) {
        if (c != 'd' && c != 'M' && c != 'y')
            return c;
    }
    return '.';
}

} // namespace xb
