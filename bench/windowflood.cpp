// How the project window holds up while a program floods its console. A real DocWindowController
// (1280x800, shown) runs a program that writes 99-character lines as fast as it can. A 5 ms timer
// on the GUI thread records the gaps between its ticks (the longest gap is the longest stall of
// the event loop) and asks the window to repaint on every tick; an event filter counts the paint
// events of the console's viewport, to show that the console keeps being drawn.
//
// BM_FloodWindow: a bounded flood from start to the end of the task: longest stall, median gap,
//   megabytes per second through the window, console paints per second.
// BM_WindowConsoleAppend: the time one batch of output holds the GUI thread, by batch size.
// BM_AbortFlood: an endless flood aborted after 1.5 s, and the time until the window is idle
//   (no run in progress, the runner has no child) and until the child has really ended. The
//   Abort comes as a direct call of the command from a timer (arg 0), or is posted from another
//   thread at an arbitrary moment and waits its turn behind the output being handled: the
//   command (arg 1) or the Ctrl+. key press (arg 2).
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "window/consoleview.h"
#include "window/docwindowcontroller.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace corvane;

namespace
{

constexpr int kProbeIntervalMs = 5;
constexpr int kFloodBeforeAbortMs = 1500;
constexpr int kGiveUpMs = 60000;
constexpr int kChildEndWaitMs = 5000;

// One line of the flood without its line feed; `yes` adds it, so a line is 99 bytes.
QByteArray floodLine()
{
    return QByteArray(98, 'y');
}

bool writeFile(const QString &path, const QByteArray &text, bool executable = false)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
        return false;
    f.close();
    return !executable || f.setPermissions(f.permissions() | QFile::ExeOwner);
}

// A saved one-file project in a temporary folder, opened in its window, with the program placed
// where Run looks for it. ok() is false (and error() says why) when any step failed.
class FloodProject
{
public:
    explicit FloodProject(const QByteArray &programText) : m_error(open(programText)) {}

    ~FloodProject()
    {
        if (m_window && m_window->runDriver()->processIsRunning())
            m_window->runDriver()->abort();
        m_window.reset();
        QCoreApplication::processEvents();
    }

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    DocWindowController *window() const { return m_window.get(); }

private:
    // Makes and opens the project; the reason for a failure, or an empty text.
    QString open(const QByteArray &programText)
    {
        if (!m_dir.isValid())
            return QStringLiteral("no temporary folder");
        const QString source = m_dir.filePath("a.f90");
        if (!writeFile(source, "program a\nend program a\n"))
            return "cannot write a.f90";
        const QString projectPath = m_dir.filePath("Flood.corvane");
        {
            MyDocument doc;
            doc.addFileNames({source}, false);
            const auto written = doc.write(projectPath);
            if (!written.ok())
                return written.error();
        }
        auto opened = MyDocument::open(projectPath, m_prompts);
        if (!opened.ok())
            return opened.error();
        m_window = std::make_unique<DocWindowController>(std::move(opened.value()), &m_prompts);
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        MyDocument *doc = m_window->document();
        if (!writeFile(QDir(doc->docDirectoryPath()).filePath(doc->executableName()), programText,
                       true))
            return "cannot write the program";
        doc->setInputOption(1); // no input file; typed input is accepted
        m_window->resize(1280, 800);
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            return "the window was never exposed";
        return QString();
    }

    QTemporaryDir m_dir;
    RecordingPrompts m_prompts;
    std::unique_ptr<DocWindowController> m_window;
    QString m_error;
};

template <typename T> T largestOf(const std::vector<T> &values)
{
    return values.empty() ? T() : *std::max_element(values.begin(), values.end());
}

template <typename T> T medianOf(std::vector<T> values)
{
    if (values.empty())
        return T();
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Ticks every 5 ms on the GUI thread, keeps the gaps between ticks, asks for a repaint of the
// window on each tick and counts the paint events of one widget.
class StallProbe : public QObject
{
public:
    StallProbe(QWidget *window, QWidget *painted) : m_window(window), m_painted(painted)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kProbeIntervalMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_painted->installEventFilter(this);
    }
    ~StallProbe() override { m_painted->removeEventFilter(this); }

    void start()
    {
        m_gapsMs.clear();
        m_paints = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Ends the measurement; the time since the last tick counts as a gap too.
    void stop()
    {
        m_timer.stop();
        record();
    }
    std::function<void()> onTick;

    double longestMs() const { return largestOf(m_gapsMs); }
    double medianMs() const { return medianOf(m_gapsMs); }
    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_painted && event->type() == QEvent::Paint)
            ++m_paints;
        return false;
    }

private:
    void record()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_gapsMs.push_back(static_cast<double>(now - m_last) / 1e6);
        m_last = now;
    }
    void tick()
    {
        record();
        m_window->update();
        m_painted->update();
        if (onTick)
            onTick();
    }

    QWidget *m_window;
    QWidget *m_painted;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_gapsMs;
    int m_paints = 0;
};

