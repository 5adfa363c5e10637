// Bottom-up construction of one tag: sorts (key, record number) pairs in
// memory and lays out the tag header, full leaves packed left to right and
// the interior levels above them as one contiguous run of pages, ready to be
// written with a single write at the end of the file.
#pragma once

#include "xbase/index/CdxFile.h"
#include "xbase/table/Status.h"

#include <cstdint>
#include <vector>

namespace xb {

class CdxBuilder {
public:
    // Checks a tag's name, key length and expressions. BadArgument naming
    // the fault.
    static Status validate(const CdxTagSpec &tagSpec);

    // Lays out `tagSpec` with the entries of `input` (sorted here in key, then
    // record-number order) as pages starting at byte `base` of the file:
    // two header pages, the leaves, then each interior level. `image`
    // receives the bytes, `root` the root page's offset. The input's keys
    // are used up (moved into sorted order).
    static Status build(const CdxTagSpec &tagSpec, CdxBuildInput &input, uint32_t base,
                        std::vector<uint8_t> &image, uint32_t &root);

    // The two header pages of a tag.
    static void encodeHeader(uint8_t *hdr, uint32_t root, const CdxTagSpec &tagSpec);
    static uint8_t options(const CdxTagSpec &tagSpec);
};

} // namespace xb
