#include "statuspanel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class StatusInterface : public QAccessibleWidget
{
public:
    explicit StatusInterface(QWidget *panel) : QAccessibleWidget(panel, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override
    {
        // The name is what the panel says now, unless a fixed name was given.
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<QLabel *>(widget())->text().trimmed();
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty())
            return QStringLiteral("Status");
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TStatusPanel"))
        return new StatusInterface(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

TStatusPanel::TStatusPanel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void TStatusPanel::Announce(const QString &text)
{
    // Only a change is news: the same state again (another tab while idle, a
    // run's status renewed between its word positions) stays quiet.
    const bool changed = text != FAnnounced;
    FAnnounced = text;
    setText(text);
    if (!changed || !QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
}
