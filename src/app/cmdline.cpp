#include "app/cmdline.h"

#include "platform/apppath.h"
#include "app/cmdprogress.h"
#include "audio/lame.h"
#include "speech/lexicon.h"
#include "audio/mp3step.h"
#include "widgets/qmshell.h"
#include "platform/qmutils.h"
#include "document/document.h"
#include "text/textfile.h"
#include "audio/wavfile.h"

#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kWelcome = "Welcome to Loquora!";

const char *const kUsage = "Usage: loqa COMMAND [TEXT-OR-FILE] [OUTPUT] [SWITCHES]\n"
                           "  /tts TEXT-OR-FILE          read aloud\n"
                           "  /ttw TEXT-OR-FILE [OUT]    render to a WAV file\n"
                           "  /ttm TEXT-OR-FILE [OUT]    render to an MP3 file\n"
                           "  /wtm WAV-FILE [OUT]        encode a WAV file to MP3\n"
                           "  /mtw MP3-FILE [OUT]        decode an MP3 file to WAV\n"
                           "  /e                         list the voices (-e N describes voice N)\n"
                           "Switches: -e voice  -s speed  -p pitch  -w render speed (times real time)\n"
                           "          -r resample kHz  -b bit rate  -m channel mode  -q quality\n"
                           "  --open FILE...             open documents in the window (the running one, if any)\n"
                           "  --command NAME             hand a command to the running window\n"
                           "  --help, --version\n";

const char *const kExitStatuses = "Exit status: 0 done, 1 the work failed (a line on standard error says why),\n"
                                  "             2 a usage error, 130 interrupted (the partial output is removed).\n";

// The encoder's time limit; LOQA_MP3_TIME_LIMIT_MS puts a test's own in its place.
int EncoderTimeLimit(qint64 audioBytes)
{
    bool given = false;
    const int limit = qEnvironmentVariableIntValue("LOQA_MP3_TIME_LIMIT_MS", &given);
    return given && limit > 0 ? limit : loqa::Mp3TimeLimitMs(audioBytes);
}

// Seconds of speech in a WAV file being written (the engine's 22,050 Hz, 16-bit mono).
double RenderedSeconds(const QString &wav)
{
    return std::max<qint64>(QFileInfo(wav).size() - qint64(loqa::WavWriter::kHeaderSize), 0) / 44100.0;
}

// Whole-text integers the way the switches take them; false for anything else.
bool toNumber(const QString &text, qlonglong &value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok);
    return ok && !text.trimmed().isEmpty();
}

} // namespace

TQMCmdLine::TQMCmdLine(QStringList arguments, MessageSink messages)
    : FArguments(std::move(arguments)), FMessages(messages), FSwitches{{{"-e", "0"},
                                                                        {"-s", ""},
                                                                        {"-p", ""},
                                                                        {"-w", "8"},
                                                                        {"-r", "automatic"},
                                                                        {"-b", "128"},
                                                                        {"-m", "s"},
                                                                        {"-q", "5"}}}
{}

TQMCmdLine::~TQMCmdLine() = default;

QString TQMCmdLine::Argument(int i) const
{
    return i >= 1 && i <= FArguments.size() ? FArguments.at(i - 1) : QString();
}

void TQMCmdLine::ParseSwitches()
{
    for (Switch &s : FSwitches) {
        s.given = false;
        s.value = QString::fromLatin1(s.defaultValue);
    }
    for (int i = 1; i <= FArguments.size(); ++i) {
        const QString arg = FArguments.at(i - 1).toLower();
        for (Switch &s : FSwitches) {
            if (arg == QLatin1String(s.name)) {
                s.given = true;
                s.value = Argument(i + 1);
            }
        }
    }
}

const TQMCmdLine::Switch &TQMCmdLine::switchFor(const char *name) const
{
    for (const Switch &s : FSwitches) {
        if (qstrcmp(s.name, name) == 0)
            return s;
    }
    return FSwitches.front();
}

QString TQMCmdLine::ReplaceExtension(const QString &path, const QString &extension)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return path.left(dot) + extension;
    return path + extension;
}

