// DocWindowController: the window of one open project. It puts source files into the editor
// (each file keeps its own text storage, undo history and selection), keeps the back/forward
// history and the tabs, runs the file list's commands through FileOperations, follows the current
// file on disk through PavoQueue, enables the commands, and saves and restores its state in the
// project file. The logic lives in the document, FileOperations and the drivers; this class wires
// them to widgets.
#pragma once

#include "project/prompts.h"
#include "window/commandavailability.h"
#include "window/filehistory.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QLabel;
class QListView;
class QProgressBar;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTabBar;
class QPlainTextEdit;
class QPrinter;
class QToolBar;

namespace corvane
{

class CorvaneTextView;
class EditorViewController;
class ConsoleView;
class DiagnosticsController;
class DiagnosticsPane;
struct FindResult;
class ElapsedTimeView;
class FileListModel;
class FileOperations;
class ProjectFileWatcher;
class FindController;
class FortranFile;
class InteractiveConsoleController;
class LookupCommands;
class MyDocument;
class NotesPane;
class Notifier;
class OptionsPane;
class BuildDriver;
class PavoQueue;
class ProjectIndexer;
class RunDriver;
class TovShelfController;
class ProjectShelfDelegate;

class DocWindowController : public QMainWindow
{
    Q_OBJECT
public:
    enum Tab { ConsoleTab = 0, EditorTab = 1, NotesTab = 2, InputFileTab = 3 };
    static constexpr quint32 kWatchMask = 35; // delete, write, rename
    // The side panes shrink and collapse before the work area gets narrower than this.
    static constexpr int kMinimumWorkAreaWidth = 420;

    // Takes the document. Questions go to prompts when given (tests), else to message boxes.
    explicit DocWindowController(std::unique_ptr<MyDocument> document, Prompts *prompts = nullptr,
                                 QWidget *parent = nullptr);
    ~DocWindowController() override;

    MyDocument *document() const { return m_document.get(); }
    FileOperations *fileOperations() const { return m_fileOps.get(); }
    Prompts &prompts() const { return *m_prompts; }

    // --- the editor's file ------------------------------------------------------------------
    bool swapEditorToFortranFile(FortranFile *file);
    FortranFile *currentFortranFile() const { return m_current; }
    const QString &currentFileName() const { return m_currentFileName; }
    void changeFileTableSelectionToRow(int row);
    int changeEditorToFileNamed(const QString &path);
    int selectedRow() const;
    // The message shown instead of the editor, empty while the editor is shown.
    QString noEditorMessage() const;
    bool isEditorShown() const;
    CorvaneTextView *editor() const { return m_editor; }
    EditorViewController *editorController() const { return m_editorController; }
    QListView *fileList() const { return m_fileList; }
    FileListModel *fileListModel() const { return m_fileModel; }
    void currentFortranFileWasEdited();

    // --- history -------------------------------------------------------------------------------
    const FileHistory &history() const { return m_history; }
    // Back: to where the last jump to definition started while its target is still shown, else
    // to the previous file of the history.
    void moveToPreviousFile();
    void moveToPreviousFileInHistory();
    void moveToNextFile();

    // --- tabs ----------------------------------------------------------------------------------
    void switchTabTo(int index);
    int currentTab() const;
    void moveToNextTab();
    void moveToPreviousTab();

    // --- file list commands ---------------------------------------------------------------------
    void addFileAction(const QStringList &paths);
    void newFortranFile(const QString &path);
    void removeFileAction(int row = -1);
    int dropFiles(const QStringList &paths);
    void fileListTableDidChange();
    void openSelectedFile(int row);

    // --- disk changes ---------------------------------------------------------------------------
    void receivedNotification(const QString &name, const QString &path);
    PavoQueue *fileWatcher() const { return m_watcher.get(); }
    ProjectFileWatcher *projectFileWatcher() const { return m_projectWatcher.get(); }

