#pragma once

#include "connection/CDeviceSocket.h"
#include "connection/PortSettings.h"
#include "platform/UsbPrinters.h"

#include <QList>
#include <QString>

using platform::UsbPrinterEntry;

// The program's one connection to a printer: USB, network, serial or a device
// path behind open / close / write / read, each wait bounded, every transfer
// in the traffic log. No lock: one thread at a time uses it.
class CDeviceInterface
{
public:
    static constexpr int writeTimeoutMs = 2000;
    static constexpr int netReadTimeoutMs = 1000;
    static constexpr quint16 printerTcpPort = 9100;

    CDeviceInterface();
    virtual ~CDeviceInterface();
    CDeviceInterface(const CDeviceInterface &) = delete;
    CDeviceInterface &operator=(const CDeviceInterface &) = delete;

    virtual bool Open(const PortSettings &settings);
    virtual void Close();
    virtual bool IsOpen() const;
    // Returns bytes written, 0 on failure or after 2000 ms.
    virtual qint32 Write(const void *data, qint32 length);
    // One read of at most capacity bytes within waitMs (Net: 1000 ms fixed).
    // 0 on failure or time-out; Net may return a negative error.
    virtual qint32 Read(void *buffer, qint32 capacity, quint32 waitMs);

    static void LogLine(const QString &text);
    static QList<UsbPrinterEntry> ScanUsbPrinters();

    const PortSettings &settings() const { return m_settings; }

    // Serial mode text in the form "baud=9600 parity=N data=8 stop=1"; empty
    // means 9600 8N1. Nothing in the program sets it.
    void setSerialMode(const QString &mode) { m_serialMode = mode; }

private:
    bool openUsb();
    bool openCom();
    bool openPath();
    static int openDevice(const QString &path, int accessFlags);
    static void closeHandle(int &fd);

    PortSettings m_settings;
    int m_mainHandle = -1;
    int m_readPipe = -1;
    int m_writePipe = -1;
    CDeviceSocket m_socket;
    QString m_serialMode;
};
