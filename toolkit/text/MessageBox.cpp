#include "toolkit/text/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QQueue>

namespace tk {

namespace {

struct State {
    QQueue<MessageBox::Answer> presets;
    QString lastText;
    MessageBox::Kind lastKind = MessageBox::Kind::Information;
    int shown = 0;
};

State &state()
{
    static State s;
    return s;
}

QMessageBox::StandardButtons standardButtons(MessageBox::Buttons buttons)
{
    switch (buttons) {
    case MessageBox::Buttons::Ok: return QMessageBox::Ok;
    case MessageBox::Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageBox::Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageBox::Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageBox::Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MessageBox::Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case MessageBox::Buttons::AbortRetry: return QMessageBox::Abort | QMessageBox::Retry;
    case MessageBox::Buttons::Cancel: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageBox::Answer answerOf(int button, MessageBox::Buttons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return MessageBox::Answer::Ok;
    case QMessageBox::Cancel: return MessageBox::Answer::Cancel;
    case QMessageBox::Yes: return MessageBox::Answer::Yes;
    case QMessageBox::No: return MessageBox::Answer::No;
    case QMessageBox::Abort: return MessageBox::Answer::Abort;
    case QMessageBox::Retry: return MessageBox::Answer::Retry;
    case QMessageBox::Ignore: return MessageBox::Answer::Ignore;
    default:
        // Closed with the window's close button.
        if (buttons == MessageBox::Buttons::Ok)
            return MessageBox::Answer::Ok;
        if (buttons == MessageBox::Buttons::AbortRetry)
            return MessageBox::Answer::Abort;
        return buttons == MessageBox::Buttons::YesNo ? MessageBox::Answer::No : MessageBox::Answer::Cancel;
    }
}

QMessageBox::Icon iconOf(MessageBox::Kind kind)
{
    switch (kind) {
    case MessageBox::Kind::Warning: return QMessageBox::Warning;
    case MessageBox::Kind::Error: return QMessageBox::Critical;
    case MessageBox::Kind::Information: return QMessageBox::Information;
    case MessageBox::Kind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBox::Answer MessageBox::show(QWidget *parent, Kind kind, const QString &text, Buttons buttons,
                                    const QString &caption)
{
    State &s = state();
    s.lastText = text;
    s.lastKind = kind;
    ++s.shown;
    if (!s.presets.isEmpty())
        return s.presets.dequeue();

    QMessageBox box(iconOf(kind), caption.isEmpty() ? QApplication::applicationName() : caption, text,
                    standardButtons(buttons), parent);
    return answerOf(box.exec(), buttons);
}

MessageBox::Answer MessageBox::warning(QWidget *parent, const QString &text, Buttons buttons)
{
    return show(parent, Kind::Warning, text, buttons);
}

MessageBox::Answer MessageBox::error(QWidget *parent, const QString &text, Buttons buttons)
{
    return show(parent, Kind::Error, text, buttons);
}

MessageBox::Answer MessageBox::information(QWidget *parent, const QString &text, Buttons buttons)
{
    return show(parent, Kind::Information, text, buttons);
}

MessageBox::Answer MessageBox::confirmation(QWidget *parent, const QString &text, Buttons buttons)
{
    return show(parent, Kind::Confirmation, text, buttons);
}

void MessageBox::presetAnswer(Answer answer)
{
    state().presets.enqueue(answer);
}

void MessageBox::clearPresets()
{
    state().presets.clear();
}

QString MessageBox::lastText()
{
    return state().lastText;
}

MessageBox::Kind MessageBox::lastKind()
{
    return state().lastKind;
}

int MessageBox::shownCount()
{
    return state().shown;
}

} // namespace tk
