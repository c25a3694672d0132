#include "connection/CDeviceInterface.h"

#include "connection/SerialMode.h"
#include "connection/TrafficLog.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

bool isPipeName(const QString &pipe, const char *name)
{
    return pipe.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Waits until fd is ready for events or the time is up; false on time-out or error.
bool waitReady(int fd, short events, int timeoutMs)
{
    pollfd entry{fd, events, 0};
    int rc;
    do {
        rc = ::poll(&entry, 1, std::max(timeoutMs, 0));
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

} // namespace

CDeviceInterface::CDeviceInterface() = default;

CDeviceInterface::~CDeviceInterface()
{
    Close();
}

int CDeviceInterface::openDevice(const QString &path, int accessFlags)
{
    return ::open(QFile::encodeName(path).constData(), accessFlags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

void CDeviceInterface::closeHandle(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool CDeviceInterface::Open(const PortSettings &settings)
{
    m_settings = settings;
    switch (settings.kind) {
    case PortKind::Usb:
        return openUsb();
    case PortKind::Net:
        m_socket.Connect(settings.ipAddress, printerTcpPort, true, true);
        return true;
    case PortKind::Com:
        return openCom();
    case PortKind::Path:
        return openPath();
    case PortKind::Lpt:
        break;
    }
    return false;
}

bool CDeviceInterface::openUsb()
{
    const QList<UsbPrinterEntry> printers = ScanUsbPrinters();
    const auto match = std::find_if(printers.rbegin(), printers.rend(), [this](const UsbPrinterEntry &entry) {
        return entry.hardwareId == m_settings.usbDeviceId;
    });
    if (match == printers.rend())
        return false;
    closeHandle(m_mainHandle);
    m_mainHandle = openDevice(match->devicePath, O_RDWR);
    return m_mainHandle >= 0;
}

// "COM n" is the n-th serial port of the machine, /dev/ttyS(n-1).
bool CDeviceInterface::openCom()
{
    closeHandle(m_mainHandle);
    m_mainHandle = openDevice(QStringLiteral("/dev/ttyS%1").arg(m_settings.comNumber - 1), O_RDWR);
    if (m_mainHandle < 0)
        return false;
    // A mode text that cannot be read leaves the port as it is.
    if (const auto mode = SerialMode::parse(m_serialMode))
        mode->applyTo(m_mainHandle);
    return true;
}

bool CDeviceInterface::openPath()
{
    int *slot = &m_mainHandle;
    int access = O_RDWR;
    if (isPipeName(m_settings.pipe, "PIPE00")) {
        slot = &m_readPipe;
        access = O_RDONLY;
    } else if (isPipeName(m_settings.pipe, "PIPE01")) {
        slot = &m_writePipe;
        access = O_WRONLY;
    }
    closeHandle(*slot);
    *slot = openDevice(m_settings.path, access);
    return *slot >= 0;
}

void CDeviceInterface::Close()
{
    closeHandle(m_mainHandle);
    closeHandle(m_readPipe);
    closeHandle(m_writePipe);
    m_socket.Close();
}

bool CDeviceInterface::IsOpen() const
{
    if (m_settings.kind == PortKind::Net)
        return m_socket.IsConnected();
    return m_mainHandle >= 0;
}

qint32 CDeviceInterface::Write(const void *data, qint32 length)
{
    const auto *bytes = static_cast<const char *>(data);
    length = std::max(length, 0);
    qint32 written = 0;
    if (m_settings.kind == PortKind::Net) {
        written = m_socket.Send(bytes, length);
    } else {
        const int fd = m_writePipe >= 0 ? m_writePipe : m_mainHandle;
        if (fd < 0)
            return 0;
        QElapsedTimer clock;
        clock.start();
        while (written < length) {
            const ssize_t n = ::write(fd, bytes + written, size_t(length - written));
            if (n > 0) {
                written += qint32(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN)
                return 0;
            if (!waitReady(fd, POLLOUT, int(writeTimeoutMs - clock.elapsed())))
                return 0;
        }
    }
    LogLine(TrafficLog::transferLine(QStringLiteral("Write: "), QByteArrayView(bytes, length)));
    return written;
}

qint32 CDeviceInterface::Read(void *buffer, qint32 capacity, quint32 waitMs)
{
    auto *bytes = static_cast<char *>(buffer);
    capacity = std::max(capacity, 0);
    qint32 count = 0;
    if (m_settings.kind == PortKind::Net) {
        count = m_socket.Receive(bytes, capacity, netReadTimeoutMs);
    } else {
        const int fd = m_writePipe >= 0 ? m_readPipe : m_mainHandle;
        if (fd < 0)
            return 0;
        if (!waitReady(fd, POLLIN, int(std::min<quint32>(waitMs, INT_MAX))))
            return 0;
        ssize_t n;
        do {
            n = ::read(fd, bytes, size_t(capacity));
        } while (n < 0 && errno == EINTR);
        if (n < 0)
            return 0;
        count = qint32(n);
    }
    LogLine(TrafficLog::transferLine(QStringLiteral("Read: "), QByteArrayView(bytes, std::max(count, 0))));
    return count;
}

void CDeviceInterface::LogLine(const QString &text)
{
    ::LogLine(text);
}

QList<UsbPrinterEntry> CDeviceInterface::ScanUsbPrinters()
{
    return platform::scanUsbPrinters();
}
