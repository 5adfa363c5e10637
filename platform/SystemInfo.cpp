#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace platform {

namespace {

QString xdg(const char *var, const QString &fallback)
{
    const QString value = qEnvironmentVariable(var);
    return value.isEmpty() ? QDir::homePath() + fallback : value;
}

} // namespace

QString SystemInfo::windowsDirectory()
{
    return xdg("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/Tessaron");
}

QString SystemInfo::systemDirectory()
{
    return xdg("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/Tessaron/lib");
}

int SystemInfo::countryCodeOf(const QString &localeName)
{
    // Territory part of "ll_TT.codeset@modifier".
    const QString name = localeName.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    const QString territory = name.section(QLatin1Char('_'), 1, 1).toUpper();
    static const QHash<QString, int> kCodes = {
        {QStringLiteral("DE"), 49},  {QStringLiteral("AT"), 43},  {QStringLiteral("CH"), 41},
        {QStringLiteral("LU"), 352}, {QStringLiteral("LI"), 423}, {QStringLiteral("US"), 1},
        {QStringLiteral("CA"), 2},   {QStringLiteral("GB"), 44},  {QStringLiteral("IE"), 353},
        {QStringLiteral("FR"), 33},  {QStringLiteral("BE"), 32},  {QStringLiteral("NL"), 31},
        {QStringLiteral("IT"), 39},  {QStringLiteral("ES"), 34},  {QStringLiteral("PT"), 351},
        {QStringLiteral("DK"), 45},  {QStringLiteral("SE"), 46},  {QStringLiteral("NO"), 47},
        {QStringLiteral("FI"), 358}, {QStringLiteral("PL"), 48},  {QStringLiteral("CZ"), 420},
        {QStringLiteral("HU"), 36},  {QStringLiteral("AU"), 61},  {QStringLiteral("NZ"), 64},
        {QStringLiteral("JP"), 81},  {QStringLiteral("RU"), 7},   {QStringLiteral("BR"), 55},
    };
    return kCodes.value(territory, 0);
}

int SystemInfo::countryCode()
{
    for (const char *var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(var);
        if (!value.isEmpty())
            return countryCodeOf(value);
    }
    return 0;
}

} // namespace platform
