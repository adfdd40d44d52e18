#include "shelf/shelflayout.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace corvane
{

QString lastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return QFileInfo(trimmed).fileName().isEmpty() ? trimmed : QFileInfo(trimmed).fileName();
}

ShelfLayout layoutShelf(const QStringList &bookmarks, int availableWidth, int usableWidth,
                        const ShelfMetrics &metrics)
{
    ShelfLayout layout;
    const int n = int(bookmarks.size());
    if (n == 0)
        return layout;
    const qint64 w = metrics.cellWidth;
    const qint64 s = metrics.spacing;
    const qint64 needed = n * w + (n - 1) * s;
    if (availableWidth > needed) {
        layout.numberOfVisibleBookmarks = n;
        return layout;
    }
    // A degenerate cell (no width and no gap) shows nothing rather than dividing by zero.
    const qint64 step = w + s;
    qint64 k = step > 0 ? qint64(std::floor(double(usableWidth + s) / double(step))) : 0;
    k = std::clamp<qint64>(k, 0, n);
    layout.numberOfVisibleBookmarks = int(k);
    for (qint64 i = k; i < n; ++i)
        layout.overflowBookmarks << lastPathComponent(bookmarks[int(i)]);
    // An overflow button with an empty menu would offer nothing.
    layout.showsOverflow = !layout.overflowBookmarks.isEmpty();
    return layout;
}

int bookmarkNumberForMenuSelection(int item, int count, int overflowCount)
{
    if (item < 0 || item >= overflowCount || overflowCount > count)
        return -1;
    return item + (count - overflowCount);
}

int destinationColumnForX(double x, const ShelfMetrics &metrics, int columnCount)
{
    if (columnCount <= 0)
        return 0;
    const double w = metrics.cellWidth;
    const double step = metrics.cellWidth + metrics.spacing;
    if (step <= 0)
        return 0;
    double c = x < w ? 0 : std::floor((x - w) / step) + 1;
    c = std::clamp(c, 0.0, double(columnCount));
    if (x >= c * step + w / 2)
        c += 1;
    return int(std::clamp(c, 0.0, double(columnCount)));
}

int insertionMarkerX(int column, const ShelfMetrics &metrics)
{
    if (column <= 0)
        return 0;
    return column * (metrics.cellWidth + metrics.spacing) - (metrics.spacing + 1) / 2 - 1;
}

} // namespace corvane
