#include "printer-sim/UsbPort.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace printersim {
namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

UsbPort::UsbPort(QString sysfsRoot, QString nodeName, QObject *parent)
    : QObject(parent)
    , m_sysfsRoot(std::move(sysfsRoot))
    , m_nodeName(std::move(nodeName))
{ }

UsbPort::~UsbPort()
{
    publish({});
    closeTerminal();
}

QString UsbPort::entryPath() const
{
    return m_sysfsRoot + QStringLiteral("/class/usbmisc/") + m_nodeName;
}

bool UsbPort::open(QString *error)
{
    closeTerminal();
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        closeTerminal();
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(::ptsname(m_master));
    // Holding the slave open keeps the line up while the program closes and
    // reopens it; raw mode passes every byte through unchanged.
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio {};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_devicePath, QString::fromLocal8Bit(strerror(errno)));
        closeTerminal();
        return false;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UsbPort::readAvailable);
    return true;
}

void UsbPort::closeTerminal()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
}

void UsbPort::readAvailable()
{
    char buffer[16384];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0)
        Q_EMIT received(QByteArray(buffer, n));
}

bool UsbPort::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size() && m_master >= 0) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        // The terminal's buffer is full until the program reads; wait a little.
        pollfd entry { m_master, POLLOUT, 0 };
        if (::poll(&entry, 1, 1000) <= 0)
            return false;
    }
    return done == bytes.size();
}

bool UsbPort::publish(const QByteArray &ieee1284Id)
{
    if (ieee1284Id == m_publishedId)
        return true;
    QDir(entryPath()).removeRecursively();
    m_publishedId.clear();
    if (ieee1284Id.isEmpty())
        return true;
    // Built aside and renamed, so a scan never sees half an entry.
    const QString staging = m_sysfsRoot + QStringLiteral("/class/usbmisc/.") + m_nodeName + QStringLiteral(".new");
    QDir(staging).removeRecursively();
    const bool built = QDir().mkpath(staging + QStringLiteral("/device"))
        && writeFile(staging + QStringLiteral("/uevent"),
            "MAJOR=180\nMINOR=0\nDEVNAME=" + QFile::encodeName(m_devicePath) + "\n")
        && writeFile(staging + QStringLiteral("/device/bInterfaceClass"), "07\n")
        && writeFile(staging + QStringLiteral("/device/ieee1284_id"), ieee1284Id + "\n")
        && QDir().rename(staging, entryPath());
    if (built)
        m_publishedId = ieee1284Id;
    return built;
}

bool UsbPort::hangUp(QString *error)
{
    const QByteArray id = m_publishedId;
    publish({});
    if (!open(error))
        return false;
    return publish(id);
}

} // namespace printersim
