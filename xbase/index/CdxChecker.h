// Full structural audit of compound-index tags, and the comparison of a tag
// with the keys its table's records give. What a seek or a skip cannot see
// (an entry too many, a record without its key, keys out of order) is found
// here; the engine reports it, a rebuild from the table repairs it.
//
// Two kinds of finding are kept apart: damage (the file is wrong whatever
// wrote it) and a foreign order (keys not in byte order, as another program
// with its own collation writes them: such a tag reads correctly in tree
// order, but seeks in it are only reliable after a rebuild).
#pragma once

#include "xbase/table/Status.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xb {

class CdxTag;

struct CdxTagReport {
    std::string tag;
    uint64_t keys = 0;
    int depth = 0;
    std::vector<std::string> damage; // empty: sound
    bool foreignOrder = false;       // keys not in byte order
    std::string orderNote;           // where the order first breaks
    std::vector<std::string> notes;  // neither damage nor order (e.g. keys not compared)
    bool ok() const { return damage.empty() && !foreignOrder; }
};

class CdxChecker {
public:
    // The key a record should have in a tag: *included false when the
    // record is not in the tag (its FOR condition is false); *deleted true
    // for a record marked deleted (such records are normally indexed, but
    // one without an entry is not reported).
    using ExpectedKey = std::function<Status(uint32_t recno, bool *included, bool *deleted, std::string *key)>;

    // Walks every page of `tag` from its root (inside a read scope of its
    // file): attributes, entry counts, leaf packing and free-byte fields,
    // interior entries equal to their child's last entry, one sibling chain
    // per level, no page reached twice, one depth for all leaves, byte order
    // of keys with ties in record order. Fills `report`; the status fails only
    // when the file cannot be read.
    static Status checkTree(CdxTag &tag, CdxTagReport &report,
                            std::vector<std::pair<std::string, uint32_t>> *entries = nullptr);

    // Compares the entries of a tag (from checkTree) with the records
    // 1..recordCount: every record has exactly its key, no entry names a
    // record twice or a record beyond the table. Adds findings to `report`.
    static Status checkRecords(const std::vector<std::pair<std::string, uint32_t>> &entries,
                               uint32_t recordCount, const ExpectedKey &expected, CdxTagReport &report);
};

} // namespace xb
