#include "window/codeeditor.h"

#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>

namespace corvane
{

namespace
{

class LineNumberArea : public QWidget
{
public:
    explicit LineNumberArea(CodeEditor *editor) : QWidget(editor), m_editor(editor) {}
    QSize sizeHint() const override { return {m_editor->lineNumberAreaWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent *event) override { m_editor->paintLineNumbers(event); }

private:
    CodeEditor *m_editor;
};

} // namespace

CodeEditor::CodeEditor(QWidget *parent)
    : QPlainTextEdit(parent), m_lineNumberArea(new LineNumberArea(this)),
      m_placeholder(new QTextDocument(this))
{
    m_placeholder->setDocumentLayout(new QPlainTextDocumentLayout(m_placeholder));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &CodeEditor::updateLineNumberAreaWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &CodeEditor::updateLineNumberArea);
    showDocument(nullptr);
}

void CodeEditor::showDocument(QTextDocument *doc)
{
    if (!doc) {
        setDocument(m_placeholder);
        setReadOnly(true);
    } else {
        if (!qobject_cast<QPlainTextDocumentLayout *>(doc->documentLayout()))
            doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
        // The settings name the font ("Monaco" stands for the system's fixed-pitch family).
        const QFont font = editorFont();
        if (doc->defaultFont() != font)
            doc->setDefaultFont(font);
        setDocument(doc);
        setFont(font);
        setReadOnly(false);
    }
    updateLineNumberAreaWidth();
}

QFont CodeEditor::editorFont()
{
    const Defaults &d = Defaults::instance();
    QFont font(d.fontFamily(keys::FontName));
    font.setStyleHint(QFont::Monospace);
    const double size = d.doubleValue(keys::FontSize);
    if (size > 0)
        font.setPointSizeF(size);
    return font;
}

int CodeEditor::lineNumberAreaWidth() const
{
    int digits = 1;
    for (int max = qMax(1, blockCount()); max >= 10; max /= 10)
        ++digits;
    digits = qMax(digits, 3);
    return 12 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void CodeEditor::updateLineNumberAreaWidth()
{
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
}

void CodeEditor::updateLineNumberArea(const QRect &rect, int dy)
{
    if (dy)
        m_lineNumberArea->scroll(0, dy);
    else
        m_lineNumberArea->update(0, rect.y(), m_lineNumberArea->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        updateLineNumberAreaWidth();
}

void CodeEditor::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect cr = contentsRect();
    m_lineNumberArea->setGeometry(QRect(cr.left(), cr.top(), lineNumberAreaWidth(), cr.height()));
}

void CodeEditor::paintLineNumbers(QPaintEvent *event)
{
    QPainter painter(m_lineNumberArea);
    const QPalette pal = palette();
    painter.fillRect(event->rect(), pal.color(QPalette::AlternateBase));
    painter.setFont(font());
    QColor numberColour = pal.color(QPalette::Text);
    numberColour.setAlphaF(0.45);
    painter.setPen(numberColour);
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + qRound(blockBoundingRect(block).height());
    const int width = m_lineNumberArea->width() - 6;
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top())
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        block = block.next();
        top = bottom;
        bottom = top + qRound(blockBoundingRect(block).height());
    }
}

} // namespace corvane
