// DBF tables. Byte table of what this file writes (little-endian):
//
//   Header, 32 bytes
//     0   1  type: 0x03 plain, 0xF5 with an FPT memo file
//     1   3  last update: year mod 100, month, day
//     4   4  record count
//     8   2  header length = 32 + 32 * fields + 1
//     10  2  record length = 1 + sum of the widths
//     12  2  key check of an encrypted table (low 16 bits, see Cipher.h); 0
//     14  1  zero
//     15  1  encryption: 0x00 none, 0xE1 encrypted (any other value: encrypted
//            by another program, records read as stored, changes refused)
//     16  8  salt of an encrypted table; zero
//     24  4  zero
//     28  1  flags: 0x01 a structural CDX belongs to the table (set by the
//            index code); FoxPro 2.x sets no memo bit
//     29  1  code-page mark: 0x03 Windows-1252
//     30  2  zero
//   Field descriptors, 32 bytes each
//     0   11 name, NUL-padded; 11 type letter; 12 4 offset in the record;
//     16  1  width; 17 1 decimals; 18..31 zero
//   0x0D after the last descriptor
//   Records of `record length` bytes: deletion byte (0x20 live, 0x2A
//   deleted), then the fields; of an encrypted table, every byte after the
//   deletion byte is enciphered
//   0x1A after the last record
//
// Crash safety. States of the tail of the file: (A) header count N, records
// 1..N on disk, maybe stray bytes after them; (B) a new record written after
// record N but not yet counted. Rules:
//   1. An append writes the record (and the 0x1A after it) before the header
//      count that claims it (append, flushPending: A -> B -> A). The header
//      never claims a record that is not on disk; a crash in B loses only
//      the uncounted record(s), and the next append overwrites them.
//   2. Exclusive opens collect appends in memory and write them as one run
//      followed by the count (flushPending, at 64 KB, flush, commit, close,
//      and before anything else reads the file); a crash loses the appends
//      since the last flush, never earlier records.
//   3. A replace is one write of one record at its place; a crash during it
//      damages that record only.
//   4. Memo values are written before the record that points to them (see
//      MemoFile.h).
//   5. Encryption writes the enciphered table whole under a temporary name,
//      syncs it and renames it over the table (encrypt): a crash leaves
//      either the plain or the encrypted table, never a mixture.
//   6. commit() syncs data and header to disk.
// Appends in shared mode hold the header lock from reading the count until
// the new count is written.
#include "xbase/table/Table.h"

#include "xbase/table/TableImpl.h"

#include "xbase/table/Cipher.h"
#include "xbase/text/Dates.h"
#include "xbase/table/Env.h"
#include "xbase/table/MemoFile.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <thread>

namespace xb {

namespace {

using namespace tablefile;

bool knownVersion(uint8_t v)
{
    switch (v) {
    case 0x02: case 0x03: case 0x04: case 0x05: case 0x30: case 0x31: case 0x32: case 0x43:
    case 0x63: case 0x83: case 0x8B: case 0x8E: case 0xCB: case 0xE5: case 0xF5: case 0xFB:
        return true;
    default:
        return false;
    }
}

bool knownType(char t)
{
    return std::strchr("CNFDLMGPBIYT0VQW@+O", t) != nullptr && t != 0;
}

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}


} // namespace

using namespace tablefile;


Table::Table() : d(std::make_unique<Impl>()) {}

Table::~Table()
{
    if (d->file) {
        d->flushPending();
        unlockAll();
    }
}

