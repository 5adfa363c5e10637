// The scripted CD-audio device.
#include "media/ScriptedCdDevice.h"

#include <algorithm>

namespace media {

void ScriptedCdDevice::insertDisc(std::vector<int> trackStarts, int leadOut)
{
    m_starts = std::move(trackStarts);
    m_leadOut = leadOut;
    m_hasDisc = true;
    m_doorOpen = false;
    m_playing = false;
    m_position = m_starts.empty() ? 0 : m_starts.front();
}

void ScriptedCdDevice::removeDisc()
{
    m_starts.clear();
    m_leadOut = 0;
    m_hasDisc = false;
    m_playing = false;
    m_position = 0;
}

void ScriptedCdDevice::setClock(long long milliseconds)
{
    advance();
    m_clock = milliseconds;
    m_playedSince = std::min(m_playedSince, m_clock);
    advance();
}

void ScriptedCdDevice::setPosition(int frames)
{
    advance();
    m_position = frames;
}

void ScriptedCdDevice::advance()
{
    if (!m_playing) {
        m_playedSince = m_clock;
        return;
    }
    const long long elapsed = m_clock - m_playedSince;
    const long long frames = elapsed * kFramesPerSecond / 1000;
    m_position = int(std::min<long long>(m_position + frames, m_leadOut));
    m_playedSince += frames * 1000 / kFramesPerSecond;
    if (m_position >= m_leadOut)
        m_playing = false;
}

bool ScriptedCdDevice::isPlaying()
{
    advance();
    return m_playing;
}

int ScriptedCdDevice::positionFrames()
{
    advance();
    return m_position;
}

CdOpenResult ScriptedCdDevice::open()
{
    if (m_inUse)
        return CdOpenResult::InUse;
    if (m_openFails)
        return CdOpenResult::Failed;
    m_open = true;
    ++m_openCount;
    return CdOpenResult::Ok;
}

void ScriptedCdDevice::close()
{
    m_open = false;
}

std::optional<bool> ScriptedCdDevice::mediaPresent()
{
    if (!m_open)
        return std::nullopt;
    return m_hasDisc && !m_doorOpen;
}

bool ScriptedCdDevice::setTimeFormat(CdTimeFormat format)
{
    if (!m_open || (format == CdTimeFormat::Msf && m_msfRefused))
        return false;
    m_format = format;
    return true;
}

std::optional<CdTimeFormat> ScriptedCdDevice::timeFormat()
{
    if (!m_open)
        return std::nullopt;
    return m_format;
}

std::optional<int> ScriptedCdDevice::trackCount()
{
    if (!m_open || !m_hasDisc || m_trackCountFails)
        return std::nullopt;
    return int(m_starts.size());
}

int ScriptedCdDevice::nextStart(int track) const
{
    return track < int(m_starts.size()) ? m_starts[track] : m_leadOut;
}

std::optional<Msf> ScriptedCdDevice::trackStart(int track)
{
    if (!m_open || track < 1 || track > int(m_starts.size()))
        return std::nullopt;
    return Msf::fromFrames(m_starts[track - 1]);
}

std::optional<Msf> ScriptedCdDevice::trackLength(int track)
{
    if (!m_open || track < 1 || track > int(m_starts.size()))
        return std::nullopt;
    return Msf::fromFrames(nextStart(track) - m_starts[track - 1] - 1);
}

std::optional<Msf> ScriptedCdDevice::position()
{
    if (!m_open || !m_hasDisc || m_positionFails)
        return std::nullopt;
    advance();
    return Msf::fromFrames(m_position);
}

std::optional<int> ScriptedCdDevice::currentTrack()
{
    if (!m_open || !m_hasDisc || m_starts.empty())
        return std::nullopt;
    advance();
    int track = 1;
    while (track < int(m_starts.size()) && m_starts[track] <= m_position)
        ++track;
    return track;
}

bool ScriptedCdDevice::seekToTrack(int track)
{
    if (!m_open || !m_hasDisc || track < 1 || track > int(m_starts.size()))
        return false;
    advance();
    m_playing = false;
    m_position = m_starts[track - 1];
    return true;
}

bool ScriptedCdDevice::playToEnd()
{
    if (!m_open || !m_hasDisc)
        return false;
    advance();
    if (m_position >= m_leadOut)
        return false;
    m_playing = true;
    m_playedSince = m_clock;
    return true;
}

bool ScriptedCdDevice::stop()
{
    if (!m_open || !m_hasDisc)
        return false;
    advance();
    m_playing = false;
    return true;
}

bool ScriptedCdDevice::openDoor()
{
    if (!m_open)
        return false;
    advance();
    m_playing = false;
    m_doorOpen = true;
    return true;
}

} // namespace media
