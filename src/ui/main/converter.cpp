#include "ui/main/converter.h"
#include "document/documentloader.h"

#include "ui/options/option.h"

#include "platform/apppath.h"
#include "widgets/clipmon.h"
#include "commands/commandrules.h"
#include "text/documentfile.h"
#include "widgets/finddialog.h"
#include "platform/globalhotkeys.h"
#include "platform/guarded.h"
#include "speech/lexicon.h"
#include "widgets/menubarkeys.h"
#include "speech/mspeech.h"
#include "widgets/qmshell.h"
#include "platform/qmutils.h"
#include "platform/shortcut.h"
#include "widgets/splitbutton.h"
#include "widgets/statuspanel.h"
#include "widgets/systray.h"
#include "widgets/tabstrip.h"
#include "ui/main/toolicons.h"
#include "widgets/trackbar.h"
#include "ui/main/uitexts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSlider>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

using namespace loqa;

namespace {

const char *const kMenuTitles[6] = {"File", "Edit", "Search", "Playback", "Tools", "Help"};
const char *const kMenuHints[6] = {"File operations. New, Save, Close, etc.",
                                   "Edit operations. Cut, Copy, Undo, etc.",
                                   "Search operations. Find, Replace, etc.",
                                   "Reading/conversion commands. Play, Pause, Stop, etc.",
                                   "Misc commands. Options, Open favorite folder, etc.",
                                   ""};

} // namespace

void TFormCvt::GiveMnemonics(QMenu *menu)
{
    QList<QAction *> actions;
    QStringList captions;
    for (QAction *a : menu->actions()) {
        if (a->isSeparator() || a->menu())
            continue;
        actions << a;
        captions << QString(a->text()).remove(QLatin1Char('&'));
    }
    const QStringList marked = WithMnemonics(captions);
    for (qsizetype i = 0; i < actions.size(); ++i) {
        if (actions[i]->text() != marked[i])
            actions[i]->setText(marked[i]);
    }
}

TFormCvt::TFormCvt(QSize screenSize, QWidget *parent) : TQMForm(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormCvt"));
    setWindowTitle(QStringLiteral("Loquora"));
    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    splitbutton_accessible::Install();
    CreateActions();
    CreateMenus();
    CreateLayout();
    FormCreate(screenSize);
}

TFormCvt::~TFormCvt()
{
    FormDestroy();
    MSpeech1->OnStart = nullptr;
    MSpeech1->OnStop = nullptr;
}