Status Table::Impl::parse(uint64_t fileSize)
{
    if (fileSize < 32)
        return Status::corrupt(path + ": file of " + std::to_string(fileSize) + " bytes is no DBF table (header truncated)");
    std::size_t got = 0;
    Status s = file->read(0, header, 32, &got);
    if (!s)
        return s;
    if (!knownVersion(header[0])) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "0x%02X", header[0]);
        return Status::corrupt(path + ": not a DBF table (type byte " + buf + ")");
    }
    count = load32(header + 4);
    headerLength = load16(header + 8);
    recordLength = load16(header + 10);
    if (headerLength < 33 || headerLength > fileSize)
        return Status::corrupt(path + ": header length " + std::to_string(headerLength) + " impossible for a file of "
                               + std::to_string(fileSize) + " bytes");
    if (recordLength < 2)
        return Status::corrupt(path + ": record length " + std::to_string(recordLength) + " impossible");

    std::string desc(headerLength - 32, '\0');
    if (!(s = file->read(32, desc.data(), desc.size(), &got)))
        return s;
    if (got < desc.size())
        return Status::corrupt(path + ": field descriptors truncated");
    const bool vfp = header[0] == 0x30 || header[0] == 0x31 || header[0] == 0x32;
    int offset = 1, nullBits = 0;
    std::size_t pos = 0;
    for (;; pos += 32) {
        if (pos >= desc.size())
            return Status::corrupt(path + ": field descriptors not terminated by 0x0D");
        if (static_cast<unsigned char>(desc[pos]) == 0x0D)
            break;
        if (pos + 32 > desc.size())
            return Status::corrupt(path + ": field descriptors not terminated by 0x0D");
        const auto *p = reinterpret_cast<const unsigned char *>(desc.data() + pos);
        FieldInfo f;
        const std::size_t nameLen = strnlen(reinterpret_cast<const char *>(p), 11);
        f.name.assign(reinterpret_cast<const char *>(p), nameLen);
        const int number = int(pos / 32) + 1;
        if (f.name.empty())
            return Status::corrupt(path + ": field " + std::to_string(number) + " has no name");
        for (char c : f.name)
            if (static_cast<unsigned char>(c) < 0x20)
                return Status::corrupt(path + ": field " + std::to_string(number) + " has a broken name");
        f.type = static_cast<char>(p[11]);
        if (f.type >= 'a' && f.type <= 'z')
            f.type = static_cast<char>(f.type - 32);
        if (!knownType(f.type)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "0x%02X", p[11]);
            return Status::corrupt(path + ": unknown field type " + buf + " of field " + f.name);
        }
        f.width = p[16];
        f.decimals = p[17];
        if (f.type == 'C' && !vfp && f.decimals > 0) {
            // Character fields wider than 255 keep the high byte in "decimals".
            f.width += f.decimals * 256;
            f.decimals = 0;
        }
        if (f.width == 0)
            return Status::corrupt(path + ": field " + f.name + " has width 0");
        f.offset = offset;
        offset += f.width;
        const uint8_t flags = vfp ? p[18] : 0;
        if (vfp && (flags & 0x02) && f.type != '0')
            f.nullable = true, f.nullBit = nullBits++;
        const bool ref = f.type == 'M' || f.type == 'G' || f.type == 'P' || f.type == 'W'
            || (f.type == 'B' && !vfp && f.width == 10);
        memoRef.push_back(ref && (f.width == 10 || f.width == 4));
        binaryMemo.push_back(ref && f.width == 4);
        fieldFlags.push_back(flags);
        fields.push_back(std::move(f));
    }
    if (fields.empty())
        return Status::corrupt(path + ": table without fields");
    if (uint32_t(offset) != recordLength)
        return Status::corrupt(path + ": record length " + std::to_string(recordLength) + " differs from the fields' "
                               + std::to_string(offset));
    const uint64_t need = headerLength + uint64_t(count) * recordLength;
    if (need > fileSize) {
        // The size was taken before the count was read: another program's
        // append (record first, then count) may have finished in between.
        uint64_t now = 0;
        if (file->size(&now) && now > fileSize)
            fileSize = now;
    }
    claimedCount = count;
    if (need > fileSize) {
        const uint64_t whole = fileSize > headerLength ? (fileSize - headerLength) / recordLength : 0;
        if (repairOpen) {
            count = uint32_t(whole); // what is there; repairRecords() makes it so
            return Status::ok();
        }
        return Status::corrupt(path + ": record count " + std::to_string(count) + " beyond the file size (holds "
                               + std::to_string(whole) + " whole records)");
    }
    return Status::ok();
}