// Follows what the runner hands to the console: the size of each batch (characters added by one
// append, or the console's size after a reset to the tail) and their sum.
class BatchRecorder
{
public:
    explicit BatchRecorder(DocWindowController *window)
    {
        QTextDocument *doc = window->console()->document();
        m_last = doc->characterCount();
        m_connection = QObject::connect(window->runner(),
                                        &InteractiveConsoleController::textAppended, [this, doc] {
                                            const qint64 now = doc->characterCount();
                                            const qint64 batch = now >= m_last ? now - m_last : now;
                                            m_last = now;
                                            m_total += batch;
                                            m_batches.push_back(batch);
                                        });
    }
    ~BatchRecorder() { QObject::disconnect(m_connection); }

    qint64 total() const { return m_total; }
    qint64 largest() const { return largestOf(m_batches); }
    qint64 median() const { return medianOf(m_batches); }

private:
    QMetaObject::Connection m_connection;
    qint64 m_last = 0;
    qint64 m_total = 0;
    std::vector<qint64> m_batches;
};

// The characters of output a console accounts for: those it shows after the last note of dropped
// output plus the number that note gives (the whole text when nothing was dropped).
qint64 accountedChars(const QString &consoleText)
{
    static const QRegularExpression note(
        QRegularExpression::escape(
            QString::fromUtf8(consoletexts::kOutputDropped).section(QLatin1String("%1"), 0, 0)) +
        QStringLiteral("(\\d+)[^\n]*\n"));
    qint64 dropped = 0;
    qsizetype shownFrom = 0;
    for (const auto &m : note.globalMatch(consoleText)) {
        dropped = m.captured(1).toLongLong();
        shownFrom = m.capturedEnd();
    }
    return dropped + (consoleText.size() - shownFrom);
}

// Runs the program as the user does, with the Run command (it enables Abort once the run is under
// way); a program in place counts as built.
bool startRun(DocWindowController *window)
{
    window->runDriver()->setCanRunExecutable(true);
    QAction *run = window->action("run");
    if (!run->isEnabled())
        return false;
    run->trigger();
    return window->runDriver()->processIsRunning() && window->action("abort")->isEnabled();
}

void BM_FloodWindow(benchmark::State &state)
{
    const qint64 bytes = state.range(0) * 1000 * 1000;
    const QByteArray program =
        "#!/bin/sh\nyes '" + floodLine() + "' | head -c " + QByteArray::number(bytes) + "\n";
    double stall = 0, median = 0, seconds = 0;
    int paints = 0;
    qint64 batchMedian = 0, batchLargest = 0;
    for (auto _ : state) {
        FloodProject project(program);
        if (!project.ok()) {
            state.SkipWithError(project.error().toUtf8().constData());
            return;
        }
        DocWindowController *window = project.window();
        StallProbe probe(window, window->console()->viewport());
        BatchRecorder batches(window);
        QEventLoop loop;
        QObject::connect(window->runner(), &InteractiveConsoleController::consoleTaskCompleted,
                         &loop, &QEventLoop::quit);
        QTimer::singleShot(kGiveUpMs, &loop, &QEventLoop::quit);

        QElapsedTimer clock;
        probe.start();
        clock.start();
        if (!startRun(window)) {
            state.SkipWithError("Run did not start the program");
            return;
        }
        if (window->runDriver()->processIsRunning())
            loop.exec();
        seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        probe.stop();
        if (window->runDriver()->processIsRunning() || window->runner()->lastExitCode() != 0) {
            state.SkipWithError("the flood did not end normally");
            return;
        }
        if (accountedChars(window->console()->toPlainText()) < bytes) {
            state.SkipWithError("the console accounts for less text than the program wrote");
            return;
        }
        state.SetIterationTime(seconds);
        batchMedian = batches.median();
        batchLargest = batches.largest();
        stall = probe.longestMs();
        median = probe.medianMs();
        paints = probe.paints();
    }
    state.counters["longest_stall_ms"] = stall;
    state.counters["median_gap_ms"] = median;
    state.counters["MB_per_s"] = static_cast<double>(bytes) / 1e6 / seconds;
    state.counters["paints_per_s"] = paints / seconds;
    state.counters["batch_kchars"] = static_cast<double>(batchMedian) / 1024;
    state.counters["max_batch_kchars"] = static_cast<double>(batchLargest) / 1024;
}
BENCHMARK(BM_FloodWindow)
    ->Arg(300) // megabytes
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// True while /proc shows the process alive (a zombie has ended).
bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line.at(close + 2) != 'Z';
}

enum class AbortBy { DirectCall = 0, QueuedCommand = 1, QueuedKeyPress = 2 };

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Asks for Abort the way `by` says and returns at once. The queued kinds are posted from another
// thread, so that they arrive at an arbitrary moment (most likely while the GUI thread is busy
// with output) and wait their turn in the event queue as a user's click or key press does.
void requestAbort(AbortBy by, DocWindowController *window)
{
    switch (by) {
    case AbortBy::DirectCall:
        window->action("abort")->trigger();
        break;
    case AbortBy::QueuedCommand:
        QMetaObject::invokeMethod(window->action("abort"), &QAction::trigger, Qt::QueuedConnection);
        break;
    case AbortBy::QueuedKeyPress:
        QMetaObject::invokeMethod(
            window, [window] { QTest::keyClick(window, Qt::Key_Period, Qt::ControlModifier); },
            Qt::QueuedConnection);
        break;
    }
}

