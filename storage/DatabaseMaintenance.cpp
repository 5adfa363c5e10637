// Creating missing tables, rebuilding index files and converting tables.
#include "storage/DatabaseMaintenance.h"

#include "storage/NoteLookup.h"
#include "xbase/table/Env.h"
#include "xbase/table/Table.h"

#include "storage/DatabaseSchema.h"
#include "storage/MaintenanceView.h"
#include "storage/TXbaseDataSet.h"
#include "util/FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr char kConvertPrefix[] = "CNV_";

// Switches the busy cursor on for the lifetime of the object.
class BusyCursor {
public:
    explicit BusyCursor(MaintenancePrompt &prompt) : m_prompt(prompt) { m_prompt.setBusy(true); }
    ~BusyCursor() { m_prompt.setBusy(false); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    MaintenancePrompt &m_prompt;
};

bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void removeIfThere(const QString &path)
{
    if (!path.isEmpty() && QFileInfo::exists(path))
        QFile::remove(path);
}

void removeTableFiles(const QString &directory, const QString &stem)
{
    for (const char *ext : {"DBF", "FPT", "CDX", "FPO"})
        removeIfThere(schema::tablePath(directory, stem, QString::fromLatin1(ext)));
}

bool isTrue(const QString &logical)
{
    const QString t = logical.trimmed().toUpper();
    return t == QLatin1String(".T.") || t == QLatin1String("T") || t == QLatin1String("Y");
}

} // namespace

DatabaseMaintenance::DatabaseMaintenance(MaintenanceProgress *progress, MaintenancePrompt &prompt)
    : m_progress(progress), m_prompt(prompt), m_table(std::make_unique<TXbaseDataSet>())
{
    m_table->setObjectName(QStringLiteral("XbaseTable1"));
}

DatabaseMaintenance::~DatabaseMaintenance() = default;

bool DatabaseMaintenance::anyTableMissing(const QString &directory)
{
    for (const SchemaTable &t : schema::tables()) {
        if (schema::existingFile(directory, schema::tableFile(t.stem, QStringLiteral("DBF"))).isEmpty())
            return true;
    }
    return false;
}

bool DatabaseMaintenance::anyIndexMissing(const QString &directory)
{
    for (const SchemaTable &t : schema::tables()) {
        if (!t.tags.empty()
            && schema::existingFile(directory, schema::tableFile(t.stem, QStringLiteral("CDX"))).isEmpty())
            return true;
    }
    return false;
}

bool DatabaseMaintenance::CreateMissingTables(const QString &directory)
{
    for (const SchemaTable &t : schema::tables()) {
        const QString path = schema::tablePath(directory, t.stem, QStringLiteral("DBF"));
        if (!schema::existingFile(directory, schema::tableFile(t.stem, QStringLiteral("DBF"))).isEmpty())
            continue;
        QDir().mkpath(directory);
        if (m_progress) {
            m_progress->showActivity(MaintenanceActivity::Creating);
            m_progress->showTable(t.description, 0);
            m_progress->showFile(path);
        }
        if (!schema::createTable(t.position, path, *m_table)) {
            m_prompt.show(MaintenanceMessage::CreateFailed, {QDir::toNativeSeparators(path)});
            return false;
        }
    }
    return true;
}

void DatabaseMaintenance::holdForRebuild(const QString &dbf, const QString &directory, const QString &stem,
                                         std::unique_ptr<xb::Table> &hold)
{
    for (;;) {
        if (xb::Table::open(xb::Env::posix(), QFile::encodeName(dbf).toStdString(), xb::OpenMode::Exclusive, hold))
            return;
        if (!m_prompt.show(MaintenanceMessage::AccessRetry, {directory + QLatin1Char('/') + stem}))
            throw tk::DataSetError(m_prompt.text(MaintenanceMessage::AccessFailed, {stem}).toStdString());
    }
}

void DatabaseMaintenance::openForRebuild(TXbaseDataSet &table, const QString &directory, const QString &stem)
{
    for (;;) {
        try {
            table.Open();
            return;
        } catch (const EXbaseError &) {
            if (!m_prompt.show(MaintenanceMessage::AccessRetry, {directory + QLatin1Char('/') + stem}))
                throw tk::DataSetError(m_prompt.text(MaintenanceMessage::AccessFailed, {stem}).toStdString());
        }
    }
}

void DatabaseMaintenance::RebuildIndexes(const QString &directory, bool all)
{
    // Our own note lookup must not keep NOTIZEN from being held.
    releaseNoteLookup();
    if (m_progress)
        m_progress->showActivity(MaintenanceActivity::Indexing);
    QDir().mkpath(directory);
    for (const SchemaTable &t : schema::tables()) {
        if (t.tags.empty())
            continue;
        const QString existingCdx = schema::existingFile(directory, schema::tableFile(t.stem, QStringLiteral("CDX")));
        if (!existingCdx.isEmpty() && !all)
            continue;
        rebuildIndex(directory, t);
    }
}

