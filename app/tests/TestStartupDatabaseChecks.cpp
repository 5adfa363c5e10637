// The start-up's database steps and the reorganisation window.
#include "app/Config.h"
#include "app/MaintenanceDialogs.h"
#include "app/StartupDatabaseChecks.h"
#include "app/TfrmZV_Index.h"
#include "platform/FormatSettings.h"
#include "platform/Profile.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

class TestStartupDatabaseChecks : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartCreatesAndIndexesEveryTable();
    void updateConvertsAndTheStartRebuildsTheIndex();
    void windowShowsTheTableAndItsTag();
    void textsComeFromTheLanguageFile();
    void anIndexThatDisagreesIsRebuiltOnYesOnly();

private:
    std::unique_ptr<QTemporaryDir> m_root;
    Config m_saved;
};

void TestStartupDatabaseChecks::init()
{
    m_saved = config();
    m_root = std::make_unique<QTemporaryDir>();
    config().ProgDir = m_root->path();
    config().ZVData = m_root->filePath(QStringLiteral("DATA"));
    tk::MessageBox::clearPresets();
}

void TestStartupDatabaseChecks::cleanup()
{
    config() = m_saved;
    tk::MessageBox::clearPresets();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestStartupDatabaseChecks::firstStartCreatesAndIndexesEveryTable()
{
    const int boxes = tk::MessageBox::shownCount();
    RunStartupDatabaseChecks(nullptr);
    QCOMPARE(tk::MessageBox::shownCount(), boxes); // no update package, nothing to ask
    for (const SchemaTable &t : schema::tables()) {
        QVERIFY(QFile::exists(schema::tablePath(config().ZVData, t.stem, QStringLiteral("DBF"))));
        QVERIFY(QFile::exists(schema::tablePath(config().ZVData, t.stem, QStringLiteral("CDX"))));
    }
    TXbaseDataSet plz;
    plz.SetTableName(schema::tablePath(config().ZVData, QStringLiteral("PLZ"), QStringLiteral("DBF")));
    plz.Open();
    QVERIFY(plz.IsEncrypted(0));
}

void TestStartupDatabaseChecks::updateConvertsAndTheStartRebuildsTheIndex()
{
    RunStartupDatabaseChecks(nullptr);
    const QString adress = schema::tablePath(config().ZVData, QStringLiteral("ADRESS"), QStringLiteral("DBF"));
    {
        TXbaseDataSet ds;
        ds.SetTableName(adress);
        ds.Open();
        ds.Append();
        ds.FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Krause"));
        ds.Post();
    }
    platform::Profile(QFile::encodeName(config().iniPath()).toStdString())
        .writeString("Setup", "LastUpdate", "01.01.2000");
    const QString tomorrow = QDate::currentDate().addDays(1).toString(platform::FormatSettings::current().shortDateFormat);
    QFile ini(m_root->filePath(QStringLiteral("UpDate.INI")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Konfiguration]\r\nThisUpdate=" + tomorrow.toLatin1() + "\r\n[Convert]\r\nFileCount=1\r\nFile1=D,ADRESS\r\n");
    ini.close();

    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok); // the question
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Ok); // the closing message
    RunStartupDatabaseChecks(nullptr);
    QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Information);
    QVERIFY(QFile::exists(schema::tablePath(config().ZVData, QStringLiteral("ADRESS"), QStringLiteral("CDX"))));
    QCOMPARE(platform::Profile(QFile::encodeName(config().iniPath()).toStdString()).readString("Setup", "LastUpdate", ""),
             tomorrow.toStdString());
    TXbaseDataSet ds;
    ds.SetTableName(adress);
    ds.SetIndexName(QStringLiteral("1"));
    ds.Open();
    QCOMPARE(ds.RecordCount(), 1);
    QCOMPARE(ds.FieldByName(QStringLiteral("FAMNAME"))->AsString(), QStringLiteral("Krause"));
}

void TestStartupDatabaseChecks::windowShowsTheTableAndItsTag()
{
    TfrmZV_Index window;
    QCOMPARE(window.lblAction->text(), QStringLiteral("Indexierung der Datenbanken:"));
    QCOMPARE(window.Gauge1->value(), 30);
    window.show();
    window.showActivity(MaintenanceActivity::Creating);
    window.showTable(QStringLiteral("Adreßdaten"), 3);
    window.showFile(QStringLiteral("/daten/ADRESS.DBF"));
    window.showPercent(64);
    QCOMPARE(window.lblAction->text(), MaintenanceDialogs::activityText(MaintenanceActivity::Creating));
    QCOMPARE(window.lblDescr->text(), QStringLiteral("Adreßdaten [3]"));
    QCOMPARE(window.lblFName->text(), QStringLiteral("(/daten/ADRESS.DBF)"));
    QCOMPARE(window.Gauge1->value(), 64);
    const QString shot = qEnvironmentVariable("TESSARON_SCREENSHOT");
    if (!shot.isEmpty())
        window.grab().save(shot);
}

