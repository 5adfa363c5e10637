// CDDB query and read answers.
#include "media/CddbAnswer.h"

#include "util/Ansi.h"
#include "util/TextUtil.h"

namespace media {

QList<QByteArray> splitAnswerLines(const QByteArray &answer)
{
    QList<QByteArray> lines = answer.split('\n');
    if (answer.endsWith('\n'))
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

namespace {

QStringList decodedLines(const QByteArray &answer)
{
    QStringList lines;
    for (const QByteArray &line : splitAnswerLines(answer))
        lines.append(fromAnsi(std::string_view(line.constData(), std::size_t(line.size()))));
    return lines;
}

// "jazz 0d01f202 Mira Quartet / Night Ferry" -> "jazz+0d01f202".
QString entryOfMatchLine(const QString &line)
{
    const QString category = line.section(QLatin1Char(' '), 0, 0);
    const QString discId = line.section(QLatin1Char(' '), 1, 1);
    if (category.isEmpty() || discId.isEmpty())
        return QString();
    return category + QLatin1Char('+') + discId;
}

} // namespace

QString ParseQueryAnswer(const QByteArray &answer, const CddbWarning &warning, const CddbChooser &choose)
{
    const QStringList lines = decodedLines(answer);
    // An HTTP error page is no CDDB answer: show the server's status.
    if (!lines.isEmpty() && lines[0].startsWith(QLatin1String("HTTP/"))
        && lines[0].section(QLatin1Char(' '), 1, 1) != QLatin1String("200")) {
        if (warning)
            warning(lines[0].section(QLatin1Char(' '), 1));
        return QString();
    }
    int current = -1;
    for (int i = lines.size() - 1; i >= 0; --i) {
        if (lines[i].isEmpty()) {
            current = i + 1;
            break;
        }
    }
    if (current < 0 || current >= lines.size())
        return QString();

    const QString status = lines[current];
    const QString code = status.left(3);
    if (code == QLatin1String("200"))
        return entryOfMatchLine(status.mid(4));
    if (code != QLatin1String("211")) {
        if (warning)
            warning(status.mid(4));
        return QString();
    }

    ++current;
    if (current >= lines.size())
        return QString();
    if (current + 1 >= lines.size())
        return entryOfMatchLine(lines[current]);
    QStringList titles;
    for (int i = current; i < lines.size() && !lines[i].startsWith(QLatin1Char('.')); ++i)
        titles.append(lines[i].section(QLatin1Char(' '), 2));
    const int chosen = choose ? choose(titles) : -1;
    if (chosen < 0 || chosen >= titles.size())
        return QString();
    return entryOfMatchLine(lines[current + chosen]);
}

QString decodeCddbEscapes(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == QLatin1Char('n') || next == QLatin1Char('t') || next == QLatin1Char('\\')) {
                result += next == QLatin1Char('n') ? QLatin1Char('\n')
                          : next == QLatin1Char('t') ? QLatin1Char('\t')
                                                      : QLatin1Char('\\');
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

CddbEntry::CddbEntry(const QByteArray &answer)
{
    for (const QByteArray &line : splitAnswerLines(answer)) {
        if (line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString key = QString::fromLatin1(line.left(equals)).trimmed().toUpper();
        m_values[key] += line.mid(equals + 1);
    }
}

bool CddbEntry::contains(const QString &key) const
{
    return m_values.contains(key.toUpper());
}

QString CddbEntry::value(const QString &key) const
{
    const QByteArray joined = m_values.value(key.toUpper());
    return decodeCddbEscapes(AllTrim(fromAnsi(std::string_view(joined.constData(), std::size_t(joined.size())))));
}

QString CddbEntry::discTitle() const
{
    if (!contains(QStringLiteral("DTITLE")))
        return QStringLiteral("<please enter the title manually>");
    return value(QStringLiteral("DTITLE"));
}

QStringList CddbEntry::trackTitles() const
{
    QStringList titles;
    for (int n = 0; n < kMaxAnswerTracks; ++n) {
        const QString title = value(QStringLiteral("TTITLE%1").arg(n));
        if (title.isEmpty())
            break;
        titles.append(title);
    }
    return titles;
}

QString CddbEntry::trackText() const
{
    QString text = QStringLiteral("The CD ") + discTitle() + QStringLiteral("\ncontains the following tracks:\n\n");
    const QStringList titles = trackTitles();
    for (int n = 0; n < titles.size(); ++n) {
        text += QStringLiteral("Track %1: %2").arg(n + 1).arg(titles[n]);
        const QString extra = trackExtra(n);
        if (!extra.isEmpty())
            text += QLatin1Char('(') + extra + QLatin1Char(')');
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace media
