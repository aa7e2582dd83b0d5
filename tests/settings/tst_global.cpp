#include "platform/apppath.h"
#include "settings/documentlist.h"
#include "settings/inifile.h"
#include "settings/settings.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace loqa;

namespace {

const QSize kScreen(1280, 1024);

QByteArray testData(const QString &name)
{
    QFile file(QStringLiteral(SETTINGS_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(name));
    return file.readAll().replace("@APPPATH@", AppPath().toUtf8());
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestGlobal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstRun();
    void centring_data();
    void centring();
    void handEditedFile();
    void values_data();
    void values();
    void remindersWithEqualKeysCollapse();
    void dictionaryListHasASectionOfItsOwn();
    void listsMoveToTheEnd();
    void textCannotAddLines();
    void documentList_data();
    void documentList();
    void documentListFallsBackToSamples();
    void pathsWithLineBreaksAreLeftOut();
    void readOnlyDocumentListIsReplaced();
    void readOnlyIniFailsTheSave();
    void saveKeepsPermissions();
    void unreadableIni();
    void failedWriteKeepsTheOldFile();
    void sampleDocuments();
    void badFiles();

private:
    QByteArray read(const QString &name) const { return m_home->read(name); }
    void write(const QString &name, const QByteArray &bytes) const { QVERIFY(m_home->write(name, bytes)); }

    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<Settings> m_settings; // one start of the program
};

void TestGlobal::init()
{
    m_home = std::make_unique<TempHome>();
    qputenv("LOQA_HOME", QFile::encodeName(m_home->path()));
    m_settings = std::make_unique<Settings>();
}

void TestGlobal::cleanup()
{
    // Read-only files and folders must not keep the temporary home alive.
    for (const QString &name : filesIn(m_home->path()))
        QFile::setPermissions(m_home->file(name),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_settings.reset();
    m_home.reset();
    qunsetenv("LOQA_HOME");
}

void TestGlobal::firstRun()
{
    QVERIFY(IsFirstStart());
    m_settings->Load(kScreen);

    QCOMPARE(m_settings->automatic.MainLeft, 338);
    QCOMPARE(m_settings->automatic.MainTop, 311);
    QCOMPARE(m_settings->automatic.MainWidth, 603);
    QCOMPARE(m_settings->automatic.MainHeight, 402);
    QVERIFY(m_settings->general.Greeting);
    QCOMPARE(m_settings->automatic.ConvertMode, 0);
    QCOMPARE(m_settings->general.GreetingString, QString("Welcome to Loquora!"));
    QCOMPARE(m_settings->convert.DefTxtPath, AppPath() + "txt/");
    QCOMPARE(m_settings->lists.HotkeyList[21], QString("Shift+Ctrl+Alt+F2"));
    QCOMPARE(m_settings->lists.HotkeyList[1], QString());
    // "Reset ALL" puts back what a first start reads.
    const std::array<QString, HotkeyCount> defaults = DefaultHotkeys();
    for (int i = 0; i < HotkeyCount; ++i)
        QCOMPARE(m_settings->lists.HotkeyList[i], defaults[i]);
    QList<int> systemWide;
    for (int i = 0; i < HotkeyCount; ++i) {
        if (m_settings->lists.GlobalHotkeyIDList[i] != 0)
            systemWide << i;
    }
    QCOMPARE(systemWide, QList<int>({21, 26, 27, 33}));
    QCOMPARE(m_settings->lists.DocumentList, QStringList({AppPath() + "txt/sample1.txt", AppPath() + "txt/sample2.txt",
                                                          AppPath() + "txt/sample3.txt"}));

    m_settings->Save();
    QCOMPARE(read("loqa.ini"), testData("fresh.ini"));
    QCOMPARE(read("loqa.apl"),
             (AppPath() + "txt/sample1.txt\r\n" + AppPath() + "txt/sample2.txt\r\n" + AppPath() + "txt/sample3.txt\r\n")
                 .toUtf8());
    QVERIFY(!IsFirstStart());
}

void TestGlobal::centring_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::newRow("1024 x 768") << QSize(1024, 768) << 210 << 183;
    QTest::newRow("smaller than the window") << QSize(600, 400) << -1 << -1;
    QTest::newRow("no screen") << QSize(0, 0) << -301 << -201;
}

void TestGlobal::centring()
{
    QFETCH(QSize, screen);
    QFETCH(int, left);
    QFETCH(int, top);
    m_settings->Load(screen);
    QCOMPARE(m_settings->automatic.MainLeft, left);
    QCOMPARE(m_settings->automatic.MainTop, top);
    QCOMPARE(m_settings->automatic.MainWidth, 603);
}

void TestGlobal::handEditedFile()
{
    write("loqa.ini", testData("handedited.ini"));
    write("loqa.apl", "/home/Ann/My Texts/A.txt\r\n");
    m_settings->Load(kScreen);

    QCOMPARE(m_settings->automatic.MainLeft, 338);  // "abc"
    QCOMPARE(m_settings->automatic.MainWidth, 800); // "mainwidth = 800"
    QCOMPARE(m_settings->automatic.Spd, 150);       // the last of two, "0x96"
    QVERIFY(m_settings->general.Repeat);            // "2"
    QCOMPARE(m_settings->general.GreetingString, QString("Hello there"));
    QCOMPARE(m_settings->alarm.AlarmBefore, QString("It is"));
    QCOMPARE(m_settings->alarm.AlarmInterval, 30); // "$1E"
    QCOMPARE(m_settings->ui.MemoFontName, QString("DejaVu Sans Mono"));
    QCOMPARE(m_settings->ui.MemoBGColor, 0xFFFFFF);
    QCOMPARE(m_settings->lists.ReminderList,
             QStringList({"3/31/2002 8:12:48 PM=Call Anna", "4/1/2002 9:00:00 AM=Dentist",
                          "3/31/2002 8:12:48 PM=Call Bob", "loose reminder line"}));
    QCOMPARE(m_settings->lists.HotkeyList[21], QString()); // present and empty: no shortcut
    QCOMPARE(m_settings->lists.HotkeyList[5], QString("Shift+Ctrl+W"));
    QCOMPARE(m_settings->lists.HotkeyList[0], QString("Ctrl+N"));
    // A stored shortcut is kept as written, even one the console switch takes.
    QCOMPARE(m_settings->lists.HotkeyList[27], QString("Ctrl+Alt+F6"));
    QCOMPARE(m_settings->lists.HotkeyList[26], QString("Shift+Ctrl+Alt+F5"));
    QCOMPARE(m_settings->lists.GlobalHotkeyIDList[26], 4711);
    QCOMPARE(m_settings->lists.GlobalHotkeyIDList[21], 1);
    QCOMPARE(m_settings->lists.DocumentList, QStringList({"/home/Ann/My Texts/A.txt"}));

    m_settings->Save();
    const QByteArray expected = testData("handedited-saved.ini");
    QCOMPARE(read("loqa.ini"), expected);
    QCOMPARE(read("loqa.apl"), QByteArray("/home/Ann/My Texts/A.txt\r\n"));

    // A second start and exit changes nothing more.
    m_settings->Load(kScreen);
    m_settings->Save();
    QCOMPARE(read("loqa.ini"), expected);
}

void TestGlobal::values_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty boolean, default false") << QByteArray("[General]\r\nRepeat=\r\n") << "Repeat"
                                                  << "0";
    QTest::newRow("empty boolean, default true") << QByteArray("[General]\r\nShowHint=\r\n") << "ShowHint"
                                                 << "1";
    QTest::newRow("boolean zero") << QByteArray("[General]\r\nShowHint=0x0\r\n") << "ShowHint"
                                  << "0";
    QTest::newRow("empty text is not missing") << QByteArray("[General]\r\nGreetingString=\r\n") << "GreetingString"
                                               << "";
    QTest::newRow("text in another case") << QByteArray("[GENERAL]\r\ngreetingstring=Hi\r\n") << "GreetingString"
                                          << "Hi";
    QTest::newRow("text not UTF-8") << QByteArray("[UI]\r\nMemoFontName=Caf\xE9\r\n") << "MemoFontName"
                                    << "Courier New";
    QTest::newRow("id left by an earlier run") << QByteArray("[GlobalHotkeyIDList]\r\n26=49153\r\n") << "id 26"
                                               << "49153";
    QTest::newRow("id not a number") << QByteArray("[GlobalHotkeyIDList]\r\n26=yes\r\n") << "id 26"
                                     << "1";
    QTest::newRow("id zero") << QByteArray("[GlobalHotkeyIDList]\r\n21=0\r\n") << "id 21"
                             << "0";
    QTest::newRow("shortcut emptied") << QByteArray("[HotkeyList]\r\n21=\r\n") << "hotkey 21"
                                      << "";
    QTest::newRow("shortcut kept as text") << QByteArray("[HotkeyList]\r\n22=  Shift+F3 \r\n") << "hotkey 22"
                                           << "Shift+F3";
    QTest::newRow("negative position") << QByteArray("[Auto]\r\nMainLeft=-8\r\n") << "MainLeft"
                                       << "-8";
}

void TestGlobal::values()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, setting);
    QFETCH(QString, expected);

    write("loqa.ini", file);
    m_settings->Load(kScreen);
    const auto current = [&]() -> QString {
        if (setting == "Repeat")
            return QString::number(m_settings->general.Repeat);
        if (setting == "ShowHint")
            return QString::number(m_settings->general.ShowHint);
        if (setting == "GreetingString")
            return m_settings->general.GreetingString;
        if (setting == "MemoFontName")
            return m_settings->ui.MemoFontName;
        if (setting == "MainLeft")
            return QString::number(m_settings->automatic.MainLeft);
        if (setting.startsWith("id "))
            return QString::number(m_settings->lists.GlobalHotkeyIDList[setting.mid(3).toInt()]);
        return m_settings->lists.HotkeyList[setting.mid(7).toInt()];
    };
    QCOMPARE(current(), expected);

    // What was read is what a save writes and the next start reads.
    m_settings->Save();
    m_settings->Load(kScreen);
    QCOMPARE(current(), expected);
}

