#include "window/consoleview.h"

#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QTextCursor>

namespace corvane
{

ConsoleView::ConsoleView(QWidget *parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    applySettings();
    connect(&Defaults::instance(), &Defaults::changed, this, [this](const QString &key) {
        if (key.startsWith("console"))
            applySettings();
    });
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

void ConsoleView::append(const QString &text, Role role)
{
    if (role != Role::None)
        m_lastRole = role;
    const char *key = m_lastRole == Role::Error  ? keys::consoleErrorColor
                      : m_lastRole == Role::Info ? keys::consoleInfoColor
                                                 : keys::consoleNormalColor;
    QTextCharFormat format;
    const QColor colour(Defaults::instance().stringValue(key));
    if (colour.isValid())
        format.setForeground(colour);
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

void ConsoleView::clear()
{
    QPlainTextEdit::clear();
}

} // namespace corvane
