// libFuzzer target over the expression compiler and evaluator. The input is
// an expression, optionally followed by a NUL byte and the bytes of the
// record it is evaluated on (a table with one field of every type and a
// memo). Besides crashing, it checks that the canonical text compiles back
// to itself and that keys have their static width.
#include "xbase/expr/Expression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class FuzzRecord : public xb::RecordContext {
public:
    FuzzRecord()
    {
        add("FAMNAME", 'C', 10);
        add("VORNAME", 'C', 6);
        add("PLZ", 'C', 5);
        add("ANZAHL", 'N', 5, 1);
        add("DATUM", 'D', 8);
        add("AKTIV", 'L', 1);
        add("NOTIZ", 'M', 10);
        add("MENGE", 'I', 4);
        add("BETRAG", 'Y', 8);
        add("WERT", 'B', 8, 2);
        add("ZEIT", 'T', 8);
        add("_NullFlags", '0', 1);
        m_fields[0].nullable = true;
        m_fields[0].nullBit = 0;
        m_fields[4].nullable = true;
        m_fields[4].nullBit = 1;
        m_record.assign(static_cast<std::size_t>(m_length), ' ');
    }

    void load(const uint8_t *data, std::size_t size)
    {
        m_record.assign(static_cast<std::size_t>(m_length), ' ');
        std::memcpy(m_record.data(), data, std::min(size, m_record.size()));
        m_memo.assign(reinterpret_cast<const char *>(data), size);
    }

    int fieldIndex(std::string_view name) const override
    {
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const std::string &n = m_fields[i].name;
            if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
    const xb::FieldInfo &field(int index) const override { return m_fields.at(static_cast<std::size_t>(index)); }
    const char *record() const override { return m_record.data(); }
    uint32_t recNo() const override { return 7; }
    xb::Status memo(int, std::string &out) const override
    {
        if (!m_memo.empty() && m_memo[0] == '!')
            return xb::Status::corrupt("memo block past the end");
        out = m_memo;
        return xb::Status::ok();
    }

private:
    void add(const char *name, char type, int width, int decimals = 0)
    {
        xb::FieldInfo f;
        f.name = name;
        f.type = type;
        f.width = width;
        f.decimals = decimals;
        f.offset = m_length;
        m_length += width;
        m_fields.push_back(f);
    }

    std::vector<xb::FieldInfo> m_fields;
    int m_length = 1;
    std::string m_record;
    std::string m_memo;
};

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    static FuzzRecord record;
    const auto *text = reinterpret_cast<const char *>(data);
    const std::size_t textSize = strnlen(text, size);
    const std::string_view expression(text, textSize);
    const std::size_t rest = textSize < size ? textSize + 1 : size;
    record.load(data + rest, size - rest);

    std::unique_ptr<xb::Expression> e;
    if (!xb::Expression::compile(expression, record, e).isOk()) {
        check(!e, "a failed compile leaves no expression");
        return 0;
    }

    const std::string canonical = e->canonicalText();
    std::unique_ptr<xb::Expression> again;
    check(xb::Expression::compile(canonical, record, again).isOk(), "canonical text compiles");
    check(again->canonicalText() == canonical, "canonical text is stable");
    check(again->type() == e->type(), "canonical text keeps the type");

    for (const bool exact : {false, true}) {
        xb::EvalSettings settings;
        settings.exact = exact;
        settings.dateFormat = exact ? "MM/dd/yy" : "dd.MM.yyyy";
        settings.epoch = exact ? 1950 : 1900;
        xb::Value value;
        if (!e->evaluate(record, settings, value).isOk())
            continue;
        check(value.type == e->type(), "the value has the static type");
        std::string text;
        (void)e->evaluateText(record, settings, text);
        if (e->type() == xb::ValueType::Character) {
            std::string key;
            if (e->key(record, settings, key).isOk())
                check(key.size() == static_cast<std::size_t>(e->width()), "keys have the static width");
        } else if (e->type() == xb::ValueType::Logical) {
            bool result = false;
            if (e->evaluateLogical(record, settings, result).isOk())
                check(result == value.logical, "the fast path agrees");
        }
        (void)e->conjuncts(settings);
    }
    std::vector<xb::KeyPart> parts;
    if (e->keyParts(parts)) {
        int total = 0;
        for (const xb::KeyPart &p : parts)
            total += p.width;
        check(total == e->width(), "key parts add up to the key width");
    }
    return 0;
}
