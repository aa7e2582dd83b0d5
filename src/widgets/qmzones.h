#pragma once

#include <Qt>

#include <optional>

// The rules of the skinned frame that need no window: which part of the frame
// a press moves or sizes the window by, which cursor a part shows, and where
// the caption goes.
namespace qmframe {

// The frame pictures that react to the mouse.
enum class TFramePart { Top, TopLeft, TopRight, Caption, Left, Right, Bottom, BottomLeft, BottomRight };

// Hit-test codes: what a press on the frame starts.
enum THitCode {
    HTNOWHERE = 0,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
};

// Width in pixels of the sizing zone along the outer edges of the caption pictures.
constexpr int SizingZone = 8;

// The code for a left press at (x, y) within a picture of width w; HTNOWHERE
// when the press does nothing (a side or bottom picture of a fixed-size frame).
THitCode FrameHitTest(TFramePart part, int x, int y, int w, bool sizeable);

// The cursor a picture shows at (x, y) while the frame is sizeable.
Qt::CursorShape FrameCursor(TFramePart part, int x, int y, int w);

// The window edges a sizing code drags; nothing for HTCAPTION and HTNOWHERE.
std::optional<Qt::Edges> EdgesForHitCode(THitCode code);

// The caption label's left edge: centred on the form, 10 pixels to the left,
// halved with truncation toward zero.
int CaptionLeft(int formWidth, int labelWidth);

} // namespace qmframe
