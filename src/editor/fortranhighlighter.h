// FortranHighlighter: shows the colouring scanner's spans in a document. It only maps span kinds
// to text formats; what is coloured is decided by ColourScanner. The formats are layout
// attributes: they make no undo step, do not mark the document modified and change no text.
#pragma once

#include "editor/colourscanner.h"

#include <QColor>
#include <QSyntaxHighlighter>

#include <array>

namespace corvane
{

class FortranHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    FortranHighlighter(ColourScanner scanner, QObject *parent = nullptr);

    // Moves to another document and colours all of it at once (not later from the event loop).
    void attach(QTextDocument *document);

    ColourScanner &scanner() { return m_scanner; }
    const ColourScanner &scanner() const { return m_scanner; }

    void setColour(SpanKind kind, const QColor &colour) { m_colours[size_t(kind)] = colour; }
    QColor colour(SpanKind kind) const { return m_colours[size_t(kind)]; }

    // Recolours every block that touches [from, from + length).
    void rehighlightRange(int from, int length);

protected:
    void highlightBlock(const QString &text) override;

private:
    ColourScanner m_scanner;
    std::array<QColor, 5> m_colours;
    QList<Span> m_spans;
};

} // namespace corvane
