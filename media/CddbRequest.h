// The settings of a CDDB run and the request texts sent to the server.
#pragma once

#include <QByteArray>
#include <QString>

namespace media {

// The CDDB settings of the configuration, as the music window hands them in.
struct CddbSettings {
    QString server;                          // CDDBServer, host name or address
    QString port = QStringLiteral("80");     // CDDBPort
    QString type = QStringLiteral("http");   // CDDBType: "http" or "cddbp"
    QString cgi = QStringLiteral("/~cddb/cddb.cgi"); // CDDBcgi
    int timeOutMs = 45000;                   // CDDBTimeOut x 1000
    QString email;                           // the user's address, sent in the hello
    QString clientVersion;                   // the program's version text
    QString dataDir;                         // where the list files live
    // How long the run sleeps between two rounds of event handling while it
    // waits for an answer.
    int pollMs = 100;
};

// The settings of the configuration record: its CDDB server and
// time-out, the owner's e-mail address, the program's version and the data
// directory.
CddbSettings configuredCddbSettings();

// The user and host words of the hello: the local part and the domain of
// `email`, else the program's own "tessaron" and "localhost".
struct CddbHello {
    QString user;
    QString host;
};
CddbHello cddbHelloOf(const QString &email);

// "GET <cgi>?cmd=cddb+query+<query line>&hello=<user>+<host>+Tessaron+<version>
// &proto=3 HTTP/1.0" and three CR LF; no header lines. Characters of the
// hello words other than letters, digits and "-._~" are sent as %XX.
QByteArray cddbQueryRequest(const CddbSettings &settings, const QString &queryLine);
// The same with "cmd=cddb+read+<category>+<disc ID>"; `entry` is the result
// of ParseQueryAnswer ("jazz+0d01f202").
QByteArray cddbReadRequest(const CddbSettings &settings, const QString &entry);
// "GET /~cddb/cddb.cgi?cmd=sites&hello=..." with the same hello: the list
// of servers, asked of the fixed sites server whatever script is configured.
QByteArray cddbSitesRequest(const CddbSettings &settings);

} // namespace media
