#pragma once

#include "connection/CDeviceInterface.h"

#include <QByteArray>
#include <QSet>

// Stands between the writing pass and the printer: only the commands allowed
// go through, the others are taken as sent without leaving, so the pass keeps
// its own order, pages and conditions. Without a target (a dry run) the
// allowed commands are recorded instead of sent.
class SettingFilterPort : public CDeviceInterface
{
public:
    explicit SettingFilterPort(CDeviceInterface *target)
        : m_target(target)
    { }

    void allow(const QByteArray &command) { m_allowed.insert(command); }
    const QByteArray &recorded() const { return m_recorded; }
    int passed() const { return m_passed; }

    bool Open(const PortSettings &) override { return true; }
    void Close() override { }
    bool IsOpen() const override { return !m_target || m_target->IsOpen(); }
    qint32 Write(const void *data, qint32 length) override
    {
        const QByteArray command(static_cast<const char *>(data), length);
        if (!m_allowed.contains(command))
            return length;
        ++m_passed;
        if (!m_target) {
            m_recorded += command;
            return length;
        }
        return m_target->Write(data, length);
    }
    qint32 Read(void *, qint32, quint32) override { return 0; }
    qint32 DiscardInput() override { return 0; }

private:
    CDeviceInterface *m_target;
    QSet<QByteArray> m_allowed;
    QByteArray m_recorded;
    int m_passed = 0;
};
