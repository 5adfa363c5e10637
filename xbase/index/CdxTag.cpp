// Searches, ordered walks and changes of one compound-index tag.
#include "xbase/index/CdxTag.h"

#include "xbase/index/CdxFile.h"
#include "xbase/index/CdxFormat.h"
#include "xbase/index/CdxNode.h"

#include <algorithm>
#include <cstring>

namespace xb {

using namespace cdx;

namespace {

enum Mode { kLowerPrefix, kUpperPrefix, kExactEntry };

} // namespace

CdxTag::CdxTag(CdxFile *file, std::string name, uint32_t headerOffset)
    : m_file(file), m_name(std::move(name)), m_header(headerOffset)
{
}

int CdxTag::compare(const uint8_t *a, const uint8_t *b, int length) const
{
    int c = std::memcmp(a, b, std::size_t(length));
    return m_descending ? -c : c;
}

int CdxTag::compareEntry(const uint8_t *a, uint32_t ra, const uint8_t *b, uint32_t rb) const
{
    int c = compare(a, b, m_keyLength);
    if (c)
        return c;
    return ra < rb ? -1 : ra > rb ? 1 : 0;
}

Status CdxTag::load(uint32_t offset, CdxNode *&node)
{
    return m_file->node(offset, m_keyLength, pad(), node);
}

void CdxTag::setPos(CdxPosition &pos, const CdxNode *leaf, int index) const
{
    pos.leaf = leaf->offset;
    pos.index = index;
    pos.generation = m_file->generation();
    pos.key.assign(reinterpret_cast<const char *>(leaf->key(index)), std::size_t(m_keyLength));
    pos.recno = leaf->recnos[std::size_t(index)];
}

Status CdxTag::descend(const uint8_t *key, int length, uint32_t recno, int mode, std::vector<Step> &path)
{
    path.clear();
    uint32_t offset = m_root;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth)
            return Status::corrupt(m_file->path() + ": tag " + m_name + " is deeper than " +
                                   std::to_string(kMaxDepth) + " levels");
        CdxNode *n;
        Status s = load(offset, n);
        if (!s)
            return s;
        if (n->isRoot() != (depth == 0) && depth > 0)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": page " +
                                   std::to_string(offset) + " is marked root below the root");
        // First entry not below the target.
        int lo = 0, hi = n->count();
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            int c = mode == kExactEntry ? compareEntry(n->key(mid), n->recnos[std::size_t(mid)], key, recno)
                                        : compare(n->key(mid), key, length);
            bool below = mode == kUpperPrefix ? c <= 0 : c < 0;
            if (below)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (n->isLeaf()) {
            path.push_back({n, lo});
            return Status::ok();
        }
        if (n->count() == 0)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                   std::to_string(offset) + " has no entries");
        if (lo == n->count())
            lo = n->count() - 1;
        path.push_back({n, lo});
        offset = n->children[std::size_t(lo)];
    }
}

Status CdxTag::first(CdxPosition &pos)
{
    pos.clear();
    uint32_t offset = m_root;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth)
            return Status::corrupt(m_file->path() + ": tag " + m_name + " is too deep");
        CdxNode *n;
        Status s = load(offset, n);
        if (!s)
            return s;
        if (n->isLeaf()) {
            if (n->count() > 0) {
                setPos(pos, n, 0);
                return Status::ok();
            }
            CdxNode *r;
            uint32_t at = n->right;
            for (uint64_t guard = 0; at != kNoPage; ++guard) {
                if (guard > m_file->fileSize() / kPageSize)
                    return Status::corrupt(m_file->path() + ": tag " + m_name + ": sibling chain loops");
                if (!(s = load(at, r)))
                    return s;
                if (r->count() > 0) {
                    setPos(pos, r, 0);
                    return Status::ok();
                }
                at = r->right;
            }
            return Status::ok();
        }
        if (n->count() == 0)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                   std::to_string(offset) + " has no entries");
        offset = n->children.front();
    }
}

