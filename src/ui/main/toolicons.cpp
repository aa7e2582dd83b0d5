#include "ui/main/toolicons.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace loqa {

namespace {

const char *const kThemeNames[ImgCount] = {
    "audio-volume-high",   "document-save-as", "media-record", "media-playback-pause",
    "media-playback-stop", "go-previous",      "go-next",      "preferences-system"};

QColor baseColor(ToolImage image)
{
    switch (image) {
    case ImgReadAloud:
        return QColor(0x2E, 0x7D, 0x32);
    case ImgReadWav:
        return QColor(0x15, 0x65, 0xC0);
    case ImgReadMp3:
        return QColor(0x6A, 0x1B, 0x9A);
    case ImgPause:
        return QColor(0xEF, 0x6C, 0x00);
    case ImgStop:
        return QColor(0xC6, 0x28, 0x28);
    case ImgPrev:
    case ImgNext:
        return QColor(0x00, 0x83, 0x8F);
    default:
        return QColor(0x54, 0x6E, 0x7A);
    }
}

void drawWaves(QPainter &p, const QPointF &at, qreal s)
{
    for (int i = 1; i <= 2; ++i) {
        const qreal r = s * (0.12 + 0.11 * i);
        p.drawArc(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r), -50 * 16, 100 * 16);
    }
}

// A closed shape through points given in parts of the picture's size.
void drawPolygon(QPainter &p, qreal s, std::initializer_list<QPointF> points)
{
    QPainterPath path;
    for (const QPointF &point : points) {
        if (path.elementCount() == 0)
            path.moveTo(point * s);
        else
            path.lineTo(point * s);
    }
    path.closeSubpath();
    p.drawPath(path);
}

void drawPage(QPainter &p, qreal s)
{
    drawPolygon(p, s, {{0.22, 0.10}, {0.62, 0.10}, {0.78, 0.26}, {0.78, 0.90}, {0.22, 0.90}});
}

void paint(QPainter &p, ToolImage image, const QColor &c, qreal s)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(c.darker(130), s * 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(c);
    switch (image) {
    case ImgReadAloud: {
        drawPolygon(p, s, {{0.14, 0.38}, {0.30, 0.38}, {0.50, 0.20}, {0.50, 0.80}, {0.30, 0.62}, {0.14, 0.62}});
        p.setBrush(Qt::NoBrush);
        drawWaves(p, QPointF(0.52 * s, 0.5 * s), s);
        break;
    }
    case ImgReadWav: {
        p.setBrush(Qt::white);
        drawPage(p, s);
        QPainterPath wave;
        wave.moveTo(0.28 * s, 0.58 * s);
        for (int i = 0; i <= 20; ++i) {
            const qreal x = 0.28 + 0.44 * i / 20.0;
            const qreal y = 0.58 + 0.16 * std::sin(i * 1.2) * ((i % 3) ? 1.0 : 0.5);
            wave.lineTo(x * s, y * s);
        }
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case ImgReadMp3: {
        p.drawEllipse(QRectF(0.18 * s, 0.62 * s, 0.22 * s, 0.18 * s));
        p.drawEllipse(QRectF(0.56 * s, 0.54 * s, 0.22 * s, 0.18 * s));
        p.setBrush(Qt::NoBrush);
        QPainterPath stems;
        stems.moveTo(0.39 * s, 0.70 * s);
        stems.lineTo(0.39 * s, 0.22 * s);
        stems.lineTo(0.77 * s, 0.14 * s);
        stems.lineTo(0.77 * s, 0.62 * s);
        p.drawPath(stems);
        break;
    }
    case ImgPause:
        p.drawRoundedRect(QRectF(0.24 * s, 0.18 * s, 0.18 * s, 0.64 * s), 0.04 * s, 0.04 * s);
        p.drawRoundedRect(QRectF(0.58 * s, 0.18 * s, 0.18 * s, 0.64 * s), 0.04 * s, 0.04 * s);
        break;
    case ImgStop:
        p.drawRoundedRect(QRectF(0.20 * s, 0.20 * s, 0.60 * s, 0.60 * s), 0.08 * s, 0.08 * s);
        break;
    case ImgPrev:
    case ImgNext: {
        const bool next = image == ImgNext;
        for (int i = 0; i < 2; ++i) {
            const qreal x0 = next ? 0.16 + 0.32 * i : 0.84 - 0.32 * i;
            const qreal x1 = next ? x0 + 0.32 : x0 - 0.32;
            QPainterPath tri;
            tri.moveTo(x0 * s, 0.22 * s);
            tri.lineTo(x1 * s, 0.50 * s);
            tri.lineTo(x0 * s, 0.78 * s);
            tri.closeSubpath();
            p.drawPath(tri);
        }
        break;
    }
    default: {
        // A gear: a toothed ring around a hole.
        QPainterPath gear;
        const QPointF centre(0.5 * s, 0.5 * s);
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal angle = M_PI * i / teeth;
            const qreal r = (i % 2 ? 0.30 : 0.40) * s;
            const QPointF pt(centre.x() + r * std::cos(angle), centre.y() + r * std::sin(angle));
            if (i == 0)
                gear.moveTo(pt);
            else
                gear.lineTo(pt);
        }
        gear.closeSubpath();
        gear.addEllipse(centre, 0.12 * s, 0.12 * s);
        gear.setFillRule(Qt::OddEvenFill);
        p.drawPath(gear);
        break;
    }
    }
}

} // namespace

QPixmap ToolPicture(ToolImage image, ToolState state, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    const QIcon themed = QIcon::fromTheme(QLatin1String(kThemeNames[image]));
    if (!themed.isNull() && !themed.availableSizes().isEmpty()) {
        const QIcon::Mode mode = state == ToolState::Disabled ? QIcon::Disabled
                                 : state == ToolState::Hot    ? QIcon::Active
                                                              : QIcon::Normal;
        return themed.pixmap(size, mode);
    }
    QColor c = baseColor(image);
    if (state == ToolState::Disabled)
        c = QColor(0xB0, 0xB0, 0xB0);
    else if (state == ToolState::Hot)
        c = c.lighter(135);
    QPainter p(&pixmap);
    paint(p, image, c, size);
    return pixmap;
}

QIcon ToolIcon(ToolImage image, int size)
{
    QIcon icon;
    icon.addPixmap(ToolPicture(image, ToolState::Normal, size), QIcon::Normal);
    icon.addPixmap(ToolPicture(image, ToolState::Disabled, size), QIcon::Disabled);
    icon.addPixmap(ToolPicture(image, ToolState::Hot, size), QIcon::Active);
    return icon;
}

QIcon EngineIcon(int index)
{
    static const QColor colours[6] = {QColor(0x19, 0x76, 0xD2), QColor(0xD8, 0x1B, 0x60), QColor(0x00, 0x89, 0x7B),
                                      QColor(0x8E, 0x24, 0xAA), QColor(0x61, 0x61, 0x61), QColor(0xF5, 0x7C, 0x00)};
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = colours[std::clamp(index, 0, 5)];
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRectF(10, 3, 12, 12));           // head
    p.drawRoundedRect(QRectF(5, 17, 22, 14), 6, 6); // shoulders
    return QIcon(pixmap);
}

QImage AppLogo(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x44, 0x77, 0xAA));
    p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.2, size * 0.2);
    p.setBrush(Qt::NoBrush);
    paint(p, ImgReadAloud, Qt::white, size);
    return image;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(AppLogo(size)));
    return icon;
}

} // namespace loqa
