#include "terminal/CFormCommunication.h"

#include "app/CApp.h"
#include "app/CDlgProcess.h"
#include "app/CMainFrame.h"
#include "app/LanguageManager.h"
#include "app/SettingsStore.h"
#include "app/WorkerThread.h"
#include "ui/ControlText.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"

#include <QComboBox>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>

namespace {

const QString section = QStringLiteral("Communication");
const QString sendTextKey = QStringLiteral("SendText");
const QString sendTypeKey = QStringLiteral("SendTextType");
const QString receiveTypeKey = QStringLiteral("RecvTextType");
const QString historyKey = QStringLiteral("SendHistory");

void fillFormats(QComboBox *selector)
{
    selector->addItem(QStringLiteral("CHAR"), terminal::Char);
    selector->addItem(QStringLiteral("HEX"), terminal::Hex);
}

} // namespace

CFormCommunication::CFormCommunication(SettingsStore &settings, CDeviceInterface &port, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_port(port)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    m_receiveText = ui::requireControl<QPlainTextEdit>(this, "text_receive_text");
    m_sendText = ui::requireControl<QPlainTextEdit>(this, "text_send_text");
    m_sendType = ui::requireControl<QComboBox>(this, "cb_send_text_type");
    m_receiveType = ui::requireControl<QComboBox>(this, "cb_receive_text_type");
    m_send = ui::requireControl<QPushButton>(this, "btn_send_text");
    m_file = ui::requireControl<QLineEdit>(this, "text_send_file");
    m_chooseFile = ui::requireControl<QPushButton>(this, "btn_select_send_file");
    m_sendFile = ui::requireControl<QPushButton>(this, "btn_send_file");
    m_fileTime = ui::requireControl<QLabel>(this, "label_send_file_time");
    fillFormats(m_sendType);
    fillFormats(m_receiveType);
    m_sendText->installEventFilter(this);
    connect(m_send, &QPushButton::clicked, this, &CFormCommunication::sendText);
    connect(m_chooseFile, &QPushButton::clicked, this, &CFormCommunication::chooseFile);
    connect(m_sendFile, &QPushButton::clicked, this, &CFormCommunication::sendFile);
    readSettings();
}

void CFormCommunication::readSettings()
{
    // A stored value that no entry carries leaves the selector without a selection.
    m_sendType->setCurrentIndex(m_sendType->findData(m_settings.readInt(section, sendTypeKey, terminal::Char)));
    m_receiveType->setCurrentIndex(
        m_receiveType->findData(m_settings.readInt(section, receiveTypeKey, terminal::Char)));
    m_sendText->setPlainText(m_settings.readText(section, sendTextKey, QString()));
    const QJsonArray stored
        = QJsonDocument::fromJson(m_settings.readText(section, historyKey, QString()).toUtf8()).array();
    for (const QJsonValue &entry : stored) {
        if (entry.isString() && !entry.toString().isEmpty())
            m_history.append(entry.toString());
    }
    if (m_history.size() > historySize)
        m_history.remove(0, m_history.size() - historySize);
    m_recalled = m_history.size();
}

void CFormCommunication::writeSettings() const
{
    m_settings.writeText(section, sendTextKey, m_sendText->toPlainText());
    m_settings.writeInt(section, sendTypeKey, ui::selectedItemValue(m_sendType));
    m_settings.writeInt(section, receiveTypeKey, ui::selectedItemValue(m_receiveType));
    m_settings.writeText(section, historyKey,
        QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(m_history)).toJson(QJsonDocument::Compact)));
}

void CFormCommunication::sendText()
{
    const QString text = m_sendText->toPlainText();
    const qint32 sendType = ui::selectedItemValue(m_sendType);
    const qint32 receiveType = ui::selectedItemValue(m_receiveType);
    CDeviceInterface *port = &m_port;
    QPointer<CFormCommunication> form(this);
    auto context = std::make_shared<jobs::JobContext>();
    WorkerThread *worker = WorkerThread::startJob(QString::fromLatin1(exchangeWorker),
        jobs::makeJob([port, text, sendType, receiveType](
                          jobs::JobContext &) { return terminal::sendAndReceive(*port, text, sendType, receiveType); },
            [form](const QString &shown) {
                if (form)
                    form->appendReceived(shown);
            }),
        context);
    if (!worker)
        return;
    remember(text);
    for (QWidget *control : { static_cast<QWidget *>(m_send), static_cast<QWidget *>(m_sendFile) })
        disableWhileRunning(control, worker);
}

void CFormCommunication::appendReceived(const QString &text)
{
    // At the very end, whatever the user selected, and nothing added.
    QTextCursor end(m_receiveText->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    m_receiveText->verticalScrollBar()->setValue(m_receiveText->verticalScrollBar()->maximum());
    Q_EMIT received(text);
}

void CFormCommunication::remember(const QString &text)
{
    if (!text.isEmpty() && (m_history.isEmpty() || m_history.constLast() != text)) {
        m_history.removeAll(text);
        m_history.append(text);
        if (m_history.size() > historySize)
            m_history.removeFirst();
    }
    m_recalled = m_history.size();
    m_draft.clear();
}

bool CFormCommunication::recall(int step)
{
    const qsizetype next = m_recalled + step;
    if (next < 0 || next > m_history.size() || next == m_recalled)
        return false;
    if (m_recalled == m_history.size())
        m_draft = m_sendText->toPlainText();
    m_recalled = next;
    m_sendText->setPlainText(next == m_history.size() ? m_draft : m_history.at(next));
    m_sendText->moveCursor(step < 0 ? QTextCursor::Start : QTextCursor::End);
    return true;
}

bool CFormCommunication::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_sendText && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
            if (m_send->isEnabled())
                sendText();
            return true;
        }
        // Only from the first or last line, so that moving inside a text of
        // several lines still works.
        if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            const bool up = key->key() == Qt::Key_Up;
            const QTextCursor cursor = m_sendText->textCursor();
            const bool atEdge
                = up ? cursor.blockNumber() == 0 : cursor.blockNumber() == m_sendText->document()->blockCount() - 1;
            if (atEdge && recall(up ? -1 : 1))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CFormCommunication::chooseFile()
{
    const QString path = prompts().openFileName(this, translate(QStringLiteral("选择要发送的文件")), QString(),
        translate(QStringLiteral("所有文件")) + QStringLiteral(" (*)"));
    if (!path.isEmpty())
        setFile(path);
}

void CFormCommunication::setFile(const QString &path)
{
    m_file->setText(path);
    const QFileInfo file(path);
    m_fileTime->setText(file.isFile() ? terminal::durationText(terminal::expectedSendMs(file.size())) : QString());
}

void CFormCommunication::sendFile()
{
    CDlgProcess dialog(this);
    dialog.setTaskCode(jobs::TaskCode::SendFile);
    dialog.setTexts({ m_file->text(), QString(), QString() });
    dialog.setCancellable(true);
    dialog.exec();
}

void registerCommunicationPage()
{
    CMainFrame::registerPage(QStringLiteral("FormCommunication"),
        [](CApp &app, QWidget *parent) { return new CFormCommunication(app.settings(), app.device(), parent); });
    CDlgProcess::registerTask(jobs::TaskCode::SendFile, [](CDlgProcess &dialog) {
        const QString path = dialog.texts()[0];
        CDeviceInterface *port = &CApp::instance().device();
        return jobs::makeJob(
            [port, path](jobs::JobContext &context) { return terminal::sendFile(*port, path, context); });
    });
}
