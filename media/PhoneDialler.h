// Dialling from a window: the one entry the address book and the
// appointment book call when the user asks to dial a number.
//
// The route is chosen once, when the dialler is created, by the setting
// TAPI:
// - TAPI on: the number goes to the desktop as a tel: link, and the
//   desktop's call program (whatever the user registered for tel:) places
//   the call. No serial port is ever touched.
// - TAPI off: the modem dialler TTelefon, preset from COMPort, DialMode and
//   COMInit, dials through the modem.
//
// With a call log requested and XELLog on, one line goes to Tessaron.LOG
// beside the program before the call is attempted, so declined and failed
// calls are logged too.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace media {

class TTelefon;

class PhoneDialler : public QObject {
    Q_OBJECT

public:
    enum class CallLog { Off, On };

    // Hands a URL to the desktop; true when the desktop took it.
    using UrlOpener = std::function<bool(const QUrl &url)>;

    // Reads the dialling settings of config(). `window` owns the dialler
    // (and through it the modem port, which is released when the window is
    // destroyed) and is the parent of its dialogs.
    explicit PhoneDialler(QWidget *window);
    ~PhoneDialler() override;

    // Dials `number` (the telephone field's text as displayed) for the
    // called party `label` (the surname, or the appointment's text). With
    // CallLog::On and XELLog set, writes the call line first; a log that
    // cannot be written throws std::runtime_error and nothing is dialled.
    // Control characters are taken out of number and label before they
    // reach the modem or the log. Outcomes of the modem route are told in
    // dialogs; a tel: link that no program takes is reported in an error
    // box. Call it inside tk::guarded.
    void dial(const QString &number, const QString &label, CallLog log);

    // The modem dialler, or nullptr on the telephony route. Owned here.
    TTelefon *telefon() const { return m_telefon; }

    // The tel: link for a number: the digits, '*' and '#', and a leading '+'
    // for an international number, whose trunk zero written as "(0)" is
    // left out. Blanks, slashes, dashes, dots, brackets and letters are
    // dropped. Empty when the number holds nothing to dial.
    static QUrl telUrlOf(const QString &number);

    // Replaces how tel: links reach the desktop (tests); an empty function
    // restores the desktop service.
    static void setUrlOpener(UrlOpener opener);

private:
    void logCall(const QString &number, const QString &label) const;

    TTelefon *m_telefon = nullptr; // child of this, on the modem route only
};

} // namespace media
