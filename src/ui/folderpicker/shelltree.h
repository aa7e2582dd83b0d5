#pragma once

#include "widgets/qmform.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QModelIndex;

namespace loqa {
class FolderTreeModel;

// Whether a selected folder can be confirmed, the path the picker returns for
// it and the line shown under the tree. An existing local folder (an absolute
// path on this machine) is accepted; "/" stays "/". A folder the user cannot
// write to is accepted with a warning.
struct FolderChoice {
    bool accepted = false;
    QString path;
    QString warning;
};
FolderChoice JudgeFolder(const QString &path);

} // namespace loqa

// Picks a folder from the desktop's folder tree: the home folder, the file
// system's root and the mounted volumes, folders only, loaded as they open.
class TFormShellTree : public TQMForm
{
    Q_OBJECT
public:
    explicit TFormShellTree(QWidget *parent = nullptr);
    ~TFormShellTree() override;

    // Opens the tree down to `path` (or the home folder) and selects it.
    void StartAt(const QString &path);
    // The accepted path of the selected folder; empty when none is.
    QString SelectedPath() const;

    QLineEdit *EditPath;
    QTreeView *ShellTreeView1;
    QLabel *LabelWarning;
    QPushButton *ButtonOK;
    QPushButton *ButtonCancel;

protected:
    void FormShow() override;

private:
    void ShellTreeView1Change();

    loqa::FolderTreeModel *FModel;
    QString FSelected;
};

// `path` comes in as the folder to start at (empty: the home folder) and goes
// out as the chosen folder, or empty when the user cancels. True on OK.
bool SelectFolder(const QString &prompt, QString &path, QWidget *owner = nullptr);
