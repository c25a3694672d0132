#include "printer_options/CFormPrinterOptions.h"

#include "app/CApp.h"
#include "app/CDlgProcess.h"
#include "app/CMainFrame.h"
#include "app/LanguageManager.h"
#include "printer_options/MaintenanceActions.h"
#include "printer_options/OptionEntries.h"
#include "protocol/ParameterTable.h"
#include "protocol/ReplyGrammar.h"
#include "ui/LayoutLoader.h"
#include "ui/Prompts.h"
#include "ui/RequiredControls.h"
#include "upgrade/CDlgUpgrade.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QStyle>

using protocol::Binding;
using protocol::Entry;
using protocol::OptionsPage;
using protocol::ParameterRow;
using P = PrinterParameters;

namespace {

struct ListItem {
    const char *text; // looked up in the string table when translated
    qint32 value;
    bool translated = true;
};

struct ListItems {
    const char *control;
    std::initializer_list<ListItem> items;
};

// Numbers and printer words are shown as they stand.
const ListItems lists[] = {
    { "cb_sensor_mode", { { "间隙纸", 0 }, { "黑标纸", 1 }, { "连续纸", 2 } } },
    { "cb_zpl_printer_header_close_mode",
        { { "无动作", 0 }, { "进纸", 1 }, { "感应器校正", 2 }, { "检测标签长度", 3 } } },
    { "cb_action_after_print", { { "无", 0 }, { "撕纸模式", 1 }, { "裁切模式", 2 }, { "剥离模式", 3 } } },
    { "cb_ribbon_len", { { "LOW", 0, false }, { "MIDDLE", 0, false }, { "HIGHT", 0, false } } },
    { "cb_sensor_ref", { { "固定", 0 }, { "自动", 1 } } },
    { "cb_sensor_sta", { { "普通", 0 }, { "特殊", 1 } } },
    { "cb_ribbon_end", { { "开", 1 }, { "关", 0 } } },
    { "cb_prt_baud_rate", { { "9600", 9600, false }, { "115200", 115200, false }, { "230400", 230400, false } } },
    { "cb_prt_check_bit",
        { { "NONE", 0, false }, { "ODD", 1, false }, { "EVEN", 2, false }, { "MASK", 3, false },
            { "SPACE", 4, false } } },
    { "cb_prt_data_bit", { { "8", 8, false }, { "7", 7, false }, { "6", 6, false } } },
    { "cb_prt_stop_bit", { { "1", 1, false }, { "2", 2, false } } },
    { "cb_cutter_mode", { { "", 0, false }, { "普通", 1 }, { "连切不回退", 2 } } },
    { "cb_cutter_first_page_rollback", { { "", 0, false }, { "回退", 1 }, { "不回退", 2 } } },
    { "cb_cutter_reverse_display", { { "", 0, false }, { "白底黑字", 1 }, { "黑底白字", 2 } } },
    { "cb_direction", { { " ", 0, false }, { "0", 0, false }, { "1", 1, false } } },
    { "cb_mirror", { { " ", 0, false }, { "0", 0, false }, { "1", 1, false } } },
};

// Item data roles: the source text of a translated item, and the mark of an
// item that only shows a value no list item has.
constexpr int sourceRole = Qt::UserRole + 1;
constexpr int extraRole = Qt::UserRole + 2;

// Which flag of the last reading pass enables the controls of a page.
struct PageCondition {
    OptionsPage page;
    protocol::NumberField flag;
};
constexpr PageCondition pageConditions[] = {
    { OptionsPage::Serial, &P::serialQueried }, { OptionsPage::Network, &P::networkQueried },
    { OptionsPage::Wifi, &P::wifiQueried }, { OptionsPage::Cutter, &P::hasCutter },
    { OptionsPage::Bluetooth, nullptr }, // shown read-only once read
};

QWidget *controlOf(QWidget *form, const char *name)
{
    return name ? ui::findControl<QWidget>(form, QString::fromLatin1(name)) : nullptr;
}

void removeExtraItems(QComboBox *list)
{
    for (int i = list->count() - 1; i >= 0; --i) {
        if (list->itemData(i, extraRole).toBool())
            list->removeItem(i);
    }
}

// A value no item stands for is shown as an item of its own, so that what a
// later write sends is what the user saw.
int addExtraItem(QComboBox *list, qint32 value)
{
    list->addItem(QString::number(value), value);
    list->setItemData(list->count() - 1, true, extraRole);
    return list->count() - 1;
}

void showNumber(QWidget *control, Binding binding, qint32 value)
{
    if (auto *check = qobject_cast<QCheckBox *>(control)) {
        check->setChecked(value != 0);
    } else if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        edit->setText(QString::number(value));
    } else if (auto *list = qobject_cast<QComboBox *>(control)) {
        removeExtraItems(list);
        if (list->isEditable()) {
            list->setCurrentText(QString::number(value));
            return;
        }
        int index = binding == Binding::ItemValue ? list->findData(value) : list->findText(QString::number(value));
        if (index < 0)
            index = addExtraItem(list, value);
        list->setCurrentIndex(index);
    }
}

