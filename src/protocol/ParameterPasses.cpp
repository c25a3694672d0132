#include "protocol/ParameterPasses.h"

#include "connection/CDeviceInterface.h"
#include "protocol/CommandChannel.h"
#include "protocol/ParameterCatalogue.h"
#include "protocol/PrinterParameters.h"

#include <optional>

namespace protocol {

namespace {

constexpr qint32 writeSteps = static_cast<qint32>(Setting::CutMode) + 1;
static_assert(writeSteps == writePassRange + 1);

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
    outcome.statusAnswered = queryStatus(port, params);
    if (!exchanged(outcome.statusAnswered))
        return report();
    progress.setPosition(++step);
    for (const ParameterRow &row : parameterTable()) {
        if (row.query && holds(params, row.readCondition)) {
            if (progress.cancelRequested()) {
                outcome.end = End::Cancelled;
                return report();
            }
            if (!exchanged(runQuery(port, params, *row.query)))
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
    for (qint32 i = 0; i < writeSteps; ++i) {
        const ParameterRow &row = rowOf(static_cast<Setting>(i));
        if (static_cast<int>(row.page) == page && holds(params, row.writeCondition)
            && holds(params, row.secondWriteCondition)) {
            // A value without a command sends nothing, and that is no failure.
            if (const std::optional<QString> text = row.format(params)) {
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
