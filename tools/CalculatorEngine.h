// The adding machine behind the calculator window: keys in, display text and
// paper-tape lines out. It owns no widgets, so every rule can be exercised
// without a display; the window only forwards key codes and shows the state.
#pragma once

#include "platform/FormatSettings.h"

#include <QString>
#include <QStringList>

namespace tools {

class CalculatorEngine {
public:
    // Key codes: the character a key types. The window's buttons send the same
    // codes, so a click and a key press take the same road.
    enum KeyCode : int {
        KeyUse = 1,
        KeyMC = 2,
        KeyMR = 3,
        KeyMPlus = 4,
        KeyMMinus = 5,
        KeyPrint = 7,
        KeyBackspace = 8,
        KeyOpt = 9,
        KeyC = 12,
        KeyQuit = 27,
        KeyPercent = '%',
        KeyTimes = '*',
        KeyPlus = '+',
        KeyMinus = '-',
        KeyDecimal = '.',
        KeyDiv = '/',
        KeyTotal = '=',
    };

    // What the window has to do after a key; the engine itself never closes
    // or prints anything.
    enum class Action { None, Print, Quit, Use };

    // Normal shows the display; EditDecimals shows the decimals editor in its
    // place; Information shows the contact labels. Opt cycles through them.
    enum class OptState { Normal, EditDecimals, Information };

    static constexpr int kDefaultDigits = 14;
    static constexpr int kDefaultDecimals = 2;
    static constexpr int kMaxDecimals = 7;

    // The window caption; also the first line of every tape.
    static const QString &caption();

    // Starts a fresh calculator: 14 digits, 2 decimals, memory 0, and a tape
    // holding the caption and the decimal pattern. Number texts use the
    // separators of `format`, copied at construction.
    explicit CalculatorEngine(const platform::FormatSettings &format = platform::FormatSettings::current());

    // Handles one key code. Codes that are no key of the calculator are
    // ignored (and do not count as the previous key). Returns what the window
    // must do next.
    Action press(int code);
    // True when `code` is one of the calculator's keys.
    static bool isKey(int code);

    // The display text: the shown value in the number format followed by one
    // blank, or "Error" after a division by zero or an overflow.
    QString displayText() const { return m_displayText; }
    // The number being typed, as typed (with the locale's separator).
    QString entry() const { return m_entry; }
    // Every tape line written since construction, oldest first.
    const QStringList &tape() const { return m_tape; }

    double memory() const { return m_memory; }
    // MR and MC are offered only while the memory holds something.
    bool memoryKeysVisible() const { return m_memory != 0.0; }

    int digits() const { return m_digits; }
    int decimals() const { return m_decimals; }
    OptState optState() const { return m_optState; }

    // The text of the decimals editor. Opt fills it with the current number of
    // decimals when the editor opens; the window passes every edit back here,
    // and the next Opt takes it over when it is a number from 0 to 7.
    QString decimalsText() const { return m_decimalsText; }
    void setDecimalsText(const QString &text) { m_decimalsText = text; }

    // "xxxxxxxxxxx.xx" for 14 digits and 2 decimals; all "x" for 0 decimals.
    QString decimalPattern() const;

    // `value` in the number format: thousands separators, exactly `decimals`
    // decimals (rounded half away from zero), at most `digits` significant
    // digits; a value whose integer part needs more than `digits` digits comes
    // out in exponent notation (1,5E+15). No trailing blank. Non-finite
    // values give "Error".
    static QString formatValue(double value, int digits, int decimals, QChar decimalSeparator,
                               QChar thousandSeparator);

private:
    void reset();
    void showValue(double value);
    void tapeLine(const QString &text, bool withSeparator = false);
    double entryValue() const;

    void digitKey(QChar digit);
    void decimalKey();
    void backspaceKey();
    void operatorKey(int code);
    void percentKey();
    void clearKey();
    void memoryKey(int code);
    void optKey();

    QChar m_decimalSeparator;
    QChar m_thousandSeparator;

    QString m_entry;
    double m_operand = 0;
    double m_accumulator = 0;
    double m_lastOperand = 0;
    int m_pendingOp = ' ';
    double m_memory = 0;
    double m_shownValue = 0;
    QString m_displayText;
    int m_digits = kDefaultDigits;
    int m_decimals = kDefaultDecimals;
    bool m_decimalMode = false;
    int m_decimalCount = 0;
    int m_prevKey = ' ';
    OptState m_optState = OptState::Normal;
    QString m_decimalsText;
    QStringList m_tape;
};

} // namespace tools
