// CorvaneTextView: the editor's text widget. A plain-text editor with the line-number ruler, a
// current-line highlight, a faint guide at a column (72 in fixed form), a marker shown in
// plain-text mode, and one route for edits: it tells its controller about each key event, paste
// and undo, so that the controller sees every change once with what caused it.
#pragma once

#include <QPlainTextEdit>

#include <array>

class QLabel;

namespace corvane
{

class MarkerLineNumberView;

class CorvaneTextView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit CorvaneTextView(QWidget *parent = nullptr);

    MarkerLineNumberView *lineNumberView() const { return m_ruler; }
    void setLineNumbersShown(bool shown);
    bool lineNumbersShown() const;

    // A column to draw a faint guide after (72: text past it is ignored in fixed form); 0 for
    // none.
    void setGuideColumn(int column);
    int guideColumn() const { return m_guideColumn; }

    // Shows or hides the plain-text marker (coding mode 0).
    void setPlainTextMarkerShown(bool shown);
    bool plainTextMarkerShown() const;

    // Layers of extra highlights, drawn together: the current line below brackets and finds.
    enum HighlightLayer { CurrentLineLayer, BracketLayer, FindLayer, LayerCount };
    void setHighlights(HighlightLayer layer, const QList<QTextEdit::ExtraSelection> &selections);
    const QList<QTextEdit::ExtraSelection> &highlights(HighlightLayer layer) const
    {
        return m_highlights[layer];
    }
    void setCurrentLineColour(const QColor &colour);

    // The edit is a paste (set by paste and drop, cleared by the controller after the change).
    bool isPasteOperation() const { return m_isPasteOperation; }
    void clearPasteOperation() { m_isPasteOperation = false; }
    // An undo or redo is under way.
    bool isUndoing() const { return m_isUndoing; }

    // Undo and redo through the view, so the change is known as an undo.
    void undoEdit();
    void redoEdit();

    // The key event being handled, while QPlainTextEdit handles it; nullptr otherwise.
    const QKeyEvent *currentKeyEvent() const { return m_currentKey; }

    // The characters shown, widened to whole lines: [first, last) positions.
    std::pair<int, int> visibleRange() const;

signals:
    // After a key event was handled (whatever it changed), with the event.
    void keyHandled(const QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class MarkerLineNumberView;
    void updateRulerWidth();
    void updateRuler(const QRect &rect, int dy);
    void highlightCurrentLine();
    void applyHighlights();

    MarkerLineNumberView *m_ruler;
    QLabel *m_plainTextMarker;
    std::array<QList<QTextEdit::ExtraSelection>, LayerCount> m_highlights;
    QColor m_currentLineColour;
    const QKeyEvent *m_currentKey = nullptr;
    int m_guideColumn = 0;
    bool m_isPasteOperation = false;
    bool m_isUndoing = false;
};

} // namespace corvane
