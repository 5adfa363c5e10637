// The CDDB server list: fetching, keeping and choosing.
#include "media/CddbServerList.h"

#include "media/tTCPThread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSaveFile>

#include <stdexcept>

namespace media {

namespace {

constexpr char kAccessError[] =
    "Error accessing server data. Please check your configuration and retry in a few minutes.";
constexpr char kOverwriteQuestion[] = "M\xC3\xB6" "chten Sie Ihre aktuelle Serverliste mit der neuen Liste "
                                      "\xC3\xBC" "berschreiben ?";

// The lines of a text; a last line end does not start another line.
QStringList linesOf(const QByteArray &text)
{
    QStringList lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromLatin1(line));
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QByteArray crlfLines(const QByteArray &received)
{
    QByteArray out;
    out.reserve(received.size() + received.count('\n'));
    for (const char c : received) {
        if (c == '\r')
            continue;
        if (c == '\n')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

bool isServerLine(const QString &line)
{
    return line.contains(QLatin1String(" http ")) || line.contains(QLatin1String(" cddbp "));
}

CddbServerList::CddbServerList(QString dataDir, CddbServerListView &view, QObject *parent)
    : QObject(parent), m_dataDir(std::move(dataDir)), m_view(view)
{
}

CddbServerList::~CddbServerList() = default;

QString CddbServerList::filePath() const
{
    return QDir(m_dataDir).filePath(QString::fromLatin1(kCddbServerListFile));
}

bool CddbServerList::fileExists() const
{
    return QFile::exists(filePath());
}

void CddbServerList::show(QStringList lines)
{
    m_lines = std::move(lines);
    m_view.showLines(m_lines);
}

bool CddbServerList::showFile()
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    show(linesOf(file.readAll()));
    return true;
}

int CddbServerList::preferredLine(const QString &server) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].startsWith(server) && m_lines[i].contains(QLatin1String(" http ")))
            return i;
    }
    return -1;
}

std::optional<CddbServerChoice> CddbServerList::choiceAt(int index) const
{
    if (m_lines.size() < 2 || index < 0 || index >= m_lines.size())
        return std::nullopt;
    const QString &line = m_lines[index];
    if (!isServerLine(line) || !line.contains(QLatin1String("cdd")))
        return std::nullopt;
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    CddbServerChoice choice;
    choice.server = words.value(0);
    choice.port = words.value(2);
    choice.type = line.contains(QLatin1String(" http ")) ? QStringLiteral("http") : QStringLiteral("cddbp");
    choice.cgi = words.value(3);
    return choice;
}

void CddbServerList::fetch(const CddbSettings &settings, const QString &host, const QString &port)
{
    m_view.setPageEnabled(false);
    // The application object outlives every worker; the answer finds this
    // list only while it exists.
    QPointer<CddbServerList> self(this);
    StartRequest(host, port, cddbSitesRequest(settings), settings.timeOutMs, QCoreApplication::instance(),
                 [self](tTCPThread *, const QByteArray &received, int resultCode, const QString &errorText) {
                     if (self)
                         self->SitesAnswered(received, resultCode, errorText);
                 });
    m_view.setPageEnabled(true);
}

void CddbServerList::SitesAnswered(const QByteArray &received, int resultCode, const QString &errorText)
{
    m_view.setPageEnabled(false);
    struct Enable {
        CddbServerListView &view;
        ~Enable() { view.setPageEnabled(true); }
    } enable{m_view};

    if (resultCode != kRequestOk) {
        // The worker names every failure; a bare code still says something.
        m_view.message(errorText.isEmpty() ? QString::fromLatin1(kAccessError) : errorText);
    } else {
        m_held = crlfLines(received);
        show(linesOf(m_held));
        if (!m_lines.value(0).contains(QLatin1String(" 200 "))) {
            m_view.error(QString::fromLatin1(kAccessError));
            m_held.clear();
        } else if (m_view.confirm(QString::fromUtf8(kOverwriteQuestion))) {
            save(m_lines);
        } else if (!showFile()) {
            // Nothing was kept: the list is as empty as before the answer.
            show({QString::fromLatin1(kCddbServerListPlaceholder)});
        }
    }
    if (m_held.isEmpty())
        showFile();
}

void CddbServerList::save(const QStringList &lines) const
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toLatin1() + "\r\n";
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        throw std::runtime_error("Cannot write " + QDir::toNativeSeparators(filePath()).toStdString() + ": "
                                 + file.errorString().toStdString());
    }
}

} // namespace media
