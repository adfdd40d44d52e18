#include "shelf/tovshelfview.h"
#include "shelf/tovrearrangablematrix.h"
#include "window/windowicons.h"

#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace corvane
{

namespace
{

// The » mark that tells more bookmarks are in the overflow menu beside it.
class OverflowArrow : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1.6, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        const qreal cy = height() / 2.0;
        for (qreal x : {3.0, 8.0}) {
            QPainterPath chevron;
            chevron.moveTo(x, cy - 4);
            chevron.lineTo(x + 3.5, cy);
            chevron.lineTo(x, cy + 4);
            p.drawPath(chevron);
        }
    }
};

} // namespace

TovShelfView::TovShelfView(QWidget *parent) : QWidget(parent)
{
    setObjectName("shelfView");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_addButton = new QToolButton(this);
    m_addButton->setObjectName("shelfAddButton");
    m_addButton->setIcon(corvaneIcon(IconName::AddBookmark));
    m_addButton->setIconSize(QSize(16, 16));
    m_addButton->setAutoRaise(true);
    m_addButton->setToolTip(tr("Add the selected file to the shelf"));
    m_matrix = new TovRearrangableMatrix(this);
    m_matrix->setObjectName("shelfMatrix");
    m_matrix->setEnclosingView(this);
    m_overflowArrow = new OverflowArrow(this);
    m_overflowArrow->setObjectName("shelfOverflowArrow");
    m_overflowMenu = new QMenu(this);
    m_overflowMenu->setObjectName("shelfOverflowMenu");
    m_overflowButton = new QToolButton(this);
    m_overflowButton->setObjectName("shelfOverflowButton");
    m_overflowButton->setArrowType(Qt::DownArrow);
    m_overflowButton->setAutoRaise(true);
    m_overflowButton->setPopupMode(QToolButton::InstantPopup);
    m_overflowButton->setMenu(m_overflowMenu);
    m_overflowButton->setToolTip(tr("More bookmarks"));
    setOverflowShown(false);
    placeChildren();
}

QSize TovShelfView::sizeHint() const
{
    return {400, kHeight};
}

QSize TovShelfView::minimumSizeHint() const
{
    return {2 * kButtonSize + kArrowWidth + 4 * kMargin, kHeight};
}

int TovShelfView::usableWidth() const
{
    return m_overflowArrow->x() - m_matrix->x();
}

int TovShelfView::availableWidth() const
{
    return width() - m_matrix->x();
}

void TovShelfView::setOverflowShown(bool shown)
{
    m_overflowArrow->setVisible(shown);
    m_overflowButton->setVisible(shown);
}

void TovShelfView::placeChildren()
{
    const int h = height() > 0 ? height() : kHeight;
    const int buttonTop = (h - kButtonSize) / 2;
    m_addButton->setGeometry(kMargin, buttonTop, kButtonSize, kButtonSize);
    const int matrixLeft = kMargin + kButtonSize + 2 * kMargin;
    const int overflowLeft = qMax(matrixLeft, width() - kMargin - kButtonSize);
    m_overflowButton->setGeometry(overflowLeft, buttonTop, kButtonSize, kButtonSize);
    const int arrowLeft = qMax(matrixLeft, overflowLeft - kArrowWidth);
    m_overflowArrow->setGeometry(arrowLeft, buttonTop, kArrowWidth, kButtonSize);
    // The row reaches the arrow: a drop anywhere along it lands in the row.
    m_matrix->setGeometry(matrixLeft, 0, qMax(0, arrowLeft - matrixLeft), h);
}

void TovShelfView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeChildren();
    emit frameChanged();
}

void TovShelfView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // At 90 degrees the gradient runs from the starting colour at the bottom to the top.
    QLinearGradient gradient(0, height(), 0, 0);
    gradient.setColorAt(0, m_startingColor);
    gradient.setColorAt(1, m_endingColor);
    p.fillRect(rect(), gradient);
    p.setPen(m_startingColor.darker(125));
    p.drawLine(0, height() - 1, width(), height() - 1);
}

} // namespace corvane
