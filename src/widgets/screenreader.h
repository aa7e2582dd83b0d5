#pragma once

#include <QList>
#include <QString>

class QLabel;
class QWidget;

// What Loquora's windows tell assistive tools beyond Qt's own interfaces:
// a main window is a frame (the skinned form is a dialog underneath), a list
// box is named by its label and valued by its item, the pages of a tabbed
// dialog are named by their tabs and the stack holding them is not announced,
// and a field entered with Tab keeps its text unselected, so nothing is read
// as "selected" on entering it nor "unselected" on leaving it.
namespace screenreader {

// Makes Qt's accessibility ask this file first, and installs the focus rule;
// safe to call often.
void Install();

// Labels that explain `control` rather than name it: their text becomes the
// control's description, spoken with it, and they are notes to assistive tools,
// not loose labels a screen reader reads out on opening the window.
void HintsFor(QWidget *control, const QList<QLabel *> &hints);

// A label's caption as the name of the control it labels: without the
// mnemonic's marker, the closing colon and the blanks around.
QString NameFromLabel(const QString &caption);

} // namespace screenreader
