// Reading and first-time writing of Tessaron.INI, and storing the CDDB
// server chosen in the reference-tables window.
#include "app/Config.h"

#include "platform/FormatSettings.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "util/Ansi.h"
#include "util/TextUtil.h"
#include "xbase/text/Dates.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <limits>
#include <utility>
#include <stdexcept>

namespace {

constexpr char kSetup[] = "Setup";
constexpr char kUser[] = "User";
constexpr char kHexMarker[] = "hex:";

QString cut(const QString &text, int width)
{
    return text.left(width);
}

QString readText(const platform::Profile &ini, const char *section, const char *key, const QString &fallback,
                 int width)
{
    return cut(fromAnsi(ini.readString(section, key, toAnsi(fallback))), width);
}

bool readBool(const platform::Profile &ini, const char *section, const char *key, bool fallback)
{
    return ini.readInt(section, key, fallback ? 1 : 0) != 0;
}

bool writeText(platform::Profile &ini, const char *section, const char *key, const QString &value)
{
    return ini.writeString(section, key, toAnsi(value));
}

// The keys of a new Tessaron.INI, in the order the file lists them.
bool writeFirstRunKeys(platform::Profile &ini, const QString &dataDir)
{
    return ini.writeString(kSetup, "Accessible", "1")
        && ini.writeString(kSetup, "Level", "9")
        && ini.writeString(kSetup, "ZVPass", encodeStoredPassword(storedPasswordOf(QString())))
        && writeText(ini, kSetup, "ZVData", dataDir)
        && ini.writeString(kSetup, "ZVTrans", "1")
        && writeText(ini, kSetup, "LastUpdateArc", zeroDateText())
        && ini.writeString(kSetup, "97Style", "1")
        && ini.writeString(kUser, "Name", ConfigDefault::kOwnerName)
        && ini.writeString(kUser, "Adresse", ConfigDefault::kOwnerAddress)
        && ini.writeString(kUser, "Telefon", ConfigDefault::kOwnerPhone)
        && ini.writeString(kUser, "PlzAuto", "1")
        && ini.writeString(kUser, "TAPI", "1")
        && ini.writeString(kUser, "COMInit", "ATX3")
        && ini.writeString(kUser, "COMPort", "2")
        && ini.writeString(kUser, "DialMode", "T")
        && ini.writeString(kUser, "MailTo", "1")
        && ini.writeString(kUser, "XELLog", "0")
        && ini.writeString(kUser, "FileMan", "3")
        && ini.writeString(kUser, "FileManN", ConfigDefault::kFileManDesktop);
}

bool unsafeInProfile(const std::string &value)
{
    if (value.empty())
        return false;
    if (value.rfind(kHexMarker, 0) == 0)
        return true;
    for (char c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    }
    auto edgeUnsafe = [](char c) { return c == ' ' || c == '"' || c == '\''; };
    return edgeUnsafe(value.front()) || edgeUnsafe(value.back()) || value.front() == ';'
        || value.front() == '[';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

CdPlayMode cdPlayModeOf(int stored)
{
    switch (stored) {
    case static_cast<int>(CdPlayMode::Analog): return CdPlayMode::Analog;
    case static_cast<int>(CdPlayMode::Digital): return CdPlayMode::Digital;
    default: return CdPlayMode::Automatic;
    }
}

QString dataDirectoryOf(const QString &configured, const QString &programDir)
{
    // Settings written on Windows or by hand: backslashes are separators, a
    // drive letter names the root of this file system, and a relative
    // folder lies in the program directory.
    QString path = configured.trimmed();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter() && path.at(0).unicode() < 128) {
        path.remove(0, 2);
        if (!path.startsWith(QLatin1Char('/')))
            path.prepend(QLatin1Char('/'));
    }
    if (path.isEmpty())
        return path;
    if (QDir::isRelativePath(path))
        path = programDir + QLatin1Char('/') + path;
    return QDir::cleanPath(path);
}

Config &config()
{
    static Config record;
    return record;
}

bool StoreCddbServer(Config &cfg, const QString &server, const QString &port, const QString &type,
                     const QString &cgi, int *error)
{
    using namespace ConfigWidth;
    cfg.CDDBServer = cut(server, kCDDBServer);
    cfg.CDDBPort = cut(port, kCDDBPort);
    cfg.CDDBType = cut(type, kCDDBType);
    cfg.CDDBcgi = cut(cgi, kCDDBcgi);
    platform::Profile ini = cfg.profile();
    int first = 0;
    for (const auto &[key, value] : {std::pair{"CDDBServer", cfg.CDDBServer}, std::pair{"CDDBPort", cfg.CDDBPort},
                                     std::pair{"CDDBType", cfg.CDDBType}, std::pair{"CDDBcgi", cfg.CDDBcgi}}) {
        errno = 0;
        if (!writeText(ini, kUser, key, value) && first == 0)
            first = errno != 0 ? errno : EIO;
    }
    if (error)
        *error = first;
    return first == 0;
}

QString Config::iniPath() const
{
    return ProgDir + QStringLiteral("/Tessaron.INI");
}

platform::Profile Config::profile() const
{
    return platform::Profile(QFile::encodeName(iniPath()).toStdString());
}

QString zeroDateText()
{
    const std::string pattern = platform::FormatSettings::current().shortDateFormat.toStdString();
    return QString::fromStdString(xb::formatDate(xb::Date{1899, 12, 30}, pattern));
}

std::string encodeStoredPassword(const std::string &scrambled)
{
    if (!unsafeInProfile(scrambled))
        return scrambled;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = kHexMarker;
    for (char c : scrambled) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string decodeStoredPassword(const std::string &stored)
{
    const std::size_t markerLength = sizeof(kHexMarker) - 1;
    if (stored.rfind(kHexMarker, 0) != 0 || (stored.size() - markerLength) % 2 != 0)
        return stored;
    std::string out;
    for (std::size_t i = markerLength; i < stored.size(); i += 2) {
        const int hi = hexValue(stored[i]);
        const int lo = hexValue(stored[i + 1]);
        if (hi < 0 || lo < 0)
            return stored;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string storedPasswordOf(const QString &password)
{
    return encodeStoredPassword(
        ScrambleText(toAnsi(password.left(ConfigWidth::kPassword)), ConfigDefault::kPasswordKey));
}

QString passwordOfStored(const std::string &stored)
{
    return fromAnsi(UnscrambleText(decodeStoredPassword(stored), ConfigDefault::kPasswordKey))
        .left(ConfigWidth::kPassword);
}

void LoadConfiguration(Config &cfg, const QString &programDir)
{
    using namespace ConfigWidth;
    cfg = Config();
    cfg.ProgDir = cut(StripTrailing(QLatin1Char('/'), programDir), kPath);
    if (cfg.ProgDir.isEmpty())
        cfg.ProgDir = QStringLiteral("/");
    platform::Profile ini = cfg.profile();

    const QString defaultData = cut(cfg.ProgDir + QStringLiteral("/DATA"), kPath);
    cfg.ZVTrans = true;
    cfg.WinDir = cut(platform::SystemInfo::windowsDirectory(), kSystemDir);
    cfg.SysDir = cut(platform::SystemInfo::systemDirectory(), kSystemDir);

    if (!ini.exists())
        cfg.IniWriteFailed = !writeFirstRunKeys(ini, defaultData);

    cfg.ZVPass = passwordOfStored(ini.readString(kSetup, "ZVPass", ""));
    cfg.ZVData = cut(dataDirectoryOf(readText(ini, kSetup, "ZVData", defaultData, kPath), cfg.ProgDir), kPath);
    if (cfg.ZVData.isEmpty())
        cfg.ZVData = defaultData;
    cfg.ZVTrans = readBool(ini, kSetup, "ZVTrans", true);
    cfg.LastUpdateArc = readText(ini, kSetup, "LastUpdateArc", zeroDateText(), kLastUpdateArc);
    cfg.Style97 = readBool(ini, kSetup, "97Style", true);
    cfg.Language = readText(ini, kSetup, "Language", QString(), kLanguage);

    cfg.Name = readText(ini, kUser, "Name", QString(), kName);
    cfg.Adresse = readText(ini, kUser, "Adresse", QString(), kAdresse);
    cfg.Telefon = readText(ini, kUser, "Telefon", QString(), kTelefon);
    cfg.PlzAuto = readBool(ini, kUser, "PlzAuto", true);
    cfg.AOpen = readBool(ini, kUser, "AOpen", false);
    cfg.TOpen = readBool(ini, kUser, "TOpen", false);
    cfg.MOpen = readBool(ini, kUser, "MOpen", false);
    cfg.DOpen = readBool(ini, kUser, "DOpen", false);
    cfg.VOpen = readBool(ini, kUser, "VOpen", false);
    cfg.BOpen = readBool(ini, kUser, "BOpen", false);
    cfg.TAPI = readBool(ini, kUser, "TAPI", true);
    cfg.COMInit = readText(ini, kUser, "COMInit", QStringLiteral("ATX3"), kCOMInit);
    cfg.COMPort = ini.readInt(kUser, "COMPort", 2);
    cfg.DialMode = readText(ini, kUser, "DialMode", QStringLiteral("T "), kDialMode);
    cfg.MailTo = readBool(ini, kUser, "MailTo", true);
    cfg.email = readText(ini, kUser, "email", QString::fromLatin1(ConfigDefault::kEmail), kEmail);
    cfg.CDDBServer = readText(ini, kUser, "CDDBServer", QString::fromLatin1(ConfigDefault::kCDDBServer), kCDDBServer);
    cfg.CDDBPort = readText(ini, kUser, "CDDBPort", QStringLiteral("80"), kCDDBPort);
    cfg.CDDBType = readText(ini, kUser, "CDDBType", QStringLiteral("http"), kCDDBType);
    cfg.CDDBcgi = readText(ini, kUser, "CDDBcgi", QStringLiteral("/~cddb/cddb.cgi"), kCDDBcgi);
    cfg.CDDBTimeOut = ini.readInt(kUser, "CDDBTimeOut", 45);
    cfg.CDStatus = ini.readInt(kUser, "CDStatus", 0);
    cfg.XELLog = readBool(ini, kUser, "XELLog", false);
    cfg.FileMan = ini.readInt(kUser, "FileMan", 3);
    cfg.FileManN = readText(ini, kUser, "FileManN", QString::fromLatin1(ConfigDefault::kFileManDesktop), kFileManN);
    cfg.Calculator = readBool(ini, kUser, "Calculator", false);
    cfg.CDPlay = cdPlayModeOf(ini.readInt(kUser, "CDPlay", static_cast<int>(CdPlayMode::Automatic)));

    cfg.ZVCalls = ini.readInt(kUser, "ZVCalls", 0);
    // The count stops at the largest number the key holds.
    const int calls = cfg.ZVCalls < std::numeric_limits<int>::max() ? cfg.ZVCalls + 1 : cfg.ZVCalls;
    if (!ini.writeInt(kUser, "ZVCalls", calls))
        cfg.IniWriteFailed = true;

    cfg.AccessGranted = cfg.ZVPass.isEmpty();

    if (!QDir().mkpath(cfg.ZVData))
        throw std::runtime_error(QStringLiteral("Cannot create the data directory %1").arg(cfg.ZVData).toStdString());

    cfg.SortOrder.fill(1);
    cfg.Filter.fill(QStringLiteral(".T."));
}

void AppendLog(const QString &entry, bool besideProgram)
{
    const QString path = besideProgram ? config().ProgDir + QStringLiteral("/Tessaron.LOG")
                                       : QDir::currentPath() + QStringLiteral("/Tessaron.LOG");
    const platform::FormatSettings &fs = platform::FormatSettings::current();
    const QDateTime now = QDateTime::currentDateTime();
    const std::string date = xb::formatDate(xb::Date{now.date().year(), now.date().month(), now.date().day()},
                                            fs.shortDateFormat.toStdString());
    const QString line = QString::fromStdString(date) + QLatin1Char(' ') + now.time().toString(fs.longTimeFormat)
        + entry + QStringLiteral("\r\n");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw std::runtime_error(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()).toStdString());
    const std::string bytes = toAnsi(line);
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        throw std::runtime_error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()).toStdString());
}
