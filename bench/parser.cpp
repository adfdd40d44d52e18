// Whole-file declaration parsing (reader, tokenizer, classifier and parser together) over a
// generated corpus of realistic modules, in free and fixed form. Reports throughput in bytes per
// second and, as the counter "records_per_source", the heap held by the records of one file
// divided by its size in bytes.
#include "analysis/ffileparser.h"

#include <QString>

#include <benchmark/benchmark.h>
#include <malloc.h>

using namespace corvane;

namespace
{

// A documentation block as real modules put before each procedure.
QString docBlock(const QString &what)
{
    return "  !> " + what +
           "\n  !!\n  !! Arguments are checked by the caller; the result is exact for\n"
           "  !! well-conditioned input and degrades gracefully otherwise.\n  !!\n";
}

// One module: specification part with types and bindings, generic interface, module procedures
// with declarations, comments and a good share of executable statements. The dense form leaves
// out documentation blocks and longer bodies: a program unit every 450 bytes, the worst case
// for record memory. The typical form has a unit every 750 bytes or so.
QString freeFormModule(int k, bool dense)
{
    const QString n = QString::number(k);
    const QString doc = dense ? QString() : docBlock("Procedure of module " + n);
    const QString body = dense ? QString()
                               : QStringLiteral("    ! Guard against empty input first.\n"
                                                "    if (size(work) == 0) then\n"
                                                "       allocate (work(nmax), scratch(nmax))\n"
                                                "       work = 0.0_dp; scratch = 0.0_dp\n"
                                                "    end if\n");
    QString s;
    s += "! Module " + n + " of the generated corpus\n";
    s += "module mod_" + n + "\n  use iso_fortran_env, only: real64\n  use base_" + n +
         ", only: base_t\n  implicit none\n  private\n  public :: solve_" + n + ", state_" + n +
         ", norm\n";
    s += "  integer, parameter :: nmax = 100, dp = real64\n";
    s += "  real(kind=dp), dimension(:), allocatable :: work, scratch\n";
    s += "  character(len=*), parameter :: tag = 'mod_" + n + "'\n";
    s += "  type, extends(base_t), public :: state_" + n +
         "\n     real(dp) :: x(3), v(3)\n"
         "     integer :: id = 0\n     type(base_t), pointer :: next => null()\n   contains\n"
         "     procedure :: step => state_step_" +
         n +
         "\n     procedure, nopass :: reset\n"
         "     generic :: advance => step\n  end type state_" +
         n + "\n";
    s += "  interface norm\n     module procedure norm_v, norm_m\n  end interface norm\n";
    s += "contains\n";
    s += doc;
    s += "  subroutine solve_" + n +
         "(a, b, n, info)\n    ! Solves the small system in place.\n"
         "    real(dp), intent(inout) :: a(n)\n    real(dp), intent(in) :: b(n)\n"
         "    integer, intent(in) :: n\n    integer, intent(out), optional :: info\n"
         "    integer :: i, j\n    real(dp) :: acc\n";
    for (int r = 0; r < 4; ++r) {
        s += "    do i = 1, n\n       acc = 0.0_dp\n       do j = 1, i\n"
             "          acc = acc + a(j) * b(i - j + 1) ! running sum\n       end do\n"
             "       a(i) = acc / real(i, dp) + 2.0d0 * b(i)\n    end do\n";
        s += "    if (n > nmax .and. present(info)) then\n       info = -1; return\n"
             "    else if (abs(a(1)) < 1.0e-12_dp) then\n       call report(tag, 'tiny pivot', &\n"
             "            & a(1), n)\n    end if\n";
    }
    s += "    write (*, '(a, i0, a)') 'solved ', n, \" unknowns\"\n";
    s += "  end subroutine solve_" + n + "\n\n";
    s += doc;
    s += "  pure function norm_v(v) result(r)\n    real(dp), intent(in) :: v(:)\n"
         "    real(dp) :: r\n    r = sqrt(sum(v**2))\n" +
         body + "  end function norm_v\n\n";
    s += doc;
    s += "  pure real(dp) function norm_m(m)\n    real(dp), intent(in) :: m(:,:)\n"
         "    norm_m = maxval(abs(m))\n" +
         body + "  end function\n\n";
    s += doc;
    s += "  subroutine state_step_" + n + "(self, dt)\n    class(state_" + n +
         "), intent(inout) :: self\n    real(dp), intent(in) :: dt\n"
         "    self%x = self%x + dt * self%v\n    call helper()\n  contains\n"
         "    subroutine helper()\n      self%id = self%id + 1\n    end subroutine helper\n"
         "  end subroutine state_step_" +
         n + "\n\n";
    s += doc;
    s += "  subroutine reset()\n    work = 0\n" + body + "  end subroutine reset\n";
    s += "end module mod_" + n + "\n\n";
    return s;
}

QString fixedFormUnit(int k)
{
    const QString n = QString::number(k);
    QString s;
    s += "C     Routine " + n + " of the generated corpus\n";
    s += "      SUBROUTINE SOLV" + n + "(N, A, B,\n     &                 X, INFO)\n";
    s += "      INTEGER N, INFO, I, J\n      DOUBLE PRECISION A(N,N), B(N), X(N)\n";
    s += "      DOUBLE PRECISION ACC\n      COMMON /WORK/ SCRATCH(100)\n";
    for (int r = 0; r < 6; ++r) {
        s += "      DO 10 I = 1, N\n         ACC = 0.0D0\n         DO 20 J = 1, I\n"
             "            ACC = ACC + A(I,J) * B(J)\n   20    CONTINUE\n"
             "         X(I) = ACC / A(I,I)\n   10 CONTINUE\n";
        s += "      IF (INFO .NE. 0) THEN\n         WRITE (6, 100) INFO\n      END IF\n";
    }
    s += "  100 FORMAT (' INFO = ', I5)\n      RETURN\n      END\n\n";
    s += "      REAL FUNCTION DOT" + n +
         "(N, X, Y)\n      INTEGER N\n      REAL X(*), Y(*)\n"
         "      DOT" +
         n + " = 0.0\n      END\n\n";
    return s;
}

enum class Corpus { FreeTypical, FreeDense, Fixed };

QString corpus(Corpus kind, qsizetype bytes)
{
    QString text;
    text.reserve(bytes + 8192);
    for (int k = 0; text.size() < bytes; ++k)
        text +=
            kind == Corpus::Fixed ? fixedFormUnit(k) : freeFormModule(k, kind == Corpus::FreeDense);
    return text;
}

void parseCorpus(benchmark::State &state, Corpus kind, qsizetype bytes)
{
    const QString text = corpus(kind, bytes);
    const bool freeForm = kind != Corpus::Fixed;
    for (auto _ : state) {
        FFileParser parser;
        auto file = parser.declarationsInFortranFile("corpus.f90", text, freeForm ? 1 : 0);
        benchmark::DoNotOptimize(file);
    }
    state.SetBytesProcessed(state.iterations() * text.size());

    // Heap held by the records alone, against the size of the source in bytes (one byte per
    // character: the corpus is ASCII, as a file on disk would be).
    const size_t before = mallinfo2().uordblks;
    std::shared_ptr<FFileDeclarations> file;
    {
        FFileParser parser;
        file = parser.declarationsInFortranFile("corpus.f90", text, freeForm ? 1 : 0);
    }
    const size_t after = mallinfo2().uordblks;
    state.counters["records_per_source"] = double(after - before) / double(text.size());
    state.counters["source_MB"] = double(text.size()) / 1e6;
}

void BM_ParseFreeForm(benchmark::State &state)
{
    parseCorpus(state, Corpus::FreeTypical, state.range(0) << 20);
}

void BM_ParseFreeFormDense(benchmark::State &state)
{
    parseCorpus(state, Corpus::FreeDense, state.range(0) << 20);
}

void BM_ParseFixedForm(benchmark::State &state)
{
    parseCorpus(state, Corpus::Fixed, state.range(0) << 20);
}

} // namespace

BENCHMARK(BM_ParseFreeForm)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFreeFormDense)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFixedForm)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
