#include "app/StartupDatabaseChecks.h"

#include "app/Config.h"
#include "app/MaintenanceDialogs.h"
#include "app/TfrmZV_Index.h"
#include "platform/FormatSettings.h"
#include "storage/AutoUpdate.h"
#include "storage/DatabaseMaintenance.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/ExceptionGuard.h"

#include <QCursor>
#include <QFileInfo>
#include <QPointer>
#include <QGuiApplication>

namespace {

// The busy cursor from construction to destruction, whatever happens.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

AutoUpdateSettings autoUpdateSettingsOf(const Config &cfg)
{
    AutoUpdateSettings s;
    s.programDir = cfg.ProgDir;
    s.dataDir = cfg.ZVData;
    s.systemDir = cfg.ProgDir + QStringLiteral("/system");
    s.profilePath = cfg.iniPath();
    s.shortDateFormat = platform::FormatSettings::current().shortDateFormat;
    return s;
}

void RunStartupDatabaseChecks(QWidget *parent)
{
    const Config &cfg = config();
    {
        MaintenanceDialogs prompt(parent);
        DatabaseMaintenance maintenance(nullptr, prompt);
        AutoUpdate(autoUpdateSettingsOf(cfg), maintenance, prompt).run();
    }
    WaitCursor busy;
    if (DatabaseMaintenance::anyTableMissing(cfg.ZVData)) {
        TfrmZV_Index window(parent);
        window.show();
        window.CreateMissingTables(cfg.ZVData);
    }
    if (DatabaseMaintenance::anyIndexMissing(cfg.ZVData)) {
        TfrmZV_Index window(parent);
        window.show();
        window.RebuildIndexes(cfg.ZVData, false);
    }
}

void InstallIndexAudit(QWidget *parent)
{
    QPointer<QWidget> owner(parent);
    TXbaseDataSet::SetIndexDisagreementHandler([owner](const QString &path, const QString &finding) {
        MaintenanceDialogs prompt(owner);
        const QFileInfo table(path);
        if (!prompt.show(MaintenanceMessage::IndexDisagrees, {table.fileName(), finding}))
            return;
        // A rebuild that fails (the table in use elsewhere, Cancel) is told
        // and the open goes on with the index as it is.
        tk::guarded([&] {
            TfrmZV_Index window(owner);
            window.show();
            window.RebuildIndex(table.absolutePath(), table.completeBaseName());
        });
    });
}

void RemoveIndexAudit()
{
    TXbaseDataSet::SetIndexDisagreementHandler(nullptr);
}

void RunFullReindex(QWidget *parent)
{
    TfrmZV_Index window(parent);
    window.show();
    window.RebuildIndexes(config().ZVData, true);
}
