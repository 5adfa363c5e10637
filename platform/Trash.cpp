#include "platform/Trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

QString Trash::trashDirectory()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Trash");
}

bool Trash::moveToTrash(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    const QString trash = trashDirectory();
    if (!QDir().mkpath(trash + QStringLiteral("/files")) || !QDir().mkpath(trash + QStringLiteral("/info")))
        return false;

    // Claim a unique name by creating its info file exclusively first, as the
    // trash convention asks; a second deletion of the same name gets "name 2".
    const QString fileName = info.fileName();
    QString name;
    QString infoPath;
    for (int n = 1; n < 10000; ++n) {
        name = fileName;
        if (n > 1) {
            name = info.completeBaseName() + QLatin1Char(' ') + QString::number(n);
            if (!info.suffix().isEmpty())
                name += QLatin1Char('.') + info.suffix();
        }
        infoPath = trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
        const int fd = ::open(QFile::encodeName(infoPath).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            const QByteArray record = "[Trash Info]\nPath="
                + QUrl::toPercentEncoding(info.absoluteFilePath(), "/") + "\nDeletionDate="
                + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1()
                + "\n";
            const bool written = ::write(fd, record.constData(), record.size()) == record.size();
            ::close(fd);
            if (!written) {
                QFile::remove(infoPath);
                return false;
            }
            break;
        }
        if (errno != EEXIST)
            return false;
    }

    const QString target = trash + QStringLiteral("/files/") + name;
    if (::rename(QFile::encodeName(info.absoluteFilePath()).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    // Another file system: copy, then remove the original.
    if (errno == EXDEV && QFile::copy(info.absoluteFilePath(), target) && QFile::remove(info.absoluteFilePath()))
        return true;
    QFile::remove(infoPath);
    return false;
}

} // namespace platform
