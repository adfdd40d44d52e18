// The shelf's arithmetic, free of widgets: how many bookmark cells fit in the bar, which names go
// into the overflow menu, which menu item stands for which bookmark, and before which column a
// drop at a pointer position inserts.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

// The geometry of the one-row cell matrix: every cell has the same width, with a fixed gap.
struct ShelfMetrics {
    int cellWidth = 0;
    int spacing = 0;
};

struct ShelfLayout {
    int numberOfVisibleBookmarks = 0;
    bool showsOverflow = false; // exactly when some bookmarks have no cell
    // Titles of the bookmarks without a cell, in shelf order (empty when all fit).
    QStringList overflowBookmarks;
};

// The title of a bookmark's cell or menu item: "/p/src/solver.f90" -> "solver.f90".
QString lastPathComponent(const QString &path);

// Lays out bookmarks in a bar. availableWidth is the bar's width right of the matrix's left edge;
// usableWidth the room between the matrix's left edge and the overflow arrow. When everything
// does not fit, as many cells as fit in usableWidth are shown (never fewer than 0, never more
// than there are bookmarks) and the rest go to the overflow menu.
ShelfLayout layoutShelf(const QStringList &bookmarks, int availableWidth, int usableWidth,
                        const ShelfMetrics &metrics);

// The bookmark an overflow-menu item stands for: the menu lists the bookmarks after the visible
// ones, so item i is bookmark i + (count - overflowCount). -1 for an item outside the menu.
int bookmarkNumberForMenuSelection(int item, int count, int overflowCount);

// The column a drop at x (matrix coordinates) inserts before, 0..columnCount: the column under
// the pointer, or the next one from the middle of a cell on. Positions left or right of the
// cells are clamped to the ends.
int destinationColumnForX(double x, const ShelfMetrics &metrics, int columnCount);

// The left edge of the thin marker drawn in the gap before column c (after the last cell when c
// is the column count).
int insertionMarkerX(int column, const ShelfMetrics &metrics);

} // namespace corvane
