#pragma once

// How a font job reports to its progress dialog. The default does nothing and
// never stops the job. Rendering calls setValue and windowAlive once per code,
// 65536 times: a worker's implementation stores or posts without waiting
// (an atomic value that the dialog polls is enough).
class FontProgress
{
public:
    virtual ~FontProgress() = default;
    virtual void setMaximum(int maximum) { (void)maximum; }
    virtual void setValue(int value) { (void)value; }
    // False once the progress window is gone: loops stop at the next code.
    virtual bool windowAlive() const { return true; }
};