void TFormCvt::CreateActions()
{
    for (int i = 0; i < ActionCount; ++i) {
        auto *a = new QAction(QString::fromLatin1(kActions[size_t(i)].caption), this);
        a->setObjectName(QLatin1String(kActions[size_t(i)].name));
        const QString hint = QString::fromLatin1(kActions[size_t(i)].hint);
        a->setToolTip(hint);
        a->setStatusTip(hint);
        a->setShortcutContext(Qt::WindowShortcut);
        ActionList1[size_t(i)] = a;
        addAction(a); // shortcuts work while the window has the focus
    }
    action(ActionTTS)->setIcon(ToolIcon(ImgReadAloud));
    action(ActionTTW)->setIcon(ToolIcon(ImgReadWav));
    action(ActionTTM)->setIcon(ToolIcon(ImgReadMp3));
    action(ActionPause)->setIcon(ToolIcon(ImgPause));
    action(ActionStop)->setIcon(ToolIcon(ImgStop));
    action(ActionPrev)->setIcon(ToolIcon(ImgPrev));
    action(ActionNext)->setIcon(ToolIcon(ImgNext));
    action(ActionOptions)->setIcon(ToolIcon(ImgOptions));
    for (ActionIndex i : {ActionTTXSelected, ActionPause, ActionStop, ActionSearchFindNext})
        action(i)->setEnabled(false);

    auto on = [this](ActionIndex i, auto fn) { connect(action(i), &QAction::triggered, this, fn); };
    on(ActionFileNew, &TFormCvt::ActionFileNewExecute);
    on(ActionFileOpen, &TFormCvt::ActionFileOpenExecute);
    on(ActionFileSave, &TFormCvt::ActionFileSaveExecute);
    on(ActionFileSaveAs, &TFormCvt::ActionFileSaveAsExecute);
    on(ActionFileClose, &TFormCvt::ActionFileCloseExecute);
    on(ActionFileCloseAll, &TFormCvt::ActionFileCloseAllExecute);
    on(ActionFileExit, &TFormCvt::close);
    on(ActionFileMoveFirst, [this] { MoveExecute(0); });
    on(ActionFileMovePrev, [this] { MoveExecute(1); });
    on(ActionFileMoveNext, [this] { MoveExecute(2); });
    on(ActionFileMoveLast, [this] { MoveExecute(3); });
    on(ActionTTS, [this] { Reading->ReadDocument(cmAloud); });
    on(ActionTTW, [this] { Reading->ReadDocument(cmWav); });
    on(ActionTTM, [this] { Reading->ReadDocument(cmMp3); });
    on(ActionTTXCursor, [this] { Reading->ReadFromCursor(); });
    on(ActionTTXSelected, [this] { Reading->ReadSelected(); });
    on(ActionPause, [this] { Reading->PauseResume(); });
    on(ActionStop, [this] { Reading->Stop(); });
    on(ActionPrev, [this] { Reading->Prev(); });
    on(ActionNext, [this] { Reading->Next(); });
    on(ActionBrowseTxt, [this] { BrowseFolder(FSettings.convert.DefTxtPath); });
    on(ActionBrowseWav, [this] { BrowseFolder(FSettings.convert.DefWavPath); });
    on(ActionBrowseMp3, [this] { BrowseFolder(FSettings.convert.DefMp3Path); });
    on(ActionHelp, [] {
        const QString help = CompanionFile(QStringLiteral("loqa.html"));
        ShellOpen(help.isEmpty() ? AppPath() + QStringLiteral("loqa.html") : help, QStringLiteral("Open"),
                  SW_SHOWMAXIMIZED);
    });
    on(ActionHelpContact, [] { ShellOpen(QLatin1String(kSupportMail), QStringLiteral("Open"), SW_SHOWMAXIMIZED); });
    on(ActionHelpVOXAHome,
       [] { ShellOpen(QLatin1String(kProductHomePage), QStringLiteral("Open"), SW_SHOWMAXIMIZED); });
    on(ActionHelpQMHome, [] { ShellOpen(QLatin1String(kMakerHomePage), QStringLiteral("Open"), SW_SHOWMAXIMIZED); });
    on(ActionOptions, [this] { ShowOptionDialog(*this, this); });
    on(ActionHelpAbout, [this] {
        QMessageBox::about(this, ApplicationTitle(),
                           QStringLiteral("<b>Loquora</b> %1<br>A text-to-speech reader and converter.<br>"
                                          "Speech by eSpeak NG; MP3 by LAME.")
                               .arg(QStringLiteral(LOQA_VERSION)));
    });

    // The editing and search commands work on the editor.
    on(ActionEditUndo, [this] { Memo1->undo(); });
    on(ActionEditCut, [this] { Memo1->cut(); });
    on(ActionEditCopy, [this] { Memo1->copy(); });
    on(ActionEditPaste, [this] { Memo1->paste(); });
    on(ActionEditDel, [this] { Memo1->textCursor().removeSelectedText(); });
    on(ActionEditSelectAll, [this] { Memo1->selectAll(); });
    // Find and Replace open the dialog; Find First and Find Next repeat its last search.
    on(ActionSearchFind, [this] { FindDialog()->showFind(); });
    on(ActionSearchReplace, [this] { FindDialog()->showReplace(); });
    on(ActionSearchFindFirst, [this] {
        if (FindDialog()->hasSearch())
            FindDialog()->findFirst();
        else
            FindDialog()->showFind();
    });
    on(ActionSearchFindNext, [this] {
        if (FindDialog()->hasSearch())
            FindDialog()->findNext();
    });
}

