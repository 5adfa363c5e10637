// The engine's window on the operating system: files opened by path, read and
// written at offsets, sized, truncated, synced, renamed, and byte-range locks
// that other processes and other descriptors of this process both see.
//
// Everything in xbase/ reaches the disk through an Env, never through the C
// library directly, so that tests can substitute an Env whose files fail the
// Nth operation (crash and I/O-error tests). Env::posix() is the real one.
#pragma once

#include "xbase/table/Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace xb {

// One open file. Not copyable; closing it (destroying the object) releases
// only the locks taken through this object, never those of another File on
// the same path (locks belong to the open file description, not the process).
class File {
public:
    File() = default;
    virtual ~File() = default;
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    // Reads up to `n` bytes at `offset` into `buf`; *got receives the number
    // read, fewer than `n` only at the end of the file. IoError on failure.
    virtual Status read(uint64_t offset, void *buf, std::size_t n, std::size_t *got) = 0;
    // Writes all `n` bytes at `offset`, extending the file when needed.
    // IoError on failure (including a short write); a failed write may have
    // written any prefix of the bytes.
    virtual Status write(uint64_t offset, const void *buf, std::size_t n) = 0;
    virtual Status size(uint64_t *out) = 0;
    virtual Status truncate(uint64_t size) = 0;
    // Makes every completed write durable (fdatasync).
    virtual Status sync() = 0;

    // Byte-range locks on [offset, offset + length): shared (read) or
    // exclusive (write). tryLock never waits: Locked when another holder's
    // lock conflicts. Locks of one File never conflict with each other;
    // taking a lock over a range already held converts it. unlock releases
    // the range (unlocking a range not held is not an error).
    enum class LockKind { Shared, Exclusive };
    virtual Status tryLock(uint64_t offset, uint64_t length, LockKind kind) = 0;
    virtual Status unlock(uint64_t offset, uint64_t length) = 0;
    // Whether another holder (another process or another File of this
    // process) holds a lock that conflicts with `kind` on the range.
    virtual Status testLock(uint64_t offset, uint64_t length, LockKind kind, bool *lockedByOther) = 0;
    // The whole-file lock of flock(2), which other xBase programs on Linux
    // take to mark shared and exclusive opens (it does not conflict with the
    // byte-range locks). Never waits: Locked when another holder's conflicts.
    // Files that are no real files keep nobody out.
    virtual Status lockWhole(LockKind kind)
    {
        (void)kind;
        return Status::ok();
    }

    virtual const std::string &path() const = 0;
};

class Env {
public:
    Env() = default;
    virtual ~Env() = default;
    Env(const Env &) = delete;
    Env &operator=(const Env &) = delete;

    // The process-wide POSIX implementation; never destroyed.
    static Env *posix();

    // Opens an existing file for reading, or for reading and writing when
    // `writable`. NotFound when it does not exist, IoError otherwise. The
    // caller owns *out.
    virtual Status openFile(const std::string &path, bool writable, std::unique_ptr<File> &out) = 0;
    // Creates a file for reading and writing; an existing file is truncated
    // when `truncate`, else the call fails with BadArgument.
    virtual Status createFile(const std::string &path, bool truncate, std::unique_ptr<File> &out) = 0;
    virtual bool fileExists(const std::string &path) = 0;
    virtual Status removeFile(const std::string &path) = 0;
    // Atomically replaces `to` by `from`.
    virtual Status renameFile(const std::string &from, const std::string &to) = 0;
    // The path of an existing file in the directory of `path` whose name
    // equals the name of `path` without regard to ASCII case ("notizen.fpt"
    // finds "NOTIZEN.FPT"); the exact name wins. NotFound when none exists.
    virtual Status findFileNoCase(const std::string &path, std::string *found) = 0;
};

} // namespace xb
