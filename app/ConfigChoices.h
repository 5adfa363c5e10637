// The settings the configuration dialog edits, as plain values: taken from
// the configuration record when the dialog opens, stored into the record
// and written to Tessaron.INI when the user confirms. Also the language
// list the dialog offers and the file-manager presets.
//
// Nothing here needs a window, so the rules are testable on their own; the
// dialog only moves these values in and out of its controls.
#pragma once

#include "app/Config.h"

#include <QString>
#include <QStringList>

#include <array>

struct ConfigChoices {
    QString password;   // the access password, in clear
    QString name, adresse, telefon, email;
    QString zvData;     // the data directory as typed
    int fileMan = 3;    // 1 to 3: a preset; 4: another program
    QString fileManN;   // the file manager's command line
    bool calculator = false;
    std::array<bool, kModuleCount> openAtStart{}; // AOpen ... BOpen, in module order
    bool style97 = true;
    int cdStatus = 0;   // 0 to 3
    CdPlayMode cdPlay = CdPlayMode::Automatic;
    bool tapi = true;
    QString comInit;
    int comPort = 0;    // 1 to 4; 0 when no port is chosen
    QString dialMode;   // "T" or "P"; empty when no mode is chosen
    bool mailTo = true, xelLog = false, plzAuto = true;
    int cddbTimeOut = 45;

    // The values the record holds now.
    static ConfigChoices fromRecord(const Config &cfg);
};

// Limits of the time-out field, in seconds.
inline constexpr int kCddbTimeOutMin = 20, kCddbTimeOutMax = 600;

// Stores the choices into the record, each text cut to its width. The
// modem settings (port, initialisation, dialling mode) change only when the
// modem is chosen, and a port or mode that is not chosen keeps its value.
// The data directory of the record stays as it is: a new one is used from
// the next start.
void storeChoices(Config &cfg, const ConfigChoices &choices);

// Writes the settings to Tessaron.INI: the record's values, except the data
// directory (the typed text) and the password (scrambled). Every key is
// tried; returns false when any write failed, with the first failure's
// errno in *error.
bool writeChoices(const Config &cfg, const ConfigChoices &choices, int *error = nullptr);

// True when the typed data directory is not the one in use (compared
// exactly: the next start uses the new one).
bool dataDirectoryChanged(const Config &cfg, const ConfigChoices &choices);

// The language list: per language file Qorva*.lng of `programDir` whose
// first line begins with "[", the display name between the brackets made
// exactly kLanguageNameWidth characters wide, followed by the file name in
// upper case. Sorted without regard to case.
inline constexpr int kLanguageNameWidth = 30;
QStringList languageEntries(const QString &programDir);

// The file name part of a list entry.
QString languageFileOfEntry(const QString &entry);

// The index of the first entry whose file name equals `language` exactly
// (case included); entries.size() when there is none.
int languageIndex(const QStringList &entries, const QString &language);

// `Language` as Tessaron.INI holds it now ("QorvaENG.lng" when missing).
QString storedLanguage(const Config &cfg);

// Writes `Language` for the next start. False when the write failed.
bool writeLanguage(const Config &cfg, const QString &entry, int *error = nullptr);

// The program of file-manager choice 1 to 3; empty for any other choice.
QString fileManagerPreset(int choice);

// True when the program a file-manager command line starts (its first word)
// exists as a file.
bool fileManagerExists(const QString &commandLine);
