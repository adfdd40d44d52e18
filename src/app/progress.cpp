#include "progress.h"

#include "commands.h"

#include <QLocale>

#include <atomic>
#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

namespace corvane::app
{

namespace
{

std::atomic<bool> s_quiet{false};
constexpr qint64 kRedrawIntervalMs = 100;

int terminalWidth()
{
    struct winsize size {
    };
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void writeToTerminal(const QByteArray &bytes)
{
    err().flush(); // messages written before stay before the line
    std::fflush(stdout);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace

Progress::Progress() : m_enabled(!s_quiet && ::isatty(STDERR_FILENO) == 1)
{
}

Progress::~Progress()
{
    clear();
}

void Progress::setQuiet(bool quiet)
{
    s_quiet = quiet;
}

void Progress::show(const QString &text)
{
    if (!m_enabled)
        return;
    const QMutexLocker locker(&m_mutex);
    m_text = text;
    if (m_drawn && m_sinceDraw.isValid() && m_sinceDraw.elapsed() < kRedrawIntervalMs)
        return;
    draw();
}

void Progress::clear()
{
    if (!m_enabled)
        return;
    const QMutexLocker locker(&m_mutex);
    if (!m_drawn)
        return;
    writeToTerminal("\r\033[K");
    m_drawn = false;
}

void Progress::restore()
{
    if (!m_enabled)
        return;
    const QMutexLocker locker(&m_mutex);
    if (!m_drawn && !m_text.isEmpty())
        draw();
}

void Progress::draw()
{
    // A line longer than the terminal would wrap, and "\r" would no longer reach its start.
    const QString shown = m_text.left(qMax(1, terminalWidth() - 1));
    writeToTerminal("\r" + shown.toUtf8() + "\033[K");
    m_drawn = true;
    m_sinceDraw.start();
}

QString Progress::count(qsizetype n)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(qint64(n));
}

} // namespace corvane::app
