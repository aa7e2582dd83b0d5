// The folder picker on the offscreen platform: where it starts, what each way
// of closing it returns, and the rule that decides which folders it accepts.
#include "ui/folderpicker/foldertreemodel.h"
#include "ui/folderpicker/shelltree.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>

using namespace loqa;

namespace {

// Runs `step` on the picker once it is up and modal. A step that fails half
// way leaves the picker open; it is closed then, so the test ends.
void WithPicker(const std::function<void(TFormShellTree *)> &step)
{
    QTimer::singleShot(0, [step] {
        auto *picker = qobject_cast<TFormShellTree *>(QApplication::activeModalWidget());
        if (!picker)
            return;
        step(picker);
        if (picker->isVisible())
            picker->reject();
    });
}

QString CurrentPath(TFormShellTree *picker)
{
    const QModelIndex current = picker->ShellTreeView1->currentIndex();
    return static_cast<const FolderTreeModel *>(current.model())->filePath(current);
}

} // namespace

class TestShellTree : public QObject
{
    Q_OBJECT

    QTemporaryDir FTemp;

private slots:
    void judge_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("returned");
        const QString t = QDir::cleanPath(FTemp.path());
        QVERIFY(QDir().mkpath(t + QStringLiteral("/a b")));
        QVERIFY(QFile(t + QStringLiteral("/file.txt")).open(QIODevice::WriteOnly));
        QTest::newRow("the root stays /") << QStringLiteral("/") << true << QStringLiteral("/");
        QTest::newRow("a folder") << t + QStringLiteral("/a b") << true << t + QStringLiteral("/a b");
        QTest::newRow("one trailing / goes") << t + QStringLiteral("/a b/") << true << t + QStringLiteral("/a b");
        QTest::newRow("nothing selected") << QString() << false << QString();
        QTest::newRow("relative") << QStringLiteral("a b") << false << QString();
        QTest::newRow("gone") << t + QStringLiteral("/gone") << false << QString();
        QTest::newRow("a file") << t + QStringLiteral("/file.txt") << false << QString();
        QTest::newRow("a location that is no folder path")
            << QStringLiteral("smb://server/share") << false << QString();
    }
    void judge()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QFETCH(QString, returned);
        const FolderChoice choice = JudgeFolder(path);
        QCOMPARE(choice.accepted, accepted);
        QCOMPARE(choice.path, returned);
        QVERIFY(choice.warning.isEmpty());
    }

    // A folder the user cannot write to is accepted, with a warning.
    void readOnlyFolderWarns()
    {
        QString readOnly = FTemp.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(readOnly));
        QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (QFileInfo(readOnly).isWritable()) {
            // Permissions do not stop root; a read-only mount does.
            readOnly.clear();
            for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
                if (volume.isReadOnly() && QFileInfo(volume.rootPath()).isDir() &&
                    !QFileInfo(volume.rootPath()).isWritable()) {
                    readOnly = volume.rootPath();
                    break;
                }
            }
        }
        if (readOnly.isEmpty())
            QSKIP("running as root without a read-only mount: no folder here refuses writing");
        const FolderChoice choice = JudgeFolder(readOnly);
        QVERIFY(choice.accepted);
        QCOMPARE(choice.path, QDir::cleanPath(readOnly));
        QVERIFY(!choice.warning.isEmpty());
        QVERIFY(!choice.warning.contains(QLatin1Char('\n')));
    }

    // It opens at the folder it is given, expanded down to it and selected, even
    // a hidden one inside a big folder, whose sub-folders come a batch at a time.
    void startsAtTheFolderAndReturnsIt()
    {
        const QString big = QDir::cleanPath(FTemp.filePath(QStringLiteral("big folder")));
        for (int i = 0; i < FolderTreeModel::BatchSize + 200; ++i)
            QVERIFY(QDir().mkpath(big + QStringLiteral("/d%1").arg(i, 5, 10, QLatin1Char('0'))));
        const QString start = big + QStringLiteral("/.hidden/wav");
        QVERIFY(QDir().mkpath(start));

        QString path = start;
        bool checked = false;
        WithPicker([&](TFormShellTree *picker) {
            QCOMPARE(picker->size(), QSize(410, 294));
            QCOMPARE(picker->LabelQMCaption->text(), QStringLiteral(" Select a folder as the default"));
            QVERIFY(picker->closeImage->isVisible());
            QVERIFY(!picker->minImage->isVisible());
            QVERIFY(!picker->maxImage->isVisible());
            QVERIFY(!picker->Sizeable());
            QVERIFY(picker->EditPath->isReadOnly());
            QVERIFY(!picker->EditPath->hasFrame());
            QCOMPARE(picker->ShellTreeView1->contextMenuPolicy(), Qt::NoContextMenu);
            QCOMPARE(CurrentPath(picker), start);
            QCOMPARE(picker->EditPath->text(), start);
            QVERIFY(picker->ButtonOK->isEnabled());
            QVERIFY(picker->ButtonOK->isDefault());
            for (QModelIndex up = picker->ShellTreeView1->currentIndex().parent(); up.isValid(); up = up.parent())
                QVERIFY(picker->ShellTreeView1->isExpanded(up));
            // Home first, then the root.
            const QAbstractItemModel *model = picker->ShellTreeView1->model();
            QCOMPARE(model->index(0, 0).data(Qt::ToolTipRole).toString(), QDir::cleanPath(QDir::homePath()));
            QCOMPARE(model->index(1, 0).data(Qt::ToolTipRole).toString(), QStringLiteral("/"));
            // The hidden folder it starts in comes first; of the others, the
            // view has asked only for what it shows.
            const QModelIndex bigIndex = picker->ShellTreeView1->currentIndex().parent().parent();
            QCOMPARE(model->index(0, 0, bigIndex).data().toString(), QStringLiteral(".hidden"));
            QCOMPARE(model->index(1, 0, bigIndex).data().toString(), QStringLiteral("d00000"));
            QVERIFY(model->rowCount(bigIndex) <= FolderTreeModel::BatchSize * 2 + 1);
            checked = true;
            QTest::keyClick(picker->ShellTreeView1, Qt::Key_Return);
        });
        QVERIFY(SelectFolder(QStringLiteral("Select a folder as the default"), path));
        QVERIFY(checked);
        QCOMPARE(path, start);
        QVERIFY(!QApplication::activeModalWidget());

        // Opened at the big folder itself, it lists one batch, and the next when
        // the view asks for more.
        FolderTreeModel model;
        const QModelIndex bigIndex = model.indexFor(big);
        QVERIFY(bigIndex.isValid());
        QVERIFY(model.canFetchMore(bigIndex));
        model.fetchMore(bigIndex);
        QCOMPARE(model.rowCount(bigIndex), FolderTreeModel::BatchSize);
        QVERIFY(model.canFetchMore(bigIndex));
        model.fetchMore(bigIndex);
        QCOMPARE(model.rowCount(bigIndex), FolderTreeModel::BatchSize + 200);
        QVERIFY(!model.canFetchMore(bigIndex));
    }

    void escapeReturnsEmpty()
    {
        QString path = QDir::cleanPath(FTemp.path());
        bool checked = false;
        WithPicker([&](TFormShellTree *picker) {
            QVERIFY(picker->ButtonOK->isEnabled());
            checked = true;
            QTest::keyClick(picker->ShellTreeView1, Qt::Key_Escape);
        });
        QVERIFY(!SelectFolder(QStringLiteral("Pick"), path));
        QVERIFY(checked);
        QVERIFY(path.isEmpty());
    }

    // Started where no folder is: nothing selected, OK disabled, Enter does
    // nothing; a right click selects a folder and enables OK; Cancel returns empty.
    void nothingAcceptableUntilChosen()
    {
        QString path = FTemp.filePath(QStringLiteral("no such folder"));
        bool checked = false;
        WithPicker([&](TFormShellTree *picker) {
            QVERIFY(!picker->ButtonOK->isEnabled());
            QVERIFY(picker->EditPath->text().isEmpty());
            QTest::keyClick(picker->ShellTreeView1, Qt::Key_Return);
            QTest::keyClick(picker, Qt::Key_Enter);
            QVERIFY(picker->isVisible());
            QCOMPARE(QApplication::activeModalWidget(), picker);

            // The root, by a right click.
            QTreeView *tree = picker->ShellTreeView1;
            const QModelIndex root = tree->model()->index(1, 0);
            QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualRect(root).center());
            QCOMPARE(CurrentPath(picker), QStringLiteral("/"));
            QVERIFY(picker->ButtonOK->isEnabled());
            QCOMPARE(picker->EditPath->text(), QStringLiteral("/"));
            checked = true;
            QTest::mouseClick(picker->ButtonCancel, Qt::LeftButton);
        });
        QVERIFY(!SelectFolder(QStringLiteral("Pick"), path));
        QVERIFY(checked);
        QVERIFY(path.isEmpty());
    }
};

QTEST_MAIN(TestShellTree)
#include "tst_shelltree.moc"