Status CdxTag::last(CdxPosition &pos)
{
    pos.clear();
    uint32_t offset = m_root;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth)
            return Status::corrupt(m_file->path() + ": tag " + m_name + " is too deep");
        CdxNode *n;
        Status s = load(offset, n);
        if (!s)
            return s;
        if (n->isLeaf()) {
            if (n->count() > 0) {
                setPos(pos, n, n->count() - 1);
                return Status::ok();
            }
            uint32_t at = n->left;
            for (uint64_t guard = 0; at != kNoPage; ++guard) {
                if (guard > m_file->fileSize() / kPageSize)
                    return Status::corrupt(m_file->path() + ": tag " + m_name + ": sibling chain loops");
                CdxNode *l;
                if (!(s = load(at, l)))
                    return s;
                if (l->count() > 0) {
                    setPos(pos, l, l->count() - 1);
                    return Status::ok();
                }
                at = l->left;
            }
            return Status::ok();
        }
        if (n->count() == 0)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                   std::to_string(offset) + " has no entries");
        offset = n->children.back();
    }
}

Status CdxTag::revalidate(CdxPosition &pos)
{
    if (!pos.valid() || pos.generation == m_file->generation())
        return Status::ok();
    std::string key = pos.key;
    return seekEntry(reinterpret_cast<const uint8_t *>(key.data()), pos.recno, pos);
}

Status CdxTag::seekEntry(const uint8_t *key, uint32_t recno, CdxPosition &pos)
{
    std::vector<Step> path;
    Status s = descend(key, m_keyLength, recno, kExactEntry, path);
    if (!s)
        return s;
    Step &leaf = path.back();
    pos.clear();
    if (leaf.index < leaf.node->count()) {
        setPos(pos, leaf.node, leaf.index);
        return Status::ok();
    }
    // Past this leaf: the next leaf's first entry.
    pos.leaf = leaf.node->offset;
    pos.index = leaf.node->count() - 1;
    pos.generation = m_file->generation();
    if (pos.index < 0) {
        pos.clear();
        return Status::ok();
    }
    pos.key.assign(reinterpret_cast<const char *>(leaf.node->key(pos.index)), std::size_t(m_keyLength));
    pos.recno = leaf.node->recnos[std::size_t(pos.index)];
    return next(pos);
}

Status CdxTag::next(CdxPosition &pos)
{
    if (!pos.valid())
        return Status::ok();
    Status s = revalidate(pos);
    if (!s || !pos.valid())
        return s;
    CdxNode *n;
    if (!(s = load(pos.leaf, n)))
        return s;
    if (pos.index + 1 < n->count()) {
        setPos(pos, n, pos.index + 1);
        return Status::ok();
    }
    uint32_t from = n->offset;
    uint32_t at = n->right;
    for (uint64_t guard = 0; at != kNoPage; ++guard) {
        if (guard > m_file->fileSize() / kPageSize)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": sibling chain loops");
        CdxNode *r;
        if (!(s = load(at, r)))
            return s;
        if (!r->isLeaf() || r->left != from)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": broken sibling chain at page " +
                                   std::to_string(at));
        if (r->count() > 0) {
            setPos(pos, r, 0);
            return Status::ok();
        }
        from = at;
        at = r->right;
    }
    pos.clear();
    return Status::ok();
}

Status CdxTag::prev(CdxPosition &pos)
{
    if (!pos.valid())
        return Status::ok();
    Status s = revalidate(pos);
    if (!s || !pos.valid())
        return s;
    CdxNode *n;
    if (!(s = load(pos.leaf, n)))
        return s;
    if (pos.index > 0 && pos.index <= n->count()) {
        setPos(pos, n, pos.index - 1);
        return Status::ok();
    }
    uint32_t from = n->offset;
    uint32_t at = n->left;
    for (uint64_t guard = 0; at != kNoPage; ++guard) {
        if (guard > m_file->fileSize() / kPageSize)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": sibling chain loops");
        CdxNode *l;
        if (!(s = load(at, l)))
            return s;
        if (!l->isLeaf() || l->right != from)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": broken sibling chain at page " +
                                   std::to_string(at));
        if (l->count() > 0) {
            setPos(pos, l, l->count() - 1);
            return Status::ok();
        }
        from = at;
        at = l->left;
    }
    pos.clear();
    return Status::ok();
}

