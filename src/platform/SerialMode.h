#pragma once

#include <QString>

#include <optional>

namespace platform {

// Serial line settings as written in a mode text such as
// "baud=19200 parity=E data=7 stop=1" (keys in any order, any omitted key
// keeps its default: 9600 baud, no parity, 8 data bits, 1 stop bit).
struct SerialMode {
    int baud = 9600;
    char parity = 'N'; // N, E, O
    int dataBits = 8;
    int stopBits = 1;

    // Empty text gives the defaults; text that cannot be read gives nothing.
    static std::optional<SerialMode> parse(const QString &text);
    // Applies the mode to an open terminal; false when it cannot.
    bool applyTo(int fd) const;
};

} // namespace platform
