#include "app/CMainFrame.h"

#include "app/CApp.h"
#include "app/CDlgSoftLanguage.h"
#include "app/PortDialogs.h"
#include "connection/TrafficLog.h"
#include "ui/ControlText.h"
#include "ui/LayoutLoader.h"
#include "ui/TabButton.h"
#include "ui/WindowChrome.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>

namespace {

struct PageSlot {
    const char *name;
    int stackIndex;
};

// Pages are created in this order and shown in the stack in the order of
// their stack index.
constexpr PageSlot pageCreationOrder[] = {
    {"FormPrinterOptions", 0},
    {"FormCommunication", 3},
    {"FormFileManager", 1},
    {"FormBitFont", 2},
};

constexpr int logViewHeight = 59;

struct PortEntry {
    const char *text;
    int data;
};
constexpr PortEntry portEntries[] = {{"USB", 0}, {"NET", 1}};

QHash<QString, CMainFrame::PageFactory> &pageFactories()
{
    static QHash<QString, CMainFrame::PageFactory> factories;
    return factories;
}

int selectedItemValue(const QComboBox *selector)
{
    if (!selector || selector->currentIndex() < 0)
        return 0;
    return selector->currentData().toInt();
}

} // namespace

void CMainFrame::registerPage(const QString &pageName, PageFactory factory)
{
    pageFactories().insert(pageName, std::move(factory));
}

void CMainFrame::unregisterPage(const QString &pageName)
{
    pageFactories().remove(pageName);
}

CMainFrame::CMainFrame(CApp &app, QWidget *parent)
    : QWidget(parent)
    , m_app(app)
{
    setObjectName(QStringLiteral("MainFrame"));
    // The thin resizing border takes the colour of the caption band.
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("CMainFrame { background: #2b5f8e; }"));
    ui::loadLayoutInto(this, QStringLiteral("MainFrame.ui"));
    ui::installWindowChrome(this, true);
    m_log = ui::findControl<QPlainTextEdit>(this, QStringLiteral("traffic_log"));
    createPages();
    onLayoutLoaded();

    connect(&TrafficLog::instance(), &TrafficLog::entryPosted, this, &CMainFrame::appendLogLine,
            Qt::QueuedConnection);
    if (auto *button = ui::findControl<QPushButton>(this, QStringLiteral("btn_set_port")))
        connect(button, &QPushButton::clicked, this, &CMainFrame::setPort);
    if (auto *button = ui::findControl<QPushButton>(this, QStringLiteral("btn_select_language")))
        connect(button, &QPushButton::clicked, this, &CMainFrame::selectLanguage);
}

void CMainFrame::createPages()
{
    auto *stack = ui::findControl<QStackedWidget>(this, QStringLiteral("tab_main"));
    if (!stack)
        return;
    QList<QWidget *> pages(std::size(pageCreationOrder), nullptr);
    for (const PageSlot &slot : pageCreationOrder) {
        const QString name = QString::fromLatin1(slot.name);
        const auto factory = pageFactories().constFind(name);
        QWidget *page = factory != pageFactories().constEnd() ? (*factory)(m_app, stack)
                                                              : ui::loadLayout(name + QStringLiteral(".ui"), stack);
        if (!page)
            page = new QWidget(stack);
        page->setObjectName(name);
        pages[slot.stackIndex] = page;
    }
    for (QWidget *page : std::as_const(pages))
        stack->addWidget(page);
    stack->setCurrentIndex(0);
    if (auto *first = ui::findControl<QPushButton>(this, QStringLiteral("tabctrl_printer_options")))
        first->setChecked(true);

    if (auto *splitter = ui::findControl<QSplitter>(this, QStringLiteral("splitter_log"))) {
        splitter->setStretchFactor(0, 1);
        splitter->setStretchFactor(1, 0);
        splitter->setSizes({height(), logViewHeight});
    }
}

