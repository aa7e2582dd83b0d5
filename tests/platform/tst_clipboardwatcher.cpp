// The clipboard watchers that hear copies made in other programs without the
// focus: the X11 one (XFixes, as on XWayland) against xclip on the private X
// display, the data-control one (wl-paste) against wl-copy on a headless sway.
#include "platform/clipboardwatcher.h"
#include "swaysession.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace loqa;

namespace {

// A program that copies and stays behind to serve the copy: it must not hold our pipes.
bool copyWith(const QString &program, const QStringList &args, const QByteArray &text)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return false;
    p.write(text);
    p.closeWriteChannel();
    // The watcher's own output is read meanwhile: it may be what the copying
    // program waits for.
    return QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 15000) && p.exitCode() == 0;
}

// Copies each text in turn; after each one exactly one more change is heard and
// the watcher holds the text, line breaks, non-ASCII and size whatever.
void everyCopyHeard(ClipboardWatcher &watcher, const std::function<bool(const QByteArray &)> &copy)
{
    QSignalSpy changes(&watcher, &ClipboardWatcher::changed);
    const QByteArray large = QByteArray("A large copy, sent in pieces. ").repeated(50000); // 1.5 MB
    const QList<QByteArray> texts{"alpha", "h\xc3\xa9llo\nzweite Zeile\n", "alpha", large, "after the large one"};
    for (const QByteArray &text : texts) {
        const qsizetype before = changes.size();
        QVERIFY2(copy(text), qPrintable(QStringLiteral("copying %1 bytes").arg(text.size())));
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), before + 1, 10000);
        QString held;
        QVERIFY(watcher.Text(&held));
        QCOMPARE(held.size(), QString::fromUtf8(text).size());
        QCOMPARE(held, QString::fromUtf8(text));
    }
    QTest::qWait(300);
    QCOMPARE(changes.size(), texts.size());
}

} // namespace

class TestClipboardWatcher : public QObject
{
    Q_OBJECT
private slots:
    void xfixesMirror_hearsEveryCopy()
    {
        LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private X session (LOQA_TEST_DISPLAY)");
        std::unique_ptr<ClipboardWatcher> watcher = CreateXFixesClipboardWatcher();
        QVERIFY(watcher);
        everyCopyHeard(*watcher, [](const QByteArray &text) {
            return copyWith(QStringLiteral("xclip"),
                            {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")}, text);
        });
        // The primary selection is not the clipboard.
        QSignalSpy changes(watcher.get(), &ClipboardWatcher::changed);
        QVERIFY(copyWith(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("primary")}, "sel"));
        QTest::qWait(500);
        QCOMPARE(changes.size(), 0);
    }

    void dataControl_offeredBySway_hearsEveryCopy()
    {
        LOQA_REQUIRE_OR_SKIP(SwaySession::available() && !QStandardPaths::findExecutable("wl-copy").isEmpty(),
                             "needs sway and wl-clipboard");
        SwaySession sway;
        QString why;
        QVERIFY2(sway.start(&why), qPrintable(why));
        qputenv("WAYLAND_DISPLAY", QFile::encodeName(sway.socket));
        QVERIFY(CompositorOffersDataControl());

        // What the clipboard held before watching began is no copy.
        auto copy = [](const QByteArray &text) { return copyWith(QStringLiteral("wl-copy"), {}, text); };
        QVERIFY(copy("held before"));
        std::unique_ptr<ClipboardWatcher> watcher = CreateDataControlClipboardWatcher();
        QVERIFY(watcher);
        QString held;
        QTRY_VERIFY(watcher->Text(&held));
        QCOMPARE(held, QStringLiteral("held before"));
        everyCopyHeard(*watcher, copy);
        // Copied files: wl-copy offers the list with plain text beside it (the
        // paths), which is no text to read.
        QSignalSpy changes(watcher.get(), &ClipboardWatcher::changed);
        QVERIFY(copyWith(QStringLiteral("wl-copy"), {QStringLiteral("--type"), QStringLiteral("text/uri-list")},
                         "file:///home/me/notes.txt\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 1, 10000);
        QVERIFY2(!watcher->Text(&held), qPrintable(held));
        QVERIFY(copy("text again"));
        QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 2, 10000);
        QVERIFY(watcher->Text(&held));
        QCOMPARE(held, QStringLiteral("text again"));
        watcher.reset();

        qputenv("WAYLAND_DISPLAY", QFile::encodeName(sway.dir.path() + QStringLiteral("/no-such-socket")));
        QVERIFY(!CompositorOffersDataControl());
        qunsetenv("WAYLAND_DISPLAY");
    }
};

QTEST_GUILESS_MAIN(TestClipboardWatcher)
#include "tst_clipboardwatcher.moc"
