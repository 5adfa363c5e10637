// Bottom-up tag construction.
#include "xbase/index/CdxBuilder.h"

#include "xbase/index/CdxFormat.h"
#include "xbase/index/CdxKey.h"
#include "xbase/index/CdxNode.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace xb {

using namespace cdx;

Status CdxBuilder::validate(const CdxTagSpec &tagSpec)
{
    if (tagSpec.name.empty() || tagSpec.name.size() > std::size_t(kTagNameLength))
        return Status::badArgument("tag name \"" + tagSpec.name + "\" must have 1 to 10 characters");
    for (char c : tagSpec.name)
        if (uint8_t(c) <= 0x20 || c == 0x7F)
            return Status::badArgument("tag name \"" + tagSpec.name + "\" holds a blank or control character");
    if (tagSpec.keyLength < 1 || tagSpec.keyLength > kMaxKeyLength)
        return Status::badArgument("tag " + tagSpec.name + ": key length " + std::to_string(tagSpec.keyLength) +
                                   " is outside 1..240");
    if (tagSpec.keyExpression.empty() || tagSpec.keyExpression.size() + tagSpec.forExpression.size() + 2 > kPageSize)
        return Status::badArgument("tag " + tagSpec.name + ": key and FOR expressions must fit 510 bytes");
    return Status::ok();
}

uint8_t CdxBuilder::options(const CdxTagSpec &tagSpec)
{
    uint8_t o = kOptCompact | kOptCompound;
    if (tagSpec.unique)
        o |= kOptUnique;
    if (tagSpec.nullable)
        o |= kOptNullable;
    if (!tagSpec.forExpression.empty())
        o |= kOptFor;
    return o;
}

void CdxBuilder::encodeHeader(uint8_t *hdr, uint32_t root, const CdxTagSpec &tagSpec)
{
    std::memset(hdr, 0, 2 * kPageSize);
    putU32(hdr + kHdrRoot, root);
    putU16(hdr + kHdrKeyLength, uint16_t(tagSpec.keyLength));
    hdr[kHdrOptions] = options(tagSpec);
    hdr[kHdrSignature] = 1;
    putU16(hdr + kHdrDescending, tagSpec.descending ? 1 : 0);
    uint16_t keyLen = uint16_t(tagSpec.keyExpression.size() + 1);
    putU16(hdr + kHdrKeyStart, 0);
    putU16(hdr + kHdrKeyExprLength, keyLen);
    putU16(hdr + kHdrForStart, keyLen);
    putU16(hdr + kHdrForLength, uint16_t(tagSpec.forExpression.size() + 1));
    std::memcpy(hdr + kPageSize, tagSpec.keyExpression.data(), tagSpec.keyExpression.size());
    std::memcpy(hdr + kPageSize + keyLen, tagSpec.forExpression.data(), tagSpec.forExpression.size());
}

