// Tables and the Python side of the exchange tests: empty schema tables
// with their tags in a folder named with umlauts, records added through a
// dataset, and the independent vCard and iCalendar implementations Debian
// ships (python3-vobject, python3-icalendar) run as a separate process.
#pragma once

#include "storage/DatabaseMaintenance.h"
#include "storage/DatabaseSchema.h"
#include "storage/MaintenanceView.h"
#include "storage/TXbaseDataSet.h"
#include "storage/exchange/TableExchange.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace exchangetest {

inline std::unique_ptr<QTemporaryDir> dataDir()
{
    return std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Austausch-Größe-XXXXXX"));
}

// Every table of the schema with its tags, as the program creates them.
inline bool createDatabase(const QString &dir)
{
    struct Silent : MaintenancePrompt {
        bool show(MaintenanceMessage, const QStringList &) override { return false; }
        QString text(MaintenanceMessage, const QStringList &) const override { return {}; }
        void setBusy(bool) override {}
    } prompt;
    DatabaseMaintenance maintenance(nullptr, prompt);
    if (!maintenance.CreateMissingTables(dir))
        return false;
    maintenance.RebuildIndexes(dir, false);
    return true;
}

// Every record of a table with its note, in tag "1" order.
inline std::vector<exchange::Record> records(const QString &dir, int position)
{
    TXbaseDataSet table;
    exchange::openShown(table, dir, schema::tableFile(schema::table(position).stem, QStringLiteral("DBF")),
                        QStringLiteral("1"), QString());
    TXbaseDataSet notes;
    exchange::openShown(notes, dir, QStringLiteral("NOTIZEN.DBF"), QStringLiteral("1"), QString());
    return exchange::readAll(table, &notes);
}

// Runs `script` with Debian's Python; the arguments follow it. Returns
// standard output; a failure fails the test.
inline QByteArray python(const QString &script, const QStringList &arguments, bool *ok)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + arguments);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        qWarning("python3: %s", p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

} // namespace exchangetest