Status CdxTag::seek(const uint8_t *key, int length, CdxPosition &pos)
{
    pos.clear();
    std::vector<Step> path;
    Status s = descend(key, std::min(length, m_keyLength), 0, kLowerPrefix, path);
    if (!s)
        return s;
    Step &leaf = path.back();
    if (leaf.index < leaf.node->count()) {
        setPos(pos, leaf.node, leaf.index);
        return Status::ok();
    }
    if (leaf.node->count() == 0)
        return Status::ok();
    setPos(pos, leaf.node, leaf.node->count() - 1);
    return next(pos);
}

Status CdxTag::seekLast(const uint8_t *key, int length, CdxPosition &pos)
{
    pos.clear();
    std::vector<Step> path;
    Status s = descend(key, std::min(length, m_keyLength), 0, kUpperPrefix, path);
    if (!s)
        return s;
    Step &leaf = path.back();
    if (leaf.node->count() == 0)
        return Status::ok();
    if (leaf.index > 0) {
        setPos(pos, leaf.node, leaf.index - 1);
        return Status::ok();
    }
    setPos(pos, leaf.node, 0);
    return prev(pos);
}

Status CdxTag::locate(const uint8_t *key, uint32_t recno, CdxPosition &pos)
{
    pos.clear();
    std::vector<Step> path;
    Status s = descend(key, m_keyLength, recno, kExactEntry, path);
    if (!s)
        return s;
    Step &leaf = path.back();
    if (leaf.index < leaf.node->count() && leaf.node->recnos[std::size_t(leaf.index)] == recno &&
        std::memcmp(leaf.node->key(leaf.index), key, std::size_t(m_keyLength)) == 0)
        setPos(pos, leaf.node, leaf.index);
    return Status::ok();
}

Status CdxTag::fixUpwards(std::vector<Step> &path, int level)
{
    const int kl = m_keyLength;
    for (;;) {
        CdxNode *n = path[std::size_t(level)].node;
        if (n->fits()) {
            for (int l = level; l > 0; --l) {
                CdxNode *c = path[std::size_t(l)].node;
                CdxNode *p = path[std::size_t(l - 1)].node;
                int i = path[std::size_t(l - 1)].index;
                if (c->count() == 0)
                    break;
                const uint8_t *lk = c->key(c->count() - 1);
                uint32_t lr = c->recnos.back();
                if (std::memcmp(p->key(i), lk, std::size_t(kl)) == 0 && p->recnos[std::size_t(i)] == lr)
                    break;
                p->setEntry(i, lk, lr);
                m_file->markDirty(p);
                if (i != p->count() - 1)
                    break;
            }
            return Status::ok();
        }
        // Split: the new page takes the upper part.
        CdxNode *nn;
        Status s = m_file->newNode(kl, n->isLeaf(), pad(), nn);
        if (!s)
            return s;
        int k = n->count() / 2;
        if (n->isLeaf()) {
            // Halves by count nearly always fit; otherwise move the cut.
            for (int delta = 0; delta < n->count(); ++delta) {
                bool found = false;
                for (int cand : {n->count() / 2 - delta, n->count() / 2 + delta}) {
                    if (cand < 1 || cand >= n->count())
                        continue;
                    CdxNode a(0, kl, true, pad()), b(0, kl, true, pad());
                    a.keys.assign(n->keys.begin(), n->keys.begin() + std::ptrdiff_t(cand) * kl);
                    a.recnos.assign(n->recnos.begin(), n->recnos.begin() + cand);
                    b.keys.assign(n->keys.begin() + std::ptrdiff_t(cand) * kl, n->keys.end());
                    b.recnos.assign(n->recnos.begin() + cand, n->recnos.end());
                    if (a.fits() && b.fits()) {
                        k = cand;
                        found = true;
                        break;
                    }
                }
                if (found)
                    break;
            }
        }
        n->moveTail(k, *nn);
        nn->right = n->right;
        nn->left = n->offset;
        if (n->right != kNoPage) {
            CdxNode *r;
            if (!(s = load(n->right, r)))
                return s;
            r->left = nn->offset;
            m_file->markDirty(r);
        }
        n->right = nn->offset;
        m_file->markDirty(n);
        if (level == 0) {
            CdxNode *root;
            if (!(s = m_file->newNode(kl, false, pad(), root)))
                return s;
            n->setRoot(false);
            nn->setRoot(false);
            root->setRoot(true);
            root->insert(0, n->key(n->count() - 1), n->recnos.back(), n->offset);
            root->insert(1, nn->key(nn->count() - 1), nn->recnos.back(), nn->offset);
            m_root = root->offset;
            m_file->markHeaderDirty(this);
            return Status::ok();
        }
        CdxNode *p = path[std::size_t(level - 1)].node;
        int i = path[std::size_t(level - 1)].index;
        p->setEntry(i, n->key(n->count() - 1), n->recnos.back());
        p->insert(i + 1, nn->key(nn->count() - 1), nn->recnos.back(), nn->offset);
        m_file->markDirty(p);
        path[std::size_t(level - 1)].index = i + 1;
        --level;
    }
}

