// The CDDB waiting list and its file.
#include "media/CddbWaitingList.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace media {

CddbWaitingList::CddbWaitingList(QString dataDir, QObject *parent) : QObject(parent), m_dataDir(std::move(dataDir)) {}

QString CddbWaitingList::filePath() const
{
    return QDir(m_dataDir).filePath(QString::fromLatin1(kFileName));
}

bool CddbWaitingList::fileExists() const
{
    return QFile::exists(filePath());
}

void CddbWaitingList::load()
{
    m_entries.clear();
    QFile file(filePath());
    if (file.open(QIODevice::ReadOnly)) {
        for (QByteArray line : file.readAll().split('\n')) {
            line = line.trimmed();
            if (!line.isEmpty())
                m_entries.append(QString::fromLatin1(line));
        }
    }
    emit loaded();
}

void CddbWaitingList::append(const QString &line)
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadWrite)) {
        throw std::runtime_error("Cannot write " + QDir::toNativeSeparators(filePath()).toStdString() + ": "
                                 + file.errorString().toStdString());
    }
    // A file edited by hand may lack its last line end.
    QByteArray text;
    if (file.size() > 0 && file.seek(file.size() - 1) && file.read(1) != "\n")
        text = "\r\n";
    text += line.toLatin1() + "\r\n";
    if (!file.seek(file.size()) || file.write(text) != text.size() || !file.flush()) {
        throw std::runtime_error("Cannot write " + QDir::toNativeSeparators(filePath()).toStdString() + ": "
                                 + file.errorString().toStdString());
    }
    m_entries.append(line);
    emit appended(line);
}

void CddbWaitingList::removeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return;
    m_entries.removeAt(index);
    emit removed(index);
}

} // namespace media
