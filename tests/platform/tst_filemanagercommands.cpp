// The file-manager commands as each file manager reads them: the files are
// parsed back, their command lines expanded the way that file manager expands
// them, and run, with a program path and a file name full of characters that
// quoting gets wrong.
#include "platform/filemanagercommands.h"
#include "platform/filemanagerformats.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QXmlStreamReader>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace loqa;

namespace {

// Text and every document a reader opens.
const QString kDocumentTypes = QStringLiteral(
    "text/plain;application/pdf;application/epub+zip;application/vnd.openxmlformats-officedocument.wordprocessingml."
    "document;application/vnd.oasis.opendocument.text;text/html;application/xhtml+xml;text/markdown;application/"
    "rtf;text/rtf;application/x-fictionbook+xml;");

// A key file's groups as GLib and KConfig read them (values unescaped).
using KeyFile = QMap<QString, QMap<QString, QString>>;

KeyFile ParseKeyFile(const QByteArray &bytes)
{
    KeyFile file;
    QString group;
    for (const QString &line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            [&] { QVERIFY2(!file.contains(group), qPrintable(group)); }();
            file[group];
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        [&] { QVERIFY2(equals > 0 && !group.isEmpty(), qPrintable(line)); }();
        QString value;
        const QString raw = line.mid(equals + 1);
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw.at(i) != QLatin1Char('\\') || i + 1 == raw.size()) {
                value += raw.at(i);
                continue;
            }
            const QChar next = raw.at(++i);
            value += next == QLatin1Char('n')   ? QChar(u'\n')
                     : next == QLatin1Char('t') ? QChar(u'\t')
                     : next == QLatin1Char('r') ? QChar(u'\r')
                     : next == QLatin1Char('s') ? QChar(u' ')
                                                : next;
        }
        file[group][line.left(equals)] = value;
    }
    return file;
}

// GLib's g_shell_parse_argv, as far as a command line of ours goes: blanks
// separate; '...' is literal; "..." takes \ before $ ` " \ only; \ elsewhere
// takes the next character.
QStringList ShellSplit(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return {QStringLiteral("<unterminated '>")};
            word += line.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i; i < line.size() && line.at(i) != QLatin1Char('"'); ++i) {
                if (line.at(i) == QLatin1Char('\\') && i + 1 < line.size() &&
                    QStringLiteral("$`\"\\").contains(line.at(i + 1)))
                    ++i;
                word += line.at(i);
            }
            if (i == line.size())
                return {QStringLiteral("<unterminated \">")};
        } else if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            word += line.at(++i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

// A desktop entry's Exec as KIO runs it: quoted arguments as in the shell, %%
// is one %, the argument %f is the clicked file.
QStringList DesktopExecArgv(const QString &exec, const QString &file)
{
    // Field codes are read before the quotes; a stand-in keeps %f apart.
    QString marked;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec.at(i) == QLatin1Char('%') && i + 1 < exec.size()) {
            const QChar code = exec.at(++i);
            marked += code == QLatin1Char('%') ? QString(code) : QString(QChar(1)) + code;
            continue;
        }
        marked += exec.at(i);
    }
    QStringList argv = ShellSplit(marked);
    for (QString &arg : argv) {
        if (arg == QString(QChar(1)) + QLatin1Char('f'))
            arg = file;
        else if (arg.contains(QChar(1)))
            arg = QStringLiteral("<stray field code in %1>").arg(arg);
    }
    return argv;
}

// Thunar (through /bin/sh, which reads these lines alike) and the file-manager
// actions: %f becomes the shell-quoted path, %% a %.
QStringList QuotingExpansionArgv(const QString &command, const QString &file)
{
    QString line;
    for (qsizetype i = 0; i < command.size(); ++i) {
        if (command.at(i) == QLatin1Char('%') && i + 1 < command.size()) {
            const QChar code = command.at(++i);
            if (code == QLatin1Char('f'))
                line += ShellQuote(file);
            else if (code == QLatin1Char('%'))
                line += QLatin1Char('%');
            else
                line += QStringLiteral("<field code %1>").arg(code);
            continue;
        }
        line += command.at(i);
    }
    return ShellSplit(line);
}

