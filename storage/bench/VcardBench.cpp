// vcardbench: the import of a vCard file of N addresses (1,000 unless
// given) into an empty address table with its tags and the notes table:
// reading the cards and writing each address with its key and notes
// record. Prints the time of each step and of the whole import.
//
// Usage: vcardbench [addresses]
#include "storage/DatabaseMaintenance.h"
#include "storage/DatabaseSchema.h"
#include "storage/MaintenanceView.h"
#include "storage/exchange/TableExchange.h"
#include "storage/exchange/VCard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Creates every table with its tags, as the program does on its first start.
struct Silent : MaintenancePrompt {
    bool show(MaintenanceMessage, const QStringList &) override { return false; }
    QString text(MaintenanceMessage, const QStringList &) const override { return {}; }
    void setBusy(bool) override {}
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    Silent prompt;
    DatabaseMaintenance maintenance(nullptr, prompt);
    if (!maintenance.CreateMissingTables(dir.path())) {
        std::fprintf(stderr, "cannot create the tables in %s\n", qPrintable(dir.path()));
        return 1;
    }
    maintenance.RebuildIndexes(dir.path(), false);
    QByteArray file;
    for (int i = 0; i < count; ++i) {
        exchange::Record r;
        r.fields = {{"FAMNAME", QStringLiteral("Müller-%1").arg(i)}, {"VORNAME", QStringLiteral("Jürgen")},
                    {"TITEL", QStringLiteral("Dr.")}, {"SEX", QStringLiteral("M")},
                    {"STRASSE", QStringLiteral("Hauptstraße %1").arg(i)}, {"PLZ", QStringLiteral("8010")},
                    {"ORT", QStringLiteral("Graz")}, {"STAAT", QStringLiteral("A")},
                    {"TELNU", QStringLiteral("0316/%1").arg(100000 + i)}, {"TELMOBIL", QStringLiteral("0664/%1").arg(i)},
                    {"EMAIL", QStringLiteral("j%1@example.at").arg(i)}, {"WWW", QStringLiteral("https://example.at/%1").arg(i)},
                    {"GEB_DAT", QStringLiteral("19700101")}};
        r.note = i % 2 ? QStringLiteral("Eine Notiz, mit Komma; und zwei\nZeilen") : QString();
        file += vcard::writeAddress(r);
    }
    std::printf("%d addresses, %lld bytes of vCard\n", count, static_cast<long long>(file.size()));

    QElapsedTimer total;
    total.start();
    QElapsedTimer step;
    step.start();
    const exchange::Parsed parsed = vcard::readAddresses(file);
    const qint64 readMs = step.elapsed();
    step.restart();
    const exchange::ImportResult result = exchange::importRecords(dir.path(), schema::kAdress, parsed);
    const qint64 writeMs = step.elapsed();
    const qint64 allMs = total.elapsed();
    std::printf("read %lld ms, written %lld ms, import %lld ms: %d added, %d refused\n",
                static_cast<long long>(readMs), static_cast<long long>(writeMs), static_cast<long long>(allMs),
                result.added, result.refused);
    std::printf("%s\n", allMs < 1000 ? "under a second" : "NOT under a second");
    return result.added == count ? 0 : 1;
}
