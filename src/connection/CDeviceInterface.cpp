#include "connection/CDeviceInterface.h"

#include "connection/TrafficLog.h"
#include "connection/transports/DevicePathTransport.h"
#include "connection/transports/SerialTransport.h"
#include "connection/transports/TcpTransport.h"
#include "connection/transports/UsbPrinterTransport.h"

#include <algorithm>
#include <array>
#include <climits>

CDeviceInterface::CDeviceInterface()
{
    m_transports[toInt(PortKind::Usb)] = std::make_unique<UsbPrinterTransport>();
    m_transports[toInt(PortKind::Net)] = std::make_unique<TcpTransport>();
    m_transports[toInt(PortKind::Com)] = std::make_unique<SerialTransport>(m_serialMode);
    m_transports[toInt(PortKind::Path)] = std::make_unique<DevicePathTransport>();
}

CDeviceInterface::~CDeviceInterface()
{
    Close();
}

Transport *CDeviceInterface::transportFor(PortKind kind) const
{
    const qint32 index = toInt(kind);
    if (index < 0 || index >= qint32(m_transports.size()))
        return nullptr;
    return m_transports[size_t(index)].get();
}

void CDeviceInterface::setTransport(PortKind kind, std::unique_ptr<Transport> transport)
{
    Transport *old = transportFor(kind);
    if (!old) // Lpt and unknown kinds open nothing
        return;
    old->close();
    m_transports[size_t(toInt(kind))] = std::move(transport);
}

bool CDeviceInterface::Open(const PortSettings &settings)
{
    m_settings = settings;
    Transport *transport = transportFor(settings.kind);
    return transport && transport->open(settings);
}

void CDeviceInterface::Close()
{
    for (const auto &transport : m_transports) {
        if (transport)
            transport->close();
    }
}

bool CDeviceInterface::IsOpen() const
{
    const Transport *transport = transportFor(m_settings.kind);
    return transport && transport->isOpen();
}

qint32 CDeviceInterface::Write(const void *data, qint32 length)
{
    const auto *bytes = static_cast<const char *>(data);
    length = std::max(length, 0);
    Transport *transport = transportFor(m_settings.kind);
    const TransferResult written = transport ? transport->write(bytes, length, writeTimeoutMs) : std::nullopt;
    if (!written)
        return 0;
    const QString prefix = *written == length ? QStringLiteral("Write: ") : QStringLiteral("Write failed: ");
    LogLine(TrafficLog::transferLine(prefix, QByteArrayView(bytes, length)));
    return *written;
}

qint32 CDeviceInterface::Read(void *buffer, qint32 capacity, quint32 waitMs)
{
    auto *bytes = static_cast<char *>(buffer);
    capacity = std::max(capacity, 0);
    Transport *transport = transportFor(m_settings.kind);
    const bool wasOpen = transport && transport->isOpen();
    const TransferResult count
        = transport ? transport->read(bytes, capacity, int(std::min<quint32>(waitMs, INT_MAX))) : std::nullopt;
    // The socket says so itself; a device node that went away says nothing.
    if (wasOpen && !transport->isOpen() && m_settings.kind != PortKind::Net)
        LogLine(QStringLiteral("The printer's device node is gone (unplugged or switched off)."));
    if (!count || *count <= 0)
        m_lateReplyUntil = QDeadlineTimer(lateReplyMs);
    else
        m_lateReplyUntil = QDeadlineTimer(QDeadlineTimer::Forever);
    if (!count)
        return 0;
    LogLine(TrafficLog::transferLine(QStringLiteral("Read: "), QByteArrayView(bytes, std::max(*count, 0))));
    return *count;
}

qint32 CDeviceInterface::DiscardInput()
{
    Transport *transport = transportFor(m_settings.kind);
    const QDeadlineTimer lateReplyUntil = m_lateReplyUntil.isForever() ? QDeadlineTimer(0) : m_lateReplyUntil;
    m_lateReplyUntil = QDeadlineTimer(QDeadlineTimer::Forever);
    if (!transport || !transport->isOpen())
        return 0;
    QByteArray dropped;
    std::array<char, 1024> buffer;
    while (dropped.size() < maxDiscardBytes) {
        // Once the late bytes have come, only what follows them at once belongs to them.
        const int waitMs = dropped.isEmpty() ? int(lateReplyUntil.remainingTime()) : 0;
        const TransferResult count = transport->readWithin(buffer.data(), qint32(buffer.size()), waitMs);
        if (!count || *count <= 0)
            break;
        dropped.append(buffer.data(), std::min(*count, qint32(buffer.size())));
    }
    if (!dropped.isEmpty())
        LogLine(TrafficLog::transferLine(QStringLiteral("Dropped: "), dropped));
    return qint32(dropped.size());
}

void CDeviceInterface::LogLine(const QString &text)
{
    ::LogLine(text);
}

QList<UsbPrinterEntry> CDeviceInterface::ScanUsbPrinters()
{
    return platform::scanUsbPrinters();
}
