// Reading the audio sectors on a worker thread.
#include "media/CdSampleSource.h"

#include <QFile>

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>

namespace media {

namespace {

// libcdio's sector numbers leave out the two-second pre-gap.
constexpr int kPregapFrames = 150;
// Frames read at a time: a sixth of a second.
constexpr int kChunkFrames = 13;
// Attempts paranoia makes on a sector before it gives up on it.
constexpr int kParanoiaRetries = 3;

thread_local int t_paranoiaGaveUp = 0;

void countParanoiaEvents(long, paranoia_cb_mode_t mode)
{
    if (mode == PARANOIA_CB_SKIP)
        ++t_paranoiaGaveUp;
}

// One open medium. A drive is read through paranoia; an image holds exact
// samples and is read as it is.
class SectorReader {
public:
    ~SectorReader()
    {
        if (m_paranoia)
            cdio_paranoia_free(m_paranoia);
        if (m_drive)
            cdio_cddap_close_no_free_cdio(m_drive);
        if (m_cdio)
            cdio_destroy(m_cdio);
    }

    bool open(const QString &path, CdSampleSource::Medium medium)
    {
        const QByteArray name = QFile::encodeName(path);
        if (medium == CdSampleSource::Medium::CueSheet) {
            m_cdio = cdio_open_cue(name.constData());
            return m_cdio != nullptr;
        }
        // Not exclusive: the player's own status reads open the drive
        // exclusively while it plays.
        m_cdio = cdio_open_am(name.constData(), DRIVER_LINUX, "IOCTL");
        if (!m_cdio)
            return false;
        m_drive = cdio_cddap_identify_cdio(m_cdio, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!m_drive || cdio_cddap_open(m_drive) != 0)
            return false;
        m_paranoia = cdio_paranoia_init(m_drive);
        if (!m_paranoia)
            return false;
        cdio_paranoia_modeset(m_paranoia, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        return true;
    }

    // Reads up to `count` frames from disc frame `frame` on; returns how
    // many were read before the first that could not be.
    int read(int frame, int count, char *into)
    {
        const lsn_t lsn = frame - kPregapFrames;
        if (lsn < 0)
            return 0;
        if (!m_paranoia) {
            // One at a time: an image reports a short read of several
            // sectors as a success.
            for (int i = 0; i < count; ++i) {
                if (cdio_read_audio_sector(m_cdio, into + qint64(i) * kCdFrameBytes, lsn + i) != DRIVER_OP_SUCCESS)
                    return i;
            }
            return count;
        }
        if (m_next != frame)
            cdio_paranoia_seek(m_paranoia, lsn, SEEK_SET);
        m_next = -1;
        for (int i = 0; i < count; ++i) {
            t_paranoiaGaveUp = 0;
            const int16_t *samples = cdio_paranoia_read_limited(m_paranoia, countParanoiaEvents, kParanoiaRetries);
            if (!samples || t_paranoiaGaveUp > 0)
                return i;
            std::memcpy(into + qint64(i) * kCdFrameBytes, samples, kCdFrameBytes);
        }
        m_next = frame + count;
        return count;
    }

private:
    CdIo_t *m_cdio = nullptr;
    cdrom_drive_t *m_drive = nullptr;
    cdrom_paranoia_t *m_paranoia = nullptr;
    int m_next = -1;
};

} // namespace

CdSampleSource::CdSampleSource(QString path, Medium medium)
    : m_path(std::move(path)), m_medium(medium), m_ring(std::size_t(kRingFrames) * kCdFrameBytes)
{
}

CdSampleSource::~CdSampleSource()
{
    stop();
}

void CdSampleSource::start(int from, int to)
{
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_readPos = m_writePos = 0;
        m_marks.assign(1, {0, from});
        m_stopping = false;
        m_readDone = false;
        m_openFailed = false;
        m_skips = 0;
    }
    m_worker = std::thread([this, from, to] { run(from, to); });
}

void CdSampleSource::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    std::lock_guard lock(m_mutex);
    m_readDone = true;
    m_readPos = m_writePos;
}

void CdSampleSource::run(int from, int to)
{
    SectorReader reader;
    const bool opened = reader.open(m_path, m_medium);
    std::vector<char> chunk(std::size_t(kChunkFrames) * kCdFrameBytes);
    int frame = from;
    while (opened && frame < to) {
        const int count = std::min(kChunkFrames, to - frame);
        const qint64 bytes = qint64(count) * kCdFrameBytes;
        if (!waitForRoom(bytes))
            break;
        const int good = reader.read(frame, count, chunk.data());
        if (good > 0) {
            push(chunk.data(), qint64(good) * kCdFrameBytes);
            frame += good;
        }
        if (good < count) {
            // The frame after the good ones cannot be read.
            frame = std::min(to, frame + kSkipFrames);
            std::lock_guard lock(m_mutex);
            ++m_skips;
            markFrame(frame);
        }
    }
    std::lock_guard lock(m_mutex);
    m_openFailed = !opened;
    m_readDone = true;
}

bool CdSampleSource::waitForRoom(qint64 bytes)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_stopping || qint64(m_ring.size()) - (m_writePos - m_readPos) >= bytes; });
    return !m_stopping;
}

void CdSampleSource::push(const char *data, qint64 bytes)
{
    std::lock_guard lock(m_mutex);
    const qint64 size = qint64(m_ring.size());
    for (qint64 done = 0; done < bytes;) {
        const qint64 at = (m_writePos + done) % size;
        const qint64 n = std::min(bytes - done, size - at);
        std::memcpy(m_ring.data() + at, data + done, std::size_t(n));
        done += n;
    }
    m_writePos += bytes;
}

void CdSampleSource::markFrame(int frame)
{
    // Called with the mutex held, at the point where the next bytes go in.
    if (!m_marks.empty() && m_marks.back().first == m_writePos)
        m_marks.back().second = frame;
    else
        m_marks.emplace_back(m_writePos, frame);
}

qint64 CdSampleSource::readSamples(char *data, qint64 maxBytes)
{
    qint64 n = 0;
    {
        std::lock_guard lock(m_mutex);
        const qint64 size = qint64(m_ring.size());
        n = std::min(maxBytes, m_writePos - m_readPos);
        for (qint64 done = 0; done < n;) {
            const qint64 at = (m_readPos + done) % size;
            const qint64 part = std::min(n - done, size - at);
            std::memcpy(data + done, m_ring.data() + at, std::size_t(part));
            done += part;
        }
        m_readPos += n;
    }
    if (n > 0)
        m_changed.notify_all();
    return n;
}

int CdSampleSource::frameAt(qint64 bytes) const
{
    std::lock_guard lock(m_mutex);
    if (m_marks.empty())
        return 0;
    auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), bytes,
                                 [](qint64 b, const std::pair<qint64, int> &m) { return b < m.first; });
    if (mark != m_marks.begin())
        --mark;
    return mark->second + int((bytes - mark->first) / kCdFrameBytes);
}

bool CdSampleSource::finished() const
{
    std::lock_guard lock(m_mutex);
    return m_readDone && m_readPos == m_writePos;
}

bool CdSampleSource::openFailed() const
{
    std::lock_guard lock(m_mutex);
    return m_openFailed;
}

int CdSampleSource::skips() const
{
    std::lock_guard lock(m_mutex);
    return m_skips;
}

qint64 CdSampleSource::buffered() const
{
    std::lock_guard lock(m_mutex);
    return m_writePos - m_readPos;
}

qint64 CdSampleSource::handedOut() const
{
    std::lock_guard lock(m_mutex);
    return m_readPos;
}

} // namespace media
