// Dialling: the modem conversation over a pseudo-terminal standing in for
// COM2 (the test reads the bytes the modem would get), the dialogs, the tel:
// route and the call log lines.
#include "app/Config.h"
#include "media/PhoneDialler.h"
#include "media/TTelefon.h"
#include "platform/SerialPort.h"
#include "toolkit/text/MessageBox.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "testing/TestRegistry.h"

using media::PhoneDialler;
using media::TTelefon;
using Answer = tk::MessageBox::Answer;

namespace {

const QString kNumber = QStringLiteral("0316/12 34-5");
const QString kConfirm = QStringLiteral("W\u00E4hle: 0316/12 34-5. Sind Sie sicher ?");
const QString kLift = QStringLiteral("Heben Sie jetzt den H\u00F6rer ab");

// A pseudo-terminal playing the modem. The test keeps a descriptor of the
// port side open as well, so the terminal never hangs up while the dialler
// closes and reopens it.
struct PseudoModem {
    int master = -1;
    int slaveHold = -1;
    QByteArray slavePath;

    PseudoModem()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            return;
        slavePath = ::ptsname(master);
        slaveHold = ::open(slavePath.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~PseudoModem()
    {
        if (slaveHold >= 0)
            ::close(slaveHold);
        if (master >= 0)
            ::close(master);
    }

    // Everything the modem received until the line stays quiet.
    QByteArray received() const
    {
        QByteArray got;
        char buffer[4096];
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, 100) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<int>(n));
        }
        return got;
    }
};

void presetAnswers(std::initializer_list<Answer> answers)
{
    tk::MessageBox::clearPresets();
    for (Answer a : answers)
        tk::MessageBox::presetAnswer(a);
}

