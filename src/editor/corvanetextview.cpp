#include "corvanetextview.h"

#include "editor/completionpopup.h"
#include "editor/editingcommands.h"
#include "editor/markerlinenumberview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>

namespace corvane
{

namespace
{

// The keys an open completion list takes for itself.
bool isCompletionListKey(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
        return true;
    case Qt::Key_Tab:
        return !(event.modifiers() & (Qt::AltModifier | Qt::ControlModifier));
    default:
        return false;
    }
}

} // namespace

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

    m_completionTimer.setSingleShot(true);
    connect(&m_completionTimer, &QTimer::timeout, this, &CorvaneTextView::doCompletion);
    m_popup = new CompletionPopup(this);
    m_popup->hide();
    connect(m_popup, &CompletionPopup::rowClicked, this, &CorvaneTextView::browseTo);
    connect(m_popup, &CompletionPopup::rowAccepted, this, [this](int row) {
        m_popup->setCurrentRow(row);
        closeCompletionList(CompletionMovement::Return);
    });
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

void CorvaneTextView::startCompletionTimer(int milliseconds)
{
    m_completionTimer.start(milliseconds);
}

void CorvaneTextView::stopCompletionTimer()
{
    m_completionTimer.stop();
}

void CorvaneTextView::doCompletion()
{
    stopCompletionTimer();
    m_isTimerAction = true;
    openCompletionList(false);
    m_autoCompleteState = 0;
}

void CorvaneTextView::completeExplicitly()
{
    stopCompletionTimer();
    m_isTimerAction = false;
    openCompletionList(true);
}

bool CorvaneTextView::isCompletionListOpen() const
{
    return m_offer.has_value();
}

void CorvaneTextView::openCompletionList(bool isExplicit)
{
    if (m_offer || !m_completionSource || textCursor().hasSelection() || isReadOnly())
        return;
    if (isExplicit)
        m_isPasteOperation = false;
    std::optional<CompletionOffer> offer = m_completionSource(isExplicit);
    if (!offer || offer->candidates.isEmpty()) {
        m_isTimerAction = false;
        return;
    }
    m_offer = std::move(offer);
    m_rangeLength = m_offer->length;
    m_rangeEdited = false;
    rememberCompletionLine();
    m_completionWatch = connect(document(), &QTextDocument::contentsChange, this,
                                &CorvaneTextView::completionTextChanged);
    QTextCursor at(document());
    at.setPosition(int(qMin(m_offer->start, qsizetype(document()->characterCount() - 1))));
    const QRect line = cursorRect(at);
    const QPoint below = viewport()->mapToGlobal(line.bottomLeft() + QPoint(0, 2));
    m_popup->open(m_offer->candidates, below, line.height());
}

void CorvaneTextView::replaceCompletionRange(const QString &text, bool isTemplate)
{
    QTextCursor c(document());
    c.setPosition(int(m_offer->start));
    c.setPosition(int(m_offer->start + m_rangeLength), QTextCursor::KeepAnchor);
    if (c.selectedText() == text && !isTemplate) {
        QTextCursor caret(document());
        caret.setPosition(int(m_offer->start + m_rangeLength));
        setTextCursor(caret);
        return;
    }
    if (m_rangeEdited)
        c.joinPreviousEditBlock();
    else
        c.beginEditBlock();
    m_isPasteOperation = isTemplate; // a template is handled as a paste
    // Both flags hold until the edit block ends: the document reports the change then.
    m_replacingRange = true;
    c.insertText(text);
    c.endEditBlock();
    m_replacingRange = false;
    m_isPasteOperation = false;
    m_rangeEdited = true;
    m_rangeLength = text.size();
    rememberCompletionLine();
    setTextCursor(c);
}

void CorvaneTextView::rememberCompletionLine()
{
    m_completionLine = document()->findBlock(int(m_offer->start)).text();
    m_completionLength = document()->characterCount();
}

// A change the list did not make (a window command by its shortcut, an input method, a reload)
// may have moved or removed the list's range: the list goes, and the text stays as it now is.
// Colouring reports changes too, but leaves the text as it was.
void CorvaneTextView::completionTextChanged()
{
    if (!m_offer || m_replacingRange)
        return;
    if (document()->characterCount() != m_completionLength ||
        document()->findBlock(int(m_offer->start)).text() != m_completionLine)
        abandonCompletion();
}

void CorvaneTextView::abandonCompletion()
{
    disconnect(m_completionWatch);
    m_popup->hide();
    m_offer.reset();
    m_isTimerAction = false;
    m_autoCompleteState = 0;
}

void CorvaneTextView::browseTo(int row)
{
    if (!m_offer || row < 0 || row >= m_offer->candidates.size())
        return;
    // The names of templates are no code: browsing the explicit list leaves the text alone.
    if (m_offer->isExplicit)
        return;
    m_autoCompleteState = 3;
    replaceCompletionRange(tentativeText(*m_offer, m_offer->candidates[row]));
}

void CorvaneTextView::dismissCompletion()
{
    if (m_offer)
        closeCompletionList(CompletionMovement::Click);
}

