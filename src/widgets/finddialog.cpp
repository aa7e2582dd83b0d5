#include "widgets/finddialog.h"

#include "platform/apppath.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QPlainTextEdit *editor, QWidget *parent) : QDialog(parent), FEditor(editor)
{
    setObjectName(QStringLiteral("FindDialog"));
    setModal(false);
    setSizeGripEnabled(false);

    auto *whatLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    FindWhat = new QLineEdit(this);
    FindWhat->setObjectName(QStringLiteral("FindWhat"));
    whatLabel->setBuddy(FindWhat);
    ReplaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    ReplaceWith = new QLineEdit(this);
    ReplaceWith->setObjectName(QStringLiteral("ReplaceWith"));
    ReplaceLabel->setBuddy(ReplaceWith);
    MatchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    WholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    Direction = new QGroupBox(QStringLiteral("Direction"), this);
    Up = new QRadioButton(QStringLiteral("&Up"), Direction);
    Down = new QRadioButton(QStringLiteral("&Down"), Direction);
    Down->setChecked(true);
    auto *directions = new QHBoxLayout(Direction);
    directions->addWidget(Up);
    directions->addWidget(Down);

    FindNextButton = new QPushButton(QStringLiteral("&Find Next"), this);
    FindNextButton->setDefault(true);
    ReplaceButton = new QPushButton(QStringLiteral("&Replace"), this);
    ReplaceAllButton = new QPushButton(QStringLiteral("Replace &All"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);

    auto *fields = new QGridLayout;
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(FindWhat, 0, 1);
    fields->addWidget(ReplaceLabel, 1, 0);
    fields->addWidget(ReplaceWith, 1, 1);
    auto *options = new QHBoxLayout;
    auto *checks = new QVBoxLayout;
    checks->addWidget(WholeWord);
    checks->addWidget(MatchCase);
    checks->addStretch(1);
    options->addLayout(checks);
    options->addWidget(Direction);
    auto *left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch(1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(FindNextButton);
    buttons->addWidget(ReplaceButton);
    buttons->addWidget(ReplaceAllButton);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    auto *all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addLayout(buttons);

    connect(FindWhat, &QLineEdit::textChanged, this, &TFindDialog::updateButtons);
    connect(FindNextButton, &QPushButton::clicked, this, [this] {
        takeSearch();
        findNext();
    });
    connect(ReplaceButton, &QPushButton::clicked, this, [this] {
        takeSearch();
        replaceNext();
    });
    connect(ReplaceAllButton, &QPushButton::clicked, this, [this] {
        takeSearch();
        replaceAll();
    });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    setMode(Find);
    updateButtons();
}

TFindDialog::~TFindDialog() = default;

QString TFindDialog::NotFoundText(const QString &what)
{
    return QStringLiteral("Cannot find \"%1\"").arg(what);
}

void TFindDialog::showFind()
{
    openAs(Find);
}

void TFindDialog::showReplace()
{
    openAs(Replace);
}

void TFindDialog::openAs(Mode mode)
{
    const QTextCursor at = FEditor->textCursor();
    const QString selected = at.selectedText();
    // A selection on one line is what the user wants to find (U+2029 ends a paragraph).
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        FindWhat->setText(selected);
    else if (FindWhat->text().isEmpty())
        FindWhat->setText(FLastText);
    setMode(mode);
    show();
    adjustSize(); // to the fields this mode shows
    raise();
    activateWindow();
    FindWhat->selectAll();
    FindWhat->setFocus();
}

void TFindDialog::setMode(Mode mode)
{
    FMode = mode;
    const bool replace = mode == Replace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    ReplaceLabel->setVisible(replace);
    ReplaceWith->setVisible(replace);
    ReplaceButton->setVisible(replace);
    ReplaceAllButton->setVisible(replace);
    Direction->setVisible(!replace); // replacing always runs down the document
}

void TFindDialog::updateButtons()
{
    const bool any = !FindWhat->text().isEmpty();
    FindNextButton->setEnabled(any);
    ReplaceButton->setEnabled(any);
    ReplaceAllButton->setEnabled(any);
}

void TFindDialog::takeSearch()
{
    FLastText = FindWhat->text();
    FLastCase = MatchCase->isChecked();
    FLastWhole = WholeWord->isChecked();
    FLastUp = FMode == Find && Up->isChecked();
}

QTextDocument::FindFlags TFindDialog::flags(bool backward) const
{
    QTextDocument::FindFlags f;
    if (FLastCase)
        f |= QTextDocument::FindCaseSensitively;
    if (FLastWhole)
        f |= QTextDocument::FindWholeWords;
    if (backward)
        f |= QTextDocument::FindBackward;
    return f;
}

bool TFindDialog::search(int from, bool backward)
{
    if (FLastText.isEmpty())
        return false;
    const QTextCursor found = FEditor->document()->find(FLastText, from, flags(backward));
    emit searched();
    if (found.isNull()) {
        notFound();
        return false;
    }
    FEditor->setTextCursor(found);
    FEditor->ensureCursorVisible();
    // Back in the editor's window, the user types over the match.
    FEditor->setFocus(Qt::OtherFocusReason);
    return true;
}

void TFindDialog::notFound()
{
    QMessageBox::information(isVisible() ? static_cast<QWidget *>(this) : parentWidget(), loqa::ApplicationTitle(),
                             NotFoundText(FLastText));
}

bool TFindDialog::findNext()
{
    const QTextCursor at = FEditor->textCursor();
    // Down: after the selection; up: before it.
    return search(FLastUp ? at.selectionStart() : at.selectionEnd(), FLastUp);
}

bool TFindDialog::findFirst()
{
    return search(0, false);
}

bool TFindDialog::replaceNext()
{
    if (FLastText.isEmpty())
        return false;
    QTextCursor selection = FEditor->textCursor();
    if (selection.hasSelection()) {
        const QTextCursor match = FEditor->document()->find(FLastText, selection.selectionStart(), flags(false));
        if (!match.isNull() && match.selectionStart() == selection.selectionStart() &&
            match.selectionEnd() == selection.selectionEnd()) {
            selection.insertText(ReplaceWith->text());
            FEditor->setTextCursor(selection);
        }
    }
    return search(FEditor->textCursor().selectionEnd(), false);
}

int TFindDialog::replaceAll()
{
    if (FLastText.isEmpty())
        return 0;
    QTextDocument *document = FEditor->document();
    const QString with = ReplaceWith->text();
    const QTextDocument::FindFlags f = flags(false);
    int replaced = 0;
    QTextCursor edit(document);
    edit.beginEditBlock();
    QTextCursor found = document->find(FLastText, 0, f);
    QTextCursor last;
    while (!found.isNull()) {
        found.insertText(with);
        ++replaced;
        last = found;
        found = document->find(FLastText, found.position(), f);
    }
    edit.endEditBlock();
    emit searched();
    if (replaced == 0) {
        notFound();
        return 0;
    }
    FEditor->setTextCursor(last);
    FEditor->ensureCursorVisible();
    return replaced;
}
