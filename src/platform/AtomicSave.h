#pragma once

#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace platform {

// Writes every byte, going on after a partial write: a file that fills up
// takes what fits, and only the next write fails and sets the device's
// errorString. False when not every byte was written.
bool writeWhole(QIODevice &device, QByteArrayView bytes);

// Writes bytes to path in one piece: the file at path is replaced only once
// every byte is written, so a failure or a kill part-way leaves the earlier
// file as it was. Empty on success, otherwise the system's reason.
QString saveAtomically(const QString &path, QByteArrayView bytes);

} // namespace platform
