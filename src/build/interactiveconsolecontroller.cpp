#include "interactiveconsolecontroller.h"

#include "unix.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace corvane
{

namespace
{
constexpr int kStartTimeoutMs = 10000;
constexpr int kKillGraceMs = 3000;
constexpr int kPipeBytes = 1024 * 1024;

QString text(const char *literal)
{
    return QString::fromUtf8(literal);
}
} // namespace

QString signalName(int signalNumber)
{
    if (const char *abbrev = sigabbrev_np(signalNumber))
        return QStringLiteral("SIG") + QString::fromLatin1(abbrev);
    return QStringLiteral("signal %1").arg(signalNumber);
}

InteractiveConsoleController::InteractiveConsoleController(Console *console, QObject *parent)
    : QObject(parent), m_console(console)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kFlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &InteractiveConsoleController::flushSome);
    m_leftoverTimer.setInterval(kLeftoverCheckMs);
    connect(&m_leftoverTimer, &QTimer::timeout, this,
            &InteractiveConsoleController::checkLeftoverProcesses);
}

InteractiveConsoleController::~InteractiveConsoleController()
{
    // The current child and any detached one still being reaped end with the runner.
    for (QProcess *p : findChildren<QProcess *>(Qt::FindDirectChildrenOnly)) {
        p->disconnect();
        if (p->state() != QProcess::NotRunning) {
            if (m_processGroup > 0 && p->processId() == m_processGroup)
                ::kill(-static_cast<pid_t>(m_processGroup), SIGKILL);
            p->kill();
            p->waitForFinished(1000);
        }
        delete p;
    }
}

void InteractiveConsoleController::startNewTask(const QString &contextInfo)
{
    m_contextInfo = contextInfo;
    m_hasPostedErrors = false;
    m_acceptTypedInput = false;
    m_errorString.clear();
    m_lastExitCode = 0;
    m_lastSignal.reset();
    m_lastPid = 0;
    m_outDecoder.resetState();
    m_errDecoder.resetState();
    m_errorColouring.reset();
    m_pending.clear();
    m_deliveredChars = 0;
    m_droppedChars = 0;
    m_restartConsole = false;
}

bool InteractiveConsoleController::failStart(const QString &message)
{
    addString(message, Console::Role::Error);
    emit consoleTaskCompleted(this);
    return false;
}

bool InteractiveConsoleController::executeWithData(const std::optional<QByteArray> &data,
                                                   const std::optional<QStringList> &arguments,
                                                   bool writingContinuously,
                                                   const QString &contextInfo)
{
    if (m_taskActive || m_process)
        return false;
    startNewTask(contextInfo);
    if (pathToExecutable.isEmpty())
        return failStart(text(consoletexts::kPathNotSet) + QLatin1Char('\n'));
    if (nameOfExecutable.isEmpty())
        return failStart(text(consoletexts::kNameNotSet) + QLatin1Char('\n'));

    const QString launchPath = pathToExecutable + nameOfExecutable;
    const QString baseDir = workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory;
    const QString program = QDir(baseDir).absoluteFilePath(launchPath);
    if (!QFileInfo::exists(program)) {
        addString(text(consoletexts::kFileNotFound).arg(launchPath), Console::Role::Error);
        return failStart(text(consoletexts::kBuildAgain));
    }

    auto *p = new QProcess(this);
    p->setProgram(program);
    if (arguments)
        p->setArguments(*arguments);
    if (environmentDictionary)
        p->setProcessEnvironment(*environmentDictionary);
    if (!workingDirectory.isEmpty())
        p->setWorkingDirectory(workingDirectory);
    p->setProcessChannelMode(QProcess::SeparateChannels);
    // In the child, before exec: widen the output pipes so that a fast writer wakes this
    // process once per megabyte rather than once per 64 KB (best effort; the limit is the
    // system's pipe-max-size).
    const bool ownGroup = endWholeProcessGroup;
    p->setChildProcessModifier([ownGroup] {
        ::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, kPipeBytes);
        ::fcntl(STDERR_FILENO, F_SETPIPE_SZ, kPipeBytes);
        if (ownGroup)
            ::setsid();
    });
    connect(p, &QProcess::readyReadStandardOutput, this, [this] { readFromProcess(false); });
    connect(p, &QProcess::readyReadStandardError, this, [this] { readFromProcess(true); });
    connect(p, &QProcess::finished, this, &InteractiveConsoleController::onProcessFinished);

    m_acceptTypedInput = !data.has_value();
    m_errorString = QStringLiteral(" ");
    m_stdOutEmpty = false;
    m_stdErrEmpty = false;
    m_taskSentTermination = false;

    p->start(QIODevice::ReadWrite);
    if (!p->waitForStarted(kStartTimeoutMs)) {
        const QString reason = p->errorString();
        p->disconnect(this);
        delete p;
        m_acceptTypedInput = false;
        return failStart(text(consoletexts::kCouldNotStart).arg(launchPath, reason));
    }
    m_process = p;
    m_taskActive = true;
    m_lastPid = p->processId();
    m_processGroup = ownGroup ? m_lastPid : 0;
    if (data)
        p->write(*data); // buffered by QProcess and written as the pipe drains
    if (!writingContinuously) {
        // Nothing more can be typed while this waits, so the child gets end of input.
        p->closeWriteChannel();
        p->waitForFinished(-1);
    }
    return true;
}