QByteArray readLog(const QString &dir)
{
    QFile file(dir + QStringLiteral("/Tessaron.LOG"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

class TestTelefon : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PseudoModem> m_modem;
    std::unique_ptr<QTemporaryDir> m_progDir;
    QList<QUrl> m_opened;

private slots:
    void init()
    {
        m_modem = std::make_unique<PseudoModem>();
        QVERIFY(m_modem->slaveHold >= 0);
        qputenv("TESSARON_COM2", m_modem->slavePath);
        m_progDir = std::make_unique<QTemporaryDir>();
        Config &cfg = config();
        cfg.ProgDir = m_progDir->path();
        cfg.TAPI = false;
        cfg.COMPort = 2;
        cfg.COMInit = QStringLiteral("ATX3");
        cfg.DialMode = QStringLiteral("T");
        cfg.XELLog = false;
        m_opened.clear();
        PhoneDialler::setUrlOpener([this](const QUrl &url) {
            m_opened.append(url);
            return true;
        });
        tk::MessageBox::clearPresets();
    }

    void cleanup()
    {
        tk::MessageBox::clearPresets();
        PhoneDialler::setUrlOpener({});
        qunsetenv("TESSARON_COM2");
        m_modem.reset();
    }

    void dialSendsTheModemCommands_data()
    {
        QTest::addColumn<QString>("dialMode");
        QTest::addColumn<QString>("initString");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("tone with init") << "T" << "ATX3" << QByteArray("ATX3\r\nATDT0316/12 34-5\r\nATH\r\n");
        QTest::newRow("pulse with init") << "P" << "AT&F" << QByteArray("AT&F\r\nATDP0316/12 34-5\r\nATH\r\n");
        QTest::newRow("tone without init") << "T" << "" << QByteArray("ATDT0316/12 34-5\r\nATH\r\n");
        QTest::newRow("lower-case t is pulse") << "t" << "" << QByteArray("ATDP0316/12 34-5\r\nATH\r\n");
        QTest::newRow("empty mode is pulse") << "" << "" << QByteArray("ATDP0316/12 34-5\r\nATH\r\n");
    }

    void dialSendsTheModemCommands()
    {
        QFETCH(QString, dialMode);
        QFETCH(QString, initString);
        QFETCH(QByteArray, expected);
        config().DialMode = dialMode;
        config().COMInit = initString;
        QWidget window;
        PhoneDialler dialler(&window);
        QVERIFY(dialler.telefon());

        presetAnswers({Answer::Yes, Answer::Ok});
        const int shown = tk::MessageBox::shownCount();
        dialler.dial(kNumber, QStringLiteral("Huber"), PhoneDialler::CallLog::On);
        QCOMPARE(m_modem->received(), expected);
        QCOMPARE(tk::MessageBox::shownCount() - shown, 2);
        QCOMPARE(tk::MessageBox::lastText(), kLift);
        // A completed dial keeps the port; the next one reopens it.
        QVERIFY(dialler.telefon()->portOpen());

        presetAnswers({Answer::Yes, Answer::Ok});
        dialler.dial(QStringLiteral("110"), QString(), PhoneDialler::CallLog::On);
        QVERIFY(m_modem->received().endsWith("110\r\nATH\r\n"));
        QVERIFY(!QFile::exists(m_progDir->path() + QStringLiteral("/Tessaron.LOG")));
    }

    void declinedDialSendsOnlyTheInit()
    {
        QWidget window;
        PhoneDialler dialler(&window);
        presetAnswers({Answer::No});
        dialler.dial(kNumber, QStringLiteral("Huber"), PhoneDialler::CallLog::Off);
        QCOMPARE(tk::MessageBox::lastText(), kConfirm);
        QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Confirmation);
        QCOMPARE(m_modem->received(), QByteArray("ATX3\r\n"));
        QVERIFY(!dialler.telefon()->portOpen());
    }

    void openFailureAsksUntilAborted()
    {
        QTemporaryDir dir;
        qputenv("TESSARON_COM2", (dir.path() + QStringLiteral("/ttyS1")).toLocal8Bit());
        TTelefon telefon(nullptr);

        presetAnswers({Answer::Abort});
        QVERIFY(!telefon.OpenPort());
        QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Fehler beim \u00D6ffnen von COM2"));
        QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Warning);

        // Retry tries again as often as asked; Abort brings the second box.
        presetAnswers({Answer::Retry, Answer::Retry, Answer::Abort, Answer::Ok});
        const int shown = tk::MessageBox::shownCount();
        telefon.Dial();
        QCOMPARE(tk::MessageBox::shownCount() - shown, 4);
        QCOMPARE(tk::MessageBox::lastText(), QStringLiteral("Not able to open port "));
        QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
        QVERIFY(!telefon.SendString(QStringLiteral("AT\r\n")));
    }

    void stalledModemReportsAndClosesThePort_data()
    {
        // The terminal takes a few kilobytes at most before it stalls.
        const QString flood(1024 * 1024, QLatin1Char('9'));
        QTest::addColumn<QString>("initString");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("init") << flood << kNumber << QStringLiteral("Fehler beim Initialisieren des Modems ");
        QTest::newRow("dial") << QString() << flood << QStringLiteral("Fehler beim W\u00E4hlen.");
    }

    void stalledModemReportsAndClosesThePort()
    {
        QFETCH(QString, initString);
        QFETCH(QString, number);
        QFETCH(QString, message);
        TTelefon telefon(nullptr);
        telefon.setWriteTimeoutMs(100);
        telefon.setInitStr(initString);
        telefon.setTelNumber(number);
        presetAnswers({Answer::Yes, Answer::Ok});
        telefon.Dial();
        QCOMPARE(tk::MessageBox::lastText(), message);
        QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
        QVERIFY(!telefon.portOpen());
    }

    void presetsFromTheSettings_data()
    {
        QTest::addColumn<int>("comPort");
        QTest::addColumn<int>("expected");
        QTest::newRow("COM1") << 1 << int(TTelefon::COM1);
        QTest::newRow("COM4") << 4 << int(TTelefon::COM4);
        QTest::newRow("0 keeps COM2") << 0 << int(TTelefon::COM2);
        QTest::newRow("5 keeps COM2") << 5 << int(TTelefon::COM2);
    }

    void presetsFromTheSettings()
    {
        QFETCH(int, comPort);
        QFETCH(int, expected);
        config().COMPort = comPort;
        QWidget window;
        PhoneDialler dialler(&window);
        QCOMPARE(int(dialler.telefon()->CPort()), expected);
        QCOMPARE(dialler.telefon()->InitStr(), QStringLiteral("ATX3"));
    }

    void closingTheWindowReleasesThePort()
    {
        auto *window = new QWidget;
        auto *dialler = new PhoneDialler(window);
        presetAnswers({Answer::Yes, Answer::Ok});
        dialler->dial(kNumber, QString(), PhoneDialler::CallLog::Off);
        QVERIFY(dialler->telefon()->portOpen());

        platform::SerialPort other;
        QVERIFY(other.open(m_modem->slavePath.toStdString()) != 0);
        delete window;
        QCOMPARE(other.open(m_modem->slavePath.toStdString()), 0);
    }

    void telephonyRouteHandsATelLink()
    {
        config().TAPI = true;
        qputenv("TESSARON_COM2", "/nonexistent/ttyS1");
        QWidget window;
        PhoneDialler dialler(&window);
        QVERIFY(!dialler.telefon());

        const int shown = tk::MessageBox::shownCount();
        dialler.dial(QStringLiteral("+49 (0)221 123 45-67"), QStringLiteral("Huber"), PhoneDialler::CallLog::On);
        // An empty field (a double-click on an appointment without a number)
        // gives the desktop nothing.
        dialler.dial(QString(), QStringLiteral("Zahnarzt"), PhoneDialler::CallLog::Off);
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.first().toString(), QStringLiteral("tel:+492211234567"));
        QCOMPARE(tk::MessageBox::shownCount(), shown);
    }

    void telLinks_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("link");
        QTest::newRow("separators") << "0316/12 34-5" << QByteArray("tel:031612345");
        QTest::newRow("brackets and dots") << "(030) 123.45" << QByteArray("tel:03012345");
        QTest::newRow("international") << " +43 (0)316 1234" << QByteArray("tel:+433161234");
        QTest::newRow("plus inside") << "0049+221" << QByteArray("tel:0049221");
        QTest::newRow("service code") << "*31#0316" << QByteArray("tel:*31%230316");
        QTest::newRow("nothing to dial") << "unbekannt" << QByteArray();
    }

    void telLinks()
    {
        QFETCH(QString, number);
        QFETCH(QByteArray, link);
        QCOMPARE(PhoneDialler::telUrlOf(number).toEncoded(), link);
    }

    void callLogLines()
    {
        config().XELLog = true;
        config().COMPort = 5;
        {
            QWidget window;
            PhoneDialler dialler(&window);
            presetAnswers({Answer::No});
            dialler.dial(QStringLiteral("0316/1234"), QStringLiteral("Huber"), PhoneDialler::CallLog::On);
            // The appointment book writes no line.
            presetAnswers({Answer::No});
            dialler.dial(QStringLiteral("0316/1234"), QStringLiteral("Zahnarzt"), PhoneDialler::CallLog::Off);
        }
        config().TAPI = true;
        {
            QWidget window;
            PhoneDialler dialler(&window);
            dialler.dial(QStringLiteral("0316/1234"), QStringLiteral("Huber"), PhoneDialler::CallLog::On);
        }
        const QList<QByteArray> lines = readLog(m_progDir->path()).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].endsWith(": Called 0316/1234 [Huber] on COM5, Init ATX3 via internal Call\r"), lines[0]);
        QVERIFY2(lines[1].endsWith(": Called 0316/1234 [Huber] via Windows95-TAPI\r"), lines[1]);
        QVERIFY(lines[2].isEmpty());
        // Date and time come first.
        QVERIFY(lines[0].at(0) >= '0' && lines[0].at(0) <= '9');
    }

    void controlCharactersNeverReachModemOrLog()
    {
        // A stored CR would end the dial command and start one of its own.
        config().XELLog = true;
        config().COMInit = QString();
        QWidget window;
        PhoneDialler dialler(&window);
        presetAnswers({Answer::Yes, Answer::Ok});
        dialler.dial(QStringLiteral("0316\rATZ\n12\x07" "34"), QStringLiteral("Hu\r\nber"), PhoneDialler::CallLog::On);
        QCOMPARE(m_modem->received(), QByteArray("ATDT0316ATZ1234\r\nATH\r\n"));
        const QList<QByteArray> lines = readLog(m_progDir->path()).split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].endsWith(": Called 0316ATZ1234 [Huber] on COM2, Init  via internal Call\r"), lines[0]);
    }

    void telLinkThatNoProgramTakesIsReported()
    {
        config().TAPI = true;
        PhoneDialler::setUrlOpener([](const QUrl &) { return false; });
        QWidget window;
        PhoneDialler dialler(&window);
        presetAnswers({Answer::Ok});
        const int shown = tk::MessageBox::shownCount();
        dialler.dial(QStringLiteral("0316/1234"), QStringLiteral("Huber"), PhoneDialler::CallLog::Off);
        QCOMPARE(tk::MessageBox::shownCount(), shown + 1);
        QCOMPARE(tk::MessageBox::lastKind(), tk::MessageBox::Kind::Error);
        QVERIFY(tk::MessageBox::lastText().contains(QStringLiteral("0316/1234")));
    }
};

TESSARON_TEST(TestTelefon)
#include "TestTelefon.moc"
