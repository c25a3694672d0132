#include "printer_options/CDlgSensorCheck.h"

#include "app/LanguageManager.h"
#include "app/WorkerThread.h"
#include "jobs/TaskCode.h"
#include "protocol/PrinterParameters.h"
#include "ui/LayoutLoader.h"
#include "ui/WindowChrome.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>

using printer_options::SensorReadings;

namespace {

constexpr int typeHeadingId = 2;
const QString rowNames[3]
    = { QStringLiteral("投射传感器"), QStringLiteral("反射传感器"), QStringLiteral("辅助传感器") };

} // namespace

CDlgSensorCheck::CDlgSensorCheck(CDeviceInterface &port, PrinterParameters &params, QWidget *parent)
    : QDialog(parent, Qt::Dialog)
    , m_port(port)
    , m_params(params)
{
    ui::loadLayoutInto(this, QString::fromLatin1(layoutFile));
    ui::installWindowChrome(this, false);
    m_grid = ui::requireControl<QTableWidget>(this, "grid");
    setUpGrid();
}

CDlgSensorCheck::~CDlgSensorCheck()
{
    stopPolling();
}

void CDlgSensorCheck::setUpGrid()
{
    m_grid->setColumnCount(17);
    m_grid->setRowCount(3);
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    const QString heading
        = LanguageManager::instance().openWindowPack(QString::fromLatin1(layoutFile)).texts.value(typeHeadingId);
    if (QTableWidgetItem *item = m_grid->horizontalHeaderItem(0); item && !heading.isEmpty())
        item->setText(heading);
    for (int column = 1; column <= 16; ++column) {
        if (!m_grid->horizontalHeaderItem(column))
            m_grid->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::number(column - 1)));
    }
    const std::array<qint32, 16> *arrays[3]
        = { &m_params.sensorTransmissive, &m_params.sensorReflective, &m_params.sensorAuxiliary };
    for (int row = 0; row < 3; ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(translate(rowNames[row])));
        for (int column = 1; column <= 16; ++column) {
            auto *cell = new QTableWidgetItem(QString::number((*arrays[row])[column - 1]));
            cell->setTextAlignment(Qt::AlignCenter);
            m_grid->setItem(row, column, cell);
        }
    }
    // The names take what they need, the readings share the rest evenly, and
    // the grid is exactly as high as its three rows.
    QHeaderView *header = m_grid->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (int column = 1; column <= 16; ++column)
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    m_grid->setFixedHeight(
        header->sizeHint().height() + 3 * m_grid->verticalHeader()->defaultSectionSize() + 2 * m_grid->frameWidth());
    resize(width(), sizeHint().height());
}

void CDlgSensorCheck::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        startPolling();
    }
}

void CDlgSensorCheck::startPolling()
{
    auto stop = std::make_shared<printer_options::StopSignal>();
    CDeviceInterface *port = &m_port;
    QPointer<CDlgSensorCheck> dialog(this);
    auto job = jobs::makeJob([port, stop, dialog](jobs::JobContext &) {
        printer_options::pollSensors(*port, *stop, [dialog](const SensorReadings &readings) {
            // The record is written on the window thread, where the grid reads it.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [dialog, readings] {
                    if (dialog)
                        dialog->showReadings(readings);
                },
                Qt::QueuedConnection);
        });
    });
    WorkerThread *worker = WorkerThread::startJob(
        QString::fromLatin1(jobs::worker::sensorCheck), std::move(job), std::make_shared<jobs::JobContext>());
    if (!worker)
        return; // the last dialog's worker has not ended yet
    m_stop = stop;
    m_polling = true;
    connect(worker, &WorkerThread::jobEnded, this, [this] {
        m_polling = false;
        Q_EMIT pollingStopped();
    });
}

void CDlgSensorCheck::stopPolling()
{
    if (!m_polling || m_stopping)
        return;
    m_stopping = true;
    m_stop->request();
    // The window keeps painting while the last exchange ends, but takes no
    // input, so nothing can start another exchange on the port meanwhile.
    QEventLoop loop;
    connect(this, &CDlgSensorCheck::pollingStopped, &loop, &QEventLoop::quit);
    QTimer::singleShot(stopWaitMs, &loop, &QEventLoop::quit);
    if (m_polling)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void CDlgSensorCheck::showReadings(const SensorReadings &readings)
{
    if (m_stopping)
        return;
    printer_options::storeSensorReadings(m_params, readings);
    for (int row = 0; row < 3; ++row) {
        for (int column = 1; column <= 16; ++column)
            m_grid->item(row, column)->setText(QString::number(readings[row * 16 + column - 1]));
    }
    Q_EMIT readingsShown();
}

void CDlgSensorCheck::done(int result)
{
    if (m_stopping)
        return;
    stopPolling();
    QDialog::done(result);
}

void CDlgSensorCheck::reject()
{
    done(2);
}