namespace {
QString lowerExtension(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? path.mid(dot).toLower() : QString();
}
} // namespace

QString TQMCmdLine::WavOutputName(const QString &argument2, const QString &argument3)
{
    if (!argument2.isEmpty() && QFileInfo(argument2).isFile()) {
        const QString ext = lowerExtension(argument3);
        if (ext == QLatin1String(".wav") || ext == QLatin1String(".mp3"))
            return ReplaceExtension(argument3, QStringLiteral(".wav"));
        return ReplaceExtension(argument2, QStringLiteral(".wav"));
    }
    return QStringLiteral("output.wav");
}

QString TQMCmdLine::ConvertedOutputName(const QString &argument2, const QString &argument3, const QString &extension)
{
    if (lowerExtension(argument3) == extension)
        return argument3;
    return ReplaceExtension(argument2, extension);
}

int TQMCmdLine::Fail(const QString &reason)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(loqa::ApplicationTitle()), reason.toLocal8Bit().constData());
    std::fflush(stderr);
    return ExitFailed;
}

TQMCmdLine::MessageSink TQMCmdLine::ReportSink(int fd, bool haveDisplay)
{
    if (!haveDisplay)
        return MessageSink::StandardOutput;
    struct stat where = {};
    if (::fstat(fd, &where) != 0)
        return MessageSink::MessageBox; // closed
    // A character device that is no terminal (/dev/null, /dev/zero) takes output
    // nobody reads; terminals, pipes, files and sockets are read.
    if (S_ISCHR(where.st_mode) && !::isatty(fd))
        return MessageSink::MessageBox;
    return MessageSink::StandardOutput;
}

void TQMCmdLine::Message(const QString &text)
{
    if (FMessages == MessageSink::MessageBox) {
        loqa::ShowMessageBox(text, loqa::MB_ICONINFORMATION);
        return;
    }
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    std::fputs(plain.toLocal8Bit().constData(), stdout);
    if (!plain.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stdout);
    std::fflush(stdout);
}

int TQMCmdLine::Execute()
{
    const QString command = Argument(1).toLower();
    // Loquora's own options begin with "--"; no /-command changes meaning.
    if (command == QLatin1String("--help")) {
        std::fputs(kUsage, stdout);
        std::fputs(kExitStatuses, stdout);
        return ExitOk;
    }
    if (command == QLatin1String("--version")) {
        std::printf("loqa %s\n", LOQA_VERSION);
        return ExitOk;
    }
    if (command.startsWith(QLatin1String("--")))
        return UsageError(QStringLiteral("unknown option %1").arg(Argument(1)));
    ParseSwitches();
    loqa::InstallInterruptHandlers();
    if (command == QLatin1String("/e"))
        return EngineReport();
    if (command == QLatin1String("/tts"))
        return SpeakCommand(soGeneral);
    if (command == QLatin1String("/ttw") || command == QLatin1String("/ttm"))
        return SpeakCommand(soFile);
    if (command == QLatin1String("/wtm"))
        return ConvertCommand(true);
    if (command == QLatin1String("/mtw"))
        return ConvertCommand(false);
    return Help();
}

int TQMCmdLine::UsageError(const QString &reason)
{
    Fail(reason);
    std::fputs(kUsage, stderr);
    return ExitUsage;
}

int TQMCmdLine::Help()
{
    // Not a command of ours: the help file opens, and the status says it was not one.
    std::fprintf(stderr, "%s: unknown command %s\n", qPrintable(loqa::ApplicationTitle()),
                 Argument(1).toLocal8Bit().constData());
    std::fputs(kUsage, stderr);
    std::fflush(stderr);
    const QString help = loqa::CompanionFile(QStringLiteral("loqa.html"));
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!help.isEmpty() && display)
        loqa::ShellOpen(help, QStringLiteral("Open"), loqa::SW_SHOWMAXIMIZED);
    else if (!help.isEmpty())
        std::fprintf(stderr, "The help file is %s\n", qPrintable(help));
    return ExitUsage;
}

