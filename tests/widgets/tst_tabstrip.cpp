// The document tab strip on the offscreen platform: rows, places, looks, keys and the mouse.
#include "widgets/tabstrip.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

bool horizontal(TTabStrip::Position p)
{
    return p == TTabStrip::Top || p == TTabStrip::Bottom;
}

// A strip whose length along its tabs holds three tabs of `caption` in a row.
void sizeForThreePerRow(TTabStrip &strip, const QString &caption)
{
    strip.addTab(caption);
    const QRect one = strip.tabRect(0);
    const int length = horizontal(strip.position()) ? one.width() : one.height();
    strip.clear();
    const int room = 2 + 3 * length + 2 * 3 + length / 2;
    if (horizontal(strip.position()))
        strip.resize(room, strip.height());
    else
        strip.resize(strip.width(), room);
}

} // namespace

class TestTabStrip : public QObject
{
    Q_OBJECT

private slots:
    void wrapsIntoRows_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("rows");
        const char *places[] = {"top", "bottom", "left", "right"};
        const char *looks[] = {"tabs", "buttons", "flat"};
        for (int p = 0; p < 4; ++p) {
            for (int s = 0; s < 3; ++s) {
                QTest::addRow("%s %s two rows", places[p], looks[s]) << p << s << 5 << 2;
                QTest::addRow("%s %s three rows", places[p], looks[s]) << p << s << 9 << 3;
            }
        }
    }

    void wrapsIntoRows()
    {
        QFETCH(int, position);
        QFETCH(int, style);
        QFETCH(int, tabs);
        QFETCH(int, rows);
        TTabStrip strip;
        strip.setPosition(TTabStrip::Position(position));
        strip.setTabStyle(TTabStrip::Style(style));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        sizeForThreePerRow(strip, QStringLiteral("document"));
        strip.addTab(QStringLiteral("document"));
        const int oneRowDepth = horizontal(strip.position()) ? strip.height() : strip.width();
        for (int i = 1; i < tabs; ++i)
            strip.addTab(QStringLiteral("document"));
        QCoreApplication::processEvents();

        QCOMPARE(strip.rowCount(), rows);
        // The strip grew across its rows to show every tab; none is hidden or overlaps another.
        const int depth = horizontal(strip.position()) ? strip.height() : strip.width();
        QVERIFY2(depth >= oneRowDepth + (rows - 1) * 20,
                 qPrintable(QStringLiteral("%1 %2").arg(depth).arg(oneRowDepth)));
        for (int i = 0; i < tabs; ++i) {
            const QRect r = strip.tabRect(i);
            QVERIFY2(strip.rect().contains(r), qPrintable(QStringLiteral("tab %1 outside").arg(i)));
            QCOMPARE(strip.tabAt(r.center()), i);
            QCOMPARE(strip.tabRow(i), i / 3);
            for (int j = 0; j < i; ++j)
                QVERIFY(!r.intersects(strip.tabRect(j)));
        }
        // Rows stack across the strip: tabs of one row share their place across it.
        const auto across = [&](int i) {
            return horizontal(strip.position()) ? strip.tabRect(i).y() : strip.tabRect(i).x();
        };
        QCOMPARE(across(1), across(0));
        QVERIFY(across(3) != across(0));
        QVERIFY(across(tabs - 1) != across(3) || rows == 2);
        // Narrowed to one tab per row, the strip holds one row per tab.
        if (horizontal(strip.position()))
            strip.resize(strip.tabRect(0).width() + 4, strip.height());
        else
            strip.resize(strip.width(), strip.tabRect(0).height() + 4);
        QCOMPARE(strip.rowCount(), tabs);
    }

    // On several rows the selected tab's row comes next to the content, as tabs do;
    // buttons keep their rows where they are.
    void selectedRowComesForward()
    {
        for (TTabStrip::Style style : {TTabStrip::Tabs, TTabStrip::Buttons}) {
            TTabStrip strip;
            strip.setTabStyle(style);
            strip.show();
            QVERIFY(QTest::qWaitForWindowExposed(&strip));
            sizeForThreePerRow(strip, QStringLiteral("page"));
            for (int i = 0; i < 6; ++i)
                strip.addTab(QStringLiteral("page"));
            const int firstRowY = strip.tabRect(0).y();
            const int secondRowY = strip.tabRect(3).y();
            strip.setCurrentIndex(4);
            if (style == TTabStrip::Tabs) {
                QVERIFY(firstRowY > secondRowY); // the selected first row lay next to the content, below
                QCOMPARE(strip.tabRect(4).y(), firstRowY);
                QCOMPARE(strip.tabRect(0).y(), secondRowY);
            } else {
                QCOMPARE(strip.tabRect(0).y(), firstRowY);
                QCOMPARE(strip.tabRect(4).y(), secondRowY);
            }
        }
    }

    void threeLooksDiffer()
    {
        QList<QImage> looks;
        for (TTabStrip::Style style : {TTabStrip::Tabs, TTabStrip::Buttons, TTabStrip::FlatButtons}) {
            TTabStrip strip;
            strip.setTabStyle(style);
            strip.resize(400, 30);
            for (const char *name : {"alpha", "beta", "gamma"})
                strip.addTab(QLatin1String(name));
            strip.setCurrentIndex(1);
            looks.append(strip.grab().toImage().convertToFormat(QImage::Format_RGB32));
        }
        QVERIFY(looks[0] != looks[1]);
        QVERIFY(looks[1] != looks[2]);
        QVERIFY(looks[0] != looks[2]);
    }

    // Keys work while the editor beside the strip has the focus; the mouse makes a
    // tab hot, selects with the left button and asks for the menu with the right.
    void keysAndMouse()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *strip = new TTabStrip(&window);
        auto *editor = new QPlainTextEdit(&window);
        layout->addWidget(strip);
        layout->addWidget(editor);
        for (const char *name : {"one", "two", "three", "four"})
            strip->addTab(QLatin1String(name));
        window.resize(500, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        editor->setFocus();
        QSignalSpy changed(strip, &TTabStrip::currentChanged);

        QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(strip->currentIndex(), 1);
        QTest::keyClick(editor, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(strip->currentIndex(), 2);
        QTest::keyClick(editor, Qt::Key_PageUp, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(strip->currentIndex(), 0);
        QTest::keyClick(editor, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(strip->currentIndex(), 3); // round to the last
        QTest::keyClick(editor, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(strip->currentIndex(), 0);
        QCOMPARE(changed.count(), 6);
        QVERIFY(editor->toPlainText().isEmpty()); // none of these keys reached the text

        QTest::mouseMove(strip, strip->tabRect(2).center());
        QTRY_COMPARE(strip->hotIndex(), 2);
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(2).center());
        QCOMPARE(strip->currentIndex(), 2);
        QSignalSpy menu(strip, &TTabStrip::tabContextMenuRequested);
        QTest::mouseClick(strip, Qt::RightButton, {}, strip->tabRect(1).center());
        QCOMPARE(menu.count(), 1);
        QCOMPARE(menu.first().first().toInt(), 1);
        QCOMPARE(strip->currentIndex(), 2); // the right button selects nothing itself
        QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(strip->width() - 2, strip->height() / 2));
        QCOMPARE(menu.count(), 1); // beside the tabs: no menu

        // Removing the selected tab selects the one in its place.
        strip->removeTab(2);
        QCOMPARE(strip->currentIndex(), 2);
        QCOMPARE(strip->tabText(2), QStringLiteral("four"));
    }
};

QTEST_MAIN(TestTabStrip)
#include "tst_tabstrip.moc"
