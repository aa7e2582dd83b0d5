// The tray icon's rules without a desktop: the tooltip cut, the menu's place,
// and a desktop without a tray (the offscreen platform has none).
#include "widgets/systray.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

class TestSysTray : public QObject
{
    Q_OBJECT
private slots:
    void hint_isCutAtACharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString e = QStringLiteral("\u00e9");         // 2 bytes
        const QString euro = QStringLiteral("\u20ac");      // 3 bytes
        const QString smile = QStringLiteral("\U0001F600"); // 4 bytes, a surrogate pair
        const QString accented = QStringLiteral("e\u0301"); // a letter and its accent, 3 bytes
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("63 letters") << QString(63, 'a') << QString(63, 'a');
        QTest::newRow("70 letters") << QString(70, 'a') << QString(63, 'a');
        QTest::newRow("two-byte letters") << e.repeated(40) << e.repeated(31);
        QTest::newRow("odd start, two-byte letters") << "a" + e.repeated(40) << "a" + e.repeated(31);
        QTest::newRow("three-byte signs") << euro.repeated(22) << euro.repeated(21);
        QTest::newRow("pairs kept whole") << smile.repeated(16) << smile.repeated(15);
        QTest::newRow("accent kept with its letter") << "a" + accented.repeated(21) << "a" + accented.repeated(20);
    }

    void hint_isCutAtACharacter()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString cut = CutHint(text);
        QCOMPARE(cut, expected);
        QVERIFY(cut.toUtf8().size() <= MaxHintBytes);
    }

    void menu_placedByAlignment()
    {
        const QPoint cursor(1000, 20);
        const QSize size(180, 240);
        QCOMPARE(PopupMenuPosition(paRight, cursor, size), QPoint(820, 20));
        QCOMPARE(PopupMenuPosition(paLeft, cursor, size), cursor);
        QCOMPARE(PopupMenuPosition(paCenter, cursor, size), QPoint(910, 20));
    }

    void withoutATray_propertiesHoldAndNothingFails()
    {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QMenu menu;
        auto tray = std::make_unique<TSysTray>();
        QVERIFY(!tray->Active());
        QCOMPARE(tray->Hint(), QStringLiteral("Quillmark Software"));
        QCOMPARE(tray->PopupMode, TPopupMode(pmRightClick));
        QCOMPARE(tray->PopupAlign, paRight);
        QVERIFY(tray->Icon().isNull());

        tray->PopupMenu = &menu;
        tray->SetHint(QString(70, 'x'));
        tray->SetActive(true);
        QVERIFY(tray->Active());
        QCOMPARE(tray->Hint(), QString(63, 'x'));
        QPixmap picture(16, 16);
        picture.fill(Qt::darkBlue);
        tray->SetIcon(QIcon(picture));
        QVERIFY(!tray->Icon().isNull());
        QVERIFY(tray->IconGeometry().isEmpty());
        tray->SetActive(false);
        QVERIFY(!tray->Active());
        tray->SetActive(true);
        tray.reset();
    }
};

QTEST_MAIN(TestSysTray)
#include "tst_systray.moc"
