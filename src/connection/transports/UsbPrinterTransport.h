#pragma once

#include "connection/transports/NodeTransport.h"

// PortKind::Usb: the device node of the USB printer whose hardware id equals
// usbDeviceId exactly; of several, the one listed last.
class UsbPrinterTransport : public NodeTransport
{
public:
    bool open(const PortSettings &settings) override;
};
