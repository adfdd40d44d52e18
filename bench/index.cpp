// Whole-project indexing: a generated project of 2,000 files and about one million lines (each
// file one module that uses an earlier one, with types extending a parent in another module,
// bindings, a generic interface and module procedures with realistic bodies), indexed as the
// window does it: parses on the global thread pool, merge into one snapshot. Reports the wall
// time per run and the process's peak resident memory ("peak_MB").
//
//   bench_index                         run the benchmark
//   bench_index --generate DIR [FILES]  only write the generated sources into DIR (for comparing
//                                       with other tools, see bench/fortls-compare)
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/prompts.h"
#include "peakmemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

using namespace corvane;

namespace
{

constexpr int kFiles = 2000;

// About 500 lines: a module with specification part, types and 12 procedures.
QByteArray moduleSource(int k)
{
    const QByteArray n = QByteArray::number(k);
    const QByteArray parent = QByteArray::number(k > 0 ? (k - 1) / 2 : 0);
    QByteArray s;
    s += "! Generated module " + n + " of the indexing benchmark\nmodule mod_" + n + "\n";
    if (k > 0)
        s += "  use mod_" + parent + ", only: state_" + parent + "\n";
    s += "  use iso_fortran_env, only: real64\n  implicit none\n  private\n";
    s += "  integer, parameter :: dp = real64, nmax = 100\n";
    s += "  real(kind=dp), dimension(:), allocatable :: work, scratch\n";
    s += "  character(len=*), parameter :: tag = 'mod_" + n + "'\n";
    s += "  type, public" + (k > 0 ? ", extends(state_" + parent + ")" : QByteArray()) +
         " :: state_" + n +
         "\n     real(dp) :: x(3), v(3)\n     integer :: id = 0\n"
         "   contains\n     procedure :: step => step_" +
         n + "\n     procedure, nopass :: reset_" + n + "\n  end type\n";
    s += "  interface norm_" + n + "\n     module procedure norm_a_" + n + ", norm_b_" + n +
         "\n  end interface\ncontains\n";
    auto procedure = [&](const QByteArray &name, const QByteArray &args, bool function) {
        s += "  !> " + name + ": part of the generated solver.\n";
        s += function ? "  real(dp) function " + name + "(" + args + ")\n"
                      : "  subroutine " + name + "(" + args + ")\n";
        s += "    real(dp), intent(inout) :: a(:)\n    integer, intent(in) :: m\n";
        s += "    integer :: i, j\n    real(dp) :: acc, t\n";
        for (int line = 0; line < 8; ++line) {
            s += "    ! Pass " + QByteArray::number(line) + " over the data.\n";
            s += "    do i = 1, m\n       acc = 0.0_dp\n       do j = 1, size(a)\n";
            s += "          t = a(j) * real(i + j, dp)\n          acc = acc + t / (1.0_dp + t*t)\n";
            s += "       end do\n       a(i) = acc\n    end do\n";
        }
        if (function)
            s += "    " + name + " = acc\n  end function " + name + "\n";
        else
            s += "  end subroutine " + name + "\n";
    };
    procedure("step_" + n, "a, m", false);
    procedure("reset_" + n, "a, m", false);
    procedure("norm_a_" + n, "a, m", true);
    procedure("norm_b_" + n, "a, m", true);
    for (int p = 0; p < 3; ++p)
        procedure("work_" + n + "_" + QByteArray::number(p), "a, m", p % 2 == 1);
    s += "end module mod_" + n + "\n";
    return s;
}

QStringList generate(const QString &dir, int files, qint64 *lines = nullptr)
{
    QDir().mkpath(dir);
    QStringList paths;
    qint64 count = 0;
    for (int k = 0; k < files; ++k) {
        const QString path = dir + QString("/mod_%1.f90").arg(k, 4, 10, QChar('0'));
        QFile f(path);
        const QByteArray text = moduleSource(k);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        count += text.count('\n');
        paths << path;
    }
    if (lines)
        *lines = count;
    return paths;
}

void BM_IndexProject(benchmark::State &state)
{
    QTemporaryDir dir;
    qint64 lines = 0;
    const QStringList paths = generate(dir.path(), int(state.range(0)), &lines);
    MyDocument document;
    document.addFileNames(paths, false);
    RecordingPrompts prompts;
    for (auto _ : state) {
        ProjectIndexer indexer(document, prompts);
        indexer.indexNow();
        benchmark::DoNotOptimize(document.projectIndex());
    }
    state.counters["files"] = double(paths.size());
    state.counters["lines"] = double(lines);
    state.counters["modules"] = double(document.projectIndex()->projectModulesDictionary.size());
    state.counters["peak_MB"] = peakMB();
}
BENCHMARK(BM_IndexProject)->Arg(kFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--generate") == 0) {
        qint64 lines = 0;
        const int files = argc >= 4 ? std::atoi(argv[3]) : kFiles;
        generate(QString::fromLocal8Bit(argv[2]), files, &lines);
        std::printf("%d files, %lld lines\n", files, static_cast<long long>(lines));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
