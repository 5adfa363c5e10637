// Format settings from the locale. Qt's locale patterns may name months or
// time zones; we keep only the numeric parts so that dates round-trip through
// xBase text and the date helpers.
#include "platform/FormatSettings.h"

#include <QLocale>
#include <QRegularExpression>

namespace platform {

namespace {

QString numericDatePattern(QString pattern)
{
    pattern.replace(QRegularExpression(QStringLiteral("M{3,}")), QStringLiteral("MM"));
    pattern.replace(QRegularExpression(QStringLiteral("d{3,}")), QStringLiteral("dd"));
    pattern.replace(QRegularExpression(QStringLiteral("y{3,}")), QStringLiteral("yyyy"));
    // Weekday names and free text in quotes have no numeric form.
    pattern.remove(QRegularExpression(QStringLiteral("'[^']*'")));
    return pattern.trimmed();
}

QString numericTimePattern(QString pattern)
{
    pattern.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    pattern.remove(QRegularExpression(QStringLiteral("\\s*[aA][pP]?")));
    pattern.replace(QRegularExpression(QStringLiteral("\\bh\\b")), QStringLiteral("hh"));
    pattern.replace(QRegularExpression(QStringLiteral("\\bH+\\b")), QStringLiteral("hh"));
    return pattern.trimmed();
}

QChar firstSeparator(const QString &pattern, QChar fallback)
{
    for (QChar c : pattern) {
        if (!c.isLetter())
            return c;
    }
    return fallback;
}

bool hasAllDateFields(const QString &p)
{
    return p.contains(QLatin1Char('d')) && p.contains(QLatin1Char('M')) && p.contains(QLatin1Char('y'));
}

} // namespace

FormatSettings FormatSettings::fromLocaleName(const QString &localeName)
{
    FormatSettings fs;
    QString name = localeName.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX")) {
        fs.decimalSeparator = QLatin1Char('.');
        fs.thousandSeparator = QLatin1Char(',');
        return fs;
    }
    const QLocale locale(name);
    QString date = numericDatePattern(locale.dateFormat(QLocale::ShortFormat));
    if (hasAllDateFields(date)) {
        fs.shortDateFormat = date;
        fs.dateSeparator = firstSeparator(date, QLatin1Char('.'));
    }
    const QString time = numericTimePattern(locale.timeFormat(QLocale::LongFormat));
    if (time.contains(QLatin1Char('h')) && time.contains(QLatin1Char('m'))) {
        fs.longTimeFormat = time;
        if (!time.contains(QLatin1Char('s')))
            fs.longTimeFormat += firstSeparator(time, QLatin1Char(':')) + QStringLiteral("ss");
        fs.timeSeparator = firstSeparator(time, QLatin1Char(':'));
    }
    fs.decimalSeparator = locale.decimalPoint().at(0);
    fs.thousandSeparator = locale.groupSeparator().isEmpty() ? QLatin1Char(' ') : locale.groupSeparator().at(0);
    return fs;
}

FormatSettings FormatSettings::fromEnvironment(const std::function<QString(const char *)> &variable)
{
    // Each category asks LC_ALL, then its own variable, then LANG.
    auto localeOf = [&](const char *category) {
        for (const char *var : {"LC_ALL", category, "LANG"}) {
            const QString value = variable(var);
            if (!value.isEmpty())
                return value;
        }
        return QStringLiteral("C");
    };
    FormatSettings fs = fromLocaleName(localeOf("LC_TIME"));
    const FormatSettings numbers = fromLocaleName(localeOf("LC_NUMERIC"));
    fs.decimalSeparator = numbers.decimalSeparator;
    fs.thousandSeparator = numbers.thousandSeparator;
    return fs;
}

FormatSettings &FormatSettings::current()
{
    static FormatSettings settings =
        fromEnvironment([](const char *name) { return qEnvironmentVariable(name); });
    return settings;
}

void FormatSettings::setCentury(bool on)
{
    QString pattern = shortDateFormat;
    pattern.replace(QRegularExpression(QStringLiteral("y+")), on ? QStringLiteral("yyyy") : QStringLiteral("yy"));
    shortDateFormat = pattern;
}

} // namespace platform
