// Modal message boxes of the four kinds with named button sets.
//
// Every message box of the program goes through this class, so a test can
// preset the next answer (the box is then not shown at all) and read what
// would have been shown.
#pragma once

#include <QString>

class QWidget;

namespace tk {

class MessageBox {
public:
    enum class Kind { Warning, Error, Information, Confirmation };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel, AbortRetry, Cancel };
    enum class Answer { None, Ok, Cancel, Yes, No, Abort, Retry, Ignore };

    // Shows a modal box and returns the button pressed; closing the box
    // counts as Cancel (or No where there is no Cancel). The caption defaults
    // to the application's name.
    static Answer show(QWidget *parent, Kind kind, const QString &text, Buttons buttons,
                       const QString &caption = QString());

    static Answer warning(QWidget *parent, const QString &text, Buttons buttons = Buttons::Ok);
    static Answer error(QWidget *parent, const QString &text, Buttons buttons = Buttons::Ok);
    static Answer information(QWidget *parent, const QString &text, Buttons buttons = Buttons::Ok);
    static Answer confirmation(QWidget *parent, const QString &text, Buttons buttons = Buttons::YesNo);

    // Test support: the next box returns `answer` at once without showing.
    // Presets queue up; each box takes the oldest one.
    static void presetAnswer(Answer answer);
    static void clearPresets();
    // What the most recent box said (shown or answered by a preset).
    static QString lastText();
    static Kind lastKind();
    static int shownCount();
};

} // namespace tk
