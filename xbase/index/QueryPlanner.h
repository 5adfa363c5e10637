// The fast-query planner: finds, in a filter's top-level .AND. terms, the
// comparisons of an index tag's key (or of a leading fixed-width part of a
// character key) with a constant, and turns each into a key range of that
// tag. The records of every range, intersected, are the filter's candidates:
// a superset of the records it can accept, so that navigation and counting
// evaluate the filter on those records only. A filter without such a term
// has no plan and is evaluated on every record.
//
// Why a superset is enough: a range only has to contain every key that can
// satisfy its term ("X >= 'M'" keeps keys whose first byte is >= 'M';
// "X = 'M'" with Exact off keeps keys starting with "M", which also holds
// every key equal to "M" with Exact on). The filter itself decides.
#pragma once

#include "xbase/expr/Expression.h"
#include "xbase/table/Status.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace xb {

class CdxIndex;
struct CdxKeyRange;

// Record numbers as a bitmap, 1-based.
class QueryCandidates {
public:
    void reset(uint32_t recordCount);
    void set(uint32_t recno);
    bool test(uint32_t recno) const;
    void intersect(const QueryCandidates &other);
    // The first candidate >= `from`, or 0.
    uint32_t next(uint32_t from) const;
    uint64_t count() const;
    uint32_t size() const { return m_size; }

private:
    std::vector<uint64_t> m_bits;
    uint32_t m_size = 0;
};

class QueryPlanner {
public:
    // Plans `filter` over the tags of `index`. *planned false (and `out`
    // untouched) when no term can use a tag; `description` names the terms
    // and tags used ("UPPER(FAMNAME)>=\"M\" on tag 1").
    // `tagRanges`, when given, receives each used tag's key range by tag name.
    // `decided`, when given, tells whether the candidates are exactly the
    // records the filter accepts (every term's range is exact), so that the
    // filter need not be evaluated on them.
    static Status plan(CdxIndex &index, const Expression &filter, const EvalSettings &settings,
                       uint32_t recordCount, QueryCandidates &out, bool *planned, std::string *description,
                       std::map<std::string, CdxKeyRange> *tagRanges = nullptr, bool *decided = nullptr);
};

} // namespace xb
