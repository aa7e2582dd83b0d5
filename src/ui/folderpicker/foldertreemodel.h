#pragma once

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QStringList>

#include <memory>
#include <vector>

namespace loqa {

// The folder tree of the picker: the home folder, the root "/" and the mounted
// volumes at the top; below each, its sub-folders, read when the folder is
// first opened and handed to the view a batch at a time, so a folder with a
// hundred thousand entries opens without holding the window up.
class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit FolderTreeModel(QObject *parent = nullptr);
    ~FolderTreeModel() override;

    // Rows handed to the view per fetch.
    static constexpr int BatchSize = 1000;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    QString filePath(const QModelIndex &index) const;
    // The item for `path`, reading the folders on the way; invalid when `path`
    // is not below any top item.
    QModelIndex indexFor(const QString &path);

private:
    struct Node;
    Node *NodeOf(const QModelIndex &index) const;
    QModelIndex IndexOf(Node *node) const;
    void Read(Node *node) const;

    std::unique_ptr<Node> FRoot;
    QFileIconProvider FIcons;
};

} // namespace loqa
