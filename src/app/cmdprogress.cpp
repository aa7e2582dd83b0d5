#include "app/cmdprogress.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace loqa {

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};

extern "C" void onInterrupt(int signal)
{
    g_signal.store(signal);
    g_interrupted.store(true);
}

QString clock(double seconds)
{
    const qint64 s = qint64(seconds + 0.5);
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void InstallInterruptHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

const std::atomic<bool> &InterruptFlag()
{
    return g_interrupted;
}

int InterruptStatus()
{
    return 128 + (g_signal.load() ? g_signal.load() : SIGINT);
}

QString ProgressText(double share, double audioSeconds, double elapsedSeconds, const QString &stage)
{
    share = std::clamp(share, 0.0, 1.0);
    QString text = QStringLiteral("%1%").arg(int(share * 100), 3);
    if (audioSeconds >= 0)
        text += QStringLiteral("  ") + clock(audioSeconds) + QStringLiteral(" of audio");
    if (audioSeconds > 0 && elapsedSeconds > 0.2)
        text += QStringLiteral("  %1x real time").arg(audioSeconds / elapsedSeconds, 0, 'f', 1);
    if (share > 0.01 && share < 1.0 && elapsedSeconds > 0.2)
        text += QStringLiteral("  ") + clock(elapsedSeconds * (1.0 - share) / share) + QStringLiteral(" left");
    if (!stage.isEmpty())
        text += QStringLiteral("  ") + stage;
    return text;
}

ProgressLine::ProgressLine() : m_enabled(::isatty(STDERR_FILENO) == 1)
{
    m_clock.start();
}

ProgressLine::~ProgressLine()
{
    finish();
}

void ProgressLine::show(double share, double audioSeconds, const QString &stage)
{
    if (!m_enabled)
        return;
    const QString text = ProgressText(share, audioSeconds, m_clock.elapsed() / 1000.0, stage);
    // Carriage return and erase to the end of the line: the line updates in place.
    std::fprintf(stderr, "\r%s\033[K", text.toLocal8Bit().constData());
    std::fflush(stderr);
    m_shown = true;
}

void ProgressLine::finish()
{
    if (m_shown) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    m_shown = false;
}

} // namespace loqa
