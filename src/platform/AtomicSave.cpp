#include "platform/AtomicSave.h"

#include <QSaveFile>

namespace platform {

bool writeWhole(QIODevice &device, QByteArrayView bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = device.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

QString saveAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    // Unbuffered, so that a failed write says why: the reason of a failed
    // flush inside commit() is lost when the file closes.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    if (!writeWhole(file, bytes)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason.isEmpty() ? QStringLiteral("write failed") : reason;
    }
    if (!file.commit()) {
        const QString reason = file.errorString();
        return reason.isEmpty() ? QStringLiteral("cannot replace the file") : reason;
    }
    return QString();
}

} // namespace platform
