// The message boxes and the busy cursor of the database maintenance: maps
// each maintenance message to its numbered language text, its box kind and
// its buttons, in this one place.
#pragma once

#include "storage/MaintenanceView.h"

class QWidget;

// Language texts of the database maintenance.
namespace MaintenanceText {
inline constexpr int kCreating = 10200;          // "Erstellung der Datenbanken:"
inline constexpr int kIndexing = 10201;          // "Indexierung der Datenbanken:"
inline constexpr int kCreateFailed = 10202;      // %s path
inline constexpr int kAccessRetry = 10203;       // %s directory/stem
inline constexpr int kAccessFailed = 10204;      // %s stem
inline constexpr int kConvertFailed = 10205;     // %s stem, %s reason
inline constexpr int kTableInUse = 10206;        // %s stem
inline constexpr int kUpdateQuestion = 10207;
inline constexpr int kUpdateFinished = 10208;
inline constexpr int kUpdateDateInvalid = 10209; // %s text, %s file
inline constexpr int kUpdateFileFailed = 10210;  // %s description
inline constexpr int kUpdateIncomplete = 10211;
inline constexpr int kValuesBlanked = 10212;     // %s stem, %s count
inline constexpr int kIndexDisagrees = 10213;    // %s table file, %s finding
}

class MaintenanceDialogs : public MaintenancePrompt {
public:
    // Boxes are shown over `parent` (may be null), which must outlive this.
    explicit MaintenanceDialogs(QWidget *parent = nullptr);
    ~MaintenanceDialogs() override;
    MaintenanceDialogs(const MaintenanceDialogs &) = delete;
    MaintenanceDialogs &operator=(const MaintenanceDialogs &) = delete;

    bool show(MaintenanceMessage message, const QStringList &args) override;
    QString text(MaintenanceMessage message, const QStringList &args) const override;
    // Balanced: every setBusy(true) is undone by one setBusy(false); the
    // destructor undoes what is left.
    void setBusy(bool busy) override;

    // The label text of an activity (the German design text when the
    // language file has none).
    static QString activityText(MaintenanceActivity activity);

private:
    QWidget *m_parent;
    int m_busy = 0;
};
