// A small CDDB server on 127.0.0.1 for the tests: answers HTTP requests the
// way cddbd behind a web server does (HTTP status line, header lines, an
// empty line, the CDDB answer, then close), greets over the line protocol,
// or accepts and stays silent. Runs on the test's thread, so the code under
// test must handle events while it waits, as the CDDB run does.
#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

class LoopbackCddbServer : public QObject {
public:
    enum class Mode { Http, Greeting, Silent };

    explicit LoopbackCddbServer(Mode mode = Mode::Http) : m_mode(mode)
    {
        connect(&m_server, &QTcpServer::newConnection, this, &LoopbackCddbServer::accept);
        m_server.listen(QHostAddress::LocalHost);
    }

    QString port() const { return QString::number(m_server.serverPort()); }

    // The CDDB answer (CR LF lines) to a request's command, such as
    // "cddb+query+0d01f202+2+150+12345+500".
    std::function<QByteArray(const QByteArray &command)> answer;
    // Sends every line end as a bare LF.
    bool bareLf = false;
    QByteArray greeting = "201 cddb.example.net CDDBP server v1.5.2PL0 ready at Wed Dec 09 09:47:01 2026\r\n";

    // The requests received, byte for byte.
    QList<QByteArray> requests;
    // The whole responses sent, byte for byte.
    QList<QByteArray> responses;

    static QByteArray header()
    {
        return "HTTP/1.1 200 OK\r\n"
               "Date: Wed, 09 Dec 2026 09:47:01 GMT\r\n"
               "Server: Apache/2.4.57 (Debian)\r\n"
               "Expires: Wed Dec  9 09:47:01 2026\r\n"
               "Connection: close\r\n"
               "Content-Type: text/plain; charset=ISO-8859-1\r\n"
               "\r\n";
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            if (m_mode == Mode::Greeting)
                socket->write(lineEnds(greeting));
            else if (m_mode == Mode::Http)
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    }

    void serve(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        requests.append(buffer);
        const qsizetype cmd = buffer.indexOf("cmd=");
        const QByteArray command = buffer.mid(cmd + 4, buffer.indexOf('&', cmd) - cmd - 4);
        const QByteArray response = lineEnds(header() + (answer ? answer(command) : QByteArray()));
        responses.append(response);
        m_buffers.remove(socket);
        socket->write(response);
        socket->disconnectFromHost();
    }

    QByteArray lineEnds(QByteArray text) const
    {
        if (bareLf)
            text.replace("\r\n", "\n");
        return text;
    }

    Mode m_mode;
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
