// EditorCommands: the editing commands of one editor, as actions a window puts in its menus. Each
// command takes the text view's selection, asks EditingCommands for its one replacement, makes it
// through the undoable replacement (one undo step with the command's title) and selects what the
// command leaves selected. It also gives the text view the indentation settings (Return keeps the
// line's indentation, Tab inserts blanks) and shows the brief notice of plain-text mode.
//
// Actions (object names are the window's command names) and their keys:
//   toggleComment Ctrl+/   commentOut Ctrl+D   unCommentOut Ctrl+Shift+D
//   makeSelectionIntoCommentBlock Alt+Shift+A   ShiftLinesRight Ctrl+]   ShiftLinesLeft Ctrl+[
//   insertRealKind Ctrl+Alt+K   insertDate Ctrl+Alt+D   toggleCommentMode Ctrl+Shift+M
//   uppercaseWord Alt+Shift+U   lowercaseWord Alt+U   capitalizeWord Ctrl+Alt+U
// The actions are added to no widget here: the window that shows them adds them (once).
#pragma once

#include "editor/editingcommands.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QWidget;

namespace corvane
{

class Defaults;
class EditorViewController;

class EditorCommands : public QObject
{
    Q_OBJECT
public:
    // How long the plain-text notice fades in, stays and fades out.
    static constexpr int kNoticeFadeMs = 250;
    static constexpr int kNoticeFadeOutAfterMs = 500;

    EditorCommands(EditorViewController &editor, Defaults &defaults);

    const QList<QAction *> &actions() const { return m_actions; }
    QAction *action(const QString &name) const;
    // Adds the actions to a window's Format menu, grouped.
    void fillMenu(QMenu *menu) const;

    void commentOutSelection();
    void unCommentOutSelection();
    void toggleComment();
    void makeSelectionIntoACommentBlock();
    void shiftLinesRight();
    void shiftLinesLeft();
    void insertRealKind();
    void insertDate();
    void changeWordCase(WordCase mode);
    // Switches between coding mode and plain-text mode (with the brief notice).
    void toggleCodingMode();
    // The notice window while it is shown (tests).
    QWidget *plainTextNotice() const { return m_notice; }

private:
    QAction *addCommand(const char *name, const QString &text, const QKeySequence &keys,
                        void (EditorCommands::*slot)());
    void perform(const CommandResult &result);
    TextRange selection() const;
    void applyIndentation();
    void showPlainTextNotice();

    EditorViewController &m_editor;
    Defaults &m_defaults;
    QList<QAction *> m_actions;
    QPointer<QWidget> m_notice;
};

} // namespace corvane
