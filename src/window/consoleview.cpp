#include "window/consoleview.h"

#include "build/buildfiles.h"
#include "build/interactiveconsolecontroller.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>

namespace corvane
{

ConsoleView::ConsoleView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Read-only still lets the caret be placed and text selected for copying.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    applySettings();
    connect(&Defaults::instance(), &Defaults::changed, this, [this](const QString &key) {
        if (key.startsWith("console"))
            applySettings();
    });
}

void ConsoleView::setRunner(InteractiveConsoleController *runner)
{
    const qsizetype mark = m_input.markedCursorLocation();
    m_runner = runner;
    m_input = ConsoleInput(runner);
    m_input.markCursorLocation(mark);
}

void ConsoleView::applySettings()
{
    Defaults &d = Defaults::instance();
    QFont f(d.fontFamily(keys::consoleFontName));
    const double size = d.doubleValue(keys::consoleFontSize);
    if (size > 0)
        f.setPointSizeF(size);
    if (f.family().isEmpty() || f.family() == QLatin1String(keys::FixedFontAlias))
        f.setStyleHint(QFont::Monospace);
    setFont(f);
    const QColor background(d.stringValue(keys::consoleWindowColor));
    if (background.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Base, background);
        setPalette(pal);
    }
}

QTextCharFormat ConsoleView::formatFor(Role role) const
{
    const char *key = role == Role::Error  ? keys::consoleErrorColor
                      : role == Role::Info ? keys::consoleInfoColor
                                           : keys::consoleNormalColor;
    QTextCharFormat format;
    const QColor colour(Defaults::instance().stringValue(key));
    if (colour.isValid())
        format.setForeground(colour);
    return format;
}

void ConsoleView::append(const QString &text, Role role)
{
    if (role != Role::None)
        m_lastRole = role;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, formatFor(m_lastRole));
    moveCursor(QTextCursor::End);
    // Typed input starts after the output just shown.
    m_input.markCursorLocation(textCursor().position());
    ensureCursorVisible();
}

void ConsoleView::clear()
{
    QPlainTextEdit::clear();
    m_input.markCursorLocation(0);
}

bool ConsoleView::acceptsTyping() const
{
    return m_runner && m_runner->isRunningExecutable() && m_runner->acceptTypedInput();
}

void ConsoleView::moveCaretToInput()
{
    QTextCursor c = textCursor();
    if (c.selectionStart() < m_input.markedCursorLocation()) {
        c.movePosition(QTextCursor::End);
        setTextCursor(c);
    }
    // Typed text takes the normal colour, not that of the last error line.
    setCurrentCharFormat(formatFor(Role::Normal));
}

void ConsoleView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste) && acceptsTyping()) {
        moveCaretToInput();
        setReadOnly(false);
        paste();
        setReadOnly(true);
        return;
    }
    const bool edits = !event->text().isEmpty() || event->key() == Qt::Key_Backspace ||
                       event->key() == Qt::Key_Delete;
    const bool navigation = event->matches(QKeySequence::Copy) ||
                            event->matches(QKeySequence::SelectAll) || !edits ||
                            (event->modifiers() & Qt::ControlModifier);
    if (navigation || !acceptsTyping()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    moveCaretToInput();
    const qsizetype mark = m_input.markedCursorLocation();
    QTextCursor c = textCursor();
    if (event->key() == Qt::Key_Backspace && !c.hasSelection() && c.position() <= mark)
        return; // never erase output
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        c.clearSelection();
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("\n"), formatFor(Role::Normal));
        setTextCursor(c);
        m_input.insertNewline(toPlainText(), c.position());
        // The line is now the child's: later typing begins after it.
        m_input.markCursorLocation(c.position());
        return;
    }
    setReadOnly(false);
    QPlainTextEdit::keyPressEvent(event);
    setReadOnly(true);
}

void ConsoleView::mouseReleaseEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || textCursor().hasSelection())
        return;
    const QPoint point = event->position().toPoint();
    const QTextCursor at = cursorForPosition(point);
    const QRectF shown = blockBoundingGeometry(at.block()).translated(contentOffset());
    if (point.y() < shown.top() || point.y() > shown.bottom())
        return; // below the text
    if (const auto location = buildfiles::diagnosticLocation(at.block().text()))
        emit diagnosticLineClicked(location->path, location->line, location->column);
}

void ConsoleView::insertFromMimeData(const QMimeData *source)
{
    if (!acceptsTyping() || !source->hasText())
        return;
    moveCaretToInput();
    textCursor().insertText(source->text());
}

} // namespace corvane