// Nemo: with EscapeSpaces, %F becomes the path with quotes, backslashes and
// tabs escaped by a backslash and each blank written as "\ ".
QStringList NemoArgv(const QString &exec, const QString &file)
{
    QString escaped;
    for (QChar c : file) {
        if (QStringLiteral("'\"\\\t ").contains(c))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    QString line = exec;
    const qsizetype at = line.indexOf(QStringLiteral("%F"));
    if (at < 0 || line.indexOf(QLatin1Char('%')) != at)
        return {QStringLiteral("<no %F as the first field code>")};
    line.replace(at, 2, escaped);
    return ShellSplit(line);
}

// Writes a file, with the folders it needs.
bool Put(const QString &path, const QByteArray &bytes)
{
    return QDir().mkpath(QFileInfo(path).path()) && WriteFile(path, bytes);
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList EntriesBelow(const QString &folder, QDir::Filters filters)
{
    QStringList files;
    QDirIterator it(folder, filters | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(folder.size()));
    files.sort();
    return files;
}

QStringList FilesBelow(const QString &folder)
{
    return EntriesBelow(folder, QDir::Files);
}

} // namespace

class TestFileManagerCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir FTemp;
    QString FData;
    QString FConfig;
    QString FSystem; // the desktop's system folder of defaults
    // A program folder and a document folder that quoting could get wrong.
    QString FExe;
    QString FDocument;
    const QByteArray FUserUca =
        QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                          "<!-- my own actions -->\r\n"
                          "<actions>\r\n"
                          "<action>\r\n\t<icon>utilities-terminal</icon>\r\n\t<name>Open Terminal Here</name>\r\n"
                          "\t<unique-id>1398765432101234-1</unique-id>\r\n"
                          "\t<command>exo-open --working-directory %f --launch TerminalEmulator</command>\r\n"
                          "\t<description>Example &amp; more</description>\r\n\t<patterns>*</patterns>\r\n"
                          "\t<startup-notify/>\r\n\t<directories/>\r\n</action>\r\n"
                          "  <action><name>Count words</name><unique-id>1398765432101234-2</unique-id>"
                          "<command>wc -w %F</command><patterns>*.txt</patterns><text-files/></action>\r\n"
                          "</actions>");

