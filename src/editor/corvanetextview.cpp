#include "corvanetextview.h"

#include "editor/markerlinenumberview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>

namespace corvane
{

CorvaneTextView::CorvaneTextView(QWidget *parent)
    : QPlainTextEdit(parent), m_ruler(new MarkerLineNumberView(this)),
      m_plainTextMarker(new QLabel(tr("Plain text"), viewport()))
{
    // Fortran is column-sensitive: long lines scroll rather than wrap, so columns stay put.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(false);
    m_plainTextMarker->setObjectName(QStringLiteral("plainTextMarker"));
    m_plainTextMarker->setStyleSheet(QStringLiteral(
        "QLabel { background: rgba(255, 220, 120, 220); color: black; padding: 2px 6px; "
        "border-radius: 3px; }"));
    m_plainTextMarker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_plainTextMarker->hide();
    connect(this, &QPlainTextEdit::blockCountChanged, this, &CorvaneTextView::updateRulerWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &CorvaneTextView::updateRuler);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &CorvaneTextView::highlightCurrentLine);
    updateRulerWidth();
}

void CorvaneTextView::setLineNumbersShown(bool shown)
{
    m_ruler->setVisible(shown);
    updateRulerWidth();
}

bool CorvaneTextView::lineNumbersShown() const
{
    return !m_ruler->isHidden();
}

void CorvaneTextView::setGuideColumn(int column)
{
    if (m_guideColumn == column)
        return;
    m_guideColumn = column;
    viewport()->update();
}

void CorvaneTextView::setPlainTextMarkerShown(bool shown)
{
    m_plainTextMarker->setVisible(shown);
    if (shown) {
        m_plainTextMarker->adjustSize();
        m_plainTextMarker->move(viewport()->width() - m_plainTextMarker->width() - 6, 4);
        m_plainTextMarker->raise();
    }
}

bool CorvaneTextView::plainTextMarkerShown() const
{
    return !m_plainTextMarker->isHidden();
}

void CorvaneTextView::setHighlights(HighlightLayer layer,
                                    const QList<QTextEdit::ExtraSelection> &selections)
{
    m_highlights[size_t(layer)] = selections;
    applyHighlights();
}

void CorvaneTextView::setCurrentLineColour(const QColor &colour)
{
    m_currentLineColour = colour;
    highlightCurrentLine();
}

void CorvaneTextView::highlightCurrentLine()
{
    QList<QTextEdit::ExtraSelection> line;
    if (m_currentLineColour.isValid() && !isReadOnly()) {
        QTextEdit::ExtraSelection s;
        s.format.setBackground(m_currentLineColour);
        s.format.setProperty(QTextFormat::FullWidthSelection, true);
        s.cursor = textCursor();
        s.cursor.clearSelection();
        line << s;
    }
    setHighlights(CurrentLineLayer, line);
}

void CorvaneTextView::applyHighlights()
{
    QList<QTextEdit::ExtraSelection> all;
    for (const auto &layer : m_highlights)
        all += layer;
    setExtraSelections(all);
}

void CorvaneTextView::undoEdit()
{
    m_isUndoing = true;
    undo();
    m_isUndoing = false;
}

void CorvaneTextView::redoEdit()
{
    m_isUndoing = true;
    redo();
    m_isUndoing = false;
}

std::pair<int, int> CorvaneTextView::visibleRange() const
{
    QTextBlock first = firstVisibleBlock();
    if (!first.isValid())
        return {0, 0};
    QTextBlock last = first;
    const int height = viewport()->height();
    const QPointF offset = contentOffset();
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        last = b;
        if (blockBoundingGeometry(b).translated(offset).bottom() >= height)
            break;
    }
    return {first.position(), last.position() + last.length()};
}

void CorvaneTextView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Undo || event == QKeySequence::Redo) {
        event == QKeySequence::Undo ? undoEdit() : redoEdit();
        event->accept();
        return;
    }
    // Shift+Return would put a line separator inside a line; Fortran wants a new line.
    const bool shiftReturn = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                             (event->modifiers() & Qt::ShiftModifier);
    QKeyEvent plainReturn(QEvent::KeyPress, event->key(),
                          event->modifiers() & ~Qt::ShiftModifier, QStringLiteral("\r"),
                          event->isAutoRepeat(), ushort(event->count()));
    QKeyEvent *handled = shiftReturn ? &plainReturn : event;
    const QKeyEvent *outer = m_currentKey;
    m_currentKey = handled;
    QPlainTextEdit::keyPressEvent(handled);
    m_currentKey = outer;
    event->setAccepted(handled->isAccepted());
    emit keyHandled(handled);
}

void CorvaneTextView::insertFromMimeData(const QMimeData *source)
{
    m_isPasteOperation = true;
    QPlainTextEdit::insertFromMimeData(source);
    m_isPasteOperation = false;
}

void CorvaneTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(event->pos());
    // Undo and redo from the menu take the same route as the keys.
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-undo")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, &CorvaneTextView::undoEdit);
        } else if (action->objectName() == QLatin1String("edit-redo")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, &CorvaneTextView::redoEdit);
        }
    }
    menu->exec(event->globalPos());
    delete menu;
}

void CorvaneTextView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    if (m_guideColumn <= 0)
        return;
    const qreal x = contentOffset().x() + document()->documentMargin() +
                    fontMetrics().horizontalAdvance(QLatin1Char(' ')) * m_guideColumn;
    QPainter painter(viewport());
    QColor guide = palette().color(QPalette::Text);
    guide.setAlphaF(0.18);
    painter.setPen(QPen(guide, 1));
    painter.drawLine(QPointF(x, event->rect().top()), QPointF(x, event->rect().bottom()));
}

void CorvaneTextView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect cr = contentsRect();
    m_ruler->setGeometry(QRect(cr.left(), cr.top(), m_ruler->preferredWidth(), cr.height()));
    if (plainTextMarkerShown())
        setPlainTextMarkerShown(true);
}

void CorvaneTextView::updateRulerWidth()
{
    setViewportMargins(lineNumbersShown() ? m_ruler->preferredWidth() : 0, 0, 0, 0);
}

void CorvaneTextView::updateRuler(const QRect &rect, int dy)
{
    if (dy)
        m_ruler->scroll(0, dy);
    else
        m_ruler->update(0, rect.y(), m_ruler->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        updateRulerWidth();
}

} // namespace corvane
