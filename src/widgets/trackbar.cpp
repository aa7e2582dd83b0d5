#include "widgets/trackbar.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <algorithm>
#include <cmath>

namespace {

class TrackBarInterface : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit TrackBarInterface(TTrackBar *bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    TTrackBar *bar() const { return static_cast<TTrackBar *>(widget()); }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QStringLiteral("%1%").arg(percent());
        return QAccessibleWidget::text(t);
    }

    QVariant currentValue() const override { return percent(); }
    void setCurrentValue(const QVariant &value) override
    {
        bar()->setValue(TTrackBar::PositionFor(value.toDouble(), bar()->minimum(), bar()->maximum()));
    }
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    int percent() const { return TTrackBar::Percent(bar()->value(), bar()->minimum(), bar()->maximum()); }
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TTrackBar"))
        return new TrackBarInterface(static_cast<TTrackBar *>(object));
    return nullptr;
}

} // namespace

TTrackBar::TTrackBar(Qt::Orientation orientation, QWidget *parent) : QSlider(orientation, parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

int TTrackBar::Percent(int position, int minimum, int maximum)
{
    if (maximum <= minimum)
        return 0;
    return int((qint64(position) - minimum) * 100 / (qint64(maximum) - minimum));
}

int TTrackBar::PositionFor(double percent, int minimum, int maximum)
{
    const double clamped = std::clamp(percent, 0.0, 100.0);
    return minimum + int(std::lround(clamped * (double(maximum) - minimum) / 100.0));
}
