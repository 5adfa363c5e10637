// Query planning over compound-index tags.
#include "xbase/index/QueryPlanner.h"

#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxKey.h"
#include "xbase/index/CdxOrder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>

namespace xb {

void QueryCandidates::reset(uint32_t recordCount)
{
    m_size = recordCount;
    m_bits.assign(std::size_t(recordCount) / 64 + 1, 0);
}

void QueryCandidates::set(uint32_t recno)
{
    if (recno >= 1 && recno <= m_size)
        m_bits[recno / 64] |= uint64_t(1) << (recno % 64);
}

bool QueryCandidates::test(uint32_t recno) const
{
    if (recno > m_size)
        return true; // appended after planning: evaluate it
    return (m_bits[recno / 64] >> (recno % 64)) & 1;
}

void QueryCandidates::intersect(const QueryCandidates &other)
{
    for (std::size_t i = 0; i < m_bits.size() && i < other.m_bits.size(); ++i)
        m_bits[i] &= other.m_bits[i];
}

uint32_t QueryCandidates::next(uint32_t from) const
{
    if (from == 0)
        from = 1;
    if (from > m_size)
        return from;
    std::size_t w = from / 64;
    uint64_t word = m_bits[w] & (~uint64_t(0) << (from % 64));
    for (;;) {
        if (word) {
            uint32_t r = uint32_t(w * 64 + std::size_t(std::countr_zero(word)));
            return r <= m_size ? r : m_size + 1;
        }
        if (++w >= m_bits.size())
            return m_size + 1;
        word = m_bits[w];
    }
}

uint64_t QueryCandidates::count() const
{
    uint64_t n = 0;
    for (uint64_t w : m_bits)
        n += uint64_t(std::popcount(w));
    return n;
}

namespace {

// The smallest byte string of `bytes`' length that is greater than it, as
// a prefix (the bytes after it may be anything): the last byte below 0xFF
// raised by one, the rest cut. False when every byte is 0xFF.
bool successorPrefix(std::string &bytes)
{
    while (!bytes.empty() && static_cast<uint8_t>(bytes.back()) == 0xFF)
        bytes.pop_back();
    if (bytes.empty())
        return false;
    bytes.back() = char(static_cast<uint8_t>(bytes.back()) + 1);
    return true;
}

// The greatest byte string of `bytes`' length below it, as a prefix
// followed by 0xFF bytes: the last byte above 0x00 lowered by one, the rest
// cut. False when every byte is 0x00.
bool predecessorPrefix(std::string &bytes)
{
    while (!bytes.empty() && bytes.back() == 0)
        bytes.pop_back();
    if (bytes.empty())
        return false;
    bytes.back() = char(static_cast<uint8_t>(bytes.back()) - 1);
    return true;
}

// The key range of tag `t` a comparison term stands for; false when the
// term cannot use the tag. *exact tells whether the range holds exactly the
// keys of the records the term accepts, so that the term need not be
// evaluated: a character comparison with Exact off compares the subject's
// first bytes with the constant, as the key's first bytes compare; numbers
// and dates are encoded so that their bytes sort as their values.
bool rangeFor(CdxIndex &index, int t, const Conjunct &c, const EvalSettings &settings, CdxKeyRange &range,
              bool *exact)
{
    *exact = false;
    CdxTag *tag = index.tag(t);
    if (!index.tagProblem(t).empty() || !tag->forExpression().empty() || tag->unique() || tag->nullable() ||
        tag->descending())
        return false;
    if (!c.isComparison || c.constantOnLeft)
        return false;
    bool lower = false, upper = false;
    switch (c.op) {
    case CompareOp::Equal:
    case CompareOp::ExactEqual:
        lower = upper = true;
        break;
    case CompareOp::Greater:
    case CompareOp::GreaterEqual:
        lower = true;
        break;
    case CompareOp::Less:
    case CompareOp::LessEqual:
        upper = true;
        break;
    default:
        return false;
    }
    std::string keyText = index.keyCanonicalText(t);
    std::string bytes;
    if (c.subjectType == ValueType::Character && tag->keyType() == CdxKeyType::Character &&
        c.constant.type == ValueType::Character) {
        int width = 0;
        std::vector<KeyPart> parts;
        if (c.subject == keyText)
            width = tag->keyLength();
        else if (index.keyParts(t, parts) && !parts.empty() && parts[0].text == c.subject)
            width = parts[0].width;
        else
            return false;
        bytes = c.constant.text;
        if (bytes.empty() || int(bytes.size()) > width)
            return false;
    } else if ((c.subjectType == ValueType::Numeric && tag->keyType() == CdxKeyType::Numeric) ||
               (c.subjectType == ValueType::Date && tag->keyType() == CdxKeyType::Date)) {
        if (c.subject != keyText || c.constant.type != c.subjectType)
            return false;
        bytes = CdxKey::fromDouble(c.constant.number);
    } else {
        return false;
    }
    const bool numeric = tag->keyType() != CdxKeyType::Character;
    const bool strict = c.op == CompareOp::Greater || c.op == CompareOp::Less;
    *exact = (numeric || !settings.exact) && c.op != CompareOp::ExactEqual;
    if (*exact && strict) {
        // x > c is x >= the successor of c on c's length; x < c likewise.
        std::string moved = bytes;
        if (c.op == CompareOp::Greater ? successorPrefix(moved) : predecessorPrefix(moved))
            bytes = moved;
        else
            *exact = false;
    }
    range = CdxKeyRange();
    if (lower) {
        range.low = bytes;
        range.lowLength = int(bytes.size());
    }
    if (upper) {
        range.high = bytes;
        range.highLength = int(bytes.size());
    }
    return true;
}

} // namespace

Status QueryPlanner::plan(CdxIndex &index, const Expression &filter, const EvalSettings &settings,
                          uint32_t recordCount, QueryCandidates &out, bool *planned, std::string *description,
                          std::map<std::string, CdxKeyRange> *tagRanges, bool *decided)
{
    *planned = false;
    bool allExact = true;
    if (description)
        description->clear();
    Status s = index.refresh();
    if (!s)
        return s;
    // One range per tag, narrowed by every term that uses it.
    std::map<int, CdxKeyRange> ranges;
    for (const Conjunct &c : filter.conjuncts(settings)) {
        if (!c.isComparison && c.text == ".T.")
            continue; // the filter dialog's leading term
        bool used = false;
        for (int t = 0; t < index.tagCount(); ++t) {
            CdxKeyRange range;
            bool exact = false;
            if (!rangeFor(index, t, c, settings, range, &exact))
                continue;
            used = true;
            allExact = allExact && exact;
            auto [it, fresh] = ranges.emplace(t, range);
            if (!fresh)
                narrowRange(it->second, range);
            if (description)
                *description += (description->empty() ? "" : ", ") + c.text + " on tag " + index.tag(t)->name();
            break;
        }
        allExact = allExact && used;
    }
    QueryCandidates result;
    bool any = false;
    for (auto &[t, range] : ranges) {
        QueryCandidates part;
        part.reset(recordCount);
        CdxOrder order(index, index.tag(t)->name());
        if (!(s = order.collect(range, [&](uint32_t r) { part.set(r); })))
            return s;
        if (any) {
            result.intersect(part);
        } else {
            result = std::move(part);
            any = true;
        }
    }
    if (any) {
        out = std::move(result);
        *planned = true;
        if (decided)
            *decided = allExact;
        if (tagRanges) {
            tagRanges->clear();
            for (auto &[t, range] : ranges)
                (*tagRanges)[index.tag(t)->name()] = range;
        }
    }
    return Status::ok();
}

} // namespace xb
