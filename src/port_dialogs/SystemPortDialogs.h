#pragma once

#include "app/PortDialogs.h"

class CApp;

// The port dialogs of the program, working on the application's port object
// and port settings.
class SystemPortDialogs : public PortDialogs
{
public:
    explicit SystemPortDialogs(CApp &app);

    int openUsbDialog(QWidget *parent) override;
    int openNetDialog(QWidget *parent) override;
    // Serial and parallel ports are not offered: their layouts exist, nothing more.
    int openComDialog(QWidget *parent) override;
    int openLptDialog(QWidget *parent) override;

private:
    CApp &m_app;
};

// Installs the port dialogs into the application.
void registerPortDialogs(CApp &app);
