#include "shelf/tovrearrangablematrix.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QVariantAnimation>

namespace corvane
{

namespace
{

// The cell's image shrinking and fading where it was dropped off the shelf.
class DisappearingItem : public QWidget
{
public:
    static constexpr int kDurationMs = 250;

    DisappearingItem(QWidget *window, const QPixmap &image, const QPoint &centre)
        : QWidget(window), m_image(image)
    {
        setObjectName("disappearingItem");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        const QSize size = image.size() / qMax(1.0, image.devicePixelRatio());
        QRect r(QPoint(0, 0), size);
        r.moveCenter(centre);
        // A drop outside the window plays at the nearest place inside it.
        const QRect inside = window->rect();
        r.moveLeft(qBound(inside.left(), r.left(), qMax(inside.left(), inside.right() - r.width())));
        r.moveTop(qBound(inside.top(), r.top(), qMax(inside.top(), inside.bottom() - r.height())));
        setGeometry(r);
        auto *animation = new QVariantAnimation(this);
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
        animation->setDuration(kDurationMs);
        connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
            m_progress = v.toDouble();
            update();
        });
        connect(animation, &QVariantAnimation::finished, this, &QObject::deleteLater);
        raise();
        show();
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setOpacity(1.0 - m_progress);
        const qreal scale = 1.0 - 0.7 * m_progress;
        QRectF target(QPointF(0, 0), QSizeF(width() * scale, height() * scale));
        target.moveCenter(QRectF(rect()).center());
        p.drawPixmap(target, m_image, QRectF(m_image.rect()));
    }

private:
    QPixmap m_image;
    qreal m_progress = 0.0;
};

} // namespace

TovRearrangableMatrix::TovRearrangableMatrix(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

QSize TovRearrangableMatrix::sizeHint() const
{
    const int n = numberOfColumns();
    return {n == 0 ? 0 : n * kCellWidth + (n - 1) * kSpacing, kCellHeight};
}

QSize TovRearrangableMatrix::minimumSizeHint() const
{
    return {0, kCellHeight};
}

void TovRearrangableMatrix::setCells(const QStringList &titles, const QList<bool> &greyed)
{
    m_titles = titles;
    m_greyed = greyed;
    m_pressedColumn = -1;
    clearInsertionMarker();
    updateGeometry();
    update();
}

QRect TovRearrangableMatrix::cellRect(int column) const
{
    const int top = (height() - kCellHeight) / 2;
    return {column * (kCellWidth + kSpacing), qMax(0, top), kCellWidth, kCellHeight};
}

int TovRearrangableMatrix::columnAt(const QPoint &pos) const
{
    for (int c = 0; c < numberOfColumns(); ++c)
        if (cellRect(c).contains(pos))
            return c;
    return -1;
}

void TovRearrangableMatrix::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (int c = 0; c < numberOfColumns(); ++c) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = cellRect(c);
        option.text = fontMetrics().elidedText(m_titles[c], Qt::ElideMiddle, kCellWidth - 14);
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        if (isGreyed(c))
            option.state &= ~QStyle::State_Enabled;
        if (c == m_pressedColumn && !m_dragging)
            option.state |= QStyle::State_Sunken;
        else
            option.state |= QStyle::State_Raised;
        // The cell being dragged stays faint in its place until it lands.
        p.setOpacity(m_dragging && c == m_sourceColumn ? 0.4 : 1.0);
        style()->drawControl(QStyle::CE_PushButton, &option, &p, this);
    }
    p.setOpacity(1.0);
    if (m_drawInsertionMarker)
        p.fillRect(m_newMarkerRect, palette().color(QPalette::Highlight));
}

void TovRearrangableMatrix::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    const int column = columnAt(pos);
    clearInsertionMarker();
    if (column < 0)
        return;
    m_pressedColumn = column;
    m_sourceColumn = column;
    m_pressPos = pos;
    update(cellRect(column));
}

