// CorvaneTextView: the editor's text widget. A plain-text editor with the line-number ruler, a
// current-line highlight, a faint guide at a column (72 in fixed form), a marker shown in
// plain-text mode, and one route for edits: it tells its controller about each key event, paste
// and undo, so that the controller sees every change once with what caused it.
//
// Completion: a pause of 0.3 s after a qualifying keystroke (the controller starts the timer)
// opens the list of candidates the completion source offers. Up and Down (Page Up, Page Down)
// browse it and put each candidate into the text for a look; Return accepts the candidate and
// selects its first "!^" marker; Tab inserts the candidates' common prefix and opens the
// narrowed list again; Esc, typing on or a click elsewhere puts back the text the user typed.
// Ctrl+Space asks explicitly: the list then offers the code templates.
#pragma once

#include "editor/completionoffer.h"

#include <QPlainTextEdit>
#include <QTimer>

#include <array>
#include <functional>

class QLabel;

namespace corvane
{

class CompletionPopup;
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

    // Return starts the new line with the indentation of the line ended (when indentNewLines is
    // set and that line starts with a blank); Tab inserts indentSize blanks.
    void setIndentation(bool indentNewLines, int indentSize);
    int indentSize() const { return m_indentSize; }

    // The key event being handled, while QPlainTextEdit handles it; nullptr otherwise.
    const QKeyEvent *currentKeyEvent() const { return m_currentKey; }

    // The characters shown, widened to whole lines: [first, last) positions.
    std::pair<int, int> visibleRange() const;

    // --- completion ------------------------------------------------------------------------
    static constexpr int kCompletionDelayMs = 300;
    static constexpr int kReopenDelayMs = 10;
    // The list's content for the caret, or none (explicit: the templates).
    using CompletionSource = std::function<std::optional<CompletionOffer>(bool isExplicit)>;
    void setCompletionSource(CompletionSource source) { m_completionSource = std::move(source); }
    // (Re)starts the one-shot timer that opens the automatic list.
    void startCompletionTimer(int milliseconds = kCompletionDelayMs);
    void stopCompletionTimer();
    bool isCompletionTimerActive() const { return m_completionTimer.isActive(); }
    int completionTimerInterval() const { return m_completionTimer.interval(); }
    // The timer's action: opens the automatic list.
    void doCompletion();
    // Opens the explicit list (Ctrl+Space).
    void completeExplicitly();
    bool isCompletionListOpen() const;
    CompletionPopup *completionPopup() const { return m_popup; }
    // 0 idle, 3 browsing, 1 inserting an accepted candidate, 2 putting back the user's text.
    int autoCompleteState() const { return m_autoCompleteState; }
    bool isTimerAction() const { return m_isTimerAction; }
    // The open list's offer.
    const std::optional<CompletionOffer> &completionOffer() const { return m_offer; }
    // Closes an open list as a click elsewhere would (the user's text comes back).
    void dismissCompletion();

signals:
    // After a key event was handled (whatever it changed), with the event.
    void keyHandled(const QKeyEvent *event);
    // A template went in at [position, position + length).
    void templateInserted(int position, int length);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class MarkerLineNumberView;
    void updateRulerWidth();
    void updateRuler(const QRect &rect, int dy);
    void highlightCurrentLine();
    // Return and Tab as the editor has them; false for any other key.
    bool insertNewlineOrTab(QKeyEvent *event);
    void applyHighlights();
    void openCompletionList(bool isExplicit);
    bool handleCompletionKey(QKeyEvent *event);
    void browseTo(int row);
    void closeCompletionList(CompletionMovement movement);
    // Forgets the open list without touching the text (the text changed under it).
    void abandonCompletion();
    // The list's range is still where the offer put it: the line and the text's length as the
    // list's own edits left them.
    void rememberCompletionLine();
    void completionTextChanged();
    // Replaces the offer's range as it stands now; browsing and closing share one undo step.
    void replaceCompletionRange(const QString &text, bool isTemplate = false);

    MarkerLineNumberView *m_ruler;
    QLabel *m_plainTextMarker;
    std::array<QList<QTextEdit::ExtraSelection>, LayerCount> m_highlights;
    QColor m_currentLineColour;
    const QKeyEvent *m_currentKey = nullptr;
    int m_guideColumn = 0;
    bool m_isPasteOperation = false;
    bool m_isUndoing = false;
    bool m_indentNewLines = true;
    int m_indentSize = 3;

    CompletionSource m_completionSource;
    QTimer m_completionTimer;
    CompletionPopup *m_popup = nullptr;
    std::optional<CompletionOffer> m_offer;
    qsizetype m_rangeLength = 0;  // what the offer's range holds now
    bool m_rangeEdited = false;   // browsing changed the text: the close joins its undo step
    bool m_replacingRange = false;
    QString m_completionLine;     // the offer's line and the text's length as the list left them
    int m_completionLength = 0;
    QMetaObject::Connection m_completionWatch;
    bool m_isTimerAction = false;
    int m_autoCompleteState = 0;
};

} // namespace corvane
