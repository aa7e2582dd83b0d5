// The alarm's and the reminders' decisions, and the seconds the timer gives, on a
// clock the test sets.
#include "alarm/alarmrules.h"
#include "alarm/ticker.h"
#include "testsupport.h"

#include <QSet>
#include <QTest>
#include <QTimeZone>

using namespace loqa;

namespace {

const QDate kDay(2026, 12, 8);

QString hms(const QDateTime &t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

QStringList hmsList(const QList<QDateTime> &seconds)
{
    QStringList out;
    for (const QDateTime &t : seconds)
        out << hms(t);
    return out;
}

QDateTime utc(int h, int m, int s, int ms = 0)
{
    return QDateTime(kDay, QTime(h, m, s, ms), QTimeZone::utc());
}

} // namespace

class TestAlarmRules : public QObject
{
    Q_OBJECT

private slots:
    void minuteRule_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<QList<int>>("minutes");
        QTest::newRow("60") << 60 << QList<int>{0};
        QTest::newRow("15") << 15 << QList<int>{0, 15, 30, 45};
        QTest::newRow("45") << 45 << QList<int>{0, 45};
        QTest::newRow("7") << 7 << QList<int>{0, 7, 14, 21, 28, 35, 42, 49, 56};
        QTest::newRow("0 never") << 0 << QList<int>{};
    }
    void minuteRule()
    {
        QFETCH(int, interval);
        QFETCH(QList<int>, minutes);
        // Every hour alike, and only on second 0.
        for (int h : {0, 13, 23}) {
            QList<int> due;
            for (int m = 0; m < 60; ++m) {
                for (int s : {1, 30, 59})
                    QVERIFY2(!AlarmDue(QTime(h, m, s), interval), qPrintable(QTime(h, m, s).toString()));
                if (AlarmDue(QTime(h, m, 0, 999), interval))
                    due << m;
            }
            QCOMPARE(due, minutes);
        }
    }

