// Reading discs for CDDB and the CDDB run.
#include "media/CddbRun.h"

#include "media/CdAudio.h"
#include "media/CddbAnswer.h"
#include "media/CddbDisc.h"
#include "media/CddbRunView.h"
#include "media/CddbStore.h"
#include "media/CddbTransfer.h"
#include "media/CddbWaitingList.h"
#include "media/tCDDBPCommander.h"
#include "media/tMyPutter.h"
#include "media/tTCPThread.h"
#include "util/Ansi.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>

#include <stdexcept>

namespace media {

namespace {

bool g_runInProgress = false;

[[noreturn]] void throwFileError(const QString &path, const QString &why)
{
    throw std::runtime_error("Cannot write " + QDir::toNativeSeparators(path).toStdString() + ": " + why.toStdString());
}

} // namespace

ReadCdResult readCdForCddb(CdAudioDevice &device, CddbWaitingList &list, CddbStore &store, CddbRunView &view)
{
    tCDParams params;
    const int code = ReadDiscInfo(device, params);
    if (code != kCdNoError) {
        view.message(QStringLiteral("Error: ") + CDErrorText(code) + QLatin1Char('.'));
        return ReadCdResult::ReadError;
    }
    if (params.TrackCount == 1) {
        view.error(QStringLiteral("This CD seems to be a data CD and can't be requested by CDDB."));
        return ReadCdResult::DataCd;
    }
    const QString discId = DiscID(params);
    const QString line = cddbQueryLine(params);
    for (int t = 1; t <= params.TrackCount; ++t) {
        PreparedTrack row;
        row.track = t;
        row.cddbId = discId;
        row.laufzeit = trackRunningTime(params, t);
        store.appendPrepared(row);
    }
    if (list.contains(line)) {
        view.information(QStringLiteral("This CD is already contained in the list."));
        return ReadCdResult::AlreadyListed;
    }
    list.append(line);
    return ReadCdResult::Added;
}

CddbRun::CddbRun(CddbSettings settings, CddbWaitingList &list, CddbStore &store, CddbRunView &view)
    : m_settings(std::move(settings)), m_list(list), m_store(store), m_view(view),
      m_putter(std::make_unique<tMyPutter>())
{
}

CddbRun::~CddbRun() = default;

bool CddbRun::inProgress()
{
    return g_runInProgress;
}

bool CddbRun::execute()
{
    if (g_runInProgress)
        return false;

    // Hides the run's controls and frees the run flag however the run ends.
    struct Guard {
        CddbRunView &view;
        ~Guard()
        {
            view.setGaugeVisible(false);
            view.setStatusVisible(false);
            g_runInProgress = false;
        }
    } guard{m_view};
    g_runInProgress = true;
    m_view.setStatusVisible(true);

    if (!m_list.fileExists())
        return false;

    const QString outPath = QDir(m_settings.dataDir).filePath(QString::fromLatin1(kCddbOutFile));
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throwFileError(outPath, out.errorString());
    out.close();

    m_view.setProgress(m_list.size() - 1, 0);
    m_view.setGaugeVisible(true);

    const QString type = m_settings.type.trimmed().toLower();
    for (int i = m_list.size() - 1; i >= 0; --i) {
        m_view.showStatus(QStringLiteral("Connecting..."));
        if (type == QLatin1String("cddbp")) {
            cddbpEntry();
        } else if (type == QLatin1String("http")) {
            if (httpEntry(m_list.entries().at(i)) == Outcome::Stop)
                return false;
        }
        m_list.removeAt(i);
        m_view.setProgress(m_list.size() - 1, i);
    }
    m_view.message(QStringLiteral("CDDB request finished successfully !"));
    return true;
}

QByteArray CddbRun::request(const QByteArray &text)
{
    m_putter->reset();
    tMyPutter *putter = m_putter.get();
    StartRequest(m_settings.server.trimmed(), m_settings.port, text, m_settings.timeOutMs, putter,
                 [putter](tTCPThread *worker, const QByteArray &received, int code, const QString &error) {
                     putter->requestDone(worker, received, code, error);
                 });
    while (!m_putter->done()) {
        m_view.processEvents();
        if (!m_putter->done())
            QThread::msleep(m_settings.pollMs);
    }
    return m_putter->lastAnswer();
}

void CddbRun::appendOut(const QByteArray &answer)
{
    const QString path = QDir(m_settings.dataDir).filePath(QString::fromLatin1(kCddbOutFile));
    QFile out(path);
    const QByteArray text = answer + "\r\n";
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append) || out.write(text) != text.size() || !out.flush())
        throwFileError(path, out.errorString());
}

CddbRun::Outcome CddbRun::httpEntry(const QString &queryLine)
{
    const QByteArray queryAnswer = request(cddbQueryRequest(m_settings, queryLine));
    appendOut(queryAnswer);
    const QString entry = ParseQueryAnswer(
        queryAnswer, [this](const QString &text) { m_view.warning(text); },
        [this](const QStringList &titles) { return m_view.chooseMatch(titles); });
    if (entry.isEmpty()) {
        m_view.message(QStringLiteral("Unknown Server Type"));
        return Outcome::Stop;
    }

    const QByteArray readAnswer = request(cddbReadRequest(m_settings, entry));
    const QString answerPath = QDir(m_settings.dataDir).filePath(QString::fromLatin1(kCddbAnswerFile));
    QSaveFile answerFile(answerPath);
    if (!answerFile.open(QIODevice::WriteOnly) || answerFile.write("[ThisCD]\r\n" + readAnswer) < 0
        || !answerFile.commit())
        throwFileError(answerPath, answerFile.errorString());

    const CddbEntry read(readAnswer);
    if (m_view.confirm(QStringLiteral("Add these CD-tracks to your database ?\n\n") + read.trackText())) {
        const CddbTransferResult result =
            transferToCollection(m_store, discIdOfQueryLine(queryLine), entry.section(QLatin1Char('+'), 0, 0), read);
        if (result.alreadyInCollection)
            m_view.information(QStringLiteral("These CD-tracks are already in your database."));
    }
    appendOut(readAnswer);
    return Outcome::Handled;
}

void CddbRun::cddbpEntry()
{
    tCDDBPCommander commander(m_settings.server.trimmed(), m_settings.port, m_settings.timeOutMs,
                              [this] { m_view.processEvents(); });
    const int code = commander.Connect();
    if (commander.connected()) {
        const QByteArray greeting = splitAnswerLines(commander.received()).value(0);
        m_view.showStatus(fromAnsi(std::string_view(greeting.constData(), std::size_t(greeting.size()))));
    } else {
        m_view.message(QStringLiteral("Server not found, or no connection allowed."));
    }
    if (code == 200 || code == 201)
        m_view.message(QStringLiteral("=> Sending hello..."));
    commander.Disconnect();
}

} // namespace media