void CorvaneTextView::closeCompletionList(CompletionMovement movement)
{
    if (!m_offer)
        return;
    const int row = qMax(0, m_popup->currentRow());
    const QString candidate = m_offer->candidates.value(row);
    m_popup->hide();
    // What closing does is decided on the text as the user had it: the range holding the partial.
    const QString text = document()->toPlainText();
    const CompletionClose close =
        corvane::closeCompletion(*m_offer, candidate, movement, text, m_offer->templates);
    const bool automatic = !m_offer->isExplicit;
    m_isTimerAction = false;
    if (automatic)
        m_autoCompleteState =
            movement == CompletionMovement::Return || movement == CompletionMovement::Tab ? 1 : 2;
    const qsizetype start = m_offer->start;
    if (close.replace)
        replaceCompletionRange(close.text, close.isTemplate);
    if (close.caret) {
        QTextCursor c(document());
        c.setPosition(int(*close.caret));
        setTextCursor(c);
    }
    if (close.select) {
        QTextCursor c(document());
        c.setPosition(int(close.select->first));
        c.setPosition(int(close.select->first + close.select->second), QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
    disconnect(m_completionWatch);
    m_offer.reset();
    m_autoCompleteState = 0;
    if (close.isTemplate)
        emit templateInserted(int(start), int(close.text.size()));
    if (close.reopen)
        startCompletionTimer(kReopenDelayMs);
}

// The keys of an open list; true when the key was the list's.
bool CorvaneTextView::handleCompletionKey(QKeyEvent *event)
{
    const int key = event->key();
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int page = m_popup->rowsPerPage();
        const int delta = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1
                          : key == Qt::Key_PageUp ? -page : page;
        if (m_popup->moveCurrent(delta))
            browseTo(m_popup->currentRow());
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        closeCompletionList(CompletionMovement::Return);
        return true;
    case Qt::Key_Tab:
        if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier))
            break;
        closeCompletionList(CompletionMovement::Tab);
        return true;
    case Qt::Key_Escape:
        closeCompletionList(CompletionMovement::Other);
        return true;
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
        return true; // a modifier alone keeps the list
    default:
        break;
    }
    // Anything else (typing on, moving the caret) closes the list with the user's own text;
    // the key then does what it does.
    closeCompletionList(CompletionMovement::Other);
    return false;
}

void CorvaneTextView::mousePressEvent(QMouseEvent *event)
{
    if (m_offer)
        closeCompletionList(CompletionMovement::Click);
    QPlainTextEdit::mousePressEvent(event);
}

void CorvaneTextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseDoubleClickEvent(event);
    // A double click that selects one character (a bracket, a blank) is no pause in typing.
    if (textCursor().selectionEnd() - textCursor().selectionStart() == 1)
        stopCompletionTimer();
}

void CorvaneTextView::focusOutEvent(QFocusEvent *event)
{
    if (m_offer)
        closeCompletionList(CompletionMovement::Click);
    QPlainTextEdit::focusOutEvent(event);
}

// A key that a window command takes by its shortcut never reaches keyPressEvent: the list
// closes first with the user's own text, so the command sees what the user typed.
bool CorvaneTextView::event(QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride || !m_offer)
        return QPlainTextEdit::event(event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (isCompletionListKey(*key)) {
        // The list's keys come to the list, whatever shortcuts the window has.
        key->accept();
        return true;
    }
    const bool handled = QPlainTextEdit::event(event);
    if (!key->isAccepted())
        closeCompletionList(CompletionMovement::Other);
    return handled;
}

void CorvaneTextView::keyPressEvent(QKeyEvent *event)
{
    if (m_offer && handleCompletionKey(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier) &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
        completeExplicitly();
        event->accept();
        return;
    }
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
    if (!insertNewlineOrTab(handled))
        QPlainTextEdit::keyPressEvent(handled);
    m_currentKey = outer;
    event->setAccepted(handled->isAccepted());
    emit keyHandled(handled);
}

void CorvaneTextView::setIndentation(bool indentNewLines, int indentSize)
{
    m_indentNewLines = indentNewLines;
    m_indentSize = qMax(1, indentSize);
}

bool CorvaneTextView::insertNewlineOrTab(QKeyEvent *event)
{
    if (isReadOnly() || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    QTextCursor c = textCursor();
    QString text;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QTextBlock block = document()->findBlock(c.selectionStart());
        const QString before = block.text().left(c.selectionStart() - block.position());
        text = u'\n' + newLineIndentation(before, m_indentNewLines);
    } else if (event->key() == Qt::Key_Tab) {
        text = QString(m_indentSize, u' ');
    } else {
        return false;
    }
    m_isPasteOperation = false;
    // The line break and its indentation are one edit.
    c.insertText(text);
    setTextCursor(c);
    ensureCursorVisible();
    event->accept();
    return true;
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
    // Setting the margins lays out the whole view again, even when they stay as they are.
    const int left = lineNumbersShown() ? m_ruler->preferredWidth() : 0;
    if (viewportMargins().left() != left)
        setViewportMargins(left, 0, 0, 0);
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
