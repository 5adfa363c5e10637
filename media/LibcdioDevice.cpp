// CD-audio device on libcdio.
#include "media/LibcdioDevice.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>
#include <cdio/audio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace media {

namespace {

// libcdio counts sectors from the start of the program area; the drive's
// positions count the two-second pre-gap too.
constexpr int kPregapFrames = 150;

// libcdio's own log handler ends the process on an error message (a
// missing image, an unreadable drive); our callers get the failure as a
// result instead.
void ignoreLibcdioLog(cdio_log_level_t, const char *) {}

void silenceLibcdio()
{
    static bool done = false;
    if (!done) {
        cdio_log_set_handler(ignoreLibcdioLog);
        done = true;
    }
}

} // namespace

LibcdioDevice::LibcdioDevice(QString path, Source source) : m_path(std::move(path)), m_source(source)
{
    silenceLibcdio();
}

LibcdioDevice::~LibcdioDevice()
{
    close();
}

QStringList LibcdioDevice::systemDrives()
{
    silenceLibcdio();
    QStringList drives;
    if (char **list = cdio_get_devices(DRIVER_LINUX)) {
        for (char **d = list; *d; ++d) {
            // /dev/cdrom and the like are links to an sr device.
            const QString path = QFileInfo(QString::fromLocal8Bit(*d)).canonicalFilePath();
            if (!path.isEmpty() && !drives.contains(path))
                drives.append(path);
        }
        cdio_free_device_list(list);
    }
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(drives.begin(), drives.end(), collator);
    return drives;
}

void LibcdioDevice::setPlayPath(PlayPath path, DigitalCdPlayback::SinkFactory sinks)
{
    m_digital.reset();
    m_analogInUse = false;
    m_analogFallback = path == PlayPath::DigitalOrAnalog && m_source == Source::Drive;
    if (path == PlayPath::Analog)
        return;
    if (!sinks)
        sinks = makeSoundOutput;
    m_digital = std::make_unique<DigitalCdPlayback>(
        m_path, m_source == Source::Drive ? CdSampleSource::Medium::Drive : CdSampleSource::Medium::CueSheet,
        std::move(sinks));
}

CdOpenResult LibcdioDevice::open()
{
    close();
    const QByteArray path = QFile::encodeName(m_path);
    if (m_source == Source::CueSheet) {
        m_cdio = cdio_open_cue(path.constData());
        return m_cdio ? CdOpenResult::Ok : CdOpenResult::Failed;
    }
    m_exclusiveFd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_EXCL | O_CLOEXEC);
    if (m_exclusiveFd < 0)
        return errno == EBUSY ? CdOpenResult::InUse : CdOpenResult::Failed;
    m_cdio = cdio_open_am(path.constData(), DRIVER_LINUX, "IOCTL");
    if (!m_cdio) {
        close();
        return CdOpenResult::Failed;
    }
    return CdOpenResult::Ok;
}

void LibcdioDevice::close()
{
    if (m_cdio) {
        cdio_destroy(m_cdio);
        m_cdio = nullptr;
    }
    if (m_exclusiveFd >= 0) {
        ::close(m_exclusiveFd);
        m_exclusiveFd = -1;
    }
    m_seekFrames.reset();
}

