#include "completionpopup.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>

namespace corvane
{

namespace
{
constexpr int kVisibleRows = 10;
}

CompletionPopup::CompletionPopup(QWidget *owner)
    : QListWidget(owner)
{
    // A window of its own that is never activated: the text keeps the focus.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    setObjectName(QStringLiteral("completionList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::Box);
}

void CompletionPopup::open(const QStringList &candidates, QPoint globalBelowLine, int lineHeight)
{
    clear();
    addItems(candidates);
    setCurrentRow(0);
    if (QWidget *owner = parentWidget())
        setFont(owner->font());
    const int rowHeight = qMax(sizeHintForRow(0), fontMetrics().height());
    const int rows = qMin(int(candidates.size()), kVisibleRows);
    int width = sizeHintForColumn(0) + 2 * frameWidth() + 8;
    if (candidates.size() > kVisibleRows)
        width += verticalScrollBar()->sizeHint().width();
    const QSize size(qBound(120, width, 700), rows * rowHeight + 2 * frameWidth());
    QPoint at = globalBelowLine;
    if (const QScreen *screen = QGuiApplication::screenAt(globalBelowLine)) {
        const QRect area = screen->availableGeometry();
        if (at.y() + size.height() > area.bottom())
            at.setY(at.y() - lineHeight - size.height());
        at.setX(qMin(at.x(), area.right() - size.width()));
    }
    setGeometry(QRect(at, size));
    show(); // a tool-tip window: above the editor without raise()
}

bool CompletionPopup::moveCurrent(int delta)
{
    if (count() == 0)
        return false;
    const int row = qBound(0, currentRow() + delta, count() - 1);
    if (row == currentRow())
        return false;
    setCurrentRow(row);
    scrollToItem(currentItem());
    return true;
}

int CompletionPopup::rowsPerPage() const
{
    return qMax(1, qMin(count(), kVisibleRows) - 1);
}

void CompletionPopup::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() != currentRow()) {
        setCurrentRow(index.row());
        emit rowClicked(index.row());
    }
    event->accept();
}

void CompletionPopup::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit rowAccepted(index.row());
    event->accept();
}

} // namespace corvane
