#include "UpgradeFixture.h"

#include "app/LanguageManager.h"
#include "app/WorkerThread.h"
#include "jobs/TaskCode.h"
#include "protocol/CommandChannel.h"
#include "support/FakeTransport.h"
#include "support/TrafficLogRecorder.h"
#include "ui/ScriptedPrompts.h"
#include "upgrade/CDlgUpgrade.h"
#include "upgrade/job/BootProtocol.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace upgrade;

namespace {

const QString boot = QString::fromLatin1(bootDeviceNeedle);
const QStringList successTexts { QStringLiteral("升级成功"), QStringLiteral("升级完成") };

QString status(const QString &text)
{
    return QStringLiteral("text_status=") + text;
}

QByteArray firmwareImage(qsizetype size, const QByteArray &version = "V2.00")
{
    QByteArray image(size, '\0');
    QRandomGenerator generator(size);
    for (char &c : image)
        c = char(generator.bounded(256));
    image.replace(0, 16, ("FWVERSION:" + version + ";").leftJustified(16, ' '));
    return image;
}

// One upgrade against the simulated printer: the program's main port on it,
// the boot port through the driver's one-open rule, every search recorded.
struct Bench {
    explicit Bench(printersim::SimConfig config = SimUsbPrinter::quickConfig())
        : printer(std::move(config))
        , bootRecord(std::make_shared<UsblpNodeTransport::Record>())
    {
        auto recording = std::make_unique<RecordingSink>();
        sink = recording.get();
        context = std::make_shared<jobs::JobContext>(std::move(recording));
        saved.kind = PortKind::Usb;
        saved.usbDeviceId = printer.hardwareId();
        mainPort.Open(saved);
        environment = systemEnvironment(mainPort, saved);
        environment.translate = [](const QString &source) { return translate(source); };
        environment.waits = quickWaits();
        const auto find = environment.findDevice;
        environment.findDevice = [this, find](const QString &needle) {
            {
                QMutexLocker lock(&searchMutex);
                searches.append(needle);
            }
            return find(needle);
        };
        environment.makeBootPort = [record = bootRecord] {
            auto port = std::make_unique<CDeviceInterface>();
            port->setTransport(PortKind::Path, std::make_unique<UsblpNodeTransport>(record));
            return port;
        };
    }

