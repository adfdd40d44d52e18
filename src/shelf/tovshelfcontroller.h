// TovShelfController: the bookmark shelf of one project window. It keeps the bookmarked paths
// (ShelfBookmarks), lays the bar out (shelflayout.h) whenever the list or the bar's width changes,
// and turns the bar's clicks, drags and overflow menu into its two signals, which the project
// window follows: bookmarkWasSelected (show that file) and bookmarksWereChanged (the project has
// a new shelf to save).
#pragma once

#include "shelf/shelfbookmarks.h"

#include <QObject>
#include <QStringList>

namespace corvane
{

class TovShelfView;

// What the shelf asks the project window.
class TovShelfDelegate
{
public:
    virtual ~TovShelfDelegate() = default;
    // The path to bookmark when the add button is pressed; null when there is none.
    virtual QString nameForNewShelfItem() = 0;
    // False for a bookmark whose file is no longer in the project: its button is greyed.
    virtual bool shelfItemIsInProject(const QString &path) const = 0;
};

class TovShelfController : public QObject
{
    Q_OBJECT
public:
    TovShelfController(TovShelfView *shelf, TovShelfDelegate *delegate, QObject *parent = nullptr);

    TovShelfView *shelf() const { return m_shelf; }
    const QStringList &bookmarksArray() const { return m_bookmarks.bookmarksArray(); }
    int selectedBookmarkNumber() const { return m_bookmarks.selectedBookmarkNumber(); }
    int numberOfVisibleBookmarks() const { return m_numberOfVisibleBookmarks; }
    const QStringList &overflowBookmarks() const { return m_overflowBookmarks; }

    // The saved shelf of a project: every path, then bookmark 0 is selected (none when empty).
    void addBookmarksWithNames(const QStringList &paths);
    // The add button: bookmarks the delegate's file. Announces a change only when one was added.
    void addBookmark();
    // Appends path and selects it, unless it is already on the shelf. True when added.
    bool addBookmarkWithName(const QString &path);
    // Removes the selected bookmark (its context menu); announces the change.
    void removeBookmark();
    void matrixClicked(int column);
    void menuSelected(int item);
    int bookmarkNumberForMenuSelection(int item) const;
    QString selectedBookmark() const { return m_bookmarks.selectedBookmark(); }
    int numberOfBookmarks() const { return m_bookmarks.numberOfBookmarks(); }
    QStringList filePathsForBookmarksInShelf() const { return m_bookmarks.bookmarksArray(); }
    void enableAddingBookmarks(bool enable);
    bool addingBookmarksEnabled() const;

    void layoutShelf();
    void shelfChangedSize() { layoutShelf(); }
    // The project's file list changed: bookmarks of files that left it are greyed.
    void fileListDidChange() { layoutShelf(); }

    // The matrix's notifications.
    void itemWasMovedInShelf(int sourceColumn, int destinationColumn);
    void itemWasDraggedFromShelf(int column);

signals:
    // "TovBookmarkWasSelectedNotification"
    void bookmarkWasSelected();
    // "TovBookmarksWereChanged"
    void bookmarksWereChanged();
    void overflowBookmarksChanged(const QStringList &names);

private:
    void setOverflowBookmarks(const QStringList &names);
    void rebuildOverflowMenu();

    TovShelfView *m_shelf;
    TovShelfDelegate *m_delegate;
    ShelfBookmarks m_bookmarks;
    int m_numberOfVisibleBookmarks = 0;
    QStringList m_overflowBookmarks;
};

} // namespace corvane