Status CdxBuilder::build(const CdxTagSpec &tagSpec, CdxBuildInput &input, uint32_t base,
                         std::vector<uint8_t> &image, uint32_t &root)
{
    Status s = validate(tagSpec);
    if (!s)
        return s;
    const int kl = tagSpec.keyLength;
    if (input.keyLength != kl || input.keys.size() != input.count() * std::size_t(kl))
        return Status::badArgument("tag " + tagSpec.name + ": build input does not match the key length");
    const uint8_t pad = CdxKey::padByte(tagSpec.keyType);
    const std::size_t n = input.count();

    // Keys are fixed-width byte strings. First sort on their first 16 bytes
    // (two big-endian words carried in the items, so that comparisons stay
    // inside the array being sorted), then gather the keys in that order,
    // then sort each run of equal first bytes on the rest of its keys, which
    // now lie side by side. Ties by record number.
    struct Item {
        uint64_t p0, p1;
        uint32_t index, recno;
    };
    const uint8_t *keys = input.keys.data();
    const bool desc = tagSpec.descending;
    std::vector<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        uint8_t head[16] = {};
        std::memcpy(head, keys + i * kl, std::size_t(std::min(kl, 16)));
        uint64_t p0 = 0, p1 = 0;
        for (int b = 0; b < 8; ++b) {
            p0 = p0 << 8 | head[b];
            p1 = p1 << 8 | head[8 + b];
        }
        if (desc)
            p0 = ~p0, p1 = ~p1;
        items[i] = {p0, p1, uint32_t(i), input.recnos[i]};
    }
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        if (a.p0 != b.p0)
            return a.p0 < b.p0;
        if (a.p1 != b.p1)
            return a.p1 < b.p1;
        return a.recno < b.recno;
    });
    const std::size_t width = std::size_t(kl);
    std::vector<uint8_t> sortedKeys(n * width);
    std::vector<uint32_t> sortedRecnos(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (i + 8 < n)
            __builtin_prefetch(keys + std::size_t(items[i + 8].index) * width);
        std::memcpy(sortedKeys.data() + i * width, keys + std::size_t(items[i].index) * width, width);
        sortedRecnos[i] = items[i].recno;
    }
    if (kl > 16) {
        std::vector<uint32_t> run;
        std::vector<uint8_t> runKeys;
        std::vector<uint32_t> runRecnos;
        for (std::size_t from = 0; from < n;) {
            std::size_t to = from + 1;
            while (to < n && items[to].p0 == items[from].p0 && items[to].p1 == items[from].p1)
                ++to;
            if (to - from > 1) {
                run.resize(to - from);
                for (std::size_t i = 0; i < run.size(); ++i)
                    run[i] = uint32_t(from + i);
                const uint8_t *base = sortedKeys.data();
                std::sort(run.begin(), run.end(), [&](uint32_t a, uint32_t b) {
                    int c = std::memcmp(base + a * width + 16, base + b * width + 16, width - 16);
                    if (desc)
                        c = -c;
                    return c ? c < 0 : sortedRecnos[a] < sortedRecnos[b];
                });
                runKeys.resize(run.size() * width);
                runRecnos.resize(run.size());
                for (std::size_t i = 0; i < run.size(); ++i) {
                    std::memcpy(runKeys.data() + i * width, base + run[i] * width, width);
                    runRecnos[i] = sortedRecnos[run[i]];
                }
                std::memcpy(sortedKeys.data() + from * width, runKeys.data(), runKeys.size());
                std::copy(runRecnos.begin(), runRecnos.end(), sortedRecnos.begin() + std::ptrdiff_t(from));
            }
            from = to;
        }
    }
    items = std::vector<Item>();
    input.keys = std::vector<uint8_t>();
    auto keyAt = [&](std::size_t i) { return sortedKeys.data() + i * width; };
    auto recAt = [&](std::size_t i) { return sortedRecnos[i]; };

    // Leaves: fill each page while the next entry still fits.
    std::vector<std::size_t> leafStart{0};
    std::vector<uint8_t> trails(n);
    {
        int count = 0, keyBytes = 0, prevTrail = 0;
        uint32_t maxRecno = 0;
        for (std::size_t i = 0; i < n; ++i) {
            int trail = CdxNode::trailCount(keyAt(i), kl, pad);
            trails[i] = uint8_t(trail);
            int dup = count == 0 ? 0 : CdxNode::dupCount(keyAt(i - 1), prevTrail, keyAt(i), trail, kl);
            int stored = kl - dup - trail;
            uint32_t mx = std::max(maxRecno, recAt(i));
            if (count > 0 && (count + 1) * CdxNode::leafEntrySize(mx, kl) + keyBytes + stored > kLeafSpace) {
                leafStart.push_back(i);
                count = 0;
                keyBytes = 0;
                mx = recAt(i);
                stored = kl - trail;
            }
            ++count;
            keyBytes += stored;
            maxRecno = mx;
            prevTrail = trail;
        }
    }
    std::size_t leaves = leafStart.size();
    leafStart.push_back(n);

    // Pages: header (2), leaves, then interior levels.
    struct Child {
        std::size_t last; // sorted index of the subtree's last entry
        uint32_t offset;
    };
    const int cap = CdxNode::interiorCapacity(kl);
    std::vector<std::size_t> levelSizes{leaves};
    while (levelSizes.back() > 1)
        levelSizes.push_back((levelSizes.back() + std::size_t(cap) - 1) / std::size_t(cap));
    std::size_t pages = 2;
    for (std::size_t ls : levelSizes)
        pages += ls;
    if (uint64_t(base) + uint64_t(pages) * kPageSize > 0xFFFFFE00ull)
        return Status::ioError("tag " + tagSpec.name + ": the index would grow past 4 GB");
    image.assign(pages * kPageSize, 0);

    uint32_t next = base + 2 * kPageSize;
    std::vector<Child> children;
    const bool single = levelSizes.size() == 1;
    std::vector<const uint8_t *> ptrs;
    std::vector<uint32_t> recs;
    for (std::size_t l = 0; l < leaves; ++l) {
        // Straight from the sorted keys into the page image.
        uint8_t *page = image.data() + (next - base);
        ptrs.clear();
        recs.clear();
        for (std::size_t i = leafStart[l]; i < leafStart[l + 1]; ++i) {
            ptrs.push_back(keyAt(i));
            recs.push_back(recAt(i));
        }
        putU16(page, uint16_t(kAttrLeaf | (single ? kAttrRoot : 0)));
        putU16(page + 2, uint16_t(ptrs.size()));
        putU32(page + 4, l == 0 ? kNoPage : next - kPageSize);
        putU32(page + 8, l + 1 == leaves ? kNoPage : next + kPageSize);
        CdxNode::encodeLeafEntries(page, int(ptrs.size()), kl, ptrs.data(), recs.data(), trails.data() + leafStart[l]);
        if (leafStart[l + 1] > leafStart[l])
            children.push_back({leafStart[l + 1] - 1, next});
        next += kPageSize;
    }
    root = base + 2 * kPageSize;
    for (std::size_t level = 1; level < levelSizes.size(); ++level) {
        std::vector<Child> parents;
        std::size_t count = levelSizes[level];
        for (std::size_t p = 0; p < count; ++p) {
            CdxNode node(next, kl, false, pad);
            node.setRoot(level + 1 == levelSizes.size());
            std::size_t from = p * std::size_t(cap), to = std::min(children.size(), from + std::size_t(cap));
            for (std::size_t c = from; c < to; ++c)
                node.insert(node.count(), keyAt(children[c].last), recAt(children[c].last), children[c].offset);
            node.left = p == 0 ? kNoPage : next - kPageSize;
            node.right = p + 1 == count ? kNoPage : next + kPageSize;
            node.encode(image.data() + (next - base));
            parents.push_back({children[to - 1].last, next});
            root = next;
            next += kPageSize;
        }
        children = std::move(parents);
    }
    encodeHeader(image.data(), root, tagSpec);
    return Status::ok();
}

} // namespace xb
