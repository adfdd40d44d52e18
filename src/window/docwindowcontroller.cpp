#include "window/docwindowcontroller.h"
#include "window/lookupcommands.h"

#include "build/builddriver.h"
#include "build/interactiveconsolecontroller.h"
#include "build/notifier.h"
#include "build/rundriver.h"
#include "project/fileoperations.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/projectfilewatcher.h"
#include "project/projectindexer.h"
#include "project/projectlock.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "watch/pavoqueue.h"
#include "shelf/tovshelfcontroller.h"
#include "window/projectshelfdelegate.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "window/consoleview.h"
#include "window/diagnosticscontroller.h"
#include "window/errorpopovercontroller.h"
#include "window/elapsedtimeview.h"
#include "window/filelistmodel.h"
#include "window/findcontroller.h"
#include "window/notespane.h"
#include "window/optionspane.h"
#include "window/windowicons.h"
#include "window/windowprompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace corvane
{

// Hands the watcher's events to the window.
class DocWindowController::WatchDelegate : public PavoQueueDelegate
{
public:
    explicit WatchDelegate(DocWindowController *window) : m_window(window) {}
    void receivedNotification(PavoQueue *, const QString &name, const QString &path) override
    {
        m_window->receivedNotification(name, path);
    }

private:
    DocWindowController *m_window;
};

DocWindowController::DocWindowController(std::unique_ptr<MyDocument> document, Prompts *prompts,
                                         QWidget *parent)
    : QMainWindow(parent), m_document(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (prompts) {
        m_prompts = prompts;
    } else {
        m_ownPrompts = std::make_unique<WindowPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    m_fileOps = std::make_unique<FileOperations>(*m_document, *m_prompts);
    m_projectWatcher = std::make_unique<ProjectFileWatcher>(m_document.get());
    connect(m_projectWatcher.get(), &ProjectFileWatcher::changedOnDisk, this,
            &DocWindowController::projectFileChangedByAnotherProgram);
    m_watchDelegate = std::make_unique<WatchDelegate>(this);
    m_watcher = PavoQueue::create();
    if (m_watcher)
        m_watcher->setDelegate(m_watchDelegate.get());

    buildWidgets();
    buildActions();
    buildMenus();

    setUpBuildAndRun();

    connect(m_fileOps.get(), &FileOperations::fileListNeedsReload, this,
            &DocWindowController::fileListTableDidChange);
    connect(m_document.get(), &MyDocument::fileListDidChange, this,
            &DocWindowController::fileListTableDidChange);
    connect(m_document.get(), &MyDocument::changed, this, &DocWindowController::updateTitle);
    // The project's source form applies to files whose own form is fixed.
    connect(m_document.get(), &MyDocument::colouringModeChanged, this, [this](bool freeForm) {
        if (m_current && !m_current->isF90File()) {
            m_editorController->setF90Coloring(freeForm);
            m_editorController->colorAllText();
        }
    });
    connect(m_document.get(), &MyDocument::settingChanged, this,
            &DocWindowController::validateCommands);
    connect(&Defaults::instance(), &Defaults::changed, this, [this](const QString &key) {
        if (key == QLatin1String(keys::FontName) || key == QLatin1String(keys::FontSize)) {
            // The editor sets the shown text's font itself.
            m_document->applyFontToTextStorages();
        }
    });
    m_document->setWindowDataProvider([this] {
        MyDocument::WindowData data;
        data.consoleText = m_console->toPlainText();
        data.errorsDictionary = m_document->errorsDictionary();
        data.shelfFiles = m_shelf->filePathsForBookmarksInShelf();
        data.windowStates = windowStates();
        return data;
    });

    // The console text saved with the project is shown once.
    if (!m_document->consoleString().isNull()) {
        m_console->append(m_document->consoleString(), Console::Role::Normal);
        m_document->setConsoleString(QString());
    }

    fileListTableDidChange();
    showNoEditor(m_document->projectFiles().isEmpty()
                     ? tr("No project files to edit.")
                     : tr("Select a file from source list to edit."));
    const QVariantMap states = m_document->windowStates().value_or(QVariantMap());
    restoreWindowStates(states);
    if (m_document->windowStates())
        QTimer::singleShot(150, this, [this, states] { applyRestoredSelection(states); });
    updateTitle();
    m_buildDriver->setUpWindowState();
    validateCommands();
    // The first indexing of the project runs in the background.
    QTimer::singleShot(0, this, [this] { m_indexer->generateAllProcedureCompletions(); });
}

DocWindowController::~DocWindowController()
{
    if (m_watcher)
        m_watcher->setDelegate(nullptr);
    m_document->setWindowDataProvider(nullptr);
    m_document->setCurrentFile(nullptr);
    m_editorController->showDocument(nullptr);
}

void DocWindowController::setProgress(const QString &text, bool running)
{
    m_progressLabel->setText(text);
    m_progressBar->setVisible(running);
}

QString DocWindowController::progressText() const
{
    return m_progressLabel->text();
}

QString DocWindowController::documentDisplayName() const
{
    const QString name = m_document->fileName();
    return name.isEmpty() ? tr("Untitled") : QFileInfo(name).completeBaseName();
}

void DocWindowController::updateTitle()
{
    // The mark stands after the project's name: it is the project (its settings or its unsaved
    // sources) that Save would write; the file list marks each modified file.
    QString title = documentDisplayName() + QStringLiteral("[*]");
    if (!m_currentFileName.isEmpty())
        title += QString::fromUtf8(" \u2014 ") + m_currentFileName;
    setWindowTitle(title);
    setWindowModified(m_document->isDocumentEdited() || m_fileOps->filesNeedSaving());
}

// --- tabs -----------------------------------------------------------------------------------

void DocWindowController::switchTabTo(int index)
{
    if (index < ConsoleTab || index > NotesTab)
        return;
    m_currentTabIsInputFile = false;
    m_tabBar->setTabVisible(InputFileTab, false);
    m_currentTabIsEditor = index == EditorTab;
    if (!m_currentTabIsEditor)
        m_diagnosticsController->closePopover();
    m_tabBar->setCurrentIndex(index);
    m_workStack->setCurrentIndex(index);
    validateCommands();
}

int DocWindowController::currentTab() const
{
    return m_workStack->currentIndex();
}

void DocWindowController::moveToNextTab()
{
    const int i = m_currentTabIsInputFile ? NotesTab : currentTab();
    switchTabTo(i >= NotesTab ? ConsoleTab : i + 1);
}

void DocWindowController::moveToPreviousTab()
{
    const int i = m_currentTabIsInputFile ? ConsoleTab : currentTab();
    switchTabTo(i <= ConsoleTab ? NotesTab : i - 1);
}

// --- window state ----------------------------------------------------------------------------

bool DocWindowController::optionsPaneShown() const
{
    return !m_options->isHidden();
}

void DocWindowController::setOptionsPaneShown(bool shown)
{
    m_options->setVisible(shown);
    if (m_actions.contains("toggleOptionsPane"))
        m_actions["toggleOptionsPane"]->setChecked(shown);
}

void DocWindowController::toggleToolbar()
{
    m_toolbar->setVisible(m_toolbar->isHidden());
}

QVariantMap DocWindowController::windowStates() const
{
    QVariantMap states;
    states["showToolbar"] = !m_toolbar->isHidden();
    states["showOptionsPane"] = optionsPaneShown();
    states["workAreaItem"] = qint64(qBound(0, currentTab(), 2));
    if (m_current) {
        const QTextCursor c = m_editor->textCursor();
        states["currentFileName"] = m_current->filePath();
        states["selectedRange"] = QVariant::fromValue(
            TextRange{quint64(c.selectionStart()), quint64(c.selectionEnd() - c.selectionStart())});
        states["selectionIndex"] = qint64(selectedRow());
    }
    states["windowFrame"] = QRectF(geometry());
    return states;
}

void DocWindowController::restoreWindowStates(const QVariantMap &states)
{
    m_toolbar->setVisible(states.value("showToolbar", true).toBool());
    setOptionsPaneShown(states.value("showOptionsPane", true).toBool());
    switchTabTo(int(std::clamp<qint64>(states.value("workAreaItem", 1).toLongLong(), 0, 2)));
    const QRect frame = states.value("windowFrame").toRectF().toRect();
    if (frame.width() > 200 && frame.height() > 150) {
        // A frame saved on a larger screen is fitted into this one.
        QRect available(0, 0, 1280, 800);
        if (QScreen *s = QApplication::primaryScreen())
            available = s->availableGeometry();
        resize(qMin(frame.width(), available.width()), qMin(frame.height(), available.height()));
        if (available.intersects(frame))
            move(frame.topLeft());
    }
}

void DocWindowController::applyRestoredSelection(const QVariantMap &states)
{
    const QString path = states.value("currentFileName").toString();
    int row = path.isEmpty() ? -1 : m_document->indexOfFileNamed(path);
    if (row < 0 && !states.contains("currentFileName"))
        return;
    if (row < 0)
        row = int(states.value("selectionIndex", -1).toLongLong());
    if (row < 0 || row >= m_fileModel->rowCount())
        return;
    FortranFile *file = m_fileModel->fileAt(row);
    if (states.contains("selectedRange") && file->filePath() == path)
        file->setSelectedRange(states.value("selectedRange").value<TextRange>());
    // The restored tab stays in front.
    m_restoringSelection = true;
    changeFileTableSelectionToRow(row);
    m_restoringSelection = false;
}

// --- saving and closing ----------------------------------------------------------------------

bool DocWindowController::saveDocumentAs(const QString &path)
{
    if (m_current) {
        const QTextCursor c = m_editor->textCursor();
        m_current->setSelectedRange(
            {quint64(c.selectionStart()), quint64(c.selectionEnd() - c.selectionStart())});
    }
    if (!confirmOverwritingProjectFile(path))
        return false;
    ProjectLock lock(path);
    Result<void> written = lock.lock();
    if (written)
        written = m_document->write(path);
    lock.unlock();
    if (!written) {
        m_prompts->presentError(written.error());
        return false;
    }
    m_projectWatcher->watchDocumentFile();
    m_fileOps->saveDocumentManagedFiles();
    m_inputEditor->document()->setModified(false);
    updateTitle();
    validateCommands();
    return true;
}

bool DocWindowController::confirmOverwritingProjectFile(const QString &path)
{
    if (QFileInfo(path).absoluteFilePath() != m_document->fileName())
        return true;
    if (m_document->fileListDamaged()) {
        const int answer = m_prompts->ask(
            tr("The list of files in this project is damaged."),
            tr("Saving replaces it with the files shown here. A copy of the damaged project file "
               "is kept as \u201c%1\u201d.")
                .arg(QFileInfo(path).fileName() + ".damaged"),
            {tr("Save Anyway"), tr("Cancel")});
        if (answer != 0)
            return false;
        if (Result<void> kept = m_document->keepDamagedCopy(); !kept) {
            m_prompts->presentError(kept.error());
            return false;
        }
    } else if (m_document->projectFileChangedOnDisk()) {
        const int answer = m_prompts->ask(
            tr("The project file has been changed by another program."),
            tr("Saving replaces those changes with the project as this window shows it."),
            {tr("Save Anyway"), tr("Cancel")});
        if (answer != 0)
            return false;
    }
    return true;
}

void DocWindowController::projectFileChangedByAnotherProgram()
{
    if (m_askingAboutProjectFile)
        return; // the open question covers the newer change too
    m_askingAboutProjectFile = true;
    m_prompts->askLater(
        tr("The project file \u201c%1\u201d has been changed by another program.")
            .arg(QFileInfo(m_document->fileName()).fileName()),
        tr("Reload it to see those changes, or keep the project as this window shows it; "
           "saving it then asks before replacing them."),
        {tr("Keep This Window's Version"), tr("Reload")}, [this](int answer) {
            m_askingAboutProjectFile = false;
            if (answer == 1)
                emit reloadRequested(this);
        });
}

bool DocWindowController::saveDocument()
{
    QString path = m_document->fileName();
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(this, tr("Save Project"), QString(),
                                            tr("Corvane projects (*.corvane)"));
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += ".corvane";
    }
    return saveDocumentAs(path);
}

void DocWindowController::saveAction()
{
    saveDocument();
}

void DocWindowController::saveAsAction()
{
    QString path = QFileDialog::getSaveFileName(this, tr("Save Project As"), m_document->fileName(),
                                                tr("Corvane projects (*.corvane)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".corvane";
    saveDocumentAs(path);
}

QString DocWindowController::textForPrinting() const
{
    switch (m_currentTabIsInputFile ? int(InputFileTab) : currentTab()) {
    case ConsoleTab:
        return m_console->toPlainText();
    case EditorTab:
        return m_current ? m_editor->toPlainText() : QString();
    case NotesTab: {
        QString text;
        for (const CorvaneNote &note : m_document->notes())
            text += note.noteForPrinting();
        return text;
    }
    default:
        return m_inputEditor->toPlainText();
    }
}

void DocWindowController::printTo(QPrinter &printer) const
{
    QTextDocument doc;
    doc.setDefaultFont(currentTab() == NotesTab ? font() : EditorViewController::editorFont());
    doc.setPlainText(textForPrinting());
    doc.print(&printer);
}

void DocWindowController::printAction()
{
    if (textForPrinting().isEmpty()) {
        m_prompts->beep();
        return;
    }
    auto *printer = new QPrinter(QPrinter::HighResolution);
    printer->setDocName(m_currentFileName.isEmpty() ? documentDisplayName() : m_currentFileName);
    auto *dialog = new QPrintDialog(printer, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, printer](int result) {
        if (result == QDialog::Accepted)
            printTo(*printer);
        delete printer;
    });
    dialog->open();
}

bool DocWindowController::aTaskIsExecuting() const
{
    return m_runner->isRunningExecutable();
}

bool DocWindowController::shouldCloseDocument()
{
    if (!aTaskIsExecuting())
        return true;
    const bool building = m_runner->contextInfo() == QLatin1String(consoletexts::kCompileOperation);
    const int answer = building ? m_prompts->ask(tr("The project is still being built"),
                                                 tr("Do you want to abort the build and close?"),
                                                 {tr("Yes"), tr("No")})
                                : m_prompts->ask(tr("The Fortran program is still running"),
                                                 tr("Do you want to abort execution and close?"),
                                                 {tr("Yes"), tr("No")});
    if (answer != 0)
        return false;
    m_buildDriver->abort();
    return true;
}

void DocWindowController::closeEvent(QCloseEvent *event)
{
    if (!shouldCloseDocument()) {
        event->ignore();
        return;
    }
    if (m_document->isDocumentEdited() || m_fileOps->filesNeedSaving()) {
        const int answer =
            m_prompts->ask(tr("Do you want to save the changes made to the project \u201c%1\u201d?")
                               .arg(documentDisplayName()),
                           tr("Your changes will be lost if you don't save them."),
                           {tr("Save"), tr("Don't Save"), tr("Cancel")});
        if (answer == 2 || answer < 0 || (answer == 0 && !saveDocument())) {
            event->ignore();
            return;
        }
    }
    if (m_watcher)
        m_watcher->removeAllPaths();
    event->accept();
    emit closed(this);
}

void DocWindowController::setNotifier(Notifier *notifier)
{
    m_notifier = notifier;
}

Notifier *DocWindowController::notifier() const
{
    return m_notifier;
}

void DocWindowController::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow())
        return;
    if (m_runDriver->wasExecutingFortranCode()) {
        m_runDriver->setWasExecutingFortranCode(false);
        if (!m_isIndexing)
            restoreTaskProgress();
    } else if (m_isIndexing) {
        setProgress(tr("Indexing..."), true);
    }
    if (m_notifier)
        m_notifier->checkIfNotificationIsFlaggedForViewedWindow(this);
}

