// The process-wide date, time and number formats.
//
// One object holds what the rest of the program calls "the system's short
// date format" and friends. It starts from the user's locale; the table layer
// may switch the short date to four-digit years (its century mode) and every
// later formatting follows. Patterns are numeric only (d, dd, M, MM, yy, yyyy;
// h, hh, m, mm, s, ss for times).
#pragma once

#include <QString>

#include <functional>

namespace platform {

struct FormatSettings {
    QString shortDateFormat = QStringLiteral("dd.MM.yyyy");
    QChar dateSeparator = QLatin1Char('.');
    QString longTimeFormat = QStringLiteral("hh:mm:ss");
    QChar timeSeparator = QLatin1Char(':');
    QChar decimalSeparator = QLatin1Char(',');
    QChar thousandSeparator = QLatin1Char('.');

    // Settings derived from a locale name such as "de_DE.UTF-8"; "C" and
    // "POSIX" give dd.MM.yyyy with "." and a decimal point.
    static FormatSettings fromLocaleName(const QString &localeName);

    // Settings from locale variables: dates and times by LC_ALL, LC_TIME,
    // LANG; the separators of numbers by LC_ALL, LC_NUMERIC, LANG (the first
    // one set wins). `variable` gives a variable's value, empty when unset.
    static FormatSettings fromEnvironment(const std::function<QString(const char *)> &variable);

    // The process-wide settings, initialised from the environment on first
    // use (fromEnvironment).
    static FormatSettings &current();

    // Rewrites the year of the short date format to four digits (century on)
    // or two digits (off), keeping order and separators.
    void setCentury(bool on);
};

} // namespace platform
