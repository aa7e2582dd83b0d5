// The windowed program under the private X server with a window manager:
// started the way a user starts it, driven by xdotool, closed with Alt+F4.
#include "sinkrecorder.h"
#include "xdesktop.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QRect geometryOf(const QString &window)
{
    const QString out = xdotool({QStringLiteral("getwindowgeometry"), window});
    static const QRegularExpression pos(QStringLiteral("Position: (-?\\d+),(-?\\d+)"));
    static const QRegularExpression size(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    const auto p = pos.match(out), s = size.match(out);
    if (!p.hasMatch() || !s.hasMatch())
        return {};
    return QRect(p.captured(1).toInt(), p.captured(2).toInt(), s.captured(1).toInt(), s.captured(2).toInt());
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts the windowed program on a home folder, on the private display.
void startLoqa(QProcess &loqa, const TempHome &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LOQA_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    loqa.setProcessEnvironment(env);
    loqa.start(LoqaBinary(), {});
}

// Writes one document, opened at start with no greeting, and starts loqa on it;
// the guard ends loqa however the test ends.
auto startOnOneDocument(QProcess &loqa, const TempHome &home, const QString &name, const QByteArray &text)
{
    const bool written = home.write(QStringLiteral("txt/") + name, text) &&
                         home.write(QStringLiteral("loqa.apl"),
                                    (home.path() + QStringLiteral("/txt/") + name + QStringLiteral("\r\n")).toUtf8()) &&
                         home.write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n");
    if (written)
        startLoqa(loqa, home);
    return qScopeGuard([&loqa] {
        if (loqa.state() != QProcess::NotRunning && !loqa.waitForFinished(10000))
            loqa.kill();
        loqa.waitForFinished();
    });
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private display"); }

    void firstStart_showsTheSamplesAndSavesAtExit()
    {
        TempHome home;
        QProcess loqa;
        startLoqa(loqa, home);
        QVERIFY(loqa.waitForStarted());
        const QString window = findWindow(QStringLiteral("Loquora"));
        QVERIFY2(!window.isEmpty(), "the main window did not appear within 10 s");

        // The three sample documents, put in place by the first start.
        for (const char *name : {"sample1.txt", "sample2.txt", "sample3.txt"})
            QVERIFY(QFile::exists(home.file(QStringLiteral("txt/") + QLatin1String(name))));
        // At the centred default place, once the window manager has placed it.
        const QSize screen = QGuiApplication::primaryScreen()->size();
        const QRect centred(QPoint((screen.width() - 603) / 2, (screen.height() - 402) / 2), QSize(603, 402));
        QTRY_COMPARE_WITH_TIMEOUT(geometryOf(window), centred, 10000);
        saveScreenshot(QStringLiteral("mainwindow-first-start"));

        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        QVERIFY2(loqa.waitForFinished(15000), "Alt+F4 did not close the window");
        QCOMPARE(loqa.exitCode(), 0);

        const QString txt = home.path() + QStringLiteral("/txt/");
        QCOMPARE(fileBytes(home.file(QStringLiteral("loqa.apl"))),
                 (txt + QStringLiteral("sample1.txt\r\n") + txt + QStringLiteral("sample2.txt\r\n") + txt +
                  QStringLiteral("sample3.txt\r\n"))
                     .toUtf8());
        // loqa.ini: what a fresh save writes, with this screen's centred place and the
        // ids the four system-wide hotkeys were registered under.
        QByteArray expected =
            fileBytes(qEnvironmentVariable("LOQA_SOURCE_DIR") + QStringLiteral("/tests/settings/data/fresh.ini"));
        QVERIFY(!expected.isEmpty());
        expected.replace("@APPPATH@", (home.path() + QLatin1Char('/')).toUtf8());
        expected.replace("MainLeft=338\r\n",
                         QStringLiteral("MainLeft=%1\r\n").arg((screen.width() - 603) / 2).toUtf8());
        expected.replace("MainTop=311\r\n", QStringLiteral("MainTop=%1\r\n").arg((screen.height() - 402) / 2).toUtf8());
        expected.replace("\r\n26=1\r\n", "\r\n26=2\r\n");
        expected.replace("\r\n27=1\r\n", "\r\n27=3\r\n");
        expected.replace("\r\n33=1\r\n", "\r\n33=4\r\n");
        const QByteArray saved = fileBytes(home.file(QStringLiteral("loqa.ini")));
        if (saved != expected) {
            QFile diff(QDir::tempPath() + QStringLiteral("/loqa-ini-saved.ini"));
            diff.open(QIODevice::WriteOnly);
            diff.write(saved);
        }
        QCOMPARE(saved, expected);
    }

    // A sound server that takes the connection and never answers: the window
    // still appears at once (the greeting is dropped), Read Aloud says why it
    // cannot speak, and the window goes on answering.
    void hangingSoundServer_neitherHoldsTheWindowNorHidesTheReason()
    {
        TempHome home;
        const QString socketPath = home.file(QStringLiteral("silent-pulse"));
        const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(socketPath).constData(), sizeof addr.sun_path);
        QVERIFY(silent >= 0 && ::bind(silent, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
                ::listen(silent, 16) == 0);
        QProcess loqa;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LOQA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socketPath);
        loqa.setProcessEnvironment(env);
        loqa.start(LoqaBinary(), {}); // a first start: the greeting is on
        const QString window = findWindow(QStringLiteral("Loquora"));
        QVERIFY2(!window.isEmpty(), "the main window did not appear within 10 s");
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F2")});
        const QString box = findWindow(QStringLiteral("loqa"));
        QVERIFY2(!box.isEmpty(), "no message said why nothing can be heard");
        saveScreenshot(QStringLiteral("mainwindow-no-sound-server"));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), box});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        QVERIFY2(loqa.waitForFinished(15000), "the window did not close");
        QCOMPARE(loqa.exitCode(), 0);
        ::close(silent);
    }

    // The default system-wide hotkeys answer while another program has the focus:
    // Shift+Ctrl+Alt+F2 reads the current document aloud, Shift+Ctrl+Alt+F6 stops.
    // (Ctrl+Alt+F2 itself, the original default, never reaches a program: the X
    // server's keymap makes it a console switch.)
    void defaultGlobalHotkeys_readAndStopFromAnywhere()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        TempHome home;
        QByteArray text;
        for (int i = 0; i < 30; ++i)
            text += "This document is read when the hotkey is pressed anywhere. ";
        QVERIFY(home.write(QStringLiteral("txt/hot.txt"), text));
        QVERIFY(home.write(QStringLiteral("loqa.apl"), (home.path() + QStringLiteral("/txt/hot.txt\r\n")).toUtf8()));
        // No hotkey settings: the first-run defaults apply.
        QVERIFY(home.write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n"));
        QProcess loqa;
        startLoqa(loqa, home);
        const QString window = findWindow(QStringLiteral("Loquora"));
        QVERIFY2(!window.isEmpty(),
                 qPrintable(QString::fromUtf8(loqa.readAllStandardError()) + QString::number(loqa.state())));
        // Another program takes the focus.
        QProcess other;
        other.start(QStringLiteral("xmessage"),
                    {QStringLiteral("-name"), QStringLiteral("otherprogram"), QStringLiteral("another program")});
        const QString otherWindow = findWindow(QStringLiteral("otherprogram"), QStringLiteral("--classname"));
        QVERIFY2(!otherWindow.isEmpty(), "the other program's window did not appear within 10 s");
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), otherWindow});
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), otherWindow, 10000);

        SinkRecorder rec;
        QVERIFY(rec.start());
        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F2")});
        QTRY_VERIFY2_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5),
                                  qPrintable(QString::fromUtf8(loqa.readAllStandardError())), 10000);
        QCOMPARE(xdotool({QStringLiteral("getactivewindow")}), otherWindow);

        // Stop: the long document falls silent well before its end.
        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F6")});
        const double stopped = rec.elapsedMs() / 1000.0;
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.recordedSeconds() > stopped + 3.0), 15000);
        QCOMPARE(rec.analyse(stopped + 1.0).heardSeconds, 0.0);

        other.kill();
        other.waitForFinished();
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        if (!loqa.waitForFinished(10000))
            loqa.kill();
    }

    // Find and Replace as a user works them: Ctrl+F, typing, Find Next twice lands on
    // the second match; a search for a missing word says so; Replace shows a match
    // first and replaces it only when pressed again, leaving the others.
    void findAndReplace_withTheKeyboard()
    {
        TempHome home;
        const QByteArray text = "The fox runs. A fox sleeps. Another fox eats.\n";
        QProcess loqa;
        const auto stop = startOnOneDocument(loqa, home, QStringLiteral("fox.txt"), text);
        const QString window = findWindow(QStringLiteral("Loquora"));
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        const QString file = home.file(QStringLiteral("txt/fox.txt"));
        const auto key = [](const QString &keys) {
            xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60"), keys});
        };
        const auto type = [](const QString &what) {
            xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), what});
        };
        const auto activate = [](const QString &id) {
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
        };
        activate(window);
        QTest::qWait(300);

        key(QStringLiteral("ctrl+f"));
        const QString find = findWindow(QStringLiteral("Find"));
        QVERIFY2(!find.isEmpty(), "Ctrl+F opened no Find dialog");
        activate(find);
        type(QStringLiteral("fox"));
        key(QStringLiteral("Return"));
        key(QStringLiteral("Return"));
        QTest::qWait(300);
        saveScreenshot(QStringLiteral("find-second-match"));
        // The dialog is not modal: the user goes on typing in the document over the match.
        activate(window);
        type(QStringLiteral("cat"));
        saveScreenshot(QStringLiteral("find-typed-over"));
        key(QStringLiteral("ctrl+s"));
        QTRY_COMPARE(fileBytes(file), QByteArray("The fox runs. A cat sleeps. Another fox eats.\n"));

        // Nothing found: a message says so.
        activate(find);
        key(QStringLiteral("ctrl+a"));
        type(QStringLiteral("zebra"));
        key(QStringLiteral("Return"));
        const QString told = findWindow(QStringLiteral("loqa"));
        QVERIFY2(!told.isEmpty(), "a search that found nothing said nothing");
        activate(told);
        key(QStringLiteral("Return"));
        key(QStringLiteral("Escape"));

        activate(window);
        key(QStringLiteral("ctrl+Home"));
        key(QStringLiteral("ctrl+r"));
        const QString replace = findWindow(QStringLiteral("Replace"));
        QVERIFY2(!replace.isEmpty(), "Ctrl+R opened no Replace dialog");
        activate(replace);
        key(QStringLiteral("ctrl+a"));
        type(QStringLiteral("fox"));
        key(QStringLiteral("Tab"));
        type(QStringLiteral("dog"));
        key(QStringLiteral("alt+r")); // shows the first match
        QTest::qWait(300);
        key(QStringLiteral("alt+r")); // replaces it, and shows the next (Replace All would take the third too)
        QTest::qWait(300);
        saveScreenshot(QStringLiteral("replace-one"));
        key(QStringLiteral("Escape"));
        activate(window);
        key(QStringLiteral("ctrl+s"));
        QTRY_COMPARE(fileBytes(file), QByteArray("The dog runs. A cat sleeps. Another fox eats.\n"));
        key(QStringLiteral("alt+F4"));
    }

    // The options dialog worked with the keyboard alone: one setting changed on
    // each page, the main window following at once (its window manager state for
    // Stay on Top), and loqa.ini holding every new value after exit.
    void options_oneSettingPerPage_withTheKeyboard()
    {
        TempHome home;
        QProcess loqa;
        const auto stop = startOnOneDocument(loqa, home, QStringLiteral("a.txt"), "Some text.");
        const QString window = findWindow(QStringLiteral("Loquora"));
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        const auto key = [](const QString &keys) {
            xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80"), keys});
            QTest::qWait(150);
        };
        // The window manager's word on whether the main window stays on top (asked
        // of the window by its title: changing the flag may give it a new X window).
        const auto above = [&] {
            const QString now = findWindow(QStringLiteral("Loquora"));
            QProcess p;
            p.start(QStringLiteral("xprop"), {QStringLiteral("-id"), now, QStringLiteral("_NET_WM_STATE")});
            p.waitForFinished(5000);
            return p.readAllStandardOutput().contains("_NET_WM_STATE_ABOVE");
        };
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        QTest::qWait(300);
        QVERIFY(!above());

        key(QStringLiteral("ctrl+o"));
        const QString options = findWindow(QStringLiteral(" Options"));
        QVERIFY2(!options.isEmpty(), "Ctrl+O opened no Options dialog");
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), options});
        QTest::qWait(300);
        key(QStringLiteral("alt+t")); // General: Show Tooltips off
        key(QStringLiteral("ctrl+Tab"));
        key(QStringLiteral("alt+s")); // Conversion: the speed list, one down to "16 X"
        key(QStringLiteral("Down"));
        key(QStringLiteral("ctrl+Tab"));
        key(QStringLiteral("alt+p")); // User Interface: tabs at the bottom
        key(QStringLiteral("Down"));
        key(QStringLiteral("alt+n")); // Stay on Top
        saveScreenshot(QStringLiteral("options-stay-on-top"));
        QTRY_VERIFY_WITH_TIMEOUT(above(), 5000);
        key(QStringLiteral("alt+o")); // no tool bar
        saveScreenshot(QStringLiteral("options-user-interface"));
        key(QStringLiteral("ctrl+Tab"));
        key(QStringLiteral("alt+d")); // Clipboard: the default action "New"
        key(QStringLiteral("Down"));
        key(QStringLiteral("ctrl+Tab"));
        key(QStringLiteral("alt+e")); // Alarm on
        key(QStringLiteral("ctrl+Tab"));
        key(QStringLiteral("alt+e"));  // Reminders on
        key(QStringLiteral("Return")); // OK
        QTRY_VERIFY_WITH_TIMEOUT(xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), QStringLiteral("^ Options$")})
                                     .isEmpty(),
                                 5000);
        QVERIFY(above()); // the window stays on top after the dialog is gone
        saveScreenshot(QStringLiteral("options-closed"));

        const QString remade = findWindow(QStringLiteral("Loquora"));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), remade});
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), remade, 5000);
        key(QStringLiteral("alt+F4"));
        // The key helper lets events run, so loqa may be seen to end before the wait.
        const bool closed = loqa.state() == QProcess::NotRunning || loqa.waitForFinished(15000);
        if (!closed)
            saveScreenshot(QStringLiteral("options-not-closed"));
        QVERIFY2(closed, "the window did not close");
        QCOMPARE(loqa.exitStatus(), QProcess::NormalExit);
        QCOMPARE(loqa.exitCode(), 0);
        const QByteArray ini = fileBytes(home.file(QStringLiteral("loqa.ini")));
        for (const char *line : {"LastOptionPage=5", "ShowHint=0", "RealTime=4096", "TabPos=1", "StayOnTop=1",
                                 "ShowToolbar=0", "DefAction=1", "Alarm=1", "Reminder=1"})
            QVERIFY2(ini.contains(QByteArray(line) + "\r\n"), line);
    }

    // "Open With Loquora": loqa --open starts the window with the file, named from
    // the caller's folder, added and shown. SIGTERM, as a logout sends it, saves
    // what closing the window saves, and the program exits 0.
    void open_startsWithTheFileShown_andSigtermSavesLikeClosing()
    {
        TempHome home;
        const QString a = home.file(QStringLiteral("txt/a.txt"));
        const QString b = home.file(QStringLiteral("work/b.txt"));
        QVERIFY(home.write(QStringLiteral("txt/a.txt"), "First."));
        QVERIFY(home.write(QStringLiteral("work/b.txt"), "Second."));
        QVERIFY(home.write(QStringLiteral("loqa.apl"), (a + QStringLiteral("\r\n")).toUtf8()));
        QVERIFY(home.write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n"));
        const QStringList env{QStringLiteral("LOQA_HOME=") + home.path(), QStringLiteral("QT_QPA_PLATFORM=xcb")};

        // A file that is not there: nothing opens, and the reason is given.
        const RunResult refused =
            RunLoqa({QStringLiteral("--open"), QStringLiteral("b.txt"), QStringLiteral("gone.txt")},
                    home.file(QStringLiteral("work")), 20000, env);
        QVERIFY2(refused.exitCode == 1 && refused.err.contains("gone.txt does not exist"),
                 qPrintable(Describe(refused)));

        QProcess loqa;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LOQA_HOME"), home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        loqa.setProcessEnvironment(environment);
        loqa.setWorkingDirectory(home.file(QStringLiteral("work")));
        loqa.start(LoqaBinary(), {QStringLiteral("--open"), QStringLiteral("b.txt")});
        const auto stop = qScopeGuard([&loqa] {
            if (loqa.state() != QProcess::NotRunning) {
                loqa.kill();
                loqa.waitForFinished();
            }
        });
        QVERIFY2(!findWindow(QStringLiteral("Loquora")).isEmpty(), loqa.readAllStandardError().constData());
        loqa.terminate();
        QVERIFY2(loqa.waitForFinished(15000), "SIGTERM did not end the window");
        QCOMPARE(loqa.exitStatus(), QProcess::NormalExit);
        QCOMPARE(loqa.exitCode(), 0);
        QCOMPARE(home.read(QStringLiteral("loqa.apl")),
                 (a + QStringLiteral("\r\n") + b + QStringLiteral("\r\n")).toUtf8());
        const QByteArray ini = home.read(QStringLiteral("loqa.ini"));
        QVERIFY2(ini.contains("\r\nPlayIndex=1\r\n") && ini.contains("\r\nMainWidth="), ini.constData());
    }

    // A second loqa --open hands its files to the running window, which adds them
    // and shows the first; SIGHUP then saves the list as closing would.
    void open_handsTheFilesToTheRunningWindow_andSighupSaves()
    {
        TempHome home;
        QProcess loqa;
        const auto stop = startOnOneDocument(loqa, home, QStringLiteral("a.txt"), "First.");
        QVERIFY(home.write(QStringLiteral("work/b.txt"), "Second."));
        QVERIFY(home.write(QStringLiteral("work/c d.txt"), "Third."));
        QVERIFY2(!findWindow(QStringLiteral("Loquora")).isEmpty(), "the main window did not appear");
        const RunResult handed =
            RunLoqa({QStringLiteral("--open"), QStringLiteral("c d.txt"), QStringLiteral("b.txt")},
                    home.file(QStringLiteral("work")), 20000, {QStringLiteral("LOQA_HOME=") + home.path()});
        QVERIFY2(handed.exitCode == 0, qPrintable(Describe(handed)));
        QVERIFY(::kill(pid_t(loqa.processId()), SIGHUP) == 0);
        QVERIFY2(loqa.waitForFinished(15000), "SIGHUP did not end the window");
        QCOMPARE(loqa.exitStatus(), QProcess::NormalExit);
        QCOMPARE(loqa.exitCode(), 0);
        QCOMPARE(home.read(QStringLiteral("loqa.apl")),
                 (home.file(QStringLiteral("txt/a.txt")) + QStringLiteral("\r\n") +
                  home.file(QStringLiteral("work/c d.txt")) + QStringLiteral("\r\n") +
                  home.file(QStringLiteral("work/b.txt")) + QStringLiteral("\r\n"))
                     .toUtf8());
        const QByteArray ini = home.read(QStringLiteral("loqa.ini"));
        QVERIFY2(ini.contains("\r\nPlayIndex=1\r\n"), ini.constData());
    }

    // Started from a launcher, whose standard output goes nowhere, on a desktop,
    // the voice report shows in a message box captioned with the program's title.
    void voiceReport_fromALauncher_isAMessageBox()
    {
        QProcess loqa;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        loqa.setProcessEnvironment(env);
        loqa.setStandardOutputFile(QProcess::nullDevice());
        loqa.start(LoqaBinary(), {QStringLiteral("/e"), QStringLiteral("-e"), QStringLiteral("1")});
        const QString box = findWindow(QStringLiteral("loqa"));
        QVERIFY2(!box.isEmpty(), "no message box");
        QVERIFY(loqa.state() == QProcess::Running); // it waits for the user
        saveScreenshot(QStringLiteral("voice-report"));
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), box});
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QVERIFY(loqa.waitForFinished(10000));
        QCOMPARE(loqa.exitCode(), 0);
    }
};

int main(int argc, char **argv)
{
    if (HaveDisplay())
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_mainwindow.moc"
