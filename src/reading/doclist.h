#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The rules of the open-document list: one full path per tab, in tab order.
// Paths are kept as given and compared exactly (file names differ by case here).
namespace loqa::docs {

// A tab shows the file name without folder and extension.
QString TabCaption(const QString &path);

// A file `name` in a folder setting: the folder as written, with a '/' between
// them when it has none of its own (a hand-written "/home/me/ro"). An empty
// folder leaves the name alone.
QString InFolder(const QString &folder, const QString &name);

// DefTxtPath + "untitled.txt": what an emptied list holds.
QString PlaceholderPath(const QString &defTxtPath);

// The first DefTxtPath + "untitled<n>.txt", n from 1, for which `exists` is false.
QString NewDocumentName(const QString &defTxtPath, const std::function<bool(const QString &)> &exists);

// Appends the path unless it is in the list already; true when it was added.
bool AddDocument(QStringList &list, const QString &path);

// After the document at `current` was saved as `chosen`: a path not in the list
// replaces the current entry in place; one that is (the document's own path or
// another tab's) moves the document to the end, leaving one entry for it.
// Returns the document's new index.
int SaveAsUpdate(QStringList &list, int current, const QString &chosen);

// Removes the entry; an emptied list gets the placeholder. Returns the index to
// select: the same place when a tab is left there, else the first.
int CloseDocument(QStringList &list, int index, const QString &placeholder);

enum class Move { First, Prev, Next, Last };
// Exchanges the entry with its target place. Returns the new index, or -1 when
// the move is not possible from there.
int MoveDocument(QStringList &list, int index, Move move);

struct Navigation {
    bool moveFirst = false, movePrev = false, moveNext = false, moveLast = false;
    bool prev = false, next = false;
};
// What the Move, Prev and Next commands allow with this document shown.
Navigation NavigationFor(int playIndex, int count, bool repeat);

// Text files and the documents a reader opens (PDF, EPUB, ...) join the list when
// dropped on the window.
bool IsDroppableDocument(const QString &path);

// A plain text file, opened and saved as it is; anything else is a document
// whose text is read out of it and which is never written.
bool IsTextDocument(const QString &path);
// Where the text of a document that is not plain text is saved by default: its
// name with ".txt" in the text folder.
QString TextSaveName(const QString &defTxtPath, const QString &document);
// A name chosen to save text under, made a text file's: a name a reader would
// take for another format ("notes.pdf") gets ".txt" added.
QString TextOnlyName(const QString &chosen);
// The Open dialog's filters: text files first, then every supported format,
// then each format, then all files.
QString OpenFilter();

} // namespace loqa::docs
