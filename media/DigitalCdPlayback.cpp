// Digital playback: a sample source feeding a sink.
#include "media/DigitalCdPlayback.h"

namespace media {

DigitalCdPlayback::DigitalCdPlayback(QString path, CdSampleSource::Medium medium, SinkFactory sinks)
    : m_source(std::move(path), medium), m_sinks(std::move(sinks))
{
}

DigitalCdPlayback::~DigitalCdPlayback()
{
    stop();
}

bool DigitalCdPlayback::play(int from, int to)
{
    stop();
    if (!m_sink && m_sinks)
        m_sink = m_sinks();
    if (!m_sink) {
        m_notice = CdPlayNotice::NoSoundOutput;
        return false;
    }
    m_source.start(from, to);
    if (!m_sink->start(&m_source)) {
        m_source.stop();
        m_notice = CdPlayNotice::NoSoundOutput;
        return false;
    }
    m_skipsSeen = 0;
    m_state = State::Playing;
    return true;
}

bool DigitalCdPlayback::setPaused(bool paused)
{
    update();
    if (m_state != (paused ? State::Playing : State::Paused))
        return false;
    m_sink->setPaused(paused);
    m_state = paused ? State::Paused : State::Playing;
    return true;
}

void DigitalCdPlayback::stop()
{
    if (m_sink)
        m_sink->stop();
    m_source.stop();
    m_state = State::Stopped;
    m_notice = CdPlayNotice::None;
}

void DigitalCdPlayback::update()
{
    if (m_state == State::Stopped)
        return;
    const int skips = m_source.skips();
    if (skips > m_skipsSeen) {
        m_skipsSeen = skips;
        m_notice = CdPlayNotice::Skipped;
        m_skipNoticed.start();
    }
    if (m_source.openFailed()) {
        stop();
        m_notice = CdPlayNotice::Unreadable;
        return;
    }
    // Everything read has been handed out and the sink has played it.
    // (The sound output counts in microseconds: allow it a frame of rounding.)
    if (m_source.finished() && m_sink->playedBytes() >= m_source.handedOut() - kCdFrameBytes) {
        const CdPlayNotice notice = m_notice;
        stop();
        m_notice = notice == CdPlayNotice::Skipped ? notice : CdPlayNotice::None;
    }
}

DigitalCdPlayback::State DigitalCdPlayback::state()
{
    update();
    return m_state;
}

std::optional<int> DigitalCdPlayback::position()
{
    update();
    if (m_state == State::Stopped)
        return std::nullopt;
    return m_source.frameAt(m_sink->playedBytes());
}

CdPlayNotice DigitalCdPlayback::notice()
{
    update();
    if (m_notice == CdPlayNotice::Skipped && m_skipNoticed.isValid() && m_skipNoticed.elapsed() > kSkipNoticeMs)
        m_notice = CdPlayNotice::None;
    return m_notice;
}

} // namespace media
