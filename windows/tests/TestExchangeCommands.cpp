// The exchange commands of the collection windows on real tables: the
// menus per window in both languages, export of what a window shows,
// import with its summary, and the refusal while an entry is pending.
#include "CollectionTestData.h"
#include "app/Language.h"
#include "storage/AppointmentSeries.h"
#include "reports/TfrmFilter.h"
#include "storage/exchange/Calendar.h"
#include "storage/exchange/Csv.h"
#include "storage/exchange/TableExchange.h"
#include "storage/exchange/VCard.h"
#include "windows/ExchangeCommands.h"
#include "windows/TfrmAdress.h"
#include "windows/TfrmBooks.h"
#include "windows/TfrmImportSummary.h"
#include "windows/TfrmTermin.h"
#include "xbase/api/XbApi.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

using collectiontest::addRow;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QStringList actionNames(const QMenu *menu)
{
    QStringList names;
    for (const QAction *a : menu->actions())
        if (!a->isSeparator())
            names << a->objectName();
    return names;
}

} // namespace

class TestExchangeCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menusOfferTheFormatsOfEachWindowInBothLanguages();
    void addressesShownAreExportedInTheirOrderAndFilter();
    void importAddsRecordsAndSummarisesTheRefusedLines();
    void appointmentSeriesGoesOutAsOneRecurringEvent();
    void csvOfBooksAndNothingWhileAnEntryIsPending();

private:
    QString m_data;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestExchangeCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/Tausch-Übung-XXXXXX"));
    QVERIFY(collectiontest::startUp(m_dir->path()));
    m_data = config().ZVData;
    QVERIFY(collectiontest::createTables(m_data, {schema::kAdress, schema::kTermin, schema::kBooks, schema::kTitel,
                                                  schema::kSex, schema::kPlz, schema::kStaaten, schema::kAutoren,
                                                  schema::kBsparten, schema::kNotizen}));
}

void TestExchangeCommands::cleanup()
{
    xb_CloseAll();
    tk::MessageBox::clearPresets();
    tk::Language::current().clear();
}

void TestExchangeCommands::menusOfferTheFormatsOfEachWindowInBothLanguages()
{
    for (const char *language : {"QorvaGER.lng", "QorvaENG.lng"}) {
        QVERIFY(collectiontest::startUp(m_dir->path(), language));
        {
            TfrmAdress w;
            QCOMPARE(actionNames(w.exchange->menu()),
                     (QStringList{"actExportVCard", "actExportVCardCurrent", "actImportVCard", "actExportCsv", "actImportCsv"}));
            QCOMPARE(w.sbtImport->text(), LangText(1107));
            QCOMPARE(w.exchange->menu()->actions().first()->text(), LangText(10501));
        }
        {
            TfrmTermin w;
            QCOMPARE(actionNames(w.exchange->menu()),
                     (QStringList{"actExportICalendar", "actImportICalendar", "actExportCsv", "actImportCsv"}));
            QCOMPARE(w.btnExchange->text(), LangText(10500));
            QCOMPARE(w.btnExchange->menu(), w.exchange->menu());
        }
        TfrmBooks w;
        QCOMPARE(actionNames(w.exchange->menu()), (QStringList{"actExportCsv", "actImportCsv"}));
        for (QAction *a : w.exchange->menu()->actions())
            QVERIFY(!a->text().isEmpty() && a->text() == LangText(a->objectName() == "actExportCsv" ? 10506 : 10507));
    }
    QVERIFY(LangText(10500) != QStringLiteral("Daten-A&ustausch")); // the English file was the last one
}

void TestExchangeCommands::addressesShownAreExportedInTheirOrderAndFilter()
{
    for (const char *name : {"Meier", "Albers", "Müller"})
        addRow(m_data, "ADRESS.DBF", schema::kAdress, {{"FAMNAME", QString::fromUtf8(name)}, {"ORT", "Graz"}});
    TfrmAdress w;
    w.show();
    // The window's filter: surnames beginning with M.
    collectiontest::filterBySurname(w, QStringLiteral("M"));
    QCOMPARE(w.tblMain->RecordCount(), 2);
    const QString file = m_dir->filePath(QStringLiteral("adressen.vcf"));
    QString suggested;
    w.exchange->chooseFile = [&](bool save, ExchangeCommands::Format format, const QString &name) {
        suggested = name;
        return save && format == ExchangeCommands::Format::VCard ? file : QString();
    };
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.exchange->exportShown(ExchangeCommands::Format::VCard);
    QCOMPARE(suggested, QStringLiteral("adress.vcf"));
    exchange::Parsed parsed = vcard::readAddresses(readFile(file));
    QCOMPARE(parsed.records.size(), std::size_t(2));
    QCOMPARE(parsed.records[0].fields.value("FAMNAME"), QStringLiteral("Meier")); // tag 1 order
    QCOMPARE(parsed.records[1].fields.value("FAMNAME"), QStringLiteral("Müller"));

    // The current address alone, named after it.
    w.tblMain->First();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.exchange->exportCurrent();
    QCOMPARE(suggested, QStringLiteral("Meier.vcf"));
    parsed = vcard::readAddresses(readFile(file));
    QCOMPARE(parsed.records.size(), std::size_t(1));
    QCOMPARE(parsed.records[0].fields.value("FAMNAME"), QStringLiteral("Meier"));
    QCOMPARE(tk::MessageBox::lastText(), tk::formatText(LangText(10515), {1, QDir::toNativeSeparators(file)}));
}

