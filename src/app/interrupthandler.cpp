#include "interrupthandler.h"

#include <sys/socket.h>
#include <unistd.h>

namespace corvane::app
{

namespace
{

// The signal handler only writes a byte; the event loop reads it and calls the function.
int s_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(s_signalPipe[1], &byte, 1);
}

} // namespace

InterruptHandler::InterruptHandler(std::function<void()> interrupted)
{
    if (s_signalPipe[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_signalPipe) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(s_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated,
                     [interrupted = std::move(interrupted)] {
                         char byte;
                         [[maybe_unused]] const ssize_t n = ::read(s_signalPipe[0], &byte, 1);
                         interrupted();
                     });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &m_previousInt);
    ::sigaction(SIGTERM, &action, &m_previousTerm);
}

InterruptHandler::~InterruptHandler()
{
    if (!m_notifier)
        return;
    ::sigaction(SIGINT, &m_previousInt, nullptr);
    ::sigaction(SIGTERM, &m_previousTerm, nullptr);
    m_notifier.reset();
    ::close(s_signalPipe[0]);
    ::close(s_signalPipe[1]);
    s_signalPipe[0] = s_signalPipe[1] = -1;
}

} // namespace corvane::app
