// The window as a screen-reader or keyboard user meets it, on the private
// desktop with its own accessibility bus: every control a user can reach says
// what it is, "Read Aloud" pressed through AT-SPI is heard, the run's state is
// announced without the focus moving, and Tab visits the controls in reading order.
#include "sinkrecorder.h"
#include "testsupport.h"
#include "xdesktop.h"

#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// Asks the AT-SPI probe; its answer is one JSON object (with "error" when it failed).
QJsonObject probe(const QStringList &args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{qEnvironmentVariable("LOQA_SOURCE_DIR") + QStringLiteral("/tests/system/atspi_probe.py")} +
                args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {{QStringLiteral("error"), QStringLiteral("the probe did not finish")}};
    }
    const QJsonObject answer = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    if (answer.isEmpty())
        return {{QStringLiteral("error"), QString::fromUtf8(p.readAllStandardError())}};
    return answer;
}

// The program's icon in the tray: its small window docked there.
QString trayIcon(qint64 pid)
{
    const QString ids = xdotool(
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)});
    static const QRegularExpression size(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    for (const QString &id : ids.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const auto m = size.match(xdotool({QStringLiteral("getwindowgeometry"), id}));
        if (m.hasMatch() && m.captured(1).toInt() <= 48 && m.captured(2).toInt() <= 48)
            return id;
    }
    return {};
}

QStringList strings(const QJsonValue &value)
{
    QStringList list;
    for (const QJsonValue &v : value.toArray())
        list << v.toString();
    return list;
}

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

    QProcess FBus;
    QProcess FLoqa;
    TempHome FHome;

