// Reading the answers of a CDDB server: the query answer (which disc entry
// to read) and the read answer (the entry's album and track titles).
//
// Answers arrive as the HTTP exchange left them: status line, header lines,
// an empty line, then the CDDB answer. Servers end lines with CR LF or with a
// bare LF; both are read alike. Texts are ISO-8859-1 at protocol level 3.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace media {

// The lines of an answer: split at LF, one trailing CR removed from each. A
// line end at the very end does not begin another (empty) line.
QList<QByteArray> splitAnswerLines(const QByteArray &answer);

// Shows the server's own words when it refused a query.
using CddbWarning = std::function<void(const QString &text)>;
// Lets the user choose among several matches, given their disc titles;
// returns the index chosen (the selection dialog cannot be left without one).
using CddbChooser = std::function<int(const QStringList &titles)>;

// The entry to read for a query answer, as category + "+" + disc ID
// ("jazz+0d01f202"), or an empty text when the answer holds none. The CDDB
// status line is the line after the answer's last empty line: with 200 the
// match is on the status line itself; with 211 the matches follow it up to
// a "." line and `choose` picks one; any other status (202 no match, 500
// refusals such as "Unknown developer email") goes to `warning` from its
// fifth character on and gives an empty text, as does an answer without an
// empty line or status line. An HTTP status other than 200 goes to
// `warning` too ("404 Not Found").
QString ParseQueryAnswer(const QByteArray &answer, const CddbWarning &warning, const CddbChooser &choose);

// The keys of a read answer (an xmcd database entry).
class CddbEntry {
public:
    explicit CddbEntry(const QByteArray &answer);

    // The value of `key` (any case): the values of every line with that key
    // joined in order with nothing between (servers cut long values into
    // such pieces, often mid-word), blanks at both ends removed and the
    // escapes \n, \t and \\ decoded. Empty when the key is missing.
    QString value(const QString &key) const;
    bool contains(const QString &key) const;

    // DTITLE, or "<please enter the title manually>" when it is missing.
    QString discTitle() const;
    // TTITLE0, TTITLE1, ... up to the first missing or empty one (at most 500).
    QStringList trackTitles() const;
    // EXTTn of track n (from 0).
    QString trackExtra(int n) const { return value(QStringLiteral("EXTT%1").arg(n)); }

    // The confirmation text: "The CD <title>\ncontains the following
    // tracks:\n\n" and a line "Track n: <title>(<extra>)" per track.
    QString trackText() const;

private:
    QHash<QString, QByteArray> m_values;
};

inline constexpr int kMaxAnswerTracks = 500;

// The escapes of a CDDB value decoded: \n newline, \t tab, \\ backslash;
// any other backslash stays.
QString decodeCddbEscapes(const QString &text);

} // namespace media
