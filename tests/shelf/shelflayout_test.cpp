// The shelf's arithmetic and list operations, without widgets.
#include "shelf/shelfbookmarks.h"
#include "shelf/shelflayout.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

const ShelfMetrics kMetrics{120, 4}; // A spans 0..120, B 124..244, C 248..368

TEST(ShelfLayout, DestinationColumnFromPointerX)
{
    struct Case {
        const char *name;
        double x;
        int columns;
        int want;
    };
    const Case kCases[] = {
        {"A dropped past the middle of B", 190, 3, 2},
        {"C dropped before the middle of A", 30, 3, 0},
        {"exactly at the middle of A", 60, 3, 1},
        {"just before the middle of A", 59.9, 3, 0},
        {"in the gap after A", 122, 3, 1},
        {"just before the middle of B", 183, 3, 1},
        {"exactly at the middle of B", 184, 3, 2},
        {"past the middle of the last cell", 310, 3, 3},
        {"far right of the cells is clamped to the end", 5000, 3, 3},
        {"left of the matrix is clamped to the start", -40, 3, 0},
        {"an empty row", 50, 0, 0},
        {"one cell, right half", 90, 1, 1},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(destinationColumnForX(c.x, kMetrics, c.columns), c.want);
    }
    EXPECT_EQ(destinationColumnForX(50, ShelfMetrics{0, 0}, 3), 0) << "degenerate cells";
}

TEST(ShelfLayout, VisibleCountAndOverflow)
{
    const QStringList five = {"/p/a.f90", "/p/b.f90", "/p/c.f90", "/p/src/d.f90", "/p/e.f90"};
    struct Case {
        const char *name;
        QStringList bookmarks;
        int available, usable;
        int visible;
        bool overflow;
        QStringList names;
    };
    // Five cells need 5 * 120 + 4 * 4 = 616 pixels.
    const Case kCases[] = {
        {"nothing on the shelf", {}, 800, 760, 0, false, {}},
        {"all fit", five, 700, 660, 5, false, {}},
        {"needed width exactly available still overflows", five, 616, 576, 4, true, {"e.f90"}},
        {"narrowed until two do not fit", five, 420, 380, 3, true, {"d.f90", "e.f90"}},
        {"three cells with their gaps fit exactly", five, 400, 368, 3, true, {"d.f90", "e.f90"}},
        {"one pixel short of three", five, 400, 367, 2, true, {"c.f90", "d.f90", "e.f90"}},
        {"no room at all", five, 40, 10, 0, true, {"a.f90", "b.f90", "c.f90", "d.f90", "e.f90"}},
        {"negative room", five, -5, -30, 0, true, {"a.f90", "b.f90", "c.f90", "d.f90", "e.f90"}},
        {"never more cells than bookmarks", five, 600, 5000, 5, false, {}},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        const ShelfLayout got = layoutShelf(c.bookmarks, c.available, c.usable, kMetrics);
        EXPECT_EQ(got.numberOfVisibleBookmarks, c.visible);
        EXPECT_EQ(got.showsOverflow, c.overflow);
        EXPECT_EQ(got.overflowBookmarks, c.names);
    }
}

TEST(ShelfLayout, MenuItemsStandForTheBookmarksAfterTheVisibleOnes)
{
    // Five bookmarks, three visible: the menu holds bookmarks 3 and 4.
    EXPECT_EQ(bookmarkNumberForMenuSelection(0, 5, 2), 3);
    EXPECT_EQ(bookmarkNumberForMenuSelection(1, 5, 2), 4);
    EXPECT_EQ(bookmarkNumberForMenuSelection(2, 5, 2), -1);
    EXPECT_EQ(bookmarkNumberForMenuSelection(-1, 5, 2), -1);
    EXPECT_EQ(bookmarkNumberForMenuSelection(0, 0, 0), -1) << "an empty menu";
    EXPECT_EQ(bookmarkNumberForMenuSelection(0, 1, 3), -1) << "a stale menu longer than the list";
}

TEST(ShelfLayout, TitlesAreLastPathComponents)
{
    EXPECT_EQ(lastPathComponent("/p/src/solver.f90"), "solver.f90");
    EXPECT_EQ(lastPathComponent("solver.f90"), "solver.f90");
    EXPECT_EQ(lastPathComponent("/p/include/"), "include");
    EXPECT_EQ(lastPathComponent("/"), "/");
    EXPECT_EQ(lastPathComponent(""), "");
}

TEST(ShelfLayout, InsertionMarkerSitsInTheGapBeforeItsColumn)
{
    EXPECT_EQ(insertionMarkerX(0, kMetrics), 0);
    // The gap before B is 120..124.
    EXPECT_GE(insertionMarkerX(1, kMetrics), 119);
    EXPECT_LE(insertionMarkerX(1, kMetrics) + 3, 125);
    EXPECT_GE(insertionMarkerX(3, kMetrics), 368 - 3) << "after the last cell";
}

ShelfBookmarks shelfOf(const QStringList &paths)
{
    ShelfBookmarks b;
    b.addBookmarksWithNames(paths);
    return b;
}

