// Applying update packages described by UpDate.INI.
#include "platform/Profile.h"
#include "storage/AutoUpdate.h"
#include "storage/DatabaseMaintenance.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "storage/tests/MaintenanceRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

void writeFile(const QString &path, const QByteArray &content, const QDateTime &stamp = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    if (stamp.isValid()) {
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestAutoUpdate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void packageNotNewerAsksNothing();
    void cancelKeepsTheUpdateForLater();
    void filesAreDeletedAndRefreshedByLocation();
    void convertKeepsRecordsAndDropsTheIndex();
    void refusedConversionRunsAgainNextStart();
    void dateThatIsNoDateIsReportedAndSkipped();

private:
    AutoUpdate::Result runUpdate(MaintenanceRecorder &recorder);
    void writeUpdate(const QString &text);
    std::string lastUpdate() const;

    QTemporaryDir m_xdg;
    std::unique_ptr<QTemporaryDir> m_root;
    AutoUpdateSettings m_settings;
};

void TestAutoUpdate::initTestCase()
{
    // Deleted files go to a trash of their own.
    qputenv("XDG_DATA_HOME", m_xdg.path().toLocal8Bit());
}

void TestAutoUpdate::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_settings.programDir = m_root->path();
    m_settings.dataDir = m_root->filePath(QStringLiteral("DATA"));
    m_settings.systemDir = m_root->filePath(QStringLiteral("system"));
    m_settings.profilePath = m_root->filePath(QStringLiteral("Tessaron.INI"));
    m_settings.shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QDir().mkpath(m_settings.dataDir);
    platform::Profile(m_settings.profilePath.toStdString()).writeString("Setup", "LastUpdate", "01.02.2026");
}

AutoUpdate::Result TestAutoUpdate::runUpdate(MaintenanceRecorder &recorder)
{
    DatabaseMaintenance maintenance(&recorder, recorder);
    return AutoUpdate(m_settings, maintenance, recorder).run();
}

void TestAutoUpdate::writeUpdate(const QString &text)
{
    writeFile(m_root->filePath(QStringLiteral("UpDate.INI")), text.toLatin1());
}

std::string TestAutoUpdate::lastUpdate() const
{
    return platform::Profile(m_settings.profilePath.toStdString()).readString("Setup", "LastUpdate", "");
}

void TestAutoUpdate::packageNotNewerAsksNothing()
{
    MaintenanceRecorder recorder;
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::NoUpdate); // no UpDate.INI at all
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=01.02.2026\r\n[RunBefore]\r\nCommand=false\r\n"));
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::NoUpdate);
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=31.01.2026\r\n"));
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::NoUpdate);
    QVERIFY(recorder.messages.empty());
    QCOMPARE(lastUpdate(), std::string("01.02.2026"));
}

void TestAutoUpdate::cancelKeepsTheUpdateForLater()
{
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=02.02.2026\r\n[Delete]\r\nFileCount=1\r\nFile1=B,keep.txt\r\n"));
    writeFile(m_root->filePath(QStringLiteral("keep.txt")), "x");
    MaintenanceRecorder recorder;
    recorder.answers = {false};
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::Cancelled);
    QCOMPARE(recorder.messages.size(), std::size_t(1));
    QCOMPARE(recorder.messages[0].first, MaintenanceMessage::UpdateQuestion);
    QVERIFY(QFile::exists(m_root->filePath(QStringLiteral("keep.txt"))));
    QCOMPARE(lastUpdate(), std::string("01.02.2026"));
}

