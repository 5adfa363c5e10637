// The generic dataset: a cursor over records with typed fields, the states
// inactive, browse, edit and insert, events, and notifications to the data
// sources that controls bind to.
//
// Subclasses supply the storage through the protected hooks (open, fetch,
// post, delete, bookmarks). The dataset holds the current record only; grids
// read other rows through the row window (RowCount/FetchRow), which a
// subclass maps to its records without copying the table.
//
// Events are assignable functions, called synchronously. A handler ends the
// operation by throwing (tk::Abort to end it silently); the state is then
// unchanged.
#pragma once

#include "toolkit/data/DataErrors.h"
#include "toolkit/data/Field.h"

#include <QObject>
#include <QVariantList>

#include <functional>
#include <memory>
#include <vector>

namespace tk {

class DataSource;

struct BlobSlot {
    QByteArray reference; // the storage's own reference (a memo block number, say)
    QByteArray data;
    bool loaded = false;
    bool modified = false;
};

// The values of one record: one entry per field (invalid = null), the blob
// slots of memo and blob fields, and the record's bookmark.
struct RecordBuffer {
    std::vector<QVariant> values;
    std::vector<BlobSlot> blobs;
    qint64 bookmark = 0;

    void reset(std::size_t fieldCount)
    {
        values.assign(fieldCount, QVariant());
        blobs.assign(fieldCount, BlobSlot());
        bookmark = 0;
    }
};

// What a data source tells its links.
enum class DataEvent {
    ActiveChanged,   // opened or closed
    StateChanged,    // browse, edit or insert began
    RecordChanged,   // a field of the current record changed (field given) or the whole record
    DataSetChanged,  // the shown records were re-read
    DataSetScrolled, // another record became current
    UpdateData,      // controls must hand their pending text to their fields
    RowsMoved,       // estimated row numbers or the row count changed; the records did not
};

class DataSet : public QObject {
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };
    using Bookmark = qint64;
    using Event = std::function<void(DataSet &)>;

    explicit DataSet(QObject *parent = nullptr);
    ~DataSet() override;

    void Open();
    void Close();
    bool Active() const { return m_state != State::Inactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    State state() const { return m_state; }
    bool Editing() const { return m_state == State::Edit || m_state == State::Insert; }

    void First();
    void Last();
    void Next();
    void Prior();
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const { return m_empty; }

    // Edit of an empty dataset inserts instead.
    void Edit();
    void Insert();
    void Append() { Insert(); }
    // Post and Cancel do nothing in browse.
    void Post();
    void Cancel();
    virtual void Delete();
    // Re-reads the current record (after a post pending edits are kept).
    void Refresh();
    // Posts a modified edit, cancels an unmodified one.
    void CheckBrowseMode();
    bool Modified() const { return m_modified; }
    // True while inserting a record whose fields nobody changed after the
    // new-record event set its defaults; grids drop such a record when the
    // user leaves it.
    bool InsertUnchanged() const { return m_state == State::Insert && !m_changedSinceNew; }

    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    tk::Field *Fields(int index) const { return m_fields.at(index).get(); }
    tk::Field *FindField(const QString &name) const;
    // DataSetError "Field 'NAME' not found" when there is none.
    tk::Field *FieldByName(const QString &name) const;

    virtual int RecordCount() = 0;
    Bookmark GetBookmark() const { return m_current.bookmark; }
    void GotoBookmark(Bookmark bookmark);
    // Finds the first record whose fields (";"-separated names) equal the
    // values and makes it current; false leaves the position unchanged.
    virtual bool Locate(const QString &keyFields, const QVariantList &keyValues) = 0;

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // The row window for grids: rows of the current order, query and scope.
    virtual int RowCount() { return RecordCount(); }
    // Fills `out` with the record at `row` (0-based); false past the end.
    virtual bool FetchRow(int row, RecordBuffer &out) = 0;
    // Row of the current record, -1 when unknown.
    virtual int CurrentRow() = 0;
    // Makes the record at `row` current (with the scroll events).
    void MoveToRow(int row);

    // The current record's values (for data-aware controls).
    const RecordBuffer &currentBuffer() const { return m_current; }

    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    Event BeforeEdit, AfterEdit, BeforeInsert, AfterInsert, OnNewRecord;
    Event BeforePost, AfterPost, BeforeCancel, AfterCancel;
    Event BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;

    // Data sources register themselves here.
    void attachSource(DataSource *source);
    void detachSource(DataSource *source);

signals:
    // Emitted with every notification the data sources get.
    void dataEvent(tk::DataEvent event, tk::Field *field);

protected:
    enum class GetMode { Current, Next, Prior };
    enum class GetResult { Ok, Bof, Eof };

    // Opens the storage and defines the fields with defineField().
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    // Positions before the first / after the last record; the following
    // GetRecord(Next / Prior) delivers the first / last record.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual GetResult GetRecord(GetMode mode, RecordBuffer &buffer) = 0;
    // Takes the record lock; throws to refuse the edit.
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    // Sets up a new record's buffer; by default every field null.
    virtual void InternalInitRecord(RecordBuffer &buffer);
    // Stores the buffer (appending it when inserting) and leaves the
    // storage positioned on the stored record.
    virtual void InternalPost(RecordBuffer &buffer, bool inserting) = 0;
    virtual void InternalCancel() {}
    virtual void InternalDelete() = 0;
    virtual void InternalGotoBookmark(Bookmark bookmark) = 0;
    // Drops what the storage cached before Refresh re-reads.
    virtual void InternalRefresh() {}
    // Fills a blob slot of the buffer that is not loaded yet.
    virtual void LoadBlob(RecordBuffer &buffer, int fieldIndex);
    // Text of memo bytes and back (the storage's code page).
    virtual QString TextOfBlob(const QByteArray &bytes) const;
    virtual QByteArray BlobOfText(const QString &text) const;

    tk::Field &defineField(const QString &name, FieldType type, int size, int decimals);
    // Re-reads the current record from the storage and tells the controls.
    void Resync();
    void notify(DataEvent event, tk::Field *field = nullptr);
    void runEvent(const Event &event) { if (event) event(*this); }
    void setModified(bool modified) { m_modified = modified; }

private:
    friend class Field;
    void beginScroll();
    void endScroll();
    void fieldChanged(tk::Field *field);
    QVariant &valueSlot(int index) { return m_current.values[static_cast<std::size_t>(index)]; }
    BlobSlot &blobSlot(int index);
    void requireEditing() const;
    void clearCurrent();

    State m_state = State::Inactive;
    std::vector<std::unique_ptr<tk::Field>> m_fields;
    RecordBuffer m_current;
    RecordBuffer m_saved; // the record before Edit, for Cancel
    bool m_bof = true;
    bool m_eof = true;
    bool m_empty = true;
    bool m_modified = false;
    bool m_changedSinceNew = false;
    int m_disableCount = 0;
    bool m_changedWhileDisabled = false;
    std::vector<DataSource *> m_sources;
};

} // namespace tk
