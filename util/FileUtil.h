// File routines of the database maintenance and the update: conditional
// copy, deletion into the trash, and running another program.
#pragma once

#include <QString>
#include <stdexcept>

// A file operation that failed; the message names the file and the reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Copies `source` to `destination` unless `always` is false and the
// destination's modification time is at least the source's (a missing file
// counts as oldest). Creates the destination's directory as needed; the copy
// is written beside the destination and renamed over it, so an existing
// destination is never left half-written. Returns true when it copied or
// skipped (a missing source is skipped unless `always`, even when the
// destination is missing too). Throws FileError when a copy is due and the
// source cannot be opened for reading and writing, or the destination cannot
// be written.
bool CopyIfNewer(const QString &source, const QString &destination, bool always);

// Moves the file to the desktop's trash without asking; nothing happens when
// it does not exist, and a failure is not reported.
void DeleteToRecycleBin(const QString &path);

// Runs a command line and waits for it without limit. `showMode` is kept for
// callers' symmetry and has no effect here. Returns 0 after the wait, the
// start failure's error code (-30007 when unknown) otherwise. The program's
// exit code is not examined.
int RunAndWait(const QString &commandLine, int showMode = 1);

// Runs a command line and waits at most `milliseconds`: 0 when it ended in
// time, 258 (the time-out code) when not, the start failure's error code
// when it could not be started.
int RunWithTimeout(const QString &commandLine, int showMode, int milliseconds);
