#include "cli/English.h"

#include "ui/LanguagePack.h"
#include "ui/SkinPackage.h"

namespace cli {

QString english(const QString &source)
{
    static const MessagePack pack
        = parseMessagePack(SkinPackage::embedded().read(QStringLiteral("Lang/English/StringResource.lng")));
    return pack.value(source, source);
}

} // namespace cli
