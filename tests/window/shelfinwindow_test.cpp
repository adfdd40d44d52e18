// The bookmark shelf in a project window: adding the file in the editor, choosing a bookmark,
// dragging along and off the shelf with the mouse, the overflow menu, and the shelf coming back
// after saving and reopening.
#include "project/fortranfile.h"
#include "shelf/tovrearrangablematrix.h"
#include "shelf/tovshelfcontroller.h"
#include "shelf/tovshelfview.h"
#include "editor/corvanetextview.h"
#include "windowtestutil.h"

#include <QListView>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace corvane
{
namespace
{

using test::ProjectFixture;

class ShelfInWindow : public ::testing::Test
{
protected:
    // A project with the given sources and saved shelf, opened in a shown window.
    std::unique_ptr<DocWindowController> openProject(const QStringList &names,
                                                     const QStringList &shelfNames = {})
    {
        MyDocument doc;
        QStringList paths;
        for (const QString &name : names) {
            test::writeFile(fx.path(name), "program " + name.left(1).toUtf8() + "\nend\n");
            paths << fx.path(name);
        }
        doc.addFileNames(paths, false);
        QStringList shelf;
        for (const QString &name : shelfNames)
            shelf << fx.path(name);
        if (!shelf.isEmpty())
            doc.setShelfFiles(shelf);
        projectPath = fx.path("Demo.corvane");
        EXPECT_TRUE(doc.write(projectPath).ok());
        return reopen();
    }

    std::unique_ptr<DocWindowController> reopen()
    {
        auto window = fx.open(projectPath);
        window->resize(1280, 800);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::qWait(200); // the saved selection returns
        return window;
    }

    QStringList paths(const QStringList &names) const
    {
        QStringList out;
        for (const QString &name : names)
            out << fx.path(name);
        return out;
    }

    static TovRearrangableMatrix *matrixOf(DocWindowController *w)
    {
        return w->shelfController()->shelf()->matrix();
    }

    static void clickRow(DocWindowController *window, int row)
    {
        QListView *list = window->fileList();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    static void dragCell(TovRearrangableMatrix *matrix, int column, const QPoint &to)
    {
        const QPoint from = matrix->cellRect(column).center();
        QTest::mousePress(matrix, Qt::LeftButton, {}, from);
        QTest::mouseMove(matrix, from + QPoint(10, 6));
        QTest::mouseMove(matrix, to);
        QTest::mouseRelease(matrix, Qt::LeftButton, {}, to);
    }

    ProjectFixture fx;
    QString projectPath;
};

TEST_F(ShelfInWindow, TheAddButtonBookmarksTheFileInTheEditorAndTheShelfIsSaved)
{
    auto window = openProject({"a.f90", "b.f90", "c.f90"});
    QToolButton *add = window->shelfController()->shelf()->addButton();
    EXPECT_FALSE(add->isEnabled()) << "no file in the editor yet";
    clickRow(window.get(), 0);
    ASSERT_EQ(window->currentFileName(), "a.f90");
    EXPECT_TRUE(add->isEnabled());
    EXPECT_FALSE(window->document()->isDocumentEdited());
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_TRUE(window->document()->isDocumentEdited());
    clickRow(window.get(), 2);
    QTest::mouseClick(add, Qt::LeftButton);
    clickRow(window.get(), 0);
    QTest::mouseClick(add, Qt::LeftButton); // already on the shelf
    EXPECT_EQ(window->shelfController()->bookmarksArray(), paths({"a.f90", "c.f90"}));
    EXPECT_EQ(matrixOf(window.get())->titles(), QStringList({"a.f90", "c.f90"}));

    ASSERT_TRUE(window->saveDocument());
    window.reset();
    window = reopen();
    EXPECT_EQ(window->shelfController()->bookmarksArray(), paths({"a.f90", "c.f90"}));
    EXPECT_FALSE(window->document()->isDocumentEdited()) << "restoring is no change";

    // Removing every file leaves nothing to bookmark.
    clickRow(window.get(), 1);
    ASSERT_TRUE(window->shelfController()->shelf()->addButton()->isEnabled());
    while (!window->document()->projectFiles().isEmpty())
        window->removeFileAction(0);
    EXPECT_FALSE(window->shelfController()->shelf()->addButton()->isEnabled());
}

TEST_F(ShelfInWindow, ChoosingABookmarkOpensItsFileInTheEditor)
{
    auto window = openProject({"a.f90", "b.f90", "c.f90"}, {"c.f90", "a.f90"});
    window->switchTabTo(DocWindowController::ConsoleTab);
    QTest::mouseClick(matrixOf(window.get()), Qt::LeftButton, {},
                      matrixOf(window.get())->cellRect(0).center());
    EXPECT_EQ(window->currentFileName(), "c.f90");
    EXPECT_EQ(window->currentTab(), DocWindowController::EditorTab);
    EXPECT_EQ(window->selectedRow(), 2);
    EXPECT_FALSE(window->document()->isDocumentEdited());
}

TEST_F(ShelfInWindow, DraggingAlongTheShelfReordersAndIsSaved)
{
    auto window = openProject({"a.f90", "b.f90", "c.f90"}, {"a.f90", "b.f90", "c.f90"});
    TovRearrangableMatrix *matrix = matrixOf(window.get());
    ASSERT_EQ(matrix->numberOfColumns(), 3);
    // A dropped past the middle of B.
    const QRect b = matrix->cellRect(1);
    dragCell(matrix, 0, QPoint(b.center().x() + 10, b.center().y()));
    EXPECT_EQ(window->shelfController()->bookmarksArray(), paths({"b.f90", "a.f90", "c.f90"}));
    EXPECT_TRUE(window->document()->isDocumentEdited());
    EXPECT_TRUE(window->isWindowModified());

    ASSERT_TRUE(window->saveDocument());
    window.reset();
    window = reopen();
    EXPECT_EQ(window->shelfController()->bookmarksArray(), paths({"b.f90", "a.f90", "c.f90"}));
}

TEST_F(ShelfInWindow, DraggingOffTheShelfIntoTheEditorRemovesTheBookmarkOnly)
{
    auto window = openProject({"a.f90", "b.f90", "c.f90"}, {"a.f90", "b.f90", "c.f90"});
    clickRow(window.get(), 0);
    ASSERT_TRUE(window->isEditorShown());
    ASSERT_FALSE(window->document()->isDocumentEdited());
    TovRearrangableMatrix *matrix = matrixOf(window.get());
    const QPoint inEditor = matrix->mapFrom(window.get(), window->editor()->mapTo(
                                                              window.get(), QPoint(200, 200)));
    dragCell(matrix, 1, inEditor);
    EXPECT_EQ(window->shelfController()->bookmarksArray(), paths({"a.f90", "c.f90"}));
    EXPECT_EQ(window->document()->projectFiles().size(), 3) << "the file stays in the project";
    EXPECT_FALSE(window->document()->isDocumentEdited());
    EXPECT_NE(window->findChild<QWidget *>("disappearingItem"), nullptr);

    // Saved later, the shorter shelf is what comes back.
    ASSERT_TRUE(window->saveDocument());
    window.reset();
    window = reopen();
    EXPECT_EQ(window->shelfController()->bookmarksArray(), paths({"a.f90", "c.f90"}));
}

TEST_F(ShelfInWindow, AChoiceFromTheOverflowMenuOpensThatFile)
{
    const QStringList names = {"f1.f90", "f2.f90", "f3.f90", "f4.f90", "f5.f90",
                               "f6.f90", "f7.f90", "f8.f90", "f9.f90", "g1.f90"};
    auto window = openProject(names, names);
    TovShelfController *shelf = window->shelfController();
    window->resize(900, 700);
    QTest::qWait(50);
    const int visible = shelf->numberOfVisibleBookmarks();
    ASSERT_GT(visible, 0);
    ASSERT_LT(visible, 10);
    QToolButton *more = shelf->shelf()->overflowButton();
    ASSERT_TRUE(more->isVisible());
    QMenu *menu = shelf->shelf()->overflowMenu();
    ASSERT_EQ(menu->actions().size(), 10 - visible);
    EXPECT_EQ(menu->actions()[0]->text(), names[visible]);

    bool clicked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!menu->isVisible())
            return;
        poll.stop();
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions()[0]).center());
        clicked = true;
    });
    poll.start(20);
    QTest::mouseClick(more, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicked && !menu->isVisible(); }, 3000));
    EXPECT_EQ(shelf->selectedBookmarkNumber(), visible);
    EXPECT_EQ(window->currentFileName(), names[visible]);
}

// (we had this bug) A bookmark of a file no longer in the project looked like any other and
// choosing it did nothing at all.
TEST_F(ShelfInWindow, ABookmarkOfARemovedFileIsGreyedAndBeeps)
{
    auto window = openProject({"a.f90", "b.f90"}, {"a.f90", "b.f90"});
    TovRearrangableMatrix *matrix = matrixOf(window.get());
    EXPECT_FALSE(matrix->isGreyed(1));
    window->removeFileAction(1);
    ASSERT_EQ(window->document()->projectFiles().size(), 1);
    EXPECT_TRUE(matrix->isGreyed(1));
    EXPECT_FALSE(matrix->isGreyed(0));
    const int beeps = fx.prompts.beeps;
    QTest::mouseClick(matrix, Qt::LeftButton, {}, matrix->cellRect(1).center());
    EXPECT_EQ(fx.prompts.beeps, beeps + 1);
    EXPECT_EQ(window->document()->projectFiles().size(), 1);
    EXPECT_EQ(window->shelfController()->numberOfBookmarks(), 2) << "the bookmark stays";
}

} // namespace
} // namespace corvane