void TestAutoUpdate::filesAreDeletedAndRefreshedByLocation()
{
    const QDateTime old = QDateTime::currentDateTime().addDays(-10);
    const QDateTime recent = QDateTime::currentDateTime().addDays(-1);
    const QString files = m_root->filePath(QStringLiteral("FILES"));
    writeFile(files + QStringLiteral("/LIB.DAT"), "new lib", old);
    writeFile(files + QStringLiteral("/FRESH.DAT"), "fresh", old);
    writeFile(files + QStringLiteral("/PROG.DAT"), "new prog", old);
    writeFile(files + QStringLiteral("/LONGFILENAME"), "cut", old);
    writeFile(m_settings.systemDir + QStringLiteral("/LIB.DAT"), "kept lib", recent);
    writeFile(m_root->filePath(QStringLiteral("PROG.DAT")), "old prog", recent);
    writeFile(m_settings.dataDir + QStringLiteral("/old.txt"), "gone");
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=15.03.2026\r\n"
                               "[Delete]\r\nFileCount=3\r\nFile1=D,OLD.TXT\r\nFile2=Q,PROG.DAT\r\nFile3=B,NONE.TXT\r\n"
                               "[Refresh]\r\nFileCount=7\r\nFile1=Y,LIB.DAT\r\nFile2=y,FRESH.DAT\r\n"
                               "File3=B,PROG.DAT\r\nFile5=D,\r\nFile6=W\r\nFile7=D,LONGFILENAME.DAT\r\n"));
    MaintenanceRecorder recorder;
    recorder.answers = {true};
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::Done);

    QVERIFY(!QFile::exists(m_settings.dataDir + QStringLiteral("/old.txt")));
    QVERIFY(!QDir(m_xdg.filePath(QStringLiteral("Trash/files"))).entryList({"old.txt"}).isEmpty());
    QCOMPARE(readFile(m_root->filePath(QStringLiteral("PROG.DAT"))), QByteArray("new prog"));      // B: always
    QCOMPARE(readFile(m_settings.systemDir + QStringLiteral("/LIB.DAT")), QByteArray("kept lib")); // Y: not older
    QCOMPARE(readFile(m_settings.systemDir + QStringLiteral("/FRESH.DAT")), QByteArray("fresh"));  // Y: missing
    QCOMPARE(readFile(m_settings.dataDir + QStringLiteral("/LONGFILENAME")), QByteArray("cut"));   // 12 characters
    QCOMPARE(recorder.messages.size(), std::size_t(2));
    QCOMPARE(recorder.messages[1].first, MaintenanceMessage::UpdateFinished);
    QCOMPARE(lastUpdate(), std::string("15.03.2026"));

    MaintenanceRecorder again;
    QCOMPARE(runUpdate(again), AutoUpdate::Result::NoUpdate);
    QVERIFY(again.messages.empty());
}

