#include "port_dialogs/CDlgModifyNetWork.h"

#include "ui/LayoutLoader.h"
#include "ui/RequiredControls.h"
#include "ui/WindowChrome.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

CDlgModifyNetWork::CDlgModifyNetWork(
    bool dhcp, const QString &ip, const QString &subnet, const QString &gateway, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
{
    m_values.dhcp = dhcp ? 1 : 0;
    m_values.netIp = ip;
    m_values.netMask = subnet;
    m_values.netGateway = gateway;
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_dhcp = ui::requireControl<QCheckBox>(this, "chk_dhcp");
    m_ip = ui::requireControl<QLineEdit>(this, "edit_ip");
    m_subnet = ui::requireControl<QLineEdit>(this, "edit_subnet");
    m_gateway = ui::requireControl<QLineEdit>(this, "edit_gateway");
    connect(ui::requireControl<QPushButton>(this, "btn_ok"), &QPushButton::clicked, this, &CDlgModifyNetWork::confirm);
    connect(
        ui::requireControl<QPushButton>(this, "btn_cancel"), &QPushButton::clicked, this, &CDlgModifyNetWork::reject);
    connect(m_dhcp, &QCheckBox::toggled, this, &CDlgModifyNetWork::enableAddressFields);
    showValues();
}

void CDlgModifyNetWork::showValues()
{
    m_dhcp->setChecked(m_values.dhcp != 0);
    m_ip->setText(m_values.netIp);
    m_subnet->setText(m_values.netMask);
    m_gateway->setText(m_values.netGateway);
    enableAddressFields();
}

void CDlgModifyNetWork::enableAddressFields()
{
    const bool manual = !m_dhcp->isChecked();
    for (QLineEdit *edit : { m_ip, m_subnet, m_gateway })
        edit->setEnabled(manual);
}

void CDlgModifyNetWork::readValues()
{
    m_values.dhcp = m_dhcp->isChecked() ? 1 : 0;
    m_values.netIp = m_ip->text();
    m_values.netMask = m_subnet->text();
    m_values.netGateway = m_gateway->text();
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