std::optional<bool> LibcdioDevice::mediaPresent()
{
    if (!m_cdio)
        return std::nullopt;
    if (m_source == Source::Drive) {
        const int status = ::ioctl(m_exclusiveFd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
        if (status >= 0 && status != CDS_NO_INFO)
            return status == CDS_DISC_OK;
    }
    return cdio_get_first_track_num(m_cdio) != CDIO_INVALID_TRACK;
}

bool LibcdioDevice::setTimeFormat(CdTimeFormat format)
{
    if (!m_cdio)
        return false;
    m_format = format;
    return true;
}

std::optional<CdTimeFormat> LibcdioDevice::timeFormat()
{
    if (!m_cdio)
        return std::nullopt;
    return m_format;
}

std::optional<int> LibcdioDevice::trackCount()
{
    if (!m_cdio)
        return std::nullopt;
    const track_t count = cdio_get_num_tracks(m_cdio);
    if (count == CDIO_INVALID_TRACK)
        return std::nullopt;
    return int(count);
}

std::optional<int> LibcdioDevice::startFrames(int track)
{
    const std::optional<int> count = trackCount();
    if (!count || track < 1 || track > *count)
        return std::nullopt;
    const track_t first = cdio_get_first_track_num(m_cdio);
    if (first == CDIO_INVALID_TRACK)
        return std::nullopt;
    const lsn_t lsn = cdio_get_track_lsn(m_cdio, track_t(first + track - 1));
    if (lsn == CDIO_INVALID_LSN)
        return std::nullopt;
    return int(lsn) + kPregapFrames;
}

std::optional<int> LibcdioDevice::leadOutFrames()
{
    if (!m_cdio)
        return std::nullopt;
    const lsn_t lsn = cdio_get_track_lsn(m_cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (lsn == CDIO_INVALID_LSN)
        return std::nullopt;
    return int(lsn) + kPregapFrames;
}

std::optional<Msf> LibcdioDevice::trackStart(int track)
{
    const std::optional<int> start = startFrames(track);
    if (!start)
        return std::nullopt;
    return Msf::fromFrames(*start);
}

std::optional<Msf> LibcdioDevice::trackLength(int track)
{
    const std::optional<int> start = startFrames(track);
    const std::optional<int> count = trackCount();
    if (!start || !count)
        return std::nullopt;
    const std::optional<int> next = track < *count ? startFrames(track + 1) : leadOutFrames();
    if (!next || *next <= *start)
        return std::nullopt;
    return Msf::fromFrames(*next - *start - 1);
}

std::optional<Msf> LibcdioDevice::position()
{
    if (!m_cdio)
        return std::nullopt;
    if (m_seekFrames)
        return Msf::fromFrames(*m_seekFrames);
    if (digitalInCharge()) {
        // A stopped player stands at the start of the first track.
        const std::optional<int> frames = m_digital->position();
        if (frames)
            return Msf::fromFrames(*frames);
        const std::optional<int> first = startFrames(1);
        return first ? std::optional<Msf>(Msf::fromFrames(*first)) : std::nullopt;
    }
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(m_cdio, &sub) != DRIVER_OP_SUCCESS)
        return std::nullopt;
    return Msf::fromFrames(int(cdio_msf_to_lba(&sub.abs_addr)));
}

std::optional<int> LibcdioDevice::currentTrack()
{
    const std::optional<Msf> pos = position();
    const std::optional<int> count = trackCount();
    if (!pos || !count || *count < 1)
        return std::nullopt;
    int track = 1;
    while (track < *count) {
        const std::optional<int> next = startFrames(track + 1);
        if (!next || *next > pos->frames())
            break;
        ++track;
    }
    return track;
}

bool LibcdioDevice::seekToTrack(int track)
{
    const std::optional<int> start = startFrames(track);
    if (!start)
        return false;
    if (m_digital)
        m_digital->stop();
    if (m_source == Source::Drive && !digitalInCharge())
        cdio_audio_stop(m_cdio);
    m_seekFrames = start;
    return true;
}

bool LibcdioDevice::playToEnd()
{
    if (!m_cdio)
        return false;
    if (digitalInCharge()) {
        if (!m_seekFrames) {
            // Playing goes on; paused playback goes on from where it was.
            switch (m_digital->state()) {
            case DigitalCdPlayback::State::Playing: return true;
            case DigitalCdPlayback::State::Paused: return m_digital->resume();
            case DigitalCdPlayback::State::Stopped: break;
            }
        }
        const std::optional<int> from = m_seekFrames ? m_seekFrames : startFrames(1);
        const std::optional<int> end = leadOutFrames();
        if (!from || !end)
            return false;
        if (m_digital->play(*from, *end)) {
            m_seekFrames.reset();
            return true;
        }
        if (!m_analogFallback)
            return false;
        m_analogInUse = true;
    }
    return playAnalog();
}

bool LibcdioDevice::playAnalog()
{
    if (m_source != Source::Drive)
        return false;
    const std::optional<int> end = leadOutFrames();
    if (!end)
        return false;
    int from = 0;
    if (m_seekFrames) {
        from = *m_seekFrames;
    } else {
        // From where a pause left the head; a stopped drive starts at track 1.
        cdio_subchannel_t sub{};
        if (cdio_audio_read_subchannel(m_cdio, &sub) == DRIVER_OP_SUCCESS
            && (sub.audio_status == CDIO_MMC_READ_SUB_ST_PLAY || sub.audio_status == CDIO_MMC_READ_SUB_ST_PAUSED))
            from = int(cdio_msf_to_lba(&sub.abs_addr));
        else if (const std::optional<int> first = startFrames(1))
            from = *first;
    }
    msf_t start{}, stopAt{};
    cdio_lba_to_msf(from, &start);
    cdio_lba_to_msf(*end - 1, &stopAt);
    const bool ok = cdio_audio_play_msf(m_cdio, &start, &stopAt) == DRIVER_OP_SUCCESS;
    if (ok)
        m_seekFrames.reset();
    return ok;
}

bool LibcdioDevice::stop()
{
    if (!m_cdio)
        return false;
    if (digitalInCharge()) {
        m_digital->stop();
        return true;
    }
    m_analogInUse = false;
    if (m_source != Source::Drive)
        return false;
    return cdio_audio_stop(m_cdio) == DRIVER_OP_SUCCESS;
}

bool LibcdioDevice::canPause()
{
    return digitalInCharge();
}

bool LibcdioDevice::pause()
{
    if (!m_cdio || !digitalInCharge())
        return false;
    return m_digital->pause() || m_digital->resume();
}

CdPlayNotice LibcdioDevice::playNotice()
{
    return digitalInCharge() ? m_digital->notice() : CdPlayNotice::None;
}

bool LibcdioDevice::openDoor()
{
    if (!m_cdio)
        return false;
    // The disc goes: so does the reading of its sound.
    if (m_digital)
        m_digital->stop();
    m_analogInUse = false;
    if (m_source != Source::Drive)
        return false;
    // The tray cannot open while we hold the drive exclusively.
    if (m_exclusiveFd >= 0) {
        ::close(m_exclusiveFd);
        m_exclusiveFd = -1;
    }
    // On success libcdio frees the handle and clears the pointer.
    return cdio_eject_media(&m_cdio) == DRIVER_OP_SUCCESS;
}

std::unique_ptr<CdAudioDevice> openCdDrive(const QString &path, LibcdioDevice::PlayPath playPath)
{
    auto device = std::make_unique<LibcdioDevice>(path, LibcdioDevice::Source::Drive);
    device->setPlayPath(playPath);
    return device;
}

} // namespace media
