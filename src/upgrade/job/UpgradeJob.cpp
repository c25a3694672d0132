#include "upgrade/job/UpgradeJob.h"

#include "connection/CDeviceInterface.h"
#include "platform/UsbPrinters.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"
#include "upgrade/job/BootProtocol.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <array>

namespace upgrade {
namespace {

// Each mark ("%d", "%s") in turn by the next value; a pack's text is never a
// printf format.
QString fill(QString text, std::initializer_list<QString> values)
{
    qsizetype from = 0;
    for (const QString &value : values) {
        qsizetype at = -1;
        for (const char *mark : { "%d", "%s" }) {
            const qsizetype found = text.indexOf(QLatin1String(mark), from);
            if (found >= 0 && (at < 0 || found < at))
                at = found;
        }
        if (at < 0)
            break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}

void pause(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

const char *stepName(UpgradeStep step)
{
    switch (step) {
    case UpgradeStep::PortKind:
        return "port kind";
    case UpgradeStep::LoadFile:
        return "image file";
    case UpgradeStep::BootMode:
        return "boot mode";
    case UpgradeStep::OpenBootPort:
        return "opening the boot device";
    case UpgradeStep::Query:
        return "query";
    case UpgradeStep::Erase:
        return "erase";
    case UpgradeStep::WriteBlock:
        return "block";
    case UpgradeStep::Verify:
        return "verify";
    case UpgradeStep::Checksum:
        return "checksum";
    case UpgradeStep::ComeBack:
        return "printer's return";
    }
    return "";
}

// Closes, then opens until it succeeds or the retry time is up.
bool openWithRetry(CDeviceInterface &port, const PortSettings &settings, const UpgradeWaits &waits)
{
    const QDeadlineTimer deadline(waits.openRetryMs);
    for (;;) {
        port.Close();
        if (port.Open(settings))
            return true;
        if (deadline.hasExpired())
            return false;
        pause(std::min<qint64>(waits.openRetryIntervalMs, deadline.remainingTime()));
    }
}

class Upgrade
{
public:
    Upgrade(const QString &imagePath, const UpgradeEnvironment &environment, jobs::JobContext &context)
        : m_imagePath(imagePath)
        , m_env(environment)
        , m_waits(environment.waits)
        , m_context(context)
    { }

    UpgradeOutcome run();

private:
    // A message in the caller's language, from its Chinese source text.
    QString text(const char *source) const
    {
        const QString chinese = QString::fromUtf8(source);
        return m_env.translate ? m_env.translate(chinese) : chinese;
    }
    void status(const QString &statusText) { m_context.setControlText(QStringLiteral("text_status"), statusText); }
    UpgradeOutcome failed(UpgradeStep step, const QString &statusText)
    {
        m_outcome.result = UpgradeResult::Failed;
        m_outcome.step = step;
        m_outcome.statusText = statusText;
        return m_outcome;
    }
    QString findDevice(const QString &needle) const { return m_env.findDevice ? m_env.findDevice(needle) : QString(); }
    bool loadImage(QString *failure);
    bool enterBootMode(QString &bootPath);
    // Sends one frame on an emptied input and, but for restart, takes its
    // reply: true when a whole reply to that code came with status 00.
    bool exchange(BootCode code, QByteArrayView payload, int pauseMs, QByteArray *replyPayload = nullptr);
    UpgradeOutcome waitForPrinter();

    const QString m_imagePath;
    const UpgradeEnvironment &m_env;
    const UpgradeWaits &m_waits;
    jobs::JobContext &m_context;
    QByteArray m_image;
    quint32 m_endAddress = 0;
    std::unique_ptr<CDeviceInterface> m_boot;
    UpgradeOutcome m_outcome;
};

bool Upgrade::loadImage(QString *failure)
{
    const QFileInfo info(m_imagePath);
    QFile file(m_imagePath);
    if (m_imagePath.isEmpty() || !info.isFile() || !file.open(QIODevice::ReadOnly)) {
        *failure = text("载入文件失败");
        return false;
    }
    if (file.size() == 0) {
        *failure = text("载入文件失败，文件大小为0.");
        return false;
    }
    // Checked before reading, so that a huge file is refused without loading it.
    const auto end = endAddress(file.size());
    if (!end) {
        *failure = text("文件太大，超出打印机的地址范围。");
        return false;
    }
    m_image = file.readAll();
    if (m_image.size() != file.size()) {
        *failure = text("载入文件失败");
        return false;
    }
    m_endAddress = *end;
    return true;
}

bool Upgrade::enterBootMode(QString &bootPath)
{
    PrinterParameters before;
    if (protocol::runQuery(*m_env.mainPort, before, protocol::Query::Version))
        m_outcome.previousVersion = before.version;
    protocol::sendCommand(*m_env.mainPort, QString::fromLatin1(bootCommand));
    status(text("正在重启打印机进入BOOT模式"));
    pause(m_waits.bootEnterMs);
    for (int attempt = 0; attempt < m_waits.bootSearchTries; ++attempt) {
        if (attempt > 0)
            pause(m_waits.bootSearchIntervalMs);
        bootPath = findDevice(QString::fromLatin1(bootDeviceNeedle));
        if (!bootPath.isEmpty())
            return true;
    }
    return false;
}

bool Upgrade::exchange(BootCode code, QByteArrayView payload, int pauseMs, QByteArray *replyPayload)
{
    m_boot->DiscardInput();
    const QByteArray frame = bootFrame(code, payload);
    if (m_boot->Write(frame.constData(), qint32(frame.size())) != frame.size())
        return false;
    if (code == BootCode::Restart)
        return true;
    pause(pauseMs);
    // A reply may come in pieces; it is whole, wrong or late within one wait.
    const QDeadlineTimer deadline(qint64(m_waits.replyWaitMs));
    QByteArray received;
    std::array<char, replyCapacity> buffer;
    for (;;) {
        const qint32 room = replyCapacity - qint32(received.size());
        const qint32 count
            = room > 0 ? m_boot->Read(buffer.data(), room, quint32(std::max<qint64>(0, deadline.remainingTime()))) : 0;
        if (count > 0)
            received.append(buffer.data(), std::min(count, room));
        const BootReply reply = checkReply(received, code);
        if (reply.check == ReplyCheck::Complete) {
            if (replyPayload)
                *replyPayload = reply.payload;
            return !reply.payload.isEmpty() && reply.payload[0] == '\0';
        }
        if (reply.check == ReplyCheck::Invalid || count <= 0 || deadline.hasExpired())
            return false;
    }
}

UpgradeOutcome Upgrade::waitForPrinter()
{
    m_outcome.step = UpgradeStep::ComeBack;
    m_outcome.result = UpgradeResult::UpgradedNotBack;
    const QString deviceId = m_env.savedSettings.usbDeviceId;
    // An empty id would match any printer, the boot device included.
    if (deviceId.isEmpty()) {
        m_outcome.statusText = text("升级成功。没有保存的设备标识，请手动重新连接打印机。");
        return m_outcome;
    }
    const QDeadlineTimer deadline(m_waits.comeBackLimitMs);
    while (findDevice(deviceId).isEmpty()) {
        if (deadline.hasExpired()) {
            m_outcome.statusText = fill(
                text("升级成功，但打印机未在%d秒内重新连接。"), { QString::number(m_waits.comeBackLimitMs / 1000) });
            return m_outcome;
        }
        pause(std::min<qint64>(m_waits.comeBackPollMs, deadline.remainingTime()));
    }
    CDeviceInterface &main = *m_env.mainPort;
    if (!openWithRetry(main, m_env.savedSettings, m_waits)) {
        m_outcome.statusText
            = fill(text("升级成功，但打印机未在%d秒内重新连接。"), { QString::number(m_waits.comeBackLimitMs / 1000) });
        return m_outcome;
    }
    m_outcome.result = UpgradeResult::UpgradedAndBack;
    PrinterParameters after;
    if (!protocol::runQuery(main, after, protocol::Query::Version) || after.version.isEmpty()) {
        m_outcome.statusText = text("升级完成，但未能读取固件版本。");
        return m_outcome;
    }
    m_outcome.version = after.version;
    const bool unchanged = !m_outcome.previousVersion.isEmpty() && m_outcome.previousVersion == after.version;
    m_outcome.statusText = fill(
        unchanged ? text("升级完成，但固件版本没有改变：%s") : text("升级完成，固件版本：%s"), { after.version });
    return m_outcome;
}

UpgradeOutcome Upgrade::run()
{
    if (!m_env.mainPort || m_env.mainPort->settings().kind != PortKind::Usb)
        return failed(UpgradeStep::PortKind, text("不支持网络升级"));
    QString failure;
    if (!loadImage(&failure))
        return failed(UpgradeStep::LoadFile, failure);

    QString bootPath = findDevice(QString::fromLatin1(bootDeviceNeedle));
    if (bootPath.isEmpty()) {
        if (!enterBootMode(bootPath))
            return failed(UpgradeStep::BootMode, text("打印机未能进入BOOT模式"));
        status(text("打印机已经重启，正在写入文件。"));
    }

    // One handle for both directions: the printer driver allows one open of a node at a time.
    m_boot = m_env.makeBootPort ? m_env.makeBootPort() : std::make_unique<CDeviceInterface>();
    PortSettings boot;
    boot.kind = PortKind::Path;
    boot.path = bootPath;
    if (!openWithRetry(*m_boot, boot, m_waits))
        return failed(UpgradeStep::OpenBootPort, text("打开端口失败"));

    if (!exchange(BootCode::Query, {}, m_waits.queryPauseMs))
        return failed(UpgradeStep::Query, text("查询参数失败"));
    const QByteArray range = rangePayload(m_endAddress);
    if (!exchange(BootCode::Erase, range, m_waits.erasePauseMs))
        return failed(UpgradeStep::Erase, text("擦除空间失败"));

    const qint64 blocks = blockCount(m_image.size());
    m_context.setMinimum(0);
    m_context.setMaximum(qint32(blocks));
    for (qint64 block = 0; block < blocks; ++block) {
        const QByteArrayView data = QByteArrayView(m_image).sliced(
            block * blockSize, std::min<qint64>(blockSize, m_image.size() - block * blockSize));
        if (!exchange(BootCode::WriteBlock, blockPayload(block, data), m_waits.blockPauseMs)) {
            // Without verify and restart the printer stays in boot mode, where
            // the next attempt finds it.
            m_outcome.failedBlock = int(block);
            return failed(UpgradeStep::WriteBlock,
                fill(text("文件写入失败（第%d块，共%d块），打印机仍在BOOT模式，请重新升级。"),
                    { QString::number(block + 1), QString::number(blocks) }));
        }
        m_context.setPosition(qint32(block + 1));
    }

    QByteArray verify;
    if (!exchange(BootCode::Verify, range, m_waits.verifyPauseMs, &verify) || verify.size() < 5)
        return failed(UpgradeStep::Verify, text("校验数据失败"));
    const quint32 printerSum = (quint32(quint8(verify[1])) << 24) | (quint32(quint8(verify[2])) << 16)
        | (quint32(quint8(verify[3])) << 8) | quint32(quint8(verify[4]));
    if (printerSum != imageSum(m_image))
        return failed(UpgradeStep::Checksum, text("校验数据失败, 校验和错误。"));

    exchange(BootCode::Restart, {}, 0);
    m_boot->Close();
    status(text("升级成功，打印机正在重启。"));
    return waitForPrinter();
}

QString logLine(const UpgradeOutcome &outcome)
{
    switch (outcome.result) {
    case UpgradeResult::Failed:
        return QStringLiteral("Upgrade failed at the %1: %2")
            .arg(QLatin1String(stepName(outcome.step)), outcome.statusText);
    case UpgradeResult::UpgradedAndBack:
        return QStringLiteral("Upgrade done, printer back: %1").arg(outcome.statusText);
    case UpgradeResult::UpgradedNotBack:
        return QStringLiteral("Upgrade done, printer not back: %1").arg(outcome.statusText);
    }
    return outcome.statusText;
}

} // namespace

UpgradeEnvironment systemEnvironment(CDeviceInterface &mainPort, const PortSettings &savedSettings)
{
    UpgradeEnvironment environment;
    environment.mainPort = &mainPort;
    environment.savedSettings = savedSettings;
    environment.findDevice = [](const QString &needle) {
        const auto entry = platform::findUsbPrinter(*platform::systemUsbDeviceTree(), needle);
        return entry ? entry->devicePath : QString();
    };
    environment.makeBootPort = [] { return std::make_unique<CDeviceInterface>(); };
    return environment;
}

UpgradeOutcome runUpgrade(const QString &imagePath, const UpgradeEnvironment &environment, jobs::JobContext &context)
{
    const UpgradeOutcome outcome = Upgrade(imagePath, environment, context).run();
    context.setControlText(QStringLiteral("text_status"), outcome.statusText);
    context.log(logLine(outcome));
    return outcome;
}

} // namespace upgrade
