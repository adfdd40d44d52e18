// The project window's widgets, commands, toolbar and menus.
#include "window/docwindowcontroller.h"
#include "window/commandaction.h"
#include "window/lookupcommands.h"

#include "build/builddriver.h"
#include "build/rundriver.h"
#include "project/mydocument.h"
#include "editor/corvanetextview.h"
#include "editor/editorcommands.h"
#include "editor/editornavigator.h"
#include "editor/editorviewcontroller.h"
#include "editor/findbar.h"
#include "window/consoleview.h"
#include "window/diagnosticscontroller.h"
#include "window/diagnosticspane.h"
#include "window/elapsedtimeview.h"
#include "window/filelistmodel.h"
#include "window/filenamefield.h"
#include "window/findcontroller.h"
#include "window/findpane.h"
#include "window/helpmenu.h"
#include "window/notespane.h"
#include "window/optionspane.h"
#include "window/windowicons.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace corvane
{

void DocWindowController::buildWidgets()
{
    // Side panel: the file list, the find results and the diagnostics.
    m_fileModel = new FileListModel(m_document.get(), this);
    m_fileModel->setDropHandler([this](const QStringList &paths) { return dropFiles(paths); });
    m_fileList = new QListView;
    m_fileList->setModel(m_fileModel);
    m_fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_fileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_fileList->setDragDropMode(QAbstractItemView::DropOnly);
    m_fileList->setAcceptDrops(true);
    m_fileList->setDropIndicatorShown(true);
    m_fileList->setUniformItemSizes(true);
    m_fileList->setSpacing(1);
    connect(m_fileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &DocWindowController::tableViewSelectionDidChange);
    connect(m_fileModel, &QAbstractItemModel::modelReset, this, [this] {
        connect(m_fileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &DocWindowController::tableViewSelectionDidChange, Qt::UniqueConnection);
    });
    // Delete in the list removes the selected file as Remove File does.
    auto *removeKey = new QAction(m_fileList);
    removeKey->setShortcut(QKeySequence::Delete);
    removeKey->setShortcutContext(Qt::WidgetShortcut);
    connect(removeKey, &QAction::triggered, this, &DocWindowController::removeSelectedFile);
    m_fileList->addAction(removeKey);
    connect(m_fileList, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { openSelectedFile(index.row()); });

    auto *fileButtons = new QToolBar;
    fileButtons->setIconSize(QSize(16, 16));
    fileButtons->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto *filesPage = new QWidget;
    auto *filesLayout = new QVBoxLayout(filesPage);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    filesLayout->setSpacing(0);
    filesLayout->addWidget(m_fileList, 1);
    filesLayout->addWidget(fileButtons);
    fileButtons->setObjectName("fileButtons");

    auto *side = new QTabWidget;
    m_sideTabs = side;
    side->setDocumentMode(true);
    side->addTab(filesPage, tr("Files"));
    m_diagnostics = new DiagnosticsPane;
    side->addTab(m_diagnostics, tr("Diagnostics"));

    // Work area: console, editor, notes and the input file behind one tab selector.
    m_console = new ConsoleView;
    m_editorController = new EditorViewController(this);
    m_editor = m_editorController->textView();
    connect(m_editorController, &EditorViewController::fortranFileHasChanged, this, [this] {
        currentFortranFileWasEdited();
        m_diagnosticsController->currentFileWasEdited();
    });
    m_noEditorLabel = new QLabel;
    m_noEditorLabel->setAlignment(Qt::AlignCenter);
    m_noEditorLabel->setWordWrap(true);
    m_noEditorLabel->setEnabled(false);
    m_editorStack = new QStackedWidget;
    m_editorStack->addWidget(m_noEditorLabel);
    m_editorPage = m_editorController->navigator()->editorPage();
    m_editorStack->addWidget(m_editorPage);
    m_find = new FindController(*this, side);
    m_diagnosticsController = new DiagnosticsController(*this);
    side->insertTab(FindPane, m_find->findPane(), tr("Find"));
    filesLayout->insertWidget(0, m_find->fileNameField());
    m_notes = new NotesPane(m_document.get());
    // The input file is edited as sources are: the editor's font and its line-number ruler.
    auto *inputEditor = new CorvaneTextView;
    inputEditor->setFont(EditorViewController::editorFont());
    inputEditor->document()->setDefaultFont(EditorViewController::editorFont());
    inputEditor->setObjectName("inputFileEditor");
    m_inputEditor = inputEditor;
    connect(m_inputEditor, &QPlainTextEdit::textChanged, this, [this] {
        if (m_currentTabIsInputFile) {
            m_document->setInputFileWasEdited(true);
            m_document->documentHasChanged();
        }
    });
    m_workStack = new QStackedWidget;
    m_workStack->addWidget(m_console);
    m_workStack->addWidget(m_editorStack);
    m_workStack->addWidget(m_notes);
    m_workStack->addWidget(m_inputEditor);
    m_tabBar = new QTabBar;
    m_tabBar->setDocumentMode(true);
    m_tabBar->setExpanding(false);
    m_tabBar->addTab(tr("Console"));
    m_tabBar->addTab(tr("Editor"));
    m_tabBar->addTab(tr("Notes"));
    // The input file has a cell only while it is in front.
    m_tabBar->addTab(tr("Input File"));
    m_tabBar->setTabVisible(InputFileTab, false);
    connect(m_tabBar, &QTabBar::tabBarClicked, this, [this](int i) {
        if (i >= 0)
            switchTabTo(i);
    });
    m_tabBar->setCurrentIndex(EditorTab);
    m_workStack->setCurrentIndex(EditorTab);
    m_currentTabIsEditor = true;

    auto *work = new QWidget;
    auto *workLayout = new QVBoxLayout(work);
    workLayout->setContentsMargins(0, 0, 0, 0);
    workLayout->setSpacing(0);
    workLayout->addWidget(m_tabBar);
    workLayout->addWidget(m_workStack, 1);

    m_options = new OptionsPane(m_document.get());
    // On a small screen the side panes give way and collapse; the work area keeps its width.
    // (A minimum of one pixel stands in for their contents' wider minimums.)
    side->setMinimumWidth(1);
    m_options->setMinimumWidth(1);
    work->setMinimumWidth(kMinimumWorkAreaWidth);

    m_mainSplitter = new QSplitter(Qt::Horizontal);
    m_mainSplitter->setObjectName("mainSplitter");
    m_mainSplitter->addWidget(side);
    m_mainSplitter->addWidget(work);
    m_mainSplitter->addWidget(m_options);
    m_mainSplitter->setStretchFactor(0, 0);
    m_mainSplitter->setStretchFactor(1, 1);
    m_mainSplitter->setStretchFactor(2, 0);
    m_mainSplitter->setSizes({230, 760, 290});
    m_mainSplitter->setChildrenCollapsible(true);
    m_mainSplitter->setCollapsible(1, false);
    // The bookmark shelf runs across the top, above the panes.
    auto *central = new QWidget;
    auto *centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    centralLayout->addWidget(setUpShelf());
    centralLayout->addWidget(m_mainSplitter, 1);
    setCentralWidget(central);

    m_progressLabel = new QLabel;
    m_progressLabel->setObjectName("progressToolbarItem");
    m_progressLabel->setMinimumWidth(
        m_progressLabel->fontMetrics().horizontalAdvance(tr("Indexing...")) + 8);
    m_progressBar = new QProgressBar;
    m_progressBar->setRange(0, 0);
    m_progressBar->setMaximumWidth(90);
    m_progressBar->setMaximumHeight(14);
    m_progressBar->setTextVisible(false);
    m_progressBar->setVisible(false);
    m_elapsed = new ElapsedTimeView;
    statusBar()->addPermanentWidget(m_elapsed);

    const QRect screen = QApplication::primaryScreen()
                             ? QApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1280, 800);
    resize(qMin(1280, screen.width()), qMin(800, screen.height()));
}

