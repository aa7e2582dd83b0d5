#include "speech/mspeech.h"

namespace {

const char *const kNotInitialized = "Speech Engine not initialized";
const char *const kNotFound = "Specified Speech Engine not found";
const char *const kNotSelected = "Speech Engine not selected";
const char *const kCannotOpen = "Can not open file";

QString guidText(const QUuid &id)
{
    return id.toString(QUuid::WithBraces).toUpper();
}

} // namespace

// --- notification sinks -------------------------------------------------

void TTSNotifySink::attribChanged(uint32_t attribute)
{
    if (FOwner && FOwner->OnAttribChanged)
        FOwner->OnAttribChanged(FOwner, attribute);
}

void TTSNotifySink::audioStart(uint64_t)
{
    // A text stopped just as it began may still report its start: after Stop it is not heard of.
    if (FOwner && !FOwner->StoppedRunPending() && FOwner->OnStart)
        FOwner->OnStart(FOwner);
}

void TTSNotifySink::audioStop(uint64_t)
{
    if (!FOwner)
        return;
    if (FOwner->FRunsUnfinished > 0)
        --FOwner->FRunsUnfinished;
    if (FOwner->FRunsStopped > 0)
        --FOwner->FRunsStopped;
    // The wave file is complete before anyone hears of the stop, and a file that
    // could not be completed is reported before it.
    QString reason;
    if (!FOwner->FlushFile(reason) && FOwner->FRunError.isEmpty())
        FOwner->ReportError(4, speech::WriteFailureText(FOwner->Filename, reason));
    if (FOwner && FOwner->OnStop)
        FOwner->OnStop(FOwner);
}

void TTSNotifySink::visual(uint64_t, char, char, uint32_t hints, const void *mouth)
{
    if (FOwner && !FOwner->StoppedRunPending() && FOwner->OnVisual)
        FOwner->OnVisual(FOwner, hints, mouth);
}

void TTSNotifySink::error(int32_t code, const QString &message)
{
    if (FOwner && !FOwner->StoppedRunPending())
        FOwner->ReportError(code, message);
}

void TTSNotifySink::warning(int32_t code, const QString &message)
{
    if (FOwner && FOwner->OnWarning)
        FOwner->OnWarning(FOwner, code, message.left(512));
}

void TTSBufNotifySink::wordPosition(uint64_t, uint32_t byteOffset)
{
    if (!FOwner || FOwner->StoppedRunPending())
        return;
    FOwner->FWordPosition = byteOffset;
    if (FOwner->OnWordPosition)
        FOwner->OnWordPosition(FOwner);
}

// --- the component ------------------------------------------------------

TMSpeech::TMSpeech(QObject *owner, std::shared_ptr<speech::Backend> backend)
    : QObject(owner), FBackend(backend ? std::move(backend) : speech::DefaultBackend())
{
    FVersion = QStringLiteral("Tavrin Speech 1.1.1");
    EnumerateEngines();
}

TMSpeech::~TMSpeech()
{
    FInitialized = false;
    // The sinks may outlive us inside the engine; they must not call back.
    if (FNotifySink)
        FNotifySink->detach();
    if (FBufNotifySink)
        FBufNotifySink->detach();
    FCentral.reset(); // silences a speaking engine
    FEnumerator.reset();
}

void TMSpeech::EnumerateEngines()
{
    FInitialized = true;
    FSelected = false;
    try {
        FEnumerator = FBackend->createEnumerator();
        FEnumerator->reset();
        speech::ModeInfo mode;
        while (FEnumerator->next(mode))
            FEngines.append(QString::fromStdString(mode.modeName).left(262));
    } catch (const std::exception &) {
        FInitialized = false;
        Enabled = false;
    }
}

