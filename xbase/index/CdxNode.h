// One tree page of a compound index, decoded: a leaf or an interior node with
// its entries held as fixed-width keys, so that searches are plain memcmp.
// Decoding checks every count and offset against the page; encoding packs
// leaves in the compact form (see CdxFormat.h for the bytes).
#pragma once

#include "xbase/table/Status.h"

#include <cstdint>
#include <vector>

namespace xb {

class CdxNode {
public:
    CdxNode() = default;
    CdxNode(uint32_t offset, int keyLength, bool leaf, uint8_t pad = 0x20);

    uint32_t offset = 0;
    uint16_t attribute = 0; // bit 0x01 root, 0x02 leaf
    uint32_t left = 0xFFFFFFFFu;
    uint32_t right = 0xFFFFFFFFu;
    int keyLength = 0;
    uint8_t pad = 0x20;             // the byte trailing counts stand for
    std::vector<uint8_t> keys;      // count * keyLength bytes
    std::vector<uint32_t> recnos;   // one per entry
    std::vector<uint32_t> children; // interior nodes only

    bool isLeaf() const { return attribute & 0x02; }
    bool isRoot() const { return attribute & 0x01; }
    void setRoot(bool root) { attribute = uint16_t(root ? attribute | 1 : attribute & ~1); }
    int count() const { return int(recnos.size()); }
    const uint8_t *key(int i) const { return keys.data() + std::size_t(i) * keyLength; }

    void insert(int at, const uint8_t *key, uint32_t recno, uint32_t child = 0);
    void erase(int at);
    void setEntry(int at, const uint8_t *key, uint32_t recno);
    // Moves entries [from, count) to the end of `other` (same kind of node).
    void moveTail(int from, CdxNode &other);

    // Decodes `page` (512 bytes). Corrupt, naming the page and the fault,
    // when counts, bit widths or key bytes do not fit the page. `pad` is the
    // byte that trailing counts stand for.
    static Status decode(const uint8_t *page, uint32_t offset, int keyLength, uint8_t pad,
                         CdxNode &out, bool recnosOnly = false);
    // With `recnosOnly` the keys are left out (keys stays empty): for walks
    // that need only the record numbers of a leaf.
    // Whether the node fits one page in its encoded form.
    bool fits() const;
    // Writes the node into `page` (512 bytes). The node must fit.
    void encode(uint8_t *page) const;
    // Writes the entry part of a compact leaf (bytes 12..511) for `count`
    // keys given by pointer, with their trailing pad counts.
    static void encodeLeafEntries(uint8_t *page, int count, int keyLength, const uint8_t *const *keys,
                                  const uint32_t *recnos, const uint8_t *trails);

    static int interiorCapacity(int keyLength) { return 500 / (keyLength + 8); }
    // Trailing pad bytes of a key.
    static int trailCount(const uint8_t *key, int keyLength, uint8_t pad);
    // Leaf entry size in bytes for the largest record number on the page.
    static int leafEntrySize(uint32_t maxRecno, int keyLength);
    // Shared-prefix length of a key with the previous key on its page, capped
    // so that neither key's trailing pad is shared.
    static int dupCount(const uint8_t *prev, int prevTrail, const uint8_t *key, int trail, int keyLength);
    // Bits of the duplicate and trailing counts for a key length.
    static int countBits(int keyLength);
    // Bytes a leaf needs for its entries and keys; more than 488 means it
    // does not fit.
    int leafBytes() const;
};

} // namespace xb
