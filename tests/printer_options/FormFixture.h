#pragma once

#include "ui/LayoutLoader.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

#include <memory>

// The printer options layout as the form loads it, holding the controls the
// maintenance actions write into. Where the layout does not draw one of them
// yet, a plain control of that name stands in.
inline std::unique_ptr<QWidget> loadPrinterOptionsLayout()
{
    std::unique_ptr<QWidget> form(ui::loadLayout(QStringLiteral("FormPrinterOptions.ui")));
    if (!form)
        form = std::make_unique<QWidget>();
    if (!ui::findControl<QWidget>(form.get(), QStringLiteral("text_prt_status"))) {
        auto *status = new QLineEdit(form.get());
        status->setObjectName(QStringLiteral("text_prt_status"));
        status->setReadOnly(true);
    }
    if (!ui::findControl<QComboBox>(form.get(), QStringLiteral("cb_wifi_name"))) {
        auto *names = new QComboBox(form.get());
        names->setObjectName(QStringLiteral("cb_wifi_name"));
        names->setEditable(true);
    }
    return form;
}
