#pragma once

class QWidget;

// The port settings dialogs the main window opens. Each runs modally over
// the parent and returns 1 when confirmed, 2 when cancelled or closed; the
// USB dialog opens the port itself, the network one sets the application's
// port settings for the caller to open.
class PortDialogs
{
public:
    virtual ~PortDialogs() = default;
    virtual int openUsbDialog(QWidget *parent) = 0;
    virtual int openNetDialog(QWidget *parent) = 0;
    virtual int openComDialog(QWidget *parent) = 0;
    virtual int openLptDialog(QWidget *parent) = 0;
};