void TestAutoUpdate::convertKeepsRecordsAndDropsTheIndex()
{
    // A data directory longer than 80 characters is used whole.
    m_settings.dataDir = m_root->filePath(QStringLiteral("DATA/") + QString(90, QLatin1Char('d')));
    QVERIFY(QDir().mkpath(m_settings.dataDir));
    const QString dir = m_settings.dataDir;
    QVERIFY(schema::createTable(schema::kAdress, schema::tablePath(dir, QStringLiteral("ADRESS"), QStringLiteral("DBF"))));
    QVERIFY(schema::createTable(schema::kNotizen, schema::tablePath(dir, QStringLiteral("NOTIZEN"), QStringLiteral("DBF"))));
    {
        TXbaseDataSet adress;
        adress.SetTableName(schema::tablePath(dir, QStringLiteral("ADRESS"), QStringLiteral("DBF")));
        adress.Open();
        TXbaseDataSet notes;
        notes.SetTableName(schema::tablePath(dir, QStringLiteral("NOTIZEN"), QStringLiteral("DBF")));
        notes.Open();
        for (int i = 0; i < 3; ++i) {
            adress.Append();
            adress.FieldByName(QStringLiteral("FAMNAME"))->SetAsString(QStringLiteral("Name %1").arg(i));
            adress.FieldByName(QStringLiteral("INR"))->SetAsString(QStringLiteral("AD00000000000%1").arg(i, 2, 10, QLatin1Char('0')));
            adress.Post();
            notes.Append();
            notes.FieldByName(QStringLiteral("INR"))->SetAsString(adress.FieldByName(QStringLiteral("INR"))->AsString());
            notes.FieldByName(QStringLiteral("NOTIZ"))->SetAsString(QStringLiteral("Notiz zu %1").arg(i));
            notes.Post();
        }
        adress.IndexTag(schema::tablePath(dir, QStringLiteral("ADRESS"), QStringLiteral("CDX")), QStringLiteral("1"),
                        QStringLiteral("FAMNAME"), 0, 0, QString());
    }
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=01.04.2026\r\n"
                               "[Convert]\r\nFileCount=4\r\nFile1=D,ADRESS\r\nFile2=D,NOTIZEN\r\nFile3=T,VIDEO\r\nFile4=X,BOOKS\r\n"));
    MaintenanceRecorder recorder;
    recorder.answers = {true};
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::Done);
    QVERIFY(!QFile::exists(schema::tablePath(dir, QStringLiteral("ADRESS"), QStringLiteral("CDX"))));

    TXbaseDataSet adress;
    adress.SetTableName(schema::tablePath(dir, QStringLiteral("ADRESS"), QStringLiteral("DBF")));
    adress.Open();
    QCOMPARE(adress.RecordCount(), 3);
    TXbaseDataSet notes;
    notes.SetTableName(schema::tablePath(dir, QStringLiteral("NOTIZEN"), QStringLiteral("DBF")));
    notes.Open();
    QStringList texts;
    for (notes.First(); !notes.Eof(); notes.Next())
        texts << notes.FieldByName(QStringLiteral("NOTIZ"))->AsString();
    QCOMPARE(texts, QStringList({"Notiz zu 0", "Notiz zu 1", "Notiz zu 2"}));
}

void TestAutoUpdate::refusedConversionRunsAgainNextStart()
{
    const QString path = schema::tablePath(m_settings.dataDir, QStringLiteral("TERMIN"), QStringLiteral("DBF"));
    QVERIFY(schema::createTable(schema::kTermin, path));
    TXbaseDataSet holder; // another program has the table open
    holder.SetTableName(path);
    holder.Open();
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=01.05.2026\r\n[Convert]\r\nFileCount=1\r\nFile1=D,TERMIN\r\n"));
    MaintenanceRecorder recorder;
    recorder.answers = {true};
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::Incomplete);
    QVERIFY(recorder.saw(MaintenanceMessage::TableInUse));
    QVERIFY(recorder.saw(MaintenanceMessage::UpdateIncomplete));
    QCOMPARE(lastUpdate(), std::string("01.02.2026"));
}

void TestAutoUpdate::dateThatIsNoDateIsReportedAndSkipped()
{
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=demnächst\r\n"));
    MaintenanceRecorder recorder;
    QCOMPARE(runUpdate(recorder), AutoUpdate::Result::NoUpdate);
    QCOMPARE(recorder.messages.size(), std::size_t(1));
    QCOMPARE(recorder.messages[0].first, MaintenanceMessage::UpdateDateInvalid);
    QCOMPARE(recorder.messages[0].second.first(), QStringLiteral("demnächst"));

    platform::Profile(m_settings.profilePath.toStdString()).writeString("Setup", "LastUpdate", "32.13.2026");
    writeUpdate(QStringLiteral("[Konfiguration]\r\nThisUpdate=01.06.2026\r\n"));
    MaintenanceRecorder second;
    QCOMPARE(runUpdate(second), AutoUpdate::Result::NoUpdate);
    QCOMPARE(second.messages.size(), std::size_t(1));
    QCOMPARE(second.messages[0].second.first(), QStringLiteral("32.13.2026"));
}

TESSARON_TEST(TestAutoUpdate)
#include "TestAutoUpdate.moc"
