// Cost of one console flush in the window: ConsoleView::append of a chunk of the size the runner
// hands over at once (256 Ki characters of 99-character lines), on a console already holding
// the runner's bound of text. The time per append is the longest the window stalls per flush
// while a program floods the console.
#include "window/consoleview.h"
#include "build/interactiveconsolecontroller.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace corvane;

namespace
{

QString lines(qsizetype chars)
{
    const QString line = QString(98, QLatin1Char('y')) + QLatin1Char('\n');
    QString text;
    text.reserve(chars);
    while (text.size() + line.size() <= chars)
        text += line;
    return text;
}

void BM_AppendFlushChunk(benchmark::State &state)
{
    ConsoleView view;
    view.resize(800, 600);
    view.show();
    const QString chunk = lines(state.range(0));
    const qsizetype bound = InteractiveConsoleController::kDefaultConsoleTail;
    for (auto _ : state) {
        state.PauseTiming();
        if (view.document()->characterCount() > bound)
            view.clear();
        state.ResumeTiming();
        view.append(chunk, Console::Role::Normal);
        QCoreApplication::processEvents(); // includes the repaint
    }
    state.SetBytesProcessed(state.iterations() * chunk.size());
}
BENCHMARK(BM_AppendFlushChunk)
    ->Arg(InteractiveConsoleController::kFlushChars)
    ->Arg(16 * 1024)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
