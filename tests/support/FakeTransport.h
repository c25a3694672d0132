#pragma once

#include "connection/CDeviceInterface.h"
#include "connection/Transport.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>

// A transport that plays the device from memory, for tests of the port object
// that only need bytes in and out:
//
//   CDeviceInterface port;
//   FakeTransport &line = FakeTransport::install(port, PortKind::Path);
//   line.queueRead("OK\r\n");          // the next read hands these out
//   line.queueResult(std::nullopt);    // a read that took no place (time-out)
//
// While it is not open, every write and read takes no place, as on a real
// port without a handle. With nothing queued a read takes no place either.
class FakeTransport : public Transport
{
public:
    static FakeTransport &install(CDeviceInterface &port, PortKind kind)
    {
        auto transport = std::make_unique<FakeTransport>();
        FakeTransport &line = *transport;
        port.setTransport(kind, std::move(transport));
        return line;
    }

    bool open(const PortSettings &settings) override
    {
        m_opens.append(settings);
        m_open = m_opensSucceed;
        return m_open;
    }
    void close() override
    {
        ++m_closes;
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

    TransferResult write(const char *data, qint32 length, int timeoutMs) override
    {
        m_writeTimeouts.append(timeoutMs);
        if (!m_open)
            return std::nullopt;
        m_written.append(data, length);
        return m_writeResult ? *m_writeResult : TransferResult(length);
    }

    TransferResult read(char *buffer, qint32 capacity, int waitMs) override
    {
        m_readWaits.append(waitMs);
        m_readCapacities.append(capacity);
        if (!m_open || m_reads.empty())
            return std::nullopt;
        Read next = m_reads.front();
        m_reads.pop_front();
        if (!next.bytes)
            return next.result;
        const qint32 count = qint32(std::min<qsizetype>(capacity, next.bytes->size()));
        std::memcpy(buffer, next.bytes->constData(), size_t(count));
        return count;
    }

    // Opens succeed (the default) or fail.
    void setOpensSucceed(bool succeed) { m_opensSucceed = succeed; }
    // Every write reports this instead of its length (nothing: it took no place).
    void setWriteResult(TransferResult result) { m_writeResult = result; }
    void queueRead(const QByteArray &bytes) { m_reads.push_back({ bytes, 0 }); }
    // A read that moves no bytes and reports this.
    void queueResult(TransferResult result) { m_reads.push_back({ std::nullopt, result }); }

    const QList<PortSettings> &opens() const { return m_opens; }
    int closes() const { return m_closes; }
    const QByteArray &written() const { return m_written; }
    const QList<int> &writeTimeouts() const { return m_writeTimeouts; }
    const QList<int> &readWaits() const { return m_readWaits; }
    const QList<qint32> &readCapacities() const { return m_readCapacities; }

private:
    struct Read {
        std::optional<QByteArray> bytes;
        TransferResult result;
    };

    bool m_open = false;
    bool m_opensSucceed = true;
    std::optional<TransferResult> m_writeResult;
    std::deque<Read> m_reads;
    QList<PortSettings> m_opens;
    int m_closes = 0;
    QByteArray m_written;
    QList<int> m_writeTimeouts;
    QList<int> m_readWaits;
    QList<qint32> m_readCapacities;
};
