#include "file_manager/CFormFileManager.h"

#include "app/CApp.h"
#include "app/CDlgProcess.h"
#include "app/CMainFrame.h"
#include "app/GridColumns.h"
#include "app/LanguageManager.h"
#include "file_manager/jobs/FileManagerJobs.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"
#include "ui/RequiredControls.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

using protocol::MemoryPlace;

namespace {

const QList<grids::GridColumn> columns { { 40, 0 }, { 100, 1 }, { 260, 2 }, { 0, 3 } };

constexpr MemoryPlace places[] = { MemoryPlace::Dram, MemoryPlace::Flash, MemoryPlace::Card };
constexpr const char *optionNames[] = { "chk_file_manager_dram", "chk_file_manager_flash", "chk_file_manager_card" };

int indexOf(MemoryPlace place)
{
    return static_cast<int>(place);
}

struct PlaceMemory {
    qint32 total;
    qint32 free;
    const QList<FileEntry> &files;
};

PlaceMemory memoryOf(const PrinterParameters &p, MemoryPlace place)
{
    switch (place) {
    case MemoryPlace::Dram:
        return { p.dramTotal, p.dramFree, p.dramFiles };
    case MemoryPlace::Flash:
        return { p.flashTotal, p.flashFree, p.flashFiles };
    case MemoryPlace::Card:
        break;
    }
    return { p.cardTotal, p.cardFree, p.cardFiles };
}

// A local file of a drag, when it carries exactly one.
QString droppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().first().isLocalFile())
        return QString();
    const QString path = mime->urls().first().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

CFormFileManager::CFormFileManager(CApp &app, QWidget *parent)
    : QWidget(parent)
    , m_app(app)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::listenToLayoutRoots(this, this);
    setAcceptDrops(true);
    for (int i = 0; i < 3; ++i) {
        m_options[i] = ui::requireControl<QRadioButton>(this, optionNames[i]);
        connect(m_options[i], &QRadioButton::toggled, this,
            [this, i](bool checked) { onPlaceToggled(places[i], checked); });
    }
    m_grid = ui::requireControl<QTableWidget>(this, "grid_memory");
    m_total = ui::requireControl<QLineEdit>(this, "edit_file_manager_total_memory_size");
    m_free = ui::requireControl<QLineEdit>(this, "edit_file_manager_valid_memory_size");
    m_downloadPlace = ui::requireControl<QLabel>(this, "label_file_manager_download_place");
    m_path = ui::requireControl<QLineEdit>(this, "edit_file_manager_file_path");
    m_name = ui::requireControl<QLineEdit>(this, "edit_file_manager_file_name");
    m_size = ui::requireControl<QLineEdit>(this, "edit_file_manager_file_size");
    grids::setUpGrid(m_grid, QString::fromLatin1(layoutFile), columns);
    m_grid->setSortingEnabled(true);

    const struct {
        const char *name;
        void (CFormFileManager::*slot)();
    } buttons[] = {
        { "btn_file_manager_read_memory", &CFormFileManager::readMemory },
        { "btn_file_manager_delete_file", &CFormFileManager::deleteFile },
        { "btn_file_manager_delete_all_file", &CFormFileManager::deleteAllFiles },
        { "btn_file_manager_brower_file", &CFormFileManager::browseFile },
        { "btn_file_manager_download_file", &CFormFileManager::downloadFile },
    };
    for (const auto &button : buttons)
        connect(ui::requireControl<QPushButton>(this, button.name), &QPushButton::clicked, this, button.slot);

    const qint32 stored = m_app.settings().readInt(
        QString::fromLatin1(settingsSection), QString::fromLatin1(placeKey), indexOf(MemoryPlace::Flash));
    selectPlace(stored == 0 ? MemoryPlace::Dram : stored == 1 ? MemoryPlace::Flash : MemoryPlace::Card);
}

MemoryPlace CFormFileManager::selectedPlace() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_options[i]->isChecked())
            return places[i];
    }
    return MemoryPlace::Flash;
}

void CFormFileManager::selectPlace(MemoryPlace place)
{
    QRadioButton *option = m_options[indexOf(place)];
    if (option->isChecked())
        onPlaceToggled(place, true);
    else
        option->setChecked(true);
}

void CFormFileManager::onPlaceToggled(MemoryPlace place, bool checked)
{
    if (!checked)
        return;
    m_app.settings().writeInt(QString::fromLatin1(settingsSection), QString::fromLatin1(placeKey), indexOf(place));
    m_downloadPlace->setText(protocol::placeWord(place));
}

int CFormFileManager::runJob(jobs::TaskCode code, jobs::Job job)
{
    m_pendingJob = std::move(job);
    CDlgProcess dialog(this);
    dialog.setTaskCode(code);
    const int result = dialog.exec();
    m_pendingJob = jobs::Job();
    return result;
}

jobs::Job CFormFileManager::takeJob(CDlgProcess &dialog)
{
    auto *form = qobject_cast<CFormFileManager *>(dialog.caller());
    return form ? std::exchange(form->m_pendingJob, jobs::Job()) : jobs::Job();
}

void CFormFileManager::readMemory()
{
    const MemoryPlace place = selectedPlace();
    CApp &app = m_app;
    QPointer<CFormFileManager> form(this);
    runJob(jobs::TaskCode::ReadMemory,
        jobs::makeJob(
            [&app, place](jobs::JobContext &context) {
                return file_manager::readMemory(app.device(), app.parameters(), place, context);
            },
            [form, place](file_manager::MemoryReadEnd end) {
                if (!form)
                    return;
                form->showMemory(place);
                form->showReadFailure(end);
            }));
}

