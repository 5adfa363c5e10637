// The list of CDDB servers on the reference-tables window's CDDB page: the
// sites answer fetched from a fixed server, kept in "CDDB-Srv.Lst" in the
// data directory, and the choice of a server by one of its lines.
//
// "CDDB-Srv.Lst" (CR LF lines) holds the whole sites answer as received,
// HTTP status line and header lines included, every line feed turned into
// CR LF and every other carriage return dropped. Its bytes are kept as they
// came (Latin-1 in, Latin-1 out). Server lines have the words of a sites
// answer at protocol level 3, separated by blanks:
//   1 host name   2 "http" or "cddbp"   3 port
//   4 script path for http, "-" for cddbp   5... latitude, longitude, text
#pragma once

#include "media/CddbRequest.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace media {

inline constexpr char kCddbServerListFile[] = "CDDB-Srv.Lst";
// What the list shows while it holds nothing.
inline constexpr char kCddbServerListPlaceholder[] = "<empty - please update list from Internet !>";

// The server a line names: the texts the page's four labels show.
struct CddbServerChoice {
    QString server, port, type, cgi;
};

// What the list needs of its page: showing lines, the page's enabling and
// the message boxes. The window implements it over its controls.
class CddbServerListView {
public:
    virtual ~CddbServerListView() = default;
    virtual void showLines(const QStringList &lines) = 0;
    virtual void setPageEnabled(bool enabled) = 0;
    // A plain message with an OK button.
    virtual void message(const QString &text) = 0;
    virtual void error(const QString &text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
};

// A received text with every line feed made CR LF and every other carriage
// return dropped.
QByteArray crlfLines(const QByteArray &received);
// True for a line containing " http " or " cddbp ".
bool isServerLine(const QString &line);

class CddbServerList : public QObject {
    Q_OBJECT

public:
    // `view` must outlive the list.
    CddbServerList(QString dataDir, CddbServerListView &view, QObject *parent = nullptr);
    ~CddbServerList() override;

    QString filePath() const;
    bool fileExists() const;

    // The lines the list shows now.
    const QStringList &lines() const { return m_lines; }
    // Shows the file's lines when the file exists; false (and nothing
    // changes) when it does not.
    bool showFile();
    // The first line that begins with `server` and contains " http ", -1
    // when there is none.
    int preferredLine(const QString &server) const;
    // The choice a click on line `index` makes; none when the list has
    // fewer than two lines or the line is no server line or lacks "cdd".
    std::optional<CddbServerChoice> choiceAt(int index) const;

    // Asks `host`:`port` for the sites list through a request worker and
    // returns at once; SitesAnswered follows on this thread, unless the
    // list was destroyed meanwhile (the answer is then dropped).
    void fetch(const CddbSettings &settings, const QString &host, const QString &port);
    // The completion of the sites request: shows the answer, asks whether
    // it replaces the file and saves it on Yes; tells the user about a
    // failed request or an answer without the HTTP status 200. Throws
    // std::runtime_error naming the file when it cannot be written (the
    // old file stays as it was).
    void SitesAnswered(const QByteArray &received, int resultCode, const QString &errorText);
    bool holdsAnswer() const { return !m_held.isEmpty(); }

    // Writes `lines` to the file, each ended by CR LF, through a temporary
    // file. Throws std::runtime_error naming the file when it fails.
    void save(const QStringList &lines) const;

private:
    void show(QStringList lines);

    QString m_dataDir;
    CddbServerListView &m_view;
    QStringList m_lines;
    QByteArray m_held; // the last sites answer that came, CR LF lines
};

} // namespace media
