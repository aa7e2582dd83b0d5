#include "widgets/tabstrip.h"

#include "widgets/tabstripaccessible.h"

#include <QAccessible>
#include <QTimer>
#include <qdrawutil.h>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolTip>

namespace {

constexpr int kMargin = 2;    // before the first tab of a row
constexpr int kBase = 2;      // between the rows and the content
constexpr int kButtonGap = 3; // between buttons, and between their rows

QTabBar::Shape shapeOf(TTabStrip::Position position)
{
    switch (position) {
    case TTabStrip::Top:
        return QTabBar::RoundedNorth;
    case TTabStrip::Bottom:
        return QTabBar::RoundedSouth;
    case TTabStrip::Left:
        return QTabBar::RoundedWest;
    case TTabStrip::Right:
        return QTabBar::RoundedEast;
    }
    return QTabBar::RoundedNorth;
}

} // namespace

TTabStrip::TTabStrip(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    tabstrip_accessible::Install();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    const auto shortcut = [this](QKeyCombination keys, void (TTabStrip::*step)()) {
        auto *s = new QShortcut(QKeySequence(keys), this);
        s->setContext(Qt::WindowShortcut);
        s->setAutoRepeat(true);
        connect(s, &QShortcut::activated, this, step);
    };
    shortcut(Qt::CTRL | Qt::Key_Tab, &TTabStrip::selectNext);
    shortcut(Qt::CTRL | Qt::Key_PageDown, &TTabStrip::selectNext);
    shortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, &TTabStrip::selectPrevious);
    shortcut(Qt::CTRL | Qt::Key_Backtab, &TTabStrip::selectPrevious);
    shortcut(Qt::CTRL | Qt::Key_PageUp, &TTabStrip::selectPrevious);
    relayout();
}

TTabStrip::~TTabStrip() = default;

int TTabStrip::addTab(const QString &text)
{
    Tab tab;
    tab.text = text;
    tab.length = tabLength(text);
    FTabs.append(tab);
    const int index = count() - 1;
    relayout();
    if (FCurrent < 0) {
        FCurrent = index;
        emit currentChanged(FCurrent);
    }
    return index;
}

void TTabStrip::removeTab(int index)
{
    if (index < 0 || index >= count())
        return;
    FTabs.removeAt(index);
    FHot = -1;
    const int before = FCurrent;
    if (index < FCurrent)
        --FCurrent;
    else if (index == FCurrent)
        FCurrent = std::min(FCurrent, count() - 1); // its right-hand neighbour takes its place
    relayout();
    if (FCurrent != before || index == before)
        emit currentChanged(FCurrent);
}

void TTabStrip::clear()
{
    const bool had = FCurrent >= 0;
    FTabs.clear();
    FCurrent = FHot = -1;
    relayout();
    if (had)
        emit currentChanged(-1);
}

QString TTabStrip::tabText(int index) const
{
    return index >= 0 && index < count() ? FTabs[index].text : QString();
}

void TTabStrip::setTabText(int index, const QString &text)
{
    if (index < 0 || index >= count())
        return;
    FTabs[index].text = text;
    FTabs[index].length = tabLength(text);
    relayout();
}

QString TTabStrip::tabToolTip(int index) const
{
    return index >= 0 && index < count() ? FTabs[index].toolTip : QString();
}

void TTabStrip::setTabToolTip(int index, const QString &tip)
{
    if (index >= 0 && index < count())
        FTabs[index].toolTip = tip;
}

void TTabStrip::setCurrentIndex(int index)
{
    if (index < 0 || index >= count() || index == FCurrent)
        return;
    const bool rowsMove = FStyle == Tabs && FRowCount > 1 && FTabs[index].row != tabRow(FCurrent);
    const int previous = FCurrent;
    FCurrent = index;
    if (rowsMove)
        relayout(); // the selected row comes next to the content
    else
        update();
    announceSelection(previous);
    announceCurrent();
    emit currentChanged(FCurrent);
}

