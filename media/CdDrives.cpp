#include "media/CdDrives.h"

#include "media/LibcdioDevice.h"

namespace media {

SystemCdDrives::SystemCdDrives() : m_names(LibcdioDevice::systemDrives())
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
        slot = openCdDrive(m_names.at(number));
    return slot.get();
}

} // namespace media
