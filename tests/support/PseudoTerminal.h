#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal in raw mode that stands in for a printer's device node:
// the program opens devicePath(), the test plays the printer on the master.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        m_path = QString::fromLocal8Bit(::ptsname(m_master));
        // Keep one slave descriptor open so the line stays up between the
        // program's opens, and switch it to raw bytes.
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios tio {};
        if (m_slave >= 0 && ::tcgetattr(m_slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_slave, TCSANOW, &tio);
        }
    }
    ~PseudoTerminal()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return m_master >= 0 && m_slave >= 0; }
    QString devicePath() const { return m_path; }

    // What the program wrote, as far as it arrives within waitMs.
    QByteArray takeWritten(int waitMs = 500)
    {
        QByteArray data;
        pollfd entry { m_master, POLLIN, 0 };
        while (::poll(&entry, 1, data.isEmpty() ? waitMs : 20) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            data.append(buffer, n);
        }
        return data;
    }

    // The printer goes away: the line hangs up and the program's reads on it
    // fail, as when a USB printer is unplugged.
    void hangUp()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    // Bytes the "printer" sends to the program.
    bool answer(const QByteArray &bytes) { return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size(); }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
