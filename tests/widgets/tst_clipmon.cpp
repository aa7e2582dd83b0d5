// The clipboard monitor. Without a display (offscreen) the program's own
// clipboard stands in for the desktop's; with the private X session another
// program (xclip) owns the desktop clipboard and the primary selection.
#include "widgets/clipmon.h"
#include "desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>

using namespace desktop;

class TestClipboardMonitor : public QObject
{
    Q_OBJECT
private slots:
    void ownChanges_raiseOneEventEach_whileActiveAndEnabled()
    {
        TClipboardMonitor monitor;
        QVERIFY(!monitor.Active());
        QVERIFY(monitor.Enabled);
        int events = 0;
        monitor.OnClipboardChange = [&] { ++events; };
        QClipboard *clipboard = QGuiApplication::clipboard();

        clipboard->setText(QStringLiteral("before"));
        QCOMPARE(events, 0);
        // Joining twice watches once.
        monitor.SetActive(true);
        monitor.SetActive(true);
        clipboard->setText(QStringLiteral("same"));
        QTRY_COMPARE(events, 1);
        clipboard->setText(QStringLiteral("same"));
        QTRY_COMPARE(events, 2);

        monitor.Enabled = false;
        clipboard->setText(QStringLiteral("unseen"));
        monitor.Enabled = true;
        clipboard->setText(QStringLiteral("seen"));
        QTRY_COMPARE(events, 3);

        monitor.SetActive(false);
        monitor.SetActive(false);
        clipboard->setText(QStringLiteral("after"));
        QCoreApplication::processEvents();
        QCOMPARE(events, 3);
        // Active again, without a handler: a change calls nothing (an empty
        // handler called would throw here); with one again, it is heard.
        monitor.OnClipboardChange = nullptr;
        monitor.SetActive(true);
        clipboard->setText(QStringLiteral("no handler"));
        QCoreApplication::processEvents();
        monitor.OnClipboardChange = [&] { ++events; };
        clipboard->setText(QStringLiteral("handler again"));
        QTRY_COMPARE(events, 4);
    }

    // Copied files come as a list of URIs with their paths as plain text: the
    // monitor holds no text then, in each way it watches here.
    void fileList_holdsNoText()
    {
        QList<loqa::ClipboardWatch> watches{loqa::ClipboardWatch::Toolkit};
        if (HaveDisplay())
            watches << loqa::ClipboardWatch::XWaylandMirror; // its own X11 connection, this program the owner
        QClipboard *clipboard = QGuiApplication::clipboard();
        for (loqa::ClipboardWatch watch : watches) {
            TClipboardMonitor monitor;
            monitor.Watch = watch;
            int events = 0;
            monitor.OnClipboardChange = [&] { ++events; };
            monitor.SetActive(true);
            QCOMPARE(monitor.Watching(), watch);
            const QList<std::pair<QString, QByteArray>> lists{
                {QStringLiteral("text/uri-list"), "file:///home/me/notes.txt\r\n"},
                {QStringLiteral("x-special/gnome-copied-files"), "copy\nfile:///home/me/notes.txt"}};
            for (const auto &[format, list] : lists) {
                const int before = events;
                auto *files = new QMimeData;
                files->setData(format, list);
                files->setText(QStringLiteral("/home/me/notes.txt"));
                clipboard->setMimeData(files);
                QTRY_COMPARE(events, before + 1);
                QString text = QStringLiteral("unchanged");
                QVERIFY2(
                    !monitor.Text(&text),
                    qPrintable(QStringLiteral("%1 read as text by way %2: %3").arg(format).arg(int(watch)).arg(text)));
                // Text copied after the list is text again.
                clipboard->setText(QStringLiteral("plain words"));
                QTRY_COMPARE(events, before + 2);
                QVERIFY(monitor.Text(&text));
                QCOMPARE(text, QStringLiteral("plain words"));
            }
        }
    }

    void otherProgram_changes_raiseOneEventEach()
    {
        LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private X session (LOQA_TEST_DISPLAY)");
        QClipboard *clipboard = QGuiApplication::clipboard();
        TClipboardMonitor monitor;
        // The handler reads the clipboard, as the main window's does.
        QStringList seen;
        monitor.OnClipboardChange = [&] { seen << clipboard->text(); };
        monitor.SetActive(true);
        // Every change the toolkit reports, whether the monitor passes it on or not.
        QSignalSpy changes(clipboard, &QClipboard::dataChanged);

        QVERIFY(CopyText(QStringLiteral("alpha")));
        QTRY_COMPARE(changes.size(), 1);
        // The same text copied again is a change of its own.
        QVERIFY(CopyText(QStringLiteral("alpha")));
        QTRY_COMPARE(changes.size(), 2);
        // The primary selection is not the clipboard.
        QVERIFY(CopyText(QStringLiteral("selected"), QStringLiteral("primary")));
        QVERIFY(CopyText(QStringLiteral("omega")));
        QTRY_COMPARE(seen.size(), 3);
        QCOMPARE(seen, QStringList({"alpha", "alpha", "omega"}));

        // Disabled: the change happens, the event does not.
        monitor.Enabled = false;
        QVERIFY(CopyText(QStringLiteral("hidden")));
        QTRY_COMPARE(changes.size(), 4);
        monitor.Enabled = true;
        // A copy by this program itself, twice the same.
        clipboard->setText(QStringLiteral("mine"));
        clipboard->setText(QStringLiteral("mine"));
        QVERIFY(CopyText(QStringLiteral("last")));
        QTRY_COMPARE(seen.size(), 6);
        QCOMPARE(seen.mid(3), QStringList({"mine", "mine", "last"}));
        QCOMPARE(changes.size(), 7);
    }
};

int main(int argc, char **argv)
{
    ChoosePlatform();
    QApplication app(argc, argv);
    TestClipboardMonitor test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clipmon.moc"
