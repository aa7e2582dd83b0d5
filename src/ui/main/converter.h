#pragma once

#include "ui/options/optionshost.h"
#include "commands/actions.h"
#include "widgets/qmform.h"
#include "reading/readingcontroller.h"
#include "settings/settings.h"
#include "widgets/statuspanel.h"
#include "alarm/ticker.h"
#include "document/document.h"

#include <QPointer>
#include <QStringList>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QSlider;
class QTextCursor;
class QTimer;
class QToolBar;
class QToolButton;
class TMSpeech;
class TClipboardMonitor;
class TSysTray;
class TTabStrip;
class TFindDialog;

namespace loqa {
class DocumentFile;
namespace doc {
class DocumentLoader;
}
} // namespace loqa

// The main window: documents in tabs over one editor, the reading commands,
// the voice list and the volume and speed bars.
class TFormCvt : public TQMForm, public loqa::OptionsHost, private loqa::ReadingHost
{
    Q_OBJECT
public:
    // `screenSize` centres the window on its first start.
    explicit TFormCvt(QSize screenSize, QWidget *parent = nullptr);
    ~TFormCvt() override;

    // The program's settings, loaded as the window is made and saved as it ends.
    loqa::Settings &settings() override { return FSettings; }

    // The shown document's chapters (headings, outline, table of contents) when it
    // is not plain text and has been read to its end.
    const QList<loqa::doc::Chapter> &Chapters() const { return FChapters; }
    bool DocumentLoading() const { return FLoading; }

    // False when the window should start hidden in the tray.
    bool ShowAtStart() const { return FShowAtStart; }

    // Components, named as in the window's design.
    QMenuBar *MainMenus = nullptr;
    QToolBar *ToolBar = nullptr;
    QToolButton *ToolButtonTTX = nullptr;
    QComboBox *ComboBoxExEngines = nullptr;
    QSlider *TrackBarVol = nullptr;
    QSlider *TrackBarSpd = nullptr;
    TTabStrip *TabControl1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QWidget *PanelBottom = nullptr;
    TStatusPanel *PanelStatus = nullptr;
    QProgressBar *GaugeWordPosition = nullptr;
    QMenu *PopupMenuTTX = nullptr;
    QMenu *PopupMenuTab = nullptr;
    QMenu *PopupMenuMemo = nullptr;
    QMenu *PopupMenuTray = nullptr;
    std::array<QMenu *, 6> MainMenu{};
    std::array<QAction *, loqa::ActionCount> ActionList1{};
    TMSpeech *MSpeech1 = nullptr;
    // Every run of MSpeech1 goes through it.
    loqa::ReadingController *Reading = nullptr;
    TClipboardMonitor *ClipboardMonitor1 = nullptr;
    TSysTray *SysTray1 = nullptr;
    QTimer *TimerAandR = nullptr;
    // The find and replace dialog on Memo1, made when first asked for.
    TFindDialog *FindDialog1 = nullptr;

    QAction *action(loqa::ActionIndex index) const { return ActionList1[size_t(index)]; }

    // Document tabs.
    void RebuildTabs();
    void ShowCurrentDocument();
    void RestoreTabs();
    // Files dropped on the window (paths); only text files join.
    void DropFiles(const QStringList &paths);
    // The open documents and the one shown (for tests).
    int CurrentIndex() const;

    // Reading (the controller does the work).
    void ReadText(const QString &text);
    void UpdateModeCaptions();
    void UpdateStatus();
    void UpdateSelectedEnabling();
    // Where the spoken word is shown in the editor, -1 when no word is.
    int HighlightedWord() const;
    // Undo, Cut, Copy, Paste and Delete by the editor's state and the clipboard.
    void UpdateEditEnabling();
    // Prev, Next and the Move commands by the shown tab and the Repeat setting.
    void UpdateNavigation();

    // A global hotkey came in: runs every global command whose shortcut it is.
    bool HotkeyPressed(Qt::KeyboardModifiers modifiers, Qt::Key key);
    // Saves the window's place and the settings; runs once, at the end.
    void FormDestroy();
    // The window's place, the settings and the document list written now, the
    // window going on (the session manager asks for it before a logout, which it
    // may still cancel).
    void SaveSession();
    // The session ends the program (a signal): what closing the window does, then
    // the event loop ends with 0.
    void EndSession();
    // Documents handed over by `loqa --open`: each joins the list unless it is
    // there already, and the first is shown.
    void OpenDocuments(const QStringList &paths);

