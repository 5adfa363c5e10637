// One tag of a compound index: its header (key and FOR expressions, key
// length, options) and its B-tree of keys with record numbers. Searches,
// ordered walks, inserts with page splits and deletes that free empty pages.
//
// Every function here must run inside a scope of the owning CdxFile (the
// public CdxOrder/CdxIndex layer opens them); positions carry the file's
// generation and are found again by key and record number when it moved.
//
// Ties: equal keys are kept in ascending record number; interior entries
// hold the last key and record number of their child, so a (key, recno)
// descent finds one exact entry.
#pragma once

#include "xbase/index/CdxKey.h"
#include "xbase/table/Status.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace xb {

class CdxFile;
class CdxNode;

// A place in a tag's key order. Invalid (`index` < 0) past either end.
struct CdxPosition {
    uint32_t leaf = 0;
    int index = -1;
    uint64_t generation = 0;
    std::string key;
    uint32_t recno = 0;
    bool valid() const { return index >= 0; }
    void clear() { index = -1; key.clear(); recno = 0; }
};

class CdxTag {
public:
    CdxTag(CdxFile *file, std::string name, uint32_t headerOffset);

    const std::string &name() const { return m_name; }
    const std::string &keyExpression() const { return m_keyExpr; }
    const std::string &forExpression() const { return m_forExpr; }
    int keyLength() const { return m_keyLength; }
    uint8_t options() const { return m_options; }
    bool nullable() const { return m_options & 0x02; }
    bool unique() const { return m_options & 0x01; }
    bool descending() const { return m_descending; }
    uint32_t headerOffset() const { return m_header; }
    uint32_t root() const { return m_root; }
    bool removed() const { return m_removed; }

    // The key type decides the pad byte of trailing counts; the owner sets it
    // from the key expression's result type (Character by default).
    CdxKeyType keyType() const { return m_keyType; }
    void setKeyType(CdxKeyType type) { m_keyType = type; }
    uint8_t pad() const { return CdxKey::padByte(m_keyType); }

    // Compares the first `length` bytes of two keys in the tag's direction.
    int compare(const uint8_t *a, const uint8_t *b, int length) const;

    // First and last entry; an invalid position when the tag is empty.
    Status first(CdxPosition &pos);
    Status last(CdxPosition &pos);
    // The neighbouring entry; an invalid position past the end.
    Status next(CdxPosition &pos);
    Status prev(CdxPosition &pos);
    // The first entry whose first `length` bytes are >= `key` (invalid when
    // none). `length` <= keyLength().
    Status seek(const uint8_t *key, int length, CdxPosition &pos);
    // The last entry whose first `length` bytes are <= `key`.
    Status seekLast(const uint8_t *key, int length, CdxPosition &pos);
    // The entry with exactly this key and record number; invalid when absent.
    Status locate(const uint8_t *key, uint32_t recno, CdxPosition &pos);
    // The entry at (key, recno) or the first one after it; invalid when none.
    Status seekEntry(const uint8_t *key, uint32_t recno, CdxPosition &pos);
    // Makes a position current again after the file's generation moved:
    // the same entry, or the next one when it is gone.
    Status revalidate(CdxPosition &pos);

    // Adds or removes one entry (inside a write scope). Insert of an entry
    // already there is a no-op; remove of an absent one is NotFound.
    Status insert(const uint8_t *key, uint32_t recno);
    Status remove(const uint8_t *key, uint32_t recno);

    // Calls `visit` for every entry in tree order (left to right along the
    // leaf chain reached from the root); stops when it returns false.
    // Corrupt on broken sibling links or a chain longer than the file.
    Status walk(const std::function<bool(const uint8_t *key, uint32_t recno)> &visit);

    // The entries whose first `lowLength` bytes are >= `low` and whose
    // first `highLength` bytes are <= `high` (a length of 0: that side is
    // open), in key order: `visit` (may be empty) gets each record number,
    // *count their number. The leaves are read in runs and not cached, so
    // counting a whole tag costs neither memory nor a read per page.
    Status scanRange(const uint8_t *low, int lowLength, const uint8_t *high, int highLength,
                     const std::function<void(uint32_t recno)> &visit, uint64_t *count);

    // Approximate place of a position in key order, 0..1, from its path's
    // indices weighed by the sizes of full subtrees and of the right edge
    // (interior pages carry no counts); and the inverse.
    Status fraction(const CdxPosition &pos, double &out);
    Status seekFraction(double fraction, CdxPosition &pos);

private:
    friend class CdxFile;
    friend class CdxChecker;
    friend class CdxIndex;
    struct Step {
        CdxNode *node;
        int index;
    };
    Status load(uint32_t offset, CdxNode *&node);
    Status descend(const uint8_t *key, int length, uint32_t recno, int mode, std::vector<Step> &path);
    void setPos(CdxPosition &pos, const CdxNode *leaf, int index) const;
    Status fixUpwards(std::vector<Step> &path, int level);
    Status shape(std::vector<double> &full, std::vector<double> &spine);
    int compareEntry(const uint8_t *a, uint32_t ra, const uint8_t *b, uint32_t rb) const;

    CdxFile *m_file;
    std::string m_name;
    uint32_t m_header;
    uint32_t m_root = 0;
    int m_keyLength = 0;
    uint8_t m_options = 0;
    bool m_descending = false;
    std::string m_keyExpr;
    std::string m_forExpr;
    CdxKeyType m_keyType = CdxKeyType::Character;
    bool m_removed = false;
};

} // namespace xb
