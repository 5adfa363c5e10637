// The FPT memo file of a table: values in runs of fixed-size blocks.
//
// Byte table (integers big-endian):
//   File header, 512 bytes:
//     0  4  next free block (the file's end in blocks)
//     4  2  zero
//     6  2  block size in bytes (64 by default; 0 is read as 1)
//     8  504 zero (other writers leave a signature here)
//   Block n starts at n * block size; a value occupies
//   ceil((8 + length) / block size) consecutive blocks:
//     0  4  type: 0 picture, 1 text, 2 object
//     4  4  length in bytes
//     8  .. the bytes; the rest of the last block is filler (zeros)
//   The first usable block is ceil(512 / block size). There is no free list:
//   a value that no longer fits its blocks moves to the end and the old
//   blocks stay dead.
//
// Crash safety (the table writes the record's pointer last):
//   1. A new value's blocks are written completely (header, data, filler)
//      before the file header's next-free pointer moves past them.
//   2. The next-free pointer is written before the record that points to the
//      new blocks, so no record ever points beyond next free.
//   3. A value rewritten in place (it fits its old blocks) is one write; a
//      crash during it damages that value only.
// In shared mode the caller holds the table's header lock around write(), and
// next free is re-read from the file under it.
#pragma once

#include "xbase/table/Status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace xb {

class Env;
class File;

class MemoFile {
public:
    ~MemoFile();
    MemoFile(const MemoFile &) = delete;
    MemoFile &operator=(const MemoFile &) = delete;

    // Writes an empty memo file (replacing any file of that name).
    static Status create(Env *env, const std::string &path, uint16_t blockSize);
    // Opens a memo file; Corrupt when its header is shorter than 512 bytes.
    static Status open(Env *env, const std::string &path, bool writable, std::unique_ptr<MemoFile> &out);

    const std::string &path() const { return m_path; }
    uint32_t blockSize() const { return m_blockSize; }

    // Reads the value at `block`. Corrupt (naming the file) when the block or
    // the length lies beyond the end of the file or before the first usable
    // block. `type` may be null.
    Status read(uint32_t block, std::string &out, uint32_t *type);
    // Writes a value and gives its first block in *block (0 for an empty
    // value, which needs no block). `oldBlock` (0: none) is reused when the
    // new value fits the blocks the old one occupies.
    Status write(uint32_t oldBlock, std::string_view data, uint32_t type, uint32_t *block);
    Status sync();

    // Next free block, as last read.
    uint32_t nextFree() const { return m_nextFree; }

private:
    MemoFile() = default;
    Status readHeader();
    uint32_t blocksFor(uint64_t length) const { return static_cast<uint32_t>((8 + length + m_blockSize - 1) / m_blockSize); }

    std::unique_ptr<File> m_file;
    std::string m_path;
    uint32_t m_blockSize = 64;
    uint32_t m_nextFree = 0;
    uint32_t m_firstBlock = 8;
};

} // namespace xb
