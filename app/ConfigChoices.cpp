#include "app/ConfigChoices.h"

#include "platform/Profile.h"
#include "util/Ansi.h"
#include "util/TextUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cerrno>

namespace {

constexpr char kSetup[] = "Setup";
constexpr char kUser[] = "User";
constexpr char kDefaultLanguage[] = "QorvaENG.lng";

// Writes key after key and remembers the first failure.
class Writer {
public:
    explicit Writer(const Config &cfg) : m_ini(cfg.profile()) {}

    void text(const char *section, const char *key, const QString &value) { raw(section, key, toAnsi(value)); }
    void number(const char *section, const char *key, int value) { raw(section, key, std::to_string(value)); }
    void flag(const char *section, const char *key, bool value) { raw(section, key, value ? "1" : "0"); }

    void raw(const char *section, const char *key, const std::string &value)
    {
        errno = 0;
        if (!m_ini.writeString(section, key, value) && m_error == 0)
            m_error = errno != 0 ? errno : EIO;
    }

    bool finish(int *error) const
    {
        if (error)
            *error = m_error;
        return m_error == 0;
    }

private:
    platform::Profile m_ini;
    int m_error = 0;
};

// The display name of a language file: the text between the opening bracket
// of its first line and the first closing one. Empty (not listed) when the
// first line does not begin with a bracket.
bool displayNameOf(const QString &path, QString *name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (!line.startsWith('['))
        return false;
    const qsizetype close = line.indexOf(']');
    const QByteArray inner = line.mid(1, close < 0 ? -1 : close - 1);
    *name = fromAnsi(std::string_view(inner.constData(), static_cast<std::size_t>(inner.size())));
    return true;
}

} // namespace

ConfigChoices ConfigChoices::fromRecord(const Config &cfg)
{
    ConfigChoices c;
    c.password = cfg.ZVPass;
    c.name = cfg.Name;
    c.adresse = cfg.Adresse;
    c.telefon = cfg.Telefon;
    c.email = cfg.email;
    c.zvData = cfg.ZVData;
    c.fileMan = cfg.FileMan;
    c.fileManN = cfg.FileManN;
    c.calculator = cfg.Calculator;
    c.openAtStart = {cfg.AOpen, cfg.TOpen, cfg.MOpen, cfg.DOpen, cfg.VOpen, cfg.BOpen};
    c.style97 = cfg.Style97;
    c.cdStatus = cfg.CDStatus;
    c.cdPlay = cfg.CDPlay;
    c.tapi = cfg.TAPI;
    c.comInit = cfg.COMInit;
    c.comPort = cfg.COMPort;
    c.dialMode = cfg.DialMode;
    c.mailTo = cfg.MailTo;
    c.xelLog = cfg.XELLog;
    c.plzAuto = cfg.PlzAuto;
    c.cddbTimeOut = cfg.CDDBTimeOut;
    return c;
}

void storeChoices(Config &cfg, const ConfigChoices &c)
{
    using namespace ConfigWidth;
    cfg.ZVPass = c.password.left(kPassword);
    cfg.Name = c.name.left(kName);
    cfg.Adresse = c.adresse.left(kAdresse);
    cfg.Telefon = c.telefon.left(kTelefon);
    cfg.Style97 = c.style97;
    cfg.PlzAuto = c.plzAuto;
    cfg.AOpen = c.openAtStart[static_cast<int>(Module::Addresses)];
    cfg.TOpen = c.openAtStart[static_cast<int>(Module::Appointments)];
    cfg.MOpen = c.openAtStart[static_cast<int>(Module::Music)];
    cfg.DOpen = c.openAtStart[static_cast<int>(Module::Diskettes)];
    cfg.VOpen = c.openAtStart[static_cast<int>(Module::Videos)];
    cfg.BOpen = c.openAtStart[static_cast<int>(Module::Books)];
    cfg.TAPI = c.tapi;
    cfg.email = c.email.left(kEmail);
    cfg.Calculator = c.calculator;
    cfg.CDStatus = c.cdStatus;
    cfg.CDPlay = c.cdPlay;
    cfg.CDDBTimeOut = c.cddbTimeOut;
    if (!c.tapi) {
        if (c.comPort >= 1 && c.comPort <= 4)
            cfg.COMPort = c.comPort;
        cfg.COMInit = c.comInit.left(kCOMInit);
        if (!c.dialMode.isEmpty())
            cfg.DialMode = c.dialMode.left(kDialMode);
    }
    cfg.MailTo = c.mailTo;
    cfg.XELLog = c.xelLog;
    cfg.FileMan = c.fileMan >= 1 && c.fileMan <= 3 ? c.fileMan : 4;
    cfg.FileManN = c.fileManN.left(kFileManN);
}

