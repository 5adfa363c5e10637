// Filter conditions on top of the expression compiler.
#include "xbase/api/Filter.h"

#include "xbase/table/Table.h"

namespace xb {

Status Filter::compile(std::string_view text, const RecordContext &schema, std::unique_ptr<Filter> &out)
{
    std::unique_ptr<Filter> f(new Filter);
    f->m_text = std::string(text);
    Status s = Expression::compile(text, schema, f->m_expression);
    if (!s)
        return s;
    if (f->m_expression->type() != ValueType::Logical)
        return Status::syntax("filter \"" + std::string(text) + "\" is not a logical expression");
    out = std::move(f);
    return Status::ok();
}

Status Filter::matches(const RecordContext &record, const EvalSettings &settings, bool *yes) const
{
    return m_expression->evaluateLogical(record, settings, *yes);
}

Status RecordView::memo(int index, std::string &out) const
{
    // Reading a memo does not change the table's state that matters here.
    return const_cast<Table &>(m_table).readMemo(index, m_record, out);
}

} // namespace xb
