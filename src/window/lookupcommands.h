// LookupCommands: the project window's two lookup commands and the way back from a jump.
// Show Declaration Information (Ctrl+I) shows what the name at the caret or the selected name
// is, or the intrinsic's page, in a popover at the selection; Jump to Definition (F2) opens the
// defining line of the procedure or module named there; Back (Alt+Left) after a jump returns to
// where it started, also within one file. The logic is DefinitionLookup's and ProjectLookup's;
// this class connects it to the editor, the find pane, the prompts and the popover.
#pragma once

#include "project/textrange.h"

#include <QList>
#include <QObject>
#include <QRect>

#include <optional>

class QAction;

namespace corvane
{

class DocWindowController;
class FortranFile;
class LookupPopover;

class LookupCommands : public QObject
{
    Q_OBJECT
public:
    explicit LookupCommands(DocWindowController &window);

    // "displayDeclarationInfo" and "jumpToDefinition", with their shortcuts.
    const QList<QAction *> &actions() const { return m_actions; }

    void displayDeclarationInfo();
    void jumpToDefinition();
    // Returns to where the last jump started while the editor still shows its target line;
    // false (nothing done) otherwise.
    bool goBackFromJump();
    bool canGoBackFromJump() const;
    // The editor's caret touches a word (or the selection is not empty).
    bool editorHasLookupWord() const;

    LookupPopover *popover() const { return m_popover; }

private:
    // The range the commands work on, selected in the editor; none when the caret touches no
    // word.
    std::optional<TextRange> selectLookupRange();
    QRect selectionRect() const;

    DocWindowController &m_window;
    QList<QAction *> m_actions;
    LookupPopover *m_popover; // a child of the window
    // Where the last jump started and where it went. The files are checked against the
    // project's before use: one may have left the project since.
    struct JumpOrigin {
        FortranFile *file = nullptr;
        TextRange selection;
        FortranFile *target = nullptr;
        int targetLine = 0;
    };
    std::optional<JumpOrigin> m_origin;
};

} // namespace corvane
