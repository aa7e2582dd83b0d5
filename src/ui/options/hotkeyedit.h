#pragma once

#include <QLineEdit>

// The field a shortcut is typed into: it shows the chord pressed in the
// program's own shortcut text ("Ctrl+Alt+F2"). A plain key or a Shift-only
// chord is no shortcut and clears the field (Tab, Enter and Esc alone keep
// their usual meaning in the dialog). Only keys fill it: dropped text and the
// middle-button paste of the X selection are refused.
class THotKeyEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit THotKeyEdit(QWidget *parent = nullptr);

    // The shortcut text, empty for none.
    QString Shortcut() const { return text(); }
    void SetShortcut(const QString &shortcut);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
