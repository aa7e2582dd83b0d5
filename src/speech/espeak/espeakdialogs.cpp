#include "speech/espeak/espeakcentral.h"

// eSpeak NG has no dialogs of its own: each one is a short report about the
// engine, handed back for the window that asked to show.
namespace speech::espeak {

QString EspeakDialogs::aboutText() const
{
    const Engine &engine = *m_engine;
    return QStringLiteral("eSpeak NG text-to-speech engine\nVersion %1\nVoice data: %2\nVoices: %3")
        .arg(engine.version(), engine.dataPath())
        .arg(engine.modes().size() / 2);
}

QString EspeakDialogs::aboutDlg(uintptr_t, const QString &)
{
    return aboutText();
}

QString EspeakDialogs::generalDlg(uintptr_t, const QString &)
{
    return aboutText();
}

QString EspeakDialogs::lexiconDlg(uintptr_t, const QString &)
{
    return QStringLiteral("Pronunciations come from the engine's dictionaries in\n%1").arg(m_engine->dataPath());
}

QString EspeakDialogs::translateDlg(uintptr_t, const QString &)
{
    return aboutText();
}

} // namespace speech::espeak
