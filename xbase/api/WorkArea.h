// A work area: one open table under an alias, with a current record, an
// order (record order unless an index order is set), a filter and the
// engine-wide deleted-hiding applied to navigation.
//
// Positioning follows the xBase rules: top/bottom/skip move over visible
// records only (not hidden as deleted, matching the filter); go(n) moves to
// record n whatever it holds. Past the end the work area stands on the
// "phantom" record count + 1 with eof set and a blank record; skipping back
// before the first visible record sets bof and stays on that record.
#pragma once

#include "xbase/expr/Expression.h"
#include "xbase/table/Status.h"
#include "xbase/table/Table.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace xb {

class CdxOrderSet;
class Engine;
class Order;
class Filter;
class RecordView;

class WorkArea : public RecordContext {
public:
    // Takes ownership of `table`; `engine` must outlive the work area.
    WorkArea(Engine &engine, int area, std::string alias, std::unique_ptr<Table> table);
    ~WorkArea() override;
    WorkArea(const WorkArea &) = delete;
    WorkArea &operator=(const WorkArea &) = delete;

    int area() const { return m_area; }
    const std::string &alias() const { return m_alias; }
    Table &table() { return *m_table; }
    Engine &engine() { return m_engine; }

    // Navigation. Each fails only on I/O or corruption (or a filter whose
    // memo read fails); "no such record" is eof/bof, not a failure.
    Status goTop();
    Status goBottom();
    Status skip(int64_t n);
    Status go(int64_t recno);
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    uint32_t recNo() const override { return m_recno; }
    // Re-reads the current record from disk (other processes' changes).
    Status reread();

    // The record count (re-read for shared tables).
    Status recordCount(uint32_t *out);

    // The current record (plain bytes, recordLength() long). getRecord
    // re-reads it first; record() is the buffer as last read.
    Status getRecord(char *out);
    const char *record() const override { return m_record.data(); }
    // Writes the current record. BadArgument at eof; ReadOnly on a
    // read-only table.
    Status putRecord(const char *record);
    // Appends a blank record and makes it current.
    Status appendBlank();
    // Appends a complete record (deletion byte included) and makes it
    // current. When the record got into the table but an index could not
    // follow, the failure is returned and the area still stands on the new
    // record.
    Status appendRecord(const char *record);
    // Stores a memo value in new blocks and puts their number into `record`
    // (not written; see Table::storeMemo).
    Status storeMemo(int field, std::string_view data, uint32_t type, char *record);
    Status setDeleted(bool deleted);
    bool deleted() const { return !m_eof && m_record[0] == '*'; }

    // Memo of field `field` (index into table().fields()) of the current
    // record; writeMemo stores a new value and updates the record.
    Status readMemo(int field, std::string &out, uint32_t *type = nullptr);
    Status writeMemo(int field, std::string_view data, uint32_t type = 1);

    // Record locks by number (the current record when 0).
    Status lockRecord(uint32_t recno);
    Status unlockRecord(uint32_t recno); // 0 releases every lock
    bool holdsLock(uint32_t recno) const;

    // The filter: an expression that navigation requires true. Setting one
    // counts the visible records into *count, goes to the top and returns
    // Syntax for a bad expression (the old filter stays). An empty text
    // removes the filter.
    Status setFilter(std::string_view text, int64_t *count);
    const std::string &filterText() const;
    // Number of records navigation would visit (filter, deleted-hiding,
    // order scope); walks the records.
    Status visibleCount(int64_t *count);
    // A number that moves whenever records were appended or an index key
    // changed, here or in another process (the record count and the
    // index's change counter).
    Status changeStamp(uint64_t *stamp);
    // The number of records the order and the filter show, from the index
    // and the filter's plan wherever they tell it without reading records:
    // *exact false when deleted records are hidden but were counted.
    // Scroll bars need no more; where the index cannot tell, the records
    // are walked and the count is exact.
    Status keyCount(int64_t *count, bool *exact);

    // Evaluates `text` on the current record as text.
    Status evalString(std::string_view text, std::string &out);

    // Seeks `key` in the order (BadArgument in record order) and makes the
    // record found current; *found tells whether its key was equal. A miss
    // ends at eof, or with soft seek on the next greater visible key.
    Status seek(std::string_view key, bool *found);
    // Fractional place of the current record in the order (0..1), and moving
    // to a fraction.
    Status position(double *fraction);
    Status setPosition(double fraction);

    // Appends every record of the table at `path` (opened read-only), fields
    // matched by name and converted by type; records failing `condition`
    // (an expression on the source, empty: none) are left out, and so are
    // deleted ones while deleted records are hidden. Memo values are copied.
    // A value the target field cannot hold is left blank; the number of
    // such values of the last appendFrom is appendBlanked().
    Status appendFrom(const std::string &path, std::string_view condition);
    uint32_t appendBlanked() const { return m_appendBlanked; }

    // The order; nullptr = record order. Not owned: whoever sets it keeps it
    // alive until it is replaced or the work area is closed.
    void setOrder(Order *order);
    Order *order() const { return m_order; }

    // The table's structural index with its tag orders and the filter's
    // query candidates (see CdxOrderSet.h); nullptr until attached. Owned by
    // the area and destroyed before its table.
    void setIndexes(std::unique_ptr<CdxOrderSet> indexes);
    CdxOrderSet *indexes() const { return m_indexes.get(); }

    // RecordContext over the current record.
    int fieldIndex(std::string_view name) const override;
    const FieldInfo &field(int index) const override;
    Status memo(int index, std::string &out) const override;

private:
    Status load(uint32_t recno);
    Status readInOrder(uint32_t recno, char *record);
    void setPhantom();
    Status visible(uint32_t recno, const char *record, bool *yes);
    Status firstVisible(bool fromTop, uint32_t *recno);
    Status stepVisible(uint32_t from, bool forward, uint32_t *recno);
    Status nextInOrder(uint32_t recno, const char *record, bool forward, uint32_t *out);
    Status countVisible(bool hideDeleted, int64_t *count);
    Status skipNonCandidate(uint32_t recno, bool forward, uint32_t *next, bool *known);
    void beginOperation();

    Engine &m_engine;
    int m_area;
    std::string m_alias;
    std::unique_ptr<Table> m_table;
    std::unique_ptr<CdxOrderSet> m_indexes; // after m_table: destroyed first
    Order *m_order = nullptr;
    std::unique_ptr<Filter> m_filter;
    std::unique_ptr<RecordView> m_view;
    EvalSettings m_eval; // the engine's, taken at the start of each operation
    std::string m_record;
    std::string m_scratch;
    uint32_t m_recno = 0;
    uint32_t m_appendBlanked = 0;
    bool m_bof = true;
    bool m_eof = true;
};

} // namespace xb