void TFormCvt::CreateMenus()
{
    using A = ActionIndex;
    const std::vector<std::vector<int>> items{
        {A::ActionFileNew, A::ActionFileOpen, -1, A::ActionFileSave, A::ActionFileSaveAs, A::ActionFileClose,
         A::ActionFileCloseAll, -1, A::ActionFileExit},
        {A::ActionEditUndo, -1, A::ActionEditCut, A::ActionEditCopy, A::ActionEditPaste, A::ActionEditDel, -1,
         A::ActionEditSelectAll},
        {A::ActionSearchFind, A::ActionSearchReplace, -1, A::ActionSearchFindFirst, A::ActionSearchFindNext},
        {A::ActionTTS, A::ActionTTW, A::ActionTTM, -1, A::ActionTTXCursor, A::ActionTTXSelected, -1, A::ActionPause,
         A::ActionStop, -1, A::ActionPrev, A::ActionNext},
        {A::ActionBrowseTxt, A::ActionBrowseWav, A::ActionBrowseMp3, -1, A::ActionReadClipboard, -1, A::ActionOptions},
        {A::ActionHelp, -1, A::ActionHelpContact, A::ActionHelpVOXAHome, A::ActionHelpQMHome, -1, A::ActionHelpAbout},
    };
    auto fill = [this](QMenu *menu, const std::vector<int> &list) {
        for (int i : list) {
            if (i < 0)
                menu->addSeparator();
            else
                menu->addAction(action(ActionIndex(i)));
        }
    };
    for (size_t m = 0; m < MainMenu.size(); ++m) {
        MainMenu[m] = new QMenu(QString::fromLatin1(kMenuTitles[m]), this);
        MainMenu[m]->setWindowTitle(QString::fromLatin1(kMenuTitles[m])); // what an opened menu is called
        fill(MainMenu[m], items[m]);
    }
    for (QMenu *menu : MainMenu)
        connect(menu, &QMenu::aboutToShow, menu, [menu] { GiveMnemonics(menu); });
    connect(MainMenu[3], &QMenu::aboutToShow, this, &TFormCvt::UpdateSelectedEnabling);
    connect(MainMenu[1], &QMenu::aboutToShow, this, &TFormCvt::UpdateEditEnabling);

    PopupMenuTTX = new QMenu(this);
    fill(PopupMenuTTX, {A::ActionTTS, A::ActionTTW, A::ActionTTM});
    PopupMenuTab = new QMenu(this);
    fill(PopupMenuTab, {A::ActionFileSave, A::ActionFileSaveAs, -1, A::ActionFileClose, A::ActionFileCloseAll, -1,
                        A::ActionFileMoveFirst, A::ActionFileMovePrev, A::ActionFileMoveNext, A::ActionFileMoveLast});
    PopupMenuMemo = new QMenu(this);
    fill(PopupMenuMemo, {A::ActionEditUndo, -1, A::ActionEditCut, A::ActionEditCopy, A::ActionEditPaste,
                         A::ActionEditDel, -1, A::ActionEditSelectAll, -1, A::ActionTTXCursor, A::ActionTTXSelected});
    connect(PopupMenuMemo, &QMenu::aboutToShow, this, &TFormCvt::UpdateSelectedEnabling);
    connect(PopupMenuMemo, &QMenu::aboutToShow, this, &TFormCvt::UpdateEditEnabling);
    for (QMenu *menu : {PopupMenuTTX, PopupMenuTab, PopupMenuMemo})
        connect(menu, &QMenu::aboutToShow, menu, [menu] { GiveMnemonics(menu); });
}

