#include "reading/doclist.h"
#include "reading/readingrules.h"
#include "text/textfile.h"

#include <QSet>
#include <QTest>

#include <limits>

using namespace loqa;

// The document list's rules and the texts, names and positions of a reading run.
class TestReadingRules : public QObject
{
    Q_OBJECT

private slots:
    void tabCaptionAndNames()
    {
        QCOMPARE(docs::TabCaption("/a/b/Notes.Final.txt"), QStringLiteral("Notes.Final"));
        QCOMPARE(docs::TabCaption("/a/b/README"), QStringLiteral("README"));
        QCOMPARE(docs::PlaceholderPath("/t/"), QStringLiteral("/t/untitled.txt"));
        const QSet<QString> present{"/t/untitled1.txt", "/t/untitled2.txt", "/t/untitled4.txt"};
        QCOMPARE(docs::NewDocumentName("/t/", [&](const QString &p) { return present.contains(p); }),
                 QStringLiteral("/t/untitled3.txt"));
    }

    void addKeepsPathsAsGiven()
    {
        QStringList list{"/Docs/Notes.txt"};
        QVERIFY(!docs::AddDocument(list, "/Docs/Notes.txt"));
        QVERIFY(docs::AddDocument(list, "/docs/notes.txt")); // another file on this system
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.first(), QStringLiteral("/Docs/Notes.txt"));
    }

    void saveAs()
    {
        QStringList list{"/a", "/b", "/c"};
        QCOMPARE(docs::SaveAsUpdate(list, 1, "/new"), 1); // a new path takes the place
        QCOMPARE(list, (QStringList{"/a", "/new", "/c"}));
        QCOMPARE(docs::SaveAsUpdate(list, 0, "/c"), 1); // onto another tab's file: one tab, at the end
        QCOMPARE(list, (QStringList{"/new", "/c"}));
        QCOMPARE(docs::SaveAsUpdate(list, 0, "/new"), 1); // onto its own path: to the end
        QCOMPARE(list, (QStringList{"/c", "/new"}));
    }

    // The tab selected after Close: the one now in the closed one's place, else the first.
    void closeSelection_data()
    {
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<int>("closed");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("after");
        const QStringList abc{"/a", "/b", "/c"};
        QTest::newRow("rightmost of three") << abc << 2 << 0 << QStringList{"/a", "/b"};
        QTest::newRow("middle of three") << abc << 1 << 1 << QStringList{"/a", "/c"};
        QTest::newRow("first of three") << abc << 0 << 0 << QStringList{"/b", "/c"};
        QTest::newRow("last of two") << QStringList{"/a", "/b"} << 1 << 0 << QStringList{"/a"};
        QTest::newRow("the only one") << QStringList{"/a"} << 0 << 0 << QStringList{"/t/untitled.txt"};
    }

    void closeSelection()
    {
        QFETCH(QStringList, list);
        QFETCH(int, closed);
        QFETCH(int, selected);
        QFETCH(QStringList, after);
        QCOMPARE(docs::CloseDocument(list, closed, "/t/untitled.txt"), selected);
        QCOMPARE(list, after);
    }

    // New documents are named folder + "untitled" + n + ".txt", whatever the folder holds.
    void newDocumentNames_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder with %1") << "/home/u/100%1/" << QStringList{"/home/u/100%1/untitled1.txt"}
                                        << "/home/u/100%1/untitled2.txt";
        QTest::newRow("folder with %2 and %d") << "/x/%2%d%s/" << QStringList{} << "/x/%2%d%s/untitled1.txt";
    }

    void newDocumentNames()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, present);
        QFETCH(QString, name);
        QCOMPARE(docs::NewDocumentName(folder, [&](const QString &p) { return present.contains(p); }), name);
    }

    void moves_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("order");
        QTest::newRow("last from first exchanges") << 0 << int(docs::Move::Last) << 3 << "DBCA";
        QTest::newRow("first from last exchanges") << 3 << int(docs::Move::First) << 0 << "DBCA";
        QTest::newRow("prev") << 2 << int(docs::Move::Prev) << 1 << "ACBD";
        QTest::newRow("next") << 1 << int(docs::Move::Next) << 2 << "ACBD";
        QTest::newRow("no prev from first") << 0 << int(docs::Move::Prev) << -1 << "ABCD";
        QTest::newRow("no next from last") << 3 << int(docs::Move::Next) << -1 << "ABCD";
    }

    void moves()
    {
        QFETCH(int, index);
        QFETCH(int, move);
        QFETCH(int, selected);
        QFETCH(QString, order);
        QStringList list{"A", "B", "C", "D"};
        QCOMPARE(docs::MoveDocument(list, index, docs::Move(move)), selected);
        QCOMPARE(list.join(QString()), order);
    }

    void navigation()
    {
        docs::Navigation n = docs::NavigationFor(0, 3, false);
        QVERIFY(!n.prev && n.next && !n.moveFirst && !n.movePrev && n.moveNext && n.moveLast);
        n = docs::NavigationFor(2, 3, false);
        QVERIFY(n.prev && !n.next && n.moveFirst && n.movePrev && !n.moveNext && !n.moveLast);
        n = docs::NavigationFor(0, 3, true);
        QVERIFY(n.prev && n.next);
        n = docs::NavigationFor(0, 1, false);
        QVERIFY(!n.prev && !n.next && !n.moveFirst && !n.moveLast);
    }

    void drops()
    {
        QVERIFY(docs::IsDroppableDocument("/x/Notes.TXT"));
        QVERIFY(!docs::IsDroppableDocument("/x/song.mp3"));
        QVERIFY(!docs::IsDroppableDocument("/x/txt"));
        QVERIFY(docs::IsDroppableDocument("/x/Book.EPUB"));
        QVERIFY(docs::IsDroppableDocument("/x/paper.pdf"));
    }

    // Text never goes over a document another reader opens.
    void textSaveNames()
    {
        QCOMPARE(docs::TextSaveName("/home/ann/txt/", "/books/The Long Book.pdf"), "/home/ann/txt/The Long Book.txt");
        QCOMPARE(docs::TextSaveName("/home/ann/txt", "/books/a.b.epub"), "/home/ann/txt/a.b.txt");
        QCOMPARE(docs::TextOnlyName("/home/ann/notes.pdf"), "/home/ann/notes.pdf.txt");
        QCOMPARE(docs::TextOnlyName("/home/ann/notes"), "/home/ann/notes");
        QCOMPARE(docs::TextOnlyName("/home/ann/notes.txt"), "/home/ann/notes.txt");
        QVERIFY(docs::OpenFilter().startsWith("Text Files(*.txt);;All supported (*.txt *.pdf *.epub *.docx *.odt"));
        QVERIFY(docs::OpenFilter().endsWith(";;All Files(*.*)"));
    }

    void outputNames_data()
    {
        QTest::addColumn<int>("readState");
        QTest::addColumn<bool>("mp3");
        QTest::addColumn<QString>("name");
        QTest::newRow("document to wav") << 1 << false << "/w/notes.wav";
        QTest::newRow("document to mp3") << 1 << true << "/m/notes.mp3";
        QTest::newRow("part to mp3") << 2 << true << "/m/PartOfnotes.mp3";
        QTest::newRow("part to wav") << 2 << false << "/w/PartOfnotes.wav";
        QTest::newRow("stopped run") << 0 << true << "/m/Clipboard.mp3";
        QTest::newRow("clipboard") << 3 << false << "/w/Clipboard.wav";
    }

    void outputNames()
    {
        QFETCH(int, readState);
        QFETCH(bool, mp3);
        QFETCH(QString, name);
        QCOMPARE(RunOutputName(readState, "/d/notes.txt", mp3 ? "/m/" : "/w/", mp3), name);
    }

    // Folders written by hand without their last "/" still hold the files.
    void foldersWithoutTheirSlash()
    {
        QCOMPARE(RunOutputName(2, "/d/notes.txt", "/home/me/wav", false),
                 QStringLiteral("/home/me/wav/PartOfnotes.wav"));
        QCOMPARE(RunOutputName(0, "/d/notes.txt", "/home/me/mp3", true), QStringLiteral("/home/me/mp3/Clipboard.mp3"));
        QCOMPARE(docs::PlaceholderPath("/home/me/ro"), QStringLiteral("/home/me/ro/untitled.txt"));
    }

    void runTexts()
    {
        QCOMPARE(RunStatusText(0, 2, "notes"), QStringLiteral("notes"));
        QCOMPARE(RunStatusText(1, 0, "notes"), QStringLiteral("Reading notes Aloud"));
        QCOMPARE(RunStatusText(2, 1, "notes"), QStringLiteral("Reading notes [PART] to WAV"));
        QCOMPARE(RunStatusText(3, 2, "notes"), QStringLiteral("Reading Clipboard to MP3"));
        QCOMPARE(TrayHintText("Reading notes Aloud", true, false), QStringLiteral("Reading notes Aloud | Loquora"));
        QCOMPARE(TrayHintText("notes", false, false), QStringLiteral("notes | Loquora [Stopped]"));
        QCOMPARE(TrayHintText("Reading notes Aloud", true, true),
                 QStringLiteral("Reading notes Aloud | Loquora [Paused]"));
        QCOMPARE(CursorCaption(1), QStringLiteral("Read from Cursor to WAV File"));
        QCOMPARE(SelectedCaption(2), QStringLiteral("Read Selected Text to MP3 File"));
        QCOMPARE(SelectedCaption(0), QStringLiteral("Read Selected Text Aloud"));
    }

    void selectedTextEnabling()
    {
        QVERIFY(SelectedTextEnabled(1, 0));
        QVERIFY(SelectedTextEnabled(5, 3)); // during a clipboard reading
        QVERIFY(!SelectedTextEnabled(5, 1));
        QVERIFY(!SelectedTextEnabled(5, 2));
        QVERIFY(!SelectedTextEnabled(0, 0));
    }

    void spokenPositionsLandOnCharacters()
    {
        // The engine's text: UTF-8, lines ended by CR LF; the editor's: LF.
        const QString editor = QStringLiteral("Grüße 😀 x\nПривет мир");
        QByteArray spoken;
        for (const QString &line : SplitTextLines(editor))
            spoken += line.toUtf8() + "\r\n";
        SpokenPosition map;
        map.reset(spoken);
        for (const QString &word :
             {QStringLiteral("x"), QStringLiteral("мир"), QStringLiteral("Привет"), QStringLiteral("😀")}) {
            QString engineText = QString::fromUtf8(spoken);
            const qsizetype byteOffset = engineText.left(engineText.indexOf(word)).toUtf8().size();
            QCOMPARE(editor.mid(map.charPosition(byteOffset), word.size()), word);
        }
        QCOMPARE(SplitTextLines("a\r\nb\rc\n"), (QStringList{"a", "b", "c"}));
    }
};

QTEST_GUILESS_MAIN(TestReadingRules)
#include "tst_readingrules.moc"
