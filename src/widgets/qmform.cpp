#include "widgets/qmform.h"
#include "widgets/contrast.h"
#include "widgets/screenreader.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <cmath>

using namespace qmframe;

// Frame measures, in pixels.
namespace {
constexpr int TopHeight = 49;
constexpr int TopLeftWidth = 81;
constexpr int TopRightWidth = 97;
constexpr int LeftWidth = 10;
constexpr int RightWidth = 13;
constexpr int BottomHeight = 12;
constexpr int ButtonSize = 17;
constexpr int ButtonTop = 5;
constexpr int CaptionTop = 10;
// How far the pointer moves with the button held before a drag begins.
constexpr qreal DragThreshold = 2;
// The high-contrast frame: its outline, and the rule under the caption bar.
constexpr int ContrastBorder = 2;
constexpr int ContrastRule = 1;

std::array<QPixmap, 3> LoadPictures(const QString &picture)
{
    const QString base = QStringLiteral(":/loqa/frame/") + picture;
    return {QPixmap(base + QStringLiteral(".png")), QPixmap(base + QStringLiteral("@2x.png")),
            QPixmap(base + QStringLiteral("@3x.png"))};
}

const QPixmap &PictureForRatio(const std::array<QPixmap, 3> &pictures, qreal devicePixelRatio)
{
    const int scale = std::clamp(static_cast<int>(std::ceil(devicePixelRatio - 0.01)), 1, 3);
    return pictures[size_t(scale - 1)];
}

void DrawStretched(QPainter &p, const QRect &area, const QPixmap &picture)
{
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(area, picture, picture.rect());
}

Qt::Edges OuterEdges(const QString &picture)
{
    static const std::pair<const char *, Qt::Edges> edges[] = {
        {"topleft", Qt::TopEdge | Qt::LeftEdge},
        {"top", Qt::TopEdge},
        {"topright", Qt::TopEdge | Qt::RightEdge},
        {"left", Qt::LeftEdge},
        {"right", Qt::RightEdge},
        {"bottomleft", Qt::BottomEdge | Qt::LeftEdge},
        {"bottom", Qt::BottomEdge},
        {"bottomright", Qt::BottomEdge | Qt::RightEdge},
    };
    for (const auto &[name, outer] : edges) {
        if (picture == QLatin1String(name))
            return outer;
    }
    return {};
}

bool EndsCaption(const QString &picture)
{
    return picture == QLatin1String("topleft") || picture == QLatin1String("top") ||
           picture == QLatin1String("topright");
}

} // namespace

TQMImage::TQMImage(const QString &name, const QString &picture, QWidget *parent)
    : QWidget(parent), FPictures(LoadPictures(picture)), FOuterEdges(OuterEdges(picture)),
      FEndsCaption(EndsCaption(picture))
{
    setObjectName(name);
}

const QPixmap &TQMImage::PictureFor(qreal devicePixelRatio) const
{
    return PictureForRatio(FPictures, devicePixelRatio);
}

void TQMImage::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!IsHighContrast(palette())) {
        DrawStretched(p, rect(), PictureFor(devicePixelRatioF()));
        return;
    }
    // The desktop's own colours: a plain bar, outlined where the window ends.
    // The logo is only decoration and stays out of such a frame, leaving the
    // bar's outline under it whole.
    if (!FOuterEdges && !FEndsCaption)
        return;
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QColor line = palette().color(QPalette::WindowText);
    const QRect r = rect();
    if (FOuterEdges & Qt::TopEdge)
        p.fillRect(QRect(r.left(), r.top(), r.width(), ContrastBorder), line);
    if (FOuterEdges & Qt::BottomEdge)
        p.fillRect(QRect(r.left(), r.bottom() - ContrastBorder + 1, r.width(), ContrastBorder), line);
    if (FOuterEdges & Qt::LeftEdge)
        p.fillRect(QRect(r.left(), r.top(), ContrastBorder, r.height()), line);
    if (FOuterEdges & Qt::RightEdge)
        p.fillRect(QRect(r.right() - ContrastBorder + 1, r.top(), ContrastBorder, r.height()), line);
    if (FEndsCaption)
        p.fillRect(QRect(r.left(), r.bottom() - ContrastRule + 1, r.width(), ContrastRule), line);
}

