#pragma once

#include <QString>

class QWidget;

// The file dialogs of the bitmap font tool, through prompts().
namespace fontfiles {

enum class Kind { OutlineFont, Project, Bcf };

QString openFile(QWidget *parent, Kind kind);
// Adds the kind's suffix to a name typed without one before the overwrite question.
QString saveFile(QWidget *parent, Kind kind);

} // namespace fontfiles
