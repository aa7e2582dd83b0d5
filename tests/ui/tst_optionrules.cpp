// The options dialog's decisions, without a window: the MP3 bitrate sets, the
// speed and pitch texts, the folder settings, the clamped numbers, the hotkey
// update and the reminder rows.
#include "settings/settings.h"
#include "ui/options/optionrules.h"
#include "platform/shortcut.h"

#include <QTest>

using namespace loqa;

class TestOptionRules : public QObject
{
    Q_OBJECT

    const QLocale us{QLocale::English, QLocale::UnitedStates};

private slots:
    void bitrates_data()
    {
        QTest::addColumn<QString>("frequency"); // "" for no frequency selected
        QTest::addColumn<QString>("bitrate");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("message");
        const QString high = QStringLiteral("Only for 8KHZ~24KHZ Mode.");
        const QString low = QStringLiteral("Only for 32KHZ~48KHZ Mode.");
        QTest::newRow("44.1 kHz refuses 144") << "44.1"
                                              << "144"
                                              << "128" << high;
        QTest::newRow("44.1 kHz takes 320") << "44.1"
                                            << "320"
                                            << "320" << QString();
        QTest::newRow("44.1 kHz refuses 8") << "44.1"
                                            << "8"
                                            << "128" << high;
        QTest::newRow("48 kHz takes 32") << "48"
                                         << "32"
                                         << "32" << QString();
        QTest::newRow("16 kHz refuses 192") << "16"
                                            << "192"
                                            << "128" << low;
        QTest::newRow("24 kHz takes 160") << "24"
                                          << "160"
                                          << "160" << QString();
        QTest::newRow("8 kHz takes 8") << "8"
                                       << "8"
                                       << "8" << QString();
        QTest::newRow("11.025 kHz refuses 320") << "11.025"
                                                << "320"
                                                << "128" << low;
        QTest::newRow("no frequency: the 32..48 kHz rule refuses 144") << ""
                                                                       << "144"
                                                                       << "128" << high;
        QTest::newRow("no frequency: the 32..48 kHz rule takes 256") << ""
                                                                     << "256"
                                                                     << "256" << QString();
    }
    void bitrates()
    {
        QFETCH(QString, frequency);
        QFETCH(QString, bitrate);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        const int index = ItemIndexOf(FrequencyItems(), frequency);
        QCOMPARE(index < 0, frequency.isEmpty());
        const BitrateCheck check = CheckBitrate(index, bitrate);
        QCOMPARE(check.kbps, stored);
        QCOMPARE(check.message, message);
    }

    void frequencyChangeResetsBitrate()
    {
        // 44.1 kHz chosen while 96 is the bitrate: both stored, the bitrate 128.
        FrequencyChange change = FrequencyChanged(QStringLiteral("44.1"));
        QCOMPARE(change.khz, QStringLiteral("44.1"));
        QCOMPARE(change.kbps, QStringLiteral("128"));
        change = FrequencyChanged(QStringLiteral("fast"));
        QCOMPARE(change.khz, QStringLiteral("22.05"));
    }

    void speedAndPitch()
    {
        QCOMPARE(ItemIndexOf(SpeedItems(), SpeedItemText(2048)), 3);
        QCOMPARE(SpeedItems().at(3), QStringLiteral("8 X"));
        // 1000 is no multiple of 256: the item for 3 does not exist.
        QCOMPARE(SpeedItemText(1000), QStringLiteral("3 X"));
        QCOMPARE(ItemIndexOf(SpeedItems(), SpeedItemText(1000)), -1);
        QCOMPARE(RealTimeFromItem(QStringLiteral("128 X")), 128 * 256);
        QCOMPARE(RealTimeFromItem(QStringLiteral("1 X")), 256);
        QCOMPARE(RealTimeFromItem(QStringLiteral("many X")), 2048);
        QCOMPARE(PitchLabelText(400), QStringLiteral("Pitch of Voices: 100% [400]"));
        QCOMPARE(PitchLabelText(225), QStringLiteral("Pitch of Voices: 50% [225]"));
        QCOMPARE(PitchLabelText(60), QStringLiteral("Pitch of Voices: 2% [60]"));
        QCOMPARE(PitchLabelText(50), QStringLiteral("Pitch of Voices: 0% [50]"));
    }

