// A named lock that tells whether another instance of the program runs for
// the same user. It is an advisory lock on a file in the user's runtime
// directory; the system drops it when the holding process ends, however it ends.
//
// The holder may also listen on a local socket beside the lock file, so that
// a later start can ask it to bring its window to the front.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace platform {

class SingleInstance {
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Takes the lock. Returns false when another process holds it already
    // (and also when the lock file cannot be created, in which case
    // error() says why and the caller may go on as the only instance).
    bool acquire();
    bool alreadyRunning() const { return m_alreadyRunning; }
    QString error() const { return m_error; }

    // Gives the lock up (also done by the destructor); stops listening.
    void release();

    // Holder only: from now on, every "raise" request of a later start calls
    // `raiseRequested` on this thread's event loop. Returns false (with
    // error()) when the socket cannot be set up; the lock stays held.
    bool listenForRaiseRequests(std::function<void()> raiseRequested);

    // A later start: asks the holder to raise its window. Returns true when
    // the holder confirmed within `timeoutMs`; false when no holder listens
    // (an older or hung instance), which is not an error for the caller.
    bool askHolderToRaise(int timeoutMs = 1000) const;

    // The lock file: $XDG_RUNTIME_DIR/<name>.lock, else /tmp/<name>-<uid>.lock.
    QString lockPath() const;
    // The socket of the raise requests: the lock path ending in ".sock".
    QString socketPath() const;

private:
    QString m_name;
    QString m_error;
    int m_fd = -1;
    bool m_alreadyRunning = false;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace platform
