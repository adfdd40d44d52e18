#include "fortranhighlighter.h"

#include <QTextBlock>
#include <QTextDocument>

namespace corvane
{

FortranHighlighter::FortranHighlighter(ColourScanner scanner, QObject *parent)
    : QSyntaxHighlighter(parent), m_scanner(std::move(scanner))
{
}

void FortranHighlighter::attach(QTextDocument *doc)
{
    setDocument(doc);
    // setDocument() schedules the first colouring on the event loop, and block edits are not
    // coloured until it ran; run it now so the text is shown coloured and edits are tracked.
    if (doc)
        QMetaObject::invokeMethod(this, "_q_delayedRehighlight", Qt::DirectConnection);
}

void FortranHighlighter::rehighlightRange(int from, int length)
{
    QTextDocument *doc = document();
    if (!doc)
        return;
    QTextBlock block = doc->findBlock(qMax(0, from));
    const int end = from + qMax(0, length);
    while (block.isValid() && block.position() <= end) {
        rehighlightBlock(block);
        block = block.next();
    }
}

void FortranHighlighter::highlightBlock(const QString &text)
{
    setCurrentBlockState(int(LineState::Normal));
    m_spans.clear();
    m_scanner.colourLine(text, LineState::Normal, m_spans);
    for (const Span &s : std::as_const(m_spans))
        setFormat(int(s.start), int(s.length), m_colours[size_t(s.kind)]);
}

} // namespace corvane
