// The single-instance lock and the raise request of a later start, between
// two holders of the lock in this process and a real second process.
#include "platform/SingleInstance.h"

#include <QLocalSocket>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

#include "testing/TestRegistry.h"

using platform::SingleInstance;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondHolderIsToldAnotherRuns();
    void laterStartAsksTheHolderToRaise();
    void askingWithoutListeningHolderFailsQuietly();
    void strangeRequestsAreIgnored();
    void deadSocketOfAKilledHolderIsReplaced();

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
    QByteArray m_oldRuntime;
};

void TestSingleInstance::init()
{
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toUtf8());
}

void TestSingleInstance::cleanup()
{
    qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

void TestSingleInstance::secondHolderIsToldAnotherRuns()
{
    SingleInstance first(QStringLiteral("Probe"));
    QVERIFY(first.acquire());
    SingleInstance second(QStringLiteral("Probe"));
    QVERIFY(!second.acquire());
    QVERIFY(second.alreadyRunning());
    first.release();
    QVERIFY(second.acquire());
}

void TestSingleInstance::laterStartAsksTheHolderToRaise()
{
    SingleInstance holder(QStringLiteral("Probe"));
    QVERIFY(holder.acquire());
    int raised = 0;
    QVERIFY2(holder.listenForRaiseRequests([&raised] { ++raised; }), qPrintable(holder.error()));

    // The asking side blocks, so it runs beside this thread's event loop.
    std::atomic<int> answered{-1};
    std::thread asker([&answered] {
        SingleInstance later(QStringLiteral("Probe"));
        answered = later.askHolderToRaise(5000) ? 1 : 0;
    });
    QTRY_VERIFY_WITH_TIMEOUT(answered != -1, 10000);
    asker.join();
    QCOMPARE(answered.load(), 1);
    QCOMPARE(raised, 1);

    // Once the holder is gone nobody answers.
    holder.release();
    SingleInstance later(QStringLiteral("Probe"));
    QVERIFY(!later.askHolderToRaise(500));
}

void TestSingleInstance::askingWithoutListeningHolderFailsQuietly()
{
    SingleInstance holder(QStringLiteral("Probe"));
    QVERIFY(holder.acquire());
    SingleInstance later(QStringLiteral("Probe"));
    QVERIFY(!later.acquire());
    QVERIFY(!later.askHolderToRaise(300));
    // Listening needs the lock.
    QVERIFY(!later.listenForRaiseRequests([] {}));
}

void TestSingleInstance::strangeRequestsAreIgnored()
{
    SingleInstance holder(QStringLiteral("Probe"));
    QVERIFY(holder.acquire());
    int raised = 0;
    QVERIFY(holder.listenForRaiseRequests([&raised] { ++raised; }));

    QLocalSocket socket;
    socket.connectToServer(holder.socketPath());
    QVERIFY(socket.waitForConnected(2000));
    socket.write(QByteArray(100, 'x'));
    socket.flush();
    QTRY_VERIFY_WITH_TIMEOUT(socket.state() == QLocalSocket::UnconnectedState, 5000);
    QCOMPARE(raised, 0);

    QLocalSocket other;
    other.connectToServer(holder.socketPath());
    QVERIFY(other.waitForConnected(2000));
    other.write("quit\n");
    other.flush();
    QTRY_VERIFY_WITH_TIMEOUT(other.state() == QLocalSocket::UnconnectedState, 5000);
    QCOMPARE(raised, 0);
}

void TestSingleInstance::deadSocketOfAKilledHolderIsReplaced()
{
    // A holder killed with SIGKILL leaves its socket file; the next holder
    // takes the lock and listens anyway.
    QProcess killed;
    const QString socket = SingleInstance(QStringLiteral("Probe")).socketPath();
    killed.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import socket,sys,time\n"
                                 "s=socket.socket(socket.AF_UNIX)\n"
                                 "s.bind(sys.argv[1]); s.listen(1)\n"
                                 "print('up', flush=True); time.sleep(60)\n"),
                  socket});
    QVERIFY(killed.waitForReadyRead(10000));
    killed.kill();
    QVERIFY(killed.waitForFinished(5000));
    QVERIFY(QFileInfo::exists(socket));

    SingleInstance holder(QStringLiteral("Probe"));
    QVERIFY(holder.acquire());
    int raised = 0;
    QVERIFY2(holder.listenForRaiseRequests([&raised] { ++raised; }), qPrintable(holder.error()));
    std::atomic<int> answered{-1};
    std::thread asker([&answered] { answered = SingleInstance(QStringLiteral("Probe")).askHolderToRaise(5000); });
    QTRY_VERIFY_WITH_TIMEOUT(answered != -1, 10000);
    asker.join();
    QCOMPARE(answered.load(), 1);
    QCOMPARE(raised, 1);
}

TESSARON_TEST(TestSingleInstance)
#include "TestSingleInstance.moc"
