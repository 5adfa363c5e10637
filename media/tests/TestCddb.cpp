// CDDB disc ID, request texts, answer parsing, the waiting list and the
// transfer into the collection.
#include "media/CdAudio.h"
#include "media/CddbAnswer.h"
#include "media/CddbDisc.h"
#include "media/CddbRequest.h"
#include "media/CddbRun.h"
#include "media/CddbStore.h"
#include "media/CddbTransfer.h"
#include "media/CddbWaitingList.h"
#include "media/ScriptedCdDevice.h"

#include "CddbSamples.h"
#include "RecordingView.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testing/TestRegistry.h"

using namespace media;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

PreparedTrack preparedRow(int track, const char *discId, const char *laufzeit)
{
    PreparedTrack row;
    row.track = track;
    row.cddbId = QString::fromLatin1(discId);
    row.laufzeit = QString::fromLatin1(laufzeit);
    return row;
}

CollectionTrack carrier(const char *title, int number)
{
    CollectionTrack record;
    record.liederl = QString::fromLatin1(title);
    record.cassNo = number;
    return record;
}

QByteArray withHeader(const QByteArray &body)
{
    return "HTTP/1.1 200 OK\r\nServer: Apache\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

class TestCddb : public QObject {
    Q_OBJECT

private slots:
    void discIdAndQueryLineOfTheWorkedExample();
    void digitTotalIsTakenModulo255();
    void trackRunningTimes();
    void requestTextsCarryTheHello();
    void queryAnswers_data();
    void queryAnswers();
    void inexactMatchesOfferTheirTitles();
    void readAnswerJoinsPiecesAndDecodesEscapes();
    void readAnswerWithoutEntry();
    void readingADiscFillsListAndPreparedRows();
    void readErrorsAndDataCds();
    void transferAddsOneCarrierPerDisc();
    void transferOfACompilation();
};

void TestCddb::discIdAndQueryLineOfTheWorkedExample()
{
    ScriptedCdDevice device;
    samples::insertTwoTrackDisc(device);
    tCDParams params;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoError));
    QCOMPARE(DiscID(params), QStringLiteral("0d01f202"));
    QCOMPARE(cddbQueryLine(params), QStringLiteral("0d01f202+2+150+12345+500"));
    QCOMPARE(discIdOfQueryLine(cddbQueryLine(params)), QStringLiteral("0d01f202"));
}

void TestCddb::digitTotalIsTakenModulo255()
{
    // 30 tracks at 0:55 (digit sum 10 each): total 300, top byte 45.
    tCDParams params;
    params.TrackCount = 30;
    for (int k = 1; k <= 30; ++k)
        params.TrackMSF[k] = Msf{0, 55, 0};
    params.TrackMSF[31] = Msf{10, 0, 0};
    QCOMPARE(DiscID(params), QStringLiteral("2d02211e"));
    QCOMPARE(DiscID(params).left(2).toInt(nullptr, 16), 45);
}

void TestCddb::trackRunningTimes()
{
    ScriptedCdDevice device;
    device.insertDisc({150, 12345, 20000}, 20000 + 75 * 3603 + 74);
    tCDParams params;
    QCOMPARE(ReadDiscInfo(device, params), int(kCdNoError));
    QCOMPARE(trackRunningTime(params, 1), QStringLiteral("00:02:42"));
    QCOMPARE(trackRunningTime(params, 2), QStringLiteral("00:01:42"));
    QCOMPARE(trackRunningTime(params, 3), QStringLiteral("01:00:03"));
    QCOMPARE(trackRunningTime(params, 4), QString());
    params.TrackStart[4] = 0;
    QCOMPARE(trackRunningTime(params, 3), QString());
}

void TestCddb::requestTextsCarryTheHello()
{
    CddbSettings settings;
    settings.email = QStringLiteral("alice@pc.example.net");
    settings.clientVersion = QStringLiteral("1.5d");
    QCOMPARE(cddbQueryRequest(settings, QStringLiteral("0d01f202+2+150+12345+500")),
             QByteArray("GET /~cddb/cddb.cgi?cmd=cddb+query+0d01f202+2+150+12345+500"
                        "&hello=alice+pc.example.net+Tessaron+1.5d&proto=3 HTTP/1.0\r\n\r\n\r\n"));
    QCOMPARE(cddbReadRequest(settings, QStringLiteral("jazz+0d01f202")),
             QByteArray("GET /~cddb/cddb.cgi?cmd=cddb+read+jazz+0d01f202"
                        "&hello=alice+pc.example.net+Tessaron+1.5d&proto=3 HTTP/1.0\r\n\r\n\r\n"));

    // Without an address the program's own words; odd characters encoded,
    // so they cannot split the hello or add parameters.
    settings.email.clear();
    QVERIFY(cddbQueryRequest(settings, QStringLiteral("x")).contains("&hello=tessaron+localhost+Tessaron+1.5d&"));
    settings.email = QStringLiteral("a+b&c@host.example");
    QVERIFY(cddbReadRequest(settings, QStringLiteral("ja&zz+1")).contains("cmd=cddb+read+ja%26zz+1&hello=a%2Bb%26c+host.example+"));
}

