// The window side of dialling: the route by the settings, the dialler
// presets, the call log line and the tel: link.
#include "media/PhoneDialler.h"

#include "app/Config.h"
#include "media/TTelefon.h"
#include "platform/DesktopHandler.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

namespace media {

namespace {

PhoneDialler::UrlOpener &urlOpener()
{
    static PhoneDialler::UrlOpener opener;
    return opener;
}

bool openUrl(const QUrl &url)
{
    if (urlOpener())
        return urlOpener()(url);
    // Only a program the desktop registered for tel: takes the link; the
    // general opener would accept it and then fail where nobody sees it.
    const QString command = platform::DesktopHandler::registeredCommandFor(QStringLiteral("tel"));
    return !command.isEmpty() && platform::DesktopHandler::start(command, url.toString());
}

constexpr int kTextNoCallProgram = 10953;

// Control characters would reach the modem as commands of their own (a CR
// ends the dial command) and break the log into extra lines.
QString withoutControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && c.category() != QChar::Other_Control)
            out += c;
    }
    return out;
}

} // namespace

PhoneDialler::PhoneDialler(QWidget *window) : QObject(window)
{
    const Config &cfg = config();
    if (cfg.TAPI)
        return;
    m_telefon = new TTelefon(this);
    if (cfg.COMPort >= 1 && cfg.COMPort <= 4)
        m_telefon->setCPort(static_cast<TTelefon::TCPort>(cfg.COMPort - 1));
    m_telefon->setDMethod(cfg.DialMode == QLatin1String("T") ? TTelefon::dmTone : TTelefon::dmPulse);
    m_telefon->setInitStr(cfg.COMInit);
}

PhoneDialler::~PhoneDialler() = default;

void PhoneDialler::setUrlOpener(UrlOpener opener)
{
    urlOpener() = std::move(opener);
}

QUrl PhoneDialler::telUrlOf(const QString &number)
{
    QString digits;
    const QString trimmed = number.trimmed();
    const bool international = trimmed.startsWith(QLatin1Char('+'));
    QString rest = international ? trimmed.mid(1) : trimmed;
    if (international)
        rest.replace(QStringLiteral("(0)"), QString());
    for (const QChar c : rest) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('*') || c == QLatin1Char('#'))
            digits += c;
    }
    if (digits.isEmpty())
        return QUrl();
    // Built from parts, so '#' stays part of the number instead of starting
    // a fragment.
    QUrl url;
    url.setScheme(QStringLiteral("tel"));
    url.setPath(international ? QLatin1Char('+') + digits : digits, QUrl::DecodedMode);
    return url;
}

void PhoneDialler::logCall(const QString &number, const QString &label) const
{
    const Config &cfg = config();
    QString entry = QStringLiteral(": Called ") + number + QStringLiteral(" [") + label;
    if (m_telefon)
        entry += QStringLiteral("] on COM") + QString::number(cfg.COMPort) + QStringLiteral(", Init ") + cfg.COMInit
            + QStringLiteral(" via internal Call");
    else
        entry += QStringLiteral("] via Windows95-TAPI");
    AppendLog(entry, true);
}

void PhoneDialler::dial(const QString &storedNumber, const QString &storedLabel, CallLog log)
{
    const QString number = withoutControls(storedNumber);
    const QString label = withoutControls(storedLabel);
    if (log == CallLog::On && config().XELLog)
        logCall(number, label);
    if (m_telefon) {
        m_telefon->setTelNumber(number);
        m_telefon->Dial();
        return;
    }
    const QUrl url = telUrlOf(number);
    if (!url.isEmpty() && !openUrl(url)) {
        const QString text = tk::langText(kTextNoCallProgram);
        tk::MessageBox::error(qobject_cast<QWidget *>(parent()),
                              tk::formatText(text.isEmpty() ? QStringLiteral("%s") : text, {number.trimmed()}));
    }
}

} // namespace media
