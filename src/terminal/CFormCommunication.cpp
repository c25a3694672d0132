#include "terminal/CFormCommunication.h"

#include "app/CApp.h"
#include "app/CMainFrame.h"
#include "app/SettingsStore.h"
#include "ui/ControlText.h"
#include "ui/LayoutLoader.h"

#include <QComboBox>
#include <QPlainTextEdit>

namespace {

const QString section = QStringLiteral("Communication");
const QString sendTextKey = QStringLiteral("SendText");
const QString sendTypeKey = QStringLiteral("SendTextType");
const QString receiveTypeKey = QStringLiteral("RecvTextType");

void fillFormats(QComboBox *selector)
{
    selector->addItem(QStringLiteral("CHAR"), CFormCommunication::Char);
    selector->addItem(QStringLiteral("HEX"), CFormCommunication::Hex);
}

} // namespace

CFormCommunication::CFormCommunication(SettingsStore &settings, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    m_sendText = ui::requireControl<QPlainTextEdit>(this, "text_send_text");
    m_sendType = ui::requireControl<QComboBox>(this, "cb_send_text_type");
    m_receiveType = ui::requireControl<QComboBox>(this, "cb_receive_text_type");
    fillFormats(m_sendType);
    fillFormats(m_receiveType);
    readSettings();
}

void CFormCommunication::readSettings()
{
    // A stored value that no entry carries leaves the selector without a selection.
    m_sendType->setCurrentIndex(m_sendType->findData(m_settings.readInt(section, sendTypeKey, Char)));
    m_receiveType->setCurrentIndex(m_receiveType->findData(m_settings.readInt(section, receiveTypeKey, Char)));
    m_sendText->setPlainText(m_settings.readText(section, sendTextKey, QString()));
}

void CFormCommunication::writeSettings() const
{
    m_settings.writeText(section, sendTextKey, m_sendText->toPlainText());
    m_settings.writeInt(section, sendTypeKey, ui::selectedItemValue(m_sendType));
    m_settings.writeInt(section, receiveTypeKey, ui::selectedItemValue(m_receiveType));
}

void registerCommunicationPage()
{
    CMainFrame::registerPage(QStringLiteral("FormCommunication"),
        [](CApp &app, QWidget *parent) { return new CFormCommunication(app.settings(), parent); });
}
