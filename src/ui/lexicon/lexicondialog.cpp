#include "ui/lexicon/lexicondialog.h"

#include "platform/apppath.h"
#include "speech/mspeech.h"
#include "widgets/qmshell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace loqa {

namespace {

constexpr int kIndexRole = Qt::UserRole;

// Brackets "Say it" so that the entry is in force only for the text it speaks.
class PreviewScope
{
public:
    PreviewScope(speech::Lexicon &lexicon, const speech::LexiconEntry &entry) : m_lexicon(lexicon)
    {
        m_lexicon.setPreview(entry);
    }
    ~PreviewScope() { m_lexicon.setPreview(std::nullopt); }
    PreviewScope(const PreviewScope &) = delete;
    PreviewScope &operator=(const PreviewScope &) = delete;

private:
    speech::Lexicon &m_lexicon;
};

} // namespace

QString LexiconLanguageText(const QString &language)
{
    return language.isEmpty() ? QStringLiteral("All") : language;
}

QString LexiconLanguageFromText(const QString &text)
{
    const QString t = text.trimmed();
    return t.compare(QLatin1String("All"), Qt::CaseInsensitive) == 0 || t == QLatin1String("*") ? QString()
                                                                                                : t.toLower();
}

// --- one entry -------------------------------------------------------------

TLexiconEntryDialog::TLexiconEntryDialog(const speech::LexiconEntry &entry, const QString &voiceLanguage,
                                         QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(entry.word.isEmpty() ? QStringLiteral("Add Entry") : QStringLiteral("Edit Entry"));
    auto *form = new QFormLayout;
    EditWord = new QLineEdit(entry.word, this);
    EditWord->setObjectName(QStringLiteral("EditWord"));
    EditSpoken = new QLineEdit(entry.spoken, this);
    EditSpoken->setObjectName(QStringLiteral("EditSpoken"));
    EditSpoken->setPlaceholderText(QStringLiteral("plain text, or phonemes as [[n'asA]]"));
    ComboLanguage = new QComboBox(this);
    ComboLanguage->setObjectName(QStringLiteral("ComboLanguage"));
    ComboLanguage->setEditable(true);
    ComboLanguage->addItem(LexiconLanguageText(QString()));
    if (!voiceLanguage.isEmpty())
        ComboLanguage->addItem(voiceLanguage.toLower());
    const QString base = voiceLanguage.section(QLatin1Char('-'), 0, 0).toLower();
    if (!base.isEmpty() && base != voiceLanguage.toLower())
        ComboLanguage->addItem(base);
    ComboLanguage->setCurrentText(LexiconLanguageText(entry.language));
    CheckCase = new QCheckBox(QStringLiteral("Letter case must match"), this);
    CheckCase->setObjectName(QStringLiteral("CheckCase"));
    CheckCase->setChecked(entry.matchCase);
    form->addRow(QStringLiteral("&Word:"), EditWord);
    form->addRow(QStringLiteral("&Spoken as:"), EditSpoken);
    form->addRow(QStringLiteral("&Language:"), ComboLanguage);
    form->addRow(QString(), CheckCase);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TLexiconEntryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TLexiconEntryDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

speech::LexiconEntry TLexiconEntryDialog::Entry() const
{
    speech::LexiconEntry e;
    e.word = EditWord->text();
    e.spoken = EditSpoken->text();
    e.language = LexiconLanguageFromText(ComboLanguage->currentText());
    e.matchCase = CheckCase->isChecked();
    return speech::TrimmedEntry(e);
}

void TLexiconEntryDialog::accept()
{
    const QString why = speech::CheckLexiconEntry(Entry());
    if (!why.isEmpty()) {
        ShowMessageBox(why, MB_ICONWARNING);
        return;
    }
    QDialog::accept();
}

// --- the manager -----------------------------------------------------------

TLexiconDialog::TLexiconDialog(TMSpeech &speech, speech::Lexicon &lexicon, QStringList &dictionaryList, QWidget *parent)
    : QDialog(parent), FSpeech(speech), FLexicon(lexicon), FDictionaryList(dictionaryList)
{
    setObjectName(QStringLiteral("LexiconDialog"));
    setWindowTitle(QStringLiteral("Pronunciation Manager"));
    resize(640, 420);

    ComboDictionaries = new QComboBox(this);
    ComboDictionaries->setObjectName(QStringLiteral("ComboDictionaries"));
    ButtonLoad = new QPushButton(QStringLiteral("&Load..."), this);
    ButtonUnload = new QPushButton(QStringLiteral("&Unload"), this);
    LabelProblems = new QLabel(this);
    LabelProblems->setWordWrap(true);
    LabelProblems->setTextFormat(Qt::PlainText);
    EditSearch = new QLineEdit(this);
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    EditSearch->setPlaceholderText(QStringLiteral("Search"));
    EditSearch->setClearButtonEnabled(true);
    EditSearch->setAccessibleName(QStringLiteral("Search"));
    ListEntries = new QTreeWidget(this);
    ListEntries->setObjectName(QStringLiteral("ListEntries"));
    ListEntries->setRootIsDecorated(false);
    ListEntries->setUniformRowHeights(true);
    ListEntries->setAccessibleName(QStringLiteral("Pronunciations"));
    ListEntries->setHeaderLabels(
        {QStringLiteral("Word"), QStringLiteral("Spoken as"), QStringLiteral("Language"), QStringLiteral("Case")});
    ListEntries->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    ButtonAdd = new QPushButton(QStringLiteral("&Add..."), this);
    ButtonEdit = new QPushButton(QStringLiteral("&Edit..."), this);
    ButtonDelete = new QPushButton(QStringLiteral("&Delete"), this);
    ButtonSay = new QPushButton(QStringLiteral("&Say it"), this);
    ButtonClose = new QPushButton(QStringLiteral("Close"), this);

    auto *top = new QHBoxLayout;
    // Alt+I reaches the list through its label, which also names it for a screen reader.
    auto *dictionaryLabel = new QLabel(QStringLiteral("D&ictionary:"), this);
    dictionaryLabel->setBuddy(ComboDictionaries);
    top->addWidget(dictionaryLabel);
    top->addWidget(ComboDictionaries, 1);
    top->addWidget(ButtonLoad);
    top->addWidget(ButtonUnload);
    auto *side = new QVBoxLayout;
    for (QPushButton *b : {ButtonAdd, ButtonEdit, ButtonDelete, ButtonSay})
        side->addWidget(b);
    side->addStretch(1);
    side->addWidget(ButtonClose);
    auto *middle = new QHBoxLayout;
    auto *listColumn = new QVBoxLayout;
    listColumn->addWidget(EditSearch);
    listColumn->addWidget(ListEntries, 1);
    middle->addLayout(listColumn, 1);
    middle->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LabelProblems);
    layout->addLayout(middle, 1);

    connect(ComboDictionaries, &QComboBox::currentIndexChanged, this, &TLexiconDialog::ShowDictionary);
    connect(ButtonLoad, &QPushButton::clicked, this, &TLexiconDialog::LoadClicked);
    connect(ButtonUnload, &QPushButton::clicked, this, &TLexiconDialog::UnloadDictionary);
    connect(EditSearch, &QLineEdit::textChanged, this, &TLexiconDialog::FillList);
    connect(ListEntries, &QTreeWidget::itemSelectionChanged, this, &TLexiconDialog::UpdateButtons);
    connect(ListEntries, &QTreeWidget::itemDoubleClicked, this, &TLexiconDialog::EditEntry);
    connect(ButtonAdd, &QPushButton::clicked, this, &TLexiconDialog::AddEntry);
    connect(ButtonEdit, &QPushButton::clicked, this, &TLexiconDialog::EditEntry);
    connect(ButtonDelete, &QPushButton::clicked, this, &TLexiconDialog::DeleteEntry);
    connect(ButtonSay, &QPushButton::clicked, this, &TLexiconDialog::SayIt);
    connect(ButtonClose, &QPushButton::clicked, this, &TLexiconDialog::accept);

    FillDictionaries(QString());
}

