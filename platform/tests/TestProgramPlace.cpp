// Portable and installed mode, decided from real folders.
#include "platform/ProgramPlace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

using platform::ProgramPlace;

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestProgramPlace : public QObject {
    Q_OBJECT

private slots:
    void init();
    void writableFolderWithLanguageFilesIsPortable();
    void unwritableFolderUsesTheUsersDataFolder();
    void installedLayoutIsInstalledEvenWhenWritable();
    void dataHomeDefaultsToLocalShare();
    void overrideKeepsEverythingInOneFolder();
    void readOnlyPortableCopyReadsItsOwnLanguageFiles();

private:
    ProgramPlace::Facts facts(bool writable) const;
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_bin, m_share;
};

void TestProgramPlace::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_bin = m_root->filePath(QStringLiteral("usr/bin"));
    m_share = m_root->filePath(QStringLiteral("usr/share/tessaron"));
    QVERIFY(QDir().mkpath(m_bin));
}

ProgramPlace::Facts TestProgramPlace::facts(bool writable) const
{
    ProgramPlace::Facts f;
    f.executableDir = m_bin + QStringLiteral("/");
    f.executableDirWritable = writable;
    f.dataHome = m_root->filePath(QStringLiteral("xdg data"));
    f.userHome = m_root->filePath(QStringLiteral("home"));
    return f;
}

void TestProgramPlace::writableFolderWithLanguageFilesIsPortable()
{
    touch(m_bin + QStringLiteral("/QorvaGER.lng"));
    touch(m_share + QStringLiteral("/QorvaGER.lng"));
    const ProgramPlace place = ProgramPlace::decide(facts(true));
    QVERIFY(!place.installed);
    QCOMPARE(place.home, m_bin);
    QCOMPARE(place.shareDir, m_bin);
}

void TestProgramPlace::unwritableFolderUsesTheUsersDataFolder()
{
    touch(m_share + QStringLiteral("/QorvaENG.lng"));
    const ProgramPlace place = ProgramPlace::decide(facts(false));
    QVERIFY(place.installed);
    QCOMPARE(place.home, m_root->filePath(QStringLiteral("xdg data/tessaron")));
    QCOMPARE(place.shareDir, m_share);
    // Deciding creates nothing; current() makes the folder.
    QVERIFY(!QFileInfo::exists(place.home));
}

void TestProgramPlace::installedLayoutIsInstalledEvenWhenWritable()
{
    // A program run by root may write to /usr/bin; its files still belong
    // in the user's data folder.
    touch(m_share + QStringLiteral("/QorvaGER.lng"));
    const ProgramPlace place = ProgramPlace::decide(facts(true));
    QVERIFY(place.installed);
    QCOMPARE(place.shareDir, m_share);
}

void TestProgramPlace::dataHomeDefaultsToLocalShare()
{
    touch(m_share + QStringLiteral("/QorvaGER.lng"));
    ProgramPlace::Facts f = facts(false);
    for (const QString &unusable : {QString(), QStringLiteral("relative/dir")}) {
        f.dataHome = unusable;
        QCOMPARE(ProgramPlace::decide(f).home, m_root->filePath(QStringLiteral("home/.local/share/tessaron")));
    }
}

void TestProgramPlace::overrideKeepsEverythingInOneFolder()
{
    touch(m_share + QStringLiteral("/QorvaGER.lng"));
    ProgramPlace::Facts f = facts(false);
    f.homeOverride = m_root->filePath(QStringLiteral("test home//"));
    const ProgramPlace place = ProgramPlace::decide(f);
    QVERIFY(!place.installed);
    QCOMPARE(place.home, m_root->filePath(QStringLiteral("test home")));
    QCOMPARE(place.shareDir, place.home);
}

void TestProgramPlace::readOnlyPortableCopyReadsItsOwnLanguageFiles()
{
    // A copy on a read-only medium: settings go to the user, texts come
    // from beside the program.
    touch(m_bin + QStringLiteral("/qorvaeng.LNG"));
    QVERIFY(ProgramPlace::holdsLanguageFiles(m_bin));
    const ProgramPlace place = ProgramPlace::decide(facts(false));
    QVERIFY(place.installed);
    QCOMPARE(place.shareDir, m_bin);
}

TESSARON_TEST(TestProgramPlace)
#include "TestProgramPlace.moc"
