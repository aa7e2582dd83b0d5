#include "commands/actions.h"
#include "commands/commandrules.h"
#include "commands/trayrules.h"

#include <QSet>
#include <QTest>

#include <limits>

using namespace loqa;

// The action list, the edit commands' enabling, the system-wide hotkeys and the tray menu's rules.
class TestCommandRules : public QObject
{
    Q_OBJECT

private slots:
    void actionTable()
    {
        QCOMPARE(int(kActions.size()), 41);
        QCOMPARE(QLatin1String(kActions[ActionTTS].name), QLatin1String("ActionTTS"));
        QCOMPARE(QLatin1String(kActions[21].caption), QLatin1String("Read Aloud"));
        QCOMPARE(QLatin1String(kActions[40].name), QLatin1String("ActionHelpAbout"));
        QSet<QString> names;
        for (const ActionInfo &a : kActions)
            names.insert(QLatin1String(a.name));
        QCOMPARE(names.size(), 41);
    }

    void editEnabling_data()
    {
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("canUndo");
        QTest::addColumn<bool>("clipboardText");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("enabled"); // u c C p d: undo, cut, copy, paste, delete
        QTest::newRow("nothing") << false << false << false << false << "-----";
        QTest::newRow("selection only") << true << false << false << false << "-cC-d";
        QTest::newRow("undo only") << false << true << false << false << "u----";
        QTest::newRow("clipboard only") << false << false << true << false << "---p-";
        QTest::newRow("everything") << true << true << true << false << "ucCpd";
        QTest::newRow("locked editor copies only") << true << true << true << true << "--C--";
    }

    void editEnabling()
    {
        QFETCH(bool, selection);
        QFETCH(bool, canUndo);
        QFETCH(bool, clipboardText);
        QFETCH(bool, readOnly);
        QFETCH(QString, enabled);
        const EditEnabling e = EditEnablingFor({selection, canUndo, clipboardText, readOnly});
        QString got;
        got += e.undo ? 'u' : '-';
        got += e.cut ? 'c' : '-';
        got += e.copy ? 'C' : '-';
        got += e.paste ? 'p' : '-';
        got += e.del ? 'd' : '-';
        QCOMPARE(got, enabled);
    }

    void globalHotkeys_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<int>>("commands");
        QTest::newRow("two commands on one chord both run, in order")
            << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << int(Qt::Key_F2)
            << QList<int>{ActionTTS, ActionReadClipboard};
        QTest::newRow("one") << int(Qt::ControlModifier | Qt::AltModifier) << int(Qt::Key_F6) << QList<int>{ActionStop};
        QTest::newRow("modifiers must match exactly") << int(Qt::ControlModifier) << int(Qt::Key_F6) << QList<int>{};
        QTest::newRow("not global") << int(Qt::ControlModifier) << int(Qt::Key_N) << QList<int>{};
        QTest::newRow("global without a shortcut") << int(Qt::NoModifier) << 0 << QList<int>{};
    }

    void globalHotkeys()
    {
        QFETCH(int, modifiers);
        QFETCH(int, key);
        QFETCH(QList<int>, commands);
        std::array<QString, ActionCount> shortcuts;
        std::array<qint32, ActionCount> ids{};
        shortcuts[ActionFileNew] = "Ctrl+N"; // not global
        shortcuts[ActionTTS] = "Shift+Ctrl+Alt+F2";
        shortcuts[ActionReadClipboard] = "Shift+Ctrl+Alt+F2";
        shortcuts[ActionStop] = "Ctrl+Alt+F6";
        ids[ActionTTS] = 1;
        ids[ActionReadClipboard] = 7;
        ids[ActionStop] = 3;
        ids[ActionShowMain] = 9; // global, but its shortcut is empty
        const std::vector<int> run =
            GlobalHotkeyCommands(shortcuts, ids, Qt::KeyboardModifiers(modifiers), Qt::Key(key));
        QCOMPARE(QList<int>(run.begin(), run.end()), commands);
    }

    void trayRules_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("asked"); // MiniToTray, MiniStartup
        QTest::addColumn<bool>("trayShown");
        QTest::addColumn<bool>("hides");
        QTest::newRow("all on") << true << true << true << true;
        QTest::newRow("icon off") << false << true << true << false;
        QTest::newRow("not asked") << true << false << true << false;
        QTest::newRow("no tray on the desktop") << true << true << false << false;
    }

    void trayRules()
    {
        QFETCH(bool, tray);
        QFETCH(bool, asked);
        QFETCH(bool, trayShown);
        QFETCH(bool, hides);
        QCOMPARE(MinimizeHidesWindow(tray, asked, trayShown), hides);
        QCOMPARE(StartHidden(tray, asked, trayShown), hides);
        QCOMPARE(ShowMainCaption(true), QStringLiteral("Hide Main Window"));
        QCOMPARE(ShowMainCaption(false), QStringLiteral("Show Main Window"));
    }
};

QTEST_GUILESS_MAIN(TestCommandRules)
#include "tst_commandrules.moc"