// --- commands --------------------------------------------------------------------------------

CommandState DocWindowController::commandState() const
{
    CommandState s;
    s.tab = m_currentTabIsInputFile ? InputFileTab : currentTab();
    s.editorHasSelection = m_current && m_editor->textCursor().hasSelection();
    s.historyIndex = m_history.index();
    s.historyCount = m_history.count();
    s.editorHasLookupWord = m_lookup && m_lookup->editorHasLookupWord();
    s.jumpBackPending = m_lookup && m_lookup->canGoBackFromJump();
    s.projectSaved = !m_document->fileName().isEmpty();
    s.processIsRunning = m_runDriver && m_runDriver->processIsRunning();
    s.leftoverProcesses = m_runner && m_runner->hasLeftoverProcesses();
    s.canRunExecutable = m_runDriver && m_runDriver->canRunExecutable();
    const auto &errors = m_document->errorsDictionary();
    s.currentFileHasDiagnostics = m_current && errors && errors->contains(m_current->filePath());
    s.currentFileHasFindResults = m_current && m_find->hasResultsFor(m_current->filePath());
    s.popoverOpen = m_diagnosticsController->popover()->isOpen();
    s.inputOption = m_document->inputOption();
    s.inputFileNameSet = !m_document->storedInputFileName().isEmpty();
    return s;
}

void DocWindowController::validateCommands()
{
    if (m_actions.isEmpty())
        return;
    const CommandState s = commandState();
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it)
        it.value()->setEnabled(commandEnabled(it.key(), s));
    // The drivers' item states: Build needs files and no failed check since the list changed,
    // Run a program in place.
    if (m_document->projectFiles().isEmpty() || !m_buildItemEnabled)
        m_actions["build"]->setEnabled(false);
    if (!m_runItemEnabled)
        m_actions["run"]->setEnabled(false);
    m_actions["close"]->setEnabled(m_closeButtonEnabled);
    m_actions["removeFile"]->setEnabled(selectedRow() >= 0);
    const bool inputFileSet = !m_document->storedInputFileName().isEmpty();
    m_actions["saveInputFile"]->setEnabled(inputFileSet && m_currentTabIsInputFile);
    // The shelf's add button bookmarks the file in the editor.
    m_shelf->enableAddingBookmarks(m_current != nullptr);
}

} // namespace corvane
