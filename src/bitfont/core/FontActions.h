#pragma once

#include "bitfont/core/BcfBuilder.h"
#include "jobs/JobProgress.h"

class CDeviceInterface;
class CFreeTypeFont;

// Actions 8 and 9 of the bitmap font jobs (jobs::TaskCode::ExportBcf and
// DownloadFont). Rendering is in OutlineRasterizer.h and
// SystemFontRasterizer.h, the project operations are
// CFreeTypeFont::loadProject / saveProject.

// Builds the BCF of font and writes it to font.bcfPath (replacing the file
// only when complete). summary is filled for the export report. False when
// the BCF cannot be built or the file cannot be written (logged).
bool exportBcf(const CFreeTypeFont &font, int nullCount, BcfSummary &summary);

// The name goes unquoted into the "DOWNLOAD" line, whose fields are
// separated by commas and which a line break ends: such names cannot be sent.
bool isDownloadableFontName(const QString &name);

enum class DownloadResult {
    Sent,
    NotBuilt, // the BCF exceeded a limit (logged)
    NoGlyphs, // "font error, count is 0."
    NoName, // "font name is null."
    BadName, // not isDownloadableFontName (logged)
    WriteFailed, // a write failed part-way (logged with the bytes sent)
};
// Builds the BCF of font and downloads it as font.fontName into
// font.memoryPlace with the storage download framing; the progress counts
// 8192-byte blocks. Nothing is sent when the result is not Sent.
DownloadResult downloadFont(
    CDeviceInterface &port, const CFreeTypeFont &font, int nullCount, jobs::JobProgress &progress);
