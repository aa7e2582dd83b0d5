// The frame under the desktop's high-contrast scheme: the desktop's Qt
// platform theme (qt6ct, Debian's package of that name, chosen by the test's
// environment) hands the program a white-on-black scheme from the desktop's
// configuration, and the screen shows the frame in it, with no artwork left;
// an ordinary palette brings the artwork back at once.
#include "widgets/contrast.h"
#include "desktop.h"
#include "widgets/qmform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QFile>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <memory>

using namespace desktop;

namespace {

// A colour between two others, as smoothing mixes a line into its ground.
bool Between(QRgb c, QRgb a, QRgb b)
{
    const QColor ca(a), cb(b), cc(c);
    for (qreal t = 0; t <= 1.0001; t += 1.0 / 64) {
        const QRgb mix = qRgb(qRound(ca.red() * (1 - t) + cb.red() * t), qRound(ca.green() * (1 - t) + cb.green() * t),
                              qRound(ca.blue() * (1 - t) + cb.blue() * t));
        if (Near(cc.rgb(), mix))
            return true;
    }
    return false;
}

struct Drawn {
    QString problem; // empty when the frame is drawn as it should be
    QImage screen;
};

QRect OnScreen(QWidget *part)
{
    return QRect(part->mapToGlobal(QPoint(0, 0)), part->size());
}

int CountNear(const QImage &screen, const QRect &area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += Near(screen.pixel(x, y), colour);
    return n;
}

QString Where(const char *what, QPoint at, QRgb got)
{
    return QStringLiteral("%1 at %2,%3 is %4").arg(QLatin1String(what)).arg(at.x()).arg(at.y()).arg(got, 6, 16);
}

// The frame in the palette's colours: every pixel of the caption bar, the
// sides and the bottom is the window colour, the text colour or a smoothed mix
// of the two; the bar is the window colour, the outline the text colour; the
// caption and each button carry text-coloured strokes on it.
Drawn HighContrastFrame(TQMForm &form, const QPalette &palette)
{
    Drawn d{{}, GrabScreen()};
    const QRgb window = palette.color(QPalette::Window).rgb();
    const QRgb text = palette.color(QPalette::WindowText).rgb();
    const QRect frame(form.mapToGlobal(QPoint(0, 0)), form.size());
    const QRect client = OnScreen(form.PanelQMClient);
    for (int y = frame.top(); y <= frame.bottom(); ++y) {
        for (int x = frame.left(); x <= frame.right(); ++x) {
            if (client.contains(x, y))
                continue;
            const QRgb got = d.screen.pixel(x, y);
            if (!Between(got, window, text)) {
                d.problem = Where("a frame pixel outside the palette", QPoint(x, y), got);
                return d;
            }
        }
    }
    const auto expect = [&](const char *what, QPoint at, QRgb want) {
        const QRgb got = d.screen.pixel(at);
        if (d.problem.isEmpty() && !Near(got, want))
            d.problem = Where(what, at, got);
    };
    const QRect top = OnScreen(form.ImageQMTop);
    expect("the caption bar", QPoint(top.center().x(), top.top() + 40), window);
    expect("the caption bar beside the logo", form.ImageQMTopLeft->mapToGlobal(QPoint(70, 30)), window);
    expect("the top outline", QPoint(top.center().x(), top.top()), text);
    expect("the left outline", form.ImageQMLeft->mapToGlobal(QPoint(0, 20)), text);
    expect("the right outline", form.ImageQMRight->mapToGlobal(QPoint(form.ImageQMRight->width() - 1, 20)), text);
    expect("the bottom outline", form.ImageQMBottom->mapToGlobal(QPoint(20, form.ImageQMBottom->height() - 1)), text);
    expect("the left side", form.ImageQMLeft->mapToGlobal(QPoint(5, 20)), window);
    if (!d.problem.isEmpty())
        return d;
    // Strokes: the caption's letters and each button's glyph, in the text colour.
    const std::pair<const char *, QWidget *> marked[] = {{"the caption", form.LabelQMCaption},
                                                         {"the close button", form.closeImage},
                                                         {"the maximise button", form.maxImage},
                                                         {"the minimise button", form.minImage}};
    for (const auto &[what, part] : marked) {
        const QRect area = OnScreen(part);
        const int strokes = CountNear(d.screen, area, text);
        const int ground = CountNear(d.screen, area, window);
        if (strokes < 6 || ground < area.width() * area.height() / 3) {
            d.problem = QStringLiteral("%1: %2 pixels in the text colour, %3 in the window colour")
                            .arg(QLatin1String(what))
                            .arg(strokes)
                            .arg(ground);
            return d;
        }
    }
    return d;
}

// The artwork again, at spots of the caption bar and the close button.
Drawn ArtworkFrame(TQMForm &form)
{
    Drawn d{{}, GrabScreen()};
    const struct {
        QWidget *part;
        const char *picture;
        QPoint at;      // in the part
        QPoint artwork; // in the picture
    } spots[] = {
        {form.ImageQMTopLeft, "topleft", {70, 44}, {70, 44}},   {form.ImageQMTop, "top", {12, 44}, {3, 44}},
        {form.ImageQMTopRight, "topright", {60, 24}, {60, 24}}, {form.closeImage, "close", {8, 8}, {8, 8}},
        {form.ImageQMBottom, "bottom", {20, 0}, {2, 0}},
    };
    for (const auto &spot : spots) {
        const QRgb want =
            QImage(QStringLiteral(":/loqa/frame/%1.png").arg(QLatin1String(spot.picture))).pixel(spot.artwork);
        const QPoint at = spot.part->mapToGlobal(spot.at);
        const QRgb got = d.screen.pixel(at);
        if (!Near(got, want)) {
            d.problem = Where(spot.picture, at, got) + QStringLiteral(", the artwork has %1").arg(want, 6, 16);
            return d;
        }
    }
    return d;
}

} // namespace

