// Whole-project indexing, as the window does it: parses on the global thread pool, then the merge
// into one snapshot (use chains, parent types, dependants, symbols index). Reports the wall time
// per run and the process's peak resident memory ("peak_MB"; run one benchmark per process, with
// --benchmark_filter, to read the peak of that one shape). From the second run on, the document
// still holds the previous snapshot while the next is built, as in the window's full re-index:
// --benchmark_min_time=0.01 makes it one run, the peak of indexing a project once.
//
// Generated projects, written into a temporary folder when the benchmark starts (deterministic:
// the same sources every run). Every module file is about 500 lines: a specification part, a
// derived type extending a type of a used module, with bindings, a generic interface and seven
// procedures with realistic bodies. 9 of every 10 files are modules, the others external
// subroutines that use three of them.
//   layered  each module uses up to 3 of the 50 modules below it, in plain, ONLY and renaming
//            USE forms; `private` by default with a few public names
//   dense    the same with 20 uses each
//   deep     one chain: every module uses the one below it, everything public, so each module
//            sees every name of every module below
//   diamond  layers of 8 modules, each using two of the layer below (public): every module is
//            reached along many paths
// and LAPACK from the shared corpora (all its .f files, no modules).
//
// One heavy file: 200 MB of LAPACK routines in one source, and one free-form line of 50 MB (a
// table as an array constructor, or as a DATA statement of short tokens), read and parsed, and the
// first indexed as a project; peak_per_source is the peak memory over the file's size. The same
// table statement continued over some 800,000 lines of about 64 characters (free form with '&',
// fixed form with column-6 marks) is joined from its pieces when read, read and parsed alone and
// indexed as a project.
//
//   bench_index                                 run the benchmarks
//   bench_index --generate DIR [FILES [SHAPE]]  only write the generated sources into DIR
//                                               (SHAPE: layered, dense, deep, diamond; default
//                                               layered), for comparing with other tools
//   bench_index --heavy-statement PATH LAYOUT MB
//                                               only write one continued table statement of
//                                               MB (LAYOUT 3, 4, 5 as the rows' "line")
#include "analysis/ffileparser.h"
#include "project/indexpreprocessing.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "project/prompts.h"
#include "project/sourcetext.h"
#include "peakmemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

using namespace corvane;

