#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// Pictures of the main window: the tool bar's action pictures (normal, disabled
// and hot) and the voice list's pictures. The desktop's icon theme supplies one
// where it has a fitting icon; our own drawings serve everywhere else.
namespace loqa {

enum ToolImage { ImgReadAloud, ImgReadWav, ImgReadMp3, ImgPause, ImgStop, ImgPrev, ImgNext, ImgOptions, ImgCount };
enum class ToolState { Normal, Disabled, Hot };

QPixmap ToolPicture(ToolImage image, ToolState state, int size = 48);
// An icon with the three states (Normal, Disabled, Active as hot).
QIcon ToolIcon(ToolImage image, int size = 48);
// The voice list's pictures, by EngineImageIndex.
QIcon EngineIcon(int index);
// The application's own icon (window, tray), and its picture at one size
// (the installed theme icons are drawn from it).
QIcon AppIcon();
QImage AppLogo(int size);

} // namespace loqa