Status Table::open(Env *env, const std::string &path, OpenMode mode, std::unique_ptr<Table> &out)
{
    return openImpl(env, path, mode, false, out);
}

Status Table::openImpl(Env *env, const std::string &path, OpenMode mode, bool forRepair, std::unique_ptr<Table> &out)
{
    if (!env)
        env = Env::posix();
    std::unique_ptr<Table> t(new Table);
    Impl &d = *t->d;
    d.env = env;
    d.mode = mode;
    d.repairOpen = forRepair;
    std::string real;
    Status s = env->findFileNoCase(path, &real);
    if (!s)
        return Status::notFound(path + ": table does not exist");
    d.path = real;
    d.name = baseName(real);
    if (!(s = env->openFile(real, mode != OpenMode::ReadOnly, d.file)))
        return s;
    s = d.file->tryLock(kOpenMarker, 1, mode == OpenMode::Exclusive ? File::LockKind::Exclusive : File::LockKind::Shared);
    // Other xBase programs mark their opens with flock: take it too, so that
    // an exclusive open on either side keeps the other out.
    if (s)
        s = d.file->lockWhole(mode == OpenMode::Exclusive ? File::LockKind::Exclusive : File::LockKind::Shared);
    if (!s)
        return s.code() != Status::Code::Locked ? s
            : Status::locked(real + (mode == OpenMode::Exclusive ? ": in use by another user"
                                                                 : ": opened exclusively by another user"));
    uint64_t size = 0;
    if (!(s = d.file->size(&size)) || !(s = d.parse(size)))
        return s;
    bool anyMemo = false;
    for (unsigned char m : d.memoRef)
        anyMemo = anyMemo || m;
    if (anyMemo) {
        std::string memoPath;
        if (!env->findFileNoCase(withExtension(real, ".fpt"), &memoPath)) {
            if (!forRepair)
                return Status::notFound(real + ": memo file " + baseName(withExtension(real, ".FPT")) + " is missing");
            d.memoProblem = "memo file " + baseName(withExtension(real, ".FPT")) + " is missing";
        } else if (!(s = MemoFile::open(env, memoPath, mode != OpenMode::ReadOnly, d.memo))) {
            if (!forRepair || s.code() != Status::Code::Corrupt)
                return s;
            d.memoProblem = s.detail();
        }
        d.memoPath = memoPath;
    }
    out = std::move(t);
    return Status::ok();
}

