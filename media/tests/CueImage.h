// CUE sheet images of audio CDs for the tests: a CUE sheet over a BIN file,
// silent (sparse) or holding a generated tone.
#pragma once

#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <vector>

namespace media::test {

inline constexpr int kSectorBytes = 2352;

inline QString msfText(int frames)
{
    return QStringLiteral("%1:%2:%3")
        .arg(frames / 4500, 2, 10, QLatin1Char('0'))
        .arg((frames / 75) % 60, 2, 10, QLatin1Char('0'))
        .arg(frames % 75, 2, 10, QLatin1Char('0'));
}

// The tone of the image: a sine whose pitch rises with the track, and a
// right channel that counts the samples, so a sample out of place shows.
inline QByteArray toneSamples(const std::vector<int> &starts, int leadOut)
{
    QByteArray bin(qsizetype(leadOut - 150) * kSectorBytes, Qt::Uninitialized);
    auto *out = reinterpret_cast<char *>(bin.data());
    std::size_t track = 0;
    for (int frame = 150; frame < leadOut; ++frame) {
        while (track + 1 < starts.size() && frame >= starts[track + 1])
            ++track;
        const double pitch = 440.0 * (1 + double(track) / 4);
        for (int i = 0; i < kSectorBytes / 4; ++i) {
            const long n = long(frame - 150) * (kSectorBytes / 4) + i;
            const auto left = qint16(std::lround(12000 * std::sin(2 * M_PI * pitch * double(n) / 44100)));
            const auto right = qint16(n & 0x7FFF);
            qToLittleEndian(left, out);
            qToLittleEndian(right, out + 2);
            out += 4;
        }
    }
    return bin;
}

// Writes disc.cue and disc.bin into `dir`; starts and lead-out in frames
// from the beginning of the disc (the first track at 150). With `tone` the
// BIN file holds toneSamples(), else it is sparse silence. Returns the CUE
// sheet's path, empty when a file could not be written.
inline QString writeCueImage(const QString &dir, const std::vector<int> &starts, int leadOut, bool tone = false)
{
    QFile bin(dir + QStringLiteral("/disc.bin"));
    if (!bin.open(QIODevice::WriteOnly))
        return QString();
    if (tone) {
        const QByteArray samples = toneSamples(starts, leadOut);
        if (bin.write(samples) != samples.size())
            return QString();
    } else if (!bin.resize(qint64(leadOut - 150) * kSectorBytes)) {
        return QString();
    }
    QString cue = QStringLiteral("FILE \"disc.bin\" BINARY\r\n");
    for (std::size_t t = 0; t < starts.size(); ++t) {
        cue += QStringLiteral("  TRACK %1 AUDIO\r\n").arg(t + 1, 2, 10, QLatin1Char('0'));
        cue += QStringLiteral("    INDEX 01 %1\r\n").arg(msfText(starts[t] - 150));
    }
    const QString path = dir + QStringLiteral("/disc.cue");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(cue.toLatin1()) < 0)
        return QString();
    return path;
}

} // namespace media::test
