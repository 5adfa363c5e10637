// The compound index file: header, tag directory, page cache, locking and the
// bottom-up tag builder.
#include "xbase/index/CdxFile.h"

#include "xbase/index/CdxBuilder.h"
#include "xbase/index/CdxFormat.h"
#include "xbase/index/CdxKey.h"
#include "xbase/index/CdxTag.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <numeric>
#include <thread>

namespace xb {

using namespace cdx;

namespace {

constexpr std::size_t kCacheLimit = 40000; // decoded pages kept between scopes
constexpr int kLockWaitMs = 10000;

// The two header pages of a tag (or of the file when `fileHeader`).
void encodeHeader(uint8_t *hdr, uint32_t root, int keyLength, uint8_t options, bool descending,
                  const std::string &keyExpr, const std::string &forExpr)
{
    std::memset(hdr, 0, 2 * kPageSize);
    putU32(hdr + kHdrRoot, root);
    putU16(hdr + kHdrKeyLength, uint16_t(keyLength));
    hdr[kHdrOptions] = options;
    hdr[kHdrSignature] = 1;
    putU16(hdr + kHdrDescending, descending ? 1 : 0);
    uint16_t keyLen = uint16_t(keyExpr.size() + 1);
    putU16(hdr + kHdrKeyStart, 0);
    putU16(hdr + kHdrKeyExprLength, keyLen);
    putU16(hdr + kHdrForStart, keyLen);
    putU16(hdr + kHdrForLength, uint16_t(forExpr.size() + 1));
    std::memcpy(hdr + kPageSize, keyExpr.data(), keyExpr.size());
    std::memcpy(hdr + kPageSize + keyLen, forExpr.data(), forExpr.size());
}

std::string poolText(const uint8_t *pool, int start, int length)
{
    std::string s(reinterpret_cast<const char *>(pool) + start, std::size_t(length));
    auto nul = s.find('\0');
    if (nul != std::string::npos)
        s.resize(nul);
    return s;
}

std::string nameKey(const std::string &name)
{
    std::string k = name;
    for (char &c : k)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    k.resize(kTagNameLength, ' ');
    return k;
}

} // namespace

CdxFile::CdxFile(Env *env, std::string path, std::unique_ptr<File> file, bool writable, bool exclusive)
    : m_env(env), m_path(std::move(path)), m_file(std::move(file)), m_writable(writable), m_exclusive(exclusive)
{
    m_directory = std::make_unique<CdxTag>(this, std::string(), 0);
    m_directory->m_keyLength = kTagNameLength;
}

CdxFile::~CdxFile() = default;

Status CdxFile::open(Env *env, const std::string &path, bool writable, bool exclusive,
                     std::unique_ptr<CdxFile> &out)
{
    std::unique_ptr<File> f;
    Status s = env->openFile(path, writable, f);
    if (!s)
        return s;
    // As the table: the flock other xBase programs take on the index.
    if (!(s = f->lockWhole(exclusive ? File::LockKind::Exclusive : File::LockKind::Shared)))
        return s;
    std::unique_ptr<CdxFile> cdx(new CdxFile(env, path, std::move(f), writable, exclusive));
    {
        ReadScope scope(cdx.get());
        if (!scope.status())
            return scope.status();
    }
    out = std::move(cdx);
    return Status::ok();
}

Status CdxFile::create(Env *env, const std::string &path, bool exclusive, std::unique_ptr<CdxFile> &out)
{
    std::unique_ptr<File> f;
    Status s = env->createFile(path, true, f);
    if (!s || !(s = f->lockWhole(exclusive ? File::LockKind::Exclusive : File::LockKind::Shared)))
        return s;
    std::vector<uint8_t> buf(3 * kPageSize);
    encodeHeader(buf.data(), 2 * kPageSize, kTagNameLength, kOptCompact | kOptCompound | kOptFileHeader,
                 false, std::string(), std::string());
    CdxNode root(2 * kPageSize, kTagNameLength, true);
    root.setRoot(true);
    root.encode(buf.data() + 2 * kPageSize);
    if (!(s = f->write(0, buf.data(), buf.size())))
        return s;
    std::unique_ptr<CdxFile> cdx(new CdxFile(env, path, std::move(f), true, exclusive));
    {
        ReadScope scope(cdx.get());
        if (!scope.status())
            return scope.status();
    }
    out = std::move(cdx);
    return Status::ok();
}

CdxTag *CdxFile::findTag(const std::string &name) const
{
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
    std::size_t n = name.size();
    while (n > 0 && name[n - 1] == ' ')
        --n;
    for (CdxTag *t : m_tags) {
        const std::string &tn = t->name();
        if (tn.size() != n)
            continue;
        std::size_t i = 0;
        while (i < n && upper(tn[i]) == upper(name[i]))
            ++i;
        if (i == n)
            return t;
    }
    return nullptr;
}

// ---- scopes and locks -------------------------------------------------------

Status CdxFile::lock(File::LockKind kind)
{
    if (m_exclusive)
        return Status::ok();
    auto start = std::chrono::steady_clock::now();
    int sleepUs = 50;
    for (;;) {
        Status s = m_file->tryLock(kLockOffset, 1, kind);
        if (s.code() != Status::Code::Locked)
            return s;
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kLockWaitMs))
            return Status::locked(m_path + ": the index stays locked by another program");
        std::this_thread::sleep_for(std::chrono::microseconds(sleepUs));
        sleepUs = std::min(sleepUs * 2, 5000);
    }
}