void InteractiveConsoleController::sendDataToExecutable(const QByteArray &data)
{
    if (m_process && m_process->state() == QProcess::Running && !data.isEmpty())
        m_process->write(data);
}

void InteractiveConsoleController::closeInput()
{
    if (m_process)
        m_process->closeWriteChannel();
}

bool InteractiveConsoleController::isRunningExecutable() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

void InteractiveConsoleController::killExecute()
{
    if (!m_taskActive)
        return;
    m_taskActive = false;
    m_acceptTypedInput = false;
    queueColoured(m_errorColouring.finish());
    flushPending();
    detachProcess();
    emit consoleTaskCompleted(this);
}

void InteractiveConsoleController::queueColoured(const QList<BuildOutputColouring::Piece> &pieces)
{
    for (const BuildOutputColouring::Piece &piece : pieces)
        queueText(piece.text, piece.role);
}

void InteractiveConsoleController::detachProcess()
{
    QProcess *p = m_process.data();
    m_process = nullptr;
    const pid_t group = static_cast<pid_t>(m_processGroup);
    m_processGroup = 0;
    if (!p)
        return;
    p->disconnect(this);
    if (p->state() == QProcess::NotRunning) {
        p->deleteLater();
        return;
    }
    // Reap the child in the background: a request to end, then a kill after a grace period.
    connect(p, &QProcess::finished, p, &QObject::deleteLater);
    if (group > 0) {
        // The whole group: make and the compilers it started. The group may outlive its leader
        // briefly, so the kill is not tied to the leader's QProcess.
        ::kill(-group, SIGTERM);
        QTimer::singleShot(kKillGraceMs, [group] { ::kill(-group, SIGKILL); });
        return;
    }
    p->terminate();
    QTimer::singleShot(kKillGraceMs, p, [p] { p->kill(); });
}

int InteractiveConsoleController::endLeftoverProcesses()
{
    int ended = 0;
    for (const qint64 g : std::as_const(m_leftoverGroups)) {
        const int left = Unix::processesInGroup(g);
        if (left == 0)
            continue; // gone already: its number may belong to someone else by now
        ended += left;
        const pid_t group = static_cast<pid_t>(g);
        ::kill(-group, SIGTERM);
        QTimer::singleShot(kKillGraceMs, [group] {
            if (Unix::processesInGroup(group) > 0)
                ::kill(-group, SIGKILL);
        });
    }
    m_leftoverTimer.stop();
    if (!m_leftoverGroups.isEmpty()) {
        m_leftoverGroups.clear();
        emit leftoverProcessesChanged(false);
    }
    return ended;
}

