// Where the samples of the digital CD player go: the desktop's sound output,
// or memory for tests and tools.
//
// A sink pulls the samples from a feed as it plays them: CD audio, 44.1 kHz,
// 16-bit signed samples in the machine's byte order, two channels, 2352
// bytes per frame. The sink's own buffer stays small; what it holds is not
// counted as played until it has been played.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <memory>

namespace media {

inline constexpr int kCdFrameBytes = 2352;
inline constexpr int kCdSampleRate = 44100;

// What a sink pulls from. Called from the sink's thread.
class CdSampleFeed {
public:
    virtual ~CdSampleFeed() = default;
    // Copies up to `maxBytes` into `data` and returns the number copied; 0
    // when nothing is ready right now (or ever again).
    virtual qint64 readSamples(char *data, qint64 maxBytes) = 0;
};

class CdAudioSink {
public:
    virtual ~CdAudioSink() = default;
    // Starts pulling from `feed`. False when there is nothing to play on;
    // then the feed is never read.
    virtual bool start(CdSampleFeed *feed) = 0;
    virtual void setPaused(bool paused) = 0;
    // Stops pulling; once it returns the feed is no longer touched.
    virtual void stop() = 0;
    // The bytes played since start.
    virtual qint64 playedBytes() const = 0;
};

// Keeps what it plays. It plays only as much as its user lets it (pull), so
// a test decides how far playback has come.
class MemoryAudioSink : public CdAudioSink {
public:
    bool start(CdSampleFeed *feed) override;
    void setPaused(bool paused) override { m_paused = paused; }
    void stop() override;
    qint64 playedBytes() const override { return m_played.load(); }

    // Plays up to `bytes` from the feed; returns the number played. A
    // paused or stopped sink plays nothing.
    qint64 pull(qint64 bytes);
    bool paused() const { return m_paused; }
    bool started() const { return m_feed != nullptr; }
    // Everything played since the sink was made, over all starts.
    const QByteArray &samples() const { return m_samples; }

private:
    CdSampleFeed *m_feed = nullptr;
    bool m_paused = false;
    std::atomic<qint64> m_played{0};
    QByteArray m_samples;
};

// The desktop's default sound output through Qt Multimedia (PipeWire,
// PulseAudio or ALSA underneath). The output runs on a thread of its own, so
// a busy window does not make it stutter. start() fails when the system has
// no sound output or the output refuses the format.
std::unique_ptr<CdAudioSink> makeSoundOutput();

} // namespace media
