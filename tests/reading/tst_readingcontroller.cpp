// The reading controller's runs on a scripted engine, without a window: the
// walk through the documents, pause and resume across tabs, the MP3 step with
// a stand-in encoder, and runs that fail.
#include "speech/mspeech.h"
#include "reading/readingcontroller.h"
#include "scriptedbackend.h"
#include "settings/settings.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace loqa;

namespace {

// Documents as tabs; showing one tells the controller, as the window does.
class FakeHost : public ReadingHost
{
public:
    QStringList texts;
    int current = 0;
    ReadingController *controller = nullptr;
    Settings *settings = nullptr;

    QString EditorText() const override { return texts.value(current); }
    int EditorCursor() const override { return 0; }
    QString EditorSelection(int *start) const override
    {
        *start = 0;
        return {};
    }
    int CurrentTab() const override { return current; }
    int TabCount() const override { return int(texts.size()); }
    QString TabCaption(int index) const override { return QStringLiteral("doc%1.txt").arg(index); }
    void ShowDocument(int index) override
    {
        if (index >= 0 && index < texts.size())
            current = index;
        settings->automatic.PlayIndex = current; // the shown document is the one played
        controller->DocumentShown();
    }
    QString AskSaveName(bool, const QString &, const QString &) override { return {}; }
};

std::string spoken(const QString &text)
{
    return (text + QStringLiteral("\r\n")).toStdString();
}

} // namespace

class TestReadingController : public QObject
{
    Q_OBJECT

    std::shared_ptr<ScriptedBackend> backend;
    std::unique_ptr<FakeHost> host;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<ReadingController> controller;
    QTemporaryDir folder;

    ScriptedLog &log() { return backend->log; }
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(
            controller->CurrentPhase() == ReadingController::Phase::Idle && !controller->Speech()->Paused(), 10000);
    }
    // Lets the engine's queued notifications arrive.
    void settle() { QTest::qWait(20); }
    void finish()
    {
        QVERIFY(log().finishRun);
        log().finishRun();
        settle();
    }

