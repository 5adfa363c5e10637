// The reorganisation window: shows which tables are being created or
// re-indexed, the file at work and the progress of the tag being built.
//
// It carries out the two operations itself (CreateMissingTables,
// RebuildIndexes) through the storage maintenance, which reports to it. The
// caller creates and shows the window, calls one operation and releases it.
#pragma once

#include "storage/MaintenanceView.h"

#include <QDialog>

#include <memory>

class DatabaseMaintenance;
class MaintenanceDialogs;
class QLabel;
class QProgressBar;

class TfrmZV_Index : public QDialog, public MaintenanceProgress {
    Q_OBJECT

public:
    explicit TfrmZV_Index(QWidget *parent = nullptr);
    ~TfrmZV_Index() override;

    // Creates every missing table of `directory`; false when one could not
    // be created (the user has been told). See DatabaseMaintenance.
    bool CreateMissingTables(const QString &directory);
    // Builds the missing index files of `directory`, or every one when
    // `all`. Throws what DatabaseMaintenance::RebuildIndexes throws.
    void RebuildIndexes(const QString &directory, bool all);
    // Rebuilds the index of the one table `stem`. Throws likewise.
    void RebuildIndex(const QString &directory, const QString &stem);

    QLabel *lblAction = nullptr;
    QLabel *lblDescr = nullptr;
    QLabel *lblFName = nullptr;
    QProgressBar *Gauge1 = nullptr;

    // MaintenanceProgress: each repaints the window at once.
    void showActivity(MaintenanceActivity activity) override;
    void showTable(const QString &description, int tag) override;
    void showFile(const QString &path) override;
    void showPercent(int percent) override;

private:
    void repaintNow();

    std::unique_ptr<MaintenanceDialogs> m_prompt;
    std::unique_ptr<DatabaseMaintenance> m_maintenance;
};
