// A file held in memory for the fuzz targets: the bytes live in a shared
// string, writes grow it up to a ceiling, and locks always succeed (the
// targets run in one process).
#pragma once

#include "xbase/table/Env.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace xb::fuzz {

class MemoryFile : public File {
public:
    MemoryFile(std::string path, std::shared_ptr<std::string> data, uint64_t ceiling)
        : m_path(std::move(path)), m_data(std::move(data)), m_ceiling(ceiling)
    {
    }

    Status read(uint64_t offset, void *buf, std::size_t n, std::size_t *got) override
    {
        *got = 0;
        if (offset < m_data->size()) {
            *got = std::min<uint64_t>(n, m_data->size() - offset);
            std::memcpy(buf, m_data->data() + offset, *got);
        }
        return Status::ok();
    }
    Status write(uint64_t offset, const void *buf, std::size_t n) override
    {
        if (offset + n > m_ceiling)
            return Status::ioError(m_path + ": file too large");
        if (m_data->size() < offset + n)
            m_data->resize(offset + n, '\0');
        std::memcpy(m_data->data() + offset, buf, n);
        return Status::ok();
    }
    Status size(uint64_t *out) override
    {
        *out = m_data->size();
        return Status::ok();
    }
    Status truncate(uint64_t size) override
    {
        m_data->resize(std::min<uint64_t>(size, m_ceiling));
        return Status::ok();
    }
    Status sync() override { return Status::ok(); }
    Status tryLock(uint64_t, uint64_t, LockKind) override { return Status::ok(); }
    Status unlock(uint64_t, uint64_t) override { return Status::ok(); }
    Status testLock(uint64_t, uint64_t, LockKind, bool *other) override
    {
        *other = false;
        return Status::ok();
    }
    const std::string &path() const override { return m_path; }

private:
    std::string m_path;
    std::shared_ptr<std::string> m_data;
    uint64_t m_ceiling;
};

} // namespace xb::fuzz
