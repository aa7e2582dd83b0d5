// The windowed program among other programs on the private desktop: text copied
// with xclip, the clipboard prompt over another program, the tray, and global
// hotkeys pressed with xdotool while another program has the focus.
#include "sinkrecorder.h"
#include "testsupport.h"
#include "xdesktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString &program, const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess p;
    if (!input.isNull()) {
        // xclip leaves a helper behind that keeps the clipboard: it must not hold our pipes.
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
    }
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {};
    if (!input.isNull()) {
        p.write(input);
        p.closeWriteChannel();
    }
    p.waitForFinished(15000);
    return input.isNull() ? QString::fromUtf8(p.readAllStandardOutput()).trimmed() : QString();
}

// Another program takes the clipboard, as a user's copy in any program does.
void copy(const QString &text)
{
    run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")},
        text.toUtf8());
}

QStringList visibleWindows(const QStringList &how)
{
    const QString out = xdotool(QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible")} + how);
    return out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
}

QString waitForWindow(const QString &title)
{
    for (int i = 0; i < 100; ++i) {
        const QStringList ids =
            visibleWindows({QStringLiteral("--name"), QStringLiteral("^") + title + QStringLiteral("$")});
        if (!ids.isEmpty())
            return ids.first();
        QTest::qWait(100);
    }
    return {};
}

QSize sizeOf(const QString &window)
{
    static const QRegularExpression size(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    const auto m = size.match(xdotool({QStringLiteral("getwindowgeometry"), window}));
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}

// The clipboard prompts of a process on the screen: its 306 × 181 windows.
QStringList prompts(qint64 pid)
{
    QStringList found;
    for (const QString &id : visibleWindows({QStringLiteral("--pid"), QString::number(pid)})) {
        if (sizeOf(id) == QSize(306, 181))
            found << id;
    }
    return found;
}

QString activeWindow()
{
    return xdotool({QStringLiteral("getactivewindow")});
}

// "Normal", "Iconic", or empty for a window withdrawn from the desktop (no taskbar entry).
QString wmState(const QString &window)
{
    const QString out = run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_STATE")});
    static const QRegularExpression state(QStringLiteral("window state: (\\w+)"));
    const auto m = state.match(out);
    return m.hasMatch() ? m.captured(1) : QString();
}

// A session bus of the test's own, named in DBUS_SESSION_BUS_ADDRESS once it
// says where it listens.
bool startPrivateBus(QProcess &bus)
{
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (!bus.waitForStarted())
        return false;
    for (int i = 0; i < 200 && !bus.canReadLine(); ++i)
        bus.waitForReadyRead(100);
    if (!bus.canReadLine())
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    return true;
}

// Whether the window manager lists the window (the taskbar shows what it lists).
bool listed(const QString &window)
{
    const QString list = run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    return list.contains(QStringLiteral("0x") + QString::number(window.toULongLong(), 16));
}

// The program's icon in the tray: its small window docked there.
QString trayIcon(qint64 pid)
{
    for (int i = 0; i < 100; ++i) {
        for (const QString &id : visibleWindows({QStringLiteral("--pid"), QString::number(pid)})) {
            const QSize size = sizeOf(id);
            if (size.isValid() && size.width() <= 48 && size.height() <= 48)
                return id;
        }
        QTest::qWait(100);
    }
    return {};
}

// The tray menu of a process while it is open: a popup window of its own, far
// taller than a tooltip.
QString trayMenu(qint64 pid)
{
    for (const QString &id : visibleWindows({QStringLiteral("--pid"), QString::number(pid)})) {
        if (sizeOf(id).height() > 150 && run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id})
                                             .contains(QStringLiteral("Override Redirect State: yes")))
            return id;
    }
    return {};
}

// A click on the tray icon opens the tray menu; from then on only keys.
QString openTrayMenu(const QString &icon, qint64 pid)
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("8"), QStringLiteral("8")});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QString menu;
    for (int i = 0; i < 100 && menu.isEmpty(); ++i) {
        QTest::qWait(100);
        menu = trayMenu(pid);
    }
    return menu;
}

// The first entry is active as the menu opens: Return shows or hides the window.
bool chooseFirstTrayEntry(const QString &icon, qint64 pid)
{
    if (openTrayMenu(icon, pid).isEmpty())
        return false;
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    return true;
}

QByteArray lines(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n");
}

// The window on a home folder with one document, started as a user starts it.
struct Loquora {
    TempHome home;
    QProcess process;
    QString window;

