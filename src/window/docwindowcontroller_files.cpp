// The project window's file handling: which source is in the editor, history, the file list's
// commands, and the reaction to changes of the current file on disk.
#include "window/docwindowcontroller.h"
#include "window/lookupcommands.h"

#include "project/fileoperations.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "watch/pavoqueue.h"
#include "shelf/tovshelfcontroller.h"
#include "editor/autocompletemanager.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "window/diagnosticscontroller.h"
#include "window/filelistmodel.h"
#include "window/findcontroller.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QStackedWidget>
#include <QTextBlock>

namespace corvane
{

namespace texts
{
const char kLost[] =
    "The file has been moved, deleted or had its name changed and cannot be found.";
const char kSelect[] = "Select a file from source list to edit.";
const char kNoFiles[] = "No project files to edit.";
const char kNotLoaded[] = "This file could not be loaded.";
const char kModifiedOnDisk[] = "The file %1 has been modified. Do you want to use the version on "
                               "disk or the one modified here?";
const char kUseHere[] = "Use the one here";
const char kUseDisk[] = "Use the version on disk";
const char kDoubleClick[] = "Double click a file name to open in external editor";
const char kRemoveModified[] = "Do you want to save the changes made to \u201c%1\u201d before "
                               "removing it from the project?";
const char kRemoveModifiedInfo[] = "Your changes will be lost if you don't save them.";
} // namespace texts

namespace
{

// Keeps a stored selection inside the text.
QTextCursor clampedSelection(QTextDocument *doc, const TextRange &range)
{
    const int length = qMax(0, doc->characterCount() - 1);
    const int start = int(qMin<quint64>(range.location, quint64(length)));
    const int end = int(qMin<quint64>(range.location + range.length, quint64(length)));
    QTextCursor c(doc);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    return c;
}

} // namespace

void DocWindowController::showNoEditor(const QString &message)
{
    m_noEditorLabel->setText(message);
    m_editorStack->setCurrentWidget(m_noEditorLabel);
}

void DocWindowController::showEditor()
{
    m_editorStack->setCurrentWidget(m_editorPage);
}

QString DocWindowController::noEditorMessage() const
{
    return isEditorShown() ? QString() : m_noEditorLabel->text();
}

bool DocWindowController::isEditorShown() const
{
    return m_editorStack->currentWidget() == m_editorPage;
}

void DocWindowController::watchCurrentFile()
{
    if (m_watcher && m_current)
        m_watcher->addPath(m_current->filePath(), kWatchMask);
}

// Takes the current file out of the editor: its selection is kept with the record, its text
// storage (with its undo history) stays with the record, and its path is no longer watched.
void DocWindowController::detachCurrentFile()
{
    if (!m_current)
        return;
    const QTextCursor c = m_editor->textCursor();
    m_current->setSelectedRange(
        {quint64(c.selectionStart()), quint64(c.selectionEnd() - c.selectionStart())});
    if (m_current->textStorage())
        disconnect(m_current->textStorage(), nullptr, this, nullptr);
    if (m_watcher)
        m_watcher->removePath(m_current->filePath());
    m_editorController->showDocument(nullptr);
}

void DocWindowController::passDeclarationsToAutocompleteManager()
{
    AutocompleteManager &engine = m_editorController->completionManager();
    const std::shared_ptr<const ProjectIndex> index = m_document->projectIndex();
    engine.setProjectIndex(index);
    engine.setDeclarationsForDisplayedText(
        index && m_current ? index->declarationsForFile(m_current->filePath()) : nullptr);
}

bool DocWindowController::swapEditorToFortranFile(FortranFile *file)
{
    if (file == m_current)
        return false;
    // The editor never keeps showing a file that has been detached: a failed switch leaves no
    // current file, so choosing the old file again reattaches it.
    detachCurrentFile();
    m_current = nullptr;
    m_document->setCurrentFile(nullptr);
    m_currentFileName.clear();
    updateTitle();

    if (file && file->resolveFilePath(m_document->docDirectoryPath()))
        fileListTableDidChange();
    if (!file || file->fileState() == FortranFile::Lost) {
        showNoEditor(file ? tr(texts::kLost) : tr(texts::kSelect));
        m_fileModel->reload();
        validateCommands();
        return false;
    }
    const bool startedAnimation = !m_isIndexing;
    if (startedAnimation)
        setProgress(tr("Loading..."), true);

    bool loaded = true;
    if (file->textStorage() &&
        file->fileHasBeenModified(m_document->lastBatchSaveTime(), m_prompts)) {
        const QString name = QFileInfo(file->filePath()).fileName();
        const int answer = m_prompts->ask(tr(texts::kModifiedOnDisk).arg(name), QString(),
                                          {tr(texts::kUseHere), tr(texts::kUseDisk)});
        if (answer == 0) {
            file->markTextDiffersFromDisk();
        } else if (answer == 1) {
            file->setFileState(FortranFile::Saved);
            loaded = file->loadFile(*m_prompts);
        } else {
            showNoEditor(tr(texts::kSelect));
            return false;
        }
    } else if (!file->textStorage()) {
        loaded = file->loadFile(*m_prompts);
    }
    if (!loaded || !file->textStorage()) {
        showNoEditor(tr(texts::kNotLoaded));
        if (!m_isIndexing)
            restoreTaskProgress();
        m_fileModel->reload();
        return false;
    }

    QTextDocument *doc = file->undoManager();
    // Undoing back to the saved text makes the file unmodified again.
    connect(doc, &QTextDocument::modificationChanged, this, [this, file](bool modified) {
        if (m_current != file)
            return;
        if (modified) {
            currentFortranFileWasEdited();
            return;
        }
        if (file->fileState() != FortranFile::Modified)
            return;
        file->setFileState(FortranFile::Saved);
        m_fileModel->reload();
        updateTitle();
    });
    m_editorController->setCodingMode(1);
    m_editorController->setF90Coloring(file->isF90File() || m_document->colorAsF90());
    m_editorController->showDocument(doc);
    m_editorController->displayText();
    m_editor->setTextCursor(clampedSelection(doc, file->selectedRange()));
    m_editor->ensureCursorVisible();
    showEditor();
    if (m_document->errorsDictionary())
        m_diagnosticsController->markErrorsForFile(file->filePath());
    else
        m_diagnosticsController->hideErrorMarkers();

    if (!m_isIndexing)
        restoreTaskProgress();
    m_current = file;
    passDeclarationsToAutocompleteManager();
    m_document->setCurrentFile(file);
    if (file->fileState() == FortranFile::Modified)
        currentFortranFileWasEdited();
    m_currentFileName = QFileInfo(file->filePath()).fileName();
    updateTitle();
    watchCurrentFile();
    validateCommands();
    return true;
}

void DocWindowController::currentFortranFileWasEdited()
{
    if (!m_current)
        return;
    // An edit that brought the text back to the saved one leaves the file unmodified.
    const QTextDocument *storage = m_current->textStorage();
    if (storage && !storage->isModified())
        return;
    const bool wasModified = m_current->fileState() == FortranFile::Modified;
    m_current->setFileState(FortranFile::Modified);
    // The file's own state, not the project's: the window's mark follows both.
    if (!wasModified) {
        m_fileModel->reload();
        updateTitle();
    }
}

int DocWindowController::selectedRow() const
{
    const QModelIndexList rows = m_fileList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void DocWindowController::tableViewSelectionDidChange()
{
    const int row = selectedRow();
    validateCommands();
    if (row < 0)
        return;
    FortranFile *file = m_fileModel->fileAt(row);
    if (swapEditorToFortranFile(file)) {
        if (m_updateHistory)
            m_history.add(file);
        m_updateHistory = true;
        // The chosen file is shown; keyboard focus stays where it is (the list).
        if (!m_restoringSelection)
            switchTabTo(EditorTab);
        if (m_giveFocusToEditor)
            m_editor->setFocus();
    }
    m_giveFocusToEditor = false;
    validateCommands();
}

void DocWindowController::changeFileTableSelectionToRow(int row)
{
    const QModelIndex index = m_fileModel->index(row);
    if (!index.isValid())
        return;
    m_fileList->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    m_fileList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_fileList->scrollTo(index);
}

int DocWindowController::changeEditorToFileNamed(const QString &path)
{
    const int row = m_document->indexOfFileNamed(path, m_prompts);
    if (row < 0)
        return row;
    changeFileTableSelectionToRow(row);
    switchTabTo(EditorTab);
    return row;
}

// --- history ---------------------------------------------------------------------------------

void DocWindowController::switchToHistoryFileAtIndex(int index)
{
    m_updateHistory = false;
    m_giveFocusToEditor = true;
    FortranFile *file = m_history.files().value(index);
    const int row = m_fileModel->rowOf(file);
    changeFileTableSelectionToRow(row);
    // A row that was already selected triggers no selection change.
    m_updateHistory = true;
    m_giveFocusToEditor = false;
    validateCommands();
}

void DocWindowController::moveToPreviousFile()
{
    if (m_lookup && m_lookup->goBackFromJump())
        return;
    moveToPreviousFileInHistory();
}

void DocWindowController::moveToPreviousFileInHistory()
{
    if (m_history.goBack())
        switchToHistoryFileAtIndex(m_history.index());
}

void DocWindowController::moveToNextFile()
{
    if (m_history.goForward())
        switchToHistoryFileAtIndex(m_history.index());
}

// --- file list commands ----------------------------------------------------------------------

void DocWindowController::fileListTableDidChange()
{
    m_fileModel->reload();
    m_buildItemEnabled = !m_document->projectFiles().isEmpty();
    if (m_document->projectFiles().isEmpty()) {
        m_currentFileName.clear();
        updateTitle();
    }
    m_find->setSearchFieldCompletions();
    m_shelf->fileListDidChange();
    updateTitle(); // a save changes the files' states
    validateCommands();
}

void DocWindowController::addFileAction(const QStringList &paths)
{
    m_fileOps->openFiles(paths);
    fileListTableDidChange();
    if (m_current)
        changeFileTableSelectionToRow(m_fileModel->rowOf(m_current));
}

void DocWindowController::newFortranFile(const QString &path)
{
    if (m_fileOps->createNewFortranFile(path)) {
        fileListTableDidChange();
        const int row =
            m_document->indexOfFileNamed(QFileInfo(path).suffix().isEmpty() ? QString() : path);
        if (row >= 0)
            changeFileTableSelectionToRow(row);
        else if (m_current)
            changeFileTableSelectionToRow(m_fileModel->rowOf(m_current));
    }
}

int DocWindowController::dropFiles(const QStringList &paths)
{
    const int added = m_fileOps->dropFiles(paths);
    if (added > 0) {
        fileListTableDidChange();
        if (m_current)
            changeFileTableSelectionToRow(m_fileModel->rowOf(m_current));
    }
    return added;
}

void DocWindowController::removeFileAction(int row)
{
    if (row < 0)
        row = selectedRow();
    if (row < 0 || row >= m_document->projectFiles().size())
        return;
    // Unsaved edits go only when the user says so, as when closing.
    FortranFile *file = m_fileModel->fileAt(row);
    if (file && file->fileState() == FortranFile::Modified) {
        const int answer = m_prompts->ask(
            tr(texts::kRemoveModified).arg(QFileInfo(file->filePath()).fileName()),
            tr(texts::kRemoveModifiedInfo), {tr("Save"), tr("Don't Save"), tr("Cancel")});
        if (answer != 0 && answer != 1)
            return;
        if (answer == 0 && !m_fileOps->saveFile(*file))
            return; // the write error has been told; the file and its edits stay
    }
    m_history.clear();
    detachCurrentFile();
    m_current = nullptr;
    m_document->setCurrentFile(nullptr);
    m_currentFileName.clear();
    m_updateHistory = true;
    {
        // The selection moves while the row goes; nothing enters the editor until it settles.
        const QSignalBlocker block(m_fileList->selectionModel());
        m_document->removeProjectFileAtIndex(row);
        m_fileModel->reload();
        m_fileList->selectionModel()->clearSelection();
    }
    if (m_document->projectFiles().isEmpty()) {
        showNoEditor(tr(texts::kNoFiles));
        updateTitle();
        validateCommands();
        return;
    }
    showNoEditor(tr(texts::kSelect));
    changeFileTableSelectionToRow(row > 0 ? row - 1 : 0);
}

void DocWindowController::openSelectedFile(int row)
{
    if (row < 0) {
        m_prompts->alert(tr(texts::kDoubleClick), QString());
        return;
    }
    const QString text =
        m_fileModel->fileAt(row) == m_current ? m_editor->toPlainText() : QString();
    FortranFile *file = m_fileModel->fileAt(row);
    const bool wasCurrent = file == m_current;
    m_fileOps->editFile(row, text);
    // A saved-and-handed-over file drops its text storage; the editor must not keep it.
    if (wasCurrent && !file->textStorage()) {
        if (m_watcher)
            m_watcher->removePath(file->filePath());
        m_editorController->showDocument(nullptr);
        m_current = nullptr;
        m_document->setCurrentFile(nullptr);
        swapEditorToFortranFile(file);
    }
    fileListTableDidChange();
}

void DocWindowController::chooseFilesToAdd()
{
    const QStringList chosen = QFileDialog::getOpenFileNames(
        this, tr("Add Files"), m_document->docDirectoryPath(),
        tr("Fortran sources (*.f90 *.f95 *.f *.for *.F *.inc *.h *.hpp);;All files (*)"));
    if (!chosen.isEmpty())
        addFileAction(chosen);
}

void DocWindowController::chooseNewFile()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("New Source File"),
                                                      m_document->docDirectoryPath() + "/Untitled");
    if (!path.isEmpty())
        newFortranFile(path);
}

