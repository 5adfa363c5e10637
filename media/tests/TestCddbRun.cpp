// The CDDB run and its requests against a loopback CDDB server.
#include "media/CddbRun.h"
#include "media/CddbStore.h"
#include "media/CddbWaitingList.h"
#include "media/tCDDBPCommander.h"
#include "media/tTCPThread.h"

#include "CddbSamples.h"
#include "LoopbackCddbServer.h"
#include "RecordingView.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

using namespace media;

namespace {

const QString kTwoTracks = QStringLiteral("0d01f202+2+150+12345+500");
const QByteArray kHello = "&hello=alice+pc.example.net+Tessaron+1.5d&proto=3 HTTP/1.0\r\n\r\n\r\n";

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A data directory with a waiting list of the given lines.
struct Fixture {
    QTemporaryDir dir;
    CddbWaitingList list{dir.path()};
    MemoryCddbStore store;
    RecordingView view;
    CddbSettings settings;

    Fixture(const QString &port, const QStringList &lines)
    {
        for (const QString &line : lines)
            list.append(line);
        settings.server = QStringLiteral("127.0.0.1");
        settings.port = port;
        settings.timeOutMs = 2000;
        settings.email = QStringLiteral("alice@pc.example.net");
        settings.clientVersion = QStringLiteral("1.5d");
        settings.dataDir = dir.path();
        settings.pollMs = 5;
    }

