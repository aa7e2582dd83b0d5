#include "platform/endsignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace loqa {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};

// [0] the handler's end, [1] the event loop's.
int g_pair[2] = {-1, -1};
std::array<struct sigaction, kSignals.size()> g_previous{};

extern "C" void onEndSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a signal that will be heard.
    [[maybe_unused]] const ssize_t written = ::write(g_pair[0], &byte, 1);
    errno = saved;
}

} // namespace

EndSignals::EndSignals(QObject *parent) : QObject(parent)
{
    if (g_pair[0] != -1)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_pair) != 0) {
        g_pair[0] = g_pair[1] = -1;
        return;
    }
    FNotifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &EndSignals::Drain);
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

EndSignals::~EndSignals()
{
    if (!FNotifier)
        return;
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    delete FNotifier;
    FNotifier = nullptr;
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
}

void EndSignals::Drain()
{
    unsigned char bytes[16];
    ssize_t got = 0;
    while ((got = ::read(g_pair[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i)
            emit Received(bytes[i]);
    }
}

} // namespace loqa
