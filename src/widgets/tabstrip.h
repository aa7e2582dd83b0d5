#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

// A strip of document tabs that wraps into as many rows as its tabs need, on
// any of the four sides of what it selects, drawn as tabs, buttons or flat
// buttons. The tab under the mouse is drawn hot. Ctrl+Tab / Ctrl+Shift+Tab and
// Ctrl+PgDn / Ctrl+PgUp select the next and previous tab anywhere in its window.
class TTabStrip : public QWidget
{
    Q_OBJECT
public:
    // The side of the content the strip sits on.
    enum Position { Top, Bottom, Left, Right };
    enum Style { Tabs, Buttons, FlatButtons };

    explicit TTabStrip(QWidget *parent = nullptr);
    ~TTabStrip() override;

    int addTab(const QString &text);
    void removeTab(int index);
    // Removes every tab at once (no currentChanged for each).
    void clear();
    int count() const { return int(FTabs.size()); }
    QString tabText(int index) const;
    void setTabText(int index, const QString &text);
    QString tabToolTip(int index) const;
    void setTabToolTip(int index, const QString &tip);

    int currentIndex() const { return FCurrent; }
    void setCurrentIndex(int index);

    // The tab at a point of the strip, or -1 beside the tabs.
    int tabAt(const QPoint &position) const;
    QRect tabRect(int index) const;
    // The row a tab lies in, in the order the tabs fill them (0 holds the first tab).
    int tabRow(int index) const;
    int rowCount() const { return FRowCount; }
    // The tab drawn hot (under the mouse), or -1.
    int hotIndex() const { return FHot; }

    Position position() const { return FPosition; }
    void setPosition(Position position);
    Style tabStyle() const { return FStyle; }
    void setTabStyle(Style style);

    // Selects the next or previous tab, wrapping around at the ends.
    void selectNext();
    void selectPrevious();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void currentChanged(int index);
    // A left button went down on a tab.
    void tabBarClicked(int index);
    // The right button was released on a tab; `globalPosition` is where.
    void tabContextMenuRequested(int index, const QPoint &globalPosition);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    struct Tab {
        QString text;
        QString toolTip;
        int length = 0; // along the strip, padding included
        int row = 0;
        QRect rect;
    };

    bool horizontal() const { return FPosition == Top || FPosition == Bottom; }
    int tabLength(const QString &text) const;
    int rowDepth() const;
    void measureAll();
    void relayout();
    void setHot(int index);
    void announceCurrent();
    void announceSelection(int previous);
    void paintTab(QPainter &painter, int index) const;

    QVector<Tab> FTabs;
    int FCurrent = -1;
    int FHot = -1;
    int FRowCount = 0;
    int FDepth = 0; // the strip's size across its rows
    Position FPosition = Top;
    Style FStyle = Tabs;
};
