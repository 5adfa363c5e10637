// What the database maintenance shows while it works, and whom it asks.
//
// The maintenance code knows no windows and no texts: it reports its
// progress to a MaintenanceProgress (the reorganisation window) and its
// questions and messages as codes to a MaintenancePrompt, which the
// application maps to numbered language texts and message boxes.
#pragma once

#include <QString>
#include <QStringList>

enum class MaintenanceActivity { Creating, Indexing };

// Messages and questions, with the arguments each one fills in.
enum class MaintenanceMessage {
    CreateFailed,      // error, Cancel only; path of the table
    AccessRetry,       // error, OK and Cancel (OK: try again); directory/stem
    AccessFailed,      // text of the error that ends a rebuild; stem
    ConvertFailed,     // error, OK; stem, reason. The old table is kept.
    TableInUse,        // warning, OK; stem. The table was not converted.
    UpdateQuestion,    // information, OK and Cancel (OK: run the update)
    UpdateFinished,    // information, OK
    UpdateDateInvalid, // warning, OK; the text, the file it came from
    UpdateFileFailed,  // error, OK; the failure's description
    UpdateIncomplete,  // warning, OK: the update runs again at the next start
    ValuesBlanked,     // information, OK; stem, count of values the conversion left blank
    IndexDisagrees,    // warning, Yes and No (Yes: rebuild); table file, the engine's finding
};

class MaintenanceProgress {
public:
    virtual ~MaintenanceProgress() = default;

    virtual void showActivity(MaintenanceActivity activity) = 0;
    // The table at work by its description, with the tag being built (0 when
    // no tag is being built).
    virtual void showTable(const QString &description, int tag) = 0;
    // The file at work, its full path.
    virtual void showFile(const QString &path) = 0;
    // Progress of the tag being built, 0 ... 100. The implementation lets
    // pending paint events run so that the window stays current.
    virtual void showPercent(int percent) = 0;
};

class MaintenancePrompt {
public:
    virtual ~MaintenancePrompt() = default;

    // Shows the message box of `message` and waits for it. Returns true when
    // the user chose OK where the box offers OK and Cancel, or Yes where it
    // offers Yes and No; false otherwise.
    virtual bool show(MaintenanceMessage message, const QStringList &args) = 0;
    // The text of `message` without showing it.
    virtual QString text(MaintenanceMessage message, const QStringList &args) const = 0;
    // Switches the busy cursor on or off.
    virtual void setBusy(bool busy) = 0;
};