bool TQMCmdLine::CreateSpeech()
{
    if (!FSpeech) {
        // No loqa.ini here: the dictionaries are the ones lying in the program's
        // folder, the user's own loqa.dic first, then every other *.dic by name.
        const QString home = loqa::AppPath();
        const auto lexicon = speech::DefaultLexicon();
        lexicon->setFiles(speech::OwnLexiconPath(home), speech::LexiconsBeside(home));
        for (const speech::LexiconFile &file : lexicon->files()) {
            for (const QString &problem : file.problems)
                std::fprintf(stderr, "%s: %s, %s\n", qPrintable(loqa::ApplicationTitle()), qPrintable(file.path),
                             qPrintable(problem));
        }
        std::fflush(stderr);
        FSpeech = std::make_unique<TMSpeech>();
    }
    return FSpeech->Initialized();
}

int TQMCmdLine::EngineReport()
{
    CreateSpeech();
    const QStringList &engines = FSpeech->Engines();
    const Switch &e = FSwitches[0];
    if (!e.given) {
        QString text = QStringLiteral("All speech engines installed on your system:\r\n");
        for (int i = 0; i < engines.size(); ++i)
            text += QStringLiteral("\r\n%1. %2").arg(i).arg(engines.at(i));
        Message(text);
        return ExitOk;
    }
    if (engines.isEmpty())
        return Fail(QStringLiteral("no voice is installed"));
    qlonglong index = 0;
    if (!toNumber(e.value, index) || index < 0 || index >= engines.size()) {
        FSwitches[0].value = QStringLiteral("0");
        index = 0;
    }
    TMSpeechEngineInfo info;
    if (!FSpeech->GetEngineInfo(engines.at(int(index)), info))
        return Fail(QStringLiteral("the voice cannot be described"));
    QString text = QStringLiteral("The info of speech engine No.") + FSwitches[0].value + QStringLiteral("\r\n\r\n");
    auto line = [&text](const char *label, const QString &value) {
        text += QLatin1String(label) + value + QStringLiteral("\r\n");
    };
    line("Name: ", info.Name);
    line("Language: ", info.Language);
    line("Manufacturer: ", info.Manufacturer);
    line("Product: ", info.Product);
    line("ModeID: ", info.ModeID);
    line("EngineID: ", info.EngineID);
    line("Speaker: ", info.Speaker);
    line("Style: ", info.Style);
    line("Gender: ", info.Gender);
    line("Age: ", QString::number(info.Age));
    line("Features: ", QString::number(info.Features));
    line("Interfaces: ", QString::number(info.Interfaces));
    line("MaxPitch: ", QString::number(info.MaxPitch));
    line("MinPitch: ", QString::number(info.MinPitch));
    line("MaxRealTime: ", QString::number(info.MaxRealTime));
    line("MinRealTime: ", QString::number(info.MinRealTime));
    line("MaxSpeed: ", QString::number(info.MaxSpeed));
    line("MinSpeed: ", QString::number(info.MinSpeed));
    line("MaxVolume: ", QString::number(info.MaxVolume));
    line("MinVolume: ", QString::number(info.MinVolume));
    Message(text);
    return ExitOk;
}

