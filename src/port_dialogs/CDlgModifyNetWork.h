#pragma once

#include "protocol/PrinterParameters.h"

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

    CDlgModifyNetWork(bool dhcp, const QString &ip, const QString &subnet, const QString &gateway,
                      QWidget *parent = nullptr);

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
    QCheckBox *m_dhcp = nullptr;
    QLineEdit *m_ip = nullptr;
    QLineEdit *m_subnet = nullptr;
    QLineEdit *m_gateway = nullptr;
};
