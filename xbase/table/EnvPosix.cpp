// The POSIX Env: pread/pwrite on file descriptors and open-file-description
// byte-range locks (F_OFD_SETLK), which conflict between two descriptors of
// one process as they do between processes, and which closing one
// descriptor never drops for another. Every OS error becomes a Status here,
// naming the file.
#include "xbase/table/Env.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xb {

namespace {

std::string errorText(const std::string &path, const char *what, int err)
{
    return path + ": " + what + ": " + std::strerror(err);
}

class PosixFile final : public File {
public:
    PosixFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixFile() override { ::close(m_fd); }

    Status read(uint64_t offset, void *buf, std::size_t n, std::size_t *got) override
    {
        std::size_t done = 0;
        auto *p = static_cast<char *>(buf);
        while (done < n) {
            const ssize_t r = ::pread(m_fd, p + done, n - done, static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                *got = done;
                return Status::ioError(errorText(m_path, "read failed", errno));
            }
            if (r == 0)
                break;
            done += static_cast<std::size_t>(r);
        }
        *got = done;
        return Status::ok();
    }

    Status write(uint64_t offset, const void *buf, std::size_t n) override
    {
        std::size_t done = 0;
        const auto *p = static_cast<const char *>(buf);
        while (done < n) {
            const ssize_t r = ::pwrite(m_fd, p + done, n - done, static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return Status::ioError(errorText(m_path, "write failed", errno));
            }
            done += static_cast<std::size_t>(r);
        }
        return Status::ok();
    }

    Status size(uint64_t *out) override
    {
        struct stat st{};
        if (::fstat(m_fd, &st) != 0)
            return Status::ioError(errorText(m_path, "stat failed", errno));
        *out = static_cast<uint64_t>(st.st_size);
        return Status::ok();
    }

    Status truncate(uint64_t size) override
    {
        if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
            return Status::ioError(errorText(m_path, "truncate failed", errno));
        return Status::ok();
    }

    Status sync() override
    {
        if (::fdatasync(m_fd) != 0)
            return Status::ioError(errorText(m_path, "sync failed", errno));
        return Status::ok();
    }

    Status tryLock(uint64_t offset, uint64_t length, LockKind kind) override
    {
        struct flock fl{};
        fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        fl.l_pid = 0;
        while (::fcntl(m_fd, F_OFD_SETLK, &fl) != 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EACCES)
                return Status::locked(m_path + ": locked by another user");
            return Status::ioError(errorText(m_path, "lock failed", errno));
        }
        return Status::ok();
    }

    Status lockWhole(LockKind kind) override
    {
        while (::flock(m_fd, (kind == LockKind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno == EWOULDBLOCK)
                return Status::locked(m_path + ": in use by another program");
            // File systems without flock keep their byte-range locks.
            if (errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS)
                return Status::ok();
            return Status::ioError(errorText(m_path, "flock failed", errno));
        }
        return Status::ok();
    }

    Status unlock(uint64_t offset, uint64_t length) override
    {
        struct flock fl{};
        fl.l_type = F_UNLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        fl.l_pid = 0;
        if (::fcntl(m_fd, F_OFD_SETLK, &fl) != 0)
            return Status::ioError(errorText(m_path, "unlock failed", errno));
        return Status::ok();
    }

    Status testLock(uint64_t offset, uint64_t length, LockKind kind, bool *lockedByOther) override
    {
        struct flock fl{};
        fl.l_type = kind == LockKind::Shared ? F_RDLCK : F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = static_cast<off_t>(offset);
        fl.l_len = static_cast<off_t>(length);
        fl.l_pid = 0;
        if (::fcntl(m_fd, F_OFD_GETLK, &fl) != 0)
            return Status::ioError(errorText(m_path, "lock test failed", errno));
        *lockedByOther = fl.l_type != F_UNLCK;
        return Status::ok();
    }

    const std::string &path() const override { return m_path; }

private:
    int m_fd;
    std::string m_path;
};

class PosixEnv final : public Env {
public:
    Status openFile(const std::string &path, bool writable, std::unique_ptr<File> &out) override
    {
        const int fd = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return Status::notFound(path + ": no such file");
            return Status::ioError(errorText(path, "open failed", errno));
        }
        struct stat st{};
        if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
            ::close(fd);
            return Status::ioError(path + ": not a regular file");
        }
        out = std::make_unique<PosixFile>(fd, path);
        return Status::ok();
    }

    Status createFile(const std::string &path, bool truncate, std::unique_ptr<File> &out) override
    {
        const int flags = O_RDWR | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : O_EXCL);
        const int fd = ::open(path.c_str(), flags, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                return Status::badArgument(path + ": file exists");
            return Status::ioError(errorText(path, "create failed", errno));
        }
        out = std::make_unique<PosixFile>(fd, path);
        return Status::ok();
    }

    bool fileExists(const std::string &path) override
    {
        struct stat st{};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    Status removeFile(const std::string &path) override
    {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return Status::ioError(errorText(path, "remove failed", errno));
        return Status::ok();
    }

    Status renameFile(const std::string &from, const std::string &to) override
    {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return Status::ioError(errorText(from, "rename failed", errno));
        return Status::ok();
    }

    Status findFileNoCase(const std::string &path, std::string *found) override
    {
        if (fileExists(path)) {
            *found = path;
            return Status::ok();
        }
        const std::size_t slash = path.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        DIR *d = ::opendir(dir.c_str());
        if (!d)
            return Status::notFound(path + ": no such file");
        Status result = Status::notFound(path + ": no such file");
        while (struct dirent *e = ::readdir(d)) {
            if (::strcasecmp(e->d_name, name.c_str()) == 0) {
                const std::string candidate = slash == std::string::npos ? std::string(e->d_name)
                                                                         : path.substr(0, slash + 1) + e->d_name;
                if (fileExists(candidate)) {
                    *found = candidate;
                    result = Status::ok();
                    break;
                }
            }
        }
        ::closedir(d);
        return result;
    }
};

} // namespace

Env *Env::posix()
{
    static PosixEnv *env = new PosixEnv;
    return env;
}

} // namespace xb
