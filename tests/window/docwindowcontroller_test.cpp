// The project window's file switching, history, file list commands and closing guards, driven
// through its operations and QTest events on an offscreen window.
#include "build/console.h"
#include "project/fileoperations.h"
#include "project/fortranfile.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "window/consoleview.h"
#include "window/diagnosticspane.h"
#include "window/filelistmodel.h"
#include "windowtestutil.h"

#include <QAction>
#include <QApplication>
#include <QTreeWidget>
#include <QListView>
#include <QMimeData>
#include <QPrinter>
#include <QTextBlock>
#include <QUrl>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace
{

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        projectPath = fx.makeProject({{"a.f90", "program a\nend program a\n"},
                                      {"b.f90", "module b\nend module b\n"},
                                      {"c.f90", "module c\nend module c\n"},
                                      {"d.f90", "module d\nend module d\n"}});
        window = fx.open(projectPath);
        window->show();
    }

    FortranFile *file(const QString &name) const
    {
        return window->document()->fortranFileNamed(fx.path(name));
    }
    void select(const QString &name)
    {
        window->changeFileTableSelectionToRow(window->fileListModel()->rowOf(file(name)));
    }
    QStringList historyNames() const
    {
        QStringList names;
        for (FortranFile *f : window->history().files())
            names << QFileInfo(f->filePath()).fileName();
        return names;
    }

    ProjectFixture fx;
    QString projectPath;
    std::unique_ptr<DocWindowController> window;
};

TEST_F(WindowTest, SwitchingFilesKeepsEachFilesTextUndoAndSelection)
{
    select("a.f90");
    ASSERT_EQ(window->currentFortranFile(), file("a.f90"));
    CorvaneTextView *editor = window->editor();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, "! edited");
    QTextCursor c = editor->textCursor();
    c.setPosition(2);
    c.setPosition(6, QTextCursor::KeepAnchor);
    editor->setTextCursor(c);

    select("b.f90");
    EXPECT_EQ(editor->toPlainText(), "module b\nend module b\n");
    EXPECT_EQ(file("a.f90")->selectedRange(), (TextRange{2, 4}));

    select("a.f90");
    EXPECT_TRUE(editor->toPlainText().endsWith("! edited"));
    EXPECT_EQ(editor->textCursor().selectionStart(), 2);
    EXPECT_EQ(editor->textCursor().selectionEnd(), 6);
    // The undo history came back with the file.
    ASSERT_TRUE(editor->document()->isUndoAvailable());
    editor->undo();
    EXPECT_EQ(editor->toPlainText(), "program a\nend program a\n");
}

TEST_F(WindowTest, TypingMarksTheFileModifiedWithItsIconAndTheWindowModified)
{
    select("b.f90");
    window->document()->markUnchanged();
    const QModelIndex row =
        window->fileListModel()->index(window->fileListModel()->rowOf(file("b.f90")));
    EXPECT_TRUE(row.data(Qt::DecorationRole).isNull());
    EXPECT_FALSE(window->isWindowModified());
    QTest::keyClicks(window->editor(), "x");
    EXPECT_EQ(file("b.f90")->fileState(), FortranFile::Modified);
    // The edit is the file's; the window's mark shows that Save has something to write.
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_FALSE(row.data(Qt::DecorationRole).isNull());
    // Moving the caret is not an edit.
    select("a.f90");
    window->editor()->moveCursor(QTextCursor::End);
    EXPECT_EQ(file("a.f90")->fileState(), FortranFile::Saved);
}

TEST_F(WindowTest, SelectingTheCurrentFileAgainChangesNothing)
{
    select("a.f90");
    EXPECT_FALSE(window->swapEditorToFortranFile(file("a.f90")));
    select("a.f90");
    EXPECT_EQ(historyNames(), QStringList({"a.f90"}));
    EXPECT_EQ(window->history().index(), 0);
}

TEST_F(WindowTest, HistoryDropsForwardEntriesWhenANewFileIsOpenedAfterGoingBack)
{
    select("a.f90");
    select("b.f90");
    select("c.f90");
    EXPECT_FALSE(window->action("moveToNextFile")->isEnabled());
    window->moveToPreviousFile();
    window->moveToPreviousFile();
    EXPECT_EQ(window->currentFortranFile(), file("a.f90"));
    EXPECT_FALSE(window->action("moveToPreviousFile")->isEnabled());
    EXPECT_TRUE(window->action("moveToNextFile")->isEnabled());
    select("d.f90");
    EXPECT_EQ(historyNames(), QStringList({"a.f90", "d.f90"}));
    EXPECT_EQ(window->history().index(), 1);
    EXPECT_EQ(window->currentFortranFile(), file("d.f90"));
}

TEST_F(WindowTest, AltArrowKeysMoveThroughTheHistory)
{
    select("a.f90");
    select("b.f90");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window->currentFortranFile(), file("a.f90"));
    QTest::keyClick(window.get(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window->currentFortranFile(), file("b.f90"));
    EXPECT_EQ(historyNames(), QStringList({"a.f90", "b.f90"}));
}

