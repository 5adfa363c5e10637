// CSV files of a collection table: round trip, spreadsheet variants and
// refused lines.
#include "storage/exchange/Csv.h"
#include "storage/exchange/TableExchange.h"

#include "ExchangeTestData.h"

#include <QTest>

#include "testing/TestRegistry.h"

using exchange::Problem;

class TestCsv : public QObject {
    Q_OBJECT

private slots:
    void roundTripKeepsEveryField();
    void spreadsheetFilesAndRefusedLines();
};

void TestCsv::roundTripKeepsEveryField()
{
    auto dir = exchangetest::dataDir();
    auto back = exchangetest::dataDir();
    QVERIFY(exchangetest::createDatabase(dir->path()));
    QVERIFY(exchangetest::createDatabase(back->path()));
    exchange::Parsed books;
    exchange::Record a;
    a.fields = {{"TITEL", "Faust, \"Der Tragödie\" erster Teil"}, {"AUTOR", "Goethe"}, {"DESCRIBE", " führt mit Blank"},
                {"SPARTE", "Drama"}, {"SEITEN", "350"}, {"VERLAG", "Reclam"}, {"BUCH_NO", "12"},
                {"BUCH_ART", "Mehrbändig"}, {"BAENDE", "2"}, {"VERL_DAT", "20261224"}, {"VERL_NAM", "Anna"},
                {"VERL_VON", ""}, {"PREIS", "19"}, {"WERT", "120"}, {"WERTUNG", "1"}, {"SELECTED", ""}};
    a.note = QStringLiteral("Zeile eins;\nZeile zwei, mit \"Zitat\"");
    exchange::Record b;
    b.fields = {{"TITEL", "Leer"}, {"SEITEN", ""}, {"VERL_DAT", ""}};
    books.records = {a, b};
    QCOMPARE(exchange::importRecords(dir->path(), schema::kBooks, books).added, 2);
    const std::vector<exchange::Record> before = exchangetest::records(dir->path(), schema::kBooks);

    TXbaseDataSet table;
    exchange::openShown(table, dir->path(), QStringLiteral("BOOKS.DBF"), QStringLiteral("1"), QString());
    const csv::Columns columns = csv::columnsOf(table);
    QCOMPARE(columns.names.last(), QStringLiteral("NOTIZEN"));
    QVERIFY(columns.dates.contains(QStringLiteral("VERL_DAT")));
    const QByteArray file = csv::write(columns, before);
    QVERIFY(file.startsWith("TITEL,AUTOR,DESCRIBE,"));
    QVERIFY(file.contains(",2026-12-24,"));

    const exchange::Parsed parsed = csv::read(file, columns);
    QCOMPARE(parsed.findings.size(), std::size_t(0));
    QCOMPARE(parsed.records.size(), std::size_t(2));
    QCOMPARE(parsed.records[1].line, 4); // the first record's note spans two lines
    QCOMPARE(exchange::importRecords(back->path(), schema::kBooks, parsed).added, 2);
    const std::vector<exchange::Record> after = exchangetest::records(back->path(), schema::kBooks);
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        QMap<QString, QString> x = before[i].fields, y = after[i].fields;
        for (auto *m : {&x, &y}) {
            m->remove(QStringLiteral("INR"));
            m->remove(QStringLiteral("L_UPDATE"));
        }
        QCOMPARE(y, x);
        QCOMPARE(after[i].note, before[i].note);
    }
}

void TestCsv::spreadsheetFilesAndRefusedLines()
{
    auto dir = exchangetest::dataDir();
    QVERIFY(exchangetest::createDatabase(dir->path()));
    TXbaseDataSet table;
    exchange::openShown(table, dir->path(), QStringLiteral("BOOKS.DBF"), QStringLiteral("1"), QString());
    const csv::Columns columns = csv::columnsOf(table);
    table.Close();
    // A German spreadsheet: semicolons, a BOM, names in any case, dates
    // as dd.mm.yyyy, Windows line ends.
    const QByteArray file = "\xEF\xBB\xBFtitel;Autor;Regal;VERL_DAT;SEITEN;Notizen\r\n"
                            "Faust;Goethe;3;24.12.2026;350;\"erste\r\nzweite\"\r\n"
                            "Kaputt;X;1;31.02.2026;10;\r\n"
                            "Zahl;Y;1;;viele;\r\n"
                            "Zu viel;Z;1;;1;;noch was\r\n"
                            "\r\n"
                            "Ωmega;Z;1;;1;\r\n"
                            "Ende;Z;1;2026-01-02;1;\r\n";
    const exchange::Parsed parsed = csv::read(file, columns);
    const exchange::ImportResult result = exchange::importRecords(dir->path(), schema::kBooks, parsed);
    QCOMPARE(result.added, 2);
    QCOMPARE(result.refused, 4);
    QVERIFY(!result.findings.empty());
    QCOMPARE(result.findings[0].problem, Problem::UnknownColumn);
    QCOMPARE(result.findings[0].field, QStringLiteral("Regal"));
    std::vector<std::pair<int, Problem>> refused;
    for (const exchange::Finding &f : result.findings)
        if (f.refused)
            refused.push_back({f.line, f.problem});
    const std::vector<std::pair<int, Problem>> expected = {
        {4, Problem::BadDate}, {5, Problem::BadNumber}, {6, Problem::TooManyCells}, {8, Problem::NotWindows1252}};
    QCOMPARE(refused, expected);
    const std::vector<exchange::Record> stored = exchangetest::records(dir->path(), schema::kBooks);
    QCOMPARE(stored.size(), std::size_t(2));
    QCOMPARE(stored[0].fields.value("TITEL"), QStringLiteral("Ende"));
    QCOMPARE(stored[0].fields.value("VERL_DAT"), QStringLiteral("20260102"));
    QCOMPARE(stored[1].fields.value("VERL_DAT"), QStringLiteral("20261224"));
    QCOMPARE(stored[1].note, QStringLiteral("erste\nzweite"));
}

TESSARON_TEST(TestCsv)
#include "TestCsv.moc"