namespace
{

enum Shape { Layered, Dense, Deep, Diamond };
const char *const kShapeNames[] = {"layered", "dense", "deep", "diamond"};
constexpr int kDiamondWidth = 8;

// A small deterministic generator, so that every run writes the same project.
struct Lcg {
    quint64 state;
    explicit Lcg(quint64 seed) : state(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    int below(int n)
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((state >> 33) % quint64(n));
    }
};

// The modules module k uses, nearest-first order does not matter; none for module 0.
QList<int> usedModules(Shape shape, int k)
{
    QList<int> used;
    if (k == 0)
        return used;
    switch (shape) {
    case Deep:
        used << k - 1;
        break;
    case Diamond: {
        const int layer = k / kDiamondWidth, i = k % kDiamondWidth;
        if (layer > 0) {
            used << (layer - 1) * kDiamondWidth + i;
            used << (layer - 1) * kDiamondWidth + (i + 1) % kDiamondWidth;
        }
        break;
    }
    case Layered:
    case Dense: {
        const int wanted = shape == Dense ? 20 : 3;
        const int window = std::min(k, 50);
        Lcg rng(quint64(k) + (shape == Dense ? 7777 : 0));
        for (int tries = 0; used.size() < std::min(wanted, window) && tries < 200; ++tries) {
            const int m = k - 1 - rng.below(window);
            if (!used.contains(m))
                used << m;
        }
        break;
    }
    }
    return used;
}

// Type extension stays as shallow as real class hierarchies are: a module's type extends the
// type of its first used module unless that would make a chain of more than 8 types.
constexpr int kMaxExtensionDepth = 8;

int extensionDepth(Shape shape, int k, QHash<int, int> &memo)
{
    if (const auto it = memo.constFind(k); it != memo.constEnd())
        return it.value();
    const QList<int> used = usedModules(shape, k);
    int depth = 1;
    if (!used.isEmpty()) {
        const int parent = extensionDepth(shape, used.first(), memo);
        depth = parent < kMaxExtensionDepth ? parent + 1 : 1;
    }
    memo.insert(k, depth);
    return depth;
}

bool extendsParent(Shape shape, int k)
{
    static QHash<int, int> memo[4];
    if (k == 0)
        return false;
    // Walk up iteratively first so that the memo fills without deep recursion.
    for (int j = 0; j < k; j += 64)
        extensionDepth(shape, j, memo[shape]);
    return extensionDepth(shape, k, memo[shape]) > 1;
}

void procedure(QByteArray &s, const QByteArray &name, bool function)
{
    s += "  !> " + name + ": part of the generated solver.\n";
    s += function ? "  real(dp) function " + name + "(a, m)\n" : "  subroutine " + name + "(a, m)\n";
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
}

// One module: the first used module is used plainly (its type is the parent); the others
// alternate between an ONLY list and a renaming USE.
QByteArray moduleSource(Shape shape, int k)
{
    const QByteArray n = QByteArray::number(k);
    const QList<int> used = usedModules(shape, k);
    const bool isPrivate = shape == Layered || shape == Dense;
    QByteArray s;
    s += "! Generated module " + n + " of the indexing benchmark\nmodule mod_" + n + "\n";
    for (qsizetype u = 0; u < used.size(); ++u) {
        const QByteArray m = QByteArray::number(used[u]);
        if (u == 0 || !isPrivate)
            s += "  use mod_" + m + "\n";
        else if (u % 2 == 1)
            s += "  use mod_" + m + ", only: state_" + m + ", norm_" + m + "\n";
        else
            s += "  use mod_" + m + ", solve_" + m + " => step_" + m + "\n";
    }
    s += "  use iso_fortran_env, only: real64\n  implicit none\n";
    if (isPrivate)
        s += "  private\n  public :: state_" + n + ", norm_" + n + ", step_" + n + ", level_" +
             n + "\n";
    s += "  integer, parameter :: dp = real64, nmax = 100\n";
    s += "  real(kind=dp), dimension(:), allocatable :: work, scratch\n";
    s += "  real(kind=dp) :: level_" + n + " = 0.0_dp\n";
    s += "  character(len=*), parameter :: tag = 'mod_" + n + "'\n";
    const QByteArray parent = used.isEmpty() || !extendsParent(shape, k) ? QByteArray()
                                             : ", extends(state_" +
                                                   QByteArray::number(used.first()) + ")";
    s += "  type" + parent + " :: state_" + n +
         "\n     real(dp) :: x(3), v(3)\n     integer :: id = 0\n"
         "   contains\n     procedure :: step => step_" +
         n + "\n     procedure, nopass :: reset_" + n + "\n  end type\n";
    s += "  interface norm_" + n + "\n     module procedure norm_a_" + n + ", norm_b_" + n +
         "\n  end interface\ncontains\n";
    procedure(s, "step_" + n, false);
    procedure(s, "reset_" + n, false);
    procedure(s, "norm_a_" + n, true);
    procedure(s, "norm_b_" + n, true);
    for (int p = 0; p < 3; ++p)
        procedure(s, "work_" + n + "_" + QByteArray::number(p), p % 2 == 1);
    s += "end module mod_" + n + "\n";
    return s;
}

// An external subroutine file using three of the modules written so far.
QByteArray driverSource(int j, int modules)
{
    const QByteArray n = QByteArray::number(j);
    QByteArray s = "! Generated driver " + n + "\n";
    Lcg rng(quint64(j) + 99991);
    QByteArray body;
    procedure(body, "driver_" + n, false);
    const qsizetype afterHeader = body.indexOf('\n', body.indexOf("subroutine")) + 1;
    QByteArray uses;
    for (int u = 0; u < 3 && modules > 0; ++u)
        uses += "    use mod_" + QByteArray::number(rng.below(modules)) + "\n";
    body.insert(afterHeader, uses + "    implicit none\n");
    return s + body;
}

QStringList generate(const QString &dir, int files, Shape shape, qint64 *lines = nullptr)
{
    QDir().mkpath(dir);
    QStringList paths;
    qint64 count = 0;
    int modules = 0, drivers = 0;
    for (int f = 0; f < files; ++f) {
        const bool driver = f % 10 == 9;
        const QString path = driver ? dir + QString("/driver_%1.f90").arg(drivers, 4, 10, QChar('0'))
                                    : dir + QString("/mod_%1.f90").arg(modules, 4, 10, QChar('0'));
        const QByteArray text = driver ? driverSource(drivers++, modules)
                                       : moduleSource(shape, modules++);
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        count += text.count('\n');
        paths << path;
    }
    if (lines)
        *lines = count;
    return paths;
}

void indexProject(benchmark::State &state, const QStringList &paths, qint64 lines, qint64 bytes)
{
    MyDocument document;
    document.addFileNames(paths, false);
    RecordingPrompts prompts;
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state) {
        ProjectIndexer indexer(document, prompts);
        indexer.indexNow();
        benchmark::DoNotOptimize(document.projectIndex());
    }
    state.counters["cpu_all_ms"] =
        1000.0 * (processCpuSeconds() - cpuBefore) / double(state.iterations());
    state.counters["files"] = double(paths.size());
    state.counters["lines"] = double(lines);
    state.counters["source_MB"] = double(bytes) / (1024.0 * 1024.0);
    state.counters["modules"] = double(document.projectIndex()->projectModulesDictionary.size());
    state.counters["peak_MB"] = peakMB();
}

