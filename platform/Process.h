// Starting other programs.
//
// A command line is split like a shell would split it (double quotes group,
// backslashes escape) and started directly, without a shell, with the
// caller's environment and working directory. Results follow the classic
// "start and wait" contract: the start failure is the system's error code, a
// finished wait is 0, and the started program's exit code is never examined.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

class Process {
public:
    // Result of a wait that ran out of time.
    static constexpr int kWaitTimeout = 258;
    // Result of a start that failed without an error code.
    static constexpr int kStartFailedUnknown = -30007;

    // Starts the command line and waits until the process ends. Returns 0
    // after a normal wait, the start's errno when it could not be started
    // (kStartFailedUnknown when that is 0), or the wait's errno.
    static int runAndWait(const QString &commandLine);
    // The same for a program and its arguments, with the program's exit
    // code in *exitCode (-1 when a signal ended it) after a normal wait.
    static int runAndWait(const QString &program, const QStringList &arguments, int *exitCode);

    // Starts the command line and waits at most `milliseconds`. Returns 0
    // when the process ended in time, kWaitTimeout when it did not (it keeps
    // running), or the start's errno when it could not be started.
    static int runWithTimeout(const QString &commandLine, int milliseconds);

    // Starts a program without waiting. Returns 0 or the start's errno.
    static int startDetached(const QString &program, const QStringList &arguments = {});

    // The first of the named programs found on PATH (or given with a path
    // that exists), or an empty text.
    static QString findProgram(const QStringList &candidates);
};

} // namespace platform
