#pragma once

#include "platform/clipboardwatcher.h"

#include <QString>

// The decisions of clipboard reading, made without a window.
namespace loqa {

// What happens to a copied text: the value of DefAction, of the prompt's
// answer and of the handler's dispatch.
enum TClipboardChoice : int { ccReadNow = 0, ccNewDocument = 1, ccAppend = 2, ccCancel = 3 };

// A copied text is offered when its length in bytes, as the program stores
// text (UTF-8), is at least `ignoreLen`; line breaks count. `ignoreLen` 0 takes
// every text, the empty one included.
bool ClipboardTextAccepted(const QString &text, int ignoreLen);

// What the handler does for a choice: read the text now, make a new document of
// it, append it to the current one, or nothing (3 and every unknown value).
enum class ClipboardStep { Nothing, ReadNow, NewDocument, Append };
ClipboardStep ClipboardStepFor(int choice);

// The editor's text with the copied text added as one or more new lines: it
// starts on a line of its own and its last line is ended, as every line added
// to the editor is.
QString AppendAsLines(const QString &editorText, const QString &copied);

// The prompt's button for a choice (0 Read Now, 1 New, 2 Append, 3 Cancel);
// -1 for values that select none.
int PromptButtonFor(int defAction);
// The prompt's timeout in milliseconds for PromptDelay seconds; 0 means none.
int PromptTimeoutMs(int promptDelay);

// What the status panel says once about how copies are noticed: nothing where
// the toolkit hears every copy (X11, XWayland, the offscreen platform of tests);
// on native Wayland which way serves, and when only the focused window hears.
QString ClipboardWatchNotice(ClipboardWatch watch);

} // namespace loqa
