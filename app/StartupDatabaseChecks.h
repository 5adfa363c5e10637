// The database steps of the main window: the checks at every start and the
// full re-index of the menu command.
#pragma once

#include <QString>

struct AutoUpdateSettings;
struct Config;
class QWidget;

// The auto-update's view of the configuration: program and data directory,
// Tessaron.INI, the short date format, and the folder "system" in the
// program directory for the location codes W and Y.
AutoUpdateSettings autoUpdateSettingsOf(const Config &cfg);

// The start-up steps, in order: the auto-update; then, under the busy
// cursor, the reorganisation window creating the missing tables of the data
// directory (when any table file is missing) and the one rebuilding the
// missing index files (when any is missing). Uses config(). Boxes appear
// over `parent` (may be null). Throws what the index rebuild throws (the
// access error after Cancel, EXbaseError for a tag that cannot be built);
// the cursor is normal again in every case.
void RunStartupDatabaseChecks(QWidget *parent = nullptr);

// Rebuilds every index file of the data directory in the reorganisation
// window. The caller has asked and closed every child window first (no
// other dataset may have a table open). Throws as RunStartupDatabaseChecks.
void RunFullReindex(QWidget *parent = nullptr);

// From now on, the first open of a table whose index does not agree with it
// asks whether to rebuild that index (IndexDisagrees) and does so in the
// reorganisation window on Yes. Boxes appear over `parent` while it lives.
// RemoveIndexAudit ends it.
void InstallIndexAudit(QWidget *parent);
void RemoveIndexAudit();
