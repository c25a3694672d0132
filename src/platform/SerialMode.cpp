#include "platform/SerialMode.h"

#include <QStringList>

#include <array>
#include <utility>

#include <termios.h>

namespace platform {

namespace {

constexpr std::array<std::pair<int, speed_t>, 10> baudRates { {
    { 1200, B1200 },
    { 2400, B2400 },
    { 4800, B4800 },
    { 9600, B9600 },
    { 19200, B19200 },
    { 38400, B38400 },
    { 57600, B57600 },
    { 115200, B115200 },
    { 230400, B230400 },
    { 460800, B460800 },
} };

std::optional<speed_t> speedFor(int baud)
{
    for (const auto &[rate, speed] : baudRates) {
        if (rate == baud)
            return speed;
    }
    return std::nullopt;
}

} // namespace

std::optional<SerialMode> SerialMode::parse(const QString &text)
{
    SerialMode mode;
    const QStringList parts = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return std::nullopt;
        const QString key = part.left(equals).toLower();
        const QString value = part.mid(equals + 1).toUpper();
        bool ok = true;
        if (key == QLatin1String("baud"))
            mode.baud = value.toInt(&ok);
        else if (key == QLatin1String("parity") && value.size() == 1 && QStringLiteral("NEO").contains(value))
            mode.parity = value.at(0).toLatin1();
        else if (key == QLatin1String("data"))
            mode.dataBits = value.toInt(&ok);
        else if (key == QLatin1String("stop"))
            mode.stopBits = value.toInt(&ok);
        else
            return std::nullopt;
        if (!ok)
            return std::nullopt;
    }
    const bool valid
        = speedFor(mode.baud) && mode.dataBits >= 5 && mode.dataBits <= 8 && (mode.stopBits == 1 || mode.stopBits == 2);
    return valid ? std::optional(mode) : std::nullopt;
}

bool SerialMode::applyTo(int fd) const
{
    termios tio {};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    const speed_t speed = *speedFor(baud);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    static constexpr std::array<tcflag_t, 4> sizes { CS5, CS6, CS7, CS8 };
    tio.c_cflag |= sizes[dataBits - 5] | CLOCAL | CREAD;
    if (parity != 'N') {
        tio.c_cflag |= PARENB;
        tio.c_iflag |= INPCK;
        if (parity == 'O')
            tio.c_cflag |= PARODD;
    }
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace platform
