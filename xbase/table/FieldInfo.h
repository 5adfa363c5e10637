// The description of one field of a table's record: what the table layer
// reads from a field descriptor and what expressions need to read a value out
// of a raw record buffer.
#pragma once

#include <string>

namespace xb {

struct FieldInfo {
    std::string name;  // as stored, upper case, at most 10 characters
    char type = 'C';   // C N F D L M, and I Y T B G P V Q W from newer writers
    int width = 0;     // bytes in the record
    int decimals = 0;
    int offset = 0;    // byte offset in the record; the deletion byte is at 0
    bool nullable = false;
    int nullBit = -1;  // bit in the _NullFlags field, -1 when none
};

} // namespace xb
