// The CD drives the music window offers: their names for the drive list and
// the device of each, made when first asked for and kept for the window's
// life. The list position is the drive's number.
#pragma once

#include <QStringList>

#include <memory>
#include <vector>

namespace media {

class CdAudioDevice;

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
    SystemCdDrives();
    ~SystemCdDrives() override;
    QStringList names() const override { return m_names; }
    CdAudioDevice *device(int number) override;

private:
    QStringList m_names;
    std::vector<std::unique_ptr<CdAudioDevice>> m_devices;
};

} // namespace media
