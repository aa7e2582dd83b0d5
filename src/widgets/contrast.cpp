#include "widgets/contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

// The lighter colour must be at least this bright and the darker at most this
// dark: #f5f5f5 on #1a1a1a still counts, Fusion's #efefef window does not.
constexpr double LightPole = 0.9;
constexpr double DarkPole = 0.011;

} // namespace

double RelativeLuminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

bool IsHighContrast(const QPalette &palette)
{
    const double window = RelativeLuminance(palette.color(QPalette::Window));
    const double text = RelativeLuminance(palette.color(QPalette::WindowText));
    return std::max(window, text) >= LightPole && std::min(window, text) <= DarkPole;
}