void TestGlobal::remindersWithEqualKeysCollapse()
{
    m_settings->Load(kScreen);
    m_settings->lists.ReminderList = {"3/31/2002 8:12:48 PM=First", "4/1/2002 9:00:00 AM=Other",
                                      "3/31/2002 8:12:48 pm=Second", "no date at all"};
    m_settings->Save();
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->lists.ReminderList,
             QStringList({"3/31/2002 8:12:48 pm=First", "4/1/2002 9:00:00 AM=Other", "no date at all"}));

    // With no reminders the section is gone from the file.
    m_settings->lists.ReminderList.clear();
    m_settings->Save();
    IniFile ini;
    QVERIFY(ini.parse(read("loqa.ini")));
    QVERIFY(!ini.hasSection(u"ReminderList"));
}

// The loaded dictionaries are kept in [DictionaryList] in load order; a file
// that never had any gets no section, and the bytes of every other key stay.
void TestGlobal::dictionaryListHasASectionOfItsOwn()
{
    m_settings->Load(kScreen);
    m_settings->lists.DictionaryList.clear();
    m_settings->Save();
    m_settings->Save(); // the rewritten lists have moved to the end
    const QByteArray before = read("loqa.ini");
    IniFile ini;
    QVERIFY(ini.parse(before));
    QVERIFY(!ini.hasSection(u"DictionaryList"));

    m_settings->lists.DictionaryList = {"/home/ann/names.dic", "/srv/shared/places = towns.dic"};
    m_settings->Save();
    const QByteArray after = read("loqa.ini");
    // It comes last but for the documents' section, which stays after everything.
    const QByteArray documents(
        "[Documents]\r\nJoinHyphenated=1\r\nJoinLines=1\r\nDropRepeated=1\r\nPlainLetters=1\r\n\r\n");
    QVERIFY(before.endsWith(documents));
    QCOMPARE(after, before.chopped(documents.size()) +
                        "[DictionaryList]\r\n0=/home/ann/names.dic\r\n1=/srv/shared/places = towns.dic\r\n\r\n" +
                        documents);
    m_settings->lists.DictionaryList.clear();
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->lists.DictionaryList, QStringList({"/home/ann/names.dic", "/srv/shared/places = towns.dic"}));
}