void TFormCvt::CreateLayout()
{
    auto *client = new QVBoxLayout(PanelQMClient);
    client->setContentsMargins(0, 0, 0, 0);
    client->setSpacing(0);

    // The menu row: a menu bar to the keyboard and to assistive tools, drawn
    // flat inside the frame as the rest of the client area.
    MainMenus = new QMenuBar(PanelQMClient);
    MainMenus->setObjectName(QStringLiteral("MainMenus"));
    MainMenus->setNativeMenuBar(false);
    MainMenus->setAccessibleName(QStringLiteral("Menus"));
    MainMenus->installEventFilter(this); // the menus' hints as tooltips
    for (size_t m = 0; m < MainMenu.size(); ++m) {
        // Alt and the first letter open the menu.
        MainMenu[m]->setTitle(QStringLiteral("&") + QString::fromLatin1(kMenuTitles[m]));
        QAction *title = MainMenus->addMenu(MainMenu[m]);
        title->setToolTip(QString::fromLatin1(kMenuHints[m]));
        title->setStatusTip(QString::fromLatin1(kMenuHints[m]));
    }
    menubar_keys::Install(MainMenus);
    client->addWidget(MainMenus);

    ToolBar = new QToolBar(PanelQMClient);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setIconSize(QSize(48, 48));
    ToolBar->setFixedHeight(54);
    ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolButtonTTX = new QToolButton(ToolBar);
    ToolButtonTTX->setObjectName(QStringLiteral("ToolButtonTTX"));
    ToolButtonTTX->setPopupMode(QToolButton::MenuButtonPopup);
    ToolButtonTTX->setMenu(PopupMenuTTX);
    ToolButtonTTX->setIconSize(QSize(48, 48));
    ToolButtonTTX->setAutoRaise(true);
    ToolBar->addWidget(ToolButtonTTX);
    ToolBar->addSeparator();
    ToolBar->addAction(action(ActionPause));
    ToolBar->addAction(action(ActionStop));
    ToolBar->addSeparator();
    ToolBar->addAction(action(ActionPrev));
    ToolBar->addAction(action(ActionNext));
    ToolBar->addSeparator();

    auto *voicePanel = new QWidget(ToolBar);
    auto *voiceLayout = new QVBoxLayout(voicePanel);
    voiceLayout->setContentsMargins(2, 1, 2, 1);
    voiceLayout->setSpacing(1);
    ComboBoxExEngines = new QComboBox(voicePanel);
    ComboBoxExEngines->setObjectName(QStringLiteral("ComboBoxExEngines"));
    ComboBoxExEngines->setMaxVisibleItems(8);
    ComboBoxExEngines->setMinimumWidth(170);
    ComboBoxExEngines->setIconSize(QSize(16, 16));
    const QString engineHint = QStringLiteral("Select Voice -- Get more from ") + QLatin1String(kMoreVoicesPage);
    ComboBoxExEngines->setToolTip(engineHint);
    ComboBoxExEngines->setStatusTip(engineHint);
    ComboBoxExEngines->setAccessibleName(QStringLiteral("Voice"));
    auto *bars = new QHBoxLayout;
    bars->setSpacing(4);
    TrackBarVol = new TTrackBar(Qt::Horizontal, voicePanel);
    TrackBarVol->setObjectName(QStringLiteral("TrackBarVol"));
    TrackBarVol->setRange(0, 65535);
    TrackBarVol->setPageStep(2048);
    TrackBarVol->setToolTip(QStringLiteral("Adjust Volume"));
    TrackBarVol->setStatusTip(QStringLiteral("Adjust Volume"));
    TrackBarVol->setAccessibleName(QStringLiteral("Volume"));
    TrackBarSpd = new TTrackBar(Qt::Horizontal, voicePanel);
    TrackBarSpd->setObjectName(QStringLiteral("TrackBarSpd"));
    TrackBarSpd->setRange(50, 500);
    TrackBarSpd->setPageStep(2048);
    TrackBarSpd->setToolTip(QStringLiteral("Adjust Speed"));
    TrackBarSpd->setStatusTip(QStringLiteral("Adjust Speed"));
    TrackBarSpd->setAccessibleName(QStringLiteral("Speed"));
    bars->addWidget(TrackBarVol);
    bars->addWidget(TrackBarSpd);
    voiceLayout->addWidget(ComboBoxExEngines);
    voiceLayout->addLayout(bars);
    ToolBar->addWidget(voicePanel);
    ToolBar->addSeparator();
    ToolBar->addAction(action(ActionOptions));
    client->addWidget(ToolBar);

    TabControl1 = new TTabStrip(PanelQMClient);
    TabControl1->setObjectName(QStringLiteral("TabControl1"));
    TabControl1->setAccessibleName(QStringLiteral("Documents"));
    connect(TabControl1, &TTabStrip::tabContextMenuRequested, this, &TFormCvt::TabMouseUp);
    Memo1 = new QPlainTextEdit(PanelQMClient);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAccessibleName(QStringLiteral("Document text"));
    // Tab leaves the editor for the next control, as it does everywhere else in the window.
    Memo1->setTabChangesFocus(true);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QPlainTextEdit::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenuMemo->popup(Memo1->viewport()->mapToGlobal(at)); });
    connect(Memo1, &QPlainTextEdit::selectionChanged, this, &TFormCvt::UpdateEditEnabling);
    connect(Memo1, &QPlainTextEdit::undoAvailable, this, &TFormCvt::UpdateEditEnabling);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TFormCvt::UpdateEditEnabling);
    auto *tabArea = new QWidget(PanelQMClient);
    tabArea->setObjectName(QStringLiteral("TabArea"));
    auto *tabLayout = new QBoxLayout(QBoxLayout::TopToBottom, tabArea);
    tabLayout->setContentsMargins(2, 2, 2, 2);
    tabLayout->setSpacing(0);
    tabLayout->addWidget(TabControl1);
    tabLayout->addWidget(Memo1, 1);
    client->addWidget(tabArea, 1);

    PanelBottom = new TStatusBar(PanelQMClient);
    PanelBottom->setObjectName(QStringLiteral("PanelBottom"));
    PanelBottom->setFixedHeight(19);
    auto *bottom = new QHBoxLayout(PanelBottom);
    bottom->setContentsMargins(0, 0, 0, 0);
    auto *splitter = new QSplitter(Qt::Horizontal, PanelBottom);
    PanelStatus = new TStatusPanel(QStringLiteral(" Ready"), splitter);
    PanelStatus->setObjectName(QStringLiteral("PanelStatus"));
    PanelStatus->setMinimumWidth(20);
    GaugeWordPosition = new QProgressBar(splitter);
    GaugeWordPosition->setObjectName(QStringLiteral("GaugeWordPosition"));
    GaugeWordPosition->setTextVisible(false);
    GaugeWordPosition->setAccessibleName(QStringLiteral("Reading position"));
    GaugeWordPosition->setFixedWidth(185);
    ApplyGaugeColours();
    splitter->addWidget(PanelStatus);
    splitter->addWidget(GaugeWordPosition);
    splitter->setStretchFactor(0, 1);
    bottom->addWidget(splitter);
    client->addWidget(PanelBottom);

    MSpeech1 = new TMSpeech(this);
    MSpeech1->setObjectName(QStringLiteral("MSpeech1"));
    Reading = new ReadingController(MSpeech1, this, FSettings, this);
    Reading->setObjectName(QStringLiteral("Reading"));
    ConnectReading();
    CreateClipboard();
    CreateTray();
    CreateCommandChannel();
    CreateAandRTimer();

    connect(ComboBoxExEngines, &QComboBox::activated, this, &TFormCvt::ComboBoxExEnginesChange);
    connect(TrackBarVol, &QSlider::valueChanged, this, &TFormCvt::TrackBarVolChange);
    connect(TrackBarSpd, &QSlider::valueChanged, this, &TFormCvt::TrackBarSpdChange);
    connect(TabControl1, &TTabStrip::currentChanged, this, [this](int index) {
        if (!FSilentTabs && index >= 0)
            ShowCurrentDocument();
    });
    connect(&GlobalHotkeys::instance(), &GlobalHotkeys::pressed, this, &TFormCvt::HotkeyPressed);
    connect(&GlobalHotkeys::instance(), &GlobalHotkeys::lost, PanelStatus, &QLabel::setText);
    UpdateEditEnabling();
    SetTabOrder();
}

