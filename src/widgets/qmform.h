#pragma once

#include "widgets/qmzones.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPixmap>

#include <array>

class QLabel;
class QPainter;

// One picture of the frame, drawn stretched over the whole widget from the
// variant (1x, 2x, 3x) that suits the screen's pixel density.
class TQMImage : public QWidget
{
    Q_OBJECT
public:
    // `picture` names the artwork in the resources (":/loqa/frame/<picture>.png").
    TQMImage(const QString &name, const QString &picture, QWidget *parent);

    // The stored variant used at a device pixel ratio.
    const QPixmap &PictureFor(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<QPixmap, 3> FPictures;
    // The window's outer edges this part lies on, and whether it closes the
    // caption bar towards the client area: where a high-contrast frame draws its lines.
    Qt::Edges FOuterEdges;
    bool FEndsCaption;
};

// A caption button of the frame (close, minimise, maximise, restore): its
// picture, pressed by the mouse through the form's frame handling, by Space
// once it has the focus, and by assistive tools through its press action.
// `caption` is what a screen reader calls it.
class TQMButton : public QAbstractButton
{
    Q_OBJECT
public:
    TQMButton(const QString &name, const QString &picture, const QString &caption, QWidget *parent);

    const QPixmap &PictureFor(qreal devicePixelRatio) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void PaintGlyph(QPainter &p) const;

    QString FPicture;
    std::array<QPixmap, 3> FPictures;
};

enum TBorderIcon { biSystemMenu = 0x1, biMinimize = 0x2, biMaximize = 0x4 };
Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBorderIcons)

// The application as a whole: minimising it takes every window of the program
// down together, then tells whoever listens (the main window's tray handling).
class TQMApplication : public QObject
{
    Q_OBJECT
public:
    static TQMApplication *Instance();
    void Minimize();

signals:
    void OnMinimize();

private:
    using QObject::QObject;
};

// The base window of Loquora: no system frame; pictures draw the caption bar and
// the borders, and the window moves, sizes, maximises, restores, minimises and
// closes through them. Descendants put their controls into PanelQMClient and
// adjust the frame in their FormShow after calling this one.
class TQMForm : public QDialog
{
    Q_OBJECT
public:
    // `type` is Qt::Window for a main window, Qt::Dialog for a dialog over `parent`.
    explicit TQMForm(QWidget *parent = nullptr, Qt::WindowType type = Qt::Window);
    ~TQMForm() override;

    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int value);
    bool Sizeable() const { return FSizeable; }
    void SetSizeable(bool value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);

    // The frame's parts, owned by the form.
    QWidget *PanelQMTop;
    TQMImage *ImageQMTopLeft;
    TQMImage *ImageQMTopRight;
    TQMImage *ImageQMTop;
    TQMImage *ImageQMLogo;
    QLabel *LabelQMCaption;
    TQMButton *hryrImage;
    TQMButton *maxImage;
    TQMButton *minImage;
    TQMButton *closeImage;
    TQMImage *ImageQMLeft;
    TQMImage *ImageQMRight;
    QWidget *PanelQMBottom;
    TQMImage *ImageQMBottomLeft;
    TQMImage *ImageQMBottomRight;
    TQMImage *ImageQMBottom;
    QWidget *PanelQMClient;

protected:
    // Runs each time the form is shown, before it appears.
    virtual void FormShow();
    // Runs after every change of size.
    virtual void FormResize();
    // Runs when the window's colours change (the desktop's scheme, or the
    // application's palette), after the frame has taken them.
    virtual void FormPaletteChange() {}

    void closeImageClick();
    void minImageClick();
    void maxImageClick();
    void hryrImageClick();

    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TQMImage *AddImage(const char *name, const char *picture, QWidget *parent);
    TQMButton *AddButton(const char *name, const char *picture, const QString &caption);
    void LayoutFrame();
    void CentreCaption();
    void ShowMaximizeButtons();
    void ApplyFrameColours();
    void ResetFrameCursors();
    bool IsFramePart(QObject *object, qmframe::TFramePart &part) const;
    void FrameMouseDown(QWidget *picture, qmframe::TFramePart part, QMouseEvent *event);
    void StartSystemMoveResize(qmframe::THitCode code);
    void FrameMouseMove(QWidget *picture, qmframe::TFramePart part, QMouseEvent *event);
    void CaptionDblClick();
    bool ButtonEvent(TQMButton *button, QEvent *event);
    void ButtonClick(TQMButton *button);

    int FMinWidth = 250;
    int FMinHeight = 115;
    bool FSizeable = true;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    Qt::WindowType FWindowType;
    // Button places, relative to the left edge of ImageQMTopRight.
    int FCloseOffset = 75;
    int FMaxOffset = 55;
    int FMinOffset = 35;
    TQMButton *FPressedButton = nullptr;
    // A press on the frame waiting for the pointer to move before the window
    // manager takes over; HTNOWHERE when none is.
    qmframe::THitCode FPendingCode = qmframe::HTNOWHERE;
    QPointF FPressPosition;
};
