// Export and import commands of the collection windows.
#include "windows/ExchangeCommands.h"

#include "app/Language.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "storage/exchange/Calendar.h"
#include "storage/exchange/Csv.h"
#include "storage/exchange/TableExchange.h"
#include "storage/exchange/VCard.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "windows/CollectionWindow.h"
#include "windows/TfrmImportSummary.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSaveFile>

#include <memory>

namespace {

constexpr int kTextExportVCardShown = 10501;
constexpr int kTextExportVCardCurrent = 10502;
constexpr int kTextImportVCard = 10503;
constexpr int kTextExportICalendar = 10504;
constexpr int kTextImportICalendar = 10505;
constexpr int kTextExportCsv = 10506;
constexpr int kTextImportCsv = 10507;
constexpr int kTextVCardFiles = 10508;
constexpr int kTextICalendarFiles = 10509;
constexpr int kTextCsvFiles = 10510;
constexpr int kTextAllFiles = 10511;
constexpr int kTextExporting = 10512;
constexpr int kTextImporting = 10513;
constexpr int kTextCancel = 10514;
constexpr int kTextExported = 10515;
constexpr int kTextCannotRead = 10516;
constexpr int kTextCannotWrite = 10517;
constexpr int kTextEditing = 10518;
constexpr int kTextNothingToExport = 10536;

const char *extensionOf(ExchangeCommands::Format format)
{
    switch (format) {
    case ExchangeCommands::Format::VCard: return "vcf";
    case ExchangeCommands::Format::ICalendar: return "ics";
    case ExchangeCommands::Format::Csv: return "csv";
    }
    return "";
}

QString filterOf(ExchangeCommands::Format format)
{
    QString own;
    switch (format) {
    case ExchangeCommands::Format::VCard: own = LangTextOr(kTextVCardFiles, "vCard-Dateien (*.vcf *.vcard)"); break;
    case ExchangeCommands::Format::ICalendar: own = LangTextOr(kTextICalendarFiles, "iCalendar-Dateien (*.ics *.ical)"); break;
    case ExchangeCommands::Format::Csv: own = LangTextOr(kTextCsvFiles, "CSV-Dateien (*.csv *.txt)"); break;
    }
    return own + QStringLiteral(";;") + LangTextOr(kTextAllFiles, "Alle Dateien (*)");
}

// Country names of STAATEN (upper case) to their codes; empty when the
// table cannot be read.
QHash<QString, QString> countryCodes(const QString &dataDir)
{
    QHash<QString, QString> codes;
    try {
        TXbaseDataSet staaten;
        staaten.DatabaseName = dataDir;
        staaten.SetTableName(schema::tableFile(schema::table(schema::kStaaten).stem, QStringLiteral("DBF")));
        staaten.Open();
        schema::applyPassword(staaten, schema::kStaaten);
        for (staaten.First(); !staaten.Eof(); staaten.Next())
            codes.insert(staaten.FieldByName(QStringLiteral("NAME"))->AsString().trimmed().toUpper(),
                         staaten.FieldByName(QStringLiteral("STAAT"))->AsString().trimmed());
    } catch (const std::exception &) {
        // Without the countries table names stay unknown and are reported.
    }
    return codes;
}

} // namespace

