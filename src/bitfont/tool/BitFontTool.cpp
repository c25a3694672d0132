#include "bitfont/tool/BitFontTool.h"

#include "app/CApp.h"
#include "app/CDlgProcess.h"
#include "app/CMainFrame.h"
#include "app/LanguageManager.h"
#include "bitfont/core/FontActions.h"
#include "bitfont/core/GlyphRecords.h"
#include "bitfont/core/OutlineRasterizer.h"
#include "bitfont/core/SystemFontRasterizer.h"
#include "bitfont/tool/CFormBitFont.h"
#include "ui/Prompts.h"

#include <QPointer>

using jobs::JobContext;
using jobs::TaskCode;

namespace {

const TranslateText translation = [](const QString &source) { return translate(source); };

void showFailure(QWidget *parent, const QString &message)
{
    prompts().showMessage(parent, message, QString(), Prompts::Buttons::Ok, Prompts::Icon::Warning);
}

// The font jobs take their inputs from the tab that opened the dialog; the
// tab stays blocked (the dialog is modal) until they have returned.
void registerFontTask(TaskCode code, std::function<jobs::Job(CFormBitFont &form)> build)
{
    CDlgProcess::registerTask(code, [build = std::move(build)](CDlgProcess &dialog) {
        auto *form = qobject_cast<CFormBitFont *>(dialog.caller());
        return form ? build(*form) : jobs::Job();
    });
}

} // namespace

void registerBitFontJobs()
{
    registerFontTask(TaskCode::RenderOutlineFont, [](CFormBitFont &form) {
        QPointer<CFormBitFont> tab(&form);
        return jobs::makeJob([&font = form.font()](JobContext &context) { return renderOutlineFont(font, context); },
            [tab](bool rendered) {
                if (!tab)
                    return;
                tab->refreshFields();
                if (!rendered)
                    showFailure(tab, translate(QStringLiteral("无法打开字体文件或设置字体大小。")));
            });
    });
    registerFontTask(TaskCode::LoadProject, [](CFormBitFont &form) {
        QPointer<CFormBitFont> tab(&form);
        return jobs::makeJob(
            [&font = form.font()](JobContext &) {
                if (!font.loadProject())
                    return false;
                // The history belongs to the font it was recorded on.
                glyphhistory::clear(font);
                return true;
            },
            [tab](bool loaded) {
                if (!tab)
                    return;
                tab->refreshFields();
                if (!loaded)
                    showFailure(tab, translate(QStringLiteral("载入字体工程失败。")));
            });
    });
    registerFontTask(TaskCode::SaveProject, [](CFormBitFont &form) {
        QPointer<CFormBitFont> tab(&form);
        return jobs::makeJob([&font = form.font()](JobContext &) { return font.saveProject(); },
            [tab](bool saved) {
                if (tab && !saved)
                    showFailure(tab, translate(QStringLiteral("保存字体工程失败。")));
            });
    });
    registerFontTask(TaskCode::NoFontAction, [](CFormBitFont &) { return jobs::makeJob([](JobContext &) {}); });
    registerFontTask(TaskCode::ExportBcf, [](CFormBitFont &form) {
        QPointer<CFormBitFont> tab(&form);
        struct Outcome {
            bool written = false;
            BcfSummary summary;
        };
        return jobs::makeJob(
            [&font = form.font(), gap = form.nullCount()](JobContext &) {
                Outcome outcome;
                outcome.written = exportBcf(font, gap, outcome.summary);
                return outcome;
            },
            [tab](Outcome outcome) {
                if (!tab)
                    return;
                if (!outcome.written) {
                    showFailure(tab, translate(QStringLiteral("导出字体文件失败。")));
                    return;
                }
                prompts().showMessage(tab->window(), exportReportText(outcome.summary, translation), QString(),
                    Prompts::Buttons::Ok, Prompts::Icon::Information);
            });
    });
    registerFontTask(TaskCode::DownloadFont, [](CFormBitFont &form) {
        QPointer<CFormBitFont> tab(&form);
        return jobs::makeJob([&port = form.device(), &font = form.font(), gap = form.nullCount()](
                                 JobContext &context) { return downloadFont(port, font, gap, context); },
            [tab](DownloadResult result) {
                if (tab && result == DownloadResult::NotBuilt)
                    showFailure(tab, translate(QStringLiteral("字体太大，无法写入打印机。")));
                else if (tab && result == DownloadResult::WriteFailed)
                    showFailure(tab, translate(QStringLiteral("下载失败：与打印机的连接中断。")));
            });
    });
    registerFontTask(TaskCode::RenderSystemFont, [](CFormBitFont &form) {
        QPointer<CFormBitFont> tab(&form);
        return jobs::makeJob([&font = form.font(), chosen = form.chosenSystemFont(), opened = form.chooserOpened()](
                                 JobContext &context) { renderSystemFont(font, chosen, context, opened, translation); },
            [tab] {
                if (tab)
                    tab->refreshFields();
            });
    });
}

void registerBitFontTool(CApp &)
{
    registerBitFontJobs();
    CMainFrame::registerPage(QStringLiteral("FormBitFont"),
        [](CApp &app, QWidget *parent) -> QWidget * { return new CFormBitFont(app.settings(), app.device(), parent); });
}