    QString writeImage(const QByteArray &image)
    {
        const QString path = dir.filePath(QStringLiteral("firmware.bin"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            return {};
        return path;
    }
    UpgradeOutcome run(const QString &path) { return runOnThread(path, environment, *context); }
    QStringList statuses() const { return sink->texts(); }
    QStringList searchesFor(const QString &needle)
    {
        QMutexLocker lock(&searchMutex);
        return searches.filter(needle);
    }
    bool inBootMode() { return printer.printer().mode() == printersim::PrinterMode::Boot; }
    bool waitForBootMode()
    {
        return QTest::qWaitFor([this] { return printer.hardwareId().startsWith(boot); }, 5000);
    }

    SimUsbPrinter printer;
    QTemporaryDir dir;
    CDeviceInterface mainPort;
    PortSettings saved;
    std::shared_ptr<UsblpNodeTransport::Record> bootRecord;
    std::shared_ptr<jobs::JobContext> context;
    const RecordingSink *sink = nullptr;
    UpgradeEnvironment environment;
    QMutex searchMutex;
    QStringList searches;
};

// Hands a transport that outlives the port object to it, so that a test can
// look at what the upgrade's own boot port did after the upgrade dropped it.
class SharedTransport : public Transport
{
public:
    explicit SharedTransport(std::shared_ptr<Transport> transport)
        : m_transport(std::move(transport))
    { }
    bool open(const PortSettings &settings) override { return m_transport->open(settings); }
    void close() override { m_transport->close(); }
    bool isOpen() const override { return m_transport->isOpen(); }
    TransferResult write(const char *data, qint32 length, int timeoutMs) override
    {
        return m_transport->write(data, length, timeoutMs);
    }
    TransferResult read(char *buffer, qint32 capacity, int waitMs) override
    {
        return m_transport->read(buffer, capacity, waitMs);
    }

private:
    std::shared_ptr<Transport> m_transport;
};

bool anySuccessText(const QStringList &texts)
{
    for (const QString &text : texts) {
        for (const QString &success : successTexts) {
            if (text.contains(success))
                return true;
        }
    }
    return false;
}

} // namespace

class TestUpgrade : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fullUpgrade_data();
    void fullUpgrade();
    void alreadyInBootModeSkipsTheBootCommand();
    void networkPortSendsNothing();
    void imageFileRefusals_data();
    void imageFileRefusals();
    void printerFaultsEndAtTheirStep_data();
    void printerFaultsEndAtTheirStep();
    void repliesAreCheckedAndNeverTakenLate_data();
    void repliesAreCheckedAndNeverTakenLate();
    void bootNodeOpensOnceWithRetry_data();
    void bootNodeOpensOnceWithRetry();
    void printerNotBackInTimeIsBounded();
    void withoutDeviceIdNothingIsWaitedFor();
    void dialogRunsOneUpgradeAndHoldsOtherJobs();
    void closingTheDialogLeavesTheUpgradeRunning();
    void screenshots_data();
    void screenshots();
};

void TestUpgrade::initTestCase()
{
    LanguageManager::instance().select(QStringLiteral("Lang\\ChineseSimplified"), QStringLiteral("ChineseSimplified"));
}

void TestUpgrade::fullUpgrade_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("20 KiB") << 20 * 1024 << 3 << QByteArray("V2.00") << QStringLiteral("升级完成，固件版本：V2.00");
    QTest::newRow("8193 bytes") << 8193 << 2 << QByteArray("V2.00") << QStringLiteral("升级完成，固件版本：V2.00");
    QTest::newRow("8192 bytes, same version")
        << 8192 << 1 << QByteArray("V1.21") << QStringLiteral("升级完成，但固件版本没有改变：V1.21");
}

void TestUpgrade::fullUpgrade()
{
    QFETCH(int, size);
    QFETCH(int, blocks);
    QFETCH(QByteArray, version);
    QFETCH(QString, text);
    Bench bench;
    QVERIFY2(bench.printer.started(), qPrintable(bench.printer.error()));
    QVERIFY(bench.mainPort.IsOpen());
    const QByteArray image = firmwareImage(size, version);
    const QString path = bench.writeImage(image);
    TrafficLogRecorder log;

    const UpgradeOutcome outcome = bench.run(path);

    QCOMPARE(int(outcome.result), int(UpgradeResult::UpgradedAndBack));
    QCOMPARE(outcome.statusText, text);
    QCOMPARE(outcome.previousVersion, QStringLiteral("V1.21"));
    QCOMPARE(outcome.version, QString::fromLatin1(version));
    const QList<QByteArray> frames = bench.bootRecord->takeWrites();
    const QList<QByteArray> expected = expectedFrames(image);
    QCOMPARE(frames.size(), expected.size());
    QCOMPARE(frames.size(), blocks + 4);
    for (qsizetype i = 0; i < frames.size(); ++i)
        QVERIFY2(frames[i] == expected[i], qPrintable(QStringLiteral("frame %1").arg(i)));
    QCOMPARE(bench.bootRecord->pipes, QStringList { QString() });
    QCOMPARE(bench.statuses(),
        (QStringList { status(QStringLiteral("正在重启打印机进入BOOT模式")),
            status(QStringLiteral("打印机已经重启，正在写入文件。")),
            status(QStringLiteral("升级成功，打印机正在重启。")), status(outcome.statusText) }));
    const jobs::ProgressSnapshot progress = bench.context->progress();
    QCOMPARE(progress.maximum.value_or(-1), blocks);
    QCOMPARE(progress.position.value_or(-1), blocks);
    QCOMPARE(log.lines().filter(QStringLiteral("Upgrade ")),
        QStringList { QStringLiteral("Upgrade done, printer back: ") + outcome.statusText });
    QCOMPARE(bench.printer.printer().bootLoader().writtenImage(), image);
    QCOMPARE(bench.printer.countActions("FIRMWARE " + version), 1);
    // The main port is open again on the printer's new node.
    QVERIFY(bench.mainPort.IsOpen());
    QCOMPARE(bench.mainPort.settings().usbDeviceId, bench.saved.usbDeviceId);
}

