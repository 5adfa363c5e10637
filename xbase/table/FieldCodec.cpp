// Field text conversions; see FieldCodec.h.
#include "xbase/table/FieldCodec.h"

#include "xbase/text/Dates.h"
#include "xbase/table/Table.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace xb {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

int64_t loadLe(const char *p, int n)
{
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(p[i]);
    if (n < 8 && (v >> (8 * n - 1)) & 1)
        v |= ~uint64_t(0) << (8 * n);
    return static_cast<int64_t>(v);
}

void storeLe(char *p, int n, int64_t value)
{
    for (int i = 0; i < n; ++i)
        p[i] = static_cast<char>(static_cast<uint64_t>(value) >> (8 * i));
}

bool isNullInRecord(const Table &table, const FieldInfo &f, const char *record)
{
    if (!f.nullable || f.nullBit < 0)
        return false;
    for (const FieldInfo &g : table.fields()) {
        if (g.type == '0') {
            const int byte = f.nullBit / 8;
            if (byte >= g.width)
                return false;
            return (static_cast<unsigned char>(record[g.offset + byte]) >> (f.nullBit % 8)) & 1;
        }
    }
    return false;
}

std::string shortest(double v)
{
    // Numbers in tables and expressions always use the point: the
    // locale-independent conversions, never the C library's printf/strtod.
    char buf[40];
    std::to_chars_result r{};
    for (int precision = 1; precision <= 17; ++precision) {
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
        double back = 0;
        std::from_chars(buf, r.ptr, back);
        if (back == v)
            break;
    }
    return std::string(buf, r.ptr);
}

} // namespace

bool FieldCodec::parseNumber(std::string_view text, double *value)
{
    text = trim(text);
    if (text.empty() || text.size() > 64)
        return false;
    std::string s(text);
    for (char &c : s)
        if (c == ',')
            c = '.';
    std::size_t from = s[0] == '+' ? 1 : 0;
    const char *first = s.c_str() + from;
    const char *last = s.c_str() + s.size();
    const auto r = std::from_chars(first, last, *value);
    return r.ec == std::errc() && r.ptr == last && first != last && std::isfinite(*value);
}

bool FieldCodec::formatNumber(double value, int width, int decimals, std::string &out)
{
    char buf[400];
    if (!std::isfinite(value) || std::fabs(value) > 1e100)
        return false;
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string digits(buf, r.ptr);
    // -0 prints as "-0.00"; store it as zero.
    if (digits[0] == '-' && digits.find_first_not_of("-0.") == std::string::npos) {
        r = std::to_chars(buf, buf + sizeof buf, 0.0, std::chars_format::fixed, decimals);
        digits.assign(buf, r.ptr);
    }
    out = digits.size() < std::size_t(width) ? std::string(std::size_t(width) - digits.size(), ' ') + digits : digits;
    return static_cast<int>(out.size()) <= width;
}

std::string FieldCodec::text(const Table &table, int field, const char *record, bool *isNull)
{
    const FieldInfo &f = table.fields()[field];
    const char *p = record + f.offset;
    const std::string_view raw(p, f.width);
    const bool null = isNullInRecord(table, f, record);
    if (isNull)
        *isNull = null;
    if (null)
        return std::string();
    if (table.isMemoField(field)) {
        const uint32_t block = table.memoBlock(field, record);
        return block == 0 ? std::string() : std::to_string(block);
    }
    switch (f.type) {
    case 'C': {
        std::string_view s = raw;
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return std::string(s);
    }
    case 'N': case 'F': case 'D':
        return std::string(trim(raw));
    case 'L':
        // 'T'/'Y' true, 'F'/'N' false; blank and '?' are unset.
        switch (raw[0]) {
        case 'T': case 't': case 'Y': case 'y': return "T";
        case 'F': case 'f': case 'N': case 'n': return "F";
        default: return std::string();
        }
    case 'I': case '+':
        return f.width == 4 ? std::to_string(loadLe(p, 4)) : std::string();
    case 'Y': {
        if (f.width != 8)
            return std::string();
        const int64_t v = loadLe(p, 8);
        char buf[40];
        const uint64_t a = v < 0 ? uint64_t(-(v + 1)) + 1 : uint64_t(v);
        std::snprintf(buf, sizeof buf, "%s%llu.%04llu", v < 0 ? "-" : "", (unsigned long long)(a / 10000),
                      (unsigned long long)(a % 10000));
        return buf;
    }
    case 'B': {
        if (f.width != 8)
            return std::string();
        double v;
        std::memcpy(&v, p, 8);
        return shortest(v);
    }
    case 'T': {
        if (f.width != 8)
            return std::string();
        const int64_t day = loadLe(p, 4);
        int64_t ms = loadLe(p + 4, 4);
        if (day == 0 && ms == 0)
            return std::string();
        const Date date = fromJulian(day);
        const int64_t secs = (ms + 500) / 1000;
        char buf[40];
        std::snprintf(buf, sizeof buf, "%s%02d%02d%02d", toDbfDate(date).c_str(), int(secs / 3600 % 24),
                      int(secs / 60 % 60), int(secs % 60));
        return buf;
    }
    default: {
        std::string s(raw);
        for (char &c : s)
            if (static_cast<unsigned char>(c) < 0x20)
                c = ' ';
        return std::string(trim(s));
    }
    }
}

