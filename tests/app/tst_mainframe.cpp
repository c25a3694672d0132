#include "app/CApp.h"
#include "app/CDlgSoftLanguage.h"
#include "app/CMainFrame.h"
#include "app/CommandLine.h"
#include "app/LanguageManager.h"
#include "app/PortDialogs.h"
#include "app/TrafficLogView.h"
#include "app/WorkerThread.h"
#include "connection/TrafficLog.h"
#include "jobs/TaskCode.h"
#include "ui/ControlText.h"
#include "ui/LayoutLoader.h"
#include "ui/SkinPackage.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

class RecordingPortDialogs : public PortDialogs
{
public:
    QStringList opened;
    std::function<int()> netAnswer = [] { return 2; };

    int openUsbDialog(QWidget *) override { return record(QStringLiteral("usb"), 2); }
    int openNetDialog(QWidget *) override { return record(QStringLiteral("net"), netAnswer()); }
    int openComDialog(QWidget *) override { return record(QStringLiteral("com"), 2); }
    int openLptDialog(QWidget *) override { return record(QStringLiteral("lpt"), 2); }

private:
    int record(const QString &name, int result)
    {
        opened.append(name);
        return result;
    }
};

// The application started against a settings file of its own.
struct Shell {
    QTemporaryDir dir;
    std::unique_ptr<CApp> app;
    RecordingPortDialogs *dialogs = new RecordingPortDialogs;

    explicit Shell(int portType, const QString &language = QStringLiteral("ChineseSimplified"))
    {
        app = std::make_unique<CApp>(dir.filePath(QStringLiteral("settings.ini")));
        app->settings().writeInt(QStringLiteral("Port"), QStringLiteral("PortType"), portType);
        app->settings().writeText(QStringLiteral("Language"), QStringLiteral("LangName"), language);
        app->setPortDialogs(std::unique_ptr<PortDialogs>(dialogs));
        app->startUp();
    }
    ~Shell() { app->shutDown(); }

    CMainFrame *frame() const { return app->mainFrame(); }
    template <typename Control = QWidget> Control *control(const QString &name) const
    {
        return ui::findControl<Control>(frame(), name);
    }
    QWidget *controlWithId(int id) const
    {
        for (QWidget *widget : frame()->findChildren<QWidget *>()) {
            if (widget->property(ui::resourceIdProperty).toInt() == id)
                return widget;
        }
        return nullptr;
    }
    // Lets the queued window-init event run.
    void settle() const
    {
        QTest::qWait(0);
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNamedControlExistsWithItsKind_data();
    void everyNamedControlExistsWithItsKind();
    void windowShowsItsStartState();
    void storedPortKindPreselectsTheSelector_data();
    void storedPortKindPreselectsTheSelector();
    void setPortButtonOpensTheDialogOfTheSelectedData_data();
    void setPortButtonOpensTheDialogOfTheSelectedData();
    void confirmedNetDialogReopensThePort();
    void deviceChangeOpensUsbDialogOnlyForUsb();
    void deviceChangeWaitsForTheOpenDialog();
    void deviceChangeWaitsForARunningUpgrade();
    void tabButtonsShowTheirPages();
    void fontToolOptionShowsTheHiddenPage_data();
    void fontToolOptionShowsTheHiddenPage();
    void languageButtonOpensTheLanguageDialog();
    void choosingEnglishTranslatesOpenWindowsAtOnce();
    void everyLanguageHasAnOptionInItsOwnName();
    void choosingAnOptionTakesThePackOfItsName_data();
    void choosingAnOptionTakesThePackOfItsName();
    void startedInJapaneseCanLeaveAndReturn();
    void arabicMirrorsTheWindowsAndEnglishRestoresThem();
    void translate_data();
    void translate();
    void trafficLogShowsEveryLoggedLine();
    void shutDownStoresThePortKindOfTheSettings();
    void screenshots_data();
    void screenshots();
};

void TestMainFrame::everyNamedControlExistsWithItsKind_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    const QList<std::pair<const char *, const char *>> controls {
        { "window_header", "QFrame" },
        { "window_icon", "QLabel" },
        { "window_caption", "QLabel" },
        { "window_version", "QLabel" },
        { "windowminbtn", "QAbstractButton" },
        { "windowmaxbtn", "QAbstractButton" },
        { "windowrestorebtn", "QAbstractButton" },
        { "windowclosebtn", "QAbstractButton" },
        { "cb_port", "QComboBox" },
        { "btn_set_port", "QPushButton" },
        { "btn_select_language", "QPushButton" },
        { "tabctrl_printer_options", "ui::TabButton" },
        { "tabctrl_file_manager", "ui::TabButton" },
        { "tabctrl_bit_font", "ui::TabButton" },
        { "tabctrl_communication", "ui::TabButton" },
        { "tab_main", "QStackedWidget" },
        { "traffic_log", "QPlainTextEdit" },
        { "window_bottom", "QFrame" },
    };
    for (const auto &[name, kind] : controls)
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind);
}