ExchangeCommands::ExchangeCommands(CollectionWindow &window, QPushButton *button)
    : QObject(&window), m_window(window)
{
    m_menu = new QMenu(button);
    m_menu->setObjectName(QStringLiteral("mnuExchange"));
    auto add = [this](int number, const char *fallback, const char *name, std::function<void()> action) {
        QAction *a = m_menu->addAction(LangTextOr(number, fallback));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [action] { tk::guarded(action); });
    };
    const Module module = m_window.design().module;
    if (module == Module::Addresses) {
        add(kTextExportVCardShown, "Angezeigte Adressen als vCard exportieren...", "actExportVCard",
            [this] { exportShown(Format::VCard); });
        add(kTextExportVCardCurrent, "Aktuelle Adresse als vCard exportieren...", "actExportVCardCurrent",
            [this] { exportCurrent(); });
        add(kTextImportVCard, "Adressen aus vCard-Datei importieren...", "actImportVCard",
            [this] { importFile(Format::VCard); });
        m_menu->addSeparator();
    } else if (module == Module::Appointments) {
        add(kTextExportICalendar, "Angezeigte Termine als iCalendar exportieren...", "actExportICalendar",
            [this] { exportShown(Format::ICalendar); });
        add(kTextImportICalendar, "Termine aus iCalendar-Datei importieren...", "actImportICalendar",
            [this] { importFile(Format::ICalendar); });
        m_menu->addSeparator();
    }
    add(kTextExportCsv, "Angezeigte Datensätze als CSV exportieren...", "actExportCsv", [this] { exportShown(Format::Csv); });
    add(kTextImportCsv, "Datensätze aus CSV-Datei importieren...", "actImportCsv", [this] { importFile(Format::Csv); });
    if (button)
        button->setMenu(m_menu);

    chooseFile = [this](bool save, Format format, const QString &suggested) {
        const QString filter = filterOf(format);
        return save ? QFileDialog::getSaveFileName(&m_window, QString(), suggested, filter)
                    : QFileDialog::getOpenFileName(&m_window, QString(), QString(), filter);
    };
    runDialog = [](QDialog &dialog) { dialog.exec(); };
}

int ExchangeCommands::schemaPosition() const
{
    switch (m_window.design().module) {
    case Module::Addresses: return schema::kAdress;
    case Module::Appointments: return schema::kTermin;
    case Module::Music: return schema::kCassette;
    case Module::Videos: return schema::kVideo;
    case Module::Books: return schema::kBooks;
    default: return 0;
    }
}

QString ExchangeCommands::tableFile() const
{
    return schema::tableFile(schema::table(schemaPosition()).stem, QStringLiteral("DBF"));
}

QString ExchangeCommands::dataDir() const
{
    return m_window.tblMain->DatabaseName;
}

bool ExchangeCommands::refuseWhileEditing()
{
    if (!m_window.tblMain->Editing())
        return false;
    tk::MessageBox::information(&m_window, LangTextOr(kTextEditing, "Bitte speichern oder verwerfen Sie zuerst die laufende Eingabe."));
    return true;
}

bool ExchangeCommands::writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    tk::MessageBox::error(&m_window, tk::formatText(LangTextOr(kTextCannotWrite, "Die Datei %s kann nicht geschrieben werden.\n%s"),
                                                    {QDir::toNativeSeparators(path), file.errorString()}));
    return false;
}

exchange::Progress ExchangeCommands::progressFor(const QString &label, qint64 total, std::unique_ptr<QProgressDialog> &holder)
{
    holder = std::make_unique<QProgressDialog>(label, LangTextOr(kTextCancel, "Abbrechen"), 0, static_cast<int>(std::max<qint64>(total, 1)),
                                               &m_window);
    holder->setObjectName(QStringLiteral("dlgProgress"));
    holder->setWindowModality(Qt::WindowModal);
    holder->setMinimumDuration(400);
    QProgressDialog *dialog = holder.get();
    return [dialog](qint64 done, qint64 all) {
        // Repainting every record would cost more than the work itself.
        if (done % 25 == 0 || done == all) {
            dialog->setMaximum(static_cast<int>(std::max<qint64>(all, 1)));
            dialog->setValue(static_cast<int>(std::min(done, all)));
            QApplication::processEvents();
        }
        return !dialog->wasCanceled();
    };
}