class TestQMContrastX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private X session (LOQA_TEST_DISPLAY)");
        // The desktop's scheme arrives through its platform theme; without it
        // the test proves nothing.
        QVERIFY2(IsHighContrast(QApplication::palette()),
                 qPrintable(QStringLiteral("the desktop's palette is not high contrast: window %1, text %2")
                                .arg(QApplication::palette().color(QPalette::Window).name(),
                                     QApplication::palette().color(QPalette::WindowText).name())));
    }

    void frame_takesTheDesktopsColours_andGivesThemBack()
    {
        const QPalette desktopPalette = QApplication::palette();
        TQMForm form;
        form.setWindowTitle(QStringLiteral(" Loquora"));
        auto *layout = new QVBoxLayout(form.PanelQMClient);
        auto *editor = new QPlainTextEdit(form.PanelQMClient);
        editor->setPlainText(QStringLiteral("The quick brown fox jumps over the lazy dog."));
        layout->addWidget(editor);
        // The keyboard in the editor: a focused caption button would show its ring.
        editor->setFocus();
        form.move(120, 140);
        form.resize(480, 330);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        Drawn d;
        bool ok = QTest::qWaitFor(
            [&] {
                d = HighContrastFrame(form, desktopPalette);
                return d.problem.isEmpty();
            },
            10000);
        SaveShot(d.screen, QStringLiteral("contrast-frame.png"));
        QVERIFY2(ok, qPrintable(d.problem));

        // An ordinary light scheme for the window at run time: the artwork and its white caption return.
        form.setPalette(QPalette(QColor(0xef, 0xef, 0xef)));
        QVERIFY(!IsHighContrast(form.palette()));
        ok = QTest::qWaitFor(
            [&] {
                d = ArtworkFrame(form);
                return d.problem.isEmpty();
            },
            10000);
        SaveShot(d.screen, QStringLiteral("contrast-frame-ordinary.png"));
        QVERIFY2(ok, qPrintable(d.problem));
        QCOMPARE(form.LabelQMCaption->palette().color(QPalette::WindowText), QColor(Qt::white));

        // And the desktop's scheme once more, inherited again.
        form.setPalette(QPalette());
        QVERIFY(IsHighContrast(form.palette()));
        ok = QTest::qWaitFor(
            [&] {
                d = HighContrastFrame(form, desktopPalette);
                return d.problem.isEmpty();
            },
            10000);
        QVERIFY2(ok, qPrintable(d.problem));
    }
};

int main(int argc, char **argv)
{
    ChoosePlatform();
    // The desktop's configuration, as its settings tool writes it: the colour
    // scheme from the tests' folder.
    QTemporaryDir config;
    const QString scheme =
        qEnvironmentVariable("LOQA_SOURCE_DIR") + QStringLiteral("/tests/widgets/highcontrast-inverse.conf");
    QDir(config.path()).mkpath(QStringLiteral("qt6ct"));
    QFile settings(config.filePath(QStringLiteral("qt6ct/qt6ct.conf")));
    if (!config.isValid() || !QFile::exists(scheme) || !settings.open(QIODevice::WriteOnly)) {
        qCritical("cannot write the desktop's configuration (scheme %s)", qPrintable(scheme));
        return 1;
    }
    settings.write("[Appearance]\ncustom_palette=true\nstyle=Fusion\ncolor_scheme_path=" + scheme.toUtf8() + "\n");
    settings.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    TestQMContrastX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qmcontrast_x11.moc"
