// Key encodings of the compound index; see CdxKey.h for the byte forms.
#include "xbase/index/CdxKey.h"

#include "xbase/text/Dates.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace xb {

std::string CdxKey::fromDouble(double value)
{
    if (value == 0)
        value = 0; // -0.0 and 0.0 give one key
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    if (bits >> 63)
        bits = ~bits;
    else
        bits |= uint64_t(1) << 63;
    std::string out(8, '\0');
    for (int i = 0; i < 8; ++i)
        out[i] = char(bits >> (56 - 8 * i));
    return out;
}

double CdxKey::toDouble(const uint8_t *key)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | key[i];
    if (bits >> 63)
        bits &= ~(uint64_t(1) << 63);
    else
        bits = ~bits;
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

std::string CdxKey::fromInt32(int32_t value)
{
    uint32_t u = uint32_t(value) + 0x80000000u;
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = char(u >> (24 - 8 * i));
    return out;
}

int32_t CdxKey::toInt32(const uint8_t *key)
{
    uint32_t u = uint32_t(key[0]) << 24 | uint32_t(key[1]) << 16 | uint32_t(key[2]) << 8 | key[3];
    return int32_t(u - 0x80000000u);
}

std::string CdxKey::character(std::string_view bytes, int length)
{
    std::string out(bytes.substr(0, std::size_t(length)));
    out.resize(std::size_t(length), ' ');
    return out;
}

bool CdxKey::julianFromText(std::string_view text, double &julian)
{
    if (text.find_first_not_of(' ') == std::string_view::npos) {
        julian = 0;
        return true;
    }
    auto date = fromDbfDate(text);
    if (!date)
        return false;
    julian = double(toJulian(*date));
    return true;
}

namespace {

bool allDigits(std::string_view s)
{
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.empty();
}

int number(std::string_view s) { return std::stoi(std::string(s)); }

} // namespace

bool CdxKey::julianRangeOfPrefix(std::string_view prefix, double &low, double &high)
{
    if (!allDigits(prefix) || prefix.size() > 8)
        return false;
    // The smallest and largest "yyyymmdd" strings starting with the prefix,
    // then moved onto real dates: a low end past its month's last day moves
    // to the next month's first, a high end to the last valid day before it.
    std::string lo = std::string(prefix) + std::string(8 - prefix.size(), '0');
    std::string hi = std::string(prefix) + std::string("99999999").substr(0, 8 - prefix.size());
    int ly = number(lo.substr(0, 4)), lm = number(lo.substr(4, 2)), ld = number(lo.substr(6, 2));
    int hy = number(hi.substr(0, 4)), hm = number(hi.substr(4, 2)), hd = number(hi.substr(6, 2));
    if (ly == 0)
        ly = 1, lm = 1, ld = 1;
    if (lm == 0)
        lm = 1;
    if (ld == 0)
        ld = 1;
    if (lm > 12)
        ++ly, lm = 1, ld = 1;
    else if (ld > daysInMonth(ly, lm)) {
        ld = 1;
        if (++lm > 12)
            ++ly, lm = 1;
    }
    if (hm > 12)
        hm = 12, hd = 31;
    if (hm == 0) {
        hy -= 1, hm = 12, hd = 31;
    }
    if (hd == 0) {
        if (--hm == 0)
            hy -= 1, hm = 12;
        hd = daysInMonth(hy < 1 ? 1 : hy, hm);
    }
    if (hy >= 1 && hd > daysInMonth(hy, hm))
        hd = daysInMonth(hy, hm);
    if (ly > 9999) {
        low = 1, high = 0;
        return true;
    }
    low = double(toJulian(Date{ly, lm, ld}));
    high = hy < 1 ? 0 : double(toJulian(Date{hy, hm, hd}));
    return true;
}

std::string CdxKey::display(const uint8_t *key, int length, CdxKeyType type, bool nullable)
{
    if (nullable && length > 0) {
        if (key[0] == 0)
            return "(null)";
        ++key;
        --length;
    }
    char buf[64];
    if ((type == CdxKeyType::Numeric || type == CdxKeyType::Date) && length == 8) {
        double v = toDouble(key);
        if (type == CdxKeyType::Numeric) {
            return std::string(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15).ptr);
        }
        if (v == 0)
            return "        ";
        return toDbfDate(fromJulian(int64_t(v)));
    }
    if (type == CdxKeyType::Integer && length == 4)
        return std::to_string(toInt32(key));
    std::string out;
    for (int i = 0; i < length; ++i) {
        uint8_t b = key[i];
        if (b >= 0x20 && b != 0x7F) {
            out += char(b);
        } else {
            std::snprintf(buf, sizeof buf, "\\x%02x", b);
            out += buf;
        }
    }
    return out;
}

} // namespace xb
