// Where the program keeps its files. Tessaron runs in one of two modes:
//
//  - portable: started from a folder it may write to that holds its language
//    files (a build tree, a copy on a USB stick), it keeps Tessaron.INI,
//    DATA/ and its logs beside itself;
//  - installed: started from a folder it may not write to, or laid out as an
//    installation (language files in <prefix>/share/tessaron, not beside the
//    program), it keeps them in the user's data folder
//    ($XDG_DATA_HOME/tessaron, by default ~/.local/share/tessaron) and reads
//    the files it ships with from the share folder.
//
// decide() is the only place that knows the difference; everything else uses
// the "home" it chose as the program directory.
#pragma once

#include <QString>

namespace platform {

struct ProgramPlace {
    // Tessaron.INI, the default DATA/ and the logs: the program directory.
    QString home;
    // The files that ship with the program: language files and the guide.
    QString shareDir;
    bool installed = false;

    struct Facts {
        QString homeOverride;   // $TESSARON_HOME; when set, home and shareDir both
        QString executableDir;  // the folder of the running program
        bool executableDirWritable = true;
        QString dataHome;       // $XDG_DATA_HOME, empty when unset
        QString userHome;       // $HOME
    };

    // The place for these facts. Looks at the file system only to see where
    // language files are; creates nothing.
    static ProgramPlace decide(const Facts &facts);

    // The facts of this process (environment, executable, write access).
    static Facts currentFacts();

    // decide(currentFacts()), with the home folder created when missing.
    // Throws std::runtime_error naming the folder when it cannot be created.
    static ProgramPlace current();

    // The share folder an installation puts beside its bin folder.
    static QString installedShareDir(const QString &executableDir);
    // True when `dir` holds at least one Qorva*.lng.
    static bool holdsLanguageFiles(const QString &dir);
};

} // namespace platform
