// The skinned frame on a real X display with a real window manager (openbox):
// what the user sees on the screen, and moving, sizing, maximising, restoring
// and minimising with the mouse (xdotool).
#include "desktop.h"
#include "widgets/qmform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace desktop;

namespace {

class FixedForm : public TQMForm
{
public:
    using TQMForm::TQMForm;

protected:
    void FormShow() override
    {
        TQMForm::FormShow();
        SetSizeable(false);
    }
};

// A form as the program's windows look: a caption and something in the client area.
template <typename Form = TQMForm>
std::unique_ptr<Form> ShowForm(QPoint at = QPoint(120, 140), QSize size = QSize(480, 330))
{
    auto form = std::make_unique<Form>();
    form->setWindowTitle(QStringLiteral(" Loquora"));
    auto *layout = new QVBoxLayout(form->PanelQMClient);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *editor = new QPlainTextEdit(form->PanelQMClient);
    editor->setPlainText(QStringLiteral("The quick brown fox jumps over the lazy dog."));
    layout->addWidget(editor);
    form->move(at);
    form->resize(size);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    form->activateWindow();
    return form;
}

QPoint Global(QWidget *widget, QPoint local)
{
    return widget->mapToGlobal(local);
}

// Sees the press, and where the pointer was when the first drag motion after
// it arrived: the window manager's drag starts from there.
struct DragSpy : QObject {
    int presses = 0;
    std::optional<QPoint> dragStart;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        else if (event->type() == QEvent::MouseMove && presses && !dragStart &&
                 (static_cast<QMouseEvent *>(event)->buttons() & Qt::LeftButton))
            dragStart = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
        return false;
    }
};

// Presses the left button at `from` and moves the pointer to `to` as a hand
// does: a little first, then the rest in steps. Returns where the drag began.
std::optional<QPoint> PressAndMove(QPoint from, QPoint to)
{
    DragSpy spy;
    qApp->installEventFilter(&spy);
    if (!MoveTo(from) || !Press() || !QTest::qWaitFor([&] { return spy.presses > 0; }, 10000))
        return std::nullopt;
    const QPoint direction(to.x() > from.x() ? 3 : -3, to.y() > from.y() ? 3 : -3);
    if (!MoveTo(from + direction) || !QTest::qWaitFor([&] { return spy.dragStart.has_value(); }, 10000))
        return std::nullopt;
    const int steps = 5;
    for (int i = 1; i <= steps; ++i) {
        if (!MoveTo(from + (to - from) * i / steps))
            return std::nullopt;
    }
    return spy.dragStart;
}

// A drag that nothing follows: press, move, let go.
bool DragAndRelease(QPoint from, QPoint to)
{
    const bool moved = PressAndMove(from, to).has_value();
    return Release() && moved;
}

// Drags from `from` to `to` and lets go once the window manager has the window
// where `expected` says for the distance the pointer travelled since the drag
// began; then waits until the toolkit knows it too.
bool Drag(QWidget *window, QPoint from, QPoint to, const std::function<QRect(QPoint)> &expected)
{
    const std::optional<QPoint> began = PressAndMove(from, to);
    if (!began) {
        Release();
        return false;
    }
    const QRect target = expected(to - *began);
    const WId id = window->winId();
    const bool there = QTest::qWaitFor(
        [&] {
            if (XGeometry(id) == target)
                return true;
            MoveTo(to + QPoint(1, 0));
            MoveTo(to);
            return XGeometry(id) == target;
        },
        10000);
    if (!Release() || !there) {
        qWarning() << "the window manager has the window at" << XGeometry(id) << "not at" << target;
        return false;
    }
    return QTest::qWaitFor([&] { return window->geometry() == target; }, 10000);
}

// Maximised: the whole width of the screen, down to its bottom (a panel may keep the top).
bool FillsScreen(QWidget *window)
{
    const QRect screen = window->screen()->geometry();
    const QRect g = window->geometry();
    return g.left() == screen.left() && g.right() == screen.right() && g.bottom() == screen.bottom() &&
           g.height() >= screen.height() - 40;
}

