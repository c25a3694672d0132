#include "app/CApp.h"
#include "app/CMainFrame.h"
#include "app/LanguageManager.h"
#include "file_manager/CFormFileManager.h"
#include "file_manager/jobs/FileManagerJobs.h"
#include "protocol/CommandChannel.h"
#include "protocol/PrinterParameters.h"
#include "protocol/StorageCommands.h"
#include "support/RecordingProgress.h"
#include "support/SimPrinterProcess.h"
#include "support/TrafficLogRecorder.h"
#include "ui/LayoutLoader.h"
#include "ui/ScriptedPrompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using protocol::MemoryPlace;

namespace {

const QString section = QStringLiteral("FileManager");
const QString key = QStringLiteral("MemoryPlace");

QStringList column(const QTableWidget *grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid->rowCount(); ++row)
        texts.append(grid->item(row, column)->text());
    return texts;
}

} // namespace

// The file manager tab against the simulated printer over loopback TCP. A
// second connection to the same printer looks at what it stores.
class FileManagerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void startSelectsTheStoredPlace_data();
    void startSelectsTheStoredPlace();
    void readMemoryFillsSizesAndRows_data();
    void readMemoryFillsSizesAndRows();
    void readMemoryIgnoresAStaleReply();
    void failedReadClearsTheListAndSaysWhy_data();
    void failedReadClearsTheListAndSaysWhy();
    void deleteOneRemovesTheFileOfItsRow();
    void deleteAll_data();
    void deleteAll();
    void browseTakesNameAndSizeFromTheFileSystem();
    void downloadStoresEveryByte_data();
    void downloadStoresEveryByte();
    void refusalIsShownAndTheNextReadIsRight_data();
    void refusalIsShownAndTheNextReadIsRight();
    void nameWithACommaIsRefused();
    void gridSortsByNameAndSize();
    void gridHeadingsFollowTheLanguage();
    void droppedFileIsDownloaded();
    void screenshots_data();
    void screenshots();

private:
    std::unique_ptr<CFormFileManager> makeForm();
    QPushButton *button(QWidget *form, const char *name) const;
    void selectPlace(CFormFileManager &form, MemoryPlace place);
    void putFile(MemoryPlace place, const QString &name, qsizetype size);
    QList<FileEntry> storedFiles(MemoryPlace place);
    QString writeFile(const QString &name, qsizetype size);

    QTemporaryDir m_dir;
    std::unique_ptr<CApp> m_app;
    SimPrinterProcess m_sim;
    CDeviceInterface m_checker;
};

void FileManagerTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    m_app = std::make_unique<CApp>(m_dir.filePath(QStringLiteral("settings.ini")));
    registerFileManager(*m_app);
    QVERIFY2(m_sim.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(m_sim.errorText()));
    QVERIFY(m_sim.connectPort(m_app->device()));
    QVERIFY(m_sim.connectPort(m_checker));
}

void FileManagerTest::init()
{
    for (MemoryPlace place : { MemoryPlace::Dram, MemoryPlace::Flash, MemoryPlace::Card })
        protocol::deleteAllFiles(m_checker, place);
    for (MemoryPlace place : { MemoryPlace::Dram, MemoryPlace::Flash, MemoryPlace::Card })
        QVERIFY(storedFiles(place).isEmpty());
}

std::unique_ptr<CFormFileManager> FileManagerTest::makeForm()
{
    return std::make_unique<CFormFileManager>(*m_app);
}

QPushButton *FileManagerTest::button(QWidget *form, const char *name) const
{
    return ui::findControl<QPushButton>(form, QString::fromLatin1(name));
}

void FileManagerTest::selectPlace(CFormFileManager &form, MemoryPlace place)
{
    const char *names[] = { "chk_file_manager_dram", "chk_file_manager_flash", "chk_file_manager_card" };
    ui::findControl<QRadioButton>(&form, QString::fromLatin1(names[int(place)]))->click();
}

