#include "platform/filemanagerformats.h"

#include <QStringDecoder>
#include <QXmlStreamReader>

namespace loqa {

const QList<FileManagerVerb> &FileManagerVerbs()
{
    static const QList<FileManagerVerb> verbs{
        {"Read Aloud", "/tts", "read-aloud"},
        {"Read to WAV", "/ttw", "read-to-wav"},
        {"Read to MP3", "/ttm", "read-to-mp3"},
    };
    return verbs;
}

QByteArray FileManagerMarker()
{
    return QByteArrayLiteral("Written by Loquora");
}

namespace {

QString Utf8Line(const char *key, const QString &value)
{
    return QLatin1String(key) + QLatin1Char('=') + value + QLatin1Char('\n');
}

// Dolphin's service menus name their actions; the names stay the same from
// run to run so a second Register replaces the first.
QString DolphinActionName(const FileManagerVerb &verb)
{
    QString name = QStringLiteral("loqa");
    for (const QString &word : QString::fromLatin1(verb.stem).split(QLatin1Char('-'))) {
        name += word.left(1).toUpper() + word.mid(1);
    }
    return name;
}

QString Comment(const FileManagerVerb &verb)
{
    return QStringLiteral("# ") + QString::fromLatin1(FileManagerMarker()) + QStringLiteral(": \"") +
           QLatin1String(verb.name) + QStringLiteral("\" for plain-text files.\n");
}

// GLib-based file managers replace %% by one %, except Nemo, which has no
// escape for it.
QString ShellExecLine(const QString &exe, const FileManagerVerb &verb, const char *fileCode, bool doublePercent)
{
    QString program = ShellQuote(exe);
    if (doublePercent)
        program.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return program + QLatin1Char(' ') + QLatin1String(verb.option) + QLatin1Char(' ') + QLatin1String(fileCode);
}

} // namespace

QString DesktopExecArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (QChar c : argument) {
        if (reserved.contains(c)) {
            quote = true;
            break;
        }
    }
    QString out;
    if (quote) {
        out += QLatin1Char('"');
        for (QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += c;
        }
        out += QLatin1Char('"');
    } else {
        out = argument;
    }
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return out;
}

QString ShellQuote(const QString &argument)
{
    QString out = argument;
    out.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString EscapeKeyFileValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    if (out.startsWith(QLatin1Char(' ')))
        out.replace(0, 1, QStringLiteral("\\s"));
    return out;
}

QString XmlEscape(const QString &text)
{
    QString out = text.toHtmlEscaped(); // & < > "
    out.replace(QLatin1Char('\''), QStringLiteral("&apos;"));
    return out;
}

namespace {
constexpr char kMadeFoldersKey[] = "X-Loquora-MadeFolders=";

// The types Loquora reads: plain text and the documents its readers open.
const QString &documentMimeTypes()
{
    static const QString types =
        QStringLiteral("text/plain;application/pdf;application/epub+zip;"
                       "application/vnd.openxmlformats-officedocument.wordprocessingml.document;"
                       "application/vnd.oasis.opendocument.text;text/html;application/xhtml+xml;text/markdown;"
                       "application/rtf;text/rtf;application/x-fictionbook+xml;");
    return types;
}
} // namespace

QByteArray DolphinServiceMenu(const QString &exe, const QStringList &madeFolders)
{
    QString text = QStringLiteral("# ") + QString::fromLatin1(FileManagerMarker()) +
                   QStringLiteral(": its commands for text files and documents.\n[Desktop Entry]\n");
    text += Utf8Line("Type", QStringLiteral("Service"));
    text += Utf8Line("X-KDE-ServiceTypes", QStringLiteral("KonqPopupMenu/Plugin"));
    text += Utf8Line("MimeType", documentMimeTypes());
    QString actions;
    for (const FileManagerVerb &verb : FileManagerVerbs())
        actions += DolphinActionName(verb) + QLatin1Char(';');
    text += Utf8Line("Actions", actions);
    if (!madeFolders.isEmpty())
        text += QLatin1String(kMadeFoldersKey) + madeFolders.join(QLatin1Char(';')) + QStringLiteral(";\n");
    for (const FileManagerVerb &verb : FileManagerVerbs()) {
        text += QStringLiteral("\n[Desktop Action ") + DolphinActionName(verb) + QStringLiteral("]\n");
        text += Utf8Line("Name", QLatin1String(verb.name));
        text += Utf8Line("Icon", QStringLiteral("org.example.loquora.Loquora"));
        text += Utf8Line("Exec", EscapeKeyFileValue(DesktopExecArgument(exe) + QLatin1Char(' ') +
                                                    QLatin1String(verb.option) + QStringLiteral(" %f")));
    }
    return text.toUtf8();
}

