// The shortcut field takes keys only: text dropped on it and the X selection
// pasted with the middle button leave it as it was. Offscreen without the
// private session's display, on it with one (the selection needs X).
#include "desktop.h"
#include "ui/options/hotkeyedit.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QMimeData>

using namespace desktop;

class TestHotKeyEdit : public QObject
{
    Q_OBJECT

    std::unique_ptr<THotKeyEdit> field;

private slots:
    void init()
    {
        field = std::make_unique<THotKeyEdit>();
        field->resize(160, 24);
        field->show();
        QVERIFY(QTest::qWaitForWindowExposed(field.get()));
        field->SetShortcut(QStringLiteral("Ctrl+N"));
    }

    void cleanup() { field.reset(); }

    void droppedText_isRefused()
    {
        QMimeData text;
        text.setText(QStringLiteral("dropped"));
        const QPointF at(field->rect().center());
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field.get(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field.get(), &drop);
        QCOMPARE(field->Shortcut(), QStringLiteral("Ctrl+N"));
    }

    void middleButtonPaste_isRefused()
    {
        LOQA_REQUIRE_OR_SKIP(HaveDisplay(), "needs the private X session (LOQA_TEST_DISPLAY)");
        QClipboard *clipboard = QGuiApplication::clipboard();
        QVERIFY(clipboard->supportsSelection());
        clipboard->setText(QStringLiteral("pasted"), QClipboard::Selection);
        QTRY_COMPARE(clipboard->text(QClipboard::Selection), QStringLiteral("pasted"));
        QTest::mouseClick(field.get(), Qt::MiddleButton, {}, field->rect().center());
        QCOMPARE(field->Shortcut(), QStringLiteral("Ctrl+N"));
        // Keys still make the shortcut.
        QTest::keyClick(field.get(), Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(field->Shortcut(), QStringLiteral("Ctrl+Alt+J"));
    }
};

int main(int argc, char **argv)
{
    ChoosePlatform();
    QApplication app(argc, argv);
    TestHotKeyEdit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hotkeyedit.moc"