Status CdxFile::beginRead()
{
    if (m_depth++ > 0)
        return Status::ok();
    if (m_exclusive && m_loaded)
        return Status::ok(); // nobody else can have changed the file
    Status s = lock(File::LockKind::Shared);
    if (s)
        s = refresh(false);
    if (!s) {
        --m_depth;
        if (!m_exclusive)
            (void)m_file->unlock(kLockOffset, 1);
    }
    return s;
}

Status CdxFile::beginWrite()
{
    if (!m_writable)
        return Status::readOnly(m_path + ": the index is open read-only");
    if (m_depth > 0) {
        ++m_depth;
        if (!m_writing) {
            Status s = lock(File::LockKind::Exclusive);
            if (!s) {
                --m_depth;
                return s;
            }
            m_writing = true;
        }
        return Status::ok();
    }
    ++m_depth;
    Status s = lock(File::LockKind::Exclusive);
    if (s) {
        m_writing = true;
        if (!m_exclusive || !m_loaded)
            s = refresh(false);
        if (s && !m_exclusive)
            s = m_file->size(&m_size);
    }
    if (!s) {
        m_writing = false;
        --m_depth;
        if (!m_exclusive)
            (void)m_file->unlock(kLockOffset, 1);
    }
    return s;
}

void CdxFile::endRead() { (void)endWrite(); }

Status CdxFile::endWrite()
{
    if (m_depth <= 0 || --m_depth > 0)
        return Status::ok();
    Status s;
    if (m_writing) {
        if (m_failed) {
            s = Status::ioError(m_path + ": changes abandoned after an error");
        } else {
            s = flush();
        }
        m_writing = false;
        if (!s || m_failed) {
            // Whatever is cached may not match the disk: read it all again.
            m_dirty.clear();
            m_pendingFree.clear();
            m_dirtyHeaders.clear();
            dropCache();
            m_loaded = false;
            m_failed = false;
        }
    }
    if (!m_exclusive)
        (void)m_file->unlock(kLockOffset, 1);
    if (m_cache.size() > kCacheLimit)
        dropCache();
    return s;
}

void CdxFile::dropCache()
{
    m_cache.clear();
    ++m_generation;
}