private slots:
    void initTestCase()
    {
        QVERIFY(FTemp.isValid());
        FData = FTemp.filePath(QStringLiteral("data"));
        FConfig = FTemp.filePath(QStringLiteral("config"));
        qputenv("XDG_DATA_HOME", FData.toUtf8());
        qputenv("XDG_CONFIG_HOME", FConfig.toUtf8());
        FSystem = FTemp.filePath(QStringLiteral("system"));
        qputenv("XDG_CONFIG_DIRS", FSystem.toUtf8());
        qunsetenv("LOQA_PLATFORM");
        const QString bin = FTemp.filePath(QStringLiteral("my programs/it's \"odd\" $HOME `x` \\ -x"));
        QVERIFY(QDir().mkpath(bin));
        FExe = bin + QStringLiteral("/loqa");
        QVERIFY2(QFile::link(LoqaBinary(), FExe), qPrintable(LoqaBinary()));
        const QString folder = FTemp.filePath(QStringLiteral("my texts/-dash folder"));
        QVERIFY(QDir().mkpath(folder));
        FDocument = folder + QStringLiteral("/my \"odd\" $file %1.txt");
        QVERIFY(WriteFile(FDocument, "Hi."));
        qputenv("LOQA_HOME", FTemp.filePath(QStringLiteral("loqa-home")).toUtf8());
    }

    void init()
    {
        QDir(FData).removeRecursively();
        QDir(FConfig).removeRecursively();
        QDir(FSystem).removeRecursively();
        QFile::remove(QFileInfo(FDocument).path() + QStringLiteral("/my \"odd\" $file %1.wav"));
    }

    // The argument vector each file manager builds for the document, from the
    // files as written; it must be loqa, the switch and the document, whole.
    void everyFormatPassesTheFileWhole()
    {
        QVERIFY(!QFileInfo::exists(FConfig + QStringLiteral("/Thunar/uca.xml")));
        auto commands = CreateFileManagerCommands(FExe);
        const FileManagerResult result = commands->registerCommands();
        QVERIFY2(result.ok(),
                 qPrintable(result.failures.value(0).file + QLatin1Char(' ') + result.failures.value(0).reason));

        const QString dolphin = FData + QStringLiteral("/kio/servicemenus/loqa.desktop");
        QVERIFY(QFileInfo(dolphin).isExecutable());
        const KeyFile service = ParseKeyFile(ReadAll(dolphin));
        QCOMPARE(service.value(QStringLiteral("Desktop Entry")).value(QStringLiteral("Type")),
                 QStringLiteral("Service"));
        QCOMPARE(service.value(QStringLiteral("Desktop Entry")).value(QStringLiteral("MimeType")), kDocumentTypes);
        const QStringList actions = service.value(QStringLiteral("Desktop Entry"))
                                        .value(QStringLiteral("Actions"))
                                        .split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QCOMPARE(actions.size(), 3);

        const QString wav = QFileInfo(FDocument).path() + QStringLiteral("/my \"odd\" $file %1.wav");
        QList<std::pair<QString, QStringList>> runs; // where from, argv
        for (int i = 0; i < 3; ++i) {
            const FileManagerVerb &verb = FileManagerVerbs().at(i);
            const QStringList expected{FExe, QLatin1String(verb.option), FDocument};
            const auto group = service.value(QStringLiteral("Desktop Action ") + actions.at(i));
            QCOMPARE(group.value(QStringLiteral("Name")), QLatin1String(verb.name));
            QCOMPARE(DesktopExecArgv(group.value(QStringLiteral("Exec")), FDocument), expected);

            const KeyFile nemo = ParseKeyFile(
                ReadAll(FData + QStringLiteral("/nemo/actions/loqa-%1.nemo_action").arg(QLatin1String(verb.stem))));
            const auto nemoAction = nemo.value(QStringLiteral("Nemo Action"));
            QCOMPARE(nemoAction.value(QStringLiteral("Name")), QLatin1String(verb.name));
            QCOMPARE(nemoAction.value(QStringLiteral("Mimetypes")), kDocumentTypes);
            QCOMPARE(nemoAction.value(QStringLiteral("Selection")), QStringLiteral("s"));
            QCOMPARE(NemoArgv(nemoAction.value(QStringLiteral("Exec")), FDocument), expected);

            const KeyFile fma = ParseKeyFile(
                ReadAll(FData + QStringLiteral("/file-manager/actions/loqa-%1.desktop").arg(QLatin1String(verb.stem))));
            QCOMPARE(fma.value(QStringLiteral("Desktop Entry")).value(QStringLiteral("Type")),
                     QStringLiteral("Action"));
            QCOMPARE(fma.value(QStringLiteral("Desktop Entry")).value(QStringLiteral("Profiles")),
                     QStringLiteral("loqa;"));
            const auto profile = fma.value(QStringLiteral("X-Action-Profile loqa"));
            QCOMPARE(profile.value(QStringLiteral("MimeTypes")), kDocumentTypes);
            QCOMPARE(QuotingExpansionArgv(profile.value(QStringLiteral("Exec")), FDocument), expected);

            for (const QString &script : {FData + QStringLiteral("/nautilus/scripts/") + QLatin1String(verb.name),
                                          FConfig + QStringLiteral("/caja/scripts/") + QLatin1String(verb.name)})
                QVERIFY2(QFileInfo(script).isExecutable(), qPrintable(script));

            if (i == 1) {
                runs.append(
                    {QStringLiteral("Dolphin"), DesktopExecArgv(group.value(QStringLiteral("Exec")), FDocument)});
                runs.append({QStringLiteral("Nemo"), NemoArgv(nemoAction.value(QStringLiteral("Exec")), FDocument)});
                runs.append({QStringLiteral("PCManFM-Qt"),
                             QuotingExpansionArgv(profile.value(QStringLiteral("Exec")), FDocument)});
            }
        }

        // Thunar: well-formed XML, three entries of ours, each command expanded
        // as Thunar expands it.
        const QString uca = FConfig + QStringLiteral("/Thunar/uca.xml");
        QProcess lint;
        lint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), uca});
        QVERIFY(lint.waitForFinished());
        QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
        QXmlStreamReader xml(ReadAll(uca));
        QStringList ids, thunarArgv;
        QString element, command;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement())
                element = xml.name().toString();
            else if (xml.isCharacters() && element == QLatin1String("unique-id"))
                ids.append(xml.text().toString());
            else if (xml.isCharacters() && element == QLatin1String("command"))
                command = xml.text().toString();
            else if (xml.isEndElement())
                element.clear();
            if (ids.size() == 2 && thunarArgv.isEmpty() && !command.isEmpty() && xml.isEndElement() &&
                xml.name() == QLatin1String("action"))
                thunarArgv = QuotingExpansionArgv(command, FDocument);
        }
        QVERIFY(!xml.hasError());
        QCOMPARE(ids, (QStringList{"loqa-read-aloud", "loqa-read-to-wav", "loqa-read-to-mp3"}));
        QCOMPARE(thunarArgv, (QStringList{FExe, "/ttw", FDocument}));
        runs.append({QStringLiteral("Thunar"), thunarArgv});

        // The real loqa, started as each file manager starts it, leaves the WAV
        // beside the document.
        for (const auto &[from, argv] : std::as_const(runs)) {
            QFile::remove(wav);
            QProcess loqa;
            loqa.start(argv.first(), argv.mid(1));
            QVERIFY2(loqa.waitForFinished(120000), qPrintable(from));
            QVERIFY2(loqa.exitCode() == 0, qPrintable(from + QLatin1Char(' ') + loqa.readAllStandardError()));
            QVERIFY2(QFileInfo(wav).size() > 44, qPrintable(from));
        }

        // Nautilus and Caja run the script in the document's folder with the
        // selected names; here a fake loqa shows what reaches it.
        const QString recorder = FTemp.filePath(QStringLiteral("record $1 'argv'"));
        QVERIFY(WriteFile(recorder, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done >\"$0.out\"\n"));
        QVERIFY(QFile::setPermissions(recorder, QFile::permissions(recorder) | QFileDevice::ExeOwner));
        const QString script = FTemp.filePath(QStringLiteral("Read to WAV"));
        QVERIFY(WriteFile(script, ScriptFor(recorder, FileManagerVerbs().at(1))));
        QVERIFY(QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner));
        for (const QString &argument : {QFileInfo(FDocument).fileName(), FDocument, QStringLiteral("-s")}) {
            QProcess sh;
            sh.setWorkingDirectory(QFileInfo(FDocument).path());
            sh.start(script, {argument});
            QVERIFY(sh.waitForFinished());
            QCOMPARE(sh.exitCode(), 0);
            const QString whole = argument.startsWith(QLatin1Char('/'))
                                      ? argument
                                      : QFileInfo(FDocument).path() + QLatin1Char('/') + argument;
            QCOMPARE(ReadAll(recorder + QStringLiteral(".out")), QByteArray("/ttw") + '\0' + whole.toUtf8() + '\0');
        }
        // And the script written for Nautilus runs the real loqa the same way.
        QFile::remove(wav);
        QProcess nautilus;
        nautilus.setWorkingDirectory(QFileInfo(FDocument).path());
        nautilus.start(FData + QStringLiteral("/nautilus/scripts/Read to WAV"), {QFileInfo(FDocument).fileName()});
        QVERIFY(nautilus.waitForFinished(120000));
        QCOMPARE(nautilus.exitCode(), 0);
        QVERIFY(QFileInfo(wav).size() > 44);
    }

    // Register, register again, remove: the box follows, one set at a time, and
    // nothing of Loquora's is left; the user's own actions and scripts stay byte
    // for byte.
    void registerTwiceThenRemove()
    {
        QVERIFY(Put(FConfig + QStringLiteral("/Thunar/uca.xml"), FUserUca));
        const QByteArray userScript = "#!/bin/sh\nespeak \"$@\"\n";
        QVERIFY(Put(FData + QStringLiteral("/nautilus/scripts/Read Aloud"), userScript));
        QVERIFY(Put(FData + QStringLiteral("/nemo/actions/mine.nemo_action"), "[Nemo Action]\nName=Mine\n"));
        const QStringList before = FilesBelow(FTemp.path());

        auto commands = CreateFileManagerCommands(FExe);
        QVERIFY(!commands->test());
        QVERIFY(commands->registerCommands().ok());
        QVERIFY(commands->test());
        const QByteArray once = ReadAll(FConfig + QStringLiteral("/Thunar/uca.xml"));
        const QStringList filesOnce = FilesBelow(FTemp.path());
        QVERIFY(commands->registerCommands().ok());
        QCOMPARE(ReadAll(FConfig + QStringLiteral("/Thunar/uca.xml")), once);
        QCOMPARE(FilesBelow(FTemp.path()), filesOnce);
        QCOMPARE(once.count("<unique-id>loqa-"), 3);
        QVERIFY(once.startsWith(FUserUca.left(FUserUca.lastIndexOf("</actions>"))));
        // Written by the user: kept, and Caja's is ours.
        QCOMPARE(ReadAll(FData + QStringLiteral("/nautilus/scripts/Read Aloud")), userScript);
        QVERIFY(QFileInfo::exists(FConfig + QStringLiteral("/caja/scripts/Read Aloud")));

        QVERIFY(commands->removeCommands().ok());
        QVERIFY(!commands->test());
        QCOMPARE(ReadAll(FConfig + QStringLiteral("/Thunar/uca.xml")), FUserUca);
        QCOMPARE(ReadAll(FData + QStringLiteral("/nautilus/scripts/Read Aloud")), userScript);
        QCOMPARE(FilesBelow(FTemp.path()), before);
        // Removing again finds nothing to remove, and says nothing.
        QVERIFY(commands->removeCommands().ok());

        // Only the Dolphin "Read Aloud" counts for the box.
        QVERIFY(commands->registerCommands().ok());
        QVERIFY(QFile::remove(FData + QStringLiteral("/nemo/actions/loqa-read-aloud.nemo_action")));
        QVERIFY(commands->test());
        QVERIFY(QFile::remove(FData + QStringLiteral("/kio/servicemenus/loqa.desktop")));
        QVERIFY(!commands->test());
        QVERIFY(commands->removeCommands().ok());

        // A uca.xml Thunar never wrote from scratch leaves with the last entry.
        QVERIFY(QFile::remove(FConfig + QStringLiteral("/Thunar/uca.xml")));
        QVERIFY(commands->registerCommands().ok());
        QVERIFY(commands->removeCommands().ok());
        QVERIFY(!QFileInfo::exists(FConfig + QStringLiteral("/Thunar/uca.xml")));
    }

    // A file manager that fails is named, with its file and why, and stops
    // there; the others are done all the same. A uca.xml that does not parse is
    // never written, and one with a byte-order mark keeps it.
    void aFailingFileManagerLeavesTheOthersDone()
    {
        auto commands = CreateFileManagerCommands(FExe);
        const auto failed = [](const FileManagerResult &result) {
            QStringList names;
            for (const FileManagerFailure &failure : result.failures)
                names << failure.fileManager;
            return names;
        };
        const QString uca = FConfig + QStringLiteral("/Thunar/uca.xml");
        const QString nautilus = FData + QStringLiteral("/nautilus/scripts/Read to MP3");
        const QString nemo = FData + QStringLiteral("/nemo/actions/loqa-read-aloud.nemo_action");
        // A file where the Nemo folder should be: nothing can be written there,
        // whoever runs the test (permissions do not stop root).
        QVERIFY(Put(FData + QStringLiteral("/nemo"), "not a folder"));
        FileManagerResult result = commands->registerCommands();
        QCOMPARE(failed(result), QStringList{"Nemo"});
        QCOMPARE(result.failures.at(0).file, nemo);
        QVERIFY(!result.failures.at(0).reason.isEmpty());
        QVERIFY(commands->test());
        QVERIFY(QFileInfo::exists(FData + QStringLiteral("/file-manager/actions/loqa-read-to-mp3.desktop")));
        QVERIFY(QFileInfo::exists(nautilus));
        QVERIFY(QFileInfo::exists(FConfig + QStringLiteral("/caja/scripts/Read to MP3")));
        QCOMPARE(ReadAll(uca).count("<unique-id>loqa-"), 3);
        QVERIFY(commands->removeCommands().ok());
        QCOMPARE(FilesBelow(FData), QStringList{"/nemo"});
        QVERIFY(QFile::remove(FData + QStringLiteral("/nemo")));

        if (::geteuid() != 0) {
            const QString menus = FData + QStringLiteral("/kio/servicemenus");
            QVERIFY(QDir().mkpath(menus));
            QVERIFY(QFile::setPermissions(menus, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            result = commands->registerCommands();
            QFile::setPermissions(menus, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QCOMPARE(failed(result), QStringList{"Dolphin"});
            QCOMPARE(result.failures.at(0).file, menus + QStringLiteral("/loqa.desktop"));
            QVERIFY(!commands->test());
            QVERIFY(QFileInfo::exists(nemo));
            QVERIFY(commands->removeCommands().ok());
            QVERIFY(!QFileInfo::exists(nemo));
        }

        // A uca.xml that does not parse, with nothing of ours in it: Register
        // names Thunar and writes the rest; Remove has nothing to take from it.
        QDir(FData).removeRecursively();
        const QByteArray broken = FUserUca.left(FUserUca.size() - 5);
        QVERIFY(Put(uca, broken));
        result = commands->registerCommands();
        QCOMPARE(failed(result), QStringList{"Thunar"});
        QCOMPARE(result.failures.at(0).file, uca);
        QCOMPARE(ReadAll(uca), broken);
        QVERIFY(commands->test());
        QVERIFY(commands->removeCommands().ok());
        QVERIFY(!commands->test());
        QVERIFY(!QFileInfo::exists(nautilus));
        QCOMPARE(ReadAll(uca), broken);

        // Entries of ours in a uca.xml that no longer parses: Thunar is named,
        // and the others go all the same.
        QVERIFY(Put(uca, FUserUca));
        QVERIFY(commands->registerCommands().ok());
        const QByteArray spoilt = ReadAll(uca).replace("</actions>", "</actions");
        QVERIFY(Put(uca, spoilt));
        result = commands->removeCommands();
        QCOMPARE(failed(result), QStringList{"Thunar"});
        QVERIFY(FailureMessage(result, false)
                    .startsWith(QStringLiteral("The file-manager commands could not be removed for Thunar.\nThunar: ") +
                                uca + QStringLiteral(": ")));
        QCOMPARE(ReadAll(uca), spoilt);
        QVERIFY(!commands->test());
        QVERIFY(!QFileInfo::exists(nemo));
        QVERIFY(!QFileInfo::exists(nautilus));

        // A byte-order mark in front: kept, and the file comes back byte for byte.
        const QByteArray marked = "\xEF\xBB\xBF" + FUserUca;
        QVERIFY(Put(uca, marked));
        QVERIFY(commands->registerCommands().ok());
        QVERIFY(ReadAll(uca).startsWith(marked.left(marked.lastIndexOf("</actions>"))));
        QCOMPARE(ReadAll(uca).count("<unique-id>loqa-"), 3);
        QVERIFY(commands->removeCommands().ok());
        QCOMPARE(ReadAll(uca), marked);
    }

    // With no uca.xml of the user's, Thunar reads the first one of the system
    // folders: a new one starts from it, and goes again with Loquora's entries.
    void aNewUcaStartsFromTheSystemDefaults()
    {
        const QString empty = FSystem + QStringLiteral("/first");
        const QString second = FSystem + QStringLiteral("/second");
        QVERIFY(QDir().mkpath(empty));
        QVERIFY(Put(second + QStringLiteral("/Thunar/uca.xml"), FUserUca));
        qputenv("XDG_CONFIG_DIRS", ("relative/ignored:" + empty + "::" + second).toUtf8());
        auto commands = CreateFileManagerCommands(FExe);
        qputenv("XDG_CONFIG_DIRS", FSystem.toUtf8());
        const QString uca = FConfig + QStringLiteral("/Thunar/uca.xml");
        QVERIFY(commands->registerCommands().ok());
        const QByteArray written = ReadAll(uca);
        QVERIFY(written.startsWith(FUserUca.left(FUserUca.lastIndexOf("</actions>"))));
        QVERIFY(written.contains("<name>Open Terminal Here</name>"));
        QCOMPARE(written.count("<unique-id>loqa-"), 3);
        QVERIFY(commands->removeCommands().ok());
        QVERIFY(!QFileInfo::exists(uca));
        QCOMPARE(ReadAll(second + QStringLiteral("/Thunar/uca.xml")), FUserUca);
    }

    // Remove takes away the folders Register made once they are empty, and no
    // folder that was there before.
    void removeTakesAwayTheFoldersRegisterMade()
    {
        QVERIFY(QDir().mkpath(FData + QStringLiteral("/nemo/actions"))); // the user's, empty
        auto commands = CreateFileManagerCommands(FExe);
        QVERIFY(commands->registerCommands().ok());
        QVERIFY(commands->registerCommands().ok()); // the second run still knows what the first made
        QVERIFY(Put(FConfig + QStringLiteral("/caja/scripts/Mine"), "#!/bin/sh\n"));
        QVERIFY(commands->removeCommands().ok());
        QCOMPARE(EntriesBelow(FData, QDir::Dirs), (QStringList{"/nemo", "/nemo/actions"}));
        QCOMPARE(EntriesBelow(FConfig, QDir::AllEntries),
                 (QStringList{"/caja", "/caja/scripts", "/caja/scripts/Mine"}));
    }

    void nullPlatformWritesNothing()
    {
        qputenv("LOQA_PLATFORM", "null");
        auto commands = CreateFileManagerCommands(FExe);
        qunsetenv("LOQA_PLATFORM");
        QVERIFY(commands->registerCommands().ok());
        QVERIFY(!commands->test());
        QVERIFY(!QFileInfo::exists(FData));
        QVERIFY(!QFileInfo::exists(FConfig));
    }

    // What the formats can carry: a % in the program's path survives where the
    // format has an escape for it.
    void percentInTheProgramPath()
    {
        const QString exe = QStringLiteral("/opt/100% sure/loqa");
        const QString file = QStringLiteral("/t/a b.txt");
        const QStringList expected{exe, QStringLiteral("/tts"), file};
        const KeyFile service = ParseKeyFile(DolphinServiceMenu(exe));
        QCOMPARE(DesktopExecArgv(
                     service.value(QStringLiteral("Desktop Action loqaReadAloud")).value(QStringLiteral("Exec")), file),
                 expected);
        const KeyFile fma = ParseKeyFile(FileManagerAction(exe, FileManagerVerbs().first()));
        QCOMPARE(QuotingExpansionArgv(fma.value(QStringLiteral("X-Action-Profile loqa")).value(QStringLiteral("Exec")),
                                      file),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestFileManagerCommands)
#include "tst_filemanagercommands.moc"
