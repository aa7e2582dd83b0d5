#pragma once

#include "speech/mspeech.h"

#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class QEventLoop;
namespace loqa {
class ProgressLine;
}

// The windowless converter: one command from the arguments, then the process ends.
class TQMCmdLine
{
public:
    struct Switch {
        const char *name;
        const char *defaultValue;
        bool given = false;
        QString value;
    };

    // How messages leave the program: standard output or a message box.
    enum class MessageSink { StandardOutput, MessageBox };
    // Where the voice report goes when `fd` is standard output: there whenever a
    // person or a program reads it (a terminal, a pipe, a file, a socket); a box
    // on a desktop only when it goes nowhere (/dev/null, closed), as from a launcher.
    static MessageSink ReportSink(int fd, bool haveDisplay);

    // `arguments` are the process arguments after the program name.
    explicit TQMCmdLine(QStringList arguments, MessageSink messages = MessageSink::StandardOutput);
    ~TQMCmdLine();
    TQMCmdLine(const TQMCmdLine &) = delete;
    TQMCmdLine &operator=(const TQMCmdLine &) = delete;

    // Runs the command; the result is the process's exit status.
    int Execute();

    void ParseSwitches();
    const Switch &switchFor(const char *name) const;
    // Argument i, 1-based as on the command line after the program; empty past the end.
    QString Argument(int i) const;
    // The WAV file /ttw and /ttm render into.
    static QString WavOutputName(const QString &argument2, const QString &argument3);
    // The output of /wtm (".mp3") and /mtw (".wav").
    static QString ConvertedOutputName(const QString &argument2, const QString &argument3, const QString &extension);
    static QString ReplaceExtension(const QString &path, const QString &extension);

    TMSpeech *Speech() const { return FSpeech.get(); }

    static constexpr int ExitOk = 0;
    static constexpr int ExitFailed = 1;
    static constexpr int ExitUsage = 2;

private:
    int EngineReport();
    int SpeakCommand(TSpeechOutput output);
    void SpeechStopped(TMSpeech *sender);
    int Mp3Step();
    int ConvertCommand(bool encode);
    int Help();
    int UsageError(const QString &reason);
    bool CreateSpeech();
    int Fail(const QString &reason);
    void Message(const QString &text);

    QStringList FArguments;
    MessageSink FMessages;
    std::array<Switch, 8> FSwitches;
    std::unique_ptr<TMSpeech> FSpeech;
    bool Running = false;
    int FStopStatus = ExitOk;
    QEventLoop *FLoop = nullptr;
    loqa::ProgressLine *FProgress = nullptr;
    bool FInterrupted = false;
};
