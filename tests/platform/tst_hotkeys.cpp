// System-wide hotkeys on a real X server, pressed by another program (xdotool).
//
// Ctrl+Alt+F1..F12 cannot be pressed here: the X server's standard keymap turns
// them into terminal switches and no program ever receives them, so the chords
// below use the other modifier combinations.
#include "platform/globalhotkeys.h"
#include "platform/qmutils.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace {

void xdotool(const QString &keys)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(2000);
        QFAIL(qPrintable(QStringLiteral("xdotool key %1 did not end within 10 s").arg(keys)));
    }
}

} // namespace

class TestHotkeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private display");
        QVERIFY(loqa::GlobalHotkeys::instance().isReal());
    }

    void functionKeyHotkey_answersFromAnywhere()
    {
        QSignalSpy spy(&loqa::GlobalHotkeys::instance(), &loqa::GlobalHotkeys::pressed);
        const QKeyCombination chord(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_F2);
        const int id = loqa::RegisterGlobalHotKey(nullptr, chord);
        QVERIFY(id != 0);
        xdotool(QStringLiteral("shift+ctrl+F2"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(spy.at(0).at(1).value<Qt::Key>(), Qt::Key_F2);

        // Num Lock and Caps Lock held do not break it.
        xdotool(QStringLiteral("Num_Lock"));
        xdotool(QStringLiteral("Caps_Lock"));
        xdotool(QStringLiteral("shift+ctrl+F2"));
        QTRY_COMPARE(spy.count(), 2);
        xdotool(QStringLiteral("Num_Lock"));
        xdotool(QStringLiteral("Caps_Lock"));

        // A chord that is not ours does nothing. Keys arrive in the order they were
        // pressed, so a marker chord of ours pressed after it is the next press heard.
        const int marker =
            loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_M));
        QVERIFY(marker != 0);
        xdotool(QStringLiteral("ctrl+F2"));
        xdotool(QStringLiteral("ctrl+alt+m"));
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(spy.at(2).at(1).value<Qt::Key>(), Qt::Key_M);

        // Released: no more presses.
        loqa::UnregisterGlobalHotKey(id);
        xdotool(QStringLiteral("shift+ctrl+F2"));
        xdotool(QStringLiteral("ctrl+alt+m"));
        QTRY_COMPARE(spy.count(), 4);
        QCOMPARE(spy.at(3).at(1).value<Qt::Key>(), Qt::Key_M);
        loqa::UnregisterGlobalHotKey(marker);
    }

    void letterHotkey()
    {
        QSignalSpy spy(&loqa::GlobalHotkeys::instance(), &loqa::GlobalHotkeys::pressed);
        const int id =
            loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_R));
        xdotool(QStringLiteral("ctrl+alt+r"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(1).value<Qt::Key>(), Qt::Key_R);
        loqa::UnregisterGlobalHotKey(id);
    }
};

int main(int argc, char **argv)
{
    if (HaveDisplay())
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    TestHotkeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hotkeys.moc"