    // --- saving, closing, state -------------------------------------------------------------
    // Writes the project file (asking where for a new project) and the edited sources.
    bool saveDocument();
    bool saveDocumentAs(const QString &path);
    bool aTaskIsExecuting() const;
    bool shouldCloseDocument();
    QVariantMap windowStates() const;
    void restoreWindowStates(const QVariantMap &states);
    void applyRestoredSelection(const QVariantMap &states);
    bool optionsPaneShown() const;
    void setOptionsPaneShown(bool shown);
    void toggleToolbar();
    // What Print prints: the text of the tab in front (the notes in their printed form).
    QString textForPrinting() const;
    void printTo(QPrinter &printer) const;

    // --- commands -------------------------------------------------------------------------------
    CommandState commandState() const;
    QAction *action(const QString &command) const { return m_actions.value(command); }
    void validateCommands();
    InteractiveConsoleController *runner() const { return m_runner; }
    ConsoleView *console() const { return m_console; }
    ElapsedTimeView *elapsedTimeView() const { return m_elapsed; }
    QString progressText() const;
    RunDriver *runDriver() const { return m_runDriver; }
    BuildDriver *buildDriver() const { return m_buildDriver; }
    ProjectIndexer *indexer() const { return m_indexer; }
    // The application's completion notifier; runs that end out of view are told through it.
    void setNotifier(Notifier *notifier);
    Notifier *notifier() const;

    // --- build and run items ---------------------------------------------------------------------
    enum SideTab { FilesPane = 0, FindPane = 1, DiagnosticsPaneTab = 2 };
    int sideTab() const;
    DiagnosticsPane *diagnosticsPane() const { return m_diagnostics; }
    FindController *findController() const { return m_find; }
    DiagnosticsController *diagnosticsController() const { return m_diagnosticsController; }
    LookupCommands *lookupCommands() const { return m_lookup; }
    TovShelfController *shelfController() const { return m_shelf; }
    OptionsPane *optionsPane() const { return m_options; }
    QToolBar *toolbar() const { return m_toolbar; }
    bool trashIsFull() const { return m_trashFull; }
    // Cleared from the start of a child until its completion: Close Window is off meanwhile.
    bool closeButtonEnabled() const { return m_closeButtonEnabled; }
    QPlainTextEdit *inputFileEditor() const { return m_inputEditor; }
    // The input file's commands; the panels' choices come in as paths.
    void showInputFile();
    bool saveInputFileFromTab();
    void createNewInputFileAt(const QString &path);
    void browseForInputFile(const QStringList &paths);
    // Opens the file of a diagnostic at its line (an outline row was chosen).
    void openDiagnostic(const FindResult &row);
    // Opens the project file a compiler's console line names (relative to the build folder, the
    // project folder or a source's folder) at its line; beeps for a file not in the project.
    void openConsoleLocation(const QString &path, quint64 line, quint64 column);

signals:
    // The user asked for another project, a new one or the application's commands.
    void newProjectRequested();
    void openProjectRequested();
    void preferencesRequested();
    void quitRequested();
    void closed(DocWindowController *window);
    // The user chose to reload the project file another program changed: the application
    // closes this window (asking about unsaved changes as closing does) and opens the file.
    void reloadRequested(DocWindowController *window);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class WatchDelegate;
    // Makes the bookmark shelf with the project's saved bookmarks; returns its bar.
    QWidget *setUpShelf();
    // A bookmark was chosen: its file is selected in the list (a beep when it left the project).
    void selectBookmarkedFile();
    // Before the project file itself is saved over: asks when its file list was damaged (keeping
    // a copy) or when another program changed it. False when the user cancels.
    bool confirmOverwritingProjectFile(const QString &path);
    // The live notice: another program changed the project file while it is open here.
    void projectFileChangedByAnotherProgram();
    void buildWidgets();
    void buildActions();
    void buildMenus();
    QAction *addCommand(const QString &name, const QString &text, const QKeySequence &shortcut,
                        void (DocWindowController::*slot)());
    void tableViewSelectionDidChange();
    void switchToHistoryFileAtIndex(int index);
    void detachCurrentFile();
    void showNoEditor(const QString &message);
    void showEditor();
    void setProgress(const QString &text, bool running);
    void watchCurrentFile();
    void reloadCurrentFromDisk();
    void updateTitle();
    void chooseFilesToAdd();
    void chooseNewFile();
    void removeSelectedFile();
    void openSelected();
    void saveAction();
    void saveAsAction();
    void printAction();
    void runAction();
    // Runs the program once the build that Run started has made it.
    void runAfterBuild();
    void abortAction();
    void buildAction();
    void cleanAction();
    void setUpBuildAndRun();
    void setTaskProgress(const QString &text);
    // Shows the running child's progress text again, or nothing when none runs.
    void restoreTaskProgress();
    // Hands the published index and the current file's declarations to the editor's engine.
    void passDeclarationsToAutocompleteManager();
    void setTrashFull(bool full);
    void setCloseButtonEnabled(bool enabled);
    void chooseInputFile();
    void keepInputFileEdits(const QString &next);
    void chooseNewInputFile();
    QString documentDisplayName() const;

