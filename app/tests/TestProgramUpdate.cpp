// The program update with real archives made by zip and unpacked by unzip,
// and the replacement script run by sh.
#include "app/Config.h"
#include "app/ProgramUpdate.h"
#include "platform/FormatSettings.h"
#include "platform/Profile.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "xbase/text/Dates.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

using tk::MessageBox;

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setStamp(const QString &path, const QDateTime &stamp)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
}

QString shortDateOf(const QDate &d)
{
    const std::string pattern = platform::FormatSettings::current().shortDateFormat.toStdString();
    return QString::fromStdString(xb::formatDate(xb::Date{d.year(), d.month(), d.day()}, pattern));
}

} // namespace

class TestProgramUpdate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firstUpdateAcceptsAnyArchiveAndRecordsIt();
    void sameArchiveTwiceAndSameDayAreRefused();
    void missingArchiveCancelAndOpenWindowsStopEarly();
    void newProgramWritesAndStartsTheScript();
    void staleProgramOrBrokenArchiveIsNotRecorded();
    void scriptReplacesTheProgramAndCleansUp();
    void recentMeansAtMostThirtyOneDays();

private:
    // Zips `files` (path inside the archive -> content) into UPDATE.ZIP of
    // the program directory, dated `stamp`.
    void makeArchive(const QMap<QString, QByteArray> &files, const QDateTime &stamp,
                     const QDateTime &fileStamp = QDateTime::currentDateTime());
    bool run(update::Hooks hooks = {});

    QString home() const { return m_dir->path(); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_started;
};

void TestProgramUpdate::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty())
        QSKIP("zip and unzip are needed");
}

void TestProgramUpdate::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    LoadConfiguration(config(), home());
    tk::Language::current().load(readFile(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng")));
    MessageBox::clearPresets();
    m_started.clear();
}

void TestProgramUpdate::cleanup()
{
    MessageBox::clearPresets();
    tk::Language::current().clear();
}

void TestProgramUpdate::makeArchive(const QMap<QString, QByteArray> &files, const QDateTime &stamp,
                                    const QDateTime &fileStamp)
{
    QTemporaryDir staging;
    QStringList names;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        writeFile(staging.filePath(it.key()), it.value());
        setStamp(staging.filePath(it.key()), fileStamp);
        names << it.key();
    }
    const QString archive = m_dir->filePath(QStringLiteral("UPDATE.ZIP"));
    QFile::remove(archive);
    QProcess zip;
    zip.setWorkingDirectory(staging.path());
    zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q"), archive} + names);
    QVERIFY(zip.waitForFinished());
    QCOMPARE(zip.exitCode(), 0);
    setStamp(archive, stamp);
}

bool TestProgramUpdate::run(update::Hooks hooks)
{
    if (!hooks.startScript)
        hooks.startScript = [this](const QString &script) {
            m_started = script;
            return 0;
        };
    return update::RunProgramUpdate(nullptr, config(), hooks);
}

void TestProgramUpdate::firstUpdateAcceptsAnyArchiveAndRecordsIt()
{
    // Only data files: nothing to replace, the update is recorded.
    makeArchive({{QStringLiteral("FILES/NEU.TXT"), "neu"}}, QDateTime(QDate(2001, 2, 3), QTime(10, 0)));
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(run());
    const QString date = shortDateOf(QDate(2001, 2, 3));
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("FILES/NEU.TXT"))), QByteArray("neu"));
    QCOMPARE(QString::fromStdString(config().profile().readString("Setup", "LastUpdateArc")), date);
    QCOMPARE(config().profile().readString("Setup", "Version"), std::string("Version 1.5d"));
    QCOMPARE(config().LastUpdateArc, date);
    QVERIFY(m_started.isEmpty());
    QCOMPARE(MessageBox::lastText(), tk::langText(10021).replace(QStringLiteral("%s"), date));
}

void TestProgramUpdate::sameArchiveTwiceAndSameDayAreRefused()
{
    const QDateTime morning(QDate(2026, 5, 4), QTime(8, 0));
    makeArchive({{QStringLiteral("A.TXT"), "1"}}, morning);
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(run());

    const QString date = shortDateOf(morning.date());
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    MessageBox::presetAnswer(MessageBox::Answer::Cancel);
    QVERIFY(!run());
    QCOMPARE(MessageBox::lastText(), tk::langText(10022).replace(QStringLiteral("%s"), date));
    QCOMPARE(MessageBox::lastKind(), MessageBox::Kind::Information);

    // Later the same day is not later.
    makeArchive({{QStringLiteral("A.TXT"), "2"}}, morning.addSecs(8 * 3600));
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    MessageBox::presetAnswer(MessageBox::Answer::Cancel);
    QVERIFY(!run());
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("A.TXT"))), QByteArray("1"));

    // The next day is.
    makeArchive({{QStringLiteral("A.TXT"), "3"}}, morning.addDays(1));
    for (int i = 0; i < 2; ++i)
        MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(run());
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("A.TXT"))), QByteArray("3"));
}

