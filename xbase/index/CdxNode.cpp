// Decoding and encoding of compound-index tree pages.
#include "xbase/index/CdxNode.h"

#include "xbase/index/CdxFormat.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace xb {

using namespace cdx;

CdxNode::CdxNode(uint32_t offset_, int keyLength_, bool leaf, uint8_t pad_)
    : offset(offset_), attribute(leaf ? kAttrLeaf : 0), keyLength(keyLength_), pad(pad_)
{
}

void CdxNode::insert(int at, const uint8_t *key, uint32_t recno, uint32_t child)
{
    keys.insert(keys.begin() + std::ptrdiff_t(at) * keyLength, key, key + keyLength);
    recnos.insert(recnos.begin() + at, recno);
    if (!isLeaf())
        children.insert(children.begin() + at, child);
}

void CdxNode::erase(int at)
{
    auto k = keys.begin() + std::ptrdiff_t(at) * keyLength;
    keys.erase(k, k + keyLength);
    recnos.erase(recnos.begin() + at);
    if (!isLeaf())
        children.erase(children.begin() + at);
}

void CdxNode::setEntry(int at, const uint8_t *key, uint32_t recno)
{
    std::memcpy(keys.data() + std::size_t(at) * keyLength, key, std::size_t(keyLength));
    recnos[std::size_t(at)] = recno;
}

void CdxNode::moveTail(int from, CdxNode &other)
{
    other.keys.insert(other.keys.end(), keys.begin() + std::ptrdiff_t(from) * keyLength, keys.end());
    other.recnos.insert(other.recnos.end(), recnos.begin() + from, recnos.end());
    keys.resize(std::size_t(from) * keyLength);
    recnos.resize(std::size_t(from));
    if (!isLeaf()) {
        other.children.insert(other.children.end(), children.begin() + from, children.end());
        children.resize(std::size_t(from));
    }
}

int CdxNode::trailCount(const uint8_t *key, int keyLength, uint8_t pad)
{
    // Eight bytes at a time over the (often long) blank tail.
    const uint64_t pads = 0x0101010101010101ull * pad;
    int n = 0;
    while (n + 8 <= keyLength) {
        uint64_t w;
        std::memcpy(&w, key + keyLength - n - 8, 8);
        if (w != pads)
            break;
        n += 8;
    }
    while (n < keyLength && key[keyLength - 1 - n] == pad)
        ++n;
    return n;
}

int CdxNode::countBits(int keyLength) { return bitLength(uint64_t(keyLength)); }

int CdxNode::leafEntrySize(uint32_t maxRecno, int keyLength)
{
    int counts = 2 * countBits(keyLength);
    int need = bitLength(maxRecno);
    int size = 2;
    while (8 * size - counts < need)
        ++size;
    return size;
}

int CdxNode::dupCount(const uint8_t *prev, int prevTrail, const uint8_t *key, int trail, int keyLength)
{
    int cap = std::min(keyLength - trail, keyLength - prevTrail);
    int d = 0;
    while (d < cap && prev[d] == key[d])
        ++d;
    return d;
}

int CdxNode::leafBytes() const
{
    uint32_t maxRecno = 0;
    int keyBytes = 0;
    int prevTrail = 0;
    for (int i = 0; i < count(); ++i) {
        maxRecno = std::max(maxRecno, recnos[std::size_t(i)]);
        int trail = trailCount(key(i), keyLength, pad);
        int dup = i == 0 ? 0 : dupCount(key(i - 1), prevTrail, key(i), trail, keyLength);
        keyBytes += keyLength - dup - trail;
        prevTrail = trail;
    }
    return count() * leafEntrySize(maxRecno, keyLength) + keyBytes;
}

bool CdxNode::fits() const
{
    if (isLeaf())
        return leafBytes() <= kLeafSpace;
    return count() <= interiorCapacity(keyLength);
}

void CdxNode::encode(uint8_t *page) const
{
    std::memset(page, 0, kPageSize);
    putU16(page, uint16_t(attribute & 0x03));
    putU16(page + 2, uint16_t(count()));
    putU32(page + 4, left);
    putU32(page + 8, right);
    if (!isLeaf()) {
        for (int i = 0; i < count(); ++i) {
            uint8_t *e = page + kInteriorHeader + i * (keyLength + 8);
            std::memcpy(e, key(i), std::size_t(keyLength));
            putBe32(e + keyLength, recnos[std::size_t(i)]);
            putBe32(e + keyLength + 4, children[std::size_t(i)]);
        }
        return;
    }
    std::vector<const uint8_t *> ptrs(static_cast<std::size_t>(count()));
    std::vector<uint8_t> trails(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        ptrs[std::size_t(i)] = key(i);
        trails[std::size_t(i)] = uint8_t(trailCount(key(i), keyLength, pad));
    }
    encodeLeafEntries(page, count(), keyLength, ptrs.data(), recnos.data(), trails.data());
}

