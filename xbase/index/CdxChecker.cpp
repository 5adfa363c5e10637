// Structural audit of compound-index tags.
#include "xbase/index/CdxChecker.h"

#include "xbase/index/CdxFile.h"
#include "xbase/index/CdxFormat.h"
#include "xbase/index/CdxNode.h"
#include "xbase/index/CdxTag.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace xb {

using namespace cdx;

namespace {

constexpr std::size_t kMaxFindings = 20;

void add(CdxTagReport &r, std::string text)
{
    if (r.damage.size() < kMaxFindings)
        r.damage.push_back(std::move(text));
    else if (r.damage.size() == kMaxFindings)
        r.damage.push_back("(further findings not shown)");
}

std::string at(uint32_t offset) { return "page " + std::to_string(offset) + ": "; }

} // namespace

Status CdxChecker::checkTree(CdxTag &tag, CdxTagReport &report,
                             std::vector<std::pair<std::string, uint32_t>> *entries)
{
    CdxFile *file = tag.m_file;
    report = CdxTagReport();
    report.tag = tag.name();
    const int kl = tag.keyLength();
    std::vector<std::vector<const CdxNode *>> levels;
    std::set<uint32_t> seen;
    std::vector<std::pair<std::string, uint32_t>> keys;
    int leafDepth = 0;
    uint8_t raw[kPageSize];

    // Returns false when the subtree is unusable; *last gets its last entry.
    std::function<bool(uint32_t, int, std::string *, uint32_t *)> visit =
        [&](uint32_t offset, int depth, std::string *lastKey, uint32_t *lastRec) -> bool {
        if (depth > kMaxDepth) {
            add(report, "deeper than " + std::to_string(kMaxDepth) + " levels");
            return false;
        }
        if (!seen.insert(offset).second) {
            add(report, at(offset) + "reached twice");
            return false;
        }
        CdxNode *n;
        Status s = file->node(offset, kl, tag.pad(), n);
        if (!s) {
            add(report, s.detail());
            return false;
        }
        if (int(levels.size()) < depth)
            levels.emplace_back();
        levels[std::size_t(depth - 1)].push_back(n);
        if (n->isRoot() != (depth == 1))
            add(report, at(offset) + "root mark " + (n->isRoot() ? "set" : "missing") + " at depth " +
                            std::to_string(depth));
        if (n->isLeaf()) {
            if (leafDepth && leafDepth != depth)
                add(report, at(offset) + "leaf at depth " + std::to_string(depth) + ", others at " +
                                std::to_string(leafDepth));
            leafDepth = depth;
            // The free-byte field and the record bits, from the raw page.
            if (file->readPage(offset, raw)) {
                int size = raw[23];
                int used = n->count() * size;
                // Key bytes: from the decoded entries' dup/trail as stored.
                int keyBytes = 0;
                int rb = raw[20], db = raw[21];
                for (int i = 0; i < n->count(); ++i) {
                    uint64_t v = 0;
                    for (int b = size - 1; b >= 0; --b)
                        v = v << 8 | raw[kLeafHeader + i * size + b];
                    int dup = int((v >> rb) & ((1u << db) - 1));
                    int trail = int((v >> (rb + db)) & ((1u << raw[22]) - 1));
                    keyBytes += kl - dup - trail;
                }
                if (getU16(raw + 12) != kLeafSpace - used - keyBytes)
                    add(report, at(offset) + "free-byte field says " + std::to_string(getU16(raw + 12)) +
                                    ", entries leave " + std::to_string(kLeafSpace - used - keyBytes));
                uint32_t mx = 0;
                for (uint32_t r : n->recnos)
                    mx = std::max(mx, r);
                if (bitLength(mx) > rb)
                    add(report, at(offset) + "record numbers need more bits than the page has");
            }
            for (int i = 0; i < n->count(); ++i)
                keys.emplace_back(std::string(reinterpret_cast<const char *>(n->key(i)), std::size_t(kl)),
                                  n->recnos[std::size_t(i)]);
            if (n->count() > 0) {
                lastKey->assign(reinterpret_cast<const char *>(n->key(n->count() - 1)), std::size_t(kl));
                *lastRec = n->recnos.back();
            } else if (depth > 1) {
                add(report, at(offset) + "empty leaf below the root");
                lastKey->clear();
            }
            return true;
        }
        if (n->count() == 0) {
            add(report, at(offset) + "interior page without entries");
            return false;
        }
        // Copy: visiting children may load pages and move the cache.
        std::vector<uint32_t> children = n->children;
        std::vector<std::string> sepKeys;
        std::vector<uint32_t> sepRecs = n->recnos;
        for (int i = 0; i < n->count(); ++i)
            sepKeys.emplace_back(reinterpret_cast<const char *>(n->key(i)), std::size_t(kl));
        for (std::size_t i = 0; i < children.size(); ++i) {
            std::string k;
            uint32_t r = 0;
            if (!visit(children[i], depth + 1, &k, &r))
                return false;
            if (k != sepKeys[i] || r != sepRecs[i])
                add(report, at(offset) + "entry " + std::to_string(i) + " (record " + std::to_string(sepRecs[i]) +
                                ") differs from the last entry of child " + std::to_string(children[i]) +
                                " (record " + std::to_string(r) + ")");
            *lastKey = k;
            *lastRec = r;
        }
        return true;
    };

    std::string k;
    uint32_t r = 0;
    bool whole = visit(tag.root(), 1, &k, &r);
    report.depth = leafDepth;
    if (whole) {
        for (const auto &level : levels) {
            uint32_t prevOffset = kNoPage;
            for (std::size_t i = 0; i < level.size(); ++i) {
                uint32_t expectRight = i + 1 < level.size() ? level[i + 1]->offset : kNoPage;
                if (level[i]->left != prevOffset || level[i]->right != expectRight) {
                    add(report, at(level[i]->offset) + "sibling links " + std::to_string(level[i]->left) + "/" +
                                    std::to_string(level[i]->right) + ", expected " + std::to_string(prevOffset) +
                                    "/" + std::to_string(expectRight));
                    break;
                }
                prevOffset = level[i]->offset;
            }
        }
    }
    report.keys = keys.size();
    for (std::size_t i = 1; i < keys.size(); ++i) {
        int c = tag.compare(reinterpret_cast<const uint8_t *>(keys[i - 1].first.data()),
                            reinterpret_cast<const uint8_t *>(keys[i].first.data()), kl);
        if (c > 0 || (c == 0 && keys[i - 1].second >= keys[i].second)) {
            if (c == 0) {
                add(report, "records out of order among equal keys at entry " + std::to_string(i + 1) +
                                " (record " + std::to_string(keys[i].second) + ")");
            } else if (!report.foreignOrder) {
                report.foreignOrder = true;
                report.orderNote = "keys not in byte order from entry " + std::to_string(i + 1) + " (records " +
                                   std::to_string(keys[i - 1].second) + ", " + std::to_string(keys[i].second) + ")";
            }
        }
    }
    if (entries)
        *entries = std::move(keys);
    return Status::ok();
}