private slots:
    void init()
    {
        backend = std::make_shared<ScriptedBackend>();
        backend->modes = {ScriptedBackend::mode("Alpha Male")};
        host = std::make_unique<FakeHost>();
        host->texts = {QStringLiteral("Document A"), QStringLiteral("Document B"), QStringLiteral("Document C")};
        settings = std::make_unique<Settings>();
        controller = std::make_unique<ReadingController>(new TMSpeech(nullptr, backend), host.get(), *settings);
        host->controller = controller.get();
        host->settings = settings.get();
        settings->lists.DocumentList = {folder.filePath(QStringLiteral("a.txt")),
                                        folder.filePath(QStringLiteral("b.txt")),
                                        folder.filePath(QStringLiteral("c.txt"))};
        settings->convert.DefWavPath = folder.path() + QStringLiteral("/wav/");
        settings->convert.DefMp3Path = folder.path() + QStringLiteral("/mp3/");
        settings->general.AutoName = true;
        settings->general.AutoNext = true;
        settings->convert.KHZ = QStringLiteral("22.05");
        settings->convert.KBPS = QStringLiteral("128");
    }
    void cleanup()
    {
        controller.reset();
        settings.reset();
        host.reset();
        backend.reset();
    }

    // Auto-next walks A, B, C; with Repeat it comes round to A again until Stop.
    void autoNext_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("to the last") << false;
        QTest::newRow("repeating") << true;
    }
    void autoNext()
    {
        QFETCH(bool, repeat);
        settings->general.Repeat = repeat;
        log().holdRuns = true;
        controller->ReadDocument(cmAloud);
        settle();
        for (int run = 0; run < 4; ++run) {
            if (!repeat && run == 3)
                break;
            QCOMPARE(controller->CurrentReadState(), rsDocument);
            finish();
        }
        if (repeat) {
            // A, B, C and A again are done: B reads now, until Stop.
            QCOMPARE(host->current, 1);
            controller->Stop();
            settle();
        }
        waitIdle();
        const std::vector<std::string> walk{spoken("Document A"), spoken("Document B"), spoken("Document C")};
        std::vector<std::string> expected = walk;
        if (repeat)
            expected.insert(expected.end(), {spoken("Document A"), spoken("Document B")});
        QCOMPARE(log().texts, expected);
        QCOMPARE(controller->CurrentReadState(), rsNone);
    }

    // Stop while moving on ends the walk: the document after is never read.
    void stopDuringAutoNext()
    {
        log().holdRuns = true;
        controller->ReadDocument(cmAloud);
        settle();
        finish(); // A ends; B starts
        controller->Stop();
        settle();
        waitIdle();
        QCOMPARE(log().texts, (std::vector<std::string>{spoken("Document A"), spoken("Document B")}));
        QCOMPARE(controller->CurrentReadState(), rsNone);
        QCOMPARE(host->current, 1);
    }

    // Paused on B, the user looks at C; resuming shows B again and goes on there.
    void pauseOnOneTabResumeFromAnother()
    {
        log().holdRuns = true;
        host->current = 1;
        controller->ReadDocument(cmAloud);
        settle();
        controller->PauseResume();
        QVERIFY(controller->Speech()->Paused());
        QCOMPARE(controller->PausedTab(), 1);
        host->ShowDocument(2); // a tab click while paused restarts nothing
        QCOMPARE(log().texts.size(), size_t(1));
        controller->PauseResume();
        QCOMPARE(host->current, 1);
        QCOMPARE(log().resumes, 1);
        QCOMPARE(controller->CurrentPhase(), ReadingController::Phase::Speaking);
        controller->Stop();
        waitIdle();
    }

    // Next during a run reads the next document from its start, in the same mode.
    void nextDuringRun()
    {
        log().holdRuns = true;
        settings->general.AutoNext = false;
        controller->ReadDocument(cmWav);
        settle();
        controller->Next();
        settle();
        QCOMPARE(log().texts, (std::vector<std::string>{spoken("Document A"), spoken("Document B")}));
        QCOMPARE(settings->automatic.ConvertMode, qint32(cmWav));
        QCOMPARE(log().fileSets.back(), settings->convert.DefWavPath + QStringLiteral("b.wav"));
        controller->Stop();
        waitIdle();
    }

    // A clipboard run leaves the read commands as they were.
    void clipboardRunKeepsReadCommands()
    {
        QSignalSpy enabling(controller.get(), &ReadingController::ReadCommandsEnabled);
        QSignalSpy started(controller.get(), &ReadingController::Started);
        controller->ReadClipboard(QStringLiteral("copied text"));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 5000);
        QCOMPARE(started.first().first().toBool(), false);
        waitIdle();
        for (const auto &call : enabling)
            QVERIFY2(call.first().toBool(), "a clipboard run disabled the read commands");
        QCOMPARE(controller->CurrentReadState(), rsNone);
    }

    // The window's MP3 step: a failed first call is made again with "automatic";
    // only a finished MP3 lets the WAV go, and a failure keeps it and says so.
    void mp3Retry_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("encoded");
        // Fails while a sample rate is asked for, as with a bad KHZ in loqa.ini.
        QTest::newRow("retry succeeds")
            << QStringLiteral(
                   "case \"$*\" in *--resample*) exit 1;; esac\nfor a; do last=$a; done\necho mp3 > \"$last\"\n")
            << true;
        QTest::newRow("both fail") << QStringLiteral("exit 2\n") << false;
        QTest::newRow("no file left") << QStringLiteral("exit 0\n") << false;
    }
    void mp3Retry()
    {
        QFETCH(QString, script);
        QFETCH(bool, encoded);
        const QString encoder = folder.filePath(QStringLiteral("lame-standin"));
        QVERIFY(WriteFile(encoder,
                          (QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1.calls'\n").arg(encoder) + script).toUtf8()));
        QFile::setPermissions(encoder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::remove(encoder + QStringLiteral(".calls"));
        controller->SetEncoder(encoder);
        settings->convert.KHZ = QStringLiteral("99");
        settings->general.AutoNext = false;
        QSignalSpy errors(controller.get(), &ReadingController::ErrorRaised);
        QSignalSpy converting(controller.get(), &ReadingController::ConvertingChanged);
        const QString wav = settings->convert.DefWavPath + QStringLiteral("a.wav");
        const QString mp3 = settings->convert.DefMp3Path + QStringLiteral("a.mp3");
        QFile::remove(wav); // what an earlier row kept
        log().fileBytes = "RIFF speech";
        controller->ReadDocument(cmMp3);
        QTRY_COMPARE_WITH_TIMEOUT(converting.size(), 2, 20000);
        waitIdle();
        QFile calls(encoder + QStringLiteral(".calls"));
        QVERIFY(calls.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = calls.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 2); // the first call and the retry
        QVERIFY(lines[0].contains("--resample 99"));
        QVERIFY(!lines[1].contains("--resample"));
        QVERIFY(lines[1].contains("-b 128"));
        QCOMPARE(QFile::exists(mp3), encoded);
        QCOMPARE(QFile::exists(wav), !encoded);
        QCOMPARE(errors.size(), encoded ? 0 : 1);
        if (!encoded) {
            const QString message = errors.first().first().toString();
            QVERIFY2(message.contains(mp3) && message.contains(wav), qPrintable(message));
        }
    }

    // The alarm, a reminder and Read Clipboard while the MP3 file is made: each
    // waits for the encoder, then all are read aloud in the order they came, the
    // first in place of the next document; none is dropped.
    void freeTextsWaitForTheMp3Step()
    {
        const QString go = folder.filePath(QStringLiteral("go"));
        const QString encoder = folder.filePath(QStringLiteral("lame-waits"));
        QVERIFY(WriteFile(encoder, QStringLiteral("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.05; done\n"
                                                  "for a; do last=$a; done\necho mp3 > \"$last\"\n")
                                       .arg(go)
                                       .toUtf8()));
        QFile::setPermissions(encoder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        controller->SetEncoder(encoder);
        QDir().mkpath(settings->convert.DefWavPath);
        QVERIFY(WriteFile(settings->convert.DefWavPath + QStringLiteral("a.wav"), "RIFF speech"));
        QSignalSpy converting(controller.get(), &ReadingController::ConvertingChanged);
        controller->ReadDocument(cmMp3);
        QTRY_VERIFY_WITH_TIMEOUT(controller->Converting(), 10000);

        controller->Announce(QStringLiteral("The time now is 12:00:00 "));
        controller->ReadClipboard(QStringLiteral("copied words"));
        controller->Announce(QStringLiteral("Call the office"));
        settle();
        // Nothing of them yet: the run being encoded keeps its state.
        QCOMPARE(log().texts.size(), size_t(1));
        QCOMPARE(controller->CurrentReadState(), rsDocument);
        QCOMPARE(settings->automatic.ConvertMode, qint32(cmMp3));

        QVERIFY(WriteFile(go, ""));
        QTRY_COMPARE_WITH_TIMEOUT(converting.size(), 2, 10000);
        waitIdle();
        QVERIFY(QFile::exists(settings->convert.DefMp3Path + QStringLiteral("a.mp3")));
        QCOMPARE(log().texts, (std::vector<std::string>{spoken("Document A"), spoken("The time now is 12:00:00 "),
                                                        spoken("copied words"), spoken("Call the office")}));
        QCOMPARE(settings->automatic.ConvertMode, qint32(cmAloud));
        QCOMPARE(controller->CurrentReadState(), rsNone);
        QCOMPARE(host->current, 0);
    }

    // A run that cannot start goes back to idle, and a later tab switch starts nothing.
    void failedStartReturnsToIdle()
    {
        backend->refuseFiles = true;
        QSignalSpy errors(controller.get(), &ReadingController::ErrorRaised);
        controller->ReadDocument(cmWav);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(controller->CurrentReadState(), rsNone);
        QCOMPARE(controller->CurrentPhase(), ReadingController::Phase::Idle);
        host->ShowDocument(1);
        settle();
        QVERIFY(log().texts.empty());
    }

    // A voice that cannot be had: the error keeps its words, the status panel adds why.
    void failedSelection_saysWhyInTheStatus()
    {
        log().selectFailure = "the voice data cannot be read";
        QSignalSpy errors(controller.get(), &ReadingController::ErrorRaised);
        QSignalSpy notices(controller.get(), &ReadingController::Notice);
        controller->ReadDocument(cmAloud);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toString(), QStringLiteral("Speech Engine not selected"));
        QVERIFY(!notices.isEmpty());
        QCOMPARE(notices.last().first().toString(),
                 QStringLiteral(" Speech Engine not selected: the voice data cannot be read"));
    }

    // A run that breaks off (a full disk): nothing is encoded or deleted, no next document.
    void brokenRunStopsTheWalk()
    {
        log().runError = QStringLiteral("Cannot write /x/a.wav: No space left on device");
        QSignalSpy errors(controller.get(), &ReadingController::ErrorRaised);
        QSignalSpy converting(controller.get(), &ReadingController::ConvertingChanged);
        controller->ReadDocument(cmMp3);
        waitIdle();
        settle();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().first().toString(), log().runError);
        QCOMPARE(converting.size(), 0);
        QCOMPARE(log().texts.size(), size_t(1));
        QCOMPARE(host->current, 0);
        QCOMPARE(controller->CurrentReadState(), rsNone);
    }
};

QTEST_GUILESS_MAIN(TestReadingController)
#include "tst_readingcontroller.moc"
