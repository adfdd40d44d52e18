// The steps of the change handlers that other editor features fill in. Each is called at its
// place in EditorViewController's before-change and after-change steps; today they do nothing.
#include "editorviewcontroller.h"

namespace corvane
{

// The jump list of program units needs rebuilding (after a file is shown or edited).
void EditorViewController::jumpListNeedsUpdate() {}

// The line and column read-out needs updating.
void EditorViewController::readOutNeedsUpdate() {}

// Before every change: the automatic-completion trigger.
void EditorViewController::beforeChangeCompletionTrigger(const EditChange &) {}

// After every change: (re)start or stop the completion timer.
void EditorViewController::completionTimerAfterChange(const EditChange &) {}

// A ")" or "]" was typed at position: briefly highlight from its matching opening bracket.
void EditorViewController::typedCloseBracket(QChar, int) {}

// A "(" or "[" was typed at position: insert its closing partner when so set.
void EditorViewController::typedOpenBracket(QChar, int) {}

} // namespace corvane
