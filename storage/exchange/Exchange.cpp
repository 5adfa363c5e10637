// What every exchange format shares.
#include "storage/exchange/Exchange.h"

#include "xbase/text/Codepage.h"

#include <QStringDecoder>

namespace exchange {

QString decodeText(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(data);
    if (!utf8.hasError())
        return text;
    return QString::fromStdString(xb::cp1252ToUtf8(std::string_view(data.constData(), static_cast<std::size_t>(data.size()))));
}

} // namespace exchange
