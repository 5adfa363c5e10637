// Navigation, filtering and record access of one work area.
#include "xbase/api/WorkArea.h"

#include "xbase/index/CdxOrderSet.h"
#include "xbase/api/Engine.h"
#include "xbase/api/Filter.h"
#include "xbase/table/Order.h"
#include "xbase/index/CdxOrder.h"

#include <cstring>

namespace xb {

WorkArea::WorkArea(Engine &engine, int area, std::string alias, std::unique_ptr<Table> table)
    : m_engine(engine), m_area(area), m_alias(std::move(alias)), m_table(std::move(table))
{
    m_view = std::make_unique<RecordView>(*this, *m_table);
    m_record = m_table->blankRecord();
    m_scratch = m_record;
    m_recno = m_table->knownRecordCount() + 1;
}

WorkArea::~WorkArea() = default;

void WorkArea::beginOperation()
{
    m_table->refresh();
    m_eval = m_engine.evalSettings();
    if (m_indexes)
        (void)m_indexes->sync(); // a failure shows in the navigation that follows
}

void WorkArea::setPhantom()
{
    m_record = m_table->blankRecord();
    m_recno = m_table->knownRecordCount() + 1;
    m_eof = true;
}

Status WorkArea::load(uint32_t recno)
{
    Status s = m_table->read(recno, m_record.data());
    if (!s)
        return s;
    m_recno = recno;
    m_bof = m_eof = false;
    return Status::ok();
}

// A record the order names. One beyond the table means the index belongs
// to other contents (a table restored without its index, a cut tail): say
// so and how to mend it, rather than "no record".
Status WorkArea::readInOrder(uint32_t recno, char *record)
{
    Status s = m_table->read(recno, record);
    if (s || !m_order || s.code() != Status::Code::NotFound)
        return s;
    uint32_t count = 0;
    m_table->recordCount(&count);
    return Status::corrupt(m_table->path() + ": the index names record " + std::to_string(recno) + " but the table has "
                           + std::to_string(count) + " records; the index does not match the table, rebuild it (reindex)");
}

Status WorkArea::visible(uint32_t recno, const char *record, bool *yes)
{
    *yes = true;
    if (m_engine.settings().hideDeleted && record[0] == '*') {
        *yes = false;
        return Status::ok();
    }
    if (m_filter && m_indexes && !m_indexes->candidate(recno)) {
        *yes = false; // outside every key range of the filter's plan
        return Status::ok();
    }
    if (m_filter && m_indexes && m_indexes->decides(recno, m_eval))
        return Status::ok(); // the keys alone say it matches
    if (m_filter) {
        m_view->set(record, recno);
        return m_filter->matches(*m_view, m_eval, yes);
    }
    return Status::ok();
}

Status WorkArea::nextInOrder(uint32_t recno, const char *record, bool forward, uint32_t *out)
{
    if (m_order)
        return forward ? m_order->next(recno, record, out) : m_order->prior(recno, record, out);
    *out = 0;
    if (!forward) {
        uint32_t count = 0;
        Status s = m_table->recordCount(&count);
        if (!s)
            return s;
        *out = recno > count + 1 ? count : (recno > 0 ? recno - 1 : 0);
        return Status::ok();
    }
    // With a planned filter, straight to the next candidate.
    const uint32_t n = m_filter && m_indexes ? m_indexes->nextCandidate(recno + 1) : recno + 1;
    if (n > m_table->knownRecordCount()) {
        uint32_t count = 0;
        Status s = m_table->recordCount(&count);
        if (!s)
            return s;
    }
    if (n <= m_table->knownRecordCount())
        *out = n;
    return Status::ok();
}

// A record the filter's plan rules out is passed over without reading it
// when the order can step from it by number: *known tells, *next is then
// its neighbour.
Status WorkArea::skipNonCandidate(uint32_t recno, bool forward, uint32_t *next, bool *known)
{
    *known = false;
    if (!m_order || !m_filter || !m_indexes || m_indexes->candidate(recno))
        return Status::ok();
    uint32_t n = 0;
    Status s = m_order->nextKnown(recno, forward, &n, known);
    if (s && *known)
        *next = n;
    return s;
}

// The first visible record from one end; the candidate ends up in m_scratch.
Status WorkArea::firstVisible(bool fromTop, uint32_t *recno)
{
    *recno = 0;
    uint32_t r = 0;
    Status s;
    if (m_order) {
        s = fromTop ? m_order->first(&r) : m_order->last(&r);
    } else {
        uint32_t count = 0;
        s = m_table->recordCount(&count);
        r = count == 0 ? 0 : (fromTop ? 1 : count);
        if (r == 1 && m_filter && m_indexes) {
            r = m_indexes->nextCandidate(1);
            if (r > count)
                r = 0;
        }
    }
    if (!s)
        return s;
    while (r != 0) {
        bool known = false;
        if (!(s = skipNonCandidate(r, fromTop, &r, &known)))
            return s;
        if (known)
            continue;
        if (!(s = readInOrder(r, m_scratch.data())))
            return s;
        bool yes = false;
        if (!(s = visible(r, m_scratch.data(), &yes)))
            return s;
        if (yes) {
            *recno = r;
            return Status::ok();
        }
        if (!(s = nextInOrder(r, m_scratch.data(), fromTop, &r)))
            return s;
    }
    return Status::ok();
}

// The visible neighbour of `from` (whose bytes are in m_record), read into
// m_scratch; 0 when there is none.
Status WorkArea::stepVisible(uint32_t from, bool forward, uint32_t *recno)
{
    *recno = 0;
    uint32_t r = 0;
    Status s = nextInOrder(from, m_record.data(), forward, &r);
    while (s && r != 0) {
        bool known = false;
        if (!(s = skipNonCandidate(r, forward, &r, &known)))
            return s;
        if (known)
            continue;
        if (!(s = readInOrder(r, m_scratch.data())))
            return s;
        bool yes = false;
        if (!(s = visible(r, m_scratch.data(), &yes)))
            return s;
        if (yes) {
            *recno = r;
            return Status::ok();
        }
        s = nextInOrder(r, m_scratch.data(), forward, &r);
    }
    return s;
}

Status WorkArea::goTop()
{
    beginOperation();
    uint32_t r = 0;
    Status s = firstVisible(true, &r);
    if (!s)
        return s;
    if (r == 0) {
        setPhantom();
        m_bof = true;
        return Status::ok();
    }
    m_record.swap(m_scratch);
    m_recno = r;
    m_bof = m_eof = false;
    return Status::ok();
}

Status WorkArea::goBottom()
{
    beginOperation();
    uint32_t r = 0;
    Status s = firstVisible(false, &r);
    if (!s)
        return s;
    if (r == 0) {
        setPhantom();
        m_bof = true;
        return Status::ok();
    }
    m_record.swap(m_scratch);
    m_recno = r;
    m_bof = m_eof = false;
    return Status::ok();
}

Status WorkArea::skip(int64_t n)
{
    beginOperation();
    if (n == 0)
        return m_eof ? Status::ok() : reread();
    const bool forward = n > 0;
    int64_t steps = forward ? n : -n;
    if (forward && m_eof)
        return Status::ok();
    Status s;
    if (!forward && m_eof) {
        // From the end the first step back lands on the last visible record.
        uint32_t r = 0;
        if (!(s = firstVisible(false, &r)))
            return s;
        if (r == 0) {
            setPhantom();
            m_bof = true;
            return Status::ok();
        }
        m_record.swap(m_scratch);
        m_recno = r;
        m_bof = m_eof = false;
        --steps;
    }
    m_bof = false;
    while (steps-- > 0) {
        uint32_t r = 0;
        if (!(s = stepVisible(m_recno, forward, &r)))
            return s;
        if (r == 0) {
            if (forward) {
                setPhantom();
            } else {
                m_bof = true;
                // Stay on the first visible record, re-read as it is now.
                if (!(s = reread()))
                    return s;
                m_bof = true;
            }
            return Status::ok();
        }
        m_record.swap(m_scratch);
        m_recno = r;
        m_eof = false;
    }
    return Status::ok();
}

Status WorkArea::go(int64_t recno)
{
    beginOperation();
    uint32_t count = 0;
    Status s = m_table->recordCount(&count);
    if (!s)
        return s;
    if (recno < 1 || recno > count) {
        setPhantom();
        m_bof = count == 0;
        return Status::ok();
    }
    return load(static_cast<uint32_t>(recno));
}

Status WorkArea::reread()
{
    if (m_eof) {
        m_record = m_table->blankRecord();
        return Status::ok();
    }
    const bool bof = m_bof;
    Status s = load(m_recno);
    m_bof = bof;
    return s;
}

Status WorkArea::recordCount(uint32_t *out)
{
    return m_table->recordCount(out);
}

Status WorkArea::getRecord(char *out)
{
    beginOperation();
    Status s = reread();
    if (s)
        std::memcpy(out, m_record.data(), m_record.size());
    return s;
}

Status WorkArea::putRecord(const char *record)
{
    beginOperation();
    if (m_eof)
        return Status::badArgument(m_table->path() + ": no current record to write");
    Status s = m_table->replace(m_recno, record);
    if (s)
        std::memcpy(m_record.data(), record, m_record.size());
    return s;
}

Status WorkArea::appendBlank()
{
    return appendRecord(m_table->blankRecord().data());
}

Status WorkArea::appendRecord(const char *record)
{
    beginOperation();
    uint32_t recno = 0;
    Status s = m_table->append(record, &recno);
    if (recno == 0)
        return s;
    // The record is there even when an observer failed.
    m_record.assign(record, m_table->recordLength());
    m_recno = recno;
    m_bof = m_eof = false;
    return s;
}

Status WorkArea::storeMemo(int field, std::string_view data, uint32_t type, char *record)
{
    beginOperation();
    return m_table->storeMemo(field, data, type, record);
}

Status WorkArea::setDeleted(bool deleted)
{
    beginOperation();
    if (m_eof)
        return Status::badArgument(m_table->path() + ": no current record to delete");
    Status s = m_table->setDeleted(m_recno, deleted);
    const bool bof = m_bof;
    Status r = load(m_recno);
    m_bof = bof;
    return s ? r : s;
}

Status WorkArea::readMemo(int field, std::string &out, uint32_t *type)
{
    out.clear();
    beginOperation();
    if (m_eof)
        return Status::ok();
    Status s = reread();
    if (!s)
        return s;
    return m_table->readMemo(field, m_record.data(), out, type);
}

Status WorkArea::writeMemo(int field, std::string_view data, uint32_t type)
{
    beginOperation();
    if (m_eof)
        return Status::badArgument(m_table->path() + ": no current record for a memo");
    Status s = m_table->writeMemo(m_recno, field, data, type);
    const bool bof = m_bof;
    Status r = load(m_recno);
    m_bof = bof;
    return s ? r : s;
}

Status WorkArea::lockRecord(uint32_t recno)
{
    if (recno == 0)
        recno = m_recno;
    uint32_t count = 0;
    Status s = m_table->recordCount(&count);
    if (!s)
        return s;
    if (recno == 0 || recno > count)
        return Status::badArgument(m_table->path() + ": no record " + std::to_string(recno) + " to lock");
    return m_table->lockRecord(recno);
}

Status WorkArea::unlockRecord(uint32_t recno)
{
    if (recno == 0) {
        m_table->unlockAll();
        return Status::ok();
    }
    return m_table->unlockRecord(recno);
}

bool WorkArea::holdsLock(uint32_t recno) const
{
    return m_table->holdsRecordLock(recno == 0 ? m_recno : recno);
}

Status WorkArea::setFilter(std::string_view text, int64_t *count)
{
    *count = 0;
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    text = text.substr(b, e - b);
    if (text.empty()) {
        m_filter.reset();
    } else {
        std::unique_ptr<Filter> filter;
        Status s = Filter::compile(text, *this, filter);
        if (!s)
            return s;
        m_filter = std::move(filter);
    }
    if (m_indexes) {
        // Narrow by the tags' key ranges where the filter allows it.
        m_indexes->clearQuery();
        uint32_t records = 0;
        Status p = m_table->recordCount(&records);
        if (p && m_filter)
            p = m_indexes->plan(m_filter->expression(), m_engine.evalSettings(), records);
        if (!p)
            return p;
    }
    Status s = visibleCount(count);
    if (!s)
        return s;
    return goTop();
}

const std::string &WorkArea::filterText() const
{
    static const std::string none;
    return m_filter ? m_filter->text() : none;
}

Status WorkArea::visibleCount(int64_t *count)
{
    return countVisible(m_engine.settings().hideDeleted, count);
}

Status WorkArea::countVisible(bool hideDeleted, int64_t *count)
{
    beginOperation();
    *count = 0;
    // Without a scope the count does not depend on the order: walk the
    // records (only the filter's candidates) in record order. Candidates an
    // exact plan decides are counted without reading them while deleted
    // records count too.
    const bool scoped = m_order && !(m_indexes && m_order == m_indexes->currentOrder() &&
                                     !m_indexes->currentOrder()->restricts());
    if (!scoped && !m_filter && !hideDeleted) {
        uint32_t n = 0;
        Status s = m_table->recordCount(&n);
        *count = n;
        return s;
    }
    if (!scoped) {
        uint32_t n = 0;
        Status s = m_table->recordCount(&n);
        const bool planned = m_filter && m_indexes;
        if (s && planned && !hideDeleted && m_indexes->decidedCount(n, m_eval, count))
            return s;
        for (uint32_t r = planned ? m_indexes->nextCandidate(1) : 1; s && r <= n;
             r = planned ? m_indexes->nextCandidate(r + 1) : r + 1) {
            const bool decided = planned && m_indexes->decides(r, m_eval);
            if (decided && !hideDeleted) {
                ++*count;
                continue;
            }
            if (!(s = m_table->read(r, m_scratch.data())))
                break;
            if (hideDeleted && m_scratch[0] == '*')
                continue;
            if (m_filter && !decided) {
                bool yes = false;
                m_view->set(m_scratch.data(), r);
                if (!(s = m_filter->matches(*m_view, m_eval, &yes)))
                    break;
                if (!yes)
                    continue;
            }
            ++*count;
        }
        return s;
    }
    // Walk without disturbing the current record: m_scratch and a copy.
    const std::string saved = m_record;
    uint32_t r = 0;
    Status s = firstVisible(true, &r);
    while (s && r != 0) {
        ++*count;
        m_record.swap(m_scratch);
        s = stepVisible(r, true, &r);
    }
    m_record = saved;
    return s;
}

Status WorkArea::changeStamp(uint64_t *stamp)
{
    *stamp = 0;
    uint32_t n = 0;
    Status s = m_table->recordCount(&n);
    if (!s)
        return s;
    uint64_t counter = 0;
    if (m_indexes && m_indexes->index()) {
        CdxFile &file = m_indexes->index()->file();
        CdxFile::ReadScope scope(&file);
        if (!scope.status())
            return scope.status();
        counter = file.changeCounter();
    }
    *stamp = uint64_t(n) << 32 ^ counter;
    return Status::ok();
}

Status WorkArea::keyCount(int64_t *count, bool *exact)
{
    beginOperation();
    *count = 0;
    const bool hideDeleted = m_engine.settings().hideDeleted;
    *exact = !hideDeleted;
    CdxOrder *own = m_indexes && m_order == m_indexes->currentOrder() ? m_indexes->currentOrder() : nullptr;
    if (!m_filter && (!m_order || (own && !own->restricts()))) {
        // Every record has one key in a tag without a condition.
        uint32_t n = 0;
        Status s = m_table->recordCount(&n);
        *count = n;
        return s;
    }
    if (!m_filter && own) {
        uint64_t n = 0;
        Status s = own->keyCount({}, &n);
        *count = int64_t(n);
        return s;
    }
    if (m_filter && m_indexes && m_indexes->exact() && !(own && own->restricts()))
        return countVisible(false, count);
    *exact = true;
    return countVisible(hideDeleted, count);
}

Status WorkArea::evalString(std::string_view text, std::string &out)
{
    out.clear();
    std::unique_ptr<Expression> expr;
    Status s = Expression::compile(text, *this, expr);
    if (!s)
        return s;
    return expr->evaluateText(*this, m_engine.evalSettings(), out);
}

void WorkArea::setOrder(Order *order)
{
    m_order = order;
}

void WorkArea::setIndexes(std::unique_ptr<CdxOrderSet> indexes)
{
    if (m_indexes && m_order && m_order == m_indexes->currentOrder())
        m_order = nullptr;
    m_indexes = std::move(indexes);
}

int WorkArea::fieldIndex(std::string_view name) const
{
    return m_table->fieldIndex(name);
}

const FieldInfo &WorkArea::field(int index) const
{
    return m_table->fields()[index];
}

Status WorkArea::memo(int index, std::string &out) const
{
    return m_table->readMemo(index, m_record.data(), out);
}

} // namespace xb

