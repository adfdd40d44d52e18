// The program to start for a stored compiler path. Compiler discovery stores the path as `which`
// printed it: with a trailing line feed, and blanks escaped with backslashes ("/opt/My\ Tools/fc").
#pragma once

#include <QString>

namespace corvane
{

// "/opt/My\ Tools/gfortran\n" -> "/opt/My Tools/gfortran". A path without line end or escapes is
// returned unchanged; a lone trailing backslash is kept.
inline QString compilerProgram(const QString &storedPath)
{
    QString path = storedPath;
    while (path.endsWith(QLatin1Char('\n')) || path.endsWith(QLatin1Char('\r')))
        path.chop(1);
    QString program;
    program.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] == QLatin1Char('\\') && i + 1 < path.size())
            ++i;
        program.append(path[i]);
    }
    return program;
}

} // namespace corvane
