// Times "Read parameters" on the printer options tab: from the click to the
// last control filled (progress dialog, worker, reading pass, record to
// controls), against the simulated printer over loopback TCP.
//
//   QT_QPA_PLATFORM=offscreen read_parameters [clicks]      (default 20)
#include "app/CApp.h"
#include "app/LanguageManager.h"
#include "printer_options/CFormPrinterOptions.h"
#include "support/SimPrinterProcess.h"
#include "ui/LayoutLoader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const int clicks = std::max(1, argc > 1 ? QByteArray(argv[1]).toInt() : 20);
    QTemporaryDir dir;
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    CApp app(dir.filePath(QStringLiteral("settings.ini")));
    registerPrinterOptions(app);

    SimPrinterProcess sim;
    if (!sim.start(QStringLiteral(SIM_EXECUTABLE)) || !sim.connectPort(app.device())) {
        std::fprintf(stderr, "read_parameters: no simulated printer: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    CFormPrinterOptions form(app);
    form.show();
    auto *read = ui::findControl<QPushButton>(&form, QStringLiteral("btn_read_all_options"));
    auto *model = ui::findControl<QLineEdit>(&form, QStringLiteral("text_opt_model"));

    std::vector<double> clickMs;
    std::vector<double> fillMs;
    for (int i = 0; i < clicks; ++i) {
        model->clear();
        QElapsedTimer timer;
        timer.start();
        read->click(); // returns once the dialog has closed and the form is filled
        clickMs.push_back(elapsedMs(timer));
        if (model->text().isEmpty()) {
            std::fprintf(stderr, "read_parameters: the form was not filled\n");
            return 1;
        }
        timer.restart();
        form.showRecord();
        fillMs.push_back(elapsedMs(timer));
    }
    std::printf("Read parameters, click to every control filled, simulated printer at %s:9100, %d clicks\n",
        qPrintable(sim.address()), clicks);
    std::printf("  median %.1f ms, min %.1f ms, max %.1f ms (target: under 100 ms)\n", median(clickMs),
        *std::min_element(clickMs.begin(), clickMs.end()), *std::max_element(clickMs.begin(), clickMs.end()));
    std::printf("  of which record to controls: median %.2f ms\n", median(fillMs));
    return 0;
}
