// Building and running from the project window with the real make and gfortran: the toolbar's
// items through a build and a run, typed input, Abort, diagnostics and loader messages of a
// failed build, the debug/release switch, the processes field and the save question that does
// not hold the build up. A picture of the window after a build and a run is written under the
// build folder.
#include "build/builddriver.h"
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "project/fortranfile.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "editor/corvanetextview.h"
#include "window/consoleview.h"
#include "window/diagnosticspane.h"
#include "window/elapsedtimeview.h"
#include "window/optionspane.h"
#include "windowtestutil.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTextBlock>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::pressToolbarItem;

constexpr int kBuildTimeoutMs = 120000;
constexpr int kRunTimeoutMs = 30000;

const QColor kInfo("#0000ff");
const QColor kError("#ff0000");
const QColor kNormal("#000000");

// The colour of the character at position in the console.
QColor colourAt(const ConsoleView *view, int position)
{
    QTextCursor c(view->document());
    c.setPosition(position + 1);
    return c.charFormat().foreground().color();
}

// The colour of the first character of the first occurrence of text; invalid when absent.
QColor colourOf(const ConsoleView *view, const QString &text)
{
    const int at = int(view->toPlainText().indexOf(text));
    return at < 0 ? QColor() : colourAt(view, at);
}

// Whether the toolbar item of command shows the full trash: paper above the bin's rim.
bool showsFullTrash(DocWindowController *window)
{
    const QImage image =
        window->toolbar()->widgetForAction(window->action("clean"))->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 110 && c.green() < 160 && c.blue() < 80)
                return true;
        }
    return false;
}

// Whether a process of this machine has text in its command line.
bool processRunsWith(const QString &text)
{
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text.toUtf8()))
            return true;
    }
    return false;
}

class BuildInWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_gfortran = QStandardPaths::findExecutable("gfortran");
        if (m_gfortran.isEmpty() || QStandardPaths::findExecutable("make").isEmpty())
            GTEST_SKIP() << "gfortran and make are needed";
        Defaults &d = Defaults::instance();
        d.setValue(keys::consoleNormalColor, kNormal.name());
        d.setValue(keys::consoleInfoColor, kInfo.name());
        d.setValue(keys::consoleErrorColor, kError.name());
        d.setValue(keys::clearConsoleOnCompile, true);
        d.setValue(keys::parallelBuild, false);
        d.setValue(keys::autoSaveFiles, true);
        d.setValue(keys::environmentVariables, QVariantMap());
    }

    // A debug project of the heat example's sources, copied into the fixture's folder.
    QString makeHeatProject()
    {
        const QDir examples(QString(CORVANE_SOURCE_DIR) + "/examples/heat");
        QList<std::pair<QString, QByteArray>> sources;
        for (const QString &name : examples.entryList({"*.f90"}, QDir::Files, QDir::Name))
            sources.append({name, test::readFile(examples.filePath(name))});
        QFile::copy(examples.filePath("input.txt"), fx.path("input.txt"));
        return makeProject(sources);
    }

    QString makeProject(const QList<std::pair<QString, QByteArray>> &sources)
    {
        const QString path = fx.makeProject(sources);
        auto opened = MyDocument::open(path, fx.prompts);
        EXPECT_TRUE(opened.ok());
        MyDocument &doc = *opened.value();
        doc.setProjectCompilerPath(m_gfortran);
        doc.setDebugCompilerFlags("-g -O0");
        doc.setIsDebugBuild(true);
        EXPECT_TRUE(doc.write(path).ok());
        return path;
    }

    std::unique_ptr<DocWindowController> openShown(const QString &path)
    {
        return fx.openShown(path);
    }

    static bool waitIdle(DocWindowController *window, int timeoutMs)
    {
        return QTest::qWaitFor([&] { return !window->runDriver()->processIsRunning(); }, timeoutMs);
    }

    test::ProjectFixture fx;
    QString m_gfortran;
};