Status Table::create(Env *env, const std::string &path, const std::vector<FieldSpec> &specs,
                     const CreateOptions &options)
{
    if (!env)
        env = Env::posix();
    if (specs.empty() || specs.size() > 255)
        return Status::badArgument(path + ": a table needs 1 to 255 fields");
    std::string desc;
    std::set<std::string> names;
    int offset = 1;
    bool anyMemo = false;
    for (const FieldSpec &fieldSpec : specs) {
        const std::string name = upper(fieldSpec.name);
        bool nameOk = !name.empty() && name.size() <= 10 && name[0] >= 'A' && name[0] <= 'Z';
        for (char c : name)
            nameOk = nameOk && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
        if (!nameOk)
            return Status::badArgument(path + ": invalid field name \"" + fieldSpec.name + "\"");
        if (!names.insert(name).second)
            return Status::badArgument(path + ": field " + name + " given twice");
        char type = fieldSpec.type >= 'a' && fieldSpec.type <= 'z' ? static_cast<char>(fieldSpec.type - 32) : fieldSpec.type;
        int width = fieldSpec.width, decimals = fieldSpec.decimals;
        switch (type) {
        case 'C':
            decimals = 0;
            if (width < 1 || width > 254)
                return Status::badArgument(path + ": width of character field " + name + " must be 1 to 254");
            break;
        case 'N': case 'F':
            if (width < 1 || width > 20 || decimals < 0 || (decimals > 0 && decimals > width - 2))
                return Status::badArgument(path + ": width or decimals of numeric field " + name + " out of range");
            break;
        case 'D': width = 8; decimals = 0; break;
        case 'L': width = 1; decimals = 0; break;
        case 'M': case 'G': case 'P': width = 10; decimals = 0; anyMemo = true; break;
        default:
            return Status::badArgument(path + ": field type '" + std::string(1, type) + "' of " + name
                                       + " cannot be created (C N F D L M G P)");
        }
        unsigned char d[32] = {};
        std::memcpy(d, name.data(), name.size());
        d[11] = static_cast<unsigned char>(type);
        store32(d + 12, static_cast<uint32_t>(offset));
        d[16] = static_cast<unsigned char>(width);
        d[17] = static_cast<unsigned char>(decimals);
        desc.append(reinterpret_cast<const char *>(d), 32);
        offset += width;
    }
    if (offset > 65500)
        return Status::badArgument(path + ": record of " + std::to_string(offset) + " bytes too long");
    if (anyMemo && options.memoBlockSize == 0)
        return Status::badArgument(path + ": memo block size 0");

    unsigned char h[32] = {};
    h[0] = anyMemo ? 0xF5 : 0x03;
    const Date today = xb::today();
    h[1] = static_cast<unsigned char>(today.year % 100);
    h[2] = static_cast<unsigned char>(today.month);
    h[3] = static_cast<unsigned char>(today.day);
    store16(h + 8, static_cast<uint16_t>(32 + desc.size() + 1));
    store16(h + 10, static_cast<uint16_t>(offset));
    h[29] = options.codePageMark;
    std::string bytes(reinterpret_cast<const char *>(h), 32);
    bytes += desc;
    bytes += '\x0D';
    bytes += '\x1A';

    // The new file is written under a temporary name and renamed into place,
    // so a table of that name is replaced whole or not at all.
    const std::string temp = path + ".new";
    std::unique_ptr<File> file;
    Status s = env->createFile(temp, true, file);
    if (!s)
        return s;
    if (!(s = file->write(0, bytes.data(), bytes.size())) || !(s = file->sync())) {
        file.reset();
        env->removeFile(temp);
        return s;
    }
    file.reset();
    // An old memo file of the table, in any case of its name, would be
    // found on open instead of (or beside) the new one: it goes.
    const std::string memoPath = withExtension(path, ".FPT");
    std::string old;
    for (int i = 0; i < 8 && env->findFileNoCase(withExtension(path, ".fpt"), &old); ++i) {
        if (!(s = env->removeFile(old))) {
            env->removeFile(temp);
            return s;
        }
    }
    if (anyMemo && !(s = MemoFile::create(env, memoPath, options.memoBlockSize))) {
        env->removeFile(temp);
        return s;
    }
    return env->renameFile(temp, path);
}

const std::string &Table::path() const { return d->path; }
const std::string &Table::memoPath() const { return d->memoPath; }
OpenMode Table::mode() const { return d->mode; }
uint8_t Table::versionByte() const { return d->header[0]; }
bool Table::isVisualFoxPro() const { return d->header[0] == 0x30 || d->header[0] == 0x31 || d->header[0] == 0x32; }
uint8_t Table::tableFlags() const { return d->header[28]; }
uint8_t Table::codePageMark() const { return d->header[29]; }
uint32_t Table::headerLength() const { return d->headerLength; }
uint32_t Table::recordLength() const { return d->recordLength; }
uint16_t Table::memoBlockSize() const { return d->memo ? static_cast<uint16_t>(d->memo->blockSize()) : 0; }
const std::vector<FieldInfo> &Table::fields() const { return d->fields; }
bool Table::isMemoField(int f) const { return f >= 0 && f < int(d->fields.size()) && d->memoRef[f]; }
bool Table::isBinaryMemoPointer(int f) const { return f >= 0 && f < int(d->fields.size()) && d->binaryMemo[f]; }
uint8_t Table::fieldFlags(int f) const { return f >= 0 && f < int(d->fields.size()) ? d->fieldFlags[f] : 0; }
Env *Table::env() const { return d->env; }