TQMButton::TQMButton(const QString &name, const QString &picture, const QString &caption, QWidget *parent)
    : QAbstractButton(parent), FPicture(picture), FPictures(LoadPictures(picture))
{
    setObjectName(name);
    setAccessibleName(caption);
    setToolTip(caption);
    // Tab reaches it; a click leaves the focus where the user was typing.
    setFocusPolicy(Qt::TabFocus);
}

const QPixmap &TQMButton::PictureFor(qreal devicePixelRatio) const
{
    return PictureForRatio(FPictures, devicePixelRatio);
}

void TQMButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (IsHighContrast(palette())) {
        p.fillRect(rect(), palette().color(QPalette::Window));
        PaintGlyph(p);
    } else {
        DrawStretched(p, rect(), PictureFor(devicePixelRatioF()));
    }
    if (hasFocus()) {
        // The focus ring in the desktop's highlight colour, so high-contrast schemes keep it visible.
        QPen pen(palette().color(QPalette::Highlight));
        pen.setWidth(2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

// The button's meaning as a plain line drawing in the text colour, for the
// high-contrast frame; drawn in the button's own units, so it scales with it.
void TQMButton::PaintGlyph(QPainter &p) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::WindowText), 2);
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const qreal unit = width() / 17.0; // the glyphs are laid out on a 17-unit square
    p.scale(unit, unit);
    if (FPicture == QLatin1String("close")) {
        p.drawLine(QPointF(5, 5), QPointF(12, 12));
        p.drawLine(QPointF(12, 5), QPointF(5, 12));
    } else if (FPicture == QLatin1String("min")) {
        p.drawLine(QPointF(5, 12), QPointF(12, 12));
    } else if (FPicture == QLatin1String("max")) {
        p.drawRect(QRectF(5, 5, 7, 7));
        p.drawLine(QPointF(5, 6), QPointF(12, 6));
    } else if (FPicture == QLatin1String("restore")) {
        p.drawRect(QRectF(4, 8, 6, 5));
        p.drawPolyline(QPolygonF({QPointF(7, 8), QPointF(7, 5), QPointF(13, 5), QPointF(13, 10), QPointF(10, 10)}));
    }
    p.restore();
}

TQMApplication *TQMApplication::Instance()
{
    static QPointer<TQMApplication> instance;
    if (!instance)
        instance = new TQMApplication(QCoreApplication::instance());
    return instance;
}

