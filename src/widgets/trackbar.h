#pragma once

#include <QSlider>

// A slider that assistive tools read as a percentage of its range, as the
// status line shows it ("Volume: 50% [32768]"), whatever units the slider
// itself counts in. Keys and the mouse move it in its own units.
class TTrackBar : public QSlider
{
    Q_OBJECT
public:
    explicit TTrackBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // `position` as a whole percentage of the range from `minimum` to
    // `maximum`, rounded down; and the position nearest a percentage.
    static int Percent(int position, int minimum, int maximum);
    static int PositionFor(double percent, int minimum, int maximum);
};
