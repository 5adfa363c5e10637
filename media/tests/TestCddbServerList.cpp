// The CDDB server list: choosing a server by its line, the sites request
// against a loopback server and what its answers leave in "CDDB-Srv.Lst".
#include "media/CddbServerList.h"
#include "media/tTCPThread.h"

#include "LoopbackCddbServer.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

#include "testing/TestRegistry.h"

using namespace media;

namespace {

const QString kHttpLine = QStringLiteral("gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 Random gnudb server");
const QString kCddbpLine = QStringLiteral("gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 Random gnudb server");

// The answer of a sites request, as cddbd sends it after the HTTP header.
QByteArray sitesBody()
{
    return "210 OK, site information follows (until terminating `.')\r\n" + kHttpLine.toLatin1() + "\r\n"
           + kCddbpLine.toLatin1() + "\r\n.\r\n";
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class RecordingListView : public CddbServerListView {
public:
    void showLines(const QStringList &lines) override { shown = lines; }
    void setPageEnabled(bool enabled) override { pageEnabled = enabled; }
    void message(const QString &text) override { said << QStringLiteral("message: ") + text; }
    void error(const QString &text) override { said << QStringLiteral("error: ") + text; }
    bool confirm(const QString &text) override
    {
        said << QStringLiteral("confirm: ") + text;
        const bool yes = answers.empty() || answers.front();
        if (!answers.empty())
            answers.pop_front();
        return yes;
    }

    QStringList shown;
    QStringList said;
    std::deque<bool> answers;
    bool pageEnabled = true;
};

CddbSettings helloSettings()
{
    CddbSettings s;
    s.timeOutMs = 3000;
    s.email = QStringLiteral("alice@pc.example.net");
    s.clientVersion = QStringLiteral("1.5d");
    return s;
}

} // namespace

class TestCddbServerList : public QObject {
    Q_OBJECT

private slots:
    void clickOnALineChoosesItsServer_data();
    void clickOnALineChoosesItsServer();
    void preferredLineIsTheFirstHttpLineOfTheServer();
    void sitesAnswerWithYesWritesTheListWithCrLfLines();
    void sitesAnswerWithNoShowsTheFileAgain();
    void answerWithoutStatus200IsRefusedAndDropped();
    void failedRequestShowsItsErrorText();
    void answerAfterTheListIsGoneIsDropped();
};

void TestCddbServerList::clickOnALineChoosesItsServer_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QStringList>("choice"); // server, port, type, cgi; empty: nothing happens

    const QStringList answer{QStringLiteral("HTTP/1.1 200 OK"), QString(),
                             QStringLiteral("210 OK, site information follows (until terminating `.')"), kHttpLine,
                             kCddbpLine, QStringLiteral(".")};
    QTest::newRow("http") << answer << 3
                          << QStringList{QStringLiteral("gnudb.gnudb.org"), QStringLiteral("80"), QStringLiteral("http"),
                                         QStringLiteral("/~cddb/cddb.cgi")};
    QTest::newRow("cddbp") << answer << 4
                           << QStringList{QStringLiteral("gnudb.gnudb.org"), QStringLiteral("8880"),
                                          QStringLiteral("cddbp"), QStringLiteral("-")};
    QTest::newRow("status line") << answer << 2 << QStringList();
    QTest::newRow("final dot") << answer << 5 << QStringList();
    QTest::newRow("HTTP status") << answer << 0 << QStringList();
    QTest::newRow("only line") << QStringList{kHttpLine} << 0 << QStringList();
    QTest::newRow("server line without cdd")
        << QStringList{answer.first(), QStringLiteral("freedb.example.org http 80 /db.cgi N0 W0 x")} << 1
        << QStringList();
}

void TestCddbServerList::clickOnALineChoosesItsServer()
{
    QFETCH(QStringList, lines);
    QFETCH(int, clicked);
    QFETCH(QStringList, choice);
    QTemporaryDir dir;
    RecordingListView view;
    CddbServerList list(dir.path(), view);
    list.save(lines);
    QVERIFY(list.showFile());
    QCOMPARE(view.shown, lines);
    const std::optional<CddbServerChoice> got = list.choiceAt(clicked);
    if (choice.isEmpty()) {
        QVERIFY(!got);
        return;
    }
    QVERIFY(got);
    QCOMPARE((QStringList{got->server, got->port, got->type, got->cgi}), choice);
}

void TestCddbServerList::preferredLineIsTheFirstHttpLineOfTheServer()
{
    QTemporaryDir dir;
    RecordingListView view;
    CddbServerList list(dir.path(), view);
    QVERIFY(!list.showFile());
    QCOMPARE(list.preferredLine(QStringLiteral("gnudb.gnudb.org")), -1);
    list.save({QStringLiteral("HTTP/1.1 200 OK"), kCddbpLine, kHttpLine, kHttpLine});
    QVERIFY(list.showFile());
    QCOMPARE(list.preferredLine(QStringLiteral("gnudb.gnudb.org")), 2);
    QCOMPARE(list.preferredLine(QStringLiteral("other.example.org")), -1);
}

