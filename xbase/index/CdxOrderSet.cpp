// A work area's index orders and query candidates.
#include "xbase/index/CdxOrderSet.h"

namespace xb {

CdxOrderSet::CdxOrderSet(Table &table, const EvalSettings &settings) : m_table(table), m_settings(settings) {}

CdxOrderSet::~CdxOrderSet() = default;

void CdxOrderSet::listen()
{
    if (m_index)
        m_index->setChangeListener([this](uint32_t recno) {
            if (m_planned) {
                m_candidates.set(recno);
                m_changed.insert(recno);
            }
        });
}

Status CdxOrderSet::open()
{
    m_orders.clear();
    m_current = 0;
    Status s = CdxIndex::open(m_table, m_settings, m_index);
    listen();
    return s;
}

Status CdxOrderSet::ensureIndex()
{
    if (m_index)
        return Status::ok();
    Status s = CdxIndex::create(m_table, m_settings, m_index);
    listen();
    return s;
}

int CdxOrderSet::tagCount()
{
    if (!m_index || !m_index->refresh())
        return 0;
    return m_index->tagCount();
}

std::string CdxOrderSet::tagName(int number)
{
    if (number < 1 || number > tagCount())
        return std::string();
    return m_index->tag(number - 1)->name();
}

int CdxOrderSet::tagNumber(const std::string &name)
{
    if (name.empty() || tagCount() == 0)
        return 0;
    return m_index->findTag(name) + 1;
}

CdxOrder *CdxOrderSet::order(int number)
{
    std::string name = tagName(number);
    if (name.empty())
        return nullptr;
    auto &slot = m_orders[name];
    if (!slot) {
        slot = std::make_unique<CdxOrder>(*m_index, name);
        auto r = m_ranges.find(name);
        slot->setQueryRange(m_planned && r != m_ranges.end() ? &r->second : nullptr);
    }
    return slot.get();
}

Status CdxOrderSet::plan(const Expression &filter, const EvalSettings &settings, uint32_t recordCount)
{
    clearQuery();
    if (!m_index)
        return Status::ok();
    m_filter = &filter;
    m_filterSettings = settings;
    m_foreignSeen = m_index->file().foreignChanges();
    bool planned = false;
    bool exact = false;
    Status s = QueryPlanner::plan(*m_index, filter, settings, recordCount, m_candidates, &planned, &m_description,
                                  &m_ranges, &exact);
    m_exact = s && planned && exact;
    m_planned = s && planned;
    for (auto &[name, order] : m_orders) {
        auto r = m_ranges.find(name);
        order->setQueryRange(m_planned && r != m_ranges.end() ? &r->second : nullptr);
    }
    return s;
}

void CdxOrderSet::clearQuery()
{
    m_filter = nullptr;
    m_planned = false;
    m_exact = false;
    m_changed.clear();
    m_description.clear();
    m_candidates = QueryCandidates();
    m_ranges.clear();
    for (auto &[name, order] : m_orders)
        order->setQueryRange(nullptr);
}

Status CdxOrderSet::sync()
{
    if (!m_planned || !m_index || m_table.mode() == OpenMode::Exclusive)
        return Status::ok();
    Status s;
    {
        CdxFile::ReadScope scope(&m_index->file());
        s = scope.status();
    }
    if (!s || m_index->file().foreignChanges() == m_foreignSeen)
        return s;
    uint32_t count = 0;
    if (!(s = m_table.recordCount(&count)))
        return s;
    const Expression *filter = m_filter;
    EvalSettings settings = m_filterSettings;
    return plan(*filter, settings, count);
}

} // namespace xb
