// Reading a large build log: 50 MB of gfortran 12 output (the captured messages of the test
// sources, repeated over 100 files with growing line numbers) through the whole parser.
#include "build/errorparser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <benchmark/benchmark.h>

namespace
{

constexpr qsizetype kTargetBytes = 50 * 1024 * 1024;

// The captured outputs, each as one block of text.
QList<QString> capturedBlocks()
{
    QList<QString> blocks;
    // The fixtures live in the source tree beside this file.
    const QDir dir(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                   QStringLiteral("/../tests/build/data/diagnostics/gfortran12"));
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            blocks << QString::fromUtf8(f.readAll());
    }
    return blocks;
}

// A log of about kTargetBytes UTF-8 bytes: every block with its file names replaced by one of 100
// project files and its line numbers shifted, so that grouping and sorting have real work.
const QByteArray &bigLog()
{
    static const QByteArray log = [] {
        const QList<QString> blocks = capturedBlocks();
        QByteArray out;
        out.reserve(kTargetBytes + 4096);
        out += ' ';
        for (int i = 0; out.size() < kTargetBytes && !blocks.isEmpty(); ++i) {
            QString block = blocks[i % blocks.size()];
            const QString file = QStringLiteral("src/unit%1.f90").arg(i % 100);
            for (const char *name : {"syntax.f90", "mismatch.f90", "warnings.f90", "generic.f90",
                                     "nomodule.f90", "realindex.f90", "defs.inc", "legacy.f90"})
                block.replace(QLatin1String(name), file);
            block.replace(QLatin1String(":6:"), QStringLiteral(":%1:").arg(6 + i % 5000));
            out += block.toUtf8();
        }
        if (blocks.isEmpty())
            qFatal("no captured gfortran output found beside %s", __FILE__);
        return out;
    }();
    return log;
}

void parseGFortranLog(benchmark::State &state)
{
    const QString text = QString::fromUtf8(bigLog());
    qsizetype rows = 0;
    for (auto _ : state) {
        corvane::ErrorParser parser;
        const auto result = parser.parseErrorString(text, QStringLiteral("/usr/bin/gfortran\n"));
        rows = 0;
        if (result)
            for (const auto &entry : *result)
                rows += entry.second.size();
        benchmark::DoNotOptimize(rows);
    }
    state.SetBytesProcessed(state.iterations() * bigLog().size());
    state.counters["rows"] = double(rows);
}
BENCHMARK(parseGFortranLog)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The same including the decoding of the log bytes, as the command line does it.
void decodeAndParseGFortranLog(benchmark::State &state)
{
    for (auto _ : state) {
        corvane::ErrorParser parser;
        const auto result = parser.parseErrorString(QString::fromUtf8(bigLog()),
                                                    QStringLiteral("/usr/bin/gfortran\n"));
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * bigLog().size());
}
BENCHMARK(decodeAndParseGFortranLog)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
