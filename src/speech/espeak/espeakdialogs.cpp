#include "espeakcentral.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace speech::espeak {

namespace {

QWidget *ownerWidget(uintptr_t owner)
{
    if (!owner)
        return QApplication::activeWindow();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->winId() == WId(owner))
            return w;
    }
    return QApplication::activeWindow();
}

void show(uintptr_t owner, const QString &title, const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        throw SpeechError("the engine's dialogs need a window");
    QMessageBox box(QMessageBox::Information, title.isEmpty() ? QStringLiteral("eSpeak NG") : title, text,
                    QMessageBox::Ok, ownerWidget(owner));
    box.exec();
}

QString aboutText()
{
    const Engine &engine = Engine::instance();
    return QStringLiteral("eSpeak NG text-to-speech engine\nVersion %1\nVoice data: %2\nVoices: %3")
        .arg(engine.version(), engine.dataPath())
        .arg(engine.modes().size() / 2);
}

} // namespace

void EspeakDialogs::aboutDlg(uintptr_t owner, const QString &title)
{
    show(owner, title, aboutText());
}

void EspeakDialogs::generalDlg(uintptr_t owner, const QString &title)
{
    show(owner, title, aboutText());
}

void EspeakDialogs::lexiconDlg(uintptr_t owner, const QString &title)
{
    show(owner, title,
         QStringLiteral("Pronunciations come from the engine's dictionaries in\n%1").arg(Engine::instance().dataPath()));
}

void EspeakDialogs::translateDlg(uintptr_t owner, const QString &title)
{
    show(owner, title, aboutText());
}

} // namespace speech::espeak