void TFormCvt::SetTabOrder()
{
    // The tool bar's command buttons take the keyboard like every other control.
    for (QToolButton *button : ToolBar->findChildren<QToolButton *>()) {
        if (button->defaultAction() || button == ToolButtonTTX)
            button->setFocusPolicy(Qt::TabFocus);
    }
    // The caption buttons stay out of Tab's way: the mouse and assistive tools
    // press them, and the window manager's keys do what they do.
    for (TQMButton *button : {minImage, maxImage, hryrImage, closeImage})
        button->setFocusPolicy(Qt::NoFocus);
    // Reading order, row by row: the tool bar left to right, the document tabs,
    // the document. The menus are reached with F10, Alt, or Alt and a letter.
    QList<QWidget *> order{ToolButtonTTX};
    for (ActionIndex i : {ActionPause, ActionStop, ActionPrev, ActionNext})
        order << ToolBar->widgetForAction(action(i));
    order << ComboBoxExEngines << TrackBarVol << TrackBarSpd << ToolBar->widgetForAction(action(ActionOptions))
          << TabControl1 << Memo1;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TFormCvt::FormCreate(QSize screenSize)
{
    guarded([&] { FSettings.Load(screenSize); });
    guarded(
        [&] { speech::DefaultLexicon()->setFiles(speech::OwnLexiconPath(AppPath()), FSettings.lists.DictionaryList); });
    // Every group is shown as the options dialog shows a changed one.
    FSettings.OnChanged = [this](SettingsGroup group) { ShowSettings(group); };
    // Dropped files are accepted from the start (the window takes them in dropEvent).
    guarded([&] { FSettings.Changed(SettingsGroup::Hints); });
    // Minimising into the tray follows the window's state (changeEvent).
    guarded([&] {
        setGeometry(FSettings.automatic.MainLeft, FSettings.automatic.MainTop, FSettings.automatic.MainWidth,
                    FSettings.automatic.MainHeight);
    });
    guarded([&] { FSettings.Changed(SettingsGroup::StayOnTop); });
    guarded([&] { BuildEngineList(); });
    guarded([&] {
        const QSignalBlocker blockSpeed(TrackBarSpd), blockVolume(TrackBarVol);
        TrackBarSpd->setValue(FSettings.automatic.Spd);
        TrackBarVol->setValue(GetWaveVolume());
    });
    // The dialogs take their folders when they open (DefTxtPath, DefWavPath, DefMp3Path).
    guarded([&] { FSettings.Changed(SettingsGroup::Shortcuts); });
    guarded([&] { FSettings.Changed(SettingsGroup::Tabs); });
    guarded([&] { FSettings.Changed(SettingsGroup::EditorColours); });
    guarded([&] { FSettings.Changed(SettingsGroup::EditorFont); });
    guarded([&] { FSettings.Changed(SettingsGroup::ScrollBarsAndWrap); });
    guarded([&] { FSettings.Changed(SettingsGroup::ToolBar); });
    guarded([&] { FSettings.Changed(SettingsGroup::Menus); });
    guarded([&] { FSettings.Changed(SettingsGroup::StatusBar); });
    guarded([&] {
        FSettings.Changed(SettingsGroup::Tray);
        FShowAtStart = !StartsHidden();
    });
    guarded([&] { FSettings.Changed(SettingsGroup::Timers); });
    guarded([&] {
        RestoreTabs();
        UpdateModeCaptions();
        UpdateStatus();
    });
    guarded([&] {
        // A greeting that cannot be spoken is dropped; the status panel says why.
        if (FSettings.general.Greeting && FSettings.automatic.ConvertMode <= 0)
            Reading->ReadText(FSettings.general.GreetingString, false);
    });
}

void TFormCvt::BuildEngineList()
{
    ComboBoxExEngines->clear();
    for (const QString &name : MSpeech1->Engines())
        ComboBoxExEngines->addItem(EngineIcon(EngineImageIndex(name)), name);
    try {
        if (FSettings.automatic.EngineIndex < 0 || FSettings.automatic.EngineIndex >= ComboBoxExEngines->count())
            throw EMSpeechException(QStringLiteral("no such voice"));
        ComboBoxExEngines->setCurrentIndex(FSettings.automatic.EngineIndex);
        MSpeech1->SelectEngine(MSpeech1->Engines().at(FSettings.automatic.EngineIndex));
    } catch (...) {
        ComboBoxExEngines->setCurrentIndex(0);
        FSettings.automatic.EngineIndex = 0;
        if (!MSpeech1->Engines().isEmpty())
            MSpeech1->SelectEngine(MSpeech1->Engines().at(0));
    }
}

void TFormCvt::ComboBoxExEnginesChange(int index)
{
    FSettings.automatic.EngineIndex = index;
}

void TFormCvt::TrackBarVolChange(int position)
{
    SetWaveVolume(position);
    PanelStatus->setText(VolumeStatusText(position));
}

void TFormCvt::TrackBarSpdChange(int position)
{
    FSettings.automatic.Spd = position;
    PanelStatus->setText(SpeedStatusText(position));
}

void TFormCvt::BrowseFolder(const QString &folder)
{
    QDir().mkpath(folder);
    ShellOpen(folder, QStringLiteral("explore"), SW_SHOWMAXIMIZED);
}

void TFormCvt::ShowError(const QString &text)
{
    QMessageBox::critical(this, ApplicationTitle(), text);
}

void TFormCvt::FormShow()
{
    TQMForm::FormShow();
    SetMinWidth(340);
    SetMinHeight(120);
    ComboBoxExEngines->view()->setMinimumWidth(270);
    Memo1->setFocus(); // typing goes to the document
}

bool TFormCvt::HotkeyPressed(Qt::KeyboardModifiers modifiers, Qt::Key key)
{
    // Every global command on this chord runs, in table order.
    const std::vector<int> commands =
        GlobalHotkeyCommands(FSettings.lists.HotkeyList, FSettings.lists.GlobalHotkeyIDList, modifiers, key);
    for (int i : commands) {
        if (i == ActionTTXSelected)
            UpdateSelectedEnabling();
        if (i >= ActionEditUndo && i <= ActionEditDel)
            UpdateEditEnabling();
        if (action(ActionIndex(i))->isEnabled())
            action(ActionIndex(i))->trigger();
    }
    return !commands.empty();
}

void TFormCvt::UpdateEditEnabling()
{
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    EditState state;
    state.hasSelection = Memo1->textCursor().hasSelection();
    state.canUndo = Memo1->document()->isUndoAvailable();
    state.clipboardHasText = clip && clip->hasText() && !clip->text().isEmpty();
    state.readOnly = Memo1->isReadOnly();
    const EditEnabling e = EditEnablingFor(state);
    action(ActionEditUndo)->setEnabled(e.undo);
    action(ActionEditCut)->setEnabled(e.cut);
    action(ActionEditCopy)->setEnabled(e.copy);
    action(ActionEditPaste)->setEnabled(e.paste);
    action(ActionEditDel)->setEnabled(e.del);
}

TFindDialog *TFormCvt::FindDialog()
{
    if (!FindDialog1) {
        FindDialog1 = new TFindDialog(Memo1, this);
        connect(FindDialog1, &TFindDialog::searched, this, [this] { action(ActionSearchFindNext)->setEnabled(true); });
    }
    return FindDialog1;
}

void TFormCvt::closeEvent(QCloseEvent *event)
{
    FormDestroy();
    TQMForm::closeEvent(event);
    QApplication::quit();
}

void TFormCvt::EndSession()
{
    // What closing the window does; a second signal finds it done.
    FormDestroy();
    QApplication::quit();
}

void TFormCvt::FormDestroy()
{
    if (FDestroyed)
        return;
    FDestroyed = true;
    for (int &grabbed : FGrabbedHotkeys) {
        if (grabbed != 0)
            UnregisterGlobalHotKey(grabbed);
        grabbed = 0;
    }
    setAcceptDrops(false);
    SaveSession();
}

void TFormCvt::SaveSession()
{
    const QRect frame = geometry();
    FSettings.automatic.MainWidth = frame.width();
    FSettings.automatic.MainHeight = frame.height();
    FSettings.automatic.MainLeft = frame.x();
    FSettings.automatic.MainTop = frame.y();
    try {
        FSettings.Save();
    } catch (const ESettingsError &error) {
        QMessageBox::critical(nullptr, ApplicationTitle(), error.message());
    }
}

void TFormCvt::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFormCvt::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    DropFiles(paths);
    event->acceptProposedAction();
}

