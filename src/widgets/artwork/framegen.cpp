// Draws the window frame's pictures for Loquora at 1x, 2x and 3x, so that the
// frame stays sharp on high-density screens. Run at build time:
//   framegen OUTPUT_DIR
// writes NAME.png, NAME@2x.png and NAME@3x.png for every picture below.
// Everything is drawn in logical pixels; the painter scales.

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

// The frame's palette: a deep blue frame with a light bevel and a dark rim.
const QColor Outline(0x0f, 0x27, 0x40);
const QColor Highlight(0x7f, 0xa9, 0xd3);
const QColor Body(0x21, 0x54, 0x8a);
const QColor Shadow(0x17, 0x3e, 0x66);
const QColor Inner(0x0b, 0x1e, 0x33);
const QColor CaptionTop(0x4a, 0x86, 0xc0);

void Row(QPainter &p, int y, int x0, int x1, const QColor &c)
{
    if (x1 >= x0)
        p.fillRect(QRect(x0, y, x1 - x0 + 1, 1), c);
}

void Column(QPainter &p, int x, int y0, int y1, const QColor &c)
{
    if (y1 >= y0)
        p.fillRect(QRect(x, y0, 1, y1 - y0 + 1), c);
}

// The caption band, rows 0..48, across [x0, x1].
void CaptionBand(QPainter &p, int x0, int x1)
{
    const int w = x1 - x0 + 1;
    Row(p, 0, x0, x1, Outline);
    Row(p, 1, x0, x1, Highlight);
    QLinearGradient g(0, 2, 0, 47);
    g.setColorAt(0.0, CaptionTop);
    g.setColorAt(0.45, QColor(0x35, 0x6e, 0xa8));
    g.setColorAt(1.0, Body);
    p.fillRect(QRect(x0, 2, w, 45), g);
    // A soft gloss over the upper half.
    QLinearGradient gloss(0, 2, 0, 24);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 60));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(x0, 2, w, 22), gloss);
    Row(p, 47, x0, x1, Body);
    Row(p, 48, x0, x1, Inner);
}

void DrawTop(QPainter &p)
{
    CaptionBand(p, 0, 7);
}

void DrawTopLeft(QPainter &p)
{
    CaptionBand(p, 0, 80);
    // A halo behind the logo.
    QRadialGradient halo(QPointF(33, 25), 30);
    halo.setColorAt(0.0, QColor(255, 255, 255, 70));
    halo.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(2, 2, 79, 45), halo);
    // The left border continues below: rim, bevel, body, and the inner edge from x 9 on.
    Column(p, 0, 0, 48, Outline);
    Column(p, 1, 1, 48, Highlight);
    Row(p, 48, 2, 8, Body);
}

void DrawTopRight(QPainter &p)
{
    CaptionBand(p, 0, 96);
    // The recess behind the caption buttons.
    QPainterPath band;
    band.addRoundedRect(QRectF(31.5, 2.5, 63, 23), 7, 7);
    QLinearGradient g(0, 3, 0, 26);
    g.setColorAt(0.0, QColor(0x12, 0x33, 0x57, 200));
    g.setColorAt(1.0, QColor(0x1b, 0x48, 0x77, 200));
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(band, g);
    p.setPen(QPen(QColor(0x8f, 0xb8, 0xde, 110), 1));
    p.drawLine(QPointF(38, 25.5), QPointF(88, 25.5));
    p.setRenderHint(QPainter::Antialiasing, false);
    // The right border continues below: the inner edge stops where it turns down.
    Row(p, 48, 85, 94, Body);
    Column(p, 95, 2, 48, Shadow);
    Column(p, 96, 0, 48, Outline);
}

void DrawLeft(QPainter &p)
{
    Column(p, 0, 0, 7, Outline);
    Column(p, 1, 0, 7, Highlight);
    p.fillRect(QRect(2, 0, 7, 8), Body);
    Column(p, 9, 0, 7, Inner);
}

void DrawRight(QPainter &p)
{
    Column(p, 0, 0, 7, Inner);
    p.fillRect(QRect(1, 0, 10, 8), Body);
    Column(p, 11, 0, 7, Shadow);
    Column(p, 12, 0, 7, Outline);
}

void DrawBottom(QPainter &p)
{
    Row(p, 0, 0, 7, Inner);
    p.fillRect(QRect(0, 1, 8, 9), Body);
    Row(p, 10, 0, 7, Shadow);
    Row(p, 11, 0, 7, Outline);
}

void DrawBottomLeft(QPainter &p)
{
    p.fillRect(QRect(0, 0, 10, 12), Body);
    Row(p, 0, 9, 9, Inner);
    Row(p, 10, 2, 9, Shadow);
    Row(p, 11, 0, 9, Outline);
    Column(p, 1, 0, 10, Highlight);
    Column(p, 0, 0, 11, Outline);
}

