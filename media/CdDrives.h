// The CD drives the music window offers: their names for the drive list and
// the device of each, made when first asked for and kept for the window's
// life. The list position is the drive's number.
#pragma once

#include "media/LibcdioDevice.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace media {

class CdDrives {
public:
    virtual ~CdDrives() = default;
    virtual QStringList names() const = 0;
    // The device of drive `number` (from 0); nullptr for a number not listed.
    virtual CdAudioDevice *device(int number) = 0;
};

// The system's drives through libcdio (/dev/sr0, /dev/sr1, ...).
class SystemCdDrives : public CdDrives {
public:
    explicit SystemCdDrives(LibcdioDevice::PlayPath playPath = LibcdioDevice::PlayPath::Analog);
    ~SystemCdDrives() override;
    QStringList names() const override { return m_names; }
    CdAudioDevice *device(int number) override;

private:
    QStringList m_names;
    LibcdioDevice::PlayPath m_playPath;
    std::vector<std::unique_ptr<CdAudioDevice>> m_devices;
};

} // namespace media
