#include "platform/apppath.h"
#include "app/cmdline.h"
#include "platform/commandchannel.h"
#include "commands/commandnames.h"
#include "ui/main/converter.h"
#include "platform/endsignals.h"
#include "settings/documentlist.h"
#include "platform/qmutils.h"
#include "document/document.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QThread>

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
    // Only the voice report of a run started from a launcher, whose output nobody
    // reads, needs a window (its message box); everything else works without a display.
    QString first = QString::fromLocal8Bit(argv[1]).toLower();
    const TQMCmdLine::MessageSink sink = first == QLatin1String("/e")
                                             ? TQMCmdLine::ReportSink(STDOUT_FILENO, haveDisplay())
                                             : TQMCmdLine::MessageSink::StandardOutput;
    std::unique_ptr<QCoreApplication> app;
    if (sink == TQMCmdLine::MessageSink::MessageBox) {
        app = std::make_unique<QApplication>(argc, argv);
    } else if (argc > 2 && loqa::doc::NeedsFonts(loqa::doc::FormatOf(QString::fromLocal8Bit(argv[2])))) {
        // A web page or Markdown is laid out as a rich text, which asks for the
        // desktop's fonts: a window system is needed, one that draws nowhere will do.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList arguments = QCoreApplication::arguments().mid(1);
    TQMCmdLine converter(arguments, sink);
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

// The window, with `open` added to its documents and the first of them shown.
// The lock is held already.
int runWindow(QApplication &app, const QStringList &open)
{
    QApplication::setApplicationName(loqa::ApplicationTitle());
    // Hidden in the tray is still running; the window's Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    prepareAppPath();
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(1024, 768);
    TFormCvt form(screen);
    form.OpenDocuments(open);
    if (form.ShowAtStart() || !open.isEmpty())
        form.show();
    // A logout, a shutdown or `kill` ends the window as closing it does. The
    // session manager's request comes before a logout that may still be cancelled:
    // everything is saved then, and its end of the session (Qt's quit) saves again.
    loqa::EndSignals endSignals;
    QObject::connect(&endSignals, &loqa::EndSignals::Received, &form, &TFormCvt::EndSession);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager &) { form.SaveSession(); });
    QObject::connect(&app, &QGuiApplication::saveStateRequest, &form,
                     [&form](QSessionManager &) { form.SaveSession(); });
    return app.exec();
}

// `loqa --open FILE...`: the files, each resolved against the current folder,
// open in the running window, or in a window started for them. A file that is
// not there opens nothing.
int runOpen(int argc, char **argv)
{
    QStringList files;
    bool missing = false;
    for (int i = 2; i < argc; ++i) {
        const QString given = QString::fromLocal8Bit(argv[i]);
        const QFileInfo file(QDir::current(), given);
        if (!file.exists()) {
            std::fprintf(stderr, "loqa: the file %s does not exist\n", given.toLocal8Bit().constData());
            missing = true;
        } else if (!file.isFile()) {
            std::fprintf(stderr, "loqa: %s is not a file\n", given.toLocal8Bit().constData());
            missing = true;
        } else {
            files << QDir::cleanPath(file.absoluteFilePath());
        }
    }
    if (missing)
        return 1;
    // A window reachable on the session bus or by its socket takes them; else
    // this process becomes the window. One that holds the lock but does not
    // answer yet is starting, and listens a moment later.
    std::unique_ptr<QCoreApplication> app;
    if (haveDisplay())
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    const auto handOver = [&files] {
        loqa::SendResult sent = loqa::SendOpenOverBus(files);
        if (sent == loqa::SendResult::NoWindow)
            sent = loqa::SendOpen(loqa::CommandChannelPath(), files);
        return sent;
    };
    loqa::SendResult sent = files.isEmpty() ? loqa::SendResult::NoWindow : handOver();
    if (sent == loqa::SendResult::NoWindow && !loqa::IsAlreadyRunning()) {
        if (auto *gui = qobject_cast<QApplication *>(app.get()))
            return runWindow(*gui, files);
        std::fputs("loqa: no display to open the window on\n", stderr);
        return 1;
    }
    // Started from a menu with no file, as `loqa` alone: the running window stays as it is.
    if (files.isEmpty())
        return 0;
    const QDeadlineTimer deadline(10000);
    while (sent == loqa::SendResult::NoWindow && !deadline.hasExpired()) {
        QThread::msleep(200);
        sent = handOver();
    }
    if (sent == loqa::SendResult::Done)
        return 0;
    std::fputs("loqa: the running Loquora window did not take the files\n", stderr);
    return 1;
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
    if (argc > 1 && std::string_view(argv[1]) == "--open")
        return runOpen(argc, argv);
    if (argc > 1)
        return runCommandLine(argc, argv);
    if (loqa::IsAlreadyRunning())
        return 0;
    QApplication app(argc, argv);
    return runWindow(app, {});
}