void TestUpgrade::alreadyInBootModeSkipsTheBootCommand()
{
    Bench bench;
    QVERIFY(bench.printer.started());
    const QString normalId = bench.saved.usbDeviceId;
    QVERIFY(protocol::sendCommand(bench.mainPort, QStringLiteral("INIAP OXALBOOT\r\n")));
    QVERIFY(bench.waitForBootMode());
    const QByteArray image = firmwareImage(9000, "V1.21");

    const UpgradeOutcome outcome = bench.run(bench.writeImage(image));

    QCOMPARE(bench.printer.countActions("INIAP OXALBOOT"), 1);
    QCOMPARE(bench.bootRecord->takeWrites(), expectedFrames(image));
    const QStringList statuses = bench.statuses();
    QVERIFY(!statuses.contains(status(QStringLiteral("正在重启打印机进入BOOT模式"))));
    QVERIFY(!statuses.contains(status(QStringLiteral("打印机已经重启，正在写入文件。"))));
    QCOMPARE(int(outcome.result), int(UpgradeResult::UpgradedAndBack));
    // Nothing told the version before, so the same version is not called unchanged.
    QCOMPARE(outcome.statusText, QStringLiteral("升级完成，固件版本：V1.21"));
    QCOMPARE(bench.printer.hardwareId(), normalId);
}

void TestUpgrade::networkPortSendsNothing()
{
    Bench bench;
    CDeviceInterface networkPort;
    FakeTransport &line = FakeTransport::install(networkPort, PortKind::Net);
    PortSettings net;
    net.kind = PortKind::Net;
    net.ipAddress = QStringLiteral("127.0.0.1");
    QVERIFY(networkPort.Open(net));
    bench.environment.mainPort = &networkPort;

    const UpgradeOutcome outcome = bench.run(bench.writeImage(firmwareImage(100)));

    QCOMPARE(int(outcome.result), int(UpgradeResult::Failed));
    QCOMPARE(int(outcome.step), int(UpgradeStep::PortKind));
    QCOMPARE(bench.statuses(), QStringList { status(QStringLiteral("不支持网络升级")) });
    QVERIFY(line.written().isEmpty());
    QVERIFY(bench.searches.isEmpty());
    QVERIFY(bench.bootRecord->takeWrites().isEmpty());
}

void TestUpgrade::imageFileRefusals_data()
{
    QTest::addColumn<QString>("file"); // under the bench folder; empty: no path at all
    QTest::addColumn<qint64>("size"); // -1: the file is not made
    QTest::addColumn<QString>("text");
    QTest::newRow("no path") << QString() << qint64(-1) << QStringLiteral("载入文件失败");
    QTest::newRow("missing") << QStringLiteral("none.bin") << qint64(-1) << QStringLiteral("载入文件失败");
    QTest::newRow("empty") << QStringLiteral("empty.bin") << qint64(0) << QStringLiteral("载入文件失败，文件大小为0.");
    QTest::newRow("past the address range")
        << QStringLiteral("huge.bin") << qint64(0x9FFE0000) << QStringLiteral("文件太大，超出打印机的地址范围。");
}

