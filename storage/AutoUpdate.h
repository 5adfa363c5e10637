// The database auto-update: applies the update package that UpDate.INI in
// the program directory describes, once per new package.
//
// UpDate.INI (read through the profile module; names and codes matched
// without regard to case):
//   [Konfiguration] ThisUpdate = date of the package, in the short date format
//   [RunBefore]     Command    = command line run first (blank: none)
//   [Delete]        FileCount  = n; File1 ... Filen = code "," file name
//   [Refresh]       FileCount  = n; File1 ... Filen = code "," file name,
//                                copied from the folder FILES beside the program
//   [Convert]       FileCount  = n; File1 ... Filen = code "," table stem
//   [RunAfter]      Command    = command line run last (blank: none)
// File names are cut to 12 characters. Location codes for Delete and
// Refresh: B the program directory, D the data directory, W and Y the
// folder "system" in the program directory (which stands in for the
// Windows and system directories of the packages' original platform); for
// Convert: D the data directory, T the folder "Transfer" in the program
// directory. Other codes, and entries that are missing, empty or have no
// comma, are skipped. A Refresh with code Y copies only when the target is
// missing or older than the source; every other Refresh replaces it.
//
// Tessaron.INI [Setup] LastUpdate holds the ThisUpdate of the last package
// that ran; a package runs when its date is later.
#pragma once

#include <QString>

class DatabaseMaintenance;
class MaintenancePrompt;

struct AutoUpdateSettings {
    QString programDir;      // UpDate.INI, FILES/ and Transfer/ are here
    QString dataDir;         // location D
    QString systemDir;       // locations W and Y
    QString profilePath;     // Tessaron.INI, for LastUpdate
    QString shortDateFormat; // how both dates are written, "dd.MM.yyyy" say
};

class AutoUpdate {
public:
    enum class Result {
        NoUpdate,   // no newer package (or a date that is not a date)
        Cancelled,  // the user declined; asked again at the next start
        Done,       // applied; LastUpdate now holds the package's date
        Incomplete, // applied, but a conversion was refused or failed;
                    // LastUpdate is unchanged, so it runs again next start
    };

    // `maintenance` converts the tables; both must outlive this object.
    AutoUpdate(const AutoUpdateSettings &settings, DatabaseMaintenance &maintenance, MaintenancePrompt &prompt);
    AutoUpdate(const AutoUpdate &) = delete;
    AutoUpdate &operator=(const AutoUpdate &) = delete;

    // Runs the update when the package is newer than LastUpdate: asks
    // UpdateQuestion, then RunBefore, Delete, Refresh, Convert, RunAfter,
    // shows UpdateFinished and stores the date. A date that is not a date
    // is reported (UpdateDateInvalid, one message even when both are bad)
    // and counts as no update; call run() once per start. A file that
    // cannot be copied is reported (UpdateFileFailed)
    // and the update goes on with the next entry. Never throws for what a
    // package contains.
    Result run();

    // The path of UpDate.INI (found without regard to case).
    QString updateIniPath() const;

private:
    QString locationDir(const QString &code, bool convert) const;
    void runCommand(const std::string &section, bool processEvents);
    void deleteFiles();
    void refreshFiles();
    bool convertTables();

    AutoUpdateSettings m_settings;
    DatabaseMaintenance &m_maintenance;
    MaintenancePrompt &m_prompt;
    QString m_iniPath;
};
