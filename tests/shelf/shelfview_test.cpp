// The shelf's widgets driven with mouse and key events: dragging along the row, dragging off it,
// Escape, clicks, the add button and the overflow menu.
#include "shelf/tovrearrangablematrix.h"
#include "shelf/tovshelfcontroller.h"
#include "shelf/tovshelfview.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace corvane
{
namespace
{

class FakeDelegate : public TovShelfDelegate
{
public:
    QString nameForNewShelfItem() override { return name; }
    bool shelfItemIsInProject(const QString &path) const override
    {
        return !missing.contains(path);
    }
    QString name;
    QSet<QString> missing;
};

// A window holding a shelf along its top; the rest of the window is "off the shelf".
class ShelfWidgets : public ::testing::Test
{
protected:
    void open(const QStringList &bookmarks, int width = 800)
    {
        window = std::make_unique<QWidget>();
        window->resize(qMax(width, 300), 300);
        view = new TovShelfView(window.get());
        view->setGeometry(0, 0, width, TovShelfView::kHeight);
        shelf = new TovShelfController(view, &delegate, window.get());
        shelf->addBookmarksWithNames(bookmarks);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        matrix = view->matrix();
        selected = std::make_unique<QSignalSpy>(shelf, &TovShelfController::bookmarkWasSelected);
        changed = std::make_unique<QSignalSpy>(shelf, &TovShelfController::bookmarksWereChanged);
    }

    QPoint centreOf(int column) const { return matrix->cellRect(column).center(); }

    // Presses on a cell, moves through the points and, unless told not to, releases at the last.
    void drag(int column, const QList<QPoint> &path, bool release = true)
    {
        QTest::mousePress(matrix, Qt::LeftButton, {}, centreOf(column));
        for (const QPoint &p : path)
            QTest::mouseMove(matrix, p);
        if (release)
            QTest::mouseRelease(matrix, Qt::LeftButton, {}, path.last());
    }

    // Opens the overflow button's menu with the mouse and clicks one of its items.
    void chooseFromOverflowMenu(int item)
    {
        QMenu *menu = view->overflowMenu();
        bool clicked = false;
        auto *poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            if (!menu->isVisible())
                return;
            poll->stop();
            const QRect r = menu->actionGeometry(menu->actions().value(item));
            QTest::mouseClick(menu, Qt::LeftButton, {}, r.center());
            clicked = true;
        });
        poll->start(20);
        QTest::mouseClick(view->overflowButton(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return clicked && !menu->isVisible(); }, 3000));
        poll->deleteLater();
    }

    FakeDelegate delegate;
    std::unique_ptr<QWidget> window;
    TovShelfView *view = nullptr;
    TovShelfController *shelf = nullptr;
    TovRearrangableMatrix *matrix = nullptr;
    std::unique_ptr<QSignalSpy> selected, changed;
};

const QStringList kABC = {"/p/A.f90", "/p/B.f90", "/p/C.f90"};

TEST_F(ShelfWidgets, DraggingAlongTheShelfMovesTheBookmark)
{
    struct Case {
        const char *name;
        int column;
        int dropX; // in the matrix; A spans 0..120, B 124..244, C 248..368
        int destination;
        QStringList want;
    };
    const Case kCases[] = {
        {"A dropped past the middle of B", 0, 190, 2, {"/p/B.f90", "/p/A.f90", "/p/C.f90"}},
        {"C dropped before the middle of A", 2, 30, 0, {"/p/C.f90", "/p/A.f90", "/p/B.f90"}},
        {"A dropped after the last cell", 0, 600, 3, {"/p/B.f90", "/p/C.f90", "/p/A.f90"}},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        open(kABC);
        const int y = centreOf(0).y();
        drag(c.column, {centreOf(c.column) + QPoint(12, 0), QPoint(c.dropX, y)}, false);
        ASSERT_TRUE(matrix->isDragging());
        EXPECT_TRUE(matrix->drawInsertionMarker());
        EXPECT_EQ(matrix->destinationColumn(), c.destination);
        EXPECT_EQ(matrix->insertionMarkerRect().left(),
                  insertionMarkerX(c.destination, matrix->metrics()));
        QTest::mouseRelease(matrix, Qt::LeftButton, {}, QPoint(c.dropX, y));
        EXPECT_FALSE(matrix->isDragging());
        EXPECT_FALSE(matrix->drawInsertionMarker());
        EXPECT_EQ(shelf->bookmarksArray(), c.want);
        EXPECT_EQ(changed->count(), 1);
        EXPECT_EQ(selected->count(), 0) << "a drag is not a click";
        EXPECT_EQ(matrix->titles(), QStringList({QFileInfo(c.want[0]).fileName(),
                                                 QFileInfo(c.want[1]).fileName(),
                                                 QFileInfo(c.want[2]).fileName()}));
    }
}

