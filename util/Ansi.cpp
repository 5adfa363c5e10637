#include "util/Ansi.h"

#include "xbase/text/Codepage.h"

#include <QList>

QString fromAnsi(std::string_view bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        out += QChar(static_cast<char16_t>(xb::cp1252ToUnicode(static_cast<unsigned char>(c))));
    return out;
}

std::string toAnsi(const QString &text, bool *ok)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    bool all = true;
    for (char32_t cp : text.toUcs4()) {
        const auto byte = xb::unicodeToCp1252(cp);
        all = all && byte.has_value();
        out += byte ? static_cast<char>(*byte) : '?';
    }
    if (ok)
        *ok = all;
    return out;
}