    void folders()
    {
        QCOMPARE(PickedFolderText(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(FolderSetting(PickedFolderText(QStringLiteral("/"))), QStringLiteral("/"));
        QCOMPARE(PickedFolderText(QStringLiteral("/home/x/Out")), QStringLiteral("/home/x/Out"));
        QCOMPARE(FolderSetting(QStringLiteral("/home/x/Out")), QStringLiteral("/home/x/Out/"));
        QCOMPARE(PickedFolderText(QStringLiteral("/home/x/Out/")), QStringLiteral("/home/x/Out"));
        QCOMPARE(FolderSetting(QStringLiteral("/home/x/Out/")), QStringLiteral("/home/x/Out/"));
        QCOMPARE(FolderSetting(QString()), QString());
    }

    void clampedNumbers()
    {
        // Stored only when the clamped value differs from the control's design value.
        ClampedNumber n = ClampForControl(500, 50, 400, 50);
        QCOMPARE(n.shown, 400);
        QCOMPARE(n.stored, std::optional<int>(400));
        n = ClampForControl(10, 50, 400, 50);
        QCOMPARE(n.shown, 50);
        QVERIFY(!n.stored); // Pit keeps 10
        n = ClampForControl(0, 1, 999, 2);
        QCOMPARE(n.shown, 1);
        QCOMPARE(n.stored, std::optional<int>(1));
        n = ClampForControl(75, 1, 60, 60);
        QCOMPARE(n.shown, 60);
        QVERIFY(!n.stored); // AlarmInterval keeps 75
        QCOMPARE(ListIndexFor(3, 4), 3);
        QCOMPARE(ListIndexFor(4, 4), -1);
        QCOMPARE(ListIndexFor(-1, 3), -1);
        QCOMPARE(SpinNumber(QStringLiteral("12"), 0), 12);
        QCOMPARE(SpinNumber(QStringLiteral("x"), 1), 1);
    }

    void hotkeyUpdate()
    {
        std::array<QString, HotkeyCount> keys = DefaultHotkeys();
        // Read Aloud given Stop's shortcut clashes; its own is no change.
        QCOMPARE(DecideHotkeyUpdate(keys, ActionTTSIndex, keys[27]), HotkeyUpdate::Clash);
        QCOMPARE(DecideHotkeyUpdate(keys, ActionTTSIndex, keys[ActionTTSIndex]), HotkeyUpdate::Unchanged);
        // Clearing never clashes, even though many actions have no shortcut.
        QCOMPARE(DecideHotkeyUpdate(keys, ActionTTSIndex, QString()), HotkeyUpdate::Accept);
        QCOMPARE(DecideHotkeyUpdate(keys, 1, QString()), HotkeyUpdate::Unchanged);
        QCOMPARE(DecideHotkeyUpdate(keys, ActionTTSIndex, QStringLiteral("Ctrl+Alt+F2")), HotkeyUpdate::Reserved);
        QCOMPARE(DecideHotkeyUpdate(keys, ActionTTSIndex, QStringLiteral("Ctrl+Alt+F13")), HotkeyUpdate::Accept);
        QCOMPARE(DecideHotkeyUpdate(keys, ActionTTSIndex, QStringLiteral("Shift+Ctrl+Alt+F7")), HotkeyUpdate::Accept);
        // A stored text in another spelling names the same chord.
        keys[1] = QStringLiteral("ctrl+shift+k");
        QCOMPARE(DecideHotkeyUpdate(keys, 2, QStringLiteral("Shift+Ctrl+K")), HotkeyUpdate::Clash);
        QVERIFY(ReservedChordMessage(QStringLiteral("Ctrl+Alt+F2")).contains(QStringLiteral("Ctrl+Alt+F2")));
    }

    void reminders()
    {
        const QDate day(2026, 3, 31);
        const ReminderRow late = ReminderRowFor(day, QTime(20, 12, 48), QStringLiteral("Call\nhome"), us);
        QCOMPARE(late.message, QStringLiteral("Call home"));
        const ReminderRow early = ReminderRowFor(QDate(2026, 12, 1), QTime(8, 0, 0), QStringLiteral("Tea"), us);
        const ReminderRow also = ReminderRowFor(QDate(2026, 10, 2), QTime(9, 0, 0), QStringLiteral("Walk"), us);
        QList<ReminderRow> rows{late, early, also};
        // Text order of the "Date" column: "10/2/26" < "12/1/26" < "3/31/26".
        const int kept = SortReminderRows(rows, 0);
        QCOMPARE(rows, (QList<ReminderRow>{also, early, late}));
        QCOMPARE(kept, 2);
        const QStringList list = ReminderListFrom(rows);
        QCOMPARE(list.at(2), late.date + QLatin1Char(' ') + late.time + QStringLiteral("=Call home"));
        QCOMPARE(list.at(2).section(QLatin1Char('='), 0, 0), late.date + QLatin1Char(' ') + late.time);
        QCOMPARE(ReminderRowMoment(late, us), QDateTime(day, QTime(20, 12, 48)));

        // The list read back gives the same rows; a line that names no moment
        // ends them with an empty row.
        ReminderRows back = ReminderRowsFrom(list, us);
        QVERIFY(back.complete);
        QCOMPARE(back.rows, rows);
        back = ReminderRowsFrom({list.at(0), QStringLiteral("someday=Dentist"), list.at(1)}, us);
        QVERIFY(!back.complete);
        QCOMPARE(back.rows, (QList<ReminderRow>{also, ReminderRow{}}));
    }

private:
    static constexpr int ActionTTSIndex = 21;
};

QTEST_GUILESS_MAIN(TestOptionRules)
#include "tst_optionrules.moc"
