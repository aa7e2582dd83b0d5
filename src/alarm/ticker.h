#pragma once

#include <QDateTime>
#include <QList>

#include <functional>
#include <utility>
#include <vector>

namespace loqa {

// Turns the wakes of a timer into whole wall-clock seconds, each given once.
//
// The timer is meant to be single-shot and restarted for MsToNextSecond() at every
// wake, so that it lands just after each second begins. A wake that comes late
// (a busy window, a nested event loop, a suspended machine) is given every second
// it missed, oldest first, but no more than the last minute of them. Every second
// of local time is given at most once in a run: after the clock is set back, or in
// the hour that a change from summer time repeats, the seconds already given are
// skipped. A wake made early, before the second it waits for, gives nothing.
//
// Tick() updates its state before it returns, so a caller whose work opens a
// nested event loop may be woken, and call Tick() again, before it is done.
class SecondTicker
{
public:
    // The local date and time now.
    using Clock = std::function<QDateTime()>;

    // The most seconds one wake gives: the one it woke in and a minute before it.
    static constexpr int MaxSeconds = 61;

    explicit SecondTicker(Clock clock = SystemClock()) : FClock(std::move(clock)) {}

    void SetClock(Clock clock) { FClock = std::move(clock); }
    QDateTime Now() const { return FClock(); }

    // The timer starts: the second it starts in is the first to be given; the
    // seconds before it (the time the timer was off) are not.
    void Start();
    // A wake: the seconds to act on, each at its whole second, oldest first.
    QList<QDateTime> Tick();
    // Milliseconds from now to the start of the next second (1..1000).
    int MsToNextSecond() const;

    // The system's local time.
    static Clock SystemClock();
    // The system clock, or, for tests, a clock set by the environment variable
    // LOQA_FAKE_NOW (a local ISO 8601 date and time, "2026-12-08T10:29:57"): it
    // reads that moment when this is called and runs on from there at the
    // system clock's pace. The variable is read once, here.
    static Clock ClockFromEnvironment();

private:
    // Seconds of local time (dates and times as the clock shows them, so that a
    // repeated hour gives the same numbers again) that were given already.
    class GivenSeconds
    {
    public:
        // False when `second` was given before; else it is given now.
        bool Insert(qint64 second);

    private:
        std::vector<std::pair<qint64, qint64>> FRanges; // first..last, ascending, apart
    };

    Clock FClock;
    qint64 FLastMs = 0; // the start of the last second a wake saw (ms since the epoch)
    bool FStarted = false;
    GivenSeconds FGiven;
};

} // namespace loqa
