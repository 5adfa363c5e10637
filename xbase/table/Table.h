// One open DBF table with its FPT memo file: the header, the field
// descriptors and the records, read and written byte-exact.
//
// Tables are created in the FoxPro 2.x format (type 0x03, or 0xF5 with a memo
// file) with fields C, N, F, D, L, M (and G, P, B as memo-pointer fields);
// Visual FoxPro tables (0x30, 0x31, 0x32) open for reading and for writing of
// the field types they share with FoxPro 2.x. Record buffers handed in and out
// are always plain (deciphered) bytes, deletion byte first; text is 8-bit
// Windows-1252 and never converted here.
//
// Sharing: several Table objects, in this process or others, may hold one
// file. Shared opens re-read the record count from the header and never keep
// record bytes across operations (see refresh()); appends and memo block
// allocation take the header lock. Exclusive opens keep every other open out
// and buffer appends until flush().
//
// Indexes follow every change through TableObserver.
#pragma once

#include "xbase/table/FieldInfo.h"
#include "xbase/table/Status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xb {

class Env;
class File;
class MemoFile;
class Cipher;

enum class OpenMode { Shared = 0, ReadOnly = 1, Exclusive = 2 };

// What create() is given per field. Names are made upper case; widths of D,
// L, M are fixed (8, 1, 10) whatever is given.
struct FieldSpec {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

// Told about every record change made through a Table, after the change is on
// disk (observers see the record count including an appended record). Record
// buffers are plain bytes of recordLength(), valid only during the call. A
// failure is handed back to the caller of the Table operation; the table
// change itself stays. Deleting and recalling a record arrive as
// recordReplaced with only byte 0 differing.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    // Asked before a record is appended or replaced; a failure refuses the
    // change before anything is written.
    virtual Status beforeChange() { return Status::ok(); }
    virtual Status recordAppended(uint32_t recno, const char *record) = 0;
    virtual Status recordReplaced(uint32_t recno, const char *oldRecord, const char *newRecord) = 0;
};

class Table {
public:
    struct CreateOptions {
        uint16_t memoBlockSize = 64; // FPT block size in bytes (1..65535)
        uint8_t codePageMark = 0x03; // header byte 29: 0x03 Windows-1252
    };

    ~Table(); // flushes pending appends, releases this object's locks
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    // Writes a new empty table at `path` (and its .FPT when a field is a memo
    // field); an existing table and memo file of that name are replaced.
    // BadArgument for an impossible field list (empty, duplicate or invalid
    // names, widths out of range, record longer than 65,500 bytes).
    static Status create(Env *env, const std::string &path, const std::vector<FieldSpec> &fields,
                         const CreateOptions &options);

    // Opens a table. The memo file is found beside the table whatever the
    // case of its name. NotFound when the file does not exist, Locked when
    // another holder's mode excludes `mode` (an exclusive open excludes every
    // other; any open excludes an exclusive one), Corrupt with the file name
    // when the header or descriptors are not a DBF. `env` must outlive the
    // table; the caller owns *out.
    static Status open(Env *env, const std::string &path, OpenMode mode, std::unique_ptr<Table> &out);

    const std::string &path() const;
    const std::string &memoPath() const; // empty when the table has no memo file
    OpenMode mode() const;
    uint8_t versionByte() const;  // header byte 0
    bool isVisualFoxPro() const;  // 0x30, 0x31, 0x32
    uint8_t tableFlags() const;   // header byte 28
    uint8_t codePageMark() const; // header byte 29
    uint32_t headerLength() const;
    uint32_t recordLength() const;
    uint16_t memoBlockSize() const; // 0 without a memo file
    // The fields in record order (FieldInfo.h); the _NullFlags field of a
    // Visual FoxPro table is among them with type '0'.
    const std::vector<FieldInfo> &fields() const;
    // Whether field `field` holds a memo block number (M, G, P; B of width 10
    // outside Visual FoxPro), and whether that number is 4 binary bytes
    // (Visual FoxPro) rather than 10 ASCII digits.
    bool isMemoField(int field) const;
    bool isBinaryMemoPointer(int field) const;
    // Visual FoxPro field flags (0x01 system, 0x02 nullable, 0x04 binary).
    uint8_t fieldFlags(int field) const;
    // Index of a field by name without regard to ASCII case; -1 when none.
    int fieldIndex(std::string_view name) const;

    // Number of records. Shared and read-only opens re-read it from the
    // header (other processes may have appended); IoError when that fails.
    Status recordCount(uint32_t *out);
    // The count as last read or written, without touching the disk.
    uint32_t knownRecordCount() const;

    // Drops record bytes cached for read-ahead, so that the next read sees
    // other processes' changes. Called by the work area at the start of each
    // operation on a shared table; a no-op for exclusive opens.
    void refresh();

