// The tray icon in a real tray (trayer, in the private X session): it docks,
// clicks open its menu at the cursor and raise the events, menu first, and the
// tooltip follows the hint at once.
#include "desktop.h"
#include "widgets/systray.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QScopeGuard>
#include <QStyleHints>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <memory>

using namespace desktop;

namespace {

// What happened, in order: "menu" when the menu showed, "left"/"right" for
// OnIconMouseDown, "double" for OnIconDoubleClick.
struct Journal : QObject {
    QStringList entries;
    QRect menuGeometry;
    QPoint menuCursor;
    QPoint eventPosition;
    bool closeMenu = true;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *menu = static_cast<QMenu *>(watched);
            entries << QStringLiteral("menu");
            menuGeometry = menu->geometry();
            menuCursor = QCursor::pos();
            // Dismissed as a user would, with Escape, once it is on the screen.
            if (closeMenu) {
                auto *poll = new QTimer(menu);
                connect(poll, &QTimer::timeout, menu, [menu, poll] {
                    if (menu->windowHandle() && menu->windowHandle()->isExposed()) {
                        poll->deleteLater();
                        poll->stop();
                        Xdo({QStringLiteral("key"), QStringLiteral("Escape")});
                    }
                });
                poll->start(10);
            }
        }
        return false;
    }
};

struct TrayFixture {
    QMenu menu;
    Journal journal;
    std::unique_ptr<TSysTray> tray;

    TrayFixture()
    {
        menu.addAction(QStringLiteral("Hide Main Window"));
        menu.addSeparator();
        menu.addAction(QStringLiteral("Read Aloud"));
        menu.addAction(QStringLiteral("Exit"));
        menu.installEventFilter(&journal);
        tray = std::make_unique<TSysTray>();
        tray->SetIcon(QIcon(QStringLiteral(":/loqa/frame/logo.png")));
        tray->SetHint(QStringLiteral("Loquora"));
        tray->PopupMenu = &menu;
        tray->PopupMode = pmLeftClick | pmRightClick;
        tray->PopupAlign = paRight;
        tray->OnIconMouseDown = [this](QObject *sender, Qt::MouseButton button, int x, int y) {
            if (sender != tray.get())
                journal.entries << QStringLiteral("wrong sender");
            journal.entries << (button == Qt::LeftButton ? QStringLiteral("left") : QStringLiteral("right"));
            journal.eventPosition = QPoint(x, y);
        };
        tray->OnIconDoubleClick = [this](QObject *, Qt::MouseButton, int, int) {
            journal.entries << QStringLiteral("double");
        };
    }

    // Until the tray has taken the icon in, the icon's window stands alone at
    // the origin; the session's tray sits at the top right of the screen.
    bool Docked() const
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QRect icon = tray->IconGeometry();
        return !icon.isEmpty() && screen.contains(icon) && icon.top() < 40 && icon.left() > screen.width() / 2;
    }

    bool Dock()
    {
        tray->SetActive(true);
        return QTest::qWaitFor([&] { return Docked(); }, 10000);
    }

    QPoint IconCentre() const { return tray->IconGeometry().center(); }
};

} // namespace