void DocWindowController::removeSelectedFile()
{
    removeFileAction(selectedRow());
}

void DocWindowController::openSelected()
{
    openSelectedFile(selectedRow());
}

// --- changes on disk -------------------------------------------------------------------------

// Puts the current file's text from disk into the editor; its undo history goes with the old text.
void DocWindowController::reloadCurrentFromDisk()
{
    FortranFile *file = m_current;
    disconnect(file->textStorage(), nullptr, this, nullptr);
    m_editorController->showDocument(nullptr);
    const TextRange kept = file->selectedRange();
    file->setFileState(FortranFile::Saved);
    if (file->loadFile(*m_prompts) && file->textStorage()) {
        m_current = nullptr;
        file->setSelectedRange(kept);
        if (swapEditorToFortranFile(file))
            return;
    }
    fileListTableDidChange();
    m_current = nullptr;
    m_document->setCurrentFile(nullptr);
    m_currentFileName.clear();
    showNoEditor(tr(texts::kLost));
    updateTitle();
}

void DocWindowController::receivedNotification(const QString &name, const QString &path)
{
    if (m_watcher)
        m_watcher->removePath(path);
    if (!m_current || m_current->filePath() != path) {
        m_document->setIsLocalFileModification(false);
        return;
    }
    if (m_document->isLocalFileModification()) {
        // Our own save: keep following the file for later changes by other programs.
        m_document->setIsLocalFileModification(false);
        watchCurrentFile();
        return;
    }
    if (name == QLatin1String(kPavoRenamed)) {
        fileListTableDidChange();
        m_current->resolveFilePath(m_document->docDirectoryPath());
        m_currentFileName = QFileInfo(m_current->filePath()).fileName();
        fileListTableDidChange();
        updateTitle();
        watchCurrentFile();
    } else if (m_current->fileState() == FortranFile::Modified) {
        // Unsaved edits here: the user chooses, so that no edit is lost.
        const QString fileName = QFileInfo(path).fileName();
        const int answer = m_prompts->ask(tr(texts::kModifiedOnDisk).arg(fileName), QString(),
                                          {tr(texts::kUseHere), tr(texts::kUseDisk)});
        if (answer == 1)
            reloadCurrentFromDisk();
        else
            watchCurrentFile();
    } else {
        reloadCurrentFromDisk();
    }
    m_document->documentHasChanged();
    m_document->setIsLocalFileModification(false);
}

} // namespace corvane
