// TerminalConsole: the command line's Console. Output and "Corvane:" notes go to standard output,
// errors to standard error, each written as it comes; on a terminal errors are red and notes
// blue (ANSI), otherwise the text is plain.
#pragma once

#include "console.h"

#include <cstdio>

namespace corvane
{

class TerminalConsole : public Console
{
public:
    // colourOut/colourErr: write ANSI colours on that stream (see isTerminal()).
    TerminalConsole(FILE *out, FILE *err, bool colourOut, bool colourErr)
        : m_out(out), m_err(err), m_colourOut(colourOut), m_colourErr(colourErr)
    {
    }
    static bool isTerminal(FILE *stream);

    void append(const QString &text, Role role) override;
    void clear() override {} // a terminal keeps what it showed

private:
    FILE *m_out;
    FILE *m_err;
    bool m_colourOut;
    bool m_colourErr;
};

} // namespace corvane
