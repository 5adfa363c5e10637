// The programs the desktop registered for mailto: and http: links.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

class DesktopHandler {
public:
    // The command line of the desktop's handler for `scheme` ("mailto",
    // "http"), with "%1" where the link goes: the default application's
    // Exec line (its %u / %U / %f / %F become %1, other field codes are
    // dropped), or "xdg-open %1" when none can be found.
    static QString commandFor(const QString &scheme);

    // The Exec line of a .desktop file's [Desktop Entry], converted as above;
    // empty when the file has none.
    static QString commandOfDesktopFile(const QString &path);

    // The command line of the handler registered for `scheme`; empty when
    // the desktop has none (no fallback).
    static QString registeredCommandFor(const QString &scheme);

    // The program and its arguments for a handler command line and a link:
    // the command is split as a shell would split it, "%1" inside one of its
    // words is replaced by the link, and without "%1" the link is appended.
    // The link is always exactly one argument, however many blanks it holds.
    // The first element is the program; empty for an empty command.
    static QStringList argumentsFor(const QString &command, const QString &link);

    // Starts `command` for `link` without waiting (argumentsFor); false when
    // the program could not be started.
    static bool start(const QString &command, const QString &link);
};

} // namespace platform