void CFormFileManager::showMemory(MemoryPlace place)
{
    const PlaceMemory memory = memoryOf(m_app.parameters(), place);
    m_total->setText(QString::number(memory.total));
    m_free->setText(QString::number(memory.free));
    // Rows keep their order of arrival; the user may sort them afterwards.
    m_grid->setSortingEnabled(false);
    m_grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_grid->setRowCount(0);
    const QString word = protocol::placeWord(place);
    for (const FileEntry &file : memory.files) {
        const int row = grids::appendRow(m_grid, columns, { QString(), word, file.name, QString() });
        m_grid->item(row, Size)->setData(Qt::DisplayRole, file.size);
    }
    m_grid->setSortingEnabled(true);
}

void CFormFileManager::showReadFailure(file_manager::MemoryReadEnd end)
{
    using End = file_manager::MemoryReadEnd;
    if (end == End::Complete)
        return;
    const QString message = end == End::ConnectionLost ? translate(QStringLiteral("读取内存中断：与打印机的连接中断。"))
                                                       : translate(QStringLiteral("打印机没有应答。"));
    prompts().showMessage(
        window(), message, translate(QStringLiteral("读取内存")), Prompts::Buttons::Ok, Prompts::Icon::Warning);
}

void CFormFileManager::deleteFile()
{
    const int row = grids::selectedRow(m_grid);
    if (row < 0)
        return;
    // The row's own place: the option may have changed since the list was read.
    const std::optional<MemoryPlace> place = protocol::placeOfWord(grids::cellText(m_grid, row, Place));
    const QString name = grids::cellText(m_grid, row, Name);
    if (!place || name.isEmpty())
        return;
    QTableWidgetItem *nameItem = m_grid->item(row, Name);
    CApp &app = m_app;
    QPointer<QTableWidget> grid(m_grid);
    runJob(jobs::TaskCode::DeleteFiles,
        jobs::makeJob([&app, place = *place, name](
                          jobs::JobContext &) { return protocol::deleteFile(app.device(), place, name); },
            [grid, nameItem](bool deleted) {
                if (deleted && grid)
                    grid->removeRow(nameItem->row());
            }));
}

void CFormFileManager::deleteAllFiles()
{
    if (prompts().showMessage(window(), translate(QStringLiteral("是否删除所有文件？")),
            translate(QStringLiteral("警告")), Prompts::Buttons::OkCancel, Prompts::Icon::Warning)
        != Prompts::Ok)
        return;
    const MemoryPlace place = selectedPlace();
    CApp &app = m_app;
    QPointer<QTableWidget> grid(m_grid);
    runJob(jobs::TaskCode::DeleteFiles,
        jobs::makeJob([&app, place](jobs::JobContext &) { return protocol::deleteAllFiles(app.device(), place); },
            [grid, word = protocol::placeWord(place)](bool deleted) {
                // Rows of another place, listed before the option changed, stay.
                for (int row = grid && deleted ? grid->rowCount() - 1 : -1; row >= 0; --row) {
                    if (grids::cellText(grid, row, Place) == word)
                        grid->removeRow(row);
                }
            }));
}

void CFormFileManager::browseFile()
{
    const QString path = prompts().openFileName(this, translate(QStringLiteral("选择要下载的文件")), QString(),
        translate(QStringLiteral("所有文件")) + QStringLiteral(" (*)"));
    if (!path.isEmpty())
        chooseFile(path);
}

void CFormFileManager::chooseFile(const QString &path)
{
    const QFileInfo file(path);
    m_path->setText(path);
    m_name->setText(file.fileName());
    m_size->setText(QString::number(file.isReadable() ? file.size() : 0));
}

void CFormFileManager::downloadFile()
{
    CDlgProcess dialog(this);
    dialog.setTaskCode(jobs::TaskCode::DownloadFile);
    dialog.setTexts({ m_path->text(), m_downloadPlace->text(), m_name->text() });
    dialog.exec();
}

bool CFormFileManager::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        grids::setUpGrid(m_grid, QString::fromLatin1(layoutFile), columns);
    return QWidget::eventFilter(watched, event);
}

void CFormFileManager::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CFormFileManager::dropEvent(QDropEvent *event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    chooseFile(path);
    downloadFile();
}

void registerFileManager(CApp &app)
{
    CMainFrame::registerPage(QStringLiteral("FormFileManager"),
        [](CApp &app, QWidget *parent) { return new CFormFileManager(app, parent); });
    CDlgProcess::registerTask(jobs::TaskCode::ReadMemory, &CFormFileManager::takeJob);
    CDlgProcess::registerTask(jobs::TaskCode::DeleteFiles, &CFormFileManager::takeJob);
    CDlgProcess::registerTask(jobs::TaskCode::DownloadFile, [&app](CDlgProcess &dialog) {
        const std::array<QString, 3> &texts = dialog.texts();
        const file_manager::DownloadRequest request { texts[0], texts[1], texts[2] };
        QPointer<QWidget> caller(dialog.caller());
        return jobs::makeJob(
            [&app, request](
                jobs::JobContext &context) { return file_manager::downloadFile(app.device(), request, context); },
            [caller](const file_manager::DownloadOutcome &outcome) {
                QString message;
                if (outcome.status == file_manager::DownloadStatus::Refused)
                    message = translate(QStringLiteral("打印机拒绝了文件：")) + outcome.reply;
                else if (outcome.status == file_manager::DownloadStatus::WriteFailed)
                    message = translate(QStringLiteral("下载失败：与打印机的连接中断。"));
                else
                    return;
                prompts().showMessage(caller ? caller->window() : nullptr, message,
                    translate(QStringLiteral("下载文件")), Prompts::Buttons::Ok, Prompts::Icon::Warning);
            });
    });
}
