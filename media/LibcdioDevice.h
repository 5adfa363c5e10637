// The CD-audio device of a real drive, or of a CUE sheet image, through
// libcdio.
//
// Playback takes one of two paths. Analog: the drive plays on its own audio
// output (the connector at its back, the headphone socket at its front),
// which many current drives no longer have; there it plays silently. Images
// cannot play analog; their play requests fail and their position is not
// reported. Digital: the audio sectors are read and played through a sink,
// the desktop's sound output; this works for every drive and for images,
// can pause, and stops when the device is destroyed.
#pragma once

#include "media/CdAudioDevice.h"
#include "media/DigitalCdPlayback.h"

#include <QString>
#include <QStringList>
#include <memory>

typedef struct _CdIo CdIo_t;

namespace media {

class LibcdioDevice : public CdAudioDevice {
public:
    enum class Source { Drive, CueSheet };
    enum class PlayPath {
        Analog,
        Digital,
        // Digital; a drive plays analog when there is no sound output.
        DigitalOrAnalog,
    };

    // `path` names the drive's device file (/dev/sr0) or the CUE sheet.
    LibcdioDevice(QString path, Source source);
    ~LibcdioDevice() override;
    LibcdioDevice(const LibcdioDevice &) = delete;
    LibcdioDevice &operator=(const LibcdioDevice &) = delete;

    // The system's CD drives as device files, in a stable order (/dev/sr0,
    // /dev/sr1, ..., /dev/sr10): the drive list of the player, whose
    // position is the drive's number.
    static QStringList systemDrives();

    // Chooses the play path (analog until told otherwise). `sinks` makes the
    // sink of the digital path; none given: the desktop's sound output.
    void setPlayPath(PlayPath path, DigitalCdPlayback::SinkFactory sinks = {});
    // The digital playback; nullptr on the analog path.
    DigitalCdPlayback *digitalPlayback() const { return m_digital.get(); }

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
    bool canPause() override;
    bool pause() override;
    CdPlayNotice playNotice() override;

private:
    std::optional<int> startFrames(int track);
    std::optional<int> leadOutFrames();
    bool playAnalog();
    // Whether digital playback handles the play requests now.
    bool digitalInCharge() const { return m_digital && !m_analogInUse; }

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
    std::unique_ptr<DigitalCdPlayback> m_digital;
    // DigitalOrAnalog: no sound output, so the drive plays on its own.
    bool m_analogFallback = false;
    bool m_analogInUse = false;
};

// The device of the drive at `path` of systemDrives(), playing on `path`.
std::unique_ptr<CdAudioDevice> openCdDrive(const QString &path,
                                           LibcdioDevice::PlayPath playPath = LibcdioDevice::PlayPath::Analog);

} // namespace media
