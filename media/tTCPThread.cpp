// The worker thread of one HTTP request.
#include "media/tTCPThread.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <stdexcept>

namespace media {

namespace {

// How often the worker handles its connection's events.
constexpr int kPollMs = 10;

int resultOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError: return kRequestOk;
    case QAbstractSocket::ConnectionRefusedError: return kRequestRefused;
    case QAbstractSocket::HostNotFoundError: return kRequestHostNotFound;
    case QAbstractSocket::SocketTimeoutError: return kRequestTimedOut;
    default: return kRequestNetworkError;
    }
}

} // namespace

tTCPThread::tTCPThread(QString host, QString port, QByteArray request, int timeOutMs, QObject *receiver,
                       Completion completion)
    : m_host(std::move(host)), m_port(std::move(port)), m_request(std::move(request)), m_timeOutMs(timeOutMs),
      m_receiver(receiver), m_completion(std::move(completion))
{
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

tTCPThread::~tTCPThread()
{
    wait();
}

void tTCPThread::exchange()
{
    bool ok = false;
    const quint16 port = m_port.trimmed().toUShort(&ok);
    if (!ok || port == 0)
        throw std::invalid_argument("Invalid port \"" + m_port.toStdString() + "\"");

    QTcpSocket socket;
    QElapsedTimer noted;
    noted.start();
    socket.connectToHost(m_host, port);
    while (socket.state() != QAbstractSocket::ConnectedState && socket.state() != QAbstractSocket::UnconnectedState
           && noted.elapsed() <= m_timeOutMs)
        socket.waitForConnected(kPollMs);

    if (socket.state() != QAbstractSocket::ConnectedState) {
        if (socket.state() != QAbstractSocket::UnconnectedState) {
            m_resultCode = kRequestTimedOut;
            m_errorText = QStringLiteral("Connection timed out");
        } else {
            m_resultCode = resultOf(socket.error());
            m_errorText = socket.errorString();
        }
        socket.abort();
        return;
    }

    noted.restart();
    socket.write(m_request);
    while (socket.state() == QAbstractSocket::ConnectedState && noted.elapsed() <= m_timeOutMs) {
        if (socket.waitForReadyRead(kPollMs)) {
            noted.restart();
            m_received += socket.readAll();
        }
    }
    // What arrived together with the close.
    m_received += socket.readAll();
    if (socket.state() == QAbstractSocket::ConnectedState) {
        m_resultCode = kRequestTimedOut;
        m_errorText = QStringLiteral("No answer within the time-out");
        socket.abort();
    } else {
        m_resultCode = resultOf(socket.error());
        if (m_resultCode != kRequestOk)
            m_errorText = socket.errorString();
    }
}

void tTCPThread::run()
{
    m_received.clear();
    try {
        exchange();
    } catch (const std::exception &e) {
        m_resultCode = kRequestException;
        m_errorText = QString::fromLocal8Bit(e.what());
    }
    if (!m_completion || !m_receiver)
        return;
    // Runs on the receiver's thread while this one waits.
    QMetaObject::invokeMethod(
        m_receiver, [this] { m_completion(this, m_received, m_resultCode, m_errorText); },
        Qt::BlockingQueuedConnection);
}

void StartRequest(const QString &host, const QString &port, const QByteArray &request, int timeOutMs,
                  QObject *receiver, tTCPThread::Completion completion)
{
    // Owned by itself from here: it is deleted after it finished.
    auto *worker = new tTCPThread(host, port, request, timeOutMs, receiver, std::move(completion));
    worker->start();
}

} // namespace media
