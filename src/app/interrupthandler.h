// InterruptHandler: while it lives, Ctrl-C (SIGINT) and SIGTERM call a function from the event
// loop instead of ending this process. Commands whose child runs in a process group of its own
// (make, the user's program), which the terminal's signal does not reach, end it this way.
#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

#include <csignal>

namespace corvane::app
{

class InterruptHandler
{
public:
    explicit InterruptHandler(std::function<void()> interrupted);
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler &) = delete;
    InterruptHandler &operator=(const InterruptHandler &) = delete;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previousInt = {}, m_previousTerm = {};
};

} // namespace corvane::app