    std::unique_ptr<MyDocument> m_document;
    std::unique_ptr<Prompts> m_ownPrompts;
    Prompts *m_prompts;
    std::unique_ptr<FileOperations> m_fileOps;
    std::unique_ptr<ProjectFileWatcher> m_projectWatcher;
    bool m_askingAboutProjectFile = false;
    std::unique_ptr<WatchDelegate> m_watchDelegate;
    std::unique_ptr<PavoQueue> m_watcher;
    std::unique_ptr<ProjectShelfDelegate> m_shelfDelegate;
    FileHistory m_history;

    FortranFile *m_current = nullptr;
    QString m_currentFileName;
    bool m_updateHistory = true;
    bool m_giveFocusToEditor = false;
    bool m_currentTabIsEditor = false;
    bool m_currentTabIsInputFile = false;
    bool m_isIndexing = false;
    bool m_trashFull = false;
    bool m_closeButtonEnabled = true;
    // The toolbar's Build and Run items as the drivers set them (the menu follows its rules).
    bool m_buildItemEnabled = true;
    bool m_runItemEnabled = false;
    QString m_taskProgress; // "Building..." or "Running..." while a child runs
    bool m_swapping = false;
    bool m_restoringSelection = false; // the saved selection returns: the saved tab stays
    bool m_runAfterBuild = false; // Run started a build; the program runs when it is made

    QToolBar *m_toolbar = nullptr;
    QSplitter *m_mainSplitter = nullptr;
    QListView *m_fileList = nullptr;
    FileListModel *m_fileModel = nullptr;
    QTabBar *m_tabBar = nullptr;
    QStackedWidget *m_workStack = nullptr;
    QStackedWidget *m_editorStack = nullptr;
    QWidget *m_editorPage = nullptr; // the editor's header bar above its text
    EditorViewController *m_editorController = nullptr;
    CorvaneTextView *m_editor = nullptr;
    QLabel *m_noEditorLabel = nullptr;
    ConsoleView *m_console = nullptr;
    NotesPane *m_notes = nullptr;
    QPlainTextEdit *m_inputEditor = nullptr;
    OptionsPane *m_options = nullptr;
    QTabWidget *m_sideTabs = nullptr;
    DiagnosticsPane *m_diagnostics = nullptr;
    FindController *m_find = nullptr;
    DiagnosticsController *m_diagnosticsController = nullptr;
    LookupCommands *m_lookup = nullptr;
    TovShelfController *m_shelf = nullptr;
    QLabel *m_progressLabel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    ElapsedTimeView *m_elapsed = nullptr;
    QHash<QString, QAction *> m_actions;
    InteractiveConsoleController *m_runner = nullptr;
    RunDriver *m_runDriver = nullptr;
    BuildDriver *m_buildDriver = nullptr;
    ProjectIndexer *m_indexer = nullptr;
    QPointer<Notifier> m_notifier; // the application's; a window may outlive it briefly
};

} // namespace corvane
