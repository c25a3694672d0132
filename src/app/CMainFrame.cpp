#include "app/CMainFrame.h"

#include "app/CApp.h"
#include "app/CDlgSoftLanguage.h"
#include "app/PageSettings.h"
#include "app/PortDialogs.h"
#include "app/TrafficLogView.h"
#include "app/WorkerThread.h"
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
    { "FormPrinterOptions", 0 },
    { "FormCommunication", 3 },
    { "FormFileManager", 1 },
    { "FormBitFont", 2 },
};

constexpr int logViewHeight = 59;

struct PortEntry {
    const char *text;
    PortKind kind;
};
constexpr PortEntry portEntries[] = { { "USB", PortKind::Usb }, { "NET", PortKind::Net } };

QHash<QString, CMainFrame::PageFactory> &pageFactories()
{
    static QHash<QString, CMainFrame::PageFactory> factories;
    return factories;
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
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, true);
    m_deviceChangeHeld.setSingleShot(true);
    m_deviceChangeHeld.setInterval(500);
    connect(&m_deviceChangeHeld, &QTimer::timeout, this, &CMainFrame::onDeviceChange);
    m_log = new TrafficLogView(ui::requireControl<QPlainTextEdit>(this, "traffic_log"), app.settings());
    m_stack = ui::requireControl<QStackedWidget>(this, "tab_main");
    createPages();
    onLayoutLoaded();

    connect(&TrafficLog::instance(), &TrafficLog::entryPosted, this, &CMainFrame::appendLogLine, Qt::QueuedConnection);
    connect(ui::requireControl<QPushButton>(this, "btn_set_port"), &QPushButton::clicked, this, &CMainFrame::setPort);
    connect(ui::requireControl<QPushButton>(this, "btn_select_language"), &QPushButton::clicked, this,
        &CMainFrame::selectLanguage);
}

void CMainFrame::createPages()
{
    QList<QWidget *> pages(std::size(pageCreationOrder), nullptr);
    for (const PageSlot &slot : pageCreationOrder) {
        const QString name = QString::fromLatin1(slot.name);
        const auto factory = pageFactories().constFind(name);
        QWidget *page = factory != pageFactories().constEnd() ? (*factory)(m_app, m_stack)
                                                              : ui::loadLayout(name + QStringLiteral(".ui"), m_stack);
        if (!page)
            page = new QWidget(m_stack);
        page->setObjectName(name);
        pages[slot.stackIndex] = page;
    }
    for (QWidget *page : std::as_const(pages))
        m_stack->addWidget(page);
    m_stack->setCurrentIndex(0);
    ui::requireControl<QPushButton>(this, "tabctrl_printer_options")->setChecked(true);

    auto *splitter = ui::requireControl<QSplitter>(this, "splitter_log");
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({ height(), logViewHeight });
}

void CMainFrame::onLayoutLoaded()
{
    m_port = ui::requireControl<QComboBox>(this, "cb_port");
    for (const PortEntry &entry : portEntries)
        m_port->addItem(QString::fromLatin1(entry.text), toInt(entry.kind));
    m_port->setCurrentIndex(m_port->findData(toInt(m_app.portSettings().kind)));
    ui::requireControl(this, "tabctrl_bit_font")->hide();
    ui::requireControl<QLabel>(this, "window_version")->setText(QString::fromLatin1(versionText));
}

int CMainFrame::selectedPortData() const
{
    return ui::selectedItemValue(m_port);
}

QWidget *CMainFrame::page(const QString &pageName) const
{
    return m_stack->findChild<QWidget *>(pageName, Qt::FindDirectChildrenOnly);
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
    if (selectedPortKind() == PortKind::Usb) {
        m_app.portDialogs().openUsbDialog(this);
        Q_EMIT portChanged();
    }
}

void CMainFrame::setPort()
{
    PortDialogs &dialogs = m_app.portDialogs();
    switch (selectedPortKind()) {
    case PortKind::Usb:
        dialogs.openUsbDialog(this);
        break;
    case PortKind::Net:
        if (dialogs.openNetDialog(this) == 1) {
            m_app.device().Close();
            m_app.device().Open(m_app.portSettings());
        }
        break;
    case PortKind::Com:
        dialogs.openComDialog(this);
        break;
    case PortKind::Lpt:
        dialogs.openLptDialog(this);
        break;
    case PortKind::Path:
        break;
    }
    Q_EMIT portChanged();
}

void CMainFrame::selectLanguage()
{
    CDlgSoftLanguage dialog(m_app.settings(), this);
    dialog.exec();
}

void CMainFrame::onDeviceChange()
{
    // During an upgrade the printer comes and goes as its boot device, and
    // the upgrade reopens the port itself: look again once it has ended.
    if (upgradeRunning()) {
        if (!m_deviceChangeHeld.isActive())
            m_deviceChangeHeld.start();
        return;
    }
    // A dialog over the window may have a worker on the port, and the USB
    // dialog reopens the port: wait until that dialog has closed.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        handleDeviceChangeAfter(qobject_cast<QDialog *>(modal));
        return;
    }
    if (selectedPortKind() == PortKind::Usb) {
        m_app.portDialogs().openUsbDialog(this);
        Q_EMIT portChanged();
    }
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
    m_log->appendLine(line);
}

void CMainFrame::writePageSettings()
{
    for (int i = 0; i < m_stack->count(); ++i) {
        if (const auto *settings = dynamic_cast<const PageSettings *>(m_stack->widget(i)))
            settings->writeSettings();
    }
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    writePageSettings();
    event->accept();
    Q_EMIT closed();
}
