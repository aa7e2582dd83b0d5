#include "clipboard/clipboardrules.h"

#include <limits>

namespace loqa {

bool ClipboardTextAccepted(const QString &text, int ignoreLen)
{
    return text.toUtf8().size() >= qsizetype(ignoreLen);
}

ClipboardStep ClipboardStepFor(int choice)
{
    switch (choice) {
    case ccReadNow:
        return ClipboardStep::ReadNow;
    case ccNewDocument:
        return ClipboardStep::NewDocument;
    case ccAppend:
        return ClipboardStep::Append;
    default:
        return ClipboardStep::Nothing;
    }
}

QString AppendAsLines(const QString &editorText, const QString &copied)
{
    QString lines = copied;
    // The editor keeps its lines ended by LF alone.
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (!lines.endsWith(QLatin1Char('\n')))
        lines += QLatin1Char('\n');
    if (editorText.isEmpty() || editorText.endsWith(QLatin1Char('\n')))
        return editorText + lines;
    return editorText + QLatin1Char('\n') + lines;
}

int PromptButtonFor(int defAction)
{
    return defAction >= ccReadNow && defAction <= ccCancel ? defAction : -1;
}

int PromptTimeoutMs(int promptDelay)
{
    if (promptDelay <= 0)
        return 0;
    // A delay past what a timer can count waits as long as it can.
    constexpr int most = std::numeric_limits<int>::max() / 1000;
    return promptDelay > most ? most * 1000 : promptDelay * 1000;
}

QString ClipboardWatchNotice(ClipboardWatch watch)
{
    switch (watch) {
    case ClipboardWatch::Toolkit:
        break;
    case ClipboardWatch::DataControl:
        return QStringLiteral(" Copied text is noticed in every program (the compositor's data-control protocol)");
    case ClipboardWatch::XWaylandMirror:
        return QStringLiteral(" Copied text is noticed in every program (the XWayland clipboard)");
    case ClipboardWatch::FocusOnly:
        return QStringLiteral(" Copied text is noticed only while Loquora has the focus on this desktop");
    case ClipboardWatch::FocusOnlyNoHelper:
        return QStringLiteral(
            " Copied text is noticed only while Loquora has the focus: install wl-clipboard to hear every copy");
    }
    return {};
}

} // namespace loqa
