#include "window/commandavailability.h"

#include <QSet>

namespace corvane
{

bool commandEnabled(const QString &c, const CommandState &s)
{
    static const QSet<QString> editorOnly = {"commentOut",        "unCommentOut",
                                             "ShiftLinesRight",   "ShiftLinesLeft",
                                             "insertRealKind",    "insertDate",
                                             "completeProcedure", "openSelectedFile",
                                             "toggleCommentMode", "makeSelectionIntoCommentBlock",
                                             "toggleComment"};
    static const QSet<QString> editorSelection = {"findSelectionInProject"};
    // The lookup commands work on the selection or, without one, on the word at the caret.
    static const QSet<QString> lookups = {"jumpToDefinition", "displayDeclarationInfo"};
    static const QSet<QString> diagnostics = {"jumpToNextError", "jumpToPreviousError",
                                              "clearErrorMarks"};
    static const QSet<QString> finds = {"jumpToNextFind", "jumpToPreviousFind"};
    static const QSet<QString> wordCase = {"capitalizeWord", "lowercaseWord", "uppercaseWord"};

    const bool editorTab = s.tab == 1;
    if (editorOnly.contains(c))
        return editorTab;
    if (editorSelection.contains(c))
        return editorTab && s.editorHasSelection;
    if (lookups.contains(c))
        return editorTab && (s.editorHasSelection || s.editorHasLookupWord);
    if (c == QLatin1String("moveToPreviousFile"))
        return s.historyIndex != 0 || s.jumpBackPending;
    if (c == QLatin1String("moveToNextFile"))
        return s.historyCount > 0 && s.historyIndex + 1 != s.historyCount;
    if (c == QLatin1String("build") || c == QLatin1String("clean"))
        return s.projectSaved && !s.processIsRunning;
    if (c == QLatin1String("run"))
        return s.canRunExecutable && s.projectSaved && !s.processIsRunning;
    if (c == QLatin1String("abort"))
        return s.projectSaved && (s.processIsRunning || s.leftoverProcesses);
    if (diagnostics.contains(c))
        return editorTab && s.currentFileHasDiagnostics;
    if (finds.contains(c))
        return editorTab && s.currentFileHasFindResults;
    if (c == QLatin1String("closePopover"))
        return s.popoverOpen;
    if (wordCase.contains(c)) {
        if (s.tab == 2)
            return s.notesHaveFocusedSelection;
        if (editorTab)
            return s.editorHasSelection;
        return false;
    }
    if (c == QLatin1String("editInputFile"))
        return s.inputOption == 0 && s.inputFileNameSet;
    return true;
}

} // namespace corvane
