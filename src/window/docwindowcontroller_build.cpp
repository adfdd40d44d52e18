// The project window's build and run side: the drivers wired to the toolbar items (Build, Run,
// trash, progress), the close command, the diagnostics pane, the processes field and the input
// file's commands.
#include "window/docwindowcontroller.h"

#include "build/builddriver.h"
#include "build/buildfiles.h"
#include "build/interactiveconsolecontroller.h"
#include "build/notifier.h"
#include "build/rundriver.h"
#include "project/fileoperations.h"
#include "project/mydocument.h"
#include "project/projectindexer.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "window/consoleview.h"
#include "window/diagnosticscontroller.h"
#include "window/diagnosticspane.h"
#include "window/elapsedtimeview.h"
#include "window/filelistmodel.h"
#include "window/optionspane.h"
#include "window/windowicons.h"

#include <QAction>
#include <climits>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>

namespace corvane
{

void DocWindowController::setUpBuildAndRun()
{
    m_runner = new InteractiveConsoleController(m_console, this);
    m_console->setRunner(m_runner);
    m_runDriver = new RunDriver(m_document.get(), m_runner, m_prompts, this);
    m_runDriver->setWindowInView([this] { return isActiveWindow() && !isMinimized(); });
    m_runDriver->setIsIndexing([this] { return m_isIndexing; });
    // A run that ended out of view is told in the ways the project chose.
    connect(m_runDriver, &RunDriver::notifyUserOfCompletion, this, [this] {
        if (m_notifier)
            m_notifier->notifyUserOfCompletion(
                this, NotificationSettings::fromDocument(*m_document),
                runCompletionFacts(*m_runDriver, *m_document, documentDisplayName()));
    });
    m_buildDriver =
        new BuildDriver(m_document.get(), m_runDriver, m_fileOps.get(), m_prompts, this);
    m_fileOps->setInputFileTextProvider([this] { return m_inputEditor->toPlainText(); });

    // Item states as the drivers set them.
    connect(m_runDriver, &RunDriver::consoleTabRequested, this,
            [this] { switchTabTo(ConsoleTab); });
    connect(m_buildDriver, &BuildDriver::consoleFocusRequested, this, [this] {
        switchTabTo(ConsoleTab);
        m_console->setFocus();
    });
    connect(m_runDriver, &RunDriver::buildEnabledChanged, this, [this](bool on) {
        m_buildItemEnabled = on;
        validateCommands();
    });
    connect(m_runDriver, &RunDriver::runEnabledChanged, this, [this](bool on) {
        m_runItemEnabled = on;
        validateCommands();
    });
    connect(m_runDriver, &RunDriver::closeButtonEnabledChanged, this,
            &DocWindowController::setCloseButtonEnabled);
    connect(m_buildDriver, &BuildDriver::trashFullChanged, this,
            &DocWindowController::setTrashFull);
    connect(m_buildDriver, &BuildDriver::parallelOptionsVisibleChanged, m_options,
            &OptionsPane::setParallelOptionsVisible);
    connect(m_runDriver, &RunDriver::progressChanged, this, &DocWindowController::setTaskProgress);
    connect(m_runDriver, &RunDriver::elapsedTimeChanged, m_elapsed, &ElapsedTimeView::showElapsed);
    connect(m_elapsed, &ElapsedTimeView::unitChanged, m_runDriver, &RunDriver::changeTimeUnits);
    connect(m_runner, &InteractiveConsoleController::consoleTaskCompleted, this,
            &DocWindowController::validateCommands);
    connect(m_runner, &InteractiveConsoleController::leftoverProcessesChanged, this,
            &DocWindowController::validateCommands);
    connect(m_buildDriver, &BuildDriver::buildFinished, this,
            &DocWindowController::validateCommands);
    connect(m_buildDriver, &BuildDriver::buildFinished, this, &DocWindowController::runAfterBuild);
    connect(m_document.get(), &MyDocument::settingChanged, this, [this](const QString &key) {
        if (key == QLatin1String("isDebugBuild"))
            m_buildDriver->changeDebugRelease();
        else if (key == QLatin1String("inputFileName"))
            m_inputEditor->clear(); // another file: its text is read when the tab is shown
    });

    // Diagnostics: the outline and the loader's messages of the last build.
    connect(m_buildDriver, &BuildDriver::diagnosticsChanged, this, [this] {
        m_diagnosticsController->diagnosticsChanged();
        validateCommands();
    });
    connect(m_buildDriver, &BuildDriver::buildFinished, m_diagnosticsController,
            &DiagnosticsController::buildFinished);
    connect(m_buildDriver, &BuildDriver::loaderTextChanged, m_diagnostics,
            &DiagnosticsPane::setLoaderText);
    connect(m_buildDriver, &BuildDriver::diagnosticsPaneRequested, this,
            [this] { m_sideTabs->setCurrentIndex(DiagnosticsPaneTab); });
    connect(m_diagnostics, &DiagnosticsPane::rowChosen, this, &DocWindowController::openDiagnostic);
    connect(m_console, &ConsoleView::diagnosticLineClicked, this,
            &DocWindowController::openConsoleLocation);
    // A saved project brings its diagnostics back.
    m_diagnosticsController->fillErrorTreeController();

    // The input file.
    connect(m_runDriver, &RunDriver::inputFileTabRequested, this, [this] {
        m_currentTabIsEditor = false;
        m_currentTabIsInputFile = true;
        m_tabBar->setTabVisible(InputFileTab, true);
        m_tabBar->setCurrentIndex(InputFileTab);
        m_workStack->setCurrentIndex(InputFileTab);
        m_inputEditor->setFocus();
        m_inputEditor->moveCursor(QTextCursor::Start); // a text read afresh starts there too
        validateCommands();
    });
    connect(m_runDriver, &RunDriver::inputFileTextLoaded, this, [this](const QString &text) {
        const QSignalBlocker quiet(m_inputEditor); // loading is not an edit
        m_inputEditor->setPlainText(text);
    });
    connect(m_options, &OptionsPane::chooseInputFileRequested, this,
            &DocWindowController::chooseInputFile);
    connect(m_options, &OptionsPane::newInputFileRequested, this,
            &DocWindowController::chooseNewInputFile);
    connect(m_options, &OptionsPane::editInputFileRequested, this,
            &DocWindowController::showInputFile);

    // Indexing owns the progress item while it runs; a child's text comes back afterwards.
    m_indexer = new ProjectIndexer(*m_document, *m_prompts, this);
    connect(m_document.get(), &MyDocument::projectIndexChanged, this,
            &DocWindowController::passDeclarationsToAutocompleteManager);
    m_fileOps->setReindexer(m_indexer);
    connect(m_indexer, &ProjectIndexer::progressStarted, this, [this](const QString &message) {
        m_isIndexing = true;
        setProgress(message, true);
    });
    connect(m_indexer, &ProjectIndexer::progressStopped, this, [this] {
        m_isIndexing = false;
        restoreTaskProgress();
    });
}

void DocWindowController::restoreTaskProgress()
{
    const bool running = m_runDriver->processIsRunning() && !m_taskProgress.isEmpty();
    setProgress(running ? m_taskProgress : QString(), running);
}

void DocWindowController::setTaskProgress(const QString &text)
{
    if (text != QLatin1String(runtexts::kIndexing))
        m_taskProgress = text;
    setProgress(text, !text.isEmpty());
    // A task starts or ends here: Abort, Build and Run follow whoever started it.
    validateCommands();
}

void DocWindowController::setTrashFull(bool full)
{
    m_trashFull = full;
    m_actions["clean"]->setIcon(corvaneIcon(full ? IconName::TrashFull : IconName::TrashEmpty));
    m_actions["clean"]->setToolTip(full ? tr("Clean: remove objects, module files and the program")
                                        : tr("Clean: the build folder holds no objects"));
}

void DocWindowController::setCloseButtonEnabled(bool enabled)
{
    m_closeButtonEnabled = enabled;
    validateCommands();
}

int DocWindowController::sideTab() const
{
    return m_sideTabs->currentIndex();
}

// --- commands ---------------------------------------------------------------------------------

void DocWindowController::runAction()
{
    if (m_runDriver->processIsRunning())
        return;
    // The program reads the input file as the tab shows it.
    if (m_document->inputOption() == 0 && m_document->inputFileWasEdited() &&
        !m_document->storedInputFileName().isEmpty() && !saveInputFileFromTab())
        return;
    // A program older than its sources (or one about to be saved) would run the old code: it is
    // built first, and runs when the build made it.
    std::optional<QString> reason = BuildDriver::buildBeforeRunReason(*m_document);
    if (!reason && m_fileOps->filesNeedSaving() &&
        Defaults::instance().boolValue(keys::autoSaveFiles))
        reason = QString::fromUtf8(buildtexts::kBuildingFirst)
                     .arg(QString::fromUtf8(buildtexts::kProgramOlder));
    if (reason && !m_document->compileForLibrary().value_or(false)) {
        m_runAfterBuild = m_buildDriver->build(*reason);
        validateCommands();
        return;
    }
    m_runDriver->run();
    m_console->setFocus();
    validateCommands();
}

void DocWindowController::runAfterBuild()
{
    if (!m_runAfterBuild)
        return;
    m_runAfterBuild = false;
    // After the runner has finished reporting the build.
    QTimer::singleShot(0, this, [this] {
        if (m_runDriver->processIsRunning() || !m_runDriver->canRunExecutable() ||
            BuildDriver::buildBeforeRunReason(*m_document))
            return; // the build made no program to run; the console says why
        m_runDriver->run();
        m_console->setFocus();
        validateCommands();
    });
}

void DocWindowController::abortAction()
{
    m_runAfterBuild = false; // an aborted build runs nothing afterwards
    m_buildDriver->abort();
    validateCommands();
}

void DocWindowController::buildAction()
{
    m_buildDriver->build();
    validateCommands();
}

void DocWindowController::cleanAction()
{
    m_buildDriver->clean();
    validateCommands();
}

// --- input file ---------------------------------------------------------------------------------

void DocWindowController::showInputFile()
{
    m_runDriver->editInputFile();
}

bool DocWindowController::saveInputFileFromTab()
{
    if (m_document->inputFileName().isEmpty()) {
        m_prompts->beep();
        return false;
    }
    const bool saved = m_runDriver->saveInputFile(m_inputEditor->toPlainText());
    if (saved)
        m_inputEditor->document()->setModified(false);
    return saved;
}

// Choosing or creating an input file means the program is to read it. Edits of the file shown
// so far are written to it before another one takes its place.
void DocWindowController::keepInputFileEdits(const QString &next)
{
    if (m_document->inputFileWasEdited() && next != m_document->storedInputFileName() &&
        !m_document->storedInputFileName().isEmpty())
        saveInputFileFromTab();
}

void DocWindowController::createNewInputFileAt(const QString &path)
{
    if (path.isEmpty())
        return;
    keepInputFileEdits(path);
    m_document->setInputOption(0);
    m_runDriver->createNewInputFile(path); // shows the new file's tab
}

void DocWindowController::browseForInputFile(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    keepInputFileEdits(paths.first());
    m_document->setInputOption(0);
    m_runDriver->browseForInputFile(paths); // shows the chosen file's tab
}

void DocWindowController::chooseInputFile()
{
    auto *dialog = new QFileDialog(this, tr("Choose Input File"), m_document->docDirectoryPath());
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::filesSelected, this,
            [this](const QStringList &paths) { browseForInputFile(paths); });
    dialog->open();
}

