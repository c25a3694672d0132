#include "printer_options/CDlgFormDetect.h"

#include "ui/LayoutLoader.h"
#include "ui/WindowChrome.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QRadioButton>

CDlgFormDetect::CDlgFormDetect(int &calibrationChoice, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_choice(calibrationChoice)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    auto *group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int i = 0; i < 4; ++i) {
        m_options[i] = ui::requireControl<QRadioButton>(this, requiredControls[i].name);
        group->addButton(m_options[i], i);
        m_options[i]->setChecked(i == m_choice);
    }
    // Toggled rather than clicked: a choice made with the arrow keys counts too.
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            m_choice = id;
    });
    connect(ui::requireControl<QPushButton>(this, "btn_ok"), &QPushButton::clicked, this, [this] { done(1); });
}

void CDlgFormDetect::reject()
{
    done(2);
}
