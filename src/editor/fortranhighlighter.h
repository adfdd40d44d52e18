// FortranHighlighter: shows the colouring scanner's spans in a document. It only maps span kinds
// to text formats; what is coloured is decided by ColourScanner. The formats are layout
// attributes: they make no undo step, do not mark the document modified and change no text.
//
// A whole text is coloured lazily: the first lines at once, the lines a caller asks for (the ones
// on screen) at once, and the rest in short slices from the event loop, so that opening a long
// file shows it without waiting for its last line. Edited lines are coloured as they change.
#pragma once

#include "editor/colourscanner.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTimer>

#include <array>

namespace corvane
{

class FortranHighlighter : public QObject
{
    Q_OBJECT
public:
    FortranHighlighter(ColourScanner scanner, QObject *parent = nullptr);

    // Moves to another document and colours it: its first lines now, the rest from the event
    // loop (finishColouring() does the rest at once).
    void attach(QTextDocument *document);
    // Leaves the current document (its colours removed) for another, colouring nothing yet.
    void setDocument(QTextDocument *document);
    QTextDocument *document() const { return m_document; }

    ColourScanner &scanner() { return m_scanner; }
    const ColourScanner &scanner() const { return m_scanner; }

    void setColour(SpanKind kind, const QColor &colour);
    QColor colour(SpanKind kind) const { return m_colours[size_t(kind)]; }

    // Colours the whole text again, lazily as attach() does.
    void rehighlight();
    // Recolours every block that touches [from, from + length) now.
    void rehighlightRange(int from, int length);
    // Colours the blocks from first through last now, when not coloured yet.
    void colourBlocks(const QTextBlock &first, const QTextBlock &last);
    // Colours every block not coloured yet, now.
    void finishColouring();
    // True while blocks wait for a slice of the event loop.
    bool colouringPending() const { return m_slice.isActive(); }
    // True while formats are being changed (the view's repaint requests then come from here).
    bool isFormatting() const { return m_formatting; }

    // Lines coloured at once by attach() and rehighlight(): more than a screen.
    static constexpr int kFirstBlocks = 300;

private:
    void onContentsChange(int from, int removed, int added);
    void colourSlice();
    void startColouring();
    // Colours one block; true when its formats changed.
    bool colourBlock(const QTextBlock &block);
    bool isCurrent(const QTextBlock &block) const { return block.userState() == m_generation; }

    ColourScanner m_scanner;
    std::array<QColor, 5> m_colours;
    std::array<QTextCharFormat, 5> m_formats;
    QList<Span> m_spans;
    QPointer<QTextDocument> m_document;
    // Blocks coloured for the current text carry this number as their user state; a full
    // recolouring takes a new number, so no block has to be reset.
    int m_generation = 0;
    // The background pass resumes here; every block before it is coloured.
    int m_nextBlock = 0;
    QTimer m_slice;
    bool m_formatting = false;
};

} // namespace corvane