int TQMCmdLine::SpeakCommand(TSpeechOutput output)
{
    CreateSpeech();
    FSpeech->OnStop = [this](TMSpeech *sender) { SpeechStopped(sender); };
    FSpeech->Output = output;
    const QStringList &engines = FSpeech->Engines();
    if (!FSpeech->Initialized())
        return Fail(QStringLiteral("the speech engine is not available"));
    if (engines.isEmpty())
        return Fail(QStringLiteral("no voice is installed"));

    try {
        qlonglong index = 0;
        const Switch &e = FSwitches[0];
        if (e.given && (!toNumber(e.value, index) || index < 0 || index >= engines.size()))
            throw EMSpeechException(QStringLiteral("no such voice"));
        FSpeech->SelectEngine(engines.at(int(index)));
    } catch (const std::exception &) {
        try {
            FSpeech->SelectEngine(engines.at(0));
        } catch (const EMSpeechException &error) {
            return Fail(error.message());
        }
    }
    if (!FSpeech->Selected())
        return Fail(QStringLiteral("cannot speak: ") + (FSpeech->LastSelectError().isEmpty()
                                                            ? QStringLiteral("the voice cannot be loaded")
                                                            : FSpeech->LastSelectError()));

    if (output == soFile) {
        // The WAV of /ttm is only the way to the MP3: it never takes the place of one the user has.
        const QString wav = WavOutputName(Argument(2), Argument(3));
        FSpeech->Filename = Argument(1).toLower() == QLatin1String("/ttm") ? loqa::IntermediateWavName(wav) : wav;
        const Switch &w = FSwitches[3];
        qlonglong times = 0;
        uint16_t factor = 2048;
        if (w.given && toNumber(w.value, times))
            factor = uint16_t(std::clamp<qlonglong>(times * 256, 0, 0xFFFF));
        FSpeech->SetFileRealTime(factor);
    }

    QString text = Argument(2);
    QString loadError;
    if (text.trimmed().isEmpty())
        text = QString::fromLatin1(kWelcome);
    if (QFileInfo(text).isFile()) {
        QStringList lines;
        if (loqa::doc::FormatOf(text) != loqa::doc::Format::Text) {
            // A PDF, an e-book, an Office file or a web page: its text, as the window shows it.
            const loqa::doc::Result document = loqa::doc::ReadDocument(text);
            if (document.ok) {
                FSpeech->Text = loqa::SplitTextLines(document.text);
            } else {
                // Nothing is spoken or written for a document that cannot be read.
                return Fail(QStringLiteral("cannot read ") + document.error);
            }
        } else if (loqa::LoadTextLines(text, lines, &loadError)) {
            FSpeech->Text = lines;
        } else {
            FSpeech->Text = QStringList{QStringLiteral("Can't load the file ") + text};
            loadError = QStringLiteral("cannot read %1: %2").arg(text, loadError);
        }
    } else {
        FSpeech->Text = QStringList{text};
    }

    qlonglong value = 0;
    if (FSwitches[1].given && toNumber(FSwitches[1].value, value))
        FSpeech->SetSpeed(uint32_t(value));
    if (FSwitches[2].given && toNumber(FSwitches[2].value, value))
        FSpeech->SetPitch(uint16_t(value));

    Running = true;
    FStopStatus = ExitOk;
    // A fresh intermediate WAV that nothing was spoken into goes again.
    const auto dropFreshWav = [&] {
        if (output == soFile && FSpeech->Filename != WavOutputName(Argument(2), Argument(3)))
            QFile::remove(FSpeech->Filename);
    };
    try {
        FSpeech->Speak();
    } catch (const EMSpeechException &error) {
        Running = false;
        dropFreshWav();
        return Fail(error.message());
    }
    if (!FSpeech->LastSpeakError().isEmpty()) {
        Running = false;
        dropFreshWav();
        return Fail(QStringLiteral("cannot speak: ") + FSpeech->LastSpeakError());
    }
    // Every accepted text ends with exactly one stop, which arrives through the event loop.
    // Meanwhile a person at a terminal sees the progress, and Ctrl+C stops the engine.
    QEventLoop loop;
    FLoop = &loop;
    loqa::ProgressLine progress;
    FProgress = &progress;
    qint64 total = 0;
    for (const QString &line : FSpeech->Text)
        total += line.toUtf8().size() + 2;
    QTimer watch;
    watch.setInterval(100);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (loqa::InterruptFlag().load() && !FInterrupted) {
            FInterrupted = true;
            FSpeech->Stop();
        }
        if (output == soFile && total > 0)
            progress.show(double(FSpeech->WordPosition()) / double(total), RenderedSeconds(FSpeech->Filename));
    });
    watch.start();
    if (Running)
        loop.exec();
    watch.stop();
    progress.finish();
    FProgress = nullptr;
    FLoop = nullptr;
    if (FInterrupted || FStopStatus != ExitOk)
        return FStopStatus; // already reported, in one line
    if (!loadError.isEmpty())
        return Fail(loadError);
    return FStopStatus;
}

