// Windows-1252 tables. Bytes below 0x80 and from 0xA0 on equal their Unicode
// code points; only the block 0x80-0x9F needs a table.
#include "xbase/text/Codepage.h"

#include <array>

namespace xb {

namespace {

constexpr std::array<char32_t, 32> kHighBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `pos`; returns false for a malformed one.
bool decodeUtf8(std::string_view s, std::size_t &pos, char32_t &cp)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    if (b0 < 0x80) {
        cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F;
        extra = 1;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        extra = 2;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07;
        extra = 3;
    } else {
        return false;
    }
    if (extra > 0 && pos + extra >= s.size())
        return false;
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += extra + 1;
    return true;
}

} // namespace

char32_t cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHighBlock[byte - 0x80];
    return byte;
}

std::optional<unsigned char> unicodeToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<unsigned char>(cp);
    for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
        if (kHighBlock[i] == cp)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes)
        appendUtf8(out, cp1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool utf8ToCp1252(std::string_view utf8, std::string &out, std::size_t *badOffset)
{
    out.clear();
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        char32_t cp = 0;
        std::optional<unsigned char> byte;
        if (decodeUtf8(utf8, pos, cp))
            byte = unicodeToCp1252(cp);
        if (!byte) {
            if (badOffset)
                *badOffset = start;
            return false;
        }
        out += static_cast<char>(*byte);
    }
    return true;
}

unsigned char cp1252Upper(unsigned char b)
{
    if (b >= 'a' && b <= 'z')
        return b - 32;
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7)
        return b - 32;
    switch (b) {
    case 0x9A: return 0x8A; // š
    case 0x9C: return 0x8C; // œ
    case 0x9E: return 0x8E; // ž
    case 0xFF: return 0x9F; // ÿ
    default: return b;
    }
}

unsigned char cp1252Lower(unsigned char b)
{
    if (b >= 'A' && b <= 'Z')
        return b + 32;
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7)
        return b + 32;
    switch (b) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return b;
    }
}

std::string cp1252Upper(std::string_view bytes)
{
    std::string out(bytes);
    for (char &c : out)
        c = static_cast<char>(cp1252Upper(static_cast<unsigned char>(c)));
    return out;
}

std::string cp1252Lower(std::string_view bytes)
{
    std::string out(bytes);
    for (char &c : out)
        c = static_cast<char>(cp1252Lower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace xb
