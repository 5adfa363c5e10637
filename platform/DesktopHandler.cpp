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

QStringList DesktopHandler::argumentsFor(const QString &command, const QString &link)
{
    QStringList words = QProcess::splitCommand(command.trimmed());
    if (words.isEmpty())
        return {};
    bool placed = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const qsizetype at = words[i].indexOf(QLatin1String("%1"));
        if (at >= 0 && !placed) {
            words[i].replace(at, 2, link);
            placed = true;
        }
    }
    if (!placed)
        words << link;
    return words;
}

bool DesktopHandler::start(const QString &command, const QString &link)
{
    const QStringList words = argumentsFor(command, link);
    if (words.isEmpty())
        return false;
    return QProcess::startDetached(words.first(), words.mid(1));
}

QString DesktopHandler::registeredCommandFor(const QString &scheme)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        return QString();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
    if (!query.waitForFinished(3000))
        return QString();
    const QString desktopFile = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (desktopFile.isEmpty())
        return QString();
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopFile);
    return path.isEmpty() ? QString() : commandOfDesktopFile(path);
}

QString DesktopHandler::commandFor(const QString &scheme)
{
    const QString command = registeredCommandFor(scheme);
    return command.isEmpty() ? QStringLiteral("xdg-open %1") : command;
}

} // namespace platform
