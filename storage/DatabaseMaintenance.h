// Creation, re-indexing and conversion of the tables of a data directory.
//
// Everything here walks the schema table (storage/DatabaseSchema.h) in its
// order and reaches the tables through TXbaseDataSet. Progress goes to a
// MaintenanceProgress, questions and messages to a MaintenancePrompt
// (storage/MaintenanceView.h); the maintenance code shows nothing itself.
//
// Conversion replaces a table file by a new one. Its crash-safety rules:
//  1. The new table is built beside the old one in the same directory under
//     the name CNV_<stem>.DBF (with CNV_<stem>.FPT when it has memos); the
//     old table, memo and index files are not touched while it is built.
//  2. The copy is complete and the new files are closed before anything is
//     renamed; a copy that fails removes the new files and keeps the old.
//  3. The old table is held open exclusively from the last check until the
//     new files have taken its place, so no other program writes to it in
//     between; a table another program has open is not converted.
//  4. The memo file is renamed first, the table file second. Until the table
//     file has been renamed, the old memo file is kept under a second name
//     (CNV_<stem>.FPO), so a crash between the two renames leaves every old
//     file recoverable.
//  5. Only then is the old index file deleted; the next start rebuilds it.
#pragma once

#include <QString>

#include <memory>

class MaintenancePrompt;
class MaintenanceProgress;
class TXbaseDataSet;
struct SchemaTable;
namespace xb {
class Table;
}

class DatabaseMaintenance {
public:
    // `progress` may be null (nothing is shown); `prompt` must outlive this
    // object, as must `progress`.
    DatabaseMaintenance(MaintenanceProgress *progress, MaintenancePrompt &prompt);
    ~DatabaseMaintenance();
    DatabaseMaintenance(const DatabaseMaintenance &) = delete;
    DatabaseMaintenance &operator=(const DatabaseMaintenance &) = delete;

    // Whether the table file of any schema table is missing in `directory`.
    static bool anyTableMissing(const QString &directory);
    // Whether the index file of any schema table with tags is missing.
    static bool anyIndexMissing(const QString &directory);

    // Creates, in schema order, every table whose DBF file is missing in
    // `directory` (creating the directory first). No tags, no encryption.
    // When a table cannot be created, shows CreateFailed and returns false;
    // the tables created before it stay, the later ones are not created.
    bool CreateMissingTables(const QString &directory);

    // Builds the index files of `directory`: with `all` false only those that
    // are missing, with `all` true every one (each is deleted first). Each
    // table is opened exclusively, gets its password (and is encrypted when
    // it should be and is not yet), and has its tags built in order.
    // A table that cannot be opened asks AccessRetry; Cancel throws
    // tk::DataSetError with the AccessFailed text, ending the rebuild. A tag
    // that cannot be built throws EXbaseError. The table at work is closed
    // and the busy cursor switched off in every case.
    void RebuildIndexes(const QString &directory, bool all);
    // The same for the one table `stem` (any letter case); false when the
    // schema has no such table with tags.
    bool RebuildIndex(const QString &directory, const QString &stem);

    // Brings the table `stem` in `directory` to the structure of its
    // creation routine, keeping every record and memo (fields are matched by
    // name; see the crash-safety rules above). Its index file is deleted.
    // Returns true when the table was converted or there is nothing to
    // convert (no such table in the schema, or no such file). Returns false,
    // after telling the user, when the table is in use elsewhere
    // (TableInUse), the new table cannot be created (CreateFailed) or the
    // records cannot be copied (ConvertFailed); the old table is then
    // unchanged.
    // Values a new field cannot hold are left blank and counted; a converted
    // table with such values ends with ValuesBlanked.
    bool ConvertTable(const QString &directory, const QString &stem);

    // Resets the structural-index flag (byte 28 of the DBF header) when it is
    // exactly 1; any other value is left alone. Returns false when the file
    // cannot be opened, read or written.
    static bool ClearIndexFlag(const QString &fileName);

private:
    void rebuildIndex(const QString &directory, const SchemaTable &table);
    void holdForRebuild(const QString &dbf, const QString &directory, const QString &stem,
                        std::unique_ptr<xb::Table> &hold);
    void openForRebuild(TXbaseDataSet &table, const QString &directory, const QString &stem);
    bool copyRecords(TXbaseDataSet &source, const QString &from, const QString &to, QString *reason, long *blanked);
    void recoverConversion(const QString &directory, const QString &stem, const QString &newStem);
    bool replaceTable(const QString &directory, const QString &stem, const QString &newStem);

    MaintenanceProgress *m_progress;
    MaintenancePrompt &m_prompt;
    std::unique_ptr<TXbaseDataSet> m_table; // the table being created or re-indexed
};
