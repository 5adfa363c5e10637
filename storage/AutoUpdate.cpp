// Applying an update package described by UpDate.INI.
#include "storage/AutoUpdate.h"

#include "platform/Profile.h"
#include "storage/DatabaseMaintenance.h"
#include "storage/DatabaseSchema.h"
#include "storage/MaintenanceView.h"
#include "util/Ansi.h"
#include "util/FileUtil.h"
#include "util/TextUtil.h"
#include "xbase/text/Dates.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <vector>

namespace {

constexpr char kUpdateIni[] = "UpDate.INI";
constexpr char kSetup[] = "Setup";
constexpr char kLastUpdate[] = "LastUpdate";
constexpr char kConfiguration[] = "Konfiguration";
constexpr char kThisUpdate[] = "ThisUpdate";
constexpr int kMaxFileName = 12;

platform::Profile profileAt(const QString &path)
{
    return platform::Profile(QFile::encodeName(path).toStdString());
}

std::optional<xb::Date> parse(const std::string &text, const QString &pattern)
{
    return xb::parseDate(AllTrim(text), pattern.toStdString());
}

struct Entry {
    QString code;
    QString name;
};

// "code,name": the code upper-cased, the name trimmed and cut to 12
// characters; nothing for an empty entry or one without a comma.
std::optional<Entry> parseEntry(const std::string &raw)
{
    const QString text = fromAnsi(raw).trimmed();
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma <= 0)
        return std::nullopt;
    Entry e{text.left(comma).trimmed().toUpper(), text.mid(comma + 1).trimmed().left(kMaxFileName)};
    if (e.name.isEmpty())
        return std::nullopt;
    return e;
}

std::vector<Entry> entries(const platform::Profile &ini, const char *section)
{
    std::vector<Entry> out;
    const int count = ini.readInt(section, "FileCount", 0);
    for (int i = 1; i <= count; ++i) {
        const std::string key = "File" + std::to_string(i);
        if (std::optional<Entry> e = parseEntry(ini.readString(section, key, "")))
            out.push_back(*e);
    }
    return out;
}

// The target path of `name` in `dir`: a file there whose name differs only
// in case, else a table file in the program's own spelling, else `name`.
QString targetPath(const QString &dir, const QString &name)
{
    const QString existing = schema::existingFile(dir, name);
    if (!existing.isEmpty())
        return existing;
    const QFileInfo info(name);
    if (schema::findTable(info.completeBaseName()))
        return dir + QLatin1Char('/') + schema::tableFile(info.completeBaseName(), info.suffix());
    return dir + QLatin1Char('/') + name;
}

} // namespace

AutoUpdate::AutoUpdate(const AutoUpdateSettings &settings, DatabaseMaintenance &maintenance,
                       MaintenancePrompt &prompt)
    : m_settings(settings), m_maintenance(maintenance), m_prompt(prompt)
{
    m_iniPath = schema::existingFile(m_settings.programDir, QString::fromLatin1(kUpdateIni));
    if (m_iniPath.isEmpty())
        m_iniPath = m_settings.programDir + QLatin1Char('/') + QString::fromLatin1(kUpdateIni);
}

QString AutoUpdate::updateIniPath() const
{
    return m_iniPath;
}

QString AutoUpdate::locationDir(const QString &code, bool convert) const
{
    if (convert) {
        if (code == QLatin1String("D"))
            return m_settings.dataDir;
        if (code == QLatin1String("T"))
            return m_settings.programDir + QStringLiteral("/Transfer");
        return QString();
    }
    if (code == QLatin1String("B"))
        return m_settings.programDir;
    if (code == QLatin1String("D"))
        return m_settings.dataDir;
    if (code == QLatin1String("W") || code == QLatin1String("Y"))
        return m_settings.systemDir;
    return QString();
}

void AutoUpdate::runCommand(const std::string &section, bool processEvents)
{
    const std::string command = AllTrim(profileAt(m_iniPath).readString(section, "Command", ""));
    if (command.empty())
        return;
    RunAndWait(fromAnsi(command), 1);
    if (processEvents)
        QCoreApplication::processEvents();
}

void AutoUpdate::deleteFiles()
{
    for (const Entry &e : entries(profileAt(m_iniPath), "Delete")) {
        const QString dir = locationDir(e.code, false);
        if (dir.isEmpty())
            continue;
        const QString path = schema::existingFile(dir, e.name);
        if (!path.isEmpty())
            DeleteToRecycleBin(path);
    }
}

void AutoUpdate::refreshFiles()
{
    const QString filesDir = m_settings.programDir + QStringLiteral("/FILES");
    for (const Entry &e : entries(profileAt(m_iniPath), "Refresh")) {
        const QString dir = locationDir(e.code, false);
        if (dir.isEmpty())
            continue;
        QString source = schema::existingFile(filesDir, e.name);
        if (source.isEmpty())
            source = filesDir + QLatin1Char('/') + e.name;
        try {
            CopyIfNewer(source, targetPath(dir, e.name), e.code != QLatin1String("Y"));
        } catch (const FileError &error) {
            m_prompt.show(MaintenanceMessage::UpdateFileFailed, {QString::fromLocal8Bit(error.what())});
        }
    }
}

bool AutoUpdate::convertTables()
{
    bool complete = true;
    for (const Entry &e : entries(profileAt(m_iniPath), "Convert")) {
        const QString dir = locationDir(e.code, true);
        if (!dir.isEmpty() && !m_maintenance.ConvertTable(dir, e.name))
            complete = false;
    }
    return complete;
}

AutoUpdate::Result AutoUpdate::run()
{
    const QString pattern = m_settings.shortDateFormat;
    const std::string zero = xb::formatDate(xb::Date{1899, 12, 30}, pattern.toStdString());
    platform::Profile tessaron = profileAt(m_settings.profilePath);
    const platform::Profile update = profileAt(m_iniPath);
    const std::string lastText = tessaron.readString(kSetup, kLastUpdate, zero);
    const std::string thisText = update.readString(kConfiguration, kThisUpdate, zero);
    const std::optional<xb::Date> last = parse(lastText, pattern);
    const std::optional<xb::Date> current = parse(thisText, pattern);
    if (!last || !current) {
        const bool lastBad = !last;
        m_prompt.show(MaintenanceMessage::UpdateDateInvalid,
                      {fromAnsi(lastBad ? lastText : thisText),
                       QDir::toNativeSeparators(lastBad ? m_settings.profilePath : m_iniPath)});
        return Result::NoUpdate;
    }
    if (xb::toSerial(*current) <= xb::toSerial(*last))
        return Result::NoUpdate;
    if (!m_prompt.show(MaintenanceMessage::UpdateQuestion, {}))
        return Result::Cancelled;

    runCommand("RunBefore", true);
    deleteFiles();
    refreshFiles();
    const bool complete = convertTables();
    runCommand("RunAfter", false);
    m_prompt.show(MaintenanceMessage::UpdateFinished, {});
    if (!complete) {
        m_prompt.show(MaintenanceMessage::UpdateIncomplete, {});
        return Result::Incomplete;
    }
    // The package's date as it is now (RunAfter may have replaced the file).
    const std::optional<xb::Date> stored =
        parse(profileAt(m_iniPath).readString(kConfiguration, kThisUpdate, "01.01.1990"), pattern);
    tessaron.writeString(kSetup, kLastUpdate, xb::formatDate(stored ? *stored : *current, pattern.toStdString()));
    return Result::Done;
}