// Stores a file through the checking connection; the list query after it
// waits until the printer has taken every byte.
void FileManagerTest::putFile(MemoryPlace place, const QString &name, qsizetype size)
{
    RecordingProgress progress;
    protocol::downloadFile(m_checker, protocol::placeWord(place), name, QByteArray(size, 'd'), progress);
    QVERIFY(!storedFiles(place).isEmpty());
}

QList<FileEntry> FileManagerTest::storedFiles(MemoryPlace place)
{
    PrinterParameters params;
    if (!protocol::queryFileList(m_checker, params, place))
        qWarning("file list query failed");
    return place == MemoryPlace::Dram ? params.dramFiles
        : place == MemoryPlace::Flash ? params.flashFiles
                                      : params.cardFiles;
}

QString FileManagerTest::writeFile(const QString &name, qsizetype size)
{
    QFile file(m_dir.filePath(name));
    QByteArray content(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        content[i] = char(i * 7 + i / 8192);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != size)
        qFatal("cannot write %s", qPrintable(name));
    return file.fileName();
}

void FileManagerTest::startSelectsTheStoredPlace_data()
{
    QTest::addColumn<int>("stored"); // -1: nothing stored
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("written");
    QTest::newRow("first start") << -1 << "chk_file_manager_flash"
                                 << "FLASH" << 1;
    QTest::newRow("0") << 0 << "chk_file_manager_dram"
                       << "DRAM" << 0;
    QTest::newRow("2") << 2 << "chk_file_manager_card"
                       << "CARD" << 2;
    QTest::newRow("7") << 7 << "chk_file_manager_card"
                       << "CARD" << 2;
}

void FileManagerTest::startSelectsTheStoredPlace()
{
    QFETCH(int, stored);
    QFETCH(QString, option);
    SettingsStore &settings = m_app->settings();
    if (stored < 0)
        settings.writeText(section, key, QString());
    else
        settings.writeInt(section, key, stored);
    QCOMPARE(settings.readInt(section, key, -1), stored);
    auto form = makeForm();
    QVERIFY(ui::findControl<QRadioButton>(form.get(), option)->isChecked());
    QTEST(ui::findControl<QLabel>(form.get(), QStringLiteral("label_file_manager_download_place"))->text(), "word");
    QTEST(settings.readInt(section, key, -1), "written");

    selectPlace(*form, MemoryPlace::Dram);
    QCOMPARE(settings.readInt(section, key, -1), 0);
    QCOMPARE(form->selectedPlace(), MemoryPlace::Dram);
}

void FileManagerTest::readMemoryFillsSizesAndRows_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("total");
    QTest::newRow("DRAM") << int(MemoryPlace::Dram) << "DRAM"
                          << "1024";
    QTest::newRow("FLASH") << int(MemoryPlace::Flash) << "FLASH"
                           << "4096";
    QTest::newRow("CARD") << int(MemoryPlace::Card) << "CARD"
                          << "16384";
}

