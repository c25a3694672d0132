#pragma once

#include "ui/RequiredControls.h"

#include <QDialog>

class QRadioButton;

// Chooses the kind of media the printer calibrates its sensors for. A click
// on a choice changes the caller's choice at once, also when the dialog is
// then closed without OK (result 2); OK gives 1.
class CDlgFormDetect : public QDialog
{
    Q_OBJECT
public:
    static constexpr char layoutFile[] = "DlgFormDetect.ui";
    // In the order of the choices 0 automatic, 1 gap, 2 black mark, 3 continuous.
    static constexpr ui::RequiredControl requiredControls[] = {
        { "chk_auto", "QRadioButton" },
        { "chk_gap", "QRadioButton" },
        { "chk_bline", "QRadioButton" },
        { "chk_continuation", "QRadioButton" },
        { "btn_ok", "QPushButton" },
        { "window_header", "QWidget" },
        { "windowclosebtn", "QToolButton" },
    };

    CDlgFormDetect(int &calibrationChoice, QWidget *parent = nullptr);

    void reject() override;

private:
    int &m_choice;
    QRadioButton *m_options[4] = {};
};
