// Field helpers shared by the engine's tests (declared in TableTestUtil.h).
#include "xbase/table/FieldCodec.h"
#include "xbase/table/Table.h"
#include "xbase/testing/TableTestUtil.h"

using namespace xb;

namespace xbtest {

void setField(const Table &table, std::string &record, const char *name, const std::string &text)
{
    const int f = table.fieldIndex(name);
    ASSERT_GE(f, 0) << name;
    Status s = FieldCodec::setText(table, f, record.data(), text);
    ASSERT_TRUE(s) << s.toString();
}

std::string getField(const Table &table, const std::string &record, const char *name)
{
    const int f = table.fieldIndex(name);
    return f < 0 ? "<no field>" : FieldCodec::text(table, f, record.data());
}

} // namespace xbtest
