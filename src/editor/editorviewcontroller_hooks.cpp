// The steps of the change handlers that other editor features fill in. Each is called at its
// place in EditorViewController's before-change and after-change steps.
#include "editorviewcontroller.h"

#include "editornavigator.h"

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

// Before every change: the automatic-completion trigger.
void EditorViewController::beforeChangeCompletionTrigger(const EditChange &) {}

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