TEST_F(WindowTest, RemovingRowsMovesTheSelectionAndEmptiesTheHistory)
{
    select("a.f90");
    select("b.f90");
    // Removing a later row selects the row before it.
    window->removeFileAction(window->fileListModel()->rowOf(file("b.f90")));
    EXPECT_EQ(window->currentFortranFile(), file("a.f90"));
    EXPECT_EQ(historyNames(), QStringList({"a.f90"}));
    // Removing the first row selects the new first row.
    window->removeFileAction(0);
    EXPECT_EQ(window->selectedRow(), 0);
    EXPECT_EQ(window->currentFortranFile(), file("c.f90"));
    EXPECT_TRUE(window->action("removeFile")->isEnabled());
    window->removeFileAction(0);
    window->removeFileAction(0);
    EXPECT_EQ(window->document()->projectFiles().size(), 0);
    EXPECT_EQ(window->currentFortranFile(), nullptr);
    EXPECT_EQ(window->noEditorMessage(), "No project files to edit.");
    EXPECT_EQ(window->currentFileName(), "");
    EXPECT_FALSE(window->action("removeFile")->isEnabled());
    EXPECT_FALSE(window->action("build")->isEnabled());
}

TEST_F(WindowTest, ALostFileShowsTheMessageAndCanBeReselectedOnceBack)
{
    select("a.f90");
    QFile::rename(fx.path("c.f90"), fx.path("c.moved"));
    QFile::remove(fx.path("c.moved"));
    select("c.f90");
    EXPECT_EQ(window->noEditorMessage(),
              "The file has been moved, deleted or had its name changed and cannot be found.");
    EXPECT_EQ(file("c.f90")->fileState(), FortranFile::Lost);
    EXPECT_EQ(window->currentFortranFile(), nullptr);
    // The file that was detached comes back when chosen again (we had this bug: it stayed
    // "current" while the editor was hidden, so choosing it did nothing).
    select("a.f90");
    EXPECT_TRUE(window->isEditorShown());
    EXPECT_EQ(window->currentFortranFile(), file("a.f90"));
}

TEST_F(WindowTest, AFileEditedHereAndChangedOnDiskAsksWhenSwitchedTo)
{
    struct Case {
        const char *name;
        int answer;
        bool switched;
        const char *expectText;
    };
    const Case cases[] = {
        {"keep the one here", 0, true, "program a\nend program a\n!here"},
        {"use the version on disk", 1, true, "program disk\n"},
        {"cancelled", -1, false, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        select("a.f90");
        window->editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(window->editor(), "!here");
        select("b.f90");
        // Another program writes the file later than it was read.
        file("a.f90")->setTimeStamp(QDateTime::currentDateTime().addSecs(-60));
        writeFile(fx.path("a.f90"), "program disk\n");
        window->document()->setLastBatchSaveTime(QDateTime::currentDateTime().addSecs(-30));
        fx.prompts.asked.clear();
        fx.prompts.script = {c.answer};
        select("a.f90");
        ASSERT_EQ(fx.prompts.asked.size(), 1);
        EXPECT_TRUE(fx.prompts.asked.first().startsWith(
            "The file a.f90 has been modified. Do you want to use the version on disk"));
        EXPECT_EQ(window->currentFortranFile() == file("a.f90"), c.switched);
        if (c.expectText) {
            EXPECT_EQ(window->editor()->toPlainText(), c.expectText);
        }
        // Reset for the next case.
        writeFile(fx.path("a.f90"), "program a\nend program a\n");
        select("b.f90");
        file("a.f90")->dropTextStorage();
        file("a.f90")->setFileState(FortranFile::Saved);
    }
}

TEST_F(WindowTest, TabsWrapAroundAndOnlyTheEditorTabEnablesEditorCommands)
{
    window->switchTabTo(DocWindowController::NotesTab);
    window->moveToNextTab();
    EXPECT_EQ(window->currentTab(), DocWindowController::ConsoleTab);
    EXPECT_FALSE(window->action("openSelectedFile")->isEnabled());
    window->moveToPreviousTab();
    EXPECT_EQ(window->currentTab(), DocWindowController::NotesTab);
    window->moveToPreviousTab();
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
    EXPECT_TRUE(window->action("openSelectedFile")->isEnabled());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(window->currentTab(), DocWindowController::ConsoleTab);
}

TEST_F(WindowTest, ChangeEditorToFileNamedBeepsForUnknownNames)
{
    window->switchTabTo(DocWindowController::ConsoleTab);
    EXPECT_EQ(window->changeEditorToFileNamed(fx.path("nothere.f90")), -1);
    EXPECT_EQ(fx.prompts.beeps, 1);
    EXPECT_EQ(window->currentTab(), DocWindowController::ConsoleTab);
    const int row = window->changeEditorToFileNamed(fx.path("c.f90"));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(window->currentFortranFile(), file("c.f90"));
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
}

TEST_F(WindowTest, DroppingAFolderAddsOnlyFortranSourcesAndIncludes)
{
    writeFile(fx.path("more/e.f90"), "module e\nend module e\n");
    writeFile(fx.path("more/f.inc"), "integer :: f\n");
    writeFile(fx.path("more/notes.txt"), "not fortran\n");
    writeFile(fx.path("more/deep/g.F"), "      end\n");
    auto *mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(fx.path("more"))});
    FileListModel *model = window->fileListModel();
    EXPECT_TRUE(model->canDropMimeData(mime, Qt::CopyAction, -1, -1, {}));
    EXPECT_TRUE(model->dropMimeData(mime, Qt::CopyAction, -1, -1, {}));
    QStringList names = window->document()->fileNames();
    EXPECT_TRUE(names.contains(fx.path("more/e.f90")));
    EXPECT_TRUE(names.contains(fx.path("more/f.inc")));
    EXPECT_TRUE(names.contains(fx.path("more/deep/g.F")));
    EXPECT_FALSE(names.contains(fx.path("more/notes.txt")));
    EXPECT_EQ(model->rowCount(), names.size());
    // A drop that is not made of file names is refused.
    auto *web = new QMimeData;
    web->setUrls({QUrl("https://example.org/x.f90")});
    EXPECT_FALSE(model->canDropMimeData(web, Qt::CopyAction, -1, -1, {}));
    EXPECT_FALSE(model->dropMimeData(web, Qt::CopyAction, -1, -1, {}));
    auto *text = new QMimeData;
    text->setText("a.f90");
    EXPECT_FALSE(model->canDropMimeData(text, Qt::CopyAction, -1, -1, {}));
    delete mime;
    delete web;
    delete text;
}

