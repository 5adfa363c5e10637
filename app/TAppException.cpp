#include "app/TAppException.h"

#include "app/Config.h"
#include "platform/FormatSettings.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/MessageBox.h"
#include "util/Ansi.h"
#include "xbase/text/Dates.h"

#include <QDateTime>
#include <QFile>

TAppException::TAppException(QObject *parent) : QObject(parent) {}

TAppException::~TAppException()
{
    tk::setExceptionHandler(nullptr);
}

void TAppException::install()
{
    tk::setExceptionHandler([this](const QString &message) { handle(message); });
}

void TAppException::handle(const QString &message)
{
    if (!ErrorLog.contains(QLatin1Char('/')))
        ErrorLog = config().ProgDir + QLatin1Char('/') + ErrorLog;

    const platform::FormatSettings &fs = platform::FormatSettings::current();
    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp = QString::fromStdString(xb::formatDate(
                              xb::Date{now.date().year(), now.date().month(), now.date().day()},
                              fs.shortDateFormat.toStdString()))
        + QLatin1Char(' ') + now.time().toString(fs.longTimeFormat);

    QString failure;
    QFile log(ErrorLog);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QString record;
        if (!UserName.isEmpty())
            record = QStringLiteral("User: ") + UserName + QStringLiteral(", ");
        record += stamp + QStringLiteral("\r\n") + message + QStringLiteral("\r\n\r\n");
        const std::string bytes = toAnsi(record);
        if (log.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())
            || !log.flush())
            failure = log.errorString();
    } else {
        failure = log.errorString();
    }

    if (!ShowExcep && failure.isEmpty())
        return;
    QString shown = message;
    if (!failure.isEmpty())
        shown += QStringLiteral("\n\n(This error could not be written to %1: %2)").arg(ErrorLog, failure);
    tk::MessageBox::error(nullptr, shown);
}
