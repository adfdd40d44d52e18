// The runner's test program: tests/build/data/runner_faketool.f90 built once with gfortran into a
// temporary folder. Its first argument chooses what it does (interleave, exit N, segv, echo,
// slowread, flood MB, args..., env NAME, cwd, sleep S).
#pragma once

#include "build/console.h"

#include <QList>
#include <QString>

namespace corvane::test
{

// Absolute path of the built program; fails the current test when gfortran cannot build it.
QString fakeTool();
// Builds a Fortran source with the given compiler into dir/name; empty on failure.
QString buildFortran(const QString &compiler, const QString &source, const QString &dir,
                     const QString &name);

// A Console that records what it was given, role by role, and counts clears.
class RecordingConsole : public Console
{
public:
    struct Segment {
        QString text;
        Role role;
    };
    void append(const QString &text, Role role) override;
    void clear() override;
    // All text, or the text of one role.
    QString text() const;
    QString text(Role role) const;

    QList<Segment> segments;
    int clears = 0;
    qsizetype totalAppended = 0;
    qsizetype largestContent = 0;
    qsizetype largestAppend = 0; // the most text handed over at once
};

// Runs the event loop until pred() holds or timeoutMs passes; answers pred().
template <typename Pred> bool waitFor(Pred pred, int timeoutMs = 30000);

} // namespace corvane::test

#include <QCoreApplication>
#include <QElapsedTimer>

template <typename Pred> bool corvane::test::waitFor(Pred pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return pred();
}
