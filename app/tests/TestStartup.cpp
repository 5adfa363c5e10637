// The real program's start-up in a temporary program directory.
#include "platform/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "testing/TestRegistry.h"

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstStartCreatesTheProfileAndDataDirectory();
    void secondInstanceEndsByItselfAndIsCounted();
    void germanLocaleChoosesGermanWithoutWritingIt();

private:
    QProcessEnvironment environment(bool exitAfterStart) const;
    int runToEnd(const QProcessEnvironment &env, qint64 *elapsed = nullptr);

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_runtime;
};

void TestStartup::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    for (const char *lng : {"QorvaGER.lng", "QorvaENG.lng"}) {
        const QString name = QString::fromLatin1(lng);
        QVERIFY(QFile::copy(QStringLiteral(TESSARON_SOURCE_DIR "/lang/") + name, m_home->filePath(name)));
    }
    m_runtime = m_home->filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(m_runtime));
    QFile::setPermissions(m_runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QProcessEnvironment TestStartup::environment(bool exitAfterStart) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSARON_HOME"), m_home->path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    if (exitAfterStart)
        env.insert(QStringLiteral("TESSARON_EXIT_AFTER_START"), QStringLiteral("1"));
    return env;
}

int TestStartup::runToEnd(const QProcessEnvironment &env, qint64 *elapsed)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral(TESSARON_BIN_DIR "/tessaron"), {});
    if (!process.waitForFinished(60000)) {
        process.kill();
        return -1;
    }
    if (elapsed)
        *elapsed = timer.elapsed();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

void TestStartup::firstStartCreatesTheProfileAndDataDirectory()
{
    QCOMPARE(runToEnd(environment(true)), 0);
    const QByteArray expected = QByteArray("[Setup]\r\n"
                                           "Accessible=1\r\n"
                                           "Level=9\r\n"
                                           "ZVPass=\r\n"
                                           "ZVData=")
        + QFile::encodeName(m_home->path())
        + "/DATA\r\n"
          "ZVTrans=1\r\n"
          "LastUpdateArc=30.12.1899\r\n"
          "97Style=1\r\n"
          "[User]\r\n"
          "Name=Erika Mustermann\r\n"
          "Adresse=Heidestra\xDF" "e 17, 51147 K\xF6ln\r\n"
          "Telefon=0221 1234567\r\n"
          "PlzAuto=1\r\n"
          "TAPI=1\r\n"
          "COMInit=ATX3\r\n"
          "COMPort=2\r\n"
          "DialMode=T\r\n"
          "MailTo=1\r\n"
          "XELLog=0\r\n"
          "FileMan=3\r\n"
          "FileManN=/usr/bin/xdg-open\r\n"
          "ZVCalls=1\r\n";
    QCOMPARE(readFile(m_home->filePath(QStringLiteral("Tessaron.INI"))), expected);
    QVERIFY(QFileInfo(m_home->filePath(QStringLiteral("DATA"))).isDir());

    QCOMPARE(runToEnd(environment(true)), 0);
    QByteArray second = expected;
    second.replace("ZVCalls=1\r\n", "ZVCalls=2\r\n");
    QCOMPARE(readFile(m_home->filePath(QStringLiteral("Tessaron.INI"))), second);
}

void TestStartup::secondInstanceEndsByItselfAndIsCounted()
{
    QProcess first;
    first.setProcessEnvironment(environment(false));
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(QStringLiteral(TESSARON_BIN_DIR "/tessaron"), {});
    QVERIFY(first.waitForStarted());

    // Wait until the first instance holds the lock.
    qputenv("XDG_RUNTIME_DIR", m_runtime.toUtf8());
    platform::SingleInstance probe(QStringLiteral("Tessaron"));
    QElapsedTimer waited;
    waited.start();
    while (probe.acquire()) {
        probe.release();
        QVERIFY2(waited.elapsed() < 30000, "the first instance never took the lock");
        QVERIFY(first.state() == QProcess::Running);
        QThread::msleep(50);
    }

    // A missing data directory is created by the second start, before it gives up.
    QDir(m_home->filePath(QStringLiteral("DATA"))).removeRecursively();
    qint64 elapsed = 0;
    QCOMPARE(runToEnd(environment(false), &elapsed), 0);
    QVERIFY2(elapsed >= 1900, qPrintable(QString::number(elapsed)));
    QVERIFY(QFileInfo(m_home->filePath(QStringLiteral("DATA"))).isDir());
    QVERIFY(readFile(m_home->filePath(QStringLiteral("Tessaron.INI"))).contains("ZVCalls=2\r\n"));
    QVERIFY(first.state() == QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(10000)) {
        first.kill();
        first.waitForFinished();
    }
    // With the first instance gone the lock is free again.
    QVERIFY(probe.acquire());
    probe.release();
}

void TestStartup::germanLocaleChoosesGermanWithoutWritingIt()
{
    QProcessEnvironment env = environment(true);
    env.insert(QStringLiteral("LANG"), QStringLiteral("de_AT.UTF-8"));
    QCOMPARE(runToEnd(env), 0);
    const QByteArray ini = readFile(m_home->filePath(QStringLiteral("Tessaron.INI")));
    QVERIFY(!ini.contains("Language="));
    QVERIFY(!ini.contains("LngWarn="));
}

TESSARON_TEST(TestStartup)
#include "TestStartup.moc"