void TestMainFrame::everyNamedControlExistsWithItsKind()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    Shell shell(0);
    QWidget *control = shell.control(name);
    QVERIFY2(control, qPrintable(name));
    QVERIFY2(control->inherits(kind.toLatin1().constData()), control->metaObject()->className());
}

void TestMainFrame::windowShowsItsStartState()
{
    Shell shell(0);
    QCOMPARE(shell.frame()->size(), QSize(990, 760));
    QCOMPARE(shell.control<QLabel>(QStringLiteral("window_version"))->text(), QStringLiteral("v1.55"));
    QVERIFY(shell.control(QStringLiteral("tabctrl_bit_font"))->isHidden());
    QVERIFY(shell.control(QStringLiteral("windowrestorebtn"))->isHidden());
    QVERIFY(!shell.control(QStringLiteral("windowmaxbtn"))->isHidden());
    auto *cbPort = shell.control<QComboBox>(QStringLiteral("cb_port"));
    QCOMPARE(cbPort->count(), 2);
    QCOMPARE(cbPort->itemText(0), QStringLiteral("USB"));
    QCOMPARE(cbPort->itemData(0).toInt(), 0);
    QCOMPARE(cbPort->itemText(1), QStringLiteral("NET"));
    QCOMPARE(cbPort->itemData(1).toInt(), 1);
    auto *stack = shell.control<QStackedWidget>(QStringLiteral("tab_main"));
    QStringList pages;
    for (int i = 0; i < stack->count(); ++i)
        pages.append(stack->widget(i)->objectName());
    QCOMPARE(pages,
        (QStringList { QStringLiteral("FormPrinterOptions"), QStringLiteral("FormFileManager"),
            QStringLiteral("FormBitFont"), QStringLiteral("FormCommunication") }));
    QCOMPARE(stack->currentIndex(), 0);
    QVERIFY(shell.control<QPushButton>(QStringLiteral("tabctrl_printer_options"))->isChecked());
    QCOMPARE(ui::controlText(shell.controlWithId(2)), QStringLiteral("通讯方式"));
}

void TestMainFrame::storedPortKindPreselectsTheSelector_data()
{
    QTest::addColumn<int>("portType");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("openedAtStart");
    QTest::newRow("USB") << 0 << "USB" << QStringList { QStringLiteral("usb") };
    QTest::newRow("NET") << 1 << "NET" << QStringList();
    QTest::newRow("COM") << 2 << "" << QStringList { QStringLiteral("usb") };
    QTest::newRow("LPT") << 3 << "" << QStringList { QStringLiteral("usb") };
    QTest::newRow("path") << 4 << "" << QStringList { QStringLiteral("usb") };
}

void TestMainFrame::storedPortKindPreselectsTheSelector()
{
    QFETCH(int, portType);
    Shell shell(portType);
    shell.settle();
    QTEST(shell.control<QComboBox>(QStringLiteral("cb_port"))->currentText(), "shown");
    QTEST(shell.dialogs->opened, "openedAtStart");
}

void TestMainFrame::setPortButtonOpensTheDialogOfTheSelectedData_data()
{
    QTest::addColumn<int>("selectorIndex");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("USB") << 0 << "usb";
    QTest::newRow("NET") << 1 << "net";
    QTest::newRow("no selection") << -1 << "usb";
}

void TestMainFrame::setPortButtonOpensTheDialogOfTheSelectedData()
{
    QFETCH(int, selectorIndex);
    QFETCH(QString, dialog);
    Shell shell(1);
    shell.settle();
    shell.control<QComboBox>(QStringLiteral("cb_port"))->setCurrentIndex(selectorIndex);
    QVERIFY(shell.dialogs->opened.isEmpty());
    QTest::mouseClick(shell.control(QStringLiteral("btn_set_port")), Qt::LeftButton);
    QCOMPARE(shell.dialogs->opened, QStringList { dialog });
}

