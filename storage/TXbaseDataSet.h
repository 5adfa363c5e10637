// TXbaseDataSet: one xBase table (DBF with its structural CDX and FPT) as a
// dataset the windows bind to.
//
// Every operation first selects the dataset's work area in the engine. The
// engine is moved back to the dataset's current record before anything
// that depends on it (lock, evaluation, memo reads), because grids, locates
// and lookups move it in between. Texts are converted between the table's
// Windows-1252 bytes and Unicode at this edge; a character the code page
// cannot hold is refused with an EXbaseError, nothing written.
#pragma once

#include "storage/EXbaseError.h"
#include "storage/RowWindow.h"
#include "toolkit/data/DataSet.h"
#include "toolkit/data/DataSource.h"

#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

enum TTableType { ttSXNTX, ttSXFOX, ttSXNSX };
enum TXbaseDateFrmt { dfAmerican, dfAnsi, dfBritish, dfFrench, dfGerman, dfItalian, dfSpanish, dfWinDefault };

// Where one table field lives in the raw record and in the record buffer.
struct TFieldInfo {
    int offset = 0; // first byte; the deletion byte is 0
    int slot = 0;   // index of the field's value in the record buffer
    int width = 0;
    int decimals = 0;
    char type = 'C';
};

class TXbaseDataSet : public tk::DataSet {
    Q_OBJECT

public:
    explicit TXbaseDataSet(QObject *parent = nullptr);
    ~TXbaseDataSet() override;

    // --- Properties set before Open (see the setters for the exceptions).
    QString DatabaseName;
    QString TableName() const { return m_tableName; }
    void SetTableName(const QString &name);
    TTableType TableType = ttSXFOX;
    QString IndexName() const { return m_indexName; }
    void SetIndexName(const QString &name);
    QString Password() const { return m_password; }
    void SetPassword(const QString &password);
    bool Exclusive() const { return m_exclusive; }
    void SetExclusive(bool on);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool on);
    int Epoch() const { return m_epoch; }
    void SetEpoch(int year);
    int LockTimeOut() const { return m_lockTimeOut; }
    void SetLockTimeOut(int seconds);
    bool Sequenced() const { return TableType != ttSXNTX; }

    // Physical record number of the current record; assigning moves there.
    long RecNo();
    void SetRecNo(long recno);

    // --- Engine-wide settings (shared by every dataset of the process).
    static bool HideDeleted();
    void SetHideDeleted(bool on);
    static bool SoftSeek();
    static void SetSoftSeek(bool on);
    static bool Exact();
    static void SetExact(bool on);
    static bool Century();
    void SetCentury(bool on);
    static TXbaseDateFrmt DateFormat();
    void SetDateFormat(TXbaseDateFrmt format);

    // Called at the first shared open of a table in this run whose index
    // does not agree with it (names records beyond its count, holds fewer
    // or more keys than records, a broken page chain): the table's path and
    // the engine's finding. The table is closed during the call, so the
    // handler may rebuild the index; the open goes on afterwards. Without a
    // handler no table is audited; setting one starts the run afresh.
    using IndexDisagreementHandler = std::function<void(const QString &path, const QString &finding)>;
    static void SetIndexDisagreementHandler(IndexDisagreementHandler handler);

    // --- Operations of the table dataset.
    void AppendBlank() { Insert(); }
    void Commit();
    // Batch writes (a series of appointments): while off, a post writes its
    // record and index entries but leaves flushing them to disk to
    // SyncToDisk(), which the caller runs once at the end, also when the
    // batch fails. A killed process loses nothing that was written; only a
    // power failure may lose the unsynced tail. On by default.
    void SetSyncEachPost(bool on) { m_syncEachPost = on; }
    // Flushes this table's writes to disk; throws EXbaseError when it fails.
    void SyncToDisk();
    void DeleteRecord();
    void GoTop();
    void Skip(int n);
    int FieldWidth(const QString &fieldName);
    bool IsEncrypted(int n = 0);
    int Encrypt();
    bool CreateNew(const QString &fileName, int tableType, int fieldCount);
    void CreateField(const QString &name, const QString &type, int width, int decimals);
    bool CreateExec();
    int IndexTag(const QString &indexFile, const QString &tag, const QString &key, int option, int descending,
                 const QString &condition);
    bool AppendFrom(const QString &sourceFile, int tableType, const QString &condition);
    // Values the last AppendFrom left blank: their field could not hold them.
    long LastAppendBlanked() const { return m_appendBlanked; }
    // Progress of tag building in percent; none switches reports off.
    void SetGaugeHook(std::function<void(int)> hook);

    // --- Order, search and expressions.
    int SetOrder(int tag);
    bool Seek(const QString &key);
    int Query(const QString &expression);
    int QueryRecCount();
    void SetScope(const QString &low, const QString &high);
    QString EvalString(const QString &expression);
    bool Locate(const QString &keyFields, const QVariantList &keyValues) override;
    tk::DataSource *MasterSource() const { return m_masterSource; }
    void SetMasterSource(tk::DataSource *source);
    QString MasterFields;

    const std::vector<TFieldInfo> &fieldInfo() const { return m_info; }
    QString alias() const { return m_alias; }

    // The generic layer's operations with this table's rules.
    void Delete() override;
    int RecordCount() override { return QueryRecCount(); }
    // The row window: counted by the index, paged with the engine's cursor
    // (see RowWindow.h); never a list of every record.
    int RowCount() override;
    bool FetchRow(int row, tk::RecordBuffer &out) override;
    int CurrentRow() override;

    // The alias rules: upper case, cut before the first ".", at most eight
    // characters, punctuation replaced by "_", and a number replacing the
    // last characters while the engine has the alias already.
    static QString makeAlias(const QString &fileName);

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override;
    void InternalLast() override;
    GetResult GetRecord(GetMode mode, tk::RecordBuffer &buffer) override;
    void InternalEdit() override;
    void InternalInsert() override;
    void InternalInitRecord(tk::RecordBuffer &buffer) override;
    void InternalPost(tk::RecordBuffer &buffer, bool inserting) override;
    void InternalCancel() override;
    void InternalDelete() override;
    void InternalGotoBookmark(Bookmark bookmark) override;
    void InternalRefresh() override { invalidateRows(); }
    void LoadBlob(tk::RecordBuffer &buffer, int fieldIndex) override;
    QString TextOfBlob(const QByteArray &bytes) const override;
    QByteArray BlobOfText(const QString &text) const override;