TEST_F(ShelfWidgets, DroppingOntoItsOwnPlaceChangesNothing)
{
    open(kABC);
    const int y = centreOf(0).y();
    // B dropped before B's middle and before C's middle: both leave the order.
    for (int x : {130, 230}) {
        drag(1, {centreOf(1) + QPoint(0, 8), QPoint(x, y)});
        EXPECT_EQ(shelf->bookmarksArray(), kABC) << x;
    }
    EXPECT_EQ(changed->count(), 0);
}

TEST_F(ShelfWidgets, DraggingOffTheShelfRemovesTheBookmarkWithoutMarkingAChange)
{
    open(kABC);
    ASSERT_TRUE(shelf->addBookmarkWithName("/p/D.f90")); // selected
    drag(1, {centreOf(1) + QPoint(0, 10), QPoint(60, 40)}, false);
    EXPECT_FALSE(matrix->drawInsertionMarker()) << "no marker off the row";
    QTest::mouseMove(matrix, QPoint(60, 200));
    QTest::mouseRelease(matrix, Qt::LeftButton, {}, QPoint(60, 200));
    EXPECT_EQ(shelf->bookmarksArray(), QStringList({"/p/A.f90", "/p/C.f90", "/p/D.f90"}));
    EXPECT_EQ(shelf->selectedBookmarkNumber(), -1);
    EXPECT_EQ(changed->count(), 0);
    // The short disappearing animation plays where it was dropped, then goes.
    auto *poof = window->findChild<QWidget *>("disappearingItem");
    ASSERT_NE(poof, nullptr);
    EXPECT_TRUE(poof->geometry().contains(matrix->mapTo(window.get(), QPoint(60, 200))));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window->findChild<QWidget *>("disappearingItem") == nullptr; }, 2000));
}

// (we had this bug) A cancelled drag, or one dropped back on the bar, removed the bookmark.
TEST_F(ShelfWidgets, EscapeOrADropBesideTheRowKeepsTheBookmark)
{
    open(kABC);
    drag(0, {centreOf(0) + QPoint(0, 10), QPoint(60, 200)}, false);
    ASSERT_TRUE(matrix->isDragging());
    QTest::keyClick(matrix, Qt::Key_Escape);
    EXPECT_FALSE(matrix->isDragging());
    QTest::mouseRelease(matrix, Qt::LeftButton, {}, QPoint(60, 200));
    EXPECT_EQ(shelf->bookmarksArray(), kABC);
    EXPECT_EQ(selected->count(), 0) << "the release after Escape is no click";

    // Released over the add button: on the bar, beside the row.
    const QPoint onAddButton =
        matrix->mapFrom(view, view->addButton()->geometry().center());
    ASSERT_FALSE(matrix->rect().contains(onAddButton));
    drag(2, {centreOf(2) + QPoint(0, 10), onAddButton});
    EXPECT_EQ(shelf->bookmarksArray(), kABC);
    EXPECT_EQ(changed->count(), 0);
    EXPECT_EQ(window->findChild<QWidget *>("disappearingItem"), nullptr);
}

TEST_F(ShelfWidgets, AClickSelectsTheBookmark)
{
    open(kABC);
    EXPECT_EQ(shelf->selectedBookmarkNumber(), 0) << "a restored shelf selects its first";
    QTest::mouseClick(matrix, Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(shelf->selectedBookmarkNumber(), 1);
    EXPECT_EQ(shelf->selectedBookmark(), "/p/B.f90");
    EXPECT_EQ(selected->count(), 1);
    // Between the cells nothing is clicked.
    QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(122, centreOf(0).y()));
    EXPECT_EQ(selected->count(), 1);
}

TEST_F(ShelfWidgets, TheAddButtonAddsEachFileOnce)
{
    open({});
    EXPECT_EQ(shelf->selectedBookmarkNumber(), -1);
    delegate.name = "/p/solver.f90";
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    EXPECT_EQ(shelf->bookmarksArray(), QStringList({"/p/solver.f90"}));
    EXPECT_EQ(shelf->selectedBookmarkNumber(), 0);
    EXPECT_EQ(changed->count(), 1) << "the second press added nothing";
    EXPECT_EQ(matrix->titles(), QStringList({"solver.f90"}));

    delegate.name.clear(); // no usable file selected
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    EXPECT_EQ(shelf->numberOfBookmarks(), 1);

    delegate.name = "/p/other.f90";
    shelf->enableAddingBookmarks(false);
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    EXPECT_EQ(shelf->numberOfBookmarks(), 1);
    shelf->enableAddingBookmarks(true);
    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    EXPECT_EQ(shelf->numberOfBookmarks(), 2);
    EXPECT_EQ(changed->count(), 2);
}