void TestUpgrade::imageFileRefusals()
{
    QFETCH(QString, file);
    QFETCH(qint64, size);
    QFETCH(QString, text);
    Bench bench;
    QString path;
    if (!file.isEmpty()) {
        path = bench.dir.filePath(file);
        if (size >= 0) {
            // Sparse: refused from its size, never read.
            QFile made(path);
            QVERIFY(made.open(QIODevice::WriteOnly));
            QVERIFY(made.resize(size));
        }
    }
    const UpgradeOutcome outcome = bench.run(path);
    QCOMPARE(int(outcome.step), int(UpgradeStep::LoadFile));
    QCOMPARE(bench.statuses(), QStringList { status(text) });
    QCOMPARE(bench.printer.countActions("INIAP OXALBOOT"), 0);
    QVERIFY(bench.searches.isEmpty());
}

void TestUpgrade::printerFaultsEndAtTheirStep_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("framesSent"); // of query, erase, 3 blocks, verify, restart
    QTest::addColumn<bool>("staysInBootMode");
    QTest::newRow("never enters boot mode") << QStringLiteral("neverEnterBoot") << int(UpgradeStep::BootMode)
                                            << QStringLiteral("打印机未能进入BOOT模式") << 0 << false;
    QTest::newRow("query refused") << QStringLiteral("failQuery") << int(UpgradeStep::Query)
                                   << QStringLiteral("查询参数失败") << 1 << true;
    QTest::newRow("erase refused") << QStringLiteral("failErase") << int(UpgradeStep::Erase)
                                   << QStringLiteral("擦除空间失败") << 2 << true;
    QTest::newRow("block 1 refused") << QStringLiteral("failBlock") << int(UpgradeStep::WriteBlock)
                                     << QStringLiteral("文件写入失败（第2块，共3块），打印机仍在BOOT模式，请重新升级。")
                                     << 4 << true;
    QTest::newRow("wrong verify sum") << QStringLiteral("wrongVerifySum") << int(UpgradeStep::Checksum)
                                      << QStringLiteral("校验数据失败, 校验和错误。") << 6 << true;
}

void TestUpgrade::printerFaultsEndAtTheirStep()
{
    QFETCH(QString, fault);
    QFETCH(int, step);
    QFETCH(QString, text);
    QFETCH(int, framesSent);
    QFETCH(bool, staysInBootMode);
    printersim::SimConfig config = SimUsbPrinter::quickConfig();
    printersim::FaultSwitches &faults = config.faults;
    faults.neverEnterBoot = fault == QLatin1String("neverEnterBoot");
    faults.failQuery = fault == QLatin1String("failQuery");
    faults.failErase = fault == QLatin1String("failErase");
    faults.failBlock = fault == QLatin1String("failBlock") ? 1 : -1;
    faults.wrongVerifySum = fault == QLatin1String("wrongVerifySum");
    Bench bench(config);
    bench.environment.waits.bootSearchTries = 5;
    TrafficLogRecorder log;
    const QByteArray image = firmwareImage(20 * 1024);

    const UpgradeOutcome outcome = bench.run(bench.writeImage(image));

    QCOMPARE(int(outcome.result), int(UpgradeResult::Failed));
    QCOMPARE(int(outcome.step), step);
    QCOMPARE(outcome.statusText, text);
    QCOMPARE(bench.statuses().last(), status(text));
    QVERIFY(!anySuccessText(bench.statuses()));
    QCOMPARE(bench.bootRecord->takeWrites(), expectedFrames(image).first(framesSent));
    QCOMPARE(bench.inBootMode(), staysInBootMode);
    QCOMPARE(log.lines().filter(QStringLiteral("Upgrade ")).size(), 1);
    QVERIFY(
        log.lines().filter(QStringLiteral("Upgrade ")).first().startsWith(QStringLiteral("Upgrade failed at the ")));
    if (step == int(UpgradeStep::WriteBlock)) {
        QCOMPARE(outcome.failedBlock, 1);
        QCOMPARE(bench.context->progress().position.value_or(-1), 1);
    }
}

