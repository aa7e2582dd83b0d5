#pragma once

#include "speech/lexicon.h"

#include <QDialog>

#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class TMSpeech;

namespace loqa {

// One entry being added or edited: word, spoken form, language, case.
class TLexiconEntryDialog : public QDialog
{
    Q_OBJECT
public:
    TLexiconEntryDialog(const speech::LexiconEntry &entry, const QString &voiceLanguage, QWidget *parent);
    speech::LexiconEntry Entry() const;

    QLineEdit *EditWord;
    QLineEdit *EditSpoken;
    QComboBox *ComboLanguage;
    QCheckBox *CheckCase;

    void accept() override;
};

// The language column: "All" for an entry of every language.
QString LexiconLanguageText(const QString &language);
// The language an entry dialog's language field stands for ("All" and "" are every language).
QString LexiconLanguageFromText(const QString &text);

// The pronunciation manager: the entries of one dictionary at a time (the
// user's own or a loaded one), with Add, Edit, Delete, a search, "Say it", and
// loading and unloading of other dictionaries. Every change is written to the
// dictionary's file at once.
class TLexiconDialog : public QDialog
{
    Q_OBJECT
public:
    // Loading and unloading a dictionary keep `dictionaryList` (DictionaryList) as
    // the lexicon's other dictionaries.
    TLexiconDialog(TMSpeech &speech, speech::Lexicon &lexicon, QStringList &dictionaryList, QWidget *parent);
    ~TLexiconDialog() override;

    QComboBox *ComboDictionaries;
    QPushButton *ButtonLoad;
    QPushButton *ButtonUnload;
    QLabel *LabelProblems;
    QLineEdit *EditSearch;
    QTreeWidget *ListEntries;
    QPushButton *ButtonAdd;
    QPushButton *ButtonEdit;
    QPushButton *ButtonDelete;
    QPushButton *ButtonSay;
    QPushButton *ButtonClose;

    // The entries of the dictionary shown, in file order.
    const std::vector<speech::LexiconEntry> &Entries() const { return FEntries; }
    QString CurrentPath() const;
    void LoadDictionary(const QString &path);
    void UnloadDictionary();

private:
    void AddEntry();
    void EditEntry();
    void DeleteEntry();
    void SayIt();
    void LoadClicked();
    void FillDictionaries(const QString &select);
    void ShowDictionary();
    void FillList();
    int CurrentEntry() const;
    bool Store(std::vector<speech::LexiconEntry> entries);
    void UpdateButtons();

    TMSpeech &FSpeech;
    speech::Lexicon &FLexicon;
    QStringList &FDictionaryList;
    std::unique_ptr<TMSpeech> FSayer; // says entries without disturbing a reading run
    std::vector<speech::LexiconEntry> FEntries;
};

} // namespace loqa