int Table::fieldIndex(std::string_view name) const
{
    for (std::size_t i = 0; i < d->fields.size(); ++i) {
        const std::string &n = d->fields[i].name;
        if (n.size() == name.size()
            && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
               }))
            return int(i);
    }
    return -1;
}

Status Table::Impl::readCount()
{
    if (mode == OpenMode::Exclusive)
        return Status::ok();
    unsigned char b[4];
    std::size_t got = 0;
    Status s = file->read(4, b, 4, &got);
    if (!s)
        return s;
    if (got < 4)
        return Status::corrupt(path + ": header truncated");
    const uint32_t n = load32(b);
    if (n != count) {
        count = n;
        header[4] = b[0], header[5] = b[1], header[6] = b[2], header[7] = b[3];
        cacheCount = 0;
    }
    return Status::ok();
}

Status Table::recordCount(uint32_t *out)
{
    Status s = d->readCount();
    *out = d->count;
    return s;
}

uint32_t Table::knownRecordCount() const { return d->count; }

void Table::refresh()
{
    if (d->mode != OpenMode::Exclusive)
        d->cacheCount = 0;
}

Status Table::Impl::writeHeaderBytes(int from, int to)
{
    return file->write(from, header + from, to - from);
}

Status Table::Impl::writeCount(uint32_t n)
{
    const Date today = xb::today();
    header[1] = static_cast<unsigned char>(today.year % 100);
    header[2] = static_cast<unsigned char>(today.month);
    header[3] = static_cast<unsigned char>(today.day);
    store32(header + 4, n);
    return writeHeaderBytes(1, 8);
}

Status Table::Impl::flushPending()
{
    if (pending.empty())
        return Status::ok();
    // Rule 2: the run of records and the end mark, then the count.
    pending += '\x1A';
    Status s = file->write(recordOffset(pendingFirst), pending.data(), pending.size());
    pending.pop_back();
    if (!s)
        return s;
    const uint32_t n = pendingFirst + pendingCount() - 1;
    if (!(s = writeCount(n)))
        return s;
    pending.clear();
    pendingFirst = 0;
    return Status::ok();
}

Status Table::flush()
{
    return d->flushPending();
}

Status Table::commit()
{
    Status s = d->flushPending();
    if (s)
        s = d->file->sync();
    if (s && d->memo && d->writable())
        s = d->memo->sync();
    return s;
}

Status Table::read(uint32_t recno, char *record)
{
    Impl &i = *d;
    const uint32_t rl = i.recordLength;
    if (recno == 0 || recno > i.count) {
        Status s = i.readCount();
        if (!s)
            return s;
        if (recno == 0 || recno > i.count)
            return Status::notFound(i.path + ": no record " + std::to_string(recno));
    }
    if (!i.pending.empty() && recno >= i.pendingFirst) {
        std::memcpy(record, i.pending.data() + uint64_t(recno - i.pendingFirst) * rl, rl);
        i.decipher(recno, record);
        return Status::ok();
    }
    if (recno < i.cacheFirst || recno >= i.cacheFirst + i.cacheCount) {
        // Read ahead when walking forward (also over small gaps, as a
        // query's candidates are read), a single record otherwise.
        uint32_t last = i.pending.empty() ? i.count : i.pendingFirst - 1;
        uint32_t n = 1;
        if (recno > i.lastRead && recno - i.lastRead <= 16)
            n = std::max<uint32_t>(1, std::min<uint32_t>(uint32_t(kReadAhead / rl), last - recno + 1));
        i.cache.resize(uint64_t(n) * rl);
        std::size_t got = 0;
        Status s = i.file->read(i.recordOffset(recno), i.cache.data(), i.cache.size(), &got);
        if (!s) {
            i.cacheCount = 0;
            return s;
        }
        if (got < rl) {
            i.cacheCount = 0;
            return Status::corrupt(i.path + ": file ends inside record " + std::to_string(recno));
        }
        i.cacheFirst = recno;
        i.cacheCount = uint32_t(got / rl);
    }
    i.lastRead = recno;
    std::memcpy(record, i.cache.data() + uint64_t(recno - i.cacheFirst) * rl, rl);
    i.decipher(recno, record);
    return Status::ok();
}

