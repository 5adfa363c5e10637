// Key encodings of the compound index: how a value becomes the bytes a tag
// stores, so that comparing keys byte by byte (machine collation) orders the
// values.
//
//   Character  the expression's bytes, blank-padded to the key length
//   Numeric    8-byte big-endian IEEE double; zero or positive: top bit set;
//              negative: every bit inverted. Padded with 0x00.
//   Date       the Julian day number as a double, encoded like Numeric
//              (0 for the empty date)
//   Integer    4-byte big-endian value + 2^31 (integer fields of newer files)
//   Nullable   tags with option 0x02 put 0x80 before the value; a null key is
//              all 0x00
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xb {

enum class CdxKeyType : char { Character = 'C', Numeric = 'N', Date = 'D', Integer = 'I' };

class CdxKey {
public:
    // The pad byte of trailing counts: blank for characters, else 0x00.
    static uint8_t padByte(CdxKeyType type) { return type == CdxKeyType::Character ? 0x20 : 0x00; }

    // 8 bytes that sort like `value`.
    static std::string fromDouble(double value);
    // The value of 8 key bytes written by fromDouble.
    static double toDouble(const uint8_t *key);
    static std::string fromInt32(int32_t value);
    static int32_t toInt32(const uint8_t *key);
    // `bytes` blank-padded or cut to `length`.
    static std::string character(std::string_view bytes, int length);

    // The Julian day number of "yyyymmdd" text, 0 for blanks; false when the
    // text is neither.
    static bool julianFromText(std::string_view text, double &julian);

    // Julian-day range of the dates whose "yyyymmdd" text starts with the
    // digits `prefix` (1 to 8 digits; "2001" is all of 2001, "200102" all of
    // February 2001). An empty range (low > high) when no date starts so
    // ("2001023"). False when `prefix` is not digits.
    static bool julianRangeOfPrefix(std::string_view prefix, double &low, double &high);

    // Readable text of a key for tools and messages: characters as they are
    // with bytes outside 0x20..0x7E as \xNN, numbers as %g, dates as
    // yyyymmdd.
    static std::string display(const uint8_t *key, int length, CdxKeyType type, bool nullable);
};

} // namespace xb
