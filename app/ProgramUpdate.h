// The program update from UPDATE.ZIP in the program directory.
//
// The archive must be dated later than the last one installed. It is
// unpacked over the program directory with unzip; data files it brings are
// taken over by the database auto-update at the next start. A new program
// file in its UPDATE folder replaces the running one through a shell script
// that runs in a terminal window after the program has ended. The program
// always ends after a successful update.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

struct Config;
class QDateTime;
class QWidget;

namespace update {

// Days a new program file may be older than today and still be accepted.
inline constexpr int kMaxProgramAgeDays = 31;

// The unpacked program is accepted when its modification date lies no more
// than kMaxProgramAgeDays before today (a date after today, from another
// computer's clock, counts as new).
bool programIsRecent(const QDateTime &stamp, const QDate &today);

// The new program file in the UPDATE folder of `programDir`: the folder and
// the file (named like `programFile`) are found in any letter case. Empty
// when the archive brought none.
QString newProgramFile(const QString &programDir, const QString &programFile);

// The replacement script, 27 lines: wait for a key (so that the program can
// end first), replace `programPath` with `newProgram`, remove the new file
// and its folder, delete the script itself.
QStringList scriptLines(const QString &programPath, const QString &newProgram);

// Writes the script (replacing an older one) and makes it executable.
// False when it cannot be written.
bool writeScript(const QString &path, const QStringList &lines);

// What the command needs from the main window.
struct Hooks {
    // Closes every child window; true when none is left.
    std::function<bool()> closeAllChildren;
    // Starts the script in a terminal window; 0 or the start's error code.
    // The default looks for the desktop's terminal program.
    std::function<int(const QString &script)> startScript;
};

// Runs the update command with its messages. Returns true when the update
// was installed and the program must end now.
bool RunProgramUpdate(QWidget *parent, Config &cfg, const Hooks &hooks);

// The name of the script and of the archive.
inline constexpr char kArchiveName[] = "UPDATE.ZIP";
inline constexpr char kScriptName[] = "upd_exe.sh";

} // namespace update
