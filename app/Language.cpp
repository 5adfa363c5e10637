#include "app/Language.h"

#include "app/Config.h"
#include "app/Version.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"
#include "util/Ansi.h"

#include <QDir>
#include <QFile>

QString LangText(int number)
{
    return tk::langText(number);
}

QString LangTextOr(int number, const char *fallback)
{
    const QString text = LangText(number);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

QString languageFileForCountry(int countryCode)
{
    switch (countryCode) {
    case 41:
    case 43:
    case 49:
    case 352:
        return QStringLiteral("QorvaGER.lng");
    default:
        return QStringLiteral("QorvaENG.lng");
    }
}

void ChooseLanguage(Config &cfg)
{
    const QString configured = fromAnsi(cfg.profile().readString("Setup", "Language", ""));
    if (!configured.isEmpty()) {
        cfg.Language = configured.left(ConfigWidth::kLanguage);
        return;
    }
    cfg.Language = languageFileForCountry(platform::SystemInfo::countryCode());
}

QString languageLoadErrorText(const QString &fileName)
{
    return QStringLiteral("Error opening the language file %1.\n"
                          "Please redefine the configuration data by hand\n"
                          "or download the program package again from https://tessaron.example.org/download.")
        .arg(fileName);
}

QString languageFilePath(const QString &programDir, const QString &fileName)
{
    // Names written on Windows may differ from the file's in letter case.
    const QDir dir(programDir);
    if (dir.exists(fileName))
        return dir.filePath(fileName);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    return dir.filePath(fileName);
}

bool LoadLanguage(const Config &cfg)
{
    QFile file(languageFilePath(cfg.shareDir(), cfg.Language));
    if (!file.open(QIODevice::ReadOnly)) {
        tk::MessageBox::error(nullptr, languageLoadErrorText(cfg.Language));
        return false;
    }
    tk::Language::current().load(file.readAll());
    return true;
}

void CheckLanguageVersion(const Config &cfg)
{
    const QByteArray version = tk::Language::current().rawText(-1);
    if (version.compare(QByteArray(kProgramVersion)) >= 0)
        return;
    platform::Profile ini = cfg.profile();
    const QByteArray warned = QByteArray::fromStdString(ini.readString("Setup", "LngWarn", ""));
    if (warned.compare(version) >= 0)
        return;
    ini.writeString("Setup", "LngWarn", version.toStdString());
    tk::MessageBox::warning(nullptr, QStringLiteral("Your language file might be of an incorrect version."));
}
