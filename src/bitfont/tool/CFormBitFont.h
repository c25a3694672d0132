#pragma once

#include "bitfont/core/CFreeTypeFont.h"
#include "jobs/TaskCode.h"
#include "ui/RequiredControls.h"

#include <QElapsedTimer>
#include <QFont>
#include <QWidget>

class CDeviceInterface;
class QCheckBox;
class QLineEdit;
class QSpinBox;
class SettingsStore;

// The bitmap font tab: owns the one font of the tool and the gap limit, and
// turns its buttons into the font jobs (behind the progress dialog), the
// import dialog, the glyph editor and the BCF viewer.
class CFormBitFont : public QWidget
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "FormBitFont.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "chk_bitfont_dram", "QCheckBox" },
        { "chk_bitfont_flash", "QCheckBox" },
        { "chk_bitfont_card", "QCheckBox" },
        { "edit_bitfont_font_name", "QLineEdit" },
        { "edit_bitfont_font_width", "QLineEdit" },
        { "edit_bitfont_font_height", "QLineEdit" },
        { "edit_bitfont_font_null_count", "QSpinBox" },
        { "btn_bitfont_load_system_font", "QPushButton" },
        { "btn_bitfont_load_ttf_file", "QPushButton" },
        { "btn_bitfont_load_project", "QPushButton" },
        { "btn_bitfont_edit_font", "QPushButton" },
        { "btn_bitfont_preview_font", "QPushButton" },
        { "btn_bitfont_download", "QPushButton" },
        { "btn_bitfont_save_font_bin", "QPushButton" },
        { "btn_bitfont_save_project", "QPushButton" },
    };

    CFormBitFont(SettingsStore &settings, CDeviceInterface &device, QWidget *parent = nullptr);

    CFreeTypeFont &font() { return m_font; }
    CDeviceInterface &device() { return m_device; }
    int nullCount() const { return m_nullCount; }
    // The system font the user chose for the next rendering, and since when
    // the chooser was open.
    const QFont &chosenSystemFont() const { return m_systemFont; }
    const QElapsedTimer &chooserOpened() const { return m_chooserOpened; }

    // Shows the document's name, width and height in the three fields.
    void refreshFields();
    // Runs a font job behind the progress dialog; its modal result.
    int runAction(jobs::TaskCode code);

    void loadSystemFont();
    void loadTtfFile();
    void loadProject();
    void saveProject();
    void exportBcf();
    void download();
    void editFont();
    void previewFont();

private:
    void memoryPlaceSelected(int place);
    void runOnFile(const QString &path, QString &target, jobs::TaskCode code);

    SettingsStore &m_settings;
    CDeviceInterface &m_device;
    CFreeTypeFont m_font;
    int m_nullCount = 5;
    QFont m_systemFont;
    QElapsedTimer m_chooserOpened;
    QCheckBox *m_places[3] = {};
    QLineEdit *m_name = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    QSpinBox *m_gap = nullptr;
};