    bool start(const QByteArray &ini, bool expectWindow = true)
    {
        if (!home.write(QStringLiteral("txt/a.txt"), "Before") ||
            !home.write(QStringLiteral("loqa.apl"), (home.path() + QStringLiteral("/txt/a.txt\r\n")).toUtf8()) ||
            !home.write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n" + ini))
            return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LOQA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(env);
        process.start(LoqaBinary(), {});
        if (!process.waitForStarted())
            return false;
        if (!expectWindow)
            return true;
        window = waitForWindow(QStringLiteral("Loquora"));
        QTest::qWait(300);
        return !window.isEmpty();
    }

    QString txt(const QString &name) const { return home.file(QStringLiteral("txt/") + name); }

    // Alt+F4, as a user closes it: the program ends and saves its settings.
    bool close()
    {
        if (!window.isEmpty()) {
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
            xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        }
        const bool ended = process.waitForFinished(15000);
        if (!ended)
            process.kill();
        return ended && process.exitCode() == 0;
    }

    ~Loquora()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

// Another program on the desktop, with the keyboard focus.
struct OtherProgram {
    QProcess process;
    QString window;
    bool start()
    {
        process.start(QStringLiteral("xmessage"),
                      {QStringLiteral("-title"), QStringLiteral("otherprogram"), QStringLiteral("another program")});
        window = waitForWindow(QStringLiteral("otherprogram"));
        if (window.isEmpty())
            return false;
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        return activeWindow() == window;
    }
    ~OtherProgram()
    {
        process.kill();
        process.waitForFinished();
    }
};

// How long to listen before deciding that nothing was said.
constexpr int kQuietMs = 2500;

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!HaveDisplay() || !HaveSoundServer())
            QSKIP("needs the private desktop session");
    }

    // A copied 12-character text is read aloud at once (no prompt, DefAction 0); a
    // 9-character one is not. Reading the clipboard leaves the mode at Aloud.
    void copiedText_isReadAloud_unlessShorterThanIgnoreLen()
    {
        Loquora loqa;
        QVERIFY(
            loqa.start("[Auto]\r\nConvertMode=1\r\n[Clipboard]\r\nShowPrompt=0\r\nDefAction=0\r\nIgnoreLen=10\r\n"));
        OtherProgram other;
        QVERIFY(other.start());
        SinkRecorder rec;
        QVERIFY(rec.start());
        copy(QStringLiteral("Nine char"));
        QTest::qWait(kQuietMs);
        rec.poll();
        QCOMPARE(rec.analyse().heardSeconds, 0.0);
        const double copied = rec.elapsedMs() / 1000.0;
        copy(QStringLiteral("Twelve chars"));
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse(copied).heardSeconds > 0.3), 10000);
        QVERIFY(loqa.close());
        QVERIFY(loqa.home.read(QStringLiteral("loqa.ini")).contains("\r\nConvertMode=0\r\n"));
    }

    // DefAction 1 keeps the copied text as a new document, 2 appends it to the
    // current document's file; both are saved at once.
    void copiedText_keptInADocument_data()
    {
        QTest::addColumn<int>("defAction");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("new") << 1 << "untitled1.txt" << QByteArray("Copied to keep\nsecond line");
        QTest::newRow("append") << 2 << "a.txt" << QByteArray("Before\nCopied to keep\nsecond line\n");
    }
    void copiedText_keptInADocument()
    {
        QFETCH(int, defAction);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        Loquora loqa;
        QVERIFY(loqa.start("[Clipboard]\r\nShowPrompt=0\r\nDefAction=" + QByteArray::number(defAction) + "\r\n"));
        copy(QStringLiteral("Copied to keep\nsecond line"));
        QTRY_COMPARE_WITH_TIMEOUT(lines(loqa.home.read(QStringLiteral("txt/") + file)), content, 10000);
        QVERIFY(loqa.close());
        if (defAction == 1)
            QVERIFY(loqa.home.read(QStringLiteral("loqa.apl")).contains("untitled1.txt"));
    }

    // The prompt comes up over another program and takes the keyboard; a second
    // copy opens a second prompt over it; Escape cancels each, and the focus goes
    // back to the other program. Unanswered, it carries out DefAction after
    // PromptDelay seconds.
    void prompt_overAnotherProgram()
    {
        Loquora loqa;
        QVERIFY(loqa.start("[Clipboard]\r\nShowPrompt=1\r\nDefAction=1\r\nPromptDelay=0\r\n"));
        OtherProgram other;
        QVERIFY(other.start());
        copy(QStringLiteral("Copied while another program works"));
        QTRY_COMPARE_WITH_TIMEOUT(prompts(loqa.process.processId()).size(), 1, 10000);
        const QString first = prompts(loqa.process.processId()).first();
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), first, 5000);
        saveScreenshot(QStringLiteral("clipboard-prompt"));

        copy(QStringLiteral("And copied once more meanwhile"));
        QTRY_COMPARE_WITH_TIMEOUT(prompts(loqa.process.processId()).size(), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(activeWindow() != first && prompts(loqa.process.processId()).contains(activeWindow()),
                                 5000);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_COMPARE_WITH_TIMEOUT(prompts(loqa.process.processId()), QStringList{first}, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), first, 5000);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(prompts(loqa.process.processId()).isEmpty(), 5000);
        // The focus is the other program's again, and stays there.
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), other.window, 5000);
        QTest::qWait(500);
        QCOMPARE(activeWindow(), other.window);
        QVERIFY(!QFile::exists(loqa.txt(QStringLiteral("untitled1.txt"))));
        QVERIFY(loqa.close());
    }

    void prompt_unanswered_carriesOutDefAction()
    {
        Loquora loqa;
        QVERIFY(loqa.start("[Clipboard]\r\nShowPrompt=1\r\nDefAction=2\r\nPromptDelay=1\r\n"));
        copy(QStringLiteral("Nobody answered this"));
        QTRY_COMPARE_WITH_TIMEOUT(prompts(loqa.process.processId()).size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(lines(loqa.home.read(QStringLiteral("txt/a.txt"))),
                                  QByteArray("Before\nNobody answered this\n"), 10000);
        QVERIFY(prompts(loqa.process.processId()).isEmpty());
        QVERIFY(loqa.close());
    }

    // With Tray and MiniStartup no window shows at start; the tray menu's first
    // entry shows it; minimised by the window manager it leaves the taskbar for
    // the tray, and the tray menu brings it back in its normal state.
    void tray_startHidden_minimiseIntoTheTray_andBack()
    {
        Loquora loqa;
        QVERIFY(loqa.start("[UI]\r\nTray=1\r\nMiniToTray=1\r\nMiniStartup=1\r\n", false));
        const QString icon = trayIcon(loqa.process.processId());
        QVERIFY2(!icon.isEmpty(), "no tray icon docked");
        QTest::qWait(500);
        QVERIFY(visibleWindows({QStringLiteral("--name"), QStringLiteral("^Loquora$")}).isEmpty());

        QVERIFY2(chooseFirstTrayEntry(icon, loqa.process.processId()), "the tray menu did not open");
        loqa.window = waitForWindow(QStringLiteral("Loquora"));
        QVERIFY2(!loqa.window.isEmpty(), "Show Main Window showed nothing");
        QTRY_VERIFY_WITH_TIMEOUT(listed(loqa.window), 5000);
        saveScreenshot(QStringLiteral("tray-shown"));

        xdotool({QStringLiteral("windowminimize"), loqa.window});
        QTRY_VERIFY_WITH_TIMEOUT(!listed(loqa.window), 5000);
        QVERIFY(visibleWindows({QStringLiteral("--name"), QStringLiteral("^Loquora$")}).isEmpty());

        // Clicked again soon after the first menu, the icon opens the menu again.
        QVERIFY2(chooseFirstTrayEntry(icon, loqa.process.processId()), "the tray menu did not open again");
        QTRY_VERIFY_WITH_TIMEOUT(listed(loqa.window), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(wmState(loqa.window), QStringLiteral("Normal"), 5000);
        QVERIFY(loqa.close());
    }

    // Opened over another program, the tray menu has the keyboard: Escape closes
    // it and the other program keeps the focus; an entry's letter runs it (C
    // Read Clipboard, O Stop), and Up from the first entry comes round to Exit.
    void trayMenu_keyboardOnly()
    {
        Loquora loqa;
        QVERIFY(loqa.start("[UI]\r\nTray=1\r\nMiniStartup=1\r\n[Clipboard]\r\nWatchClipboard=0\r\n", false));
        const qint64 pid = loqa.process.processId();
        const QString icon = trayIcon(pid);
        QVERIFY2(!icon.isEmpty(), "no tray icon docked");
        OtherProgram other;
        QVERIFY(other.start());
        copy(QStringLiteral("Read from the tray menu with one key, and stopped with another one before it ends, "
                            "however long it would have gone on."));

        QVERIFY2(!openTrayMenu(icon, pid).isEmpty(), "the tray menu did not open");
        saveScreenshot(QStringLiteral("tray-menu"));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(trayMenu(pid).isEmpty(), 5000);
        QCOMPARE(activeWindow(), other.window);

        SinkRecorder rec;
        QVERIFY(rec.start());
        QVERIFY(!openTrayMenu(icon, pid).isEmpty());
        xdotool({QStringLiteral("key"), QStringLiteral("c")});
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5), 10000);
        QVERIFY(trayMenu(pid).isEmpty());

        QVERIFY(!openTrayMenu(icon, pid).isEmpty());
        xdotool({QStringLiteral("key"), QStringLiteral("o")});
        const double stopped = rec.elapsedMs() / 1000.0 + 0.4;
        QTest::qWait(kQuietMs);
        rec.poll();
        QCOMPARE(rec.analyse(stopped).heardSeconds, 0.0);
        QCOMPARE(activeWindow(), other.window);

        QVERIFY(!openTrayMenu(icon, pid).isEmpty());
        xdotool({QStringLiteral("key"), QStringLiteral("Up"), QStringLiteral("Return")});
        QVERIFY(loqa.process.waitForFinished(15000));
        QCOMPARE(loqa.process.exitCode(), 0);
        QVERIFY(visibleWindows({QStringLiteral("--name"), QStringLiteral("^Loquora$")}).isEmpty());
    }

    // On a tray host that draws menus itself (here a stand-in watcher on a
    // private session bus) the icon registers as an item and its menu goes to
    // the host with the entries' letters; choosing an entry there runs it.
    void trayMenu_onAStatusNotifierHost()
    {
        QProcess bus;
        QVERIFY2(startPrivateBus(bus), "needs dbus-daemon (package dbus)");
        QProcess host;
        const auto ended = qScopeGuard([&bus, &host] {
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
            for (QProcess *p : {&host, &bus}) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
            }
        });
        host.start(QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                         : QStringLiteral("python3"),
                   {qEnvironmentVariable("LOQA_SOURCE_DIR") + QStringLiteral("/tests/system/trayhost_standin.py")});
        QVERIFY(host.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(host.canReadLine() || host.state() == QProcess::NotRunning, 20000);
        QVERIFY2(host.readLine().trimmed() == "ready", "needs python3-dbus and python3-gi");
        auto gdbus = [](const QString &dest, const QString &path, const QString &method, const QStringList &args) {
            return run(QStringLiteral("gdbus"),
                       QStringList{QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), dest,
                                   QStringLiteral("--object-path"), path, QStringLiteral("--method"), method} +
                           args);
        };
        const QString props = QStringLiteral("org.freedesktop.DBus.Properties.Get");

        Loquora loqa;
        QVERIFY(loqa.start("[UI]\r\nTray=1\r\nMiniStartup=1\r\n[Clipboard]\r\nWatchClipboard=0\r\n", false));
        static const QRegularExpression itemName(QStringLiteral("'([^']+)'"));
        QString item;
        QTRY_VERIFY_WITH_TIMEOUT(!(item = itemName
                                              .match(gdbus(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                           QStringLiteral("/StatusNotifierWatcher"), props,
                                                           {QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                            QStringLiteral("RegisteredStatusNotifierItems")}))
                                              .captured(1))
                                      .isEmpty(),
                                 10000);
        static const QRegularExpression objectPath(QStringLiteral("objectpath '([^']+)'"));
        const QString menu = objectPath
                                 .match(gdbus(item, QStringLiteral("/StatusNotifierItem"), props,
                                              {QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu")}))
                                 .captured(1);
        QVERIFY2(!menu.isEmpty() && menu != QStringLiteral("/"), "the item offers no menu");

        // As a host does: told the menu is about to show, then reading it.
        gdbus(item, menu, QStringLiteral("com.canonical.dbusmenu.AboutToShow"), {QStringLiteral("0")});
        const QString layout = gdbus(item, menu, QStringLiteral("com.canonical.dbusmenu.GetLayout"),
                                     {QStringLiteral("0"), QStringLiteral("10"), QStringLiteral("[]")});
        static const QRegularExpression entry(QStringLiteral("<\\((\\d+), \\{([^{}]*)\\}"));
        static const QRegularExpression label(QStringLiteral("'label': <'([^']*)'>"));
        QStringList labels;
        QString showId;
        for (auto m = entry.globalMatch(layout); m.hasNext();) {
            const auto e = m.next();
            const QString text = label.match(e.captured(2)).captured(1);
            if (text.isEmpty())
                continue; // a separator
            labels << text;
            if (labels.size() == 1)
                showId = e.captured(1);
        }
        QCOMPARE(labels,
                 QStringList({"_Show Main Window", "_Read Aloud", "Read _to WAV File", "Read to _MP3 File",
                              "_Pause/Resume", "St_op", "Pr_ev", "_Next", "Read _Clipboard", "Opt_ions", "E_xit"}));

        gdbus(item, menu, QStringLiteral("com.canonical.dbusmenu.Event"),
              {showId, QStringLiteral("clicked"), QStringLiteral("<0>"), QStringLiteral("0")});
        loqa.window = waitForWindow(QStringLiteral("Loquora"));
        QVERIFY2(!loqa.window.isEmpty(), "Show Main Window from the host's menu showed nothing");
        QVERIFY(loqa.close());
    }

    // The system-wide Pause/Resume, Stop and Read Clipboard, pressed while another
    // program has the focus, with the chords the Linux defaults give them.
    void hotkeys_fromAnotherProgram()
    {
        Loquora loqa;
        QVERIFY(loqa.start("[Clipboard]\r\nWatchClipboard=0\r\n"
                           "[HotkeyList]\r\n26=Shift+Ctrl+Alt+F5\r\n27=Shift+Ctrl+Alt+F6\r\n33=Shift+Ctrl+Alt+F12\r\n"
                           "[GlobalHotkeyIDList]\r\n26=1\r\n27=1\r\n33=1\r\n"));
        OtherProgram other;
        QVERIFY(other.start());
        copy(QStringLiteral("This copied text is long enough to be paused, resumed and stopped by the global keys. "
                            "It goes on for a while so that every step has speech to act on, sentence after sentence, "
                            "until the stop key ends it."));
        SinkRecorder rec;
        QVERIFY(rec.start());
        auto now = [&rec] { return rec.elapsedMs() / 1000.0; };
        auto heardSince = [&rec](double from) {
            rec.poll();
            return rec.analyse(from).heardSeconds;
        };

        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F12")});
        QTRY_VERIFY_WITH_TIMEOUT(heardSince(0) > 0.5, 10000);
        QCOMPARE(activeWindow(), other.window);

        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F5")});
        const double paused = now() + 0.4;
        QTest::qWait(kQuietMs);
        QCOMPARE(heardSince(paused), 0.0);

        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F5")});
        const double resumed = now();
        QTRY_VERIFY_WITH_TIMEOUT(heardSince(resumed) > 0.3, 10000);

        xdotool({QStringLiteral("key"), QStringLiteral("shift+ctrl+alt+F6")});
        const double stopped = now() + 0.4;
        QTest::qWait(kQuietMs);
        QCOMPARE(heardSince(stopped), 0.0);
        QVERIFY(loqa.close());
    }

    // loqa --command hands a command to the running window (here hidden in the
    // tray) and ends; without a window it says so and ends with 1.
    void commandLine_drivesTheRunningWindow()
    {
        const RunResult none = RunLoqa({QStringLiteral("--command"), QStringLiteral("stop")});
        QCOMPARE(none.exitCode, 1);
        QVERIFY(none.err.contains("no Loquora window is running"));

        Loquora loqa;
        QVERIFY(loqa.start("[UI]\r\nTray=1\r\nMiniStartup=1\r\n[Clipboard]\r\nWatchClipboard=0\r\n", false));
        QVERIFY(!trayIcon(loqa.process.processId()).isEmpty());
        copy(QStringLiteral("Read because a command line asked for it, from a desktop shortcut perhaps, "
                            "and stopped by another one."));
        SinkRecorder rec;
        QVERIFY(rec.start());
        const RunResult read = RunLoqa({QStringLiteral("--command"), QStringLiteral("read-clipboard")});
        QVERIFY2(read.exitCode == 0, qPrintable(Describe(read)));
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5), 10000);

        const RunResult stop = RunLoqa({QStringLiteral("--command"), QStringLiteral("stop")});
        QVERIFY2(stop.exitCode == 0, qPrintable(Describe(stop)));
        const double stopped = rec.elapsedMs() / 1000.0 + 0.4;
        QTest::qWait(kQuietMs);
        rec.poll();
        QCOMPARE(rec.analyse(stopped).heardSeconds, 0.0);

        QVERIFY(visibleWindows({QStringLiteral("--name"), QStringLiteral("^Loquora$")}).isEmpty());
        const RunResult show = RunLoqa({QStringLiteral("--command"), QStringLiteral("show")});
        QVERIFY2(show.exitCode == 0, qPrintable(Describe(show)));
        loqa.window = waitForWindow(QStringLiteral("Loquora"));
        QVERIFY2(!loqa.window.isEmpty(), "show did not bring the window");

        const RunResult bogus = RunLoqa({QStringLiteral("--command"), QStringLiteral("dance")});
        QCOMPARE(bogus.exitCode, 2);
        QVERIFY(loqa.close());
    }

    // On a session bus the running window owns its name, and both loqa --command
    // and any other D-Bus client (gdbus) hand it commands. The commands here are
    // sent from another runtime folder, where the window's socket is not: only
    // the bus can carry them. Documents for it go the same way.
    void commandOverTheSessionBus()
    {
        QProcess bus;
        QVERIFY2(startPrivateBus(bus), "needs dbus-daemon (package dbus)");
        const auto ended = qScopeGuard([&bus] {
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
            bus.terminate();
            if (!bus.waitForFinished(5000))
                bus.kill();
        });
        auto gdbusCommand = [](const QString &name) {
            return run(QStringLiteral("gdbus"),
                       {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                        QStringLiteral("org.example.loquora.Loquora"), QStringLiteral("--object-path"),
                        QStringLiteral("/org/example/loquora/Loquora"), QStringLiteral("--method"),
                        QStringLiteral("org.example.loquora.Loquora.Command"), name});
        };

        Loquora loqa;
        QVERIFY(loqa.start("[UI]\r\nTray=1\r\nMiniStartup=1\r\n[Clipboard]\r\nWatchClipboard=0\r\n", false));
        QVERIFY(!trayIcon(loqa.process.processId()).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(
            run(QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                 QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                 QStringLiteral("org.freedesktop.DBus.NameHasOwner"), QStringLiteral("org.example.loquora.Loquora")}),
            QStringLiteral("(true,)"), 10000);
        QTemporaryDir elsewhere;
        const QStringList noSocket{QStringLiteral("XDG_RUNTIME_DIR=") + elsewhere.path()};

        copy(QStringLiteral("Read because a message on the session bus asked for it, and stopped by another one."));
        SinkRecorder rec;
        QVERIFY(rec.start());
        const RunResult read =
            RunLoqa({QStringLiteral("--command"), QStringLiteral("read-clipboard")}, {}, 60000, noSocket);
        QVERIFY2(read.exitCode == 0, qPrintable(Describe(read)));
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5), 10000);
        const RunResult stop = RunLoqa({QStringLiteral("--command"), QStringLiteral("stop")}, {}, 60000, noSocket);
        QVERIFY2(stop.exitCode == 0, qPrintable(Describe(stop)));
        const double stopped = rec.elapsedMs() / 1000.0 + 0.4;
        QTest::qWait(kQuietMs);
        rec.poll();
        QCOMPARE(rec.analyse(stopped).heardSeconds, 0.0);

        QVERIFY(visibleWindows({QStringLiteral("--name"), QStringLiteral("^Loquora$")}).isEmpty());
        QCOMPARE(gdbusCommand(QStringLiteral("show")), QStringLiteral("(true,)"));
        loqa.window = waitForWindow(QStringLiteral("Loquora"));
        QVERIFY2(!loqa.window.isEmpty(), "show over the bus did not bring the window");
        QCOMPARE(gdbusCommand(QStringLiteral("dance")), QStringLiteral("(false,)"));

        // Documents too: loqa --open, named from the caller's folder, over the bus alone.
        QVERIFY(loqa.home.write(QStringLiteral("work/b.txt"), "Handed over."));
        const RunResult open =
            RunLoqa({QStringLiteral("--open"), QStringLiteral("b.txt")}, loqa.home.file(QStringLiteral("work")), 20000,
                    noSocket + QStringList{QStringLiteral("LOQA_HOME=") + loqa.home.path()});
        QVERIFY2(open.exitCode == 0, qPrintable(Describe(open)));
        QVERIFY(loqa.close());
        QCOMPARE(loqa.home.read(QStringLiteral("loqa.apl")),
                 (loqa.txt(QStringLiteral("a.txt")) + QStringLiteral("\r\n") +
                  loqa.home.file(QStringLiteral("work/b.txt")) + QStringLiteral("\r\n"))
                     .toUtf8());
    }
};

int main(int argc, char **argv)
{
    if (HaveDisplay())
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    TestDesktop test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_desktop.moc"