void BM_AbortFlood(benchmark::State &state)
{
    const auto by = static_cast<AbortBy>(state.range(0));
    const QByteArray program = "#!/bin/sh\nexec yes '" + floodLine() + "'\n";
    double abortMs = 0, childEndMs = 0, stall = 0;
    for (auto _ : state) {
        FloodProject project(program);
        if (!project.ok()) {
            state.SkipWithError(project.error().toUtf8().constData());
            return;
        }
        DocWindowController *window = project.window();
        RunDriver *run = window->runDriver();
        InteractiveConsoleController *runner = window->runner();
        StallProbe probe(window, window->console()->viewport());
        QEventLoop loop;
        std::atomic<qint64> abortAt{0};
        qint64 pid = 0, idleNs = -1, childEndNs = -1;

        // Idle: the window's run state is over and the runner holds no child. Checked when the
        // runner completes its task and on every tick of the probe.
        const auto checkIdle = [&] {
            const qint64 since = abortAt.load();
            if (since == 0)
                return;
            if (idleNs < 0 && !run->processIsRunning() && !runner->isRunningExecutable())
                idleNs = monotonicNs() - since;
            if (childEndNs < 0 && !processAlive(pid))
                childEndNs = monotonicNs() - since;
            if (idleNs >= 0 && childEndNs >= 0)
                loop.quit();
        };
        QObject::connect(runner, &InteractiveConsoleController::consoleTaskCompleted, &loop,
                         checkIdle);
        probe.onTick = checkIdle;
        QTimer::singleShot(kFloodBeforeAbortMs + kChildEndWaitMs, &loop, &QEventLoop::quit);

        probe.start();
        if (!startRun(window)) {
            state.SkipWithError("Run did not start the program");
            return;
        }
        pid = runner->lastProcessId();
        std::thread user;
        if (by == AbortBy::DirectCall) {
            QTimer::singleShot(kFloodBeforeAbortMs, &loop, [&] {
                abortAt = monotonicNs();
                requestAbort(by, window);
                checkIdle();
            });
        } else {
            user = std::thread([&abortAt, by, window] {
                std::this_thread::sleep_for(std::chrono::milliseconds(kFloodBeforeAbortMs));
                abortAt = monotonicNs();
                requestAbort(by, window);
            });
        }
        loop.exec();
        if (user.joinable())
            user.join();
        probe.stop();
        if (idleNs < 0 || childEndNs < 0) {
            state.SkipWithError("Abort did not end the run within 5 s");
            return;
        }
        if (!window->console()->toPlainText().contains(QString::fromUtf8(runtexts::kAborted))) {
            state.SkipWithError("the console does not say the run was aborted");
            return;
        }
        abortMs = static_cast<double>(idleNs) / 1e6;
        childEndMs = static_cast<double>(childEndNs) / 1e6;
        stall = probe.longestMs();
        state.SetIterationTime(abortMs / 1000);
    }
    state.counters["abort_ms"] = abortMs;
    state.counters["child_end_ms"] = childEndMs;
    state.counters["longest_stall_ms"] = stall;
}
BENCHMARK(BM_AbortFlood)
    ->ArgName("by")
    ->Arg(static_cast<int>(AbortBy::DirectCall))
    ->Arg(static_cast<int>(AbortBy::QueuedCommand))
    ->Arg(static_cast<int>(AbortBy::QueuedKeyPress))
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One append of the given number of characters (99-character lines) to the console of the shown
// window, with the repaint that follows; the console is reset when it holds the runner's bound,
// as the runner does. This is how long the GUI thread is held by one batch of output: the
// runner's flush size, and a whole read of the runner's widened (1 MiB) output pipe.
void BM_WindowConsoleAppend(benchmark::State &state)
{
    FloodProject project("#!/bin/sh\n");
    if (!project.ok()) {
        state.SkipWithError(project.error().toUtf8().constData());
        return;
    }
    ConsoleView *console = project.window()->console();
    const QString line = QString::fromLatin1(floodLine()) + QLatin1Char('\n');
    const QString chunk = line.repeated(state.range(0) / line.size());
    for (auto _ : state) {
        state.PauseTiming();
        if (console->document()->characterCount() >
            InteractiveConsoleController::kDefaultConsoleTail)
            console->clear();
        state.ResumeTiming();
        console->append(chunk, Console::Role::Normal);
        QCoreApplication::processEvents();
    }
    state.SetBytesProcessed(state.iterations() * chunk.size());
}
BENCHMARK(BM_WindowConsoleAppend)
    ->Arg(InteractiveConsoleController::kFlushChars)
    ->Arg(1024 * 1024)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Offscreen unless told otherwise (e.g. xcb under Xvfb), and settings in a temporary folder
    // so that the user's own settings are neither read nor changed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Corvane");
    QCoreApplication::setApplicationName("Corvane");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