namespace {

// A widget of one of Loquora's own windows: a skinned window, or a window one of
// them opened (a menu, a dialog). The tray icon's window is the toolkit's, with
// no parent: its hint is the desktop's and stays whatever the setting.
bool OfOurWindows(const QObject *watched)
{
    if (!watched->isWidgetType())
        return false;
    for (const QWidget *widget = static_cast<const QWidget *>(watched); widget;
         widget = widget->window()->parentWidget()) {
        if (qobject_cast<const TQMForm *>(widget->window()))
            return true;
    }
    return false;
}

} // namespace

bool TFormCvt::eventFilter(QObject *watched, QEvent *event)
{
    if (FHintFilter && event->type() == QEvent::ToolTip && OfOurWindows(watched))
        return true;
    if (watched == MainMenus && event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QAction *title = MainMenus->actionAt(help->pos());
        if (title && !title->toolTip().isEmpty())
            QToolTip::showText(help->globalPos(), title->toolTip(), MainMenus);
        else
            QToolTip::hideText();
        return true;
    }
    return TQMForm::eventFilter(watched, event);
}

bool TFormCvt::event(QEvent *event)
{
    // Hints of the menus, tool buttons and bars show in the status panel.
    if (event->type() == QEvent::StatusTip && FSettings.general.ShowHint)
        ShowHintText(static_cast<QStatusTipEvent *>(event)->tip());
    return TQMForm::event(event);
}

void TFormCvt::ShowHintText(const QString &hint)
{
    if (!hint.isEmpty())
        PanelStatus->setText(QStringLiteral(" ") + hint);
}