namespace xb {

Status WorkArea::seek(std::string_view key, bool *found)
{
    beginOperation();
    *found = false;
    if (!m_order)
        return Status::badArgument(m_table->path() + ": seek needs an index order");
    uint32_t r = 0;
    bool equal = false;
    Status s = m_order->seek(key, m_engine.settings().softSeek, &r, &equal);
    if (!s)
        return s;
    if (r == 0) {
        setPhantom();
        m_bof = false;
        return Status::ok();
    }
    if (!(s = load(r)))
        return s;
    bool yes = false;
    if (!(s = visible(r, m_record.data(), &yes)))
        return s;
    if (!yes) {
        // The next visible record may still carry the key sought (the one
        // found was deleted or filtered out).
        uint32_t next = 0;
        if (!(s = stepVisible(r, true, &next)))
            return s;
        equal = false;
        if (next != 0 && !(s = m_order->keyMatches(key, next, m_scratch.data(), &equal)))
            return s;
        if (next == 0 || (!equal && !m_engine.settings().softSeek)) {
            setPhantom();
            m_bof = false;
            return Status::ok();
        }
        m_record.swap(m_scratch);
        m_recno = next;
    }
    *found = equal;
    return Status::ok();
}

Status WorkArea::position(double *fraction)
{
    beginOperation();
    *fraction = 0;
    uint32_t count = 0;
    Status s = m_table->recordCount(&count);
    if (!s)
        return s;
    if (m_eof || count == 0) {
        *fraction = m_eof && count > 0 ? 1.0 : 0.0;
        return Status::ok();
    }
    if (m_order)
        return m_order->position(m_recno, m_record.data(), fraction);
    *fraction = count <= 1 ? 0.0 : double(m_recno - 1) / double(count - 1);
    return Status::ok();
}

Status WorkArea::setPosition(double fraction)
{
    beginOperation();
    fraction = fraction < 0 ? 0 : (fraction > 1 ? 1 : fraction);
    uint32_t r = 0;
    Status s;
    if (m_order) {
        s = m_order->recordAt(fraction, &r);
    } else {
        uint32_t count = 0;
        s = m_table->recordCount(&count);
        if (count > 0)
            r = 1 + static_cast<uint32_t>(fraction * (count - 1) + 0.5);
    }
    if (!s)
        return s;
    if (r == 0)
        return goTop();
    if (!(s = load(r)))
        return s;
    bool yes = false;
    if (!(s = visible(r, m_record.data(), &yes)) || yes)
        return s;
    return skip(1);
}

} // namespace xb
