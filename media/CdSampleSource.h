// The samples of an audio CD, read from a drive (through libcdio's paranoia
// reader, which corrects the jitter of drives reading audio) or from a CUE
// sheet image, on a worker thread into a small ring buffer.
//
// Frames are counted from the very beginning of the disc, as the drive's
// positions are (the first track usually starts at 150). A stretch that
// cannot be read is skipped: reading goes on a second further, and the
// skip is counted so the player can say so.
#pragma once

#include "media/CdAudioSink.h"

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace media {

class CdSampleSource : public CdSampleFeed {
public:
    enum class Medium { Drive, CueSheet };

    // Two seconds of sound.
    static constexpr int kRingFrames = 150;
    // How far a read error skips ahead: one second.
    static constexpr int kSkipFrames = 75;

    CdSampleSource(QString path, Medium medium);
    ~CdSampleSource() override;
    CdSampleSource(const CdSampleSource &) = delete;
    CdSampleSource &operator=(const CdSampleSource &) = delete;

    // Starts reading the frames from `from` up to (not including) `to`,
    // stopping a read that runs. The medium is opened on the worker thread;
    // when it cannot be opened the source ends at once with openFailed().
    void start(int from, int to);
    // Ends the reading; the medium is closed when it returns.
    void stop();

    qint64 readSamples(char *data, qint64 maxBytes) override;

    // The frame heard after the first `bytes` bytes that readSamples handed
    // out since start (skips included).
    int frameAt(qint64 bytes) const;
    // Every frame read (or skipped) and handed out: nothing more will come.
    bool finished() const;
    bool openFailed() const;
    // Stretches skipped since start.
    int skips() const;
    // Bytes waiting in the ring, and bytes handed out since start.
    qint64 buffered() const;
    qint64 handedOut() const;

private:
    void run(int from, int to);
    // Waits for room for `bytes` in the ring; false when asked to stop.
    bool waitForRoom(qint64 bytes);
    void push(const char *data, qint64 bytes);
    void markFrame(int frame);

    QString m_path;
    Medium m_medium;
    std::thread m_worker;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<char> m_ring;
    qint64 m_readPos = 0;  // total bytes handed out since start
    qint64 m_writePos = 0; // total bytes put in since start
    // (handed-out byte count, frame) at every point where the frames jump.
    std::vector<std::pair<qint64, int>> m_marks;
    bool m_stopping = false;
    bool m_readDone = true;
    bool m_openFailed = false;
    int m_skips = 0;
};

} // namespace media
