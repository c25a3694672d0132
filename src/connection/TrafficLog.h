#pragma once

#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <QString>

// The traffic log: every line any thread logs is stamped on the calling
// thread and handed to the window thread through a queued signal, so the
// caller never waits. With nothing connected, entries are dropped.
class TrafficLog : public QObject
{
    Q_OBJECT
public:
    static TrafficLog &instance();

    // Stamps text with the local time ("2026-12-10 09:15:02.042 : text") and
    // posts it. The text is shown verbatim: it is never used as a format.
    void post(const QString &text);

    static QString stamp(const QDateTime &when, const QString &text);

    // "Write: " / "Read: " line for a transfer of bytes (without time stamp).
    static QString transferLine(const QString &prefix, QByteArrayView bytes);

Q_SIGNALS:
    void entryPosted(const QString &entry);

private:
    TrafficLog() = default;
};

// Appends one line to the traffic log from any thread.
inline void LogLine(const QString &text)
{
    TrafficLog::instance().post(text);
}
