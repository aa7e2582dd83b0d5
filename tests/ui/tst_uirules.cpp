#include "actions.h"
#include "clipboardrules.h"
#include "commandrules.h"
#include "doclist.h"
#include "readingrules.h"
#include "textfile.h"
#include "trayrules.h"
#include "uitexts.h"

#include <QSet>
#include <QTest>

#include <limits>

using namespace loqa;

class TestUiRules : public QObject
{
    Q_OBJECT

private slots:
    void actionTable()
    {
        QCOMPARE(int(kActions.size()), 41);
        QCOMPARE(QLatin1String(kActions[ActionTTS].name), QLatin1String("ActionTTS"));
        QCOMPARE(QLatin1String(kActions[21].caption), QLatin1String("Read Aloud"));
        QCOMPARE(QLatin1String(kActions[40].name), QLatin1String("ActionHelpAbout"));
        QSet<QString> names;
        for (const ActionInfo &a : kActions)
            names.insert(QLatin1String(a.name));
        QCOMPARE(names.size(), 41);
    }

    void statusTexts_data()
    {
        QTest::addColumn<bool>("volume");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("volume half") << true << 32768 << " Volume: 50% [32768] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("volume full") << true << 65535 << " Volume: 100% [65535] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("volume none") << true << 0 << " Volume: 0% [0] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("speed lowest") << false << 50 << " Speed: 0% [50] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("speed half") << false << 275 << " Speed: 50% [275] -- Left/Right arrow key to Fine-tune";
        QTest::newRow("speed top") << false << 500 << " Speed: 100% [500] -- Left/Right arrow key to Fine-tune";
    }

    void statusTexts()
    {
        QFETCH(bool, volume);
        QFETCH(int, position);
        QFETCH(QString, text);
        QCOMPARE(volume ? VolumeStatusText(position) : SpeedStatusText(position), text);
    }

    void documentStatus()
    {
        QCOMPARE(DocumentStatusText("/home/u/txt/notes.txt", "1234"),
                 QStringLiteral(" /home/u/txt/notes.txt [1234 Bytes]"));
    }

    // Each caption of a menu gets its own key: word starts first, then any free
    // letter; a mnemonic already given keeps its letter, "&&" stays a plain '&'.
    void menuMnemonics()
    {
        QCOMPARE(WithMnemonics({"New", "Open...", "Save", "Save As...", "Close", "Close All", "Exit"}),
                 QStringList({"&New", "&Open...", "&Save", "Save &As...", "&Close", "C&lose All", "&Exit"}));
        QCOMPARE(WithMnemonics({"Pause", "&Play", "R&&D", "PP", "2 Voices"}),
                 QStringList({"P&ause", "&Play", "&R&&D", "PP", "&2 Voices"}));
    }

