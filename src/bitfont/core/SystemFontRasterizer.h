#pragma once

#include "bitfont/core/SourceText.h"
#include "jobs/JobProgress.h"

#include <QElapsedTimer>
#include <QFont>

class CFreeTypeFont;

// Draws codes 0 to 65535 of an installed font, chosen by the user, into the
// font document: one cell per printable code the font itself has (never a
// fallback font's), as wide as the character's advance and as high as the
// font's line. Codes that are not printable or not in the font get the blank
// cell of the widest character, marked not valid. Progress as
// renderOutlineFont: maximum 65536, each code, a cancel stops before the next
// code. Logs the time since chooserOpened, the chooser's time included, in a
// text translated by translate. Needs a QGuiApplication.
void renderSystemFont(CFreeTypeFont &font, const QFont &chosen, jobs::JobProgress &progress,
    const QElapsedTimer &chooserOpened, const TranslateText &translate = {});

// The face the font chooser starts with.
QString initialSystemFontFamily();
