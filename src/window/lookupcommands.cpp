#include "window/lookupcommands.h"

#include "editor/corvanetextview.h"
#include "editor/definitionlookup.h"
#include "editor/editorviewcontroller.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "project/projectlookup.h"
#include "settings/intrinsicpages.h"
#include "settings/vocabulary.h"
#include "window/docwindowcontroller.h"
#include "window/findcontroller.h"
#include "window/lookuppopover.h"

#include <QAction>
#include <QTextBlock>

namespace corvane
{

LookupCommands::LookupCommands(DocWindowController &window)
    : QObject(&window), m_window(window), m_popover(new LookupPopover(&window))
{
    auto add = [this](const char *name, const QString &text, const QKeySequence &key,
                      void (LookupCommands::*slot)()) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        m_actions << action;
    };
    add("displayDeclarationInfo", tr("Show Declaration &Information"),
        QKeySequence(Qt::CTRL | Qt::Key_I), &LookupCommands::displayDeclarationInfo);
    add("jumpToDefinition", tr("&Jump to Definition"), QKeySequence(Qt::Key_F2),
        &LookupCommands::jumpToDefinition);
    // Whether the caret touches a word changes as it moves.
    connect(m_window.editor(), &QPlainTextEdit::cursorPositionChanged, &m_window,
            &DocWindowController::validateCommands);
}

bool LookupCommands::editorHasLookupWord() const
{
    if (!m_window.currentFortranFile())
        return false;
    const QTextCursor cursor = m_window.editor()->textCursor();
    if (cursor.hasSelection())
        return true;
    const QTextBlock block = cursor.block();
    return wordRangeAtPosition(block.text(), cursor.positionInBlock()).has_value();
}

std::optional<TextRange> LookupCommands::selectLookupRange()
{
    CorvaneTextView *editor = m_window.editor();
    QTextCursor cursor = editor->textCursor();
    const TextRange selection{quint64(cursor.selectionStart()),
                              quint64(cursor.selectionEnd() - cursor.selectionStart())};
    const std::optional<TextRange> range =
        lookupRange(m_window.editorController()->currentText(), selection);
    if (!range)
        return std::nullopt;
    if (*range != selection) {
        cursor.setPosition(int(range->location));
        cursor.setPosition(int(range->location + range->length), QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
    }
    return range;
}

QRect LookupCommands::selectionRect() const
{
    CorvaneTextView *editor = m_window.editor();
    QTextCursor start = editor->textCursor();
    start.setPosition(start.selectionStart());
    QTextCursor end = editor->textCursor();
    end.setPosition(end.selectionEnd());
    const QRect rect = editor->cursorRect(start).united(editor->cursorRect(end));
    return QRect(editor->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

void LookupCommands::displayDeclarationInfo()
{
    FortranFile *file = m_window.currentFortranFile();
    const std::optional<TextRange> range = file ? selectLookupRange() : std::nullopt;
    const auto index = m_window.document()->projectIndex();
    if (!range || !index) {
        m_window.prompts().beep();
        return;
    }
    EditorViewController *controller = m_window.editorController();
    const QString &text = controller->currentText();
    const LookupScope scope =
        lookupScopeFor(scopeForRange(text, *range, !controller->f90Coloring()));
    const auto declarations = index->declarationsForFile(file->filePath());
    const LookupResult r = lookupDeclarationInfo(*index, declarations.get(), file->filePath(),
                                                 scope, Vocabulary::instance().fortranIntrinsics());
    if (r.kind == LookupResult::Info) {
        m_popover->showText(r.text, selectionRect());
        return;
    }
    if (r.kind == LookupResult::Intrinsic) {
        if (const IntrinsicPage *page = IntrinsicPages::instance().page(r.text)) {
            m_popover->showPage(page->html(), selectionRect());
            return;
        }
    }
    m_window.prompts().beep();
}

void LookupCommands::jumpToDefinition()
{
    FortranFile *file = m_window.currentFortranFile();
    if (!file)
        return;
    EditorViewController *controller = m_window.editorController();
    CorvaneTextView *editor = m_window.editor();
    const QTextCursor before = editor->textCursor();
    const TextRange selection{quint64(before.selectionStart()),
                              quint64(before.selectionEnd() - before.selectionStart())};
    FindController *find = m_window.findController();
    const DefinitionJump jump =
        corvane::jumpToDefinition(controller->currentText(), selection, [find](const QString &t) {
            return find->findLocationInProjectOfString(t);
        });
    if (jump.kind == DefinitionJump::Nothing)
        return;
    if (jump.wordRange != selection) {
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(int(jump.wordRange.location));
        cursor.setPosition(int(jump.wordRange.location + jump.wordRange.length),
                           QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
    }
    switch (jump.kind) {
    case DefinitionJump::Beep:
        m_window.prompts().beep();
        return;
    case DefinitionJump::NotFound:
        find->findSelectionInProject();
        m_window.prompts().alert(QString::fromLatin1(DefinitionText::kNotFound).arg(jump.word),
                                 QString::fromLatin1(DefinitionText::kSeeFindPanel));
        return;
    default:
        break;
    }
    FortranFile *target = m_window.document()->fortranFileNamed(jump.location.filePath);
    if (!target)
        return; // not a project file
    JumpOrigin origin{file, jump.wordRange, target, int(jump.location.lineNumber)};
    m_window.openDiagnostic(jump.location);
    if (m_window.currentFortranFile() != target)
        return; // the file could not be shown
    m_origin = origin;
    m_window.validateCommands();
}

bool LookupCommands::canGoBackFromJump() const
{
    if (!m_origin || m_window.currentFortranFile() != m_origin->target)
        return false;
    if (m_window.editorController()->currentLineNumber() != m_origin->targetLine)
        return false;
    for (const auto &f : m_window.document()->projectFiles())
        if (f.get() == m_origin->file)
            return true;
    return false;
}

bool LookupCommands::goBackFromJump()
{
    if (!canGoBackFromJump())
        return false;
    const JumpOrigin origin = *m_origin;
    m_origin.reset();
    if (origin.file != m_window.currentFortranFile()) {
        // The history holds the file the jump left: go back there as Back does.
        if (!m_window.history().canGoBack() ||
            m_window.history().files().value(m_window.history().index() - 1) != origin.file)
            m_window.changeEditorToFileNamed(origin.file->filePath());
        else
            m_window.moveToPreviousFileInHistory();
        if (m_window.currentFortranFile() != origin.file)
            return true;
    }
    CorvaneTextView *editor = m_window.editor();
    QTextCursor cursor = editor->textCursor();
    const int length = editor->document()->characterCount() - 1;
    cursor.setPosition(qMin(int(origin.selection.location), length));
    cursor.setPosition(qMin(int(origin.selection.location + origin.selection.length), length),
                       QTextCursor::KeepAnchor);
    editor->setTextCursor(cursor);
    editor->centerCursor();
    editor->setFocus();
    m_window.validateCommands();
    return true;
}

} // namespace corvane
