// Which project-window commands are enabled in which state.
#include "window/commandavailability.h"

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;

namespace
{

TEST(CommandAvailability, Rules)
{
    using Set = std::function<void(CommandState &)>;
    struct Case {
        const char *command;
        Set state;
        bool want;
    };
    const auto tab = [](int t) { return Set([t](CommandState &s) { s.tab = t; }); };
    const Case cases[] = {
        {"commentOut", tab(1), true},
        {"commentOut", tab(0), false},
        {"openSelectedFile", tab(2), false},
        {"insertDate", tab(3), false},
        {"jumpToDefinition", tab(1), false},
        {"jumpToDefinition", [](CommandState &s) { s.editorHasSelection = true; }, true},
        {"jumpToDefinition",
         [](CommandState &s) {
             s.tab = 0;
             s.editorHasSelection = true;
         },
         false},
        // The lookup commands also work on the word at the caret, without a selection.
        {"jumpToDefinition", [](CommandState &s) { s.editorHasLookupWord = true; }, true},
        {"displayDeclarationInfo", tab(1), false},
        {"displayDeclarationInfo", [](CommandState &s) { s.editorHasLookupWord = true; }, true},
        {"displayDeclarationInfo",
         [](CommandState &s) {
             s.tab = 2;
             s.editorHasLookupWord = true;
         },
         false},
        {"findSelectionInProject", [](CommandState &s) { s.editorHasLookupWord = true; }, false},
        {"moveToPreviousFile",
         [](CommandState &s) {
             s.historyIndex = 0;
             s.historyCount = 3;
         },
         false},
        // Back returns from a jump within one file, where the history has nothing before.
        {"moveToPreviousFile",
         [](CommandState &s) {
             s.historyIndex = 0;
             s.historyCount = 1;
             s.jumpBackPending = true;
         },
         true},
        {"moveToPreviousFile",
         [](CommandState &s) {
             s.historyIndex = 1;
             s.historyCount = 3;
         },
         true},
        {"moveToNextFile", [](CommandState &s) { s.historyCount = 0; }, false},
        {"moveToNextFile",
         [](CommandState &s) {
             s.historyIndex = 1;
             s.historyCount = 3;
         },
         true},
        {"moveToNextFile",
         [](CommandState &s) {
             s.historyIndex = 2;
             s.historyCount = 3;
         },
         false},
        {"build", [](CommandState &) {}, false},
        {"build", [](CommandState &s) { s.projectSaved = true; }, true},
        {"clean",
         [](CommandState &s) {
             s.projectSaved = true;
             s.processIsRunning = true;
         },
         false},
        {"run", [](CommandState &s) { s.projectSaved = true; }, false},
        {"run",
         [](CommandState &s) {
             s.projectSaved = true;
             s.canRunExecutable = true;
         },
         true},
        {"run", [](CommandState &s) { s.canRunExecutable = true; }, false},
        {"run",
         [](CommandState &s) { s.projectSaved = s.canRunExecutable = s.processIsRunning = true; },
         false},
        {"abort", [](CommandState &s) { s.projectSaved = true; }, false},
        {"abort", [](CommandState &s) { s.projectSaved = s.processIsRunning = true; }, true},
        {"abort", [](CommandState &s) { s.projectSaved = s.leftoverProcesses = true; }, true},
        {"jumpToNextError", [](CommandState &s) { s.currentFileHasDiagnostics = true; }, true},
        {"clearErrorMarks",
         [](CommandState &s) {
             s.tab = 0;
             s.currentFileHasDiagnostics = true;
         },
         false},
        {"jumpToPreviousError", tab(1), false},
        {"jumpToNextFind", [](CommandState &s) { s.currentFileHasFindResults = true; }, true},
        {"jumpToPreviousFind", [](CommandState &s) { s.currentFileHasDiagnostics = true; }, false},
        {"closePopover", tab(1), false},
        {"closePopover", [](CommandState &s) { s.popoverOpen = true; }, true},
        {"uppercaseWord",
         [](CommandState &s) {
             s.tab = 0;
             s.editorHasSelection = true;
         },
         false},
        {"uppercaseWord", [](CommandState &s) { s.editorHasSelection = true; }, true},
        {"capitalizeWord",
         [](CommandState &s) {
             s.tab = 2;
             s.editorHasSelection = true;
         },
         false},
        {"lowercaseWord",
         [](CommandState &s) {
             s.tab = 2;
             s.notesHaveFocusedSelection = true;
         },
         true},
        {"editInputFile", [](CommandState &s) { s.inputOption = 0; }, false},
        {"editInputFile", [](CommandState &s) { s.inputFileNameSet = true; }, false},
        {"editInputFile",
         [](CommandState &s) {
             s.inputOption = 0;
             s.inputFileNameSet = true;
         },
         true},
        {"saveDocument", tab(0), true},
        {"somethingNew", [](CommandState &s) { s.tab = 3; }, true},
    };
    for (const Case &c : cases) {
        CommandState s;
        c.state(s);
        EXPECT_EQ(commandEnabled(c.command, s), c.want)
            << c.command << " tab " << s.tab << " selection " << s.editorHasSelection;
    }
}

} // namespace
