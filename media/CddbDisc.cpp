// CDDB disc ID, query line and track running times.
#include "media/CddbDisc.h"

#include "media/tCDParams.h"

namespace media {

namespace {

int seconds(const Msf &msf)
{
    return msf.minute * 60 + msf.second;
}

int digitSum(int value)
{
    int sum = 0;
    for (; value > 0; value /= 10)
        sum += value % 10;
    return sum;
}

} // namespace

QString DiscID(const tCDParams &params)
{
    const int count = params.TrackCount;
    uint32_t n = 0;
    for (int k = 1; k <= count; ++k)
        n += digitSum(seconds(params.TrackMSF[k]));
    const int playing = seconds(params.TrackMSF[count + 1]) - seconds(params.TrackMSF[1]);
    const uint32_t id = (n % 255) << 24 | uint32_t(playing) << 8 | uint32_t(count % 256);
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0'));
}

QString cddbQueryLine(const tCDParams &params)
{
    QString line = DiscID(params) + QLatin1Char('+') + QString::number(params.TrackCount);
    for (int t = 1; t <= params.TrackCount; ++t)
        line += QLatin1Char('+') + QString::number(params.TrackStart[t]);
    line += QLatin1Char('+') + QString::number(params.leadOut() / kFramesPerSecond);
    return line;
}

QString discIdOfQueryLine(const QString &line)
{
    return line.section(QLatin1Char('+'), 0, 0).left(8);
}

QString trackRunningTime(const tCDParams &params, int track)
{
    if (track < 1 || track > params.TrackCount)
        return QString();
    const int frames = params.TrackStart[track + 1] - params.TrackStart[track];
    if (params.TrackStart[track + 1] == 0 || frames <= 0)
        return QString();
    const int total = frames / kFramesPerSecond;
    return QStringLiteral("%1:%2:%3")
        .arg(total / 3600, 2, 10, QLatin1Char('0'))
        .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 60, 2, 10, QLatin1Char('0'));
}

} // namespace media