void CdxNode::encodeLeafEntries(uint8_t *page, int count, int keyLength, const uint8_t *const *keys,
                                const uint32_t *recnos, const uint8_t *trails)
{
    uint32_t maxRecno = 0;
    for (int i = 0; i < count; ++i)
        maxRecno = std::max(maxRecno, recnos[i]);
    int size = leafEntrySize(maxRecno, keyLength);
    int cb = countBits(keyLength);
    int rb = 8 * size - 2 * cb;
    uint64_t recMask = (uint64_t(1) << rb) - 1;
    putU32(page + 14, uint32_t(std::min<uint64_t>(recMask, 0xFFFFFFFFu)));
    page[18] = uint8_t((1u << cb) - 1);
    page[19] = uint8_t((1u << cb) - 1);
    page[20] = uint8_t(rb);
    page[21] = uint8_t(cb);
    page[22] = uint8_t(cb);
    page[23] = uint8_t(size);
    int end = int(kPageSize);
    int prevTrail = 0;
    for (int i = 0; i < count; ++i) {
        int trail = trails[i];
        int dup = i == 0 ? 0 : dupCount(keys[i - 1], prevTrail, keys[i], trail, keyLength);
        int stored = keyLength - dup - trail;
        end -= stored;
        std::memcpy(page + end, keys[i] + dup, std::size_t(stored));
        uint64_t v = recnos[i] | uint64_t(dup) << rb | uint64_t(trail) << (rb + cb);
        uint8_t *e = page + kLeafHeader + i * size;
        for (int b = 0; b < size; ++b)
            e[b] = uint8_t(v >> (8 * b));
        prevTrail = trail;
    }
    putU16(page + 12, uint16_t(end - kLeafHeader - count * size));
}

Status CdxNode::decode(const uint8_t *page, uint32_t offset, int keyLength, uint8_t pad, CdxNode &out,
                       bool recnosOnly)
{
    auto bad = [&](const std::string &what) {
        return Status::corrupt("page " + std::to_string(offset) + ": " + what);
    };
    out = CdxNode();
    out.offset = offset;
    out.keyLength = keyLength;
    out.pad = pad;
    out.attribute = getU16(page);
    out.left = getU32(page + 4);
    out.right = getU32(page + 8);
    int n = getU16(page + 2);
    if (out.attribute > 7)
        return bad("attribute " + std::to_string(out.attribute) + " is not a tree page");
    out.attribute &= 0x03;
    recnosOnly = recnosOnly && out.isLeaf();
    out.keys.resize(recnosOnly ? 0 : std::size_t(n) * keyLength);
    out.recnos.resize(std::size_t(n));
    if (!out.isLeaf()) {
        if (kInteriorHeader + n * (keyLength + 8) > int(kPageSize))
            return bad(std::to_string(n) + " interior entries overflow the page");
        out.children.resize(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            const uint8_t *e = page + kInteriorHeader + i * (keyLength + 8);
            std::memcpy(out.keys.data() + std::size_t(i) * keyLength, e, std::size_t(keyLength));
            out.recnos[std::size_t(i)] = getBe32(e + keyLength);
            out.children[std::size_t(i)] = getBe32(e + keyLength + 4);
        }
        return Status::ok();
    }
    int rb = page[20], db = page[21], tb = page[22], size = page[23];
    if (size < 1 || size > 8 || rb + db + tb > 8 * size || rb > 32 || db > 8 || tb > 8)
        return bad("leaf bit widths " + std::to_string(rb) + "/" + std::to_string(db) + "/" +
                   std::to_string(tb) + " do not fit " + std::to_string(size) + "-byte entries");
    int floor = kLeafHeader + n * size;
    if (floor > int(kPageSize))
        return bad(std::to_string(n) + " leaf entries overflow the page");
    uint64_t recMask = (uint64_t(1) << rb) - 1;
    uint64_t dupMask = (uint64_t(1) << db) - 1;
    uint64_t trailMask = (uint64_t(1) << tb) - 1;
    int end = int(kPageSize);
    for (int i = 0; i < n; ++i) {
        const uint8_t *e = page + kLeafHeader + i * size;
        uint64_t v = 0;
        for (int b = size - 1; b >= 0; --b)
            v = v << 8 | e[b];
        uint32_t recno = uint32_t(v & recMask);
        int dup = int((v >> rb) & dupMask);
        int trail = int((v >> (rb + db)) & trailMask);
        int stored = keyLength - dup - trail;
        if (stored < 0 || (i == 0 && dup > 0))
            return bad("leaf entry " + std::to_string(i) + ": " + std::to_string(dup) + " shared and " +
                       std::to_string(trail) + " trailing bytes do not fit key length " +
                       std::to_string(keyLength));
        if (end - stored < floor)
            return bad("leaf entry " + std::to_string(i) + ": key bytes run into the entry array");
        out.recnos[std::size_t(i)] = recno;
        end -= stored;
        if (recnosOnly)
            continue;
        uint8_t *k = out.keys.data() + std::size_t(i) * keyLength;
        if (dup)
            std::memcpy(k, k - keyLength, std::size_t(dup));
        std::memcpy(k + dup, page + end, std::size_t(stored));
        std::memset(k + dup + stored, pad, std::size_t(trail));
    }
    return Status::ok();
}

} // namespace xb
