// The structural compound index of one open table: the CDX file named like
// the table, its tags bound to their compiled key and FOR expressions, key
// production for records, and the upkeep of every tag on every append and
// replace made through the table (it is the table's TableObserver).
//
// The index follows the table, never the reverse: the table writes a record
// first and tells the index afterwards (see CdxFile's crash-safety rules);
// a failed index update is reported to the caller and leaves the index for
// check() and reindex() to repair. Two processes replacing one record at the
// same time must hold its record lock, as every editor does: the index
// removes the key of the record it replaced, and without the lock that need
// not be the key on disk.
#pragma once

#include "xbase/index/CdxChecker.h"
#include "xbase/index/CdxFile.h"
#include "xbase/index/CdxTag.h"
#include "xbase/expr/Expression.h"
#include "xbase/table/Status.h"
#include "xbase/table/Table.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace xb {

// A key range to look for: entries whose first `lowLength` bytes are >= low
// and whose first `highLength` bytes are <= high.
struct CdxKeyRange {
    std::string low;
    int lowLength = 0;
    std::string high;
    int highLength = 0;
};

// Narrows `into` to what both ranges allow: the later start and the earlier
// end. Bounds of different lengths compare on the shorter; on a tie the
// longer is the tighter.
void narrowRange(CdxKeyRange &into, const CdxKeyRange &r);

class CdxIndex : public TableObserver {
public:
    using Progress = std::function<void(int percent)>;

    ~CdxIndex() override;
    CdxIndex(const CdxIndex &) = delete;
    CdxIndex &operator=(const CdxIndex &) = delete;

    // The path of the table's structural index (the table's name with .CDX,
    // found in any letter case); `exists` tells whether such a file is there.
    static std::string structuralPath(Table &table, bool *exists);

    // Opens the structural index when the table's header flags one and the
    // file exists; `out` stays empty otherwise (a flag without a file is not
    // an error: other programs set it too). Corrupt when the file is damaged
    // beyond reading its tag directory. The index registers itself as an
    // observer of `table`, which must outlive it.
    static Status open(Table &table, const EvalSettings &settings, std::unique_ptr<CdxIndex> &out);
    // Creates an empty structural index for `table` (replacing a file of
    // that name) and sets the table's structural flag.
    static Status create(Table &table, const EvalSettings &settings, std::unique_ptr<CdxIndex> &out);

    CdxFile &file() { return *m_file; }
    Table &table() { return m_table; }

    // Tags by position (0-based, directory order) and name (any case); -1
    // when absent. Call refresh() first to see other processes' changes.
    Status refresh();
    // The same inside a scope of file() the caller holds.
    Status bind();
    int tagCount() const { return int(m_bound.size()); }
    int findTag(const std::string &name) const;
    CdxTag *tag(int i) const { return m_bound[std::size_t(i)].tag; }
    // Why a tag's expressions do not compile against the table (empty when
    // they do); such a tag can be read but not maintained or sought by value.
    const std::string &tagProblem(int i) const { return m_bound[std::size_t(i)].problem; }
    ValueType keyValueType(int i) const { return m_bound[std::size_t(i)].type; }
    // The canonical text of tag `i`'s key expression and its fixed-width
    // parts (Expression::canonicalText and keyParts); empty/false when the
    // expression does not compile.
    std::string keyCanonicalText(int i) const;
    bool keyParts(int i, std::vector<KeyPart> &parts) const;

    // The key `record` (number `recno`) has in tag `i`; *included false when
    // the tag's FOR condition excludes it.
    Status keyOf(int i, const char *record, uint32_t recno, bool *included, std::string *key);
    // The key range a caller's text stands for in tag `i`: characters (on
    // their own length), a number, a date as "yyyymmdd" or a prefix of its
    // digits. BadArgument when the text is no value of the tag's type.
    Status searchRange(int i, std::string_view text, CdxKeyRange &out) const;

    // Builds (or rebuilds) tag `name` from every record of the table: keys
    // read in one pass, sorted in memory, pages written bottom-up. Progress
    // in percent. Syntax for a bad expression; BadArgument for a bad name.
    Status buildTag(const std::string &name, const std::string &keyExpression,
                    const std::string &forExpression, const Progress &progress = {});
    // Rebuilds every tag from the table. With the table open exclusive the
    // index is written anew under a temporary name and renamed over the old
    // one; otherwise each tag is rebuilt in place. Tags whose expressions do
    // not compile are dropped (reported in the status detail).
    Status reindex(const Progress &progress = {});
    // Audits every tag: structure, order, and agreement with the table.
    Status check(std::vector<CdxTagReport> &reports);
    // A quick agreement test for opening a table, reading only the leaf
    // pages: every tag's leaves chain from first to last, name no record
    // beyond the table's count, and a tag without FOR condition and
    // uniqueness holds one key per record. *disagreement receives the first
    // finding in words (empty when none). Keys appends of other processes
    // have not yet reached the index are waited for briefly, so a table in
    // use is not reported. Fails only when a file cannot be read.
    Status quickAudit(std::string *disagreement);

    // Called with the record number after every change the index followed
    // (the query candidates of the work area keep themselves a superset).
    void setChangeListener(std::function<void(uint32_t recno)> listener) { m_listener = std::move(listener); }

    // TableObserver.
    Status recordAppended(uint32_t recno, const char *record) override;
    // Refuses every change while a tag is in another program's collation:
    // our keys would go to byte-order places and break it for its owner.
    Status beforeChange() override;
    // Whether tag `t`'s keys are not in byte order (another program's
    // collation). Walks the tag once per open index and tag name.
    Status foreignOrder(int t, bool *foreign);
    // NotFound-free refusal for seeking tag `t`: BadArgument naming the
    // remedy when the tag is foreign.
    Status requireOwnOrder(int t, const char *what);
    // Makes every tag hold exactly the right entry for record `recno`
    // (after an update of the index failed half way): its entry is removed
    // where there is one and inserted again.
    Status refreshKeys(uint32_t recno, const char *record);
    Status recordReplaced(uint32_t recno, const char *oldRecord, const char *newRecord) override;

private:
    struct Bound {
        CdxTag *tag = nullptr;
        std::unique_ptr<Expression> key;
        std::unique_ptr<Expression> forCondition;
        ValueType type = ValueType::Character;
        std::string problem;
        int nullField = -1; // bare nullable field of a nullable tag
    };
    class Context;
    CdxIndex(Table &table, const EvalSettings &settings, std::unique_ptr<CdxFile> file);
    Status bindOne(CdxTag *tag, Bound &b);
    Status keyWith(const Bound &b, const char *record, uint32_t recno, bool *included, std::string *key);
    Status readKeys(const Bound &b, int keyLength, CdxBuildInput &input, const Progress &progress,
                    int from, int to);

    Table &m_table;
    EvalSettings m_settings;
    std::unique_ptr<CdxFile> m_file;
    std::unique_ptr<Context> m_context;
    std::vector<Bound> m_bound;
    std::vector<CdxTag *> m_boundTags;
    std::map<std::string, bool> m_foreign; // by tag name, once checked
    std::function<void(uint32_t)> m_listener;
};

} // namespace xb
