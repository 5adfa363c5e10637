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

// The key range of tag `t` a comparison term stands for; false when the
// term cannot use the tag.
bool rangeFor(CdxIndex &index, int t, const Conjunct &c, CdxKeyRange &range)
{
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
                          std::map<std::string, CdxKeyRange> *tagRanges)
{
    *planned = false;
    if (description)
        description->clear();
    Status s = index.refresh();
    if (!s)
        return s;
    // One range per tag, narrowed by every term that uses it.
    std::map<int, CdxKeyRange> ranges;
    for (const Conjunct &c : filter.conjuncts(settings)) {
        for (int t = 0; t < index.tagCount(); ++t) {
            CdxKeyRange range;
            if (!rangeFor(index, t, c, range))
                continue;
            auto [it, fresh] = ranges.emplace(t, range);
            if (!fresh)
                narrowRange(it->second, range);
            if (description)
                *description += (description->empty() ? "" : ", ") + c.text + " on tag " + index.tag(t)->name();
            break;
        }
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
        if (tagRanges) {
            tagRanges->clear();
            for (auto &[t, range] : ranges)
                (*tagRanges)[index.tag(t)->name()] = range;
        }
    }
    return Status::ok();
}

} // namespace xb
