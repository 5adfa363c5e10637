// The inside of a Table, shared by Table.cpp (files, records, memos) and
// TableLocking.cpp (locks, encryption, flags, observers). Internal.
#pragma once

#include "xbase/table/Cipher.h"
#include "xbase/table/Env.h"
#include "xbase/table/MemoFile.h"
#include "xbase/table/Table.h"

#include <cstring>
#include <set>

namespace xb {
namespace tablefile {


// Lock offsets of the FoxPro family: record n at kLockBase - n, the header
// ("record 0") at kLockBase. The byte above marks how the file is open:
// shared and read-only opens hold it shared, an exclusive open exclusively.
constexpr uint64_t kLockBase = 2147483646ull;
constexpr uint64_t kOpenMarker = 2147483647ull;
// The file lock (FLOCK) of the family: one lock over the range of every
// record lock, so that while another program holds it no record can be
// locked or appended.
constexpr uint64_t kFileLockFirst = 0x77FFFFFFull;
constexpr uint64_t kFileLockLength = 0x7FFFFFFDull - kFileLockFirst + 1;

constexpr uint8_t kPlain = 0x00;
constexpr uint8_t kEncrypted = 0xE1;

constexpr std::size_t kPendingLimit = 64 * 1024;
constexpr std::size_t kReadAhead = 64 * 1024;

inline std::string baseName(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline std::string withExtension(const std::string &path, const char *ext)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string stem = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        ? path : path.substr(0, dot);
    return stem + ext;
}

inline uint16_t load16(const unsigned char *p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t load32(const unsigned char *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void store16(unsigned char *p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void store32(unsigned char *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}


} // namespace tablefile


struct Table::Impl {
    Env *env = nullptr;
    std::unique_ptr<File> file;
    std::unique_ptr<MemoFile> memo;
    std::string path, memoPath, name;
    OpenMode mode = OpenMode::Shared;

    unsigned char header[32] = {};
    uint32_t headerLength = 0, recordLength = 0, count = 0;
    std::vector<FieldInfo> fields;
    std::vector<unsigned char> memoRef, binaryMemo, fieldFlags;

    // Appends not yet written (exclusive only): records pendingFirst.. .
    std::string pending;
    uint32_t pendingFirst = 0;
    // Read-ahead: records cacheFirst .. cacheFirst + cacheCount - 1.
    std::string cache;
    uint32_t cacheFirst = 0, cacheCount = 0, lastRead = 0;

    std::set<uint32_t> recordLocks;
    int headerLockDepth = 0;
    int lockTimeoutMs = 5000;
    bool exclusiveUpgrade = false;
    bool fileLocked = false; // this Table holds the file lock

    // Opened by openForRepair: the count the header claims, and why the memo
    // file could not be opened (empty when it could).
    bool repairOpen = false;
    uint32_t claimedCount = 0;
    std::string memoProblem;

    std::string password;
    std::unique_ptr<Cipher> cipher;
    std::vector<TableObserver *> observers;

    bool writable() const { return mode != OpenMode::ReadOnly; }
    uint8_t encState() const { return header[15]; }
    uint64_t recordOffset(uint32_t recno) const { return headerLength + uint64_t(recno - 1) * recordLength; }
    uint32_t pendingCount() const { return recordLength ? uint32_t(pending.size() / recordLength) : 0; }

    Status parse(uint64_t fileSize);
    Status readCount();
    Status writeCount(uint32_t n);
    Status writeHeaderBytes(int from, int to);
    Status flushPending();
    void makeCipher();
    bool recordEnciphered(uint32_t) const { return encState() == tablefile::kEncrypted; }
    void decipher(uint32_t recno, char *record) const
    {
        if (cipher && recordEnciphered(recno))
            cipher->applyToRecord(recno, record + 1, recordLength - 1);
    }
    Status checkWritable(const char *what) const;
    Status checkIndexFollows(const char *what) const;
    Status askObservers() const;
    // ReadOnly for a table marked with a code page other than Windows-1252.
    Status checkCodePage(const char *what) const;
    Status notifyAppended(uint32_t recno, const char *record);
    Status notifyReplaced(uint32_t recno, const char *oldRecord, const char *newRecord);
};

} // namespace xb