void ExchangeCommands::exportShown(Format format)
{
    if (refuseWhileEditing())
        return;
    const QString stem = schema::table(schemaPosition()).stem.toLower();
    const QString path = chooseFile(true, format, stem + QLatin1Char('.') + QString::fromLatin1(extensionOf(format)));
    if (path.isEmpty())
        return;
    TXbaseDataSet table;
    exchange::openShown(table, dataDir(), tableFile(), m_window.tblMain->IndexName(), m_window.filterInForce());
    TXbaseDataSet notes;
    exchange::openShown(notes, dataDir(), QStringLiteral("NOTIZEN.DBF"), QStringLiteral("1"), QString());
    std::unique_ptr<QProgressDialog> progress;
    const std::vector<exchange::Record> records =
        exchange::readAll(table, &notes, progressFor(LangTextOr(kTextExporting, "Export läuft..."), table.QueryRecCount(), progress));
    const bool cancelled = progress->wasCanceled();
    progress.reset();
    if (cancelled)
        return;
    if (records.empty()) {
        tk::MessageBox::information(&m_window, LangTextOr(kTextNothingToExport, "Es werden keine Datensätze angezeigt; nichts wurde exportiert."));
        return;
    }
    QByteArray bytes;
    switch (format) {
    case Format::VCard:
        for (const exchange::Record &r : records)
            bytes += vcard::writeAddress(r);
        break;
    case Format::ICalendar: bytes = ical::writeAppointments(records); break;
    case Format::Csv: bytes = csv::write(csv::columnsOf(table), records); break;
    }
    if (writeFile(path, bytes))
        tk::MessageBox::information(&m_window, tk::formatText(LangTextOr(kTextExported, "%d Datensätze wurden in %s geschrieben."),
                                                              {static_cast<int>(records.size()), QDir::toNativeSeparators(path)}));
}

void ExchangeCommands::exportCurrent()
{
    if (m_window.tblMain->IsEmpty())
        return;
    const exchange::Record current = [this] {
        exchange::Record r = exchange::recordOf(*m_window.tblMain);
        TXbaseDataSet notes;
        exchange::openShown(notes, dataDir(), QStringLiteral("NOTIZEN.DBF"), QStringLiteral("1"), QString());
        r.note = exchange::noteOf(notes, r.fields.value(QStringLiteral("INR")));
        return r;
    }();
    QString name = current.fields.value(QStringLiteral("FAMNAME")).trimmed();
    for (QChar &c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    const QString path = chooseFile(true, Format::VCard, (name.isEmpty() ? QStringLiteral("adresse") : name) + QStringLiteral(".vcf"));
    if (path.isEmpty())
        return;
    if (writeFile(path, vcard::writeAddress(current)))
        tk::MessageBox::information(&m_window, tk::formatText(LangTextOr(kTextExported, "%d Datensätze wurden in %s geschrieben."),
                                                              {1, QDir::toNativeSeparators(path)}));
}

void ExchangeCommands::importFile(Format format)
{
    if (refuseWhileEditing())
        return;
    const QString path = chooseFile(false, format, QString());
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tk::MessageBox::error(&m_window, tk::formatText(LangTextOr(kTextCannotRead, "Die Datei %s kann nicht gelesen werden.\n%s"),
                                                        {QDir::toNativeSeparators(path), file.errorString()}));
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    exchange::Parsed parsed;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        switch (format) {
        case Format::VCard: {
            const QHash<QString, QString> codes = countryCodes(dataDir());
            parsed = vcard::readAddresses(bytes, [&codes](const QString &name) { return codes.value(name.toUpper()); });
            break;
        }
        case Format::ICalendar: parsed = ical::readAppointments(bytes); break;
        case Format::Csv: parsed = csv::read(bytes, csv::columnsOf(*m_window.tblMain)); break;
        }
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();

    std::unique_ptr<QProgressDialog> progress;
    exchange::Progress report = progressFor(LangTextOr(kTextImporting, "Import läuft..."),
                                            static_cast<qint64>(parsed.records.size()), progress);
    try {
        lastImport = exchange::importRecords(dataDir(), schemaPosition(), parsed, report);
    } catch (...) {
        progress.reset();
        m_window.reopenTables();
        throw;
    }
    progress.reset();
    // The window shows the new records, with its filter still in force.
    m_window.reopenTables();
    TfrmImportSummary summary(&m_window, path, lastImport);
    runDialog(summary);
}