void DocWindowController::chooseNewInputFile()
{
    auto *dialog = new QFileDialog(this, QString::fromUtf8(runtexts::kNewInputFileTitle),
                                   m_document->docDirectoryPath());
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->selectFile(QString::fromUtf8(runtexts::kNewInputFileName));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString &path) { createNewInputFileAt(path); });
    dialog->open();
}

// --- diagnostics ---------------------------------------------------------------------------------

void DocWindowController::openDiagnostic(const FindResult &row)
{
    const int index = m_document->indexOfFileNamed(row.filePath);
    if (index < 0)
        return; // not a project file
    if (m_fileModel->fileAt(index) != m_current)
        changeFileTableSelectionToRow(index);
    if (m_fileModel->fileAt(index) != m_current)
        return; // it could not be loaded; the editor area says why
    switchTabTo(EditorTab);
    // As the find results do: the editor selects the line and shows it.
    const auto clamped = [](quint64 n) { return int(qMin<quint64>(n, quint64(INT_MAX))); };
    m_editorController->editLine(clamped(row.lineNumber), clamped(row.columnNumber));
}

void DocWindowController::openConsoleLocation(const QString &path, quint64 line, quint64 column)
{
    QStringList folders{m_document->docDirectoryPath()};
    for (const QString &file : m_document->fileNames()) {
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder))
            folders << folder;
    }
    const QString resolved =
        buildfiles::resolveDiagnosticPath(path, m_document->buildDirectoryPath(), folders);
    if (m_document->indexOfFileNamed(QDir::cleanPath(resolved)) < 0) {
        m_prompts->beep();
        return;
    }
    openDiagnostic(FindResult(QDir::cleanPath(resolved), QString(), line, column));
}

} // namespace corvane
