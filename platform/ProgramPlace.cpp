#include "platform/ProgramPlace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <unistd.h>

#ifndef TESSARON_SHARE_RELATIVE
#define TESSARON_SHARE_RELATIVE "../share/tessaron"
#endif

namespace platform {

namespace {

QString clean(const QString &path)
{
    QString p = QDir::cleanPath(QDir(path).absolutePath());
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

} // namespace

QString ProgramPlace::installedShareDir(const QString &executableDir)
{
    return clean(executableDir + QLatin1Char('/') + QStringLiteral(TESSARON_SHARE_RELATIVE));
}

bool ProgramPlace::holdsLanguageFiles(const QString &dir)
{
    // Name filters match without regard to case: copies made on other
    // systems may have changed it.
    QDir d(dir, QStringLiteral("Qorva*.lng"), QDir::NoSort, QDir::Files | QDir::Readable);
    return !d.entryList().isEmpty();
}

ProgramPlace ProgramPlace::decide(const Facts &facts)
{
    ProgramPlace place;
    if (!facts.homeOverride.isEmpty()) {
        place.home = clean(facts.homeOverride);
        place.shareDir = place.home;
        return place;
    }
    const QString exe = clean(facts.executableDir);
    const QString share = installedShareDir(exe);
    const bool installedLayout = !holdsLanguageFiles(exe) && holdsLanguageFiles(share);
    if (facts.executableDirWritable && !installedLayout) {
        place.home = exe;
        place.shareDir = exe;
        return place;
    }
    place.installed = true;
    const QString dataHome = facts.dataHome.isEmpty() || !QDir::isAbsolutePath(facts.dataHome)
        ? facts.userHome + QStringLiteral("/.local/share")
        : facts.dataHome;
    place.home = clean(dataHome + QStringLiteral("/tessaron"));
    place.shareDir = holdsLanguageFiles(share) ? share : exe;
    return place;
}

ProgramPlace::Facts ProgramPlace::currentFacts()
{
    Facts facts;
    facts.homeOverride = qEnvironmentVariable("TESSARON_HOME");
    if (QCoreApplication::instance())
        facts.executableDir = QCoreApplication::applicationDirPath();
    else
        facts.executableDir = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    facts.executableDirWritable = ::access(QFile::encodeName(facts.executableDir).constData(), W_OK) == 0;
    facts.dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    facts.userHome = QDir::homePath();
    return facts;
}

ProgramPlace ProgramPlace::current()
{
    ProgramPlace place = decide(currentFacts());
    if (!QDir().mkpath(place.home))
        throw std::runtime_error("Cannot create the folder " + QFile::encodeName(place.home).toStdString());
    return place;
}

} // namespace platform
