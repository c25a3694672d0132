#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

// One running program per user: a lock file held for the life of the
// process, and a local socket on which a later start asks the running one
// to show itself.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // directory: where the lock and the socket live (per user); by default
    // the user's runtime directory.
    explicit SingleInstance(const QString &name, const QString &directory = QString());

    // True when this process is the first: it then holds the lock and listens.
    bool acquire();
    // For a later start: asks the running program to show itself. Bounded.
    bool notifyRunning();

Q_SIGNALS:
    void activationRequested();

private:
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};
