#include "fortranhighlighter.h"

#include <QElapsedTimer>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextLayout>

namespace corvane
{

namespace
{

// One slice of background colouring: short enough that typing and scrolling stay smooth.
constexpr qint64 kSliceMilliseconds = 8;

} // namespace

FortranHighlighter::FortranHighlighter(ColourScanner scanner, QObject *parent)
    : QObject(parent), m_scanner(std::move(scanner))
{
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &FortranHighlighter::colourSlice);
}

void FortranHighlighter::setColour(SpanKind kind, const QColor &colour)
{
    m_colours[size_t(kind)] = colour;
    m_formats[size_t(kind)] = QTextCharFormat();
    m_formats[size_t(kind)].setForeground(colour);
}

void FortranHighlighter::setDocument(QTextDocument *doc)
{
    m_slice.stop();
    if (m_document) {
        disconnect(m_document, nullptr, this, nullptr);
        // Every block coloured at some time loses its formats and its mark.
        QScopedValueRollback<bool> guard(m_formatting, true);
        for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
            if (block.userState() < 1)
                continue;
            if (!block.layout()->formats().isEmpty())
                block.layout()->clearFormats();
            const_cast<QTextBlock &>(block).setUserState(-1);
        }
    }
    m_document = doc;
    m_nextBlock = 0;
    if (doc)
        connect(doc, &QTextDocument::contentsChange, this, &FortranHighlighter::onContentsChange);
}

void FortranHighlighter::attach(QTextDocument *doc)
{
    setDocument(doc);
    startColouring();
}

void FortranHighlighter::rehighlight()
{
    startColouring();
}

void FortranHighlighter::startColouring()
{
    if (!m_document)
        return;
    ++m_generation;
    m_nextBlock = 0;
    colourBlocks(m_document->begin(), m_document->findBlockByNumber(kFirstBlocks - 1));
    // What is left goes from the event loop.
    m_slice.stop();
    if (m_document->blockCount() > kFirstBlocks)
        m_slice.start();
}

void FortranHighlighter::colourBlocks(const QTextBlock &first, const QTextBlock &last)
{
    if (!m_document || !first.isValid() || first.document() != m_document)
        return;
    const int lastNumber = last.isValid() ? last.blockNumber() : m_document->blockCount() - 1;
    for (QTextBlock block = first; block.isValid() && block.blockNumber() <= lastNumber;
         block = block.next())
        if (!isCurrent(block))
            colourBlock(block);
    if (first.blockNumber() <= m_nextBlock && lastNumber >= m_nextBlock)
        m_nextBlock = lastNumber + 1;
}

void FortranHighlighter::colourSlice()
{
    if (!m_document)
        return;
    QElapsedTimer clock;
    clock.start();
    QTextBlock block = m_document->findBlockByNumber(m_nextBlock);
    for (int done = 1; block.isValid(); ++done) {
        if (!isCurrent(block))
            colourBlock(block);
        block = block.next();
        ++m_nextBlock;
        if (done % 64 == 0 && clock.elapsed() >= kSliceMilliseconds)
            break;
    }
    if (block.isValid())
        m_slice.start();
}

void FortranHighlighter::finishColouring()
{
    if (!m_document || !m_slice.isActive())
        return;
    m_slice.stop();
    colourBlocks(m_document->findBlockByNumber(m_nextBlock), QTextBlock());
}

void FortranHighlighter::rehighlightRange(int from, int length)
{
    if (!m_document)
        return;
    QTextBlock block = m_document->findBlock(qMax(0, from));
    const int end = from + qMax(0, length);
    for (; block.isValid() && block.position() <= end; block = block.next())
        colourBlock(block);
}

void FortranHighlighter::onContentsChange(int from, int removed, int added)
{
    Q_UNUSED(removed);
    // Our own format changes come back through here; they change no text.
    if (m_formatting || !m_document)
        return;
    QTextBlock block = m_document->findBlock(qMax(0, from));
    const QTextBlock last = m_document->findBlock(qMax(0, from + added));
    // Lines removed before the background pass's place move the lines after them up: resume
    // from the change so that none is skipped.
    if (block.isValid() && block.blockNumber() < m_nextBlock)
        m_nextBlock = block.blockNumber();
    const int lastNumber = last.isValid() ? last.blockNumber() : m_document->blockCount() - 1;
    for (; block.isValid() && block.blockNumber() <= lastNumber; block = block.next())
        colourBlock(block);
}

bool FortranHighlighter::colourBlock(const QTextBlock &block)
{
    const_cast<QTextBlock &>(block).setUserState(m_generation);
    m_spans.clear();
    m_scanner.colourLine(block.text(), LineState::Normal, m_spans);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(m_spans.size());
    for (const Span &s : std::as_const(m_spans))
        ranges.append({int(s.start), int(s.length), m_formats[size_t(s.kind)]});
    QTextLayout *layout = block.layout();
    if (layout->formats() == ranges)
        return false;
    layout->setFormats(ranges);
    QScopedValueRollback<bool> guard(m_formatting, true);
    m_document->markContentsDirty(block.position(), block.length());
    return true;
}

} // namespace corvane
