// Appending the records of another table, fields matched by name.
#include "xbase/api/Engine.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/api/Filter.h"
#include "xbase/api/WorkArea.h"

#include <cstring>
#include <vector>

namespace xb {

namespace {

// The source table as an expression sees it.
class SourceContext : public RecordContext {
public:
    explicit SourceContext(Table &table) : m_table(table), m_record(table.recordLength(), ' ') {}
    int fieldIndex(std::string_view name) const override { return m_table.fieldIndex(name); }
    const FieldInfo &field(int index) const override { return m_table.fields()[index]; }
    const char *record() const override { return m_record.data(); }
    uint32_t recNo() const override { return m_recno; }
    Status memo(int index, std::string &out) const override { return m_table.readMemo(index, m_record.data(), out); }

    Table &m_table;
    std::string m_record;
    uint32_t m_recno = 0;
};

bool sameShape(const FieldInfo &a, const FieldInfo &b)
{
    return a.type == b.type && a.width == b.width && a.decimals == b.decimals;
}

} // namespace

Status WorkArea::appendFrom(const std::string &path, std::string_view condition)
{
    beginOperation();
    if (m_table->mode() == OpenMode::ReadOnly)
        return Status::readOnly(m_table->path() + ": opened read-only, cannot append");
    // A source this engine holds already (a conversion keeps the old table
    // open exclusively from its check to the last rename) is read through
    // that open; any other is opened read-only for the copy.
    std::unique_ptr<Table> opened;
    Table *source = m_engine.openTable(path);
    Status s;
    if (!source) {
        if (!(s = Table::open(m_engine.env(), path, OpenMode::ReadOnly, opened)))
            return s;
        source = opened.get();
    }
    m_appendBlanked = 0;
    SourceContext context(*source);
    std::unique_ptr<Filter> filter;
    if (!condition.empty() && !(s = Filter::compile(condition, context, filter)))
        return s;

    // For each target field: the source field of that name, or -1.
    const std::vector<FieldInfo> &fields = m_table->fields();
    std::vector<int> from(fields.size(), -1);
    for (std::size_t f = 0; f < fields.size(); ++f)
        if (fields[f].type != '0')
            from[f] = source->fieldIndex(fields[f].name);

    uint32_t count = 0;
    if (!(s = source->recordCount(&count)))
        return s;
    const EvalSettings settings = m_engine.evalSettings();
    const std::string blank = m_table->blankRecord();
    std::string record;
    std::string memo;
    int lastPercent = -1;
    for (uint32_t recno = 1; recno <= count; ++recno) {
        if (!(s = source->read(recno, context.m_record.data())))
            return s;
        context.m_recno = recno;
        const char *src = context.m_record.data();
        if (src[0] == '*' && m_engine.settings().hideDeleted)
            continue;
        if (filter) {
            bool yes = false;
            if (!(s = filter->matches(context, settings, &yes)))
                return s;
            if (!yes)
                continue;
        }
        record = blank;
        record[0] = src[0] == '*' ? '*' : ' ';
        std::vector<std::pair<int, int>> memos;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const int g = from[f];
            if (g < 0)
                continue;
            const FieldInfo &t = fields[f];
            const FieldInfo &sf = source->fields()[g];
            if (m_table->isMemoField(int(f))) {
                if (source->isMemoField(g))
                    memos.emplace_back(int(f), g);
                continue;
            }
            if (sameShape(t, sf) && !source->isMemoField(g) && !sf.nullable) {
                std::memcpy(record.data() + t.offset, src + sf.offset, t.width);
                continue;
            }
            std::string text;
            if (source->isMemoField(g)) {
                if (!(s = source->readMemo(g, src, text)))
                    return s;
            } else {
                text = FieldCodec::text(*source, g, src);
            }
            if (t.type == 'C' && static_cast<int>(text.size()) > t.width)
                text.resize(t.width); // a shorter character field takes what fits
            // A value the new field cannot hold stays blank and is
            // counted, like text cut to a shorter field; it does not refuse
            // the whole table.
            if (!FieldCodec::setText(*m_table, int(f), record.data(), text)) {
                std::memcpy(record.data() + t.offset, blank.data() + t.offset, t.width);
                ++m_appendBlanked;
            }
        }
        // Memos before the record that points at them.
        for (auto [f, g] : memos) {
            uint32_t type = 1;
            if (!(s = source->readMemo(g, src, memo, &type)))
                return s;
            if (!memo.empty() && !(s = m_table->storeMemo(f, memo, type, record.data())))
                return s;
        }
        uint32_t added = 0;
        if (!(s = m_table->append(record.data(), &added)))
            return s;
        const int percent = int(uint64_t(recno) * 100 / count);
        if (percent != lastPercent) {
            m_engine.reportProgress(percent);
            lastPercent = percent;
        }
    }
    if (!(s = m_table->flush()))
        return s;
    return goTop();
}

} // namespace xb
