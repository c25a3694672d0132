#pragma once

class CApp;

// Installs the bitmap font tab into the main window and its jobs into the
// progress dialog.
void registerBitFontTool(CApp &app);
// Only the jobs of task codes 4 to 10 (each takes its inputs from the
// CFormBitFont that opened the progress dialog).
void registerBitFontJobs();