void TestGlobal::listsMoveToTheEnd()
{
    const auto sections = [this] {
        IniFile ini;
        ini.parse(read("loqa.ini"));
        return ini.sectionNames();
    };
    const QStringList scalars{"Auto", "General", "Convert", "UI", "Clipboard", "Alarm", "Reminder"};
    m_settings->Load(kScreen);
    m_settings->Save();
    QCOMPARE(sections(), scalars + QStringList({"HotkeyList", "GlobalHotkeyIDList", "Documents"}));

    // Every later save takes the two rewritten lists out and puts them back at the end.
    m_settings->Load(kScreen);
    m_settings->lists.ReminderList << "1/1/2030 8:00:00 AM=Wake up";
    m_settings->Save();
    QCOMPARE(sections(), scalars + QStringList({"GlobalHotkeyIDList", "ReminderList", "HotkeyList", "Documents"}));
    write("loqa.ini", read("loqa.ini") + "[Mine]\r\nx=1\r\n");
    m_settings->Load(kScreen);
    m_settings->Save();
    QCOMPARE(sections(),
             scalars + QStringList({"GlobalHotkeyIDList", "Mine", "ReminderList", "HotkeyList", "Documents"}));
    // The documents' rules are read back from their own section.
    write("loqa.ini", read("loqa.ini").replace("JoinLines=1", "JoinLines=0"));
    m_settings->Load(kScreen);
    QVERIFY(!m_settings->documents.JoinLines && m_settings->documents.JoinHyphenated);
}