int TMSpeech::FindEngine(const QString &name) const
{
    for (int i = 0; i < FEngines.size(); ++i) {
        if (FEngines.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void TMSpeech::SelectEngine(const QString &name)
{
    if (!FInitialized)
        throw EMSpeechException(QString::fromLatin1(kNotInitialized));
    const int position = FindEngine(name);
    if (position < 0)
        throw EMSpeechException(QString::fromLatin1(kNotFound));
    FSelected = true;
    FLastSelectError.clear();
    try {
        PrepareSinks();
        FEnumerator->reset();
        FEnumerator->skip(size_t(position));
        auto record = std::make_unique<speech::ModeInfo>();
        if (!FEnumerator->next(*record))
            throw speech::SpeechError("the voice list changed");
        if (Output == soFile && !(record->features & speech::FeatureFileOutput))
            throw speech::SpeechError(speech::FileOutputRefusalText(name).toStdString());
        FRawDescription = std::move(record);
        Interface destination;
        GetInterface(0, destination);
        FCentral.reset(); // the old engine goes before the new one is made
        FCentral = FEnumerator->select(FRawDescription->modeId,
                                       std::get<std::shared_ptr<speech::AudioDestination>>(destination));
        AttachEngine();
        LoadEngineInfo();
    } catch (const std::exception &error) {
        FSelected = false;
        FLastSelectError = QString::fromStdString(error.what());
    }
}

void TMSpeech::ReportError(int32_t code, const QString &message)
{
    if (FRunError.isEmpty())
        FRunError = message;
    if (OnError)
        OnError(this, code, message.left(512));
}

void TMSpeech::PrepareSinks()
{
    // The old engine's texts end with it, unheard.
    FRunsUnfinished = 0;
    FRunsStopped = 0;
    if (Output == soFile)
        FFileDestination = FBackend->createFileDestination();
    else
        FDeviceDestination = FBackend->createDeviceDestination();
    if (FRegistrationKey != 0 && FCentral)
        FCentral->unregisterSink(FRegistrationKey);
    FRegistrationKey = 0;
    if (FNotifySink)
        FNotifySink->detach();
    if (FBufNotifySink)
        FBufNotifySink->detach();
    FBufNotifySink = std::make_shared<TTSBufNotifySink>(this);
    FNotifySink = std::make_shared<TTSNotifySink>(this);
}

void TMSpeech::AttachEngine()
{
    FRegistrationKey = FCentral->registerSink(FNotifySink);
}

void TMSpeech::FillInfo(const speech::ModeInfo &mode, TMSpeechEngineInfo &info)
{
    info.Name = QString::fromStdString(mode.modeName).left(262);
    info.Language = QString::fromStdString(mode.language).left(64);
    info.Manufacturer = QString::fromStdString(mode.manufacturer).left(262);
    info.Product = QString::fromStdString(mode.product).left(262);
    info.ModeID = guidText(mode.modeId);
    info.EngineID = guidText(mode.engineId);
    info.Speaker = QString::fromStdString(mode.speaker).left(262);
    info.Style = QString::fromStdString(mode.style).left(262);
    switch (mode.gender) {
    case speech::GenderNeutral:
        info.Gender = QStringLiteral("NEUTRAL");
        break;
    case speech::GenderFemale:
        info.Gender = QStringLiteral("FEMALE");
        break;
    case speech::GenderMale:
        info.Gender = QStringLiteral("MALE");
        break;
    default:
        break; // any other code leaves the field as it was
    }
    info.Age = int32_t(mode.age);
    info.Features = int32_t(mode.features);
    info.Interfaces = int32_t(mode.interfaces);
}

void TMSpeech::LoadEngineInfo()
{
    FillInfo(*FRawDescription, FEngineInfo);
    speech::Attributes &a = FCentral->attributes();
    const uint16_t pitch = a.pitchGet();
    a.pitchSet(0xFFFF);
    FEngineInfo.MaxPitch = a.pitchGet();
    a.pitchSet(0);
    FEngineInfo.MinPitch = a.pitchGet();
    a.pitchSet(pitch);
    const uint32_t realTime = a.realTimeGet();
    a.realTimeSet(0xFFFFFFFFu);
    FEngineInfo.MaxRealTime = a.realTimeGet();
    a.realTimeSet(0);
    FEngineInfo.MinRealTime = a.realTimeGet();
    a.realTimeSet(realTime);
    const uint32_t speed = a.speedGet();
    a.speedSet(0xFFFFFFFFu);
    FEngineInfo.MaxSpeed = a.speedGet();
    a.speedSet(0);
    FEngineInfo.MinSpeed = a.speedGet();
    a.speedSet(speed);
    FEngineInfo.MaxVolume = 100;
    FEngineInfo.MinVolume = 0;
}

void TMSpeech::GetInterface(int kind, Interface &out) const
{
    switch (kind) {
    case 0:
        if (Output == soFile)
            out = std::shared_ptr<speech::AudioDestination>(FFileDestination);
        else
            out = std::shared_ptr<speech::AudioDestination>(FDeviceDestination);
        break;
    case 1:
        out = FCentral.get();
        break;
    case 2:
        out = FCentral ? &FCentral->attributes() : nullptr;
        break;
    case 3:
        out = FCentral ? &FCentral->dialogs() : nullptr;
        break;
    default:
        break;
    }
}

void TMSpeech::SetFileRealTime(uint16_t factor)
{
    Interface destination;
    GetInterface(0, destination);
    const auto &dest = std::get<std::shared_ptr<speech::AudioDestination>>(destination);
    if (dest && dest->kind() == speech::AudioDestination::File)
        static_cast<speech::AudioFile *>(dest.get())->realTimeSet(factor);
}

void TMSpeech::SetSpeed(uint32_t value)
{
    if (FCentral)
        FCentral->inject("\\Spd=" + std::to_string(value) + "\\");
}

void TMSpeech::SetPitch(uint16_t value)
{
    if (FCentral)
        FCentral->inject("\\Pit=" + std::to_string(value) + "\\");
}

void TMSpeech::Speak()
{
    QString all;
    for (const QString &line : Text) {
        all += line;
        all += QStringLiteral("\r\n");
    }
    SpeakText(all);
}

void TMSpeech::SpeakText(const QString &text)
{
    FLastSpeakError.clear();
    FRunError.clear();
    if (!Enabled) {
        FLastSpeakError = QStringLiteral("speech is disabled");
        return;
    }
    if (!FInitialized)
        throw EMSpeechException(QString::fromLatin1(kNotInitialized));
    if (!FSelected || !FCentral)
        throw EMSpeechException(QString::fromLatin1(kNotSelected));
    FPaused = false;
    try {
        if (Output == soFile) {
            if (!FFileDestination || !FFileDestination->set(Filename))
                throw EMSpeechException(QString::fromLatin1(kCannotOpen));
        }
        FCentral->textData(text.toStdString(), FBufNotifySink);
        ++FRunsUnfinished;
    } catch (const EMSpeechException &e) {
        FLastSpeakError = e.message() + QStringLiteral(" ") + Filename;
    } catch (const std::exception &e) {
        FLastSpeakError = QString::fromStdString(e.what());
    }
}

void TMSpeech::Pause()
{
    if (!FCentral)
        throw EMSpeechException(QString::fromLatin1(kNotSelected));
    FCentral->audioPause();
    FPaused = true;
}

void TMSpeech::Resume()
{
    if (!FCentral)
        throw EMSpeechException(QString::fromLatin1(kNotSelected));
    FCentral->audioResume();
    FPaused = false;
}

void TMSpeech::Stop()
{
    FPaused = false;
    if (!FCentral)
        throw EMSpeechException(QString::fromLatin1(kNotSelected));
    FCentral->audioReset();
    FRunsStopped = FRunsUnfinished;
}

bool TMSpeech::GetEngineInfo(const QString &name, TMSpeechEngineInfo &info)
{
    const int position = FindEngine(name);
    if (!FInitialized || position < 0)
        return false;
    speech::ModeInfo mode;
    try {
        FEnumerator->reset();
        FEnumerator->skip(size_t(position));
        if (!FEnumerator->next(mode))
            return false;
    } catch (const std::exception &) {
        return false;
    }
    FillInfo(mode, info);
    info.MaxVolume = 100;
    return true;
}

QString TMSpeech::ShowDialog(int kind, uintptr_t owner, const QString &title)
{
    if (kind < 0 || kind > 3)
        return {};
    if (!FCentral)
        throw EMSpeechException(QString::fromLatin1(kNotSelected));
    speech::Dialogs &dialogs = FCentral->dialogs();
    switch (kind) {
    case 0:
        return dialogs.aboutDlg(owner, title);
    case 1:
        return dialogs.generalDlg(owner, title);
    case 2:
        return dialogs.lexiconDlg(owner, title);
    case 3:
        return dialogs.translateDlg(owner, title);
    default:
        return {};
    }
}

bool TMSpeech::FlushFile(QString &reason)
{
    if (Output == soFile && FFileDestination)
        return FFileDestination->flush(&reason);
    return true;
}

speech::Lexicon *TMSpeech::EngineLexicon() const
{
    return FCentral ? FCentral->dialogs().lexicon() : nullptr;
}
