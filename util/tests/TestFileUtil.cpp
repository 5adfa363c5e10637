// Conditional copy, trash and process start on real files and processes.
#include "util/FileUtil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

#include <cerrno>
#include <sys/stat.h>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

} // namespace

class TestFileUtil : public QObject {
    Q_OBJECT

private slots:
    void copyIfNewerSkipsANewerDestination();
    void copyIfNewerCopiesIntoMissingDirectories();
    void copyIfNewerRaisesForMissingOrReadOnlySource();
    void deleteToRecycleBinMovesIntoTheTrash();
    void runAndWaitResults();
};

void TestFileUtil::copyIfNewerSkipsANewerDestination()
{
    QTemporaryDir dir;
    const QString src = dir.filePath(QStringLiteral("a.dbf"));
    const QString dst = dir.filePath(QStringLiteral("b.dbf"));
    writeFile(src, "new");
    writeFile(dst, "old");
    const QDateTime now = QDateTime::currentDateTime();
    setModified(src, now.addSecs(-60));
    setModified(dst, now.addSecs(-60));
    QVERIFY(CopyIfNewer(src, dst, false));
    QCOMPARE(readFile(dst), QByteArray("old")); // same age: skipped

    QVERIFY(CopyIfNewer(src, dst, true));
    QCOMPARE(readFile(dst), QByteArray("new")); // always: copied

    writeFile(src, "newer");
    setModified(src, now.addSecs(60));
    QVERIFY(CopyIfNewer(src, dst, false));
    QCOMPARE(readFile(dst), QByteArray("newer"));
}

void TestFileUtil::copyIfNewerCopiesIntoMissingDirectories()
{
    QTemporaryDir dir;
    const QString src = dir.filePath(QStringLiteral("x.cdx"));
    writeFile(src, QByteArray(5000, 'z'));
    const QString dst = dir.filePath(QStringLiteral("one/two/x.cdx"));
    QVERIFY(CopyIfNewer(src, dst, false));
    QCOMPARE(readFile(dst), QByteArray(5000, 'z'));
    QVERIFY(QFileInfo(dst).lastModified() >= QFileInfo(src).lastModified());
}

void TestFileUtil::copyIfNewerRaisesForMissingOrReadOnlySource()
{
    QTemporaryDir dir;
    const QString dst = dir.filePath(QStringLiteral("d"));
    QVERIFY_THROWS_EXCEPTION(FileError, CopyIfNewer(dir.filePath(QStringLiteral("missing")), dst, true));
    QVERIFY(!QFileInfo::exists(dst));
    // Without `always` both files missing means nothing to copy: skipped.
    QVERIFY(CopyIfNewer(dir.filePath(QStringLiteral("missing")), dst, false));
    QVERIFY(!QFileInfo::exists(dst));

    if (::geteuid() == 0)
        QSKIP("root may write read-only files");
    const QString src = dir.filePath(QStringLiteral("ro"));
    writeFile(src, "x");
    QFile::setPermissions(src, QFileDevice::ReadOwner);
    QVERIFY_THROWS_EXCEPTION(FileError, CopyIfNewer(src, dst, true));
}

void TestFileUtil::deleteToRecycleBinMovesIntoTheTrash()
{
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("share")).toUtf8());
    const QString file = dir.filePath(QStringLiteral("ADRESS.BAK"));
    for (int round = 1; round <= 2; ++round) {
        writeFile(file, "round " + QByteArray::number(round));
        DeleteToRecycleBin(file);
        QVERIFY(!QFileInfo::exists(file));
    }
    const QString trash = dir.filePath(QStringLiteral("share/Trash"));
    QCOMPARE(readFile(trash + QStringLiteral("/files/ADRESS.BAK")), QByteArray("round 1"));
    QCOMPARE(readFile(trash + QStringLiteral("/files/ADRESS 2.BAK")), QByteArray("round 2"));
    const QByteArray info = readFile(trash + QStringLiteral("/info/ADRESS.BAK.trashinfo"));
    QVERIFY(info.startsWith("[Trash Info]\nPath="));
    QVERIFY(info.contains(QFile::encodeName(file)));
    QVERIFY(info.contains("DeletionDate="));

    DeleteToRecycleBin(dir.filePath(QStringLiteral("never-existed"))); // nothing happens
    qunsetenv("XDG_DATA_HOME");
}

void TestFileUtil::runAndWaitResults()
{
    QCOMPARE(RunAndWait(QStringLiteral("true")), 0);
    QCOMPARE(RunAndWait(QStringLiteral("false")), 0); // the exit code is not examined
    QCOMPARE(RunAndWait(QStringLiteral("/nonexistent/program --flag")), ENOENT);

    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("with blank"));
    QCOMPARE(RunAndWait(QStringLiteral("touch \"%1\"").arg(marker)), 0);
    QVERIFY(QFileInfo::exists(marker));

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(RunWithTimeout(QStringLiteral("sleep 5"), 1, 200), 258);
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(RunWithTimeout(QStringLiteral("sleep 0.05"), 1, 5000), 0);
    QCOMPARE(RunWithTimeout(QStringLiteral("no-such-program-here"), 1, 100), ENOENT);
}

TESSARON_TEST(TestFileUtil)
#include "TestFileUtil.moc"