qint32 takeNumber(const QWidget *control, Binding binding)
{
    if (const auto *check = qobject_cast<const QCheckBox *>(control))
        return check->isChecked() ? 1 : 0;
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return protocol::parseInteger(edit->text());
    if (const auto *list = qobject_cast<const QComboBox *>(control)) {
        if (binding == Binding::ItemValue)
            return list->currentIndex() < 0 ? 0 : list->currentData().toInt();
        return protocol::parseInteger(list->currentText());
    }
    return 0;
}

void showText(QWidget *control, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(text);
    else if (auto *list = qobject_cast<QComboBox *>(control))
        list->setCurrentText(text);
}

QString takeText(const QWidget *control)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    if (const auto *list = qobject_cast<const QComboBox *>(control))
        return list->currentText();
    return QString();
}

void setMarked(QWidget *control, bool marked)
{
    if (control->property("invalid").toBool() == marked)
        return;
    control->setProperty("invalid", marked);
    control->style()->unpolish(control);
    control->style()->polish(control);
}

const ParameterRow *rowOfField(protocol::NumberField field)
{
    for (const ParameterRow &row : protocol::parameterTable()) {
        if (row.number == field)
            return &row;
    }
    return nullptr;
}

} // namespace

CFormPrinterOptions::CFormPrinterOptions(CApp &app, QWidget *parent)
    : QWidget(parent)
    , m_app(app)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::listenToLayoutRoots(this, this);
    m_pages = ui::requireControl<QStackedWidget>(this, "tab_printer_options");
    m_write = ui::requireControl<QPushButton>(this, "btn_write_all_options");
    m_outcome = ui::requireControl<QLabel>(this, "label_pass_outcome");
    ui::requireControl<QComboBox>(this, "cb_wifi_name");
    ui::requireControl<QLineEdit>(this, "text_prt_status");

    // The message boxes and dialogs of the actions belong to the main window.
    m_actions = new MaintenanceActions(this, app.device(), app.parameters(), parent ? parent->window() : this, this);
    for (const char *name : maintenanceButtons) {
        const QString controlName = QString::fromLatin1(name);
        connect(ui::requireControl<QPushButton>(this, name), &QPushButton::clicked, this,
            [this, controlName] { onMaintenanceClick(controlName); });
    }
    connect(ui::requireControl<QPushButton>(this, "btn_read_all_options"), &QPushButton::clicked, this,
        &CFormPrinterOptions::readParameters);
    connect(m_write, &QPushButton::clicked, this, &CFormPrinterOptions::writeParameters);
    if (auto *frame = qobject_cast<CMainFrame *>(parent ? parent->window() : nullptr))
        connect(frame, &CMainFrame::portChanged, this, &CFormPrinterOptions::onPortChanged);

    fillLists();
    for (const ParameterRow &row : protocol::parameterTable()) {
        auto *edit = qobject_cast<QLineEdit *>(controlOf(this, row.control));
        if (!edit)
            continue;
        if (const QValidator *validator = printer_options::validatorFor(row.entry, edit))
            edit->setValidator(validator);
    }
    for (const PageCondition &condition : pageConditions) {
        for (const ParameterRow &row : protocol::parameterTable()) {
            QWidget *control = row.page == condition.page ? controlOf(this, row.control) : nullptr;
            if (control && control->isEnabled())
                m_enabledByLayout.append(control);
        }
    }
    setWriteAllowed(false);
    showRecord();
}

void CFormPrinterOptions::fillLists()
{
    for (const ListItems &entry : lists) {
        auto *list = qobject_cast<QComboBox *>(controlOf(this, entry.control));
        if (!list)
            continue;
        for (const ListItem &item : entry.items) {
            const QString source = QString::fromUtf8(item.text);
            list->addItem(item.translated ? translate(source) : source, item.value);
            if (item.translated)
                list->setItemData(list->count() - 1, source, sourceRole);
        }
    }
    if (auto *density = qobject_cast<QComboBox *>(controlOf(this, "cb_density"))) {
        for (int value = 0; value <= 15; ++value)
            density->addItem(QString::number(value), value);
    }
}