void TestProgramUpdate::missingArchiveCancelAndOpenWindowsStopEarly()
{
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    MessageBox::presetAnswer(MessageBox::Answer::Cancel);
    QVERIFY(!run());
    QCOMPARE(MessageBox::lastText(), tk::langText(10023));

    makeArchive({{QStringLiteral("A.TXT"), "1"}}, QDateTime(QDate(2020, 1, 1), QTime(12, 0)));
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    MessageBox::presetAnswer(MessageBox::Answer::Cancel); // the question
    MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(!run());
    QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Update abgebrochen.\n")));
    QCOMPARE(MessageBox::lastKind(), MessageBox::Kind::Warning);

    update::Hooks stubborn;
    stubborn.closeAllChildren = [] { return false; };
    for (int i = 0; i < 3; ++i)
        MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(!run(stubborn));
    QCOMPARE(MessageBox::lastText(), QStringLiteral("Please close all open windows and forms before updating."));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("A.TXT"))));
    QCOMPARE(config().profile().readString("Setup", "Version", "none"), std::string("none"));
}

void TestProgramUpdate::newProgramWritesAndStartsTheScript()
{
    const QString program = QFileInfo(QApplication::applicationFilePath()).fileName();
    makeArchive({{QStringLiteral("UpDate/") + program, "new program"}}, QDateTime::currentDateTime().addDays(-1));
    for (int i = 0; i < 3; ++i)
        MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(run());
    QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Im Zuge dieses Updates")));
    const QString script = m_dir->filePath(QLatin1String(update::kScriptName));
    QCOMPARE(m_started, script);
    QVERIFY(QFileInfo(script).isExecutable());
    const QList<QByteArray> lines = readFile(script).split('\n');
    QCOMPARE(lines.size(), 28); // 27 lines, each ended
    QCOMPARE(lines[1], QByteArray("echo \"Wurde Tessaron bereits beendet ?\""));
    QVERIFY(lines[14].contains(QFile::encodeName(m_dir->filePath(QStringLiteral("UpDate/") + program))));
    QCOMPARE(lines[26], QByteArray("rm -f \"$0\""));

    // A terminal that cannot be started is reported with the script's path.
    QVERIFY(QFile::remove(m_dir->filePath(QStringLiteral("UPDATE.ZIP"))));
    makeArchive({{QStringLiteral("UpDate/") + program, "newer"}}, QDateTime::currentDateTime());
    update::Hooks noTerminal;
    noTerminal.startScript = [](const QString &) { return ENOENT; };
    for (int i = 0; i < 4; ++i)
        MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(run(noTerminal));
    QVERIFY(MessageBox::lastText().contains(script));
}

void TestProgramUpdate::staleProgramOrBrokenArchiveIsNotRecorded()
{
    const QString program = QFileInfo(QApplication::applicationFilePath()).fileName();
    makeArchive({{QStringLiteral("UPDATE/") + program, "old program"}}, QDateTime(QDate(2024, 1, 1), QTime(9, 0)),
                QDateTime::currentDateTime().addDays(-40));
    for (int i = 0; i < 3; ++i)
        MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(!run());
    QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Error #0 while extracting files.")));
    QCOMPARE(config().profile().readString("Setup", "Version", "none"), std::string("none"));
    QVERIFY(m_started.isEmpty());

    // A damaged archive: unzip fails, the update stays open.
    writeFile(m_dir->filePath(QStringLiteral("UPDATE.ZIP")), "PK\x03\x04 this is not an archive");
    setStamp(m_dir->filePath(QStringLiteral("UPDATE.ZIP")), QDateTime(QDate(2025, 1, 1), QTime(9, 0)));
    for (int i = 0; i < 3; ++i)
        MessageBox::presetAnswer(MessageBox::Answer::Ok);
    QVERIFY(!run());
    QVERIFY(MessageBox::lastText().startsWith(QStringLiteral("Error #9 while extracting files.")));
    QCOMPARE(config().LastUpdateArc, zeroDateText());
}

void TestProgramUpdate::scriptReplacesTheProgramAndCleansUp()
{
    const QString program = m_dir->filePath(QStringLiteral("bin dir/tessaron"));
    const QString fresh = m_dir->filePath(QStringLiteral("bin dir/UPDATE/tessaron"));
    writeFile(program, "old");
    writeFile(fresh, "new");
    const QString script = m_dir->filePath(QStringLiteral("bin dir/upd_exe.sh"));
    QVERIFY(update::writeScript(script, update::scriptLines(program, fresh)));
    QProcess sh;
    sh.start(QStringLiteral("sh"), {script});
    QVERIFY(sh.waitForStarted());
    sh.write("xy"); // the two key presses
    sh.closeWriteChannel();
    QVERIFY(sh.waitForFinished());
    QCOMPARE(sh.exitCode(), 0);
    QCOMPARE(readFile(program), QByteArray("new"));
    QVERIFY(QFileInfo(program).isExecutable());
    QVERIFY(!QFile::exists(fresh));
    QVERIFY(!QFileInfo::exists(QFileInfo(fresh).absolutePath()));
    QVERIFY(!QFile::exists(script));
    QVERIFY(sh.readAllStandardOutput().contains("Das Hauptprogramm wurde aktualisiert !"));
}

void TestProgramUpdate::recentMeansAtMostThirtyOneDays()
{
    const QDate today(2026, 3, 31);
    QVERIFY(update::programIsRecent(QDateTime(today, QTime(1, 0)), today));
    QVERIFY(update::programIsRecent(QDateTime(QDate(2026, 2, 28), QTime(0, 0)), today));
    QVERIFY(!update::programIsRecent(QDateTime(QDate(2026, 2, 27), QTime(23, 59)), today));
    QVERIFY(update::programIsRecent(QDateTime(today.addDays(3), QTime(0, 0)), today));
}

TESSARON_TEST(TestProgramUpdate)
#include "TestProgramUpdate.moc"
