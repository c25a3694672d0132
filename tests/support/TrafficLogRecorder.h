#pragma once

#include "connection/TrafficLog.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

// Collects traffic-log entries from any thread, without their time stamps.
class TrafficLogRecorder
{
public:
    TrafficLogRecorder()
    {
        m_connection = QObject::connect(
            &TrafficLog::instance(), &TrafficLog::entryPosted, &TrafficLog::instance(),
            [this](const QString &entry) {
                QMutexLocker lock(&m_mutex);
                m_lines.append(entry.mid(entry.indexOf(QStringLiteral(" : ")) + 3));
            },
            Qt::DirectConnection);
    }
    ~TrafficLogRecorder() { QObject::disconnect(m_connection); }

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lines.clear();
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
    QMetaObject::Connection m_connection;
};
