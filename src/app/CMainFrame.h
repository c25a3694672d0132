#pragma once

#include "connection/PortSettings.h"
#include "ostrel/Version.h"
#include "ui/RequiredControls.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class CApp;
class QComboBox;
class QDialog;
class QPlainTextEdit;
class QStackedWidget;
class TrafficLogView;

// The program's one top-level window: port selector, language button, the
// four tab pages and the traffic log.
class CMainFrame : public QWidget
{
    Q_OBJECT
public:
    static constexpr char versionText[] = "v" OSTREL_VERSION;
    static constexpr char layoutFile[] = "MainFrame.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "cb_port", "QComboBox" },
        { "btn_set_port", "QPushButton" },
        { "btn_select_language", "QPushButton" },
        { "tab_main", "QStackedWidget" },
        { "tabctrl_printer_options", "QPushButton" },
        { "tabctrl_bit_font", "QWidget" },
        { "splitter_log", "QSplitter" },
        { "traffic_log", "QPlainTextEdit" },
        { "window_version", "QLabel" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    // Builds a tab page in place of its bare layout. Subsystems register the
    // form of their page at start; a page without one shows its layout only.
    // A page that keeps settings of its own also derives from PageSettings.
    using PageFactory = std::function<QWidget *(CApp &app, QWidget *parent)>;
    static void registerPage(const QString &pageName, PageFactory factory);
    static void unregisterPage(const QString &pageName);

    explicit CMainFrame(CApp &app, QWidget *parent = nullptr);

    // Item data of the selected port entry; 0 when none is selected.
    int selectedPortData() const;
    QWidget *page(const QString &pageName) const;
    // Shows a page of the stack without its tab button (the bitmap font page).
    void showPage(const QString &pageName);
    TrafficLogView *trafficLog() const { return m_log; }

public Q_SLOTS:
    void setPort();
    void selectLanguage();
    // A device came or went.
    void onDeviceChange();
    void appendLogLine(const QString &line);

Q_SIGNALS:
    // The window accepted its close request; the program ends.
    void closed();
    // A port dialog ran or the port was opened again: the printer behind it
    // may be another one.
    void portChanged();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void onLayoutLoaded();
    void onWindowInit();
    PortKind selectedPortKind() const { return portKindFromInt(selectedPortData()); }
    void writePageSettings();
    void handleDeviceChangeAfter(QDialog *dialog);

    CApp &m_app;
    QComboBox *m_port = nullptr;
    QStackedWidget *m_stack = nullptr;
    TrafficLogView *m_log = nullptr;
    bool m_initialised = false;
    QPointer<QDialog> m_deviceChangeWaitsFor;
    // A device change that came during an upgrade, looked at again until it has ended.
    QTimer m_deviceChangeHeld;
};