void InteractiveConsoleController::checkLeftoverProcesses()
{
    if (m_leftoverGroups.isEmpty()) {
        m_leftoverTimer.stop();
        return;
    }
    m_leftoverGroups.removeIf([](qint64 g) { return Unix::processesInGroup(g) == 0; });
    if (m_leftoverGroups.isEmpty()) {
        m_leftoverTimer.stop();
        emit leftoverProcessesChanged(false);
    }
}

void InteractiveConsoleController::readFromProcess(bool isError)
{
    if (!m_process)
        return;
    const QByteArray chunk =
        isError ? m_process->readAllStandardError() : m_process->readAllStandardOutput();
    if (!chunk.isEmpty())
        streamChunk(chunk, isError);
}

void InteractiveConsoleController::onProcessFinished(int exitCode, QProcess::ExitStatus status)
{
    // QProcess has read everything the pipes held; hand over the rest, then both stream ends,
    // then the termination.
    readFromProcess(false);
    readFromProcess(true);
    executeOutputAvailable(QByteArray());
    executeErrorAvailable(QByteArray());
    executeDidComplete(exitCode, status);
}

void InteractiveConsoleController::executeOutputAvailable(const QByteArray &chunk)
{
    if (!m_taskActive)
        return;
    if (chunk.isEmpty())
        m_stdOutEmpty = true;
    else
        streamChunk(chunk, false);
    maybeFinish();
}

void InteractiveConsoleController::executeErrorAvailable(const QByteArray &chunk)
{
    if (!m_taskActive)
        return;
    if (chunk.isEmpty())
        m_stdErrEmpty = true;
    else
        streamChunk(chunk, true);
    maybeFinish();
}

void InteractiveConsoleController::streamChunk(const QByteArray &chunk, bool isError)
{
    if (isError) {
        const QString decoded = m_errDecoder.decode(chunk);
        if (m_errorString.size() < kErrorStringLimit)
            m_errorString += decoded.left(kErrorStringLimit - m_errorString.size());
        m_hasPostedErrors = true;
        m_stdErrEmpty = false;
        if (colourWarningsAsInfo)
            queueColoured(m_errorColouring.feed(decoded));
        else
            queueText(decoded, Console::Role::Error);
    } else {
        m_stdOutEmpty = false;
        queueText(m_outDecoder.decode(chunk), Console::Role::Normal);
    }
}

void InteractiveConsoleController::executeDidComplete(int exitCode, QProcess::ExitStatus status)
{
    if (!m_taskActive || m_taskSentTermination)
        return;
    m_taskSentTermination = true;
    m_lastExitCode = exitCode;
    if (status == QProcess::CrashExit) {
        // On Unix QProcess reports the number of the signal that ended the child.
        m_lastSignal = exitCode;
        addString(text(consoletexts::kTerminatedBySignal)
                      .arg(QString::number(exitCode), signalName(exitCode)),
                  Console::Role::Error);
    } else if (exitCode != 0) {
        addString(text(consoletexts::kExitedWithCode).arg(exitCode), Console::Role::Error);
    }
    maybeFinish();
}

void InteractiveConsoleController::maybeFinish()
{
    if (m_taskActive && m_taskSentTermination && m_stdOutEmpty && m_stdErrEmpty)
        finishExecution();
}

