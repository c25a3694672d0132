#pragma once

#include <QStringList>

namespace platform {

// Dotted IPv4 addresses of every interface that is up, loopback included, in
// the order the system lists them.
QStringList localIPv4Addresses();

} // namespace platform
