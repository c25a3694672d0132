#pragma once

#include "support/RecordingProgress.h"

#include <functional>

// Runs a test step at a chosen progress position, as a printer that fails
// while a job runs.
class ProgressWithHook : public RecordingProgress
{
public:
    std::function<void(qint32)> onPosition;
    void setPosition(qint32 position) override
    {
        RecordingProgress::setPosition(position);
        if (onPosition)
            onPosition(position);
    }
};
