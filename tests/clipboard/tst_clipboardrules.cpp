#include "clipboard/clipboardrules.h"

#include <QSet>
#include <QTest>

#include <limits>

using namespace loqa;

// Which clipboard texts are taken, and what the prompt's choices do.
class TestClipboardRules : public QObject
{
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestClipboardRules)
#include "tst_clipboardrules.moc"