Status CdxFile::refresh(bool force)
{
    uint8_t head[16];
    std::size_t got = 0;
    Status s = m_file->read(0, head, sizeof head, &got);
    if (!s)
        return s;
    uint64_t size = 0;
    if (!(s = m_file->size(&size)))
        return s;
    if (got < sizeof head || size < 3 * kPageSize)
        return Status::corrupt(m_path + ": " + std::to_string(size) + " bytes is too short for an index");
    if (size % kPageSize)
        return Status::corrupt(m_path + ": size " + std::to_string(size) +
                               " is not a whole number of pages (truncated?)");
    uint32_t counter = getU32(head + kHdrCounter);
    if (!force && m_loaded && counter == m_counter && size == m_size)
        return Status::ok();
    if (m_loaded)
        ++m_foreignChanges;
    dropCache();
    m_size = size;
    m_counter = counter;
    m_loaded = false;
    s = loadDirectory();
    if (s)
        m_loaded = true;
    return s;
}

Status CdxFile::readPage(uint32_t offset, uint8_t *page)
{
    if (offset % kPageSize || uint64_t(offset) + kPageSize > m_size)
        return Status::corrupt(m_path + ": page offset " + std::to_string(offset) +
                               " is not a page of the file (" + std::to_string(m_size) + " bytes)");
    std::size_t got = 0;
    Status s = m_file->read(offset, page, kPageSize, &got);
    if (!s)
        return s;
    if (got != kPageSize)
        return Status::corrupt(m_path + ": page " + std::to_string(offset) + " is cut off");
    return Status::ok();
}

Status CdxFile::peekNode(uint32_t offset, int keyLength, uint8_t pad, ReadAhead &ahead, CdxNode &scratch,
                         const CdxNode *&out, bool recnosOnly)
{
    auto it = m_cache.find(offset);
    if (it != m_cache.end()) {
        if (it->second->keyLength != keyLength)
            return Status::corrupt(m_path + ": page " + std::to_string(offset) + " belongs to two trees");
        out = it->second.get();
        return Status::ok();
    }
    if (offset < 2 * kPageSize || offset % kPageSize || uint64_t(offset) + kPageSize > m_size)
        return Status::corrupt(m_path + ": page offset " + std::to_string(offset) +
                               " is not a tree page of the file (" + std::to_string(m_size) + " bytes)");
    constexpr uint64_t kRun = 64 * kPageSize;
    if (offset < ahead.start || offset + kPageSize > ahead.start + ahead.pages.size()) {
        const uint64_t n = std::min<uint64_t>(kRun, m_size - offset);
        ahead.pages.resize(std::size_t(n));
        std::size_t got = 0;
        Status s = m_file->read(offset, ahead.pages.data(), std::size_t(n), &got);
        if (!s)
            return s;
        if (got < kPageSize)
            return Status::corrupt(m_path + ": page " + std::to_string(offset) + " is cut off");
        ahead.pages.resize(got - got % kPageSize);
        ahead.start = offset;
    }
    Status s = CdxNode::decode(ahead.pages.data() + (offset - ahead.start), offset, keyLength, pad, scratch,
                               recnosOnly);
    if (!s)
        return Status::corrupt(m_path + ": " + s.detail());
    out = &scratch;
    return Status::ok();
}

