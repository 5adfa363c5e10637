// CDDB line-protocol greeting.
#include "media/tCDDBPCommander.h"

#include <QElapsedTimer>
#include <QTcpSocket>

namespace media {

namespace {

constexpr int kPollMs = 10;

} // namespace

tCDDBPCommander::tCDDBPCommander(QString host, QString port, int timeOutMs, std::function<void()> processEvents)
    : m_host(std::move(host)), m_port(std::move(port)), m_timeOutMs(timeOutMs),
      m_processEvents(std::move(processEvents)), m_socket(std::make_unique<QTcpSocket>())
{
}

tCDDBPCommander::~tCDDBPCommander()
{
    Disconnect();
}

bool tCDDBPCommander::connected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

int tCDDBPCommander::Connect()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        return -1;
    m_received.clear();
    bool ok = false;
    const quint16 port = m_port.trimmed().toUShort(&ok);
    if (!ok || port == 0)
        return -3;

    QElapsedTimer noted;
    noted.start();
    m_socket->connectToHost(m_host, port);
    while (m_socket->state() != QAbstractSocket::ConnectedState
           && m_socket->state() != QAbstractSocket::UnconnectedState && noted.elapsed() <= m_timeOutMs) {
        m_socket->waitForConnected(kPollMs);
        if (m_processEvents)
            m_processEvents();
    }
    if (!connected())
        m_socket->abort();

    noted.restart();
    while (connected() && m_received.isEmpty() && noted.elapsed() <= m_timeOutMs) {
        if (m_socket->waitForReadyRead(kPollMs))
            m_received += m_socket->readAll();
        else if (m_processEvents)
            m_processEvents();
    }
    if (m_socket->isOpen())
        m_received += m_socket->readAll();

    if (m_received.isEmpty() || m_received[0] < '0' || m_received[0] > '9')
        return -3;
    const int code = m_received.left(3).toInt(&ok);
    return ok && m_received.size() >= 3 ? code : -2;
}

void tCDDBPCommander::Disconnect()
{
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

} // namespace media
