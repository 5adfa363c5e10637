// Digital playback of an audio CD: the samples read from the disc (or its
// image) go to a sink, normally the desktop's sound output.
//
// The play position is the frame being heard, worked out from what the sink
// has played, so the status line follows the sound and not the reading
// ahead. Playback ends by itself at the end of the range; the state is
// brought up to date whenever it is asked for. Used on one thread.
#pragma once

#include "media/CdAudioDevice.h"
#include "media/CdAudioSink.h"
#include "media/CdSampleSource.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <optional>

namespace media {

class DigitalCdPlayback {
public:
    using SinkFactory = std::function<std::unique_ptr<CdAudioSink>()>;
    enum class State { Stopped, Playing, Paused };

    // How long the note of a skipped stretch stays.
    static constexpr int kSkipNoticeMs = 3000;

    // `sinks` makes the sink when playback first starts.
    DigitalCdPlayback(QString path, CdSampleSource::Medium medium, SinkFactory sinks);
    ~DigitalCdPlayback();

    // Plays the frames from `from` up to `to`; false (with the notice
    // NoSoundOutput) when the sink cannot start.
    bool play(int from, int to);
    // Pauses playing playback, resumes paused playback; false otherwise.
    bool pause() { return setPaused(true); }
    bool resume() { return setPaused(false); }
    // Stops, and lets go of the medium before it returns.
    void stop();

    State state();
    // The frame being heard while playing or paused.
    std::optional<int> position();
    // The notice in force: a skip for a few seconds after it happened, the
    // others until the next play or stop.
    CdPlayNotice notice();

    CdAudioSink *sink() const { return m_sink.get(); }
    CdSampleSource &source() { return m_source; }

private:
    bool setPaused(bool paused);
    void update();

    CdSampleSource m_source;
    SinkFactory m_sinks;
    std::unique_ptr<CdAudioSink> m_sink;
    State m_state = State::Stopped;
    CdPlayNotice m_notice = CdPlayNotice::None;
    int m_skipsSeen = 0;
    QElapsedTimer m_skipNoticed;
};

} // namespace media
