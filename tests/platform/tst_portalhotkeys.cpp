// System-wide hotkeys through the desktop portal's GlobalShortcuts, against a
// stand-in portal (portal_standin.py) on a private session bus of the test's own.
#include "platform/globalhotkeys.h"
#include "platform/qmutils.h"
#include "testsupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");

// The Debian packages python3-dbus and python3-gi serve the system interpreter,
// which another python3 earlier on PATH would not see.
QString python()
{
    const QString system = QStringLiteral("/usr/bin/python3");
    return QFileInfo::exists(system) ? system : QStringLiteral("python3");
}

} // namespace

class TestPortalHotkeys : public QObject
{
    Q_OBJECT

    QProcess m_bus;
    QProcess m_portal;

    // The stand-in's own test interface, asked directly (no introspection).
    static QDBusMessage control(const QString &method, const QVariantList &args = {})
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kPortal, QStringLiteral("/org/freedesktop/portal/desktop"),
                                                           QStringLiteral("org.loqa.PortalTest"), method);
        call.setArguments(args);
        return QDBusConnection::sessionBus().call(call);
    }
    QMap<QString, QString> bound() const
    {
        QDBusReply<QMap<QString, QString>> reply = control(QStringLiteral("Bound"));
        return reply.isValid() ? reply.value() : QMap<QString, QString>();
    }
    int binds() const
    {
        QDBusReply<int> reply = control(QStringLiteral("Binds"));
        return reply.isValid() ? reply.value() : -1;
    }
    int pendingRefusals() const
    {
        QDBusReply<int> reply = control(QStringLiteral("PendingRefusals"));
        return reply.isValid() ? reply.value() : -1;
    }
    void activate(const QString &id) const
    {
        const QDBusMessage reply = control(QStringLiteral("Activate"), {id});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    void startPortal()
    {
        m_portal.setProcessChannelMode(QProcess::ForwardedChannels);
        m_portal.start(python(),
                       {qEnvironmentVariable("LOQA_SOURCE_DIR") + QStringLiteral("/tests/platform/portal_standin.py")});
        QVERIFY(m_portal.waitForStarted());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortal).value(),
                                 20000);
    }

