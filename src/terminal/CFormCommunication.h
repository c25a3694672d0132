#pragma once

#include "app/PageSettings.h"
#include "ui/RequiredControls.h"

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class SettingsStore;

// The communication tool's tab page. It owns the page's stored settings
// (section "Communication"): the send text and the two formats are restored
// when the page is built and written back when the main window closes.
class CFormCommunication : public QWidget, public PageSettings
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "FormCommunication.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "text_send_text", "QPlainTextEdit" },
        { "cb_send_text_type", "QComboBox" },
        { "cb_receive_text_type", "QComboBox" },
    };
    // The values the format entries carry and the settings store keeps.
    enum TextType { Char = 1, Hex = 2 };

    explicit CFormCommunication(SettingsStore &settings, QWidget *parent = nullptr);

    void writeSettings() const override;

private:
    void readSettings();

    SettingsStore &m_settings;
    QPlainTextEdit *m_sendText;
    QComboBox *m_sendType;
    QComboBox *m_receiveType;
};

// Makes the main window build its communication page as this form.
void registerCommunicationPage();
