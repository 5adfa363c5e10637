// One HTTP request to a CDDB server in a worker thread of its own.
//
// The worker opens its own TCP connection without blocking, sends the
// request text, collects every byte until the server closes the connection
// and hands the result to its receiver's thread (the user-interface thread)
// through a synchronous call. Then it ends and frees itself.
//
// Time-out rules: the wait for the connection, and each silence after the
// request was sent or after data last arrived, may last at most the
// time-out. A failed or timed-out request hands over what it received so far
// (often nothing). Looking up a host name is left to the system's resolver,
// whose own limits apply.
#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <functional>

namespace media {

// Result codes handed to the completion.
enum RequestResult : int {
    kRequestOk = 0,          // the server answered and closed the connection
    kRequestException = -2,  // the worker failed; the error text tells why
    kRequestRefused = 1,     // the connection was refused
    kRequestHostNotFound = 2,
    kRequestTimedOut = 3,    // no connection, or silence, for the whole time-out
    kRequestNetworkError = 4,
};

class tTCPThread : public QThread {
    Q_OBJECT

public:
    // Called on the receiver's thread with the worker, the received bytes,
    // a RequestResult and an error text (empty unless the request failed).
    using Completion = std::function<void(tTCPThread *worker, const QByteArray &received, int resultCode,
                                          const QString &errorText)>;

    tTCPThread(QString host, QString port, QByteArray request, int timeOutMs, QObject *receiver,
               Completion completion);
    ~tTCPThread() override;

    const QString &host() const { return m_host; }
    const QString &port() const { return m_port; }

protected:
    void run() override;

private:
    void exchange();

    QString m_host;
    QString m_port;
    QByteArray m_request;
    int m_timeOutMs;
    QObject *m_receiver;
    Completion m_completion;
    QByteArray m_received;
    int m_resultCode = kRequestOk;
    QString m_errorText;
};

// Starts a worker for one request and returns at once. When the worker
// ends, `completion` runs on the thread of `receiver` (the user-interface
// thread), which must keep handling its events meanwhile; while it runs the
// worker waits. `receiver` must outlive the worker's completion (the CDDB
// run waits for it). The worker frees itself; the caller keeps no pointer
// to it.
void StartRequest(const QString &host, const QString &port, const QByteArray &request, int timeOutMs,
                  QObject *receiver, tTCPThread::Completion completion);

} // namespace media