void TestGlobal::textCannotAddLines()
{
    m_settings->Load(kScreen);
    m_settings->general.GreetingString = "Hello\r\n[Evil]\r\nSpd=1";
    m_settings->lists.ReminderList = {"1/1/2030 8:00:00 AM=two\nlines"};
    m_settings->Save();

    IniFile ini;
    QVERIFY(ini.parse(read("loqa.ini")));
    QVERIFY(!ini.hasSection(u"Evil"));
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->general.GreetingString, QString("Hello [Evil] Spd=1"));
    QCOMPARE(m_settings->automatic.Spd, 150);
    QCOMPARE(m_settings->lists.ReminderList, QStringList({"1/1/2030 8:00:00 AM=two lines"}));
}

void TestGlobal::documentList_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("paths");

    QTest::newRow("two documents, case and blanks kept")
        << QByteArray("/home/Ann/Texts/a.txt\r\n/home/Ann/Texts/B Note.TXT\r\n")
        << QStringList({"/home/Ann/Texts/a.txt", "/home/Ann/Texts/B Note.TXT"});
    QTest::newRow("LF") << QByteArray("/a\n/b\n") << QStringList({"/a", "/b"});
    QTest::newRow("CR") << QByteArray("/a\r/b\r") << QStringList({"/a", "/b"});
    QTest::newRow("no last line end") << QByteArray("/a\r\n/b") << QStringList({"/a", "/b"});
    QTest::newRow("empty line inside") << QByteArray("/a\n\r/b\r\n") << QStringList({"/a", "", "/b"});
    QTest::newRow("empty last line") << QByteArray("/a\r\n\r\n") << QStringList({"/a", ""});
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF/a\r\n") << QStringList({"/a"});
    QTest::newRow("UTF-8") << QByteArray("/tmp/caf\xC3\xA9.txt\r\n")
                           << QStringList({QString::fromUtf8("/tmp/caf\xC3\xA9.txt")});
    QTest::newRow("not UTF-8") << QByteArray("/tmp/caf\xE9.txt\r\n/b\r\n")
                               << QStringList({QString::fromUtf8("/tmp/caf\xEF\xBF\xBD.txt"), "/b"});
    QTest::newRow("U+FEFF after the first line")
        << QByteArray("/a\r\n\xEF\xBB\xBF/b\r\n") << QStringList({"/a", QString(QChar(0xFEFF)) + "/b"});
    QTest::newRow("NUL") << QByteArray("/a\0b\r\n/c\r\n", 10) << QStringList({QString("/a") + QChar(0) + "b", "/c"});
}

void TestGlobal::documentList()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, paths);

    write("loqa.apl", file);
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->lists.DocumentList, paths);

    m_settings->Save();
    QByteArray expected;
    for (const QString &path : paths)
        expected += path.toUtf8() + "\r\n";
    QCOMPARE(read("loqa.apl"), expected);
}

void TestGlobal::documentListFallsBackToSamples()
{
    const QStringList samples = SampleDocumentPaths();
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->lists.DocumentList, samples);

    QVERIFY(QDir(m_home->path()).mkdir("loqa.apl"));
    m_settings->lists.DocumentList.clear();
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->lists.DocumentList, samples);
}

void TestGlobal::pathsWithLineBreaksAreLeftOut()
{
    m_settings->Load(kScreen);
    m_settings->lists.DocumentList = {"/a.txt", "/odd\nname.txt", "/b.txt"};
    m_settings->Save();
    QCOMPARE(read("loqa.apl"), QByteArray("/a.txt\r\n/b.txt\r\n"));
}

