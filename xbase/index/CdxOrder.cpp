// A compound-index tag as a work-area order.
#include "xbase/index/CdxOrder.h"

#include <algorithm>

namespace xb {

namespace {

const uint8_t *bytes(const std::string &s) { return reinterpret_cast<const uint8_t *>(s.data()); }

} // namespace

CdxOrder::CdxOrder(CdxIndex &index, std::string tagName) : m_index(index), m_name(std::move(tagName)) {}

Status CdxOrder::enter(CdxFile::ReadScope &scope, int *tag)
{
    if (!scope.status())
        return scope.status();
    Status s = m_index.bind();
    if (!s)
        return s;
    if (m_tag >= 0 && m_tagGeneration == m_index.file().generation() && m_tag < m_index.tagCount()) {
        *tag = m_tag;
        return Status::ok();
    }
    *tag = m_tag = m_index.findTag(m_name);
    m_tagGeneration = m_index.file().generation();
    if (*tag < 0)
        return Status::notFound(m_index.file().path() + ": no tag " + m_name);
    return Status::ok();
}

bool CdxOrder::belowScope(CdxTag *tag, const CdxPosition &pos) const
{
    return m_scoped && pos.valid() && m_scope.lowLength > 0 &&
           tag->compare(bytes(pos.key), bytes(m_scope.low), m_scope.lowLength) < 0;
}

bool CdxOrder::aboveScope(CdxTag *tag, const CdxPosition &pos) const
{
    return m_scoped && pos.valid() && m_scope.highLength > 0 &&
           tag->compare(bytes(pos.key), bytes(m_scope.high), m_scope.highLength) > 0;
}

void CdxOrder::remember(const CdxPosition &pos, uint32_t *out)
{
    m_pos = pos;
    *out = pos.valid() ? pos.recno : 0;
}

Status CdxOrder::placeOf(int t, uint32_t recno, const char *record, CdxPosition &pos, bool *exact)
{
    CdxTag *tag = m_index.tag(t);
    if (m_pos.valid() && m_pos.recno == recno && m_pos.generation == m_index.file().generation()) {
        pos = m_pos;
        *exact = true;
        return Status::ok();
    }
    bool included = true;
    std::string key;
    Status s = m_index.keyOf(t, record, recno, &included, &key);
    if (!s)
        return s;
    if (!(s = tag->seekEntry(bytes(key), recno, pos)))
        return s;
    *exact = included && pos.valid() && pos.recno == recno && pos.key == key;
    return Status::ok();
}

Status CdxOrder::first(uint32_t *recno)
{
    *recno = 0;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    CdxPosition pos;
    s = m_scoped && m_scope.lowLength ? tag->seek(bytes(m_scope.low), m_scope.lowLength, pos) : tag->first(pos);
    if (!s)
        return s;
    if (aboveScope(tag, pos))
        pos.clear();
    remember(pos, recno);
    return Status::ok();
}

Status CdxOrder::last(uint32_t *recno)
{
    *recno = 0;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    CdxPosition pos;
    s = m_scoped && m_scope.highLength ? tag->seekLast(bytes(m_scope.high), m_scope.highLength, pos)
                                       : tag->last(pos);
    if (!s)
        return s;
    if (belowScope(tag, pos))
        pos.clear();
    remember(pos, recno);
    return Status::ok();
}

Status CdxOrder::next(uint32_t recno, const char *record, uint32_t *out)
{
    *out = 0;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    CdxPosition pos;
    bool exact = false;
    if (!(s = placeOf(t, recno, record, pos, &exact)))
        return s;
    if (exact && !(s = tag->next(pos)))
        return s;
    if (belowScope(tag, pos) && !(s = tag->seek(bytes(m_scope.low), m_scope.lowLength, pos)))
        return s;
    if (aboveScope(tag, pos))
        pos.clear();
    remember(pos, out);
    return Status::ok();
}

Status CdxOrder::nextKnown(uint32_t recno, bool forward, uint32_t *out, bool *known)
{
    *out = 0;
    *known = false;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    if (!m_pos.valid() || m_pos.recno != recno || m_pos.generation != m_index.file().generation())
        return Status::ok();
    CdxTag *tag = m_index.tag(t);
    CdxPosition pos = m_pos;
    if (!(s = forward ? tag->next(pos) : tag->prev(pos)))
        return s;
    if (forward ? aboveScope(tag, pos) : belowScope(tag, pos))
        pos.clear();
    *known = true;
    remember(pos, out);
    return Status::ok();
}

Status CdxOrder::prior(uint32_t recno, const char *record, uint32_t *out)
{
    *out = 0;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    CdxPosition pos;
    bool exact = false;
    if (!(s = placeOf(t, recno, record, pos, &exact)))
        return s;
    if (pos.valid())
        s = tag->prev(pos);
    else
        s = tag->last(pos);
    if (!s)
        return s;
    if (aboveScope(tag, pos) && !(s = tag->seekLast(bytes(m_scope.high), m_scope.highLength, pos)))
        return s;
    if (belowScope(tag, pos))
        pos.clear();
    remember(pos, out);
    return Status::ok();
}

Status CdxOrder::scopeFractions(CdxTag *tag, double *low, double *high)
{
    *low = 0;
    *high = 1;
    if (!m_scoped)
        return Status::ok();
    CdxPosition a, b;
    Status s = m_scope.lowLength ? tag->seek(bytes(m_scope.low), m_scope.lowLength, a) : tag->first(a);
    if (s)
        s = m_scope.highLength ? tag->seekLast(bytes(m_scope.high), m_scope.highLength, b) : tag->last(b);
    if (s && a.valid())
        s = tag->fraction(a, *low);
    if (s && b.valid())
        s = tag->fraction(b, *high);
    return s;
}

Status CdxOrder::position(uint32_t recno, const char *record, double *fraction)
{
    *fraction = 0;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    CdxPosition pos;
    bool exact;
    if (!(s = placeOf(t, recno, record, pos, &exact)))
        return s;
    if (!pos.valid()) {
        *fraction = 1;
        return Status::ok();
    }
    double f = 0, lo = 0, hi = 1;
    if (!(s = tag->fraction(pos, f)) || !(s = scopeFractions(tag, &lo, &hi)))
        return s;
    *fraction = hi > lo ? std::clamp((f - lo) / (hi - lo), 0.0, 1.0) : 0.0;
    return Status::ok();
}

Status CdxOrder::recordAt(double fraction, uint32_t *recno)
{
    *recno = 0;
    if (fraction <= 0)
        return first(recno);
    if (fraction >= 1)
        return last(recno);
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    double lo = 0, hi = 1;
    if (!(s = scopeFractions(tag, &lo, &hi)))
        return s;
    CdxPosition pos;
    if (!(s = tag->seekFraction(lo + std::clamp(fraction, 0.0, 1.0) * (hi - lo), pos)))
        return s;
    if (belowScope(tag, pos) && !(s = tag->seek(bytes(m_scope.low), m_scope.lowLength, pos)))
        return s;
    if (aboveScope(tag, pos) && !(s = tag->seekLast(bytes(m_scope.high), m_scope.highLength, pos)))
        return s;
    if (belowScope(tag, pos) || aboveScope(tag, pos))
        pos.clear();
    remember(pos, recno);
    return Status::ok();
}

Status CdxOrder::seek(std::string_view key, bool soft, uint32_t *recno, bool *found)
{
    *recno = 0;
    *found = false;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxTag *tag = m_index.tag(t);
    // A binary search in a tree of another collation answers wrongly.
    if (!(s = m_index.requireOwnOrder(t, "seek")))
        return s;
    CdxKeyRange range;
    if (!(s = m_index.searchRange(t, key, range)))
        return s;
    CdxPosition pos;
    if (!(s = tag->seek(bytes(range.low), range.lowLength, pos)))
        return s;
    if (belowScope(tag, pos) && !(s = tag->seek(bytes(m_scope.low), m_scope.lowLength, pos)))
        return s;
    if (aboveScope(tag, pos))
        pos.clear();
    bool equal = pos.valid() && tag->compare(bytes(pos.key), bytes(range.high), range.highLength) <= 0 &&
                 tag->compare(bytes(pos.key), bytes(range.low), range.lowLength) >= 0;
    if (!equal && !soft)
        pos.clear();
    *found = equal;
    remember(pos, recno);
    return Status::ok();
}

void CdxOrder::combine()
{
    m_scope = m_userScoped ? m_userScope : CdxKeyRange();
    if (m_hasQuery)
        narrowRange(m_scope, m_query);
    m_scoped = m_userScoped || m_hasQuery;
    m_pos.clear();
}

void CdxOrder::setQueryRange(const CdxKeyRange *range)
{
    m_hasQuery = range != nullptr;
    m_query = range ? *range : CdxKeyRange();
    combine();
}

Status CdxOrder::setScope(std::string_view low, std::string_view high)
{
    if (low.empty() && high.empty()) {
        m_userScoped = false;
        m_userScope = CdxKeyRange();
        combine();
        return Status::ok();
    }
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxKeyRange lo, hi, out;
    if (!low.empty()) {
        if (!(s = m_index.searchRange(t, low, lo)))
            return s;
        out.low = lo.low;
        out.lowLength = lo.lowLength;
    }
    if (!high.empty()) {
        if (!(s = m_index.searchRange(t, high, hi)))
            return s;
        out.high = hi.high;
        out.highLength = hi.highLength;
    }
    m_userScope = out;
    m_userScoped = true;
    combine();
    return Status::ok();
}

Status CdxOrder::keyMatches(std::string_view key, uint32_t recno, const char *record, bool *yes)
{
    *yes = false;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    CdxKeyRange range;
    std::string own;
    bool included = true;
    if (!(s = m_index.searchRange(t, key, range)) || !(s = m_index.keyOf(t, record, recno, &included, &own)))
        return s;
    CdxTag *tag = m_index.tag(t);
    *yes = included && tag->compare(bytes(own), bytes(range.low), range.lowLength) >= 0 &&
           tag->compare(bytes(own), bytes(range.high), range.highLength) <= 0;
    return Status::ok();
}

bool CdxOrder::restricts()
{
    if (m_userScoped)
        return true;
    int t = m_index.findTag(m_name);
    return t < 0 || !m_index.tag(t)->forExpression().empty();
}

Status CdxOrder::inScope(uint32_t recno, const char *record, bool *yes)
{
    *yes = true;
    if (!m_scoped)
        return Status::ok();
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    bool included = true;
    CdxPosition pos;
    if (!(s = m_index.keyOf(t, record, recno, &included, &pos.key)))
        return s;
    pos.index = 0;
    *yes = included && !belowScope(m_index.tag(t), pos) && !aboveScope(m_index.tag(t), pos);
    return Status::ok();
}

Status CdxOrder::collect(const CdxKeyRange &range, const std::function<void(uint32_t)> &visit)
{
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    uint64_t n = 0;
    return m_index.tag(t)->scanRange(bytes(range.low), range.lowLength, bytes(range.high), range.highLength, visit,
                                     &n);
}

Status CdxOrder::keyCount(const std::function<void(uint32_t)> &visit, uint64_t *count)
{
    *count = 0;
    CdxFile::ReadScope scope(&m_index.file());
    int t;
    Status s = enter(scope, &t);
    if (!s)
        return s;
    const CdxKeyRange none;
    const CdxKeyRange &r = m_scoped ? m_scope : none;
    return m_index.tag(t)->scanRange(bytes(r.low), r.lowLength, bytes(r.high), r.highLength, visit, count);
}

} // namespace xb
