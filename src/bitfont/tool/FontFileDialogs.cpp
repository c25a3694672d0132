#include "bitfont/tool/FontFileDialogs.h"

#include "ui/Prompts.h"

namespace fontfiles {
namespace {

struct KindText {
    const char *suffix;
    const char *filter;
};

KindText textOf(Kind kind)
{
    switch (kind) {
    case Kind::Project:
        return { "bfproj", "RodEzorUrizid (*.bfproj);;All Files (*)" };
    case Kind::Bcf:
        return { "bcf", "font (*.bcf);;All Files (*)" };
    case Kind::OutlineFont:
        break;
    }
    return { "ttf", "font (*.ttf);;All Files (*)" };
}

} // namespace

QString openFile(QWidget *parent, Kind kind)
{
    return prompts().openFileName(parent, QString(), QString(), QString::fromLatin1(textOf(kind).filter));
}

QString saveFile(QWidget *parent, Kind kind)
{
    const KindText text = textOf(kind);
    return prompts().saveFileNameWithSuffix(
        parent, QString(), QString(), QString::fromLatin1(text.filter), QString::fromLatin1(text.suffix));
}

} // namespace fontfiles
