// The alarm and the reminders of the main window, heard at the private sound
// server's null sink: the real engine, the window's own timer and clock (set by
// its test hook where the test cannot wait for the minute).
#include "alarm/alarmrules.h"
#include "ui/main/converter.h"
#include "settings/settings.h"
#include "sinkrecorder.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <thread>

using namespace loqa;

namespace {

// The texts of the message boxes shown, in the order they were made.
QStringList boxTexts()
{
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            texts << box->text();
    }
    return texts;
}

} // namespace

class TestAlarm : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempHome> home;
    std::unique_ptr<TFormCvt> form;

    void start(const QByteArray &ini)
    {
        home = std::make_unique<TempHome>();
        qputenv("LOQA_HOME", home->path().toUtf8());
        QVERIFY(home->write(QStringLiteral("txt/a.txt"), "A document nobody reads here."));
        QVERIFY(home->write(QStringLiteral("loqa.apl"), (home->file(QStringLiteral("txt/a.txt")) + "\r\n").toUtf8()));
        QVERIFY(home->write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n" + ini));
        form = std::make_unique<TFormCvt>(QSize(1280, 800));
        form->show();
    }

    // Until the run is over and idle.
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(form->Reading->CurrentPhase() == ReadingController::Phase::Idle &&
                                     !form->action(ActionStop)->isEnabled(),
                                 30000);
    }

private slots:
    void init() { LOQA_REQUIRE_OR_SKIP(HaveSoundServer(), "needs the private sound server"); }
    void cleanup()
    {
        form.reset();
        home.reset();
        qunsetenv("LOQA_FAKE_NOW");
    }

    // A reminder a few seconds ahead, its second passing while the window is busy:
    // it is heard once, with one box, and not again.
    void reminder_isHeardOnceThoughTheWindowWasBusy()
    {
        const QDateTime at = QDateTime::currentDateTime().addSecs(3);
        const QString key = MomentText(at.date(), at.time());
        start("[Auto]\r\nConvertMode=2\r\n[Reminder]\r\nReminder=1\r\nReminderMsgBox=1\r\n[ReminderList]\r\n" +
              key.toUtf8() + "=Remember to call the office about the new schedule.\r\n" +
              MomentText(at.date(), at.time().addSecs(-3600)).toUtf8() + "=An hour ago, not today's business.\r\n");
        QCOMPARE(form->settings().lists.ReminderList.size(), 2);
        SinkRecorder rec;
        QVERIFY(rec.start());
        // The window does not look at its timer until the reminder's second is over.
        while (QDateTime::currentDateTime() < at.addSecs(2))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));

        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.5), 10000);
        QCOMPARE(boxTexts(),
                 QStringList{key + QStringLiteral("\r\n\r\nRemember to call the office about the new schedule.")});
        QCOMPARE(form->settings().automatic.ConvertMode, 0);
        QCOMPARE(int(form->Reading->CurrentReadState()), 0);
        waitIdle();
        rec.poll();
        const double endedAt = rec.elapsedMs() / 1000.0;
        QTest::qWait(2500);
        rec.stop();
        QCOMPARE(rec.analyse(endedAt + 0.2).heardSeconds, 0.0);
        QCOMPARE(boxTexts().size(), 1);
        QCOMPARE(form->settings().lists.ReminderList.size(), 2); // nothing is removed
    }

    // Every minute: the time is said at the next minute with its box, and a reminder
    // given while that box is open gets a box of its own.
    void alarm_saysTheTimeAtTheMinute()
    {
        const QDate today = QDate::currentDate();
        qputenv("LOQA_FAKE_NOW", QDateTime(today, QTime(10, 29, 57)).toString(Qt::ISODate).toUtf8());
        const QString reminderKey = MomentText(today, QTime(10, 30, 6));
        start("[Alarm]\r\nAlarm=1\r\nAlarmInterval=1\r\nAlarmMsgBox=1\r\nAlarmAfter=exactly.\r\n"
              "[Reminder]\r\nReminder=1\r\nReminderMsgBox=1\r\n[ReminderList]\r\n" +
              reminderKey.toUtf8() + "=Stretch your legs.\r\n");
        SinkRecorder rec;
        QVERIFY(rec.start());
        const QString said =
            QStringLiteral("The time now is ") + TimeText(QTime(10, 30, 0)) + QStringLiteral(" exactly.");
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{said}, 10000);
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.8), 10000);
        waitIdle();
        // The alarm's box is still open when the reminder comes.
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts().size(), 2, 10000);
        QVERIFY(boxTexts().contains(said));
        QVERIFY(boxTexts().contains(reminderKey + QStringLiteral("\r\n\r\nStretch your legs.")));
        QCOMPARE(form->settings().automatic.ConvertMode, 0);
    }

    // Play Sound with no such file: the built-in tone is heard, and the box says so.
    void alarm_missingSoundPlaysTheTone()
    {
        qputenv("LOQA_FAKE_NOW", QDateTime(QDate::currentDate(), QTime(7, 59, 58)).toString(Qt::ISODate).toUtf8());
        start("[Alarm]\r\nAlarm=1\r\nAlarmInterval=60\r\nAlarmStyle=2\r\nAlarmMsgBox=1\r\n"
              "AlarmWavFile=/nonexistent/loqa-bell.wav\r\n");
        SinkRecorder rec;
        QVERIFY(rec.start());
        QTRY_COMPARE_WITH_TIMEOUT(boxTexts(), QStringList{QStringLiteral("Sound Alarm!")}, 10000);
        QTRY_VERIFY_WITH_TIMEOUT((rec.poll(), rec.analyse().heardSeconds > 0.2), 5000);
        QTest::qWait(1000);
        rec.stop();
        // Two beeps, no speech.
        const SinkRecorder::Analysis heard = rec.analyse();
        QVERIFY2(heard.heardSeconds < 0.5, qPrintable(QString::number(heard.heardSeconds)));
        QCOMPARE(form->Reading->CurrentPhase(), ReadingController::Phase::Idle);
    }
};

QTEST_MAIN(TestAlarm)
#include "tst_alarm.moc"
