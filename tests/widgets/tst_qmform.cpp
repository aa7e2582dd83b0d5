// The skinned frame without a window system: its zone and cursor tables, its
// layout, its buttons and its show handling, on the offscreen platform.
#include "widgets/contrast.h"
#include "widgets/qmform.h"
#include "widgets/qmzones.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace qmframe;

Q_DECLARE_METATYPE(TFramePart)
Q_DECLARE_METATYPE(THitCode)
Q_DECLARE_METATYPE(Qt::CursorShape)
Q_DECLARE_METATYPE(TBorderIcons)

namespace {

// The main window's pattern: the frame's show handling first, then its own limits.
class MainLikeForm : public TQMForm
{
public:
    using TQMForm::TQMForm;

protected:
    void FormShow() override
    {
        TQMForm::FormShow();
        SetMinWidth(340);
        SetMinHeight(120);
    }
};

// The prompt's pattern: a dialog with only the close button that cannot be sized.
class FixedDialog : public TQMForm
{
public:
    FixedDialog() : TQMForm(nullptr, Qt::Dialog) { SetBorderIcons(biSystemMenu); }

protected:
    void FormShow() override
    {
        TQMForm::FormShow();
        SetSizeable(false);
    }
};

} // namespace

class TestQMForm : public QObject
{
    Q_OBJECT
private slots:
    void hitTest_data()
    {
        QTest::addColumn<TFramePart>("part");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("w");
        QTest::addColumn<bool>("sizeable");
        QTest::addColumn<THitCode>("code");
        // The caption strip: its top rows size, the rest moves; fixed frames only move.
        QTest::newRow("top, upper rows") << TFramePart::Top << 50 << 7 << 200 << true << HTTOP;
        QTest::newRow("top, below the rows") << TFramePart::Top << 50 << 8 << 200 << true << HTCAPTION;
        QTest::newRow("top, fixed") << TFramePart::Top << 50 << 0 << 200 << false << HTCAPTION;
        // The left caption picture: the corner before the edges.
        QTest::newRow("top-left, corner") << TFramePart::TopLeft << 7 << 7 << 81 << true << HTTOPLEFT;
        QTest::newRow("top-left, left edge") << TFramePart::TopLeft << 0 << 30 << 81 << true << HTLEFT;
        QTest::newRow("top-left, top edge") << TFramePart::TopLeft << 8 << 0 << 81 << true << HTTOP;
        QTest::newRow("top-left, inside") << TFramePart::TopLeft << 8 << 8 << 81 << true << HTCAPTION;
        QTest::newRow("top-left, fixed corner") << TFramePart::TopLeft << 0 << 0 << 81 << false << HTCAPTION;
        // The right caption picture: the zone is measured from its own width.
        QTest::newRow("top-right, corner") << TFramePart::TopRight << 89 << 7 << 97 << true << HTTOPRIGHT;
        QTest::newRow("top-right, right edge") << TFramePart::TopRight << 96 << 40 << 97 << true << HTRIGHT;
        QTest::newRow("top-right, left of the edge") << TFramePart::TopRight << 88 << 40 << 97 << true << HTCAPTION;
        QTest::newRow("top-right, top edge") << TFramePart::TopRight << 88 << 3 << 97 << true << HTTOP;
        QTest::newRow("top-right, fixed") << TFramePart::TopRight << 96 << 0 << 97 << false << HTCAPTION;
        QTest::newRow("caption label") << TFramePart::Caption << 0 << 0 << 60 << true << HTCAPTION;
        QTest::newRow("caption label, fixed") << TFramePart::Caption << 0 << 0 << 60 << false << HTCAPTION;
        // Sides and bottom size a sizeable frame and do nothing on a fixed one.
        QTest::newRow("left") << TFramePart::Left << 5 << 100 << 10 << true << HTLEFT;
        QTest::newRow("right") << TFramePart::Right << 5 << 100 << 13 << true << HTRIGHT;
        QTest::newRow("bottom") << TFramePart::Bottom << 5 << 5 << 300 << true << HTBOTTOM;
        QTest::newRow("bottom-left") << TFramePart::BottomLeft << 5 << 5 << 10 << true << HTBOTTOMLEFT;
        QTest::newRow("bottom-right") << TFramePart::BottomRight << 5 << 5 << 13 << true << HTBOTTOMRIGHT;
        QTest::newRow("left, fixed") << TFramePart::Left << 5 << 100 << 10 << false << HTNOWHERE;
        QTest::newRow("bottom-right, fixed") << TFramePart::BottomRight << 5 << 5 << 13 << false << HTNOWHERE;
    }

