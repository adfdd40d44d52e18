#include "shelf/tovshelfcontroller.h"
#include "shelf/shelflayout.h"
#include "shelf/tovrearrangablematrix.h"
#include "shelf/tovshelfview.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

namespace corvane
{

TovShelfController::TovShelfController(TovShelfView *shelf, TovShelfDelegate *delegate,
                                       QObject *parent)
    : QObject(parent), m_shelf(shelf), m_delegate(delegate)
{
    TovRearrangableMatrix *matrix = m_shelf->matrix();
    connect(m_shelf, &TovShelfView::frameChanged, this, &TovShelfController::shelfChangedSize);
    connect(matrix, &TovRearrangableMatrix::clicked, this, &TovShelfController::matrixClicked);
    connect(matrix, &TovRearrangableMatrix::itemMovedInMatrix, this,
            &TovShelfController::itemWasMovedInShelf);
    connect(matrix, &TovRearrangableMatrix::itemRemovedFromMatrix, this,
            &TovShelfController::itemWasDraggedFromShelf);
    connect(matrix, &TovRearrangableMatrix::removeRequested, this, [this](int column) {
        if (m_bookmarks.select(column))
            removeBookmark();
    });
    connect(m_shelf->addButton(), &QToolButton::clicked, this, &TovShelfController::addBookmark);
    layoutShelf();
}

void TovShelfController::addBookmarksWithNames(const QStringList &paths)
{
    m_bookmarks.addBookmarksWithNames(paths);
    layoutShelf();
}

void TovShelfController::addBookmark()
{
    if (!m_delegate)
        return;
    const QString name = m_delegate->nameForNewShelfItem();
    if (name.isEmpty())
        return;
    if (addBookmarkWithName(name))
        emit bookmarksWereChanged();
}

bool TovShelfController::addBookmarkWithName(const QString &path)
{
    if (!m_bookmarks.addBookmarkWithName(path))
        return false;
    layoutShelf();
    return true;
}

void TovShelfController::removeBookmark()
{
    if (!m_bookmarks.removeBookmark())
        return;
    layoutShelf();
    emit bookmarksWereChanged();
}

void TovShelfController::matrixClicked(int column)
{
    if (!m_bookmarks.select(column))
        return;
    emit bookmarkWasSelected();
}

int TovShelfController::bookmarkNumberForMenuSelection(int item) const
{
    return corvane::bookmarkNumberForMenuSelection(item, numberOfBookmarks(),
                                                   int(m_overflowBookmarks.size()));
}

void TovShelfController::menuSelected(int item)
{
    if (!m_bookmarks.select(bookmarkNumberForMenuSelection(item)))
        return;
    emit bookmarkWasSelected();
}

void TovShelfController::enableAddingBookmarks(bool enable)
{
    m_shelf->addButton()->setEnabled(enable);
}

bool TovShelfController::addingBookmarksEnabled() const
{
    return m_shelf->addButton()->isEnabled();
}

void TovShelfController::itemWasMovedInShelf(int sourceColumn, int destinationColumn)
{
    if (!m_bookmarks.moveBookmark(sourceColumn, destinationColumn))
        return;
    layoutShelf();
    emit bookmarksWereChanged();
}

void TovShelfController::itemWasDraggedFromShelf(int column)
{
    // Dragging off alone leaves the project unchanged; the next change saves the shorter shelf.
    if (m_bookmarks.removeBookmarkAt(column))
        layoutShelf();
}

void TovShelfController::layoutShelf()
{
    const QStringList &paths = m_bookmarks.bookmarksArray();
    TovRearrangableMatrix *matrix = m_shelf->matrix();
    const ShelfLayout layout =
        corvane::layoutShelf(paths, m_shelf->availableWidth(), m_shelf->usableWidth(),
                             matrix->metrics());
    QStringList titles;
    QList<bool> greyed;
    for (int i = 0; i < layout.numberOfVisibleBookmarks; ++i) {
        titles << lastPathComponent(paths[i]);
        greyed << (m_delegate && !m_delegate->shelfItemIsInProject(paths[i]));
    }
    matrix->setCells(titles, greyed);
    m_numberOfVisibleBookmarks = layout.numberOfVisibleBookmarks;
    m_shelf->setOverflowShown(layout.showsOverflow);
    setOverflowBookmarks(layout.overflowBookmarks);
    rebuildOverflowMenu();
    m_shelf->update();
}

void TovShelfController::setOverflowBookmarks(const QStringList &names)
{
    if (names == m_overflowBookmarks)
        return;
    m_overflowBookmarks = names;
    emit overflowBookmarksChanged(m_overflowBookmarks);
}

void TovShelfController::rebuildOverflowMenu()
{
    QMenu *menu = m_shelf->overflowMenu();
    menu->clear();
    const QStringList &paths = m_bookmarks.bookmarksArray();
    for (int i = 0; i < m_overflowBookmarks.size(); ++i) {
        QAction *item = menu->addAction(m_overflowBookmarks[i]);
        const int number = bookmarkNumberForMenuSelection(i);
        item->setToolTip(paths.value(number));
        // A file that left the project keeps its item (choosing it beeps) in italics.
        if (m_delegate && !m_delegate->shelfItemIsInProject(paths.value(number))) {
            QFont font = item->font();
            font.setItalic(true);
            item->setFont(font);
        }
        connect(item, &QAction::triggered, this, [this, i] { menuSelected(i); });
    }
}

} // namespace corvane
