// The clipboard prompt on the offscreen platform: what each way of answering
// (or not answering) it returns, for each default choice.
#include "ui/prompt/prompt.h"
#include "settings/settings.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestPrompt : public QObject
{
    Q_OBJECT

private slots:
    void frame()
    {
        loqa::ClipboardSettings clipboard;
        clipboard.DefAction = 2;
        clipboard.PromptDelay = 0;
        TQMFormPrompt prompt(clipboard);
        prompt.show();
        QCOMPARE(prompt.size(), QSize(306, 181));
        QVERIFY(prompt.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(prompt.closeImage->isVisible());
        QVERIFY(!prompt.minImage->isVisible());
        QVERIFY(!prompt.maxImage->isVisible());
        QVERIFY(!prompt.Sizeable());
        QCOMPARE(prompt.LabelQMCaption->text(), QString());
        QCOMPARE(prompt.BitBtnRead->text(), QStringLiteral("Read Now!"));
        QVERIFY(!prompt.BitBtnRead->icon().isNull());
        QCOMPARE(prompt.BitBtnRead->width(), 249);
        QCOMPARE(prompt.Label1->text(), QStringLiteral("Copy Clipboard to the Documents List?"));
        QVERIFY(prompt.Label1->font().bold());
        // The default choice's button is the one Enter presses, and has the focus.
        QVERIFY(prompt.ButtonAppend->isDefault());
        QVERIFY(!prompt.BitBtnRead->isDefault());
        QCOMPARE(prompt.focusWidget(), prompt.ButtonAppend);
        // PromptDelay 0: no timeout.
        QVERIFY(!prompt.Timer1->isActive());
    }

    void answers_data()
    {
        QTest::addColumn<int>("defAction");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("choice");
        for (int d = 0; d <= 3; ++d)
            QTest::addRow("Enter with DefAction %d", d) << d << "enter" << d;
        QTest::newRow("Enter with DefAction 7 presses Read Now!") << 7 << "enter" << 0;
        QTest::newRow("Escape cancels") << 1 << "escape" << 3;
        QTest::newRow("a click on New") << 0 << "new" << 1;
        QTest::newRow("the close button leaves DefAction") << 2 << "close" << 2;
        QTest::newRow("the timeout carries out DefAction") << 1 << "timeout" << 1;
        QTest::newRow("the timeout with DefAction 7") << 7 << "timeout" << 7;
    }
    void answers()
    {
        QFETCH(int, defAction);
        QFETCH(QString, how);
        QFETCH(int, choice);
        loqa::ClipboardSettings clipboard;
        clipboard.DefAction = defAction;
        clipboard.PromptDelay = how == QLatin1String("timeout") ? 1 : 0;
        bool answered = false;
        QTimer::singleShot(0, this, [&] {
            auto *prompt = qobject_cast<TQMFormPrompt *>(QApplication::activeModalWidget());
            if (!prompt)
                return;
            answered = true;
            if (how == QLatin1String("enter"))
                QTest::keyClick(prompt, Qt::Key_Return);
            else if (how == QLatin1String("escape"))
                QTest::keyClick(prompt, Qt::Key_Escape);
            else if (how == QLatin1String("new"))
                QTest::mouseClick(prompt->ButtonNew, Qt::LeftButton);
            else if (how == QLatin1String("close"))
                QTest::mouseClick(prompt->closeImage, Qt::LeftButton, {}, QPoint(5, 5));
        });
        QCOMPARE(PromptClipboardAction(clipboard), choice);
        QVERIFY(answered); // the prompt was up, modal
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestPrompt)
#include "tst_prompt.moc"