void TQMApplication::Minimize()
{
    // Every window a user sees goes down, not the tray icon's own window.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        const Qt::WindowType type = w->windowType();
        if (!w->isVisible() || (type != Qt::Window && type != Qt::Dialog) ||
            w->windowFlags().testFlag(Qt::BypassWindowManagerHint))
            continue;
        w->setWindowState((w->windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
    }
    emit OnMinimize();
}

TQMForm::TQMForm(QWidget *parent, Qt::WindowType type) : QDialog(parent), FWindowType(type)
{
    screenreader::Install();
    SetBorderIcons(FBorderIcons);

    PanelQMTop = new QWidget(this);
    PanelQMTop->setObjectName(QStringLiteral("PanelQMTop"));
    ImageQMTopLeft = AddImage("ImageQMTopLeft", "topleft", PanelQMTop);
    ImageQMTopRight = AddImage("ImageQMTopRight", "topright", PanelQMTop);
    ImageQMTop = AddImage("ImageQMTop", "top", PanelQMTop);
    // The logo only decorates: the mouse does nothing on it.
    ImageQMLogo = new TQMImage(QStringLiteral("ImageQMLogo"), QStringLiteral("logo"), PanelQMTop);
    LabelQMCaption = new QLabel(PanelQMTop);
    LabelQMCaption->setObjectName(QStringLiteral("LabelQMCaption"));
    QFont captionFont = LabelQMCaption->font();
    captionFont.setBold(true);
    LabelQMCaption->setFont(captionFont);
    LabelQMCaption->setAutoFillBackground(false);
    LabelQMCaption->installEventFilter(this);
    // The restore button lies under the maximise button, in the same place.
    hryrImage = AddButton("hryrImage", "restore", QStringLiteral("Restore"));
    maxImage = AddButton("maxImage", "max", QStringLiteral("Maximize"));
    minImage = AddButton("minImage", "min", QStringLiteral("Minimize"));
    closeImage = AddButton("closeImage", "close", QStringLiteral("Close"));
    // Tab visits them as they read, left to right.
    setTabOrder(minImage, maxImage);
    setTabOrder(maxImage, hryrImage);
    setTabOrder(hryrImage, closeImage);

    ImageQMLeft = AddImage("ImageQMLeft", "left", this);
    ImageQMRight = AddImage("ImageQMRight", "right", this);
    PanelQMBottom = new QWidget(this);
    PanelQMBottom->setObjectName(QStringLiteral("PanelQMBottom"));
    ImageQMBottomLeft = AddImage("ImageQMBottomLeft", "bottomleft", PanelQMBottom);
    ImageQMBottomRight = AddImage("ImageQMBottomRight", "bottomright", PanelQMBottom);
    ImageQMBottom = AddImage("ImageQMBottom", "bottom", PanelQMBottom);
    PanelQMClient = new QWidget(this);
    PanelQMClient->setObjectName(QStringLiteral("PanelQMClient"));

    resize(392, 273);
    setMinimumSize(FMinWidth, FMinHeight);
    LayoutFrame();
    ApplyFrameColours();
}

TQMForm::~TQMForm() = default;

TQMImage *TQMForm::AddImage(const char *name, const char *picture, QWidget *parent)
{
    auto *image = new TQMImage(QString::fromLatin1(name), QString::fromLatin1(picture), parent);
    image->setMouseTracking(true);
    image->installEventFilter(this);
    return image;
}

TQMButton *TQMForm::AddButton(const char *name, const char *picture, const QString &caption)
{
    auto *button = new TQMButton(QString::fromLatin1(name), QString::fromLatin1(picture), caption, PanelQMTop);
    button->installEventFilter(this);
    // The keyboard and assistive tools press it through clicked(); the mouse through ButtonEvent.
    connect(button, &QAbstractButton::clicked, this, [this, button] { ButtonClick(button); });
    return button;
}

void TQMForm::SetMinWidth(int value)
{
    FMinWidth = value;
    // The window manager learns the limit too, so a drag stops there.
    setMinimumSize(FMinWidth, FMinHeight);
}

void TQMForm::SetMinHeight(int value)
{
    FMinHeight = value;
    setMinimumSize(FMinWidth, FMinHeight);
}

void TQMForm::SetSizeable(bool value)
{
    FSizeable = value;
    if (!FSizeable)
        ResetFrameCursors();
}

void TQMForm::SetBorderIcons(TBorderIcons icons)
{
    FBorderIcons = icons;
    // The hints tell the window system which buttons the caption bar offers.
    // (Asking to customise them would bring the system's frame back.)
    Qt::WindowFlags flags = FWindowType | Qt::FramelessWindowHint;
    if (icons & biSystemMenu)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (icons & biMinimize)
        flags |= Qt::WindowMinimizeButtonHint;
    if (icons & biMaximize)
        flags |= Qt::WindowMaximizeButtonHint;
    if (flags == windowFlags())
        return;
    const bool wasVisible = isVisible();
    setWindowFlags(flags);
    if (wasVisible)
        show();
}

void TQMForm::FormShow()
{
    // 1. Widgets are always double-buffered here; nothing to turn on.
    // 2. The caption.
    LabelQMCaption->setText(windowTitle());
    LabelQMCaption->adjustSize();
    // 3. The frame's defaults; a descendant changes them after this.
    SetSizeable(true);
    SetMinWidth(250);
    SetMinHeight(115);
    // 4. The buttons, from the left edge of the right caption picture.
    FCloseOffset = 75;
    FMaxOffset = 55;
    FMinOffset = 35;
    LayoutFrame();
    // 5. Only the buttons the border icons allow.
    closeImage->setVisible(FBorderIcons & biSystemMenu);
    minImage->setVisible(FBorderIcons & biMinimize);
    ShowMaximizeButtons();
    // 6. The caption in the middle.
    CentreCaption();
}

void TQMForm::FormResize()
{
    if (width() < FMinWidth)
        resize(FMinWidth, height());
    if (height() < FMinHeight)
        resize(width(), FMinHeight);
    CentreCaption();
}

void TQMForm::CentreCaption()
{
    LabelQMCaption->move(CaptionLeft(width(), LabelQMCaption->width()), CaptionTop);
}

void TQMForm::ShowMaximizeButtons()
{
    const bool can = FBorderIcons & biMaximize;
    const bool maximized = isMaximized();
    maxImage->setVisible(can && !maximized);
    hryrImage->setVisible(can && maximized);
}

void TQMForm::ApplyFrameColours()
{
    // White on the artwork; in high contrast the caption takes the window's
    // own text colour (the frame's parts read the palette as they paint).
    QPalette captionPalette;
    if (!IsHighContrast(palette()))
        captionPalette.setColor(QPalette::WindowText, Qt::white);
    LabelQMCaption->setPalette(captionPalette);
}

void TQMForm::LayoutFrame()
{
    const int w = width();
    const int h = height();
    const int sideHeight = std::max(0, h - TopHeight - BottomHeight);

    PanelQMTop->setGeometry(0, 0, w, TopHeight);
    ImageQMTopLeft->setGeometry(0, 0, TopLeftWidth, TopHeight);
    ImageQMTopRight->setGeometry(w - TopRightWidth, 0, TopRightWidth, TopHeight);
    ImageQMTop->setGeometry(TopLeftWidth, 0, std::max(0, w - TopLeftWidth - TopRightWidth), TopHeight);
    ImageQMLogo->setGeometry(9, 1, 48, 48);

    const int buttonsLeft = ImageQMTopRight->x();
    const auto place = [&](TQMButton *button, int offset) {
        const int shift = button == FPressedButton ? 1 : 0;
        button->setGeometry(buttonsLeft + offset + shift, ButtonTop + shift, ButtonSize, ButtonSize);
    };
    place(closeImage, FCloseOffset);
    place(maxImage, FMaxOffset);
    place(hryrImage, FMaxOffset);
    place(minImage, FMinOffset);

    ImageQMLeft->setGeometry(0, TopHeight, LeftWidth, sideHeight);
    ImageQMRight->setGeometry(w - RightWidth, TopHeight, RightWidth, sideHeight);
    PanelQMBottom->setGeometry(0, h - BottomHeight, w, BottomHeight);
    ImageQMBottomLeft->setGeometry(0, 0, LeftWidth, BottomHeight);
    ImageQMBottomRight->setGeometry(w - RightWidth, 0, RightWidth, BottomHeight);
    ImageQMBottom->setGeometry(LeftWidth, 0, std::max(0, w - LeftWidth - RightWidth), BottomHeight);
    PanelQMClient->setGeometry(LeftWidth, TopHeight, std::max(0, w - LeftWidth - RightWidth), sideHeight);
}

void TQMForm::showEvent(QShowEvent *event)
{
    // A window coming back from the taskbar is not being shown anew.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TQMForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    LayoutFrame();
    FormResize();
}

void TQMForm::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    switch (event->type()) {
    case QEvent::WindowStateChange:
        // The window manager may maximise or restore the window on its own.
        ShowMaximizeButtons();
        ResetFrameCursors();
        break;
    case QEvent::WindowTitleChange:
        LabelQMCaption->setText(windowTitle());
        LabelQMCaption->adjustSize();
        CentreCaption();
        break;
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        ApplyFrameColours();
        FormPaletteChange();
        break;
    default:
        break;
    }
}

