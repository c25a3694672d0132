// Times appends to the traffic log view: the first lines, the lines just
// before the limit and the lines after it, when every append also drops the
// oldest line. Appends at the limit should cost no more than early ones.
//
//   QT_QPA_PLATFORM=offscreen traffic_log [limit]      (default 100000)
#include "app/SettingsStore.h"
#include "app/TrafficLogView.h"
#include "connection/TrafficLog.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const int limit = argc > 1 ? std::max(1000, QString::fromLocal8Bit(argv[1]).toInt()) : 100000;
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("settings.ini")));
    settings.writeInt(QStringLiteral("TrafficLog"), QStringLiteral("MaxLines"), limit);
    QSplitter splitter(Qt::Vertical);
    auto *log = new QPlainTextEdit(&splitter);
    log->setReadOnly(true);
    log->setLineWrapMode(QPlainTextEdit::NoWrap);
    TrafficLogView view(log, settings);
    splitter.resize(990, 200);
    splitter.show();

    const QByteArray bytes("DIAGNOSTIC REPORT SPEED\r\n");
    const QString line
        = TrafficLog::stamp(QDateTime::currentDateTime(), TrafficLog::transferLine(QStringLiteral("Write: "), bytes));
    constexpr int batch = 2000;
    const auto timeBatch = [&] {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < batch; ++i)
            view.appendLine(line);
        QCoreApplication::processEvents();
        return static_cast<double>(timer.nsecsElapsed()) / 1e3 / batch;
    };
    const double first = timeBatch();
    while (log->document()->blockCount() < limit - batch)
        view.appendLine(line);
    const double beforeLimit = timeBatch();
    const double atLimit = timeBatch();
    const double longAfter = [&] {
        for (int i = 0; i < limit / 2; ++i)
            view.appendLine(line);
        return timeBatch();
    }();
    std::printf("traffic log, limit %d lines, microseconds per append:\n", limit);
    std::printf("  first %d lines      %8.1f\n", batch, first);
    std::printf("  before the limit    %8.1f\n", beforeLimit);
    std::printf("  at the limit        %8.1f\n", atLimit);
    std::printf("  half a limit later  %8.1f\n", longAfter);
    std::printf("  lines kept          %8d\n", log->document()->blockCount());
    return log->document()->blockCount() == limit ? 0 : 1;
}
