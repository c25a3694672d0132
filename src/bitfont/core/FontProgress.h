#pragma once

// How a font job reports to its progress dialog. The default does nothing and
// never stops the job; the worker overrides it with posted, non-blocking calls.
class FontProgress
{
public:
    virtual ~FontProgress() = default;
    virtual void setMaximum(int maximum) { (void)maximum; }
    virtual void setValue(int value) { (void)value; }
    // False once the progress window is gone: loops stop at the next code.
    virtual bool windowAlive() const { return true; }
};
