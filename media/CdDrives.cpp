#include "media/CdDrives.h"

namespace media {

SystemCdDrives::SystemCdDrives(LibcdioDevice::PlayPath playPath)
    : m_names(LibcdioDevice::systemDrives()), m_playPath(playPath)
{
    m_devices.resize(std::size_t(m_names.size()));
}

SystemCdDrives::~SystemCdDrives() = default;

CdAudioDevice *SystemCdDrives::device(int number)
{
    if (number < 0 || number >= int(m_devices.size()))
        return nullptr;
    std::unique_ptr<CdAudioDevice> &slot = m_devices[std::size_t(number)];
    if (!slot)
        slot = openCdDrive(m_names.at(number), m_playPath);
    return slot.get();
}

} // namespace media
