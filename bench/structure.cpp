// The editor's structure scanner on a 20,000-line file: the caret's unit at its last line (the
// pop-up follows it after every selection change), the whole jump list (rebuilt when the pop-up
// opens), jumping to the last unit, and bracket matching (after every typed ")").
// Goals: caret's unit <= 2 ms, jump list <= 20 ms, bracket match <= 0.1 ms.
#include "editor/bracketmatcher.h"
#include "editor/structurescanner.h"

#include <QString>

#include <benchmark/benchmark.h>

using namespace corvane;

namespace
{

constexpr int kLines = 20000;

// Modules of documented procedures with interface blocks and marks, as real sources have them,
// cut to kLines lines.
QString typicalFile()
{
    QStringList lines;
    for (int m = 0; lines.size() < kLines; ++m) {
        const QString n = QString::number(m);
        lines << "!@mark - Module " + n << "module mod_" + n << "  use iso_fortran_env"
              << "  implicit none"
              << "  interface norm_" + n << "    module procedure nv, nm"
              << "    subroutine external_" + n + "(x)"
              << "    end subroutine"
              << "  end interface"
              << "contains";
        for (int p = 0; p < 8; ++p) {
            const QString q = n + "_" + QString::number(p);
            lines << "  !> Procedure " + q << "  !! Solves the small system in place."
                  << "  recursive subroutine solve_" + q + "(a, b, n, info) ! driver"
                  << "    real(dp), intent(inout) :: a(n)"
                  << "    integer :: i, info";
            for (int s = 0; s < 12; ++s)
                lines << "    a(i) = a(i) + b(min(i + " + QString::number(s) + ", n)) * 0.5_dp";
            lines << "  end subroutine solve_" + q;
        }
        lines << "end module mod_" + n;
    }
    lines.resize(kLines);
    return lines.join(u'\n') + u'\n';
}

// One unit header and then only statements: the caret's walk goes back over every line.
QString singleUnitFile()
{
    QString text = "module big\n";
    for (int i = 1; i < kLines; ++i)
        text += "    a(i) = a(i) + b(min(i + 3, n)) * 0.5_dp\n";
    return text;
}

qsizetype startOfLastLine(const QString &text)
{
    return text.lastIndexOf(u'\n', text.size() - 2) + 1;
}

void BM_CaretUnitAtLastLine(benchmark::State &state, const QString &text)
{
    const StructureScanner scanner;
    const qsizetype caret = startOfLastLine(text) + 4;
    for (auto _ : state)
        benchmark::DoNotOptimize(scanner.currentProgramUnit(text, caret));
}

void BM_JumpList(benchmark::State &state, const QString &text)
{
    const StructureScanner scanner;
    qsizetype entries = 0;
    for (auto _ : state) {
        const auto list = scanner.constructJumpList(text);
        entries = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["entries"] = double(entries);
}

void BM_JumpToLastUnit(benchmark::State &state, const QString &text)
{
    const StructureScanner scanner;
    const auto list = scanner.constructJumpList(text);
    const QString last = list[list.size() - 2].text;
    for (auto _ : state)
        benchmark::DoNotOptimize(scanner.jump(text, last));
}

// A matched expression after real code, and an unmatched ")" after text without brackets, which
// walks the whole window.
void BM_BracketMatch(benchmark::State &state, bool matched)
{
    QString text = matched ? typicalFile().left(20000) + "\ny = f(a(1) + b(min(i + 3, n)) * 0.5_dp)"
                           : QString("x = y + z\n").repeated(2000) + "y = x)";
    const qsizetype at = text.size() - 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(BracketMatcher::matchAt(text, at));
}

const QString &typical()
{
    static const QString text = typicalFile();
    return text;
}

const QString &singleUnit()
{
    static const QString text = singleUnitFile();
    return text;
}

} // namespace

BENCHMARK_CAPTURE(BM_CaretUnitAtLastLine, typical, typical())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CaretUnitAtLastLine, one_unit_20000_lines, singleUnit())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_JumpList, typical, typical())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JumpList, one_unit_20000_lines, singleUnit())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_JumpToLastUnit, typical, typical())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BracketMatch, matched, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_BracketMatch, unmatched_whole_window, false)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
