#pragma once

#include "connection/CDeviceInterface.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>

// A port object that records every byte written and plays back scripted
// replies, one per Read, without touching a device. It is always open.
//
//   ScriptedPort port;
//   port.answer("DIAGNOSTIC REPORT DPI\r\n", "203\r\n"); // reply queued when that command is written
//   port.queueReply("1\r\n");                           // reply for the next Read whatever was written
//
// A reply longer than the reader's capacity is handed out over several reads,
// the way a device keeps unread input. With nothing queued, Read returns 0
// at once (a time-out, without the wait).
class ScriptedPort : public CDeviceInterface
{
public:
    bool Open(const PortSettings &) override { return true; }
    void Close() override { }
    bool IsOpen() const override { return true; }

    qint32 Write(const void *data, qint32 length) override
    {
        const QByteArray bytes(static_cast<const char *>(data), length);
        m_writes.append(bytes);
        if (m_failingWrites.contains(bytes))
            return 0;
        if (const auto reply = m_answers.constFind(bytes); reply != m_answers.cend())
            m_pending.push_back(Reply { *reply, 0 });
        if (m_writeResult)
            return *m_writeResult;
        return length;
    }

    qint32 Read(void *buffer, qint32 capacity, quint32 waitMs) override
    {
        m_readWaits.append(waitMs);
        m_readCapacities.append(capacity);
        if (m_pending.empty())
            return 0;
        Reply &next = m_pending.front();
        if (next.bytes.isEmpty()) {
            const qint32 result = next.result;
            m_pending.pop_front();
            return result;
        }
        const qint32 count = static_cast<qint32>(std::min<qsizetype>(capacity, next.bytes.size() - next.taken));
        std::memcpy(buffer, next.bytes.constData() + next.taken, static_cast<size_t>(count));
        next.taken += count;
        if (next.taken == next.bytes.size())
            m_pending.pop_front();
        return count;
    }

    // Played back when exactly these bytes are written (one Write call).
    void answer(const QByteArray &command, const QByteArray &reply) { m_answers.insert(command, reply); }
    void queueReply(const QByteArray &reply) { m_pending.push_back(Reply { reply, 0 }); }
    // A read that returns this count with no bytes: 0 a time-out, negative a
    // connection error.
    void queueReadResult(qint32 result) { m_pending.push_back(Reply { QByteArray(), result }); }
    // Every Write reports this count instead of its length (0: a failed write).
    void setWriteResult(std::optional<qint32> result) { m_writeResult = result; }
    // Writing exactly these bytes fails (reports 0, nothing answered); the bytes are still recorded.
    void failWriteOf(const QByteArray &command) { m_failingWrites.append(command); }

    const QList<QByteArray> &writes() const { return m_writes; }
    QByteArray written() const { return m_writes.join(); }
    const QList<quint32> &readWaits() const { return m_readWaits; }
    const QList<qint32> &readCapacities() const { return m_readCapacities; }
    bool allRepliesTaken() const { return m_pending.empty(); }
    void clearRecord()
    {
        m_writes.clear();
        m_readWaits.clear();
        m_readCapacities.clear();
    }

private:
    struct Reply {
        QByteArray bytes;
        qint32 result;
        qsizetype taken = 0; // bytes already handed out
    };

    QHash<QByteArray, QByteArray> m_answers;
    std::deque<Reply> m_pending;
    std::optional<qint32> m_writeResult;
    QList<QByteArray> m_failingWrites;
    QList<QByteArray> m_writes;
    QList<quint32> m_readWaits;
    QList<qint32> m_readCapacities;
};
