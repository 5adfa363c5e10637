// Text routines shared by the windows, the start-up code and the database
// maintenance. Texts are 8-bit byte strings; a "blank" is any character whose
// code is 32 or less. The QString overloads apply the same rules to UTF-16
// code units, for texts already decoded for display.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

// The text without leading and trailing blanks.
std::string AllTrim(std::string_view text);
QString AllTrim(const QString &text);

// The text without trailing blanks.
std::string RTrim(std::string_view text);
QString RTrim(const QString &text);

// True when the first 80 characters of the text are all blanks (the empty
// text is blank).
bool IsBlank(std::string_view text);
bool IsBlank(const QString &text);

// Exactly `width` characters (1 to 127): the text cut, or filled with blanks.
std::string PadRight(std::string_view text, int width);
QString PadRight(const QString &text, int width);

// `count` copies of the character (count at most 127); empty for 0 or less.
std::string Replicate(char c, int count);

// The first 80 characters of the text with every `c` removed.
std::string RemoveChar(char c, std::string_view text);

// The text without the run of `c` at its end.
std::string StripTrailing(char c, std::string_view text);
QString StripTrailing(QChar c, const QString &text);

std::string IfThenStr(bool flag, std::string_view ifTrue, std::string_view ifFalse);
QString IfThenStr(bool flag, const QString &ifTrue, const QString &ifFalse);
int IfThenInt(bool flag, int ifTrue, int ifFalse);

// Plain C strings count as byte strings.
inline std::string AllTrim(const char *text) { return AllTrim(std::string_view(text)); }
inline std::string RTrim(const char *text) { return RTrim(std::string_view(text)); }
inline bool IsBlank(const char *text) { return IsBlank(std::string_view(text)); }
inline std::string PadRight(const char *text, int width) { return PadRight(std::string_view(text), width); }
inline std::string IfThenStr(bool flag, const char *ifTrue, const char *ifFalse)
{
    return IfThenStr(flag, std::string_view(ifTrue), std::string_view(ifFalse));
}

// Reversible scrambling with a 16-bit running key. Both directions feed the
// scrambled byte into the key, so UnscrambleText(ScrambleText(t, k), k) == t
// for every byte string. The result has the input's length and may hold any
// byte value.
std::string ScrambleText(std::string_view text, uint16_t key);
std::string UnscrambleText(std::string_view text, uint16_t key);