namespace {

// Header byte 29 of the code pages other programs mark; text in such a
// table is not Windows-1252.
const char *foreignCodePage(uint8_t mark)
{
    switch (mark) {
    case 0x00: case 0x03: case 0x57: return nullptr; // none, Windows-1252
    case 0x01: return "437";
    case 0x02: return "850";
    case 0x64: return "852";
    case 0x65: return "866";
    case 0x66: return "865";
    case 0x67: return "861";
    case 0x6A: return "737";
    case 0x6B: return "857";
    case 0x7C: return "874";
    case 0x7D: return "1255";
    case 0x7E: return "1256";
    case 0xC8: return "1250";
    case 0xC9: return "1251";
    case 0xCA: return "1254";
    case 0xCB: return "1253";
    case 0x13: return "932";
    case 0x4D: return "936";
    case 0x4E: return "949";
    case 0x4F: return "950";
    default: return "unknown";
    }
}

} // namespace

Status Table::Impl::checkCodePage(const char *what) const
{
    const char *page = foreignCodePage(header[29]);
    if (!page)
        return Status::ok();
    char mark[8];
    std::snprintf(mark, sizeof mark, "0x%02X", header[29]);
    return Status::readOnly(path + ": the table is marked with code page " + page + " (" + mark
                            + "); this program writes Windows-1252 text only, so it cannot " + what
                            + " (read-only here)");
}

Status Table::Impl::checkWritable(const char *what) const
{
    if (!writable())
        return Status::readOnly(path + ": opened read-only, cannot " + what);
    if (Status s = checkCodePage(what); !s)
        return s;
    if (encState() != kPlain && (!cipher || (encState() == kEncrypted && (load16(header + 12) != (cipher->keyCheck() & 0xFFFF)))))
        return Status::badArgument(path + ": wrong or missing password, cannot " + what);
    return Status::ok();
}

// A record change on a table whose header names a structural index that is
// there but not open here would leave the index behind without a word:
// every tag would miss the change. Such writes are refused; whoever writes
// opens the index with the table (the engine's work areas always do).
Status Table::Impl::checkIndexFollows(const char *what) const
{
    if (!(header[28] & 0x01) || !observers.empty())
        return Status::ok();
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string stem = dot == std::string::npos || (slash != std::string::npos && dot < slash)
        ? path : path.substr(0, dot);
    std::string found;
    if (!env->findFileNoCase(stem + ".CDX", &found))
        return Status::ok(); // flagged without a file: nothing to keep up
    return Status::badArgument(path + ": cannot " + what + " without its structural index " + found
                               + " open: the index would miss the change");
}

Status Table::Impl::askObservers() const
{
    for (TableObserver *o : observers)
        if (Status s = o->beforeChange(); !s)
            return s;
    return Status::ok();
}

Status Table::Impl::notifyAppended(uint32_t recno, const char *record)
{
    Status result;
    for (TableObserver *o : observers) {
        Status s = o->recordAppended(recno, record);
        if (!s && result)
            result = s;
    }
    return result;
}

Status Table::Impl::notifyReplaced(uint32_t recno, const char *oldRecord, const char *newRecord)
{
    Status result;
    for (TableObserver *o : observers) {
        Status s = o->recordReplaced(recno, oldRecord, newRecord);
        if (!s && result)
            result = s;
    }
    return result;
}