Status CdxTag::insert(const uint8_t *key, uint32_t recno)
{
    std::vector<Step> path;
    Status s = descend(key, m_keyLength, recno, kExactEntry, path);
    if (!s)
        return s;
    Step &leaf = path.back();
    CdxNode *n = leaf.node;
    if (leaf.index < n->count() && n->recnos[std::size_t(leaf.index)] == recno &&
        std::memcmp(n->key(leaf.index), key, std::size_t(m_keyLength)) == 0)
        return Status::ok();
    n->insert(leaf.index, key, recno);
    m_file->markDirty(n);
    return fixUpwards(path, int(path.size()) - 1);
}

Status CdxTag::remove(const uint8_t *key, uint32_t recno)
{
    std::vector<Step> path;
    Status s = descend(key, m_keyLength, recno, kExactEntry, path);
    if (!s)
        return s;
    Step &leaf = path.back();
    if (leaf.index >= leaf.node->count() || leaf.node->recnos[std::size_t(leaf.index)] != recno ||
        std::memcmp(leaf.node->key(leaf.index), key, std::size_t(m_keyLength)) != 0)
        return Status::notFound(m_file->path() + ": tag " + m_name + " has no entry for record " +
                                std::to_string(recno));
    leaf.node->erase(leaf.index);
    m_file->markDirty(leaf.node);
    int level = int(path.size()) - 1;
    for (;;) {
        CdxNode *n = path[std::size_t(level)].node;
        if (n->count() == 0 && level > 0) {
            if (n->left != kNoPage) {
                CdxNode *l;
                if (!(s = load(n->left, l)))
                    return s;
                l->right = n->right;
                m_file->markDirty(l);
            }
            if (n->right != kNoPage) {
                CdxNode *r;
                if (!(s = load(n->right, r)))
                    return s;
                r->left = n->left;
                m_file->markDirty(r);
            }
            m_file->freePage(n->offset);
            Step &p = path[std::size_t(level - 1)];
            p.node->erase(p.index);
            m_file->markDirty(p.node);
            --level;
            continue;
        }
        if (n->count() == 0 && !n->isLeaf()) {
            n->attribute = kAttrRoot | kAttrLeaf;
            n->children.clear();
            m_file->markDirty(n);
            return Status::ok();
        }
        return fixUpwards(path, level);
    }
}

