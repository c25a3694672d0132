#pragma once

#include <QString>

#include <netinet/in.h>

// A host text as an IPv4 address: dotted form first, else the first answer of
// a name lookup; 255.255.255.255 when neither works.
in_addr resolveIPv4(const QString &host);
QString dottedText(const in_addr &address);
