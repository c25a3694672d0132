#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int connectTimeoutMs = 1000;

QString instanceDirectory(const QString &directory)
{
    if (!directory.isEmpty())
        return directory;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance(const QString &name, const QString &directory)
    : m_socketPath(instanceDirectory(directory) + QLatin1Char('/') + name + QStringLiteral(".socket"))
    , m_lock(instanceDirectory(directory) + QLatin1Char('/') + name + QStringLiteral(".lock"))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection())
            socket->deleteLater();
        Q_EMIT activationRequested();
    });
}

bool SingleInstance::acquire()
{
    if (!m_lock.tryLock(0))
        return false;
    // A socket left by a process that died is ours to replace.
    QLocalServer::removeServer(m_socketPath);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketPath);
    return true;
}

bool SingleInstance::notifyRunning()
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}
