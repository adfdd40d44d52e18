// ConsoleInput: the typed-input logic of the console view, apart from the widget. The view
// reports where appended output ends (the input mark) and each Return; the line typed since the
// mark goes to the running child when it accepts typed input.
#pragma once

#include <QByteArray>
#include <QString>

namespace corvane
{

class InteractiveConsoleController;

class ConsoleInput
{
public:
    explicit ConsoleInput(InteractiveConsoleController *runner) : m_runner(runner) {}

    // Output was appended and the caret stands at its end: typed input begins here.
    void markCursorLocation(qsizetype caret) { m_markedCursorLocation = caret; }
    qsizetype markedCursorLocation() const { return m_markedCursorLocation; }

    // Return was pressed and its line end inserted; consoleText is the whole console text and
    // caret stands after the line end. Sends the text from the mark to the caret (UTF-8) when a
    // child runs and accepts typed input, and answers the bytes sent (empty when none). A caret
    // before the mark sends what was typed after the mark, to the end of the text. The mark moves
    // only when output is appended.
    QByteArray insertNewline(const QString &consoleText, qsizetype caret);

private:
    InteractiveConsoleController *m_runner;
    qsizetype m_markedCursorLocation = 0;
};

} // namespace corvane
