// The main window's documents: one tab per path of DocumentList over one editor.
#include "ui/main/converter.h"
#include "widgets/statuspanel.h"

#include "reading/doclist.h"
#include "text/documentfile.h"
#include "settings/global.h"
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
    for (const QString &path : DocumentList) {
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
    if (index < 0 || index >= DocumentList.size()) {
        // No documents: nothing to show, and the document commands have nothing to act on.
        Memo1->clear();
        for (ActionIndex a : {ActionFileSave, ActionFileSaveAs, ActionFileClose, ActionFileMoveFirst,
                              ActionFileMovePrev, ActionFileMoveNext, ActionFileMoveLast, ActionPrev, ActionNext})
            action(a)->setEnabled(false);
        return;
    }
    PlayIndex = index;
    action(ActionFileSave)->setEnabled(true);
    action(ActionFileSaveAs)->setEnabled(true);
    action(ActionFileClose)->setEnabled(true);
    UpdateNavigation();

    const QString path = DocumentList.at(PlayIndex);
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
    Reading->DocumentShown(); // a whole-document run moves on to this one
    UpdateStatus();
    PanelStatus->setText(DocumentStatusText(path, FileSizeText(path)));
}

void TFormCvt::UpdateNavigation()
{
    const docs::Navigation nav = docs::NavigationFor(TabControl1->currentIndex(), int(DocumentList.size()), Repeat);
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
    if (DocumentList.isEmpty()) {
        ShowCurrentDocument();
        return;
    }
    if (PlayIndex < 0 || PlayIndex >= DocumentList.size())
        PlayIndex = 0;
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(PlayIndex);
    FSilentTabs = false;
    ShowCurrentDocument();
}

bool TFormCvt::ActionFileNewExecute()
{
    QDir().mkpath(DefTxtPath);
    const QString name = docs::NewDocumentName(DefTxtPath, [](const QString &p) { return QFileInfo::exists(p); });
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
    docs::AddDocument(DocumentList, name);
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
    QDir().mkpath(DefTxtPath);
    const QStringList files = QFileDialog::getOpenFileNames(this, QStringLiteral("Open File(s) to Read"), DefTxtPath,
                                                            QString::fromLatin1(kTextFilter));
    if (files.isEmpty())
        return;
    const bool wasEmpty = DocumentList.isEmpty();
    bool added = false;
    for (const QString &file : files)
        added |= docs::AddDocument(DocumentList, absolute(file));
    if (!added)
        return; // all of them open already: the shown document and its edits stay
    RebuildTabs();
    if (wasEmpty) // nothing was shown before: show what came
        ShowCurrentDocument();
}

void TFormCvt::ActionFileSaveExecute()
{
    const int index = TabControl1->currentIndex();
    if (index < 0 || index >= DocumentList.size())
        return;
    SaveMemoTo(DocumentList.at(index));
}

void TFormCvt::ActionFileSaveAsExecute()
{
    const int index = TabControl1->currentIndex();
    if (index < 0 || index >= DocumentList.size())
        return;
    QFileDialog dialog(this, QStringLiteral("Save As"), DefTxtPath, QString::fromLatin1(kTextFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.selectFile(DocumentList.at(index));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = absolute(dialog.selectedFiles().first());
    if (!SaveMemoTo(chosen))
        return; // the list stays as it was
    const int at = docs::SaveAsUpdate(DocumentList, index, chosen);
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(at);
    FSilentTabs = false;
    PlayIndex = at;
    PanelStatus->Announce(QStringLiteral(" Saved"));
}

void TFormCvt::ActionFileCloseExecute()
{
    const int index = TabControl1->currentIndex();
    if (index < 0)
        return;
    const int select = docs::CloseDocument(DocumentList, index, docs::PlaceholderPath(DefTxtPath));
    RebuildTabs();
    FSilentTabs = true;
    TabControl1->setCurrentIndex(std::min(select, TabControl1->count() - 1));
    FSilentTabs = false;
    ShowCurrentDocument();
}

void TFormCvt::ActionFileCloseAllExecute()
{
    DocumentList.clear();
    DocumentList.append(docs::PlaceholderPath(DefTxtPath));
    RebuildTabs();
    ShowCurrentDocument();
}

void TFormCvt::MoveExecute(int move)
{
    const int target = docs::MoveDocument(DocumentList, TabControl1->currentIndex(), docs::Move(move));
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
    auto document = std::make_unique<DocumentFile>();
    if (!document->load(path))
        return false;
    Memo1->setPlainText(document->takeText());
    FDocument = std::move(document);
    return true;
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
            changed |= docs::AddDocument(DocumentList, absolute(path));
    }
    if (!changed)
        return;
    const bool wasEmpty = TabControl1->count() == 0;
    RebuildTabs();
    if (wasEmpty)
        ShowCurrentDocument();
}
