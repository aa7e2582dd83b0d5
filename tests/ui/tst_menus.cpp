// The main window's menu row from the keyboard, in the test's own process
// (offscreen): F10 (when no command has it) and Alt alone open the first menu, Left and Right go from
// menu to menu, Escape goes back, Alt and a letter open that menu and nothing else.
#include "ui/main/converter.h"
#include "testsupport.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

class TestMenus : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempHome> home;
    std::unique_ptr<TFormCvt> form;

    static QMenu *openMenu() { return qobject_cast<QMenu *>(QApplication::activePopupWidget()); }

    // Keys to whatever has them now: the open menu, else the focused control.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *to =
            QApplication::activePopupWidget() ? QApplication::activePopupWidget() : QApplication::focusWidget();
        QTest::keyClick(to, key, modifiers);
    }

    void closeMenus()
    {
        while (QMenu *menu = openMenu())
            menu->close();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Memo1->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), form->Memo1);
    }

private slots:
    void initTestCase()
    {
        home = std::make_unique<TempHome>();
        qputenv("LOQA_HOME", home->path().toUtf8());
        QVERIFY(home->write(QStringLiteral("txt/a.txt"), "Some text."));
        QVERIFY(home->write(QStringLiteral("loqa.apl"), home->file(QStringLiteral("txt/a.txt")).toUtf8() + "\r\n"));
        QVERIFY(home->write(QStringLiteral("loqa.ini"), "[General]\r\nGreeting=0\r\n"));
        form = std::make_unique<TFormCvt>(QSize(1280, 800));
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        QCOMPARE(QApplication::focusWidget(), form->Memo1);
    }

    void cleanup() { closeMenus(); }

    // F10 is left to a command that has it as its shortcut ("My WAV Folder" by
    // default); freed, it opens File with its first command highlighted. Right
    // and Left walk the row, Escape leaves it.
    void f10_opensTheFirstMenu_andTheArrowsWalkTheRow()
    {
        QAction *wavFolder = form->action(loqa::ActionBrowseWav);
        wavFolder->setEnabled(false); // its folder picker would hold the test
        press(Qt::Key_F10);
        QTest::qWait(50);
        QVERIFY(!openMenu());
        const QKeySequence shortcut = wavFolder->shortcut();
        QCOMPARE(shortcut, QKeySequence(Qt::Key_F10));
        wavFolder->setShortcut(QKeySequence());
        wavFolder->setEnabled(true);
        press(Qt::Key_F10);
        QTRY_COMPARE(openMenu(), form->MainMenu[0]);
        QCOMPARE(openMenu()->activeAction(), form->action(loqa::ActionFileNew));
        press(Qt::Key_Right);
        QTRY_COMPARE(openMenu(), form->MainMenu[1]);
        press(Qt::Key_Right);
        QTRY_COMPARE(openMenu(), form->MainMenu[2]);
        press(Qt::Key_Left);
        press(Qt::Key_Left);
        QTRY_COMPARE(openMenu(), form->MainMenu[0]);
        // Escape closes it for the document the user was in.
        press(Qt::Key_Escape);
        QTRY_VERIFY(!openMenu());
        QCOMPARE(QApplication::focusWidget(), form->Memo1);
        wavFolder->setShortcut(shortcut);
    }

    // Alt pressed and let go alone opens File, and one Escape gives the keys
    // back to the document; Alt held for a chord opens nothing.
    void altAlone_opensTheFirstMenu()
    {
        QTest::keyPress(form->Memo1, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(form->Memo1, Qt::Key_Alt);
        QTRY_COMPARE(openMenu(), form->MainMenu[0]);
        QCOMPARE(openMenu()->activeAction(), form->action(loqa::ActionFileNew));
        press(Qt::Key_Escape);
        QTRY_VERIFY(!openMenu());
        QCOMPARE(QApplication::focusWidget(), form->Memo1);
        const QString before = form->Memo1->toPlainText();
        press(Qt::Key_X);
        QCOMPARE(form->Memo1->toPlainText().size(), before.size() + 1);
        form->Memo1->undo();

        QTest::keyPress(form->Memo1, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyClick(form->Memo1, Qt::Key_Left, Qt::AltModifier);
        QTest::keyRelease(form->Memo1, Qt::Key_Alt);
        QTest::qWait(50);
        QVERIFY(!openMenu());
    }

    // Alt+T opens the Tools menu, not the options dialog.
    void altT_opensTools()
    {
        QWidget *modal = nullptr;
        // A dialog run modally would hold the test: it is noted and closed.
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (QWidget *shown = QApplication::activeModalWidget()) {
                modal = shown;
                shown->close();
            }
        });
        watch.start(20);
        press(Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(openMenu(), form->MainMenu[4]);
        QTest::qWait(100);
        QCOMPARE(modal, nullptr);
    }
};

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
