#include "port_dialogs/SystemPortDialogs.h"

#include "app/CApp.h"
#include "port_dialogs/CDlgPortNet.h"
#include "port_dialogs/CDlgPortUsb.h"

SystemPortDialogs::SystemPortDialogs(CApp &app)
    : m_app(app)
{ }

int SystemPortDialogs::openUsbDialog(QWidget *parent)
{
    CDlgPortUsb dialog(m_app.device(), m_app.portSettings(), parent);
    return dialog.run();
}

int SystemPortDialogs::openNetDialog(QWidget *parent)
{
    CDlgPortNet dialog(m_app.portSettings(), DiscoverySetup::system(), parent);
    return dialog.exec();
}

int SystemPortDialogs::openComDialog(QWidget *)
{
    return 2;
}

int SystemPortDialogs::openLptDialog(QWidget *)
{
    return 2;
}

void registerPortDialogs(CApp &app)
{
    app.setPortDialogs(std::make_unique<SystemPortDialogs>(app));
}