void TestStartupDatabaseChecks::textsComeFromTheLanguageFile()
{
    QFile file(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaENG.lng"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    tk::Language::current().load(file.readAll());
    MaintenanceDialogs dialogs;
    const QString converted = dialogs.text(MaintenanceMessage::ConvertFailed, {"ADRESS", "disk full"});
    const QString invalid = dialogs.text(MaintenanceMessage::UpdateDateInvalid, {"soon", "UpDate.INI"});
    const QString activity = MaintenanceDialogs::activityText(MaintenanceActivity::Creating);
    TfrmZV_Index window;
    const QString caption = window.windowTitle();
    const QString action = window.lblAction->text();
    tk::Language::current().clear();

    QCOMPARE(converted, QStringLiteral("Error converting ADRESS.DBF!\n(disk full)\nThe existing table is left unchanged."));
    QCOMPARE(invalid, QStringLiteral("The date \"soon\" in UpDate.INI is not valid.\nThe auto-update is skipped."));
    QCOMPARE(activity, QStringLiteral("Creating the databases:"));
    QCOMPARE(caption, QStringLiteral("Database reorganisation"));
    QCOMPARE(action, QStringLiteral("Indexing the databases:"));
    // Without a language file the German design texts stand in.
    QCOMPARE(dialogs.text(MaintenanceMessage::AccessFailed, {"PLZ"}), QStringLiteral("Datenbank-Zugriffsfehler bei PLZ !"));
}

void TestStartupDatabaseChecks::anIndexThatDisagreesIsRebuiltOnYesOnly()
{
    RunStartupDatabaseChecks(nullptr);
    const QString books = schema::tablePath(config().ZVData, QStringLiteral("BOOKS"), QStringLiteral("DBF"));
    const QString index = schema::tablePath(config().ZVData, QStringLiteral("BOOKS"), QStringLiteral("CDX"));
    auto append = [&](const QString &title) {
        TXbaseDataSet ds;
        ds.SetTableName(books);
        ds.Open();
        ds.Append();
        ds.FieldByName(QStringLiteral("TITEL"))->SetAsString(title);
        ds.Post();
    };
    // The index of an older copy beside a table with one record more.
    QVERIFY(QFile::copy(index, index + QStringLiteral(".old")));
    append(QStringLiteral("Faust"));
    QVERIFY(QFile::remove(index));
    QVERIFY(QFile::rename(index + QStringLiteral(".old"), index));

    QFile file(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaENG.lng"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    tk::Language::current().load(file.readAll());
    InstallIndexAudit(nullptr);
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::No);
    {
        TXbaseDataSet ds;
        ds.SetTableName(books);
        ds.Open();
    }
    const QString asked = tk::MessageBox::lastText();
    QCOMPARE(asked.left(asked.indexOf(QLatin1Char('\n'))), QStringLiteral("The index of BOOKS.DBF does not match the table:"));
    QVERIFY2(asked.contains(QStringLiteral("holds 0 keys for 1 records")), qPrintable(asked));
    QVERIFY(asked.endsWith(QStringLiteral("\nRebuild it now?")));
    RemoveIndexAudit();
    tk::Language::current().clear();

    // Yes at the first open of another data folder's table rebuilds it.
    const QString elsewhere = m_root->filePath(QStringLiteral("Bücher Ü"));
    config().ZVData = elsewhere;
    RunStartupDatabaseChecks(nullptr);
    const QString books2 = schema::tablePath(elsewhere, QStringLiteral("BOOKS"), QStringLiteral("DBF"));
    const QString index2 = schema::tablePath(elsewhere, QStringLiteral("BOOKS"), QStringLiteral("CDX"));
    QVERIFY(QFile::copy(index2, index2 + QStringLiteral(".old")));
    {
        TXbaseDataSet ds;
        ds.SetTableName(books2);
        ds.Open();
        ds.Append();
        ds.FieldByName(QStringLiteral("TITEL"))->SetAsString(QStringLiteral("Faust"));
        ds.Post();
    }
    QVERIFY(QFile::remove(index2));
    QVERIFY(QFile::rename(index2 + QStringLiteral(".old"), index2));
    InstallIndexAudit(nullptr);
    const int boxes = tk::MessageBox::shownCount();
    tk::MessageBox::presetAnswer(tk::MessageBox::Answer::Yes);
    TXbaseDataSet ds;
    ds.SetTableName(books2);
    ds.SetIndexName(QStringLiteral("1"));
    ds.Open();
    RemoveIndexAudit();
    QCOMPARE(tk::MessageBox::shownCount(), boxes + 1);
    ds.First();
    QVERIFY(!ds.Eof());
    QCOMPARE(ds.FieldByName(QStringLiteral("TITEL"))->AsString(), QStringLiteral("Faust"));
}

TESSARON_TEST(TestStartupDatabaseChecks)
#include "TestStartupDatabaseChecks.moc"
