#include "rundriver.h"

#include "crashreport.h"
#include "interactiveconsolecontroller.h"
#include "project/mydocument.h"
#include "project/prompts.h"
#include "settings/defaults.h"
#include "settings/safefile.h"
#include "unix.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace corvane
{

namespace
{
constexpr int kTimerIntervalMs = 1000;
constexpr int kCrashCheckDelayMs = 1000;
constexpr int kCoredumpTimeoutMs = 10000;
constexpr qint64 kMaxInputBytes = 1024LL * 1024 * 1024;

QString text(const char *literal)
{
    return QString::fromUtf8(literal);
}
} // namespace

RunDriver::RunDriver(MyDocument *document, InteractiveConsoleController *runner, Prompts *prompts,
                     QObject *parent)
    : QObject(parent), m_document(document), m_runner(runner), m_prompts(prompts),
      m_crashDirectory(QString::fromLatin1(CrashReport::kApportDirectory))
{
    connect(m_runner, &InteractiveConsoleController::consoleTaskCompleted, this,
            &RunDriver::consoleTaskDidComplete);
    // The unit choice comes from the settings; the shown time starts at zero.
    changeTimeUnits(Defaults::instance().intValue(QString::fromLatin1(runtexts::kTimeUnitsKey)));
    m_elapsedCPUTime = 0;
}

RunDriver::~RunDriver() = default;

QStringList RunDriver::splitArguments(const QString &commandLineArguments)
{
    // As a POSIX shell splits words, without any expansion: single quotes keep everything,
    // double quotes keep blanks (a backslash there escapes only \ " $ and `), a backslash
    // outside quotes keeps the next character. QProcess::splitCommand knows no single quotes.
    QStringList args;
    QString word;
    bool inWord = false;
    QChar quote;
    const QString &text = commandLineArguments;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quote == QLatin1Char('\'')) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
        } else if (quote == QLatin1Char('"')) {
            if (c == quote)
                quote = QChar();
            else if (c == QLatin1Char('\\') && i + 1 < text.size() &&
                     QStringView(u"\\\"$`").contains(text[i + 1]))
                word += text[++i];
            else
                word += c;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inWord)
                args << word;
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
                quote = c;
            else if (c == QLatin1Char('\\') && i + 1 < text.size())
                word += text[++i];
            else
                word += c;
        }
    }
    if (inWord)
        args << word;
    return args;
}

QProcessEnvironment RunDriver::runEnvironment() const
{
    QProcessEnvironment env = Unix::environmentDictionary();
    if (m_gFortranIsOldVersion)
        env.insert(QStringLiteral("GFORTRAN_UNBUFFERED_ALL"), QStringLiteral("YES"));
    if (m_document->compiler() == 2)
        env.insert(QStringLiteral("OMP_NUM_THREADS"),
                   QString::number(m_document->numberOfProcessors()));
    env.insert(QStringLiteral("G95_UNBUFFERED_6"), QStringLiteral("true"));
    return env;
}

bool RunDriver::run()
{
    emit consoleTabRequested();
    return execute();
}

void RunDriver::stopEarly(bool runEnabled)
{
    emit buildEnabledChanged(true);
    emit runEnabledChanged(runEnabled);
    m_canRunExecutable = false;
    // The close button was disabled for the run that did not happen.
    emit closeButtonEnabledChanged(true);
}