private slots:
    void initTestCase()
    {
        if (!HaveDisplay() || !HaveSoundServer())
            QSKIP("needs the private desktop session");
        // A session bus of our own: the accessibility bus and its registry start on it on demand.
        FBus.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(FBus.waitForStarted());
        QVERIFY(FBus.waitForReadyRead(10000));
        const QByteArray address = FBus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        const QJsonObject registry = probe({QStringLiteral("registry")});
        QVERIFY2(registry.value(QStringLiteral("registry")).toBool(),
                 qPrintable(registry[QStringLiteral("error")].toString()));

        QVERIFY(FHome.write(QStringLiteral("txt/a.txt"), "Listen to this sentence, spoken through the bridge."));
        QVERIFY(FHome.write(QStringLiteral("txt/b.txt"), "A second document."));
        QVERIFY(FHome.write(QStringLiteral("loqa.apl"), (FHome.path() + QStringLiteral("/txt/a.txt\r\n") +
                                                         FHome.path() + QStringLiteral("/txt/b.txt\r\n"))
                                                            .toUtf8()));
        // Copied text asks what to do, and the question waits for its answer.
        QVERIFY(FHome.write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n[Clipboard]\r\nShowPrompt=1\r\n"
                                                        "DefAction=3\r\nPromptDelay=0\r\n[UI]\r\nTray=1\r\n"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LOQA_HOME"), FHome.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        FLoqa.setProcessEnvironment(env);
        FLoqa.start(LoqaBinary(), {});
        QVERIFY(FLoqa.waitForStarted());
        QVERIFY(!findWindow(QStringLiteral("Loquora")).isEmpty());
    }

    // Every control a user can reach or press in each shown window has a name
    // and a role that says what it is: the main window, then find and replace.
    void everyControlIsNamed()
    {
        QJsonObject walked = probe({QStringLiteral("walk"), QStringLiteral("loqa")});
        QVERIFY2(!walked.contains(QStringLiteral("error")), qPrintable(walked[QStringLiteral("error")].toString()));
        QCOMPARE(strings(walked[QStringLiteral("windows")]), QStringList{QStringLiteral("frame:Loquora")});
        QVERIFY2(walked[QStringLiteral("faults")].toArray().isEmpty(),
                 qPrintable(strings(walked[QStringLiteral("faults")]).join(QLatin1Char('\n'))));
        saveScreenshot(QStringLiteral("access-main"));

        // Alt+S opens the Search menu, F its "Find..." command.
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                 QStringLiteral("^Loquora$"), QStringLiteral("windowactivate"), QStringLiteral("--sync")});
        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+s")});
        QTest::qWait(500);
        xdotool({QStringLiteral("key"), QStringLiteral("f")});
        QVERIFY(!findWindow(QStringLiteral("Find")).isEmpty());
        walked = probe({QStringLiteral("walk"), QStringLiteral("loqa")});
        QVERIFY(strings(walked[QStringLiteral("windows")]).contains(QStringLiteral("dialog:Find")));
        QVERIFY2(walked[QStringLiteral("faults")].toArray().isEmpty(),
                 qPrintable(strings(walked[QStringLiteral("faults")]).join(QLatin1Char('\n'))));
        saveScreenshot(QStringLiteral("access-find"));
        // The key on its own: chained after the search, xdotool leaves Escape
        // repeating in the server after the window has gone, and the next press
        // of it is lost.
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                 QStringLiteral("^Find$"), QStringLiteral("windowactivate"), QStringLiteral("--sync")});
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), QStringLiteral("^Find$")})
                                     .isEmpty(),
                                 10000);
    }

    // Tab visits the window's controls row by row and comes back round; the
    // disabled Pause, Stop and Prev (on the first document) are passed over, and
    // so are the caption's buttons and the menus, which have keys of their own.
    void tabFollowsReadingOrder()
    {
        const QJsonObject tabbed = probe(
            {QStringLiteral("tab"), QStringLiteral("loqa"), QStringLiteral("Loquora"), QStringLiteral("8")}, 180000);
        // From the document, where the window starts, round to the top row.
        const QStringList expected{QStringLiteral("push button:Read Aloud"),
                                   QStringLiteral("push button:Next"),
                                   QStringLiteral("combo box:Voice"),
                                   QStringLiteral("slider:Volume"),
                                   QStringLiteral("slider:Speed"),
                                   QStringLiteral("push button:Options"),
                                   QStringLiteral("page tab:a"),
                                   QStringLiteral("text:Document text")};
        QCOMPARE(strings(tabbed[QStringLiteral("order")]), expected);
    }

    // The clipboard prompt, over the window when text is copied: named, every
    // button reachable with Tab, and answered from the keyboard.
    void promptWithoutMouse()
    {
        QProcess xclip;
        xclip.setStandardOutputFile(QProcess::nullDevice());
        xclip.setStandardErrorFile(QProcess::nullDevice());
        xclip.start(QStringLiteral("xclip"),
                    {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")});
        QVERIFY(xclip.waitForStarted());
        xclip.write("Copied for the prompt");
        xclip.closeWriteChannel();
        xclip.waitForFinished(15000);
        QJsonObject walked;
        QTRY_VERIFY_WITH_TIMEOUT(
            (walked = probe({QStringLiteral("walk"), QStringLiteral("loqa")}),
             strings(walked[QStringLiteral("windows")]).contains(QStringLiteral("dialog:Clipboard"))),
            20000);
        QVERIFY2(walked[QStringLiteral("faults")].toArray().isEmpty(),
                 qPrintable(strings(walked[QStringLiteral("faults")]).join(QLatin1Char('\n'))));
        saveScreenshot(QStringLiteral("access-prompt"));
        const QJsonObject tabbed =
            probe({QStringLiteral("tab"), QStringLiteral("loqa"), QString(), QStringLiteral("5")});
        QCOMPARE(strings(tabbed[QStringLiteral("order")]),
                 QStringList({QStringLiteral("push button:Close"), QStringLiteral("push button:Read Now!"),
                              QStringLiteral("push button:New"), QStringLiteral("push button:Append"),
                              QStringLiteral("push button:Cancel")}));
        // Escape answers it as Cancel does.
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(
            !strings(probe({QStringLiteral("walk"), QStringLiteral("loqa")})[QStringLiteral("windows")])
                 .contains(QStringLiteral("dialog:Clipboard")),
            10000);
    }

    // "Read Aloud" pressed through its AT-SPI action is heard at the sound
    // server; the run's states are announced as a notification, and the focus
    // stays where the user left it.
    void readAloudThroughTheBridge()
    {
        SinkRecorder rec;
        QVERIFY(rec.start());
        const QJsonObject pressed =
            probe({QStringLiteral("press"), QStringLiteral("loqa"), QStringLiteral("Read Aloud")});
        QVERIFY2(!pressed.contains(QStringLiteral("error")), qPrintable(pressed[QStringLiteral("error")].toString()));
        // The recording may still be on its way from a busy sound server.
        QTRY_VERIFY2_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5),
                                  qPrintable(QString::number(rec.analyse().heardSeconds)), 5000);
        // Each document's run, then the end of the walk. Word positions change
        // the panel's text many times between, but only states rename it and are told.
        QCOMPARE(strings(pressed[QStringLiteral("announced")]),
                 QStringList({QStringLiteral("Reading a Aloud"), QStringLiteral("Reading b Aloud"),
                              QStringLiteral("Stopped")}));
        QCOMPARE(pressed[QStringLiteral("renamed")].toInt(), 3);
        QCOMPARE(pressed[QStringLiteral("focusAfter")].toString(), pressed[QStringLiteral("focusBefore")].toString());
    }

    // The tray menu, opened with a click on the icon: a screen reader finds its
    // entries as named menu items, and the arrows move the focus from entry to
    // entry. Before the menu bar is walked: the toolkit keeps one accessible
    // object for a command, whose menu is the first that showed it to a reader.
    void trayMenuForScreenReaders()
    {
        const QStringList shown{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                QString::number(FLoqa.processId())};
        const QString before = xdotool(shown);
        QString icon;
        QTRY_VERIFY_WITH_TIMEOUT(!(icon = trayIcon(FLoqa.processId())).isEmpty(), 10000);
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), icon, QStringLiteral("8"),
                 QStringLiteral("8"), QStringLiteral("click"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(xdotool(shown) != before, 10000);
        saveScreenshot(QStringLiteral("access-tray-menu"));
        // The first entry is active as the menu opens: Up comes round to the last, Down back to the first.
        const QJsonObject up = probe({QStringLiteral("menu"), QStringLiteral("loqa"), QStringLiteral("Up")});
        QCOMPARE(up[QStringLiteral("focus")].toString(), QStringLiteral("menu item:Exit"));
        QCOMPARE(strings(up[QStringLiteral("entries")]),
                 QStringList({QStringLiteral("menu item:Hide Main Window"), QStringLiteral("menu item:Read Aloud"),
                              QStringLiteral("menu item:Read to WAV File"),
                              QStringLiteral("menu item:Read to MP3 File"), QStringLiteral("menu item:Pause/Resume"),
                              QStringLiteral("menu item:Stop"), QStringLiteral("menu item:Prev"),
                              QStringLiteral("menu item:Next"), QStringLiteral("menu item:Read Clipboard"),
                              QStringLiteral("menu item:Options"), QStringLiteral("menu item:Exit")}));
        const QJsonObject down = probe({QStringLiteral("menu"), QStringLiteral("loqa"), QStringLiteral("Down")});
        QCOMPARE(down[QStringLiteral("focus")].toString(), QStringLiteral("menu item:Hide Main Window"));
        // A click on the window's caption, away from the menu, closes it.
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                 QStringLiteral("^Loquora$"), QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QStringLiteral("%1"), QStringLiteral("300"), QStringLiteral("8"), QStringLiteral("click"),
                 QStringLiteral("1")});
        QTRY_COMPARE_WITH_TIMEOUT(xdotool(shown), before, 10000);
    }

    // The menu row is a menu bar, walked from the keyboard: Alt alone opens
    // File, Right and Left go from menu to menu, Alt+T opens Tools. The
    // window is a frame and the voice list is named "Voice", valued by the voice.
    // Options opened from Tools starts on its page's first control, which
    // says the page it is on.
    void menusAndNamesOverTheBus()
    {
        const QJsonObject seen = probe({QStringLiteral("outline"), QStringLiteral("loqa")});
        QVERIFY2(!seen.contains(QStringLiteral("error")), qPrintable(seen[QStringLiteral("error")].toString()));
        QCOMPARE(strings(seen[QStringLiteral("windows")]), QStringList{QStringLiteral("frame:Loquora")});
        QCOMPARE(strings(seen[QStringLiteral("menubar")]),
                 QStringList({QStringLiteral("menu item:File"), QStringLiteral("menu item:Edit"),
                              QStringLiteral("menu item:Search"), QStringLiteral("menu item:Playback"),
                              QStringLiteral("menu item:Tools"), QStringLiteral("menu item:Help")}));
        const QStringList fileItems = strings(seen[QStringLiteral("menus")][QStringLiteral("File items")]);
        QVERIFY2(fileItems.size() == 7 && fileItems.first() == QStringLiteral("menu item:New|Ctrl+N"),
                 qPrintable(fileItems.join(QLatin1Char(','))));
        QVERIFY2(strings(seen[QStringLiteral("combos")]).contains(QStringLiteral("Voice=English (Great Britain) Male")),
                 qPrintable(strings(seen[QStringLiteral("combos")]).join(QLatin1Char(','))));

        // Alt alone opens File, and one Escape gives the keys back to the
        // document: Up then moves in it and opens no menu.
        const QStringList keys = {QStringLiteral("keys"), QStringLiteral("loqa"), QStringLiteral("Loquora")};
        QCOMPARE(strings(probe(keys + QStringList{QStringLiteral("alt"), QStringLiteral("Escape"),
                                                  QStringLiteral("Up")})[QStringLiteral("order")]),
                 QStringList({QStringLiteral("menu item:New"), QStringLiteral("text:Document text"), QString()}));
        // Alt+T opens Tools, and its O the options dialog.
        QCOMPARE(
            strings(probe(keys + QStringList{QStringLiteral("alt+t"), QStringLiteral("o")})[QStringLiteral("order")]),
            QStringList({QStringLiteral("menu item:My TXT Folder"), QStringLiteral("check box:Show Tooltips")}));
        QVERIFY(!findWindow(QStringLiteral(" Options")).isEmpty());
        const QJsonObject options = probe({QStringLiteral("outline"), QStringLiteral("loqa")});
        QCOMPARE(strings(options[QStringLiteral("context")]),
                 QStringList({QStringLiteral("check box:Show Tooltips"), QStringLiteral("page tab:General")}));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), QStringLiteral("^ Options$")})
                                     .isEmpty(),
                                 10000);

        // Alt opens File; Left goes round to Help, Right comes back; Escape
        // returns to the document.
        QCOMPARE(
            strings(probe(keys + QStringList{QStringLiteral("alt"), QStringLiteral("Left"), QStringLiteral("Right"),
                                             QStringLiteral("Escape")})[QStringLiteral("order")]),
            QStringList({QStringLiteral("menu item:New"), QStringLiteral("menu item:Help"),
                         QStringLiteral("menu item:New"), QStringLiteral("text:Document text")}));
    }

    // A reading paused and resumed, told as a screen reader hears it: each
    // change of state is announced once, the spoken word is shown without
    // selecting text, and the editor's text is left alone. Choosing a tab says
    // which one is now selected.
    void pauseAndResumeAreToldOnce()
    {
        const QJsonObject run = probe({QStringLiteral("pauseresume"), QStringLiteral("loqa"), QStringLiteral("a")});
        QVERIFY2(!run.contains(QStringLiteral("error")), qPrintable(run[QStringLiteral("error")].toString()));
        QCOMPARE(strings(run[QStringLiteral("tabsSelected")]),
                 QStringList({QStringLiteral("b:0"), QStringLiteral("a:1")}));
        const QStringList announced = strings(run[QStringLiteral("announced")]);
        QCOMPARE(announced,
                 QStringList({QStringLiteral("a"), QStringLiteral("Reading a Aloud"), QStringLiteral("Paused"),
                              QStringLiteral("Reading a Aloud"), QStringLiteral("Stopped")}));
        // Word positions and the rest shown between rename nothing.
        QCOMPARE(run[QStringLiteral("renamed")].toInt(), int(announced.size()));
        QCOMPARE(run[QStringLiteral("selections")].toInt(), 0);
        QCOMPARE(run[QStringLiteral("textChanges")].toInt(), 0);
    }

    // The volume is told in percent, as the status line shows it, and set so too.
    void volumeIsAPercentage()
    {
        const QJsonObject before = probe({QStringLiteral("value"), QStringLiteral("loqa"), QStringLiteral("Volume")});
        QVERIFY2(!before.contains(QStringLiteral("error")), qPrintable(before[QStringLiteral("error")].toString()));
        QCOMPARE(before[QStringLiteral("minimum")].toDouble(), 0.0);
        QCOMPARE(before[QStringLiteral("maximum")].toDouble(), 100.0);
        const QJsonObject half =
            probe({QStringLiteral("value"), QStringLiteral("loqa"), QStringLiteral("Volume"), QStringLiteral("50")});
        QCOMPARE(half[QStringLiteral("value")].toDouble(), 50.0);
        probe({QStringLiteral("value"), QStringLiteral("loqa"), QStringLiteral("Volume"),
               QString::number(before[QStringLiteral("value")].toDouble())});
    }

    // The options dialog, opened from the keyboard (Alt+T, then O for Options):
    // every control it shows is named, and Tab reads the General page top to
    // bottom from its first control and comes round by the caption's Close. It
    // stays open for the folder picker.
    void optionsWithoutMouse()
    {
        xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                 QStringLiteral("^Loquora$"), QStringLiteral("windowactivate"), QStringLiteral("--sync")});
        xdotool({QStringLiteral("key"), QStringLiteral("alt+t")});
        QTest::qWait(500);
        xdotool({QStringLiteral("key"), QStringLiteral("o")});
        QVERIFY(!findWindow(QStringLiteral(" Options")).isEmpty());
        const QJsonObject walked = probe({QStringLiteral("walk"), QStringLiteral("loqa")});
        QVERIFY2(strings(walked[QStringLiteral("windows")]).contains(QStringLiteral("dialog: Options")),
                 qPrintable(strings(walked[QStringLiteral("windows")]).join(QLatin1Char('|'))));
        QVERIFY2(walked[QStringLiteral("faults")].toArray().isEmpty(),
                 qPrintable(strings(walked[QStringLiteral("faults")]).join(QLatin1Char('\n'))));
        saveScreenshot(QStringLiteral("access-options"));
        // The greeting's line waits, disabled, for its check box. After each Tab
        // the objects' own focused states name the same one control as the focus
        // events, as a screen reader coming back to the window asks them.
        const QJsonObject tabbed = probe(
            {QStringLiteral("tab"), QStringLiteral("loqa"), QString(), QStringLiteral("15"), QStringLiteral("states")},
            120000);
        const QStringList expected{QStringLiteral("check box:Repeating Playlist"),
                                   QStringLiteral("check box:Highlight Reading Word"),
                                   QStringLiteral("check box:Automatically Play Next File"),
                                   QStringLiteral("check box:Automatically Name for WAV/MP3 Files"),
                                   QStringLiteral("check box:Add Commands to .txt file Context Menus"),
                                   QStringLiteral("check box:Greeting at Startup"),
                                   QStringLiteral("check box:Join words hyphenated at line ends"),
                                   QStringLiteral("check box:Join lines wrapped inside a paragraph"),
                                   QStringLiteral("check box:Leave out page numbers, running headers and footers"),
                                   QStringLiteral("check box:Read ligatures and soft hyphens as plain letters"),
                                   QStringLiteral("push button:Pronunciation Manager"),
                                   QStringLiteral("push button:OK"),
                                   QStringLiteral("push button:Close"),
                                   QStringLiteral("page tab:General"),
                                   QStringLiteral("check box:Show Tooltips")};
        QCOMPARE(strings(tabbed[QStringLiteral("order")]), expected);
        QCOMPARE(strings(tabbed[QStringLiteral("held")]), expected);
    }

    // The folder picker from the options dialog's "..." beside the TXT folder,
    // with the keyboard only: it is named throughout, the arrows walk the named
    // folders, and Enter puts the chosen one into the field.
    void folderPickerWithoutMouse()
    {
        QVERIFY(QDir().mkpath(FHome.path() + QStringLiteral("/spoken")));
        // From the first control, where the options' walk ended: Ctrl+Tab goes
        // to the next page's first control, Tab along its first row.
        const QJsonObject reached = probe({QStringLiteral("keys"), QStringLiteral("loqa"), QString(),
                                           QStringLiteral("ctrl+Tab"), QStringLiteral("Tab")});
        QCOMPARE(strings(reached[QStringLiteral("order")]),
                 QStringList({QStringLiteral("text:TXT Files Directory"),
                              QStringLiteral("push button:Choose the TXT files directory")}));
        QCOMPARE(probe({QStringLiteral("text"), QStringLiteral("loqa"),
                        QStringLiteral("TXT Files Directory")})[QStringLiteral("text")]
                     .toString(),
                 FHome.path() + QStringLiteral("/txt/"));
        xdotool({QStringLiteral("key"), QStringLiteral("space")});
        QVERIFY(!findWindow(QStringLiteral(" Select a folder as the default")).isEmpty());
        const QJsonObject walked = probe({QStringLiteral("walk"), QStringLiteral("loqa")});
        QVERIFY2(strings(walked[QStringLiteral("windows")])
                     .contains(QStringLiteral("dialog: Select a folder as the default")),
                 qPrintable(strings(walked[QStringLiteral("windows")]).join(QLatin1Char('|'))));
        QVERIFY2(walked[QStringLiteral("faults")].toArray().isEmpty(),
                 qPrintable(strings(walked[QStringLiteral("faults")]).join(QLatin1Char('\n'))));
        saveScreenshot(QStringLiteral("access-picker"));
        // The picker opens on the field's folder, with the focus in the tree; Tab
        // goes round its buttons and back. Up reaches the folder above "txt".
        const QJsonObject walkedKeys =
            probe({QStringLiteral("keys"), QStringLiteral("loqa"), QString(), QStringLiteral("Tab"),
                   QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Up")});
        QCOMPARE(strings(walkedKeys[QStringLiteral("order")]),
                 QStringList({QStringLiteral("push button:OK"), QStringLiteral("push button:Cancel"),
                              QStringLiteral("push button:Close"), QStringLiteral("tree:Folders"),
                              QStringLiteral("table cell:spoken")}));
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QTRY_COMPARE_WITH_TIMEOUT(probe({QStringLiteral("text"), QStringLiteral("loqa"),
                                         QStringLiteral("TXT Files Directory")})[QStringLiteral("text")]
                                      .toString(),
                                  FHome.path() + QStringLiteral("/spoken"), 10000);
        QVERIFY(xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                         QStringLiteral("^ Select a folder as the default$")})
                    .isEmpty());
    }

    void cleanupTestCase()
    {
        if (FLoqa.state() != QProcess::NotRunning) {
            FLoqa.kill();
            FLoqa.waitForFinished();
        }
        if (FBus.state() != QProcess::NotRunning) {
            FBus.kill();
            FBus.waitForFinished();
        }
    }
};

int main(int argc, char **argv)
{
    if (HaveDisplay())
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    TestAccess test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_access.moc"