Status CdxFile::readTagHeader(uint32_t offset, const std::string &name, CdxTag &tag)
{
    uint8_t hdr[2 * kPageSize];
    Status s = readPage(offset, hdr);
    if (s)
        s = readPage(offset + kPageSize, hdr + kPageSize);
    if (!s)
        return Status::corrupt(m_path + ": header of tag " + name + " at " + std::to_string(offset) +
                               " is not two pages of the file");
    int keyLength = getU16(hdr + kHdrKeyLength);
    if (keyLength < 1 || keyLength > kMaxKeyLength)
        return Status::corrupt(m_path + ": tag " + name + ": key length " + std::to_string(keyLength) +
                               " is outside 1..240");
    int ks = getU16(hdr + kHdrKeyStart), kl = getU16(hdr + kHdrKeyExprLength);
    int fs = getU16(hdr + kHdrForStart), fl = getU16(hdr + kHdrForLength);
    if (ks + kl > int(kPageSize) || fs + fl > int(kPageSize))
        return Status::corrupt(m_path + ": tag " + name + ": expressions run past the header");
    uint32_t root = getU32(hdr + kHdrRoot);
    if (root % kPageSize || root < 2 * kPageSize || uint64_t(root) + kPageSize > m_size)
        return Status::corrupt(m_path + ": tag " + name + ": root " + std::to_string(root) +
                               " is not a page of the file");
    tag.m_header = offset;
    tag.m_root = root;
    tag.m_keyLength = keyLength;
    tag.m_options = hdr[kHdrOptions];
    tag.m_descending = getU16(hdr + kHdrDescending) != 0;
    tag.m_keyExpr = poolText(hdr + kPageSize, ks, kl);
    tag.m_forExpr = poolText(hdr + kPageSize, fs, fl);
    tag.m_removed = false;
    return Status::ok();
}

Status CdxFile::loadDirectory()
{
    uint8_t hdr[kPageSize];
    Status s = readPage(0, hdr);
    if (!s)
        return s;
    if (getU16(hdr + kHdrKeyLength) != kTagNameLength)
        return Status::corrupt(m_path + ": file header: tag-name length " +
                               std::to_string(getU16(hdr + kHdrKeyLength)) + ", expected 10");
    if (!(hdr[kHdrOptions] & kOptCompound))
        return Status::corrupt(m_path + ": not a compound index (options 0x" +
                               std::to_string(hdr[kHdrOptions]) + ")");
    uint32_t root = getU32(hdr + kHdrRoot);
    if (root % kPageSize || root < 2 * kPageSize || uint64_t(root) + kPageSize > m_size)
        return Status::corrupt(m_path + ": tag directory root " + std::to_string(root) +
                               " is not a page of the file");
    uint32_t freeHead = getU32(hdr + kHdrFree);
    if (freeHead == kNoPage || freeHead % kPageSize || uint64_t(freeHead) + kPageSize > m_size ||
        freeHead < 2 * kPageSize)
        freeHead = 0;
    m_freeHead = freeHead;
    m_directory->m_root = root;
    std::vector<std::pair<std::string, uint32_t>> entries;
    s = m_directory->walk([&](const uint8_t *key, uint32_t recno) {
        std::string name(reinterpret_cast<const char *>(key), kTagNameLength);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\0'))
            name.pop_back();
        entries.emplace_back(name, recno);
        return entries.size() <= m_size / kPageSize;
    });
    if (!s)
        return s;
    std::vector<CdxTag *> tags;
    for (CdxTag *t : m_tags)
        t->m_removed = true;
    for (auto &[name, offset] : entries) {
        CdxTag *tag = nullptr;
        for (auto &owned : m_owned)
            if (owned->m_name == name && std::find(tags.begin(), tags.end(), owned.get()) == tags.end()) {
                tag = owned.get();
                break;
            }
        if (!tag) {
            m_owned.push_back(std::make_unique<CdxTag>(this, name, offset));
            tag = m_owned.back().get();
        }
        if (!(s = readTagHeader(offset, name, *tag)))
            return s;
        tags.push_back(tag);
    }
    m_tags = std::move(tags);
    return Status::ok();
}

// ---- pages ------------------------------------------------------------------

Status CdxFile::node(uint32_t offset, int keyLength, uint8_t pad, CdxNode *&out)
{
    auto it = m_cache.find(offset);
    if (it != m_cache.end()) {
        if (it->second->keyLength != keyLength)
            return Status::corrupt(m_path + ": page " + std::to_string(offset) + " belongs to two trees");
        out = it->second.get();
        return Status::ok();
    }
    if (offset < 2 * kPageSize)
        return Status::corrupt(m_path + ": tree page offset " + std::to_string(offset) +
                               " points into the file header");
    uint8_t page[kPageSize];
    Status s = readPage(offset, page);
    if (!s)
        return s;
    auto n = std::make_unique<CdxNode>();
    if (!(s = CdxNode::decode(page, offset, keyLength, pad, *n)))
        return Status::corrupt(m_path + ": " + s.detail());
    out = n.get();
    m_cache.emplace(offset, std::move(n));
    return Status::ok();
}

