// Throughput of the process runner: bytes per second from a child's standard output (coreutils
// `yes` with 99-character lines) through InteractiveConsoleController into a Console that only
// counts, and the growth of the resident set while 200 MB pass (memory must stay bounded).
#include "build/interactiveconsolecontroller.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStandardPaths>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace corvane;

namespace
{

class CountingConsole : public Console
{
public:
    void append(const QString &text, Role role) override
    {
        if (role == Role::Normal)
            chars += text.size();
    }
    void clear() override { ++clears; }
    qsizetype chars = 0;
    int clears = 0;
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long maxRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

QCoreApplication &app()
{
    static int argc = 1;
    static char name[] = "bench_runner";
    static char *argv[] = {name, nullptr};
    static QCoreApplication a(argc, argv);
    return a;
}

void BM_RunnerStdoutThroughput(benchmark::State &state)
{
    app();
    const qsizetype target = state.range(0) * 1024 * 1024;
    const QString yes = QStandardPaths::findExecutable("yes");
    if (yes.isEmpty()) {
        state.SkipWithError("no `yes` program");
        return;
    }
    const QString line(99, QLatin1Char('x'));
    long rssGrowth = 0;
    double cpu = 0;
    qsizetype total = 0;
    for (auto _ : state) {
        CountingConsole console;
        InteractiveConsoleController runner(&console);
        runner.pathToExecutable = yes.left(yes.lastIndexOf('/') + 1);
        runner.nameOfExecutable = yes.mid(yes.lastIndexOf('/') + 1);
        QEventLoop loop;
        QObject::connect(&runner, &InteractiveConsoleController::textAppended, &loop, [&] {
            if (console.chars >= target) {
                runner.killExecute();
                loop.quit();
            }
        });
        const long before = maxRssKb();
        const double cpuBefore = cpuSeconds();
        runner.executeWithData(std::nullopt, QStringList{line}, true, "ExecuteOperation");
        loop.exec();
        rssGrowth = std::max(rssGrowth, maxRssKb() - before);
        cpu += cpuSeconds() - cpuBefore;
        total += console.chars;
        state.SetBytesProcessed(state.bytes_processed() + console.chars);
    }
    state.counters["peak_rss_growth_MB"] = static_cast<double>(rssGrowth) / 1024.0;
    // The runner's own cost (this process only, whatever the machine's load): MB per CPU second.
    state.counters["MB_per_cpu_s"] = cpu > 0 ? static_cast<double>(total) / 1048576.0 / cpu : 0;
}

} // namespace

BENCHMARK(BM_RunnerStdoutThroughput)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