void CFormPrinterOptions::translateListItems()
{
    for (const ListItems &entry : lists) {
        auto *list = qobject_cast<QComboBox *>(controlOf(this, entry.control));
        for (int i = 0; list && i < list->count(); ++i) {
            const QString source = list->itemData(i, sourceRole).toString();
            if (!source.isEmpty())
                list->setItemText(i, translate(source));
        }
    }
}

bool CFormPrinterOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        translateListItems();
    return QWidget::eventFilter(watched, event);
}

int CFormPrinterOptions::currentPage() const
{
    return m_pages->currentIndex();
}

void CFormPrinterOptions::showRecord()
{
    const PrinterParameters &params = m_app.parameters();
    for (const ParameterRow &row : protocol::parameterTable()) {
        QWidget *control = controlOf(this, row.control);
        if (!control)
            continue;
        if (row.text)
            showText(control, params.*row.text);
        else
            showNumber(control, row.binding, params.*row.number);
        if (QWidget *base = controlOf(this, row.baseControl))
            showNumber(base, Binding::IntegerText, params.*row.baseNumber);
    }
}

void CFormPrinterOptions::takeRecord()
{
    PrinterParameters &params = m_app.parameters();
    for (const ParameterRow &row : protocol::parameterTable()) {
        const QWidget *control = controlOf(this, row.control);
        if (!control)
            continue;
        if (row.text)
            params.*row.text = takeText(control);
        else
            params.*row.number = takeNumber(control, row.binding);
        if (const QWidget *base = controlOf(this, row.baseControl))
            params.*row.baseNumber = takeNumber(base, Binding::IntegerText);
    }
}

void CFormPrinterOptions::startWifiScan()
{
    m_actions->startWifiScan();
}

void CFormPrinterOptions::onMaintenanceClick(const QString &controlName)
{
    if (controlName == QLatin1String("btn_hardware_upgrade"))
        upgrade::openUpgradeDialog(window());
    else
        m_actions->handleClick(controlName);
}

void CFormPrinterOptions::setWriteAllowed(bool allowed)
{
    m_writeAllowed = allowed;
    m_write->setEnabled(allowed);
}

void CFormPrinterOptions::onPortChanged()
{
    setWriteAllowed(false);
}

int CFormPrinterOptions::runJob(jobs::TaskCode code, jobs::Job job)
{
    CDlgProcess dialog(this);
    dialog.setTaskCode(code);
    dialog.setJob(std::move(job));
    return dialog.exec();
}

void CFormPrinterOptions::readParameters()
{
    m_app.parameters().reset();
    m_readOutcome.reset();
    CApp &app = m_app;
    QPointer<CFormPrinterOptions> form(this);
    const int result = runJob(jobs::TaskCode::ReadParameters,
        jobs::makeJob(
            [&app](jobs::JobContext &context) {
                return protocol::readAllParameters(app.device(), app.parameters(), context);
            },
            [form](const protocol::ReadPassOutcome &outcome) {
                if (form)
                    form->m_readOutcome = outcome;
            }));
    if (result != 1 || !m_readOutcome)
        return;
    // Only an answer shows that the record describes this printer; writing
    // the reset values would wipe its set-up.
    setWriteAllowed(m_readOutcome->statusAnswered || m_app.parameters().dpi > 0);
    applyGroupStates();
    m_actions->showStatus(m_readOutcome->statusAnswered);
    showRecord();
    showReadOutcome(*m_readOutcome);
}

void CFormPrinterOptions::applyGroupStates()
{
    const PrinterParameters &params = m_app.parameters();
    for (const PageCondition &condition : pageConditions) {
        const bool enabled = condition.flag && params.*condition.flag != 0;
        for (const ParameterRow &row : protocol::parameterTable()) {
            QWidget *control = row.page == condition.page ? controlOf(this, row.control) : nullptr;
            if (control && m_enabledByLayout.contains(control))
                control->setEnabled(enabled);
        }
    }
}

