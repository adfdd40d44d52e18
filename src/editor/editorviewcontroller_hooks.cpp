// The steps of the change handlers that other editor features fill in. Each is called at its
// place in EditorViewController's before-change and after-change steps.
#include "editorviewcontroller.h"

#include "autocompletemanager.h"
#include "editornavigator.h"
#include "settings/defaults.h"

namespace corvane
{

// The jump list of program units needs rebuilding (after a file is shown or edited).
void EditorViewController::jumpListNeedsUpdate()
{
    m_navigator->setJumpListNeedsUpdating();
}

// The line and column read-out needs updating.
void EditorViewController::readOutNeedsUpdate()
{
    m_navigator->setStatusBarNeedsUpdate();
}

// Before every change: one character typed (other than a bracket) outside a comment, in Fortran
// mode with a completion setting on, (re)starts the automatic-completion timer. The list's own
// insertions and undo do not.
void EditorViewController::beforeChangeCompletionTrigger(const EditChange &change)
{
    if (change.inserted.size() != 1 || change.lineChange.isUnDoing || m_codingMode != 1)
        return;
    const QChar typed = change.inserted.front();
    if (typed == u'(' || typed == u')' || typed == u'\n')
        return;
    if (m_view->isCompletionListOpen() || m_view->autoCompleteState() != 0)
        return;
    if (!CompletionSettings::fromDefaults(m_defaults).anyOn())
        return;
    const QString &text = m_tracker.text();
    qsizetype lineStart = qMin(change.position, text.size());
    while (lineStart > 0 && text[lineStart - 1] != u'\n')
        --lineStart;
    const QStringView before = QStringView(text).mid(lineStart, change.position - lineStart);
    if (before.contains(u'!'))
        return;
    if (scanner().isFixedForm() && !before.isEmpty() &&
        (before.front() == u'c' || before.front() == u'C' || before.front() == u'*'))
        return;
    m_view->startCompletionTimer();
}

// After every change: (re)start or stop the completion timer.
void EditorViewController::completionTimerAfterChange(const EditChange &) {}

// A ")" or "]" was typed at position: briefly highlight from its matching opening bracket.
void EditorViewController::typedCloseBracket(QChar, int position)
{
    m_navigator->highlightParentheses(position);
}

// A "(" or "[" was typed at position over replaced: insert its closing partner when so set.
void EditorViewController::typedOpenBracket(QChar bracket, int position, const QString &replaced)
{
    m_navigator->completeParenthesis(bracket, position, replaced);
}

} // namespace corvane
