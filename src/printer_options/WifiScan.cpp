#include "printer_options/WifiScan.h"

#include "platform/SystemText.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <optional>

namespace printer_options {

namespace {

const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString managerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString deviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString wirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString accessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr uint wifiDeviceType = 2; // NM_DEVICE_TYPE_WIFI

QString failure(const char *operation, const QDBusError &error)
{
    return QStringLiteral("NetworkManager %1 failed with error: %2")
        .arg(QLatin1String(operation),
            error.message().isEmpty() ? error.name()
                                      : error.name() + QStringLiteral(" (") + error.message() + QLatin1Char(')'));
}

class Calls
{
public:
    explicit Calls(const QDBusConnection &bus)
        : m_bus(bus)
    { }

    // The reply's first argument, or the error.
    std::optional<QVariant> call(const QString &path, const QString &interface, const QString &method,
        const QVariantList &arguments, QDBusError &error) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        const QDBusMessage reply = m_bus.call(message, QDBus::Block, dbusCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            error = reply.type() == QDBusMessage::ErrorMessage
                ? QDBusError(reply)
                : QDBusError(QDBusError::InvalidSignature, QStringLiteral("reply without a value"));
            return std::nullopt;
        }
        return reply.arguments().first();
    }

    std::optional<QVariant> property(
        const QString &path, const QString &interface, const QString &name, QDBusError &error) const
    {
        const std::optional<QVariant> value
            = call(path, propertiesInterface, QStringLiteral("Get"), { interface, name }, error);
        if (!value)
            return std::nullopt;
        return qvariant_cast<QDBusVariant>(*value).variant();
    }

    std::optional<QList<QDBusObjectPath>> paths(
        const QString &path, const QString &interface, const QString &method, QDBusError &error) const
    {
        const std::optional<QVariant> value = call(path, interface, method, {}, error);
        if (!value)
            return std::nullopt;
        return qdbus_cast<QList<QDBusObjectPath>>(*value);
    }

private:
    QDBusConnection m_bus;
};

QString ssidName(const QByteArray &ssid)
{
    QByteArray bytes = ssid;
    bytes.removeIf([](char byte) { return byte == '\0'; });
    return platform::fromSystemBytes(bytes);
}

} // namespace

WifiScanResult scanWifiNetworks(const QDBusConnection &bus)
{
    WifiScanResult result;
    if (!bus.isConnected()) {
        result.logLines.append(failure("connection", bus.lastError()));
        return result;
    }
    const Calls calls(bus);
    QDBusError error;
    const std::optional<QList<QDBusObjectPath>> devices
        = calls.paths(managerPath, managerInterface, QStringLiteral("GetDevices"), error);
    if (!devices) {
        const bool unreachable = error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoReply
            || error.type() == QDBusError::Timeout || error.type() == QDBusError::Disconnected;
        result.logLines.append(failure(unreachable ? "connection" : "GetDevices", error));
        return result;
    }
    for (const QDBusObjectPath &device : *devices) {
        const std::optional<QVariant> type
            = calls.property(device.path(), deviceInterface, QStringLiteral("DeviceType"), error);
        if (!type) {
            result.logLines.append(failure("GetAccessPoints", error));
            continue;
        }
        if (type->toUInt() != wifiDeviceType)
            continue;
        const std::optional<QList<QDBusObjectPath>> accessPoints
            = calls.paths(device.path(), wirelessInterface, QStringLiteral("GetAccessPoints"), error);
        if (!accessPoints) {
            result.logLines.append(failure("GetAccessPoints", error));
            continue;
        }
        for (const QDBusObjectPath &accessPoint : *accessPoints) {
            const std::optional<QVariant> ssid
                = calls.property(accessPoint.path(), accessPointInterface, QStringLiteral("Ssid"), error);
            if (!ssid) {
                result.logLines.append(failure("GetAccessPoints", error));
                continue;
            }
            const QString name = ssidName(ssid->toByteArray());
            if (!name.isEmpty())
                result.names.append(name);
        }
    }
    return result;
}

} // namespace printer_options
