// Serial ports over a pseudo-terminal: the test holds the terminal's other
// end and sees every byte the port writes.
#include "platform/SerialPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "testing/TestRegistry.h"

using platform::SerialPort;

namespace {

struct Pty {
    int master = -1;
    std::string slave;

    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = ::ptsname(master);
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }

    // Everything that arrives until the line stays quiet for `quietMs`.
    QByteArray read(int quietMs = 150) const
    {
        QByteArray got;
        char buffer[4096];
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, quietMs) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<int>(n));
        }
        return got;
    }
};

} // namespace

class TestSerialPort : public QObject {
    Q_OBJECT

private slots:
    void bytesPassUnchangedBothWays()
    {
        Pty pty;
        QVERIFY(!pty.slave.empty());
        SerialPort port;
        QCOMPARE(port.open(pty.slave), 0);
        QVERIFY(port.isOpen());

        // Raw mode: no line-end translation on the way out...
        const std::string command = "ATDT0316/12 34-5\r\n\x1b\n";
        QCOMPARE(port.write(command, 1000), static_cast<long>(command.size()));
        QCOMPARE(pty.read(), QByteArray::fromStdString(command));

        // ... nor on the way in, and no echo back to the sender.
        QCOMPARE(::write(pty.master, "OK\r\n", 4), ssize_t(4));
        char buffer[64];
        const long n = port.read(buffer, sizeof buffer, 1000);
        QCOMPARE(QByteArray(buffer, static_cast<int>(n)), QByteArray("OK\r\n"));
        QCOMPARE(pty.read(50), QByteArray());

        // Silence reads as nothing once the time-out has passed.
        QCOMPARE(port.read(buffer, sizeof buffer, 50), 0L);
    }

    void openFailuresLeaveThePortClosed()
    {
        QTemporaryDir dir;
        SerialPort port;
        const std::string missing = dir.path().toStdString() + "/ttyS9";
        QCOMPARE(port.open(missing), ENOENT);
        QVERIFY(!port.isOpen());
        QVERIFY(port.errorText().find(missing) == 0);

        // A plain file is no port.
        const std::string plain = dir.path().toStdString() + "/plain";
        QFile file(QString::fromStdString(plain));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(port.open(plain), ENOTTY);
        QVERIFY(!port.isOpen());

        QCOMPARE(port.write("AT\r\n", 10), -1L);
        char c;
        QCOMPARE(port.read(&c, 1, 10), -1L);
    }

    void openIsExclusiveUntilClosed()
    {
        Pty pty;
        SerialPort first;
        SerialPort second;
        QCOMPARE(first.open(pty.slave), 0);
        QCOMPARE(second.open(pty.slave), EBUSY);
        QVERIFY(!second.isOpen());

        first.close();
        first.close();
        QCOMPARE(second.open(pty.slave), 0);
    }

    void stalledWriteStopsAtTheTimeOut()
    {
        Pty pty;
        SerialPort port;
        QCOMPARE(port.open(pty.slave), 0);
        // Nobody reads the other end, so the terminal's buffer fills up.
        const std::string flood(4 * 1024 * 1024, 'A');
        const long written = port.write(flood, 100);
        QVERIFY(written >= 0);
        QVERIFY(written < static_cast<long>(flood.size()));
        QCOMPARE(port.lastError(), ETIMEDOUT);
    }

    void comPortDevices()
    {
        ::unsetenv("TESSARON_COM3");
        QCOMPARE(SerialPort::deviceOfComPort(1), std::string("/dev/ttyS0"));
        QCOMPARE(SerialPort::deviceOfComPort(3), std::string("/dev/ttyS2"));
        ::setenv("TESSARON_COM3", "", 1);
        QCOMPARE(SerialPort::deviceOfComPort(3), std::string("/dev/ttyS2"));
        ::setenv("TESSARON_COM3", "/dev/ttyACM0", 1);
        QCOMPARE(SerialPort::deviceOfComPort(3), std::string("/dev/ttyACM0"));
        ::unsetenv("TESSARON_COM3");
    }
};

TESSARON_TEST(TestSerialPort)
#include "TestSerialPort.moc"
