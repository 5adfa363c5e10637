// One connection over the CDDB line protocol (cddbp): connects and reads the
// server's greeting. Runs on the calling thread; every wait is bounded by
// the time-out and lets the caller handle its events meanwhile.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QTcpSocket;

namespace media {

class tCDDBPCommander {
public:
    // `processEvents` (may be empty) runs between the short waits, so the
    // window stays responsive.
    tCDDBPCommander(QString host, QString port, int timeOutMs, std::function<void()> processEvents = {});
    ~tCDDBPCommander();
    tCDDBPCommander(const tCDDBPCommander &) = delete;
    tCDDBPCommander &operator=(const tCDDBPCommander &) = delete;

    // Connects and waits for the greeting. Returns the greeting's code (200
    // read-write, 201 read-only, 432/433 refused, ...), -1 when the
    // connection is already open, -2 when the greeting begins with a digit
    // but not with a three-digit number, -3 when nothing (or no code)
    // arrived.
    int Connect();
    // Closes the connection if it is open.
    void Disconnect();

    bool connected() const;
    // Everything received so far.
    const QByteArray &received() const { return m_received; }

private:
    QString m_host;
    QString m_port;
    int m_timeOutMs;
    std::function<void()> m_processEvents;
    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_received;
};

} // namespace media
