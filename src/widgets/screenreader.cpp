#include "widgets/screenreader.h"

#include "widgets/qmform.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

// A list box: Qt names it on Linux by its current item and leaves its label to
// a relation; screen readers then say the item twice and the label not at all.
// Its item is its text, so a reader finds the value there and hears each new
// item as the text changing.
class NamedComboBox : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit NamedComboBox(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
        QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                         [combo, shown = combo->currentText()](const QString &now) mutable {
                             if (QAccessible::isActive()) {
                                 QAccessibleTextUpdateEvent changed(combo, 0, shown, now);
                                 QAccessible::updateAccessibility(&changed);
                             }
                             shown = now;
                         });
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The text: the item shown, read only.
    QString text(int start, int end) const override { return Value().mid(start, end - start); }
    int characterCount() const override { return int(Value().size()); }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            if (!widget()->accessibleName().isEmpty())
                return widget()->accessibleName();
            return LabelText();
        case QAccessible::Value:
            return Value();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        s.editable = combo()->isEditable();
        return s;
    }

    // The drop-down list, and the line of an editable box.
    int childCount() const override { return combo()->isEditable() ? 2 : 1; }

    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (child->object() == combo()->view())
            return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            combo()->showPopup();
    }

private:
    QString Value() const { return combo()->isEditable() ? combo()->lineEdit()->text() : combo()->currentText(); }

    QString LabelText() const
    {
        for (const QLabel *label : combo()->window()->findChildren<QLabel *>()) {
            if (label->buddy() == combo())
                return screenreader::NameFromLabel(label->text());
        }
        return {};
    }
};

// A page of a tabbed dialog, named by its tab: entering it, a screen reader
// says which page the control is on.
class TabPage : public QAccessibleWidget
{
public:
    TabPage(QWidget *page, QTabWidget *tabs) : QAccessibleWidget(page, QAccessible::PageTab), FTabs(tabs) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && FTabs)
            return screenreader::NameFromLabel(FTabs->tabText(FTabs->indexOf(widget())));
        return QAccessibleWidget::text(t);
    }

private:
    QPointer<QTabWidget> FTabs;
};

QTabWidget *TabsOfPage(QObject *object)
{
    QObject *stack = object->parent();
    if (!qobject_cast<QStackedWidget *>(stack))
        return nullptr;
    return qobject_cast<QTabWidget *>(stack->parent());
}

// Set on a label that explains a control (see HintsFor).
constexpr char kHintProperty[] = "loqaHint";

// Such a label: a note that reads as its text.
class HintNote : public QAccessibleWidget
{
public:
    explicit HintNote(QLabel *label) : QAccessibleWidget(label, QAccessible::Note) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<QLabel *>(widget())->text().simplified();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *Factory(const QString &key, QObject *object)
{
    if (key == QLatin1String("TQMForm")) {
        // A skinned window is a frame or a dialog by its kind, whatever its class.
        auto *form = static_cast<TQMForm *>(object);
        return new QAccessibleWidget(form,
                                     form->windowType() == Qt::Window ? QAccessible::Window : QAccessible::Dialog);
    }
    if (key == QLatin1String("QLabel") && object->property(kHintProperty).toBool())
        return new HintNote(static_cast<QLabel *>(object));
    if (key == QLatin1String("QComboBox"))
        return new NamedComboBox(static_cast<QComboBox *>(object));
    if (key == QLatin1String("QStackedWidget")) // only the page shown matters, and it says so itself
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Pane);
    if (key == QLatin1String("QWidget")) {
        if (QTabWidget *tabs = TabsOfPage(object))
            return new TabPage(static_cast<QWidget *>(object), tabs);
    }
    return nullptr;
}

// Tab into a field leaves its text as it is: no selection to be announced,
// and none to be announced as gone when the field is left.
class QuietFocus : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason && reason != Qt::ShortcutFocusReason)
            return false;
        if (!qobject_cast<QLineEdit *>(watched) && !qobject_cast<QAbstractSpinBox *>(watched))
            return false;
        QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
        QCoreApplication::sendEvent(watched, &plain);
        return true;
    }
};

} // namespace

namespace screenreader {

void Install()
{
    static bool installed = false;
    if (installed || !qApp)
        return;
    installed = true;
    QAccessible::installFactory(Factory);
    qApp->installEventFilter(new QuietFocus(qApp));
}

void HintsFor(QWidget *control, const QList<QLabel *> &hints)
{
    QStringList text;
    for (QLabel *hint : hints) {
        hint->setProperty(kHintProperty, true);
        // Told of already, as its text was set: it is made anew as a note.
        if (QAccessibleInterface *told = QAccessible::queryAccessibleInterface(hint))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(told));
        text << hint->text().simplified();
    }
    control->setAccessibleDescription(text.join(QLatin1Char(' ')));
}

QString NameFromLabel(const QString &caption)
{
    QString name;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && ++i == caption.size())
            break;
        name += caption.at(i);
    }
    name = name.trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}

} // namespace screenreader