Status CdxTag::walk(const std::function<bool(const uint8_t *, uint32_t)> &visit)
{
    uint32_t offset = m_root;
    CdxNode *n;
    Status s;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth)
            return Status::corrupt(m_file->path() + ": tag " + m_name + " is too deep");
        if (!(s = load(offset, n)))
            return s;
        if (n->isLeaf())
            break;
        if (n->count() == 0)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                   std::to_string(offset) + " has no entries");
        offset = n->children.front();
    }
    uint64_t pages = m_file->fileSize() / kPageSize;
    for (uint64_t guard = 0;; ++guard) {
        if (guard > pages)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": sibling chain loops");
        for (int i = 0; i < n->count(); ++i)
            if (!visit(n->key(i), n->recnos[std::size_t(i)]))
                return Status::ok();
        if (n->right == kNoPage)
            return Status::ok();
        uint32_t from = n->offset;
        if (!(s = load(n->right, n)))
            return s;
        if (!n->isLeaf() || n->left != from)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": broken sibling chain at page " +
                                   std::to_string(n->offset));
    }
}

Status CdxTag::scanRange(const uint8_t *low, int lowLength, const uint8_t *high, int highLength,
                         const std::function<void(uint32_t)> &visit, uint64_t *count)
{
    *count = 0;
    lowLength = std::min(lowLength, m_keyLength);
    highLength = std::min(highLength, m_keyLength);
    std::vector<Step> path;
    if (lowLength > 0) {
        Status s = descend(low, lowLength, 0, kLowerPrefix, path);
        if (!s)
            return s;
    } else {
        uint32_t offset = m_root;
        for (int depth = 0;; ++depth) {
            if (depth >= kMaxDepth)
                return Status::corrupt(m_file->path() + ": tag " + m_name + " is too deep");
            CdxNode *n;
            Status s = load(offset, n);
            if (!s)
                return s;
            path.push_back({n, 0});
            if (n->isLeaf())
                break;
            if (n->count() == 0)
                return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                       std::to_string(offset) + " has no entries");
            offset = n->children.front();
        }
    }
    // The entries of one leaf from `index` on; false once past `high`.
    auto takeLeaf = [&](const CdxNode *n, int index) {
        const int c = n->count();
        int end = c;
        if (highLength > 0 && c > index && compare(n->key(c - 1), high, highLength) > 0) {
            int lo = index, hi = c;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (compare(n->key(mid), high, highLength) <= 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            end = lo;
        }
        if (visit)
            for (int i = index; i < end; ++i)
                visit(n->recnos[std::size_t(i)]);
        if (end > index)
            *count += uint64_t(end - index);
        return end == c;
    };
    if (!takeLeaf(path.back().node, path.back().index) || path.size() < 2)
        return Status::ok();
    // The leaves to the right, told by their parents: a parent's entry holds
    // its leaf's last key, so a leaf that ends inside the range is taken
    // whole (its record numbers only) and the first that does not is read
    // key by key.
    const CdxNode *parent = path[path.size() - 2].node;
    int at = path[path.size() - 2].index;
    uint32_t from = path.back().node->offset;
    CdxFile::ReadAhead ahead;
    CdxNode scratch;
    const uint64_t pages = m_file->fileSize() / kPageSize;
    for (uint64_t guard = 0;; ++guard) {
        if (guard > 2 * pages)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": sibling chain loops");
        if (++at >= parent->count()) {
            if (parent->right == kNoPage)
                return Status::ok();
            CdxNode *next;
            Status s = load(parent->right, next);
            if (!s)
                return s;
            if (next->isLeaf())
                return Status::corrupt(m_file->path() + ": tag " + m_name + ": page " +
                                       std::to_string(parent->right) + " is a leaf beside an interior page");
            parent = next;
            at = -1;
            continue;
        }
        const uint32_t child = parent->children[std::size_t(at)];
        const bool whole = highLength == 0 || compare(parent->key(at), high, highLength) <= 0;
        const CdxNode *n = nullptr;
        Status s = m_file->peekNode(child, m_keyLength, pad(), ahead, scratch, n, whole);
        if (!s)
            return s;
        if (!n->isLeaf() || n->left != from)
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": broken sibling chain at page " +
                                   std::to_string(child));
        if (!whole) {
            takeLeaf(n, 0);
            return Status::ok();
        }
        if (visit)
            for (uint32_t r : n->recnos)
                visit(r);
        *count += uint64_t(n->count());
        from = child;
    }
}