void TestMainFrame::confirmedNetDialogReopensThePort()
{
    Shell shell(1);
    const QString devicePath = shell.dir.filePath(QStringLiteral("printer-node"));
    QFile node(devicePath);
    QVERIFY(node.open(QIODevice::WriteOnly));
    node.close();
    shell.dialogs->netAnswer = [&] {
        shell.app->portSettings().kind = PortKind::Path;
        shell.app->portSettings().path = devicePath;
        return 2;
    };
    QTest::mouseClick(shell.control(QStringLiteral("btn_set_port")), Qt::LeftButton);
    QVERIFY(!shell.app->device().IsOpen());

    shell.dialogs->netAnswer = [] { return 1; };
    QTest::mouseClick(shell.control(QStringLiteral("btn_set_port")), Qt::LeftButton);
    QVERIFY(shell.app->device().IsOpen());
    QCOMPARE(shell.app->device().settings().path, devicePath);
    shell.app->device().Close();
}

void TestMainFrame::deviceChangeOpensUsbDialogOnlyForUsb()
{
    Shell shell(1);
    shell.settle();
    shell.frame()->onDeviceChange();
    QVERIFY(shell.dialogs->opened.isEmpty());
    shell.control<QComboBox>(QStringLiteral("cb_port"))->setCurrentIndex(0);
    shell.frame()->onDeviceChange();
    shell.frame()->onDeviceChange();
    QCOMPARE(shell.dialogs->opened, (QStringList { QStringLiteral("usb"), QStringLiteral("usb") }));
    // Choosing an entry alone stores nothing.
    QCOMPARE(shell.app->portSettings().kind, PortKind::Net);
}

// A progress dialog may have a worker on the port: the USB dialog, which
// reopens the port, waits until the dialog over the window has closed.
void TestMainFrame::deviceChangeWaitsForTheOpenDialog()
{
    Shell shell(0);
    shell.settle();
    shell.dialogs->opened.clear();
    QDialog busy(shell.frame());
    QStringList openedWhileBusy { QStringLiteral("not run") };
    QTimer::singleShot(0, &busy, [&] {
        shell.frame()->onDeviceChange();
        shell.frame()->onDeviceChange();
        QCoreApplication::processEvents();
        openedWhileBusy = shell.dialogs->opened;
        busy.accept();
    });
    QCOMPARE(busy.exec(), 1);
    QCOMPARE(openedWhileBusy, QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(shell.dialogs->opened, QStringList { QStringLiteral("usb") }, 2000);
    QTest::qWait(10);
    QCOMPARE(shell.dialogs->opened, QStringList { QStringLiteral("usb") });
}

// An upgrade may be left running behind a closed dialog, with the printer
// coming and going as its boot device: the USB dialog waits for its end.
void TestMainFrame::deviceChangeWaitsForARunningUpgrade()
{
    Shell shell(0);
    shell.settle();
    shell.dialogs->opened.clear();
    std::atomic<bool> release = false;
    auto context = std::make_shared<jobs::JobContext>();
    WorkerThread *upgrade = WorkerThread::startJob(QString::fromLatin1(jobs::worker::upgrade),
        jobs::makeJob([&release](jobs::JobContext &) {
            while (!release)
                QThread::msleep(5);
            return 0;
        }),
        context);
    QVERIFY(upgrade);
    QTRY_VERIFY(RunningWorkers::entry(QString::fromLatin1(jobs::worker::upgrade)).threadId != nullptr);
    shell.frame()->onDeviceChange();
    shell.frame()->onDeviceChange();
    QTest::qWait(700);
    QCOMPARE(shell.dialogs->opened, QStringList());
    release = true;
    QTRY_COMPARE_WITH_TIMEOUT(shell.dialogs->opened, QStringList { QStringLiteral("usb") }, 3000);
    QTest::qWait(600);
    QCOMPARE(shell.dialogs->opened, QStringList { QStringLiteral("usb") });
}

void TestMainFrame::tabButtonsShowTheirPages()
{
    Shell shell(1);
    auto *stack = shell.control<QStackedWidget>(QStringLiteral("tab_main"));
    QTest::mouseClick(shell.control(QStringLiteral("tabctrl_communication")), Qt::LeftButton);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("FormCommunication"));
    QTest::mouseClick(shell.control(QStringLiteral("tabctrl_file_manager")), Qt::LeftButton);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("FormFileManager"));
    QVERIFY(!shell.control<QPushButton>(QStringLiteral("tabctrl_communication"))->isChecked());
}

