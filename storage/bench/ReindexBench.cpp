// reindexbench: fills a data directory with 100,000 addresses, 50,000 music
// titles and 10,000 appointments (deterministic pseudo-random texts; the
// other tables empty), then times the full index rebuild of the menu
// command, table by table.
//
// Usage: reindexbench [directory]   (default: a temporary directory)
#include "storage/DatabaseMaintenance.h"
#include "storage/DatabaseSchema.h"
#include "storage/MaintenanceView.h"
#include "storage/TXbaseDataSet.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSeedRecords = 1000;

// Reports nothing, answers nothing, notes when each table starts.
class Timing : public MaintenanceProgress, public MaintenancePrompt {
public:
    void showActivity(MaintenanceActivity) override {}
    void showTable(const QString &, int) override {}
    void showFile(const QString &path) override
    {
        lap();
        m_current = path.section(QLatin1Char('/'), -1);
    }
    void showPercent(int) override {}
    bool show(MaintenanceMessage, const QStringList &args) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(args.join(QLatin1Char(' '))));
        return false;
    }
    QString text(MaintenanceMessage, const QStringList &args) const override { return args.join(QLatin1Char(' ')); }
    void setBusy(bool) override {}

    void start()
    {
        m_current.clear();
        m_timer.start();
    }
    void lap()
    {
        if (!m_current.isEmpty())
            std::printf("  %-14s %8.3f s\n", qPrintable(m_current), m_timer.nsecsElapsed() / 1e9);
        m_current.clear();
        m_timer.restart();
    }

private:
    QElapsedTimer m_timer;
    QString m_current;
};

quint32 s_seed = 12345;
int next(int n)
{
    s_seed = s_seed * 1103515245u + 12345u;
    return static_cast<int>((s_seed >> 8) % static_cast<quint32>(n));
}

QString word(int length)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzäöü";
    QString w;
    w += QChar(u'A' + next(26));
    for (int i = 1; i < length; ++i)
        w += QString::fromUtf8(letters).at(next(29));
    return w;
}

// Fills `stem` with `count` records: kSeedRecords made by `fill`, appended
// again until the count is reached.
void fillTable(const QString &dir, int position, int count, const std::function<void(TXbaseDataSet &)> &fill)
{
    const QString stem = schema::table(position).stem;
    const QString seed = schema::tablePath(dir, QStringLiteral("SEED_") + stem, QStringLiteral("DBF"));
    schema::createTable(position, seed);
    {
        TXbaseDataSet ds;
        ds.SetTableName(seed);
        ds.SetExclusive(true);
        ds.Open();
        for (int i = 0; i < kSeedRecords; ++i) {
            ds.Append();
            fill(ds);
            ds.Post();
        }
    }
    TXbaseDataSet target;
    target.SetTableName(schema::tablePath(dir, stem, QStringLiteral("DBF")));
    target.SetExclusive(true);
    target.Open();
    for (int done = 0; done < count; done += kSeedRecords)
        target.AppendFrom(seed, 2, QString());
    std::printf("%-9s %7d records\n", qPrintable(stem), target.RecordCount());
    target.Close();
    QFile::remove(seed);
}

void set(TXbaseDataSet &ds, const char *field, const QString &value)
{
    ds.FieldByName(QString::fromLatin1(field))->SetAsString(value);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    Timing timing;
    DatabaseMaintenance maintenance(&timing, timing);
    if (!maintenance.CreateMissingTables(dir))
        return 1;

    fillTable(dir, schema::kAdress, 100000, [](TXbaseDataSet &ds) {
        set(ds, "FAMNAME", word(4 + next(10)));
        set(ds, "VORNAME", word(3 + next(8)));
        set(ds, "STRASSE", word(6 + next(12)) + QStringLiteral("str. %1").arg(1 + next(200)));
        set(ds, "PLZ", QString::number(10000 + next(89999)));
        set(ds, "ORT", word(4 + next(12)));
        set(ds, "TELNU", QStringLiteral("0%1 %2").arg(next(9999)).arg(next(9999999)));
        ds.FieldByName(QStringLiteral("GEB_DAT"))->SetAsDate(QDate(1930, 1, 1).addDays(next(30000)));
    });
    fillTable(dir, schema::kCassette, 50000, [](TXbaseDataSet &ds) {
        ds.FieldByName(QStringLiteral("TRACK"))->SetAsInteger(1 + next(20));
        set(ds, "LIEDERL", word(5 + next(20)));
        set(ds, "INTERPRET", word(5 + next(15)));
        ds.FieldByName(QStringLiteral("CASS_NO"))->SetAsInteger(1 + next(999));
        set(ds, "SPARTE", word(4 + next(8)));
        set(ds, "ART", QStringLiteral("CD"));
    });
    fillTable(dir, schema::kTermin, 10000, [](TXbaseDataSet &ds) {
        ds.FieldByName(QStringLiteral("DATUM"))->SetAsDate(QDate(2020, 1, 1).addDays(next(3000)));
        set(ds, "TERMIN", word(5 + next(20)));
        set(ds, "NOTIZ", word(5 + next(40)));
    });

    std::printf("full index rebuild:\n");
    QElapsedTimer total;
    total.start();
    timing.start();
    maintenance.RebuildIndexes(dir, true);
    timing.lap();
    std::printf("total          %8.3f s\n", total.nsecsElapsed() / 1e9);
    return 0;
}
