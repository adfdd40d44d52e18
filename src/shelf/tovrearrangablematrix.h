// TovRearrangableMatrix: the shelf's one row of bookmark buttons. A click runs the matrix's action
// (clicked); dragging a button along the row shows an insertion marker in the gap where it would
// land and, on release over the row, reports the move; releasing it outside the enclosing view
// (the shelf bar) reports its removal and plays a short disappearing animation. Escape during a
// drag, or a release elsewhere on the bar, changes nothing.
#pragma once

#include "shelf/shelflayout.h"

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace corvane
{

class TovRearrangableMatrix : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCellWidth = 120;
    static constexpr int kSpacing = 4;
    static constexpr int kCellHeight = 22;

    explicit TovRearrangableMatrix(QWidget *parent = nullptr);

    // One cell per title, left to right; a greyed cell stands for a file no longer in the project.
    void setCells(const QStringList &titles, const QList<bool> &greyed = {});
    QStringList titles() const { return m_titles; }
    bool isGreyed(int column) const { return m_greyed.value(column, false); }
    int numberOfColumns() const { return int(m_titles.size()); }
    ShelfMetrics metrics() const { return {kCellWidth, kSpacing}; }
    QRect cellRect(int column) const;
    // The column of the cell at pos, -1 between or beyond cells.
    int columnAt(const QPoint &pos) const;

    // The view whose bounds decide whether a drag ended off the shelf (the parent by default).
    void setEnclosingView(QWidget *view) { m_enclosingView = view; }

    int sourceColumn() const { return m_sourceColumn; }
    int destinationColumn() const { return m_destinationColumn; }
    bool drawInsertionMarker() const { return m_drawInsertionMarker; }
    bool isDragging() const { return m_dragging; }
    QRect insertionMarkerRect() const { return m_newMarkerRect; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked(int column);
    // "itemMovedInMatrixNotification"
    void itemMovedInMatrix(int sourceColumn, int destinationColumn);
    // "itemRemovedFromMatrixNotification"
    void itemRemovedFromMatrix(int columnNumber);
    // The cell's context menu asked to remove it.
    void removeRequested(int column);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void startDrag(const QPoint &pos);
    void moveDrag(const QPoint &pos);
    void endDrag();
    void setInsertionMarker(int column);
    void clearInsertionMarker();
    QPixmap dragImage(int column) const;
    void showDisappearingItem(const QPoint &pos);

    QStringList m_titles;
    QList<bool> m_greyed;
    QPointer<QWidget> m_enclosingView;
    int m_sourceColumn = -1;
    int m_destinationColumn = -1;
    int m_pressedColumn = -1;
    bool m_drawInsertionMarker = false;
    QRect m_oldMarkerRect;
    QRect m_newMarkerRect;
    QPoint m_pressPos;
    bool m_dragging = false;
    QPixmap m_dragPixmap;
    QPointer<QWidget> m_dragImageWindow;
};

} // namespace corvane
