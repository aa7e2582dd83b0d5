#pragma once

#include <QColor>
#include <QPalette>

// The desktop's high-contrast schemes: windows drawn near pure black and
// white, which the frame's artwork and the program's fixed tints would spoil.

// The relative luminance of a colour, 0 (black) to 1 (white), as the eye
// weighs the sRGB primaries.
double RelativeLuminance(const QColor &colour);

// True when the window colour and its text colour are near pure black and
// white opposites, either way round. An ordinary light or dark scheme (grey
// windows, softened text) does not count.
bool IsHighContrast(const QPalette &palette);