TLexiconDialog::~TLexiconDialog() = default;

QString TLexiconDialog::CurrentPath() const
{
    return ComboDictionaries->currentData().toString();
}

void TLexiconDialog::FillDictionaries(const QString &select)
{
    const QSignalBlocker blocker(ComboDictionaries);
    ComboDictionaries->clear();
    for (const speech::LexiconFile &f : FLexicon.files()) {
        const QString name = f.own ? QStringLiteral("%1 (your own)").arg(QFileInfo(f.path).fileName()) : f.path;
        ComboDictionaries->addItem(name, f.path);
    }
    const int index = select.isEmpty() ? 0 : ComboDictionaries->findData(select);
    ComboDictionaries->setCurrentIndex(std::max(0, index));
    ShowDictionary();
}

void TLexiconDialog::ShowDictionary()
{
    FEntries.clear();
    LabelProblems->clear();
    const QString path = CurrentPath();
    for (const speech::LexiconFile &f : FLexicon.files()) {
        if (f.path != path)
            continue;
        FEntries = f.entries;
        if (!f.problems.isEmpty())
            LabelProblems->setText(QStringLiteral("Lines that could not be read (kept as comments): ") +
                                   f.problems.join(QStringLiteral("; ")));
        ButtonUnload->setEnabled(!f.own);
    }
    LabelProblems->setVisible(!LabelProblems->text().isEmpty());
    FillList();
}

