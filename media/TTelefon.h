// The modem dialler: dials a number through a modem on a serial port so that
// the handset lifted by the user carries the call on.
//
// A dial opens the port, sends the initialisation command (when there is
// one) and, after the user confirmed the number, the dial command; it then
// asks the user to lift the handset and sends the hang-up command, which
// drops only the modem's side of the line. The dialler only writes: it reads
// no modem answers and waits for nothing but the user's answers. Its dialog
// texts are fixed German texts (one English) and do not come from the
// language files.
//
// A window owns its dialler for its whole life; the port it leaves open
// after a completed dial is released when the next dial starts or when the
// dialler is destroyed.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace platform {
class SerialPort;
}

namespace media {

class TTelefon : public QObject {
    Q_OBJECT
    Q_PROPERTY(TCPort CPort READ CPort WRITE setCPort)
    Q_PROPERTY(QString InitStr READ InitStr WRITE setInitStr)
    Q_PROPERTY(TDMethod DMethod READ DMethod WRITE setDMethod)
    Q_PROPERTY(QString TelNumber READ TelNumber WRITE setTelNumber)

public:
    // The serial port; COM1 to COM4 are the devices of platform::SerialPort
    // ::deviceOfComPort(1) to (4).
    enum TCPort { COM1, COM2, COM3, COM4 };
    Q_ENUM(TCPort)
    enum TDMethod { dmTone, dmPulse };
    Q_ENUM(TDMethod)

    // `owner` destroys the dialler; its window (or the nearest window above
    // it) is the parent of the dialogs.
    explicit TTelefon(QObject *owner);
    // Releases a port that is still open.
    ~TTelefon() override;

    // Dials TelNumber with the current properties. Every outcome is told to
    // the user in a dialog; nothing is returned. A dial that fails or that
    // the user declines leaves the port closed, a completed one leaves it
    // open. Runs modal dialogs, so events are handled meanwhile.
    void Dial();

    // Opens the port of CPort, closing it first when it is open. A failed
    // open asks "Fehler beim Öffnen von COMn" with Abort and Retry until the
    // open succeeds or the user aborts. Returns true when the port is open.
    bool OpenPort();

    // Closes the port when it is open.
    void ClosePort();

    // Writes `text` as Windows-1252 bytes. Returns true only when the port is
    // open and every byte was written.
    bool SendString(const QString &text);

    bool portOpen() const;

    // How long a write may stall before it counts as failed (a modem that
    // takes nothing, or flow control that never releases).
    int writeTimeoutMs() const { return m_writeTimeoutMs; }
    void setWriteTimeoutMs(int milliseconds) { m_writeTimeoutMs = milliseconds; }

    TCPort CPort() const { return m_cPort; }
    void setCPort(TCPort port) { m_cPort = port; }
    const QString &InitStr() const { return m_initStr; }
    void setInitStr(const QString &text) { m_initStr = text; }
    TDMethod DMethod() const { return m_dMethod; }
    void setDMethod(TDMethod method) { m_dMethod = method; }
    const QString &TelNumber() const { return m_telNumber; }
    void setTelNumber(const QString &number) { m_telNumber = number; }

    // "COM1" to "COM4".
    static QString portName(TCPort port);

private:
    QWidget *dialogParent() const;

    std::unique_ptr<platform::SerialPort> m_port;
    TCPort m_cPort = COM2;
    QString m_initStr;
    TDMethod m_dMethod = dmTone;
    QString m_telNumber = QStringLiteral("1234");
    int m_writeTimeoutMs = 3000;
};

} // namespace media
