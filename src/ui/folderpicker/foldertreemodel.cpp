#include "ui/folderpicker/foldertreemodel.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QStorageInfo>

#include <algorithm>

namespace loqa {

struct FolderTreeModel::Node {
    QString path;
    QString name;
    QIcon icon;
    Node *parent = nullptr;
    int row = 0;
    bool read = false;
    std::vector<std::unique_ptr<Node>> children;
    // Sub-folder names read but not handed to the view yet, in order.
    QStringList pending;

    Node *Add(const QString &childPath, const QString &childName, const QIcon &childIcon)
    {
        auto child = std::make_unique<Node>();
        child->path = childPath;
        child->name = childName;
        child->icon = childIcon;
        child->parent = this;
        child->row = int(children.size());
        children.push_back(std::move(child));
        return children.back().get();
    }
};

namespace {

QString ChildPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool IsBelow(const QString &path, const QString &top)
{
    if (top == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == top || path.startsWith(top + QLatin1Char('/'));
}

// Mount points worth offering: real volumes with a folder to show, not the
// kernel's and the session's own.
bool IsVolumeShown(const QStorageInfo &volume, const QString &home)
{
    const QString root = volume.rootPath();
    if (!volume.isValid() || !volume.isReady() || volume.isRoot() || root == home || !QFileInfo(root).isDir())
        return false;
    static const QStringList systemPlaces{QStringLiteral("/proc"), QStringLiteral("/sys"),  QStringLiteral("/dev"),
                                          QStringLiteral("/run"),  QStringLiteral("/boot"), QStringLiteral("/snap"),
                                          QStringLiteral("/var"),  QStringLiteral("/tmp"),  QStringLiteral("/etc")};
    if (IsBelow(root, QStringLiteral("/run/media")))
        return true;
    for (const QString &place : systemPlaces) {
        if (IsBelow(root, place))
            return false;
    }
    return true;
}

} // namespace

FolderTreeModel::FolderTreeModel(QObject *parent) : QAbstractItemModel(parent), FRoot(std::make_unique<Node>())
{
    FRoot->read = true;
    const QString home = QDir::cleanPath(QDir::homePath());
    const QIcon folder = FIcons.icon(QAbstractFileIconProvider::Folder);
    FRoot->Add(home, home, QIcon::fromTheme(QStringLiteral("user-home"), folder));
    FRoot->Add(QStringLiteral("/"), QStringLiteral("/"), FIcons.icon(QAbstractFileIconProvider::Computer));
    QStringList volumes;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (IsVolumeShown(volume, home))
            volumes.append(QDir::cleanPath(volume.rootPath()));
    }
    volumes.sort();
    volumes.removeDuplicates();
    for (const QString &volume : std::as_const(volumes))
        FRoot->Add(volume, volume, FIcons.icon(QAbstractFileIconProvider::Drive));
}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node *FolderTreeModel::NodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : FRoot.get();
}

QModelIndex FolderTreeModel::IndexOf(Node *node) const
{
    return node == FRoot.get() ? QModelIndex() : createIndex(node->row, 0, node);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    Node *node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= int(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    return IndexOf(NodeOf(child)->parent);
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(NodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node *node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->name;
    case Qt::DecorationRole:
        return node->icon;
    case Qt::ToolTipRole:
        return node->path;
    default:
        return {};
    }
}

bool FolderTreeModel::hasChildren(const QModelIndex &parent) const
{
    const Node *node = NodeOf(parent);
    // Unread folders show the expander; opening one reads it.
    return !node->read || !node->children.empty() || !node->pending.isEmpty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const
{
    const Node *node = NodeOf(parent);
    return !node->read || !node->pending.isEmpty();
}

void FolderTreeModel::Read(Node *node) const
{
    node->read = true;
    // Folders only; the iterator tells them by the directory entry's type, so
    // files cost no look-up of their own.
    QDirIterator it(node->path, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        // Hidden folders stay out of the list, as in the desktop's file managers.
        const QString name = it.fileName();
        if (!name.startsWith(QLatin1Char('.')))
            node->pending.append(name);
    }
    std::sort(node->pending.begin(), node->pending.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

void FolderTreeModel::fetchMore(const QModelIndex &parent)
{
    Node *node = NodeOf(parent);
    if (!node->read)
        Read(node);
    if (node->pending.isEmpty())
        return;
    const int count = int(std::min<qsizetype>(BatchSize, node->pending.size()));
    const int first = int(node->children.size());
    const QIcon folder = FIcons.icon(QAbstractFileIconProvider::Folder);
    beginInsertRows(parent, first, first + count - 1);
    for (int i = 0; i < count; ++i) {
        const QString &name = node->pending.at(i);
        node->Add(ChildPath(node->path, name), name, folder);
    }
    node->pending.remove(0, count);
    endInsertRows();
}

QString FolderTreeModel::filePath(const QModelIndex &index) const
{
    return index.isValid() ? NodeOf(index)->path : QString();
}

QModelIndex FolderTreeModel::indexFor(const QString &path)
{
    const QString target = QDir::cleanPath(path);
    if (!QDir::isAbsolutePath(target))
        return {};
    // The deepest top item that holds the path: a volume before "/".
    Node *node = nullptr;
    for (const auto &top : FRoot->children) {
        if (IsBelow(target, top->path) && (!node || top->path.size() > node->path.size()))
            node = top.get();
    }
    if (!node)
        return {};
    const QString rest = target.mid(node->path.size());
    for (const QString &name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QModelIndex at = IndexOf(node);
        Node *found = nullptr;
        while (!found) {
            for (const auto &child : node->children) {
                if (child->name == name) {
                    found = child.get();
                    break;
                }
            }
            if (found)
                break;
            if (!node->read || node->pending.contains(name)) {
                fetchMore(at);
                continue;
            }
            // Hidden folders are not listed, but one can be where the user
            // keeps the files; it is shown when the picker starts in it.
            const QString childPath = ChildPath(node->path, name);
            if (!QFileInfo(childPath).isDir())
                return {};
            // Its leading dot sorts it before the listed ones.
            beginInsertRows(at, 0, 0);
            found = node->Add(childPath, name, FIcons.icon(QAbstractFileIconProvider::Folder));
            std::rotate(node->children.begin(), node->children.end() - 1, node->children.end());
            for (size_t row = 0; row < node->children.size(); ++row)
                node->children[row]->row = int(row);
            endInsertRows();
        }
        node = found;
    }
    return IndexOf(node);
}

} // namespace loqa
