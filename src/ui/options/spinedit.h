#pragma once

#include <QSpinBox>

// A number field that takes any whole number as it is typed and clamps it to
// its bounds when the user leaves the field (a text that is no number counts
// as 0, clamped too). A plain spin box would refuse the keys or go back to
// the value it had.
class TSpinEdit : public QSpinBox
{
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget *parent = nullptr);

signals:
    // The user typed into the field and left it (or it closed): `value` is the
    // number it holds now, within its bounds, whether or not it changed.
    void Left(int value);

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    void fixup(QString &text) const override;
    void hideEvent(QHideEvent *event) override;

private:
    void Leave();

    bool FTyped = false;
};
