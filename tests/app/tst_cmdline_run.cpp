// The loqa executable as a command-line converter, with the real engine and sound server.
#include "sinkrecorder.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket that takes connections and never answers: a sound server that hangs.
class SilentSocket
{
public:
    explicit SilentSocket(const QString &path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        qstrncpy(addr.sun_path, name.constData(), sizeof addr.sun_path);
        m_ok =
            m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 && ::listen(m_fd, 16) == 0;
    }
    ~SilentSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_ok; }

private:
    int m_fd = -1;
    bool m_ok = false;
};

const char *const kLongText =
    "The quick brown fox jumps over the lazy dog. A journey of a thousand miles begins with a single step. "
    "All that glitters is not gold, and not all those who wander are lost.\n";

} // namespace

class TestCmdLineRun : public QObject
{
    Q_OBJECT

private slots:
    void tts_speaksThroughTheSoundServer()
    {
        LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server");
        SinkRecorder rec;
        QVERIFY(rec.start());
        const RunResult r = RunLoqa({QStringLiteral("/TTS"), QStringLiteral("Hello there, this is a test")});
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        // The recording may trail the speech a little: wait for what was played to arrive.
        QTRY_VERIFY2_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.8),
                                  qPrintable(QStringLiteral("%1 s heard").arg(rec.analyse().heardSeconds)), 5000);
        rec.stop();
    }

    void tts_withoutSoundServer_failsClearly_data()
    {
        QTest::addColumn<bool>("hanging");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("dead socket") << false << QByteArray("Connection refused");
        QTest::newRow("server that never answers") << true << QByteArray("timed out");
    }

    void tts_withoutSoundServer_failsClearly()
    {
        QFETCH(bool, hanging);
        QFETCH(QByteArray, reason);
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("native"));
        std::unique_ptr<SilentSocket> silent;
        if (hanging) {
            silent = std::make_unique<SilentSocket>(socket);
            QVERIFY(silent->ok());
        }
        // The sound server's own limit for an answer is far longer than this one.
        const RunResult r = RunLoqa(
            {QStringLiteral("/tts"), QStringLiteral("hello")}, QString(), 15000,
            {QStringLiteral("PULSE_SERVER=unix:") + (hanging ? socket : QStringLiteral("/nonexistent/socket"))});
        QVERIFY2(r.finished, "still waiting for the sound server");
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, "loqa: Sound output unavailable: " + reason + "\n");
    }

    void ttwTtm_writeErrors_failAndLeaveNoPartialFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("fullDisk"); // else a file size limit
        QTest::newRow("/ttw, full disk") << "/ttw" << true;
        QTest::newRow("/ttm, full disk") << "/ttm" << true;
        QTest::newRow("/ttw, size limit") << "/ttw" << false;
        QTest::newRow("/ttm, size limit") << "/ttm" << false;
    }

    void ttwTtm_writeErrors_failAndLeaveNoPartialFile()
    {
        QFETCH(QString, command);
        QFETCH(bool, fullDisk);
        QTemporaryDir work;
        const QString notes = work.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(notes, QByteArray(kLongText).repeated(8)));
        const QString out = work.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        QStringList prefix{QStringLiteral("prlimit"), QStringLiteral("--fsize=131072")};
        if (fullDisk) {
            // A 128 KB disk, which needs the right to mount.
            QProcess mount;
            mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                  QStringLiteral("size=128k"), QStringLiteral("tmpfs"), out});
            if (!mount.waitForFinished(10000) || mount.exitCode() != 0)
                QSKIP("cannot mount a small disk here");
            prefix = QStringList{QStringLiteral("env")};
        }
        const RunResult r = RunLoqaPrefixed(
            prefix, {command, notes, out + QStringLiteral("/notes.mp3"), QStringLiteral("-w"), QStringLiteral("0")},
            work.path());
        const QStringList left = QDir(out).entryList(QDir::Files);
        if (fullDisk)
            QProcess::execute(QStringLiteral("umount"), {out});
        QVERIFY2(r.finished, "hangs");
        QCOMPARE(r.exitCode, 1);
        const QByteArray reason = fullDisk ? "No space left on device" : "File too large";
        // Under a size limit the sound library also says that its shared memory
        // could not be made; what loqa says is one line.
        QList<QByteArray> said = r.err.split('\n');
        said.removeIf([](const QByteArray &line) { return !line.startsWith("loqa: "); });
        QCOMPARE(said, QList<QByteArray>{"loqa: Cannot write " + QFile::encodeName(out) + "/notes.wav: " + reason});
        if (fullDisk)
            QCOMPARE(r.err.count('\n'), 1);
        QCOMPARE(left, QStringList()); // no partial WAV, and no MP3
    }

    void ttw_namesTheOutputAsItShould()
    {
        QTemporaryDir work, docs;
        const QString notes = docs.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(notes, "Notes for the meeting.\nSecond line.\n"));

        RunResult r = RunLoqa({QStringLiteral("/ttw")}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(AudioSeconds(work.filePath(QStringLiteral("output.wav"))) > 0.8); // "Welcome to Loquora!"

        r = RunLoqa({QStringLiteral("/ttw"), notes}, work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(AudioSeconds(docs.filePath(QStringLiteral("notes.wav"))) > 1.5);

        r = RunLoqa(
            {QStringLiteral("/ttw"), notes, QStringLiteral("out.MP3"), QStringLiteral("-w"), QStringLiteral("0")},
            work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(QFile::exists(work.filePath(QStringLiteral("out.wav"))));
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("out.MP3"))));

        QFile::remove(work.filePath(QStringLiteral("output.wav")));
        r = RunLoqa({QStringLiteral("/ttw"), QStringLiteral("Some text"), QStringLiteral("elsewhere.wav")},
                    work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(QFile::exists(work.filePath(QStringLiteral("output.wav"))));
    }

    // The WAV that /ttm renders is its own: a WAV of that name made before by
    // /ttw keeps every byte, the MP3 is made beside it, and nothing else is left.
    void ttm_leavesTheWavOfAnEarlierTtwAlone()
    {
        QTemporaryDir work;
        const QString notes = work.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(notes, "A note to keep as sound.\n"));
        for (const QString &text : {notes, QStringLiteral("Some text")}) {
            const QString stem = work.filePath(text == notes ? QStringLiteral("notes") : QStringLiteral("output"));
            RunResult r =
                RunLoqa({QStringLiteral("/ttw"), text, QStringLiteral("-w"), QStringLiteral("0")}, work.path());
            QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
            QFile wav(stem + QStringLiteral(".wav"));
            QVERIFY(wav.open(QIODevice::ReadOnly));
            const QByteArray made = wav.readAll();
            wav.close();
            QVERIFY(made.size() > 10000);
            // Faster speech: a rendering over the same name could not leave the same bytes.
            r = RunLoqa({QStringLiteral("/ttm"), text, QStringLiteral("-w"), QStringLiteral("0"), QStringLiteral("-s"),
                         QStringLiteral("300")},
                        work.path());
            QVERIFY2(r.exitCode == 0 && r.err.isEmpty() && r.out.isEmpty(), qPrintable(Describe(r)));
            QVERIFY(wav.open(QIODevice::ReadOnly));
            QVERIFY2(wav.readAll() == made, "the WAV made before was changed");
            QVERIFY(QFileInfo(stem + QStringLiteral(".mp3")).size() > 1000);
        }
        QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"notes.mp3", "notes.txt", "notes.wav", "output.mp3", "output.wav"}));
    }

    // Without loqa.ini the command line takes the dictionaries lying in the
    // program's folder: loqa.dic and every other *.dic there. A line it cannot
    // read is named on standard error and the run goes on.
    void ttw_usesTheDictionariesInTheProgramsFolder()
    {
        QTemporaryDir work, bare;
        TempHome home;
        QVERIFY(home.write(QStringLiteral("loqa.dic"), "BBC\tBritish Broadcasting Corporation\n"));
        QVERIFY(
            home.write(QStringLiteral("space.dic"), "NASA\tnational aeronautics and space administration\nno tab\n"));
        QVERIFY(home.write(QStringLiteral("ignored.txt"), "and\tsomething very long indeed to say instead\n"));
        const QStringList args{QStringLiteral("/ttw"), QStringLiteral("The BBC and NASA."), QStringLiteral("-w"),
                               QStringLiteral("0")};
        RunResult r = RunLoqa(args, work.path(), 60000, {QStringLiteral("LOQA_HOME=") + bare.path()});
        QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(Describe(r)));
        const double plain = AudioSeconds(work.filePath(QStringLiteral("output.wav")));
        r = RunLoqa(args, work.path(), 60000, {QStringLiteral("LOQA_HOME=") + home.path()});
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY2(r.err.contains("space.dic, line 2: no spoken form"), r.err.constData());
        const double full = AudioSeconds(work.filePath(QStringLiteral("output.wav")));
        // Both entries add their words (some 3 s); the .txt file adds none.
        QVERIFY2(full > plain + 2.5 && full < plain + 6, qPrintable(QStringLiteral("%1 s, %2 s").arg(full).arg(plain)));
    }

    void ttw_switchValuesThatAreNotNumbers()
    {
        QTemporaryDir work;
        const RunResult r = RunLoqa({QStringLiteral("/ttw"), QStringLiteral("Odd switches"), QStringLiteral("-s"),
                                     QStringLiteral("fast"), QStringLiteral("-p"), QStringLiteral("x"),
                                     QStringLiteral("-e"), QStringLiteral("nine"), QStringLiteral("-w")},
                                    work.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(AudioSeconds(work.filePath(QStringLiteral("output.wav"))) > 0.5);
    }

    void ttw_unwritableOutput_failsClearly_data()
    {
        QTest::addColumn<QString>("output");
        QTest::newRow("missing folder") << "/nonexistent-folder/out.wav";
        QTest::newRow("read-only place") << "/proc/out.wav";
    }

    void ttw_unwritableOutput_failsClearly()
    {
        QFETCH(QString, output);
        QTemporaryDir work;
        const QString notes = work.filePath(QStringLiteral("notes.txt"));
        QVERIFY(WriteFile(notes, "Some notes."));
        const RunResult r = RunLoqa({QStringLiteral("/ttw"), notes, output}, work.path(), 20000);
        QVERIFY(r.finished);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("Can not open file"), r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
    }

    void ttw_oddTextFiles_neitherCrashNorHang_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(char((i * 7919) & 0xFF));
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << binary;
        QTest::newRow("nul bytes") << QByteArray("before\0\0\0after the nul bytes", 29);
        QTest::newRow("invalid utf-8") << QByteArray("caf\xE9 cr\xE8me \xFF\xFE broken");
        QByteArray big(10 * 1024 * 1024, ' ');
        big.replace(0, 20, "Ten megabytes start.");
        for (qsizetype i = 1000; i < big.size(); i += 4096)
            big[i] = '\n';
        big.replace(big.size() - 20, 15, "and they ended.");
        QTest::newRow("10 MB") << big;
    }

    void ttw_oddTextFiles_neitherCrashNorHang()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir work;
        const QString text = work.filePath(QStringLiteral("odd.txt"));
        QVERIFY(WriteFile(text, bytes));
        const RunResult r =
            RunLoqa({QStringLiteral("/ttw"), text, QStringLiteral("-w"), QStringLiteral("0")}, work.path(), 120000);
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(AudioSeconds(work.filePath(QStringLiteral("odd.wav"))) >= 0);
    }

    void ttw_unreadableTextFile_rendersTheSentenceAndFails()
    {
        QTemporaryDir work;
        const RunResult r = RunLoqa(
            {QStringLiteral("/ttw"), QStringLiteral("/proc/self/mem"), work.filePath(QStringLiteral("mem.wav"))},
            work.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("cannot read /proc/self/mem"), r.err.constData());
        QVERIFY(AudioSeconds(work.filePath(QStringLiteral("mem.wav"))) > 1.0); // "Can't load the file ..."
    }

    void e_listsEveryVoiceAndDescribesOne()
    {
        // Standard output is a pipe here, which someone reads: the report goes down it,
        // on a desktop too.
        const QStringList noDisplay{QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY")};
        RunResult r = RunLoqa({QStringLiteral("/E")}, QString(), 60000);
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines.at(0), QByteArray("All speech engines installed on your system:"));
        QCOMPARE(lines.at(1), QByteArray());
        QVERIFY(lines.at(2).startsWith("0. "));
        QVERIFY(lines.at(3).startsWith("1. "));
        QVERIFY(lines.size() > 100);

        r = RunLoqa({QStringLiteral("/e"), QStringLiteral("-e"), QStringLiteral("3")}, QString(), 60000, noDisplay);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("The info of speech engine No.3\n\nName: "));
        QVERIFY(r.out.contains("\nGender: FEMALE\n"));
        QVERIFY(r.out.contains("\nMaxSpeed: 0\n"));
        QVERIFY(r.out.contains("\nMaxVolume: 100\nMinVolume: 0\n"));

        for (const QStringList &args : {QStringList{"/e", "-e", "99999"}, QStringList{"/e", "-e"}}) {
            r = RunLoqa(args, QString(), 60000, noDisplay);
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.startsWith("The info of speech engine No.0\n\nName: "), r.out.constData());
        }
    }

    // The voices of every engine are numbered in one list, each named with its
    // engine; /ttm with one of flite's makes the MP3 of the whole text.
    void ttm_withAFliteVoice()
    {
        RunResult r = RunLoqa({QStringLiteral("/e")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.replace('\r', "").split('\n');
        QByteArray kal;
        for (const QByteArray &line : lines) {
            if (line.endsWith(". English (America) kal Male (flite)"))
                kal = line.left(line.indexOf('.'));
        }
        QVERIFY2(kal.toInt() > 100, r.out.constData()); // after every voice of espeak-ng
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("book.txt")), "Chapter one. It was a bright cold day in April."));
        r = RunLoqa({QStringLiteral("/ttm"), QStringLiteral("book.txt"), QStringLiteral("book.mp3"),
                     QStringLiteral("-e"), QString::fromLatin1(kal)},
                    dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        const double seconds = AudioSeconds(dir.filePath(QStringLiteral("book.mp3")));
        QVERIFY2(seconds > 2 && seconds < 6, qPrintable(QString::number(seconds)));
    }

    // An e-book is spoken as its text: as long as the same book made plain text by
    // pandoc; a damaged PDF fails at once with one line and leaves no file.
    void ttw_readsDocuments()
    {
        QTemporaryDir dir;
        QString error;
        LOQA_REQUIRE_OR_SKIP(
            MakeWithPandoc(kBookMarkdown, dir.filePath(QStringLiteral("book.epub")), QString(), &error),
            "pandoc makes the e-book");
        QVERIFY2(
            MakeWithPandoc(kBookMarkdown, dir.filePath(QStringLiteral("book.txt")), QStringLiteral("plain"), &error),
            qPrintable(error));
        RunResult r = RunLoqa({QStringLiteral("/ttw"), QStringLiteral("book.epub"), QStringLiteral("epub.wav"),
                               QStringLiteral("-w"), QStringLiteral("0")},
                              dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        r = RunLoqa({QStringLiteral("/ttw"), QStringLiteral("book.txt"), QStringLiteral("plain.wav"),
                     QStringLiteral("-w"), QStringLiteral("0")},
                    dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        const double book = AudioSeconds(dir.filePath(QStringLiteral("epub.wav")));
        const double plain = AudioSeconds(dir.filePath(QStringLiteral("plain.wav")));
        QVERIFY2(plain > 5 && book > 0.8 * plain && book < 1.2 * plain,
                 qPrintable(QStringLiteral("%1 s against %2 s").arg(book).arg(plain)));

        // A web page with code in it is laid out in the desktop's fixed font, which
        // a run without a display must still find.
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("page.html")),
                          "<html><body><h1>Notes</h1><p>Run <code>make</code> first.</p><pre>make test</pre>"
                          "<script>never()</script></body></html>"));
        r = RunLoqa(
            {QStringLiteral("/ttw"), QStringLiteral("page.html"), QStringLiteral("page.wav"), QStringLiteral("-w"),
             QStringLiteral("0")},
            dir.path(), 60000,
            {QStringLiteral("DISPLAY="), QStringLiteral("WAYLAND_DISPLAY="), QStringLiteral("QT_QPA_PLATFORM")});
        QVERIFY2(r.exitCode == 0, qPrintable(Describe(r)));
        QVERIFY(AudioSeconds(dir.filePath(QStringLiteral("page.wav"))) > 1);

        QVERIFY(WriteFile(dir.filePath(QStringLiteral("broken.pdf")), "%PDF-1.4\nnothing more"));
        r = RunLoqa({QStringLiteral("/ttm"), QStringLiteral("broken.pdf"), QStringLiteral("broken.mp3")}, dir.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("loqa: cannot read broken.pdf: ") && r.err.count('\n') == 1, r.err.constData());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("broken.mp3"))));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("broken.wav"))));
    }

    void noVoiceData_failsClearly()
    {
        // An engine data folder without any voice data in it.
        QTemporaryDir empty;
        QVERIFY(QDir(empty.path()).mkdir(QStringLiteral("espeak-ng-data")));
        const QStringList env{QStringLiteral("ESPEAK_DATA_PATH=") + empty.path()};
        RunResult r = RunLoqa({QStringLiteral("/ttw"), QStringLiteral("hello")}, QDir::tempPath(), 20000, env);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(!r.err.isEmpty() && r.err.count('\n') == 1, r.err.constData());
        r = RunLoqa({QStringLiteral("/e"), QStringLiteral("-e"), QStringLiteral("0")}, QString(), 20000,
                    env + QStringList{QStringLiteral("DISPLAY")});
        QCOMPARE(r.exitCode, 1);
    }

    void unknownCommand_opensHelpAndPrintsUsage()
    {
        QTemporaryDir bin;
        const QString opener = bin.filePath(QStringLiteral("xdg-open"));
        const QString record = bin.filePath(QStringLiteral("opened.txt"));
        QVERIFY(WriteFile(opener, QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n").arg(record).toUtf8()));
        QFile::setPermissions(opener, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::WriteOwner);
        const RunResult r =
            RunLoqa({QStringLiteral("/anything-else")}, QString(), 20000,
                    {QStringLiteral("PATH=") + bin.path() + QStringLiteral(":") + qEnvironmentVariable("PATH"),
                     QStringLiteral("DISPLAY=:99")});
        // The help file opens, and the status says the command was not one.
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("unknown command /anything-else") && r.err.contains("Usage: loqa"), r.err.constData());
        QTRY_VERIFY(QFile::exists(record));
        QFile f(record);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(f.readAll().endsWith("/loqa.html"), "the help file");
    }

    // Loquora's own "--" options and the usage errors.
    void options_andUsageErrors()
    {
        RunResult r = RunLoqa({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith("Usage: loqa") && r.out.contains("Exit status"));
        QVERIFY(r.err.isEmpty());
        r = RunLoqa({QStringLiteral("--version")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("loqa " LOQA_TEST_VERSION "\n"));
        r = RunLoqa({QStringLiteral("--frobnicate")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("loqa: unknown option --frobnicate\n"));
    }

    // At a terminal /ttw shows one updating progress line; redirected, nothing.
    void progressLine_onlyAtATerminal()
    {
        QTemporaryDir work;
        const QString text = work.filePath(QStringLiteral("long.txt"));
        QVERIFY(WriteFile(text, QByteArray("A sentence that takes a moment to say out loud. ").repeated(12)));
        // script(1) gives the program a pseudo-terminal and copies what it wrote.
        QProcess tty;
        tty.setWorkingDirectory(work.path());
        tty.start(QStringLiteral("script"),
                  {QStringLiteral("-qefc"), QStringLiteral("'%1' /ttw '%2' -w 16").arg(LoqaBinary(), text),
                   QStringLiteral("/dev/null")});
        QVERIFY(tty.waitForFinished(60000));
        QCOMPARE(tty.exitCode(), 0);
        const QByteArray shown = tty.readAllStandardOutput();
        QVERIFY2(shown.contains("of audio") && shown.contains("\r") && shown.contains("100%"), shown.constData());
        QVERIFY(shown.contains("x real time"));

        const RunResult piped =
            RunLoqa({QStringLiteral("/ttw"), text, QStringLiteral("-w"), QStringLiteral("16")}, work.path());
        QCOMPARE(piped.exitCode, 0);
        QVERIFY2(piped.err.isEmpty() && piped.out.isEmpty(), piped.err.constData());
    }

    // Ctrl+C stops cleanly: while rendering and while encoding, no WAV, no MP3 and
    // no encoder are left, and the status is 130.
    void interrupt_removesThePartialOutput_data()
    {
        QTest::addColumn<bool>("whileEncoding");
        QTest::newRow("rendering") << false;
        QTest::newRow("encoding") << true;
    }
    void interrupt_removesThePartialOutput()
    {
        QFETCH(bool, whileEncoding);
        QTemporaryDir app, work;
        const QString exe = app.filePath(QStringLiteral("loqa"));
        QVERIFY(QFile::copy(LoqaBinary(), exe));
        const QString started = app.filePath(QStringLiteral("encoder-started"));
        QVERIFY(WriteFile(app.filePath(QStringLiteral("lame")),
                          QStringLiteral("#!/bin/sh\ntouch '%1'\nexec sleep 6124\n").arg(started).toUtf8()));
        QFile::setPermissions(app.filePath(QStringLiteral("lame")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QString text = work.filePath(QStringLiteral("book.txt"));
        QVERIFY(WriteFile(text, QByteArray("Chapter one, in which a long story begins and goes on. ").repeated(40)));
        QProcess loqa;
        loqa.setWorkingDirectory(work.path());
        loqa.start(exe, {QStringLiteral("/ttm"), text, QStringLiteral("-w"),
                         whileEncoding ? QStringLiteral("0") : QStringLiteral("1")});
        QVERIFY(loqa.waitForStarted());
        const QString wav = work.filePath(QStringLiteral("book.wav"));
        if (whileEncoding)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(started), 60000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(wav).size() > 20000, 30000);
        ::kill(pid_t(loqa.processId()), SIGINT);
        QVERIFY2(loqa.waitForFinished(20000), "Ctrl+C did not end the command");
        QCOMPARE(loqa.exitStatus(), QProcess::NormalExit);
        QCOMPARE(loqa.exitCode(), 130);
        QVERIFY(!QFile::exists(wav));
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("book.mp3"))));
        QProcess pgrep;
        pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("sleep 6124")});
        QVERIFY(pgrep.waitForFinished(10000));
        QCOMPARE(pgrep.exitCode(), 1); // no encoder left behind
    }
};

QTEST_GUILESS_MAIN(TestCmdLineRun)
#include "tst_cmdline_run.moc"