QStringList DolphinMadeFolders(const QByteArray &serviceMenu)
{
    for (const QByteArray &line : serviceMenu.split('\n')) {
        if (line.startsWith(kMadeFoldersKey))
            return QString::fromUtf8(line.mid(qsizetype(sizeof kMadeFoldersKey) - 1))
                .split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (line.startsWith('[') && line != "[Desktop Entry]")
            break; // the key belongs to the first group
    }
    return {};
}

QByteArray NemoAction(const QString &exe, const FileManagerVerb &verb)
{
    // Nemo puts each path in place of %F with its blanks escaped by a backslash
    // (EscapeSpaces) and its quotes escaped, then splits the line as GLib's
    // command-line parser does.
    QString text = Comment(verb) + QStringLiteral("[Nemo Action]\n");
    text += Utf8Line("Active", QStringLiteral("true"));
    text += Utf8Line("Name", QLatin1String(verb.name));
    text += Utf8Line("Icon-Name", QStringLiteral("org.example.loquora.Loquora"));
    text += Utf8Line("Exec", EscapeKeyFileValue(ShellExecLine(exe, verb, "%F", false)));
    text += Utf8Line("Selection", QStringLiteral("s"));
    text += Utf8Line("Mimetypes", documentMimeTypes());
    text += Utf8Line("EscapeSpaces", QStringLiteral("true"));
    return text.toUtf8();
}

QByteArray ScriptFor(const QString &exe, const FileManagerVerb &verb)
{
    // Nautilus and Caja pass the selected files as arguments, named relative to
    // the folder the script runs in; an absolute path never looks like a switch.
    QString text = QStringLiteral("#!/bin/sh\n") + Comment(verb);
    text += QStringLiteral("for f in \"$@\"; do\n"
                           "\tcase $f in\n"
                           "\t/*) ;;\n"
                           "\t*) f=$PWD/$f ;;\n"
                           "\tesac\n");
    text += QLatin1Char('\t') + ShellQuote(exe) + QLatin1Char(' ') + QLatin1String(verb.option) +
            QStringLiteral(" \"$f\"\n");
    text += QStringLiteral("done\n");
    return text.toUtf8();
}

QByteArray FileManagerAction(const QString &exe, const FileManagerVerb &verb)
{
    QString text = Comment(verb) + QStringLiteral("[Desktop Entry]\n");
    text += Utf8Line("Type", QStringLiteral("Action"));
    text += Utf8Line("Name", QLatin1String(verb.name));
    text += Utf8Line("Icon", QStringLiteral("org.example.loquora.Loquora"));
    text += Utf8Line("Profiles", QStringLiteral("loqa;"));
    text += QStringLiteral("\n[X-Action-Profile loqa]\n");
    text += Utf8Line("MimeTypes", documentMimeTypes());
    text += Utf8Line("SelectionCount", QStringLiteral("=1"));
    text += Utf8Line("Exec", EscapeKeyFileValue(ShellExecLine(exe, verb, "%f", true)));
    return text.toUtf8();
}

QString ThunarUniqueId(const FileManagerVerb &verb)
{
    return QStringLiteral("loqa-") + QLatin1String(verb.stem);
}

