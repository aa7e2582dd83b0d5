// System-wide hotkeys on a real X server, pressed by another program (xdotool).
//
// Ctrl+Alt+F1..F12 cannot be pressed here: the X server's standard keymap turns
// them into terminal switches and no program ever receives them, so the chords
// below use the other modifier combinations.
#include "globalhotkeys.h"
#include "qmutils.h"
#include "testsupport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace {

void xdotool(const QString &keys)
{
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

} // namespace

class TestHotkeys : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!HaveDisplay())
            QSKIP("needs the private display");
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

        // A chord that is not ours does nothing.
        xdotool(QStringLiteral("ctrl+F2"));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 2);

        // Released: no more presses.
        loqa::UnregisterGlobalHotKey(id);
        xdotool(QStringLiteral("shift+ctrl+F2"));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 2);
    }

    void letterHotkey()
    {
        QSignalSpy spy(&loqa::GlobalHotkeys::instance(), &loqa::GlobalHotkeys::pressed);
        const int id = loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_R));
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
