#include "protocol/ParameterPasses.h"

#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"

#include <optional>

namespace protocol {

namespace {

using P = PrinterParameters;
using Condition = qint32 P::*; // the step runs when this field is non-zero

struct ReadStep {
    std::optional<Query> query; // none: the label counter has no query
    Condition condition = nullptr;
};

// Steps 2..64 of the reading pass (the status query is step 1). The group conditions look at the flag the
// group's first query (or the option query) has just set.
const ReadStep readSteps[] = {
    { Query::Model },
    { Query::Version },
    { Query::Serial },
    { Query::Mileage },
    { Query::CutCounter },
    { std::nullopt },
    { Query::Dpi },
    { Query::Speed },
    { Query::Density },
    { Query::PaperWidth },
    { Query::PaperHeight },
    { Query::SensorMode },
    { Query::ReferenceX },
    { Query::ReferenceY },
    { Query::GapSize },
    { Query::GapOffset },
    { Query::PrintOut },
    { Query::Direction },
    { Query::Mirror },
    { Query::Offset },
    { Query::ShiftY },
    { Query::ShiftX },
    { Query::GapIntensity },
    { Query::BlineIntensity },
    { Query::Ribbon },
    { Query::RibbonErrLen },
    { Query::SensorRef },
    { Query::SensorSta },
    { Query::ConIntensity },
    { Query::RibbonEnd },
    { Query::ZSpeed },
    { Query::ZDarkness },
    { Query::ZFeedHeadClose },
    { Query::ZPosition },
    { Query::ZLabelWidth },
    { Query::ZLabelTop },
    { Query::ZLabelShift },
    { Query::BaudRate },
    { Query::Parity, &P::serialQueried },
    { Query::DataBits, &P::serialQueried },
    { Query::StopBits, &P::serialQueried },
    { Query::Dhcp },
    { Query::NetIp, &P::networkQueried },
    { Query::NetMask, &P::networkQueried },
    { Query::NetGateway, &P::networkQueried },
    { Query::BtName },
    { Query::BtPinCode },
    { Query::HasBluetooth },
    { Query::HasWifi },
    { Query::HasEthernet },
    { Query::HasSerial },
    { Query::HasCutter },
    { Query::HasPeeler },
    { Query::WifiSsid, &P::hasWifi },
    { Query::WifiPassword, &P::hasWifi },
    { Query::WifiDhcp, &P::hasWifi },
    { Query::WifiIp, &P::hasWifi },
    { Query::WifiMask, &P::hasWifi },
    { Query::WifiGateway, &P::hasWifi },
    { Query::CutMode, &P::hasCutter },
    { Query::CutBack, &P::hasCutter },
    { Query::CutReverse, &P::hasCutter },
    { Query::CutBackLen, &P::hasCutter },
};
// The range is one more than the last position, as the form has always shown it.
static_assert(std::size(readSteps) + 1 == readPassRange - 1);

struct WriteStep {
    Setting setting;
    OptionsPage page;
    Condition condition = nullptr;
    Condition secondCondition = nullptr;
};

constexpr WriteStep writeSteps[] = {
    { Setting::Speed, OptionsPage::Basic },
    { Setting::Density, OptionsPage::Basic },
    { Setting::Size, OptionsPage::Basic },
    { Setting::Offset, OptionsPage::Basic },
    { Setting::Shift, OptionsPage::Basic },
    { Setting::Ribbon, OptionsPage::Basic },
    { Setting::RibbonErrLen, OptionsPage::Basic },
    { Setting::SensorRef, OptionsPage::Basic },
    { Setting::SensorSta, OptionsPage::Basic },
    { Setting::RibbonEnd, OptionsPage::Basic },
    { Setting::ZDarkness, OptionsPage::SecondDialect },
    { Setting::ZFeedHeadClose, OptionsPage::SecondDialect },
    { Setting::ZSpeed, OptionsPage::SecondDialect },
    { Setting::ZPosition, OptionsPage::SecondDialect },
    { Setting::ZLabelWidth, OptionsPage::SecondDialect },
    { Setting::ZLabelTop, OptionsPage::SecondDialect },
    { Setting::ZLabelShift, OptionsPage::SecondDialect },
    { Setting::BaudRate, OptionsPage::Serial, &P::serialQueried },
    { Setting::Network, OptionsPage::Network, &P::networkQueried },
    { Setting::WifiSsid, OptionsPage::Wifi, &P::hasWifi },
    { Setting::WifiPassword, OptionsPage::Wifi, &P::hasWifi },
    { Setting::WifiNetwork, OptionsPage::Wifi, &P::hasWifi, &P::wifiQueried },
    { Setting::CutBack, OptionsPage::Cutter, &P::hasCutter },
    { Setting::CutReverse, OptionsPage::Cutter, &P::hasCutter },
    { Setting::CutBackLen, OptionsPage::Cutter, &P::hasCutter },
    { Setting::CutMode, OptionsPage::Cutter, &P::hasCutter },
};

bool holds(const PrinterParameters &params, Condition condition)
{
    return !condition || params.*condition != 0;
}

} // namespace

ReadPassOutcome readAllParameters(CDeviceInterface &port, PrinterParameters &params, jobs::JobProgress &progress)
{
    using End = ReadPassOutcome::End;
    ReadPassOutcome outcome;
    qint32 step = 0;
    // Counts one exchange; false when the pass ends after it.
    const auto exchanged = [&](bool answered) {
        ++outcome.queries;
        if (answered)
            return true;
        ++outcome.unanswered;
        if (!port.IsOpen())
            outcome.end = End::ConnectionLost;
        else if (outcome.unanswered == outcome.queries && outcome.queries == 1 + silentQueriesBeforeEnd)
            outcome.end = End::NoAnswer;
        return outcome.end == End::Complete;
    };
    const auto report = [&] {
        const QString counts
            = QStringLiteral("%1 of %2 queries unanswered").arg(outcome.unanswered).arg(outcome.queries);
        switch (outcome.end) {
        case End::Complete:
            if (outcome.unanswered > 0)
                CDeviceInterface::LogLine(QStringLiteral("Reading parameters: %1.").arg(counts));
            break;
        case End::ConnectionLost:
            CDeviceInterface::LogLine(
                QStringLiteral("Reading parameters stopped: the connection is gone (%1).").arg(counts));
            break;
        case End::NoAnswer:
            CDeviceInterface::LogLine(
                QStringLiteral("Reading parameters stopped: the printer does not answer (%1).").arg(counts));
            break;
        case End::Cancelled:
            CDeviceInterface::LogLine(QStringLiteral("Reading parameters cancelled (%1).").arg(counts));
            break;
        }
        return outcome;
    };

    progress.setMinimum(0);
    progress.setMaximum(readPassRange);
    // The Wi-Fi DHCP query runs only on a printer with the option; without it
    // the flag must not keep the answer of a printer read earlier.
    params.wifiQueried = 0;
    if (!exchanged(queryStatus(port, params)))
        return report();
    progress.setPosition(++step);
    for (const ReadStep &s : readSteps) {
        if (s.query && holds(params, s.condition)) {
            if (progress.cancelRequested()) {
                outcome.end = End::Cancelled;
                return report();
            }
            if (!exchanged(runQuery(port, params, *s.query)))
                return report();
        }
        progress.setPosition(++step);
    }
    return report();
}

WritePassOutcome writePageParameters(
    CDeviceInterface &port, const PrinterParameters &params, int page, jobs::JobProgress &progress)
{
    WritePassOutcome outcome;
    qint32 step = 0;
    progress.setMinimum(0);
    progress.setMaximum(writePassRange);
    for (const WriteStep &s : writeSteps) {
        if (static_cast<int>(s.page) == page && holds(params, s.condition) && holds(params, s.secondCondition)) {
            // A value without a command sends nothing, and that is no failure.
            if (const std::optional<QString> text = settingText(params, s.setting)) {
                if (!sendCommand(port, *text)) {
                    CDeviceInterface::LogLine(
                        QStringLiteral("Writing parameters stopped: a setting could not be sent (%1 sent).")
                            .arg(outcome.sent));
                    return outcome;
                }
                ++outcome.sent;
            }
        }
        progress.setPosition(++step);
    }
    outcome.complete = true;
    return outcome;
}

} // namespace protocol