Status CdxFile::allocPage(uint32_t &offset)
{
    while (m_freeHead != 0) {
        uint32_t head = m_freeHead;
        auto pending = m_pendingFree.find(head);
        uint32_t next = 0;
        if (pending != m_pendingFree.end()) {
            next = pending->second;
            m_pendingFree.erase(pending);
        } else {
            uint8_t word[4];
            std::size_t got = 0;
            Status s = m_file->read(head, word, 4, &got);
            if (!s)
                return s;
            if (got != 4) {
                m_freeHead = 0;
                break;
            }
            next = getU32(word);
        }
        if (next == kNoPage || next % kPageSize || uint64_t(next) + kPageSize > m_size || next < 2 * kPageSize)
            next = 0;
        m_freeHead = next;
        if (m_cache.count(head))
            continue; // a list pointing at a page in use: skip it
        offset = head;
        return Status::ok();
    }
    if (m_size + kPageSize > 0xFFFFFE00ull)
        return Status::ioError(m_path + ": the index cannot grow past 4 GB");
    offset = uint32_t(m_size);
    m_size += kPageSize;
    return Status::ok();
}

Status CdxFile::newNode(int keyLength, bool leaf, uint8_t pad, CdxNode *&out)
{
    uint32_t offset;
    Status s = allocPage(offset);
    if (!s)
        return s;
    auto n = std::make_unique<CdxNode>(offset, keyLength, leaf, pad);
    out = n.get();
    m_cache[offset] = std::move(n);
    m_dirty[offset] = true;
    ++m_generation;
    return Status::ok();
}

void CdxFile::markDirty(CdxNode *node)
{
    m_dirty.emplace(node->offset, false);
    ++m_generation;
}

void CdxFile::freePage(uint32_t offset)
{
    m_cache.erase(offset);
    m_dirty.erase(offset);
    m_pendingFree[offset] = m_freeHead;
    m_freeHead = offset;
    ++m_generation;
}

void CdxFile::markHeaderDirty(CdxTag *tag)
{
    if (std::find(m_dirtyHeaders.begin(), m_dirtyHeaders.end(), tag) == m_dirtyHeaders.end())
        m_dirtyHeaders.push_back(tag);
}

Status CdxFile::flush()
{
    Status s;
    uint8_t page[kPageSize];
    // Rule 2: new pages, then changed pages, then free pages, headers, counter.
    for (int pass = 0; pass < 2; ++pass) {
        for (auto &[offset, fresh] : m_dirty) {
            if (fresh != (pass == 0))
                continue;
            auto it = m_cache.find(offset);
            if (it == m_cache.end())
                continue;
            it->second->encode(page);
            if (!(s = m_file->write(offset, page, kPageSize)))
                return s;
        }
    }
    for (auto &[offset, next] : m_pendingFree) {
        std::memset(page, 0, kPageSize);
        putU32(page, next);
        if (!(s = m_file->write(offset, page, kPageSize)))
            return s;
    }
    for (CdxTag *t : m_dirtyHeaders) {
        uint8_t word[4];
        putU32(word, t->m_root);
        if (!(s = m_file->write(t->m_header + kHdrRoot, word, 4)))
            return s;
    }
    if (!m_dirty.empty() || !m_pendingFree.empty() || !m_dirtyHeaders.empty() || m_forceCounter) {
        uint8_t head[12];
        putU32(head + kHdrRoot, m_directory->m_root);
        putU32(head + kHdrFree, m_freeHead);
        putU32(head + kHdrCounter, ++m_counter);
        if (!(s = m_file->write(0, head, sizeof head)))
            return s;
    }
    m_forceCounter = false;
    m_dirty.clear();
    m_pendingFree.clear();
    m_dirtyHeaders.clear();
    return m_file->size(&m_size);
}

