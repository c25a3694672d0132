#include "connection/CDeviceSearcherUdp.h"

#include "platform/SystemText.h"

CDeviceSearcherUdp::CDeviceSearcherUdp(ResultSink sink)
    : m_sink(std::move(sink))
{
    setBroadcast(true);
}

CDeviceSearcherUdp::~CDeviceSearcherUdp()
{
    // The receive thread calls our OnReceive: stop it while we still exist.
    Close();
}

int CDeviceSearcherUdp::OnReceive(const char *data, qint32 length)
{
    if (const auto info = parsePrinterInfo(platform::fromSystemBytes(QByteArrayView(data, length))))
        m_sink(*info);
    return 1;
}
