#include "widgets/tabstripaccessible.h"

#include "widgets/tabstrip.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QTabBar>

namespace {

// What differs between the program's own strip and the toolkit's tab bar.
QString TabName(const TTabStrip *strip, int index)
{
    return strip->tabText(index);
}

QString TabName(const QTabBar *bar, int index)
{
    const QString name = bar->accessibleTabName(index);
    if (!name.isEmpty())
        return name;
    // A mnemonic's marker is not read out; a doubled one stands for itself.
    const QString caption = bar->tabText(index);
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && ++i == caption.size())
            break;
        text += caption.at(i);
    }
    return text;
}

bool TabShown(const TTabStrip *, int)
{
    return true;
}

bool TabShown(const QTabBar *bar, int index)
{
    return bar->isTabVisible(index);
}

bool TabEnabled(const TTabStrip *strip, int)
{
    return strip->isEnabled();
}

bool TabEnabled(const QTabBar *bar, int index)
{
    return bar->isEnabled() && bar->isTabEnabled(index);
}

// One tab of the strip; it lives as long as the strip's interface. The tab
// says it has the focus only while its strip has it: the toolkit's own tab bar
// says so of the current tab wherever the focus is, and a screen reader that
// asks which object is focused would land on the tab instead of the control
// the user is on.
template <class Strip> class TabInterface : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TabInterface(Strip *strip, int index) : FStrip(strip), FIndex(index) {}

    bool isValid() const override { return FStrip && FIndex < FStrip->count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return FStrip ? FStrip->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(FStrip.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    void setText(QAccessible::Text, const QString &) override {}

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return TabName(FStrip.data(), FIndex);
        if (t == QAccessible::Description)
            return FStrip->tabToolTip(FIndex);
        return {};
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.disabled = !TabEnabled(FStrip.data(), FIndex);
        s.invisible = !FStrip->isVisible() || !TabShown(FStrip.data(), FIndex);
        s.selected = FIndex == FStrip->currentIndex();
        s.focused = s.selected && FStrip->hasFocus();
        return s;
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = FStrip->tabRect(FIndex);
        return QRect(FStrip->mapToGlobal(r.topLeft()), r.size());
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    void doAction(const QString &name) override
    {
        if (isValid() && name == pressAction())
            FStrip->setCurrentIndex(FIndex);
    }

private:
    QPointer<Strip> FStrip;
    int FIndex;
};

template <class Strip> class StripInterface : public QAccessibleWidget
{
public:
    explicit StripInterface(Strip *strip) : QAccessibleWidget(strip, QAccessible::PageTabList) {}
    ~StripInterface() override
    {
        for (QAccessible::Id id : std::as_const(FTabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    Strip *strip() const { return static_cast<Strip *>(widget()); }

    // A strip without a name of its own is named by its current tab.
    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty() && strip()->currentIndex() >= 0)
            text = TabName(strip(), strip()->currentIndex());
        return text;
    }

    // Only the tabs shown are children: a hidden tab is no place to go to.
    int childCount() const override
    {
        int shown = 0;
        for (int i = 0; i < strip()->count(); ++i)
            shown += TabShown(strip(), i) ? 1 : 0;
        return shown;
    }

    QAccessibleInterface *child(int position) const override
    {
        const int index = IndexOfShown(position);
        if (index < 0)
            return nullptr;
        if (const auto it = FTabs.constFind(index); it != FTabs.constEnd())
            return QAccessible::accessibleInterface(*it);
        auto *tab = new TabInterface<Strip>(strip(), index);
        FTabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = FTabs.constBegin(); it != FTabs.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return PositionOfShown(it.key());
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const int index = strip()->tabAt(strip()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(PositionOfShown(index)) : nullptr;
    }

private:
    // The strip's index of the shown tab at `position` among the shown ones,
    // and back; -1 for none. The toolkit's own events name tabs by the strip's
    // index, which is the same while no hidden tab comes before a shown one.
    int IndexOfShown(int position) const
    {
        for (int i = 0; i < strip()->count(); ++i) {
            if (TabShown(strip(), i) && position-- == 0)
                return i;
        }
        return -1;
    }

    int PositionOfShown(int index) const
    {
        if (index < 0 || index >= strip()->count() || !TabShown(strip(), index))
            return -1;
        int position = 0;
        for (int i = 0; i < index; ++i)
            position += TabShown(strip(), i) ? 1 : 0;
        return position;
    }

    mutable QHash<int, QAccessible::Id> FTabs;
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TTabStrip"))
        return new StripInterface<TTabStrip>(static_cast<TTabStrip *>(object));
    if (key == QLatin1String("QTabBar"))
        return new StripInterface<QTabBar>(static_cast<QTabBar *>(object));
    return nullptr;
}

} // namespace

namespace tabstrip_accessible {

void Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

} // namespace tabstrip_accessible
