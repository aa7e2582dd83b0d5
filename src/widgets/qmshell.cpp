#include "widgets/qmshell.h"

#include "platform/apppath.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include <cstdio>

namespace loqa {

namespace {

bool haveWidgets()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

void ShowMessageBox(const QString &text, int flags)
{
    if (!haveWidgets()) {
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fputs("\n", stdout);
        std::fflush(stdout);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & 0xF0) {
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    default:
        break;
    }
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool ConfirmBox(const QString &text)
{
    if (!haveWidgets())
        return false;
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void ShellOpen(const QString &target, const QString &, int)
{
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                                               : QUrl::fromUserInput(target);
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QDesktopServices::openUrl(url);
        return;
    }
    // Without a window system object, the desktop's opener is asked directly.
    QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()});
}

} // namespace loqa