void TLexiconDialog::FillList()
{
    const int keep = CurrentEntry();
    ListEntries->clear();
    const QString search = EditSearch->text();
    for (size_t i = 0; i < FEntries.size(); ++i) {
        const speech::LexiconEntry &e = FEntries[i];
        if (!speech::EntryMatchesSearch(e, search))
            continue;
        auto *item = new QTreeWidgetItem(ListEntries, {e.word, e.spoken, LexiconLanguageText(e.language),
                                                       e.matchCase ? QStringLiteral("Yes") : QStringLiteral("No")});
        item->setData(0, kIndexRole, int(i));
        if (int(i) == keep)
            ListEntries->setCurrentItem(item);
    }
    UpdateButtons();
}

int TLexiconDialog::CurrentEntry() const
{
    const QTreeWidgetItem *item = ListEntries->currentItem();
    return item && item->isSelected() ? item->data(0, kIndexRole).toInt() : -1;
}

void TLexiconDialog::UpdateButtons()
{
    const bool chosen = CurrentEntry() >= 0;
    ButtonEdit->setEnabled(chosen);
    ButtonDelete->setEnabled(chosen);
    ButtonSay->setEnabled(chosen);
}

bool TLexiconDialog::Store(std::vector<speech::LexiconEntry> entries)
{
    QString error;
    if (!FLexicon.save(CurrentPath(), entries, &error)) {
        ShowMessageBox(QStringLiteral("Cannot write %1: %2").arg(CurrentPath(), error), MB_ICONERROR);
        return false;
    }
    FEntries = std::move(entries);
    return true;
}

void TLexiconDialog::AddEntry()
{
    TLexiconEntryDialog editor(speech::LexiconEntry{}, FSpeech.EngineInfo().Language, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    std::vector<speech::LexiconEntry> entries = FEntries;
    entries.push_back(editor.Entry());
    if (!Store(std::move(entries)))
        return;
    FillList();
    ListEntries->setCurrentItem(ListEntries->topLevelItem(ListEntries->topLevelItemCount() - 1));
}

void TLexiconDialog::EditEntry()
{
    const int index = CurrentEntry();
    if (index < 0)
        return;
    TLexiconEntryDialog editor(FEntries[size_t(index)], FSpeech.EngineInfo().Language, this);
    if (editor.exec() != QDialog::Accepted)
        return;
    std::vector<speech::LexiconEntry> entries = FEntries;
    entries[size_t(index)] = editor.Entry();
    if (Store(std::move(entries)))
        FillList();
}

void TLexiconDialog::DeleteEntry()
{
    const int index = CurrentEntry();
    if (index < 0)
        return;
    std::vector<speech::LexiconEntry> entries = FEntries;
    entries.erase(entries.begin() + index);
    if (Store(std::move(entries)))
        FillList();
}

void TLexiconDialog::SayIt()
{
    const int index = CurrentEntry();
    if (index < 0)
        return;
    const QString voice = FSpeech.EngineInfo().Name;
    try {
        // A component of its own on the same engine and voice: the window's one
        // may be reading, and its start and stop belong to that run.
        if (!FSayer || FSayer->EngineInfo().Name != voice) {
            FSayer = std::make_unique<TMSpeech>(nullptr, FSpeech.Backend());
            FSayer->Output = soGeneral;
            FSayer->SelectEngine(voice);
        }
        FSayer->Stop();
        PreviewScope preview(FLexicon, FEntries[size_t(index)]);
        FSayer->SpeakText(FEntries[size_t(index)].word);
        if (!FSayer->LastSpeakError().isEmpty())
            ShowMessageBox(FSayer->LastSpeakError(), MB_ICONWARNING);
    } catch (const EMSpeechException &error) {
        ShowMessageBox(error.message(), MB_ICONWARNING);
    }
}

void TLexiconDialog::LoadClicked()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load Dictionary"), AppPath(),
                                                      QStringLiteral("Dictionaries (*.dic);;All files (*)"));
    if (!path.isEmpty())
        LoadDictionary(path);
}

void TLexiconDialog::LoadDictionary(const QString &path)
{
    QString error;
    if (!FLexicon.load(path, &error)) {
        ShowMessageBox(QStringLiteral("Cannot load %1: %2").arg(path, error), MB_ICONERROR);
        return;
    }
    FDictionaryList = FLexicon.otherPaths();
    FillDictionaries(QFileInfo(path).absoluteFilePath());
}

void TLexiconDialog::UnloadDictionary()
{
    FLexicon.unload(CurrentPath());
    FDictionaryList = FLexicon.otherPaths();
    FillDictionaries(QString());
}

} // namespace loqa
