// The configuration record: every setting of Tessaron.INI, read once at
// start-up and held for the whole run, plus the run state of the modules.
//
// Fields carry their INI key names. Text fields have fixed widths; longer
// values are cut when stored. Only the configuration dialog changes user
// settings during a run.
#pragma once

#include <QString>
#include <array>
#include <string>

namespace platform {
class Profile;
}

// The modules in run-state order.
enum class Module { Addresses, Appointments, Music, Diskettes, Videos, Books };
inline constexpr int kModuleCount = 6;

// How the music window plays audio CDs (key CDPlay of [User], stored as the
// number): through the drive's own audio output, by reading the audio
// sectors and playing them through the sound output, or digital unless the
// drive only offers the analog path. Missing or unknown values read as
// Automatic.
enum class CdPlayMode { Automatic = 0, Analog = 1, Digital = 2 };

struct Config {
    QString ProgDir;    // 127, no trailing slash
    QString ShareDir;   // the language files and the guide; ProgDir unless installed
    QString ZVData;     // 127, data directory
    QString Name;       // 30
    QString Adresse;    // 50
    QString Telefon;    // 30
    QString ZVPass;     // 12, the access password, unscrambled
    bool AccessGranted = false;
    bool ZVTrans = true;
    bool AOpen = false, TOpen = false, MOpen = false, DOpen = false, VOpen = false, BOpen = false;
    bool TAPI = true;
    QString COMInit;    // 80
    int COMPort = 2;
    QString DialMode;   // 1
    bool MailTo = true;
    QString email;      // 80
    QString CDDBServer; // 80
    QString CDDBPort;   // 4
    QString CDDBType;   // 5
    QString CDDBcgi;    // 80
    int CDDBTimeOut = 45;
    int CDStatus = 0;
    CdPlayMode CDPlay = CdPlayMode::Automatic;
    bool XELLog = false;
    int FileMan = 3;
    QString FileManN;   // 50
    bool PlzAuto = true;
    bool Style97 = true; // INI key "97Style"
    bool Calculator = false;
    QString LastUpdateArc; // 10
    QString Language;      // 255
    int ZVCalls = 0;       // starts before this one
    bool IniWriteFailed = false; // Tessaron.INI could not be written at start-up
    QString WinDir;        // 80
    QString SysDir;        // 80

    // Run state, never stored.
    std::array<int, kModuleCount> SortOrder{};
    std::array<QString, kModuleCount> Filter;

    // Open flags: true while the module's window exists.
    std::array<bool, kModuleCount> Open{};
    // The notice shown for functions a window does not offer.
    QString NoticeText;

    bool &open(Module m) { return Open[static_cast<int>(m)]; }
    int &sortOrder(Module m) { return SortOrder[static_cast<int>(m)]; }
    QString &filter(Module m) { return Filter[static_cast<int>(m)]; }

    // Tessaron.INI in the program directory.
    QString iniPath() const;
    // The folder of the files shipped with the program (language files, guide).
    QString shareDir() const { return ShareDir.isEmpty() ? ProgDir : ShareDir; }
    platform::Profile profile() const;
};

// The process-wide record.
Config &config();

// Widths of the text fields.
namespace ConfigWidth {
inline constexpr int kPath = 127, kName = 30, kAdresse = 50, kTelefon = 30, kPassword = 12,
                     kCOMInit = 80, kDialMode = 1, kEmail = 80, kCDDBServer = 80, kCDDBPort = 4,
                     kCDDBType = 5, kCDDBcgi = 80, kFileManN = 50, kLastUpdateArc = 10,
                     kLanguage = 255, kSystemDir = 80;
}

// Defaults that are the program's own choice.
namespace ConfigDefault {
inline constexpr char kOwnerName[] = "Erika Mustermann";
inline constexpr char kOwnerAddress[] = "Heidestra\xDF" "e 17, 51147 K\xF6ln";
inline constexpr char kOwnerPhone[] = "0221 1234567";
inline constexpr char kEmail[] = "name@example.org";
inline constexpr char kCDDBServer[] = "gnudb.gnudb.org";
// The three file-manager presets (choices 1 to 3); choice 3 is the default.
inline constexpr char kFileManTree[] = "/usr/bin/pcmanfm";
inline constexpr char kFileManCommander[] = "/usr/bin/doublecmd";
inline constexpr char kFileManDesktop[] = "/usr/bin/xdg-open";
inline constexpr int kPasswordKey = 571;
}

// Loads the record from Tessaron.INI in `programDir` (creating the file with
// its first-run keys when it is missing), counts this start in ZVCalls,
// creates the data directory and resets the run state. Throws
// std::runtime_error naming the directory when the data directory cannot be
// created.
void LoadConfiguration(Config &cfg, const QString &programDir);

// Takes a chosen CDDB server into the record, each text cut to its width,
// and writes CDDBServer, CDDBPort, CDDBType and CDDBcgi to [User] of
// Tessaron.INI. Every key is tried; returns false when a write failed, with
// the first failure's errno in *error.
bool StoreCddbServer(Config &cfg, const QString &server, const QString &port, const QString &type,
                     const QString &cgi, int *error = nullptr);

// The play mode of a stored CDPlay number; unknown numbers give Automatic.
CdPlayMode cdPlayModeOf(int stored);

// The data directory a ZVData value names: backslashes become slashes, a
// drive letter ("C:\\TESSARON\\DATA") stands for the root of the file system,
// and a relative folder lies in `programDir`. Empty for an empty value.
QString dataDirectoryOf(const QString &configured, const QString &programDir);

// The zero date (30 December 1899) as short date text.
QString zeroDateText();

// The stored form of a scrambled password. Scrambled bytes may include line
// ends, NULs, quotes and blanks at either end, which a profile line cannot
// hold; such values (and values that begin with the "hex:" marker) are
// written as "hex:" followed by two hex digits per byte. Every other value
// is written unchanged, as older files hold it.
std::string encodeStoredPassword(const std::string &scrambled);
std::string decodeStoredPassword(const std::string &stored);

// Scrambles a password for ZVPass / unscrambles ZVPass.
std::string storedPasswordOf(const QString &password);
QString passwordOfStored(const std::string &stored);

// Appends "date time: entry" to Tessaron.LOG: beside the program when
// `besideProgram` (the dialler's entries), else in the current working
// directory. `entry` begins with ": ". Throws std::runtime_error when the
// file cannot be opened or written.
void AppendLog(const QString &entry, bool besideProgram = false);
