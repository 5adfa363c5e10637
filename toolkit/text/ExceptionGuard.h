// Errors that no window handles end here. Qt does not let exceptions unwind
// through its own code, so every slot and event override of our windows and
// controls runs its body through guarded(), which hands an escaping
// exception to the process-wide handler (the program's error logger) instead.
// tk::Abort ends an action silently and is never reported.
#pragma once

#include <QString>

#include <functional>

namespace tk {

using ExceptionHandler = std::function<void(const QString &message)>;

// Installs the handler; none restores the default (an error box).
void setExceptionHandler(ExceptionHandler handler);

// Reports the exception being handled; call it only inside a catch block.
void reportCurrentException();

// Runs `body`, reporting whatever escapes it.
template <typename Body>
void guarded(Body &&body)
{
    try {
        body();
    } catch (...) {
        reportCurrentException();
    }
}

} // namespace tk
