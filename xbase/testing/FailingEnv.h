// An Env whose files fail from the Nth write on, as if the process died at
// that moment: the Nth write and every later write, sync and truncate fail
// and change nothing. Reads keep working. Crash and I/O-error tests only.
#pragma once

#include "xbase/table/Env.h"

#include <memory>

namespace xbtest {

class FailingEnv : public xb::Env {
public:
    // Writes before the `failAt`-th (counting from 1) succeed; 0 never fails.
    explicit FailingEnv(long failAt) : m_failAt(failAt) {}

    bool failed() const { return m_failed; }
    // The disk works again (space freed): later writes succeed.
    void heal()
    {
        m_failed = false;
        m_failAt = 0;
    }
    long writes() const { return m_writes; }

    // True when the next write is to fail (and marks the crash).
    bool nextWriteFails()
    {
        if (m_failed)
            return true;
        ++m_writes;
        if (m_failAt > 0 && m_writes >= m_failAt)
            m_failed = true;
        return m_failed;
    }

    xb::Status openFile(const std::string &path, bool writable, std::unique_ptr<xb::File> &out) override;
    xb::Status createFile(const std::string &path, bool truncate, std::unique_ptr<xb::File> &out) override;
    bool fileExists(const std::string &path) override { return xb::Env::posix()->fileExists(path); }
    xb::Status removeFile(const std::string &path) override;
    xb::Status renameFile(const std::string &from, const std::string &to) override;
    xb::Status findFileNoCase(const std::string &path, std::string *found) override
    {
        return xb::Env::posix()->findFileNoCase(path, found);
    }

private:
    long m_failAt;
    long m_writes = 0;
    bool m_failed = false;
};

} // namespace xbtest
