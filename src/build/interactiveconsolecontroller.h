// InteractiveConsoleController: the process runner behind a console. Starts one child at a time
// (launch directory + name, arguments, environment, working directory; never a shell), streams
// its standard output and error into a Console in batches, keeps the error text for the
// diagnostics parser, feeds it input without blocking, and announces the end exactly once.
#pragma once

#include "buildoutputcolouring.h"
#include "console.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QTimer>

#include <optional>

namespace corvane
{

namespace consoletexts
{
inline constexpr char kPathNotSet[] = "Corvane: The path to the executable has not been set.";
inline constexpr char kNameNotSet[] = "Corvane: The executable name has not been set";
inline constexpr char kFileNotFound[] = "Corvane: File not found:%1 \n";
inline constexpr char kBuildAgain[] = "Corvane: Build again, then run.\n";
inline constexpr char kExitedWithCode[] = "Corvane: Error: Execution exited with code %1 \n";
inline constexpr char kTerminatedBySignal[] =
    "Corvane: Error: Execution terminated by signal %1 (%2) \n";
inline constexpr char kCouldNotStart[] = "Corvane: Error: Could not start %1: %2\n";
inline constexpr char kCompleted[] = "Corvane: Execution completed.\n";
inline constexpr char kOneStillRunning[] =
    "Corvane: 1 process started by the program is still running.\n";
inline constexpr char kSomeStillRunning[] =
    "Corvane: %1 processes started by the program are still running.\n";
inline constexpr char kOneEnded[] = "Corvane: 1 process started by the program was ended.\n";
inline constexpr char kSomeEnded[] = "Corvane: %1 processes started by the program were ended.\n";
inline constexpr char kOutputDropped[] =
    "Corvane: Output exceeded the console limit; %1 earlier characters were dropped.\n";
inline constexpr char kCompileOperation[] = "CompileOperation";
inline constexpr char kExecuteOperation[] = "ExecuteOperation";
} // namespace consoletexts

// "SIGSEGV" for 11; "signal 99" for numbers the C library does not name.
QString signalName(int signalNumber);

class InteractiveConsoleController : public QObject
{
    Q_OBJECT
public:
    // Console characters kept per task before the console is cleared to a note (the window's
    // bound). 0 keeps everything (the command line streams to stdout).
    static constexpr qsizetype kDefaultConsoleTail = 4 * 1024 * 1024;
    // Pending output is handed to the console when this many characters wait, or after
    // kFlushIntervalMs, whichever comes first.
    static constexpr qsizetype kFlushChars = 256 * 1024;
    static constexpr int kFlushIntervalMs = 25;
    // While the console is bounded, at most this much output waits for it; a program that
    // writes faster than the console can show loses its oldest waiting output (counted in the
    // note), so that one drain never holds the event loop for long.
    static constexpr qsizetype kPendingLimit = 1024 * 1024;
    // errorString keeps the first this-many characters (the diagnostics need the first errors).
    static constexpr qsizetype kErrorStringLimit = 16 * 1024 * 1024;

    explicit InteractiveConsoleController(Console *console, QObject *parent = nullptr);
    ~InteractiveConsoleController() override;

    // What to start: pathToExecutable ends in "/" and is joined to nameOfExecutable. A relative
    // launch path is taken from the working directory, which is the child's current directory
    // (this process's own current directory is never changed).
    QString pathToExecutable;
    QString nameOfExecutable;
    std::optional<QProcessEnvironment> environmentDictionary;
    QString workingDirectory;
    qsizetype consoleTail = kDefaultConsoleTail;
    // Start the child in a session (and process group) of its own and end the whole group, so
    // that ending `make` also ends every compiler it started, and Abort of a run every process
    // the program started. Processes of the group still running when the child has ended are
    // told in the console.
    bool endWholeProcessGroup = false;
    // A build's error stream: warnings take the info colour, the rest the error colour.
    bool colourWarningsAsInfo = false;