bool DatabaseMaintenance::RebuildIndex(const QString &directory, const QString &stem)
{
    for (const SchemaTable &t : schema::tables()) {
        if (t.tags.empty() || t.stem.compare(stem, Qt::CaseInsensitive) != 0)
            continue;
        releaseNoteLookup();
        if (m_progress)
            m_progress->showActivity(MaintenanceActivity::Indexing);
        rebuildIndex(directory, t);
        return true;
    }
    return false;
}

void DatabaseMaintenance::rebuildIndex(const QString &directory, const SchemaTable &t)
{
    const QString cdxName = schema::tableFile(t.stem, QStringLiteral("CDX"));
    const QString existingCdx = schema::existingFile(directory, cdxName);
    const QString dbfName = schema::tableFile(t.stem, QStringLiteral("DBF"));
    QString dbf = schema::existingFile(directory, dbfName);
    if (dbf.isEmpty())
        dbf = directory + QLatin1Char('/') + dbfName;
    if (!existingCdx.isEmpty()) {
        // The index goes only while the table is held here alone: a
        // table someone else has open keeps its index.
        std::unique_ptr<xb::Table> hold;
        holdForRebuild(dbf, directory, t.stem, hold);
        QFile::remove(existingCdx);
        ClearIndexFlag(dbf);
    } else {
        ClearIndexFlag(dbf);
    }

    TXbaseDataSet &table = *m_table;
    table.DatabaseName = directory;
    table.SetTableName(QFileInfo(dbf).fileName());
    table.TableType = ttSXFOX;
    table.SetIndexName(QString());
    table.SetPassword(QString());
    table.SetExclusive(true);
    if (m_progress)
        m_progress->showFile(dbf);
    openForRebuild(table, directory, t.stem);
    try {
        if (!schema::applyPassword(table, t.position))
            throw EXbaseError(QStringLiteral("%1 cannot be encrypted").arg(dbf));
        table.Refresh();
        const QString cdx = directory + QLatin1Char('/') + cdxName;
        for (std::size_t i = 0; i < t.tags.size(); ++i) {
            const SchemaTag &tag = t.tags[i];
            BusyCursor busy(m_prompt);
            if (m_progress) {
                m_progress->showTable(t.description, static_cast<int>(i + 1));
                m_progress->showPercent(0);
                table.SetGaugeHook([this](int percent) { m_progress->showPercent(percent); });
            }
            const int built = table.IndexTag(cdx, tag.name, tag.key, tag.option.toInt(), 0, QString());
            table.SetGaugeHook(nullptr);
            if (built == 0)
                throw EXbaseError(QStringLiteral("Index tag %1 (%2) of %3 cannot be built")
                                      .arg(tag.name, tag.key, dbf));
        }
    } catch (...) {
        table.SetGaugeHook(nullptr);
        table.Close();
        throw;
    }
    table.Close();
}

bool DatabaseMaintenance::copyRecords(TXbaseDataSet &source, const QString &from, const QString &to, QString *reason,
                                      long *blanked)
{
    *blanked = 0;
    try {
        TXbaseDataSet target;
        target.SetTableName(to);
        target.SetExclusive(true);
        target.Open();
        if (!source.IsEncrypted(0)) {
            // Fields matched by name, memos and deletion marks included; the
            // engine reads the source through its held open.
            if (!target.AppendFrom(from, 2, QString())) {
                *reason = QStringLiteral("the records cannot be appended");
                return false;
            }
            *blanked = target.LastAppendBlanked();
            return true;
        }
        // The engine's append reads the stored bytes as they are, which for
        // an encrypted table are ciphertext: copy field by field through the
        // dataset that knows the password instead. The new table stays
        // plain; the index rebuild encrypts it.
        const bool deletedVisible = !TXbaseDataSet::HideDeleted();
        for (source.First(); !source.Eof(); source.Next()) {
            target.Append();
            for (int i = 0; i < target.FieldCount(); ++i) {
                tk::Field *field = target.Fields(i);
                if (const tk::Field *old = source.FindField(field->FieldName()))
                    field->SetValue(old->Value());
            }
            target.Post();
            if (deletedVisible && isTrue(source.EvalString(QStringLiteral("DELETED()"))))
                target.DeleteRecord();
        }
        return true;
    } catch (const std::exception &e) {
        *reason = QString::fromLocal8Bit(e.what());
        return false;
    }
}

// A conversion that a crash ended between its renames: the old memos live on
// under the backup name (CNV_*.FPO) until the new table is in place. While
// the new DBF has not been renamed yet, the old table gets its memos back;
// once it has, the backup is no longer needed. Leftovers go only after that.
void DatabaseMaintenance::recoverConversion(const QString &directory, const QString &stem, const QString &newStem)
{
    const QString backup = schema::tablePath(directory, newStem, QStringLiteral("FPO"));
    if (QFileInfo::exists(backup)) {
        const QString newDbf = schema::tablePath(directory, newStem, QStringLiteral("DBF"));
        const QString fpt = directory + QLatin1Char('/') + schema::tableFile(stem, QStringLiteral("FPT"));
        if (QFileInfo::exists(newDbf)) {
            if (!renameOver(backup, fpt))
                return; // keep everything as it is rather than lose a copy
        } else {
            QFile::remove(backup);
        }
    }
    removeTableFiles(directory, newStem);
}