void TQMForm::keyPressEvent(QKeyEvent *event)
{
    // Escape cancels a modal dialog; it does not close a main window.
    if (event->key() == Qt::Key_Escape && !isModal()) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TQMForm::ResetFrameCursors()
{
    for (QWidget *picture : {static_cast<QWidget *>(ImageQMTop), static_cast<QWidget *>(ImageQMTopLeft),
                             static_cast<QWidget *>(ImageQMTopRight), static_cast<QWidget *>(ImageQMLeft),
                             static_cast<QWidget *>(ImageQMRight), static_cast<QWidget *>(ImageQMBottom),
                             static_cast<QWidget *>(ImageQMBottomLeft), static_cast<QWidget *>(ImageQMBottomRight)})
        picture->unsetCursor();
}

bool TQMForm::IsFramePart(QObject *object, TFramePart &part) const
{
    const std::pair<QObject *, TFramePart> parts[] = {
        {ImageQMTop, TFramePart::Top},
        {ImageQMTopLeft, TFramePart::TopLeft},
        {ImageQMTopRight, TFramePart::TopRight},
        {LabelQMCaption, TFramePart::Caption},
        {ImageQMLeft, TFramePart::Left},
        {ImageQMRight, TFramePart::Right},
        {ImageQMBottom, TFramePart::Bottom},
        {ImageQMBottomLeft, TFramePart::BottomLeft},
        {ImageQMBottomRight, TFramePart::BottomRight},
    };
    for (const auto &[candidate, kind] : parts) {
        if (candidate == object) {
            part = kind;
            return true;
        }
    }
    return false;
}

bool TQMForm::eventFilter(QObject *watched, QEvent *event)
{
    for (TQMButton *button : {closeImage, minImage, maxImage, hryrImage}) {
        if (watched == button)
            return ButtonEvent(button, event);
    }
    TFramePart part;
    if (!IsFramePart(watched, part))
        return QDialog::eventFilter(watched, event);
    auto *picture = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        FrameMouseDown(picture, part, static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseMove:
        FrameMouseMove(picture, part, static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        FPendingCode = HTNOWHERE;
        return true;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
            (part == TFramePart::Top || part == TFramePart::TopLeft || part == TFramePart::TopRight ||
             part == TFramePart::Caption))
            CaptionDblClick();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TQMForm::FrameMouseDown(QWidget *picture, TFramePart part, QMouseEvent *event)
{
    FPendingCode = HTNOWHERE;
    if (event->button() != Qt::LeftButton || isMaximized())
        return;
    const QPoint pos = event->position().toPoint();
    // The window manager takes over once the pointer moves with the button
    // held; a click or a double click stays with the frame.
    FPendingCode = FrameHitTest(part, pos.x(), pos.y(), picture->width(), FSizeable);
    FPressPosition = event->globalPosition();
}

void TQMForm::StartSystemMoveResize(THitCode code)
{
    QWindow *window = windowHandle();
    if (!window || isMaximized())
        return;
    if (code == HTCAPTION)
        window->startSystemMove();
    else if (const auto edges = EdgesForHitCode(code))
        window->startSystemResize(*edges);
}

void TQMForm::FrameMouseMove(QWidget *picture, TFramePart part, QMouseEvent *event)
{
    if (FPendingCode != HTNOWHERE) {
        if (!(event->buttons() & Qt::LeftButton)) {
            FPendingCode = HTNOWHERE;
        } else if ((event->globalPosition() - FPressPosition).manhattanLength() >= DragThreshold) {
            const THitCode code = FPendingCode;
            FPendingCode = HTNOWHERE;
            StartSystemMoveResize(code);
        }
        return;
    }
    if (part == TFramePart::Caption || event->buttons() != Qt::NoButton)
        return;
    // A frame that cannot be sized shows no sizing cursors.
    if (!FSizeable || isMaximized()) {
        picture->unsetCursor();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const Qt::CursorShape shape = FrameCursor(part, pos.x(), pos.y(), picture->width());
    if (shape == Qt::ArrowCursor)
        picture->unsetCursor();
    else
        picture->setCursor(shape);
}

void TQMForm::CaptionDblClick()
{
    if (!(FBorderIcons & biMaximize))
        return;
    if (isMaximized())
        hryrImageClick();
    else
        maxImageClick();
}

bool TQMForm::ButtonEvent(TQMButton *button, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The pressed look: one pixel right and down while a button is held.
        if (!FPressedButton) {
            FPressedButton = button;
            LayoutFrame();
        }
        return true;
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (FPressedButton == button && mouse->buttons() == Qt::NoButton) {
            FPressedButton = nullptr;
            LayoutFrame();
        }
        if (mouse->button() == Qt::LeftButton && button->rect().contains(mouse->position().toPoint()))
            ButtonClick(button);
        return true;
    }
    default:
        return false;
    }
}

void TQMForm::ButtonClick(TQMButton *button)
{
    if (button == closeImage)
        closeImageClick();
    else if (button == minImage)
        minImageClick();
    else if (button == maxImage)
        maxImageClick();
    else if (button == hryrImage)
        hryrImageClick();
}

void TQMForm::closeImageClick()
{
    // A modal dialog ends with the cancel result.
    close();
}

void TQMForm::minImageClick()
{
    TQMApplication::Instance()->Minimize();
}

void TQMForm::maxImageClick()
{
    if (maxImage->isHidden())
        return;
    const bool focused = maxImage->hasFocus();
    showMaximized();
    hryrImage->show();
    maxImage->hide();
    if (focused) // the keyboard stays on the button that took its place
        hryrImage->setFocus();
}

void TQMForm::hryrImageClick()
{
    if (hryrImage->isHidden())
        return;
    const bool focused = hryrImage->hasFocus();
    showNormal();
    hryrImage->hide();
    maxImage->show();
    if (focused)
        maxImage->setFocus();
}