private:
    class MasterLink;
    friend class MasterLink;

    void select() const;
    void requireOpen() const;
    void requireWritable() const;
    void requireClosed() const;
    // The table's path: directory part of TableName, else DatabaseName,
    // else the current directory; ".DBF" added when there is no extension.
    QString directory() const;
    QString fileNameWithExtension() const;
    void syncEngine() const;
    void readRecord(tk::RecordBuffer &buffer);
    void writeRecord(const tk::RecordBuffer &buffer);
    void invalidateRows();
    // After a row-window call: back on the dataset's record, and the grids
    // told (once the call is over) when estimated rows moved.
    void afterRowWindow(long saved);
    void applyOrder(const QString &name, bool check);
    void masterChanged();
    [[noreturn]] void engineError(const QString &what) const;
    static QString engineMessage();
    static IndexDisagreementHandler &indexDisagreementHandler();
    static QSet<QString> &auditedTables(); // since the handler was set
    // Posts a pending edit before the record under it is read again or
    // the engine is moved, so that no edit is lost and no lock stays.
    void settleEdit();

    int m_area = 0;
    QString m_alias;
    QString m_tableName;
    QString m_indexName;
    QString m_password;
    bool m_exclusive = false;
    bool m_readOnly = false;
    int m_epoch = 1980;
    int m_lockTimeOut = 1;
    std::vector<TFieldInfo> m_info;
    std::vector<char> m_raw;
    long m_insertReturn = 0;
    // A record an insert's failed post left in the table (0: none); the
    // next post rewrites it.
    long m_appended = 0;
    long m_appendBlanked = 0;
    bool m_syncEachPost = true;
    bool m_atTop = false;
    bool m_atBottom = false;
    // The engine was moved on purpose (post, seek, query...): the next
    // re-read takes the engine's record instead of the current bookmark.
    bool m_positionFromEngine = false;
    bool m_unreadable = false; // encrypted and no password given
    tk::DataSource *m_masterSource = nullptr;
    std::unique_ptr<MasterLink> m_masterLink;
    QString m_lastMasterKey;
    std::function<void(int)> m_gauge;
    RowWindow m_window;
    bool m_rowsMovedPending = false;
};