void TestCddbServerList::sitesAnswerWithYesWritesTheListWithCrLfLines()
{
    LoopbackCddbServer server;
    server.bareLf = true; // the file gets CR LF however the server ends its lines
    server.answer = [](const QByteArray &command) { return command == "sites" ? sitesBody() : QByteArray(); };
    QTemporaryDir dir;
    RecordingListView view;
    CddbServerList list(dir.path(), view);
    list.fetch(helloSettings(), QStringLiteral("127.0.0.1"), server.port());
    QVERIFY(view.pageEnabled);
    QTRY_VERIFY_WITH_TIMEOUT(!view.said.isEmpty(), 5000);

    QCOMPARE(server.requests.value(0), QByteArray("GET /~cddb/cddb.cgi?cmd=sites&hello=alice+pc.example.net+Tessaron+1.5d"
                                                  "&proto=3 HTTP/1.0\r\n\r\n\r\n"));
    QCOMPARE(view.said, QStringList{QStringLiteral("confirm: Möchten Sie Ihre aktuelle Serverliste mit der neuen Liste "
                                                   "überschreiben ?")});
    const QByteArray expected = LoopbackCddbServer::header() + sitesBody();
    QCOMPARE(fileBytes(list.filePath()), expected);
    QCOMPARE(list.filePath(), dir.filePath(QStringLiteral("CDDB-Srv.Lst")));
    QCOMPARE(view.shown.value(0), QStringLiteral("HTTP/1.1 200 OK"));
    QCOMPARE(view.shown.last(), QStringLiteral("."));
    QVERIFY(list.holdsAnswer());
    QVERIFY(view.pageEnabled);
    QCOMPARE(crlfLines("a\r\nb\nc\r\r\n\r"), QByteArray("a\r\nb\r\nc\r\n"));
}

void TestCddbServerList::sitesAnswerWithNoShowsTheFileAgain()
{
    QTemporaryDir dir;
    RecordingListView view;
    CddbServerList list(dir.path(), view);

    // Without a file the list is as empty as before.
    view.answers = {false};
    list.SitesAnswered(LoopbackCddbServer::header() + sitesBody(), kRequestOk, QString());
    QCOMPARE(view.shown, QStringList{QString::fromLatin1(kCddbServerListPlaceholder)});
    QVERIFY(!list.fileExists());

    const QByteArray old = "HTTP/1.1 200 OK\r\n\r\n" + kHttpLine.toLatin1() + "\r\n";
    writeFile(list.filePath(), old);
    view.answers = {false};
    list.SitesAnswered(LoopbackCddbServer::header() + sitesBody(), kRequestOk, QString());
    QCOMPARE(view.shown, (QStringList{QStringLiteral("HTTP/1.1 200 OK"), QString(), kHttpLine}));
    QCOMPARE(fileBytes(list.filePath()), old);
}

void TestCddbServerList::answerWithoutStatus200IsRefusedAndDropped()
{
    QTemporaryDir dir;
    RecordingListView view;
    CddbServerList list(dir.path(), view);
    const QByteArray failure = "HTTP/1.1 503 Service Unavailable\r\n\r\n";

    // Without a file the server's answer stays in view.
    list.SitesAnswered(failure, kRequestOk, QString());
    QCOMPARE(view.said, QStringList{QStringLiteral("error: Error accessing server data. Please check your "
                                                   "configuration and retry in a few minutes.")});
    QCOMPARE(view.shown.value(0), QStringLiteral("HTTP/1.1 503 Service Unavailable"));
    QVERIFY(!list.holdsAnswer());
    QVERIFY(!list.fileExists());

    const QByteArray old = "HTTP/1.1 200 OK\r\n" + kHttpLine.toLatin1() + "\r\n";
    writeFile(list.filePath(), old);
    list.SitesAnswered(failure, kRequestOk, QString());
    QCOMPARE(view.shown, (QStringList{QStringLiteral("HTTP/1.1 200 OK"), kHttpLine}));
    QCOMPARE(fileBytes(list.filePath()), old);
    // An empty answer counts the same.
    list.SitesAnswered(QByteArray(), kRequestOk, QString());
    QCOMPARE(view.said.size(), 3);
    QCOMPARE(fileBytes(list.filePath()), old);
}

void TestCddbServerList::failedRequestShowsItsErrorText()
{
    // A port that was just free refuses the connection.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QString port = QString::number(probe.serverPort());
    probe.close();

    QTemporaryDir dir;
    RecordingListView view;
    CddbServerList list(dir.path(), view);
    list.save({QStringLiteral("HTTP/1.1 200 OK"), kHttpLine});
    list.fetch(helloSettings(), QStringLiteral("127.0.0.1"), port);
    QTRY_VERIFY_WITH_TIMEOUT(!view.said.isEmpty(), 5000);
    QVERIFY(view.said.first().startsWith(QStringLiteral("message: ")));
    QVERIFY(view.said.first().size() > QStringLiteral("message: ").size());
    QCOMPARE(view.shown, (QStringList{QStringLiteral("HTTP/1.1 200 OK"), kHttpLine}));
    QVERIFY(view.pageEnabled);
}

void TestCddbServerList::answerAfterTheListIsGoneIsDropped()
{
    LoopbackCddbServer server;
    server.answer = [](const QByteArray &) { return sitesBody(); };
    QTemporaryDir dir;
    RecordingListView view;
    auto list = std::make_unique<CddbServerList>(dir.path(), view);
    list->fetch(helloSettings(), QStringLiteral("127.0.0.1"), server.port());
    const QString path = list->filePath();
    list.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!server.responses.isEmpty(), 5000);
    // Time for the worker to hand its answer over.
    QTest::qWait(300);
    QVERIFY(view.said.isEmpty());
    QVERIFY(!QFile::exists(path));
}

TESSARON_TEST(TestCddbServerList)
#include "TestCddbServerList.moc"