    // Starts the child. With input bytes they are written in the background (the input stays
    // open, typed input is not accepted); without, typed input is accepted. Continuous mode
    // streams output as it comes; otherwise this waits for the child. A start that fails writes
    // its reason, emits consoleTaskCompleted and answers false; so does a start while a child
    // still runs (without the signal).
    bool executeWithData(const std::optional<QByteArray> &data,
                         const std::optional<QStringList> &arguments, bool writingContinuously,
                         const QString &contextInfo);
    // Queues bytes for the child's input; never blocks. Ignored when no child runs.
    void sendDataToExecutable(const QByteArray &data);
    // Closes the child's input once the queued bytes are written (end of file for the child).
    void closeInput();
    bool isRunningExecutable() const;
    // Sends the termination request, forgets the child and emits consoleTaskCompleted at once;
    // nothing more is reported for that child.
    void killExecute();
    // Process groups of ended children in which processes still run (those told in the console).
    // They are checked every kLeftoverCheckMs and forgotten once empty.
    bool hasLeftoverProcesses() const { return !m_leftoverGroups.isEmpty(); }
    // Ends every process still running in those groups (a request to end, then a kill after a
    // grace period) and forgets the groups; answers how many processes were running.
    int endLeftoverProcesses();
    static constexpr int kLeftoverCheckMs = 1000;

    void addString(const QString &text, Console::Role role);

    // Stream and termination events. The child's process feeds them; they are public so that
    // every order of arrival can be driven directly. An empty chunk is the end of that stream.
    void executeOutputAvailable(const QByteArray &chunk);
    void executeErrorAvailable(const QByteArray &chunk);
    void executeDidComplete(int exitCode, QProcess::ExitStatus status);

    Console *console() const { return m_console; }
    QString contextInfo() const { return m_contextInfo; }
    QString errorString() const { return m_errorString; }
    bool hasPostedErrors() const { return m_hasPostedErrors; }
    bool acceptTypedInput() const { return m_acceptTypedInput; }
    // How the last child ended: exit code, or the signal number when it was killed by a signal.
    int lastExitCode() const { return m_lastExitCode; }
    std::optional<int> lastTerminatingSignal() const { return m_lastSignal; }
    qint64 lastProcessId() const { return m_lastPid; }

signals:
    // "ConsoleTaskCompletedNotification": emitted once per task, also for failed starts.
    void consoleTaskCompleted(InteractiveConsoleController *runner);
    // Text reached the console; the view moves its input mark to the end.
    void textAppended();
    // Processes left running by ended children appeared or are gone (hasLeftoverProcesses).
    void leftoverProcessesChanged(bool present);

private:
    void startNewTask(const QString &contextInfo);
    bool failStart(const QString &message);
    void streamChunk(const QByteArray &chunk, bool isError);
    void readFromProcess(bool isError);
    void onProcessFinished(int exitCode, QProcess::ExitStatus status);
    void queueText(const QString &text, Console::Role role);
    void queueColoured(const QList<BuildOutputColouring::Piece> &pieces);
    // Hands the console one batch of at most kFlushChars; the rest follows from the event loop.
    void flushSome();
    // Hands the console everything that waits (bounded by kPendingLimit in a bounded console).
    void flushPending();
    void appendBatch(const QString &batch);
    void maybeFinish();
    void finishExecution();
    // Forgets the child; one still running is asked to end and reaped in the background.
    void detachProcess();
    void checkLeftoverProcesses();

    Console *m_console;
    QPointer<QProcess> m_process;
    QString m_contextInfo;
    QString m_errorString;
    bool m_hasPostedErrors = false;
    bool m_acceptTypedInput = false;
    bool m_stdOutEmpty = true;
    bool m_stdErrEmpty = true;
    bool m_taskSentTermination = false;
    bool m_taskActive = false;
    int m_lastExitCode = 0;
    std::optional<int> m_lastSignal;
    qint64 m_lastPid = 0;
    qint64 m_processGroup = 0; // the running child's own group, when endWholeProcessGroup
    QStringDecoder m_outDecoder{QStringDecoder::Utf8};
    QStringDecoder m_errDecoder{QStringDecoder::Utf8};
    BuildOutputColouring m_errorColouring;
    QString m_pending;
    Console::Role m_pendingRole = Console::Role::Normal;
    qsizetype m_deliveredChars = 0;
    qsizetype m_droppedChars = 0;
    bool m_restartConsole = false; // waiting output was dropped: the console starts over
    QTimer m_flushTimer;
    QList<qint64> m_leftoverGroups;
    QTimer m_leftoverTimer;
};

} // namespace corvane
