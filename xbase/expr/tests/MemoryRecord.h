// A record held in memory, with its fields and memo texts, for tests that
// evaluate expressions without a table file.
#pragma once

#include "xbase/expr/Expression.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace xb::test {

class MemoryRecord : public RecordContext {
public:
    // Appends a field after the previous one.
    MemoryRecord &add(const std::string &name, char type, int width, int decimals = 0)
    {
        FieldInfo f;
        f.name = name;
        f.type = type;
        f.width = width;
        f.decimals = decimals;
        f.offset = static_cast<int>(m_record.size());
        m_fields.push_back(f);
        m_record.append(static_cast<std::size_t>(width), ' ');
        return *this;
    }

    // Stores `value` in the field: character fields left-aligned, numeric
    // fields right-aligned, both padded with blanks; memos in the memo map.
    MemoryRecord &set(const std::string &name, const std::string &value)
    {
        const FieldInfo &f = m_fields.at(static_cast<std::size_t>(fieldIndex(name)));
        if (f.type == 'M') {
            m_memos[fieldIndex(name)] = value;
            return *this;
        }
        std::string bytes = value.substr(0, static_cast<std::size_t>(f.width));
        if (f.type == 'N')
            bytes.insert(0, static_cast<std::size_t>(f.width) - bytes.size(), ' ');
        else
            bytes.resize(static_cast<std::size_t>(f.width), ' ');
        m_record.replace(static_cast<std::size_t>(f.offset), bytes.size(), bytes);
        return *this;
    }

    // Raw bytes at the field's offset, for binary field types.
    MemoryRecord &setRaw(const std::string &name, const std::string &bytes)
    {
        const FieldInfo &f = m_fields.at(static_cast<std::size_t>(fieldIndex(name)));
        m_record.replace(static_cast<std::size_t>(f.offset), bytes.size(), bytes);
        return *this;
    }

    void setDeleted(bool deleted) { m_record[0] = deleted ? '*' : ' '; }
    void setRecNo(uint32_t recNo) { m_recNo = recNo; }
    void failMemos(bool fail) { m_failMemos = fail; }
    FieldInfo &fieldInfo(const std::string &name) { return m_fields.at(static_cast<std::size_t>(fieldIndex(name))); }

    int fieldIndex(std::string_view name) const override
    {
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const std::string &n = m_fields[i].name;
            if (n.size() == name.size()
                && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                       return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
                   })) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    const FieldInfo &field(int index) const override { return m_fields.at(static_cast<std::size_t>(index)); }
    const char *record() const override { return m_record.data(); }
    uint32_t recNo() const override { return m_recNo; }
    Status memo(int index, std::string &out) const override
    {
        if (m_failMemos)
            return Status::corrupt("TEST.FPT: memo block past the end");
        const auto it = m_memos.find(index);
        out = it == m_memos.end() ? std::string() : it->second;
        return Status::ok();
    }

private:
    std::vector<FieldInfo> m_fields;
    std::string m_record = " "; // the deletion byte
    std::map<int, std::string> m_memos;
    uint32_t m_recNo = 1;
    bool m_failMemos = false;
};

} // namespace xb::test