bool writeChoices(const Config &cfg, const ConfigChoices &c, int *error)
{
    Writer w(cfg);
    w.text(kUser, "Name", cfg.Name);
    w.text(kUser, "Adresse", cfg.Adresse);
    w.text(kUser, "Telefon", cfg.Telefon);
    w.text(kSetup, "ZVData", c.zvData);
    w.raw(kSetup, "ZVPass", storedPasswordOf(c.password));
    w.flag(kSetup, "97Style", cfg.Style97);
    w.flag(kUser, "PlzAuto", cfg.PlzAuto);
    w.flag(kUser, "AOpen", cfg.AOpen);
    w.flag(kUser, "TOpen", cfg.TOpen);
    w.flag(kUser, "MOpen", cfg.MOpen);
    w.flag(kUser, "DOpen", cfg.DOpen);
    w.flag(kUser, "VOpen", cfg.VOpen);
    w.flag(kUser, "BOpen", cfg.BOpen);
    w.flag(kUser, "TAPI", cfg.TAPI);
    w.text(kUser, "COMInit", cfg.COMInit);
    w.number(kUser, "COMPort", cfg.COMPort);
    w.text(kUser, "DialMode", cfg.DialMode);
    w.flag(kUser, "MailTo", cfg.MailTo);
    w.text(kUser, "email", cfg.email);
    w.number(kUser, "CDStatus", cfg.CDStatus);
    w.number(kUser, "CDDBTimeOut", cfg.CDDBTimeOut);
    w.flag(kUser, "XELLog", cfg.XELLog);
    w.number(kUser, "FileMan", cfg.FileMan);
    w.text(kUser, "FileManN", cfg.FileManN);
    w.flag(kUser, "Calculator", cfg.Calculator);
    w.number(kUser, "CDPlay", static_cast<int>(cfg.CDPlay));
    return w.finish(error);
}

bool dataDirectoryChanged(const Config &cfg, const ConfigChoices &choices)
{
    return choices.zvData != cfg.ZVData;
}

QStringList languageEntries(const QString &programDir)
{
    QStringList entries;
    const QDir dir(programDir);
    const QStringList files = dir.entryList({QStringLiteral("Qorva*.lng")}, QDir::Files | QDir::Readable);
    for (const QString &file : files) {
        QString name;
        if (displayNameOf(dir.filePath(file), &name))
            entries << PadRight(name, kLanguageNameWidth) + file.toUpper();
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return entries;
}

QString languageFileOfEntry(const QString &entry)
{
    return entry.mid(kLanguageNameWidth);
}

int languageIndex(const QStringList &entries, const QString &language)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (languageFileOfEntry(entries[i]) == language)
            return i;
    }
    return static_cast<int>(entries.size());
}

QString storedLanguage(const Config &cfg)
{
    return fromAnsi(cfg.profile().readString(kSetup, "Language", kDefaultLanguage));
}

bool writeLanguage(const Config &cfg, const QString &entry, int *error)
{
    Writer w(cfg);
    w.text(kSetup, "Language", languageFileOfEntry(entry));
    return w.finish(error);
}

QString fileManagerPreset(int choice)
{
    switch (choice) {
    case 1: return QString::fromLatin1(ConfigDefault::kFileManTree);
    case 2: return QString::fromLatin1(ConfigDefault::kFileManCommander);
    case 3: return QString::fromLatin1(ConfigDefault::kFileManDesktop);
    default: return QString();
    }
}

bool fileManagerExists(const QString &commandLine)
{
    const QString program = QProcess::splitCommand(commandLine).value(0);
    return !program.isEmpty() && QFileInfo(program).isFile();
}
