// Process start with posix_spawnp, so that a missing program is a start
// failure with its errno rather than a shell's exit code.
#include "platform/Process.h"

#include <QProcess>
#include <QStandardPaths>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace platform {

namespace {

// Starts argv[0] with the arguments; returns 0 and the pid, or an errno.
int spawn(const QStringList &args, pid_t &pid)
{
    if (args.isEmpty())
        return ENOENT;
    std::vector<QByteArray> storage;
    storage.reserve(args.size());
    for (const QString &a : args)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
}

// Waits for pid; returns 0, an errno, or kWaitTimeout. *exitCode gets the
// exit code of a process that ended normally, else -1.
int waitFor(pid_t pid, int milliseconds, int *exitCode = nullptr)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, milliseconds < 0 ? 0 : WNOHANG);
        if (r == pid) {
            if (exitCode)
                *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            return 0;
        }
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return errno == ECHILD ? 0 : errno;
        }
        if (milliseconds >= 0 && Clock::now() >= deadline)
            return Process::kWaitTimeout;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace

int Process::runAndWait(const QString &commandLine)
{
    pid_t pid = 0;
    const int rc = spawn(QProcess::splitCommand(commandLine), pid);
    if (rc != 0)
        return rc;
    return waitFor(pid, -1);
}

int Process::runAndWait(const QString &program, const QStringList &arguments, int *exitCode)
{
    if (exitCode)
        *exitCode = -1;
    pid_t pid = 0;
    const int rc = spawn(QStringList{program} + arguments, pid);
    if (rc != 0)
        return rc;
    return waitFor(pid, -1, exitCode);
}

int Process::runWithTimeout(const QString &commandLine, int milliseconds)
{
    pid_t pid = 0;
    const int rc = spawn(QProcess::splitCommand(commandLine), pid);
    if (rc != 0)
        return rc;
    const int result = waitFor(pid, milliseconds < 0 ? 0 : milliseconds);
    if (result == kWaitTimeout) {
        // The process goes on; reap it in the background so it leaves no zombie.
        std::thread([pid] {
            int status = 0;
            ::waitpid(pid, &status, 0);
        }).detach();
    }
    return result;
}

int Process::startDetached(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    qint64 pid = 0;
    if (process.startDetached(&pid))
        return 0;
    return QFileInfo::exists(program) ? EACCES : ENOENT;
}

QString Process::findProgram(const QStringList &candidates)
{
    for (const QString &c : candidates) {
        if (c.contains(QLatin1Char('/'))) {
            if (QFileInfo(c).isExecutable())
                return c;
            continue;
        }
        const QString found = QStandardPaths::findExecutable(c);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

} // namespace platform
