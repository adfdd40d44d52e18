// BuildOutputColouring: colours a build's error stream by diagnostic. The lines of a warning
// (gfortran's location line, source excerpt and caret up to its "Warning:" line; one-line
// "file:line: warning:" forms; make's own warnings) take the info colour, all else the error
// colour. A gfortran diagnostic is held only until its verdict line arrives, at most
// kMaxHeldLines lines.
#pragma once

#include "build/console.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace corvane
{

class BuildOutputColouring
{
public:
    static constexpr int kMaxHeldLines = 60;
    struct Piece {
        QString text;
        Console::Role role;
        bool operator==(const Piece &) const = default;
    };

    // The text whose colour is known, in order; an incomplete last line waits for its end.
    QList<Piece> feed(const QString &text);
    // Everything still held, in the error colour (the stream ended).
    QList<Piece> finish();
    void reset();

private:
    void addLine(const QString &line, QList<Piece> &out);
    void release(Console::Role role, QList<Piece> &out);

    QString m_partial;
    QStringList m_held;
};

} // namespace corvane
