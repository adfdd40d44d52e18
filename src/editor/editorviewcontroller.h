// EditorViewController: the controller of one Fortran editor. It owns the text view, colours the
// text through FortranHighlighter, follows the editor settings while it lives, upper-cases
// keywords as they are typed, and runs the before-change and after-change steps once for every
// edit, whatever made it (typing, paste, cut, delete, undo and redo, commands): Qt reports each
// change once (QTextDocument::contentsChange) and the view tells what caused it.
//
// The window chooses the source form and coding mode for each file it shows (setF90Coloring,
// setCodingMode), gives the file's document (showDocument) and calls displayText().
#pragma once

#include "editor/colourscanner.h"
#include "editor/edittracker.h"
#include "editor/corvanetextview.h"
#include "editor/keywordcase.h"

#include <QColor>
#include <QObject>
#include <QPointer>

#include <memory>
#include <utility>

class QTextDocument;
class QKeyEvent;

class QAction;
class QMenu;

namespace corvane
{

class AutocompleteManager;
class EditorCommands;
struct CompletionOffer;
class Defaults;
class EditorNavigator;
class FindBar;
class FortranHighlighter;
class MarkerLineNumberView;
class Vocabulary;

class EditorViewController : public QObject
{
    Q_OBJECT
public:
    explicit EditorViewController(Defaults &defaults, const Vocabulary &vocabulary,
                                  QObject *parent = nullptr);
    // The application's settings and vocabulary.
    explicit EditorViewController(QObject *parent = nullptr);
    ~EditorViewController() override;

    CorvaneTextView *textView() const { return m_view; }
    // The structure features: jump list, read-out, brackets, insert markers, end completion.
    EditorNavigator *navigator() const { return m_navigator; }
    // The editing commands (comment, comment block, shift, insertions, case) for the menus.
    EditorCommands *commands() const { return m_commands; }
    // The find and replace bar under the text (placed by the navigator's editor page).
    FindBar *findBar() const;
    // Fills an Edit menu with the editor's part: Undo, Redo, the navigator's commands, Find and
    // Replace; gives back the Undo and Redo actions.
    std::pair<QAction *, QAction *> fillEditMenu(QMenu *menu);
    // The shown text as plain text with "\n" line ends, kept up to date with every change.
    const QString &currentText() const { return m_tracker.text(); }
    // The text above with its line bookkeeping (line of an offset, number of line feeds).
    const EditTracker &textTracker() const { return m_tracker; }
    MarkerLineNumberView *lineNumberView() const;

    // Shows doc (giving it a plain-text layout and the editor font); nullptr shows an empty,
    // read-only placeholder so that no detached text is edited through the view.
    void showDocument(QTextDocument *doc);
    // Fills the document shown with a file's text as read: no edit, no undo step, unmodified.
    // Loading into a document already in the view spares Qt a second layout pass over every
    // line of a long file.
    void loadShownText(const QString &text);
    QTextDocument *document() const;
    // Marks the read-out and jump list for update and colours the whole text.
    void displayText();

    // Source form: free form when set; fixed form (C, c, * comment lines, column-72 guide) when
    // clear. Takes effect with the next colouring (displayText).
    void setF90Coloring(bool freeForm);
    bool f90Coloring() const;
    // The column the view's guide follows: 72 in fixed form; in free form 132 when
    // "showFreeFormGuide" is set, else none (0).
    static int guideColumnFor(bool freeForm, bool freeFormGuide);
    // The current line's background over the window colour with the text colour.
    static QColor currentLineColour(const QColor &window, const QColor &text);
    // 1: Fortran coding mode; 0: plain text (no colouring, no upper-casing, marker shown).
    void setCodingMode(unsigned mode);
    unsigned codingMode() const { return m_codingMode; }

    // The six colours; setting one that differs recolours all text, an equal one does nothing.
    void setColour(SpanKind kind, const QColor &colour);
    QColor colour(SpanKind kind) const;
    void setNormalColor(const QColor &colour);
    QColor normalColor() const { return m_normalColour; }

