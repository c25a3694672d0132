#pragma once

#include "app/PageSettings.h"
#include "terminal/TerminalExchange.h"
#include "ui/RequiredControls.h"

#include <QStringList>
#include <QWidget>

class CApp;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SettingsStore;

// The communication tool's tab page: a small terminal for the connected
// printer and the file sender. It owns the page's stored settings (section
// "Communication"): the send text, the two formats and the texts sent
// before are restored when the page is built and written back when the main
// window closes.
class CFormCommunication : public QWidget, public PageSettings
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "FormCommunication.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "text_receive_text", "QPlainTextEdit" },
        { "text_send_text", "QPlainTextEdit" },
        { "cb_send_text_type", "QComboBox" },
        { "cb_receive_text_type", "QComboBox" },
        { "btn_send_text", "QPushButton" },
        { "text_send_file", "QLineEdit" },
        { "btn_select_send_file", "QPushButton" },
        { "btn_send_file", "QPushButton" },
        { "label_send_file_time", "QLabel" },
    };
    static constexpr int historySize = 50;
    // The worker class of a send with its one read.
    static constexpr char exchangeWorker[] = "CThreadCommunication";

    CFormCommunication(SettingsStore &settings, CDeviceInterface &port, QWidget *parent = nullptr);

    void writeSettings() const override;

    // Earlier sent texts, oldest first.
    const QStringList &history() const { return m_history; }

public Q_SLOTS:
    // Sends the text in the chosen format, then shows what one read gives;
    // the exchange runs on a worker, the buttons wait for it.
    void sendText();
    void chooseFile();
    void sendFile();

Q_SIGNALS:
    // The text of one exchange has been appended (tests wait for it).
    void received(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readSettings();
    void appendReceived(const QString &text);
    void remember(const QString &text);
    // Up (older) or down (newer) through the history; false at either end.
    bool recall(int step);
    void setFile(const QString &path);

    SettingsStore &m_settings;
    CDeviceInterface &m_port;
    QPlainTextEdit *m_receiveText;
    QPlainTextEdit *m_sendText;
    QComboBox *m_sendType;
    QComboBox *m_receiveType;
    QPushButton *m_send;
    QLineEdit *m_file;
    QPushButton *m_chooseFile;
    QPushButton *m_sendFile;
    QLabel *m_fileTime;
    QStringList m_history;
    // Index into m_history of the text shown by recall; history size while
    // the user's own text is shown.
    qsizetype m_recalled = 0;
    QString m_draft;
};

// Makes the main window build its communication page as this form and the
// progress dialog run its file sender.
void registerCommunicationPage();