void TestCddb::queryAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("warning");
    QTest::newRow("exact match") << withHeader(samples::kQueryExact) << "jazz+0d01f202" << "";
    QByteArray bare = withHeader(samples::kQueryExact);
    bare.replace("\r\n", "\n");
    QTest::newRow("bare line feeds") << bare << "jazz+0d01f202" << "";
    QTest::newRow("no match") << withHeader(samples::kQueryNoMatch) << ""
                              << "No match for disc ID 0d01f202.";
    QTest::newRow("unregistered client") << withHeader("500 Unknown developer email\r\n") << ""
                                         << "Unknown developer email";
    QTest::newRow("no empty line") << QByteArray(samples::kQueryExact) << "" << "";
    QTest::newRow("nothing after the header") << withHeader("") << "" << "";
    QTest::newRow("empty answer") << QByteArray() << "" << "";
    QTest::newRow("http error") << QByteArray("HTTP/1.1 404 Not Found\r\n\r\n<html>\r\n\r\n</html>\r\n") << ""
                                << "404 Not Found";
}

void TestCddb::queryAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, entry);
    QFETCH(QString, warning);
    QStringList warnings;
    int chooserCalls = 0;
    const QString result = ParseQueryAnswer(
        answer, [&](const QString &text) { warnings.append(text); },
        [&](const QStringList &) { return ++chooserCalls, 0; });
    QCOMPARE(result, entry);
    QCOMPARE(warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
    QCOMPARE(chooserCalls, 0);
}

void TestCddb::inexactMatchesOfferTheirTitles()
{
    QStringList offered;
    auto choose = [&](int index) {
        return ParseQueryAnswer(withHeader(samples::kQueryInexact), {}, [&](const QStringList &titles) {
            offered = titles;
            return index;
        });
    };
    QCOMPARE(choose(1), QStringLiteral("jazz+0d01f203"));
    QCOMPARE(offered, (QStringList{QStringLiteral("Mira Quartet / Night Ferry"),
                                   QStringLiteral("Mira Quartet / Night Ferry (Live)"),
                                   QStringLiteral("Various / Harbour Songs")}));
    QCOMPARE(choose(2), QStringLiteral("misc+0d01f202"));
    QCOMPARE(choose(3), QString());
}

void TestCddb::readAnswerJoinsPiecesAndDecodesEscapes()
{
    const CddbEntry entry(withHeader(samples::kReadTwelve));
    QCOMPARE(entry.trackTitles().size(), 12);
    QCOMPARE(entry.value(QStringLiteral("TTITLE6")), QStringLiteral("Reel for a Fiddle Reprise"));
    QCOMPARE(entry.value(QStringLiteral("ttitle1")), QStringLiteral("Fog Signal"));
    QCOMPARE(entry.value(QStringLiteral("EXTD")), QStringLiteral("Live at the Harbour Hall."));
    QCOMPARE(entry.trackText(), QString::fromLatin1(samples::kReadTwelveText));

    // Pieces are joined before decoding; a cut after a blank keeps it.
    const CddbEntry cut("TTITLE0=Back \\\r\nTTITLE0=\\ Forth and \r\nTTITLE0=\\nAgain\r\nDTITLE=Caf\xe9\r\n");
    QCOMPARE(cut.value(QStringLiteral("TTITLE0")), QStringLiteral("Back \\ Forth and \nAgain"));
    QCOMPARE(cut.discTitle(), QStringLiteral("Caf\u00e9"));
    QCOMPARE(decodeCddbEscapes(QStringLiteral("a\\qb\\")), QStringLiteral("a\\qb\\"));
}

void TestCddb::readAnswerWithoutEntry()
{
    const CddbEntry entry(withHeader("401 rock 0d01f203 No such CD entry in database.\r\n"));
    QCOMPARE(entry.trackText(), QStringLiteral("The CD <please enter the title manually>\n"
                                               "contains the following tracks:\n\n"));
    // A gap ends the track list.
    const CddbEntry gap("TTITLE0=One\nTTITLE1=\nTTITLE2=Three\n");
    QCOMPARE(gap.trackTitles(), QStringList{QStringLiteral("One")});
}

