// The receiver of one CDDB request's completion: keeps the answer and a done
// flag that the waiting run polls.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace media {

class tTCPThread;

class tMyPutter : public QObject {
    Q_OBJECT

public:
    explicit tMyPutter(QObject *parent = nullptr) : QObject(parent) {}

    // Clears the done flag before a request starts.
    void reset();
    bool done() const { return m_done; }

    // The completion of a request: keeps what the worker received and sets
    // the done flag. Runs on the user-interface thread.
    void requestDone(tTCPThread *worker, const QByteArray &received, int resultCode, const QString &errorText);

    // The answer of the last request that completed (only one is in flight
    // at a time), with its result code and error text.
    const QByteArray &lastAnswer() const { return m_lastAnswer; }
    int resultCode() const { return m_resultCode; }
    const QString &errorText() const { return m_errorText; }

private:
    bool m_done = false;
    QByteArray m_lastAnswer;
    int m_resultCode = 0;
    QString m_errorText;
};

} // namespace media
