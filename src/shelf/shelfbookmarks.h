// ShelfBookmarks: the shelf's list of bookmarked paths and its selection, with the operations the
// shelf's buttons, drags and menu perform. Each operation says whether the list changed, so the
// controller knows when to lay the bar out again and when the project has something new to save.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane
{

class ShelfBookmarks
{
public:
    const QStringList &bookmarksArray() const { return m_bookmarks; }
    int selectedBookmarkNumber() const { return m_selected; }
    int numberOfBookmarks() const { return int(m_bookmarks.size()); }
    // The selected path; null when nothing (or nothing valid) is selected.
    QString selectedBookmark() const;

    // Appends every path as it is (the saved shelf of a project), then selects the first
    // bookmark, or nothing when the shelf is still empty.
    void addBookmarksWithNames(const QStringList &paths);
    // Appends path and selects it; false (nothing changes) for an empty path or one already on
    // the shelf.
    bool addBookmarkWithName(const QString &path);
    // Removes the selected bookmark; the selection becomes -1. False when nothing is selected.
    bool removeBookmark();
    // Selects a bookmark; false for a number outside the list (the selection stays).
    bool select(int number);
    // Moves the bookmark at source so that it stands before the one that was at destination
    // (destination = count puts it last). destination is clamped to 0..count. False, with
    // nothing changed, for an empty list, a source outside it, or a move onto its own place.
    bool moveBookmark(int source, int destination);
    // Removes the bookmark at column (dragged off the shelf); the selection becomes -1. False for
    // a column outside the list.
    bool removeBookmarkAt(int column);

private:
    QStringList m_bookmarks;
    int m_selected = -1;
};

} // namespace corvane