void TTabStrip::announceSelection(int previous)
{
    // Assistive tools keep what they were told of each tab: the tab left and
    // the tab chosen say that their selected state changed.
    if (!QAccessible::isActive())
        return;
    if (previous >= 0 && previous < count()) {
        QAccessibleEvent left(this, QAccessible::SelectionRemove);
        left.setChild(previous);
        QAccessible::updateAccessibility(&left);
    }
    QAccessibleEvent chosen(this, QAccessible::SelectionAdd);
    chosen.setChild(FCurrent);
    QAccessible::updateAccessibility(&chosen);
}

void TTabStrip::announceCurrent()
{
    // A screen reader follows the selected tab while the strip has the keyboard.
    if (!hasFocus() || FCurrent < 0 || !QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(FCurrent);
    QAccessible::updateAccessibility(&event);
}

void TTabStrip::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    // After the toolkit has told of the strip's own focus, which follows this
    // event: the tab told last is the one a screen reader speaks.
    QTimer::singleShot(0, this, &TTabStrip::announceCurrent);
}

int TTabStrip::tabAt(const QPoint &position) const
{
    for (int i = 0; i < count(); ++i) {
        if (FTabs[i].rect.contains(position))
            return i;
    }
    return -1;
}

QRect TTabStrip::tabRect(int index) const
{
    return index >= 0 && index < count() ? FTabs[index].rect : QRect();
}

int TTabStrip::tabRow(int index) const
{
    return index >= 0 && index < count() ? FTabs[index].row : -1;
}

void TTabStrip::setPosition(Position position)
{
    if (position == FPosition)
        return;
    FPosition = position;
    // Free the size the other orientation fixed.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizePolicy(horizontal() ? QSizePolicy::Preferred : QSizePolicy::Fixed,
                  horizontal() ? QSizePolicy::Fixed : QSizePolicy::Preferred);
    relayout();
}

void TTabStrip::setTabStyle(Style style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    measureAll();
    relayout();
}

void TTabStrip::selectNext()
{
    if (count() > 0)
        setCurrentIndex((FCurrent + 1) % count());
}

void TTabStrip::selectPrevious()
{
    if (count() > 0)
        setCurrentIndex((FCurrent - 1 + count()) % count());
}

QSize TTabStrip::sizeHint() const
{
    int widest = 0;
    for (const Tab &t : FTabs)
        widest = std::max(widest, t.length);
    widest += 2 * kMargin;
    return horizontal() ? QSize(widest, FDepth) : QSize(FDepth, widest);
}

QSize TTabStrip::minimumSizeHint() const
{
    return horizontal() ? QSize(20, FDepth) : QSize(FDepth, 20);
}

int TTabStrip::tabLength(const QString &text) const
{
    // Tabs leave the style its own room around the text, so a short caption is not cut.
    const int padding = FStyle == Tabs
                            ? std::max(20, style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, this) + 6)
                        : FStyle == Buttons ? 24
                                            : 20;
    return fontMetrics().horizontalAdvance(text) + padding;
}

int TTabStrip::rowDepth() const
{
    return fontMetrics().height() + (FStyle == FlatButtons ? 8 : 10);
}

void TTabStrip::measureAll()
{
    for (Tab &t : FTabs)
        t.length = tabLength(t.text);
}