void TestUpgrade::repliesAreCheckedAndNeverTakenLate_data()
{
    using printersim::BootFrame;
    QTest::addColumn<QList<QByteArray>>("waiting"); // on the line before the query
    QTest::addColumn<QList<QByteArray>>("replies"); // the reads after it
    QTest::addColumn<int>("step");
    const QByteArray ok = BootFrame { 2, QByteArray(1, '\0') }.encode();
    QTest::newRow("a late reply is dropped, not taken")
        << QList<QByteArray> { ok } << QList<QByteArray> {} << int(UpgradeStep::Query);
    QTest::newRow("reply in two pieces") << QList<QByteArray> {} << QList<QByteArray> { ok.left(5), ok.mid(5) }
                                         << int(UpgradeStep::Erase);
    QTest::newRow("reply to another code")
        << QList<QByteArray> {} << QList<QByteArray> { BootFrame { 3, QByteArray(1, '\0') }.encode() }
        << int(UpgradeStep::Query);
    QByteArray badSum = ok;
    badSum[badSum.size() - 1] = char(badSum.back() ^ 1);
    QTest::newRow("wrong checksum") << QList<QByteArray> {} << QList<QByteArray> { badSum } << int(UpgradeStep::Query);
    QTest::newRow("six bytes") << QList<QByteArray> {} << QList<QByteArray> { ok.left(6) } << int(UpgradeStep::Query);
    QByteArray longField = ok;
    longField[2] = char(0x21);
    longField[3] = char(0x2C);
    longField[10] = char(0x21);
    longField[11] = char(0x26);
    QTest::newRow("length field of 8492")
        << QList<QByteArray> {} << QList<QByteArray> { longField } << int(UpgradeStep::Query);
    QTest::newRow("status 01") << QList<QByteArray> {}
                               << QList<QByteArray> { BootFrame { 2, QByteArray(1, '\1') }.encode() }
                               << int(UpgradeStep::Query);
}

void TestUpgrade::repliesAreCheckedAndNeverTakenLate()
{
    QFETCH(QList<QByteArray>, waiting);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(int, step);
    Bench bench;
    auto line = std::make_shared<FakeTransport>();
    for (const QByteArray &bytes : waiting)
        line->queueRead(bytes);
    line->queueResult(std::nullopt);
    for (const QByteArray &bytes : replies)
        line->queueRead(bytes);
    bench.environment.findDevice = [](const QString &) { return QStringLiteral("/dev/usb/lp9"); };
    bench.environment.makeBootPort = [line] {
        auto port = std::make_unique<CDeviceInterface>();
        port->setTransport(PortKind::Path, std::make_unique<SharedTransport>(line));
        return port;
    };
    bench.environment.waits.replyWaitMs = 100;

    const UpgradeOutcome outcome = bench.run(bench.writeImage(firmwareImage(100)));

    QCOMPARE(int(outcome.step), step);
    QCOMPARE(int(outcome.result), int(UpgradeResult::Failed));
    QVERIFY(line->written().startsWith(bootFrame(BootCode::Query)));
    // Every read stays within the 1024-byte reply buffer.
    for (qint32 capacity : line->readCapacities())
        QVERIFY(capacity <= replyCapacity);
}

void TestUpgrade::bootNodeOpensOnceWithRetry_data()
{
    QTest::addColumn<int>("refusals");
    QTest::addColumn<bool>("opens");
    QTest::newRow("permissions come late") << 5 << true;
    QTest::newRow("never opens") << 1000 << false;
}

void TestUpgrade::bootNodeOpensOnceWithRetry()
{
    QFETCH(int, refusals);
    QFETCH(bool, opens);
    Bench bench;
    bench.bootRecord->refusals = refusals;
    const QByteArray image = firmwareImage(3000);
    QElapsedTimer timer;
    timer.start();

    const UpgradeOutcome outcome = bench.run(bench.writeImage(image));

    // Always the one read-and-write handle, never the two pipes.
    QVERIFY(!bench.bootRecord->pipes.isEmpty());
    QCOMPARE(bench.bootRecord->pipes.filter(QStringLiteral("PIPE")), QStringList());
    if (opens) {
        QCOMPARE(int(outcome.result), int(UpgradeResult::UpgradedAndBack));
        QCOMPARE(bench.bootRecord->pipes.size(), refusals + 1);
    } else {
        QCOMPARE(int(outcome.step), int(UpgradeStep::OpenBootPort));
        QCOMPARE(outcome.statusText, QStringLiteral("打开端口失败"));
        QVERIFY(bench.bootRecord->takeWrites().isEmpty());
        QVERIFY(bench.inBootMode());
    }
}

