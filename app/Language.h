// Choosing, loading and checking the language file at start-up, and the
// program-wide text lookup by number.
#pragma once

#include <QString>

struct Config;

// Language texts by number (the program's messages use 10001 and up).
QString LangText(int number);
// The same, or `fallback` (UTF-8) when the language file has no such text
// (a file older than the window asking).
QString LangTextOr(int number, const char *fallback);

// The language file's name: `Language` of Tessaron.INI, else chosen by the
// country of the user's locale (Germany, Austria, Switzerland, Luxembourg:
// QorvaGER.lng; any other: QorvaENG.lng). Stored in cfg.Language only.
void ChooseLanguage(Config &cfg);
// The same rule for a given country code.
QString languageFileForCountry(int countryCode);

// The language file `fileName` in `programDir`, its name compared without
// regard to letter case; the exact name when no file matches.
QString languageFilePath(const QString &programDir, const QString &fileName);

// Loads cfg.Language from the program directory. When it cannot be opened,
// shows the error box and returns false; the program then ends.
bool LoadLanguage(const Config &cfg);

// Warns once per older language version: compares the file's version (entry
// -1) with the program's and remembers the reported version in LngWarn.
void CheckLanguageVersion(const Config &cfg);

// The message of the failed language load.
QString languageLoadErrorText(const QString &fileName);
