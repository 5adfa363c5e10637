// One tag of a table's structural index as a work-area order: top, bottom,
// neighbours of a record, seek, scope and approximate position in key order.
//
// The order keeps the position of the last record it returned; asked for the
// neighbour of that record again (the common skip), it steps from there
// without a search. Any other record is found by its key, computed from its
// current bytes, so records just changed or outside the scope work too.
#pragma once

#include "xbase/index/CdxIndex.h"
#include "xbase/index/CdxTag.h"
#include "xbase/table/Order.h"

#include <string>

namespace xb {

class CdxOrder : public Order {
public:
    // `index` must outlive the order. The tag is found by name at each call,
    // so the order survives other processes adding or rebuilding tags; a
    // removed tag gives NotFound.
    CdxOrder(CdxIndex &index, std::string tagName);

    std::string name() const override { return m_name; }
    Status first(uint32_t *recno) override;
    Status last(uint32_t *recno) override;
    Status next(uint32_t recno, const char *record, uint32_t *out) override;
    Status prior(uint32_t recno, const char *record, uint32_t *out) override;
    Status nextKnown(uint32_t recno, bool forward, uint32_t *out, bool *known) override;
    Status position(uint32_t recno, const char *record, double *fraction) override;
    Status recordAt(double fraction, uint32_t *recno) override;
    Status seek(std::string_view key, bool soft, uint32_t *recno, bool *found) override;
    Status setScope(std::string_view low, std::string_view high) override;
    Status keyMatches(std::string_view key, uint32_t recno, const char *record, bool *yes) override;

    bool hasScope() const { return m_userScoped; }
    // A key range of the area's query plan on this tag (nullptr: none).
    // Records outside it cannot match the filter, so the order keeps to it
    // like to a scope.
    void setQueryRange(const CdxKeyRange *range);
    // Whether the order shows fewer records than the table has: a scope, or
    // a tag with a FOR condition.
    bool restricts();
    // Whether `record` lies inside the scope (true without one).
    Status inScope(uint32_t recno, const char *record, bool *yes);
    // Every record number from the key range, in key order (the query
    // planner's narrowing); `range` as CdxIndex::searchRange gives it.
    Status collect(const CdxKeyRange &range, const std::function<void(uint32_t)> &visit);
    // The keys the order shows (its scope and query range), counted from
    // the index alone; `visit` (may be empty) gets their record numbers.
    Status keyCount(const std::function<void(uint32_t)> &visit, uint64_t *count);

private:
    Status enter(CdxFile::ReadScope &scope, int *tag);
    Status placeOf(int tag, uint32_t recno, const char *record, CdxPosition &pos, bool *exact);
    bool belowScope(CdxTag *tag, const CdxPosition &pos) const;
    bool aboveScope(CdxTag *tag, const CdxPosition &pos) const;
    Status scopeFractions(CdxTag *tag, double *low, double *high);
    void remember(const CdxPosition &pos, uint32_t *out);

    CdxIndex &m_index;
    std::string m_name;
    CdxPosition m_pos;
    int m_tag = -1;              // index of the tag, valid for m_tagGeneration
    uint64_t m_tagGeneration = 0;
    void combine();

    bool m_userScoped = false;
    CdxKeyRange m_userScope;
    bool m_hasQuery = false;
    CdxKeyRange m_query;
    bool m_scoped = false; // the user's scope narrowed by the query range
    CdxKeyRange m_scope;
};

} // namespace xb
