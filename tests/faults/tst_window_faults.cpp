#include "app/CApp.h"
#include "app/LanguageManager.h"
#include "file_manager/CFormFileManager.h"
#include "printer_options/CFormPrinterOptions.h"
#include "support/SimPrinterProcess.h"
#include "support/TrafficLogRecorder.h"
#include "terminal/CFormCommunication.h"
#include "ui/LayoutLoader.h"
#include "ui/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString simExecutable = QStringLiteral(SIM_EXECUTABLE);

enum class Job { ReadParameters, WriteParameters, ReadMemory, Download, SendFile };

const char *jobName(Job job)
{
    switch (job) {
    case Job::ReadParameters:
        return "read parameters";
    case Job::WriteParameters:
        return "write parameters";
    case Job::ReadMemory:
        return "read memory";
    case Job::Download:
        return "download";
    case Job::SendFile:
        break;
    }
    return "send file";
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Ticks of a timer on the window thread while a job runs, and the longest
// time between two of them.
class WindowTicks : public QObject
{
public:
    WindowTicks()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longestGap = std::max(m_longestGap, m_sinceLast.restart());
            ++m_ticks;
        });
        m_sinceLast.start();
        m_timer.start();
    }
    int ticks() const { return m_ticks; }
    qint64 longestGap() const { return std::max(m_longestGap, m_sinceLast.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    int m_ticks = 0;
    qint64 m_longestGap = 0;
};

} // namespace

// The tabs' jobs against a printer that is silent, slow, garbled, drops the
// connection or dies half-way: each job ends, the tab says what went wrong,
// the window thread goes on running meanwhile, and the same port serves the
// printer once it is back. Each row prints a FAULTROW line for the fault table.
class WindowFaultsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void jobUnderFault_data();
    void jobUnderFault();

private:
    void startPrinter(const QStringList &switches);
    void click(QWidget *form, const char *name);
    QString runJob(Job job, int killAfterMs);

    QTemporaryDir m_dir;
    std::unique_ptr<CApp> m_app;
    SimPrinterProcess m_sim;
    std::unique_ptr<CFormPrinterOptions> m_options;
    std::unique_ptr<CFormFileManager> m_files;
    std::unique_ptr<CFormCommunication> m_communication;
};

void WindowFaultsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    LanguageManager::instance().select(QStringLiteral("Lang\\English"), QStringLiteral("English"));
    m_app = std::make_unique<CApp>(m_dir.filePath(QStringLiteral("settings.ini")));
    registerPrinterOptions(*m_app);
    registerFileManager(*m_app);
    registerCommunicationPage();
    QVERIFY2(m_sim.start(simExecutable), qPrintable(m_sim.errorText()));
    m_options = std::make_unique<CFormPrinterOptions>(*m_app);
    m_files = std::make_unique<CFormFileManager>(*m_app);
    ui::findControl<QRadioButton>(m_files.get(), QStringLiteral("chk_file_manager_dram"))->click();
    const QString label = m_dir.filePath(QStringLiteral("label.bin"));
    QVERIFY(writeFile(label, QByteArray(512 * 1024, 'x')));
    ui::findControl<QLineEdit>(m_files.get(), QStringLiteral("edit_file_manager_file_path"))->setText(label);
    ui::findControl<QLineEdit>(m_files.get(), QStringLiteral("edit_file_manager_file_name"))
        ->setText(QStringLiteral("LABEL.BIN"));

    m_communication = std::make_unique<CFormCommunication>(m_app->settings(), m_app->device());
    // 20 blocks with their pauses: about 5 s when the printer takes them all.
    const QString commands = m_dir.filePath(QStringLiteral("commands.txt"));
    QVERIFY(writeFile(commands, QByteArray(20 * 1024, '~')));
    ui::findControl<QLineEdit>(m_communication.get(), QStringLiteral("text_send_file"))->setText(commands);
}

void WindowFaultsTest::startPrinter(const QStringList &switches)
{
    m_app->device().Close();
    QVERIFY2(m_sim.restart(simExecutable, switches), qPrintable(m_sim.errorText()));
    QVERIFY(m_sim.connectPort(m_app->device()));
}

void WindowFaultsTest::click(QWidget *form, const char *name)
{
    ui::findControl<QPushButton>(form, QString::fromLatin1(name))->click();
}