TEST_F(BuildInWindow, BuildThenRunWithTypedInputAbortAndAnInputFile)
{
    auto window = openShown(makeHeatProject());
    MyDocument *doc = window->document();
    ConsoleView *console = window->console();
    EXPECT_FALSE(window->action("run")->isEnabled());

    pressToolbarItem(window.get(), "build");
    // make runs: the window is busy and cannot be closed through its command.
    EXPECT_EQ(window->progressText(), "Building...");
    EXPECT_TRUE(window->runDriver()->processIsRunning());
    EXPECT_FALSE(window->action("build")->isEnabled());
    EXPECT_FALSE(window->action("run")->isEnabled());
    EXPECT_TRUE(window->action("abort")->isEnabled());
    EXPECT_FALSE(window->closeButtonEnabled());
    EXPECT_FALSE(window->action("close")->isEnabled());
    EXPECT_EQ(window->currentTab(), DocWindowController::ConsoleTab);
    EXPECT_TRUE(console->toPlainText().startsWith("Corvane: Scanning for dependencies...\n"));
    const QString outDir = QString(CORVANE_BINARY_DIR) + "/screenshots";
    QDir().mkpath(outDir);
    EXPECT_TRUE(window->grab().save(outDir + "/window-building.png"));

    ASSERT_TRUE(waitIdle(window.get(), kBuildTimeoutMs)) << console->toPlainText().toStdString();
    const QString built = console->toPlainText();
    for (const char *line : {"Corvane: Scanning for dependencies...", "Corvane: Scan complete.",
                             "Corvane: Compilation successful.", "Corvane: Execution completed."})
        EXPECT_EQ(colourOf(console, line), kInfo) << line << "\n" << built.toStdString();
    EXPECT_EQ(colourOf(console, "gfortran"), kNormal) << "make's listing";
    EXPECT_TRUE(QFileInfo::exists(fx.path("DemoTesting")));
    EXPECT_TRUE(window->action("run")->isEnabled());
    EXPECT_TRUE(window->action("build")->isEnabled());
    EXPECT_FALSE(window->action("abort")->isEnabled());
    EXPECT_TRUE(window->closeButtonEnabled());
    EXPECT_TRUE(window->action("close")->isEnabled());
    EXPECT_TRUE(window->trashIsFull());
    EXPECT_TRUE(showsFullTrash(window.get()));
    EXPECT_NE(window->progressText(), "Building...");

    // A run waiting for typed input is a long run: Abort ends it and the window is idle again.
    doc->setInputOption(2);
    pressToolbarItem(window.get(), "run");
    EXPECT_EQ(window->progressText(), "Running...");
    EXPECT_TRUE(console->hasFocus() || !QApplication::focusWidget());
    QTest::qWait(300);
    ASSERT_TRUE(window->runDriver()->processIsRunning());
    pressToolbarItem(window.get(), "abort");
    EXPECT_FALSE(window->runDriver()->processIsRunning());
    EXPECT_FALSE(window->runner()->isRunningExecutable());
    EXPECT_TRUE(console->toPlainText().endsWith("Corvane: Execution aborted.\n"));
    EXPECT_EQ(colourOf(console, "Corvane: Execution aborted."), kError);
    EXPECT_TRUE(window->action("run")->isEnabled());
    EXPECT_TRUE(window->closeButtonEnabled());

    // Typed input reaches the program; the elapsed time counts while it waits.
    pressToolbarItem(window.get(), "run");
    QTest::qWait(1200);
    console->setFocus();
    QTest::keyClicks(console, "50 1.0 1.0 0.1 0.9");
    QTest::keyClick(console, Qt::Key_Return);
    ASSERT_TRUE(waitIdle(window.get(), kRunTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().contains("Execution completed"), 5000);
    EXPECT_TRUE(console->toPlainText().contains("heat: agrees with the analytic solution"))
        << console->toPlainText().toStdString();
    EXPECT_GE(window->runDriver()->elapsedCPUTime(), 1.0);
    EXPECT_EQ(window->elapsedTimeView()->elapsedText(),
              QString::number(window->runDriver()->elapsedCPUTime(), 'f', 3));
    EXPECT_TRUE(window->progressText().isEmpty() || window->progressText() == "Indexing...");

    EXPECT_TRUE(window->grab().save(outDir + "/window-build-and-run.png"));

    // The same run fed from the input file.
    doc->setInputFileName(fx.path("input.txt"));
    doc->setInputOption(0);
    console->clear();
    pressToolbarItem(window.get(), "run");
    ASSERT_TRUE(waitIdle(window.get(), kRunTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(console->toPlainText().contains("Execution completed"), 5000);
    EXPECT_TRUE(console->toPlainText().contains("heat: agrees with the analytic solution"))
        << console->toPlainText().toStdString();

    // Clean empties the trash and takes the program away.
    pressToolbarItem(window.get(), "clean");
    EXPECT_FALSE(window->trashIsFull());
    EXPECT_FALSE(showsFullTrash(window.get()));
    EXPECT_FALSE(window->action("run")->isEnabled());
    EXPECT_FALSE(QFileInfo::exists(fx.path("DemoTesting")));
}

TEST_F(BuildInWindow, FailedBuildsShowDiagnosticsOrLoaderMessagesAndKeepRunDisabled)
{
    struct Case {
        const char *name;
        QByteArray source;
        bool expectOutline; // the compiler's diagnostics in the outline
        bool expectLoader;  // the loader's messages in their view
    };
    const std::vector<Case> cases = {
        {"compile error",
         "program broken\n  implicit none\n  integer :: i\n  i = \n  print *, i\nend program\n",
         true, false},
        {"undefined procedure",
         "program lonely\n  implicit none\n  call nowhere_to_be_found()\nend program\n", false,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fx.dir.remove();
        ASSERT_TRUE(QDir().mkpath(fx.dir.path()));
        auto window = openShown(makeProject({{"main.f90", c.source}}));
        pressToolbarItem(window.get(), "build");
        ASSERT_TRUE(waitIdle(window.get(), kBuildTimeoutMs));

        const QString text = window->console()->toPlainText();
        EXPECT_FALSE(text.contains("Compilation successful")) << text.toStdString();
        EXPECT_FALSE(window->action("run")->isEnabled());
        EXPECT_FALSE(window->runDriver()->canRunExecutable());
        EXPECT_TRUE(window->action("build")->isEnabled());
        EXPECT_TRUE(window->closeButtonEnabled());
        EXPECT_EQ(window->sideTab(), DocWindowController::DiagnosticsPaneTab);
        EXPECT_TRUE(window->grab().save(QString(CORVANE_BINARY_DIR) + "/screenshots/" +
                                        QString(c.name).replace(' ', '-') + ".png"));
        const QStringList rows = window->diagnosticsPane()->shownRows();
        const QString loader = window->diagnosticsPane()->loaderText();
        if (c.expectOutline) {
            ASSERT_GE(rows.size(), 2) << text.toStdString();
            EXPECT_EQ(rows.first(), "main.f90");
            EXPECT_TRUE(rows.at(1).startsWith("  4: ")) << rows.at(1).toStdString();
        }
        if (c.expectLoader) {
            EXPECT_TRUE(loader.startsWith("ld:") || loader.contains("ld:")) << loader.toStdString();
            EXPECT_TRUE(loader.contains("nowhere_to_be_found")) << loader.toStdString();
        } else {
            EXPECT_TRUE(loader.isEmpty()) << loader.toStdString();
        }

        // Choosing a diagnostic opens its file at its line.
        if (c.expectOutline) {
            QTreeWidget *outline = window->diagnosticsPane()->outline();
            QTreeWidgetItem *first = outline->topLevelItem(0)->child(0);
            outline->setCurrentItem(first);
            QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                              outline->visualItemRect(first).center());
            EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
            ASSERT_NE(window->currentFortranFile(), nullptr);
            const QTextCursor chosen = window->editor()->textCursor();
            EXPECT_EQ(window->editor()->document()->findBlock(chosen.selectionStart()).blockNumber(),
                      3);
        }
    }
}

TEST_F(BuildInWindow, ClosingDuringABuildAsksThenAbortsTheWholeBuild)
{
    // A compiler that takes its time, so the build is still running when the window closes.
    const QString slow = fx.path("slowfc");
    test::writeFile(slow, "#!/bin/sh\nsleep 30\nexit 1\n");
    QFile::setPermissions(slow, QFile::permissions(slow) | QFile::ExeOwner);
    const QString path = makeProject({{"main.f90", "program p\nend program p\n"}});
    {
        auto opened = MyDocument::open(path, fx.prompts);
        ASSERT_TRUE(opened.ok());
        opened.value()->setProjectCompilerPath(slow);
        ASSERT_TRUE(opened.value()->write(path).ok());
    }
    auto window = openShown(path);
    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(window->runner()->isRunningExecutable());
    EXPECT_FALSE(window->action("close")->isEnabled());

    fx.prompts.script = {1}; // "No": the build goes on
    QCloseEvent refused;
    QCoreApplication::sendEvent(window.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    ASSERT_FALSE(fx.prompts.asked.isEmpty());
    EXPECT_EQ(fx.prompts.asked.last(),
              "The project is still being built\nDo you want to abort the build and close?");
    EXPECT_TRUE(window->runner()->isRunningExecutable());

    fx.prompts.script = {0, 1}; // "Yes": abort; then "Don't Save" the changed project
    QCloseEvent accepted;
    QCoreApplication::sendEvent(window.get(), &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_FALSE(window->runner()->isRunningExecutable());
    EXPECT_TRUE(window->console()->toPlainText().contains("Corvane: Execution aborted."));
    // make and the compiler it started are gone with it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !processRunsWith(slow); }, 5000));
}

TEST_F(BuildInWindow, DebugAndReleaseBuildIntoTheirOwnFolders)
{
    auto window = openShown(
        makeProject({{"main.f90", "program twice\n  print *, 'built'\nend program twice\n"}}));
    MyDocument *doc = window->document();
    auto *configuration = window->optionsPane()->findChildren<QComboBox *>().at(1);
    ASSERT_EQ(configuration->count(), 2);

    // The dependency report and the Makefile go to the console when asked for.
    window->action("verboseOutput")->trigger();
    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get(), kBuildTimeoutMs));
    EXPECT_TRUE(window->console()->toPlainText().contains("\nCorvane: Module Files:\n"));
    EXPECT_EQ(colourOf(window->console(), "Corvane: Module Files:"), kNormal);
    EXPECT_TRUE(doc->buildDirectoryPath().endsWith("/Build_Testing"));
    EXPECT_TRUE(QFileInfo::exists(fx.path("Build_Testing/main.o")));
    EXPECT_TRUE(QFileInfo::exists(fx.path("DemoTesting")));
    EXPECT_TRUE(window->action("run")->isEnabled());

    // The user picks the release configuration: another folder, no program there yet.
    configuration->setCurrentIndex(1);
    EXPECT_FALSE(doc->isDebugBuild());
    EXPECT_TRUE(doc->buildDirectoryPath().endsWith("/Build_Running"));
    EXPECT_FALSE(window->action("run")->isEnabled());
    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get(), kBuildTimeoutMs));
    EXPECT_TRUE(QFileInfo::exists(fx.path("Build_Running/main.o")));
    EXPECT_TRUE(QFileInfo::exists(fx.path("DemoRunning")));
    EXPECT_TRUE(QFileInfo::exists(fx.path("Build_Testing/main.o"))) << "debug objects kept";

    // Back to debug: its program is still there, so Run is possible at once.
    configuration->setCurrentIndex(0);
    EXPECT_TRUE(doc->buildDirectoryPath().endsWith("/Build_Testing"));
    EXPECT_TRUE(window->action("run")->isEnabled());
}

TEST_F(BuildInWindow, ProcessesFieldOnlyForParallelBuilds)
{
    auto window = openShown(makeProject({{"main.f90", "program p\nend program p\n"}}));
    MyDocument *doc = window->document();
    OptionsPane *options = window->optionsPane();
    struct Case {
        const char *compiler;
        const char *flags;
        bool shown;
    };
    const std::vector<Case> cases = {
        {"/usr/bin/gfortran", "-g", false},     {"/usr/bin/mpif90", "-g", true},
        {"/usr/local/bin/caf", "", true},       {"/usr/bin/gfortran", "-fopenmp -O2", true},
        {"/opt/mpich/bin/gfortran", "", false}, // "mpi" in a folder name is not an MPI wrapper
    };
    for (const Case &c : cases) {
        doc->setProjectCompilerPath(c.compiler);
        doc->setCompilerFlags(c.flags);
        EXPECT_EQ(options->parallelOptionsVisible(), c.shown) << c.compiler << " " << c.flags;
        EXPECT_EQ(options->processorsBox()->isVisible(), c.shown) << c.compiler << " " << c.flags;
    }
}

TEST_F(BuildInWindow, MpiProgramRunsUnderMpirunWithTheChosenProcessCount)
{
    const QString mpif90 = QStandardPaths::findExecutable("mpif90");
    if (mpif90.isEmpty() || QStandardPaths::findExecutable("mpirun").isEmpty())
        GTEST_SKIP() << "Open MPI is needed";
    // Open MPI refuses to start as root unless told that it is meant.
    Defaults::instance().setValue(keys::environmentVariables,
                                  QVariantMap{{"OMPI_ALLOW_RUN_AS_ROOT", "1"},
                                              {"OMPI_ALLOW_RUN_AS_ROOT_CONFIRM", "1"},
                                              {"OMPI_MCA_rmaps_base_oversubscribe", "1"}});
    const QString path = makeProject(
        {{"ranks.f90", "program ranks\n  use mpi\n  implicit none\n  integer :: rank, n, ierr\n"
                       "  call MPI_Init(ierr)\n  call MPI_Comm_rank(MPI_COMM_WORLD, rank, ierr)\n"
                       "  call MPI_Comm_size(MPI_COMM_WORLD, n, ierr)\n"
                       "  print '(a,i0,a,i0)', 'rank ', rank, ' of ', n\n"
                       "  call MPI_Finalize(ierr)\nend program ranks\n"}});
    auto window = openShown(path);
    MyDocument *doc = window->document();
    EXPECT_FALSE(window->optionsPane()->parallelOptionsVisible());
    doc->setProjectCompilerPath(mpif90);
    ASSERT_TRUE(window->optionsPane()->parallelOptionsVisible());
    window->optionsPane()->processorsBox()->setValue(3);
    EXPECT_EQ(doc->numberOfProcessors(), 3);
    doc->setInputOption(2);

    pressToolbarItem(window.get(), "build");
    ASSERT_TRUE(waitIdle(window.get(), kBuildTimeoutMs));
    ASSERT_TRUE(window->action("run")->isEnabled())
        << window->console()->toPlainText().toStdString();
    EXPECT_EQ(doc->compiler(), 1);

    pressToolbarItem(window.get(), "run");
    ASSERT_TRUE(waitIdle(window.get(), kRunTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(window->console()->toPlainText().contains("Execution completed"),
                             5000);
    const QString text = window->console()->toPlainText();
    for (const char *line : {"rank 0 of 3", "rank 1 of 3", "rank 2 of 3"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
}

TEST_F(BuildInWindow, TheSaveQuestionDoesNotHoldTheBuildUp)
{
    Defaults::instance().setValue(keys::autoSaveFiles, false);
    const QString path =
        makeProject({{"main.f90", "program asked\n  print *, 'one'\nend program asked\n"}});
    auto opened = MyDocument::open(path, fx.prompts);
    ASSERT_TRUE(opened.ok());
    // The window's own prompts: real window-modal message boxes.
    DocWindowController window(std::move(opened.value()));
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.changeFileTableSelectionToRow(0);
    ASSERT_TRUE(window.isEditorShown());
    window.editor()->moveCursor(QTextCursor::End);
    window.editor()->insertPlainText("! edited\n");
    ASSERT_EQ(window.currentFortranFile()->fileState(), FortranFile::Modified);

    window.action("build")->trigger();
    // The build went on while the question waits for an answer.
    EXPECT_TRUE(window.runDriver()->processIsRunning());
    QMessageBox *question = nullptr;
    for (QMessageBox *box : window.findChildren<QMessageBox *>())
        if (box->isVisible())
            question = box;
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(waitIdle(&window, kBuildTimeoutMs));
    EXPECT_TRUE(question->isVisible());

    QAbstractButton *yes = nullptr;
    for (QAbstractButton *b : question->buttons())
        if (b->text() == "Yes")
            yes = b;
    ASSERT_NE(yes, nullptr);
    QTest::mouseClick(yes, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(test::readFile(fx.path("main.f90")).contains("! edited"), 5000);
}

} // namespace
} // namespace corvane