    // Colouring. All do nothing while "ColorSyntax" is off or in coding mode 0.
    void colorAllText();
    void colorTextInRange(int location, int length);
    void colorVisibleText();
    // A whole text is coloured from the lines on screen outwards, the rest from the event
    // loop; this colours every line still waiting, now.
    void finishColouring();
    bool colouringPending() const;
    // The characters shown, widened to whole lines.
    std::pair<int, int> visibleRange() const;
    // How often the whole text was coloured (tests see that an equal colour recolours nothing).
    int fullColourings() const { return m_fullColourings; }

    KeywordClass keywordType(QStringView word) const { return scanner().keywordType(word); }
    const ColourScanner &scanner() const;

    // The record of the last change, until the window resets it.
    const LineChangeInfo &lineChange() const { return m_lineChange; }
    void setLineChange(const LineChangeInfo &info) { m_lineChange = info; }
    void resetLineChange() { m_lineChange = {}; }
    // The region to recolour after the last change: the visible text and the inserted text.
    std::pair<int, int> editedRange() const { return m_editedRange; }
    // The text the last change replaced.
    const QString &savedSelection() const { return m_savedSelection; }

    // Selects the whole 1-based line (the last line when the text is shorter), scrolls it into
    // view and focuses the text. The column is accepted for callers that know it; the selection
    // always covers the whole line.
    void editLine(int line, int column = 0);
    // 1-based line of the selection's start.
    int currentLineNumber() const;

    // The completion engine; the window hands it each published index and the shown file's
    // declarations.
    AutocompleteManager &completionManager() const { return *m_completionManager; }
    // The completion list's content for the caret now (explicit: the templates).
    std::optional<CompletionOffer> completionOfferAtCaret(bool isExplicit) const;

    // Undo and redo of the shown document, known as such to the change steps.
    void undo();
    void redo();

    // The editor font of the settings ("Monaco" is the system's fixed-pitch font).
    static QFont editorFont(const Defaults &defaults);
    static QFont editorFont();

signals:
    // After every change of the text (never for colouring).
    void fortranFileHasChanged(EditorViewController *editor);

private:
    // Colours the lines on screen that are not coloured yet.
    void colourShownLines();
    void settingChanged(const QString &key);
    void applyFont();
    void applyWindowColours();
    bool colouringOn() const;
    void uncolorAllText();
    void onContentsChange(int from, int removed, int added);
    void textWillChange(const EditChange &change);
    void textDidChange(const EditChange &change);
    void keyHandled(const QKeyEvent *event);
    void upcaseKeywordFor(const ClassifiedWord &word);

    // Steps other editor features fill (editorviewcontroller_hooks.cpp).
    void jumpListNeedsUpdate();
    void readOutNeedsUpdate();
    void beforeChangeCompletionTrigger(const EditChange &change);
    void typedCloseBracket(QChar bracket, int position);
    void typedOpenBracket(QChar bracket, int position, const QString &replaced);
    void completionTimerAfterChange(const EditChange &change);

    Defaults &m_defaults;
    std::unique_ptr<AutocompleteManager> m_completionManager;
    QPointer<CorvaneTextView> m_view;
    FortranHighlighter *m_highlighter;
    QTextDocument *m_placeholder;
    EditTracker m_tracker;
    EditorNavigator *m_navigator = nullptr;
    EditorCommands *m_commands = nullptr;
    QPointer<FindBar> m_findBar;
    QPointer<QTextDocument> m_document;
    QColor m_normalColour;
    LineChangeInfo m_lineChange;
    std::pair<int, int> m_editedRange{0, 0};
    QString m_savedSelection;
    // The change made by the key event being handled, for the typed-delimiter steps.
    std::optional<EditChange> m_typedChange;
    unsigned m_codingMode = 1;
    int m_fullColourings = 0;
    bool m_upcasing = false;
};

} // namespace corvane
