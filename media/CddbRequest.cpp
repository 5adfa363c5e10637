// CDDB request texts.
#include "media/CddbRequest.h"

#include "app/Config.h"
#include "app/Version.h"

#include <QUrl>

namespace media {

namespace {

// The script path is a field of at most 80 characters.
constexpr int kCgiWidth = 80;

QByteArray helloOf(const CddbSettings &settings)
{
    const CddbHello hello = cddbHelloOf(settings.email);
    return "&hello=" + QUrl::toPercentEncoding(hello.user) + '+' + QUrl::toPercentEncoding(hello.host) + "+Tessaron+"
           + QUrl::toPercentEncoding(settings.clientVersion) + "&proto=3 HTTP/1.0\r\n\r\n\r\n";
}

// The arguments joined by "+", each encoded, so that a damaged list line or
// an odd category from the server cannot add parameters of its own.
QByteArray encodedArguments(const QString &arguments)
{
    QByteArrayList parts;
    for (const QString &part : arguments.split(QLatin1Char('+')))
        parts.append(QUrl::toPercentEncoding(part));
    return parts.join('+');
}

QByteArray command(const CddbSettings &settings, const char *verb, const QString &arguments)
{
    return "GET " + settings.cgi.trimmed().left(kCgiWidth).toLatin1() + "?cmd=cddb+" + verb + '+'
           + encodedArguments(arguments) + helloOf(settings);
}

} // namespace

CddbSettings configuredCddbSettings()
{
    const Config &cfg = config();
    CddbSettings s;
    s.server = cfg.CDDBServer;
    s.port = cfg.CDDBPort;
    s.type = cfg.CDDBType;
    s.cgi = cfg.CDDBcgi;
    s.timeOutMs = cfg.CDDBTimeOut * 1000;
    s.email = cfg.email;
    s.clientVersion = QString::fromLatin1(kProgramVersion);
    s.dataDir = cfg.ZVData;
    return s;
}

CddbHello cddbHelloOf(const QString &email)
{
    const QString address = email.trimmed();
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    if (at > 0 && at + 1 < address.size() && !address.contains(QLatin1Char(' ')))
        return {address.left(at), address.mid(at + 1)};
    return {QStringLiteral("tessaron"), QStringLiteral("localhost")};
}

QByteArray cddbQueryRequest(const CddbSettings &settings, const QString &queryLine)
{
    return command(settings, "query", queryLine);
}

QByteArray cddbReadRequest(const CddbSettings &settings, const QString &entry)
{
    return command(settings, "read", entry);
}

QByteArray cddbSitesRequest(const CddbSettings &settings)
{
    return "GET /~cddb/cddb.cgi?cmd=sites" + helloOf(settings);
}

} // namespace media
