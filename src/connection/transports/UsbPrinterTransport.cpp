#include "connection/transports/UsbPrinterTransport.h"

#include "platform/UsbPrinters.h"

#include <algorithm>

bool UsbPrinterTransport::open(const PortSettings &settings)
{
    const QList<platform::UsbPrinterEntry> printers = platform::scanUsbPrinters();
    const auto match = std::find_if(printers.rbegin(), printers.rend(),
        [&](const platform::UsbPrinterEntry &entry) { return entry.hardwareId == settings.usbDeviceId; });
    // No such printer leaves a node already open as it is.
    if (match == printers.rend())
        return false;
    return m_node.open(match->devicePath, platform::DeviceNode::Access::ReadWrite);
}