    // What the options dialog asks of the window. A shortcut text goes to the
    // action at once (HotkeyList keeps it) and a system-wide hotkey of this
    // window moves to the new chord.
    void SetActionShortcut(int index, const QString &text) override;
    int GrabGlobalHotkey(int index) override;
    void ReleaseGlobalHotkey(int index, int id) override;
    QFont EditorFont() const override;
    QColor EditorTextColour() const override;
    QColor EditorBackColour() const override;
    TMSpeech &Speech() override { return *MSpeech1; }

protected:
    void FormShow() override;
    void FormPaletteChange() override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The settings applied to the live window, one group each: ShowSettings
    // runs the one of a group that changed (FSettings.Changed).
    void ApplyShortcuts();
    void ApplyTabSettings();
    void ApplyEditorFont();
    void ApplyEditorColours();
    // The position gauge's colours, and the editor's while a document is read:
    // the program's own tints, the desktop's colours in high contrast.
    void ApplyGaugeColours();
    void ApplyReadingTint();
    void ApplyScrollBarsAndWrap();
    void ApplyToolBar();
    void ApplyStatusBar();
    void ApplyMenus();
    void ApplyStayOnTop();
    void ApplyTray();
    void ApplyHints();
    void ApplyTimers();

    void ShowSettings(loqa::SettingsGroup group);

    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    // Gives a menu's commands their keys as it opens: captions change with the
    // mode, and a command shared with another menu takes the keys of the one shown.
    static void GiveMnemonics(QMenu *menu);
    void SetTabOrder();
    void FormCreate(QSize screenSize);
    void BuildEngineList();
    void ComboBoxExEnginesChange(int index);
    void TrackBarVolChange(int position);
    void TrackBarSpdChange(int position);
    void ShowHintText(const QString &hint);
    void BrowseFolder(const QString &folder);
    void ShowError(const QString &text);

    // Clipboard reading (converter_clipboard.cpp).
    void CreateClipboard();
    void ClipboardMonitor1ClipboardChange();
    void ActionReadClipboardExecute();
    // The tray side (converter_tray.cpp).
    void CreateTray();
    void PopupMenuTrayPopup();
    void ActionShowMainExecute();
    bool StartsHidden() const;
    // Commands from `loqa --command` (converter_commands.cpp).
    void CreateCommandChannel();
    void RunCommand(int command);

    // Document commands. New is false when the new file could not be made.
    bool ActionFileNewExecute();
    void ActionFileOpenExecute();
    void ActionFileSaveExecute();
    void ActionFileSaveAsExecute();
    void ActionFileCloseExecute();
    void ActionFileCloseAllExecute();
    void MoveExecute(int move);
    TFindDialog *FindDialog();
    void TabMouseUp(int tab);
    bool SaveMemoTo(const QString &path);
    bool LoadDocument(const QString &path);
    // A document that is not plain text: its text comes into the editor as it is read.
    void StartDocumentLoad(const QString &path);
    void DocumentLoadEnded();

    // What the reading controller asks of the window.
    QString EditorText() const override;
    int EditorCursor() const override;
    QString EditorSelection(int *start) const override;
    int CurrentTab() const override;
    int TabCount() const override;
    QString TabCaption(int index) const override;
    void ShowDocument(int index) override;
    QString AskSaveName(bool mp3, const QString &folder, const QString &suggested) override;

    // What the window shows of a run.
    void ConnectReading();
    void MSpeech1Start(bool documentRun);
    void MSpeech1Stop();
    void TimerWordPositionTimer(int position);
    // Paints the word heard at `position` (-1: none) at once, the status line left alone.
    void PaintHeardWord(int position);
    void ScrollToWord(const QTextCursor &word);
    // The alarm and the reminders (converter_alarm.cpp).
    void CreateAandRTimer();
    void StartAandRTimer(bool on);
    void TimerAandRTimer();
    void AlarmStepAt(const QDateTime &second);
    void ReminderStepAt(const QDateTime &second);
    void SpeakAandR(const QString &text);
    void ShowAandRBox(const QString &text);

    // The program's settings. Members go before the children do: the reading
    // controller keeps a reference to them but reads none as it is destroyed.
    loqa::Settings FSettings;
    bool FShowAtStart = true;
    bool FDestroyed = false;
    bool FSilentTabs = false;                             // tab selections made by the program itself
    std::unique_ptr<loqa::DocumentFile> FDocument;        // how the shown document is stored on disk
    std::unique_ptr<loqa::doc::DocumentLoader> FLoader;   // the shown document's reading, when not plain text
    bool FLoading = false;                                // its text is still coming
    QList<loqa::doc::Chapter> FChapters;                  // the shown document's chapters, when it has any
    std::array<int, loqa::ActionCount> FGrabbedHotkeys{}; // the global grabs made, to release them again
    bool FHintFilter = false;                             // the application-wide filter that hides hints

    // The seconds TimerAandR gives.
    loqa::SecondTicker FAandRTicker;
};
