#include "reading/doclist.h"

#include "document/document.h"

#include <QFileInfo>

namespace loqa::docs {

QString TabCaption(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString InFolder(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString PlaceholderPath(const QString &defTxtPath)
{
    return InFolder(defTxtPath, QStringLiteral("untitled.txt"));
}

QString NewDocumentName(const QString &defTxtPath, const std::function<bool(const QString &)> &exists)
{
    for (int n = 1;; ++n) {
        // Put together piece by piece: the folder may hold '%' signs of its own.
        const QString name =
            InFolder(defTxtPath, QStringLiteral("untitled") + QString::number(n) + QStringLiteral(".txt"));
        if (!exists(name))
            return name;
    }
}

bool AddDocument(QStringList &list, const QString &path)
{
    if (path.isEmpty() || list.contains(path))
        return false;
    list.append(path);
    return true;
}

int SaveAsUpdate(QStringList &list, int current, const QString &chosen)
{
    if (current < 0 || current >= list.size()) {
        AddDocument(list, chosen);
        return int(list.indexOf(chosen));
    }
    if (!list.contains(chosen)) {
        list[current] = chosen;
        return current;
    }
    list.removeAt(current);
    list.removeAll(chosen);
    list.append(chosen);
    return int(list.size()) - 1;
}

int CloseDocument(QStringList &list, int index, const QString &placeholder)
{
    if (index >= 0 && index < list.size())
        list.removeAt(index);
    if (list.isEmpty())
        list.append(placeholder);
    // The tab in the closed one's place, or the first when it was the last.
    return index >= 0 && index < list.size() ? index : 0;
}

int MoveDocument(QStringList &list, int index, Move move)
{
    const int n = int(list.size());
    if (index < 0 || index >= n)
        return -1;
    int target = -1;
    switch (move) {
    case Move::First:
        target = index > 0 ? 0 : -1;
        break;
    case Move::Prev:
        target = index > 0 ? index - 1 : -1;
        break;
    case Move::Next:
        target = index < n - 1 ? index + 1 : -1;
        break;
    case Move::Last:
        target = index < n - 1 ? n - 1 : -1;
        break;
    }
    if (target >= 0)
        list.swapItemsAt(index, target);
    return target;
}

Navigation NavigationFor(int playIndex, int count, bool repeat)
{
    Navigation n;
    n.moveFirst = n.movePrev = playIndex > 0;
    n.moveNext = n.moveLast = playIndex < count - 1;
    n.prev = n.next = true;
    if (!repeat) {
        n.prev = playIndex >= 1;
        n.next = playIndex < count - 1;
    }
    return n;
}

bool IsDroppableDocument(const QString &path)
{
    return path.toLower().endsWith(QLatin1String(".txt")) || !IsTextDocument(path);
}

bool IsTextDocument(const QString &path)
{
    return doc::FormatOf(path) == doc::Format::Text;
}

QString TextSaveName(const QString &defTxtPath, const QString &document)
{
    return InFolder(defTxtPath, QFileInfo(document).completeBaseName() + QStringLiteral(".txt"));
}

QString TextOnlyName(const QString &chosen)
{
    return IsTextDocument(chosen) ? chosen : chosen + QStringLiteral(".txt");
}

QString OpenFilter()
{
    using doc::Format;
    const QList<Format> formats = {Format::Pdf,  Format::Epub, Format::Docx, Format::Odt,
                                   Format::Html, Format::Rtf,  Format::Fb2,  Format::Markdown};
    const auto patterns = [](Format format) {
        QStringList list;
        for (const QString &extension : doc::FormatExtensions(format))
            list << QStringLiteral("*.") + extension;
        return list.join(QLatin1Char(' '));
    };
    QStringList all{QStringLiteral("*.txt")};
    QStringList each;
    for (Format format : formats) {
        all << patterns(format);
        each << QStringLiteral("%1 (%2)").arg(doc::FormatName(format), patterns(format));
    }
    return QStringLiteral("Text Files(*.txt);;All supported (%1);;%2;;All Files(*.*)")
        .arg(all.join(QLatin1Char(' ')), each.join(QStringLiteral(";;")));
}

} // namespace loqa::docs