Status Table::replace(uint32_t recno, const char *record)
{
    Impl &i = *d;
    Status s = i.checkWritable("change a record");
    if (!s || !(s = i.checkIndexFollows("change a record")) || !(s = i.askObservers()))
        return s;
    const uint32_t rl = i.recordLength;
    std::string old(rl, '\0');
    if (!(s = read(recno, old.data())))
        return s;
    std::string bytes(record, rl);
    if (i.cipher && i.recordEnciphered(recno))
        i.cipher->applyToRecord(recno, bytes.data() + 1, rl - 1);
    if (!i.pending.empty() && recno >= i.pendingFirst) {
        std::memcpy(i.pending.data() + uint64_t(recno - i.pendingFirst) * rl, bytes.data(), rl);
    } else {
        if (i.mode == OpenMode::Shared && lockedByOther(recno))
            return Status::locked(i.path + ": record " + std::to_string(recno) + " is locked by another user");
        // Rule 3: one write at the record's place.
        if (!(s = i.file->write(i.recordOffset(recno), bytes.data(), rl))) {
            i.cacheCount = 0;
            return s;
        }
        if (recno >= i.cacheFirst && recno < i.cacheFirst + i.cacheCount)
            std::memcpy(i.cache.data() + uint64_t(recno - i.cacheFirst) * rl, bytes.data(), rl);
    }
    return i.notifyReplaced(recno, old.data(), record);
}

Status Table::append(const char *record, uint32_t *recno)
{
    Impl &i = *d;
    Status s = i.checkWritable("append");
    if (!s || !(s = i.checkIndexFollows("append")) || !(s = i.askObservers()))
        return s;
    const uint32_t rl = i.recordLength;
    if (i.mode == OpenMode::Exclusive) {
        if (i.count == 0xFFFFFFFEu)
            return Status::badArgument(i.path + ": table full");
        if (i.pending.empty())
            i.pendingFirst = i.count + 1;
        const uint32_t n = i.count + 1;
        // Pending records are kept as they go to disk (enciphered).
        const std::size_t at = i.pending.size();
        i.pending.append(record, rl);
        if (i.cipher && i.recordEnciphered(n))
            i.cipher->applyToRecord(n, i.pending.data() + at + 1, rl - 1);
        i.count = n;
        *recno = n;
        if (i.pending.size() >= kPendingLimit && !(s = i.flushPending()))
            return s;
        return i.notifyAppended(n, record);
    }
    if (!(s = lockHeader()))
        return s;
    if (!(s = i.readCount())) {
        unlockHeader();
        return s;
    }
    const uint32_t n = i.count + 1;
    // The new record is locked inside the header lock: while another
    // program holds the file lock (or a lock on that number) the append is
    // refused before anything is written.
    const bool lockNew = !i.fileLocked;
    if (lockNew && !(s = i.file->tryLock(kLockBase - n, 1, File::LockKind::Exclusive))) {
        unlockHeader();
        return s.code() == Status::Code::Locked
            ? Status::locked(i.path + ": the records are locked by another user, cannot append") : s;
    }
    std::string bytes(record, rl);
    if (i.cipher && i.recordEnciphered(n))
        i.cipher->applyToRecord(n, bytes.data() + 1, rl - 1);
    bytes += '\x1A';
    // Rule 1: record and end mark first, then the count.
    s = i.file->write(i.recordOffset(n), bytes.data(), bytes.size());
    if (s)
        s = i.writeCount(n);
    if (!s)
        i.readCount(); // the count stays what the header says
    if (lockNew)
        i.file->unlock(kLockBase - n, 1);
    unlockHeader();
    if (!s)
        return s;
    i.count = n;
    *recno = n;
    return i.notifyAppended(n, record);
}

std::string Table::blankRecord() const
{
    std::string r(d->recordLength, ' ');
    for (std::size_t f = 0; f < d->fields.size(); ++f) {
        const FieldInfo &fi = d->fields[f];
        const bool binary = d->binaryMemo[f] || fi.type == 'I' || fi.type == 'Y' || fi.type == 'T'
            || fi.type == '0' || fi.type == '@' || fi.type == '+' || fi.type == 'O' || fi.type == 'Q'
            || (fi.type == 'B' && !d->memoRef[f]);
        if (binary)
            std::memset(r.data() + fi.offset, 0, fi.width);
    }
    return r;
}