void DrawBottomRight(QPainter &p)
{
    p.fillRect(QRect(0, 0, 13, 12), Body);
    Row(p, 0, 0, 0, Inner);
    // The grip: three rows of dots in the corner.
    const QColor dot(0x9c, 0xc2, 0xe8);
    const QColor dotShade(0x0d, 0x25, 0x40);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j <= i; ++j) {
            const int x = 8 - 3 * j;
            const int y = 2 + 3 * i;
            p.fillRect(QRect(x + 1, y + 1, 1, 1), dotShade);
            p.fillRect(QRect(x, y, 1, 1), dot);
        }
    }
    Row(p, 10, 0, 11, Shadow);
    Column(p, 11, 0, 10, Shadow);
    Row(p, 11, 0, 12, Outline);
    Column(p, 12, 0, 11, Outline);
}

// A speech bubble on an amber disc, with a little waveform inside.
void DrawLogo(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(QPointF(19, 16), 30);
    disc.setColorAt(0.0, QColor(0xff, 0xd8, 0x6e));
    disc.setColorAt(0.6, QColor(0xf4, 0xa3, 0x2e));
    disc.setColorAt(1.0, QColor(0xd5, 0x6a, 0x12));
    p.setPen(QPen(QColor(0x6b, 0x33, 0x00, 200), 1.5));
    p.setBrush(disc);
    p.drawEllipse(QPointF(24, 24), 22, 22);

    QPainterPath bubble;
    bubble.addEllipse(QRectF(9, 10, 30, 22));
    QPainterPath tail;
    tail.moveTo(15, 28);
    tail.lineTo(10, 38);
    tail.lineTo(23, 31);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(0x8a, 0x45, 0x05, 160), 1));
    p.setBrush(QColor(0xff, 0xfd, 0xf6));
    p.drawPath(bubble);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0x6b, 0x12));
    const double heights[] = {5, 10, 14, 9, 5};
    for (int i = 0; i < 5; ++i) {
        const double x = 15.2 + 4.4 * i;
        const double h = heights[i];
        p.drawRoundedRect(QRectF(x, 21 - h / 2, 2.6, h), 1.3, 1.3);
    }
}

void ButtonFace(QPainter &p, const QColor &top, const QColor &bottom, const QColor &rim)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 17);
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    p.setPen(QPen(rim, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 16, 16), 3.5, 3.5);
    p.setRenderHint(QPainter::Antialiasing, false);
}

const QColor Glyph(0x17, 0x3a, 0x5e);

void PlainButton(QPainter &p)
{
    ButtonFace(p, QColor(0xf4, 0xf7, 0xfb), QColor(0xbf, 0xd0, 0xe3), QColor(0x0e, 0x2a, 0x47));
}

void Box(QPainter &p, int x, int y, int w, int h)
{
    p.fillRect(QRect(x, y, w, 2), Glyph);
    p.fillRect(QRect(x, y, 1, h), Glyph);
    p.fillRect(QRect(x + w - 1, y, 1, h), Glyph);
    p.fillRect(QRect(x, y + h - 1, w, 1), Glyph);
}

void DrawMin(QPainter &p)
{
    PlainButton(p);
    p.fillRect(QRect(5, 11, 7, 2), Glyph);
}

void DrawMax(QPainter &p)
{
    PlainButton(p);
    Box(p, 4, 4, 9, 9);
}

void DrawRestore(QPainter &p)
{
    PlainButton(p);
    Box(p, 6, 3, 8, 7);
    p.fillRect(QRect(3, 7, 8, 7), QColor(0xdc, 0xe6, 0xf0));
    Box(p, 3, 7, 8, 7);
}

void DrawClose(QPainter &p)
{
    ButtonFace(p, QColor(0xf2, 0x8d, 0x82), QColor(0xc4, 0x35, 0x2b), QColor(0x6e, 0x15, 0x10));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 5.5), QPointF(5.5, 11.5));
}

struct Picture {
    const char *name;
    int width;
    int height;
    std::function<void(QPainter &)> draw;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: framegen OUTPUT_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "framegen: cannot create %s\n", argv[1]);
        return 1;
    }
    // Side and bottom strips are drawn 8 pixels long; the frame stretches them.
    const Picture pictures[] = {
        {"topleft", 81, 49, DrawTopLeft},   {"top", 8, 49, DrawTop},
        {"topright", 97, 49, DrawTopRight}, {"left", 10, 8, DrawLeft},
        {"right", 13, 8, DrawRight},        {"bottomleft", 10, 12, DrawBottomLeft},
        {"bottom", 8, 12, DrawBottom},      {"bottomright", 13, 12, DrawBottomRight},
        {"logo", 48, 48, DrawLogo},         {"min", 17, 17, DrawMin},
        {"max", 17, 17, DrawMax},           {"restore", 17, 17, DrawRestore},
        {"close", 17, 17, DrawClose},
    };
    for (const Picture &picture : pictures) {
        for (int scale = 1; scale <= 3; ++scale) {
            QImage image(picture.width * scale, picture.height * scale, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            {
                QPainter p(&image);
                p.scale(scale, scale);
                picture.draw(p);
            }
            const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
            const QString path =
                QDir(dir).filePath(QString::fromLatin1(picture.name) + suffix + QStringLiteral(".png"));
            if (!image.save(path, "PNG")) {
                std::fprintf(stderr, "framegen: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
