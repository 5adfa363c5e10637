// Field values as text: what xbtool prints and reads, what appending from
// another table converts through, and what a text replace writes. Text is
// Windows-1252 bytes, as stored.
//
//   C      the bytes without trailing blanks
//   N F    the number as stored, without blanks ("" when empty)
//   D      yyyymmdd ("" when empty); reading also takes yyyy-mm-dd
//   L      T or F ("" when unset: blank or ?); reading takes T F Y N J 1 0 and
//          true/false in any case
//   I      the integer;  Y  the amount with four decimals
//   B      (Visual FoxPro double) the number, shortest exact form
//   T      yyyymmddhhmmss ("" when empty)
//   memo   the block number as text (the value itself is the caller's)
#pragma once

#include "xbase/table/Status.h"

#include <string>
#include <string_view>

namespace xb {

class Table;

class FieldCodec {
public:
    // The text of field `field` of `record`; null fields of Visual FoxPro
    // tables give "" and *isNull true (when given).
    static std::string text(const Table &table, int field, const char *record, bool *isNull = nullptr);
    // Writes `text` into field `field` of `record`. BadArgument (naming the
    // field) when the text does not fit: a character value longer than the
    // width, a number that is not one or needs more digits than the width,
    // an invalid date or logical. Memo fields cannot be set this way.
    static Status setText(const Table &table, int field, char *record, std::string_view text);
    // Formats `value` right-aligned into `width` characters with `decimals`
    // decimals; false when it does not fit.
    static bool formatNumber(double value, int width, int decimals, std::string &out);
    // The number a numeric field's text holds; false for blanks or junk.
    static bool parseNumber(std::string_view text, double *value);
};

} // namespace xb
