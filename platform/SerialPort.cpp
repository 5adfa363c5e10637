// Serial ports on termios. The descriptor stays non-blocking throughout, so
// neither the open (waiting for a carrier) nor a stalled write can hang the
// user interface; waits are poll() calls with a time-out.
#include "platform/SerialPort.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

// Waits until the descriptor is ready for `events`. Returns 1 when ready,
// 0 at the time-out, -1 with errno on failure.
int waitFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0 && (p.revents & (POLLERR | POLLNVAL)) && !(p.revents & events)) {
            errno = EIO;
            return -1;
        }
        return n;
    }
}

} // namespace

SerialPort::~SerialPort()
{
    close();
}

int SerialPort::fail(int error)
{
    m_error = error;
    return error;
}

int SerialPort::open(const std::string &path)
{
    close();
    m_path = path;
    m_error = 0;

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);

    // Exclusive use: the terminal refuses further opens, and the lock keeps
    // out other programs that lock their ports the same way (the terminal's
    // own refusal does not stop a privileged process).
    int error = 0;
    if (!::isatty(fd))
        error = ENOTTY;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = (errno == EWOULDBLOCK) ? EBUSY : errno;
    else if (::ioctl(fd, TIOCEXCL) != 0)
        error = errno;

    if (error == 0) {
        termios tio{};
        if (::tcgetattr(fd, &tio) != 0) {
            error = errno;
        } else {
            const speed_t in = cfgetispeed(&tio);
            const speed_t out = cfgetospeed(&tio);
            cfmakeraw(&tio);
            tio.c_cflag |= CREAD | CLOCAL;
            tio.c_cc[VMIN] = 0;
            tio.c_cc[VTIME] = 0;
            cfsetispeed(&tio, in);
            cfsetospeed(&tio, out);
            if (::tcsetattr(fd, TCSANOW, &tio) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        return fail(error);
    }
    m_fd = fd;
    return 0;
}

void SerialPort::close()
{
    if (m_fd < 0)
        return;
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // also releases the lock
    m_fd = -1;
}

long SerialPort::write(std::string_view bytes, int timeoutMs)
{
    if (m_fd < 0) {
        fail(EBADF);
        return -1;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail(errno);
            break;
        }
        const int ready = waitFor(m_fd, POLLOUT, timeoutMs);
        if (ready <= 0) {
            fail(ready == 0 ? ETIMEDOUT : errno);
            break;
        }
    }
    return static_cast<long>(done);
}

long SerialPort::read(char *buffer, std::size_t size, int timeoutMs)
{
    if (m_fd < 0) {
        fail(EBADF);
        return -1;
    }
    if (size == 0)
        return 0;
    const int ready = waitFor(m_fd, POLLIN, timeoutMs);
    if (ready < 0) {
        fail(errno);
        return -1;
    }
    if (ready == 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        fail(errno);
        return -1;
    }
}

std::string SerialPort::errorText() const
{
    if (m_error == 0)
        return std::string();
    return m_path + ": " + std::strerror(m_error);
}

std::string SerialPort::deviceOfComPort(int number)
{
    const std::string variable = "TESSARON_COM" + std::to_string(number);
    const char *overridden = std::getenv(variable.c_str());
    if (overridden && *overridden)
        return overridden;
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace platform
