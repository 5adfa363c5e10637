// Conversions between the program's 8-bit Windows-1252 texts (tables,
// profile files, logs) and Qt's Unicode strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Windows-1252 bytes to a string for display. Never fails.
QString fromAnsi(std::string_view bytes);

// A string to Windows-1252 bytes. Characters the code page cannot hold become
// '?'; *ok (when given) tells whether every character could be held.
std::string toAnsi(const QString &text, bool *ok = nullptr);
