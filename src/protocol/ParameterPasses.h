#pragma once

#include "jobs/JobProgress.h"
#include "protocol/ParameterTable.h"

class CDeviceInterface;
struct PrinterParameters;

// The two long exchanges of the printer options form, as plain functions so
// that a worker thread only wraps them. A single unanswered query does not
// stop the reading pass; neither pass reports the end of the job: that is the
// worker's closing message. Their outcome is the job's result.
namespace protocol {

inline constexpr qint32 readPassRange = 65;
inline constexpr qint32 writePassRange = 25;
// The reading pass gives up on a printer that left the status query and this
// many queries after it all unanswered.
inline constexpr qint32 silentQueriesBeforeEnd = 3;

struct ReadPassOutcome {
    enum class End {
        Complete, // every step ran
        ConnectionLost, // a query failed and the port was no longer open
        NoAnswer, // the status query and the first queries all went unanswered
        Cancelled, // asked to stop between two queries
    };
    End end = End::Complete;
    qint32 queries = 0; // exchanges made, the status query included
    qint32 unanswered = 0; // of those, the ones that failed
    bool statusAnswered = false; // the status query that opens the pass
};

struct WritePassOutcome {
    bool complete = false; // every setting of the page went out
    qint32 sent = 0; // settings sent before the end
};

// Status query, then 64 counted steps into params (the caller resets it
// first). Reports the minimum 0, the maximum 65 and positions 1..64. Ends
// early, without further positions and with a line in the traffic log, when
// the connection is gone, when the printer does not answer at all, or when a
// cancel is requested; a pass with unanswered queries logs their number too.
ReadPassOutcome readAllParameters(CDeviceInterface &port, PrinterParameters &params, jobs::JobProgress &progress);

// The settings of one page from params. Reports the minimum 0, the maximum
// 25 and positions 1..26 (the last lies beyond the range, as the form
// expects). A setting that cannot be sent ends the pass there, with a line in
// the traffic log.
WritePassOutcome writePageParameters(
    CDeviceInterface &port, const PrinterParameters &params, int page, jobs::JobProgress &progress);

} // namespace protocol
