#pragma once

#include <QDialog>
#include <QTextDocument>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

// The find and replace dialogs people know, on one editor: non-modal, "Find
// what", "Replace with", match case, whole word, up or down, Find Next,
// Replace, Replace All. The search runs in the editor's own document (no copy
// of its text), from the cursor on. The last search is kept for Find First and
// Find Next while the dialog is closed.
class TFindDialog : public QDialog
{
    Q_OBJECT
public:
    enum Mode { Find, Replace };

    explicit TFindDialog(QPlainTextEdit *editor, QWidget *parent = nullptr);
    ~TFindDialog() override;

    // Opens (or brings forward) the dialog, "Find what" preset with the
    // editor's selection when it lies on one line, else with the last text.
    void showFind();
    void showReplace();
    Mode mode() const { return FMode; }

    // True once a search has been made: Find First and Find Next can repeat it.
    bool hasSearch() const { return !FLastText.isEmpty(); }
    QString searchText() const { return FLastText; }

    // The last search again from the cursor, in its direction. False (and the
    // user is told) when nothing more is found.
    bool findNext();
    // The last search from the start of the document.
    bool findFirst();
    // Replaces the selection when it is a match, then selects the next match.
    bool replaceNext();
    // Replaces every match in the document as one undoable step; the count.
    int replaceAll();

    // The text told when a search finds nothing.
    static QString NotFoundText(const QString &what);

signals:
    // A search was made (the commands that repeat it can be enabled).
    void searched();

private:
    void openAs(Mode mode);
    void setMode(Mode mode);
    void takeSearch();
    QTextDocument::FindFlags flags(bool backward) const;
    bool search(int from, bool backward);
    void notFound();
    void updateButtons();

    QPlainTextEdit *FEditor;
    Mode FMode = Find;
    QString FLastText;
    bool FLastCase = false, FLastWhole = false, FLastUp = false;

    QLineEdit *FindWhat;
    QLabel *ReplaceLabel;
    QLineEdit *ReplaceWith;
    QCheckBox *MatchCase;
    QCheckBox *WholeWord;
    QGroupBox *Direction;
    QRadioButton *Up;
    QRadioButton *Down;
    QPushButton *FindNextButton;
    QPushButton *ReplaceButton;
    QPushButton *ReplaceAllButton;
    QPushButton *CancelButton;
};
