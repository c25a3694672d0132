#include "bitfont/tool/CFormBitFont.h"

#include "app/CDlgProcess.h"
#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "bitfont/core/BcfBuilder.h"
#include "bitfont/core/FontActions.h"
#include "bitfont/core/SystemFontRasterizer.h"
#include "bitfont/tool/CDlgFontEdit.h"
#include "bitfont/tool/CDlgImportFont.h"
#include "bitfont/tool/CDlgViewFontBcf2.h"
#include "bitfont/tool/FontFileDialogs.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"
#include "ui/RequiredControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QString section = QStringLiteral("BitFont");
const QString memoryPlaceKey = QStringLiteral("MemoryPlace");
const QString nullCountKey = QStringLiteral("NullCount");
constexpr const char *placeWords[] = { "DRAM", "FLASH", "CARD" };
constexpr const char *placeControls[] = { "chk_bitfont_dram", "chk_bitfont_flash", "chk_bitfont_card" };

} // namespace

CFormBitFont::CFormBitFont(SettingsStore &settings, CDeviceInterface &device, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_device(device)
{
    if (QWidget *page = ui::loadLayout(QString::fromLatin1(layoutFile), this)) {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(page);
    }
    auto *places = new QButtonGroup(this);
    for (int place = 0; place < 3; ++place) {
        m_places[place] = ui::requireControl<QCheckBox>(this, placeControls[place]);
        places->addButton(m_places[place], place);
        connect(m_places[place], &QCheckBox::toggled, this, [this, place](bool on) {
            if (on)
                memoryPlaceSelected(place);
        });
    }
    const int stored = settings.readInt(section, memoryPlaceKey, 1);
    QCheckBox *selected = m_places[stored == 0 ? 0 : stored == 1 ? 1 : 2];
    const QSignalBlocker quiet(selected);
    selected->setChecked(true);

    m_name = ui::requireControl<QLineEdit>(this, "edit_bitfont_font_name");
    m_width = ui::requireControl<QLineEdit>(this, "edit_bitfont_font_width");
    m_height = ui::requireControl<QLineEdit>(this, "edit_bitfont_font_height");
    m_gap = ui::requireControl<QSpinBox>(this, "edit_bitfont_font_null_count");
    // A negative gap would end every range at once; the field starts at 0.
    m_gap->setRange(0, INT_MAX);
    m_gap->setValue(qMax(0, settings.readInt(section, nullCountKey, 5)));
    m_nullCount = m_gap->value();
    connect(m_gap, &QSpinBox::valueChanged, this, [this](int value) {
        m_nullCount = value;
        m_settings.writeInt(section, nullCountKey, value);
    });
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString &text) { m_font.fontName = text; });

    const std::pair<const char *, void (CFormBitFont::*)()> buttons[] = {
        { "btn_bitfont_load_system_font", &CFormBitFont::loadSystemFont },
        { "btn_bitfont_load_ttf_file", &CFormBitFont::loadTtfFile },
        { "btn_bitfont_load_project", &CFormBitFont::loadProject },
        { "btn_bitfont_edit_font", &CFormBitFont::editFont },
        { "btn_bitfont_preview_font", &CFormBitFont::previewFont },
        { "btn_bitfont_download", &CFormBitFont::download },
        { "btn_bitfont_save_font_bin", &CFormBitFont::exportBcf },
        { "btn_bitfont_save_project", &CFormBitFont::saveProject },
    };
    for (const auto &[name, handler] : buttons)
        connect(ui::requireControl<QPushButton>(this, name), &QPushButton::clicked, this, handler);
}

void CFormBitFont::memoryPlaceSelected(int place)
{
    m_settings.writeInt(section, memoryPlaceKey, place);
}

void CFormBitFont::refreshFields()
{
    const CFreeTypeFont::Fields fields = m_font.fields();
    m_name->setText(fields.name);
    m_width->setText(QString::number(fields.width));
    m_height->setText(QString::number(fields.height));
}

int CFormBitFont::runAction(jobs::TaskCode code)
{
    CDlgProcess dialog(this);
    dialog.setTaskCode(code);
    return dialog.exec();
}

void CFormBitFont::loadSystemFont()
{
    m_chooserOpened.start();
    const std::optional<QFont> chosen = prompts().chooseFont(this, QFont(initialSystemFontFamily()));
    if (!chosen)
        return;
    m_systemFont = *chosen;
    runAction(jobs::TaskCode::RenderSystemFont);
}

void CFormBitFont::loadTtfFile()
{
    CDlgImportFont dialog(m_font, m_settings, this);
    if (dialog.exec() == QDialog::Accepted)
        runAction(jobs::TaskCode::RenderOutlineFont);
}

void CFormBitFont::runOnFile(const QString &path, QString &target, jobs::TaskCode code)
{
    // A cancelled file dialog starts nothing.
    if (path.isEmpty())
        return;
    target = path;
    runAction(code);
}

void CFormBitFont::loadProject()
{
    runOnFile(fontfiles::openFile(this, fontfiles::Kind::Project), m_font.projectPath, jobs::TaskCode::LoadProject);
}

void CFormBitFont::saveProject()
{
    runOnFile(fontfiles::saveFile(this, fontfiles::Kind::Project), m_font.projectPath, jobs::TaskCode::SaveProject);
}

void CFormBitFont::exportBcf()
{
    runOnFile(fontfiles::saveFile(this, fontfiles::Kind::Bcf), m_font.bcfPath, jobs::TaskCode::ExportBcf);
}

void CFormBitFont::download()
{
    const QString name = m_name->text();
    if (!isDownloadableFontName(name)) {
        prompts().showMessage(this, translate(QStringLiteral("字体名称不能包含逗号或换行。")), QString(),
            Prompts::Buttons::Ok, Prompts::Icon::Warning);
        return;
    }
    m_font.fontName = name;
    for (int place = 0; place < 3; ++place) {
        if (m_places[place]->isChecked())
            m_font.memoryPlace = QString::fromLatin1(placeWords[place]);
    }
    runAction(jobs::TaskCode::DownloadFont);
}

void CFormBitFont::editFont()
{
    CDlgFontEdit dialog(m_font, this);
    dialog.exec();
}

void CFormBitFont::previewFont()
{
    // Built on the font worker and handed over whole: a CJK font's BCF is
    // hundreds of megabytes and a second of work.
    auto document = std::make_shared<pugi::xml_document>();
    CDlgProcess dialog(this);
    dialog.setTaskCode(jobs::TaskCode::NoFontAction);
    dialog.setJob(jobs::makeJob(
        [&font = m_font, document, gap = m_nullCount](jobs::JobContext &) { buildBcfDocument(font, *document, gap); }));
    if (dialog.exec() != 1)
        return;
    CDlgViewFontBcf2 viewer(std::move(document), this);
    viewer.exec();
}