    void momentText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("moment"); // 2026-12-08 14:30:05
        QTest::addColumn<QString>("time");   // 09:05:00
        QTest::newRow("en_US") << "en_US"
                               << "12/8/26 2:30:05 PM"
                               << "9:05:00 AM";
        QTest::newRow("de_DE") << "de_DE"
                               << "08.12.26 14:30:05"
                               << "09:05:00";
        QTest::newRow("fr_FR") << "fr_FR"
                               << "08/12/2026 14:30:05"
                               << "09:05:00";
        QTest::newRow("ja_JP") << "ja_JP"
                               << "2026/12/08 14時30分05秒"
                               << "9時05分00秒";
    }
    void momentText()
    {
        QFETCH(QString, locale);
        QFETCH(QString, moment);
        QFETCH(QString, time);
        const QLocale l(locale);
        QCOMPARE(MomentText(kDay, QTime(14, 30, 5), l), moment);
        QCOMPARE(TimeText(QTime(9, 5, 0), l), time);

        // Now, with its milliseconds, and a key made from pickers that hold whole
        // seconds: the same text, character for character; a second later another.
        const QDateTime now = QDateTime::currentDateTime();
        const QTime picked(now.time().hour(), now.time().minute(), now.time().second());
        const QString today = MomentText(now.date(), now.time(), l);
        QCOMPARE(MomentText(now.date(), picked, l), today);
        QVERIFY(MomentText(now.date(), picked.addSecs(1), l) != today);
        QVERIFY2(!today.contains(now.timeZoneAbbreviation()), qPrintable(today));
        QVERIFY(!today.endsWith(QLatin1Char(' ')));
    }

    void timeZoneLeavesTheFormat()
    {
        QCOMPARE(WithoutTimeZone(QStringLiteral("h:mm:ss AP t")), QStringLiteral("h:mm:ss AP"));
        QCOMPARE(WithoutTimeZone(QStringLiteral("HH:mm:ss t")), QStringLiteral("HH:mm:ss"));
        QCOMPARE(WithoutTimeZone(QStringLiteral("t HH:mm:ss")), QStringLiteral("HH:mm:ss"));
        QCOMPARE(WithoutTimeZone(QStringLiteral("HH:mm:ss tttt 'Uhr'")), QStringLiteral("HH:mm:ss 'Uhr'"));
        // A quoted "t" is text, not the zone.
        QCOMPARE(WithoutTimeZone(QStringLiteral("'at' HH:mm:ss")), QStringLiteral("'at' HH:mm:ss"));
        QCOMPARE(WithoutTimeZone(QStringLiteral("HH:mm:ss")), QStringLiteral("HH:mm:ss"));
    }

    void spokenTexts()
    {
        const QLocale us(QStringLiteral("en_US"));
        const QTime at(14, 0, 0);
        AlarmStepSettings s; // the defaults: say the time, "The time now is", no box
        AlarmAction a = AlarmStep(s, kDay, at, us);
        QCOMPARE(a.kind, AlarmAction::Speak);
        QCOMPARE(a.text, QStringLiteral("The time now is 2:00:00 PM "));
        QCOMPARE(a.boxText, QString());
        // Not the alarm's second: nothing.
        QCOMPARE(AlarmStep(s, kDay, QTime(14, 0, 1), us).kind, AlarmAction::Nothing);
        QCOMPARE(AlarmStep(s, kDay, QTime(14, 30, 0), us).kind, AlarmAction::Nothing);

        s.withDate = true;
        s.msgBox = true;
        s.after = QStringLiteral("precisely.");
        a = AlarmStep(s, kDay, at, us);
        QCOMPARE(a.text, QStringLiteral("The time now is 12/8/26 2:00:00 PM precisely."));
        QCOMPARE(a.boxText, a.text);
        // The blanks stay when the parts around them are empty.
        s.before.clear();
        s.after.clear();
        QCOMPARE(AlarmStep(s, kDay, at, us).text, QStringLiteral(" 12/8/26 2:00:00 PM "));

        // Read Text File: the lines, each followed by a line break; the time is not said.
        TempHome home;
        QVERIFY(home.write(QStringLiteral("alarm.txt"), "Time for tea.\r\nThe kettle is on.\r\n"));
        s = AlarmStepSettings();
        s.style = 1;
        s.after = QStringLiteral("Enjoy.");
        s.txtFile = home.file(QStringLiteral("alarm.txt"));
        a = AlarmStep(s, kDay, at, us);
        QCOMPARE(a.kind, AlarmAction::Speak);
        QCOMPARE(a.text, QStringLiteral("The time now is Time for tea.\nThe kettle is on.\n Enjoy."));
        // A file that cannot be read is spoken as the error line; so is no file at all.
        s.txtFile = home.file(QStringLiteral("missing.txt"));
        QCOMPARE(AlarmStep(s, kDay, at, us).text,
                 QStringLiteral("The time now is File %1 open error!\n Enjoy.").arg(s.txtFile));
        s.txtFile = home.path(); // a folder
        QCOMPARE(AlarmStep(s, kDay, at, us).text,
                 QStringLiteral("The time now is File %1 open error!\n Enjoy.").arg(s.txtFile));
        s.txtFile.clear();
        QCOMPARE(AlarmStep(s, kDay, at, us).text, QStringLiteral("The time now is File  open error!\n Enjoy."));

        // Play Sound: nothing is spoken; the box says "Sound Alarm!".
        s.style = 2;
        s.wavFile = QStringLiteral("/nowhere/bell.wav");
        a = AlarmStep(s, kDay, at, us);
        QCOMPARE(a.kind, AlarmAction::PlaySound);
        QCOMPARE(a.soundFile, s.wavFile);
        QCOMPARE(a.text, QString());
        QCOMPARE(a.boxText, QString());
        s.msgBox = true;
        QCOMPARE(AlarmStep(s, kDay, at, us).boxText, QStringLiteral("Sound Alarm!"));
        // Another style does nothing.
        s.style = 3;
        a = AlarmStep(s, kDay, at, us);
        QCOMPARE(a.kind, AlarmAction::Nothing);
        QCOMPARE(a.boxText, QString());
    }

    void reminderMatching()
    {
        const QLocale de(QStringLiteral("de_DE")), us(QStringLiteral("en_US"));
        const QString key = MomentText(kDay, QTime(14, 30, 0), de);
        const QStringList list{
            key + QStringLiteral("=Call the office"),
            MomentText(kDay, QTime(14, 30, 1), de) + QStringLiteral("=A second later"),
            key + QStringLiteral("=Water the plants = twice"),
            MomentText(kDay, QTime(14, 30, 0), us) + QStringLiteral("=The same moment in another format"),
            key, // no "=": no key
            key.toLower() + QStringLiteral(" =Not the key"),
        };
        const QList<ReminderEntry> due = DueReminders(list, key);
        QCOMPARE(due.size(), 2);
        QCOMPARE(due.at(0).key, key);
        QCOMPARE(due.at(0).message, QStringLiteral("Call the office"));
        QCOMPARE(due.at(1).message, QStringLiteral("Water the plants = twice"));
        QCOMPARE(ReminderBoxText(due.at(0)), key + QStringLiteral("\r\n\r\nCall the office"));
        // A key in another format matches no moment of this one.
        QVERIFY(DueReminders({list.at(3)}, key).isEmpty());
        QVERIFY(DueReminders(list, MomentText(kDay, QTime(14, 29, 59), de)).isEmpty());
    }

    // Wakes on time, early, late and very late.
    void ticker_givesEachSecondOnce()
    {
        QDateTime now = utc(10, 0, 0, 300);
        SecondTicker ticker([&] { return now; });
        ticker.Start();
        QCOMPARE(ticker.MsToNextSecond(), 700);
        now = utc(10, 0, 1, 2);
        // The second the timer started in, and the one it woke in.
        QCOMPARE(hmsList(ticker.Tick()), (QStringList{"10:00:00", "10:00:01"}));
        QCOMPARE(ticker.MsToNextSecond(), 998);
        now = utc(10, 0, 1, 999); // an early wake
        QCOMPARE(hmsList(ticker.Tick()), QStringList());
        now = utc(10, 0, 2, 0);
        QCOMPARE(hmsList(ticker.Tick()), QStringList{"10:00:02"});
        QCOMPARE(ticker.MsToNextSecond(), 1000);
        now = utc(10, 0, 2, 500); // a second wake in the same second
        QCOMPARE(hmsList(ticker.Tick()), QStringList());
        now = utc(10, 0, 7, 400); // a busy window
        QCOMPARE(hmsList(ticker.Tick()), (QStringList{"10:00:03", "10:00:04", "10:00:05", "10:00:06", "10:00:07"}));
        // Asleep for minutes: the last minute and the second it woke in.
        now = utc(10, 5, 0, 10);
        const QList<QDateTime> late = ticker.Tick();
        QCOMPARE(late.size(), SecondTicker::MaxSeconds);
        QCOMPARE(hms(late.first()), QStringLiteral("10:04:00"));
        QCOMPARE(hms(late.last()), QStringLiteral("10:05:00"));
        QCOMPARE(late.first().time().msec(), 0);

        // Off for a while: the seconds in between are not given when it starts again.
        now = utc(10, 6, 0, 600);
        ticker.Start();
        now = utc(10, 6, 1, 0);
        QCOMPARE(hmsList(ticker.Tick()), (QStringList{"10:06:00", "10:06:01"}));
    }

    void ticker_clockSetBack()
    {
        QDateTime now = utc(10, 0, 0, 0);
        SecondTicker ticker([&] { return now; });
        ticker.Start();
        QStringList given;
        auto tickAt = [&](const QDateTime &t) {
            now = t;
            const QStringList seconds = hmsList(ticker.Tick());
            given += seconds;
            return seconds;
        };
        for (int s = 0; s <= 10; ++s)
            tickAt(utc(10, 0, s, 5));
        QCOMPARE(given.size(), 11);
        // Set back by five seconds: nothing is given again until the clock is past 10:00:10.
        for (int s = 5; s <= 10; ++s)
            QCOMPARE(tickAt(utc(10, 0, s, 500)), QStringList());
        QCOMPARE(tickAt(utc(10, 0, 11, 3)), QStringList{"10:00:11"});
        // Set back before the start: those seconds were never given.
        QCOMPARE(tickAt(utc(9, 59, 58, 0)), QStringList{"09:59:58"});
        QCOMPARE(tickAt(utc(9, 59, 59, 0)), QStringList{"09:59:59"});
        QCOMPARE(tickAt(utc(10, 0, 0, 0)), QStringList());
        QCOMPARE(given.size(), QSet<QString>(given.begin(), given.end()).size());
    }

    // Work done for one second keeps the window in a nested event loop (a modal
    // box) for several seconds; the wakes in there and after it give every second once.
    void ticker_nestedWakeDuringAModalBox()
    {
        QDateTime now = utc(10, 0, 0, 500);
        SecondTicker ticker([&] { return now; });
        ticker.Start();
        QStringList handled;
        std::function<void(const QList<QDateTime> &)> handle = [&](const QList<QDateTime> &seconds) {
            for (const QDateTime &second : seconds) {
                handled << hms(second);
                if (hms(second) == QLatin1String("10:00:01")) {
                    // The box is open from here to 10:00:04.2, the timer waking inside it.
                    for (int s = 2; s <= 4; ++s) {
                        now = utc(10, 0, s, 200);
                        handle(ticker.Tick());
                    }
                }
            }
        };
        now = utc(10, 0, 1, 0);
        handle(ticker.Tick());
        now = utc(10, 0, 5, 0);
        handle(ticker.Tick());
        handled.sort();
        QCOMPARE(handled, (QStringList{"10:00:00", "10:00:01", "10:00:02", "10:00:03", "10:00:04", "10:00:05"}));
    }

    // The repeated hour at the end of summer time is given once; the hour skipped
    // at its start gives no seconds that the clock never showed.
    void ticker_summerTime()
    {
        const QTimeZone berlin("Europe/Berlin");
        QVERIFY(berlin.isValid());
        // 2026-10-25: 03:00 summer time becomes 02:00 again (01:00 UTC).
        QDateTime now = QDateTime(QDate(2026, 10, 25), QTime(0, 0, 0), QTimeZone::utc()).toTimeZone(berlin);
        SecondTicker ticker([&] { return now; });
        ticker.Start();
        const QDateTime start = now;
        QSet<QString> seen;
        int given = 0;
        for (int s = 1; s <= 7205; ++s) { // two hours of the instant's time and five seconds
            now = start.addSecs(s).addMSecs(3);
            for (const QDateTime &second : ticker.Tick()) {
                const QString shown = second.toString(QStringLiteral("hh:mm:ss"));
                QVERIFY2(!seen.contains(shown), qPrintable(shown));
                seen.insert(shown);
                ++given;
            }
        }
        QCOMPARE(given, 3600 + 6); // 02:00:00..02:59:59 once, then 03:00:00..03:00:05
        QVERIFY(seen.contains(QStringLiteral("03:00:05")));

        // 2026-03-29: 02:00 winter time becomes 03:00.
        now = QDateTime(QDate(2026, 3, 29), QTime(0, 59, 59), QTimeZone::utc()).toTimeZone(berlin);
        SecondTicker spring([&] { return now; });
        spring.Start();
        now = now.addSecs(1);
        QCOMPARE(hmsList(spring.Tick()), (QStringList{"01:59:59", "03:00:00"}));
    }
};

QTEST_GUILESS_MAIN(TestAlarmRules)
#include "tst_alarmrules.moc"
