#pragma once

#include "ui/RequiredControls.h"

#include <QDialog>

#include <optional>

class CFreeTypeFont;
class QComboBox;
class QLineEdit;
class SettingsStore;

// A pixel size as typed: the leading decimal digits (saturating, so that a
// long number stays large), nothing when there are none or the value lies
// outside 1..maxPixelSize.
constexpr int maxPixelSize = 256;
std::optional<int> parsePixelSize(const QString &text);

// Asks for the outline font file and the pixel size before a rendering.
// Confirmed, it stores its three texts and sets the font's path and size.
class CDlgImportFont : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgImportFont.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "edit_font_file_path", "QLineEdit" },
        { "cb_font_width", "QComboBox" },
        { "cb_font_height", "QComboBox" },
        { "btn_browser_file", "QPushButton" },
        { "btn_ok", "QPushButton" },
        { "btn_cancel", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    CDlgImportFont(CFreeTypeFont &font, SettingsStore &settings, QWidget *parent = nullptr);

    void browse();
    // Refuses, with a message, sizes outside 1..256; the dialog stays open.
    void confirm();

private:
    CFreeTypeFont &m_font;
    SettingsStore &m_settings;
    QLineEdit *m_path = nullptr;
    QComboBox *m_width = nullptr;
    QComboBox *m_height = nullptr;
};
