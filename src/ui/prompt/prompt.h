#pragma once

#include "widgets/qmform.h"
#include "settings/settings.h"

class QLabel;
class QPushButton;
class QTimer;

// The small question shown when text was copied: read it now, keep it as a new
// document, append it to the current one, or leave it. Unanswered, it closes
// after PromptDelay seconds with DefAction; so does its close button.
class TQMFormPrompt : public TQMForm
{
    Q_OBJECT
public:
    // DefAction and PromptDelay come from `clipboard` as it is shown.
    explicit TQMFormPrompt(const loqa::ClipboardSettings &clipboard, QWidget *parent = nullptr);

    // The clipboard choice (0 read now, 1 new, 2 append, 3 cancel).
    int Choice = 0;

    QPushButton *BitBtnRead;
    QLabel *Label1;
    QPushButton *ButtonNew;
    QPushButton *ButtonAppend;
    QPushButton *ButtonCancel;
    QTimer *Timer1;

protected:
    void FormShow() override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    const loqa::ClipboardSettings &FClipboard;
    void ChooseAndClose(int choice);
    void Timer1Timer();
    QPushButton *ButtonFor(int choice) const;
};

// Asks the user what to do with copied text; waits for the answer (or the
// timeout) and returns the clipboard choice.
int PromptClipboardAction(const loqa::ClipboardSettings &clipboard);
