// Reading a large build log: 50 MB of gfortran 12 output (the captured messages of the test
// sources, repeated over 100 files with growing line numbers) through the whole parser; and
// 50 MB for every other reader, one documented message repeated, to show that each reads in
// time linear in the log (a reader that searched the rest of the text per message did not).
#include "build/errorparser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <benchmark/benchmark.h>

#include <string>

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

// One message in each reader's format, as the reader tests have them.
struct ReaderLog {
    const char *name;
    const char *compiler;
    const char *message;
};
const ReaderLog kReaderLogs[] = {
    {"g95", "/usr/local/bin/g95",
     "In file /home/u/demo.f90:5\n\n  total = n +\n             1\n"
     "Error: Syntax error in expression at (1)\n"},
    {"pgfortran", "/opt/pgi/bin/pgfortran",
     "PGF90-S-0034-Syntax error at or near end of line (/home/u/demo.f90: 5)\n"
     "  0 inform,   0 warnings,   1 severes, 0 fatal for demo\n"},
    {"nvfortran", "/opt/nvidia/bin/nvfortran",
     "NVFORTRAN-S-0038-Symbol, total, has not been explicitly declared (demo.f90: 5)\n"},
    {"ifort", "/opt/intel/bin/ifort",
     "demo.f90(5): error #6404: This name does not have a type, and must have an explicit "
     "type.   [TOTAL]\n  total = n + 1\n--^\n"},
    {"absoft10", "/Applications/Absoft10.2/bin/f90",
     "cf90-113 f90fe: ERROR DEMO, File = demo.f90, Line = 5, Column = 3 \n"
     "  IMPLICIT NONE is specified in the local scope.\n"},
    {"absoft11", "/Applications/Absoft11.5/bin/f90",
     "ERROR - /Users/u/demo.f90:5, 3\n Implicit type for TOTAL\n"},
    {"nagfor", "/usr/local/bin/nagfor",
     "Error: /home/u/demo.f90, line 5: Implicit type for TOTAL\n"},
    {"flang", "/usr/lib/llvm-17/bin/flang-new",
     "./w.f90:4:5: warning: Label '10' is not in scope\n    goto 10\n    ^\n"},
    {"lfortran", "/usr/local/bin/lfortran",
     "semantic error: Variable 'y' is not declared\n --> a.f90:4:5\n  |\n4 |     y = 1\n"
     "  |     ^ 'y' is undeclared\n\n"},
};

void parseReaderLog(benchmark::State &state, const ReaderLog &log)
{
    QString text = QStringLiteral(" ");
    const QString message = QString::fromLatin1(log.message);
    text.reserve(kTargetBytes + message.size());
    while (text.size() < kTargetBytes)
        text += message;
    const QString compiler = QString::fromLatin1(log.compiler);
    qsizetype rows = 0;
    for (auto _ : state) {
        corvane::ErrorParser parser;
        const auto result = parser.parseErrorString(text, compiler);
        rows = 0;
        if (result)
            for (const auto &entry : *result)
                rows += entry.second.size();
        benchmark::DoNotOptimize(rows);
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["rows"] = double(rows);
}

const bool kReaderBenchmarks = [] {
    for (const ReaderLog &log : kReaderLogs)
        benchmark::RegisterBenchmark((std::string("parseReaderLog/") + log.name).c_str(),
                                     [&log](benchmark::State &state) { parseReaderLog(state, log); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