void TestCddb::readingADiscFillsListAndPreparedRows()
{
    QTemporaryDir dir;
    ScriptedCdDevice device;
    samples::insertTwoTrackDisc(device);
    MemoryCddbStore store;
    RecordingView view;
    CddbWaitingList list(dir.path());
    list.load();
    QCOMPARE(list.size(), 0);

    QCOMPARE(readCdForCddb(device, list, store, view), ReadCdResult::Added);
    QCOMPARE(readCdForCddb(device, list, store, view), ReadCdResult::AlreadyListed);
    QCOMPARE(view.events, QStringList{QStringLiteral("information: This CD is already contained in the list.")});
    QCOMPARE(fileBytes(list.filePath()), QByteArray("0d01f202+2+150+12345+500\r\n"));
    QCOMPARE(list.entries(), QStringList{QStringLiteral("0d01f202+2+150+12345+500")});
    // Both reads left their rows.
    QCOMPARE(store.prepared.size(), std::size_t(4));
    QCOMPARE(store.prepared[0], preparedRow(1, "0d01f202", "00:02:42"));
    QCOMPARE(store.prepared[1], preparedRow(2, "0d01f202", "00:05:35"));
    QCOMPARE(store.prepared[3], store.prepared[1]);

    // A second disc goes below; the file keeps both lines.
    samples::insertTwelveTrackDisc(device);
    QCOMPARE(readCdForCddb(device, list, store, view), ReadCdResult::Added);
    CddbWaitingList reloaded(dir.path());
    reloaded.load();
    QCOMPARE(reloaded.entries(), list.entries());
    QCOMPARE(reloaded.size(), 2);
    QVERIFY(list.entries()[1].endsWith(QLatin1String("+148650+2162")));
    QCOMPARE(fileBytes(list.filePath()), (list.entries().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
}

void TestCddb::readErrorsAndDataCds()
{
    QTemporaryDir dir;
    ScriptedCdDevice device;
    MemoryCddbStore store;
    RecordingView view;
    CddbWaitingList list(dir.path());

    QCOMPARE(readCdForCddb(device, list, store, view), ReadCdResult::ReadError);
    device.insertDisc({150}, 30000);
    QCOMPARE(readCdForCddb(device, list, store, view), ReadCdResult::DataCd);
    QCOMPARE(view.events, (QStringList{QStringLiteral("message: Error: No disc in drive."),
                                       QStringLiteral("error: This CD seems to be a data CD and can't be "
                                                      "requested by CDDB.")}));
    QVERIFY(store.prepared.empty());
    QVERIFY(!list.fileExists());
}

void TestCddb::transferAddsOneCarrierPerDisc()
{
    MemoryCddbStore store;
    store.collection.push_back(carrier("Old", 41));
    for (int t = 1; t <= 12; ++t)
        store.appendPrepared(preparedRow(t, "0d01f202", "00:03:00"));
    store.appendPrepared(preparedRow(1, "99999999", "00:01:00"));

    const CddbEntry entry(withHeader(samples::kReadTwelve));
    CddbTransferResult result = transferToCollection(store, QStringLiteral("0d01f202"), QStringLiteral("jazz"), entry);
    QCOMPARE(result.tracksAdded, 12);
    QCOMPARE(result.carrierNumber, 42);
    QCOMPARE(store.collection.size(), std::size_t(13));
    const CollectionTrack &seventh = store.collection[7];
    QCOMPARE(seventh, (CollectionTrack{QStringLiteral("Reel for a Fiddle Reprise"), QStringLiteral("Mira Quartet"), 42,
                                       QStringLiteral("Jazz"), QStringLiteral("CD"), QStringLiteral("00:03:00"),
                                       QStringLiteral("Night Ferry"), QStringLiteral("J"), QStringLiteral("2"), 7,
                                       QStringLiteral("0d01f202")}));
    QCOMPARE(store.prepared[6].liederl, QStringLiteral("Reel for a Fiddle Reprise"));
    QCOMPARE(store.prepared[6].describe, QStringLiteral("Night Ferry"));
    QCOMPARE(store.prepared[6].sparte, QStringLiteral("Jazz"));
    QCOMPARE(store.prepared[12].liederl, QString());

    // The disc is taken over once; its prepared rows still get the titles.
    result = transferToCollection(store, QStringLiteral("0d01f202"), QStringLiteral("jazz"), entry);
    QVERIFY(result.alreadyInCollection);
    QCOMPARE(result.tracksAdded, 0);
    QCOMPARE(store.collection.size(), std::size_t(13));

    // Past the three digits of CASS_NO the lowest free number is used.
    MemoryCddbStore full;
    full.collection.push_back(carrier("A", 999));
    full.collection.push_back(carrier("B", 1));
    QCOMPARE(full.nextCarrierNumber(), 2);
}

void TestCddb::transferOfACompilation()
{
    MemoryCddbStore store;
    const CddbEntry entry("DTITLE=Various / Harbour Songs of the North Sea Coast\r\n"
                          "TTITLE0=Mira Quartet / Blue Pier\r\n"
                          "TTITLE1=An Exceedingly Long Title That Does Not Fit The Field\r\n");
    const CddbTransferResult result = transferToCollection(store, QStringLiteral("0e000002"), QStringLiteral("misc"), entry);
    QCOMPARE(result.carrierNumber, 1);
    QCOMPARE(store.collection.size(), std::size_t(2));
    QCOMPARE(store.collection[0].interpret, QStringLiteral("Mira Quartet"));
    QCOMPARE(store.collection[0].liederl, QStringLiteral("Blue Pier"));
    QCOMPARE(store.collection[0].describe, QStringLiteral("Harbour Songs of the"));
    QCOMPARE(store.collection[0].laufzeit, QString());
    QCOMPARE(store.collection[1].interpret, QStringLiteral("Various"));
    QCOMPARE(store.collection[1].liederl.size(), 35);
}

TESSARON_TEST(TestCddb)
#include "TestCddb.moc"