// Clicks the job's button (it returns once the job's dialog has closed) and
// gives what the tab showed.
QString WindowFaultsTest::runJob(Job job, int killAfterMs)
{
    if (killAfterMs > 0)
        QTimer::singleShot(killAfterMs, this, [this] { m_sim.kill(); });
    ScriptedPrompts prompts;
    TrafficLogRecorder log;
    switch (job) {
    case Job::ReadParameters:
        click(m_options.get(), "btn_read_all_options");
        break;
    case Job::WriteParameters:
        click(m_options.get(), "btn_write_all_options");
        break;
    case Job::ReadMemory:
        click(m_files.get(), "btn_file_manager_read_memory");
        break;
    case Job::Download:
        click(m_files.get(), "btn_file_manager_download_file");
        break;
    case Job::SendFile:
        click(m_communication.get(), "btn_send_file");
        // The page tells of the sending in the traffic log only.
        return log.lines().filter(QStringLiteral("Send file")).join(u'\n');
    }
    if (job == Job::ReadParameters || job == Job::WriteParameters)
        return ui::findControl<QLabel>(m_options.get(), QStringLiteral("label_pass_outcome"))->text();
    return prompts.askedTexts.join(u'\n');
}

void WindowFaultsTest::jobUnderFault_data()
{
    QTest::addColumn<int>("job");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<int>("killAfterMs"); // 0: the printer lives
    QTest::addColumn<QString>("shown"); // what the tab says, its start

    const QStringList silent { "--no-answer" };
    const QStringList late { "--slow", "1500" }; // later than any query waits
    const QStringList garbled { "--garbage" };
    const QStringList slow { "--slow", "100" }; // in time, so that the printer dies half-way
    const QString noAnswer = QStringLiteral("The printer does not answer.");

    const int read = int(Job::ReadParameters);
    QTest::newRow("read parameters, silent") << read << silent << 0 << noAnswer;
    QTest::newRow("read parameters, late") << read << late << 0 << noAnswer;
    QTest::newRow("read parameters, garbled") << read << garbled << 0 << "Unanswered queries: ";
    QTest::newRow("read parameters, killed")
        << read << slow << 600 << "Reading parameters stopped: the connection to the printer was lost.";

    const int write = int(Job::WriteParameters);
    // Settings have no answer: a silent printer cannot be told from one that took them.
    QTest::newRow("write parameters, silent") << write << silent << 0 << "Parameters written; settings sent: ";
    QTest::newRow("write parameters, killed") << write << QStringList() << -1 << "Writing parameters ended early";

    const int memory = int(Job::ReadMemory);
    QTest::newRow("read memory, silent") << memory << silent << 0 << noAnswer;
    QTest::newRow("read memory, late") << memory << late << 0 << noAnswer;
    QTest::newRow("read memory, garbled") << memory << garbled << 0 << noAnswer;
    QTest::newRow("read memory, killed") << memory << QStringList { "--slow", "300" } << 450
                                         << "Reading memory stopped: the connection to the printer was lost.";

    const int download = int(Job::Download);
    const QString lost = QStringLiteral("Download failed: the connection to the printer was lost.");
    QTest::newRow("download, connection dropped") << download << QStringList { "--close-mid-transfer" } << 0 << lost;
    QTest::newRow("download, killed") << download << QStringList() << -1 << lost;

    const int sendFile = int(Job::SendFile);
    const QString sending = QStringLiteral("Send file: commands.txt, 20480 bytes, 20 blocks, expected time 0:05.\n");
    QTest::newRow("send file, killed") << sendFile << QStringList() << 600 << sending + "Send file failed: ";
    QTest::newRow("send file, printer gone") << sendFile << QStringList() << -1 << sending + "Send file failed: ";
}

void WindowFaultsTest::jobUnderFault()
{
    QFETCH(int, job);
    QFETCH(QStringList, switches);
    QFETCH(int, killAfterMs);
    QFETCH(QString, shown);

    // Writing waits for a reading of the same printer.
    startPrinter({});
    if (Job(job) == Job::WriteParameters)
        QCOMPARE(runJob(Job::ReadParameters, 0), QString());
    startPrinter(switches);
    if (QTest::currentTestFailed())
        return;
    // -1: the printer is gone before the job starts.
    if (killAfterMs < 0)
        m_sim.kill();

    WindowTicks ticks;
    QElapsedTimer clock;
    clock.start();
    const QString outcome = runJob(Job(job), std::max(killAfterMs, 0));
    const qint64 took = clock.elapsed();
    qInfo("FAULTROW|%s|%s|%s|%lld ms|window ticks %d, longest gap %lld ms", jobName(Job(job)), QTest::currentDataTag(),
        qPrintable(QString(outcome).replace(u'\n', u' ')), static_cast<long long>(took), ticks.ticks(),
        static_cast<long long>(ticks.longestGap()));
    QVERIFY2(outcome.startsWith(shown), qPrintable(outcome));
    // The window thread ran its timers while the job ran on its worker.
    if (took > 500)
        QVERIFY2(ticks.ticks() > 0, qPrintable(QString::number(ticks.ticks())));

    // The same port, once the printer is back, reads it whole.
    startPrinter({});
    QCOMPARE(runJob(Job::ReadParameters, 0), QString());
}

QTEST_MAIN(WindowFaultsTest)
#include "tst_window_faults.moc"