private slots:
    void initTestCase()
    {
        LOQA_REQUIRE_OR_SKIP(!QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty(),
                             "needs dbus-daemon (package dbus)");
        QProcess probe;
        probe.start(python(), {QStringLiteral("-c"), QStringLiteral("import dbus, gi")});
        LOQA_REQUIRE_OR_SKIP(probe.waitForFinished(20000) && probe.exitCode() == 0,
                             "needs python3-dbus and python3-gi");

        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 20000);
        const QByteArray address = m_bus.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("LOQA_PLATFORM", "portal");
        qDBusRegisterMetaType<QMap<QString, QString>>();

        startPortal();
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&m_portal, &m_bus}) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
            p->waitForFinished(2000);
        }
    }

    void triggerTexts()
    {
        using loqa::XdgTriggerText;
        QCOMPARE(XdgTriggerText(QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, Qt::Key_F2)),
                 QStringLiteral("CTRL+ALT+SHIFT+F2"));
        QCOMPARE(XdgTriggerText(QKeyCombination(Qt::MetaModifier | Qt::AltModifier, Qt::Key_PageUp)),
                 QStringLiteral("ALT+LOGO+Page_Up"));
        QCOMPARE(XdgTriggerText(QKeyCombination(Qt::ControlModifier, Qt::Key_R)), QStringLiteral("CTRL+r"));
    }

    void boundThenActivated_runsAsAPress()
    {
        auto &hotkeys = loqa::GlobalHotkeys::instance();
        QSignalSpy spy(&hotkeys, &loqa::GlobalHotkeys::pressed);
        const int id =
            loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_F2));
        QVERIFY(id != 0);
        QTRY_COMPARE(bound().value(QStringLiteral("CTRL+SHIFT+F2")), QStringLiteral("CTRL+SHIFT+F2"));
        QVERIFY(hotkeys.isReal());
        QCOMPARE(binds(), 1);

        activate(QStringLiteral("CTRL+SHIFT+F2"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(spy.at(0).at(1).value<Qt::Key>(), Qt::Key_F2);

        // A chord registered later re-binds, together with the first.
        const int marker =
            loqa::RegisterGlobalHotKey(nullptr, QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_M));
        QVERIFY(marker != 0);
        QTRY_COMPARE(bound().size(), 2);
        QCOMPARE(bound().value(QStringLiteral("CTRL+ALT+m")), QStringLiteral("CTRL+ALT+m"));
        QCOMPARE(bound().value(QStringLiteral("CTRL+SHIFT+F2")), QStringLiteral("CTRL+SHIFT+F2"));

        // A shortcut that is not ours does nothing. Signals arrive in the order sent,
        // so the marker's press right after it is the next press heard.
        activate(QStringLiteral("CTRL+F9"));
        activate(QStringLiteral("CTRL+ALT+m"));
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(1).value<Qt::Key>(), Qt::Key_M);
        QCOMPARE(spy.at(1).at(0).value<Qt::KeyboardModifiers>(), Qt::ControlModifier | Qt::AltModifier);

        // Released: no more presses from it.
        loqa::UnregisterGlobalHotKey(id);
        activate(QStringLiteral("CTRL+SHIFT+F2"));
        activate(QStringLiteral("CTRL+ALT+m"));
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(spy.at(2).at(1).value<Qt::Key>(), Qt::Key_M);
        loqa::UnregisterGlobalHotKey(marker);
    }

    // Whatever goes wrong at the portal (the user cancels the desktop's dialog, it
    // refuses, ends the session, or goes away), registration still gives an id,
    // the window is told once, and the next registration binds every held key
    // again. Each row starts from keys that work, as the row before leaves them.
    void portalTrouble_toldOnce_thenBoundAgain_data()
    {
        QTest::addColumn<QString>("trouble");
        QTest::addColumn<int>("key"); // two chords of this row: Ctrl+Alt+key and Ctrl+Alt+key+1
        QTest::newRow("bind cancelled by the user") << "bind 1" << int(Qt::Key_A);
        QTest::newRow("bind refused") << "bind 2" << int(Qt::Key_C);
        QTest::newRow("session closed") << "close" << int(Qt::Key_E);
        QTest::newRow("session closed, new one refused") << "close, session 2" << int(Qt::Key_G);
        QTest::newRow("portal gone and back") << "restart" << int(Qt::Key_I);
        QTest::newRow("portal gone before it answered") << "restart while binding" << int(Qt::Key_K);
    }
    void portalTrouble_toldOnce_thenBoundAgain()
    {
        QFETCH(QString, trouble);
        QFETCH(int, key);
        auto &hotkeys = loqa::GlobalHotkeys::instance();
        QSignalSpy told(&hotkeys, &loqa::GlobalHotkeys::lost);
        QSignalSpy pressed(&hotkeys, &loqa::GlobalHotkeys::pressed);
        const QKeyCombination first(Qt::ControlModifier | Qt::AltModifier, Qt::Key(key));
        const QKeyCombination second(Qt::ControlModifier | Qt::AltModifier, Qt::Key(key + 1));
        const QString firstId = loqa::XdgTriggerText(first), secondId = loqa::XdgTriggerText(second);

        auto restartPortal = [&] {
            m_portal.kill();
            m_portal.waitForFinished();
            QTRY_COMPARE(told.count(), 1);
            startPortal();
        };
        if (trouble == QLatin1String("restart while binding"))
            control(QStringLiteral("Refuse"), {QStringLiteral("BindShortcuts"), 99u});
        if (trouble.startsWith(QLatin1String("bind ")))
            control(QStringLiteral("Refuse"), {QStringLiteral("BindShortcuts"), uint(trouble.back().digitValue())});
        if (trouble.startsWith(QLatin1String("close"))) {
            if (trouble.endsWith(QLatin1String("session 2")))
                control(QStringLiteral("Refuse"), {QStringLiteral("CreateSession"), 2u});
            control(QStringLiteral("CloseSession"));
            QTRY_COMPARE(told.count(), 1);
        }
        if (trouble == QLatin1String("restart"))
            restartPortal();

        const int firstHotkey = loqa::RegisterGlobalHotKey(nullptr, first);
        QVERIFY(firstHotkey != 0);
        if (trouble == QLatin1String("restart while binding")) {
            QTRY_COMPARE(pendingRefusals(), 0);
            restartPortal();
        }
        QTRY_COMPARE(told.count(), 1);
        QVERIFY(!told.at(0).at(0).toString().trimmed().isEmpty());
        const int binds = this->binds();
        if (trouble.startsWith(QLatin1String("bind")) || trouble.endsWith(QLatin1String("session 2"))) {
            // The refused request has reached the portal; nothing of it was bound.
            QTRY_COMPARE(pendingRefusals(), 0);
            QVERIFY(!bound().contains(firstId));
        }

        const int secondHotkey = loqa::RegisterGlobalHotKey(nullptr, second);
        QVERIFY(secondHotkey != 0);
        QTRY_VERIFY(bound().contains(secondId));
        QVERIFY(bound().contains(firstId));
        QVERIFY(this->binds() > binds || trouble.startsWith(QLatin1String("restart")));
        activate(firstId);
        activate(secondId);
        QTRY_COMPARE(pressed.count(), 2);
        QCOMPARE(pressed.at(0).at(1).value<Qt::Key>(), first.key());
        QCOMPARE(pressed.at(1).at(1).value<Qt::Key>(), second.key());
        // Working again, and nothing more was said.
        QCOMPARE(told.count(), 1);
        loqa::UnregisterGlobalHotKey(firstHotkey);
        loqa::UnregisterGlobalHotKey(secondHotkey);
    }
};

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    TestPortalHotkeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_portalhotkeys.moc"
