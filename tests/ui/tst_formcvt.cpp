// The main window in the test's own process (offscreen), with the real engine
// speaking through the private sound server and the real encoder.
#include "platform/apppath.h"
#include "ui/main/converter.h"
#include "ui/lexicon/enginedialog.h"
#include "settings/settings.h"
#include "speech/mspeech.h"
#include "platform/qmutils.h"
#include "widgets/systray.h"
#include "sinkrecorder.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTextDocument>
#include "widgets/tabstrip.h"
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <QDialog>

using namespace loqa;

namespace {

const char *const kProse =
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost. Every cloud has a silver lining.";

bool isWordStart(const QString &text, int at)
{
    return at >= 0 && at < text.size() && text.at(at).isLetterOrNumber() &&
           (at == 0 || !text.at(at - 1).isLetterOrNumber());
}

} // namespace

class TestFormCvt : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempHome> home;
    std::unique_ptr<TFormCvt> form;

    QString txt(const QString &name) const { return home->path() + QStringLiteral("/txt/") + name; }

    // A home with these documents (name, text) and settings lines, and the window on it.
    void start(const QList<std::pair<QString, QByteArray>> &documents, const QByteArray &ini = QByteArray(),
               bool show = true)
    {
        form.reset();
        home = std::make_unique<TempHome>();
        qputenv("LOQA_HOME", home->path().toUtf8());
        QByteArray apl;
        for (const auto &[name, text] : documents) {
            QVERIFY(home->write(QStringLiteral("txt/") + name, text));
            apl += txt(name).toUtf8() + "\r\n";
        }
        QDir().mkpath(home->file(QStringLiteral("wav")));
        QDir().mkpath(home->file(QStringLiteral("mp3")));
        QVERIFY(home->write(QStringLiteral("loqa.apl"), apl));
        QVERIFY(home->write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n" + ini));
        form = std::make_unique<TFormCvt>(QSize(1280, 800));
        if (show)
            form->show();
    }

    // Every message box that comes is answered by `poll`, the last one's text kept in `boxText`.
    void answerBoxes(QTimer &poll, QString &boxText)
    {
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&boxText] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxText = box->text();
                box->done(0);
            }
        });
        poll.start();
    }

    int engineFor(const QString &prefix) const
    {
        const QStringList &engines = form->MSpeech1->Engines();
        for (int i = 0; i < engines.size(); ++i) {
            if (engines.at(i).startsWith(prefix) && engines.at(i).endsWith(QLatin1String(" Male")))
                return i;
        }
        return -1;
    }

    void waitIdle(int timeout = 60000)
    {
        QTRY_VERIFY2_WITH_TIMEOUT(!form->action(ActionStop)->isEnabled() && form->Reading->CurrentReadState() == 0 &&
                                      form->action(ActionTTS)->isEnabled(),
                                  qPrintable(QStringLiteral("stop %1, state %2, tts %3")
                                                 .arg(form->action(ActionStop)->isEnabled())
                                                 .arg(form->Reading->CurrentReadState())
                                                 .arg(form->action(ActionTTS)->isEnabled())),
                                  timeout);
    }

