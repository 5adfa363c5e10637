#include "storage/XbaseQuote.h"

#include <QStringList>

namespace {

// The delimiters a piece can still use: bit 0 '"', bit 1 '\'', bit 2 "[ ]".
int usableWith(QChar c)
{
    if (c == QLatin1Char('"'))
        return 0b110;
    if (c == QLatin1Char('\''))
        return 0b101;
    if (c == QLatin1Char(']'))
        return 0b011;
    return 0b111;
}

QString quotePiece(const QString &piece, int usable)
{
    if (usable & 0b001)
        return QLatin1Char('"') + piece + QLatin1Char('"');
    if (usable & 0b010)
        return QLatin1Char('\'') + piece + QLatin1Char('\'');
    return QLatin1Char('[') + piece + QLatin1Char(']');
}

} // namespace

QString xbQuote(const QString &text)
{
    QStringList pieces;
    QString piece;
    int usable = 0b111;
    for (QChar c : text) {
        const int next = usable & usableWith(c);
        if (next == 0) {
            pieces << quotePiece(piece, usable);
            piece.clear();
            usable = usableWith(c);
        } else {
            usable = next;
        }
        piece += c;
    }
    pieces << quotePiece(piece, usable);
    return pieces.join(QLatin1Char('+'));
}
