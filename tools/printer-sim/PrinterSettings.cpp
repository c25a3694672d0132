#include "printer-sim/PrinterSettings.h"

#include <cmath>

namespace printersim {

int millimetresToDots(double mm, int dpi)
{
    // One dot more than the exact length keeps the quotient safely above mm.
    if (mm <= 0)
        return 0;
    return static_cast<int>(std::floor(mm * dpi / 25.4)) + 1;
}

double dotsToMillimetres(int dots, int dpi)
{
    return dpi > 0 ? dots / (dpi / 25.4) : 0.0;
}

MediaSettings defaultMediaSettings(int dpi)
{
    MediaSettings media;
    media.paperWidthDots = millimetresToDots(100, dpi);
    media.paperHeightDots = millimetresToDots(50, dpi);
    media.gapDots = millimetresToDots(3, dpi);
    media.zLabelWidth = millimetresToDots(104, dpi);
    return media;
}

} // namespace printersim