    bool run()
    {
        CddbRun run(settings, list, store, view);
        return run.execute();
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// Answers queries with `query` and reads with the twelve-track entry.
std::function<QByteArray(const QByteArray &)> answering(const QByteArray &query)
{
    return [query](const QByteArray &command) {
        return command.startsWith("cddb+query") ? query : samples::kReadTwelve;
    };
}

} // namespace

class TestCddbRun : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void exactMatchIsReadAndTakenOver();
    void inexactMatchesOverBareLineFeeds();
    void noMatchShowsTheServersWords();
    void silentServerTimesOut();
    void refusedConnectionEndsTheRun();
    void entriesRunFromLastToFirst();
    void runWithoutWaitingFile();
    void lineProtocolShowsTheGreeting();
    void lineProtocolWithoutServer();
    void completionRunsOnTheCallersThread();
};

void TestCddbRun::cleanup()
{
    // Finished workers delete themselves through the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestCddbRun::exactMatchIsReadAndTakenOver()
{
    LoopbackCddbServer server;
    server.answer = answering(samples::kQueryExact);
    Fixture f(server.port(), {kTwoTracks});
    for (int t = 1; t <= 2; ++t) {
        PreparedTrack row;
        row.track = t;
        row.cddbId = QStringLiteral("0d01f202");
        row.laufzeit = QStringLiteral("00:02:42");
        f.store.appendPrepared(row);
    }
    // The window keeps handling events: a second run must not start.
    int nestedRuns = 0;
    f.view.duringWait = [&] {
        if (nestedRuns++ == 0) {
            QVERIFY(CddbRun::inProgress());
            QVERIFY(!f.run());
        }
    };

    QVERIFY(f.run());
    QVERIFY(!CddbRun::inProgress());
    QCOMPARE(server.requests,
             (QList<QByteArray>{"GET /~cddb/cddb.cgi?cmd=cddb+query+0d01f202+2+150+12345+500" + kHello,
                                "GET /~cddb/cddb.cgi?cmd=cddb+read+jazz+0d01f202" + kHello}));
    QCOMPARE(server.responses.size(), 2);
    QCOMPARE(fileBytes(f.path(kCddbOutFile)), server.responses[0] + "\r\n" + server.responses[1] + "\r\n");
    QCOMPARE(fileBytes(f.path(kCddbAnswerFile)), "[ThisCD]\r\n" + server.responses[1]);

    QCOMPARE(f.view.shown(QStringLiteral("confirm")),
             QStringList{"Add these CD-tracks to your database ?\n\n" + QString::fromLatin1(samples::kReadTwelveText)});
    QCOMPARE(f.view.events.last(), QStringLiteral("message: CDDB request finished successfully !"));
    QCOMPARE(f.store.collection.size(), std::size_t(12));
    QCOMPARE(f.store.collection[6].liederl, QStringLiteral("Reel for a Fiddle Reprise"));
    QCOMPARE(f.store.collection[0].laufzeit, QStringLiteral("00:02:42"));
    QCOMPARE(f.store.prepared[1].liederl, QStringLiteral("Fog Signal"));

    QCOMPARE(f.list.size(), 0);
    QCOMPARE(f.view.statuses, QStringList{QStringLiteral("Connecting...")});
    QVERIFY(!f.view.statusVisible);
    QVERIFY(!f.view.gaugeVisible);
    // The file keeps the entry for the next time the window opens.
    CddbWaitingList reloaded(f.dir.path());
    reloaded.load();
    QCOMPARE(reloaded.entries(), QStringList{kTwoTracks});
}

void TestCddbRun::inexactMatchesOverBareLineFeeds()
{
    LoopbackCddbServer server;
    server.bareLf = true;
    server.answer = answering(samples::kQueryInexact);
    Fixture f(server.port(), {kTwoTracks});
    f.view.chosenIndex = 1;
    f.view.confirmAnswer = false;

    QVERIFY(f.run());
    QCOMPARE(f.view.choices.size(), 1);
    QCOMPARE(f.view.choices[0].size(), 3);
    QCOMPARE(server.requests.size(), 2);
    QVERIFY(server.requests[1].startsWith("GET /~cddb/cddb.cgi?cmd=cddb+read+jazz+0d01f203&hello="));
    QVERIFY(!server.responses[1].contains('\r'));
    QCOMPARE(fileBytes(f.path(kCddbOutFile)), server.responses[0] + "\r\n" + server.responses[1] + "\r\n");
    QCOMPARE(fileBytes(f.path(kCddbAnswerFile)), "[ThisCD]\r\n" + server.responses[1]);
    // Same text as over CR LF; No takes nothing over.
    QCOMPARE(f.view.shown(QStringLiteral("confirm")),
             QStringList{"Add these CD-tracks to your database ?\n\n" + QString::fromLatin1(samples::kReadTwelveText)});
    QVERIFY(f.store.collection.empty());
}

void TestCddbRun::noMatchShowsTheServersWords()
{
    LoopbackCddbServer server;
    server.answer = answering(samples::kQueryNoMatch);
    Fixture f(server.port(), {kTwoTracks});

    QVERIFY(!f.run());
    QCOMPARE(f.view.events, (QStringList{QStringLiteral("warning: No match for disc ID 0d01f202."),
                                         QStringLiteral("message: Unknown Server Type")}));
    QCOMPARE(server.requests.size(), 1);
    QCOMPARE(fileBytes(f.path(kCddbOutFile)), server.responses[0] + "\r\n");
    QVERIFY(!QFile::exists(f.path(kCddbAnswerFile)));
    QCOMPARE(f.list.entries(), QStringList{kTwoTracks});
    QVERIFY(!f.view.statusVisible);
    QVERIFY(!f.view.gaugeVisible);
}

void TestCddbRun::silentServerTimesOut()
{
    LoopbackCddbServer server(LoopbackCddbServer::Mode::Silent);
    Fixture f(server.port(), {kTwoTracks});
    f.settings.timeOutMs = 300;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!f.run());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(f.view.events, QStringList{QStringLiteral("message: Unknown Server Type")});
    QCOMPARE(fileBytes(f.path(kCddbOutFile)), QByteArray("\r\n"));
}

void TestCddbRun::refusedConnectionEndsTheRun()
{
    QString port;
    {
        LoopbackCddbServer closed;
        port = closed.port();
    }
    Fixture f(port, {kTwoTracks});
    QVERIFY(!f.run());
    QCOMPARE(f.view.events, QStringList{QStringLiteral("message: Unknown Server Type")});
    QCOMPARE(f.list.size(), 1);
}

void TestCddbRun::entriesRunFromLastToFirst()
{
    LoopbackCddbServer server;
    QList<QByteArray> commands;
    server.answer = [&](const QByteArray &command) {
        commands.append(command);
        return command.startsWith("cddb+query") ? samples::kQueryExact : samples::kReadTwelve;
    };
    Fixture f(server.port(), {kTwoTracks, QStringLiteral("0e000003+3+150+300+450+20")});
    f.view.confirmAnswer = false;
    QVERIFY(f.run());
    QCOMPARE(commands.size(), 4);
    QVERIFY(commands[0].startsWith("cddb+query+0e000003+3+"));
    QVERIFY(commands[2].startsWith("cddb+query+0d01f202+2+"));
    QCOMPARE(f.list.size(), 0);
    QCOMPARE(f.view.gaugePosition, 0);
    QCOMPARE(f.view.gaugeMaximum, -1);
    // Both discs' answers, in the order asked.
    QByteArray expected;
    for (const QByteArray &response : server.responses)
        expected += response + "\r\n";
    QCOMPARE(fileBytes(f.path(kCddbOutFile)), expected);
}

void TestCddbRun::runWithoutWaitingFile()
{
    LoopbackCddbServer server;
    Fixture f(server.port(), {});
    QVERIFY(!f.run());
    QVERIFY(f.view.events.isEmpty());
    QVERIFY(!QFile::exists(f.path(kCddbOutFile)));
    QVERIFY(server.requests.isEmpty());
}

void TestCddbRun::lineProtocolShowsTheGreeting()
{
    LoopbackCddbServer server(LoopbackCddbServer::Mode::Greeting);
    Fixture f(server.port(), {kTwoTracks, kTwoTracks + QStringLiteral("0")});
    f.settings.type = QStringLiteral("cddbp");
    QVERIFY(f.run());
    const QString greeting = QString::fromLatin1(server.greeting).trimmed();
    QCOMPARE(f.view.statuses, (QStringList{QStringLiteral("Connecting..."), greeting,
                                           QStringLiteral("Connecting..."), greeting}));
    QCOMPARE(f.view.shown(QStringLiteral("message")),
             (QStringList{QStringLiteral("=> Sending hello..."), QStringLiteral("=> Sending hello..."),
                          QStringLiteral("CDDB request finished successfully !")}));
    QCOMPARE(fileBytes(f.path(kCddbOutFile)), QByteArray());
    QCOMPARE(f.list.size(), 0);

    // A refusal is shown as the greeting, without the hello.
    server.greeting = "433 No connections allowed: 5 users allowed, 5 currently active.\r\n";
    tCDDBPCommander commander(QStringLiteral("127.0.0.1"), server.port(), 2000,
                              [] { QCoreApplication::processEvents(); });
    QCOMPARE(commander.Connect(), 433);
    QVERIFY(commander.connected());
    QCOMPARE(commander.Connect(), -1);
    commander.Disconnect();
    QVERIFY(!commander.connected());
}

void TestCddbRun::lineProtocolWithoutServer()
{
    QString port;
    {
        LoopbackCddbServer closed;
        port = closed.port();
    }
    Fixture f(port, {kTwoTracks});
    f.settings.type = QStringLiteral("cddbp");
    QVERIFY(f.run());
    QCOMPARE(f.view.shown(QStringLiteral("message")),
             (QStringList{QStringLiteral("Server not found, or no connection allowed."),
                          QStringLiteral("CDDB request finished successfully !")}));

    // A server that accepts and never greets is left after the time-out.
    LoopbackCddbServer silent(LoopbackCddbServer::Mode::Silent);
    tCDDBPCommander commander(QStringLiteral("127.0.0.1"), silent.port(), 200,
                              [] { QCoreApplication::processEvents(); });
    QCOMPARE(commander.Connect(), -3);
}

void TestCddbRun::completionRunsOnTheCallersThread()
{
    LoopbackCddbServer server;
    server.answer = [](const QByteArray &) { return QByteArray("200 OK\r\n"); };
    QObject receiver;
    bool done = false;
    QThread *calledOn = nullptr;
    int code = -99;
    QByteArray received;
    StartRequest(QStringLiteral("127.0.0.1"), server.port(), "GET /?cmd=x&hello=y\r\n\r\n\r\n", 2000, &receiver,
                 [&](tTCPThread *worker, const QByteArray &text, int result, const QString &) {
                     QVERIFY(worker->isRunning());
                     calledOn = QThread::currentThread();
                     code = result;
                     received = text;
                     done = true;
                 });
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    QCOMPARE(calledOn, QThread::currentThread());
    QCOMPARE(code, int(kRequestOk));
    QCOMPARE(received, server.responses.value(0));

    done = false;
    StartRequest(QStringLiteral("127.0.0.1"), QStringLiteral("port"), "x", 2000, &receiver,
                 [&](tTCPThread *, const QByteArray &, int result, const QString &) {
                     code = result;
                     done = true;
                 });
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    QCOMPARE(code, int(kRequestException));
}

TESSARON_TEST(TestCddbRun)
#include "TestCddbRun.moc"