void TestUpgrade::printerNotBackInTimeIsBounded()
{
    printersim::SimConfig config = SimUsbPrinter::quickConfig();
    config.faults.neverLeaveBoot = true;
    Bench bench(config);
    bench.environment.waits.comeBackLimitMs = 1000;
    bench.environment.waits.comeBackPollMs = 100;
    QElapsedTimer timer;
    timer.start();

    const UpgradeOutcome outcome = bench.run(bench.writeImage(firmwareImage(5000)));

    QCOMPARE(int(outcome.result), int(UpgradeResult::UpgradedNotBack));
    QCOMPARE(outcome.statusText, QStringLiteral("升级成功，但打印机未在1秒内重新连接。"));
    QVERIFY(!outcome.statusText.contains(QStringLiteral("升级完成")));
    // A search every poll, not a busy loop.
    const qsizetype searches = bench.searchesFor(bench.saved.usbDeviceId).size();
    QVERIFY2(searches >= 2 && searches <= 13, qPrintable(QString::number(searches)));
    QVERIFY(bench.inBootMode());
}

void TestUpgrade::withoutDeviceIdNothingIsWaitedFor()
{
    Bench bench;
    bench.environment.savedSettings.usbDeviceId.clear();
    const UpgradeOutcome outcome = bench.run(bench.writeImage(firmwareImage(5000)));
    QCOMPARE(int(outcome.result), int(UpgradeResult::UpgradedNotBack));
    QCOMPARE(outcome.statusText, QStringLiteral("升级成功。没有保存的设备标识，请手动重新连接打印机。"));
    QCOMPARE(bench.searches.size(), bench.searchesFor(boot).size());
    QVERIFY(bench.searches.size() >= 2);
}

void TestUpgrade::dialogRunsOneUpgradeAndHoldsOtherJobs()
{
    printersim::SimConfig config = SimUsbPrinter::quickConfig();
    config.timings.bootEnterMs = 400;
    Bench bench(config);
    const QString path = bench.writeImage(firmwareImage(20 * 1024, "V3.10"));
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue(path);
    CDlgUpgrade first(bench.environment);
    CDlgUpgrade second(bench.environment);
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    auto *file = first.findChild<QLineEdit *>(QStringLiteral("text_file"));
    auto *upgradeButton = first.findChild<QPushButton *>(QStringLiteral("btn_upgrade"));
    auto *statusText = first.findChild<QLabel *>(QStringLiteral("text_status"));
    auto *progress = first.findChild<QProgressBar *>(QStringLiteral("process_upgrade"));
    QVERIFY(file && upgradeButton && statusText && progress);
    QTest::mouseClick(first.findChild<QPushButton *>(QStringLiteral("btn_select_file")), Qt::LeftButton);
    QCOMPARE(file->text(), path);
    QSignalSpy started(&first, &CDlgUpgrade::started);
    QSignalSpy ended(&first, &CDlgUpgrade::ended);

    QTest::mouseClick(upgradeButton, Qt::LeftButton);
    QCOMPARE(started.size(), 1);
    QVERIFY(!upgradeButton->isEnabled() && !file->isEnabled());
    // A double click reaches a disabled button; a second window is refused.
    QTest::mouseClick(upgradeButton, Qt::LeftButton);
    second.startUpgrade();
    QCOMPARE(prompts.askedTexts.filter(QStringLiteral("升级中，请稍候。。。")).size(), 1);
    // Every other job waits for the upgrade.
    auto context = std::make_shared<jobs::JobContext>();
    QVERIFY(!WorkerThread::startJob(QString::fromLatin1(jobs::worker::readParameters),
        jobs::makeJob([](jobs::JobContext &) { return 0; }), context));

    QVERIFY(ended.wait(60000));
    const auto outcome = ended.first().first().value<UpgradeOutcome>();
    QCOMPARE(int(outcome.result), int(UpgradeResult::UpgradedAndBack));
    QCOMPARE(statusText->text(), QStringLiteral("升级完成，固件版本：V3.10"));
    QCOMPARE(progress->value(), 3);
    QCOMPARE(progress->maximum(), 3);
    QVERIFY(upgradeButton->isEnabled() && file->isEnabled());
    QCOMPARE(bench.printer.countActions("INIAP OXALBOOT"), 1);
    QCOMPARE(started.size(), 1);
    QTRY_VERIFY(!RunningWorkers::isRunning(QString::fromLatin1(jobs::worker::upgrade)));
}

