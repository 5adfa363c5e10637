// The CD-audio device of a real drive, or of a CUE sheet image, through
// libcdio.
//
// Playback goes through the drive's own audio output (the analog output at
// its back or front), which many current drives no longer have: there the
// play requests fail or play silently. Images have no play position and
// cannot play; their play requests fail and their position is not reported.
#pragma once

#include "media/CdAudioDevice.h"

#include <QString>
#include <QStringList>
#include <memory>

typedef struct _CdIo CdIo_t;

namespace media {

class LibcdioDevice : public CdAudioDevice {
public:
    enum class Source { Drive, CueSheet };

    // `path` names the drive's device file (/dev/sr0) or the CUE sheet.
    LibcdioDevice(QString path, Source source);
    ~LibcdioDevice() override;
    LibcdioDevice(const LibcdioDevice &) = delete;
    LibcdioDevice &operator=(const LibcdioDevice &) = delete;

    // The system's CD drives as device files, in a stable order (/dev/sr0,
    // /dev/sr1, ..., /dev/sr10): the drive list of the player, whose
    // position is the drive's number.
    static QStringList systemDrives();

    CdOpenResult open() override;
    void close() override;
    std::optional<bool> mediaPresent() override;
    bool setTimeFormat(CdTimeFormat format) override;
    std::optional<CdTimeFormat> timeFormat() override;
    std::optional<int> trackCount() override;
    std::optional<Msf> trackStart(int track) override;
    std::optional<Msf> trackLength(int track) override;
    std::optional<Msf> position() override;
    std::optional<int> currentTrack() override;
    bool seekToTrack(int track) override;
    bool playToEnd() override;
    bool stop() override;
    bool openDoor() override;

private:
    std::optional<int> startFrames(int track);
    std::optional<int> leadOutFrames();

    QString m_path;
    Source m_source;
    CdIo_t *m_cdio = nullptr;
    // The drive opened exclusively, held while the device is open, so
    // another program's exclusive open (or a mount) waits for us.
    int m_exclusiveFd = -1;
    CdTimeFormat m_format = CdTimeFormat::Msf;
    // Where a seek put the head: libcdio has no seek of its own, so the
    // next play starts here.
    std::optional<int> m_seekFrames;
};

// The device of the drive at `path` of systemDrives().
std::unique_ptr<CdAudioDevice> openCdDrive(const QString &path);

} // namespace media