TEST_F(ShelfWidgets, BookmarksThatDoNotFitGoIntoTheOverflowMenu)
{
    const QStringList five = {"/p/a.f90", "/p/b.f90", "/p/c.f90", "/p/d.f90", "/p/e.f90"};
    open(five);
    EXPECT_EQ(shelf->numberOfVisibleBookmarks(), 5);
    EXPECT_FALSE(view->overflowButton()->isVisible());
    QSignalSpy overflow(shelf, &TovShelfController::overflowBookmarksChanged);

    // Narrowed until two of the five do not fit.
    view->resize(480, TovShelfView::kHeight);
    EXPECT_EQ(shelf->numberOfVisibleBookmarks(), 3);
    EXPECT_EQ(matrix->numberOfColumns(), 3);
    EXPECT_TRUE(view->overflowButton()->isVisible());
    EXPECT_TRUE(view->overflowArrow()->isVisible());
    EXPECT_EQ(shelf->overflowBookmarks(), QStringList({"d.f90", "e.f90"}));
    EXPECT_EQ(overflow.count(), 1);
    ASSERT_EQ(view->overflowMenu()->actions().size(), 2);
    EXPECT_EQ(view->overflowMenu()->actions()[0]->text(), "d.f90");
    // The row ends at the arrow.
    EXPECT_LE(matrix->geometry().right(), view->overflowArrow()->x());

    chooseFromOverflowMenu(0);
    EXPECT_EQ(shelf->selectedBookmarkNumber(), 3);
    EXPECT_EQ(shelf->selectedBookmark(), "/p/d.f90");
    EXPECT_EQ(selected->count(), 1);

    view->resize(800, TovShelfView::kHeight);
    EXPECT_EQ(shelf->numberOfVisibleBookmarks(), 5);
    EXPECT_FALSE(view->overflowButton()->isVisible());
    EXPECT_TRUE(shelf->overflowBookmarks().isEmpty()) << "no stale menu once all fit";
    EXPECT_TRUE(view->overflowMenu()->actions().isEmpty());
}

// (we had this bug) Removing the last bookmark left its item in a visible overflow menu.
TEST_F(ShelfWidgets, AnEmptiedShelfHasNoOverflowMenu)
{
    open({"/p/a.f90"}, 60);
    EXPECT_EQ(shelf->numberOfVisibleBookmarks(), 0);
    EXPECT_TRUE(view->overflowButton()->isVisible());
    shelf->menuSelected(0);
    EXPECT_EQ(shelf->selectedBookmark(), "/p/a.f90");
    shelf->removeBookmark();
    EXPECT_EQ(shelf->numberOfBookmarks(), 0);
    EXPECT_FALSE(view->overflowButton()->isVisible());
    EXPECT_TRUE(view->overflowMenu()->actions().isEmpty());
    shelf->menuSelected(0);
    EXPECT_EQ(shelf->selectedBookmarkNumber(), -1);
    EXPECT_EQ(selected->count(), 1);
}

TEST_F(ShelfWidgets, BookmarksOfFilesThatLeftTheProjectAreGreyed)
{
    delegate.missing = {"/p/B.f90"};
    open(kABC);
    EXPECT_FALSE(matrix->isGreyed(0));
    EXPECT_TRUE(matrix->isGreyed(1));
    // Still chosen: the project window answers with a beep.
    QTest::mouseClick(matrix, Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(selected->count(), 1);
    delegate.missing.clear();
    shelf->fileListDidChange();
    EXPECT_FALSE(matrix->isGreyed(1));
    // In the overflow menu such a bookmark is set in italics.
    delegate.missing = {"/p/C.f90"};
    view->resize(300, TovShelfView::kHeight);
    ASSERT_EQ(shelf->overflowBookmarks().last(), "C.f90");
    EXPECT_TRUE(view->overflowMenu()->actions().last()->font().italic());
    EXPECT_FALSE(view->overflowMenu()->actions().first()->font().italic());
}

TEST_F(ShelfWidgets, ACellsContextMenuRemovesItsBookmark)
{
    open(kABC);
    bool chosen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll.stop();
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->actions().value(0)).center());
        chosen = true;
    });
    poll.start(20);
    QContextMenuEvent event(QContextMenuEvent::Mouse, centreOf(1),
                            matrix->mapToGlobal(centreOf(1)));
    QApplication::sendEvent(matrix, &event);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen; }, 3000));
    EXPECT_EQ(shelf->bookmarksArray(), QStringList({"/p/A.f90", "/p/C.f90"}));
    EXPECT_EQ(changed->count(), 1) << "a chosen removal is a change to save";
}

} // namespace
} // namespace corvane
