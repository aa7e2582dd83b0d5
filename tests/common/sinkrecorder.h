#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

// Records the private session's null sink (its monitor) and tells when sound
// was heard, how long and how loud. Time 0 is the moment recording began.
class SinkRecorder
{
public:
    static constexpr int kRate = 22050;

    SinkRecorder();
    ~SinkRecorder();

    // False when there is no private sound server (LOQA_TEST_MONITOR unset) or parec fails.
    bool start();
    void stop();
    // Milliseconds since recording began, on the same clock as the samples.
    qint64 elapsedMs() const { return m_clock.elapsed(); }
    // Reads what parec has delivered so far.
    void poll();

    struct Analysis {
        double heardSeconds = 0; // total length of the 10 ms windows with sound
        double peak = 0;         // 0..1
        double firstSound = -1;  // seconds, -1 when nothing was heard
        double lastSound = -1;
    };
    Analysis analyse(double fromSeconds = 0, double toSeconds = 1e9) const;
    double recordedSeconds() const { return double(m_bytes.size()) / 2 / kRate; }

private:
    QProcess m_parec;
    QByteArray m_bytes;
    QElapsedTimer m_clock;
};
