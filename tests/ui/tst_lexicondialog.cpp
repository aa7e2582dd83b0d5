// The Pronunciation Manager on the offscreen platform: entries added, edited
// and deleted reach the dictionary's file at once; other dictionaries load and
// unload and are remembered for loqa.ini.
#include "ui/lexicon/lexicondialog.h"
#include "speech/mspeech.h"
#include "scriptedbackend.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using loqa::TLexiconDialog;
using loqa::TLexiconEntryDialog;
using speech::LexiconEntry;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Fills the entry dialog that the click opens, then presses OK.
void answerEntryDialog(QPushButton *button, const QString &word, const QString &spoken, const QString &language,
                       bool matchCase)
{
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto *editor = qobject_cast<TLexiconEntryDialog *>(QApplication::activeModalWidget());
        if (!editor)
            return;
        editor->EditWord->setText(word);
        editor->EditSpoken->setText(spoken);
        editor->ComboLanguage->setCurrentText(language);
        editor->CheckCase->setChecked(matchCase);
        answered = true;
        editor->accept();
    });
    button->click();
    QVERIFY(answered);
}

QStringList rows(const QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        out << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class TestLexiconDialog : public QObject
{
    Q_OBJECT

private slots:
    void entries_addEditDeleteAndSearch_reachTheFile()
    {
        QTemporaryDir dir;
        const QString own = speech::OwnLexiconPath(dir.path());
        speech::Lexicon lexicon;
        lexicon.setFiles(own, {});
        auto backend = std::make_shared<ScriptedBackend>();
        backend->modes = {ScriptedBackend::mode("Alpha Male")};
        TMSpeech speech(nullptr, backend);
        QStringList dictionaryList;
        TLexiconDialog dialog(speech, lexicon, dictionaryList, nullptr);
        dialog.show();
        QCOMPARE(dialog.ComboDictionaries->currentText(), QStringLiteral("loqa.dic (your own)"));
        QVERIFY(!dialog.ButtonUnload->isEnabled());
        QVERIFY(!dialog.ButtonEdit->isEnabled());

        answerEntryDialog(dialog.ButtonAdd, QStringLiteral(" BBC "), QStringLiteral("British Broadcasting Corporation"),
                          QStringLiteral("All"), false);
        answerEntryDialog(dialog.ButtonAdd, QStringLiteral("NASA"), QStringLiteral("[[n'asA]]"), QStringLiteral("en"),
                          true);
        QCOMPARE(rows(dialog.ListEntries),
                 (QStringList{"BBC|British Broadcasting Corporation|All|No", "NASA|[[n'asA]]|en|Yes"}));
        QCOMPARE(fileBytes(own), speech::FormatLexicon({{"BBC", "British Broadcasting Corporation", "", false},
                                                        {"NASA", "[[n'asA]]", "en", true}}));
        // What is saved is in force at once.
        const auto matcher = lexicon.matcherFor(QStringLiteral("en-gb"));
        QVERIFY(matcher);
        QCOMPARE(matcher->apply("NASA and BBC")->text, std::string("[[n'asA]] and British Broadcasting Corporation"));

        // The search narrows the list; Edit changes the entry chosen in it.
        dialog.EditSearch->setText(QStringLiteral("n'as"));
        QCOMPARE(rows(dialog.ListEntries), (QStringList{"NASA|[[n'asA]]|en|Yes"}));
        dialog.ListEntries->setCurrentItem(dialog.ListEntries->topLevelItem(0));
        QVERIFY(dialog.ButtonEdit->isEnabled());
        answerEntryDialog(dialog.ButtonEdit, QStringLiteral("NASA"), QStringLiteral("nassa"), QStringLiteral("All"),
                          false);
        dialog.EditSearch->clear();
        QCOMPARE(rows(dialog.ListEntries),
                 (QStringList{"BBC|British Broadcasting Corporation|All|No", "NASA|nassa|All|No"}));

        // Delete takes the chosen entry out of the list and the file.
        dialog.ListEntries->setCurrentItem(dialog.ListEntries->topLevelItem(0));
        dialog.ButtonDelete->click();
        QCOMPARE(rows(dialog.ListEntries), (QStringList{"NASA|nassa|All|No"}));
        const speech::LexiconText saved = speech::ParseLexicon(fileBytes(own));
        QCOMPARE(saved.entries, (std::vector<LexiconEntry>{{"NASA", "nassa", "", false}}));
        QVERIFY(saved.problems.isEmpty());
    }

    // Another dictionary loads from its file, is edited like the own one, is
    // remembered in the list loqa.ini keeps, and unloads again.
    void dictionaries_loadAndUnload()
    {
        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("names.dic"));
        QFile f(other);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Siobhan\tShivawn\nbroken line\n");
        f.close();
        speech::Lexicon lexicon;
        lexicon.setFiles(speech::OwnLexiconPath(dir.path()), {});
        auto backend = std::make_shared<ScriptedBackend>();
        backend->modes = {ScriptedBackend::mode("Alpha Male")};
        TMSpeech speech(nullptr, backend);
        QStringList dictionaryList;
        TLexiconDialog dialog(speech, lexicon, dictionaryList, nullptr);

        dialog.LoadDictionary(other);
        QCOMPARE(dialog.CurrentPath(), other);
        QCOMPARE(dictionaryList, QStringList{other});
        QCOMPARE(rows(dialog.ListEntries), (QStringList{"Siobhan|Shivawn|All|No"}));
        QVERIFY(dialog.LabelProblems->text().contains(QLatin1String("line 2")));
        QVERIFY(dialog.ButtonUnload->isEnabled());
        answerEntryDialog(dialog.ButtonAdd, QStringLiteral("Niamh"), QStringLiteral("Neeve"), QStringLiteral("All"),
                          false);
        const QByteArray bytes = fileBytes(other);
        QVERIFY(bytes.contains("Siobhan\tShivawn\nNiamh\tNeeve\n"));
        QVERIFY(bytes.contains("#! broken line\n"));

        dialog.UnloadDictionary();
        QVERIFY(dictionaryList.isEmpty());
        QCOMPARE(dialog.ComboDictionaries->count(), 1);
        QVERIFY(!lexicon.matcherFor(QStringLiteral("en")));
    }
};

QTEST_MAIN(TestLexiconDialog)
#include "tst_lexicondialog.moc"
