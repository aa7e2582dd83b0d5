#include "apppath.h"
#include "cmdline.h"
#include "qmutils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>

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

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        return runCommandLine(argc, argv);
    if (loqa::IsAlreadyRunning())
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(loqa::ApplicationTitle());
    QLabel placeholder(QStringLiteral("Loquora"));
    placeholder.setWindowTitle(loqa::ApplicationTitle());
    placeholder.setMinimumSize(320, 120);
    placeholder.setAlignment(Qt::AlignCenter);
    placeholder.show();
    return app.exec();
}