void TestExchangeCommands::importAddsRecordsAndSummarisesTheRefusedLines()
{
    addRow(m_data, "STAATEN.DBF", schema::kStaaten, {{"STAAT", "D"}, {"NAME", "Deutschland"}});
    const QString file = m_dir->filePath(QStringLiteral("telefon.vcf"));
    writeFile(file, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Schmidt;Eva;;;\r\nFN:Eva Schmidt\r\n"
                    "ADR;TYPE=HOME:;;Ring 1;Köln;;50667;Deutschland\r\nNOTE:Kollegin\\, Büro 3\r\nEND:VCARD\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Wang;小明;;;\r\nFN:x\r\nEND:VCARD\r\n");
    TfrmAdress w;
    w.show();
    w.exchange->chooseFile = [&](bool save, ExchangeCommands::Format, const QString &) { return save ? QString() : file; };
    QString count;
    QStringList lines;
    w.exchange->runDialog = [&](QDialog &dialog) {
        auto &summary = static_cast<TfrmImportSummary &>(dialog);
        count = summary.lblCount->text();
        lines = summary.meFindings->toPlainText().split(QLatin1Char('\n'));
    };
    w.exchange->importFile(ExchangeCommands::Format::VCard);
    QCOMPARE(count, tk::formatText(LangText(10520), {1, 1}));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(tk::formatText(LangText(10522), {8})), qPrintable(lines[0]));
    QVERIFY2(lines[0].contains(QStringLiteral("VORNAME")) && lines[0].contains(QStringLiteral("U+5C0F")), qPrintable(lines[0]));
    // The window shows the new address with its note, country code and key.
    QCOMPARE(w.tblMain->RecordCount(), 1);
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Schmidt"));
    QCOMPARE(w.tblMain->FieldByName(QStringLiteral("STAAT"))->AsString(), QStringLiteral("D"));
    QVERIFY(w.tblMain->FieldByName(QStringLiteral("INR"))->AsString().startsWith(QLatin1String("AD")));
    QCOMPARE(w.tblNotizen->FieldByName(QStringLiteral("NOTIZ"))->AsString(), QStringLiteral("Kollegin, Büro 3"));
}

void TestExchangeCommands::appointmentSeriesGoesOutAsOneRecurringEvent()
{
    series::Appointment from{QStringLiteral("08:00"), QStringLiteral("09:00"), QStringLiteral("Gymnastik"), QString(),
                             QString(), QString()};
    QCOMPARE(series::generate(m_data, series::Plan{QDate(2027, 5, 3), QDate(2027, 5, 31), series::Unit::Week, 1, true}, from, 7),
             5);
    addRow(m_data, "TERMIN.DBF", schema::kTermin, {{"DATUM", QDate(2027, 5, 4)}, {"TERMIN", "Zahnarzt"}, {"INR", "TE1"}});
    TfrmTermin w;
    w.show();
    const QString file = m_dir->filePath(QStringLiteral("termine.ics"));
    w.exchange->chooseFile = [&](bool, ExchangeCommands::Format, const QString &) { return file; };
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.exchange->exportShown(ExchangeCommands::Format::ICalendar);
    const QByteArray ics = readFile(file);
    QCOMPARE(ics.count("BEGIN:VEVENT"), 2);
    QVERIFY(ics.contains("RRULE:FREQ=WEEKLY;UNTIL=20270531T080000"));
    QVERIFY(ics.contains("DTSTART:20270503T080000\r\n"));

    // Imported into the same book: the series dates are taken and get no
    // second member; the single appointment is added once more.
    w.exchange->runDialog = [](QDialog &) {};
    w.exchange->importFile(ExchangeCommands::Format::ICalendar);
    QCOMPARE(w.exchange->lastImport.added, 1);
    bool taken = false;
    for (const exchange::Finding &f : w.exchange->lastImport.findings)
        taken = taken || (f.problem == exchange::Problem::DatesTaken && f.detail == QLatin1String("5"));
    QVERIFY(taken);
    QCOMPARE(w.tblMain->RecordCount(), 7);
}

void TestExchangeCommands::csvOfBooksAndNothingWhileAnEntryIsPending()
{
    addRow(m_data, "BOOKS.DBF", schema::kBooks, {{"TITEL", "Faust"}, {"SEITEN", 350}, {"INR", "BO1"}});
    TfrmBooks w;
    w.show();
    const QString file = m_dir->filePath(QStringLiteral("bücher.csv"));
    int asked = 0;
    w.exchange->chooseFile = [&](bool, ExchangeCommands::Format format, const QString &) {
        ++asked;
        return format == ExchangeCommands::Format::Csv ? file : QString();
    };
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.exchange->exportShown(ExchangeCommands::Format::Csv);
    const QByteArray csvText = readFile(file);
    QVERIFY(csvText.startsWith("TITEL,AUTOR,"));
    QVERIFY(csvText.contains("Faust,,,,350,"));

    w.dbn->BtnClick(tk::DBNavigator::Button::Edit);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok);
    w.exchange->importFile(ExchangeCommands::Format::Csv);
    QCOMPARE(tk::MessageBox::lastText(), LangText(10518));
    QCOMPARE(asked, 1); // no file was asked for
    QCOMPARE(w.tblMain->state(), tk::DataSet::State::Edit);
    w.tblMain->Cancel();

    w.exchange->runDialog = [](QDialog &) {};
    w.exchange->importFile(ExchangeCommands::Format::Csv);
    QCOMPARE(w.exchange->lastImport.added, 1);
    QCOMPARE(w.tblMain->RecordCount(), 2);
}

TESSARON_TEST(TestExchangeCommands)
#include "TestExchangeCommands.moc"
