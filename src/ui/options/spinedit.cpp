#include "ui/options/spinedit.h"

#include "ui/options/optionrules.h"

#include <QLineEdit>

using namespace loqa;

TSpinEdit::TSpinEdit(QWidget *parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { FTyped = true; });
    // Sent when the field loses the focus and when Enter is pressed in it.
    connect(this, &QAbstractSpinBox::editingFinished, this, &TSpinEdit::Leave);
}

QValidator::State TSpinEdit::validate(QString &text, int &pos) const
{
    const QValidator::State state = QSpinBox::validate(text, pos);
    if (state != QValidator::Invalid)
        return state;
    // A whole number outside the bounds may stand while it is typed.
    bool number = false;
    text.trimmed().toLongLong(&number);
    return number ? QValidator::Intermediate : QValidator::Invalid;
}

void TSpinEdit::fixup(QString &text) const
{
    text = QString::number(ClampTypedNumber(text, minimum(), maximum()));
}

void TSpinEdit::hideEvent(QHideEvent *event)
{
    // A dialog closed from the field, by Enter or its frame, takes the number too.
    QSpinBox::hideEvent(event);
    Leave();
}

void TSpinEdit::Leave()
{
    if (!FTyped)
        return;
    FTyped = false;
    emit Left(value());
}
