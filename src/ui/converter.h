#pragma once

#include "actions.h"
#include "qmform.h"
#include "readingrules.h"

#include <QPointer>
#include <QStringList>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSlider;
class QTabBar;
class QTimer;
class QToolBar;
class QToolButton;
class TMSpeech;
class TClipboardMonitor;
class TSysTray;

namespace loqa {
class DocumentFile;
}

// The main window: documents in tabs over one editor, the reading commands,
// the voice list and the volume and speed bars.
class TFormCvt : public TQMForm
{
    Q_OBJECT
public:
    // `screenSize` centres the window on its first start.
    explicit TFormCvt(QSize screenSize, QWidget *parent = nullptr);
    ~TFormCvt() override;

    // False when the window should start hidden in the tray.
    bool ShowAtStart() const { return FShowAtStart; }

    // Components, named as in the window's design.
    QWidget *MainMenus = nullptr;
    QToolBar *ToolBar = nullptr;
    QToolButton *ToolButtonTTX = nullptr;
    QComboBox *ComboBoxExEngines = nullptr;
    QSlider *TrackBarVol = nullptr;
    QSlider *TrackBarSpd = nullptr;
    QTabBar *TabControl1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QWidget *PanelBottom = nullptr;
    QLabel *PanelStatus = nullptr;
    QProgressBar *GaugeWordPosition = nullptr;
    QMenu *PopupMenuTTX = nullptr;
    QMenu *PopupMenuTab = nullptr;
    QMenu *PopupMenuMemo = nullptr;
    QMenu *PopupMenuTray = nullptr;
    std::array<QMenu *, 6> MainMenu{};
    std::array<QAction *, loqa::ActionCount> ActionList1{};
    TMSpeech *MSpeech1 = nullptr;
    TClipboardMonitor *ClipboardMonitor1 = nullptr;
    TSysTray *SysTray1 = nullptr;
    QTimer *TimerWordPosition = nullptr;
    QTimer *TimerAandR = nullptr;

    // The run in progress: 0 none or free text, 1 whole document, 2 part, 3 clipboard.
    int ReadState = 0;
    int PartStart = 0;
    int PauseTab = 0;

    QAction *action(loqa::ActionIndex index) const { return ActionList1[size_t(index)]; }

    // Document tabs.
    void RebuildTabs();
    void ShowCurrentDocument();
    void RestoreTabs();
    // Files dropped on the window (paths); only text files join.
    void DropFiles(const QStringList &paths);
    // The open documents and the one shown (for tests).
    int CurrentIndex() const;

    // Reading.
    void ReadText(const QString &text);
    void UpdateModeCaptions();
    void UpdateStatus();
    void UpdateSelectedEnabling();

    // A global hotkey came in: runs the global command whose shortcut it is.
    bool HotkeyPressed(Qt::KeyboardModifiers modifiers, Qt::Key key);
    // Saves the window's place and the settings; runs once, at the end.
    void FormDestroy();

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    void FormCreate(QSize screenSize);
    void BuildEngineList();
    void ApplyMemoSettings();
    void ApplyTabSettings();
    void ApplyShortcuts();
    void ComboBoxExEnginesChange(int index);
    void TrackBarVolChange(int position);
    void TrackBarSpdChange(int position);
    void ShowHintText(const QString &hint);
    void BrowseFolder(const QString &folder);
    void ShowError(const QString &text);

    // Document commands.
    void ActionFileNewExecute();
    void ActionFileOpenExecute();
    void ActionFileSaveExecute();
    void ActionFileSaveAsExecute();
    void ActionFileCloseExecute();
    void ActionFileCloseAllExecute();
    void MoveExecute(int move);
    void TabMouseUp(const QPoint &position);
    bool SaveMemoTo(const QString &path);
    bool LoadDocument(const QString &path);

    // Reading commands.
    void ActionTTSExecute();
    void ActionTTWExecute();
    void ActionTTMExecute();
    void ActionTTXCursorExecute();
    void ActionTTXSelectedExecute();
    void ActionPauseExecute();
    void ActionStopExecute();
    void ActionPrevExecute();
    void ActionNextExecute();
    void MSpeech1Start();
    void MSpeech1Stop();
    void TimerWordPositionTimer();
    void SetReadingLocked(bool locked);
    void ContinueAfterRun();
    QString OutputName(bool mp3) const;

    bool FShowAtStart = true;
    bool FDestroyed = false;
    bool FSilentTabs = false; // tab selections made by the program itself
    QString FSearchText;
    std::unique_ptr<loqa::DocumentFile> FDocument; // how the shown document is stored on disk
    QByteArray FSpokenUtf8; // the text as the engine has it, for the highlight
    loqa::SpokenPosition FSpokenPosition;
    bool FConverting = false; // an MP3 encoding runs
};
