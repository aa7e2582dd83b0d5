#include "apppath.h"
#include "cmdline.h"
#include "commandchannel.h"
#include "commandnames.h"
#include "converter.h"
#include "global.h"
#include "qmutils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>

#include <cstdio>
#include <csignal>
#include <memory>
#include <string_view>
#include <unistd.h>

namespace {

bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int runCommandLine(int argc, char **argv)
{
    // Only the voice report of a run started from the file manager needs a window
    // (its message box); everything else works without a display.
    QString first = QString::fromLocal8Bit(argv[1]).toLower();
    const bool box = first == QLatin1String("/e") && !::isatty(STDOUT_FILENO) && haveDisplay();
    std::unique_ptr<QCoreApplication> app;
    if (box)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    TQMCmdLine converter(arguments,
                         box ? TQMCmdLine::MessageSink::MessageBox : TQMCmdLine::MessageSink::StandardOutput);
    return converter.Execute();
}

// Loquora's own options (a first argument starting with "--"); the "/" commands
// keep their meaning. `--command NAME` hands NAME to the running window.
int runOwnOption(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString usage = QStringLiteral("usage: loqa --command NAME\nNAME: ") +
                          loqa::CommandNames().join(QStringLiteral(", ")) + QLatin1Char('\n');
    if (arguments.size() != 2) {
        std::fputs(usage.toLocal8Bit().constData(), stderr);
        return 2;
    }
    const QString &name = arguments.at(1);
    if (loqa::CommandForName(name) == -1) {
        std::fprintf(stderr, "loqa: no command named \"%s\"\n%s", name.toLocal8Bit().constData(),
                     usage.toLocal8Bit().constData());
        return 2;
    }
    // The bus first; a session without one still has the socket.
    loqa::SendResult sent = loqa::SendCommandOverBus(name);
    if (sent == loqa::SendResult::NoWindow)
        sent = loqa::SendCommand(loqa::CommandChannelPath(), name);
    switch (sent) {
    case loqa::SendResult::Done:
        return 0;
    case loqa::SendResult::Unknown:
        std::fprintf(stderr, "loqa: the running window does not know the command \"%s\"\n",
                     name.toLocal8Bit().constData());
        return 1;
    case loqa::SendResult::NoWindow:
        break;
    }
    std::fputs("loqa: no Loquora window is running\n", stderr);
    return 1;
}

// The folders the window keeps its files in, and the sample documents of a first start.
void prepareAppPath()
{
    const QString home = loqa::AppPath();
    for (const char *folder : {"", "txt", "wav", "mp3"})
        QDir().mkpath(home + QLatin1String(folder));
    if (loqa::IsFirstStart())
        loqa::InstallSampleDocuments();
}

} // namespace

int main(int argc, char **argv)
{
    // A file that reaches the size limit fails its write (EFBIG), which is reported
    // like a full disk, instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    // --help, --version and an unknown "--" option are the converter's to answer.
    if (argc > 1 && std::string_view(argv[1]) == "--command")
        return runOwnOption(argc, argv);
    if (argc > 1)
        return runCommandLine(argc, argv);
    if (loqa::IsAlreadyRunning())
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(loqa::ApplicationTitle());
    // Hidden in the tray is still running; the window's Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    prepareAppPath();
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(1024, 768);
    TFormCvt form(screen);
    if (form.ShowAtStart())
        form.show();
    return app.exec();
}