void TestUpgrade::closingTheDialogLeavesTheUpgradeRunning()
{
    Bench bench;
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue(bench.writeImage(firmwareImage(4 * 8192)));
    TrafficLogRecorder log;
    auto dialog = std::make_unique<CDlgUpgrade>(bench.environment);
    dialog->chooseFile();
    QSignalSpy started(dialog.get(), &CDlgUpgrade::started);
    dialog->startUpgrade();
    QCOMPARE(started.size(), 1);
    QTRY_VERIFY(bench.printer.countActions("INIAP OXALBOOT") == 1);
    dialog.reset();

    const QString slot = QString::fromLatin1(jobs::worker::upgrade);
    QTRY_VERIFY_WITH_TIMEOUT(!RunningWorkers::isRunning(slot), 30000);
    // Its reports went nowhere, but it ended as it would have with the window open.
    QCOMPARE(log.lines().filter(QStringLiteral("Upgrade ")),
        QStringList { QStringLiteral("Upgrade done, printer back: 升级完成，固件版本：V2.00") });
    QVERIFY(bench.printer.printer().mode() == printersim::PrinterMode::Normal);
}

void TestUpgrade::screenshots_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : { "English", "ChineseSimplified", "German", "Russian", "Arabic" })
        QTest::newRow(language) << QString::fromLatin1(language);
}

// The dialog during an upgrade and after it, for a person to look at, when asked for.
void TestUpgrade::screenshots()
{
    const QString folder = qEnvironmentVariable("OSTREL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("set OSTREL_SCREENSHOT_DIR to save pictures of the upgrade dialog");
    QFETCH(QString, language);
    LanguageManager::instance().select(QStringLiteral("Lang\\") + language, language);
    Bench bench;
    bench.environment.waits.blockPauseMs = 60;
    const QString path = bench.writeImage(firmwareImage(40 * 8192, "V2.00"));
    ScriptedPrompts prompts;
    prompts.fileNames.enqueue(path);
    CDlgUpgrade dialog(bench.environment);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.chooseFile();
    QSignalSpy ended(&dialog, &CDlgUpgrade::ended);
    dialog.startUpgrade();
    auto *progress = dialog.findChild<QProgressBar *>(QStringLiteral("process_upgrade"));
    QVERIFY(QTest::qWaitFor([&] { return progress->value() >= 15; }, 30000));
    QVERIFY(dialog.grab().save(QDir(folder).filePath(QStringLiteral("DlgUpgrade-running-%1.png").arg(language))));
    QVERIFY(ended.wait(60000));
    QVERIFY(dialog.grab().save(QDir(folder).filePath(QStringLiteral("DlgUpgrade-done-%1.png").arg(language))));
    LanguageManager::instance().select(QStringLiteral("Lang\\ChineseSimplified"), QStringLiteral("ChineseSimplified"));
}

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
