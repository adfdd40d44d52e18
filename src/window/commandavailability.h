// When a project window's commands are enabled: one rule per command name, the first rule that
// names a command decides; commands no rule names are always enabled.
#pragma once

#include <QString>

namespace corvane
{

struct CommandState {
    int tab = 1; // 0 console, 1 editor, 2 notes, 3 input file
    bool editorHasSelection = false;
    bool notesHaveFocusedSelection = false; // window key, notes focused, selection not empty
    bool editorHasLookupWord = false; // the caret touches a word, or there is a selection
    bool jumpBackPending = false;     // Back would return to where a jump started
    int historyIndex = 0;
    int historyCount = 0;
    bool projectSaved = false; // the project has a file
    bool processIsRunning = false;
    bool leftoverProcesses = false; // an ended run left processes running
    bool canRunExecutable = false;
    bool currentFileHasDiagnostics = false;
    bool currentFileHasFindResults = false;
    bool popoverOpen = false;
    qint64 inputOption = 2;
    bool inputFileNameSet = false;
};

bool commandEnabled(const QString &command, const CommandState &state);

} // namespace corvane
