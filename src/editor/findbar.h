// FindBar: find and replace in the shown file, a bar under the editor text. Ctrl+F opens it with
// the selection as the text to find; typing searches as it goes; Aa and W switch letter case and
// whole words; Enter and F3 go to the next match, Shift+Enter and Shift+F3 to the previous one,
// both wrapping around; the count shows "3 of 12". Ctrl+H adds the replace row: Replace (the
// selected match, then on to the next) and Replace All (one undo step). Esc closes the bar and
// gives the keyboard back to the text. The search itself is TextSearch; this class connects it to
// the editor.
//
// F3 and Shift+F3 are the project window's keys for the next and previous find-in-project match.
// While the bar is open and the keyboard is in the text or in the bar they step through the bar's
// matches instead; elsewhere, or with the bar closed, they keep their window meaning.
#pragma once

#include "editor/textsearch.h"

#include <QList>
#include <QTimer>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QToolButton;

namespace corvane
{

class EditorViewController;

class FindBar : public QWidget
{
    Q_OBJECT
public:
    // At most this many matches are highlighted in the text (all are counted).
    static constexpr int kMaxHighlights = 2000;

    explicit FindBar(EditorViewController &editor, QWidget *parent = nullptr);

    // Ctrl+F and Ctrl+H, on the editor text and on the bar.
    QAction *findAction() const { return m_findAction; }
    QAction *replaceAction() const { return m_replaceAction; }

    QLineEdit *findField() const { return m_findField; }
    QLineEdit *replaceField() const { return m_replaceField; }
    QToolButton *caseButton() const { return m_caseButton; }
    QToolButton *wordButton() const { return m_wordButton; }
    QToolButton *replaceButton() const { return m_replaceButton; }
    QToolButton *replaceAllButton() const { return m_replaceAllButton; }
    QLabel *countLabel() const { return m_countLabel; }
    bool isReplaceShown() const;

    // Opens the bar (with the replace row for openReplace), the selection of one line as the text.
    void openFind();
    void openReplace();
    // Hides the bar and its highlights; the keyboard goes to the text.
    void closeBar();
    // Select the next or previous match; false (and a beep) when there is none.
    bool findNext();
    bool findPrevious();
    // Replaces the selected match and selects the next; selects the next match first when the
    // selection is not one.
    void replace();
    // Replaces every match in one undo step.
    void replaceAll();

    // The current search's text positions, as highlighted and counted.
    const QList<TextRange> &matches() const { return m_matches; }

signals:
    void beeped();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open(bool withReplace);
    TextSearch search() const;
    TextRange selection() const;
    void select(TextRange range);
    void searchAsTyped();
    void optionsChanged();
    void refreshMatches();
    void updateCount();
    void showNotFound(bool notFound);
    void beep();
    bool step(bool next);

    EditorViewController &m_editor;
    QAction *m_findAction;
    QAction *m_replaceAction;
    QLineEdit *m_findField;
    QLineEdit *m_replaceField;
    QToolButton *m_caseButton;
    QToolButton *m_wordButton;
    QToolButton *m_previousButton;
    QToolButton *m_nextButton;
    QToolButton *m_closeButton;
    QToolButton *m_replaceButton;
    QToolButton *m_replaceAllButton;
    QLabel *m_countLabel;
    QWidget *m_replaceRow;
    QList<TextRange> m_matches;
    // Where the search as typed starts: the selection's start when the bar opened or a match
    // was last chosen.
    qsizetype m_searchStart = 0;
    QTimer m_refreshTimer;
};

} // namespace corvane
