// The error logger: appends a record for every error that reached the
// message loop to the error log, then shows the error.
#pragma once

#include <QObject>
#include <QString>

class TAppException : public QObject {
    Q_OBJECT

public:
    explicit TAppException(QObject *parent = nullptr);
    ~TAppException() override;

    // Log file; a name without a directory is taken relative to the program
    // directory (resolved at the first error).
    QString ErrorLog;
    // Written at the start of each record when not empty.
    QString UserName;
    // Show the error after logging it.
    bool ShowExcep = true;

    // Makes this logger the handler of every unhandled error (until it is
    // destroyed).
    void install();

    // Logs one error and shows it. When the log cannot be written, the error
    // is still shown, with a note that it could not be logged.
    void handle(const QString &message);
};
