// Dependency scan plus Makefile generation for generated projects of 1,000 to 5,000 sources:
// 40 % of the sources define modules that use the two before them, the rest use three modules
// each, and every tenth source includes one of 50 include files (which use a module and include
// another). The figure to watch: 5,000 sources under 0.5 s, growing linearly.
#include "build/makefilegenerator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace corvane;

namespace
{

void write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

QByteArray filler(int i)
{
    QByteArray text;
    for (int line = 0; line < 30; ++line)
        text += "  x" + QByteArray::number(line) + " = x" + QByteArray::number(line) + " * " +
                QByteArray::number(i) + ".0 + sqrt(real(" + QByteArray::number(line) + "))\n";
    return text;
}

struct Project {
    QTemporaryDir dir;
    QStringList paths;
};

// Writes the project of n sources once and keeps it for every run of that size.
const Project &project(int n)
{
    static std::map<int, std::unique_ptr<Project>> projects;
    auto &slot = projects[n];
    if (slot)
        return *slot;
    slot = std::make_unique<Project>();
    const QString root = slot->dir.path();
    const int modules = n * 2 / 5;
    for (int k = 0; k < 50; ++k) {
        const QString inc = QStringLiteral("%1/common_%2.inc").arg(root).arg(k);
        write(inc, "use m_" + QByteArray::number(k) + "\ninclude 'common_" +
                       QByteArray::number((k + 1) % 50) + ".inc'\n  real :: c" +
                       QByteArray::number(k) + "\n");
        slot->paths << inc;
    }
    for (int i = 0; i < n; ++i) {
        QByteArray text;
        if (i < modules) {
            text += "module m_" + QByteArray::number(i) + "\n";
            if (i > 0)
                text += "  use m_" + QByteArray::number(i - 1) + "\n";
            if (i > 1)
                text += "  use m_" + QByteArray::number(i - 2) + ", only: f\n";
            text += "  use, intrinsic :: iso_fortran_env\n  implicit none\ncontains\n"
                    "  subroutine s()\n" +
                    filler(i) + "  end subroutine\nend module m_" + QByteArray::number(i) + "\n";
        } else {
            text += "subroutine sub_" + QByteArray::number(i) + "()\n";
            for (int u = 1; u <= 3; ++u)
                text += "  USE M_" + QByteArray::number((i * 7 * u) % modules) + "\n";
            if (i % 10 == 0)
                text += "  include 'common_" + QByteArray::number(i % 50) + ".inc'\n";
            text += filler(i) + "end subroutine\n";
        }
        const QString path = QStringLiteral("%1/src%2/file_%3.f90").arg(root).arg(i % 20).arg(i);
        QDir().mkpath(QStringLiteral("%1/src%2").arg(root).arg(i % 20));
        write(path, text);
        slot->paths << path;
    }
    return *slot;
}

void BM_ScanAndGenerate(benchmark::State &state)
{
    const Project &p = project(static_cast<int>(state.range(0)));
    MakefileSettings settings;
    settings.compilerFlags = QStringLiteral("-O2");
    settings.executableName = QStringLiteral("BenchRunning");
    qsizetype length = 0;
    for (auto _ : state) {
        const MakefileGenerator generator(settings);
        const DependenciesMap deps = generator.dependenciesForFiles(p.paths);
        const ModuleFilesMap modules = generator.filesForModuleNames(p.paths);
        const Result<QString> text =
            generator.makefileForFiles(p.paths, deps, modules, QStringLiteral("gfortran"));
        length = text.ok() ? text->size() : -1;
        benchmark::DoNotOptimize(length);
    }
    state.counters["makefile_chars"] = static_cast<double>(length);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ScanAndGenerate)
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