TEST(ShelfBookmarks, MovingAlongTheShelf)
{
    struct Case {
        const char *name;
        int source, destination;
        bool changed;
        QStringList want;
    };
    const Case kCases[] = {
        {"A dropped at destination 2", 0, 2, true, {"B", "A", "C"}},
        {"C dropped at destination 0", 2, 0, true, {"C", "A", "B"}},
        {"A to the end", 0, 3, true, {"B", "C", "A"}},
        {"B before A", 1, 0, true, {"B", "A", "C"}},
        {"onto its own place", 1, 1, false, {"A", "B", "C"}},
        {"before its right neighbour", 1, 2, false, {"A", "B", "C"}},
        {"the last one to the end", 2, 3, false, {"A", "B", "C"}},
        {"a destination beyond the end is clamped", 0, 99, true, {"B", "C", "A"}},
        {"a negative destination is clamped", 2, -5, true, {"C", "A", "B"}},
        {"a source outside the list", 3, 0, false, {"A", "B", "C"}},
        {"a negative source", -1, 2, false, {"A", "B", "C"}},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        ShelfBookmarks b = shelfOf({"A", "B", "C"});
        EXPECT_EQ(b.moveBookmark(c.source, c.destination), c.changed);
        EXPECT_EQ(b.bookmarksArray(), c.want);
    }
    ShelfBookmarks empty;
    EXPECT_FALSE(empty.moveBookmark(0, 1));
    EXPECT_TRUE(empty.bookmarksArray().isEmpty());
}

TEST(ShelfBookmarks, TheSelectionFollowsItsBookmarkWhenTheOrderChanges)
{
    struct Case {
        const char *name;
        int selected, source, destination;
        QString want;
    };
    const Case kCases[] = {
        {"the moved one", 0, 0, 2, "A"},
        {"one the moved one passed rightwards", 1, 0, 3, "B"},
        {"one the moved one passed leftwards", 0, 2, 0, "A"},
        {"one it did not pass", 2, 0, 1, "C"},
    };
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        ShelfBookmarks b = shelfOf({"A", "B", "C", "A"});
        ASSERT_TRUE(b.select(c.selected));
        b.moveBookmark(c.source, c.destination);
        EXPECT_EQ(b.selectedBookmark(), c.want);
    }
    // (a restored shelf may hold a path twice) The selection is the moved one, not its twin.
    ShelfBookmarks twins = shelfOf({"A", "B", "A"});
    ASSERT_TRUE(twins.select(2));
    ASSERT_TRUE(twins.moveBookmark(2, 0));
    EXPECT_EQ(twins.selectedBookmarkNumber(), 0);
}

TEST(ShelfBookmarks, AddingSelectingAndRemoving)
{
    // (we had this bug) An empty saved shelf selected bookmark 0 of an empty list.
    ShelfBookmarks b;
    b.addBookmarksWithNames({});
    EXPECT_EQ(b.selectedBookmarkNumber(), -1);
    EXPECT_TRUE(b.selectedBookmark().isNull());

    // A saved shelf comes back as it was, twins included, with the first bookmark selected.
    b.addBookmarksWithNames({"/p/a.f90", "/p/b.f90", "/p/a.f90"});
    EXPECT_EQ(b.numberOfBookmarks(), 3);
    EXPECT_EQ(b.selectedBookmark(), "/p/a.f90");

    ShelfBookmarks c;
    EXPECT_TRUE(c.addBookmarkWithName("/p/a.f90"));
    EXPECT_TRUE(c.addBookmarkWithName("/p/b.f90"));
    EXPECT_EQ(c.selectedBookmarkNumber(), 1) << "the new bookmark is selected";
    ASSERT_TRUE(c.select(0));
    EXPECT_FALSE(c.addBookmarkWithName("/p/b.f90")) << "the same file twice";
    EXPECT_EQ(c.bookmarksArray(), QStringList({"/p/a.f90", "/p/b.f90"}));
    EXPECT_EQ(c.selectedBookmarkNumber(), 0) << "a refused add leaves the selection";
    EXPECT_FALSE(c.addBookmarkWithName(QString()));
    EXPECT_FALSE(c.select(2));
    EXPECT_FALSE(c.select(-1));
    EXPECT_EQ(c.selectedBookmarkNumber(), 0);

    EXPECT_TRUE(c.removeBookmark());
    EXPECT_EQ(c.bookmarksArray(), QStringList({"/p/b.f90"}));
    EXPECT_EQ(c.selectedBookmarkNumber(), -1);
    EXPECT_FALSE(c.removeBookmark()) << "nothing selected";

    ASSERT_TRUE(c.select(0));
    EXPECT_FALSE(c.removeBookmarkAt(1));
    EXPECT_EQ(c.selectedBookmarkNumber(), 0);
    EXPECT_TRUE(c.removeBookmarkAt(0));
    EXPECT_TRUE(c.bookmarksArray().isEmpty());
    EXPECT_EQ(c.selectedBookmarkNumber(), -1);
    EXPECT_FALSE(c.removeBookmarkAt(0));
}

} // namespace
} // namespace corvane
