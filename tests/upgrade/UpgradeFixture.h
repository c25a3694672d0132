#pragma once

#include "connection/CDeviceInterface.h"
#include "connection/transports/DevicePathTransport.h"
#include "jobs/JobContext.h"
#include "platform/UsbPrinters.h"
#include "printer-sim/BootFrame.h"
#include "printer-sim/SimServer.h"
#include "upgrade/job/UpgradeJob.h"

#include <QFile>
#include <QMutex>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

// The job's status texts, recorded from its thread.
class RecordingSink : public jobs::ControlSink
{
public:
    void setText(const QString &controlName, const QString &text) override
    {
        QMutexLocker lock(&m_mutex);
        m_texts.append(controlName + QLatin1Char('=') + text);
    }
    QStringList texts() const
    {
        QMutexLocker lock(&m_mutex);
        return m_texts;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_texts;
};

// The printer driver's rule on the simulated printer's node, which a
// pseudo-terminal cannot keep (it lets root open it any number of times): a
// node takes one open at a time. The first `refusals` opens also fail, as
// while udev has not yet given a new node its permissions. Every frame
// written is kept.
class UsblpNodeTransport : public Transport
{
public:
    struct Record {
        QMutex mutex;
        QStringList pipes; // the pipe of every open asked for
        QList<QByteArray> writes;
        int refusals = 0;
        QList<QByteArray> takeWrites()
        {
            QMutexLocker lock(&mutex);
            return writes;
        }
    };

    explicit UsblpNodeTransport(std::shared_ptr<Record> record)
        : m_record(std::move(record))
    { }
    ~UsblpNodeTransport() override { close(); }

    bool open(const PortSettings &settings) override
    {
        {
            QMutexLocker lock(&m_record->mutex);
            m_record->pipes.append(settings.pipe);
            if (m_record->refusals > 0) {
                --m_record->refusals;
                return false;
            }
        }
        QMutexLocker lock(&openMutex());
        if (openPaths().contains(settings.path))
            return false;
        if (!m_node.open(settings))
            return false;
        m_path = settings.path;
        openPaths().insert(m_path);
        return true;
    }
    void close() override
    {
        m_node.close();
        QMutexLocker lock(&openMutex());
        if (!m_path.isEmpty())
            openPaths().remove(m_path);
        m_path.clear();
    }
    bool isOpen() const override { return m_node.isOpen(); }
    TransferResult write(const char *data, qint32 length, int timeoutMs) override
    {
        {
            QMutexLocker lock(&m_record->mutex);
            m_record->writes.append(QByteArray(data, length));
        }
        return m_node.write(data, length, timeoutMs);
    }
    TransferResult read(char *buffer, qint32 capacity, int waitMs) override
    {
        return m_node.read(buffer, capacity, waitMs);
    }

private:
    static QMutex &openMutex()
    {
        static QMutex mutex;
        return mutex;
    }
    static QSet<QString> &openPaths()
    {
        static QSet<QString> paths;
        return paths;
    }

    std::shared_ptr<Record> m_record;
    DevicePathTransport m_node;
    QString m_path;
};

// The simulated printer on a USB emulation of its own, which the program's
// USB scan sees through OSTREL_SYSFS_ROOT while this lives.
class SimUsbPrinter
{
public:
    explicit SimUsbPrinter(printersim::SimConfig config = quickConfig())
    {
        printersim::ServerOptions options;
        options.tcpPort = 0;
        options.udp = false;
        options.usbSysfsRoot = m_sysfs.path();
        m_server = std::make_unique<printersim::SimServer>(std::move(config), options);
        m_started = m_server->start(&m_error);
        qputenv("OSTREL_SYSFS_ROOT", QFile::encodeName(m_sysfs.path()));
    }
    ~SimUsbPrinter() { qunsetenv("OSTREL_SYSFS_ROOT"); }

    static printersim::SimConfig quickConfig()
    {
        printersim::SimConfig config;
        config.timings.bootEnterMs = 100;
        config.timings.bootLeaveMs = 100;
        return config;
    }

    bool started() const { return m_started; }
    QString error() const { return m_error; }
    printersim::SimulatedPrinter &printer() { return m_server->printer(); }
    QString hardwareId() const
    {
        const auto printers = platform::scanUsbPrinters(platform::SysfsDeviceTree(m_sysfs.path()));
        return printers.size() == 1 ? printers.first().hardwareId : QString();
    }
    int countActions(const QByteArray &action) { return int(printer().actions().count(action)); }

private:
    QTemporaryDir m_sysfs;
    std::unique_ptr<printersim::SimServer> m_server;
    bool m_started = false;
    QString m_error;
};

// Waits short enough for tests; the printer's pauses between frame and reply
// are left out, since every reply read waits for its bytes anyway.
inline upgrade::UpgradeWaits quickWaits()
{
    upgrade::UpgradeWaits waits;
    waits.bootEnterMs = 0;
    waits.bootSearchTries = 40;
    waits.bootSearchIntervalMs = 50;
    waits.openRetryMs = 500;
    waits.openRetryIntervalMs = 20;
    waits.queryPauseMs = waits.erasePauseMs = waits.blockPauseMs = waits.verifyPauseMs = 0;
    waits.replyWaitMs = 3000;
    waits.comeBackPollMs = 50;
    waits.comeBackLimitMs = 5000;
    return waits;
}

// Runs the upgrade on a thread of its own while this thread serves the
// simulated printer.
inline upgrade::UpgradeOutcome runOnThread(
    const QString &path, const upgrade::UpgradeEnvironment &environment, jobs::JobContext &context)
{
    upgrade::UpgradeOutcome outcome;
    std::atomic<bool> done = false;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        outcome = upgrade::runUpgrade(path, environment, context);
        done = true;
    }));
    thread->start();
    if (!QTest::qWaitFor([&] { return done.load(); }, 120000))
        qFatal("the upgrade did not end");
    thread->wait();
    return outcome;
}

inline QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes;
    printersim::appendBigEndian32(bytes, value);
    return bytes;
}

// The frames an upgrade of image should write, built with the printer's own
// frame code: query, erase, the blocks, verify, restart.
inline QList<QByteArray> expectedFrames(const QByteArray &image)
{
    using printersim::BootFrame;
    const QByteArray range = QByteArray("\x00\x60\x02\x00\x00", 5) + bigEndian32(0x60020000u + quint32(image.size()));
    QList<QByteArray> frames { BootFrame { 2, {} }.encode(), BootFrame { 3, range }.encode() };
    for (qsizetype at = 0, number = 0; at < image.size(); at += 8192, ++number) {
        const QByteArray data = image.mid(at, 8192);
        QByteArray header(4, '\0');
        header.append(char(number & 0xFF));
        printersim::appendBigEndian16(header, quint16(data.size()));
        frames.append(BootFrame { 4, header + data }.encode());
    }
    frames.append(BootFrame { 6, range }.encode());
    frames.append(BootFrame { 7, {} }.encode());
    return frames;
}
