// The waiting list of discs read for a CDDB request: one query line per
// disc, kept in "CDDB-in.Lst" in the data directory (CR LF lines) and, for
// the life of the music window, in memory.
//
// A run over the list removes its entries one by one from memory only; the
// file is only ever appended to, so every entry comes back when the list is
// loaded again.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace media {

class CddbWaitingList : public QObject {
    Q_OBJECT

public:
    static constexpr char kFileName[] = "CDDB-in.Lst";

    explicit CddbWaitingList(QString dataDir, QObject *parent = nullptr);

    QString filePath() const;
    bool fileExists() const;

    // Replaces the entries with the lines of the file (none when it is
    // missing); blank lines are skipped.
    void load();

    const QStringList &entries() const { return m_entries; }
    int size() const { return int(m_entries.size()); }
    bool contains(const QString &line) const { return m_entries.contains(line); }

    // Adds a line at the end and appends it to the file, creating the file
    // when missing. Throws std::runtime_error naming the file when it cannot
    // be written; the entry is then not added.
    void append(const QString &line);
    // Removes an entry from memory only.
    void removeAt(int index);

signals:
    void loaded();
    void appended(const QString &line);
    void removed(int index);

private:
    QString m_dataDir;
    QStringList m_entries;
};

} // namespace media
