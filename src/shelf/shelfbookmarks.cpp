#include "shelf/shelfbookmarks.h"

#include <QtDebug>

#include <algorithm>

namespace corvane
{

QString ShelfBookmarks::selectedBookmark() const
{
    if (m_selected < 0 || m_selected >= m_bookmarks.size())
        return QString();
    return m_bookmarks[m_selected];
}

void ShelfBookmarks::addBookmarksWithNames(const QStringList &paths)
{
    m_bookmarks << paths;
    m_selected = m_bookmarks.isEmpty() ? -1 : 0;
}

bool ShelfBookmarks::addBookmarkWithName(const QString &path)
{
    if (path.isEmpty() || m_bookmarks.contains(path))
        return false;
    m_bookmarks << path;
    m_selected = int(m_bookmarks.size()) - 1;
    return true;
}

bool ShelfBookmarks::removeBookmark()
{
    if (m_selected < 0 || m_selected >= m_bookmarks.size())
        return false;
    m_bookmarks.removeAt(m_selected);
    m_selected = -1;
    return true;
}

bool ShelfBookmarks::select(int number)
{
    if (number < 0 || number >= m_bookmarks.size())
        return false;
    m_selected = number;
    return true;
}

bool ShelfBookmarks::moveBookmark(int source, int destination)
{
    const int count = int(m_bookmarks.size());
    if (count == 0) {
        qWarning().noquote() << QStringLiteral("Bookmarks array with no items. %1,%2,%3")
                                    .arg(source)
                                    .arg(destination)
                                    .arg(count);
        return false;
    }
    if (source < 0 || source >= count)
        return false;
    destination = std::clamp(destination, 0, count);
    // Inserting before itself or before its right neighbour leaves the order as it is.
    if (destination == source || destination == source + 1)
        return false;
    const QString moved = m_bookmarks[source];
    if (source < destination) {
        m_bookmarks.insert(destination, moved);
        m_bookmarks.removeAt(source);
    } else {
        m_bookmarks.removeAt(source);
        m_bookmarks.insert(destination, moved);
    }
    // The selection follows its bookmark to the new place (by position: a restored shelf may
    // hold a path twice).
    const int landed = source < destination ? destination - 1 : destination;
    if (m_selected == source)
        m_selected = landed;
    else if (source < m_selected && m_selected <= landed)
        --m_selected;
    else if (landed <= m_selected && m_selected < source)
        ++m_selected;
    return true;
}

bool ShelfBookmarks::removeBookmarkAt(int column)
{
    if (column < 0 || column >= m_bookmarks.size())
        return false;
    m_bookmarks.removeAt(column);
    m_selected = -1;
    return true;
}

} // namespace corvane
