// A compound index file (.CDX): its file header, the tag directory, the tags
// and a cache of decoded tree pages, shared by the tags of one open file.
//
// Sharing. Several processes (and several work areas of one process, each
// with its own CdxFile) may have one index open. Every operation runs inside
// a scope: reads hold a shared lock, changes an exclusive lock on the byte at
// kLockOffset of the index file (far past any real page, so it never
// touches data). On entering the outermost scope the file header's change
// counter (offset 8) is read; when it differs from the one this object saw
// last, another writer has changed the file and every cached page, the tag
// directory and the tag headers are dropped and read again, and
// generation() moves on so that cursors find their place again by key.
// A file opened exclusive skips the locks and the counter check.
//
// Crash safety of changes made in place (see also CdxTag):
//   1. The table record is written before its index entries change, so a
//      crash leaves at worst an index that misses or repeats an entry; check()
//      reports it and a rebuild from the table repairs it. The index never
//      puts the table at risk.
//   2. Pages are only written in endWrite (state "changes pending" ->
//      "flushed"): first pages allocated by this scope, then changed pages,
//      then changed tag headers, then the file header with the free list and
//      the change counter incremented. A crash in between leaves new pages
//      that nothing points to yet or a tree that check() flags.
//   3. Freed pages join the free list (file header offset 4, each free page
//      naming the next in its first four bytes, 0 ending the list) only in
//      step 2's last write; a crash before it leaks them, never reuses a page
//      still in use.
//   4. Rebuilding every tag (CdxIndex::reindex) writes a complete new file
//      under a temporary name and renames it over the old one.
#pragma once

#include "xbase/index/CdxNode.h"
#include "xbase/table/Env.h"
#include "xbase/table/Status.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace xb {

class CdxTag;
enum class CdxKeyType : char;

// Input of a tag build: `count` keys of the tag's key length back to back and
// their record numbers, in any order.
struct CdxBuildInput {
    int keyLength = 0;
    std::vector<uint8_t> keys;
    std::vector<uint32_t> recnos;
    std::size_t count() const { return recnos.size(); }
    void add(const uint8_t *key, uint32_t recno)
    {
        keys.insert(keys.end(), key, key + keyLength);
        recnos.push_back(recno);
    }
};

// What a new tag looks like.
struct CdxTagSpec {
    std::string name;        // 1..10 characters; stored upper case
    std::string keyExpression;
    std::string forExpression; // empty: none
    int keyLength = 0;       // 1..240
    CdxKeyType keyType;
    bool nullable = false;   // option 0x02
    bool unique = false;     // option 0x01
    bool descending = false;
};

class CdxFile {
public:
    static constexpr uint64_t kLockOffset = 0x7FFFFFFEull;

    ~CdxFile();
    CdxFile(const CdxFile &) = delete;
    CdxFile &operator=(const CdxFile &) = delete;

    // Opens an index. NotFound/IoError from the environment; Corrupt when
    // the file header, the tag directory or a tag header is damaged. `env`
    // must outlive the file. `exclusive`: no other holder can have the file
    // (the table is open exclusive), so no locking is done.
    static Status open(Env *env, const std::string &path, bool writable, bool exclusive,
                       std::unique_ptr<CdxFile> &out);
    // Creates an empty index (a file header and an empty tag directory),
    // replacing any file of that name.
    static Status create(Env *env, const std::string &path, bool exclusive,
                         std::unique_ptr<CdxFile> &out);

    const std::string &path() const { return m_path; }
    bool writable() const { return m_writable; }

    // Tags in directory order (by name). The pointers stay valid until the
    // file is destroyed; a tag that another process removed reports
    // removed(). Call inside a scope to see the current state.
    int tagCount() const { return int(m_tags.size()); }
    CdxTag *tag(int i) const { return m_tags[std::size_t(i)]; }
    CdxTag *findTag(const std::string &name) const;

    // Adds a tag built from `input` (sorted here, its keys used up), replacing a tag of the
    // same name. The pages are written bottom-up at the end of the file (or
    // into free pages of a replaced tag), then the tag joins the directory.
    // BadArgument for a bad name or key length; IoError from the disk.
    Status addTag(const CdxTagSpec &tagSpec, CdxBuildInput &input, CdxTag **created = nullptr);
    // Removes a tag from the directory and frees its pages. NotFound.
    Status removeTag(const std::string &name);

