// A compiled filter condition of a work area: a logical expression that a
// record must satisfy to be visible in navigation.
#pragma once

#include "xbase/expr/Expression.h"
#include "xbase/table/Status.h"

#include <memory>
#include <string>
#include <string_view>

namespace xb {

class Filter {
public:
    // Compiles `text` against `schema`. Syntax (naming the expression and the
    // position) for a bad or non-logical expression.
    static Status compile(std::string_view text, const RecordContext &schema, std::unique_ptr<Filter> &out);

    const std::string &text() const { return m_text; }
    Status matches(const RecordContext &record, const EvalSettings &settings, bool *yes) const;
    const Expression &expression() const { return *m_expression; }

private:
    Filter() = default;
    std::string m_text;
    std::unique_ptr<Expression> m_expression;
};

// A RecordContext over any record buffer of a work area's table, so that a
// filter can look at a candidate record without making it current.
class RecordView : public RecordContext {
public:
    RecordView(const RecordContext &schema, const class Table &table) : m_schema(schema), m_table(table) {}
    void set(const char *record, uint32_t recno)
    {
        m_record = record;
        m_recno = recno;
    }
    int fieldIndex(std::string_view name) const override { return m_schema.fieldIndex(name); }
    const FieldInfo &field(int index) const override { return m_schema.field(index); }
    const char *record() const override { return m_record; }
    uint32_t recNo() const override { return m_recno; }
    Status memo(int index, std::string &out) const override;

private:
    const RecordContext &m_schema;
    const class Table &m_table;
    const char *m_record = nullptr;
    uint32_t m_recno = 0;
};

} // namespace xb
