#include "window/findcontroller.h"

#include "build/projectfind.h"
#include "project/mydocument.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "window/consoleview.h"
#include "window/commandaction.h"
#include "window/docwindowcontroller.h"
#include "window/filenamefield.h"
#include "window/findpane.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

namespace corvane
{

FindController::FindController(DocWindowController &window, QTabWidget *sidePanel)
    : QObject(&window), m_window(window), m_sidePanel(sidePanel), m_pane(new FindPane),
      m_fileField(new FileNameField)
{
    m_fileField->setPlaceholderText(tr("Find file by name (Ctrl+P)"));
    connect(m_pane, &FindPane::searchRequested, this, &FindController::findInProject);
    connect(m_pane, &FindPane::clearRequested, this, &FindController::clearFindInProjectResults);
    connect(m_pane, &FindPane::rowChosen, this, &FindController::openRow);
    connect(m_fileField, &FileNameField::fileChosen, this, &FindController::chooseSearchField);

    addAction("findTextInProject", tr("Find in &Project..."),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), &FindController::findTextInProject);
    addAction("findSelectionInProject", tr("Find &Selection in Project"),
              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F),
              &FindController::findSelectionInProject);
    addAction("findFileInProject", tr("Find &File by Name..."), QKeySequence(Qt::CTRL | Qt::Key_P),
              &FindController::findFileInProject);
    addAction("jumpToNextFind", tr("&Next Match"), QKeySequence(Qt::Key_F3),
              &FindController::jumpToNextFind);
    addAction("jumpToPreviousFind", tr("Pre&vious Match"), QKeySequence(Qt::SHIFT | Qt::Key_F3),
              &FindController::jumpToPreviousFind);
    // Find Selection follows the editor's selection.
    connect(m_window.editor(), &QPlainTextEdit::selectionChanged, &m_window,
            &DocWindowController::validateCommands);
}

QAction *FindController::addAction(const char *name, const QString &text, const QKeySequence &key,
                                   void (FindController::*slot)())
{
    m_actions << commandAction(this, QString::fromLatin1(name), text, key, slot);
    return m_actions.last();
}

void FindController::findInProject()
{
    const QString text = m_pane->searchField()->text();
    if (text.isEmpty())
        clearFindInProjectResults();
    else
        findStringInProject(text);
}

void FindController::findSelectionInProject()
{
    const QString text = selectedText();
    if (text.isEmpty()) {
        m_window.prompts().beep();
        return;
    }
    m_pane->searchField()->setText(text);
    findStringInProject(text);
}

void FindController::findTextInProject()
{
    m_sidePanel->setCurrentIndex(DocWindowController::FindPane);
    m_pane->searchField()->setFocus(Qt::ShortcutFocusReason);
    m_pane->searchField()->selectAll();
}

void FindController::findFileInProject()
{
    m_sidePanel->setCurrentIndex(DocWindowController::FilesPane);
    m_fileField->setFocus(Qt::ShortcutFocusReason);
    m_fileField->selectAll();
}

void FindController::findStringInProject(const QString &text)
{
    const QList<FindSource> sources = findSources(*m_window.document());
    if (sources.isEmpty()) {
        m_window.console()->append(QString::fromLatin1(FindText::kNoFiles), Console::Role::Error);
        m_window.prompts().beep();
        return;
    }
    m_findDictionary.reset();
    QApplication::setOverrideCursor(Qt::WaitCursor); // a large project takes a moment
    ProjectFindResults results = corvane::findStringInProject(sources, text, m_pane->options());
    QApplication::restoreOverrideCursor();
    const qsizetype matches = results.matchCount();
    QString status;
    if (!results.patternError.isEmpty()) {
        status = results.patternError;
        m_pane->showResults({}, status);
        m_window.prompts().beep();
    } else if (matches > 0) {
        m_findDictionary = results.findDictionary();
        status = matches == 1 ? tr("1 match in 1 file")
                              : tr("%1 matches in %2 files").arg(matches).arg(m_findDictionary->size());
        m_pane->showResults(std::move(results.files), status);
    } else {
        // Only the files that could not be read stay in the outline.
        QList<FoundFile> unreadable;
        for (FoundFile &file : results.files)
            if (!file.error.isEmpty())
                unreadable << std::move(file);
        m_pane->showResults(std::move(unreadable), tr("Not found"));
        m_window.prompts().alert(QString::fromLatin1(FindText::kNotFound).arg(text), QString());
    }
    m_sidePanel->setCurrentIndex(DocWindowController::FindPane);
    emit resultsChanged();
}

void FindController::clearFindInProjectResults()
{
    m_pane->showResults({}, QString());
    m_findDictionary.reset();
    m_pane->searchField()->clear();
    emit resultsChanged();
}

std::optional<FindResult> FindController::findLocationInProjectOfString(const QString &text) const
{
    return corvane::findLocationInProjectOfString(findSources(*m_window.document()), text);
}

void FindController::chooseSearchField()
{
    const QString part = m_fileField->text();
    const QStringList paths = m_window.document()->fileNames();
    QStringList found;
    if (!part.isEmpty()) {
        // The name as typed first; a name typed in other letter case still finds its file.
        found = filesWithNameContaining(paths, part, Qt::CaseSensitive);
        if (found.isEmpty())
            found = filesWithNameContaining(paths, part, Qt::CaseInsensitive);
    }
    if (found.isEmpty())
        m_window.prompts().beep();
    else
        m_window.changeFileTableSelectionToRow(m_window.document()->indexOfFileNamed(found.first()));
    m_window.switchTabTo(DocWindowController::EditorTab);
    if (!found.isEmpty())
        m_window.editor()->setFocus(Qt::OtherFocusReason);
}

void FindController::jumpToNextFind()
{
    jumpToFind(true);
}

void FindController::jumpToPreviousFind()
{
    jumpToFind(false);
}

void FindController::jumpToFind(bool next)
{
    const FortranFile *current = m_window.currentFortranFile();
    const QList<FindResult> *rows =
        current && m_findDictionary ? m_findDictionary->find(current->filePath()) : nullptr;
    if (!rows)
        return;
    const quint64 line = quint64(currentLineNumber());
    const FindResult *target = nullptr;
    if (next) {
        for (const FindResult &row : *rows)
            if (row.lineNumber > line) {
                target = &row;
                break;
            }
    } else {
        for (auto it = rows->crbegin(); it != rows->crend(); ++it)
            if (it->lineNumber < line) {
                target = &*it;
                break;
            }
    }
    if (!target || target->lineNumber == 0) {
        m_window.prompts().beep();
        return;
    }
    m_window.editorController()->editLine(int(target->lineNumber), 0);
}

void FindController::setSearchFieldCompletions()
{
    QStringList names;
    for (const QString &path : m_window.document()->fileNames())
        names << QFileInfo(path).fileName();
    m_fileField->setFileNames(names);
}

bool FindController::caseSensitiveSearch() const
{
    return m_pane->caseButton()->isChecked();
}

void FindController::setCaseSensitiveSearch(bool on)
{
    m_pane->caseButton()->setChecked(on);
}

bool FindController::hasResultsFor(const QString &path) const
{
    return m_findDictionary && m_findDictionary->contains(path);
}

// --- the editor ------------------------------------------------------------------------------

int FindController::currentLineNumber() const
{
    return m_window.editorController()->currentLineNumber();
}

QString FindController::selectedText() const
{
    QString text = m_window.editor()->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void FindController::openRow(const FindResult &row)
{
    m_window.openDiagnostic(row);
}

} // namespace corvane
