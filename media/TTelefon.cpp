// The modem dialler: the port, the modem commands and the dialogs around
// them.
#include "media/TTelefon.h"

#include "platform/SerialPort.h"
#include "toolkit/text/MessageBox.h"
#include "util/Ansi.h"

#include <QWidget>

namespace media {

namespace {

using tk::MessageBox;

// The dialler's own texts; they are not translated.
const QString kOpenFailed = QStringLiteral("Fehler beim \u00D6ffnen von ");
const QString kNotOpen = QStringLiteral("Not able to open port ");
const QString kInitFailed = QStringLiteral("Fehler beim Initialisieren des Modems ");
const QString kConfirmFormat = QStringLiteral("W\u00E4hle: %1. Sind Sie sicher ?");
const QString kDialFailed = QStringLiteral("Fehler beim W\u00E4hlen.");
const QString kLiftCaption = QStringLiteral("W\u00E4hle...");
const QString kLiftText = QStringLiteral("Heben Sie jetzt den H\u00F6rer ab");

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

TTelefon::TTelefon(QObject *owner)
    : QObject(owner), m_port(std::make_unique<platform::SerialPort>())
{
}

TTelefon::~TTelefon()
{
    ClosePort();
}

QString TTelefon::portName(TCPort port)
{
    return QStringLiteral("COM%1").arg(static_cast<int>(port) + 1);
}

bool TTelefon::portOpen() const
{
    return m_port->isOpen();
}

QWidget *TTelefon::dialogParent() const
{
    for (QObject *o = parent(); o; o = o->parent()) {
        if (o->isWidgetType())
            return static_cast<QWidget *>(o)->window();
    }
    return nullptr;
}

bool TTelefon::OpenPort()
{
    const QString name = portName(m_cPort);
    if (m_port->isOpen())
        ClosePort();
    const std::string device = platform::SerialPort::deviceOfComPort(static_cast<int>(m_cPort) + 1);
    while (m_port->open(device) != 0) {
        // The text names the port as the user knows it; the device path and
        // the reason stay in the port's error text.
        if (MessageBox::warning(dialogParent(), kOpenFailed + name, MessageBox::Buttons::AbortRetry)
            != MessageBox::Answer::Retry)
            break;
    }
    return m_port->isOpen();
}

void TTelefon::ClosePort()
{
    m_port->close();
}

bool TTelefon::SendString(const QString &text)
{
    if (!m_port->isOpen())
        return false;
    const std::string bytes = toAnsi(text);
    return m_port->write(bytes, m_writeTimeoutMs) == static_cast<long>(bytes.size());
}

void TTelefon::Dial()
{
    QWidget *parent = dialogParent();
    if (!OpenPort()) {
        MessageBox::error(parent, kNotOpen);
        return;
    }
    if (!m_initStr.isEmpty() && !SendString(m_initStr + kLineEnd)) {
        MessageBox::error(parent, kInitFailed);
        ClosePort();
        return;
    }
    if (MessageBox::confirmation(parent, kConfirmFormat.arg(m_telNumber)) != MessageBox::Answer::Yes) {
        ClosePort();
        return;
    }
    // The number goes out as displayed; the modem skips what it cannot dial.
    const QString command = (m_dMethod == dmTone ? QStringLiteral("ATDT") : QStringLiteral("ATDP")) + m_telNumber
        + kLineEnd;
    if (!SendString(command)) {
        MessageBox::error(parent, kDialFailed);
        ClosePort();
        return;
    }
    if (MessageBox::show(parent, MessageBox::Kind::Information, kLiftText, MessageBox::Buttons::Ok, kLiftCaption)
        == MessageBox::Answer::Ok)
        SendString(QStringLiteral("ATH") + kLineEnd);
}

} // namespace media
