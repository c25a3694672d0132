#pragma once

#include "connection/CDeviceInterface.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>

// A port object whose reads play back fuzzer input: each read takes one
// record, a length byte and that many bytes. Length 0 is a silent read (a
// time-out), 255 a dropped connection (the port stays closed after it); the
// end of the input reads as silence. Writes always go out.
class PlaybackPort : public CDeviceInterface
{
public:
    explicit PlaybackPort(QByteArrayView input)
        : m_input(input)
    { }

    bool Open(const PortSettings &) override { return m_open; }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    qint32 Write(const void *, qint32 length) override { return m_open ? length : -1; }
    qint32 DiscardInput() override { return 0; }

    qint32 Read(void *buffer, qint32 capacity, quint32) override
    {
        if (!m_open)
            return -1;
        if (m_pending.isEmpty()) {
            if (m_at >= m_input.size())
                return 0;
            const auto length = static_cast<unsigned char>(m_input[m_at++]);
            if (length == 255) {
                m_open = false;
                return -1;
            }
            m_pending = m_input.sliced(m_at, std::min<qsizetype>(length, m_input.size() - m_at));
            m_at += m_pending.size();
            if (m_pending.isEmpty())
                return 0;
        }
        const qsizetype count = std::min<qsizetype>(capacity, m_pending.size());
        std::memcpy(buffer, m_pending.data(), size_t(count));
        m_pending = m_pending.sliced(count);
        return qint32(count);
    }

private:
    QByteArrayView m_input;
    QByteArrayView m_pending;
    qsizetype m_at = 0;
    bool m_open = true;
};