void TQMCmdLine::SpeechStopped(TMSpeech *sender)
{
    if (FInterrupted || loqa::InterruptFlag().load()) {
        // Stopped by the user: no partial output is left behind.
        FInterrupted = true;
        if (sender->Output == soFile)
            QFile::remove(sender->Filename);
        FStopStatus = loqa::InterruptStatus();
    } else if (!sender->RunError().isEmpty()) {
        // A run that failed leaves no partial WAV behind, and /ttm encodes nothing.
        if (sender->Output == soFile)
            QFile::remove(sender->Filename);
        FStopStatus = Fail(sender->RunError());
    } else {
        if (sender->Output == soFile && FProgress)
            FProgress->show(1.0, RenderedSeconds(sender->Filename));
        if (Argument(1).toLower() == QLatin1String("/ttm"))
            FStopStatus = Mp3Step();
        else if (sender->Output == soFile && QFileInfo(sender->Filename).size() < qint64(loqa::WavWriter::kHeaderSize))
            FStopStatus = Fail(QStringLiteral("the WAV file %1 could not be written").arg(sender->Filename));
    }
    Running = false;
    if (FLoop)
        FLoop->quit();
}

int TQMCmdLine::Mp3Step()
{
    const QString wav = FSpeech->Filename;
    if (QFileInfo(wav).size() < qint64(loqa::WavWriter::kHeaderSize))
        return Fail(QStringLiteral("the WAV file %1 could not be written").arg(wav));
    loqa::Mp3Step step;
    step.wav = wav;
    // Named after the WAV the command names, whatever name the rendering had.
    step.mp3 = ReplaceExtension(WavOutputName(Argument(2), Argument(3)), QStringLiteral(".mp3"));
    step.resample = switchFor("-r").value;
    step.bitrate = switchFor("-b").value;
    step.mode = switchFor("-m").value;
    step.quality = switchFor("-q").value;
    // An encoder that never ends would hold the command for ever; Ctrl+C ends it too.
    step.limits.timeoutMs = EncoderTimeLimit(QFileInfo(wav).size());
    step.limits.cancel = &loqa::InterruptFlag();
    if (FProgress)
        FProgress->show(1.0, RenderedSeconds(wav), QStringLiteral("encoding MP3"));
    const loqa::Mp3StepResult result = loqa::RunMp3Step(step);
    // At a terminal Ctrl+C reaches the encoder too, which then ends by itself.
    if (!result.ok() && (result.outcome == loqa::Mp3StepResult::Cancelled || loqa::InterruptFlag().load())) {
        FInterrupted = true;
        QFile::remove(wav);
        return loqa::InterruptStatus();
    }
    if (!result.ok()) {
        // The rendering is finished work: it stays for the user.
        return Fail(result.reason + QStringLiteral("; the speech is kept in ") + wav);
    }
    return ExitOk;
}

int TQMCmdLine::ConvertCommand(bool encode)
{
    const QString source = Argument(2);
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return Fail(source.isEmpty() ? QStringLiteral("no input file was given")
                                     : QStringLiteral("the input file %1 does not exist").arg(source));
    const QString extension = encode ? QStringLiteral(".mp3") : QStringLiteral(".wav");
    const QString dest = ConvertedOutputName(source, Argument(3), extension);
    const auto convert = encode ? loqa::EncodeMp3 : loqa::DecodeMp3;
    // A decoded MP3 is some ten times its own size: the limit follows the larger side.
    loqa::RunLimits limits;
    limits.timeoutMs = EncoderTimeLimit(QFileInfo(source).size() * (encode ? 1 : 12));
    limits.cancel = &loqa::InterruptFlag();
    const loqa::Mp3Result result = convert(source, dest, switchFor("-r").value, switchFor("-b").value,
                                           switchFor("-m").value, switchFor("-q").value, limits, QString());
    if (result.exitCode != 0 && (result.exitCode == loqa::RunCancelled || loqa::InterruptFlag().load())) {
        QFile::remove(dest);
        return loqa::InterruptStatus();
    }
    const QString failure = loqa::Mp3FailureText(result, dest);
    return failure.isEmpty() ? ExitOk : Fail(failure);
}
