// Windows-1252 <-> Unicode conversion.
//
// Every text the tables, the profile file and the language files hold is an
// 8-bit Windows-1252 byte string. This module is the one place that maps those
// bytes to Unicode and back; the engine itself stays byte-exact and leaves the
// conversion to its callers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace xb {

// The Unicode code point of one Windows-1252 byte. The five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control of the same value, as Windows itself does, so every byte survives a
// round trip.
char32_t cp1252ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point, or nothing when the code page has no
// such character.
std::optional<unsigned char> unicodeToCp1252(char32_t codePoint);

// Windows-1252 bytes to UTF-8. Never fails.
std::string cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes. Returns false and leaves the position of the
// first character that Windows-1252 cannot hold (or of the first malformed
// UTF-8 sequence) in *badOffset when the text cannot be converted; `out` is
// then unspecified.
bool utf8ToCp1252(std::string_view utf8, std::string &out, std::size_t *badOffset = nullptr);

// Upper and lower case of one Windows-1252 byte (ä -> Ä, š -> Š, ÿ -> Ÿ);
// bytes without a case partner come back unchanged. ß stays ß.
unsigned char cp1252Upper(unsigned char byte);
unsigned char cp1252Lower(unsigned char byte);
std::string cp1252Upper(std::string_view bytes);
std::string cp1252Lower(std::string_view bytes);

} // namespace xb
