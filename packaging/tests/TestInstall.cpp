// `cmake --install` into a temporary prefix, then the installed program as a
// user starts it: program folder not writable, settings and tables in the
// user's data folder, menu entry and AppStream data valid.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

namespace {

struct Run {
    int code = -1;
    QByteArray out;
};

Run run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env = {})
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.out = "timed out";
        return result;
    }
    result.out = process.readAll();
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    return result;
}

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void installsEveryFile();
    void menuEntryAndAppStreamDataAreValid();
    void installedProgramKeepsItsFilesInTheUsersDataFolder();
    void installedXbtoolRuns();

private:
    QString prefixed(const QString &relative) const { return m_prefix + QLatin1Char('/') + relative; }

    QTemporaryDir m_root;
    QString m_prefix;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_prefix = m_root.filePath(QStringLiteral("prefix with blank/usr"));
    const Run install = run(QStringLiteral(CMAKE_COMMAND_PATH),
                            {QStringLiteral("--install"), QFileInfo(QStringLiteral(TESSARON_BIN_DIR)).path(),
                             QStringLiteral("--prefix"), m_prefix});
    QVERIFY2(install.code == 0, install.out.constData());
}

void TestInstall::cleanupTestCase()
{
    // The program folder was made read-only; give it back for the clean-up.
    QFile::setPermissions(prefixed(QStringLiteral("bin")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestInstall::installsEveryFile()
{
    const QString id = QStringLiteral(TESSARON_APP_ID);
    for (const QString &file : {QStringLiteral("bin/tessaron"), QStringLiteral("bin/xbtool"),
                                QStringLiteral("share/tessaron/QorvaGER.lng"), QStringLiteral("share/tessaron/QorvaENG.lng"),
                                QStringLiteral("share/tessaron/help/de/index.html"),
                                QStringLiteral("share/tessaron/help/en/images/main-window.png"),
                                QStringLiteral("share/applications/") + id + QStringLiteral(".desktop"),
                                QStringLiteral("share/metainfo/") + id + QStringLiteral(".metainfo.xml"),
                                QStringLiteral("share/icons/hicolor/scalable/apps/") + id + QStringLiteral(".svg"),
                                QStringLiteral("share/man/man1/xbtool.1.gz"), QStringLiteral("share/man/man1/tessaron.1.gz")})
        QVERIFY2(QFileInfo(prefixed(file)).isFile(), qPrintable(file));
    QVERIFY(QFileInfo(prefixed(QStringLiteral("bin/tessaron"))).isExecutable());
    // The language files stay byte for byte as they are.
    QFile source(QStringLiteral(TESSARON_SOURCE_DIR "/lang/QorvaGER.lng"));
    QFile installed(prefixed(QStringLiteral("share/tessaron/QorvaGER.lng")));
    QVERIFY(source.open(QIODevice::ReadOnly) && installed.open(QIODevice::ReadOnly));
    QVERIFY(source.readAll() == installed.readAll());

    // The man page reads as one.
    const QString man = tool("man");
    if (!man.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const Run page = run(man, {QStringLiteral("-l"), prefixed(QStringLiteral("share/man/man1/xbtool.1.gz"))}, env);
        QVERIFY2(page.code == 0, page.out.constData());
        QVERIFY(page.out.contains("reindex"));
    }
}

void TestInstall::menuEntryAndAppStreamDataAreValid()
{
    const QString id = QStringLiteral(TESSARON_APP_ID);
    const QString validateDesktop = tool("desktop-file-validate");
    const QString appstream = tool("appstreamcli");
    QVERIFY2(!validateDesktop.isEmpty(), "desktop-file-validate is missing (package desktop-file-utils)");
    QVERIFY2(!appstream.isEmpty(), "appstreamcli is missing (package appstream)");

    const QString desktop = prefixed(QStringLiteral("share/applications/") + id + QStringLiteral(".desktop"));
    Run result = run(validateDesktop, {desktop});
    QVERIFY2(result.code == 0 && result.out.trimmed().isEmpty(), result.out.constData());
    QFile entry(desktop);
    QVERIFY(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    for (const char *line : {"Icon=org.example.tessaron\n", "Exec=tessaron\n", "Categories=Office;", "Comment[de]=",
                             "GenericName[de]="})
        QVERIFY2(text.contains(line), line);

    result = run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                             prefixed(QStringLiteral("share/metainfo/") + id + QStringLiteral(".metainfo.xml"))});
    QVERIFY2(result.code == 0, result.out.constData());
}

void TestInstall::installedProgramKeepsItsFilesInTheUsersDataFolder()
{
    const QString bin = prefixed(QStringLiteral("bin"));
    QVERIFY(QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                           | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString dataHome = m_root.filePath(QStringLiteral("data home"));
    const QString runtime = m_root.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("TESSARON_HOME"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("HOME"), m_root.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TESSARON_EXIT_AFTER_START"), QStringLiteral("1"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));

    const Run started = run(bin + QStringLiteral("/tessaron"), {}, env);
    QVERIFY2(started.code == 0, started.out.constData());
    const QString home = dataHome + QStringLiteral("/tessaron");
    QFile ini(home + QStringLiteral("/Tessaron.INI"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray settings = ini.readAll();
    QVERIFY2(settings.contains("ZVData=" + QFile::encodeName(home) + "/DATA\r\n"), settings.constData());
    QVERIFY(settings.contains("ZVCalls=1\r\n"));
    QVERIFY(QFileInfo(home + QStringLiteral("/DATA")).isDir());
    // The start-up created the tables there, and nothing beside the program.
    QVERIFY(QFileInfo(home + QStringLiteral("/DATA/ADRESS.DBF")).isFile());
    QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
    QVERIFY(!QFileInfo::exists(prefixed(QStringLiteral("share/tessaron/Tessaron.INI"))));
}

void TestInstall::installedXbtoolRuns()
{
    const Run version = run(prefixed(QStringLiteral("bin/xbtool")), {QStringLiteral("--version")});
    QCOMPARE(version.code, 0);
    QVERIFY2(version.out.startsWith("xbtool (Tessaron) "), version.out.constData());
}

TESSARON_TEST(TestInstall)
#include "TestInstall.moc"
