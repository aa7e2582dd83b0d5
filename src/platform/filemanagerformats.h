#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The files the file-manager commands consist of, and the quoting each format
// asks for. Plain functions, so the formats can be checked without a desktop.
namespace loqa {

// One of the three commands: its menu text, its switch and the stem of its files.
struct FileManagerVerb {
    const char *name;   // "Read Aloud"
    const char *option; // "/tts"
    const char *stem;   // "read-aloud"
};
// In the order Register writes them; Remove goes backwards.
const QList<FileManagerVerb> &FileManagerVerbs();

// Every file Loquora writes carries this text, so Remove can tell its own
// files from the user's.
QByteArray FileManagerMarker();

// One argument for a desktop entry's Exec key: double-quoted with `"`, `` ` ``, `$`
// and `\` escaped when it holds a reserved character, and `%` doubled. The
// result still needs EscapeKeyFileValue before it goes into the file.
QString DesktopExecArgument(const QString &argument);
// A shell word ('...', each ' written as '\''), as sh and GLib's command-line
// parser read it.
QString ShellQuote(const QString &argument);
// A value of a key file: `\` doubled, newlines and tabs escaped.
QString EscapeKeyFileValue(const QString &value);
// Text as XML character data or attribute value.
QString XmlEscape(const QString &text);

// What one verb's entry holds for each file manager; `exe` is the absolute
// path of loqa. Dolphin's file also keeps the folders Register made
// (`madeFolders`, names without ';'), so that Remove can take them away again.
QByteArray DolphinServiceMenu(const QString &exe, const QStringList &madeFolders = {});
// The folders a Dolphin file of ours says Register made.
QStringList DolphinMadeFolders(const QByteArray &serviceMenu);
QByteArray NemoAction(const QString &exe, const FileManagerVerb &verb);
QByteArray ScriptFor(const QString &exe, const FileManagerVerb &verb);
QByteArray FileManagerAction(const QString &exe, const FileManagerVerb &verb);
// Thunar's <action> entry, without a line break after it.
QByteArray ThunarAction(const QString &exe, const FileManagerVerb &verb);
QString ThunarUniqueId(const FileManagerVerb &verb);

// The user's uca.xml with Loquora's entries replaced by `entries` (each placed
// before </actions>, one line break after each), every other byte kept, a
// leading byte-order mark too. An empty `original` starts a new file. Nothing
// when the file does not parse as Thunar's <actions> list.
std::optional<QByteArray> MergeThunarActions(const QByteArray &original, const QList<QByteArray> &entries);
// The uca.xml Thunar would have without any Loquora entry.
QByteArray EmptyThunarActions();
// The text holds the unique-id of an entry of Loquora's (read as bytes, so it
// answers for a file that does not parse too).
bool HasThunarActionOfOurs(const QByteArray &uca);

} // namespace loqa