// Sizes that turn a path into a place: full[d] is the number of keys below
// a full node at depth d (the leftmost path's counts multiplied up), spine[d]
// the number below the rightmost node at depth d. Trees built bottom-up are
// full except along their right edge; elsewhere the result is an estimate.
Status CdxTag::shape(std::vector<double> &full, std::vector<double> &spine)
{
    full.clear();
    spine.clear();
    std::vector<int> left, right;
    for (int side = 0; side < 2; ++side) {
        std::vector<int> &counts = side == 0 ? left : right;
        uint32_t offset = m_root;
        for (int depth = 0;; ++depth) {
            if (depth >= kMaxDepth)
                return Status::corrupt(m_file->path() + ": tag " + m_name + " is too deep");
            CdxNode *n;
            Status s = load(offset, n);
            if (!s)
                return s;
            counts.push_back(n->count());
            if (n->isLeaf())
                break;
            if (n->count() == 0)
                return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                       std::to_string(offset) + " has no entries");
            offset = side == 0 ? n->children.front() : n->children.back();
        }
    }
    if (left.size() != right.size())
        return Status::corrupt(m_file->path() + ": tag " + m_name + ": leaves at different depths");
    const std::size_t h = left.size();
    full.assign(h, 0);
    spine.assign(h, 0);
    full[h - 1] = std::max(1, left[h - 1]);
    spine[h - 1] = right[h - 1];
    for (std::size_t d = h - 1; d-- > 0;) {
        full[d] = std::max(1, left[d]) * full[d + 1];
        spine[d] = std::max(0, right[d] - 1) * full[d + 1] + spine[d + 1];
    }
    return Status::ok();
}

Status CdxTag::fraction(const CdxPosition &pos, double &out)
{
    out = 0;
    if (!pos.valid())
        return Status::ok();
    std::vector<Step> path;
    Status s = descend(reinterpret_cast<const uint8_t *>(pos.key.data()), m_keyLength, pos.recno,
                       kExactEntry, path);
    std::vector<double> full, spine;
    if (s)
        s = shape(full, spine);
    if (!s)
        return s;
    double before = 0;
    for (std::size_t d = 0; d < path.size() && d < full.size(); ++d) {
        const Step &st = path[d];
        const int c = st.node->count();
        if (c == 0)
            break;
        const int i = std::min(st.index, c - 1);
        before += st.node->isLeaf() ? i : i * full[d + 1];
    }
    const double total = spine.empty() ? 0 : spine[0];
    out = total > 1 ? std::clamp(before / (total - 1), 0.0, 1.0) : 0.0;
    return Status::ok();
}

Status CdxTag::seekFraction(double fraction, CdxPosition &pos)
{
    pos.clear();
    std::vector<double> full, spine;
    Status s = shape(full, spine);
    if (!s)
        return s;
    double target = std::clamp(fraction, 0.0, 1.0) * std::max(0.0, spine[0] - 1);
    bool onSpine = true;
    uint32_t offset = m_root;
    for (std::size_t depth = 0;; ++depth) {
        if (depth >= std::size_t(kMaxDepth) || depth >= full.size())
            return Status::corrupt(m_file->path() + ": tag " + m_name + " is too deep");
        CdxNode *n;
        if (!(s = load(offset, n)))
            return s;
        int c = n->count();
        if (c == 0) {
            if (n->isLeaf())
                return first(pos);
            return Status::corrupt(m_file->path() + ": tag " + m_name + ": interior page " +
                                   std::to_string(offset) + " has no entries");
        }
        if (n->isLeaf()) {
            setPos(pos, n, std::min(int(target + 0.5), c - 1));
            return Status::ok();
        }
        const double size = full[depth + 1];
        int i = std::min(int(target / size + 1e-9), c - 1);
        target = std::max(0.0, target - i * size);
        onSpine = onSpine && i == c - 1;
        if (onSpine)
            target = std::min(target, std::max(0.0, spine[depth + 1] - 1));
        offset = n->children[std::size_t(i)];
    }
}

} // namespace xb