Status FieldCodec::setText(const Table &table, int field, char *record, std::string_view text)
{
    const FieldInfo &f = table.fields()[field];
    char *p = record + f.offset;
    auto refuse = [&](const char *why) {
        return Status::badArgument("field " + f.name + ": " + why + " \"" + std::string(text) + "\"");
    };
    if (table.isMemoField(field))
        return refuse("a memo value cannot be set as text:");
    switch (f.type) {
    case 'C':
        if (static_cast<int>(text.size()) > f.width) {
            std::string_view rest = text.substr(f.width);
            if (!trim(rest).empty())
                return refuse("value longer than the field:");
            text = text.substr(0, f.width);
        }
        std::memset(p, ' ', f.width);
        std::memcpy(p, text.data(), text.size());
        return Status::ok();
    case 'N': case 'F': {
        if (trim(text).empty()) {
            std::memset(p, ' ', f.width);
            return Status::ok();
        }
        double v = 0;
        std::string out;
        if (!parseNumber(text, &v))
            return refuse("not a number:");
        if (!formatNumber(v, f.width, f.decimals, out))
            return refuse("number too wide for the field:");
        std::memcpy(p, out.data(), f.width);
        return Status::ok();
    }
    case 'D': {
        std::string_view t = trim(text);
        if (t.empty()) {
            std::memset(p, ' ', 8);
            return Status::ok();
        }
        std::string digits;
        for (char c : t)
            if (c != '-')
                digits += c;
        if (!fromDbfDate(digits))
            return refuse("not a date:");
        std::memcpy(p, digits.data(), 8);
        return Status::ok();
    }
    case 'L': {
        std::string_view t = trim(text);
        char c = ' ';
        if (!t.empty()) {
            const char first = static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
            if (t.size() > 1 && !(t == "true" || t == "TRUE" || t == "True" || t == "false" || t == "FALSE"
                                  || t == "False"))
                return refuse("not a logical:");
            if (first == 'T' || first == 'Y' || first == 'J' || first == '1')
                c = 'T';
            else if (first == 'F' || first == 'N' || first == '0')
                c = 'F';
            else
                return refuse("not a logical:");
        }
        p[0] = c;
        return Status::ok();
    }
    case 'I': {
        double v = 0;
        if (trim(text).empty())
            v = 0;
        else if (!parseNumber(text, &v) || v != std::floor(v) || v < -2147483648.0 || v > 2147483647.0)
            return refuse("not an integer:");
        storeLe(p, 4, static_cast<int64_t>(v));
        return Status::ok();
    }
    case 'Y': {
        double v = 0;
        if (!trim(text).empty() && !parseNumber(text, &v))
            return refuse("not a number:");
        storeLe(p, 8, static_cast<int64_t>(std::llround(v * 10000)));
        return Status::ok();
    }
    case 'B': {
        double v = 0;
        if (!trim(text).empty() && !parseNumber(text, &v))
            return refuse("not a number:");
        std::memcpy(p, &v, 8);
        return Status::ok();
    }
    default:
        return refuse("cannot set a field of this type from");
    }
}

} // namespace xb
