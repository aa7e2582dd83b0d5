#include "widgets/qmzones.h"

namespace qmframe {

THitCode FrameHitTest(TFramePart part, int x, int y, int w, bool sizeable)
{
    const bool top = y < SizingZone;
    const bool left = x < SizingZone;
    const bool right = x >= w - SizingZone;
    switch (part) {
    case TFramePart::Top:
        return sizeable && top ? HTTOP : HTCAPTION;
    case TFramePart::TopLeft:
        if (sizeable && left && top)
            return HTTOPLEFT;
        if (sizeable && left)
            return HTLEFT;
        if (sizeable && top)
            return HTTOP;
        return HTCAPTION;
    case TFramePart::TopRight:
        if (sizeable && right && top)
            return HTTOPRIGHT;
        if (sizeable && right)
            return HTRIGHT;
        if (sizeable && top)
            return HTTOP;
        return HTCAPTION;
    case TFramePart::Caption:
        return HTCAPTION;
    case TFramePart::Left:
        return sizeable ? HTLEFT : HTNOWHERE;
    case TFramePart::Right:
        return sizeable ? HTRIGHT : HTNOWHERE;
    case TFramePart::Bottom:
        return sizeable ? HTBOTTOM : HTNOWHERE;
    case TFramePart::BottomLeft:
        return sizeable ? HTBOTTOMLEFT : HTNOWHERE;
    case TFramePart::BottomRight:
        return sizeable ? HTBOTTOMRIGHT : HTNOWHERE;
    }
    return HTNOWHERE;
}

Qt::CursorShape FrameCursor(TFramePart part, int x, int y, int w)
{
    const bool top = y < SizingZone;
    const bool left = x < SizingZone;
    const bool right = x >= w - SizingZone;
    switch (part) {
    case TFramePart::Top:
        return top ? Qt::SizeVerCursor : Qt::ArrowCursor;
    case TFramePart::TopLeft:
        if (left && top)
            return Qt::SizeFDiagCursor;
        if (top)
            return Qt::SizeVerCursor;
        if (left)
            return Qt::SizeHorCursor;
        return Qt::ArrowCursor;
    case TFramePart::TopRight:
        if (right && top)
            return Qt::SizeBDiagCursor;
        if (top)
            return Qt::SizeVerCursor;
        if (right)
            return Qt::SizeHorCursor;
        return Qt::ArrowCursor;
    case TFramePart::Caption:
        return Qt::ArrowCursor;
    case TFramePart::Left:
    case TFramePart::Right:
        return Qt::SizeHorCursor;
    case TFramePart::Bottom:
        return Qt::SizeVerCursor;
    case TFramePart::BottomLeft:
        return Qt::SizeBDiagCursor;
    case TFramePart::BottomRight:
        return Qt::SizeFDiagCursor;
    }
    return Qt::ArrowCursor;
}

std::optional<Qt::Edges> EdgesForHitCode(THitCode code)
{
    switch (code) {
    case HTLEFT:
        return Qt::LeftEdge;
    case HTRIGHT:
        return Qt::RightEdge;
    case HTTOP:
        return Qt::TopEdge;
    case HTTOPLEFT:
        return Qt::TopEdge | Qt::LeftEdge;
    case HTTOPRIGHT:
        return Qt::TopEdge | Qt::RightEdge;
    case HTBOTTOM:
        return Qt::BottomEdge;
    case HTBOTTOMLEFT:
        return Qt::BottomEdge | Qt::LeftEdge;
    case HTBOTTOMRIGHT:
        return Qt::BottomEdge | Qt::RightEdge;
    case HTNOWHERE:
    case HTCAPTION:
        break;
    }
    return std::nullopt;
}

int CaptionLeft(int formWidth, int labelWidth)
{
    return (formWidth - labelWidth) / 2 - 10;
}

} // namespace qmframe
