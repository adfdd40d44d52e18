// FindController: find in project in one project window. Runs the find pane's text search and
// keeps its results (the find dictionary: file path -> match rows), steps through the current
// file's matches, finds a file by name with the file list pane's field, and offers the definition
// search to the lookup commands. The search itself is ProjectFind's; this class connects it to the
// window's panes, editor, console and prompts.
#pragma once

#include "project/findresult.h"

#include <QList>
#include <QObject>

#include <optional>

class QAction;
class QTabWidget;

namespace corvane
{

class DocWindowController;
class FileNameField;
class FindPane;

class FindController : public QObject
{
    Q_OBJECT
public:
    // sidePanel is the window's side panel: 0 the file list, 1 the find pane.
    FindController(DocWindowController &window, QTabWidget *sidePanel);

    FindPane *findPane() const { return m_pane; }
    FileNameField *fileNameField() const { return m_fileField; }
    // The window's find commands, named as the command rules name them, with their shortcuts.
    const QList<QAction *> &actions() const { return m_actions; }

    // The search field's action: an empty text clears the results, any other text is searched.
    void findInProject();
    // Searches for the editor's selection (put into the field); an empty selection beeps.
    void findSelectionInProject();
    // Focus the search field (find pane in front) or the file-name field (file list in front).
    void findTextInProject();
    void findFileInProject();
    void findStringInProject(const QString &text);
    void clearFindInProjectResults();
    // The definition search of jump to definition, over the texts the editor would show.
    std::optional<FindResult> findLocationInProjectOfString(const QString &text) const;
    // Opens the first project file whose name contains the file-name field's text.
    void chooseSearchField();
    // The current file's next match below, or previous match above, the editor's line; beeps
    // when there is none.
    void jumpToNextFind();
    void jumpToPreviousFind();
    // Offers the project's file names to the file-name field.
    void setSearchFieldCompletions();

    bool caseSensitiveSearch() const;
    void setCaseSensitiveSearch(bool on);
    const std::optional<ErrorsDictionary> &findDictionary() const { return m_findDictionary; }
    bool hasResultsFor(const QString &path) const;

signals:
    // The find dictionary was replaced or dropped (the next/previous commands depend on it).
    void resultsChanged();

private:
    void jumpToFind(bool next);
    QAction *addAction(const char *name, const QString &text, const QKeySequence &key,
                       void (FindController::*slot)());
    // What this needs of the editor: the 1-based current line, the selection, showing a row.
    int currentLineNumber() const;
    QString selectedText() const;
    void openRow(const FindResult &row);

    DocWindowController &m_window;
    QTabWidget *m_sidePanel;
    FindPane *m_pane;
    FileNameField *m_fileField;
    QList<QAction *> m_actions;
    std::optional<ErrorsDictionary> m_findDictionary;
};

} // namespace corvane
