// Byte layout of the compound index file (.CDX) and small helpers for reading
// and writing its little- and big-endian integers. Shared by the page codec,
// the file and the tag code; nothing here touches a file.
//
// The file is a sequence of 512-byte pages addressed by byte offset.
//
//   File header and every tag header (two pages; the second is the pool):
//   Off  Size  Meaning
//     0     4  root page of the tree
//     4     4  free-page list head (0 or 0xFFFFFFFF: none); file header only
//     8     4  change counter (file header; incremented by every writer)
//    12     2  key length (10 in the file header, 1..240 in tags)
//    14     1  options: 0x01 unique, 0x02 null-flag byte in key, 0x04
//              candidate, 0x08 FOR clause, 0x20 compact, 0x40 compound,
//              0x80 file header
//    15     1  signature, 1
//    16   486  zero (unstable values from other writers are ignored)
//   502     2  0 ascending, 1 descending
//   504     2  FOR expression start in the pool
//   506     2  FOR expression length including its NUL (1: none)
//   508     2  key expression start in the pool
//   510     2  key expression length including its NUL
//   512   512  pool: key expression, NUL, FOR expression, NUL
//
//   Tree page (all trees, the tag directory included):
//     0     2  attribute: bit 0x01 root, bit 0x02 leaf (others ignored)
//     2     2  entry count
//     4     4  left sibling (0xFFFFFFFF: none)
//     8     4  right sibling (0xFFFFFFFF: none)
//   Interior page, from 12: entries of key length + 8 bytes: the full key,
//   record number (big-endian), child page offset (big-endian). Each entry
//   repeats the last key and record number of its child's subtree.
//   Compact leaf page:
//    12     2  free bytes = 488 - entries * entry size - key bytes
//    14     4  record-number mask
//    18     1  duplicate-count mask
//    19     1  trailing-count mask
//    20     3  bits of record number, duplicate and trailing count
//    23     1  entry size in bytes
//    24   ...  entries, little-endian: recno | dup << rb | trail << (rb + db)
//   ...   511  key bytes packed backwards from the page end: entry i stores
//              key length - dup - trail bytes; its key is dup bytes of the
//              previous key, the stored bytes, then trail pad bytes.
//
// The file header's tree is the tag directory: a tree of 10-byte tag names
// (upper case, blank-padded) whose "record numbers" are tag-header offsets.
#pragma once

#include <cstdint>
#include <cstring>

namespace xb::cdx {

constexpr uint32_t kPageSize = 512;
constexpr uint32_t kNoPage = 0xFFFFFFFFu;
constexpr int kLeafHeader = 24;
constexpr int kLeafSpace = kPageSize - kLeafHeader; // 488
constexpr int kInteriorHeader = 12;
constexpr int kMaxKeyLength = 240;
constexpr int kTagNameLength = 10;
constexpr int kMaxDepth = 16;

// Header fields.
constexpr int kHdrRoot = 0;
constexpr int kHdrFree = 4;
constexpr int kHdrCounter = 8;
constexpr int kHdrKeyLength = 12;
constexpr int kHdrOptions = 14;
constexpr int kHdrSignature = 15;
constexpr int kHdrDescending = 502;
constexpr int kHdrForStart = 504;
constexpr int kHdrForLength = 506;
constexpr int kHdrKeyStart = 508;
constexpr int kHdrKeyExprLength = 510;

// Options.
constexpr uint8_t kOptUnique = 0x01;
constexpr uint8_t kOptNullable = 0x02;
constexpr uint8_t kOptCandidate = 0x04;
constexpr uint8_t kOptFor = 0x08;
constexpr uint8_t kOptCompact = 0x20;
constexpr uint8_t kOptCompound = 0x40;
constexpr uint8_t kOptFileHeader = 0x80;

// Page attributes.
constexpr uint16_t kAttrRoot = 0x01;
constexpr uint16_t kAttrLeaf = 0x02;

inline uint16_t getU16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t getU32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t getBe32(const uint8_t *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}
inline void putU16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putU32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void putBe32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (24 - 8 * i));
}

// Number of bits needed for `v` (0 for 0).
inline int bitLength(uint64_t v)
{
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

} // namespace xb::cdx