private slots:
    void init() {}
    void cleanup()
    {
        form.reset();
        home.reset();
    }

    // A Word file, a web page and a damaged e-book open as their text; none of
    // them is ever written: Save asks for a text file, and the damaged one is told,
    // not made anew.
    void documents_otherFormatsAreReadNeverWritten()
    {
        form.reset();
        home = std::make_unique<TempHome>();
        qputenv("LOQA_HOME", home->path().toUtf8());
        QDir().mkpath(home->file(QStringLiteral("books")));
        QDir().mkpath(home->file(QStringLiteral("txt")));
        const QString docx = home->file(QStringLiteral("books/The Book.docx"));
        const QString html = home->file(QStringLiteral("books/notes.html"));
        const QString broken = home->file(QStringLiteral("books/broken.epub"));
        QString error;
        LOQA_REQUIRE_OR_SKIP(MakeWithPandoc(kBookMarkdown, docx, QString(), &error), "pandoc makes the Word file");
        QVERIFY(home->write(QStringLiteral("books/notes.html"),
                            "<html><head><title>Notes</title><script>var secret = 'never read';</script></head>"
                            "<body><h1>Notes</h1><p>First <b>line</b> here, <code>code</code> too.</p></body></html>"));
        QVERIFY(home->write(QStringLiteral("books/broken.epub"), "PK\x03\x04 this is no zip at all"));
        const auto bytesOf = [](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray docxBytes = bytesOf(docx), brokenBytes = bytesOf(broken);
        QVERIFY(home->write(QStringLiteral("loqa.apl"), (docx + "\r\n" + html + "\r\n" + broken + "\r\n").toUtf8()));
        QVERIFY(home->write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n"));
        form = std::make_unique<TFormCvt>(QSize(1280, 800));
        form->show();

        QTRY_VERIFY(!form->DocumentLoading());
        const QString text = form->Memo1->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("The quick brown fox jumps over the lazy dog.")), qPrintable(text));
        QVERIFY(text.indexOf(QStringLiteral("Chapter Two")) < text.indexOf(QStringLiteral("single step")));
        QStringList titles;
        for (const doc::Chapter &chapter : form->Chapters()) {
            titles << chapter.title;
            QVERIFY(text.mid(chapter.offset).startsWith(chapter.title));
        }
        QVERIFY2(titles.join('|').endsWith("Chapter One|Chapter Two|A Short Rest|Chapter Three"),
                 qPrintable(titles.join('|')));

        // Save offers the text folder and a .txt name; the tab then shows that file.
        QString offered;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog || !offered.isEmpty())
                return;
            offered = dialog->selectedFiles().value(0);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start();
        form->action(ActionFileSave)->trigger();
        poll.stop();
        QCOMPARE(offered, txt("The Book.txt"));
        QCOMPARE(form->settings().lists.DocumentList.first(), txt("The Book.txt"));
        QVERIFY(bytesOf(txt("The Book.txt")).startsWith(text.left(40).toUtf8()));
        QCOMPARE(bytesOf(docx), docxBytes);

        // A web page: its text, never its script.
        form->TabControl1->setCurrentIndex(1);
        QTRY_VERIFY(!form->DocumentLoading());
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Notes\n\nFirst line here, code too."));

        // A damaged one: one clear error naming it, an empty editor, the file as it was.
        QString boxText;
        QTimer boxes;
        answerBoxes(boxes, boxText);
        form->TabControl1->setCurrentIndex(2);
        QTRY_VERIFY(!boxText.isEmpty());
        QVERIFY2(boxText.startsWith(broken + QStringLiteral(": ")), qPrintable(boxText));
        QVERIFY(form->Memo1->toPlainText().isEmpty());
        QCOMPARE(bytesOf(broken), brokenBytes);

        // The list keeps the originals' paths, and the saved one's text file.
        form->close();
        form.reset();
        QCOMPARE(bytesOf(home->file(QStringLiteral("loqa.apl"))),
                 (txt("The Book.txt") + "\r\n" + html + "\r\n" + broken + "\r\n").toUtf8());
    }

    void documents_tabsCommandsAndStatus()
    {
        start({{"a.txt", "Alpha"}, {"b.txt", "Bravo text"}, {"c.txt", "Charlie"}, {"d.txt", "Delta"}},
              "[Auto]\r\nPlayIndex=9\r\n");
        // A PlayIndex past the end shows the first document.
        QCOMPARE(form->TabControl1->count(), 4);
        QCOMPARE(form->CurrentIndex(), 0);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Alpha"));
        QCOMPARE(form->TabControl1->tabText(1), QStringLiteral("b"));
        QVERIFY(!form->action(ActionPrev)->isEnabled());
        QVERIFY(form->action(ActionNext)->isEnabled());

        // Move to Last exchanges the first and the last: D B C A, A selected.
        form->action(ActionFileMoveLast)->trigger();
        QCOMPARE(form->settings().lists.DocumentList,
                 (QStringList{txt("d.txt"), txt("b.txt"), txt("c.txt"), txt("a.txt")}));
        QCOMPARE(form->CurrentIndex(), 3);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Alpha"));
        QVERIFY(!form->action(ActionNext)->isEnabled());

        // Switching shows the path and the size.
        form->TabControl1->setCurrentIndex(1);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Bravo text"));
        QCOMPARE(form->PanelStatus->text(), QStringLiteral(" %1 [10 Bytes]").arg(txt("b.txt")));
        QCOMPARE(form->settings().automatic.PlayIndex, 1);

        // Edits reach the file by Save only.
        form->Memo1->setPlainText(QStringLiteral("Bravo edited"));
        form->action(ActionFileSave)->trigger();
        QCOMPARE(home->read(QStringLiteral("txt/b.txt")), QByteArray("Bravo edited"));

        // New: the first free untitled number.
        home->write(QStringLiteral("txt/untitled1.txt"), "");
        home->write(QStringLiteral("txt/untitled2.txt"), "");
        home->write(QStringLiteral("txt/untitled4.txt"), "");
        form->action(ActionFileNew)->trigger();
        QCOMPARE(form->settings().lists.DocumentList.last(), txt("untitled3.txt"));
        QVERIFY(QFile::exists(txt("untitled3.txt")));
        QCOMPARE(form->CurrentIndex(), 4);

        // Dropped files: text files join once; others are skipped.
        home->write(QStringLiteral("other/e.TXT"), "Echo");
        home->write(QStringLiteral("other/song.mp3"), "ID3");
        form->DropFiles(
            {home->file(QStringLiteral("other/e.TXT")), home->file(QStringLiteral("other/song.mp3")), txt("b.txt")});
        QCOMPARE(form->settings().lists.DocumentList.size(), 6);
        QCOMPARE(form->settings().lists.DocumentList.last(), home->file(QStringLiteral("other/e.TXT")));
        QCOMPARE(form->CurrentIndex(), 4); // the shown document stays

        // Close All leaves the placeholder, made with the welcome text.
        form->action(ActionFileCloseAll)->trigger();
        QCOMPARE(form->settings().lists.DocumentList, QStringList{txt("untitled.txt")});
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Welcome to Loquora!"));
        QCOMPARE(home->read(QStringLiteral("txt/untitled.txt")), QByteArray("Welcome to Loquora!"));
    }

    void documents_vanishedAndEmptyList()
    {
        start({{"a.txt", "Alpha"}, {"b.txt", "Bravo"}});
        QFile::remove(txt("b.txt"));
        form->action(ActionNext)->trigger();
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Welcome to Loquora!"));
        QCOMPARE(home->read(QStringLiteral("txt/b.txt")), QByteArray("Welcome to Loquora!"));

        // An empty list: no tabs, and no menu, key or tray entry reaches a
        // document command, since each is disabled. Run anyway, each does no
        // harm: no document, no tab, no file. (Save As asks for a name first.)
        start({});
        QCOMPARE(form->TabControl1->count(), 0);
        const ActionIndex commands[] = {ActionFileSave,      ActionFileSaveAs,   ActionFileClose,
                                        ActionFileMoveFirst, ActionFileMovePrev, ActionFileMoveNext,
                                        ActionFileMoveLast,  ActionPrev,         ActionNext};
        for (ActionIndex a : commands)
            QVERIFY2(!form->action(a)->isEnabled(), qPrintable(form->action(a)->objectName()));
        for (ActionIndex a : commands) {
            if (a == ActionFileSaveAs)
                continue;
            form->action(a)->setEnabled(true);
            form->action(a)->trigger();
            QCOMPARE(form->settings().lists.DocumentList.size(), 0);
            QCOMPARE(form->TabControl1->count(), 0);
        }
        QCOMPARE(QDir(home->file(QStringLiteral("txt"))).entryList(QDir::Files), QStringList());
    }

    void readAloud_isHeardWithTheHighlightOnWordStarts()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        start({{"notes.txt", QByteArray(kProse)}});
        // The user's own selection, which the highlight leaves alone.
        QTextCursor own = form->Memo1->textCursor();
        own.setPosition(20);
        own.setPosition(30, QTextCursor::KeepAnchor);
        form->Memo1->setTextCursor(own);
        SinkRecorder rec;
        QVERIFY(rec.start());
        form->action(ActionTTS)->trigger();
        QCOMPARE(form->Reading->CurrentReadState(), 1);
        QTRY_VERIFY(form->action(ActionStop)->isEnabled());
        QCOMPARE(form->PanelStatus->text().left(25), QStringLiteral("Reading notes Aloud"));
        QVERIFY(!form->action(ActionTTS)->isEnabled());
        QVERIFY(form->Memo1->isReadOnly());
        // The highlight is watched until it has moved five times and two seconds
        // have been heard, however slowly the machine speaks; every place it stops is checked.
        const QString text = form->Memo1->toPlainText();
        int last = -1, moves = 0, gauge = 0;
        QString wrong;
        const auto watch = [&] {
            const QTextCursor c = form->Memo1->textCursor();
            if (c.anchor() != 20 || c.position() != 30)
                wrong = QStringLiteral("the user's selection moved to %1..%2").arg(c.anchor()).arg(c.position());
            const int word = form->HighlightedWord();
            if (word >= 0 && word != last) {
                if (word < last)
                    wrong = QStringLiteral("went back to ") + QString::number(word);
                else if (!isWordStart(text, word))
                    wrong = QStringLiteral("not a word start: ") + text.mid(word, 12);
                last = word;
                ++moves;
            }
            gauge = std::max(gauge, form->GaugeWordPosition->value());
            rec.poll();
            return !wrong.isEmpty() || (moves >= 5 && gauge > 0 && rec.analyse().heardSeconds > 2.0);
        };
        QTRY_VERIFY_WITH_TIMEOUT(watch(), 60000);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        form->action(ActionStop)->trigger();
        waitIdle();
        // The recording may trail the speech a little: wait for what was played to arrive.
        QTRY_VERIFY2_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 2.0),
                                  qPrintable(QStringLiteral("%1 s heard of %2 s, peak %3")
                                                 .arg(rec.analyse().heardSeconds)
                                                 .arg(rec.recordedSeconds())
                                                 .arg(rec.analyse().peak)),
                                  5000);
        rec.stop();
        QVERIFY(!form->Memo1->isReadOnly());
        QCOMPARE(form->HighlightedWord(), -1);
        QCOMPARE(form->Memo1->textCursor().selectedText(), QString::fromLatin1(kProse).mid(20, 10));
    }

    // Each step waits for what it needs to hear; the margins around pause,
    // resume and stop leave room for a loaded machine (timings are benchmarked).
    void pauseResumeStop()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        start({{"b.txt", QByteArray(kProse)}, {"c.txt", "Charlie is another document."}});
        SinkRecorder rec;
        QVERIFY(rec.start());
        const auto heard = [&rec](double from, double to = 1e9) {
            rec.poll();
            return rec.analyse(from, to).heardSeconds;
        };
        // Recorded up to `seconds` on the recorder's clock.
        const auto recordedPast = [&rec](double seconds) {
            rec.poll();
            return rec.recordedSeconds() > seconds;
        };
        // The recording lags the wall clock. A silence begins at the wall clock's
        // moment (the later one); it ends at the recording's, since what is
        // recorded so far was all played before the resume.
        const auto now = [&rec] {
            rec.poll();
            return rec.recordedSeconds();
        };
        form->action(ActionTTS)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(form->action(ActionPause)->isEnabled() && heard(0) > 0.3, 30000);
        // Paused and resumed on the same document, the editor's text is left as it is.
        QSignalSpy edits(form->Memo1->document(), &QTextDocument::contentsChange);
        form->action(ActionPause)->trigger();
        QVERIFY(form->MSpeech1->Paused());
        form->action(ActionPause)->trigger();
        QVERIFY(!form->MSpeech1->Paused());
        QCOMPARE(edits.count(), 0);
        const double resumedFirst = now();
        QTRY_VERIFY_WITH_TIMEOUT(heard(resumedFirst) > 0.3, 30000);
        form->action(ActionPause)->trigger();
        const double pausedAt = rec.elapsedMs() / 1000.0;
        QVERIFY(form->MSpeech1->Paused());
        const uint32_t word = form->MSpeech1->WordPosition();
        // While paused the user looks at another document; resuming returns to b.
        form->TabControl1->setCurrentIndex(1);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Charlie is another document."));
        QTRY_VERIFY_WITH_TIMEOUT(recordedPast(pausedAt + 1.5), 30000);
        const double resumedAt = now();
        form->action(ActionPause)->trigger();
        QCOMPARE(form->CurrentIndex(), 0);
        QCOMPARE(form->Memo1->toPlainText(), QString::fromLatin1(kProse));
        // On from where it paused, and heard again.
        QTRY_VERIFY_WITH_TIMEOUT(form->MSpeech1->WordPosition() > word && heard(resumedAt) > 0.3, 30000);
        form->action(ActionStop)->trigger();
        const double stoppedAt = rec.elapsedMs() / 1000.0;
        waitIdle();
        QCOMPARE(form->Reading->CurrentReadState(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(recordedPast(stoppedAt + 2.0), 30000);
        rec.stop();
        // Sound played just before a pause or a stop may still reach the
        // recorder a little later: silence is asked from 0.5 s after each.
        QCOMPARE(rec.analyse(pausedAt + 0.5, resumedAt).heardSeconds, 0.0);
        QCOMPARE(rec.analyse(stoppedAt + 0.5, 1e9).heardSeconds, 0.0);
        QVERIFY(form->ComboBoxExEngines->isEnabled());
    }

    void autoNext_walksThroughTheDocuments_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("once") << false;
        QTest::newRow("repeat") << true;
    }

    void autoNext_walksThroughTheDocuments()
    {
        QFETCH(bool, repeat);
        start({{"one.txt", "First."}, {"two.txt", "Second."}, {"three.txt", "Third."}},
              QByteArray("[Convert]\r\nRealTime=0\r\n[General]\r\nRepeat=") + (repeat ? "1" : "0") + "\r\n");
        form->action(ActionTTW)->trigger();
        if (!repeat) {
            waitIdle();
            for (const char *name : {"one.wav", "two.wav", "three.wav"})
                QVERIFY2(QFile::exists(home->file(QStringLiteral("wav/") + QLatin1String(name))), name);
            QCOMPARE(form->CurrentIndex(), 2);
        } else {
            // After the last comes the first again, until Stop.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(home->file(QStringLiteral("wav/three.wav"))), 30000);
            QTRY_VERIFY_WITH_TIMEOUT((form->CurrentIndex() == 0 || form->CurrentIndex() == 1) &&
                                         form->action(ActionStop)->isEnabled(),
                                     30000);
            QCOMPARE(form->Reading->CurrentReadState(), 1);
            form->action(ActionStop)->trigger();
            waitIdle();
        }
    }

    void nextDuringARun_restartsOnTheNextDocument()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        start({{"a.txt", QByteArray(kProse)}, {"b.txt", "Bravo starts here and goes on for a while."}});
        form->action(ActionTTS)->trigger();
        QTRY_VERIFY(form->action(ActionStop)->isEnabled());
        QTest::qWait(500);
        form->action(ActionNext)->trigger();
        QCOMPARE(form->CurrentIndex(), 1);
        QCOMPARE(form->Reading->CurrentReadState(), 1);
        QTRY_VERIFY(form->action(ActionStop)->isEnabled());
        QTRY_VERIFY(form->HighlightedWord() >= 0);
        QVERIFY(form->HighlightedWord() < 10); // from its beginning
        QVERIFY2(form->SysTray1->Hint().startsWith(QLatin1String("Reading b Aloud | Loquora")),
                 qPrintable(form->SysTray1->Hint()));
        form->action(ActionStop)->trigger();
        waitIdle();
    }

    // A stand-in encoder in the home folder: records its calls, then runs `body`.
    QString standInEncoder(const QString &body)
    {
        const QString path = home->file(QStringLiteral("lame-standin"));
        WriteFile(path, QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1.calls'\n%2").arg(path, body).toUtf8());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        form->Reading->SetEncoder(path);
        return path + QStringLiteral(".calls");
    }

    // While the MP3 is made, a tab click and Next wait: every document is
    // converted once, in order, and none is skipped.
    void encoding_documentSwitchesWait()
    {
        start({{"one.txt", "First."}, {"two.txt", "Second."}, {"three.txt", "Third."}}, "[Convert]\r\nRealTime=0\r\n");
        const QString calls =
            standInEncoder(QStringLiteral("sleep 1\nfor a; do last=$a; done\necho mp3 > \"$last\"\n"));
        form->action(ActionTTM)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!form->TabControl1->isEnabled(), 30000);
        QVERIFY(!form->action(ActionNext)->isEnabled());
        QVERIFY(!form->action(ActionTTS)->isEnabled());
        form->action(ActionNext)->trigger();
        QTest::mouseClick(form->TabControl1, Qt::LeftButton, {}, form->TabControl1->tabRect(2).center());
        QCOMPARE(form->CurrentIndex(), 0);
        waitIdle();
        for (const char *name : {"one.mp3", "two.mp3", "three.mp3"})
            QVERIFY2(QFile::exists(home->file(QStringLiteral("mp3/") + QLatin1String(name))), name);
        QFile log(calls);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count('\n'), 3);
        QCOMPARE(form->CurrentIndex(), 2);
    }

    // Stop ends an encoder that would never finish; the rendered speech stays.
    void stop_endsAHangingEncoder()
    {
        start({{"notes.txt", "A short note."}}, "[Convert]\r\nRealTime=0\r\n[General]\r\nAutoNext=0\r\n");
        standInEncoder(QStringLiteral("exec sleep 600\n"));
        form->action(ActionTTM)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(form->Reading->Converting(), 30000);
        QVERIFY(form->action(ActionStop)->isEnabled());
        form->action(ActionStop)->trigger();
        waitIdle(20000);
        QVERIFY(QFile::exists(home->file(QStringLiteral("wav/notes.wav"))));
        QVERIFY(!QFile::exists(home->file(QStringLiteral("mp3/notes.mp3"))));
        QVERIFY2(form->PanelStatus->text().contains(QLatin1String("notes.wav")), qPrintable(form->PanelStatus->text()));
    }

    // The MP3 name is asked while the run still holds the read commands: a read
    // command from inside the dialog starts nothing, and a cancelled dialog
    // falls back to the automatic name.
    void mp3SaveDialog_holdsTheRun()
    {
        start({{"notes.txt", "A short note."}}, "[Convert]\r\nRealTime=0\r\nAutoName=0\r\n[General]\r\nAutoNext=0\r\n");
        bool sawDialog = false, readLocked = false;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            sawDialog = true;
            readLocked = !form->action(ActionTTS)->isEnabled() && !form->action(ActionTTW)->isEnabled();
            form->Reading->ReadDocument(cmWav); // what a hotkey or the tray would do
            dialog->reject();
        });
        poll.start();
        form->action(ActionTTM)->trigger();
        waitIdle();
        poll.stop();
        QVERIFY(sawDialog);
        QVERIFY(readLocked);
        QVERIFY(QFile::exists(home->file(QStringLiteral("mp3/notes.mp3"))));
        QVERIFY(!QFile::exists(home->file(QStringLiteral("wav/notes.wav"))));
        QCOMPARE(form->settings().automatic.ConvertMode, 2);
    }

    // Applying the shortcuts again releases the grabs made before: a changed
    // global chord leaves nothing of the old one registered.
    void reappliedShortcuts_leaveNoOldGrab()
    {
        start({{"a.txt", "Alpha"}});
        const QString old = form->settings().lists.HotkeyList[ActionTTS];
        const int before = form->settings().lists.GlobalHotkeyIDList[ActionTTS];
        QVERIFY(before != 0);
        QVERIFY(GlobalHotKeyAtomName(before).endsWith(old));
        form->settings().lists.HotkeyList[ActionTTS] = QStringLiteral("Shift+Ctrl+F9");
        form->settings().Changed(SettingsGroup::Shortcuts);
        const int after = form->settings().lists.GlobalHotkeyIDList[ActionTTS];
        QVERIFY(after != 0);
        QVERIFY(GlobalHotKeyAtomName(after).endsWith(QLatin1String("Shift+Ctrl+F9")));
        for (int id = 1; id <= 0x3FFF; ++id)
            QVERIFY2(!GlobalHotKeyAtomName(id).endsWith(old), "the old chord is still registered");
        QCOMPARE(form->action(ActionTTS)->shortcut(),
                 QKeySequence(Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_F9));
    }

    // A WAV that cannot be written ends the run at once: the error names the
    // file and the reason, and the walk does not go on to the next document.
    void writeError_endsTheRunAndTheWalk()
    {
        start({{"one.txt", QByteArray(kProse).repeated(6)}, {"two.txt", "Second."}}, "[Convert]\r\nRealTime=0\r\n");
        QString boxText;
        QTimer poll;
        answerBoxes(poll, boxText);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        form->action(ActionTTW)->trigger();
        waitIdle();
        setrlimit(RLIMIT_FSIZE, &saved);
        poll.stop();
        QVERIFY2(boxText.contains(QLatin1String("one.wav")) && boxText.contains(QLatin1String("File too large")),
                 qPrintable(boxText));
        QCOMPARE(form->CurrentIndex(), 0);
        QVERIFY(!QFile::exists(home->file(QStringLiteral("wav/two.wav"))));
        QVERIFY2(form->PanelStatus->text().contains(QLatin1String("one.wav")), qPrintable(form->PanelStatus->text()));
    }

    void conversions_nameTheirFiles()
    {
        start({{"notes.txt", QByteArray(kProse)}}, "[Convert]\r\nRealTime=0\r\n[General]\r\nAutoNext=0\r\n");
        form->action(ActionTTW)->trigger();
        waitIdle();
        QFile wav(home->file(QStringLiteral("wav/notes.wav")));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray made = wav.readAll();
        wav.close();
        QVERIFY(made.size() > 100000);

        // The MP3's own WAV leaves the one made before as it was.
        form->settings().automatic.Spd = 300;
        form->action(ActionTTM)->trigger();
        waitIdle();
        QTRY_VERIFY(QFile::exists(home->file(QStringLiteral("mp3/notes.mp3"))));
        QCOMPARE(form->settings().automatic.ConvertMode, 2);
        QVERIFY(wav.open(QIODevice::ReadOnly));
        QVERIFY2(wav.readAll() == made, "the WAV made before was changed");
        wav.close();
        QCOMPARE(QDir(home->file(QStringLiteral("wav"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("notes.wav")});

        // Read from Cursor in MP3 mode: PartOf the document.
        QFile::remove(home->file(QStringLiteral("wav/notes.wav")));
        QTextCursor c = form->Memo1->textCursor();
        c.setPosition(100);
        form->Memo1->setTextCursor(c);
        form->action(ActionTTXCursor)->trigger();
        QCOMPARE(form->Reading->PartStartPosition(), 100);
        waitIdle();
        QVERIFY(QFile::exists(home->file(QStringLiteral("mp3/PartOfnotes.mp3"))));
        QVERIFY(!QFile::exists(home->file(QStringLiteral("wav/PartOfnotes.wav"))));
        QVERIFY(!QFile::exists(home->file(QStringLiteral("wav/notes.wav"))));
    }

    void stoppedMp3Conversion_isKeptAsClipboard()
    {
        start({{"notes.txt", QByteArray(kProse) + kProse + kProse}}, "[Convert]\r\nRealTime=256\r\n");
        form->action(ActionTTM)->trigger();
        QTRY_VERIFY(form->action(ActionStop)->isEnabled());
        QTest::qWait(1500);
        form->action(ActionStop)->trigger();
        waitIdle();
        QTRY_VERIFY(QFile::exists(home->file(QStringLiteral("mp3/Clipboard.mp3"))));
        QVERIFY(!QFile::exists(home->file(QStringLiteral("wav/notes.wav"))));
    }

    void otherLanguages_highlightOnWordStarts_data()
    {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("text");
        QTest::newRow("german") << "German"
                                << QStringLiteral(
                                       "Grüße aus der Straße über den Flüssen, schöne Bäume und große Wälder.");
        QTest::newRow("russian") << "Russian"
                                 << QStringLiteral(
                                        "Привет, мир! Съешь же ещё этих мягких французских булок, да выпей чаю.");
    }

    void otherLanguages_highlightOnWordStarts()
    {
        QFETCH(QString, voice);
        QFETCH(QString, text);
        start({{"lang.txt", (text + QStringLiteral("\n") + text).toUtf8()}},
              "[Convert]\r\nRealTime=512\r\n[General]\r\nAutoNext=0\r\n");
        const int engine = engineFor(voice);
        QVERIFY(engine >= 0);
        form->settings().automatic.EngineIndex = engine;
        form->action(ActionTTW)->trigger();
        const QString shown = form->Memo1->toPlainText();
        int checked = 0;
        const QDeadlineTimer limit(60000);
        while (form->action(ActionStop)->isEnabled() || checked == 0) {
            QVERIFY2(!limit.hasExpired(),
                     qPrintable(QStringLiteral("no end of the conversion within 60 s: stop %1, %2 highlights seen")
                                    .arg(form->action(ActionStop)->isEnabled())
                                    .arg(checked)));
            QTest::qWait(100);
            const int word = form->HighlightedWord();
            if (word >= 0) {
                QVERIFY2(isWordStart(shown, word), qPrintable(shown.mid(word, 10)));
                ++checked;
            }
            if (checked > 200)
                break;
        }
        QVERIFY(checked >= 5);
        waitIdle();
    }

    void selectedText_enabling()
    {
        start({{"a.txt", "Some text to select."}});
        form->UpdateSelectedEnabling();
        QVERIFY(!form->action(ActionTTXSelected)->isEnabled());
        QTextCursor c = form->Memo1->textCursor();
        c.setPosition(0);
        c.setPosition(4, QTextCursor::KeepAnchor);
        form->Memo1->setTextCursor(c);
        form->UpdateSelectedEnabling();
        QVERIFY(form->action(ActionTTXSelected)->isEnabled());
        // While the document is read, the selection offers nothing.
        form->action(ActionTTS)->trigger();
        QCOMPARE(form->Reading->CurrentReadState(), loqa::rsDocument);
        form->UpdateSelectedEnabling();
        QVERIFY(!form->action(ActionTTXSelected)->isEnabled());
        form->action(ActionStop)->trigger();
        waitIdle();
    }

    // The engine's dialogs come up as the program's own message box, captioned
    // with the application title and holding the engine's text; its lexicon
    // dialog is the Pronunciation Manager.
    void engineDialogs_showTheirTextInABox()
    {
        start({{"a.txt", "Some text."}});
        form->MSpeech1->SelectEngine(form->MSpeech1->Engines().value(0));
        QStringList seen;
        auto answer = [&] {
            if (auto *manager = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                manager && manager->objectName() == QLatin1String("LexiconDialog")) {
                seen << manager->windowTitle();
                manager->reject();
                return;
            }
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << box->windowTitle() + QLatin1Char('|') + box->text().section(QLatin1Char('\n'), 0, 0);
            box->accept();
        };
        for (int kind : {0, 1, 2, 3, 4}) {
            QTimer::singleShot(0, form.get(), answer);
            ShowEngineDialog(*form->MSpeech1, form->settings().lists.DictionaryList, kind, form.get());
            QCoreApplication::processEvents(); // a kind without a dialog leaves the timer nothing to close
        }
        const QString title = ApplicationTitle();
        QCOMPARE(seen,
                 (QStringList{title + "|eSpeak NG text-to-speech engine", title + "|eSpeak NG text-to-speech engine",
                              QStringLiteral("Pronunciation Manager"), title + "|eSpeak NG text-to-speech engine"}));
    }

    // A copy kept as a new document where no file can be made: the error box
    // comes, and the open document, its unsaved edits and its file stay as they
    // were. A folder written without its last "/" still holds the new files.
    void clipboardNew_withoutANewFile_leavesTheOpenDocument()
    {
        const QByteArray latin1("caf\xe9 notes, kept as written");
        start({{"notes.txt", latin1}},
              "[Clipboard]\r\nWatchClipboard=1\r\nShowPrompt=0\r\nDefAction=1\r\nIgnoreLen=0\r\n"
              "[Convert]\r\nDefTxtPath=/proc/loqa-nowhere/\r\n");
        QString boxText;
        QTimer poll;
        answerBoxes(poll, boxText);
        form->Memo1->setPlainText(QStringLiteral("café notes, edited"));
        QGuiApplication::clipboard()->setText(QStringLiteral("a copied text"));
        QTRY_VERIFY(!boxText.isEmpty());
        poll.stop();
        QVERIFY2(boxText.contains(QLatin1String("/proc/loqa-nowhere/untitled1.txt")), qPrintable(boxText));
        QCOMPARE(form->settings().lists.DocumentList, QStringList{txt("notes.txt")});
        QCOMPARE(form->TabControl1->count(), 1);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("café notes, edited"));
        QCOMPARE(home->read(QStringLiteral("txt/notes.txt")), latin1);

        form->settings().convert.DefTxtPath = home->file(QStringLiteral("own"));
        QGuiApplication::clipboard()->setText(QStringLiteral("a copied text"));
        QTRY_COMPARE(form->TabControl1->count(), 2);
        QCOMPARE(form->settings().lists.DocumentList.last(), home->file(QStringLiteral("own/untitled1.txt")));
        QCOMPARE(home->read(QStringLiteral("own/untitled1.txt")), QByteArray("a copied text"));
        QCOMPARE(form->settings().convert.DefTxtPath, home->file(QStringLiteral("own"))); // kept as written
    }

    // Open with files of which some are open already: only the others join, and
    // the shown document keeps its unsaved edits.
    void open_withOpenDocumentsChosen_keepsTheShownOne()
    {
        start({{"a.txt", "Alpha"}});
        QVERIFY(home->write(QStringLiteral("txt/b.txt"), "Bravo"));
        form->Memo1->setPlainText(QStringLiteral("Alpha, edited"));
        bool chose = false;
        QTimer poll;
        poll.setInterval(50);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *name = dialog ? dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!name)
                return;
            name->setText(QStringLiteral("\"a.txt\" \"b.txt\""));
            chose = true;
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start();
        form->action(ActionFileOpen)->trigger();
        poll.stop();
        QVERIFY(chose);
        QCOMPARE(form->settings().lists.DocumentList, (QStringList{txt("a.txt"), txt("b.txt")}));
        QCOMPARE(form->TabControl1->count(), 2);
        QCOMPARE(form->CurrentIndex(), 0);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Alpha, edited"));
    }

    // The window's own Copy is a clipboard change like any other: with DefAction 1
    // the copied text becomes a new, saved document, and copying the same text
    // again makes a second one (no memory of earlier content).
    void ownCopy_isHandledAsAnyCopy()
    {
        start({{"a.txt", "Copied by the window itself"}},
              "[Clipboard]\r\nWatchClipboard=1\r\nShowPrompt=0\r\nDefAction=1\r\nIgnoreLen=10\r\n");
        form->TabControl1->setCurrentIndex(0);
        form->Memo1->selectAll();
        form->action(ActionEditCopy)->trigger();
        QTRY_COMPARE(form->TabControl1->count(), 2);
        QCOMPARE(home->read(QStringLiteral("txt/untitled1.txt")), QByteArray("Copied by the window itself"));
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("Copied by the window itself"));
        form->Memo1->selectAll();
        form->action(ActionEditCopy)->trigger();
        QTRY_COMPARE(form->TabControl1->count(), 3);
        QCOMPARE(home->read(QStringLiteral("txt/untitled2.txt")), QByteArray("Copied by the window itself"));
    }
};

QTEST_MAIN(TestFormCvt)
#include "tst_formcvt.moc"
