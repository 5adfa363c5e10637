#include "toolkit/text/ExceptionGuard.h"

#include "toolkit/text/MessageBox.h"
#include "toolkit/data/DataErrors.h"

#include <exception>

namespace tk {

namespace {

ExceptionHandler &handler()
{
    static ExceptionHandler h;
    return h;
}

} // namespace

void setExceptionHandler(ExceptionHandler h)
{
    handler() = std::move(h);
}

void reportCurrentException()
{
    QString message;
    try {
        throw;
    } catch (const Abort &) {
        return;
    } catch (const std::exception &e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("Unknown error");
    }
    if (handler()) {
        try {
            handler()(message);
            return;
        } catch (...) {
            // The handler itself failed; fall back to showing the message.
        }
    }
    MessageBox::error(nullptr, message);
}

} // namespace tk
