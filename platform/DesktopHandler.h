// The programs the desktop registered for mailto: and http: links.
#pragma once

#include <QString>

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
};

} // namespace platform