QAction *DocWindowController::addCommand(const QString &name, const QString &text,
                                         const QKeySequence &shortcut,
                                         void (DocWindowController::*slot)())
{
    QAction *a = commandAction(this, name, text, shortcut, slot);
    addAction(a);
    m_actions.insert(name, a);
    return a;
}

void DocWindowController::buildActions()
{
    using W = DocWindowController;
    addCommand("newProject", tr("&New Project..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N),
               nullptr);
    connect(m_actions["newProject"], &QAction::triggered, this, &W::newProjectRequested);
    addCommand("openProject", tr("&Open..."), QKeySequence::Open, nullptr);
    connect(m_actions["openProject"], &QAction::triggered, this, &W::openProjectRequested);
    addCommand("saveDocument", tr("&Save"), QKeySequence::Save, &W::saveAction);
    addCommand("saveDocumentAs", tr("Save &As..."), QKeySequence::SaveAs, &W::saveAsAction);
    addCommand("print", tr("&Print..."), QKeySequence(), &W::printAction); // Ctrl+P finds a file
    addCommand("close", tr("&Close Window"), QKeySequence::Close, nullptr);
    connect(m_actions["close"], &QAction::triggered, this, &QWidget::close);
    addCommand("quit", tr("&Quit"), QKeySequence::Quit, nullptr);
    connect(m_actions["quit"], &QAction::triggered, this, &W::quitRequested);
    addCommand("preferences", tr("Pr&eferences..."), QKeySequence::Preferences, nullptr);
    connect(m_actions["preferences"], &QAction::triggered, this, &W::preferencesRequested);

    addCommand("addFile", tr("&Add Files..."), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_A),
               &W::chooseFilesToAdd)
        ->setIcon(corvaneIcon(IconName::AddFile));
    addCommand("newFortranFile", tr("&New Source File..."), QKeySequence::New, &W::chooseNewFile)
        ->setIcon(corvaneIcon(IconName::NewFile));
    addCommand("removeFile", tr("&Remove File"), QKeySequence(), &W::removeSelectedFile)
        ->setIcon(corvaneIcon(IconName::RemoveFile));
    // Ctrl+Shift+E is the editor's Complete Procedure.
    addCommand("openSelectedFile", tr("Open in &External Editor"),
               QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E), &W::openSelected);

    addCommand("build", tr("&Build"), QKeySequence(Qt::CTRL | Qt::Key_B), &W::buildAction)
        ->setIcon(corvaneIcon(IconName::Build));
    addCommand("clean", tr("&Clean"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K),
               &W::cleanAction)
        ->setIcon(corvaneIcon(IconName::TrashEmpty));
    addCommand("run", tr("&Run"), QKeySequence(Qt::CTRL | Qt::Key_R), &W::runAction)
        ->setIcon(corvaneIcon(IconName::Run));
    addCommand("abort", tr("&Abort"), QKeySequence(Qt::CTRL | Qt::Key_Period), &W::abortAction)
        ->setIcon(corvaneIcon(IconName::Abort));

    addCommand("moveToPreviousFile", tr("&Back"), QKeySequence(Qt::ALT | Qt::Key_Left),
               &W::moveToPreviousFile)
        ->setIcon(corvaneIcon(IconName::Back));
    addCommand("moveToNextFile", tr("&Forward"), QKeySequence(Qt::ALT | Qt::Key_Right),
               &W::moveToNextFile)
        ->setIcon(corvaneIcon(IconName::Forward));
    addCommand("selectConsole", tr("&Console"), QKeySequence(Qt::CTRL | Qt::Key_1), nullptr);
    connect(m_actions["selectConsole"], &QAction::triggered, this, [this] { switchTabTo(0); });
    addCommand("selectEditor", tr("&Editor"), QKeySequence(Qt::CTRL | Qt::Key_2), nullptr);
    connect(m_actions["selectEditor"], &QAction::triggered, this, [this] { switchTabTo(1); });
    addCommand("selectNotes", tr("&Notes"), QKeySequence(Qt::CTRL | Qt::Key_3), nullptr);
    connect(m_actions["selectNotes"], &QAction::triggered, this, [this] { switchTabTo(2); });
    addCommand("moveToNextTab", tr("Next &Tab"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
               &W::moveToNextTab);
    addCommand("moveToPreviousTab", tr("&Previous Tab"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
               &W::moveToPreviousTab);
    addCommand("toggleOptionsPane", tr("Show &Options Pane"), QKeySequence(), nullptr)
        ->setIcon(corvaneIcon(IconName::OptionsPane));
    m_actions["toggleOptionsPane"]->setIconText(tr("Options"));
    m_actions["toggleOptionsPane"]->setCheckable(true);
    m_actions["toggleOptionsPane"]->setChecked(true);
    connect(m_actions["toggleOptionsPane"], &QAction::toggled, this,
            &DocWindowController::setOptionsPaneShown);
    addCommand("toggleToolbar", tr("Show &Toolbar"), QKeySequence(), &W::toggleToolbar);
    m_actions["toggleToolbar"]->setCheckable(true);
    m_actions["toggleToolbar"]->setChecked(true);
    addCommand("verboseOutput", tr("Show &Dependencies and Makefile"), QKeySequence(), nullptr)
        ->setCheckable(true);
    connect(m_actions["verboseOutput"], &QAction::toggled, this,
            [this](bool on) { m_buildDriver->setVerboseOutput(on); });
    addCommand("editInputFile", tr("Edit &Input File"), QKeySequence(Qt::CTRL | Qt::Key_4),
               &W::showInputFile);
    addCommand("saveInputFile", tr("&Save Input File"), QKeySequence(), nullptr);
    connect(m_actions["saveInputFile"], &QAction::triggered, this,
            [this] { saveInputFileFromTab(); });
    addCommand("createNewInputFile", tr("&New Input File..."), QKeySequence(),
               &W::chooseNewInputFile);
    addCommand("browseForInputFile", tr("&Choose Input File..."), QKeySequence(),
               &W::chooseInputFile);

    m_toolbar = addToolBar(tr("Toolbar"));
    m_toolbar->setObjectName("mainToolbar");
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setIconSize(QSize(20, 20));
    for (const char *name : {"build", "run", "abort"})
        m_toolbar->addAction(m_actions[name]);
    m_toolbar->addSeparator();
    m_toolbar->addAction(m_actions["moveToPreviousFile"]);
    m_toolbar->addAction(m_actions["moveToNextFile"]);
    m_toolbar->addSeparator();
    m_toolbar->addAction(m_actions["clean"]);
    auto *spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    // The progress item: what runs now, with a busy indicator.
    auto *progress = new QWidget;
    auto *progressLayout = new QHBoxLayout(progress);
    progressLayout->setContentsMargins(6, 0, 6, 0);
    progressLayout->addWidget(m_progressBar);
    progressLayout->addWidget(m_progressLabel);
    m_toolbar->addWidget(progress);
    m_toolbar->addAction(m_actions["toggleOptionsPane"]);
    connect(m_toolbar, &QToolBar::visibilityChanged, m_actions["toggleToolbar"],
            &QAction::setChecked);

    auto *fileButtons = findChild<QToolBar *>("fileButtons");
    fileButtons->addAction(m_actions["addFile"]);
    fileButtons->addAction(m_actions["newFortranFile"]);
    fileButtons->addAction(m_actions["removeFile"]);

    for (QAction *a : m_find->actions()) {
        addAction(a);
        m_actions.insert(a->objectName(), a);
    }
    m_lookup = new LookupCommands(*this);
    for (QAction *a : m_lookup->actions()) {
        addAction(a);
        m_actions.insert(a->objectName(), a);
    }
    connect(m_find, &FindController::resultsChanged, this, &DocWindowController::validateCommands);

    // The editor's commands, enabled by the rules of the window (the editor tab in front).
    for (QAction *a : m_editorController->commands()->actions()) {
        addAction(a);
        m_actions.insert(a->objectName(), a);
    }
    m_actions.insert("completeProcedure", m_editorController->navigator()->completeProcedureAction());
    // The word-case commands need a selection.
    connect(m_editorController->textView(), &QPlainTextEdit::selectionChanged, this,
            &DocWindowController::validateCommands);
    for (QAction *a : m_diagnosticsController->actions()) {
        addAction(a);
        m_actions.insert(a->objectName(), a);
    }
}

void DocWindowController::buildMenus()
{
    QMenu *file = menuBar()->addMenu(tr("&File"));
    for (const char *name : {"newProject", "openProject"})
        file->addAction(m_actions[name]);
    file->addSeparator();
    for (const char *name : {"addFile", "newFortranFile", "removeFile", "openSelectedFile"})
        file->addAction(m_actions[name]);
    file->addSeparator();
    for (const char *name : {"saveDocument", "saveDocumentAs", "print"})
        file->addAction(m_actions[name]);
    file->addSeparator();
    file->addAction(m_actions["close"]);
    file->addAction(m_actions["quit"]);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    const auto [undo, redo] = m_editorController->fillEditMenu(edit);
    undo->setShortcutContext(Qt::WidgetShortcut);
    redo->setShortcutContext(Qt::WidgetShortcut);
    edit->addSeparator();
    edit->addAction(m_actions["preferences"]);

    m_editorController->commands()->fillMenu(menuBar()->addMenu(tr("F&ormat")));

    QMenu *view = menuBar()->addMenu(tr("&View"));
    for (const char *name :
         {"selectConsole", "selectEditor", "selectNotes", "moveToNextTab", "moveToPreviousTab"})
        view->addAction(m_actions[name]);
    view->addSeparator();
    for (const char *name :
         {"jumpToDefinition", "displayDeclarationInfo", "moveToPreviousFile", "moveToNextFile"})
        view->addAction(m_actions[name]);
    view->addSeparator();
    view->addAction(m_actions["toggleToolbar"]);
    view->addAction(m_actions["toggleOptionsPane"]);

    QMenu *find = menuBar()->addMenu(tr("F&ind"));
    find->addActions(m_find->actions());

    QMenu *project = menuBar()->addMenu(tr("&Project"));
    for (const char *name : {"build", "clean", "run", "abort"})
        project->addAction(m_actions[name]);
    project->addAction(m_actions["verboseOutput"]);
    project->addSeparator();
    project->addActions(m_diagnosticsController->actions());
    project->addSeparator();
    for (const char *name :
         {"editInputFile", "saveInputFile", "createNewInputFile", "browseForInputFile"})
        project->addAction(m_actions[name]);

    addHelpMenu(menuBar(), this);
}

} // namespace corvane
