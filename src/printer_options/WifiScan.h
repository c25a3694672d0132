#pragma once

#include <QDBusConnection>
#include <QStringList>

// The Wi-Fi networks the computer sees, from NetworkManager over D-Bus.
namespace printer_options {

// No D-Bus call waits longer than this for its reply.
inline constexpr int dbusCallTimeoutMs = 1500;

struct WifiScanResult {
    QStringList names; // SSIDs in the order of devices and access points, repeats kept
    QStringList logLines; // one per failed call
};

// Every Wi-Fi device's visible access points. Reaching NetworkManager,
// listing its devices and reading one device's networks each fail with a
// log line of their own; a failing device does not stop the others.
WifiScanResult scanWifiNetworks(const QDBusConnection &bus);

} // namespace printer_options