bool RunDriver::execute()
{
    if (m_runner->isRunningExecutable())
        return false; // one child at a time; the running one keeps the window's state
    emit consoleTabRequested();
    emit buildEnabledChanged(false);
    emit runEnabledChanged(false);
    m_canRunExecutable = false;
    emit closeButtonEnabledChanged(false);

    const QProcessEnvironment env = runEnvironment();
    const QStringList userArguments = splitArguments(m_document->commandLineArguments());
    QString directory, name;
    QStringList arguments;
    const QString executable = m_document->executableName();
    const QString docDir = m_document->docDirectoryPath();
    if (m_document->compiler() == 1) {
        const bool coarray = m_document->projectCompilerPath().contains(QLatin1String("caf"));
        name = coarray ? QStringLiteral("cafrun") : QStringLiteral("mpirun");
        if (const auto found = Unix::which(name, env))
            directory = Unix::directoryOf(*found);
        arguments << QStringLiteral("-np") << QString::number(m_document->numberOfProcessors())
                  << QStringLiteral("./%1").arg(executable) << userArguments;
    } else {
        directory = QStringLiteral("./");
        name = executable;
        arguments = userArguments;
    }
    m_runner->environmentDictionary = env;
    m_runner->pathToExecutable = directory;
    m_runner->nameOfExecutable = name;
    m_runner->workingDirectory = docDir;
    // The program and whatever it starts form one group: Abort ends them all, and those left
    // running when the program ends are told.
    m_runner->endWholeProcessGroup = true;
    m_runner->colourWarningsAsInfo = false; // the program's own error output is all errors
    m_document->setContinuouslyUpdateConsole(true);

    std::optional<QByteArray> input;
    switch (m_document->inputOption()) {
    case 0: {
        const QString inputPath = m_document->inputFileName();
        if (inputPath.isEmpty() || !QFileInfo(inputPath).isFile()) {
            stopEarly(true);
            m_prompts->alert(text(runtexts::kNoInputFile), text(runtexts::kNoInputFileInfo));
            return false;
        }
        // Fed byte for byte, whatever the encoding, and then the input ends as with "< FILE":
        // a last line without its line end is still read, and a read past the end gets end of
        // file instead of waiting for input that nothing can send.
        Result<QByteArray> bytes = SafeFile::readRegular(inputPath, kMaxInputBytes);
        if (!bytes) {
            m_prompts->presentError(QStringLiteral("The file \"%1\" couldn't be opened: %2")
                                        .arg(QFileInfo(inputPath).fileName(), bytes.error()));
            stopEarly(false);
            return false;
        }
        input = std::move(*bytes);
        break;
    }
    case 1:
    case 2:
        break;
    default:
        stopEarly(true);
        return false;
    }

    taskStarted(text(runtexts::kRunning));
    m_isExecutingFortranCode = true;
    m_wasExecutingFortranCode = false;
    const bool started = m_runner->executeWithData(
        input, arguments, true, QString::fromLatin1(consoletexts::kExecuteOperation));
    if (started) {
        m_lastPid = m_runner->lastProcessId();
        if (input)
            m_runner->closeInput(); // after the queued bytes are written
    }
    return started;
}

void RunDriver::taskStarted(const QString &progressText)
{
    m_processIsRunning = true;
    m_elapsedCPUTime = 0;
    m_startTime = QDateTime::currentDateTime();
    emit progressChanged(progressText);
    emit elapsedTimeChanged(m_elapsedCPUTime);
    m_cpuTimer = std::make_unique<QTimer>();
    m_cpuTimer->setInterval(kTimerIntervalMs);
    connect(m_cpuTimer.get(), &QTimer::timeout, this, &RunDriver::performPeriodicActions);
    m_cpuTimer->start();
}

void RunDriver::abort()
{
    const bool wasRunning = m_processIsRunning;
    endRunningChild();
    // Processes an earlier run started and left behind end with Abort too.
    const int ended = m_runner->endLeftoverProcesses();
    if (wasRunning)
        m_runner->addString(text(runtexts::kAborted), Console::Role::Error);
    else if (ended == 1)
        m_runner->addString(text(consoletexts::kOneEnded), Console::Role::Info);
    else if (ended > 1)
        m_runner->addString(text(consoletexts::kSomeEnded).arg(ended), Console::Role::Info);
}

bool RunDriver::canAbort() const
{
    return m_processIsRunning || m_runner->hasLeftoverProcesses();
}

void RunDriver::endRunningChild()
{
    if (m_runner->isRunningExecutable())
        emit aborting();
    m_runner->killExecute(); // its completion runs the handling below at once
    if (m_processIsRunning)  // the completion was missed: reset all the same
        consoleTaskDidComplete();
}

void RunDriver::consoleTaskDidComplete()
{
    computeCPUTime(m_cpuTimer.get());
    stopProgressAnimation();
    m_cpuTimer.reset();
    m_processIsRunning = false;
    emit buildEnabledChanged(true);
    m_canRunExecutable = !m_document->compileForLibrary().value_or(false);
    emit runEnabledChanged(m_canRunExecutable);

    if (m_runner->contextInfo() == QLatin1String(consoletexts::kCompileOperation))
        emit compileCompleted();

    m_document->documentHasChanged();
    emit closeButtonEnabledChanged(true);

    const bool inView = !m_windowInView || m_windowInView();
    if (m_isExecutingFortranCode) {
        if (!inView) {
            emit notifyUserOfCompletion();
            m_wasExecutingFortranCode = true;
        }
        QTimer::singleShot(kCrashCheckDelayMs, this, &RunDriver::writeCrashLogIfAvailable);
    }
    m_isExecutingFortranCode = false;
}

void RunDriver::performPeriodicActions()
{
    computeCPUTime(m_cpuTimer.get());
    if (!m_runner->isRunningExecutable()) {
        const bool wasRunning = m_processIsRunning;
        endRunningChild();
        if (wasRunning)
            m_runner->addString(text(runtexts::kAborted), Console::Role::Error);
    }
}

void RunDriver::computeCPUTime(const QTimer *timer)
{
    if (timer != m_cpuTimer.get())
        return;
    m_elapsedCPUTime =
        m_startTime.msecsTo(QDateTime::currentDateTime()) / 1000.0 * m_timeUnitsScale;
    emit elapsedTimeChanged(m_elapsedCPUTime);
}

