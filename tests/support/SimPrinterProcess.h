#pragma once

#include "connection/CDeviceInterface.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <algorithm>

// Runs the simulated printer executable on a loopback address of its own, TCP
// port 9100 (the port the port object always uses), without UDP. Each run
// picks an address in 127.0.0.0/8 from the process id, so parallel tests do
// not meet on 9100. The build passes the executable's path, for example as
// SIM_EXECUTABLE="$<TARGET_FILE:ostrel-printer-sim>".
class SimPrinterProcess
{
public:
    static constexpr int startWaitMs = 5000;

    ~SimPrinterProcess() { stop(); }

    // Starts the printer with extra switches (such as "--no-wifi"); true once it
    // said it is ready. Tries a few addresses in case one is taken.
    bool start(const QString &executable, const QStringList &switches = {})
    {
        const qint64 pid = QCoreApplication::applicationPid();
        for (int attempt = 0; attempt < 4; ++attempt) {
            m_address
                = QStringLiteral("127.%1.%2.%3").arg(100 + attempt).arg((pid >> 8) & 0xff).arg(1 + (pid & 0xff) % 254);
            if (startAt(executable, switches))
                return true;
        }
        return false;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(startWaitMs)) {
            m_process.kill();
            m_process.waitForFinished(startWaitMs);
        }
    }

    // Starts the printer again on the address of the last start, as a printer
    // that restarts comes back; true once it is ready.
    bool restart(const QString &executable, const QStringList &switches = {}) { return startAt(executable, switches); }

    // Ends the printer at once, as when it loses power.
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(startWaitMs);
    }

    // Opens the port object on this printer over TCP; true once it is connected.
    bool connectPort(CDeviceInterface &port) const
    {
        PortSettings settings;
        settings.kind = PortKind::Net;
        settings.ipAddress = m_address;
        if (!port.Open(settings))
            return false;
        QDeadlineTimer deadline(startWaitMs);
        while (!port.IsOpen() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(5);
        }
        return port.IsOpen();
    }

    QString address() const { return m_address; }
    QString errorText() const { return m_errors; }

private:
    bool startAt(const QString &executable, const QStringList &switches)
    {
        stop();
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(executable,
            QStringList { QStringLiteral("--address"), m_address, QStringLiteral("--port"), QStringLiteral("9100"),
                QStringLiteral("--no-udp") }
                + switches);
        QDeadlineTimer deadline(startWaitMs);
        QByteArray output;
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            output += m_process.readAllStandardOutput();
            if (output.contains("ready"))
                return true;
        }
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
        stop();
        return false;
    }

    QProcess m_process;
    QString m_address;
    QString m_errors;
};