Status Table::setDeleted(uint32_t recno, bool deleted)
{
    std::string r(d->recordLength, '\0');
    Status s = read(recno, r.data());
    if (!s)
        return s;
    const char mark = deleted ? '*' : ' ';
    if (r[0] == mark)
        return Status::ok();
    r[0] = mark;
    return replace(recno, r.data());
}

uint32_t Table::memoBlock(int field, const char *record) const
{
    if (!isMemoField(field))
        return 0;
    const FieldInfo &f = d->fields[field];
    const auto *p = reinterpret_cast<const unsigned char *>(record + f.offset);
    if (d->binaryMemo[field])
        return load32(p);
    uint64_t v = 0;
    for (int i = 0; i < f.width; ++i) {
        if (p[i] >= '0' && p[i] <= '9')
            v = v * 10 + (p[i] - '0');
        else if (p[i] != ' ' && p[i] != 0)
            return 0xFFFFFFFFu; // not a block number
        if (v > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(v);
}

Status Table::readMemo(int field, const char *record, std::string &out, uint32_t *type)
{
    out.clear();
    if (!isMemoField(field))
        return Status::badArgument(d->path + ": field " + std::to_string(field + 1) + " is no memo field");
    const uint32_t block = memoBlock(field, record);
    if (block == 0xFFFFFFFFu)
        return Status::corrupt(d->path + ": memo pointer of field " + d->fields[field].name + " is not a block number");
    if (block == 0)
        return Status::ok();
    if (!d->memo)
        return Status::notFound(d->path + ": no memo file");
    Status s = d->memo->read(block, out, type);
    if (!s)
        return Status(s.code() == Status::Code::Corrupt
                          ? Status::corrupt(s.detail() + " (field " + d->fields[field].name + ")")
                          : s);
    return s;
}

namespace {

Status putBlockNumber(const std::string &path, const FieldInfo &f, bool binary, uint32_t block, char *record)
{
    if (binary) {
        store32(reinterpret_cast<unsigned char *>(record + f.offset), block);
        return Status::ok();
    }
    const std::string digits = block ? std::to_string(block) : std::string();
    if (digits.size() > std::size_t(f.width))
        return Status::badArgument(path + ": memo block number too large");
    std::memset(record + f.offset, ' ', f.width);
    std::memcpy(record + f.offset + f.width - digits.size(), digits.data(), digits.size());
    return Status::ok();
}

} // namespace

Status Table::storeMemo(int field, std::string_view data, uint32_t type, char *record)
{
    Impl &i = *d;
    Status s = i.checkWritable("write a memo");
    if (!s)
        return s;
    if (!isMemoField(field) || !i.memo)
        return Status::badArgument(i.path + ": field " + std::to_string(field + 1) + " is no memo field");
    uint32_t block = 0;
    if (!(s = lockHeader()))
        return s;
    s = i.memo->write(0, data, type, &block);
    unlockHeader();
    if (!s)
        return s;
    return putBlockNumber(i.path, i.fields[field], i.binaryMemo[field], block, record);
}

Status Table::writeMemo(uint32_t recno, int field, std::string_view data, uint32_t type)
{
    Impl &i = *d;
    Status s = i.checkWritable("write a memo");
    if (!s)
        return s;
    if (!isMemoField(field) || !i.memo)
        return Status::badArgument(i.path + ": field " + std::to_string(field + 1) + " is no memo field");
    std::string r(i.recordLength, '\0');
    if (!(s = read(recno, r.data())))
        return s;
    uint32_t old = memoBlock(field, r.data());
    if (old == 0xFFFFFFFFu)
        old = 0;
    uint32_t block = 0;
    if (!(s = lockHeader()))
        return s;
    s = i.memo->write(old, data, type, &block);
    unlockHeader();
    if (!s)
        return s;
    if (!(s = putBlockNumber(i.path, i.fields[field], i.binaryMemo[field], block, r.data())))
        return s;
    return replace(recno, r.data());
}

} // namespace xb