// Compares the screen with the artwork at spots of every frame picture; an
// empty text when all of them match. Stretched strips repeat their artwork
// along the stretch, so any spot along it shows the same colour.
QString FrameMismatch(TQMForm &form, const QImage &screen, bool maximized)
{
    struct Spot {
        QWidget *part;
        QString picture;
        QPoint at;      // in the part
        QPoint artwork; // in the picture
    };
    const int w = form.width();
    const int h = form.height() - 61; // height of the sides
    const std::vector<Spot> spots = {
        {form.ImageQMTopLeft, "topleft", {0, 30}, {0, 30}},
        {form.ImageQMTopLeft, "topleft", {70, 44}, {70, 44}},
        {form.ImageQMTop, "top", {12, 44}, {3, 44}},
        {form.ImageQMTopRight, "topright", {96, 44}, {96, 44}},
        {form.ImageQMTopRight, "topright", {60, 24}, {60, 24}},
        {form.ImageQMLogo, "logo", {24, 24}, {24, 24}},
        {form.closeImage, "close", {8, 8}, {8, 8}},
        {form.minImage, "min", {8, 11}, {8, 11}},
        {maximized ? form.hryrImage : form.maxImage, maximized ? "restore" : "max", {8, 10}, {8, 10}},
        {maximized ? form.hryrImage : form.maxImage, maximized ? "restore" : "max", {4, 8}, {4, 8}},
        {form.ImageQMLeft, "left", {1, h / 2}, {1, 3}},
        {form.ImageQMRight, "right", {0, h / 3}, {0, 3}},
        {form.ImageQMRight, "right", {12, h / 2}, {12, 3}},
        {form.ImageQMBottom, "bottom", {w / 2, 0}, {2, 0}},
        {form.ImageQMBottomLeft, "bottomleft", {1, 5}, {1, 5}},
        {form.ImageQMBottomRight, "bottomright", {8, 2}, {8, 2}},
        {form.ImageQMBottomRight, "bottomright", {12, 11}, {12, 11}},
    };
    for (const Spot &spot : spots) {
        const QImage art(QStringLiteral(":/loqa/frame/%1.png").arg(spot.picture));
        const QRgb want = art.pixel(spot.artwork);
        if (qAlpha(want) != 255)
            return QStringLiteral("%1 at %2,%3 is not opaque in the artwork")
                .arg(spot.picture)
                .arg(spot.artwork.x())
                .arg(spot.artwork.y());
        const QPoint onScreen = spot.part->mapToGlobal(spot.at);
        const QRgb got = screen.pixel(onScreen);
        if (!Near(got, want))
            return QStringLiteral("%1 at %2,%3 (screen %4,%5): got %6, want %7")
                .arg(spot.picture)
                .arg(spot.at.x())
                .arg(spot.at.y())
                .arg(onScreen.x())
                .arg(onScreen.y())
                .arg(got, 6, 16)
                .arg(want, 6, 16);
    }
    return {};
}

} // namespace