QByteArray ThunarAction(const QString &exe, const FileManagerVerb &verb)
{
    // Thunar puts the shell-quoted path in place of %f and hands the line to
    // /bin/sh; %% is one %.
    QString text = QStringLiteral("<action>\n");
    const auto element = [&text](const char *name, const QString &value) {
        text += QStringLiteral("\t<%1>%2</%1>\n").arg(QLatin1String(name), XmlEscape(value));
    };
    element("icon", QStringLiteral("org.example.loquora.Loquora"));
    element("name", QLatin1String(verb.name));
    element("submenu", QString());
    element("unique-id", ThunarUniqueId(verb));
    element("command", ShellExecLine(exe, verb, "%f", true));
    element("description", QString::fromLatin1(FileManagerMarker()));
    element("range", QString());
    element("patterns", QStringLiteral("*.txt;*.pdf;*.epub;*.docx;*.odt;*.html;*.htm;*.xhtml;*.md;*.markdown;"
                                       "*.rtf;*.fb2;*.TXT;*.PDF;*.EPUB;*.DOCX;*.ODT;*.HTML;*.HTM;*.RTF;*.FB2"));
    text += QStringLiteral("\t<text-files/>\n\t<other-files/>\n</action>");
    return text.toUtf8();
}

QByteArray EmptyThunarActions()
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
}

bool HasThunarActionOfOurs(const QByteArray &uca)
{
    for (const FileManagerVerb &verb : FileManagerVerbs()) {
        if (uca.contains(ThunarUniqueId(verb).toUtf8()))
            return true;
    }
    return false;
}

std::optional<QByteArray> MergeThunarActions(const QByteArray &original, const QList<QByteArray> &entries)
{
    // A byte-order mark is not part of the text the offsets below count in; it
    // goes back in front of the result.
    const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
    const bool marked = original.startsWith(bom);
    const QByteArray source = original.isEmpty() ? EmptyThunarActions() : marked ? original.mid(bom.size()) : original;
    // Offsets are counted in characters of the decoded text; a file that does
    // not decode cleanly could not be written back byte for byte.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(source);
    if (decoder.hasError() || text.toUtf8() != source)
        return std::nullopt;

    struct Range {
        qsizetype begin;
        qsizetype end;
    };
    QList<Range> ours;
    qsizetype closing = -1;
    QXmlStreamReader xml(text);
    int depth = 0;
    qsizetype actionBegin = -1;
    bool actionIsOurs = false;
    QString element;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        // The reader stands just after the token; a tag begins at the last "<"
        // before that, as no "<" can stand inside a tag.
        const qsizetype after = xml.characterOffset();
        const auto tagBegin = [&text, after] { return text.lastIndexOf(QLatin1Char('<'), after - 1); };
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1 && xml.name() != QLatin1String("actions"))
                return std::nullopt;
            if (depth == 2 && xml.name() == QLatin1String("action")) {
                actionBegin = tagBegin();
                actionIsOurs = false;
            }
            element = xml.name().toString();
        } else if (token == QXmlStreamReader::Characters) {
            if (depth == 3 && element == QLatin1String("unique-id")) {
                for (const FileManagerVerb &verb : FileManagerVerbs()) {
                    if (xml.text().trimmed() == ThunarUniqueId(verb))
                        actionIsOurs = true;
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && xml.name() == QLatin1String("action") && actionIsOurs)
                ours.append({actionBegin, after});
            if (depth == 1)
                closing = tagBegin();
            --depth;
            element.clear();
        }
    }
    if (xml.hasError() || closing < 0)
        return std::nullopt;

    QString merged;
    qsizetype at = 0;
    for (const Range &range : ours) {
        merged += QStringView(text).mid(at, range.begin - at);
        at = range.end;
        // The line break written after each entry goes with it.
        if (at < text.size() && text.at(at) == QLatin1Char('\n'))
            ++at;
    }
    merged += QStringView(text).mid(at, closing - at);
    for (const QByteArray &entry : entries)
        merged += QString::fromUtf8(entry) + QLatin1Char('\n');
    merged += QStringView(text).mid(closing);
    return marked ? bom + merged.toUtf8() : merged.toUtf8();
}

} // namespace loqa