bool DatabaseMaintenance::replaceTable(const QString &directory, const QString &stem, const QString &newStem)
{
    const QString dbfName = schema::tableFile(stem, QStringLiteral("DBF"));
    const QString fptName = schema::tableFile(stem, QStringLiteral("FPT"));
    const QString oldDbf = schema::existingFile(directory, dbfName);
    const QString oldFpt = schema::existingFile(directory, fptName);
    const QString newDbf = schema::tablePath(directory, newStem, QStringLiteral("DBF"));
    const QString newFpt = schema::tablePath(directory, newStem, QStringLiteral("FPT"));
    const QString backup = schema::tablePath(directory, newStem, QStringLiteral("FPO"));
    const QString dbf = directory + QLatin1Char('/') + dbfName;
    const QString fpt = directory + QLatin1Char('/') + fptName;

    const bool newHasMemo = QFileInfo::exists(newFpt);
    if (newHasMemo) {
        removeIfThere(backup);
        // A second name for the old memos; a copy where the file system
        // has no hard links (some network shares).
        if (!oldFpt.isEmpty()
            && ::link(QFile::encodeName(oldFpt).constData(), QFile::encodeName(backup).constData()) != 0
            && !QFile::copy(oldFpt, backup))
            return false;
        if (!renameOver(newFpt, fpt))
            return false;
        if (!oldFpt.isEmpty() && oldFpt != fpt)
            QFile::remove(oldFpt);
    }
    if (!renameOver(newDbf, dbf)) {
        if (newHasMemo && !oldFpt.isEmpty())
            renameOver(backup, oldFpt); // the old table keeps its own memos
        return false;
    }
    if (oldDbf != dbf)
        removeIfThere(oldDbf);
    removeIfThere(backup);
    if (!newHasMemo && !oldFpt.isEmpty())
        DeleteToRecycleBin(oldFpt); // no field refers to these memos any more
    removeIfThere(schema::existingFile(directory, schema::tableFile(stem, QStringLiteral("CDX"))));
    return true;
}

bool DatabaseMaintenance::ConvertTable(const QString &directory, const QString &stem)
{
    const SchemaTable *entry = schema::findTable(stem);
    if (!entry)
        return true;
    const QString oldDbf = schema::existingFile(directory, schema::tableFile(entry->stem, QStringLiteral("DBF")));
    if (oldDbf.isEmpty())
        return true;
    BusyCursor busy(m_prompt);
    releaseNoteLookup();
    const QString newStem = QString::fromLatin1(kConvertPrefix) + entry->stem;
    recoverConversion(directory, entry->stem, newStem);

    // Holds the old table for this process alone; false when another has it.
    TXbaseDataSet old;
    old.SetTableName(oldDbf);
    old.SetExclusive(true);
    auto holdOld = [&old] {
        try {
            old.Open();
            return true;
        } catch (const EXbaseError &) {
            return false;
        }
    };
    // ... from the check to the last rename: appends another program would
    // make in between are kept out, not lost.
    if (!holdOld()) {
        m_prompt.show(MaintenanceMessage::TableInUse, {entry->stem});
        return false;
    }
    if (schema::table(entry->position).encrypted)
        old.SetPassword(QString::fromLatin1(schema::kReferencePassword));

    const QString newDbf = schema::tablePath(directory, newStem, QStringLiteral("DBF"));
    if (!schema::createTable(entry->position, newDbf)) {
        m_prompt.show(MaintenanceMessage::CreateFailed, {QDir::toNativeSeparators(newDbf)});
        removeTableFiles(directory, newStem);
        return false;
    }
    QString reason;
    long blanked = 0;
    if (!copyRecords(old, oldDbf, newDbf, &reason, &blanked)) {
        removeTableFiles(directory, newStem);
        m_prompt.show(MaintenanceMessage::ConvertFailed, {entry->stem, reason});
        return false;
    }
    const bool replaced = replaceTable(directory, entry->stem, newStem);
    old.Close();
    if (!replaced) {
        removeTableFiles(directory, newStem);
        m_prompt.show(MaintenanceMessage::ConvertFailed, {entry->stem, QStringLiteral("the files cannot be renamed")});
        return false;
    }
    if (blanked > 0)
        m_prompt.show(MaintenanceMessage::ValuesBlanked, {entry->stem, QString::number(blanked)});
    return true;
}

bool DatabaseMaintenance::ClearIndexFlag(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(28))
        return false;
    char flag = 0;
    if (!file.getChar(&flag))
        return false;
    if (flag != 1)
        return true;
    return file.seek(28) && file.putChar(0) && file.flush();
}
