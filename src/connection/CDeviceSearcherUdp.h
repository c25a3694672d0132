#pragma once

#include "connection/CSocketUdp.h"
#include "connection/PrinterInfo.h"

#include <functional>

// A discovery socket: parses every reply and hands each printer found to its
// result sink (which the search run forwards to the window thread).
class CDeviceSearcherUdp : public CSocketUdp
{
public:
    using ResultSink = std::function<void(const PrinterInfo &)>;

    explicit CDeviceSearcherUdp(ResultSink sink);
    ~CDeviceSearcherUdp() override;

protected:
    int OnReceive(const char *data, qint32 length) override;

private:
    ResultSink m_sink;
};
