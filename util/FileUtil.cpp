#include "util/FileUtil.h"

#include "platform/Process.h"
#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QDateTime stampOf(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.lastModified() : QDateTime();
}

} // namespace

bool CopyIfNewer(const QString &source, const QString &destination, bool always)
{
    if (!always) {
        const QDateTime src = stampOf(source);
        const QDateTime dst = stampOf(destination);
        // A missing file has the lowest stamp: with both missing, or only
        // the source, the destination counts as at least as new.
        if (!src.isValid() || (dst.isValid() && dst >= src))
            return true;
    }

    QFile in(source);
    if (!in.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        throw FileError(QStringLiteral("Cannot open %1: %2").arg(source, in.errorString()).toStdString());
    const QByteArray content = in.readAll();
    const bool readOk = in.error() == QFileDevice::NoError;
    in.close();
    if (!readOk)
        throw FileError(QStringLiteral("Cannot read %1").arg(source).toStdString());

    const QString dir = QFileInfo(destination).absolutePath();
    if (!QDir().mkpath(dir))
        throw FileError(QStringLiteral("Cannot create the directory %1").arg(dir).toStdString());

    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size() || !out.commit())
        throw FileError(QStringLiteral("Cannot write %1: %2").arg(destination, out.errorString()).toStdString());
    return true;
}

void DeleteToRecycleBin(const QString &path)
{
    if (QFileInfo::exists(path))
        platform::Trash::moveToTrash(path);
}

int RunAndWait(const QString &commandLine, int showMode)
{
    Q_UNUSED(showMode);
    const int rc = platform::Process::runAndWait(commandLine);
    return rc;
}

int RunWithTimeout(const QString &commandLine, int showMode, int milliseconds)
{
    Q_UNUSED(showMode);
    return platform::Process::runWithTimeout(commandLine, milliseconds);
}