void InteractiveConsoleController::finishExecution()
{
    m_taskActive = false;
    m_acceptTypedInput = false;
    if (m_process) {
        const QByteArray err = m_process->readAllStandardError();
        if (!err.isEmpty())
            streamChunk(err, true);
        const QByteArray out = m_process->readAllStandardOutput();
        if (!out.isEmpty())
            streamChunk(out, false);
    }
    queueColoured(m_errorColouring.finish());
    flushPending();
    if (m_processGroup > 0) {
        // The child has ended; whatever it started in its group and left running is told.
        const int left = Unix::processesInGroup(m_processGroup);
        if (left == 1)
            addString(text(consoletexts::kOneStillRunning), Console::Role::Info);
        else if (left > 1)
            addString(text(consoletexts::kSomeStillRunning).arg(left), Console::Role::Info);
        if (left > 0) {
            // Remembered so that Abort can still end them after the child's completion.
            const bool first = m_leftoverGroups.isEmpty();
            m_leftoverGroups << m_processGroup;
            m_leftoverTimer.start();
            if (first)
                emit leftoverProcessesChanged(true);
        }
    }
    detachProcess();
    // A build that failed has not completed: the build driver tells what went wrong instead.
    const bool failedBuild = m_contextInfo == QLatin1String(consoletexts::kCompileOperation) &&
                             (m_lastSignal || m_lastExitCode != 0);
    emit consoleTaskCompleted(this);
    if (!failedBuild)
        addString(text(consoletexts::kCompleted), Console::Role::Info);
}

void InteractiveConsoleController::queueText(const QString &text, Console::Role role)
{
    if (text.isEmpty())
        return;
    if (!m_pending.isEmpty() && role != m_pendingRole)
        flushPending();
    m_pendingRole = role;
    m_pending += text;
    if (consoleTail > 0 && m_pending.size() > kPendingLimit) {
        qsizetype excess = m_pending.size() - kPendingLimit;
        if (m_pending.at(excess).isLowSurrogate())
            ++excess; // never keep half of a character
        m_pending.remove(0, excess);
        m_droppedChars += excess;
        m_restartConsole = true;
    }
    if (consoleTail <= 0) {
        // An unbounded console (the terminal) takes everything as it comes.
        if (m_pending.size() >= kFlushChars)
            flushPending();
        else if (!m_flushTimer.isActive())
            m_flushTimer.start(kFlushIntervalMs);
        return;
    }
    if (m_pending.size() >= kFlushChars)
        m_flushTimer.start(0); // soon, but after the events already waiting
    else if (!m_flushTimer.isActive())
        m_flushTimer.start(kFlushIntervalMs);
}

void InteractiveConsoleController::flushSome()
{
    m_flushTimer.stop();
    if (m_pending.isEmpty() || !m_console)
        return;
    if (consoleTail <= 0 || m_pending.size() <= kFlushChars) {
        QString batch;
        batch.swap(m_pending);
        appendBatch(batch);
        return;
    }
    // Cut after a line end where there is one, so a piece does not end mid-line.
    qsizetype cut = m_pending.lastIndexOf(QLatin1Char('\n'), kFlushChars - 1) + 1;
    if (cut <= kFlushChars / 2)
        cut = kFlushChars;
    if (m_pending.at(cut - 1).isHighSurrogate())
        --cut;
    const QString batch = m_pending.left(cut);
    m_pending.remove(0, cut);
    appendBatch(batch);
    m_flushTimer.start(0);
}

void InteractiveConsoleController::flushPending()
{
    while (!m_pending.isEmpty() && m_console)
        flushSome();
    m_flushTimer.stop();
}

void InteractiveConsoleController::appendBatch(const QString &batchIn)
{
    QString batch = batchIn;
    if (consoleTail > 0 && (m_restartConsole || m_deliveredChars + batch.size() > consoleTail)) {
        // Keep a bounded tail: start the console over with a note of what was dropped.
        m_droppedChars += m_deliveredChars;
        if (batch.size() > consoleTail) {
            m_droppedChars += batch.size() - consoleTail;
            batch = batch.right(consoleTail);
        }
        m_console->clear();
        m_console->append(text(consoletexts::kOutputDropped).arg(m_droppedChars),
                          Console::Role::Info);
        m_deliveredChars = 0;
        m_restartConsole = false;
    }
    m_deliveredChars += batch.size();
    m_console->append(batch, m_pendingRole);
    emit textAppended();
}

void InteractiveConsoleController::addString(const QString &text, Console::Role role)
{
    flushPending();
    if (m_console)
        m_console->append(text, role);
    emit textAppended();
}

} // namespace corvane
