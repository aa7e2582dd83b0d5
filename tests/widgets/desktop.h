#pragma once

// Helpers for the tests that drive the real desktop of the private session:
// xdotool for the mouse, xclip as another program owning the clipboard.

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include "testsupport.h"

namespace desktop {

// Chooses the window system before the application object exists: the
// session's X display when there is one, the offscreen platform otherwise
// (the tests then skip themselves).
inline void ChoosePlatform()
{
    if (qEnvironmentVariableIsEmpty("LOQA_TEST_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else
        qputenv("QT_QPA_PLATFORM", "xcb");
}

// The whole screen as the user sees it, and a copy kept for looking at when
// LOQA_SCREENSHOT_DIR is set.
inline QImage GrabScreen()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

inline void SaveShot(const QImage &shot, const QString &name)
{
    const QString dir = qEnvironmentVariable("LOQA_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        shot.save(QDir(dir).filePath(name));
}

// Two colours the same but for rounding.
inline bool Near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 && qAbs(qBlue(a) - qBlue(b)) <= 2;
}

using ::HaveDisplay;

// Runs a program to its end while this program goes on handling its events,
// so that a press or a drag it makes reaches our windows while it runs.
inline bool Run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess p;
    // xclip leaves a helper behind that keeps the clipboard: it must not hold our pipes.
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, arguments);
    if (!p.waitForStarted(10000))
        return false;
    if (!input.isNull()) {
        p.write(input);
        p.closeWriteChannel();
    }
    QElapsedTimer clock;
    clock.start();
    // The end may be noticed inside processEvents, after which waitForFinished
    // no longer reports it: ask the state.
    while (p.state() != QProcess::NotRunning) {
        if (p.waitForFinished(5))
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (clock.elapsed() > 20000) {
            p.kill();
            p.waitForFinished(2000);
            return false;
        }
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The output of a short program, or nothing when it failed.
inline QByteArray Output(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, arguments);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// Where the X server has a window now, in screen coordinates. The toolkit hears
// of a move by the window manager only when the move ends; this is live.
inline QRect XGeometry(WId window)
{
    const QByteArray out = Output(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                                              QStringLiteral("--shell"), QString::number(window)});
    int x = 0, y = 0, w = 0, h = 0;
    for (const QByteArray &line : out.split('\n')) {
        const int eq = line.indexOf('=');
        const QByteArray key = line.left(eq);
        const int value = line.mid(eq + 1).toInt();
        if (key == "X")
            x = value;
        else if (key == "Y")
            y = value;
        else if (key == "WIDTH")
            w = value;
        else if (key == "HEIGHT")
            h = value;
    }
    return QRect(x, y, w, h);
}

inline bool Xdo(const QStringList &arguments)
{
    return Run(QStringLiteral("xdotool"), arguments);
}

inline bool MoveTo(QPoint p)
{
    return Xdo({QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())});
}

inline bool Press(int button = 1)
{
    return Xdo({QStringLiteral("mousedown"), QString::number(button)});
}

inline bool Release(int button = 1)
{
    return Xdo({QStringLiteral("mouseup"), QString::number(button)});
}

inline bool Click(QPoint p, int button = 1)
{
    return MoveTo(p) && Xdo({QStringLiteral("click"), QString::number(button)});
}

// Sets the desktop clipboard (or the primary selection) as another program does.
inline bool CopyText(const QString &text, const QString &selection = QStringLiteral("clipboard"))
{
    return Run(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-i")}, text.toUtf8());
}

} // namespace desktop
