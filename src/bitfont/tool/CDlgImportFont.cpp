#include "bitfont/tool/CDlgImportFont.h"

#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "bitfont/core/CFreeTypeFont.h"
#include "bitfont/tool/FontFileDialogs.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"
#include "ui/RequiredControls.h"
#include "ui/WindowChrome.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString section = QStringLiteral("ImportFont");
const QStringList sizeChoices { QStringLiteral("8"), QStringLiteral("12"), QStringLiteral("16"), QStringLiteral("21"),
    QStringLiteral("24"), QStringLiteral("32"), QStringLiteral("48"), QStringLiteral("64"), QStringLiteral("72"),
    QStringLiteral("128"), QStringLiteral("256") };

void fillSizes(QComboBox *list, const QString &text)
{
    list->addItems(sizeChoices);
    list->setEditable(true);
    list->setCurrentText(text);
}

} // namespace

std::optional<int> parsePixelSize(const QString &text)
{
    qint64 value = 0;
    qsizetype digits = 0;
    for (const QChar character : text) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            break;
        value = qMin<qint64>(value * 10 + (character.unicode() - '0'), qint64(INT_MAX));
        ++digits;
    }
    if (digits == 0 || value < 1 || value > maxPixelSize)
        return std::nullopt;
    return int(value);
}

CDlgImportFont::CDlgImportFont(CFreeTypeFont &font, SettingsStore &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_font(font)
    , m_settings(settings)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_path = ui::requireControl<QLineEdit>(this, "edit_font_file_path");
    m_width = ui::requireControl<QComboBox>(this, "cb_font_width");
    m_height = ui::requireControl<QComboBox>(this, "cb_font_height");
    fillSizes(m_width, settings.readText(section, QStringLiteral("Width"), QStringLiteral("16")));
    fillSizes(m_height, settings.readText(section, QStringLiteral("Height"), QStringLiteral("16")));
    m_path->setText(settings.readText(section, QStringLiteral("FilePath"), QString()));
    connect(ui::requireControl<QPushButton>(this, "btn_browser_file"), &QPushButton::clicked, this,
        &CDlgImportFont::browse);
    connect(ui::requireControl<QPushButton>(this, "btn_ok"), &QPushButton::clicked, this, &CDlgImportFont::confirm);
    connect(ui::requireControl<QPushButton>(this, "btn_cancel"), &QPushButton::clicked, this, &CDlgImportFont::reject);
}

void CDlgImportFont::browse()
{
    const QString path = fontfiles::openFile(this, fontfiles::Kind::OutlineFont);
    if (!path.isEmpty())
        m_path->setText(path);
}

void CDlgImportFont::confirm()
{
    const std::optional<int> width = parsePixelSize(m_width->currentText());
    const std::optional<int> height = parsePixelSize(m_height->currentText());
    if (!width || !height) {
        prompts().showMessage(this, translate(QStringLiteral("字体宽度和高度必须在1到256之间。")), QString(),
            Prompts::Buttons::Ok, Prompts::Icon::Warning);
        return;
    }
    const QString path = m_path->text();
    m_settings.writeText(section, QStringLiteral("Width"), m_width->currentText());
    m_settings.writeText(section, QStringLiteral("Height"), m_height->currentText());
    m_settings.writeText(section, QStringLiteral("FilePath"), path);
    m_font.ttfPath = path;
    m_font.pixelWidth = *width;
    m_font.pixelHeight = *height;
    accept();
}
