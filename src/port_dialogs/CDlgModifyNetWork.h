#pragma once

#include "protocol/PrinterParameters.h"
#include "ui/RequiredControls.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// Edits one printer's wired network settings: DHCP, or address, mask and
// gateway. Confirming needs all three texts, also with DHCP ticked.
class CDlgModifyNetWork : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgModifyNetWork.ui";
    static constexpr ui::RequiredControl requiredControls[] = {
        { "chk_dhcp", "QCheckBox" },
        { "edit_ip", "QLineEdit" },
        { "edit_subnet", "QLineEdit" },
        { "edit_gateway", "QLineEdit" },
        { "btn_ok", "QPushButton" },
        { "btn_cancel", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    CDlgModifyNetWork(
        bool dhcp, const QString &ip, const QString &subnet, const QString &gateway, QWidget *parent = nullptr);

    bool dhcp() const { return m_values.dhcp != 0; }
    QString ip() const { return m_values.netIp; }
    QString subnet() const { return m_values.netMask; }
    QString gateway() const { return m_values.netGateway; }

    void reject() override;

private:
    void showValues();
    void readValues();
    void confirm();
    void enableAddressFields();

    PrinterParameters m_values;
    QCheckBox *m_dhcp;
    QLineEdit *m_ip;
    QLineEdit *m_subnet;
    QLineEdit *m_gateway;
};