TEST_F(WindowTest, OpeningInTheExternalEditorWithoutARowExplains)
{
    window->openSelectedFile(-1);
    ASSERT_EQ(fx.prompts.alerts.size(), 1);
    EXPECT_EQ(fx.prompts.alerts.first(), "Double click a file name to open in external editor");
}

TEST_F(WindowTest, LostFilesShowTheLostIcon)
{
    QFile::remove(fx.path("d.f90"));
    window->document()->projectFiles().last()->setBookmark({});
    select("d.f90");
    const QModelIndex row = window->fileListModel()->index(3);
    EXPECT_FALSE(row.data(Qt::DecorationRole).isNull());
    EXPECT_EQ(row.data(Qt::DisplayRole).toString(), "d.f90");
}

TEST_F(WindowTest, PrintingPrintsTheTabInFront)
{
    select("b.f90");
    CorvaneNote note;
    note.date = QDateTime(QDate(2024, 3, 1), QTime(9, 30));
    note.noteHeader = "Idea";
    note.noteText = "Try a smaller grid";
    window->document()->addNote(note);
    window->console()->append("Corvane: Execution completed.\n", Console::Role::Info);
    struct Case {
        int tab;
        QString want;
    };
    const Case cases[] = {
        {DocWindowController::EditorTab, "module b\nend module b\n"},
        {DocWindowController::ConsoleTab, "Corvane: Execution completed.\n"},
        {DocWindowController::NotesTab, note.noteForPrinting()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tab);
        window->switchTabTo(c.tab);
        EXPECT_EQ(window->textForPrinting(), c.want);
    }
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fx.path("notes.pdf"));
    window->printTo(printer);
    EXPECT_TRUE(readFile(fx.path("notes.pdf")).startsWith("%PDF"));
}

// Choosing a diagnostic opens its file with its line selected, as a find result does, also for
// lines past the end and line numbers no int holds.
TEST_F(WindowTest, ChoosingADiagnosticSelectsItsLine)
{
    writeFile(fx.path("c.f90"), "module c\n  integer :: x\n  real :: y\nend module c\n");
    const QString path = fx.path("c.f90");
    const struct {
        quint64 line;
        QString selected;
    } cases[] = {
        {3, QString("  real :: y") + QChar::ParagraphSeparator},
        {99, ""}, // the empty line after the last line end
        {quint64(1) << 40, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        select("a.f90");
        ErrorsDictionary errors;
        errors.insert(path, {FindResult(path, "error", c.line, 5)});
        window->diagnosticsPane()->fill(errors);
        QTreeWidget *outline = window->diagnosticsPane()->outline();
        QTreeWidgetItem *row = outline->topLevelItem(0)->child(0);
        ASSERT_NE(row, nullptr);
        outline->scrollToItem(row);
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                          outline->visualItemRect(row).center());
        ASSERT_EQ(window->currentFortranFile(), file("c.f90"));
        EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
        EXPECT_EQ(window->editor()->textCursor().selectedText(), c.selected);
        EXPECT_EQ(window->editorController()->currentLineNumber(), c.line == 3 ? 3 : 5);
        EXPECT_TRUE(window->editor()->hasFocus() || !QApplication::focusWidget());
    }
}

} // namespace
