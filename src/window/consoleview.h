// ConsoleView: the project window's console: build and run output coloured by role with the
// console colours and font of the settings. While a program runs and accepts typed input, text
// typed after the last output (the input mark) is sent to it line by line; output before the
// mark cannot be edited. A click on a compiler's "file:line:col: ..." line asks for that file at
// that line.
#pragma once

#include "build/console.h"
#include "build/consoleinput.h"

#include <QPlainTextEdit>

namespace corvane
{

class InteractiveConsoleController;

class ConsoleView : public QPlainTextEdit, public Console
{
    Q_OBJECT
public:
    explicit ConsoleView(QWidget *parent = nullptr);

    // The runner whose child receives typed lines; the view works without one (output only).
    void setRunner(InteractiveConsoleController *runner);

    void append(const QString &text, Role role) override;
    void clear() override;

    qsizetype inputMark() const { return m_input.markedCursorLocation(); }

signals:
    // A click (not a drag) on a line that names a source location, as the compiler printed it.
    void diagnosticLineClicked(const QString &path, quint64 line, quint64 column);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void applySettings();
    QTextCharFormat formatFor(Role role) const;
    bool acceptsTyping() const;
    void moveCaretToInput();

    Role m_lastRole = Role::Normal;
    InteractiveConsoleController *m_runner = nullptr;
    ConsoleInput m_input{nullptr};
};

} // namespace corvane
