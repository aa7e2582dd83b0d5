#pragma once

#include <QElapsedTimer>
#include <QString>

#include <atomic>

// What the converter shows and watches while it works: a progress line for a
// person at a terminal, and Ctrl+C.
namespace loqa {

// SIGINT and SIGTERM set a flag instead of ending the process at once, so the
// converter can stop the engine and the encoder and remove its partial output.
void InstallInterruptHandlers();
const std::atomic<bool> &InterruptFlag();
// The exit status of an interrupted run: 128 + the signal (130 for Ctrl+C).
int InterruptStatus();

// One progress line: share done, audio time rendered, speed, time left, and the
// stage after the speech ("encoding MP3"). `share` is 0..1; negative times are unknown.
QString ProgressText(double share, double audioSeconds, double elapsedSeconds, const QString &stage);

// Keeps one updating line on standard error, only when that is a terminal.
class ProgressLine
{
public:
    ProgressLine();
    ~ProgressLine();
    bool enabled() const { return m_enabled; }
    void show(double share, double audioSeconds, const QString &stage = QString());
    // Ends the line so that what follows starts on a line of its own.
    void finish();

private:
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_clock;
};

} // namespace loqa