void TestMainFrame::languageButtonOpensTheLanguageDialog()
{
    Shell shell(1);
    bool languageDialog = false;
    QWidget *parent = nullptr;
    QSize size;
    QTimer::singleShot(0, shell.frame(), [&] {
        auto *opened = shell.frame()->findChild<CDlgSoftLanguage *>();
        if (!opened)
            return;
        languageDialog = opened == QApplication::activeModalWidget();
        parent = opened->parentWidget();
        size = opened->size();
        opened->close();
    });
    QTest::mouseClick(shell.control(QStringLiteral("btn_select_language")), Qt::LeftButton);
    QVERIFY(languageDialog);
    QCOMPARE(parent, shell.frame());
    QCOMPARE(size, QSize(500, 400));
}

void TestMainFrame::choosingEnglishTranslatesOpenWindowsAtOnce()
{
    Shell shell(1);
    QWidget *interfaceLabel = shell.controlWithId(2);
    QCOMPARE(ui::controlText(interfaceLabel), QStringLiteral("通讯方式"));
    shell.app->settings().writeText(QStringLiteral("Language"), QStringLiteral("LangName"), QString());

    CDlgSoftLanguage dialog(shell.app->settings(), shell.frame());
    dialog.show();
    auto *chinese = ui::findControl<QRadioButton>(&dialog, QStringLiteral("menu_lang_ChineseSimplified"));
    QVERIFY(chinese->isChecked());
    // Marking the current language is no choice: nothing was stored.
    QCOMPARE(
        shell.app->settings().readText(QStringLiteral("Language"), QStringLiteral("LangName"), QStringLiteral("none")),
        QStringLiteral("none"));

    // A radio button takes clicks on its mark and text only.
    QTest::mouseClick(ui::findControl(&dialog, QStringLiteral("menu_lang_English")), Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(ui::controlText(interfaceLabel), QStringLiteral("Interface"));
    QCOMPARE(shell.control<QPushButton>(QStringLiteral("btn_set_port"))->text(), QStringLiteral("SET"));
    QCOMPARE(
        shell.control<QPushButton>(QStringLiteral("tabctrl_communication"))->text(), QStringLiteral("Communication"));
    QCOMPARE(shell.app->settings().readText(QStringLiteral("Language"), QStringLiteral("LangName"), QString()),
        QStringLiteral("English"));
    QCOMPARE(LanguageManager::instance().currentFolder(), QStringLiteral("Lang\\English"));
    QCOMPARE(::translate(QStringLiteral("未连接")), QStringLiteral("Not connected"));
    QVERIFY(dialog.isVisible());

    // A window built after the change takes the new language.
    std::unique_ptr<QWidget> later(ui::loadLayout(QStringLiteral("MainFrame.ui")));
    QCOMPARE(ui::findControl<QPushButton>(later.get(), QStringLiteral("btn_select_language"))->text(),
        QStringLiteral("Language"));
}

void TestMainFrame::everyLanguageHasAnOptionInItsOwnName()
{
    Shell shell(1);
    CDlgSoftLanguage dialog(shell.app->settings(), shell.frame());
    QSet<QString> optionPacks;
    QSet<QString> shownNames;
    for (QRadioButton *option : dialog.findChildren<QRadioButton *>()) {
        optionPacks.insert(
            option->objectName().mid(QString::fromLatin1(CDlgSoftLanguage::optionPrefix).size()).toLower());
        shownNames.insert(option->text());
    }
    QSet<QString> packFolders;
    for (const QString &entry : SkinPackage::embedded().entryNames()) {
        if (entry.startsWith(QLatin1String("lang/")) && entry.endsWith(QLatin1String("/stringresource.lng")))
            packFolders.insert(entry.section(QLatin1Char('/'), 1, 1));
    }
    QCOMPARE(packFolders.size(), 26);
    QCOMPARE(optionPacks, packFolders);
    QCOMPARE(shownNames.size(), 26);
}

void TestMainFrame::choosingAnOptionTakesThePackOfItsName_data()
{
    QTest::addColumn<QString>("pack");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("interfaceCaption");
    QTest::newRow("German") << "German"
                            << "Deutsch"
                            << "Schnittstelle";
    QTest::newRow("French") << "French"
                            << "Français"
                            << "Interface";
    QTest::newRow("Arabic") << "Arabic"
                            << "العربية"
                            << "الواجهة";
    QTest::newRow("ChineseSimplified") << "ChineseSimplified"
                                       << "简体中文"
                                       << "通讯方式";
    QTest::newRow("Japanese") << "Japanese"
                              << "日本語"
                              << "インターフェース";
}

void TestMainFrame::choosingAnOptionTakesThePackOfItsName()
{
    QFETCH(QString, pack);
    QFETCH(QString, shown);
    Shell shell(1, QStringLiteral("English"));
    CDlgSoftLanguage dialog(shell.app->settings(), shell.frame());
    dialog.show();
    auto *option = ui::findControl<QRadioButton>(&dialog, QStringLiteral("menu_lang_") + pack);
    QVERIFY(option);
    QCOMPARE(option->text(), shown);
    option->setChecked(true);
    QCOMPARE(shell.app->settings().readText(QStringLiteral("Language"), QStringLiteral("LangName"), QString()), pack);
    QCOMPARE(LanguageManager::instance().currentFolder(), QStringLiteral("Lang\\") + pack);
    QTEST(ui::controlText(shell.controlWithId(2)), "interfaceCaption");
}

void TestMainFrame::startedInJapaneseCanLeaveAndReturn()
{
    Shell shell(1, QStringLiteral("Japanese"));
    CDlgSoftLanguage dialog(shell.app->settings(), shell.frame());
    dialog.show();
    for (QRadioButton *option : dialog.findChildren<QRadioButton *>())
        QCOMPARE(option->isChecked(), option->objectName() == QLatin1String("menu_lang_Japanese"));
    // It lies below the first screenful of the list; the list scrolls to it.
    QVERIFY(!ui::findControl<QRadioButton>(&dialog, QStringLiteral("menu_lang_Japanese"))->visibleRegion().isEmpty());
    ui::findControl<QRadioButton>(&dialog, QStringLiteral("menu_lang_English"))->setChecked(true);
    QCOMPARE(ui::controlText(shell.controlWithId(2)), QStringLiteral("Interface"));
    ui::findControl<QRadioButton>(&dialog, QStringLiteral("menu_lang_Japanese"))->setChecked(true);
    QCOMPARE(ui::controlText(shell.controlWithId(2)), QStringLiteral("インターフェース"));
    QCOMPARE(shell.app->settings().readText(QStringLiteral("Language"), QStringLiteral("LangName"), QString()),
        QStringLiteral("Japanese"));
}

// From the start and after every change, the open windows and their controls follow.
void TestMainFrame::arabicMirrorsTheWindowsAndEnglishRestoresThem()
{
    Shell shell(1, QStringLiteral("Arabic"));
    CDlgSoftLanguage dialog(shell.app->settings(), shell.frame());
    dialog.show();
    const auto directions = [&] {
        return QList<Qt::LayoutDirection> { QGuiApplication::layoutDirection(), shell.frame()->layoutDirection(),
            shell.control(QStringLiteral("btn_set_port"))->layoutDirection(), dialog.layoutDirection() };
    };
    const auto choose = [&](const char *pack) {
        ui::findControl<QRadioButton>(&dialog, QStringLiteral("menu_lang_") + QLatin1String(pack))->setChecked(true);
    };
    QCOMPARE(directions(), QList<Qt::LayoutDirection>(4, Qt::RightToLeft));
    choose("English");
    QCOMPARE(directions(), QList<Qt::LayoutDirection>(4, Qt::LeftToRight));
    choose("Arabic");
    QCOMPARE(directions(), QList<Qt::LayoutDirection>(4, Qt::RightToLeft));
    choose("German");
    QCOMPARE(directions(), QList<Qt::LayoutDirection>(4, Qt::LeftToRight));
}

void TestMainFrame::translate_data()
{
    QTest::addColumn<QString>("pack");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("english") << "English"
                             << "未连接"
                             << "Not connected";
    QTest::newRow("chinese simplified") << "ChineseSimplified"
                                        << "未连接"
                                        << "未连接";
    QTest::newRow("missing pack") << "Klingon"
                                  << "未连接"
                                  << "未连接";
    QTest::newRow("short source") << "English"
                                  << "校验数据失败"
                                  << "Data verification failed";
    QTest::newRow("longer source") << "English"
                                   << "校验数据失败, 校验和错误。"
                                   << "Data verification failed, checksum error.";
    QTest::newRow("ascii comma for full-width") << "English"
                                                << "载入文件失败,文件大小为0."
                                                << "载入文件失败,文件大小为0.";
    QTest::newRow("full-width comma") << "English"
                                      << "载入文件失败，文件大小为0."
                                      << "Loading file failed, file size is 0.";
}

void TestMainFrame::translate()
{
    QFETCH(QString, pack);
    QFETCH(QString, source);
    LanguageManager &languages = LanguageManager::instance();
    languages.select(QStringLiteral("Lang\\") + pack, pack);
    QTEST(languages.translate(source), "expected");
    QCOMPARE(languages.currentName(), pack);
}

void TestMainFrame::trafficLogShowsEveryLoggedLine()
{
    Shell shell(1);
    auto *log = shell.control<QPlainTextEdit>(QStringLiteral("traffic_log"));
    QCOMPARE(shell.frame()->trafficLog()->log(), log);
    QCOMPARE(shell.frame()->trafficLog()->maxLines(), 100000);
    LogLine(QStringLiteral("from any thread"));
    QTRY_VERIFY_WITH_TIMEOUT(log->toPlainText().endsWith(QStringLiteral(" : from any thread")), 2000);
}

void TestMainFrame::shutDownStoresThePortKindOfTheSettings()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    {
        // A first start writes nothing until the end.
        CApp app(file);
        app.startUp();
        QVERIFY(QSettings(file, QSettings::IniFormat).allKeys().isEmpty());
        app.shutDown();
        QCOMPARE(QSettings(file, QSettings::IniFormat).allKeys(), QStringList { QStringLiteral("Port/PortType") });
    }
    {
        CApp app(file);
        app.settings().writeInt(QStringLiteral("Port"), QStringLiteral("PortType"), 1);
        app.startUp();
        QCOMPARE(app.portSettings().kind, PortKind::Net);
        // The selector alone changes nothing; a confirmed USB dialog sets the kind.
        ui::findControl<QComboBox>(app.mainFrame(), QStringLiteral("cb_port"))->setCurrentIndex(0);
        app.shutDown();
        QCOMPARE(SettingsStore(file).readInt(QStringLiteral("Port"), QStringLiteral("PortType"), -1), 1);
        app.portSettings().kind = PortKind::Usb;
        app.shutDown();
    }
    QCOMPARE(SettingsStore(file).readInt(QStringLiteral("Port"), QStringLiteral("PortType"), -1), 0);
}