void TovRearrangableMatrix::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        moveDrag(pos);
        return;
    }
    if (m_pressedColumn >= 0 && (event->buttons() & Qt::LeftButton) &&
        (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
        startDrag(pos);
}

void TovRearrangableMatrix::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    if (!m_dragging) {
        if (m_pressedColumn < 0)
            return; // a press between cells, or a drag cancelled with Escape
        const int column = m_pressedColumn;
        m_pressedColumn = -1;
        m_destinationColumn = columnAt(pos);
        update(cellRect(column));
        emit clicked(column);
        return;
    }
    endDrag();
    const int source = m_sourceColumn;
    if (rect().contains(pos)) {
        m_destinationColumn = destinationColumnForX(pos.x(), metrics(), numberOfColumns());
        clearInsertionMarker();
        emit itemMovedInMatrix(source, m_destinationColumn);
        return;
    }
    clearInsertionMarker();
    QWidget *enclosing = m_enclosingView ? m_enclosingView.data()
                         : parentWidget() ? parentWidget()
                                          : this;
    if (enclosing->rect().contains(mapTo(enclosing, pos)))
        return; // dropped back on the shelf beside the row: nothing changes
    showDisappearingItem(pos);
    emit itemRemovedFromMatrix(source);
}

void TovRearrangableMatrix::keyPressEvent(QKeyEvent *event)
{
    if (m_dragging && event->key() == Qt::Key_Escape) {
        endDrag();
        clearInsertionMarker();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TovRearrangableMatrix::contextMenuEvent(QContextMenuEvent *event)
{
    const int column = columnAt(event->pos());
    if (column < 0 || m_dragging)
        return;
    QMenu menu(this);
    QAction *remove = menu.addAction(tr("Remove from Shelf"));
    if (menu.exec(event->globalPos()) == remove)
        emit removeRequested(column);
}

QPixmap TovRearrangableMatrix::dragImage(int column) const
{
    const qreal ratio = devicePixelRatioF();
    QPixmap image(QSize(kCellWidth, kCellHeight) * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3d, 0x7b, 0xd9));
    p.drawRoundedRect(QRectF(0.5, 0.5, kCellWidth - 1, kCellHeight - 1), 5, 5);
    p.setPen(Qt::white);
    p.setFont(font());
    p.drawText(QRect(0, 0, kCellWidth, kCellHeight), Qt::AlignCenter,
               fontMetrics().elidedText(m_titles.value(column), Qt::ElideMiddle,
                                        kCellWidth - 14));
    return image;
}

void TovRearrangableMatrix::startDrag(const QPoint &pos)
{
    m_dragging = true;
    m_dragPixmap = dragImage(m_sourceColumn);
    // The image follows the pointer in a window of its own, so it can leave the shelf.
    auto *image = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint |
                                          Qt::WindowTransparentForInput);
    image->setObjectName("shelfDragImage");
    image->setAttribute(Qt::WA_ShowWithoutActivating);
    image->setAttribute(Qt::WA_DeleteOnClose);
    image->setPixmap(m_dragPixmap);
    image->resize(kCellWidth, kCellHeight);
    m_dragImageWindow = image;
    // Escape ends the drag without a change; the pointer stays with the matrix meanwhile.
    grabKeyboard();
    update(cellRect(m_sourceColumn));
    moveDrag(pos);
    image->show();
}

void TovRearrangableMatrix::moveDrag(const QPoint &pos)
{
    if (m_dragImageWindow)
        // Below and right of the pointer, so the insertion marker under it stays in sight.
        m_dragImageWindow->move(mapToGlobal(pos) + QPoint(6, 10));
    if (rect().contains(pos))
        setInsertionMarker(destinationColumnForX(pos.x(), metrics(), numberOfColumns()));
    else
        clearInsertionMarker();
}

void TovRearrangableMatrix::endDrag()
{
    m_dragging = false;
    m_pressedColumn = -1;
    releaseKeyboard();
    if (m_dragImageWindow)
        m_dragImageWindow->close();
    update();
}

void TovRearrangableMatrix::setInsertionMarker(int column)
{
    m_destinationColumn = column;
    const int top = cellRect(0).top();
    const QRect marker(insertionMarkerX(column, metrics()), top, 3, kCellHeight);
    m_drawInsertionMarker = true;
    if (marker == m_newMarkerRect)
        return;
    m_oldMarkerRect = m_newMarkerRect;
    m_newMarkerRect = marker;
    update(m_oldMarkerRect.united(m_newMarkerRect));
}

void TovRearrangableMatrix::clearInsertionMarker()
{
    if (!m_drawInsertionMarker)
        return;
    m_drawInsertionMarker = false;
    m_oldMarkerRect = m_newMarkerRect;
    m_newMarkerRect = QRect();
    update(m_oldMarkerRect);
}

void TovRearrangableMatrix::showDisappearingItem(const QPoint &pos)
{
    QWidget *top = window();
    if (!top || top == this)
        return;
    new DisappearingItem(top, m_dragPixmap, mapTo(top, pos));
}

} // namespace corvane
