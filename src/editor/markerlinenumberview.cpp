#include "markerlinenumberview.h"

#include "editor/corvanetextview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>

namespace corvane
{

namespace
{
constexpr int MarkerWidth = 10;
}

MarkerLineNumberView::MarkerLineNumberView(CorvaneTextView *view) : QWidget(view), m_view(view)
{
    setObjectName(QStringLiteral("lineNumberView"));
}

void MarkerLineNumberView::markLine(int line, Marker marker)
{
    if (line < 1 || marker == NoMarker)
        return;
    Marker &kept = m_markers[line];
    kept = Marker(qMax(int(kept), int(marker)));
    update();
}

void MarkerLineNumberView::removeMarker(int line)
{
    if (m_markers.remove(line))
        update();
}

void MarkerLineNumberView::setMarkers(const QMap<int, Marker> &markers)
{
    m_markers.clear();
    for (auto it = markers.begin(); it != markers.end(); ++it)
        if (it.key() >= 1 && it.value() != NoMarker)
            m_markers.insert(it.key(), it.value());
    update();
}

int MarkerLineNumberView::preferredWidth() const
{
    int digits = 1;
    for (int max = qMax(1, m_view->blockCount()); max >= 10; max /= 10)
        ++digits;
    digits = qMax(digits, 3);
    return MarkerWidth + 8 + m_view->fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

int MarkerLineNumberView::lineAt(int y) const
{
    QTextBlock block = m_view->firstVisibleBlock();
    const QPointF offset = m_view->contentOffset();
    while (block.isValid()) {
        const QRectF r = m_view->blockBoundingGeometry(block).translated(offset);
        if (r.top() > y)
            break;
        if (r.bottom() >= y)
            return block.blockNumber() + 1;
        block = block.next();
    }
    return 0;
}

void MarkerLineNumberView::mousePressEvent(QMouseEvent *event)
{
    LineNumberClick click;
    const int line = lineAt(int(event->position().y()));
    if (line > 0) {
        click.lineNumber = line;
        click.clickedOnMarker = markerAtLine(line) != NoMarker;
    }
    click.location = mapTo(window(), event->position().toPoint());
    emit userClickedOnLineNumber(click);
}

void MarkerLineNumberView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QPalette pal = m_view->palette();
    painter.fillRect(event->rect(), pal.color(QPalette::AlternateBase));
    painter.setFont(m_view->font());
    QColor numberColour = pal.color(QPalette::Text);
    numberColour.setAlphaF(0.45);
    const int lineHeight = m_view->fontMetrics().height();
    const QPointF offset = m_view->contentOffset();
    QTextBlock block = m_view->firstVisibleBlock();
    const int width = this->width() - 4;
    while (block.isValid()) {
        const QRectF r = m_view->blockBoundingGeometry(block).translated(offset);
        if (r.top() > event->rect().bottom())
            break;
        if (block.isVisible() && r.bottom() >= event->rect().top()) {
            const int line = block.blockNumber() + 1;
            const int top = qRound(r.top());
            if (const Marker m = markerAtLine(line); m != NoMarker) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(m == ErrorMarker ? QColor(220, 40, 40) : QColor(235, 170, 20));
                const int d = qMin(MarkerWidth - 2, lineHeight - 2);
                painter.drawEllipse(QRect(2, top + (lineHeight - d) / 2, d, d));
            }
            painter.setPen(numberColour);
            painter.drawText(MarkerWidth, top, width - MarkerWidth, lineHeight, Qt::AlignRight,
                             QString::number(line));
        }
        block = block.next();
    }
}

} // namespace corvane
