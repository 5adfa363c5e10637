#include "platform/SingleInstance.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {
const QByteArray kRaiseRequest = "raise\n";
const QByteArray kRaiseAnswer = "ok\n";
} // namespace

SingleInstance::SingleInstance(const QString &name) : m_name(name) {}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::lockPath() const
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && ::access(QFile::encodeName(runtime).constData(), W_OK) == 0)
        return runtime + QLatin1Char('/') + m_name + QStringLiteral(".lock");
    return QStringLiteral("/tmp/%1-%2.lock").arg(m_name).arg(::getuid());
}

QString SingleInstance::socketPath() const
{
    QString path = lockPath();
    path.chop(QStringLiteral(".lock").size());
    return path + QStringLiteral(".sock");
}

bool SingleInstance::acquire()
{
    release();
    m_alreadyRunning = false;
    m_fd = ::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_alreadyRunning = errno == EWOULDBLOCK;
        if (!m_alreadyRunning)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    return true;
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

bool SingleInstance::listenForRaiseRequests(std::function<void()> raiseRequested)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("the lock is not held");
        return false;
    }
    // Holding the lock makes any socket file left there a dead one.
    const QString path = socketPath();
    QLocalServer::removeServer(path);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        m_error = m_server->errorString();
        m_server.reset();
        return false;
    }
    QLocalServer *server = m_server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server, raiseRequested] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, raiseRequested] {
                // Requests are one short line; anything longer is not ours.
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > 64)
                        socket->abort();
                    return;
                }
                const QByteArray line = socket->readLine(64);
                if (line == kRaiseRequest) {
                    socket->write(kRaiseAnswer);
                    socket->flush();
                    if (raiseRequested)
                        raiseRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool SingleInstance::askHolderToRaise(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRaiseRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine(64) == kRaiseAnswer;
}

} // namespace platform
