// Number display formats in the classic picture style: '0' a digit always
// shown, '#' a digit shown when significant, ',' in the integer part
// switches on thousands separators, '.' the decimal separator; up to three
// sections separated by ';' for positive, negative and zero values; any
// other character (or text in quotes) is copied. "###,###" shows 1234567
// as "1.234.567" in German and 0 as an empty text.
#pragma once

#include <QChar>
#include <QString>

namespace tk {

QString formatFloat(const QString &format, double value, QChar decimalSeparator, QChar thousandSeparator);

// The general form: at most `precision` significant digits, no thousands
// separators, no trailing zeros.
QString formatGeneral(double value, int precision, QChar decimalSeparator);

} // namespace tk
