// Moving files to the desktop's trash (the freedesktop.org trash: the file
// goes to Trash/files, a .trashinfo record with its old path and the time of
// deletion to Trash/info), so the user can restore it.
#pragma once

#include <QString>

namespace platform {

class Trash {
public:
    // Moves the file into the user's trash without asking. Returns true when
    // the file was moved; false when it does not exist or cannot be moved (it
    // is then left where it was).
    static bool moveToTrash(const QString &path);

    // The trash directory used: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
    static QString trashDirectory();
};

} // namespace platform
