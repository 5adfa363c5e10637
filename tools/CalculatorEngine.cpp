// The adding machine behind the calculator window: entry, running result,
// memory, percent, the options cycle and the paper tape.
#include "tools/CalculatorEngine.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdlib>

namespace tools {

namespace {

const QString kError = QStringLiteral("Error");

bool isOperator(int code)
{
    return code == CalculatorEngine::KeyPlus || code == CalculatorEngine::KeyMinus
        || code == CalculatorEngine::KeyTimes || code == CalculatorEngine::KeyDiv
        || code == CalculatorEngine::KeyTotal;
}

// Inserts the thousands separator into a run of integer digits.
QString groupThousands(const QString &digits, QChar separator)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits.at(i);
    }
    return out;
}

// `magnitude` in exponent notation with `precision` decimals, always with a
// point: the C library's formatting would follow the process locale.
QString scientific(double magnitude, int precision)
{
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, precision);
    return QString::fromLatin1(buf, int(result.ptr - buf));
}

QString exponentNotation(double magnitude, int digits, QChar decimalSeparator)
{
    QString text = scientific(magnitude, std::max(digits - 1, 0));
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(e);
    const int exponent = text.mid(e + 1).toInt();
    if (mantissa.contains(QLatin1Char('.'))) {
        while (mantissa.endsWith(QLatin1Char('0')))
            mantissa.chop(1);
        if (mantissa.endsWith(QLatin1Char('.')))
            mantissa.chop(1);
    }
    mantissa.replace(QLatin1Char('.'), decimalSeparator);
    return mantissa + QStringLiteral("E%1%2").arg(exponent < 0 ? QStringLiteral("-") : QStringLiteral("+")).arg(std::abs(exponent));
}

} // namespace

const QString &CalculatorEngine::caption()
{
    static const QString text = QStringLiteral("Calculator");
    return text;
}

CalculatorEngine::CalculatorEngine(const platform::FormatSettings &format)
    : m_decimalSeparator(format.decimalSeparator)
    , m_thousandSeparator(format.thousandSeparator)
{
    reset();
    tapeLine(caption());
    tapeLine(decimalPattern(), true);
}

bool CalculatorEngine::isKey(int code)
{
    if (code >= '0' && code <= '9')
        return true;
    switch (code) {
    case KeyUse: case KeyMC: case KeyMR: case KeyMPlus: case KeyMMinus: case KeyPrint:
    case KeyBackspace: case KeyOpt: case KeyC: case KeyQuit: case KeyPercent: case KeyTimes:
    case KeyPlus: case KeyMinus: case KeyDecimal: case KeyDiv: case KeyTotal:
        return true;
    default:
        return false;
    }
}

CalculatorEngine::Action CalculatorEngine::press(int code)
{
    if (!isKey(code))
        return Action::None;
    Action action = Action::None;
    if (code >= '0' && code <= '9')
        digitKey(QChar(code));
    else if (isOperator(code))
        operatorKey(code);
    else {
        switch (code) {
        case KeyDecimal: decimalKey(); break;
        case KeyBackspace: backspaceKey(); break;
        case KeyPercent: percentKey(); break;
        case KeyC: clearKey(); break;
        case KeyMC: case KeyMR: case KeyMPlus: case KeyMMinus: memoryKey(code); break;
        case KeyOpt: optKey(); break;
        case KeyPrint: action = Action::Print; break;
        case KeyQuit: action = Action::Quit; break;
        case KeyUse: action = Action::Use; break;
        default: break;
        }
    }
    m_prevKey = code;
    return action;
}

QString CalculatorEngine::decimalPattern() const
{
    if (m_decimals == 0)
        return QString(m_digits, QLatin1Char('x'));
    return QString(std::max(m_digits - m_decimals - 1, 0), QLatin1Char('x')) + QLatin1Char('.')
        + QString(m_decimals, QLatin1Char('x'));
}

