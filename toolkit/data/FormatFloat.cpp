#include "toolkit/data/FormatFloat.h"

#include <QStringList>
#include <cmath>

namespace tk {

namespace {

struct Picture {
    QString prefix;
    QString suffix;
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool thousands = false;
    bool hasDigits = false;
};

// Splits a format at ';' outside quotes.
QStringList sections(const QString &format)
{
    QStringList out;
    QString current;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            current += c;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            current += c;
        } else if (c == QLatin1Char(';')) {
            out << current;
            current.clear();
        } else {
            current += c;
        }
    }
    out << current;
    return out;
}

Picture parse(const QString &section)
{
    Picture p;
    bool inNumber = false;
    bool afterNumber = false;
    bool inDecimals = false;
    QChar quote;
    for (QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (afterNumber ? p.suffix : p.prefix) += c;
            continue;
        }
        const bool placeholder = c == QLatin1Char('0') || c == QLatin1Char('#');
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            if (inNumber)
                afterNumber = true;
            quote = c;
        } else if (placeholder && !afterNumber) {
            inNumber = true;
            p.hasDigits = true;
            if (inDecimals) {
                ++p.maxDecimals;
                if (c == QLatin1Char('0'))
                    p.minDecimals = p.maxDecimals;
            } else if (c == QLatin1Char('0')) {
                ++p.minIntegerDigits;
            }
        } else if (c == QLatin1Char('.') && !afterNumber && !inDecimals) {
            inNumber = true;
            inDecimals = true;
        } else if (c == QLatin1Char(',') && inNumber && !inDecimals && !afterNumber) {
            p.thousands = true;
        } else {
            if (inNumber)
                afterNumber = true;
            (afterNumber ? p.suffix : p.prefix) += c;
        }
    }
    return p;
}

QString render(const Picture &p, double magnitude, QChar dec, QChar thou)
{
    QString digits = QString::number(magnitude, 'f', p.maxDecimals);
    QString integer = digits.section(QLatin1Char('.'), 0, 0);
    QString fraction = p.maxDecimals > 0 ? digits.section(QLatin1Char('.'), 1, 1) : QString();
    while (fraction.size() > p.minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QLatin1String("0") && p.minIntegerDigits == 0)
        integer.clear();
    while (integer.size() < p.minIntegerDigits)
        integer.prepend(QLatin1Char('0'));
    if (p.thousands) {
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, thou);
    }
    QString number = integer;
    if (!fraction.isEmpty())
        number += dec + fraction;
    return p.prefix + number + p.suffix;
}

} // namespace

QString formatFloat(const QString &format, double value, QChar dec, QChar thou)
{
    if (format.isEmpty())
        return formatGeneral(value, 15, dec);
    const QStringList parts = sections(format);
    const bool negative = value < 0;
    QString section = parts.value(0);
    bool signInSection = false;
    if (value == 0 && parts.size() >= 3 && !parts[2].isEmpty()) {
        section = parts[2];
    } else if (negative && parts.size() >= 2 && !parts[1].isEmpty()) {
        section = parts[1];
        signInSection = true;
    }
    const Picture p = parse(section);
    if (!p.hasDigits)
        return p.prefix + p.suffix;
    const double magnitude = std::fabs(value);
    QString text = render(p, magnitude, dec, thou);
    // A negative value that rounds to zero shows without a sign.
    const QString zero = render(p, 0.0, dec, thou);
    if (negative && !signInSection && text != zero)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString formatGeneral(double value, int precision, QChar dec)
{
    if (std::isnan(value) || std::isinf(value))
        return QString::number(value);
    QString text = QString::number(value, 'g', precision > 0 ? precision : 15);
    if (text.contains(QLatin1Char('e'))) {
        text.replace(QLatin1Char('e'), QLatin1Char('E'));
    }
    text.replace(QLatin1Char('.'), dec);
    return text;
}

} // namespace tk
