// The input file's tab and commands in the project window, and who owns the progress item when
// a run, indexing and file loading overlap.
#include "build/interactiveconsolecontroller.h"
#include "build/rundriver.h"
#include "project/projectindexer.h"
#include "window/optionspane.h"
#include "windowtestutil.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTabBar>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

class InputFileTab : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::writeFile(fx.path("in.txt"), "1 2 3\n");
        window = fx.open(fx.makeProject({{"a.f90", "program a\nend program a\n"}}));
        doc = window->document();
        tabs = window->findChild<QTabBar *>();
        ASSERT_NE(tabs, nullptr);
    }

    bool inputCellShown() const { return tabs->isTabVisible(DocWindowController::InputFileTab); }
    QString shownText() const { return window->inputFileEditor()->toPlainText(); }

    test::ProjectFixture fx;
    std::unique_ptr<DocWindowController> window;
    MyDocument *doc = nullptr;
    QTabBar *tabs = nullptr;
};

TEST_F(InputFileTab, EditSaveAndLeaveTheTab)
{
    EXPECT_FALSE(window->action("editInputFile")->isEnabled()) << "no input file yet";
    doc->setInputFileName(fx.path("in.txt"));
    doc->setInputOption(0);
    window->validateCommands();
    ASSERT_TRUE(window->action("editInputFile")->isEnabled());

    window->action("editInputFile")->trigger();
    EXPECT_EQ(window->commandState().tab, DocWindowController::InputFileTab);
    EXPECT_TRUE(inputCellShown());
    EXPECT_EQ(tabs->currentIndex(), DocWindowController::InputFileTab);
    EXPECT_EQ(shownText(), "1 2 3\n");
    EXPECT_EQ(window->inputFileEditor()->textCursor().position(), 0);
    EXPECT_FALSE(doc->inputFileWasEdited());

    QTest::keyClicks(window->inputFileEditor(), "9 ");
    EXPECT_TRUE(doc->inputFileWasEdited());
    ASSERT_TRUE(window->action("saveInputFile")->isEnabled());
    window->action("saveInputFile")->trigger();
    EXPECT_EQ(test::readFile(fx.path("in.txt")), "9 1 2 3\n");
    EXPECT_FALSE(doc->inputFileWasEdited());

    window->switchTabTo(DocWindowController::ConsoleTab);
    EXPECT_FALSE(inputCellShown());
    EXPECT_FALSE(window->action("saveInputFile")->isEnabled());
    // Shown again: the text is not read a second time, so it stays as it is here.
    window->inputFileEditor()->setPlainText("kept");
    window->action("editInputFile")->trigger();
    EXPECT_EQ(shownText(), "kept");
}

TEST_F(InputFileTab, ChoosingAndCreatingFiles)
{
    doc->setInputOption(2); // typed input so far
    test::writeFile(fx.path("other.txt"), "4 5 6\n");

    window->browseForInputFile({fx.path("other.txt")});
    EXPECT_EQ(doc->inputOption(), 0) << "a chosen file is read by the program";
    EXPECT_EQ(doc->storedInputFileName(), fx.path("other.txt"));
    EXPECT_EQ(shownText(), "4 5 6\n");
    EXPECT_TRUE(inputCellShown());
    EXPECT_EQ(window->optionsPane()->shownInputFileName(), "other.txt");

    // The same file again is not re-read: the edits in the tab stay.
    QTest::keyClicks(window->inputFileEditor(), "7 ");
    window->browseForInputFile({fx.path("other.txt")});
    EXPECT_EQ(shownText(), "7 4 5 6\n");

    // Another file: the edits go to the file they belong to first, then the new text shows.
    window->browseForInputFile({fx.path("in.txt")});
    EXPECT_EQ(test::readFile(fx.path("other.txt")), "7 4 5 6\n");
    EXPECT_EQ(shownText(), "1 2 3\n");

    // A new file is empty, and the tab shows it empty rather than the previous file's text.
    window->createNewInputFileAt(fx.path("InputFile.txt"));
    EXPECT_TRUE(QFile::exists(fx.path("InputFile.txt")));
    EXPECT_EQ(doc->storedInputFileName(), fx.path("InputFile.txt"));
    EXPECT_EQ(shownText(), "");
    QTest::keyClicks(window->inputFileEditor(), "8");
    window->action("saveInputFile")->trigger();
    EXPECT_EQ(test::readFile(fx.path("InputFile.txt")), "8");
    EXPECT_EQ(test::readFile(fx.path("in.txt")), "1 2 3\n");

    // A file that cannot be created leaves the input file as it was.
    window->createNewInputFileAt(fx.path("no/such/folder/x.txt"));
    EXPECT_EQ(doc->storedInputFileName(), fx.path("InputFile.txt"));
    EXPECT_FALSE(fx.prompts.errors.isEmpty());
}

TEST_F(InputFileTab, ProgressItemBelongsToIndexingWhileItRunsThenToTheRunAgain)
{
    const QString program = fx.path(doc->executableName());
    test::writeFile(program, "#!/bin/sh\nexec sleep 30\n");
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    doc->setInputOption(1);
    ProjectIndexer *indexer = window->indexer();
    QTRY_VERIFY_WITH_TIMEOUT(window->progressText().isEmpty(), 5000); // first indexing over

    ASSERT_TRUE(window->runDriver()->run());
    EXPECT_EQ(window->progressText(), "Running...");
    emit indexer->progressStarted("Indexing...");
    EXPECT_EQ(window->progressText(), "Indexing...");
    emit indexer->progressStopped();
    EXPECT_EQ(window->progressText(), "Running...") << "the run still goes on";

    // Loading a file while the program runs shows "Loading..." and then the run again.
    window->changeFileTableSelectionToRow(0);
    ASSERT_TRUE(window->isEditorShown());
    EXPECT_EQ(window->progressText(), "Running...");

    // The run ends while indexing goes on: indexing keeps its text.
    emit indexer->progressStarted("Indexing...");
    window->action("abort")->trigger();
    EXPECT_FALSE(window->runDriver()->processIsRunning());
    EXPECT_EQ(window->progressText(), "Indexing...");
    emit indexer->progressStopped();
    EXPECT_EQ(window->progressText(), "");
}

} // namespace
} // namespace corvane
