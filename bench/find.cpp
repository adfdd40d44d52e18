// Find in project over a generated project of 5,000 files and 100 MB (20 KB of Fortran each), in
// which a rare word occurs in three files. Each run searches every file on disk as the find field
// does (the disk cache is warm after the first run). Reports the wall time per run, the matches,
// and the process's peak resident memory before the first search and after the last ("peak_MB"
// minus "base_MB" is what searching cost, to be compared with the 20 KB files, not the 100 MB).
#include "build/projectfind.h"
#include "peakmemory.h"
#include "project/sourcetext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace corvane;

namespace
{

constexpr int kFiles = 5000;
constexpr qsizetype kFileBytes = 20 * 1000;
constexpr char kRareWord[] = "quenchrate";

// About 20 KB of free-form Fortran; files 1000, 2500 and 4999 mention the rare word.
QByteArray fileText(int k)
{
    const QByteArray n = QByteArray::number(k);
    QByteArray s = "module gen_" + n + "\n  implicit none\ncontains\n";
    for (int p = 0; s.size() < kFileBytes - 200; ++p) {
        const QByteArray name = "step_" + n + "_" + QByteArray::number(p);
        s += "  subroutine " + name + "(a, m)\n    real(8), intent(inout) :: a(:)\n"
             "    integer, intent(in) :: m\n    integer :: i\n"
             "    ! Relax the field over the interior points.\n"
             "    do i = 2, m - 1\n       a(i) = 0.5d0 * (a(i-1) + a(i+1))\n    end do\n";
        if (p == 3 && (k == 1000 || k == 2500 || k == kFiles - 1))
            s += QByteArray("    a(1) = a(1) * ") + kRareWord + "\n";
        s += "  end subroutine " + name + "\n";
    }
    return s + "end module gen_" + n + "\n";
}

QList<FindSource> generate(const QString &dir, qint64 *bytes)
{
    QList<FindSource> sources;
    *bytes = 0;
    for (int k = 0; k < kFiles; ++k) {
        const QString path = dir + QString("/gen_%1.f90").arg(k, 4, 10, QChar('0'));
        QFile f(path);
        const QByteArray text = fileText(k);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        *bytes += text.size();
        sources << FindSource{path, QString(), false};
    }
    return sources;
}

void BM_FindInProject(benchmark::State &state)
{
    QTemporaryDir dir;
    qint64 bytes = 0;
    const QList<FindSource> sources = generate(dir.path(), &bytes);
    FindOptions options;
    options.caseSensitive = state.range(0) & 1;
    options.wholeWord = state.range(0) & 2;
    options.regularExpression = state.range(0) & 4;
    const QString text = options.regularExpression ? QString("quench\\w+te") : kRareWord;
    const double base = peakMB();
    qsizetype matches = 0;
    for (auto _ : state) {
        const ProjectFindResults results = findStringInProject(sources, text, options);
        matches = results.matchCount();
        benchmark::DoNotOptimize(matches);
    }
    if (matches != 3)
        state.SkipWithError("the rare word was not found three times");
    state.counters["files"] = double(sources.size());
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["matches"] = double(matches);
    state.counters["base_MB"] = base;
    state.counters["peak_MB"] = peakMB();
}
// 0: the default (any case), 1: case-sensitive, 2: whole words, 4: regular expression.
BENCHMARK(BM_FindInProject)
    ->ArgName("options")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The definition search of jump to definition for the header of a procedure in the last file:
// every file mentions "subroutine" many times, so every file is walked. Arg 0 is the search as
// it is (a blank of the text matches any run of blanks or tabs); arg 1 the plain text search
// it replaced, kept here as the reference for the ratio.
std::optional<FindResult> plainDefinitionSearch(const QList<FindSource> &sources, const QString &text)
{
    for (const FindSource &source : sources) {
        const std::optional<QString> read = readSource(source.path, nullptr);
        if (!read)
            continue;
        const QString &content = *read;
        if (!content.contains(text, Qt::CaseInsensitive))
            continue;
        std::optional<FindResult> result;
        forEachLine(content, [&](QStringView line, quint64 number) {
            if (line.isEmpty() || line[0] == u'c' || line[0] == u'C')
                return true;
            const qsizetype at = line.indexOf(text, 0, Qt::CaseInsensitive);
            if (at < 0)
                return true;
            const qsizetype after = at + text.size();
            if (after < line.size() && line[after] != u' ' && line[after] != u'(')
                return true;
            result = FindResult(source.path, line.toString(), number, quint64(at));
            return false;
        });
        if (result)
            return result;
    }
    return std::nullopt;
}

void BM_DefinitionSearch(benchmark::State &state)
{
    QTemporaryDir dir;
    qint64 bytes = 0;
    const QList<FindSource> sources = generate(dir.path(), &bytes);
    const QString text = QString("subroutine step_%1_3").arg(kFiles - 1);
    quint64 line = 0;
    for (auto _ : state) {
        const std::optional<FindResult> found = state.range(0) == 0
                                                    ? findLocationInProjectOfString(sources, text)
                                                    : plainDefinitionSearch(sources, text);
        line = found ? found->lineNumber : 0;
        benchmark::DoNotOptimize(line);
    }
    if (line == 0)
        state.SkipWithError("the header was not found");
    state.counters["files"] = double(sources.size());
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_DefinitionSearch)
    ->ArgName("plain")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
