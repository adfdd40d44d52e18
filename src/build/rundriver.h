// RunDriver: the Run command of a project window and the completion handling shared with builds.
// Starts the built program (directly, or under mpirun/cafrun) through the window's runner with
// the run environment, arguments and input file; keeps the run state the window shows (running,
// elapsed time, Run availability); reports a crash; and holds the input-file tab's commands.
// The window and the command line drive the same object; nothing here opens a window.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace corvane
{

class InteractiveConsoleController;
class MyDocument;
class Prompts;

namespace runtexts
{
inline constexpr char kNoInputFile[] = "Cannot find input file";
inline constexpr char kNoInputFileInfo[] = "Please check the file name and path and try again";
inline constexpr char kNoInputData[] = "Input file has no data";
inline constexpr char kNoInputDataInfo[] =
    "Please check that the correct file name and path were given and try again";
inline constexpr char kRunning[] = "Running...";
inline constexpr char kIndexing[] = "Indexing...";
inline constexpr char kCrashLog[] = "Crash Log...\n";
inline constexpr char kAborted[] = "Corvane: Execution aborted.\n";
inline constexpr char kNewInputFileTitle[] = "Save new inputFile as";
inline constexpr char kNewInputFileName[] = "InputFile.txt";
inline constexpr char kTimeUnitsKey[] = "timeUnitsSelectionIndex";
} // namespace runtexts

class RunDriver : public QObject
{
    Q_OBJECT
public:
    RunDriver(MyDocument *document, InteractiveConsoleController *runner, Prompts *prompts,
              QObject *parent = nullptr);
    ~RunDriver() override;

    // From the application: gfortran older than 4.6 needs GFORTRAN_UNBUFFERED_ALL.
    void setGFortranIsOldVersion(bool old) { m_gFortranIsOldVersion = old; }
    // The window tells whether it is in view (active, main, not minimised) and whether indexing
    // runs; without them the window counts as in view and not indexing.
    void setWindowInView(std::function<bool()> inView) { m_windowInView = std::move(inView); }
    void setIsIndexing(std::function<bool()> indexing) { m_isIndexing = std::move(indexing); }
    // Where system crash reports are looked for (apport's folder unless a test says otherwise).
    void setCrashReportDirectory(const QString &dir) { m_crashDirectory = dir; }

    // The user's arguments split as a shell would, without expanding anything: blanks separate,
    // quotes keep blanks inside an argument. "a 'b c'" -> {"a", "b c"}, "a  b" -> {"a", "b"},
    // "''" -> {""}, "a\ b" -> {"a b"}, "" and a null text -> no arguments.
    static QStringList splitArguments(const QString &commandLineArguments);
    // The program's environment: the child environment plus the run's unbuffering and threads.
    QProcessEnvironment runEnvironment() const;

    // Run: the console comes to the front and execute() runs. The child's working directory is
    // the document folder; this process's own current directory is not changed.
    bool run();
    // Starts the program; false when nothing was started (the reason has been told).
    bool execute();
    // Ends a running child (the completion handling runs at once, then the abort line) and the
    // processes earlier runs left running; those are told when no child ran.
    void abort();
    // Abort has something to end: a running child or processes a run left behind.
    bool canAbort() const;

    // Marks a task (build or run) as started: running state, start time, progress, 1 s timer.
    void taskStarted(const QString &progressText);
    // The completion of the runner's task ("ConsoleTaskCompletedNotification").
    void consoleTaskDidComplete();
    void performPeriodicActions();
    // Brings the elapsed time up to date when timer is the current one (none matches none).
    void computeCPUTime(const QTimer *timer);
    void writeCrashLogIfAvailable();
    // 0 seconds, 1 minutes, 2 hours; other indexes keep the unit. The shown time is converted.
    void changeTimeUnits(int index);
    // The executable the run starts: the document folder joined with the executable name.
    QString pathToExecutable() const;

    // The window state a build shares with runs; the build driver sets it through these.
    void setCanRunExecutable(bool can); // also enables or disables Run
    void enableBuild(bool on) { emit buildEnabledChanged(on); }
    void enableCloseButton(bool on) { emit closeButtonEnabledChanged(on); }
    void showConsoleTab() { emit consoleTabRequested(); }
    // Ends the progress animation, or shows "Indexing..." while indexing runs.
    void stopProgressAnimation();

    // Input-file tab.
    bool editInputFile();
    std::optional<QString> readInputfileIntoEditor();
    bool saveInputFile(const QString &text);
    bool createNewInputFile(const QString &chosenPath);
    void browseForInputFile(const QStringList &chosenPaths);

    bool processIsRunning() const { return m_processIsRunning; }
    bool canRunExecutable() const { return m_canRunExecutable; }
    bool isExecutingFortranCode() const { return m_isExecutingFortranCode; }
    bool wasExecutingFortranCode() const { return m_wasExecutingFortranCode; }
    void setWasExecutingFortranCode(bool was) { m_wasExecutingFortranCode = was; }
    bool reloadInputFile() const { return m_reloadInputFile; }
    bool currentTabIsInputFile() const { return m_currentTabIsInputFile; }
    double elapsedCPUTime() const { return m_elapsedCPUTime; }
    void setElapsedCPUTime(double t) { m_elapsedCPUTime = t; }
    double timeUnitsScale() const { return m_timeUnitsScale; }
    const QDateTime &startTime() const { return m_startTime; }
    const QTimer *cpuTimer() const { return m_cpuTimer.get(); }
    InteractiveConsoleController *runner() const { return m_runner; }

signals:
    void consoleTabRequested();
    void inputFileTabRequested();
    void inputFileTextLoaded(const QString &text);
    void buildEnabledChanged(bool enabled);
    void runEnabledChanged(bool enabled);
    void closeButtonEnabledChanged(bool enabled);
    // Progress animation with its text; an empty text stops it.
    void progressChanged(const QString &text);
    void elapsedTimeChanged(double elapsed);
    // A build's task ended: the build driver takes over (its completion).
    void compileCompleted();
    // A run ended while the window was out of view.
    void notifyUserOfCompletion();
    // Abort is about to end a running child; its completion follows.
    void aborting();

private:
    void stopEarly(bool runEnabled);
    void endRunningChild();
    void appendCoredumpReport(qint64 pid);

    MyDocument *m_document;
    InteractiveConsoleController *m_runner;
    Prompts *m_prompts;
    std::function<bool()> m_windowInView;
    std::function<bool()> m_isIndexing;
    QString m_crashDirectory;
    bool m_gFortranIsOldVersion = false;
    bool m_processIsRunning = false;
    bool m_canRunExecutable = false;
    bool m_isExecutingFortranCode = false;
    bool m_wasExecutingFortranCode = false;
    bool m_reloadInputFile = true;
    bool m_currentTabIsInputFile = false;
    double m_elapsedCPUTime = 0;
    double m_timeUnitsScale = 1;
    QDateTime m_startTime;
    std::unique_ptr<QTimer> m_cpuTimer;
    qint64 m_lastPid = 0;
};

} // namespace corvane