void TTabStrip::relayout()
{
    const int room = (horizontal() ? width() : height()) - kMargin;
    const int gap = FStyle == Tabs ? 0 : kButtonGap;

    // Fill the rows in order; a tab that does not fit starts the next row.
    QVector<int> starts(count());
    int row = 0, at = kMargin;
    for (int i = 0; i < count(); ++i) {
        Tab &t = FTabs[i];
        if (at > kMargin && at + t.length > room) {
            ++row;
            at = kMargin;
        }
        t.row = row;
        starts[i] = at;
        at += t.length + gap;
    }
    FRowCount = count() > 0 ? row + 1 : 0;
    const int rows = std::max(FRowCount, 1);
    const int depth = rowDepth();
    const int rowGap = FStyle == Tabs ? 0 : kButtonGap;
    FDepth = kBase + rows * depth + (rows - 1) * rowGap + kMargin;

    // Tabs on several rows fill each row to its end, as the rows stack into one block.
    QVector<int> lengths(count());
    for (int i = 0; i < count(); ++i)
        lengths[i] = FTabs[i].length;
    if (FStyle == Tabs && FRowCount > 1) {
        for (int first = 0; first < count();) {
            int last = first;
            while (last + 1 < count() && FTabs[last + 1].row == FTabs[first].row)
                ++last;
            const int n = last - first + 1;
            const int spare = std::max(0, room - (starts[last] + lengths[last]));
            int shift = 0;
            for (int i = first; i <= last; ++i) {
                const int extra = spare / n + (i - first < spare % n ? 1 : 0);
                starts[i] += shift;
                lengths[i] += extra;
                shift += extra;
            }
            first = last + 1;
        }
    }

    const int selectedRow = FCurrent >= 0 && FCurrent < count() ? FTabs[FCurrent].row : 0;
    for (int i = 0; i < count(); ++i) {
        Tab &t = FTabs[i];
        // Visual place counted from the content: tabs bring the selected row next
        // to it; buttons keep their rows in reading order, first row at the top or left.
        int place;
        if (FStyle == Tabs)
            place = (t.row - selectedRow + rows) % rows;
        else
            place = (FPosition == Top || FPosition == Left) ? rows - 1 - t.row : t.row;
        const int fromContent = kBase + place * (depth + rowGap);
        switch (FPosition) {
        case Top:
            t.rect = QRect(starts[i], FDepth - fromContent - depth, lengths[i], depth);
            break;
        case Bottom:
            t.rect = QRect(starts[i], fromContent, lengths[i], depth);
            break;
        case Left:
            t.rect = QRect(FDepth - fromContent - depth, starts[i], depth, lengths[i]);
            break;
        case Right:
            t.rect = QRect(fromContent, starts[i], depth, lengths[i]);
            break;
        }
    }

    if (horizontal() && (minimumHeight() != FDepth || maximumHeight() != FDepth))
        setFixedHeight(FDepth);
    else if (!horizontal() && (minimumWidth() != FDepth || maximumWidth() != FDepth))
        setFixedWidth(FDepth);
    updateGeometry();
    update();
}

void TTabStrip::setHot(int index)
{
    if (index == FHot)
        return;
    FHot = index;
    update();
}

bool TTabStrip::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int tab = tabAt(help->pos());
        if (tab >= 0 && !FTabs[tab].toolTip.isEmpty())
            QToolTip::showText(help->globalPos(), FTabs[tab].toolTip, this, FTabs[tab].rect);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void TTabStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void TTabStrip::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        measureAll();
        relayout();
    }
    QWidget::changeEvent(event);
}

void TTabStrip::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const int tab = tabAt(event->position().toPoint());
    if (tab < 0)
        return;
    emit tabBarClicked(tab);
    setCurrentIndex(tab);
}

void TTabStrip::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        const int tab = tabAt(event->position().toPoint());
        if (tab >= 0)
            emit tabContextMenuRequested(tab, event->globalPosition().toPoint());
    }
}

void TTabStrip::mouseMoveEvent(QMouseEvent *event)
{
    setHot(tabAt(event->position().toPoint()));
}

void TTabStrip::leaveEvent(QEvent *event)
{
    setHot(-1);
    QWidget::leaveEvent(event);
}

