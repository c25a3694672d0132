#pragma once

#include "ostrel/Version.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class CApp;
class QComboBox;
class QDialog;
class QPlainTextEdit;

// The program's one top-level window: port selector, language button, the
// four tab pages and the traffic log.
class CMainFrame : public QWidget
{
    Q_OBJECT
public:
    static constexpr char versionText[] = "v" OSTREL_VERSION;

    // Builds a tab page in place of its bare layout. Subsystems register the
    // form of their page at start; a page without one shows its layout only.
    using PageFactory = std::function<QWidget *(CApp &app, QWidget *parent)>;
    static void registerPage(const QString &pageName, PageFactory factory);
    static void unregisterPage(const QString &pageName);

    explicit CMainFrame(CApp &app, QWidget *parent = nullptr);

    // Item data of the selected port entry; 0 when none is selected.
    int selectedPortData() const;
    QWidget *page(const QString &pageName) const;
    // Shows a page of the stack without its tab button (the bitmap font page).
    void showPage(const QString &pageName);

public Q_SLOTS:
    void setPort();
    void selectLanguage();
    // A device came or went.
    void onDeviceChange();
    void appendLogLine(const QString &line);

Q_SIGNALS:
    // The window accepted its close request; the program ends.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void onLayoutLoaded();
    void onWindowInit();
    void writeCommunicationSettings();
    void handleDeviceChangeAfter(QDialog *dialog);

    CApp &m_app;
    QComboBox *m_port = nullptr;
    QPlainTextEdit *m_log = nullptr;
    int m_logLines = 0;
    bool m_initialised = false;
    QPointer<QDialog> m_deviceChangeWaitsFor;
};