QString CalculatorEngine::formatValue(double value, int digits, int decimals, QChar decimalSeparator,
                                      QChar thousandSeparator)
{
    if (!std::isfinite(value))
        return kError;
    const double magnitude = std::fabs(value);

    // Fifteen significant decimal digits are all a double reliably holds;
    // rounding from them keeps 0.1 + 0.2 at 0.3 and 2.675 at 2.68.
    QString mantissa(QStringLiteral("0"));
    int intDigits = 1; // digits before the point in 0.<mantissa> x 10^intDigits
    if (magnitude != 0.0) {
        const QString text = scientific(magnitude, 14);
        const qsizetype e = text.indexOf(QLatin1Char('e'));
        mantissa = text.left(e).remove(QLatin1Char('.'));
        intDigits = text.mid(e + 1).toInt() + 1;
    }

    int keep = std::min(digits, intDigits + decimals);
    QString kept;
    if (keep >= 0) {
        kept = mantissa.left(keep);
        if (keep < mantissa.size() && mantissa.at(keep) >= QLatin1Char('5')) {
            int i = int(kept.size()) - 1;
            while (i >= 0 && kept.at(i) == QLatin1Char('9'))
                kept[i--] = QLatin1Char('0');
            if (i >= 0)
                kept[i] = QChar(kept.at(i).unicode() + 1);
            else {
                kept.prepend(QLatin1Char('1'));
                ++intDigits;
            }
        }
    }
    if (intDigits > digits)
        return (value < 0 ? QStringLiteral("-") : QString()) + exponentNotation(magnitude, digits, decimalSeparator);

    auto digitAt = [&](int index) {
        return index >= 0 && index < kept.size() ? kept.at(index) : QLatin1Char('0');
    };
    QString integer;
    for (int i = 0; i < intDigits; ++i)
        integer += digitAt(i);
    if (integer.isEmpty())
        integer = QStringLiteral("0");
    QString fraction;
    for (int k = 0; k < decimals; ++k)
        fraction += digitAt(intDigits + k);

    bool zero = true;
    for (QChar c : kept)
        zero = zero && c == QLatin1Char('0');
    QString out = groupThousands(integer, thousandSeparator);
    if (decimals > 0)
        out += decimalSeparator + fraction;
    if (value < 0 && !zero)
        out.prepend(QLatin1Char('-'));
    return out;
}

void CalculatorEngine::reset()
{
    m_decimalMode = false;
    m_decimalCount = 0;
    m_pendingOp = ' ';
    m_shownValue = m_accumulator = m_operand = m_lastOperand = 0;
    showValue(0);
    m_entry.clear();
}

void CalculatorEngine::showValue(double value)
{
    m_shownValue = value;
    if (std::isfinite(value))
        m_displayText = formatValue(value, m_digits, m_decimals, m_decimalSeparator, m_thousandSeparator)
            + QLatin1Char(' ');
    else
        m_displayText = kError;
}

void CalculatorEngine::tapeLine(const QString &text, bool withSeparator)
{
    m_tape << text.rightJustified(m_digits, QLatin1Char(' '));
    if (withSeparator)
        m_tape << QString(m_digits, QLatin1Char('-'));
}

