// The memory sink and the sound output on Qt Multimedia.
#include "media/CdAudioSink.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

namespace media {

bool MemoryAudioSink::start(CdSampleFeed *feed)
{
    m_feed = feed;
    m_paused = false;
    m_played = 0;
    return true;
}

void MemoryAudioSink::stop()
{
    m_feed = nullptr;
}

qint64 MemoryAudioSink::pull(qint64 bytes)
{
    if (!m_feed || m_paused || bytes <= 0)
        return 0;
    const qsizetype before = m_samples.size();
    m_samples.resize(before + bytes);
    const qint64 got = std::max<qint64>(0, m_feed->readSamples(m_samples.data() + before, bytes));
    m_samples.resize(before + got);
    m_played += got;
    return got;
}

namespace {

// What the sound output reads from: the feed, in Qt's device form.
class FeedDevice : public QIODevice {
public:
    explicit FeedDevice(CdSampleFeed *feed) : m_feed(feed) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxBytes) override
    {
        // Whole frames only, so left and right never swap.
        maxBytes -= maxBytes % 4;
        return m_feed->readSamples(data, maxBytes);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    CdSampleFeed *m_feed;
};

class QtSoundOutput : public CdAudioSink {
public:
    QtSoundOutput()
    {
        m_thread.setObjectName(QStringLiteral("CD sound output"));
        m_context.moveToThread(&m_thread);
        m_thread.start();
    }
    ~QtSoundOutput() override
    {
        stop();
        m_thread.quit();
        m_thread.wait();
    }

    bool start(CdSampleFeed *feed) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return false;
        QAudioFormat format;
        format.setSampleRate(kCdSampleRate);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        if (!device.isFormatSupported(format))
            return false;
        bool started = false;
        onThread([&] {
            m_played = 0;
            m_io = new FeedDevice(feed);
            m_io->open(QIODevice::ReadOnly);
            m_sink = new QAudioSink(device, format);
            // About a fifth of a second: Pause and Stop are heard at once (the
            // output drops what it holds when it is suspended).
            m_sink->setBufferSize(kCdSampleRate * 4 / 5);
            m_sink->start(m_io);
            started = m_sink->error() == QAudio::NoError && m_sink->state() != QAudio::StoppedState;
            if (!started) {
                dropOutput();
                return;
            }
            m_poll = new QTimer;
            m_poll->setInterval(50);
            QObject::connect(m_poll, &QTimer::timeout, m_poll, [this] {
                if (m_sink)
                    m_played = m_sink->processedUSecs() * (kCdSampleRate * 4) / 1000000;
            });
            m_poll->start();
        });
        return started;
    }

    void setPaused(bool paused) override
    {
        onThread([&] {
            if (!m_sink)
                return;
            if (paused)
                m_sink->suspend();
            else
                m_sink->resume();
        });
    }

    void stop() override
    {
        onThread([this] { dropOutput(); });
    }

    qint64 playedBytes() const override { return m_played.load(); }

private:
    template<class F> void onThread(F f)
    {
        QMetaObject::invokeMethod(&m_context, f, Qt::BlockingQueuedConnection);
    }

    // On the output's thread.
    void dropOutput()
    {
        delete m_poll;
        m_poll = nullptr;
        if (m_sink) {
            m_sink->stop();
            delete m_sink;
            m_sink = nullptr;
        }
        delete m_io;
        m_io = nullptr;
    }

    QThread m_thread;
    QObject m_context;
    QAudioSink *m_sink = nullptr;
    FeedDevice *m_io = nullptr;
    QTimer *m_poll = nullptr;
    std::atomic<qint64> m_played{0};
};

} // namespace

std::unique_ptr<CdAudioSink> makeSoundOutput()
{
    return std::make_unique<QtSoundOutput>();
}

} // namespace media
