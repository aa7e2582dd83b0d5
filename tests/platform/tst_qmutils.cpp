#include "platform/apppath.h"
#include "platform/qmutils.h"
#include "platform/shortcut.h"
#include "platform/singleinstance.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestQMUtils : public QObject
{
    Q_OBJECT

private slots:
    void applicationTitle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "/usr/bin/loqa"
                               << "loqa";
        QTest::newRow("first kept, rest lowered") << "/opt/LOQA.Bin.exe"
                                                  << "Loqa";
        QTest::newRow("one letter") << "/x/L"
                                    << "L";
    }

    void applicationTitle()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(loqa::ApplicationTitleFor(path), title);
    }

    void appPath_followsLoqaHome()
    {
        qputenv("LOQA_HOME", "/tmp/some/where/../home");
        QCOMPARE(loqa::AppPath(), QStringLiteral("/tmp/some/home/"));
        qunsetenv("LOQA_HOME");
        QVERIFY(loqa::AppPath().endsWith(QLatin1Char('/')));
    }

    void instanceLock_secondHolderIsRefused()
    {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        const QString name = loqa::InstanceLockName(QStringLiteral("loqa"));
        QCOMPARE(name, QStringLiteral("Quillmark loqa is runing"));
        QVERIFY(!loqa::AcquireInstanceLock(name));
        QVERIFY(loqa::AcquireInstanceLock(name)); // held already
        // Another title is another lock.
        QVERIFY(!loqa::AcquireInstanceLock(loqa::InstanceLockName(QStringLiteral("Loqa"))));
    }

    void fileSizeText()
    {
        QTemporaryDir dir;
        QCOMPARE(loqa::FileSizeText(dir.filePath(QStringLiteral("none"))), QStringLiteral("-1"));
        QFile f(dir.filePath(QStringLiteral("empty")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(loqa::FileSizeText(f.fileName()), QStringLiteral("0"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("12345");
        f.close();
        QCOMPARE(loqa::FileSizeText(f.fileName()), QStringLiteral("5"));
        QCOMPARE(loqa::FileSizeText(dir.path()), QStringLiteral("0"));
    }

    void clearReadOnly()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("ro")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner));
        loqa::ClearReadOnly(f.fileName());
        QVERIFY(f.permissions() & QFileDevice::WriteOwner);
        loqa::ClearReadOnly(dir.filePath(QStringLiteral("missing"))); // nothing there, nothing fails
    }

    void runAndWait_passesArgumentsWhole()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("args"));
        const QStringList args{QStringLiteral("with space"), QStringLiteral("\"quoted\""), QStringLiteral("-dash"),
                               QStringLiteral("$(no shell)")};
        QStringList argv{QStringLiteral("sh"), QStringLiteral("-c"),
                         QStringLiteral("printf '%s|' \"$@\" > \"$0\"; exit 7"), out};
        argv += args;
        QCOMPARE(loqa::RunAndWait(argv), 7);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), args.join(QLatin1Char('|')) + QLatin1Char('|'));
        QCOMPARE(loqa::RunAndWait({QStringLiteral("/nonexistent/program")}), -1);
        // Hidden: nothing reaches the terminal, and the last error line comes back.
        QString last;
        QCOMPARE(loqa::RunAndWait({QStringLiteral("sh"), QStringLiteral("-c"),
                                   QStringLiteral("echo out; echo first >&2; echo 'last words' >&2; exit 3")},
                                  loqa::SW_HIDE, &last),
                 3);
        QCOMPARE(last, QStringLiteral("last words"));
        QCOMPARE(loqa::RunAndWait({}), -1);
    }

    void waveVolume()
    {
        loqa::SetWaveVolume(32768);
        QCOMPARE(loqa::GetWaveVolume(), 32768);
        loqa::SetWaveVolume(70000);
        QCOMPARE(loqa::GetWaveVolume(), 65535);
    }

    void shortcutTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("written");
        const int ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
        QTest::newRow("ctrl alt f2") << "Ctrl+Alt+F2" << int(Qt::Key_F2) << (ctrl | alt) << "Ctrl+Alt+F2";
        QTest::newRow("prefix order") << "Alt+Shift+Ctrl+A" << int(Qt::Key_A) << (ctrl | alt | shift)
                                      << "Shift+Ctrl+Alt+A";
        QTest::newRow("alt left") << "Alt+Left" << int(Qt::Key_Left) << alt << "Alt+Left";
        QTest::newRow("bare f3") << "F3" << int(Qt::Key_F3) << 0 << "F3";
        QTest::newRow("f24") << "Shift+F24" << int(Qt::Key_F24) << shift << "Shift+F24";
        QTest::newRow("backspace") << "Ctrl+BkSp" << int(Qt::Key_Backspace) << ctrl << "Ctrl+BkSp";
        QTest::newRow("names") << "Ctrl+PgDn" << int(Qt::Key_PageDown) << ctrl << "Ctrl+PgDn";
        QTest::newRow("del ins esc") << "Shift+Del" << int(Qt::Key_Delete) << shift << "Shift+Del";
        QTest::newRow("letter case") << "ctrl+alt+r" << int(Qt::Key_R) << (ctrl | alt) << "Ctrl+Alt+R";
        QTest::newRow("digit") << "Ctrl+1" << int(Qt::Key_1) << ctrl << "Ctrl+1";
        QTest::newRow("space") << "Space" << int(Qt::Key_Space) << 0 << "Space";
        QTest::newRow("empty") << "" << 0 << 0 << "";
        QTest::newRow("garbage") << "Ctrl+Nonsense" << 0 << 0 << "";
        QTest::newRow("modifier only") << "Ctrl+" << 0 << 0 << "";
        QTest::newRow("f25") << "F25" << 0 << 0 << "";
    }

    void shortcutTexts()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(QString, written);
        const QKeyCombination parsed = loqa::TextToShortcut(text);
        QCOMPARE(int(parsed.key()), key);
        QCOMPARE(int(parsed.keyboardModifiers()), mods);
        QCOMPARE(loqa::ShortcutToText(parsed), written);
    }

    // The console switches, and only they, are refused as hotkeys.
    void systemReservedChords()
    {
        const Qt::KeyboardModifiers ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
        for (int key = Qt::Key_F1; key <= Qt::Key_F12; ++key) {
            QVERIFY(loqa::IsSystemReservedChord(ctrlAlt, Qt::Key(key)));
            QVERIFY(!loqa::IsSystemReservedChord(ctrlAlt | Qt::ShiftModifier, Qt::Key(key)));
            QVERIFY(!loqa::IsSystemReservedChord(Qt::ControlModifier, Qt::Key(key)));
            QVERIFY(!loqa::IsSystemReservedChord(Qt::AltModifier, Qt::Key(key)));
        }
        QVERIFY(!loqa::IsSystemReservedChord(ctrlAlt, Qt::Key_F13));
        QVERIFY(!loqa::IsSystemReservedChord(ctrlAlt, Qt::Key_Delete));
        QVERIFY(!loqa::IsSystemReservedChord(ctrlAlt, Qt::Key_F));
        // The defaults of the four system-wide commands are free.
        for (const char *text : {"Shift+Ctrl+Alt+F2", "Shift+Ctrl+Alt+F5", "Shift+Ctrl+Alt+F6", "Shift+Ctrl+Alt+F12"}) {
            const QKeyCombination chord = loqa::TextToShortcut(QLatin1String(text));
            QCOMPARE(loqa::ShortcutToText(chord), QLatin1String(text));
            QVERIFY(!loqa::IsSystemReservedChord(chord.keyboardModifiers(), chord.key()));
        }
        const QKeyCombination old = loqa::TextToShortcut(QStringLiteral("Ctrl+Alt+F2"));
        QVERIFY(loqa::IsSystemReservedChord(old.keyboardModifiers(), old.key()));
    }

    void hotkeyAtoms()
    {
        qputenv("LOQA_PLATFORM", "null");
        const QKeyCombination combo(Qt::ControlModifier | Qt::AltModifier, Qt::Key_R);
        QCOMPARE(loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::NoModifier, Qt::Key(0))), 0);
        const int id = loqa::RegisterGlobalHotKey(nullptr, combo);
        QVERIFY(id >= 1 && id <= 0x3FFF);
        QCOMPARE(loqa::GlobalHotKeyAtomName(id), loqa::ApplicationTitle() + QStringLiteral("Ctrl+Alt+R"));
        QCOMPARE(loqa::RegisterGlobalHotKey(nullptr, combo), id); // the same atom
        const int other = loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::AltModifier, Qt::Key_F7));
        QVERIFY(other != id && other != 0);
        loqa::UnregisterGlobalHotKey(id);
        QCOMPARE(loqa::GlobalHotKeyAtomName(id), loqa::ApplicationTitle() + QStringLiteral("Ctrl+Alt+R"));
        loqa::UnregisterGlobalHotKey(id);
        QCOMPARE(loqa::GlobalHotKeyAtomName(id), QString());
        loqa::UnregisterGlobalHotKey(id); // once more: nothing to undo
        loqa::UnregisterGlobalHotKey(0);
        loqa::UnregisterGlobalHotKey(other);
    }
};

QTEST_MAIN(TestQMUtils)
#include "tst_qmutils.moc"
