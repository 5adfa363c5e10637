#include "platform/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <sys/statvfs.h>
#include <sys/utsname.h>

namespace platform {

namespace {

QString xdg(const char *var, const QString &fallback)
{
    const QString value = qEnvironmentVariable(var);
    return value.isEmpty() ? QDir::homePath() + fallback : value;
}

QString readText(const char *path)
{
    QFile file(QString::fromLatin1(path));
    // Files under /proc report no size; read them as a stream.
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The value of "key : value" lines (cpuinfo) or "key: value kB" (meminfo).
QString fieldOf(const QString &text, const QString &key)
{
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0 && line.left(colon).trimmed() == key)
            return line.mid(colon + 1).trimmed().toString();
    }
    return QString();
}

std::optional<uint64_t> kilobytes(const QString &meminfo, const char *key)
{
    const QString value = fieldOf(meminfo, QString::fromLatin1(key));
    bool ok = false;
    const qulonglong kb = value.section(QLatin1Char(' '), 0, 0).toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return static_cast<uint64_t>(kb) * 1024;
}

// /proc/mounts escapes blanks and a few other bytes as octal "\ooo".
QString unescapeMount(const QString &field)
{
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('\\') && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
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

void SystemInfo::readKernelRelease(SystemFacts &facts, const QString &release)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = pattern.match(release.trimmed());
    facts.haveKernel = m.hasMatch();
    if (!facts.haveKernel)
        return;
    facts.kernelMajor = m.captured(1).toInt();
    facts.kernelMinor = m.captured(2).toInt();
    facts.kernelBuild = m.captured(3).toInt() & 0xFFFF;
}

void SystemInfo::readCpuInfo(SystemFacts &facts, const QString &cpuinfo, const QString &machine)
{
    int count = 0;
    for (const QStringView line : QStringView(cpuinfo).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("processor")) && line.contains(QLatin1Char(':')))
            ++count;
    }
    facts.processorCount = count > 0 ? count : QThread::idealThreadCount();
    facts.processorModel = fieldOf(cpuinfo, QStringLiteral("model name"));
    if (facts.processorModel.isEmpty())
        facts.processorModel = machine;
    const QString family = fieldOf(cpuinfo, QStringLiteral("cpu family"));
    const QString model = fieldOf(cpuinfo, QStringLiteral("model"));
    facts.processorLevel = machine;
    if (!family.isEmpty()) {
        facts.processorLevel = (machine.isEmpty() ? QString() : machine + QStringLiteral(", "))
            + QStringLiteral("family ") + family + (model.isEmpty() ? QString() : QStringLiteral(", model ") + model);
    }
}

void SystemInfo::readMemInfo(SystemFacts &facts, const QString &meminfo)
{
    facts.memoryTotal = kilobytes(meminfo, "MemTotal");
    facts.memoryAvailable = kilobytes(meminfo, "MemAvailable");
    if (!facts.memoryAvailable)
        facts.memoryAvailable = kilobytes(meminfo, "MemFree");
    facts.swapTotal = kilobytes(meminfo, "SwapTotal");
    facts.swapFree = kilobytes(meminfo, "SwapFree");
    facts.virtualTotal = kilobytes(meminfo, "CommitLimit");
    const auto committed = kilobytes(meminfo, "Committed_AS");
    if (facts.virtualTotal && committed)
        facts.virtualAvailable = *committed < *facts.virtualTotal ? *facts.virtualTotal - *committed : 0;
}

void SystemInfo::readMounts(SystemFacts &facts, const QString &mounts)
{
    facts.disks.clear();
    QStringList points{QStringLiteral("/")};
    QSet<QString> devices;
    for (const QString &line : mounts.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '));
        if (fields.size() < 2)
            continue;
        const QString device = unescapeMount(fields[0]);
        const QString point = unescapeMount(fields[1]);
        if (point == QLatin1String("/")) {
            devices.insert(device);
            continue;
        }
        if (!device.startsWith(QLatin1String("/dev/")) || devices.contains(device))
            continue;
        devices.insert(device);
        points << point;
    }
    for (const QString &point : points) {
        struct statvfs st {};
        if (::statvfs(QFile::encodeName(point).constData(), &st) != 0)
            continue;
        facts.disks.append({point, static_cast<uint64_t>(st.f_bavail) * st.f_frsize});
    }
}

SystemFacts SystemInfo::facts()
{
    SystemFacts f;
    struct utsname names {};
    QString machine;
    QString system = QStringLiteral("Linux");
    if (::uname(&names) == 0) {
        readKernelRelease(f, QString::fromLocal8Bit(names.release));
        machine = QString::fromLocal8Bit(names.machine);
        system = QString::fromLocal8Bit(names.sysname);
    }
    QString distribution = fieldOf(readText("/etc/os-release").replace(QLatin1Char('='), QLatin1Char(':')),
                                   QStringLiteral("PRETTY_NAME"));
    distribution.remove(QLatin1Char('"'));
    f.platformName = distribution.isEmpty() ? system : system + QStringLiteral(", ") + distribution;
    readCpuInfo(f, readText("/proc/cpuinfo"), machine);
    readMemInfo(f, readText("/proc/meminfo"));
    readMounts(f, readText("/proc/mounts"));
    return f;
}

} // namespace platform