    // Scopes (reentrant; see the header comment). Every begin must be paired
    // with its end, also on failure; use the guards below.
    Status beginRead();
    void endRead();
    Status beginWrite();
    Status endWrite();
    class ReadScope {
    public:
        explicit ReadScope(CdxFile *f) : m_file(f), m_status(f->beginRead()) {}
        ~ReadScope()
        {
            if (m_status)
                m_file->endRead();
        }
        const Status &status() const { return m_status; }
    private:
        CdxFile *m_file;
        Status m_status;
    };
    class WriteScope {
    public:
        explicit WriteScope(CdxFile *f) : m_file(f), m_status(f->beginWrite()) {}
        ~WriteScope() { (void)finish(); }
        const Status &status() const { return m_status; }
        // Flushes; the first failure of the scope or of the flush.
        Status finish()
        {
            if (m_open) {
                m_open = false;
                if (m_status)
                    return m_file->endWrite();
            }
            return m_status;
        }
    private:
        CdxFile *m_file;
        Status m_status;
        bool m_open = true;
    };

    // Moves on whenever cached positions may be stale: pages were changed
    // here or by another process.
    uint64_t generation() const { return m_generation; }
    uint32_t changeCounter() const { return m_counter; }
    // How often a scope found the file changed by another holder.
    uint64_t foreignChanges() const { return m_foreignChanges; }

    // Page access for tags, inside a scope. The node stays valid until the
    // outermost scope ends.
    Status node(uint32_t offset, int keyLength, uint8_t pad, CdxNode *&out);
    // A new empty node on a free or appended page, marked dirty.
    Status newNode(int keyLength, bool leaf, uint8_t pad, CdxNode *&out);
    // After a failed change: nothing of the current scope is written and
    // everything is read again from the disk at the next scope.
    void abandonChanges() { m_failed = true; }
    void markDirty(CdxNode *node);
    void freePage(uint32_t offset);
    void markHeaderDirty(CdxTag *tag);
    uint64_t fileSize() const { return m_size; }

    // Raw page read for checks and tools (no cache).
    Status readPage(uint32_t offset, uint8_t *page);

    // A page for one look in a long sequential walk: the cached node when
    // there is one, else the page decoded into `scratch` without caching
    // it, read ahead in runs of pages through `ahead`, so that a walk over
    // a whole tag neither fills the cache nor reads page by page.
    struct ReadAhead {
        std::vector<uint8_t> pages;
        uint64_t start = 0;
    };
    // With `recnosOnly` a page that is not cached is decoded without its
    // keys.
    Status peekNode(uint32_t offset, int keyLength, uint8_t pad, ReadAhead &ahead, CdxNode &scratch,
                    const CdxNode *&out, bool recnosOnly = false);

private:
    CdxFile(Env *env, std::string path, std::unique_ptr<File> file, bool writable, bool exclusive);
    Status lock(File::LockKind kind);
    Status refresh(bool force);
    Status loadDirectory();
    Status readTagHeader(uint32_t offset, const std::string &name, CdxTag &tag);
    Status writeTagHeader(const CdxTag &tag);
    Status flush();
    Status allocPage(uint32_t &offset);
    void dropCache();

    Env *m_env;
    std::string m_path;
    std::unique_ptr<File> m_file;
    bool m_writable;
    bool m_exclusive;
    int m_depth = 0;
    bool m_writing = false;
    bool m_failed = false;
    bool m_forceCounter = false;
    uint64_t m_size = 0;
    uint32_t m_counter = 0;
    uint32_t m_freeHead = 0;
    uint64_t m_generation = 1;
    uint64_t m_foreignChanges = 0;
    bool m_loaded = false;

    std::unique_ptr<CdxTag> m_directory;
    std::vector<CdxTag *> m_tags;                 // current directory order
    std::vector<std::unique_ptr<CdxTag>> m_owned; // every tag object ever made
    std::unordered_map<uint32_t, std::unique_ptr<CdxNode>> m_cache;
    std::map<uint32_t, bool> m_dirty;             // offset -> allocated in this scope
    std::map<uint32_t, uint32_t> m_pendingFree;   // freed in this scope -> next
    std::vector<CdxTag *> m_dirtyHeaders;
};

} // namespace xb
