#include "terminalconsole.h"

#include <unistd.h>

namespace corvane
{

namespace
{
constexpr char kRed[] = "\x1b[31m";
constexpr char kBlue[] = "\x1b[34m";
constexpr char kReset[] = "\x1b[0m";
} // namespace

bool TerminalConsole::isTerminal(FILE *stream)
{
    return stream && ::isatty(::fileno(stream)) == 1;
}

void TerminalConsole::append(const QString &text, Role role)
{
    if (text.isEmpty())
        return;
    FILE *stream = role == Role::Error ? m_err : m_out;
    const char *colour = nullptr;
    if (m_colourErr && role == Role::Error)
        colour = kRed;
    else if (m_colourOut && role == Role::Info)
        colour = kBlue;
    const QByteArray bytes = text.toUtf8();
    if (colour)
        std::fputs(colour, stream);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    if (colour)
        std::fputs(kReset, stream);
    std::fflush(stream);
}

} // namespace corvane
