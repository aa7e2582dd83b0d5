#include "widgets/splitbutton.h"

#include <QAccessibleWidget>
#include <QMenu>
#include <QToolButton>

namespace {

class SplitButtonInterface : public QAccessibleWidget
{
public:
    explicit SplitButtonInterface(QToolButton *button) : QAccessibleWidget(button, QAccessible::PushButton) {}

    QToolButton *button() const { return static_cast<QToolButton *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            QString name = button()->text();
            if (name.isEmpty() && button()->defaultAction())
                name = button()->defaultAction()->text();
            return name.remove(QLatin1Char('&'));
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = button()->isDown();
        s.hasPopup = true;
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names;
        if (widget()->isEnabled())
            names << pressAction() << showMenuAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (!widget()->isEnabled())
            return;
        if (name == pressAction())
            button()->click();
        else if (name == showMenuAction())
            button()->showMenu();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key != QLatin1String("QToolButton"))
        return nullptr;
    auto *button = static_cast<QToolButton *>(object);
    if (button->popupMode() != QToolButton::MenuButtonPopup)
        return nullptr;
    return new SplitButtonInterface(button);
}

} // namespace

namespace splitbutton_accessible {

void Install()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

} // namespace splitbutton_accessible
