// Language files are parsed once into a table of raw entry texts. An entry
// counts only where its number starts a line, so "12=" inside "112=" or
// "1=" inside "-1=" can never shadow the real entry.
#include "toolkit/text/Language.h"

#include "xbase/text/Codepage.h"

#include <QHash>

#include <cerrno>
#include <iconv.h>

namespace tk {

namespace {

// The escape rules of entry texts: \n \r \t (also upper case), \\, and a
// backslash with three digits d1 d2 d3 for the byte d1*64 + d2*8 + d3. Any
// other character after a backslash gives a single backslash and is dropped.
QByteArray decodeEscapes(const QByteArray &raw)
{
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= raw.size()) {
            out += '\\';
            break;
        }
        const char e = raw[i + 1];
        auto isDigit = [](char d) { return d >= '0' && d <= '9'; };
        if (i + 3 < raw.size() && isDigit(e) && isDigit(raw[i + 2]) && isDigit(raw[i + 3])) {
            out += static_cast<char>(((e - '0') * 64 + (raw[i + 2] - '0') * 8 + (raw[i + 3] - '0')) & 0xFF);
            i += 3;
            continue;
        }
        switch (e) {
        case 'n': case 'N': out += '\n'; break;
        case 'r': case 'R': out += '\r'; break;
        case 't': case 'T': out += '\t'; break;
        default: out += '\\'; break; // covers "\\" and the dropped unknown character
        }
        ++i;
    }
    return out;
}

// The raw text of an entry line after "N=": one opening quote skipped,
// trailing blanks dropped, then one closing quote.
QByteArray rawEntryText(QByteArray text)
{
    if (text.startsWith('"'))
        text.remove(0, 1);
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    text.truncate(end);
    if (text.endsWith('"'))
        text.chop(1);
    return text;
}

// Windows character-set numbers and the code pages their fonts use.
const char *codePageOf(int charset)
{
    switch (charset) {
    case 238: return "WINDOWS-1250";
    case 204: return "WINDOWS-1251";
    case 161: return "WINDOWS-1253";
    case 162: return "WINDOWS-1254";
    case 177: return "WINDOWS-1255";
    case 178: return "WINDOWS-1256";
    case 186: return "WINDOWS-1257";
    case 163: return "WINDOWS-1258";
    case 222: return "CP874";
    case 128: return "CP932";
    case 134: return "CP936";
    case 129: return "CP949";
    case 136: return "CP950";
    default: return nullptr; // 0, 1 and unknown sets: Windows-1252
    }
}

} // namespace

void Language::clear()
{
    m_entries.clear();
    m_charset = 0;
    m_loaded = false;
}

void Language::load(const QByteArray &bytes)
{
    clear();
    m_loaded = !bytes.isEmpty();
    if (!m_loaded)
        return;

    const qsizetype marker = bytes.indexOf("[chs=");
    if (marker >= 0 && marker + 8 <= bytes.size()) {
        const QByteArray digits = bytes.mid(marker + 5, 3);
        bool ok = true;
        for (char d : digits)
            ok = ok && d >= '0' && d <= '9';
        m_charset = ok ? digits.toInt() : 0;
    }

    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        // An entry: optional minus, digits, "=" at the start of the line,
        // after any blanks or tabs that indent it.
        qsizetype lineStart = pos;
        while (lineStart < end && (bytes[lineStart] == ' ' || bytes[lineStart] == '\t'))
            ++lineStart;
        qsizetype i = lineStart;
        if (i < end && bytes[i] == '-')
            ++i;
        const qsizetype digitsStart = i;
        while (i < end && bytes[i] >= '0' && bytes[i] <= '9')
            ++i;
        if (i > digitsStart && i < end && bytes[i] == '=') {
            bool ok = false;
            const int number = bytes.mid(lineStart, i - lineStart).toInt(&ok);
            if (ok && !m_entries.contains(number))
                m_entries.insert(number, bytes.mid(i + 1, end - i - 1));
        }
        pos = end + 1;
    }
}

QByteArray Language::rawText(int number) const
{
    if (!m_loaded)
        return QByteArray();
    const auto it = m_entries.constFind(number);
    if (it == m_entries.constEnd())
        return QByteArray();
    return decodeEscapes(rawEntryText(*it).left(kMaxRawText));
}

QString Language::text(int number) const
{
    return decode(rawText(number), m_charset);
}

QString Language::decode(const QByteArray &bytes, int charset)
{
    const char *codePage = codePageOf(charset);
    if (!codePage)
        return QString::fromStdString(xb::cp1252ToUtf8(bytes.toStdString()));

    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromStdString(xb::cp1252ToUtf8(bytes.toStdString()));
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char *inPtr = in.data();
    char *outPtr = out.data();
    size_t inLeft = static_cast<size_t>(in.size());
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            if (errno == EILSEQ || errno == EINVAL) {
                // A byte the code page does not define: show a replacement.
                ++inPtr;
                --inLeft;
                if (outLeft >= 3) {
                    *outPtr++ = '\xEF';
                    *outPtr++ = '\xBF';
                    *outPtr++ = '\xBD';
                    outLeft -= 3;
                }
                continue;
            }
            break;
        }
    }
    iconv_close(cd);
    out.truncate(outPtr - out.data());
    return QString::fromUtf8(out);
}

Language &Language::current()
{
    static Language language;
    return language;
}

QString langText(int number)
{
    return Language::current().text(number);
}

} // namespace tk

namespace tk {

QString formatText(const QString &pattern, const QVariantList &args)
{
    QString out;
    int next = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('%') || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        qsizetype j = i + 1;
        bool leftAlign = false;
        if (pattern[j] == QLatin1Char('-')) {
            leftAlign = true;
            ++j;
        }
        int width = 0;
        while (j < pattern.size() && pattern[j].isDigit())
            width = width * 10 + pattern[j++].digitValue();
        if (j >= pattern.size()) {
            out += pattern.mid(i);
            break;
        }
        const QChar kind = pattern[j].toLower();
        QString piece;
        if (kind == QLatin1Char('%')) {
            piece = QStringLiteral("%");
        } else if (kind == QLatin1Char('s')) {
            piece = args.value(next++).toString();
        } else if (kind == QLatin1Char('d') || kind == QLatin1Char('u')) {
            piece = QString::number(args.value(next++).toLongLong());
        } else {
            out += pattern.mid(i, j - i + 1);
            i = j;
            continue;
        }
        out += leftAlign ? piece.leftJustified(width) : piece.rightJustified(width);
        i = j;
    }
    return out;
}

} // namespace tk
