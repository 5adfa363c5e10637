// What a work area keeps of its table's structural index: the index itself
// (when the table has one), one order per tag, the number of the tag that
// orders the area (0: record order) and the query candidates the planner
// found for the area's filter.
//
// The work area owns the set and destroys it before its table.
#pragma once

#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxOrder.h"
#include "xbase/index/QueryPlanner.h"
#include "xbase/table/Status.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_set>

namespace xb {

class CdxOrderSet {
public:
    // `table` must outlive the set.
    CdxOrderSet(Table &table, const EvalSettings &settings);
    ~CdxOrderSet();
    CdxOrderSet(const CdxOrderSet &) = delete;
    CdxOrderSet &operator=(const CdxOrderSet &) = delete;

    // Opens the structural index when the table has one (see CdxIndex::open).
    Status open();
    // The index, or nullptr when the table has none yet.
    CdxIndex *index() const { return m_index.get(); }
    // Creates the structural index when there is none.
    Status ensureIndex();

    // Tags numbered from 1 in directory order (refreshed from the file).
    int tagCount();
    std::string tagName(int number);
    int tagNumber(const std::string &name); // 0 when absent
    // The order of tag `number`, made on first use and kept; nullptr when no
    // such tag.
    CdxOrder *order(int number);
    // Number of the ordering tag the area uses (0: record order).
    int current() const { return m_current; }
    void setCurrent(int number) { m_current = number; }
    CdxOrder *currentOrder() { return m_current ? order(m_current) : nullptr; }

    // Query candidates for the area's filter. plan() keeps `filter`, which
    // must stay alive until clearQuery() or the next plan().
    Status plan(const Expression &filter, const EvalSettings &settings, uint32_t recordCount);
    void clearQuery();
    bool planned() const { return m_planned; }
    const std::string &planDescription() const { return m_description; }
    // At the start of each work-area operation: a plan made before another
    // process changed the index is made again.
    Status sync();
    // Whether `recno` may match the filter (always true without a plan).
    bool candidate(uint32_t recno) const { return !m_planned || m_candidates.test(recno); }
    // Whether the plan holds exactly the records the filter accepts.
    bool exact() const { return m_planned && m_exact; }
    // The number of records an exact plan accepts among `recordCount`
    // records, when the plan alone tells it (nothing changed or appended
    // since, the same comparison rules): true with *count set.
    bool decidedCount(uint32_t recordCount, const EvalSettings &now, int64_t *count) const
    {
        if (!exact() || now.exact != m_filterSettings.exact || !m_changed.empty() ||
            recordCount != m_candidates.size())
            return false;
        *count = int64_t(m_candidates.count());
        return true;
    }
    // Whether the plan alone says that `recno` matches: an exact plan's
    // candidate that has not changed since the plan was made, while the
    // comparison rules (`now`) are still those the plan was made with.
    bool decides(uint32_t recno, const EvalSettings &now) const
    {
        return exact() && now.exact == m_filterSettings.exact && recno <= m_candidates.size() &&
               m_candidates.test(recno) && !m_changed.count(recno);
    }
    // The first candidate >= `from` (a number past the plan's records when
    // none is left there; every later record is a candidate).
    uint32_t nextCandidate(uint32_t from) const { return m_planned ? m_candidates.next(from) : from; }

private:
    void listen();

    Table &m_table;
    EvalSettings m_settings;
    std::unique_ptr<CdxIndex> m_index;
    std::map<std::string, std::unique_ptr<CdxOrder>> m_orders;
    int m_current = 0;
    const Expression *m_filter = nullptr;
    EvalSettings m_filterSettings;
    QueryCandidates m_candidates;
    bool m_planned = false;
    bool m_exact = false;
    std::unordered_set<uint32_t> m_changed; // records changed since the plan
    std::string m_description;
    std::map<std::string, CdxKeyRange> m_ranges; // the plan's range per tag name
    uint64_t m_foreignSeen = 0;
};

} // namespace xb
