#pragma once

// A speech back end whose modes and failures a test decides; what a real
// engine cannot be made to do (no enumerator, duplicate names, odd genders,
// a file destination that refuses its file) is scripted here.

#include "speech/speech.h"

#include <QFile>
#include <QObject>
#include <QTimer>

#include <functional>

struct ScriptedLog {
    std::vector<std::string> injected;
    std::vector<std::string> texts;
    int pauses = 0, resumes = 0, resets = 0;
    int centralsAlive = 0;
    std::vector<QString> fileSets;
    // When not empty, the file destination writes these bytes as the rendering.
    QByteArray fileBytes;
    // With holdRuns a run speaks until it is reset or finishRun() is called;
    // runError is reported by the engine before the audio stop.
    bool holdRuns = false;
    QString runError;
    // When not empty, selecting a mode fails with this reason.
    std::string selectFailure;
    std::function<void()> finishRun;
};

class ScriptedAttributes : public speech::Attributes
{
public:
    uint16_t pitchGet() const override { return m_pitch; }
    void pitchSet(uint16_t p) override { m_pitch = std::clamp<uint16_t>(p, 10, 300); }
    uint32_t realTimeGet() const override { return m_rt; }
    void realTimeSet(uint32_t r) override { m_rt = std::clamp<uint32_t>(r, 5, 900); }
    uint32_t speedGet() const override { return m_speed; }
    void speedSet(uint32_t s) override { m_speed = std::clamp<uint32_t>(s, 70, 600); }

private:
    uint16_t m_pitch = 100;
    uint32_t m_rt = 100, m_speed = 200;
};

class ScriptedDialogs : public speech::Dialogs
{
public:
    QString aboutDlg(uintptr_t, const QString &title) override { return said(0, "about", title); }
    QString generalDlg(uintptr_t, const QString &title) override { return said(1, "general", title); }
    QString lexiconDlg(uintptr_t, const QString &title) override { return said(2, "lexicon", title); }
    QString translateDlg(uintptr_t, const QString &title) override { return said(3, "translate", title); }
    QString said(int kind, const char *name, const QString &title)
    {
        ++shown[kind];
        return QLatin1String(name) + QLatin1Char(' ') + title;
    }
    int shown[4] = {0, 0, 0, 0};
};

class ScriptedCentral : public speech::Central
{
public:
    ScriptedCentral(ScriptedLog &log, QUuid mode) : m_log(log), mode(mode)
    {
        ++m_log.centralsAlive;
        m_log.finishRun = [this] { end(); };
    }
    ~ScriptedCentral() override
    {
        --m_log.centralsAlive;
        m_log.finishRun = nullptr;
    }
    speech::Attributes &attributes() override { return attrs; }
    speech::Dialogs &dialogs() override { return dlgs; }
    uint32_t registerSink(std::shared_ptr<speech::NotifySink> s) override
    {
        sink = std::move(s);
        return 7;
    }
    void unregisterSink(uint32_t) override { sink.reset(); }
    void textData(const std::string &utf8, std::shared_ptr<speech::BufNotifySink> s) override
    {
        m_log.texts.push_back(utf8);
        bufSink = std::move(s);
        // The engine answers later, through the event loop, as a real one does.
        QTimer::singleShot(0, &context, [this] {
            if (sink)
                sink->audioStart(0);
            if (bufSink)
                bufSink->wordPosition(0, uint32_t(m_log.texts.back().size()));
            running = true;
            if (!m_log.holdRuns)
                end();
        });
    }
    // The run's audio ends (its error first, when one is scripted).
    void end()
    {
        if (!running)
            return;
        running = false;
        if (sink && !m_log.runError.isEmpty())
            sink->error(1, m_log.runError);
        if (sink)
            sink->audioStop(0);
    }
    bool inject(const std::string &tag) override
    {
        m_log.injected.push_back(tag);
        return true;
    }
    void audioPause() override { ++m_log.pauses; }
    void audioResume() override { ++m_log.resumes; }
    void audioReset() override
    {
        ++m_log.resets;
        QTimer::singleShot(0, &context, [this] { end(); });
    }
    bool running = false;

    ScriptedLog &m_log;
    QUuid mode;
    ScriptedAttributes attrs;
    ScriptedDialogs dlgs;
    std::shared_ptr<speech::NotifySink> sink;
    std::shared_ptr<speech::BufNotifySink> bufSink;
    QObject context;
};

class ScriptedFile : public speech::AudioFile
{
public:
    explicit ScriptedFile(ScriptedLog &log, bool refuse) : m_log(log), m_refuse(refuse) {}
    bool set(const QString &name) override
    {
        m_log.fileSets.push_back(name);
        if (!m_refuse && !m_log.fileBytes.isEmpty()) {
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly) || file.write(m_log.fileBytes) != m_log.fileBytes.size())
                return false;
        }
        return !m_refuse;
    }
    bool flush(QString *reason) override
    {
        ++flushes;
        if (!flushFailure.isEmpty() && reason)
            *reason = flushFailure;
        return flushFailure.isEmpty();
    }
    void realTimeSet(uint16_t f) override { factor = f; }
    uint16_t realTimeGet() const override { return factor; }
    int flushes = 0;
    uint16_t factor = 256;
    QString flushFailure; // what completing the file runs into, empty for nothing

private:
    ScriptedLog &m_log;
    bool m_refuse;
};

class ScriptedEnumerator : public speech::Enumerator
{
public:
    ScriptedEnumerator(std::vector<speech::ModeInfo> modes, ScriptedLog &log) : m_modes(std::move(modes)), m_log(log) {}
    void reset() override { m_at = 0; }
    void skip(size_t n) override
    {
        if (m_at + n > m_modes.size())
            throw speech::SpeechError("skip past the end");
        m_at += n;
    }
    bool next(speech::ModeInfo &info) override
    {
        if (m_at >= m_modes.size())
            return false;
        info = m_modes[m_at++];
        return true;
    }
    std::unique_ptr<speech::Central> select(const QUuid &id, std::shared_ptr<speech::AudioDestination>) override
    {
        if (!m_log.selectFailure.empty())
            throw speech::SpeechError(m_log.selectFailure);
        return std::make_unique<ScriptedCentral>(m_log, id);
    }

private:
    std::vector<speech::ModeInfo> m_modes;
    size_t m_at = 0;
    ScriptedLog &m_log;
};

class ScriptedBackend : public speech::Backend
{
public:
    std::vector<speech::ModeInfo> modes;
    bool noEnumerator = false;
    bool refuseFiles = false;
    ScriptedLog log;
    std::shared_ptr<ScriptedFile> lastFile;

    std::unique_ptr<speech::Enumerator> createEnumerator() override
    {
        if (noEnumerator)
            throw speech::SpeechError("class not registered");
        return std::make_unique<ScriptedEnumerator>(modes, log);
    }
    std::shared_ptr<speech::AudioDevice> createDeviceDestination() override
    {
        return std::make_shared<speech::AudioDevice>();
    }
    std::shared_ptr<speech::AudioFile> createFileDestination() override
    {
        lastFile = std::make_shared<ScriptedFile>(log, refuseFiles);
        return lastFile;
    }

    static speech::ModeInfo mode(const char *name, uint16_t gender = speech::GenderMale)
    {
        speech::ModeInfo m;
        m.modeName = name;
        m.language = "English";
        m.modeId = QUuid::createUuidV5(QUuid(), QString::fromLatin1(name) + QString::number(gender));
        m.gender = gender;
        m.features = speech::FeatureFileOutput;
        return m;
    }
};
