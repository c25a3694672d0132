#pragma once

#include "connection/PortSettings.h"
#include "connection/Transport.h"
#include "platform/UsbPrinters.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <array>
#include <memory>

using platform::UsbPrinterEntry;

// The program's one connection to a printer: USB, network, serial or a device
// path behind open / close / write / read, each wait bounded, every transfer
// in the traffic log. Each kind is a Transport (connection/transports/); this
// class picks it by the kind of the last Open and does the logging. No lock:
// one thread at a time uses it.
class CDeviceInterface
{
public:
    static constexpr int writeTimeoutMs = 2000;
    static constexpr int lateReplyMs = 1000;
    static constexpr qint32 maxDiscardBytes = 64 * 1024;

    CDeviceInterface();
    virtual ~CDeviceInterface();
    CDeviceInterface(const CDeviceInterface &) = delete;
    CDeviceInterface &operator=(const CDeviceInterface &) = delete;

    virtual bool Open(const PortSettings &settings);
    virtual void Close();
    virtual bool IsOpen() const;
    // Returns bytes written, 0 on failure or after 2000 ms. A write that took
    // place but did not write every byte logs a "Write failed: " line.
    virtual qint32 Write(const void *data, qint32 length);
    // One read of at most capacity bytes within waitMs (Net: 1000 ms fixed).
    // 0 on failure or time-out; Net may return a negative error.
    virtual qint32 Read(void *buffer, qint32 capacity, quint32 waitMs);
    // Drops what is waiting in the port's input before a command whose reply
    // is read, so that its reply can only be what arrives after it. Within
    // lateReplyMs of a read that came back empty it also drops what arrives
    // until then: the reply that read missed may still be on its way. Logs the
    // dropped bytes as one "Dropped: " line; returns their count.
    virtual qint32 DiscardInput();

    static void LogLine(const QString &text);
    static QList<UsbPrinterEntry> ScanUsbPrinters();

    const PortSettings &settings() const { return m_settings; }

    // Serial mode text in the form "baud=9600 parity=N data=8 stop=1"; empty
    // means 9600 8N1. Nothing in the program sets it.
    void setSerialMode(const QString &mode) { m_serialMode = mode; }

    // Ports of this kind go through the given transport from now on (tests
    // hand in a fake); the one it replaces is closed. Not for kind Lpt.
    void setTransport(PortKind kind, std::unique_ptr<Transport> transport);

private:
    Transport *transportFor(PortKind kind) const;

    PortSettings m_settings;
    QString m_serialMode;
    // Ends the time in which a missed reply may still arrive; Forever when
    // the last read was answered.
    QDeadlineTimer m_lateReplyUntil { QDeadlineTimer::Forever };
    // By kind value; Lpt has none. Each keeps its handles until Close.
    std::array<std::unique_ptr<Transport>, 5> m_transports;
};
