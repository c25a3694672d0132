// The reply grammars: integers, millimetres, the cutter's reply, file lists
// and memory place words.
#include "protocol/PrinterParameters.h"
#include "protocol/ReplyGrammar.h"
#include "protocol/StorageCommands.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    const qint32 number = protocol::parseInteger(text);
    (void)protocol::dotsToMillimetres(number, protocol::parseInteger(text.right(4)));
    (void)protocol::dotsToMillimetres(number, 203);
    (void)protocol::parseCutBackLength(text);
    (void)protocol::placeOfWord(text);
    const QList<FileEntry> files = protocol::parseFileList(text);
    (void)files.size();
    return 0;
}
