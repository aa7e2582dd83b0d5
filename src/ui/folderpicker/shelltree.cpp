#include "ui/folderpicker/shelltree.h"

#include "ui/folderpicker/foldertreemodel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

#include <memory>

namespace loqa {

FolderChoice JudgeFolder(const QString &path)
{
    FolderChoice choice;
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return choice;
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return choice;
    choice.accepted = true;
    // cleanPath keeps "/" as it is and takes a trailing "/" off everything else.
    choice.path = QDir::cleanPath(info.absoluteFilePath());
    if (!info.isWritable())
        choice.warning = QStringLiteral("You cannot write to this folder: results could not be saved here.");
    return choice;
}

} // namespace loqa

using namespace loqa;

TFormShellTree::TFormShellTree(QWidget *parent) : TQMForm(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("FormShellTree"));
    SetBorderIcons(biSystemMenu);
    setWindowTitle(QStringLiteral(" Select the disk/folder you want to catalog"));
    resize(410, 294);

    EditPath = new QLineEdit(PanelQMClient);
    EditPath->setObjectName(QStringLiteral("EditPath"));
    EditPath->setReadOnly(true);
    EditPath->setFrame(false);
    EditPath->setFocusPolicy(Qt::NoFocus);
    QPalette palette = EditPath->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    EditPath->setPalette(palette);
    EditPath->setGeometry(8, 8, 377, 21);

    FModel = new FolderTreeModel(this);
    ShellTreeView1 = new QTreeView(PanelQMClient);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setModel(FModel);
    ShellTreeView1->setAccessibleName(QStringLiteral("Folders"));
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ShellTreeView1->header()->setStretchLastSection(false);
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // No context menu; a right click only selects, as any press on an item does.
    ShellTreeView1->setContextMenuPolicy(Qt::NoContextMenu);
    ShellTreeView1->setUniformRowHeights(true);
    // The tree leaves a line under it for the warning about read-only folders.
    ShellTreeView1->setGeometry(8, 33, 289, 174);

    LabelWarning = new QLabel(PanelQMClient);
    LabelWarning->setObjectName(QStringLiteral("LabelWarning"));
    LabelWarning->setGeometry(8, 210, 377, 18);
    LabelWarning->setWordWrap(false);

    ButtonOK = new QPushButton(QStringLiteral("OK"), PanelQMClient);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(305, 33, 75, 25);
    ButtonOK->setEnabled(false);
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), PanelQMClient);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(305, 65, 75, 25);
    ButtonCancel->setAutoDefault(false);

    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFormShellTree::ShellTreeView1Change);
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormShellTree::ShellTreeView1Change);
}

TFormShellTree::~TFormShellTree() = default;

void TFormShellTree::FormShow()
{
    TQMForm::FormShow();
    SetSizeable(false);
    // The arrows walk the folders as soon as the picker opens.
    ShellTreeView1->setFocus();
}

void TFormShellTree::StartAt(const QString &path)
{
    // A folder that is gone leaves nothing selected, and OK waits for a choice.
    const QString start = path.isEmpty() ? QDir::homePath() : path;
    const QModelIndex index = QFileInfo(start).isDir() ? FModel->indexFor(start) : QModelIndex();
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        ShellTreeView1->expand(up);
    ShellTreeView1->expand(index);
    ShellTreeView1->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ShellTreeView1->scrollTo(index);
}

QString TFormShellTree::SelectedPath() const
{
    return FSelected;
}

void TFormShellTree::ShellTreeView1Change()
{
    const QModelIndexList selected = ShellTreeView1->selectionModel()->selectedIndexes();
    const QString path = selected.isEmpty() ? QString() : FModel->filePath(selected.first());
    const FolderChoice choice = JudgeFolder(path);
    FSelected = choice.accepted ? choice.path : QString();
    ButtonOK->setEnabled(choice.accepted);
    EditPath->setText(FSelected);
    LabelWarning->setText(choice.warning);
}

bool SelectFolder(const QString &prompt, QString &path, QWidget *owner)
{
    if (!owner)
        owner = QApplication::activeWindow();
    auto dialog = std::make_unique<TFormShellTree>(owner);
    dialog->setWindowTitle(QLatin1Char(' ') + prompt);
    dialog->StartAt(path);
    // Centred over the owner, or over the screen without one.
    const QRect area =
        owner ? owner->frameGeometry()
              : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect());
    if (area.isValid())
        dialog->move(area.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
    const bool ok = dialog->exec() == QDialog::Accepted && !dialog->SelectedPath().isEmpty();
    path = ok ? dialog->SelectedPath() : QString();
    return ok;
}
