// Recovery of a damaged table: the record extent and the memo references.
#include "xbase/table/TableImpl.h"

namespace xb {

using namespace tablefile;

Status Table::openForRepair(Env *env, const std::string &path, std::unique_ptr<Table> &out)
{
    return openImpl(env, path, OpenMode::Exclusive, true, out);
}

namespace {

// The block size an unreadable memo file's header still tells, else the
// default.
uint16_t salvagedBlockSize(Env *env, const std::string &memoPath)
{
    std::unique_ptr<File> f;
    unsigned char head[8];
    std::size_t got = 0;
    if (memoPath.empty() || !env->openFile(memoPath, false, f) || !f->read(0, head, sizeof head, &got) || got < 8)
        return 64;
    const uint16_t size = uint16_t(head[6] << 8 | head[7]);
    return size ? size : 64;
}

} // namespace

Status Table::repairRecords(RepairReport &report)
{
    Impl &i = *d;
    report = RepairReport();
    if (i.mode != OpenMode::Exclusive)
        return Status::badArgument(i.path + ": a table is repaired only while held exclusively");
    if (isEncrypted() && !passwordMatches())
        return Status::badArgument(i.path + ": encrypted; the repair needs the table's password");
    Status s = i.flushPending();
    if (!s)
        return s;
    i.cacheCount = 0;
    const uint32_t rl = i.recordLength;
    uint64_t size = 0;
    if (!(s = i.file->size(&size)))
        return s;
    const uint64_t whole64 = size > i.headerLength ? (size - i.headerLength) / rl : 0;
    uint32_t keep = uint32_t(std::min<uint64_t>(whole64, 0xFFFFFFFFu));
    report.headerCount = i.claimedCount;

    // Whole records after the counted ones: an append got them on disk but
    // not into the count. Keep them up to the first that is no record.
    for (uint32_t recno = i.claimedCount + 1; recno <= keep; ++recno) {
        char flag = 0;
        std::size_t got = 0;
        if (!(s = i.file->read(i.recordOffset(recno), &flag, 1, &got)))
            return s;
        if (got < 1 || (flag != ' ' && flag != '*')) {
            keep = recno - 1;
            break;
        }
    }
    const uint64_t end = i.headerLength + uint64_t(keep) * rl;
    bool endMarked = false;
    if (size == end + 1) {
        char mark = 0;
        std::size_t got = 0;
        if (!(s = i.file->read(end, &mark, 1, &got)))
            return s;
        endMarked = got == 1 && mark == '\x1A';
    }
    report.records = keep;
    report.bytesCut = !endMarked && size > end ? size - end : 0;

    const bool shrinks = keep < i.claimedCount;
    if (shrinks) {
        if (!(s = i.writeCount(keep)) || !(s = i.file->sync()))
            return s;
    }
    if (!endMarked) {
        const char mark = '\x1A';
        if (!(s = i.file->truncate(end)) || !(s = i.file->write(end, &mark, 1)) || !(s = i.file->sync()))
            return s;
    }
    if (!shrinks && keep != i.claimedCount) {
        if (!(s = i.writeCount(keep)) || !(s = i.file->sync()))
            return s;
    }
    i.count = keep;
    i.claimedCount = keep;

    bool anyMemo = false;
    for (unsigned char m : i.memoRef)
        anyMemo = anyMemo || m;
    if (!anyMemo)
        return Status::ok();
    if (!i.memo) {
        // Nothing of the old memo file can be read: start an empty one (the
        // caller has kept a copy of the old) and clear every reference.
        report.memoProblem = i.memoProblem;
        if (i.memoPath.empty())
            i.memoPath = withExtension(i.path, ".FPT");
        const uint16_t blockSize = salvagedBlockSize(i.env, i.memoPath);
        if (!(s = MemoFile::create(i.env, i.memoPath, blockSize))
            || !(s = MemoFile::open(i.env, i.memoPath, true, i.memo)))
            return s;
        i.memoProblem.clear();
    }
    const std::string blank = blankRecord();
    std::string record(rl, '\0'), value;
    for (uint32_t recno = 1; recno <= keep; ++recno) {
        if (!(s = read(recno, record.data())))
            return s;
        bool changed = false;
        for (int f = 0; f < int(i.fields.size()); ++f) {
            if (!i.memoRef[std::size_t(f)])
                continue;
            const uint32_t block = memoBlock(f, record.data());
            if (block == 0)
                continue;
            s = block == 0xFFFFFFFFu ? Status::corrupt("not a block number") : i.memo->read(block, value, nullptr);
            if (s)
                continue;
            if (s.code() != Status::Code::Corrupt)
                return s;
            const FieldInfo &fi = i.fields[std::size_t(f)];
            std::memcpy(record.data() + fi.offset, blank.data() + fi.offset, std::size_t(fi.width));
            changed = true;
            ++report.memosCleared;
        }
        if (changed) {
            // Written as stored: the cipher is its own inverse.
            i.decipher(recno, record.data());
            if (!(s = i.file->write(i.recordOffset(recno), record.data(), rl)))
                return s;
            i.cacheCount = 0;
        }
    }
    if (!(s = i.file->sync()) || !(s = i.memo->sync()))
        return s;
    return Status::ok();
}

} // namespace xb