void FileManagerTest::readMemoryFillsSizesAndRows()
{
    QFETCH(int, place);
    QFETCH(QString, word);
    const auto where = MemoryPlace(place);
    auto form = makeForm();
    selectPlace(*form, where);
    button(form.get(), "btn_file_manager_read_memory")->click();
    QCOMPARE(form->grid()->rowCount(), 0); // nothing stored: only the header
    putFile(where, QStringLiteral("B.BAS"), 3000);
    putFile(where, QStringLiteral("A.PCX"), 200);
    // A file in another place does not show.
    putFile(where == MemoryPlace::Dram ? MemoryPlace::Flash : MemoryPlace::Dram, QStringLiteral("OTHER"), 5);
    button(form.get(), "btn_file_manager_read_memory")->click();
    QTEST(
        ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_total_memory_size"))->text(), "total");
    PrinterParameters params;
    QVERIFY(protocol::queryFreeSpace(m_checker, params, where));
    const qint32 free = where == MemoryPlace::Dram ? params.dramFree
        : where == MemoryPlace::Flash              ? params.flashFree
                                                   : params.cardFree;
    QCOMPARE(ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_valid_memory_size"))->text(),
        QString::number(free));
    QCOMPARE(column(form->grid(), CFormFileManager::Place), QStringList({ word, word }));
    QCOMPARE(column(form->grid(), CFormFileManager::Name), QStringList({ "B.BAS", "A.PCX" }));
    QCOMPARE(column(form->grid(), CFormFileManager::Size), QStringList({ "3000", "200" }));
    QCOMPARE(column(form->grid(), CFormFileManager::RowMark), QStringList({ "", "" }));
}

void FileManagerTest::readMemoryIgnoresAStaleReply()
{
    auto form = makeForm();
    selectPlace(*form, MemoryPlace::Dram);
    // A reply nobody read, as a download's refusal used to be.
    QVERIFY(protocol::sendCommand(m_app->device(), QStringLiteral("DIAGNOSTIC REPORT FPHYSPACE\r\n")));
    QTest::qWait(100);
    button(form.get(), "btn_file_manager_read_memory")->click();
    QCOMPARE(ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_total_memory_size"))->text(),
        QStringLiteral("1024"));
}

void FileManagerTest::failedReadClearsTheListAndSaysWhy_data()
{
    QTest::addColumn<QString>("simSwitch"); // empty: the printer is gone
    QTest::addColumn<QString>("message");
    QTest::newRow("silent") << "--no-answer"
                            << "The printer does not answer.";
    QTest::newRow("gone") << QString() << "Reading memory stopped: the connection to the printer was lost.";
}

void FileManagerTest::failedReadClearsTheListAndSaysWhy()
{
    QFETCH(QString, simSwitch);
    QFETCH(QString, message);
    putFile(MemoryPlace::Dram, QStringLiteral("OLD.TXT"), 10);
    auto form = makeForm();
    selectPlace(*form, MemoryPlace::Dram);
    button(form.get(), "btn_file_manager_read_memory")->click();
    QCOMPARE(form->grid()->rowCount(), 1);

    SimPrinterProcess otherSim;
    m_app->device().Close();
    if (simSwitch.isEmpty()) {
        QVERIFY2(otherSim.start(QStringLiteral(SIM_EXECUTABLE)), qPrintable(otherSim.errorText()));
        QVERIFY(otherSim.connectPort(m_app->device()));
        otherSim.kill();
    } else {
        QVERIFY2(otherSim.start(QStringLiteral(SIM_EXECUTABLE), { simSwitch }), qPrintable(otherSim.errorText()));
        QVERIFY(otherSim.connectPort(m_app->device()));
    }
    ScriptedPrompts prompts;
    button(form.get(), "btn_file_manager_read_memory")->click();
    m_app->device().Close();
    QVERIFY(m_sim.connectPort(m_app->device()));
    QCOMPARE(prompts.askedTexts, QStringList { message });
    QCOMPARE(form->grid()->rowCount(), 0);
    QCOMPARE(
        ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_total_memory_size"))->text(), "0");
}

void FileManagerTest::deleteOneRemovesTheFileOfItsRow()
{
    putFile(MemoryPlace::Dram, QStringLiteral("SAME.TXT"), 10);
    putFile(MemoryPlace::Dram, QStringLiteral("KEEP.TXT"), 10);
    putFile(MemoryPlace::Flash, QStringLiteral("SAME.TXT"), 20);
    auto form = makeForm();
    selectPlace(*form, MemoryPlace::Dram);
    button(form.get(), "btn_file_manager_read_memory")->click();
    QCOMPARE(form->grid()->rowCount(), 2);

    TrafficLogRecorder log;
    button(form.get(), "btn_file_manager_delete_file")->click(); // no row selected
    QVERIFY(log.lines().isEmpty());

    // The option changes after the DRAM list was read.
    selectPlace(*form, MemoryPlace::Flash);
    form->grid()->selectRow(0);
    button(form.get(), "btn_file_manager_delete_file")->click();
    QVERIFY(log.lines().value(0).startsWith(QStringLiteral("Write: KILL A,\"SAME.TXT\"[CRLF]")));
    QCOMPARE(column(form->grid(), CFormFileManager::Name), QStringList { "KEEP.TXT" });
    QCOMPARE(storedFiles(MemoryPlace::Dram).size(), 1);
    QCOMPARE(storedFiles(MemoryPlace::Dram).first().name, QStringLiteral("KEEP.TXT"));
    QCOMPARE(storedFiles(MemoryPlace::Flash).size(), 1);
}

void FileManagerTest::deleteAll_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("listed"); // the place read before the question, with the CARD option selected
    QTest::addColumn<int>("rowsLeft");
    QTest::addColumn<int>("cardFilesLeft");
    QTest::newRow("Cancel") << int(Prompts::Cancel) << int(MemoryPlace::Card) << 2 << 2;
    QTest::newRow("OK") << int(Prompts::Ok) << int(MemoryPlace::Card) << 0 << 0;
    QTest::newRow("OK with DRAM listed") << int(Prompts::Ok) << int(MemoryPlace::Dram) << 1 << 0;
}

void FileManagerTest::deleteAll()
{
    QFETCH(int, answer);
    QFETCH(int, listed);
    QFETCH(int, rowsLeft);
    putFile(MemoryPlace::Card, QStringLiteral("ONE"), 10);
    putFile(MemoryPlace::Card, QStringLiteral("TWO"), 10);
    putFile(MemoryPlace::Dram, QStringLiteral("RAM"), 10);
    auto form = makeForm();
    selectPlace(*form, MemoryPlace(listed));
    button(form.get(), "btn_file_manager_read_memory")->click();
    selectPlace(*form, MemoryPlace::Card);
    ScriptedPrompts prompts;
    prompts.answers.enqueue(answer);
    TrafficLogRecorder log;
    button(form.get(), "btn_file_manager_delete_all_file")->click();
    QCOMPARE(prompts.askedTexts, QStringList { "Delete all files?" });
    QCOMPARE(form->grid()->rowCount(), rowsLeft);
    if (answer == Prompts::Cancel)
        QVERIFY(log.lines().isEmpty());
    QTEST(int(storedFiles(MemoryPlace::Card).size()), "cardFilesLeft");
    QCOMPARE(storedFiles(MemoryPlace::Dram).size(), 1);
}

void FileManagerTest::browseTakesNameAndSizeFromTheFileSystem()
{
    auto form = makeForm();
    ScriptedPrompts prompts;
    const QString path = writeFile(QStringLiteral("README"), 1234); // no dot in the name
    prompts.fileNames.enqueue(path);
    button(form.get(), "btn_file_manager_brower_file")->click();
    QCOMPARE(prompts.askedTexts, QStringList { "Choose the file to download" });
    QCOMPARE(ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_path"))->text(), path);
    QCOMPARE(ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_name"))->text(),
        QStringLiteral("README"));
    QCOMPARE(ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_size"))->text(),
        QStringLiteral("1234"));
    button(form.get(), "btn_file_manager_brower_file")->click(); // cancelled: the fields stay
    QCOMPARE(ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_path"))->text(), path);
}

void FileManagerTest::downloadStoresEveryByte_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("blocks");
    QTest::newRow("8192 bytes") << 8192 << 1;
    QTest::newRow("8193 bytes") << 8193 << 2;
}

void FileManagerTest::downloadStoresEveryByte()
{
    QFETCH(int, size);
    QFETCH(int, blocks);
    const QString path = writeFile(QStringLiteral("block.bin"), size);
    // The job itself, for its progress reports.
    RecordingProgress progress;
    TrafficLogRecorder log;
    const file_manager::DownloadOutcome outcome = file_manager::downloadFile(
        m_app->device(), { path, QStringLiteral("FLASH"), QStringLiteral("BLOCK.BIN") }, progress);
    QCOMPARE(outcome.status, file_manager::DownloadStatus::Sent);
    RecordingProgress::Reports expected { { RecordingProgress::Report::Maximum, blocks } };
    for (int block = 1; block <= blocks; ++block)
        expected.append({ RecordingProgress::Report::Position, block });
    QCOMPARE(progress.reports, expected);
    const QList<FileEntry> stored = storedFiles(MemoryPlace::Flash);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().name, QStringLiteral("BLOCK.BIN"));
    QCOMPARE(stored.first().size, size);

    // The same through the tab and the progress dialog, under a name the user typed.
    auto form = makeForm();
    selectPlace(*form, MemoryPlace::Dram);
    ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_path"))->setText(path);
    ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_name"))
        ->setText(QStringLiteral("TYPED"));
    button(form.get(), "btn_file_manager_download_file")->click();
    QCOMPARE(storedFiles(MemoryPlace::Dram).value(0).name, QStringLiteral("TYPED"));
    QCOMPARE(storedFiles(MemoryPlace::Dram).value(0).size, size);
}

void FileManagerTest::refusalIsShownAndTheNextReadIsRight_data()
{
    QTest::addColumn<QString>("simSwitch");
    QTest::addColumn<int>("place");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("total");
    QTest::newRow("DRAM full") << "" << int(MemoryPlace::Dram) << 1100 * 1024 << "ERROR: DRAM FULL"
                               << "1024";
    QTest::newRow("no card") << "--no-card" << int(MemoryPlace::Card) << 100 << "ERROR: NO CARD"
                             << "0";
}

void FileManagerTest::refusalIsShownAndTheNextReadIsRight()
{
    QFETCH(QString, simSwitch);
    QFETCH(int, place);
    QFETCH(int, size);
    QFETCH(QString, reply);
    SimPrinterProcess otherSim;
    if (!simSwitch.isEmpty()) {
        QVERIFY2(otherSim.start(QStringLiteral(SIM_EXECUTABLE), { simSwitch }), qPrintable(otherSim.errorText()));
        m_app->device().Close();
        QVERIFY(otherSim.connectPort(m_app->device()));
    }
    auto form = makeForm();
    selectPlace(*form, MemoryPlace(place));
    ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_path"))
        ->setText(writeFile(QStringLiteral("big.bin"), size));
    ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_name"))
        ->setText(QStringLiteral("BIG"));
    ScriptedPrompts prompts;
    TrafficLogRecorder log;
    button(form.get(), "btn_file_manager_download_file")->click();
    QCOMPARE(prompts.askedTexts, QStringList { "The printer refused the file: " + reply });
    QVERIFY(log.lines().contains("Download refused by the printer: " + reply));
    button(form.get(), "btn_file_manager_read_memory")->click();
    const QString total
        = ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_total_memory_size"))->text();
    if (!simSwitch.isEmpty()) {
        m_app->device().Close();
        QVERIFY(m_sim.connectPort(m_app->device()));
    }
    QTEST(total, "total");
    QCOMPARE(form->grid()->rowCount(), 0);
}

void FileManagerTest::nameWithACommaIsRefused()
{
    auto form = makeForm();
    ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_path"))
        ->setText(writeFile(QStringLiteral("comma.txt"), 10));
    ui::findControl<QLineEdit>(form.get(), QStringLiteral("edit_file_manager_file_name"))
        ->setText(QStringLiteral("A,B"));
    TrafficLogRecorder log;
    button(form.get(), "btn_file_manager_download_file")->click();
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(log.lines().first().startsWith(QStringLiteral("Download refused: the file name \"A,B\"")));
    QVERIFY(storedFiles(MemoryPlace::Flash).isEmpty());
}

void FileManagerTest::gridSortsByNameAndSize()
{
    putFile(MemoryPlace::Dram, QStringLiteral("B"), 100);
    putFile(MemoryPlace::Dram, QStringLiteral("C"), 3);
    putFile(MemoryPlace::Dram, QStringLiteral("A"), 20);
    auto form = makeForm();
    selectPlace(*form, MemoryPlace::Dram);
    button(form.get(), "btn_file_manager_read_memory")->click();
    QTableWidget *grid = form->grid();
    QCOMPARE(column(grid, CFormFileManager::Name), QStringList({ "B", "C", "A" })); // as the printer lists them
    grid->sortItems(CFormFileManager::Size, Qt::AscendingOrder);
    QCOMPARE(column(grid, CFormFileManager::Size), QStringList({ "3", "20", "100" })); // by number, not text
    grid->sortItems(CFormFileManager::Name, Qt::DescendingOrder);
    QCOMPARE(column(grid, CFormFileManager::Name), QStringList({ "C", "B", "A" }));
    // Deleting a sorted row still deletes its own file.
    grid->selectRow(2);
    button(form.get(), "btn_file_manager_delete_file")->click();
    QCOMPARE(column(grid, CFormFileManager::Name), QStringList({ "C", "B" }));
    const QList<FileEntry> stored = storedFiles(MemoryPlace::Dram);
    QCOMPARE(stored.size(), 2);
    QVERIFY(std::none_of(stored.begin(), stored.end(), [](const FileEntry &f) { return f.name == u"A"; }));
}

void FileManagerTest::gridHeadingsFollowTheLanguage()
{
    auto form = makeForm();
    const auto headings = [&form] {
        QStringList texts;
        for (int column = 0; column < form->grid()->columnCount(); ++column)
            texts.append(form->grid()->horizontalHeaderItem(column)->text());
        return texts;
    };
    QCOMPARE(headings(), QStringList({ "", "Memory place", "File name", "File size" }));
    LanguageManager::instance().select(QStringLiteral("Lang\\ChineseSimplified"), QStringLiteral("ChineseSimplified"));
    ui::reapplyWindowPacks();
    const QStringList chinese = headings();
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    ui::reapplyWindowPacks();
    QCOMPARE(chinese, QStringList({ "", "内存位置", "文件名", "文件大小" }));
    QCOMPARE(ui::findControl<QPushButton>(form.get(), QStringLiteral("btn_file_manager_read_memory"))->text(),
        QStringLiteral("Read memory"));
}

void FileManagerTest::droppedFileIsDownloaded()
{
    auto form = makeForm();
    selectPlace(*form, MemoryPlace::Card);
    QMimeData mime;
    mime.setUrls({ QUrl::fromLocalFile(writeFile(QStringLiteral("dropped.prn"), 300)) });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    const QList<FileEntry> stored = storedFiles(MemoryPlace::Card);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().name, QStringLiteral("dropped.prn"));
    QCOMPARE(stored.first().size, 300);

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &refused);
    QVERIFY(!refused.isAccepted());
}