qint64 totalBytes(const QStringList &paths)
{
    qint64 bytes = 0;
    for (const QString &p : paths)
        bytes += QFileInfo(p).size();
    return bytes;
}

void BM_IndexGenerated(benchmark::State &state)
{
    QTemporaryDir dir;
    qint64 lines = 0;
    const QStringList paths =
        generate(dir.path(), int(state.range(1)), Shape(state.range(0)), &lines);
    indexProject(state, paths, lines, totalBytes(paths));
}
BENCHMARK(BM_IndexGenerated)
    ->ArgNames({"shape", "files"})
    ->Args({Layered, 200}) // small enough to measure a slow indexer at all
    ->Args({Dense, 200})
    ->Args({Layered, 2000})
    ->Args({Dense, 2000})
    ->Args({Deep, 2000})
    ->Args({Diamond, 2000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Linear growth: the layered shape at four sizes.
BENCHMARK(BM_IndexGenerated)
    ->Name("BM_IndexLinearity")
    ->ArgNames({"shape", "files"})
    ->Args({Layered, 500})
    ->Args({Layered, 1000})
    ->Args({Layered, 2000})
    ->Args({Layered, 4000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The shared corpora sit beside the worktrees; CORVANE_LAPACK names another copy.
QString lapackRoot()
{
    return qEnvironmentVariableIsSet("CORVANE_LAPACK")
               ? qEnvironmentVariable("CORVANE_LAPACK")
               : QStringLiteral(CORVANE_SOURCE_DIR "/../../shared/corpora/lapack");
}

void BM_IndexLapack(benchmark::State &state)
{
    const QString root = lapackRoot();
    QStringList paths;
    QDirIterator it(root, {"*.f", "*.f90"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    if (paths.isEmpty()) {
        state.SkipWithError("LAPACK corpus not found beside the worktree");
        return;
    }
    paths.sort();
    qint64 lines = 0;
    for (const QString &p : paths) {
        QFile f(p);
        if (f.open(QIODevice::ReadOnly))
            lines += f.readAll().count('\n');
    }
    indexProject(state, paths, lines, totalBytes(paths));
}
BENCHMARK(BM_IndexLapack)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---- one heavy file: reading and parsing stay within a few times the file's size ----------

// A fixed-form source of at least bytes: the LAPACK routines one after the other, again and
// again, written piece by piece so that making it costs no memory of its own.
bool writeHugeSource(const QString &path, qint64 bytes)
{
    QStringList sources;
    QDirIterator it(lapackRoot() + "/SRC", {"*.f"}, QDir::Files);
    while (it.hasNext())
        sources << it.next();
    sources.sort();
    QFile out(path);
    if (sources.isEmpty() || !out.open(QIODevice::WriteOnly))
        return false;
    while (out.size() < bytes) {
        for (const QString &source : std::as_const(sources)) {
            QFile in(source);
            if (!in.open(QIODevice::ReadOnly) || out.write(in.readAll()) < 0)
                return false;
            if (out.size() >= bytes)
                break;
        }
    }
    return true;
}

// One free-form line of bytes in a module: a generated table as one array constructor (a single
// token), or with shortTokens as a DATA statement (a token every two or three characters).
bool writeHugeLine(const QString &path, qint64 bytes, bool shortTokens)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(shortTokens ? "module table\n  implicit none\n  real :: t(9999999)\n  data t / "
                          : "module table\n  implicit none\n  real, parameter :: t(*) = [");
    QByteArray piece;
    for (qint64 i = 0; out.size() + piece.size() < bytes; ++i) {
        if (shortTokens)
            piece += QByteArray::number(i % 97) + ", ";
        else
            piece += QByteArray::number(i % 9973) + "." + QByteArray::number(i % 1000) + "e-3, ";
        if (piece.size() > (1 << 16)) {
            out.write(piece);
            piece.clear();
        }
    }
    out.write(piece + (shortTokens ? "0 /\nend module table\n" : "0.0]\nend module table\n"));
    return true;
}

// The shapes of a heavy table statement: one line (as above), or continued over lines of about
// 64 characters.
enum HeavyLayout {
    ContinuedFreeConstructor = 3, // "real, parameter :: t(*) = [1.5e-3, &" then plain lines
    ContinuedFreeData = 4,        // "data t / 1, 2, &" then lines that start with '&'
    ContinuedFixedData = 5,       // fixed form: column 6 marks every continuation line
};

// A module whose table statement of bytes is continued line by line, with a comment line now
// and then between the continuations, written piece by piece.
bool writeHeavyStatement(const QString &path, qint64 bytes, HeavyLayout layout)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    const bool fixed = layout == ContinuedFixedData;
    const bool constructor = layout == ContinuedFreeConstructor;
    if (fixed)
        out.write("      MODULE TABLE\n      IMPLICIT NONE\n      REAL T(9999999)\n"
                  "      DATA T / ");
    else if (constructor)
        out.write("module table\n  implicit none\n  real, parameter :: t(*) = [");
    else
        out.write("module table\n  implicit none\n  real :: t(9999999)\n  data t / ");
    QByteArray piece;
    qsizetype column = 16;
    for (qint64 i = 0, lines = 0; out.size() + piece.size() < bytes; ++i) {
        const QByteArray item = constructor ? QByteArray::number(i % 9973) + "." +
                                                  QByteArray::number(i % 1000) + "e-3, "
                                            : QByteArray::number(i % 97) + ", ";
        if (column + item.size() > (fixed ? 72 : 64)) {
            ++lines;
            if (fixed)
                piece += lines % 1000 == 0 ? "\nC     a comment line\n     &" : "\n     &";
            else if (constructor)
                piece += lines % 1000 == 0 ? "&\n  ! a comment line\n    " : "&\n    ";
            else
                piece += lines % 1000 == 0 ? " &\n! a comment line\n    & " : " &\n    & ";
            column = 6;
        }
        piece += item;
        column += item.size();
        if (piece.size() > (1 << 16)) {
            out.write(piece);
            piece.clear();
        }
    }
    if (fixed)
        piece += "0 /\n      END MODULE TABLE\n";
    else
        piece += constructor ? "0.0]\nend module table\n" : "0 /\nend module table\n";
    out.write(piece);
    return true;
}

// The process's peak memory, and over the size of the file at path (run one row per process
// to read it).
void countPeak(benchmark::State &state, const QString &path)
{
    const double sourceMB = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    state.counters["source_MB"] = sourceMB;
    state.counters["peak_MB"] = peakMB();
    state.counters["peak_per_source"] = peakMB() / sourceMB;
}

// Reading and parsing the file at path as indexing does it: the text is handed to the parser.
void readAndParse(benchmark::State &state, const QString &path, unsigned form)
{
    for (auto _ : state) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the source");
            return;
        }
        std::optional<QString> text = readDecodedSource(file);
        FFileParser parser;
        auto declarations = parser.declarationsInFortranFile(path, std::move(*text), form);
        benchmark::DoNotOptimize(declarations);
    }
    countPeak(state, path);
}

// The project index of a project holding the file at path alone.
void indexOneFile(benchmark::State &state, const QString &path)
{
    indexProject(state, {path}, 0, totalBytes({path}));
    state.counters["peak_per_source"] = state.counters["peak_MB"] / state.counters["source_MB"];
}

// Reading and parsing one heavy file; peak_per_source is the peak over the file's size.
void BM_ReadAndParseHeavyFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const bool hugeLine = state.range(0) >= 1;
    const QString path = dir.filePath(hugeLine ? "table.f90" : "lapack.f");
    const qint64 bytes = state.range(1) << 20;
    if (!(hugeLine ? writeHugeLine(path, bytes, state.range(0) == 2)
                   : writeHugeSource(path, bytes))) {
        state.SkipWithError("cannot write the source (is the LAPACK corpus there?)");
        return;
    }
    readAndParse(state, path, hugeLine ? FStatementReader::FreeForm : FStatementReader::FixedForm);
}
BENCHMARK(BM_ReadAndParseHeavyFile)
    ->ArgNames({"line", "MB"})
    ->Args({0, 200}) // 200 MB of LAPACK routines in one file
    ->Args({1, 50})  // one line of 50 MB, one array constructor
    ->Args({2, 50})  // one line of 50 MB, a DATA statement of short tokens
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---- one statement of 50 MB continued over some 800,000 lines ------------------------------

// The row's continued statement (layout, then size in MB) written in dir; null when it cannot be.
QString writeContinuedStatement(benchmark::State &state, const QTemporaryDir &dir)
{
    const auto layout = HeavyLayout(state.range(0));
    const QString path = dir.filePath(layout == ContinuedFixedData ? "table.f" : "table.f90");
    if (!writeHeavyStatement(path, state.range(1) << 20, layout)) {
        state.SkipWithError("cannot write the source");
        return QString();
    }
    return path;
}

// Reading and parsing one file whose table statement is continued line after line (lines of
// about 64 characters): the statement is joined from its pieces. Run one row per process.
void BM_ReadAndParseContinuedStatement(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeContinuedStatement(state, dir);
    if (path.isNull())
        return;
    readAndParse(state, path,
                 HeavyLayout(state.range(0)) == ContinuedFixedData ? FStatementReader::FixedForm
                                                                   : FStatementReader::FreeForm);
}
BENCHMARK(BM_ReadAndParseContinuedStatement)
    ->ArgNames({"line", "MB"})
    ->Args({ContinuedFreeConstructor, 50}) // free form, an array constructor over lines
    ->Args({ContinuedFreeData, 50})        // free form, a DATA statement, '&' on both ends
    ->Args({ContinuedFixedData, 50})       // fixed form, a DATA statement, column-6 marks
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The project index of a project holding one file with a continued table statement of 50 MB.
void BM_IndexContinuedStatementProject(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeContinuedStatement(state, dir);
    if (path.isNull())
        return;
    indexOneFile(state, path);
}
BENCHMARK(BM_IndexContinuedStatementProject)
    ->ArgNames({"line", "MB"})
    ->Args({ContinuedFreeData, 50})
    ->Args({ContinuedFixedData, 50})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The project index of a project holding the 200 MB file alone.
void BM_IndexHeavyFileProject(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lapack.f");
    if (!writeHugeSource(path, state.range(0) << 20)) {
        state.SkipWithError("cannot write the source (is the LAPACK corpus there?)");
        return;
    }
    indexOneFile(state, path);
}
BENCHMARK(BM_IndexHeavyFileProject)
    ->ArgName("MB")
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---- one heavy file with preprocessor directives, read as the index reads it -------------

// The 200 MB file, which holds .F routines with #if lines, loaded for indexing (preprocessed
// from its bytes) and parsed; peak_per_source as above.
void BM_PreprocessAndParseHeavyFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lapack.F");
    if (!writeHugeSource(path, state.range(0) << 20)) {
        state.SkipWithError("cannot write the source (is the LAPACK corpus there?)");
        return;
    }
    const FPreprocessor::Options options = preprocessorOptions("", "", "gfortran", dir.path());
    for (auto _ : state) {
        QString error;
        const std::optional<SourceForIndexing> source =
            loadSourceForIndexing(path, options, &error);
        if (!source) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        FFileParser parser;
        auto declarations =
            parser.declarationsInFortranFile(path, source->text, FStatementReader::FixedForm,
                                             source->sourceMap ? &*source->sourceMap : nullptr);
        benchmark::DoNotOptimize(declarations);
    }
    countPeak(state, path);
}
BENCHMARK(BM_PreprocessAndParseHeavyFile)
    ->ArgName("MB")
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "--generate") == 0) {
        qint64 lines = 0;
        const int files = argc >= 4 ? std::atoi(argv[3]) : 2000;
        Shape shape = Layered;
        for (int s = 0; argc >= 5 && s < 4; ++s)
            if (std::strcmp(argv[4], kShapeNames[s]) == 0)
                shape = Shape(s);
        generate(QString::fromLocal8Bit(argv[2]), files, shape, &lines);
        std::printf("%d files, %lld lines\n", files, static_cast<long long>(lines));
        return 0;
    }
    if (argc >= 5 && std::strcmp(argv[1], "--heavy-statement") == 0) {
        const int layout = std::atoi(argv[3]);
        if (layout < ContinuedFreeConstructor || layout > ContinuedFixedData ||
            !writeHeavyStatement(QString::fromLocal8Bit(argv[2]), qint64(std::atoi(argv[4])) << 20,
                                 HeavyLayout(layout))) {
            std::fprintf(stderr, "cannot write %s (LAYOUT is 3, 4 or 5)\n", argv[2]);
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
