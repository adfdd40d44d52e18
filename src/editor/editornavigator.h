// EditorNavigator: the code-structure features of one editor, on its text view: the jump-list
// pop-up kept on the caret's unit and jumping to an entry, the line and column read-out with its
// go-to-line field, the bracket highlight after a typed ")" or "]", double-click selection of a
// bracketed range, closing brackets as they are typed, the next insert marker and end-line
// completion. The logic lives in StructureScanner, JumpList, EndCompletion, BracketMatcher and
// LineReadout; this class connects it to the view, the document and the header bar.
//
// Keys (on the text): Ctrl+Shift+Space (also Alt+Tab when the window manager lets it through)
// selects the next insert marker "!^"; Ctrl+Shift+E completes the end line of the unit on the
// caret's line; Ctrl+L (also Ctrl+G) puts the keyboard in the line field.
#pragma once

#include "editorheader.h"
#include "jumplist.h"
#include "linereadout.h"
#include "scoperecord.h"
#include "textreplacement.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QAction;

namespace corvane
{

class Defaults;
class EditorViewController;

class EditorNavigator : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBracketHighlightMs = 225;

    EditorNavigator(EditorViewController &editor, Defaults &defaults);
    ~EditorNavigator() override;

    // The bar with the pop-up and the read-out.
    EditorHeader *header() const { return m_header; }
    // A page holding the header above the text view, for a window to place (made on first use;
    // the window then owns it, and with it the header and the view).
    QWidget *editorPage();
    const JumpList &jumpList() const { return m_jumpList; }
    const LineReadout &readout() const { return m_readout; }
    QAction *nextInsertMarkerAction() const { return m_nextMarker; }
    QAction *completeProcedureAction() const { return m_completeProcedure; }
    QAction *goToLineAction() const { return m_goToLine; }

    // A file was shown: build the list, follow the caret.
    void textDisplayed();
    void setJumpListNeedsUpdating() { m_jumpList.setNeedsUpdating(true); }
    // The read-out follows the next selection change (and is refreshed now).
    void setStatusBarNeedsUpdate();

    // The pop-up is about to open.
    void menuNeedsUpdate();
    // The entry at index of the jump list was chosen.
    void jump(qsizetype index);
    // The line field's action; false when it beeped.
    bool goToLine(const QString &field);
    // Selects the next "!^"; false when it beeped.
    bool jumpToNextInsertMarker();
    // The complete-procedure command; false when the caller should beep.
    bool tryCompleteUnitName();
    // The scope record of the selection (completion, declaration lookup).
    ScopeRecord scope() const;

    // A ")" or "]" was typed at position: highlight back to its partner for 0.225 s, or beep.
    void highlightParentheses(int position);
    // A "(" or "[" was typed at position over replaced (the selection it replaced): insert the
    // partner after the caret, the caret staying, when "autoCompleteParentheses" is on.
    void completeParenthesis(QChar opening, int position, const QString &replaced);

    // Makes a command's change through the document, so the editor's change steps run and one
    // undo step is recorded; the title is kept as lastActionName().
    void replaceTextWithDictionary(const TextReplacement &replacement);
    const QString &lastActionName() const { return m_lastActionName; }
    // The bounding rectangle of the selection's first line, in viewport coordinates.
    QRect rectForSelectedText() const;

signals:
    // The system beep was sounded (tests count these).
    void beeped();
    void readoutChanged(const LineReadout &readout);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void selectionChanged();
    void synchonizeHeader();
    void synchronizeJumpList();
    void showJumpList();
    void textChanged();
    void doubleClicked();
    void beep();
    void select(TextRange range);
    TextRange selection() const;
    QString text() const;
    StructureScanner scanner() const;

    EditorViewController &m_editor;
    Defaults &m_defaults;
    QPointer<EditorHeader> m_header;
    QPointer<QWidget> m_page;
    JumpList m_jumpList;
    LineReadout m_readout;
    QTimer m_highlightTimer;
    QAction *m_nextMarker;
    QAction *m_completeProcedure;
    QAction *m_goToLine;
    QString m_lastActionName;
    bool m_statusBarNeedsUpdate = true;
};

} // namespace corvane
