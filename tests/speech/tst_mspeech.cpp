#include "speech/mspeech.h"
#include "scriptedbackend.h"

#include <QSignalSpy>
#include <QTest>

class TestMSpeech : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<ScriptedBackend> twoVoices()
    {
        auto b = std::make_shared<ScriptedBackend>();
        b->modes = {ScriptedBackend::mode("Alpha Male"), ScriptedBackend::mode("Beta Female", speech::GenderFemale)};
        return b;
    }

    static QString raised(const std::function<void()> &fn)
    {
        try {
            fn();
        } catch (const EMSpeechException &e) {
            return e.message();
        }
        return QString();
    }

private slots:
    void construction_listsModesInOrderWithDuplicates()
    {
        auto b = twoVoices();
        b->modes.push_back(ScriptedBackend::mode("Alpha Male"));
        TMSpeech s(nullptr, b);
        QCOMPARE(s.Engines(), (QStringList{"Alpha Male", "Beta Female", "Alpha Male"}));
        QVERIFY(s.Initialized());
        QVERIFY(s.Enabled);
        QVERIFY(!s.Selected());
        QCOMPARE(s.Version(), QStringLiteral("Tavrin Speech 1.1.1"));
        s.SetVersion(QStringLiteral("9.9"));
        QCOMPARE(s.Version(), QStringLiteral("Tavrin Speech 1.1.1"));
        QCOMPARE(s.Output, soGeneral);
        QCOMPARE(s.WordPosition(), 0u);
    }

    void noEnumerator_isUnavailableAndSilent()
    {
        auto b = twoVoices();
        b->noEnumerator = true;
        TMSpeech s(nullptr, b);
        QVERIFY(!s.Initialized());
        QVERIFY(!s.Enabled);
        QVERIFY(s.Engines().isEmpty());
        s.SpeakText(QStringLiteral("hello")); // nothing happens, nothing is raised
        QVERIFY(b->log.texts.empty());
        QCOMPARE(raised([&] { s.SelectEngine(QStringLiteral("Alpha Male")); }),
                 QStringLiteral("Speech Engine not initialized"));
        TMSpeechEngineInfo info;
        QVERIFY(!s.GetEngineInfo(QStringLiteral("Alpha Male"), info));
    }

    void noVoices_selectionNotFound()
    {
        auto b = std::make_shared<ScriptedBackend>();
        TMSpeech s(nullptr, b);
        QVERIFY(s.Initialized());
        QVERIFY(s.Engines().isEmpty());
        QCOMPARE(raised([&] { s.SelectEngine(QStringLiteral("anything")); }),
                 QStringLiteral("Specified Speech Engine not found"));
    }

    void speakBeforeSelection_raisesNotSelected()
    {
        TMSpeech s(nullptr, twoVoices());
        QCOMPARE(raised([&] { s.SpeakText(QStringLiteral("x")); }), QStringLiteral("Speech Engine not selected"));
        s.Enabled = false;
        QCOMPARE(raised([&] { s.SpeakText(QStringLiteral("x")); }), QString());
    }

    void selection_ignoresCaseAndFindsFirstDuplicate()
    {
        auto b = twoVoices();
        b->modes.push_back(ScriptedBackend::mode("Beta Female", speech::GenderNeutral));
        TMSpeech s(nullptr, b);
        s.SelectEngine(QStringLiteral("bEtA fEmAlE"));
        QVERIFY(s.Selected());
        // The name at position 2 is the same as at position 1: the first one is selected.
        s.SelectEngine(s.Engines().at(2));
        QCOMPARE(s.EngineInfo().Gender, QStringLiteral("FEMALE"));
        QCOMPARE(b->log.centralsAlive, 1); // the old engine went before the new one came
    }

    void engineInfo_fieldsAndProbedRanges()
    {
        auto b = twoVoices();
        b->modes[0].modeId = QUuid(QStringLiteral("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"));
        TMSpeech s(nullptr, b);
        s.SelectEngine(QStringLiteral("Alpha Male"));
        const TMSpeechEngineInfo &i = s.EngineInfo();
        QCOMPARE(i.Name, QStringLiteral("Alpha Male"));
        QCOMPARE(i.ModeID, QStringLiteral("{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}"));
        QCOMPARE(i.Gender, QStringLiteral("MALE"));
        QCOMPARE(i.MaxPitch, uint16_t(300));
        QCOMPARE(i.MinPitch, uint16_t(10));
        QCOMPARE(i.MaxSpeed, 600u);
        QCOMPARE(i.MinSpeed, 70u);
        QCOMPARE(i.MaxRealTime, 900u);
        QCOMPARE(i.MinRealTime, 5u);
        QCOMPARE(i.MaxVolume, 100u);
        QCOMPARE(i.MinVolume, 0u);
        // Probing puts the engine's own values back.
        TMSpeech::Interface attrs;
        s.GetInterface(2, attrs);
        QCOMPARE(std::get<speech::Attributes *>(attrs)->speedGet(), 200u);
        QCOMPARE(std::get<speech::Attributes *>(attrs)->pitchGet(), uint16_t(100));
    }

    void getEngineInfo_leavesRangesAndUnknownGender()
    {
        auto b = twoVoices();
        b->modes[1].gender = 7;
        TMSpeech s(nullptr, b);
        TMSpeechEngineInfo info;
        QVERIFY(s.GetEngineInfo(QStringLiteral("beta female"), info));
        QCOMPARE(info.Name, QStringLiteral("Beta Female"));
        QCOMPARE(info.Gender, QString());
        QCOMPARE(info.MaxVolume, 100u);
        QCOMPARE(info.MaxSpeed, 0u);
        QCOMPARE(info.MaxPitch, uint16_t(0));
        QVERIFY(!s.GetEngineInfo(QStringLiteral("Gamma"), info));
        QVERIFY(!s.Selected()); // describing selects nothing
    }

    void tags_areInjectedUnchanged()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        s.SelectEngine(QStringLiteral("Alpha Male"));
        s.SetSpeed(4000000000u);
        s.SetPitch(65535);
        QCOMPARE(b->log.injected, (std::vector<std::string>{"\\Spd=4000000000\\", "\\Pit=65535\\"}));
    }

    void speak_joinsLinesWithCrLfAndReportsBytePositions()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        int starts = 0, stops = 0;
        s.OnStart = [&](TMSpeech *) { ++starts; };
        s.OnStop = [&](TMSpeech *) { ++stops; };
        s.SelectEngine(QStringLiteral("Alpha Male"));
        s.Text = QStringList{QStringLiteral("Grüße"), QStringLiteral("two")};
        s.Speak();
        QCOMPARE(b->log.texts.back(), std::string("Gr\xC3\xBC\xC3\x9F"
                                                  "e\r\ntwo\r\n"));
        QTRY_COMPARE(stops, 1);
        QCOMPARE(starts, 1);
        QCOMPARE(s.WordPosition(), 14u); // bytes of the UTF-8 text, CR LF included
    }

    void fileOutput_flushesBeforeStopAndRefusedFileIsSilent()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        int flushesAtStop = -1;
        s.OnStop = [&](TMSpeech *) { flushesAtStop = b->lastFile->flushes; };
        s.Output = soFile;
        s.SelectEngine(QStringLiteral("Alpha Male"));
        s.Filename = QStringLiteral("/tmp/x.wav");
        s.SpeakText(QStringLiteral("hi"));
        QTRY_COMPARE(flushesAtStop, 1);

        b->refuseFiles = true;
        s.SelectEngine(QStringLiteral("Alpha Male"));
        const size_t spoken = b->log.texts.size();
        flushesAtStop = -1;
        s.SpeakText(QStringLiteral("hi")); // no exception
        QCOMPARE(b->log.texts.size(), spoken);
        QVERIFY(s.LastSpeakError().startsWith(QStringLiteral("Can not open file")));
        QTest::qWait(20);
        QCOMPARE(flushesAtStop, -1); // and no event
    }

    // A voice whose engine cannot render into a file is not selected for one, and says why.
    void voiceWithoutFileOutput_isRefusedForFilesOnly()
    {
        auto b = twoVoices();
        b->modes[1].features = speech::FeaturePitch | speech::FeatureSpeed;
        TMSpeech s(nullptr, b);
        s.Output = soFile;
        s.SelectEngine(QStringLiteral("Beta Female"));
        QVERIFY(!s.Selected());
        QCOMPARE(s.LastSelectError(), speech::FileOutputRefusalText(QStringLiteral("Beta Female")));
        QCOMPARE(raised([&] { s.SpeakText(QStringLiteral("hi")); }), QStringLiteral("Speech Engine not selected"));
        QVERIFY(b->log.texts.empty());
        s.Output = soGeneral;
        s.SelectEngine(QStringLiteral("Beta Female"));
        QVERIFY(s.Selected());
    }

    void fileThatCannotBeCompleted_isReportedBeforeTheStop()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        QStringList events;
        s.OnError = [&](TMSpeech *, int32_t, const QString &m) { events << m; };
        s.OnStop = [&](TMSpeech *sender) { events << QStringLiteral("stop:") + sender->RunError(); };
        s.Output = soFile;
        s.SelectEngine(QStringLiteral("Alpha Male"));
        s.Filename = QStringLiteral("/x/notes.wav");
        b->lastFile->flushFailure = QStringLiteral("No space left on device");
        s.SpeakText(QStringLiteral("hi"));
        QTRY_COMPARE(events.size(), 2);
        const QString message = QStringLiteral("Cannot write /x/notes.wav: No space left on device");
        QCOMPARE(events, QStringList({message, QStringLiteral("stop:") + message}));

        b->lastFile->flushFailure.clear();
        events.clear();
        s.SpeakText(QStringLiteral("again")); // a new text starts without the old failure
        QVERIFY(s.RunError().isEmpty());
        QTRY_COMPARE(events, QStringList{QStringLiteral("stop:")});
    }

    void pauseResumeStop_toggleFlags()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        QCOMPARE(raised([&] { s.Pause(); }), QStringLiteral("Speech Engine not selected"));
        s.SelectEngine(QStringLiteral("Alpha Male"));
        s.Pause();
        QVERIFY(s.Paused());
        s.Resume();
        QVERIFY(!s.Paused());
        s.Pause();
        s.Stop();
        QVERIFY(!s.Paused());
        QCOMPARE(b->log.pauses, 2);
        QCOMPARE(b->log.resumes, 1);
        QCOMPARE(b->log.resets, 1);
    }

    // A text stopped just after the engine took it reports its stop and nothing
    // else: no start, no word; the next text is reported in full.
    void stopJustAfterSpeak_reportsOnlyTheStop()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        QStringList events;
        s.OnStart = [&](TMSpeech *) { events << QStringLiteral("start"); };
        s.OnStop = [&](TMSpeech *) { events << QStringLiteral("stop"); };
        s.OnError = [&](TMSpeech *, int32_t, const QString &m) { events << QStringLiteral("error:") + m; };
        s.SelectEngine(QStringLiteral("Alpha Male"));
        b->log.holdRuns = true;
        b->log.runError = QStringLiteral("the sound went away");
        s.SpeakText(QStringLiteral("stopped at once"));
        s.Stop();
        QTRY_COMPARE(events, QStringList{QStringLiteral("stop")});
        QTest::qWait(50);
        QCOMPARE(events, QStringList{QStringLiteral("stop")});
        QCOMPARE(s.WordPosition(), 0u);
        QVERIFY(s.RunError().isEmpty());

        events.clear();
        b->log.holdRuns = false;
        b->log.runError.clear();
        s.SpeakText(QStringLiteral("heard"));
        QTRY_COMPARE(events, (QStringList{QStringLiteral("start"), QStringLiteral("stop")}));
        QCOMPARE(s.WordPosition(), uint32_t(std::string("heard").size()));
    }

    void showDialog_kinds()
    {
        auto b = twoVoices();
        TMSpeech s(nullptr, b);
        s.SelectEngine(QStringLiteral("Alpha Male"));
        // Each kind reaches its own dialog, title passed through; the text comes back.
        QStringList texts;
        for (int kind : {0, 1, 2, 3, 4, -1})
            texts << s.ShowDialog(kind, 0, QStringLiteral("T"));
        QCOMPARE(texts, (QStringList{"about T", "general T", "lexicon T", "translate T", "", ""}));
        TMSpeech::Interface dialogs;
        s.GetInterface(3, dialogs);
        auto *d = static_cast<ScriptedDialogs *>(std::get<speech::Dialogs *>(dialogs));
        QCOMPARE(d->shown[0] + d->shown[1] + d->shown[2] + d->shown[3], 4);
    }

    void destroyed_receivesNothing()
    {
        auto b = twoVoices();
        int stops = 0;
        std::shared_ptr<speech::NotifySink> sink;
        {
            TMSpeech s(nullptr, b);
            s.OnStop = [&](TMSpeech *) { ++stops; };
            s.SelectEngine(QStringLiteral("Alpha Male"));
            TMSpeech::Interface central;
            s.GetInterface(1, central);
            sink = static_cast<ScriptedCentral *>(std::get<speech::Central *>(central))->sink;
        }
        sink->audioStop(0); // a late notification from an engine that outlived it
        QCOMPARE(stops, 0);
    }
};

QTEST_GUILESS_MAIN(TestMSpeech)
#include "tst_mspeech.moc"
