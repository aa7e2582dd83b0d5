#include "widgets/statuspanel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class StatusInterface : public QAccessibleWidget
{
public:
    explicit StatusInterface(QWidget *panel) : QAccessibleWidget(panel, QAccessible::Notification) {}
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TStatusPanel"))
        return new StatusInterface(static_cast<QWidget *>(object));
    if (key == QLatin1String("TStatusBar"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
    return nullptr;
}

void InstallFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

} // namespace

TStatusPanel::TStatusPanel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    InstallFactory();
    // A name of its own keeps the label's text changes from renaming it.
    FAnnounced = text.trimmed();
    setAccessibleName(FAnnounced.isEmpty() ? QStringLiteral("Status") : FAnnounced);
}

void TStatusPanel::Announce(const QString &text)
{
    setText(text);
    Tell(text);
}

void TStatusPanel::Tell(const QString &spoken)
{
    const QString said = spoken.trimmed();
    // Only a change is news: the same state again (a run's status renewed
    // between its word positions) stays quiet. Nothing to say says nothing.
    if (said.isEmpty() || said == FAnnounced)
        return;
    FAnnounced = said;
    setAccessibleName(said); // sends the new name
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&event);
}

TStatusBar::TStatusBar(QWidget *parent) : QWidget(parent)
{
    InstallFactory();
}
