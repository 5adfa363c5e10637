// Facts about the machine and the program's place on it.
#pragma once

#include <QString>

namespace platform {

class SystemInfo {
public:
    // Stand-ins for the classic "Windows" and "system" directories that the
    // update copies files into: the user's configuration directory for the
    // program ($XDG_CONFIG_HOME/Tessaron) and its shared-data directory
    // ($XDG_DATA_HOME/Tessaron/lib). Neither is created here.
    static QString windowsDirectory();
    static QString systemDirectory();

    // The country calling code of the user's locale (49 for de_DE, 43 de_AT,
    // 41 de_CH, 352 de_LU, 1 en_US, ...), 0 when unknown. The locale comes
    // from LC_ALL, LC_MESSAGES or LANG, the first that is set.
    static int countryCode();
    static int countryCodeOf(const QString &localeName);
};

} // namespace platform