void CFormPrinterOptions::showReadOutcome(const protocol::ReadPassOutcome &outcome)
{
    using End = protocol::ReadPassOutcome::End;
    QStringList lines;
    if (outcome.end == End::NoAnswer) {
        lines.append(translate(QStringLiteral("打印机没有应答。")));
    } else if (outcome.end == End::ConnectionLost) {
        lines.append(translate(QStringLiteral("读取参数中断：与打印机的连接中断。")));
    } else if (outcome.unanswered > 0) {
        lines.append(translate(QStringLiteral("没有应答的查询数：%d"))
                         .replace(QLatin1String("%d"), QString::number(outcome.unanswered)));
        const PrinterParameters &params = m_app.parameters();
        const struct {
            bool silent;
            const char *tab;
        } groups[] = {
            { params.serialQueried == 0, "tabctrl_opt_serial" },
            { params.networkQueried == 0, "tabctrl_opt_network" },
            { params.bluetoothQueried == 0, "tabctrl_opt_bluetooth" },
            { params.hasWifi != 0 && params.wifiQueried == 0, "tabctrl_opt_wifi" },
        };
        QStringList names;
        for (const auto &group : groups) {
            if (auto *tab = qobject_cast<QPushButton *>(controlOf(this, group.tab)); tab && group.silent)
                names.append(tab->text());
        }
        if (!names.isEmpty())
            lines.append(translate(QStringLiteral("没有应答的参数组：")) + names.join(QStringLiteral(", ")));
    }
    m_outcome->setText(lines.join(QLatin1Char('\n')));
}

bool CFormPrinterOptions::dhcpIsOn(const ParameterRow &row)
{
    const ParameterRow *dhcp = rowOfField(row.dhcp);
    const QWidget *control = dhcp ? controlOf(this, dhcp->control) : nullptr;
    return control ? takeNumber(control, dhcp->binding) != 0 : m_app.parameters().*row.dhcp != 0;
}

bool CFormPrinterOptions::pageCanBeWritten(int page)
{
    bool empty = false;
    bool unquotable = false;
    bool malformed = false;
    for (const ParameterRow &row : protocol::parameterTable()) {
        QWidget *control = static_cast<int>(row.page) == page ? controlOf(this, row.control) : nullptr;
        if (!control)
            continue;
        using printer_options::EntryCheck;
        bool wrong = false;
        // An address goes out only with DHCP off, as the page's check box says now.
        if (control->isEnabled() && !(row.entry == Entry::Address && dhcpIsOn(row))) {
            switch (printer_options::checkEntry(row.entry, takeText(control))) {
            case EntryCheck::Fine:
                break;
            case EntryCheck::Empty:
                wrong = row.required;
                empty = empty || wrong;
                break;
            case EntryCheck::Malformed:
                wrong = row.required;
                (row.entry == Entry::Address ? malformed : empty) |= wrong;
                break;
            case EntryCheck::Unquotable:
                wrong = unquotable = true;
                break;
            }
        }
        setMarked(control, wrong);
    }
    QStringList reasons;
    if (empty)
        reasons.append(translate(QStringLiteral("请填写标记的字段。")));
    if (unquotable)
        reasons.append(translate(QStringLiteral("名称和密码不能包含双引号或控制字符。")));
    if (malformed)
        reasons.append(translate(QStringLiteral("IP地址、子网掩码或网关格式不正确。")));
    if (reasons.isEmpty())
        return true;
    prompts().showMessage(window(), reasons.join(QLatin1Char('\n')), translate(QStringLiteral("写入参数")),
        Prompts::Buttons::Ok, Prompts::Icon::Warning);
    return false;
}

void CFormPrinterOptions::writeParameters()
{
    if (!m_writeAllowed)
        return;
    const int page = currentPage();
    if (!pageCanBeWritten(page))
        return;
    takeRecord();
    m_writeOutcome.reset();
    CApp &app = m_app;
    QPointer<CFormPrinterOptions> form(this);
    runJob(jobs::TaskCode::WriteParameters,
        jobs::makeJob(
            [&app, page](jobs::JobContext &context) {
                return protocol::writePageParameters(app.device(), app.parameters(), page, context);
            },
            [form](const protocol::WritePassOutcome &outcome) {
                if (form)
                    form->m_writeOutcome = outcome;
            }));
    if (m_writeOutcome)
        showWriteOutcome(*m_writeOutcome);
}

void CFormPrinterOptions::showWriteOutcome(const protocol::WritePassOutcome &outcome)
{
    const QString text = outcome.complete ? translate(QStringLiteral("参数已写入，已发送的设置数：%d"))
                                          : translate(QStringLiteral("写入参数提前结束，已发送的设置数：%d"));
    m_outcome->setText(QString(text).replace(QLatin1String("%d"), QString::number(outcome.sent)));
}

void registerPrinterOptions(CApp &)
{
    CMainFrame::registerPage(QStringLiteral("FormPrinterOptions"), [](CApp &app, QWidget *parent) {
        auto *form = new CFormPrinterOptions(app, parent);
        form->startWifiScan();
        return form;
    });
}