void TestGlobal::readOnlyDocumentListIsReplaced()
{
    write("loqa.apl", "/old.txt\r\n");
    QVERIFY(QFile::setPermissions(m_home->file("loqa.apl"), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    m_settings->Load(kScreen);
    m_settings->lists.DocumentList << "/new.txt";
    m_settings->Save();
    QCOMPARE(read("loqa.apl"), QByteArray("/old.txt\r\n/new.txt\r\n"));
    QVERIFY(QFileInfo(m_home->file("loqa.apl")).permissions() & QFileDevice::WriteOwner);
}

void TestGlobal::readOnlyIniFailsTheSave()
{
    const QByteArray old = "[Auto]\r\nSpd=100\r\n";
    write("loqa.ini", old);
    write("loqa.apl", "/old.txt\r\n");
    QVERIFY(QFile::setPermissions(m_home->file("loqa.ini"), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->automatic.Spd, 100);
    m_settings->lists.DocumentList = {"/new.txt"};
    QVERIFY_THROWS_EXCEPTION(ESettingsError, m_settings->Save());
    QCOMPARE(read("loqa.ini"), old);
    QCOMPARE(read("loqa.apl"), QByteArray("/old.txt\r\n"));
}

void TestGlobal::saveKeepsPermissions()
{
    const auto mode = [this](const char *name) {
        struct stat info {
        };
        return ::stat(QFile::encodeName(m_home->file(name)).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
    };
    write("loqa.ini", "[Auto]\r\n");
    QCOMPARE(::chmod(QFile::encodeName(m_home->file("loqa.ini")).constData(), 0600), 0);
    m_settings->Load(kScreen);
    m_settings->Save();
    QCOMPARE(mode("loqa.ini"), 0600);
    // A new file is made as any other: readable as the user's umask allows.
    const mode_t umaskNow = ::umask(022);
    ::umask(umaskNow);
    QCOMPARE(mode("loqa.apl"), int(0666 & ~umaskNow));
}

void TestGlobal::unreadableIni()
{
    // A loqa.ini that cannot be read loads as defaults, and a save does not replace it.
    QVERIFY(QDir(m_home->path()).mkdir("loqa.ini"));
    write("loqa.apl", "/a.txt\r\n");
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->automatic.Spd, 150);
    QCOMPARE(m_settings->automatic.MainWidth, 603);
    QCOMPARE(m_settings->lists.DocumentList, QStringList({"/a.txt"}));
    m_settings->lists.DocumentList = {"/b.txt"};
    try {
        m_settings->Save();
        QFAIL("the save went through");
    } catch (const ESettingsError &error) {
        QVERIFY2(error.message().contains("loqa.ini"), qPrintable(error.message()));
    }
    QVERIFY(QFileInfo(m_home->file("loqa.ini")).isDir());
    QCOMPARE(read("loqa.apl"), QByteArray("/a.txt\r\n"));
}

void TestGlobal::failedWriteKeepsTheOldFile()
{
    // A disk that fills up mid-save: files may not grow past 1 KiB for a moment.
    const QByteArray old = "[Auto]\r\nSpd=100\r\n";
    write("loqa.ini", old);
    write("loqa.apl", "/old.txt\r\n");
    m_settings->Load(kScreen);
    m_settings->lists.DocumentList = {"/new.txt"};

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        m_settings->Save();
    } catch (const ESettingsError &) {
        failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(failed);
    QCOMPARE(read("loqa.ini"), old);
    QCOMPARE(read("loqa.apl"), QByteArray("/old.txt\r\n"));
    QCOMPARE(filesIn(m_home->path()), QStringList({"loqa.apl", "loqa.ini"}));
}

void TestGlobal::sampleDocuments()
{
    QVERIFY(IsFirstStart());
    write("txt/sample2.txt", "my own notes");
    QCOMPARE(InstallSampleDocuments(), 2);
    QCOMPARE(InstallSampleDocuments(), 0);

    const QString shipped = qEnvironmentVariable("LOQA_SOURCE_DIR") + "/data/samples/";
    for (const QString &name : {QString("sample1.txt"), QString("sample3.txt")}) {
        QFile file(shipped + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("Loquora"));
        QCOMPARE(read("txt/" + name), text);
    }
    QCOMPARE(read("txt/sample2.txt"), QByteArray("my own notes"));
    QVERIFY(QFileInfo(m_home->file("txt/sample1.txt")).permissions() & QFileDevice::WriteOwner);
}

void TestGlobal::badFiles()
{
    // 50 MB of noise before a valid section, in both files.
    QByteArray noise(50 * 1024 * 1024, '\0');
    quint32 seed = 99;
    for (char &c : noise) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    write("loqa.ini", noise + "\r\n[Auto]\r\nSpd=222\r\n[General]\r\nGreetingString=\xFF\xFE\r\n");
    write("loqa.apl", noise + "\r\n/last.txt");
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->automatic.Spd, 222);
    QCOMPARE(m_settings->general.GreetingString, QString("Welcome to Loquora!"));
    QCOMPARE(m_settings->lists.DocumentList.last(), QString("/last.txt"));

    m_settings->Save();
    m_settings->Load(kScreen);
    QCOMPARE(m_settings->automatic.Spd, 222);
}

QTEST_GUILESS_MAIN(TestGlobal)
#include "tst_global.moc"
