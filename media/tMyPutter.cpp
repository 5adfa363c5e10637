// Receiver of a CDDB request's completion.
#include "media/tMyPutter.h"

namespace media {

void tMyPutter::reset()
{
    m_done = false;
}

void tMyPutter::requestDone(tTCPThread *, const QByteArray &received, int resultCode, const QString &errorText)
{
    m_lastAnswer = received;
    m_resultCode = resultCode;
    m_errorText = errorText;
    m_done = true;
}

} // namespace media