void TTabStrip::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        selectPrevious();
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        selectNext();
        break;
    case Qt::Key_Home:
        setCurrentIndex(0);
        break;
    case Qt::Key_End:
        setCurrentIndex(count() - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TTabStrip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (FStyle == Tabs) {
        // The line the tabs stand on, along the content.
        QStyleOptionTabBarBase base;
        base.initFrom(this);
        base.shape = shapeOf(FPosition);
        base.documentMode = false;
        switch (FPosition) {
        case Top:
            base.rect = QRect(0, height() - kBase, width(), kBase);
            break;
        case Bottom:
            base.rect = QRect(0, 0, width(), kBase);
            break;
        case Left:
            base.rect = QRect(width() - kBase, 0, kBase, height());
            break;
        case Right:
            base.rect = QRect(0, 0, kBase, height());
            break;
        }
        base.tabBarRect = rect();
        base.selectedTabRect = tabRect(FCurrent);
        style()->drawPrimitive(QStyle::PE_FrameTabBarBase, &base, &p, this);
    }
    // The selected tab last: it overlaps its neighbours.
    for (int i = 0; i < count(); ++i) {
        if (i != FCurrent)
            paintTab(p, i);
    }
    if (FCurrent >= 0)
        paintTab(p, FCurrent);
}

void TTabStrip::paintTab(QPainter &p, int index) const
{
    const Tab &t = FTabs[index];
    const bool selected = index == FCurrent;
    const bool hot = index == FHot;
    const QColor hotText = palette().color(QPalette::Highlight);

    if (FStyle == Tabs) {
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        opt.rect = t.rect;
        opt.text = t.text;
        opt.shape = shapeOf(FPosition);
        const bool first = index == 0 || FTabs[index - 1].row != t.row;
        const bool last = index == count() - 1 || FTabs[index + 1].row != t.row;
        opt.position = first && last ? QStyleOptionTab::OnlyOneTab
                       : first       ? QStyleOptionTab::Beginning
                       : last        ? QStyleOptionTab::End
                                     : QStyleOptionTab::Middle;
        if (selected)
            opt.state |= QStyle::State_Selected;
        if (selected && hasFocus())
            opt.state |= QStyle::State_HasFocus;
        if (hot) {
            opt.state |= QStyle::State_MouseOver;
            if (!selected)
                opt.palette.setColor(QPalette::WindowText, hotText);
        }
        style()->drawControl(QStyle::CE_TabBarTab, &opt, &p, this);
        return;
    }

    // Buttons lie along the strip; on the left and right sides their text runs upwards or downwards.
    p.save();
    QRect r = t.rect;
    if (!horizontal()) {
        p.translate(QRectF(r).center());
        p.rotate(FPosition == Left ? -90 : 90);
        r = QRect(-r.height() / 2, -r.width() / 2, r.height(), r.width());
    }
    if (FStyle == Buttons) {
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        opt.rect = r;
        opt.text = t.text;
        opt.state |= selected ? (QStyle::State_Sunken | QStyle::State_On) : QStyle::State_Raised;
        if (hot)
            opt.state |= QStyle::State_MouseOver;
        if (hot && !selected)
            opt.palette.setColor(QPalette::ButtonText, hotText);
        if (selected && hasFocus())
            opt.state |= QStyle::State_HasFocus;
        style()->drawControl(QStyle::CE_PushButton, &opt, &p, this);
    } else {
        // Flat: no bevel until hot (raised) or selected (pressed in); a groove between buttons.
        if (selected) {
            p.fillRect(r.adjusted(1, 1, -1, -1), palette().color(QPalette::Midlight));
            qDrawShadePanel(&p, r, palette(), true, 1);
        } else if (hot) {
            qDrawShadePanel(&p, r, palette(), false, 1);
        }
        const bool lastInRow = index == count() - 1 || FTabs[index + 1].row != t.row;
        if (!lastInRow) {
            const int x = r.right() + 1 + kButtonGap / 2;
            qDrawShadeLine(&p, QPoint(x, r.top() + 3), QPoint(x, r.bottom() - 3), palette(), true, 1, 0);
        }
        p.setPen(hot && !selected ? hotText : palette().color(QPalette::ButtonText));
        p.drawText(selected ? r.translated(1, 1) : r, Qt::AlignCenter, t.text);
        if (selected && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = r.adjusted(3, 3, -3, -3);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
        }
    }
    p.restore();
}
