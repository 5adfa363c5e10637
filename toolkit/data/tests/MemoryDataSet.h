// A dataset over rows held in memory, for testing the generic layer and
// the controls without tables.
#pragma once

#include "toolkit/data/DataSet.h"

#include <QString>
#include <vector>

struct MemoryColumn {
    QString name;
    tk::FieldType type;
    int size = 0;
    int decimals = 0;
};

class MemoryDataSet : public tk::DataSet {
public:
    explicit MemoryDataSet(std::vector<MemoryColumn> columns, QObject *parent = nullptr)
        : tk::DataSet(parent), m_columns(std::move(columns))
    {
    }

    std::vector<std::vector<QVariant>> rows;
    int postCount = 0;
    bool refuseEdit = false;

    int RecordCount() override { return static_cast<int>(rows.size()); }

    bool Locate(const QString &keyFields, const QVariantList &keyValues) override
    {
        tk::Field *field = FieldByName(keyFields);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i][static_cast<std::size_t>(field->Index())] == keyValues.value(0)) {
                GotoBookmark(static_cast<Bookmark>(i + 1));
                return true;
            }
        }
        return false;
    }

    bool FetchRow(int row, tk::RecordBuffer &out) override
    {
        if (row < 0 || row >= RecordCount())
            return false;
        fill(row, out);
        return true;
    }

    int CurrentRow() override { return m_pos >= 0 && m_pos < RecordCount() ? m_pos : -1; }

protected:
    void InternalOpen() override
    {
        for (const MemoryColumn &c : m_columns)
            defineField(c.name, c.type, c.size, c.decimals);
        m_pos = -1;
    }
    void InternalClose() override {}
    void InternalFirst() override { m_pos = -1; }
    void InternalLast() override { m_pos = RecordCount(); }

    GetResult GetRecord(GetMode mode, tk::RecordBuffer &buffer) override
    {
        const int n = RecordCount();
        if (mode == GetMode::Next) {
            if (m_pos + 1 >= n) {
                m_pos = n > 0 ? n - 1 : -1;
                return GetResult::Eof;
            }
            ++m_pos;
        } else if (mode == GetMode::Prior) {
            if (m_pos - 1 < 0) {
                m_pos = n > 0 ? 0 : -1;
                return GetResult::Bof;
            }
            --m_pos;
        } else {
            if (n == 0)
                return GetResult::Eof;
            if (m_pos >= n)
                m_pos = n - 1;
            if (m_pos < 0)
                m_pos = 0;
        }
        fill(m_pos, buffer);
        return GetResult::Ok;
    }

    void InternalEdit() override
    {
        if (refuseEdit)
            throw tk::DataSetError("Selected record is currently locked by another user or task");
    }

    void InternalInsert() override { m_insertFrom = m_pos; }

    void InternalPost(tk::RecordBuffer &buffer, bool inserting) override
    {
        ++postCount;
        std::vector<QVariant> values = buffer.values;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (buffer.blobs[i].modified)
                values[i] = buffer.blobs[i].data.isEmpty() ? QVariant() : QVariant(buffer.blobs[i].data);
            else if (values[i].isValid() && (m_columns[i].type == tk::FieldType::Memo))
                values[i] = rows[static_cast<std::size_t>(m_pos)][i];
        }
        if (inserting) {
            rows.push_back(values);
            m_pos = RecordCount() - 1;
        } else {
            rows[static_cast<std::size_t>(m_pos)] = values;
        }
    }

    void InternalCancel() override
    {
        if (state() == State::Insert)
            m_pos = m_insertFrom;
    }

    void InternalDelete() override
    {
        rows.erase(rows.begin() + m_pos);
        if (m_pos >= RecordCount())
            m_pos = RecordCount() - 1;
    }

    void InternalGotoBookmark(Bookmark bookmark) override { m_pos = static_cast<int>(bookmark) - 1; }

    void LoadBlob(tk::RecordBuffer &buffer, int fieldIndex) override
    {
        const auto i = static_cast<std::size_t>(fieldIndex);
        const std::size_t row = static_cast<std::size_t>(buffer.bookmark - 1);
        buffer.blobs[i].data = row < rows.size() ? rows[row][i].toByteArray() : QByteArray();
    }

private:
    void fill(int row, tk::RecordBuffer &buffer) const
    {
        buffer.reset(m_columns.size());
        const auto &r = rows[static_cast<std::size_t>(row)];
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (m_columns[i].type == tk::FieldType::Memo)
                buffer.values[i] = r[i].isValid() ? QVariant(true) : QVariant();
            else
                buffer.values[i] = r[i];
        }
        buffer.bookmark = row + 1;
    }

    std::vector<MemoryColumn> m_columns;
    int m_pos = -1;
    int m_insertFrom = -1;
};
