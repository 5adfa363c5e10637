// FPT reading and writing; see MemoFile.h for the byte table and the rules.
#include "xbase/table/MemoFile.h"

#include "xbase/table/Env.h"

#include <cstring>
#include <vector>

namespace xb {

namespace {

uint32_t loadBe32(const unsigned char *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void storeBe32(unsigned char *p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

constexpr uint64_t kMaxValue = 256u * 1024 * 1024; // refuse absurd lengths before allocating

} // namespace

MemoFile::~MemoFile() = default;

Status MemoFile::create(Env *env, const std::string &path, uint16_t blockSize)
{
    if (blockSize == 0)
        return Status::badArgument(path + ": memo block size 0");
    std::unique_ptr<File> file;
    Status s = env->createFile(path, true, file);
    if (!s)
        return s;
    unsigned char header[512] = {};
    storeBe32(header, (512 + blockSize - 1) / blockSize);
    header[6] = static_cast<unsigned char>(blockSize >> 8);
    header[7] = static_cast<unsigned char>(blockSize);
    s = file->write(0, header, sizeof header);
    if (s)
        s = file->sync();
    return s;
}

Status MemoFile::open(Env *env, const std::string &path, bool writable, std::unique_ptr<MemoFile> &out)
{
    std::unique_ptr<MemoFile> memo(new MemoFile);
    memo->m_path = path;
    Status s = env->openFile(path, writable, memo->m_file);
    if (!s)
        return s;
    s = memo->readHeader();
    if (!s)
        return s;
    out = std::move(memo);
    return Status::ok();
}

Status MemoFile::readHeader()
{
    unsigned char header[8];
    std::size_t got = 0;
    Status s = m_file->read(0, header, sizeof header, &got);
    if (!s)
        return s;
    uint64_t size = 0;
    if (!(s = m_file->size(&size)))
        return s;
    if (got < sizeof header || size < 512)
        return Status::corrupt(m_path + ": memo file header truncated");
    m_nextFree = loadBe32(header);
    m_blockSize = uint32_t(header[6]) << 8 | header[7];
    if (m_blockSize == 0)
        m_blockSize = 1;
    m_firstBlock = (512 + m_blockSize - 1) / m_blockSize;
    return Status::ok();
}

Status MemoFile::read(uint32_t block, std::string &out, uint32_t *type)
{
    out.clear();
    if (type)
        *type = 1;
    if (block == 0)
        return Status::ok();
    uint64_t size = 0;
    Status s = m_file->size(&size);
    if (!s)
        return s;
    const uint64_t start = uint64_t(block) * m_blockSize;
    if (block < m_firstBlock || start + 8 > size)
        return Status::corrupt(m_path + ": memo block " + std::to_string(block) + " beyond the end of the file");
    unsigned char head[8];
    std::size_t got = 0;
    if (!(s = m_file->read(start, head, sizeof head, &got)))
        return s;
    if (got < sizeof head)
        return Status::corrupt(m_path + ": memo block " + std::to_string(block) + " truncated");
    const uint32_t length = loadBe32(head + 4);
    if (length > kMaxValue || start + 8 + length > size)
        return Status::corrupt(m_path + ": memo at block " + std::to_string(block) + " claims "
                               + std::to_string(length) + " bytes beyond the end of the file");
    out.resize(length);
    if (!(s = m_file->read(start + 8, out.data(), length, &got)))
        return s;
    if (got < length)
        return Status::corrupt(m_path + ": memo at block " + std::to_string(block) + " truncated");
    if (type)
        *type = loadBe32(head);
    return Status::ok();
}

Status MemoFile::write(uint32_t oldBlock, std::string_view data, uint32_t type, uint32_t *block)
{
    *block = 0;
    if (data.empty())
        return Status::ok();
    if (data.size() > kMaxValue)
        return Status::badArgument(m_path + ": memo value too long");
    // Re-read the header: another process may have allocated since.
    Status s = readHeader();
    if (!s)
        return s;
    if (m_nextFree < m_firstBlock)
        return Status::corrupt(m_path + ": next free block " + std::to_string(m_nextFree) + " inside the header");

    const uint32_t needed = blocksFor(data.size());
    std::vector<unsigned char> buf(uint64_t(needed) * m_blockSize, 0);
    storeBe32(buf.data(), type);
    storeBe32(buf.data() + 4, static_cast<uint32_t>(data.size()));
    std::memcpy(buf.data() + 8, data.data(), data.size());

    if (oldBlock >= m_firstBlock && oldBlock < m_nextFree) {
        unsigned char head[8];
        std::size_t got = 0;
        if ((s = m_file->read(uint64_t(oldBlock) * m_blockSize, head, sizeof head, &got)) && got == sizeof head) {
            const uint64_t oldBlocks = blocksFor(loadBe32(head + 4));
            if (needed <= oldBlocks && uint64_t(oldBlock) + oldBlocks <= m_nextFree) {
                // Rule 3: in place, one write.
                if (!(s = m_file->write(uint64_t(oldBlock) * m_blockSize, buf.data(), buf.size())))
                    return s;
                *block = oldBlock;
                return Status::ok();
            }
        }
    }
    const uint32_t at = m_nextFree;
    if (uint64_t(at) + needed > 0xFFFFFFFFull)
        return Status::badArgument(m_path + ": memo file full");
    // Rule 1: the blocks first, then the pointer past them.
    if (!(s = m_file->write(uint64_t(at) * m_blockSize, buf.data(), buf.size())))
        return s;
    unsigned char next[4];
    storeBe32(next, at + needed);
    if (!(s = m_file->write(0, next, sizeof next)))
        return s;
    m_nextFree = at + needed;
    *block = at;
    return Status::ok();
}

Status MemoFile::sync()
{
    return m_file->sync();
}

} // namespace xb