Status CdxChecker::checkRecords(const std::vector<std::pair<std::string, uint32_t>> &entries,
                                uint32_t recordCount, const ExpectedKey &expected, CdxTagReport &report)
{
    std::vector<uint8_t> seen(std::size_t(recordCount) + 1, 0);
    std::vector<uint32_t> twice;
    uint64_t beyond = 0, wrong = 0;
    std::string key;
    for (const auto &[k, recno] : entries) {
        if (recno < 1 || recno > recordCount) {
            if (beyond++ == 0)
                add(report, "entry for record " + std::to_string(recno) + " beyond the table's " +
                                std::to_string(recordCount) + " records");
            continue;
        }
        if (seen[recno]++) {
            twice.push_back(recno);
            continue;
        }
        bool included = true, deleted = false;
        Status s = expected(recno, &included, &deleted, &key);
        if (!s)
            return s;
        if (!included) {
            add(report, "record " + std::to_string(recno) + " is indexed but its FOR condition is false");
        } else if (key != k) {
            if (wrong++ < 5)
                add(report, "record " + std::to_string(recno) + " is indexed under a key it does not have");
        }
    }
    if (!twice.empty()) {
        std::string list;
        for (std::size_t i = 0; i < twice.size() && i < 8; ++i)
            list += (i ? ", " : "") + std::to_string(twice[i]);
        add(report, std::to_string(twice.size()) + " records indexed more than once: " + list);
    }
    if (beyond > 1)
        add(report, std::to_string(beyond) + " entries name records beyond the table");
    if (wrong > 5)
        add(report, std::to_string(wrong) + " records indexed under keys they do not have");
    uint64_t missing = 0;
    uint32_t firstMissing = 0;
    for (uint32_t r = 1; r <= recordCount; ++r) {
        if (seen[r])
            continue;
        bool included = true, deleted = false;
        Status s = expected(r, &included, &deleted, &key);
        if (!s)
            return s;
        if (included && !deleted && missing++ == 0)
            firstMissing = r;
    }
    if (missing)
        add(report, std::to_string(missing) + " records have no entry (first: record " +
                        std::to_string(firstMissing) + ")");
    return Status::ok();
}

} // namespace xb
