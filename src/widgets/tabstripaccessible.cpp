#include "tabstripaccessible.h"

#include "tabstrip.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

// One tab of the strip; it lives as long as the strip's interface.
class TabInterface : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TabInterface(TTabStrip *strip, int index) : FStrip(strip), FIndex(index) {}

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
            return FStrip->tabText(FIndex);
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
        s.disabled = !FStrip->isEnabled();
        s.invisible = !FStrip->isVisible();
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
    QPointer<TTabStrip> FStrip;
    int FIndex;
};

class StripInterface : public QAccessibleWidget
{
public:
    explicit StripInterface(TTabStrip *strip) : QAccessibleWidget(strip, QAccessible::PageTabList) {}
    ~StripInterface() override
    {
        for (QAccessible::Id id : std::as_const(FTabs))
            QAccessible::deleteAccessibleInterface(id);
    }

    TTabStrip *strip() const { return static_cast<TTabStrip *>(widget()); }

    int childCount() const override { return strip()->count(); }

    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= strip()->count())
            return nullptr;
        if (const auto it = FTabs.constFind(index); it != FTabs.constEnd())
            return QAccessible::accessibleInterface(*it);
        auto *tab = new TabInterface(strip(), index);
        FTabs.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (auto it = FTabs.constBegin(); it != FTabs.constEnd(); ++it) {
            if (QAccessible::accessibleInterface(it.value()) == child)
                return it.key();
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const int index = strip()->tabAt(strip()->mapFromGlobal(QPoint(x, y)));
        return index >= 0 ? child(index) : nullptr;
    }

private:
    mutable QHash<int, QAccessible::Id> FTabs;
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TTabStrip"))
        return new StripInterface(static_cast<TTabStrip *>(object));
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
