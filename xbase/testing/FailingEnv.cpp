// The failing Env of the crash tests: a File wrapper that consults its Env
// before every change.
#include "xbase/testing/FailingEnv.h"

using namespace xb;

namespace xbtest {

namespace {

class FailingFile : public File {
public:
    FailingFile(FailingEnv &env, std::unique_ptr<File> file) : m_env(env), m_file(std::move(file)) {}

    Status read(uint64_t offset, void *buf, std::size_t n, std::size_t *got) override
    {
        return m_file->read(offset, buf, n, got);
    }
    Status write(uint64_t offset, const void *buf, std::size_t n) override
    {
        if (m_env.nextWriteFails())
            return Status::ioError(path() + ": injected write failure");
        return m_file->write(offset, buf, n);
    }
    Status size(uint64_t *out) override { return m_file->size(out); }
    Status truncate(uint64_t size) override
    {
        if (m_env.nextWriteFails())
            return Status::ioError(path() + ": injected truncate failure");
        return m_file->truncate(size);
    }
    Status sync() override
    {
        if (m_env.failed())
            return Status::ioError(path() + ": injected sync failure");
        return m_file->sync();
    }
    Status tryLock(uint64_t offset, uint64_t length, LockKind kind) override
    {
        return m_file->tryLock(offset, length, kind);
    }
    Status unlock(uint64_t offset, uint64_t length) override { return m_file->unlock(offset, length); }
    Status lockWhole(LockKind kind) override { return m_file->lockWhole(kind); }
    Status testLock(uint64_t offset, uint64_t length, LockKind kind, bool *other) override
    {
        return m_file->testLock(offset, length, kind, other);
    }
    const std::string &path() const override { return m_file->path(); }

private:
    FailingEnv &m_env;
    std::unique_ptr<File> m_file;
};

} // namespace

Status FailingEnv::openFile(const std::string &path, bool writable, std::unique_ptr<File> &out)
{
    std::unique_ptr<File> file;
    Status s = Env::posix()->openFile(path, writable, file);
    if (s)
        out = std::make_unique<FailingFile>(*this, std::move(file));
    return s;
}

Status FailingEnv::createFile(const std::string &path, bool truncate, std::unique_ptr<File> &out)
{
    if (nextWriteFails())
        return Status::ioError(path + ": injected create failure");
    std::unique_ptr<File> file;
    Status s = Env::posix()->createFile(path, truncate, file);
    if (s)
        out = std::make_unique<FailingFile>(*this, std::move(file));
    return s;
}

Status FailingEnv::removeFile(const std::string &path)
{
    if (nextWriteFails())
        return Status::ioError(path + ": injected remove failure");
    return Env::posix()->removeFile(path);
}

Status FailingEnv::renameFile(const std::string &from, const std::string &to)
{
    if (nextWriteFails())
        return Status::ioError(from + ": injected rename failure");
    return Env::posix()->renameFile(from, to);
}

} // namespace xbtest