// ---- tags -------------------------------------------------------------------

Status CdxFile::addTag(const CdxTagSpec &tagSpec, CdxBuildInput &input, CdxTag **created)
{
    Status s = CdxBuilder::validate(tagSpec);
    if (!s)
        return s;
    WriteScope scope(this);
    if (!scope.status())
        return scope.status();
    if (findTag(tagSpec.name) && !(s = removeTag(tagSpec.name))) {
        abandonChanges();
        return s;
    }
    // The new tag's pages go to the end of the file in one run.
    uint32_t base = uint32_t(m_size);
    std::vector<uint8_t> image;
    uint32_t root = 0;
    if (!(s = CdxBuilder::build(tagSpec, input, base, image, root))) {
        abandonChanges();
        return s;
    }
    const std::size_t chunk = 1 << 20;
    for (std::size_t at = 0; at < image.size(); at += chunk) {
        std::size_t len = std::min(chunk, image.size() - at);
        if (!(s = m_file->write(base + at, image.data() + at, len))) {
            abandonChanges();
            return s;
        }
    }
    m_size += image.size();
    std::string name = nameKey(tagSpec.name);
    if (!(s = m_directory->insert(reinterpret_cast<const uint8_t *>(name.data()), base))) {
        abandonChanges();
        return s;
    }
    m_owned.push_back(std::make_unique<CdxTag>(this, name.substr(0, name.find_last_not_of(' ') + 1), base));
    CdxTag *tag = m_owned.back().get();
    tag->m_root = root;
    tag->m_keyLength = tagSpec.keyLength;
    tag->m_options = CdxBuilder::options(tagSpec);
    tag->m_descending = tagSpec.descending;
    tag->m_keyExpr = tagSpec.keyExpression;
    tag->m_forExpr = tagSpec.forExpression;
    tag->m_keyType = tagSpec.keyType;
    auto at = std::find_if(m_tags.begin(), m_tags.end(), [&](CdxTag *t) { return nameKey(t->name()) > name; });
    m_tags.insert(at, tag);
    m_forceCounter = true;
    ++m_generation;
    if (created)
        *created = tag;
    return scope.finish();
}

Status CdxFile::removeTag(const std::string &name)
{
    WriteScope scope(this);
    if (!scope.status())
        return scope.status();
    CdxTag *tag = findTag(name);
    if (!tag)
        return Status::notFound(m_path + ": no tag " + name);
    std::string key = nameKey(tag->name());
    Status s = m_directory->remove(reinterpret_cast<const uint8_t *>(key.data()), tag->headerOffset());
    if (!s) {
        abandonChanges();
        return s;
    }
    // Collect the tag's pages; a damaged tree just leaks what it hides.
    std::vector<uint32_t> pages{tag->headerOffset(), tag->headerOffset() + kPageSize};
    std::vector<uint32_t> stack{tag->root()};
    std::vector<uint32_t> seen;
    while (!stack.empty() && seen.size() < m_size / kPageSize) {
        uint32_t at = stack.back();
        stack.pop_back();
        if (std::find(seen.begin(), seen.end(), at) != seen.end())
            break;
        seen.push_back(at);
        CdxNode *n;
        if (!node(at, tag->keyLength(), tag->pad(), n))
            break;
        if (!n->isLeaf())
            stack.insert(stack.end(), n->children.begin(), n->children.end());
    }
    if (stack.empty())
        pages.insert(pages.end(), seen.begin(), seen.end());
    for (uint32_t p : pages)
        freePage(p);
    tag->m_removed = true;
    m_tags.erase(std::find(m_tags.begin(), m_tags.end(), tag));
    return scope.finish();
}

} // namespace xb