    void engineImages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("image");
        QTest::newRow("male") << "English (America) Male" << 0;
        QTest::newRow("female only") << "English (America) Female" << 1;
        QTest::newRow("male and mary") << "Mary Male" << 0;
        QTest::newRow("mike") << "Mike voice" << 2;
        QTest::newRow("mary") << "Mary" << 3;
        QTest::newRow("robosoft") << "RoboSoft One" << 4;
        QTest::newRow("case matters") << "english male" << 5;
    }

    void engineImages()
    {
        QFETCH(QString, name);
        QFETCH(int, image);
        QCOMPARE(EngineImageIndex(name), image);
    }

    void tabCaptionAndNames()
    {
        QCOMPARE(docs::TabCaption("/a/b/Notes.Final.txt"), QStringLiteral("Notes.Final"));
        QCOMPARE(docs::TabCaption("/a/b/README"), QStringLiteral("README"));
        QCOMPARE(docs::PlaceholderPath("/t/"), QStringLiteral("/t/untitled.txt"));
        const QSet<QString> present{"/t/untitled1.txt", "/t/untitled2.txt", "/t/untitled4.txt"};
        QCOMPARE(docs::NewDocumentName("/t/", [&](const QString &p) { return present.contains(p); }),
                 QStringLiteral("/t/untitled3.txt"));
    }

    void addKeepsPathsAsGiven()
    {
        QStringList list{"/Docs/Notes.txt"};
        QVERIFY(!docs::AddDocument(list, "/Docs/Notes.txt"));
        QVERIFY(docs::AddDocument(list, "/docs/notes.txt")); // another file on this system
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.first(), QStringLiteral("/Docs/Notes.txt"));
    }

    void saveAs()
    {
        QStringList list{"/a", "/b", "/c"};
        QCOMPARE(docs::SaveAsUpdate(list, 1, "/new"), 1); // a new path takes the place
        QCOMPARE(list, (QStringList{"/a", "/new", "/c"}));
        QCOMPARE(docs::SaveAsUpdate(list, 0, "/c"), 1); // onto another tab's file: one tab, at the end
        QCOMPARE(list, (QStringList{"/new", "/c"}));
        QCOMPARE(docs::SaveAsUpdate(list, 0, "/new"), 1); // onto its own path: to the end
        QCOMPARE(list, (QStringList{"/c", "/new"}));
    }

    // The tab selected after Close: the one now in the closed one's place, else the first.
    void closeSelection_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("closed");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("after");
        const QStringList abc{"/a", "/b", "/c"};
        QTest::newRow("rightmost of three") << abc << 2 << 0 << QStringList{"/a", "/b"};
        QTest::newRow("middle of three") << abc << 1 << 1 << QStringList{"/a", "/c"};
        QTest::newRow("first of three") << abc << 0 << 0 << QStringList{"/b", "/c"};
        QTest::newRow("last of two") << QStringList{"/a", "/b"} << 1 << 0 << QStringList{"/a"};
        QTest::newRow("the only one") << QStringList{"/a"} << 0 << 0 << QStringList{"/t/untitled.txt"};
    }

    void closeSelection()
    {
        QFETCH(QStringList, list);
        QFETCH(int, closed);
        QFETCH(int, selected);
        QFETCH(QStringList, after);
        QCOMPARE(docs::CloseDocument(list, closed, "/t/untitled.txt"), selected);
        QCOMPARE(list, after);
    }

    // New documents are named folder + "untitled" + n + ".txt", whatever the folder holds.
    void newDocumentNames_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder with %1") << "/home/u/100%1/" << QStringList{"/home/u/100%1/untitled1.txt"}
                                        << "/home/u/100%1/untitled2.txt";
        QTest::newRow("folder with %2 and %d") << "/x/%2%d%s/" << QStringList{} << "/x/%2%d%s/untitled1.txt";
    }

    void newDocumentNames()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, present);
        QFETCH(QString, name);
        QCOMPARE(docs::NewDocumentName(folder, [&](const QString &p) { return present.contains(p); }), name);
    }

    void editEnabling_data()
    {
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("clipboardText");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("enabled"); // u c C p d: undo, cut, copy, paste, delete
        QTest::newRow("nothing") << false << false << false << false << "-----";
        QTest::newRow("selection only") << true << false << false << false << "-cC-d";
        QTest::newRow("undo only") << false << true << false << false << "u----";
        QTest::newRow("clipboard only") << false << false << true << false << "---p-";
        QTest::newRow("everything") << true << true << true << false << "ucCpd";
        QTest::newRow("locked editor copies only") << true << true << true << true << "--C--";
    }

    void editEnabling()
    {
        QFETCH(bool, selection);
        QFETCH(bool, canUndo);
        QFETCH(bool, clipboardText);
        QFETCH(bool, readOnly);
        QFETCH(QString, enabled);
        const EditEnabling e = EditEnablingFor({selection, canUndo, clipboardText, readOnly});
        QString got;
        got += e.undo ? 'u' : '-';
        got += e.cut ? 'c' : '-';
        got += e.copy ? 'C' : '-';
        got += e.paste ? 'p' : '-';
        got += e.del ? 'd' : '-';
        QCOMPARE(got, enabled);
    }

    void globalHotkeys_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<int>>("commands");
        QTest::newRow("two commands on one chord both run, in order")
            << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << int(Qt::Key_F2)
            << QList<int>{ActionTTS, ActionReadClipboard};
        QTest::newRow("one") << int(Qt::ControlModifier | Qt::AltModifier) << int(Qt::Key_F6) << QList<int>{ActionStop};
        QTest::newRow("modifiers must match exactly") << int(Qt::ControlModifier) << int(Qt::Key_F6) << QList<int>{};
        QTest::newRow("not global") << int(Qt::ControlModifier) << int(Qt::Key_N) << QList<int>{};
        QTest::newRow("global without a shortcut") << int(Qt::NoModifier) << 0 << QList<int>{};
    }

    void globalHotkeys()
    {
        QFETCH(int, modifiers);
        QFETCH(int, key);
        QFETCH(QList<int>, commands);
        std::array<QString, ActionCount> shortcuts;
        std::array<qint32, ActionCount> ids{};
        shortcuts[ActionFileNew] = "Ctrl+N"; // not global
        shortcuts[ActionTTS] = "Shift+Ctrl+Alt+F2";
        shortcuts[ActionReadClipboard] = "Shift+Ctrl+Alt+F2";
        shortcuts[ActionStop] = "Ctrl+Alt+F6";
        ids[ActionTTS] = 1;
        ids[ActionReadClipboard] = 7;
        ids[ActionStop] = 3;
        ids[ActionShowMain] = 9; // global, but its shortcut is empty
        const std::vector<int> run =
            GlobalHotkeyCommands(shortcuts, ids, Qt::KeyboardModifiers(modifiers), Qt::Key(key));
        QCOMPARE(QList<int>(run.begin(), run.end()), commands);
    }

    void moves_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("order");
        QTest::newRow("last from first exchanges") << 0 << int(docs::Move::Last) << 3 << "DBCA";
        QTest::newRow("first from last exchanges") << 3 << int(docs::Move::First) << 0 << "DBCA";
        QTest::newRow("prev") << 2 << int(docs::Move::Prev) << 1 << "ACBD";
        QTest::newRow("next") << 1 << int(docs::Move::Next) << 2 << "ACBD";
        QTest::newRow("no prev from first") << 0 << int(docs::Move::Prev) << -1 << "ABCD";
        QTest::newRow("no next from last") << 3 << int(docs::Move::Next) << -1 << "ABCD";
    }

    void moves()
    {
        QFETCH(int, index);
        QFETCH(int, move);
        QFETCH(int, selected);
        QFETCH(QString, order);
        QStringList list{"A", "B", "C", "D"};
        QCOMPARE(docs::MoveDocument(list, index, docs::Move(move)), selected);
        QCOMPARE(list.join(QString()), order);
    }

    void navigation()
    {
        docs::Navigation n = docs::NavigationFor(0, 3, false);
        QVERIFY(!n.prev && n.next && !n.moveFirst && !n.movePrev && n.moveNext && n.moveLast);
        n = docs::NavigationFor(2, 3, false);
        QVERIFY(n.prev && !n.next && n.moveFirst && n.movePrev && !n.moveNext && !n.moveLast);
        n = docs::NavigationFor(0, 3, true);
        QVERIFY(n.prev && n.next);
        n = docs::NavigationFor(0, 1, false);
        QVERIFY(!n.prev && !n.next && !n.moveFirst && !n.moveLast);
    }

    void drops()
    {
        QVERIFY(docs::IsDroppableDocument("/x/Notes.TXT"));
        QVERIFY(!docs::IsDroppableDocument("/x/song.mp3"));
        QVERIFY(!docs::IsDroppableDocument("/x/txt"));
    }

    void outputNames_data()
    {
        QTest::addColumn<int>("readState");
        QTest::addColumn<bool>("mp3");
        QTest::addColumn<QString>("name");
        QTest::newRow("document to wav") << 1 << false << "/w/notes.wav";
        QTest::newRow("document to mp3") << 1 << true << "/m/notes.mp3";
        QTest::newRow("part to mp3") << 2 << true << "/m/PartOfnotes.mp3";
        QTest::newRow("part to wav") << 2 << false << "/w/PartOfnotes.wav";
        QTest::newRow("stopped run") << 0 << true << "/m/Clipboard.mp3";
        QTest::newRow("clipboard") << 3 << false << "/w/Clipboard.wav";
    }

    void outputNames()
    {
        QFETCH(int, readState);
        QFETCH(bool, mp3);
        QFETCH(QString, name);
        QCOMPARE(RunOutputName(readState, "/d/notes.txt", mp3 ? "/m/" : "/w/", mp3), name);
    }

    // Folders written by hand without their last "/" still hold the files.
    void foldersWithoutTheirSlash()
    {
        QCOMPARE(RunOutputName(2, "/d/notes.txt", "/home/me/wav", false),
                 QStringLiteral("/home/me/wav/PartOfnotes.wav"));
        QCOMPARE(RunOutputName(0, "/d/notes.txt", "/home/me/mp3", true), QStringLiteral("/home/me/mp3/Clipboard.mp3"));
        QCOMPARE(docs::PlaceholderPath("/home/me/ro"), QStringLiteral("/home/me/ro/untitled.txt"));
    }

    void runTexts()
    {
        QCOMPARE(RunStatusText(0, 2, "notes"), QStringLiteral("notes"));
        QCOMPARE(RunStatusText(1, 0, "notes"), QStringLiteral("Reading notes Aloud"));
        QCOMPARE(RunStatusText(2, 1, "notes"), QStringLiteral("Reading notes [PART] to WAV"));
        QCOMPARE(RunStatusText(3, 2, "notes"), QStringLiteral("Reading Clipboard to MP3"));
        QCOMPARE(TrayHintText("Reading notes Aloud", true, false), QStringLiteral("Reading notes Aloud | Loquora"));
        QCOMPARE(TrayHintText("notes", false, false), QStringLiteral("notes | Loquora [Stopped]"));
        QCOMPARE(TrayHintText("Reading notes Aloud", true, true),
                 QStringLiteral("Reading notes Aloud | Loquora [Paused]"));
        QCOMPARE(CursorCaption(1), QStringLiteral("Read from Cursor to WAV File"));
        QCOMPARE(SelectedCaption(2), QStringLiteral("Read Selected Text to MP3 File"));
        QCOMPARE(SelectedCaption(0), QStringLiteral("Read Selected Text Aloud"));
    }

    void selectedTextEnabling()
    {
        QVERIFY(SelectedTextEnabled(1, 0));
        QVERIFY(SelectedTextEnabled(5, 3)); // during a clipboard reading
        QVERIFY(!SelectedTextEnabled(5, 1));
        QVERIFY(!SelectedTextEnabled(5, 2));
        QVERIFY(!SelectedTextEnabled(0, 0));
    }

    void spokenPositionsLandOnCharacters()
    {
        // The engine's text: UTF-8, lines ended by CR LF; the editor's: LF.
        const QString editor = QStringLiteral("Grüße 😀 x\nПривет мир");
        QByteArray spoken;
        for (const QString &line : SplitTextLines(editor))
            spoken += line.toUtf8() + "\r\n";
        SpokenPosition map;
        map.reset(spoken);
        for (const QString &word :
             {QStringLiteral("x"), QStringLiteral("мир"), QStringLiteral("Привет"), QStringLiteral("😀")}) {
            QString engineText = QString::fromUtf8(spoken);
            const qsizetype byteOffset = engineText.left(engineText.indexOf(word)).toUtf8().size();
            QCOMPARE(editor.mid(map.charPosition(byteOffset), word.size()), word);
        }
        QCOMPARE(SplitTextLines("a\r\nb\rc\n"), (QStringList{"a", "b", "c"}));
    }

    // The length rule counts bytes of UTF-8, line breaks included; equal is enough.
    void clipboardLengthRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ignoreLen");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("9 of 10") << "123456789" << 10 << false;
        QTest::newRow("10 of 10") << "1234567890" << 10 << true;
        QTest::newRow("12 of 10") << "Hello there!" << 10 << true;
        QTest::newRow("empty, 0 takes all") << "" << 0 << true;
        QTest::newRow("empty, 1") << "" << 1 << false;
        QTest::newRow("line break counts") << "abcd\r\nefgh" << 10 << true;
        QTest::newRow("5 accented letters are 10 bytes") << "ééééé" << 10 << true;
        QTest::newRow("4 accented letters are 8 bytes") << "éééé" << 9 << false;
        QTest::newRow("an emoji is 4 bytes") << "😀😀ab" << 10 << true;
        QTest::newRow("3 Cyrillic letters are 6 bytes") << "мир" << 7 << false;
    }
    void clipboardLengthRule()
    {
        QFETCH(QString, text);
        QFETCH(int, ignoreLen);
        QFETCH(bool, accepted);
        QCOMPARE(ClipboardTextAccepted(text, ignoreLen), accepted);
    }

    // One choice value drives the handler, the prompt's default button and its result.
    void clipboardChoices_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("button");
        QTest::newRow("read now") << 0 << int(ClipboardStep::ReadNow) << 0;
        QTest::newRow("new") << 1 << int(ClipboardStep::NewDocument) << 1;
        QTest::newRow("append") << 2 << int(ClipboardStep::Append) << 2;
        QTest::newRow("cancel") << 3 << int(ClipboardStep::Nothing) << 3;
        QTest::newRow("past the end") << 4 << int(ClipboardStep::Nothing) << -1;
        QTest::newRow("negative") << -1 << int(ClipboardStep::Nothing) << -1;
    }
    void clipboardChoices()
    {
        QFETCH(int, choice);
        QFETCH(int, step);
        QFETCH(int, button);
        QCOMPARE(int(ClipboardStepFor(choice)), step);
        QCOMPARE(PromptButtonFor(choice), button);
    }

    void clipboardAppendAndTimeout()
    {
        QCOMPARE(AppendAsLines("", "copied"), QStringLiteral("copied\n"));
        QCOMPARE(AppendAsLines("first", "copied"), QStringLiteral("first\ncopied\n"));
        QCOMPARE(AppendAsLines("first\n", "two\r\nlines\r\n"), QStringLiteral("first\ntwo\nlines\n"));
        QCOMPARE(AppendAsLines("first", "old\rmac"), QStringLiteral("first\nold\nmac\n"));
        // PromptDelay seconds; 0 (and nonsense) keeps the prompt until it is answered.
        QCOMPARE(PromptTimeoutMs(2), 2000);
        QCOMPARE(PromptTimeoutMs(999), 999000);
        QCOMPARE(PromptTimeoutMs(0), 0);
        QCOMPARE(PromptTimeoutMs(-3), 0);
        QVERIFY(PromptTimeoutMs(std::numeric_limits<int>::max()) > 0);
    }

    // Which way copies are watched on which desktop, and what the status panel says.
    void clipboardWatch_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("dataControl");
        QTest::addColumn<bool>("wlPaste");
        QTest::addColumn<bool>("xDisplay");
        QTest::addColumn<int>("watch");
        QTest::addColumn<QString>("notice"); // a part of it; empty: says nothing
        const int toolkit = int(ClipboardWatch::Toolkit), dataControl = int(ClipboardWatch::DataControl),
                  mirror = int(ClipboardWatch::XWaylandMirror), focus = int(ClipboardWatch::FocusOnly),
                  noHelper = int(ClipboardWatch::FocusOnlyNoHelper);
        QTest::newRow("X11") << "xcb"
                             << "GNOME" << false << true << true << toolkit << "";
        QTest::newRow("XWayland under KDE") << "xcb"
                                            << "KDE" << true << true << true << toolkit << "";
        QTest::newRow("tests") << "offscreen"
                               << "" << false << false << false << toolkit << "";
        QTest::newRow("KWin") << "wayland"
                              << "KDE" << true << true << true << dataControl << "data-control";
        QTest::newRow("sway, no XWayland") << "wayland"
                                           << "sway" << true << true << false << dataControl << "in every program";
        QTest::newRow("data-control, no wl-paste")
            << "wayland"
            << "KDE" << true << false << true << noHelper << "install wl-clipboard";
        QTest::newRow("GNOME") << "wayland"
                               << "GNOME" << false << true << true << mirror << "XWayland";
        QTest::newRow("Ubuntu's GNOME") << "wayland-egl"
                                        << "ubuntu:GNOME" << false << false << true << mirror << "XWayland";
        QTest::newRow("GNOME without XWayland")
            << "wayland"
            << "GNOME" << false << true << false << focus << "only while Loquora has the focus";
        QTest::newRow("other compositor")
            << "wayland"
            << "Weston" << false << true << true << focus << "only while Loquora has the focus";
    }
    void clipboardWatch()
    {
        QFETCH(QString, platform);
        QFETCH(QString, desktop);
        QFETCH(bool, dataControl);
        QFETCH(bool, wlPaste);
        QFETCH(bool, xDisplay);
        QFETCH(int, watch);
        QFETCH(QString, notice);
        const ClipboardWatch chosen = ChooseClipboardWatch(platform, desktop, dataControl, wlPaste, xDisplay);
        QCOMPARE(int(chosen), watch);
        const QString said = ClipboardWatchNotice(chosen);
        if (notice.isEmpty())
            QVERIFY2(said.isEmpty(), qPrintable(said));
        else
            QVERIFY2(said.contains(notice), qPrintable(said));
    }

    void trayRules_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("asked"); // MiniToTray, MiniStartup
        QTest::addColumn<bool>("trayShown");
        QTest::addColumn<bool>("hides");
        QTest::newRow("all on") << true << true << true << true;
        QTest::newRow("icon off") << false << true << true << false;
        QTest::newRow("not asked") << true << false << true << false;
        QTest::newRow("no tray on the desktop") << true << true << false << false;
    }
    void trayRules()
    {
        QFETCH(bool, tray);
        QFETCH(bool, asked);
        QFETCH(bool, trayShown);
        QFETCH(bool, hides);
        QCOMPARE(MinimizeHidesWindow(tray, asked, trayShown), hides);
        QCOMPARE(StartHidden(tray, asked, trayShown), hides);
        QCOMPARE(ShowMainCaption(true), QStringLiteral("Hide Main Window"));
        QCOMPARE(ShowMainCaption(false), QStringLiteral("Show Main Window"));
    }

    // With the window shown or hidden, every command of the tray menu gets a
    // letter of its own, so that one key press runs any of them.
    void trayMenu_everyEntryHasItsOwnLetter()
    {
        for (bool visible : {true, false}) {
            QStringList captions;
            for (int entry : TrayMenuEntries()) {
                if (entry >= 0)
                    captions << (entry == ActionShowMain ? ShowMainCaption(visible)
                                                         : QString::fromLatin1(kActions[size_t(entry)].caption));
            }
            QCOMPARE(captions.size(), 11);
            QSet<QChar> letters;
            for (const QString &caption : WithMnemonics(captions)) {
                const qsizetype at = caption.indexOf(QLatin1Char('&'));
                QVERIFY2(at >= 0 && at + 1 < caption.size(), qPrintable(caption));
                letters.insert(caption[at + 1].toLower());
            }
            QCOMPARE(letters.size(), captions.size());
        }
    }
};

QTEST_GUILESS_MAIN(TestUiRules)
#include "tst_uirules.moc"