double CalculatorEngine::entryValue() const
{
    QString text = m_entry.trimmed();
    text.replace(m_decimalSeparator, QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    // A lone separator reads as nothing typed yet.
    return ok ? value : 0.0;
}

void CalculatorEngine::digitKey(QChar digit)
{
    const int count = m_decimalMode ? m_decimalCount + 1 : 0;
    // A digit that is not taken leaves the count alone, so that after
    // Backspace the place it would have taken can still be typed.
    if (count > m_decimals || m_entry.size() > m_digits)
        return;
    m_decimalCount = count;
    m_entry += digit;
    m_operand = entryValue();
    showValue(m_operand);
}

void CalculatorEngine::decimalKey()
{
    // A second separator would make the entry unreadable.
    if (m_entry.contains(m_decimalSeparator))
        return;
    m_decimalMode = true;
    m_decimalCount = 0;
    m_entry += m_decimalSeparator;
    m_operand = entryValue();
    showValue(m_operand);
}

void CalculatorEngine::backspaceKey()
{
    if (!m_entry.isEmpty()) {
        if (m_entry.endsWith(m_decimalSeparator))
            m_decimalMode = false;
        else if (m_decimalCount > 0)
            --m_decimalCount;
        m_entry.chop(1);
    }
    m_operand = m_entry.isEmpty() ? 0.0 : entryValue();
    showValue(m_operand);
}

void CalculatorEngine::operatorKey(int code)
{
    m_decimalMode = false;
    m_decimalCount = 0;
    if (isOperator(m_prevKey)) {
        // Pressing an operator twice repeats the last operand.
        m_operand = m_lastOperand;
        showValue(m_operand);
    }

    bool failed = false;
    switch (m_pendingOp) {
    case '+':
        tapeLine(m_displayText + QStringLiteral(" +"));
        m_accumulator += m_operand;
        break;
    case '-':
        tapeLine(m_displayText + QStringLiteral(" -"));
        m_accumulator -= m_operand;
        break;
    case '*':
        tapeLine(m_displayText + QStringLiteral(" *"));
        m_accumulator *= m_operand;
        break;
    case '/':
        tapeLine(m_displayText + QStringLiteral(" /"));
        if (m_operand != 0.0)
            m_accumulator /= m_operand;
        else {
            m_accumulator = 0;
            failed = true;
        }
        break;
    default:
        tapeLine(m_displayText + QStringLiteral("  "));
        m_accumulator = m_operand;
        break;
    }

    m_lastOperand = m_operand;
    m_operand = 0;
    m_entry.clear();
    m_pendingOp = code == KeyTotal ? ' ' : code;
    showValue(m_accumulator);
    if (failed)
        m_displayText = kError;
    if (code == KeyTotal)
        tapeLine(m_displayText + QStringLiteral(" ="), true);
}

void CalculatorEngine::percentKey()
{
    const double p = m_operand;
    m_decimalMode = false;
    m_decimalCount = 0;

    bool failed = false;
    switch (m_pendingOp) {
    case '*':
        tapeLine(m_displayText + QStringLiteral("%*"));
        m_accumulator = m_accumulator * p / 100;
        break;
    case '+':
        tapeLine(m_displayText + QStringLiteral("%+"));
        m_accumulator += m_accumulator * p / 100;
        break;
    case '-':
        tapeLine(m_displayText + QStringLiteral("%-"));
        m_accumulator -= m_accumulator * p / 100;
        break;
    case '/':
        tapeLine(m_displayText + QStringLiteral("%/"));
        if (p != 0.0)
            m_accumulator = m_accumulator / (p / 100);
        else {
            m_accumulator = 0;
            failed = true;
        }
        break;
    default:
        tapeLine(m_displayText + QStringLiteral("% "));
        m_accumulator = p;
        break;
    }

    m_pendingOp = ' ';
    m_entry = QStringLiteral(" ");
    showValue(m_accumulator);
    if (failed)
        m_displayText = kError;
    // The percent result becomes the operand of the next operation.
    m_lastOperand = p;
    m_operand = m_accumulator;
    m_accumulator = 0;
    tapeLine(m_displayText + QStringLiteral("%="), true);
}

void CalculatorEngine::clearKey()
{
    m_decimalMode = false;
    m_decimalCount = 0;
    if (m_prevKey == KeyC) {
        reset();
        tapeLine(QStringLiteral("C"), true);
    } else {
        m_operand = 0;
        m_entry.clear();
        showValue(0);
    }
}

void CalculatorEngine::memoryKey(int code)
{
    switch (code) {
    case KeyMC:
        tapeLine(QStringLiteral("MC"));
        m_memory = 0;
        return;
    case KeyMR:
        // The recalled value is what the next operator works with, as if it
        // had been typed.
        showValue(m_memory);
        tapeLine(m_displayText + QStringLiteral("MR"));
        m_operand = m_memory;
        m_entry.clear();
        m_decimalMode = false;
        m_decimalCount = 0;
        return;
    default:
        if (code == KeyMPlus)
            m_memory += m_shownValue;
        else
            m_memory -= m_shownValue;
        tapeLine(m_displayText + (code == KeyMPlus ? QStringLiteral("M+") : QStringLiteral("M-")));
        m_pendingOp = ' ';
        m_entry.clear();
        return;
    }
}

void CalculatorEngine::optKey()
{
    switch (m_optState) {
    case OptState::Normal:
        m_decimalsText = QString::number(m_decimals);
        m_optState = OptState::EditDecimals;
        break;
    case OptState::EditDecimals: {
        bool ok = false;
        const int n = m_decimalsText.trimmed().toInt(&ok);
        if (ok && n >= 0 && n <= kMaxDecimals && n != m_decimals) {
            m_decimals = n;
            if (m_displayText != kError)
                showValue(m_shownValue);
        }
        m_optState = OptState::Information;
        tapeLine(decimalPattern(), true);
        break;
    }
    case OptState::Information:
        m_optState = OptState::Normal;
        break;
    }
}

} // namespace tools