void FileManagerTest::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "English", "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// Pictures of the tab in the main window for a person to look at, when asked for.
void FileManagerTest::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set OSTREL_SCREENSHOT_DIR to save pictures of the file manager");
    QFETCH(QString, language);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + language, language);
    putFile(MemoryPlace::Flash, QStringLiteral("AUTO.BAS"), 1536);
    putFile(MemoryPlace::Flash, QStringLiteral("LOGO.PCX"), 24576);
    putFile(MemoryPlace::Flash, QStringLiteral("LABEL01.BAS"), 812);
    m_app->settings().writeInt(section, key, 1);
    m_app->portSettings().kind = PortKind::Net; // no USB dialog at window start
    CMainFrame frame(*m_app);
    frame.show();
    ui::findControl<QPushButton>(&frame, QStringLiteral("tabctrl_file_manager"))->click();
    auto *form = qobject_cast<CFormFileManager *>(frame.page(QStringLiteral("FormFileManager")));
    QVERIFY(form);
    button(form, "btn_file_manager_read_memory")->click();
    const QString path = writeFile(QStringLiteral("logo.bmp"), 4096);
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue(path);
    button(form, "btn_file_manager_brower_file")->click();
    form->grid()->selectRow(1);
    QTest::qWait(50);
    QVERIFY(frame.grab().save(QDir(folder).filePath(QStringLiteral("FormFileManager-%1.png").arg(language))));
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
}

QTEST_MAIN(FileManagerTest)
#include "tst_filemanager.moc"
