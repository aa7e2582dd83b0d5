#include "alarm/ticker.h"

#include <algorithm>

namespace loqa {

namespace {

// Ranges of given seconds kept at most: each setting back of the clock starts one.
constexpr size_t kMaxRanges = 64;

QDateTime wholeSecond(const QDateTime &moment)
{
    return moment.addMSecs(-moment.time().msec());
}

// The second's number by the date and time the clock shows, whatever its offset.
qint64 shownSecond(const QDateTime &second)
{
    return second.date().toJulianDay() * 86400 + second.time().msecsSinceStartOfDay() / 1000;
}

} // namespace

bool SecondTicker::GivenSeconds::Insert(qint64 second)
{
    // The first range that starts after `second`; the one before it starts at or before.
    auto next =
        std::upper_bound(FRanges.begin(), FRanges.end(), second,
                         [](qint64 value, const std::pair<qint64, qint64> &range) { return value < range.first; });
    if (next != FRanges.begin()) {
        auto previous = next - 1;
        if (second <= previous->second)
            return false;
        if (second == previous->second + 1) {
            previous->second = second;
            if (next != FRanges.end() && next->first == second + 1) {
                previous->second = next->second;
                FRanges.erase(next);
            }
            return true;
        }
    }
    if (next != FRanges.end() && next->first == second + 1) {
        next->first = second;
        return true;
    }
    FRanges.insert(next, {second, second});
    if (FRanges.size() > kMaxRanges)
        FRanges.erase(FRanges.begin());
    return true;
}

void SecondTicker::Start()
{
    FLastMs = wholeSecond(FClock()).toMSecsSinceEpoch() - 1000;
    FStarted = true;
}

QList<QDateTime> SecondTicker::Tick()
{
    if (!FStarted)
        Start();
    const QDateTime second = wholeSecond(FClock());
    const qint64 ms = second.toMSecsSinceEpoch();
    const qint64 gap = (ms - FLastMs) / 1000;
    // Forward: the seconds since the last wake, a minute of them at most. Back (the
    // clock was set back): only the second it is now. None: an early wake.
    const qint64 count = gap > 0 ? std::min<qint64>(gap, MaxSeconds) : gap < 0 ? 1 : 0;
    if (gap != 0)
        FLastMs = ms;
    QList<QDateTime> due;
    for (qint64 back = count - 1; back >= 0; --back) {
        const QDateTime visited = second.addSecs(-back);
        if (FGiven.Insert(shownSecond(visited)))
            due.append(visited);
    }
    return due;
}

int SecondTicker::MsToNextSecond() const
{
    return 1000 - FClock().time().msec();
}

SecondTicker::Clock SecondTicker::SystemClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

SecondTicker::Clock SecondTicker::ClockFromEnvironment()
{
    // Test hook: LOQA_FAKE_NOW moves the clock to a chosen moment.
    const QString fake = qEnvironmentVariable("LOQA_FAKE_NOW");
    const QDateTime at = fake.isEmpty() ? QDateTime() : QDateTime::fromString(fake, Qt::ISODate);
    if (!at.isValid())
        return SystemClock();
    const qint64 offset = at.toMSecsSinceEpoch() - QDateTime::currentMSecsSinceEpoch();
    return [offset] { return QDateTime::currentDateTime().addMSecs(offset); };
}

} // namespace loqa