    void hitTest()
    {
        QFETCH(TFramePart, part);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, w);
        QFETCH(bool, sizeable);
        QFETCH(THitCode, code);
        QCOMPARE(FrameHitTest(part, x, y, w, sizeable), code);
    }

    void cursor_data()
    {
        QTest::addColumn<TFramePart>("part");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("w");
        QTest::addColumn<Qt::CursorShape>("shape");
        QTest::newRow("top, upper rows") << TFramePart::Top << 40 << 7 << 200 << Qt::SizeVerCursor;
        QTest::newRow("top, below") << TFramePart::Top << 40 << 8 << 200 << Qt::ArrowCursor;
        QTest::newRow("top-left, corner") << TFramePart::TopLeft << 3 << 3 << 81 << Qt::SizeFDiagCursor;
        QTest::newRow("top-left, top") << TFramePart::TopLeft << 30 << 3 << 81 << Qt::SizeVerCursor;
        QTest::newRow("top-left, left") << TFramePart::TopLeft << 3 << 30 << 81 << Qt::SizeHorCursor;
        QTest::newRow("top-left, inside") << TFramePart::TopLeft << 30 << 30 << 81 << Qt::ArrowCursor;
        QTest::newRow("top-right, corner") << TFramePart::TopRight << 90 << 3 << 97 << Qt::SizeBDiagCursor;
        QTest::newRow("top-right, top") << TFramePart::TopRight << 30 << 3 << 97 << Qt::SizeVerCursor;
        QTest::newRow("top-right, right") << TFramePart::TopRight << 89 << 30 << 97 << Qt::SizeHorCursor;
        QTest::newRow("top-right, inside") << TFramePart::TopRight << 88 << 30 << 97 << Qt::ArrowCursor;
        QTest::newRow("left") << TFramePart::Left << 0 << 0 << 10 << Qt::SizeHorCursor;
        QTest::newRow("right") << TFramePart::Right << 0 << 0 << 13 << Qt::SizeHorCursor;
        QTest::newRow("bottom") << TFramePart::Bottom << 0 << 0 << 300 << Qt::SizeVerCursor;
        QTest::newRow("bottom-left") << TFramePart::BottomLeft << 0 << 0 << 10 << Qt::SizeBDiagCursor;
        QTest::newRow("bottom-right") << TFramePart::BottomRight << 0 << 0 << 13 << Qt::SizeFDiagCursor;
    }

    void cursor()
    {
        QFETCH(TFramePart, part);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, w);
        QFETCH(Qt::CursorShape, shape);
        QCOMPARE(FrameCursor(part, x, y, w), shape);
    }

    void captionLeft_truncatesTowardZero()
    {
        QCOMPARE(CaptionLeft(392, 100), 136);
        QCOMPARE(CaptionLeft(393, 100), 136);
        // A caption wider than the form: -5 / 2 is -2, not -3.
        QCOMPARE(CaptionLeft(100, 105), -12);
    }

    void layout_placesEveryPicture()
    {
        TQMForm form;
        form.setWindowTitle(QStringLiteral(" Loquora"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(392, 273));
        for (const QSize size : {QSize(392, 273), QSize(640, 410)}) {
            form.resize(size);
            const int w = size.width();
            const int h = size.height();
            QCOMPARE(form.PanelQMTop->geometry(), QRect(0, 0, w, 49));
            QCOMPARE(form.ImageQMTopLeft->geometry(), QRect(0, 0, 81, 49));
            QCOMPARE(form.ImageQMTopRight->geometry(), QRect(w - 97, 0, 97, 49));
            QCOMPARE(form.ImageQMTop->geometry(), QRect(81, 0, w - 81 - 97, 49));
            QCOMPARE(form.ImageQMLogo->geometry(), QRect(9, 1, 48, 48));
            QCOMPARE(form.closeImage->geometry(), QRect(w - 97 + 75, 5, 17, 17));
            QCOMPARE(form.maxImage->geometry(), QRect(w - 97 + 55, 5, 17, 17));
            QCOMPARE(form.hryrImage->geometry(), form.maxImage->geometry());
            QCOMPARE(form.minImage->geometry(), QRect(w - 97 + 35, 5, 17, 17));
            QCOMPARE(form.ImageQMLeft->geometry(), QRect(0, 49, 10, h - 61));
            QCOMPARE(form.ImageQMRight->geometry(), QRect(w - 13, 49, 13, h - 61));
            QCOMPARE(form.PanelQMBottom->geometry(), QRect(0, h - 12, w, 12));
            QCOMPARE(form.ImageQMBottomLeft->geometry(), QRect(0, 0, 10, 12));
            QCOMPARE(form.ImageQMBottomRight->geometry(), QRect(w - 13, 0, 13, 12));
            QCOMPARE(form.ImageQMBottom->geometry(), QRect(10, 0, w - 23, 12));
            QCOMPARE(form.PanelQMClient->geometry(), QRect(10, 49, w - 23, h - 61));
            // The caption follows the form's centre.
            QCOMPARE(form.LabelQMCaption->text(), QStringLiteral(" Loquora"));
            QCOMPARE(form.LabelQMCaption->pos(), QPoint(CaptionLeft(w, form.LabelQMCaption->width()), 10));
        }
        QCOMPARE(form.minImage->toolTip(), QStringLiteral("Minimize"));
        QCOMPARE(form.maxImage->toolTip(), QStringLiteral("Maximize"));
        QCOMPARE(form.hryrImage->toolTip(), QStringLiteral("Restore"));
        QCOMPARE(form.closeImage->toolTip(), QStringLiteral("Close"));
        // The maximise button lies above the restore button.
        QVERIFY(form.PanelQMTop->childAt(form.maxImage->geometry().center()) == form.maxImage);
    }

    void buttons_followBorderIcons_data()
    {
        QTest::addColumn<TBorderIcons>("icons");
        QTest::addColumn<bool>("close");
        QTest::addColumn<bool>("min");
        QTest::addColumn<bool>("max");
        QTest::newRow("all") << (biSystemMenu | biMinimize | biMaximize) << true << true << true;
        QTest::newRow("system menu only") << TBorderIcons(biSystemMenu) << true << false << false;
        QTest::newRow("no maximise") << (biSystemMenu | biMinimize) << true << true << false;
        QTest::newRow("no system menu") << (biMinimize | biMaximize) << false << true << true;
    }

    void buttons_followBorderIcons()
    {
        QFETCH(TBorderIcons, icons);
        QFETCH(bool, close);
        QFETCH(bool, min);
        QFETCH(bool, max);
        TQMForm form;
        form.SetBorderIcons(icons);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.closeImage->isVisible(), close);
        QCOMPARE(form.minImage->isVisible(), min);
        QCOMPARE(form.maxImage->isVisible(), max);
        QVERIFY(!form.hryrImage->isVisible());
        // Double-clicking the caption maximises only a form with the maximise icon.
        QTest::mouseDClick(form.LabelQMCaption, Qt::LeftButton);
        QTRY_COMPARE(form.isMaximized(), max);
        if (max) {
            QVERIFY(form.hryrImage->isVisible());
            QVERIFY(!form.maxImage->isVisible());
            QTest::mouseDClick(form.ImageQMTop, Qt::LeftButton, {}, QPoint(20, 30));
            QTRY_VERIFY(!form.isMaximized());
            QVERIFY(form.maxImage->isVisible());
        }
    }

    void maxAndRestoreButtons_swap()
    {
        TQMForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseClick(form.maxImage, Qt::LeftButton);
        QTRY_VERIFY(form.isMaximized());
        QVERIFY(form.hryrImage->isVisible());
        QVERIFY(!form.maxImage->isVisible());
        QTest::mouseClick(form.hryrImage, Qt::LeftButton);
        QTRY_VERIFY(!form.isMaximized());
        QVERIFY(form.maxImage->isVisible());
        QVERIFY(!form.hryrImage->isVisible());
        // Shown again while maximised, the form offers the restore button.
        form.hide();
        form.showMaximized();
        QTRY_VERIFY(form.isMaximized());
        QVERIFY(form.hryrImage->isVisible());
        QVERIFY(!form.maxImage->isVisible());
        // A right click is no click.
        QTest::mouseClick(form.hryrImage, Qt::RightButton);
        QVERIFY(form.isMaximized());
    }

    void buttons_lookPressedWhileHeld()
    {
        TQMForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint home = form.closeImage->pos();
        QTest::mousePress(form.closeImage, Qt::LeftButton);
        QCOMPARE(form.closeImage->pos(), home + QPoint(1, 1));
        // Released outside the button: it springs back and nothing is clicked.
        QTest::mouseRelease(form.closeImage, Qt::LeftButton, {}, QPoint(40, 40));
        QCOMPARE(form.closeImage->pos(), home);
        QVERIFY(form.isVisible());
        QTest::mousePress(form.minImage, Qt::RightButton);
        QCOMPARE(form.minImage->pos(), form.closeImage->pos() - QPoint(40, 0) + QPoint(1, 1));
        QTest::mouseRelease(form.minImage, Qt::RightButton);
        QVERIFY(!form.isMinimized());
    }

    void closeButton_cancelsModalDialog()
    {
        FixedDialog dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.open();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The prompt's frame: only the close button, fixed size.
        QVERIFY(!dialog.minImage->isVisible());
        QVERIFY(!dialog.maxImage->isVisible());
        QVERIFY(!dialog.Sizeable());
        QTest::mouseClick(dialog.closeImage, Qt::LeftButton);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    void escape_leavesMainWindowOpen()
    {
        TQMForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(&form, Qt::Key_Escape);
        QVERIFY(form.isVisible());
    }

    void show_setsFrameDefaultsThenDescendantsOwn()
    {
        MainLikeForm form;
        form.SetSizeable(false);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.Sizeable());
        QCOMPARE(form.MinWidth(), 340);
        QCOMPARE(form.MinHeight(), 120);
        form.resize(200, 90);
        QTRY_COMPARE(form.size(), QSize(340, 120));
        form.hide();
        form.SetMinWidth(600);
        form.show();
        QCOMPARE(form.MinWidth(), 340);

        TQMForm plain;
        plain.SetMinWidth(500);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        QCOMPARE(plain.MinWidth(), 250);
        QCOMPARE(plain.MinHeight(), 115);
        plain.resize(100, 100);
        QTRY_COMPARE(plain.size(), QSize(250, 115));
    }

    void captionFollowsTitle()
    {
        TQMForm form;
        form.setWindowTitle(QStringLiteral("Short"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.setWindowTitle(QStringLiteral(" Select a folder as the default"));
        QCOMPARE(form.LabelQMCaption->text(), QStringLiteral(" Select a folder as the default"));
        QCOMPARE(form.LabelQMCaption->x(), CaptionLeft(form.width(), form.LabelQMCaption->width()));
    }

    void minimise_takesAllWindowsDown()
    {
        TQMForm main;
        TQMForm other;
        TQMForm hidden;
        main.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QSignalSpy minimized(TQMApplication::Instance(), &TQMApplication::OnMinimize);
        QTest::mouseClick(main.minImage, Qt::LeftButton);
        QTRY_VERIFY(main.isMinimized());
        QTRY_VERIFY(other.isMinimized());
        QVERIFY(!hidden.isVisible());
        QCOMPARE(minimized.size(), 1);
    }

    void pictures_haveTheirSizesAtEveryScale_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("size");
        QTest::newRow("top-left") << "topleft" << QSize(81, 49);
        QTest::newRow("top-right") << "topright" << QSize(97, 49);
        QTest::newRow("logo") << "logo" << QSize(48, 48);
        QTest::newRow("bottom-left") << "bottomleft" << QSize(10, 12);
        QTest::newRow("bottom-right") << "bottomright" << QSize(13, 12);
        QTest::newRow("close") << "close" << QSize(17, 17);
        QTest::newRow("restore") << "restore" << QSize(17, 17);
    }

    void pictures_haveTheirSizesAtEveryScale()
    {
        QFETCH(QString, picture);
        QFETCH(QSize, size);
        QWidget parent;
        TQMImage image(QStringLiteral("probe"), picture, &parent);
        QCOMPARE(image.PictureFor(1.0).size(), size);
        QCOMPARE(image.PictureFor(1.25).size(), size * 2);
        QCOMPARE(image.PictureFor(2.0).size(), size * 2);
        QCOMPARE(image.PictureFor(3.0).size(), size * 3);
        QCOMPARE(image.PictureFor(4.0).size(), size * 3);
    }

    void highContrast_data()
    {
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<bool>("high");
        QTest::newRow("white on black") << QColor(Qt::black) << QColor(Qt::white) << true;
        QTest::newRow("black on white") << QColor(Qt::white) << QColor(Qt::black) << true;
        QTest::newRow("nearly black and white") << QColor(0x1a, 0x1a, 0x1a) << QColor(0xf5, 0xf5, 0xf5) << true;
        QTest::newRow("light grey window") << QColor(0xef, 0xef, 0xef) << QColor(Qt::black) << false;
        QTest::newRow("dark grey window") << QColor(0x35, 0x35, 0x35) << QColor(0xee, 0xee, 0xec) << false;
        QTest::newRow("softened text") << QColor(Qt::black) << QColor(0xdd, 0xdd, 0xdd) << false;
        QTest::newRow("yellow on black") << QColor(Qt::black) << QColor(Qt::yellow) << true;
        QTest::newRow("blue on black") << QColor(Qt::black) << QColor(Qt::blue) << false;
        QTest::newRow("white on white") << QColor(Qt::white) << QColor(Qt::white) << false;
    }

    // The scheme is judged from the window and its text, whatever the other roles say.
    void highContrast()
    {
        QFETCH(QColor, window);
        QFETCH(QColor, text);
        QFETCH(bool, high);
        QPalette palette(QColor(0x80, 0x80, 0x80));
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        QCOMPARE(IsHighContrast(palette), high);
    }
};

QTEST_MAIN(TestQMForm)
#include "tst_qmform.moc"
