#include "apppath.h"
#include "cmdline.h"
#include "converter.h"
#include "global.h"
#include "qmutils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QScreen>

#include <csignal>
#include <memory>
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
    TQMCmdLine converter(arguments, box ? TQMCmdLine::MessageSink::MessageBox
                                        : TQMCmdLine::MessageSink::StandardOutput);
    return converter.Execute();
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
