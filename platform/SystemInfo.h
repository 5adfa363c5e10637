// Facts about the machine and the program's place on it.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// What the information box shows about the computer, read from /proc,
// uname, /etc/os-release and statvfs. Sizes in bytes; a fact that cannot be
// read is left empty (0, an empty text, or no value).
struct SystemFacts {
    int kernelMajor = 0, kernelMinor = 0, kernelBuild = 0; // "6.1.55-..." gives 6, 1, 55
    bool haveKernel = false;
    QString platformName; // "Linux, Debian GNU/Linux 12 (bookworm)"
    int processorCount = 0;
    QString processorModel; // "model name" of /proc/cpuinfo, else the machine type
    QString processorLevel; // "x86_64, family 6, model 158", else the machine type
    std::optional<uint64_t> memoryTotal, memoryAvailable;
    std::optional<uint64_t> swapTotal, swapFree;
    // The commit limit and what of it is not committed yet.
    std::optional<uint64_t> virtualTotal, virtualAvailable;
    struct Disk {
        QString mountPoint;
        uint64_t freeBytes = 0;
    };
    // "/" first, then every other file system on a device, each device once.
    QList<Disk> disks;
};


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

    // The facts of this computer.
    static SystemFacts facts();
    // The parts of facts() that come from text, for given texts: the kernel
    // release, /proc/cpuinfo, /proc/meminfo and /proc/mounts (free space of
    // the mounted file systems is asked of the system).
    static void readKernelRelease(SystemFacts &facts, const QString &release);
    static void readCpuInfo(SystemFacts &facts, const QString &cpuinfo, const QString &machine);
    static void readMemInfo(SystemFacts &facts, const QString &meminfo);
    static void readMounts(SystemFacts &facts, const QString &mounts);
};

} // namespace platform
