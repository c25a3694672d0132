#include "port_dialogs/CDlgModifyNetWork.h"

#include "ui/LayoutLoader.h"
#include "ui/WindowChrome.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

CDlgModifyNetWork::CDlgModifyNetWork(bool dhcp, const QString &ip, const QString &subnet, const QString &gateway,
                                     QWidget *parent)
    : QDialog(parent, Qt::Dialog)
{
    m_values.dhcp = dhcp ? 1 : 0;
    m_values.netIp = ip;
    m_values.netMask = subnet;
    m_values.netGateway = gateway;
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_dhcp = ui::findControl<QCheckBox>(this, QStringLiteral("chk_dhcp"));
    m_ip = ui::findControl<QLineEdit>(this, QStringLiteral("edit_ip"));
    m_subnet = ui::findControl<QLineEdit>(this, QStringLiteral("edit_subnet"));
    m_gateway = ui::findControl<QLineEdit>(this, QStringLiteral("edit_gateway"));
    if (auto *ok = ui::findControl<QPushButton>(this, QStringLiteral("btn_ok")))
        connect(ok, &QPushButton::clicked, this, &CDlgModifyNetWork::confirm);
    if (auto *cancel = ui::findControl<QPushButton>(this, QStringLiteral("btn_cancel")))
        connect(cancel, &QPushButton::clicked, this, &CDlgModifyNetWork::reject);
    if (m_dhcp)
        connect(m_dhcp, &QCheckBox::toggled, this, &CDlgModifyNetWork::enableAddressFields);
    showValues();
}

void CDlgModifyNetWork::showValues()
{
    if (m_dhcp)
        m_dhcp->setChecked(m_values.dhcp != 0);
    for (auto [edit, text] : {std::pair{m_ip, m_values.netIp}, std::pair{m_subnet, m_values.netMask},
                              std::pair{m_gateway, m_values.netGateway}}) {
        if (edit)
            edit->setText(text);
    }
    enableAddressFields();
}

void CDlgModifyNetWork::enableAddressFields()
{
    const bool manual = !(m_dhcp && m_dhcp->isChecked());
    for (QLineEdit *edit : {m_ip, m_subnet, m_gateway}) {
        if (edit)
            edit->setEnabled(manual);
    }
}

void CDlgModifyNetWork::readValues()
{
    m_values.dhcp = (m_dhcp && m_dhcp->isChecked()) ? 1 : 0;
    m_values.netIp = m_ip ? m_ip->text() : QString();
    m_values.netMask = m_subnet ? m_subnet->text() : QString();
    m_values.netGateway = m_gateway ? m_gateway->text() : QString();
}

void CDlgModifyNetWork::confirm()
{
    readValues();
    if (m_values.netIp.isEmpty() || m_values.netMask.isEmpty() || m_values.netGateway.isEmpty())
        return;
    done(1);
}

void CDlgModifyNetWork::reject()
{
    done(2);
}
