#pragma once

#include <QtGlobal>

namespace jobs {

// The part of a job's context that a step loop talks to: the progress bar's
// range and position, and whether the job is asked to stop. JobContext is the
// one implementation the program runs; tests record through their own.
class JobProgress
{
public:
    virtual ~JobProgress() = default;
    virtual void setMinimum(qint32 minimum) = 0;
    virtual void setMaximum(qint32 maximum) = 0;
    virtual void setPosition(qint32 position) = 0;
    // True once nobody waits for the rest of the job. Only loops whose
    // behaviour allows stopping early look at it; the others run to the end.
    virtual bool cancelRequested() const = 0;
};

} // namespace jobs