class TestSysTrayX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private X session (LOQA_TEST_DISPLAY)");
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }

    void icon_docksInTheTray()
    {
        TrayFixture f;
        QVERIFY(f.tray->IconGeometry().isEmpty());
        QVERIFY(f.Dock());
        // Taken out and put back.
        f.tray->SetActive(false);
        QTRY_VERIFY(f.tray->IconGeometry().isEmpty());
        QVERIFY(f.Dock());
    }

    void clicks_openTheMenuAtTheCursor_thenRaiseTheEvent_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("event");
        QTest::newRow("left") << 1 << "left";
        QTest::newRow("right") << 3 << "right";
    }

    void clicks_openTheMenuAtTheCursor_thenRaiseTheEvent()
    {
        QFETCH(int, button);
        QFETCH(QString, event);
        TrayFixture f;
        QVERIFY(f.Dock());
        const QPoint at = f.IconCentre();
        QVERIFY(Click(at, button));
        QTRY_COMPARE_WITH_TIMEOUT(f.journal.entries, QStringList({"menu", event}), 10000);
        // The menu's right edge at the cursor, its top at the cursor's height.
        QCOMPARE(f.journal.menuCursor, at);
        QCOMPARE(f.journal.menuGeometry.x() + f.journal.menuGeometry.width(), at.x());
        QCOMPARE(f.journal.menuGeometry.y(), at.y());
        QCOMPARE(f.journal.eventPosition, at);
        QVERIFY(!f.menu.isVisible());
    }

    void clicks_outsideThePopupMode_raiseTheEventOnly()
    {
        TrayFixture f;
        f.tray->PopupMode = pmRightClick;
        QVERIFY(f.Dock());
        QVERIFY(Click(f.IconCentre(), 1));
        QTRY_COMPARE(f.journal.entries, QStringList({"left"}));
        QVERIFY(Click(f.IconCentre(), 3));
        QTRY_COMPARE(f.journal.entries, QStringList({"left", "menu", "right"}));
    }

    void doubleClick_opensNothingMoreThanItsFirstClick()
    {
        TrayFixture f;
        f.journal.closeMenu = false;
        QVERIFY(f.Dock());
        QVERIFY(MoveTo(f.IconCentre()));
        // The second click lands beside the open menu and closes it.
        QVERIFY(Xdo({"click", "--repeat", "2", "--delay", "120", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(f.journal.entries, QStringList({"menu", "left"}), 10000);
        QVERIFY(!f.menu.isVisible());
        // Nothing else was waiting: the next click is the next entry.
        f.journal.closeMenu = true;
        QVERIFY(Click(f.IconCentre(), 3));
        QTRY_COMPARE(f.journal.entries, QStringList({"menu", "left", "menu", "right"}));
    }

    // Clicked again soon after its menu closed, the icon opens the menu again:
    // the toolkit takes the two clicks for a double click, but the first one
    // was answered already.
    void clickAgain_afterTheMenuClosed_opensItAgain_data() { clicks_openTheMenuAtTheCursor_thenRaiseTheEvent_data(); }

    void clickAgain_afterTheMenuClosed_opensItAgain()
    {
        QFETCH(int, button);
        QFETCH(QString, event);
        TrayFixture f;
        QVERIFY(f.Dock());
        // However slowly the machine runs, the toolkit counts the two clicks as one double click.
        QStyleHints *hints = QGuiApplication::styleHints();
        const int interval = hints->mouseDoubleClickInterval();
        hints->setMouseDoubleClickInterval(20000);
        const auto restore = qScopeGuard([hints, interval] { hints->setMouseDoubleClickInterval(interval); });
        QVERIFY(Click(f.IconCentre(), button));
        QTRY_COMPARE_WITH_TIMEOUT(f.journal.entries, QStringList({"menu", event}), 10000);
        QTRY_VERIFY(!f.menu.isVisible());
        QVERIFY(Click(f.IconCentre(), button));
        QTRY_COMPARE_WITH_TIMEOUT(f.journal.entries, QStringList({"menu", event, "menu", event}), 10000);
    }

    void doubleClick_raisesOnePressAndOneDoubleClick_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("press");
        QTest::newRow("left") << 1 << int(pmLeftDblClick) << "left";
        QTest::newRow("right") << 3 << int(pmRightDblClick) << "right";
    }

    void doubleClick_raisesOnePressAndOneDoubleClick()
    {
        QFETCH(int, button);
        QFETCH(int, mode);
        QFETCH(QString, press);
        TrayFixture f;
        f.tray->PopupMode = TPopupMode(mode);
        QVERIFY(f.Dock());
        QVERIFY(MoveTo(f.IconCentre()));
        QVERIFY(Xdo({"click", "--repeat", "2", "--delay", "80", QString::number(button)}));
        QTRY_COMPARE_WITH_TIMEOUT(f.journal.entries, QStringList({press, "menu", "double"}), 10000);
    }

    void hint_showsAtOnce()
    {
        TrayFixture f;
        QVERIFY(f.Dock());
        // The pointer comes to the icon from elsewhere and rests beside the
        // centre, where the clicks of the other tests left it: the toolkit
        // takes a move to the point it last knew for no move at all.
        QVERIFY(MoveTo(QGuiApplication::primaryScreen()->geometry().center()));
        QVERIFY(MoveTo(f.IconCentre() + QPoint(4, 3)));
        QVERIFY(MoveTo(f.IconCentre() + QPoint(3, 2)));
        QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible() && QToolTip::text() == QStringLiteral("Loquora"), 10000);
        f.tray->SetHint(QStringLiteral(" Reading: chapter one"));
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral(" Reading: chapter one"));
        // A long status shows cut to what the tray takes.
        f.tray->SetHint(QStringLiteral(" Converting to MP3: ") + QString(80, 'z'));
        QCOMPARE(QToolTip::text(), f.tray->Hint());
        QCOMPARE(f.tray->Hint().size(), 63);
    }
};

int main(int argc, char **argv)
{
    ChoosePlatform();
    QApplication app(argc, argv);
    TestSysTrayX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_systray_x11.moc"
