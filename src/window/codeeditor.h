// CodeEditor: a plain-text editor with a line-number gutter. It shows the text storage of the
// current source record (setDocument), so each file keeps its own undo history and text.
#pragma once

#include <QPlainTextEdit>

namespace corvane
{

class CodeEditor : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CodeEditor(QWidget *parent = nullptr);

    // Shows doc (giving it a plain-text layout when it has none); nullptr shows an empty,
    // read-only placeholder so no detached storage is ever edited through the view.
    void showDocument(QTextDocument *doc);
    // The editor font of the settings.
    static QFont editorFont();
    int lineNumberAreaWidth() const;
    void paintLineNumbers(QPaintEvent *event);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateLineNumberAreaWidth();
    void updateLineNumberArea(const QRect &rect, int dy);

    QWidget *m_lineNumberArea;
    QTextDocument *m_placeholder;
};

} // namespace corvane