class TestQMFormX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private X session (LOQA_TEST_DISPLAY)"); }

    void frame_isDrawnWhereItsPicturesBelong()
    {
        auto form = ShowForm();
        QVERIFY(form);
        QString mismatch;
        QImage screen;
        const auto drawn = [&](bool maximized) {
            screen = GrabScreen();
            mismatch = FrameMismatch(*form, screen, maximized);
            return mismatch.isEmpty();
        };
        bool ok = QTest::qWaitFor([&] { return drawn(false); }, 10000);
        SaveShot(screen, QStringLiteral("frame-normal.png"));
        SaveShot(screen.copy(form->geometry().adjusted(0, 0, 0, 49 - form->height())).scaled(form->width() * 3, 49 * 3),
                 QStringLiteral("frame-normal-caption-x3.png"));
        QVERIFY2(ok, qPrintable(mismatch));

        // Maximised, the frame fills the screen and shows the restore button.
        QVERIFY(Click(Global(form->maxImage, QPoint(8, 8))));
        QTRY_VERIFY(form->isMaximized());
        QTRY_VERIFY_WITH_TIMEOUT(FillsScreen(form.get()), 10000);
        ok = QTest::qWaitFor([&] { return drawn(true); }, 10000);
        SaveShot(screen, QStringLiteral("frame-maximized.png"));
        QVERIFY2(ok, qPrintable(mismatch));
    }

    void caption_dragMovesTheWindow()
    {
        auto form = ShowForm();
        QVERIFY(form);
        const QRect start = form->geometry();
        // Below the sizing rows of the caption strip.
        QVERIFY(Drag(form.get(), Global(form->ImageQMTop, QPoint(30, 30)), Global(form->ImageQMTop, QPoint(150, 110)),
                     [&](QPoint d) { return start.translated(d); }));
        // The caption text moves it as well.
        const QRect moved = form->geometry();
        QVERIFY(Drag(form.get(), Global(form->LabelQMCaption, QPoint(5, 5)),
                     Global(form->LabelQMCaption, QPoint(-55, 35)), [&](QPoint d) { return moved.translated(d); }));
    }

    void logo_doesNotReactToTheMouse()
    {
        auto form = ShowForm();
        QVERIFY(form);
        const QRect start = form->geometry();
        const QPoint logo = Global(form->ImageQMLogo, QPoint(24, 24));
        QVERIFY(DragAndRelease(logo, logo + QPoint(60, 60)));
        // A drag on the caption afterwards starts from where the window was.
        QVERIFY(Drag(form.get(), Global(form->ImageQMTop, QPoint(30, 30)), Global(form->ImageQMTop, QPoint(40, 40)),
                     [&](QPoint d) { return start.translated(d); }));
    }

    void corner_dragResizes_andStopsAtTheMinimum()
    {
        auto form = ShowForm();
        QVERIFY(form);
        const QRect start = form->geometry();
        QVERIFY(Drag(form.get(), Global(form->ImageQMBottomRight, QPoint(6, 6)),
                     Global(form->ImageQMBottomRight, QPoint(106, 66)),
                     [&](QPoint d) { return start.adjusted(0, 0, d.x(), d.y()); }));
        // The frame follows the new size.
        QCOMPARE(form->ImageQMBottomRight->mapTo(form.get(), QPoint(0, 0)),
                 QPoint(form->width() - 13, form->height() - 12));
        QCOMPARE(form->closeImage->mapTo(form.get(), QPoint(0, 0)), QPoint(form->width() - 97 + 75, 5));
        // Far below the minimum: the window stops there.
        QVERIFY(Drag(form.get(), Global(form->ImageQMBottomRight, QPoint(6, 6)),
                     Global(form->ImageQMBottomRight, QPoint(-500, -400)),
                     [&](QPoint) { return QRect(start.topLeft(), QSize(250, 115)); }));
        QCOMPARE(form->size(), QSize(form->MinWidth(), form->MinHeight()));
    }

    void topRows_sizeAResizableFrame_andMoveAFixedOne()
    {
        auto form = ShowForm();
        QVERIFY(form);
        QRect start = form->geometry();
        QVERIFY(Drag(form.get(), Global(form->ImageQMTop, QPoint(40, 3)), Global(form->ImageQMTop, QPoint(40, -47)),
                     [&](QPoint d) { return start.adjusted(0, d.y(), 0, 0); }));
        // The sizing cursors come with the sizing zones.
        QVERIFY(MoveTo(Global(form->ImageQMRight, QPoint(5, 40))));
        QTRY_COMPARE(form->ImageQMRight->cursor().shape(), Qt::SizeHorCursor);
        QVERIFY(MoveTo(Global(form->ImageQMTopLeft, QPoint(2, 2))));
        QTRY_COMPARE(form->ImageQMTopLeft->cursor().shape(), Qt::SizeFDiagCursor);

        auto fixed = ShowForm<FixedForm>(QPoint(300, 200));
        QVERIFY(fixed);
        start = fixed->geometry();
        QVERIFY(Drag(fixed.get(), Global(fixed->ImageQMTop, QPoint(40, 3)), Global(fixed->ImageQMTop, QPoint(40, -47)),
                     [&](QPoint d) { return start.translated(d); }));
    }

    void fixedFrame_movesButDoesNotResize()
    {
        auto form = ShowForm<FixedForm>();
        QVERIFY(form);
        QVERIFY(!form->Sizeable());
        const QRect start = form->geometry();
        // The corner does nothing: the caption drag afterwards finds the window as it was.
        const QPoint corner = Global(form->ImageQMBottomRight, QPoint(6, 6));
        QVERIFY(DragAndRelease(corner, corner + QPoint(80, 50)));
        const QPoint edge = Global(form->ImageQMRight, QPoint(5, 40));
        QVERIFY(DragAndRelease(edge, edge + QPoint(80, 0)));
        QVERIFY(Drag(form.get(), Global(form->ImageQMTop, QPoint(30, 30)), Global(form->ImageQMTop, QPoint(70, 50)),
                     [&](QPoint d) { return start.translated(d); }));
        // No sizing cursor on a fixed frame.
        QVERIFY(MoveTo(Global(form->ImageQMRight, QPoint(5, 40))));
        QVERIFY(MoveTo(Global(form->ImageQMRight, QPoint(6, 41))));
        QTRY_COMPARE(form->ImageQMRight->cursor().shape(), Qt::ArrowCursor);
    }

    void maximiseAndRestore_swapTheirButtons()
    {
        auto form = ShowForm();
        QVERIFY(form);
        const QRect normal = form->geometry();
        QVERIFY(Click(Global(form->maxImage, QPoint(8, 8))));
        QTRY_VERIFY(form->isMaximized());
        QTRY_VERIFY_WITH_TIMEOUT(FillsScreen(form.get()), 10000);
        QVERIFY(form->hryrImage->isVisible());
        QVERIFY(!form->maxImage->isVisible());
        const QRect maximized = form->geometry();
        // A maximised window neither moves nor sizes.
        const QPoint caption = Global(form->ImageQMTop, QPoint(30, 30));
        QVERIFY(DragAndRelease(caption, caption + QPoint(50, 50)));
        const QPoint corner = Global(form->ImageQMBottomRight, QPoint(6, 6));
        QVERIFY(DragAndRelease(corner, corner - QPoint(200, 200)));
        QCOMPARE(XGeometry(form->winId()), maximized);
        // A double click on the caption restores it.
        QVERIFY(MoveTo(Global(form->ImageQMTop, QPoint(30, 30))));
        QVERIFY(Xdo({"click", "--repeat", "2", "--delay", "60", "1"}));
        QTRY_VERIFY(!form->isMaximized());
        QTRY_COMPARE_WITH_TIMEOUT(form->geometry(), normal, 10000);
        QVERIFY(form->maxImage->isVisible());
        QVERIFY(!form->hryrImage->isVisible());
        // A double click on the caption of a normal window maximises it.
        QVERIFY(MoveTo(Global(form->LabelQMCaption, QPoint(4, 4))));
        QVERIFY(Xdo({"click", "--repeat", "2", "--delay", "60", "1"}));
        QTRY_VERIFY(form->isMaximized());
        QTRY_VERIFY_WITH_TIMEOUT(FillsScreen(form.get()), 10000);
        QVERIFY(Click(Global(form->hryrImage, QPoint(8, 8))));
        QTRY_VERIFY(!form->isMaximized());
        QTRY_COMPARE_WITH_TIMEOUT(form->geometry(), normal, 10000);
    }

    void minimise_takesTheWholeApplicationDown()
    {
        auto form = ShowForm();
        auto other = ShowForm(QPoint(500, 300), QSize(300, 200));
        QVERIFY(form && other);
        int minimizeEvents = 0;
        connect(TQMApplication::Instance(), &TQMApplication::OnMinimize, form.get(), [&] { ++minimizeEvents; });
        QVERIFY(Click(Global(form->minImage, QPoint(8, 8))));
        QTRY_VERIFY(form->isMinimized());
        QTRY_VERIFY(other->isMinimized());
        QCOMPARE(minimizeEvents, 1);
        // Really iconified by the window manager: no longer on the screen.
        QTRY_VERIFY_WITH_TIMEOUT(!form->windowHandle()->isExposed(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!other->windowHandle()->isExposed(), 10000);
        form->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
};

int main(int argc, char **argv)
{
    ChoosePlatform();
    QApplication app(argc, argv);
    TestQMFormX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qmform_x11.moc"