void TestMainFrame::fontToolOptionShowsTheHiddenPage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("requested");
    QTest::newRow("no option") << QStringList { QStringLiteral("ostrel") } << false;
    QTest::newRow("--font-tool") << QStringList { QStringLiteral("ostrel"), QStringLiteral("--font-tool") } << true;
    QTest::newRow("unknown option") << QStringList { QStringLiteral("ostrel"), QStringLiteral("--fonts") } << false;
}

// The bitmap font page has no visible tab button; the option is the way to it.
void TestMainFrame::fontToolOptionShowsTheHiddenPage()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, requested);
    QCOMPARE(commandline::fontToolRequested(arguments), requested);
    QCOMPARE(commandline::checkRemainingArguments(arguments).isEmpty(), arguments.size() == 1 || requested);
    if (!requested)
        return;
    Shell shell(1);
    shell.frame()->showPage(QStringLiteral("FormBitFont"));
    auto *stack = shell.control<QStackedWidget>(QStringLiteral("tab_main"));
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("FormBitFont"));
    QVERIFY(shell.control<QPushButton>(QStringLiteral("tabctrl_bit_font"))->isHidden());
    QVERIFY(!shell.control<QPushButton>(QStringLiteral("tabctrl_printer_options"))->isChecked());
    // The other tab buttons still work from there.
    shell.control<QPushButton>(QStringLiteral("tabctrl_file_manager"))->click();
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("FormFileManager"));
}

void TestMainFrame::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "English", "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// Pictures of the main window for a person to look at, when asked for.
void TestMainFrame::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set OSTREL_SCREENSHOT_DIR to save pictures of the main window");
    QFETCH(QString, language);
    Shell shell(0, language);
    shell.settle();
    LogLine(QStringLiteral("Write: DIAGNOSTIC REPORT SPEED"));
    QTest::qWait(50);
    QVERIFY(shell.frame()->grab().save(QDir(folder).filePath(QStringLiteral("MainFrame-%1.png").arg(language))));
    CDlgSoftLanguage dialog(shell.app->settings(), shell.frame());
    dialog.show();
    QVERIFY(dialog.grab().save(QDir(folder).filePath(QStringLiteral("DlgSoftLanguage-%1.png").arg(language))));
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