void RunDriver::changeTimeUnits(int index)
{
    const double old = m_timeUnitsScale;
    switch (index) {
    case 0:
        m_timeUnitsScale = 1;
        break;
    case 1:
        m_timeUnitsScale = 1.0 / 60;
        break;
    case 2:
        m_timeUnitsScale = 1.0 / 3600;
        break;
    default:
        break;
    }
    m_elapsedCPUTime = m_timeUnitsScale * m_elapsedCPUTime / old;
    emit elapsedTimeChanged(m_elapsedCPUTime);
}

void RunDriver::setCanRunExecutable(bool can)
{
    m_canRunExecutable = can;
    emit runEnabledChanged(can);
}

void RunDriver::stopProgressAnimation()
{
    emit progressChanged(m_isIndexing && m_isIndexing() ? text(runtexts::kIndexing) : QString());
}

QString RunDriver::pathToExecutable() const
{
    return m_document->docDirectoryPath() + QLatin1Char('/') + m_document->executableName();
}

void RunDriver::writeCrashLogIfAvailable()
{
    const auto report = CrashReport::findReport(m_crashDirectory, m_document->executableName(),
                                                m_startTime, *m_prompts);
    if (report) {
        m_runner->addString(text(runtexts::kCrashLog), Console::Role::Info);
        m_runner->addString(*report, Console::Role::Error);
        m_runner->addString(QStringLiteral("\n"), Console::Role::Error);
        return;
    }
    if (m_runner->lastTerminatingSignal() && m_lastPid > 0)
        appendCoredumpReport(m_lastPid);
}

void RunDriver::appendCoredumpReport(qint64 pid)
{
    const QString program = CrashReport::coredumpctl();
    if (program.isEmpty())
        return;
    // Asked in the background: coredumpctl may take a moment to find the dump.
    auto *p = new QProcess(this);
    p->setStandardInputFile(QProcess::nullDevice());
    connect(p, &QProcess::finished, this, [this, p](int code, QProcess::ExitStatus status) {
        const QString report = QString::fromUtf8(p->readAllStandardOutput());
        if (status == QProcess::NormalExit && code == 0 && !report.trimmed().isEmpty()) {
            m_runner->addString(text(runtexts::kCrashLog), Console::Role::Info);
            m_runner->addString(report, Console::Role::Error);
            m_runner->addString(QStringLiteral("\n"), Console::Role::Error);
        }
        p->deleteLater();
    });
    connect(p, &QProcess::errorOccurred, p, [p](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            p->deleteLater();
    });
    QTimer::singleShot(kCoredumpTimeoutMs, p, [p] { p->kill(); });
    p->start(program, CrashReport::coredumpctlArguments(pid));
}

bool RunDriver::editInputFile()
{
    if (m_document->inputOption() != 0 || m_document->storedInputFileName().isEmpty())
        return false;
    m_currentTabIsInputFile = true;
    emit inputFileTabRequested();
    if (m_reloadInputFile) {
        if (const auto contents = readInputfileIntoEditor())
            emit inputFileTextLoaded(*contents);
        m_reloadInputFile = false;
    }
    return true;
}

std::optional<QString> RunDriver::readInputfileIntoEditor()
{
    const QString contents = m_document->contentsOfInputFile(*m_prompts);
    if (contents.isEmpty())
        return std::nullopt;
    return contents;
}

bool RunDriver::saveInputFile(const QString &contents)
{
    const QString path = m_document->inputFileName();
    if (Result<void> written = SafeFile::overwrite(path, contents.toUtf8()); !written) {
        m_prompts->presentError(QStringLiteral("The file \"%1\" couldn't be saved: %2")
                                    .arg(QFileInfo(path).fileName(), written.error()));
        return false;
    }
    m_document->setInputFileWasEdited(false);
    return true;
}

bool RunDriver::createNewInputFile(const QString &chosenPath)
{
    QFile f(chosenPath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_prompts->presentError(QStringLiteral("The file \"%1\" couldn't be created: %2")
                                    .arg(QFileInfo(chosenPath).fileName(), f.errorString()));
        return false;
    }
    f.close();
    m_document->setInputFileName(chosenPath);
    m_reloadInputFile = true;
    editInputFile();
    return true;
}

void RunDriver::browseForInputFile(const QStringList &chosenPaths)
{
    if (chosenPaths.isEmpty())
        return;
    const QString path = chosenPaths.first();
    if (path == m_document->storedInputFileName()) {
        m_reloadInputFile = false;
    } else {
        m_document->setInputFileName(path);
        m_reloadInputFile = true;
    }
    editInputFile();
}

} // namespace corvane