void CMainFrame::onLayoutLoaded()
{
    m_port = ui::findControl<QComboBox>(this, QStringLiteral("cb_port"));
    if (m_port) {
        for (const PortEntry &entry : portEntries)
            m_port->addItem(QString::fromLatin1(entry.text), entry.data);
        m_port->setCurrentIndex(m_port->findData(toInt(m_app.portSettings().kind)));
    }
    if (QWidget *bitFontTab = ui::findControl(this, QStringLiteral("tabctrl_bit_font")))
        bitFontTab->hide();
    if (auto *version = ui::findControl<QLabel>(this, QStringLiteral("window_version")))
        version->setText(QString::fromLatin1(versionText));
}

int CMainFrame::selectedPortData() const
{
    return selectedItemValue(m_port);
}

QWidget *CMainFrame::page(const QString &pageName) const
{
    auto *stack = ui::findControl<QStackedWidget>(this, QStringLiteral("tab_main"));
    return stack ? stack->findChild<QWidget *>(pageName, Qt::FindDirectChildrenOnly) : nullptr;
}

void CMainFrame::showPage(const QString &pageName)
{
    // Through the page's own tab button, hidden or not, so the buttons stay
    // exclusive.
    for (ui::TabButton *button : findChildren<ui::TabButton *>()) {
        if (button->tabPage() == pageName && button->showPage())
            return;
    }
}

void CMainFrame::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_initialised)
        return;
    m_initialised = true;
    QMetaObject::invokeMethod(this, &CMainFrame::onWindowInit, Qt::QueuedConnection);
}

void CMainFrame::onWindowInit()
{
    if (selectedPortData() == 0)
        m_app.portDialogs().openUsbDialog(this);
}

void CMainFrame::setPort()
{
    PortDialogs &dialogs = m_app.portDialogs();
    switch (selectedPortData()) {
    case 0:
        dialogs.openUsbDialog(this);
        break;
    case 1:
        if (dialogs.openNetDialog(this) == 1) {
            m_app.device().Close();
            m_app.device().Open(m_app.portSettings());
        }
        break;
    case 2:
        dialogs.openComDialog(this);
        break;
    case 3:
        dialogs.openLptDialog(this);
        break;
    default:
        break;
    }
}

void CMainFrame::selectLanguage()
{
    CDlgSoftLanguage dialog(m_app.settings(), this);
    dialog.exec();
}

void CMainFrame::onDeviceChange()
{
    // A dialog over the window may have a worker on the port, and the USB
    // dialog reopens the port: wait until that dialog has closed.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        handleDeviceChangeAfter(qobject_cast<QDialog *>(modal));
        return;
    }
    if (selectedPortData() == 0)
        m_app.portDialogs().openUsbDialog(this);
}

void CMainFrame::handleDeviceChangeAfter(QDialog *dialog)
{
    if (!dialog || m_deviceChangeWaitsFor == dialog)
        return;
    m_deviceChangeWaitsFor = dialog;
    connect(
        dialog, &QDialog::finished, this,
        [this] {
            m_deviceChangeWaitsFor = nullptr;
            QMetaObject::invokeMethod(this, &CMainFrame::onDeviceChange, Qt::QueuedConnection);
        },
        Qt::SingleShotConnection);
}

void CMainFrame::appendLogLine(const QString &line)
{
    if (!m_log)
        return;
    if (m_logLines >= TrafficLog::maxViewLines) {
        m_log->clear();
        m_logLines = 0;
    }
    m_log->appendPlainText(line);
    ++m_logLines;
    m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
}

void CMainFrame::writeCommunicationSettings()
{
    const QWidget *communication = page(QStringLiteral("FormCommunication"));
    const QWidget *sendText = ui::findControl(communication, QStringLiteral("text_send_text"));
    SettingsStore &store = m_app.settings();
    const QString section = QStringLiteral("Communication");
    store.writeText(section, QStringLiteral("SendText"), sendText ? ui::controlText(sendText) : QString());
    store.writeInt(section, QStringLiteral("SendTextType"),
                   selectedItemValue(ui::findControl<QComboBox>(communication, QStringLiteral("cb_send_text_type"))));
    store.writeInt(section, QStringLiteral("RecvTextType"),
                   selectedItemValue(ui::findControl<QComboBox>(communication, QStringLiteral("cb_receive_text_type"))));
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    writeCommunicationSettings();
    event->accept();
    Q_EMIT closed();
}
