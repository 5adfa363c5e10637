#include "platform/DesktopHandler.h"

#include "platform/Profile.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace platform {

QString DesktopHandler::commandOfDesktopFile(const QString &path)
{
    const Profile entry(QFile::encodeName(path).toStdString());
    QString exec = QString::fromUtf8(entry.readString("Desktop Entry", "Exec", ""));
    if (exec.isEmpty())
        return QString();
    exec.replace(QRegularExpression(QStringLiteral("%[uUfF]")), QStringLiteral("%1"));
    exec.remove(QRegularExpression(QStringLiteral("%[dDnNickvm]")));
    exec = exec.simplified();
    if (!exec.contains(QLatin1String("%1")))
        exec += QStringLiteral(" %1");
    return exec;
}

QString DesktopHandler::commandFor(const QString &scheme)
{
    const QString fallback = QStringLiteral("xdg-open %1");
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        return fallback;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(3000))
        return fallback;
    const QString desktopFile = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (desktopFile.isEmpty())
        return fallback;
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
    const QString command = path.isEmpty() ? QString() : commandOfDesktopFile(path);
    return command.isEmpty() ? fallback : command;
}

} // namespace platform
