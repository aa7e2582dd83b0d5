// The main window's documents: one tab per path of DocumentList over one editor.
#include "ui/main/converter.h"
#include "widgets/statuspanel.h"

#include "reading/doclist.h"
#include "document/documentloader.h"
#include "text/documentfile.h"
#include "speech/mspeech.h"
#include "platform/apppath.h"
#include "platform/qmutils.h"
#include "widgets/tabstrip.h"
#include "ui/main/uitexts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>

using namespace loqa;

namespace {

const char *const kWelcome = "Welcome to Loquora!";
const char *const kTextFilter = "Text Files(*.txt);;All Files(*.*)";

doc::Options DocumentOptions(const DocumentSettings &settings)
{
    doc::Options options;
    options.cleaning.joinHyphenated = settings.JoinHyphenated;
    options.cleaning.joinLines = settings.JoinLines;
    options.cleaning.dropRepeated = settings.DropRepeated;
    options.cleaning.plainLetters = settings.PlainLetters;
    return options;
}

QString absolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

int TFormCvt::CurrentIndex() const
{
    return TabControl1->currentIndex();
}

void TFormCvt::RebuildTabs()
{
    FSilentTabs = true;
    const int remembered = TabControl1->currentIndex();
    TabControl1->clear();
    for (const QString &path : FSettings.lists.DocumentList) {
        const int tab = TabControl1->addTab(docs::TabCaption(path));
        TabControl1->setTabToolTip(tab, path);
    }
    if (remembered >= 0 && remembered < TabControl1->count())
        TabControl1->setCurrentIndex(remembered);
    else if (TabControl1->count() > 0)
        TabControl1->setCurrentIndex(0);
    FSilentTabs = false;
}

void TFormCvt::ShowCurrentDocument()
{
    const int index = TabControl1->currentIndex();
    if (index < 0 || index >= FSettings.lists.DocumentList.size()) {
        // No documents: nothing to show, and the document commands have nothing to act on.
        Memo1->clear();
        for (ActionIndex a : {ActionFileSave, ActionFileSaveAs, ActionFileClose, ActionFileMoveFirst,
                              ActionFileMovePrev, ActionFileMoveNext, ActionFileMoveLast, ActionPrev, ActionNext})
            action(a)->setEnabled(false);
        return;
    }
    FSettings.automatic.PlayIndex = index;
    action(ActionFileSave)->setEnabled(true);
    action(ActionFileSaveAs)->setEnabled(true);
    action(ActionFileClose)->setEnabled(true);
    UpdateNavigation();

    const QString path = FSettings.lists.DocumentList.at(FSettings.automatic.PlayIndex);
    if (!LoadDocument(path)) {
        // The file vanished or cannot be read: it is made anew with the welcome text.
        Memo1->setPlainText(QString::fromLatin1(kWelcome));
        FDocument = std::make_unique<DocumentFile>();
        QString error;
        if (!FDocument->createWelcome(path, &error)) {
            ShowError(error);
            return;
        }
    }
    if (!FLoading)
        Reading->DocumentShown(); // a whole-document run moves on to this one (a document being read: once it is)
    UpdateStatus();
    PanelStatus->setText(DocumentStatusText(path, FileSizeText(path)));
}

void TFormCvt::UpdateNavigation()
{
    const docs::Navigation nav = docs::NavigationFor(
        TabControl1->currentIndex(), int(FSettings.lists.DocumentList.size()), FSettings.general.Repeat);
    const bool free = !Reading->Converting();
    action(ActionFileMoveFirst)->setEnabled(nav.moveFirst);
    action(ActionFileMovePrev)->setEnabled(nav.movePrev);
    action(ActionFileMoveNext)->setEnabled(nav.moveNext);
    action(ActionFileMoveLast)->setEnabled(nav.moveLast);
    action(ActionPrev)->setEnabled(nav.prev && free);
    action(ActionNext)->setEnabled(nav.next && free);
}

void TFormCvt::RestoreTabs()
{
    if (FSettings.lists.DocumentList.isEmpty()) {
        ShowCurrentDocument();
        return;
    }
    if (FSettings.automatic.PlayIndex < 0 || FSettings.automatic.PlayIndex >= FSettings.lists.DocumentList.size())
        FSettings.automatic.PlayIndex = 0;
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(FSettings.automatic.PlayIndex);
    FSilentTabs = false;
    ShowCurrentDocument();
}

bool TFormCvt::ActionFileNewExecute()
{
    QDir().mkpath(FSettings.convert.DefTxtPath);
    const QString name =
        docs::NewDocumentName(FSettings.convert.DefTxtPath, [](const QString &p) { return QFileInfo::exists(p); });
    // The shown document, its editor and how it is stored stay as they are
    // until the new file exists.
    auto document = std::make_unique<DocumentFile>();
    QString error;
    if (!document->createEmpty(name, &error)) {
        ShowError(error);
        return false;
    }
    FDocument = std::move(document);
    Memo1->clear();
    docs::AddDocument(FSettings.lists.DocumentList, name);
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(TabControl1->count() - 1);
    FSilentTabs = false;
    // The status line stays as it was; the new document is told.
    PanelStatus->Tell(TabControl1->tabText(TabControl1->currentIndex()));
    return true;
}

void TFormCvt::ActionFileOpenExecute()
{
    QDir().mkpath(FSettings.convert.DefTxtPath);
    // Every format a reader opens is shown at first, text files among them.
    const QString filters = docs::OpenFilter();
    QString shown = filters.section(QStringLiteral(";;"), 1, 1);
    const QStringList files = QFileDialog::getOpenFileNames(this, QStringLiteral("Open File(s) to Read"),
                                                            FSettings.convert.DefTxtPath, filters, &shown);
    if (files.isEmpty())
        return;
    const bool wasEmpty = FSettings.lists.DocumentList.isEmpty();
    bool added = false;
    for (const QString &file : files)
        added |= docs::AddDocument(FSettings.lists.DocumentList, absolute(file));
    if (!added)
        return; // all of them open already: the shown document and its edits stay
    RebuildTabs();
    if (wasEmpty) // nothing was shown before: show what came
        ShowCurrentDocument();
}

void TFormCvt::ActionFileSaveExecute()
{
    const int index = TabControl1->currentIndex();
    if (index < 0 || index >= FSettings.lists.DocumentList.size())
        return;
    // A PDF, an e-book or an Office file is never written: its text is saved as a text file.
    if (!docs::IsTextDocument(FSettings.lists.DocumentList.at(index))) {
        ActionFileSaveAsExecute();
        return;
    }
    SaveMemoTo(FSettings.lists.DocumentList.at(index));
}

void TFormCvt::ActionFileSaveAsExecute()
{
    const int index = TabControl1->currentIndex();
    if (index < 0 || index >= FSettings.lists.DocumentList.size())
        return;
    const QString current = FSettings.lists.DocumentList.at(index);
    if (FLoading) {
        ShowError(
            QStringLiteral("%1 is still being opened: its text can be saved once all of it is shown").arg(current));
        return;
    }
    QFileDialog dialog(this, QStringLiteral("Save As"), FSettings.convert.DefTxtPath, QString::fromLatin1(kTextFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(docs::IsTextDocument(current) ? current
                                                    : docs::TextSaveName(FSettings.convert.DefTxtPath, current));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // Text never goes into a file another format's reader would open.
    const QString chosen = docs::TextOnlyName(absolute(dialog.selectedFiles().first()));
    if (!SaveMemoTo(chosen))
        return; // the list stays as it was
    const int at = docs::SaveAsUpdate(FSettings.lists.DocumentList, index, chosen);
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(at);
    FSilentTabs = false;
    FSettings.automatic.PlayIndex = at;
    PanelStatus->Announce(QStringLiteral(" Saved"));
}

void TFormCvt::ActionFileCloseExecute()
{
    const int index = TabControl1->currentIndex();
    if (index < 0)
        return;
    const int select =
        docs::CloseDocument(FSettings.lists.DocumentList, index, docs::PlaceholderPath(FSettings.convert.DefTxtPath));
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(std::min(select, TabControl1->count() - 1));
    FSilentTabs = false;
    ShowCurrentDocument();
}

void TFormCvt::ActionFileCloseAllExecute()
{
    FSettings.lists.DocumentList.clear();
    FSettings.lists.DocumentList.append(docs::PlaceholderPath(FSettings.convert.DefTxtPath));
    RebuildTabs();
    ShowCurrentDocument();
}

void TFormCvt::MoveExecute(int move)
{
    const int target = docs::MoveDocument(FSettings.lists.DocumentList, TabControl1->currentIndex(), docs::Move(move));
    if (target < 0)
        return;
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(target);
    FSilentTabs = false;
    ShowCurrentDocument();
}

void TFormCvt::TabMouseUp(int tab)
{
    if (tab < 0)
        return;
    if (tab != TabControl1->currentIndex())
        TabControl1->setCurrentIndex(tab); // shows the document
    PopupMenuTab->popup(QCursor::pos());
}

bool TFormCvt::LoadDocument(const QString &path)
{
    FLoader.reset();
    FLoading = false;
    FChapters.clear();
    if (!docs::IsTextDocument(path)) {
        StartDocumentLoad(path);
        return true; // a file that cannot be read is told, and never made anew
    }
    auto document = std::make_unique<DocumentFile>();
    if (!document->load(path))
        return false;
    Memo1->setPlainText(document->takeText());
    FDocument = std::move(document);
    return true;
}

void TFormCvt::StartDocumentLoad(const QString &path)
{
    Memo1->clear();
    // Its text is saved, when it is, as a new UTF-8 text file.
    FDocument = std::make_unique<DocumentFile>();
    FLoading = true;
    Memo1->document()->setUndoRedoEnabled(false); // the text coming in is not an edit to undo
    FLoader = std::make_unique<doc::DocumentLoader>(path, DocumentOptions(FSettings.documents));
    connect(FLoader.get(), &doc::DocumentLoader::textArrived, this, [this](const QString &piece) {
        QTextCursor end(Memo1->document());
        end.movePosition(QTextCursor::End);
        end.insertText(piece);
    });
    connect(FLoader.get(), &doc::DocumentLoader::finished, this, [this](const QList<doc::Chapter> &chapters) {
        FChapters = chapters;
        DocumentLoadEnded();
    });
    connect(FLoader.get(), &doc::DocumentLoader::failed, this, [this](const QString &error) {
        Memo1->clear(); // what came before the failure is not the document
        DocumentLoadEnded();
        ShowError(error);
    });
    FLoader->start();
}

void TFormCvt::DocumentLoadEnded()
{
    FLoading = false;
    Memo1->document()->setUndoRedoEnabled(true);
    Reading->DocumentShown();
}

bool TFormCvt::SaveMemoTo(const QString &path)
{
    if (!FDocument)
        FDocument = std::make_unique<DocumentFile>();
    QString error, notice;
    // The raw text: the editor's own line breaks and spaces, exactly as they are.
    if (!FDocument->save(path, Memo1->document()->toRawText(), &error, &notice)) {
        ShowError(error);
        return false;
    }
    if (!notice.isEmpty())
        QMessageBox::information(this, ApplicationTitle(), notice);
    return true;
}

void TFormCvt::DropFiles(const QStringList &paths)
{
    bool changed = false;
    for (const QString &path : paths) {
        if (docs::IsDroppableDocument(path) && QFileInfo(path).isFile())
            changed |= docs::AddDocument(FSettings.lists.DocumentList, absolute(path));
    }
    if (!changed)
        return;
    const bool wasEmpty = TabControl1->count() == 0;
    RebuildTabs();
    if (wasEmpty)
        ShowCurrentDocument();
}