    // Copies record `recno` (1-based) into `record` (recordLength() bytes).
    // NotFound beyond the record count; Corrupt when the file ends inside it.
    Status read(uint32_t recno, char *record);
    // Replaces record `recno`. ReadOnly on a read-only table.
    Status replace(uint32_t recno, const char *record);
    // Appends a record; *recno receives its number. Shared opens take the
    // header lock (waiting up to the lock timeout) for the duration.
    Status append(const char *record, uint32_t *recno);
    // A record of blanks (binary fields zero), not deleted.
    std::string blankRecord() const;
    // Sets or clears the deletion byte of record `recno`.
    Status setDeleted(uint32_t recno, bool deleted);

    // Memo fields. readMemo reads the value the field of `record` points to
    // (empty when none); `type`, when given, receives the block type (1 text,
    // 2 object, 0 picture). Corrupt when the pointer or length lies beyond
    // the memo file. writeMemo stores `data` for field `field` of record
    // `recno` and writes the record with its new pointer; a value that fits
    // the old blocks reuses them, otherwise it goes to the end of the file.
    Status readMemo(int field, const char *record, std::string &out, uint32_t *type = nullptr);
    Status writeMemo(uint32_t recno, int field, std::string_view data, uint32_t type = 1);
    // Stores `data` in new memo blocks and puts their number into field
    // `field` of `record` (recordLength() bytes), without writing any
    // record: the caller writes or appends the record afterwards, so that a
    // record never points at a memo that is not on disk yet. A failure
    // leaves `record` unchanged (at worst unreferenced blocks in the memo
    // file).
    Status storeMemo(int field, std::string_view data, uint32_t type, char *record);
    // The block number a memo field of `record` holds, 0 for none.
    uint32_t memoBlock(int field, const char *record) const;

    // Record locks: byte-range locks at the FoxPro offsets, visible to other
    // processes and to other Tables of this process. lockRecord never waits:
    // Locked when another holder has the record. Locking a record this Table
    // already holds succeeds. ReadOnly on a read-only table.
    Status lockRecord(uint32_t recno);
    Status unlockRecord(uint32_t recno);
    void unlockAll();
    bool holdsRecordLock(uint32_t recno) const;
    // The file lock: the byte range of every record lock at once, as other
    // xBase programs take it. Locked when another holder has a record or
    // the file locked. Released by unlockFile and unlockAll.
    Status lockFile();
    void unlockFile();
    bool holdsFileLock() const;
    // Whether another holder has record `recno` locked.
    bool lockedByOther(uint32_t recno);
    // The header lock, taken by appends and memo allocation; waits up to the
    // lock timeout (milliseconds, default 5000) and then fails with Locked.
    // Nested calls count.
    Status lockHeader();
    void unlockHeader();
    void setLockTimeout(int milliseconds);

    // Writes buffered appends and the header. commit() also makes them
    // durable (fdatasync of table and memo file).
    Status flush();
    Status commit();

    // Encryption of the record bytes (see Cipher.h). setPassword takes
    // effect at once for reading and writing; a wrong password yields
    // unreadable bytes, never an error; changes are refused (BadArgument)
    // until the password matches. encrypt() enciphers every record of a
    // plain table with the current password: the table is written whole
    // under a temporary name and renamed into place, with exclusive access
    // for the duration (Locked when another holder has the table open).
    void setPassword(std::string_view password);
    bool isEncrypted() const;
    bool passwordMatches() const; // false when encrypted and the key check fails
    Status encrypt();

    // Header byte 28, bit 0x01: a structural CDX belongs to the table.
    bool hasStructuralIndexFlag() const;
    Status setStructuralIndexFlag(bool on);

    // Observers are not owned and must stay alive until removed.
    void addObserver(TableObserver *observer);
    void removeObserver(TableObserver *observer);

    Env *env() const;

    // Recovery of a damaged table, for maintenance tools. openForRepair opens
    // exclusively like open(), but takes a header count beyond the whole
    // records in the file as the number of whole records, and a memo file
    // that is missing or has no complete header as unreadable (no memo
    // values). repairRecords then makes the files agree: the count becomes
    // the number of whole records (records an interrupted append wrote after
    // the counted ones are kept when their deletion byte is sound), a torn
    // last record is cut, the end mark written; memo references that lead
    // nowhere are cleared, and an unreadable memo file is replaced by an
    // empty one. The count is written before a cut when it shrinks and after
    // it when it grows, so a crash in between leaves a table that opens.
    // An encrypted table needs its password first (BadArgument otherwise),
    // since memo references lie in the enciphered bytes.
    struct RepairReport {
        uint32_t headerCount = 0;  // the count the header claimed
        uint32_t records = 0;      // the records the table holds now
        uint64_t bytesCut = 0;     // bytes after the last whole record, cut off
        uint32_t memosCleared = 0; // memo references cleared
        std::string memoProblem;   // why the memo file was replaced (empty: it was not)
    };
    static Status openForRepair(Env *env, const std::string &path, std::unique_ptr<Table> &out);
    Status repairRecords(RepairReport &report);

private:
    Table();
    static Status openImpl(Env *env, const std::string &path, OpenMode mode, bool forRepair,
                           std::unique_ptr<Table> &out);
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace xb
