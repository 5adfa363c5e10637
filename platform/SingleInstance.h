// A named lock that tells whether another instance of the program runs for
// the same user. It is an advisory lock on a file in the user's runtime
// directory; the system drops it when the holding process ends, however it ends.
#pragma once

#include <QString>

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

    // Gives the lock up (also done by the destructor).
    void release();

    // The lock file: $XDG_RUNTIME_DIR/<name>.lock, else /tmp/<name>-<uid>.lock.
    QString lockPath() const;

private:
    QString m_name;
    QString m_error;
    int m_fd = -1;
    bool m_alreadyRunning = false;
};

} // namespace platform
