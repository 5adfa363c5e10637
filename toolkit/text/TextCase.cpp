#include "toolkit/text/TextCase.h"

#include "xbase/text/Codepage.h"

namespace tk {

QString upperCase(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const auto byte = xb::unicodeToCp1252(c.unicode());
        if (byte)
            c = QChar(static_cast<char16_t>(xb::cp1252ToUnicode(xb::cp1252Upper(*byte))));
    }
    return out;
}

} // namespace tk
