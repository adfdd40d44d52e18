// DiagnosticsController: the last build's diagnostics in one project window. It marks the lines of
// the file in the editor (one ruler marker a line), opens the coloured message window of a marked
// line on a marker click and on Next/Previous (beeping at the ends), moves the marks with the
// editor's line-change records (DiagnosticMarks), clears the marks of a file, fills the
// diagnostics outline and shows a row's message in the message panel. The errors dictionary is the
// document's, so every change here is saved with the project.
#pragma once

#include "editor/diagnosticmarks.h"
#include "project/findresult.h"

#include <QColor>
#include <QList>
#include <QObject>

class QAction;
class QDialog;
class QPlainTextEdit;

namespace corvane
{

class DocWindowController;
class ErrorPopoverController;
struct LineNumberClick;

class DiagnosticsController : public QObject
{
    Q_OBJECT
public:
    explicit DiagnosticsController(DocWindowController &window);
    ~DiagnosticsController() override;

    // jumpToNextError (F8), jumpToPreviousError (Shift+F8), clearErrorMarks, closePopover.
    const QList<QAction *> &actions() const { return m_actions; }
    ErrorPopoverController *popover() const { return m_popover; }
    const DiagnosticMarks &marks() const { return m_marks; }

    // Fills the diagnostics outline from the dictionary.
    void fillErrorTreeController();
    // Redraws the ruler's markers from path's rows (nothing for an empty path).
    void markErrorsForFile(const QString &path);
    // Removes every marker and closes the message window.
    void hideErrorMarkers();
    // Hides the marks and takes the current file's diagnostics out of the dictionary.
    void clearErrorMarks();
    void closePopover();
    // Shows the message window for line n of the current file (when it is marked and asked for)
    // and selects that line in the editor.
    void showPopoverAtLine(int line, QPoint location, bool clickedOnMarker);
    // The current file was edited: moves its marks by the editor's record and resets the record.
    void currentFileWasEdited();
    void jumpToNextError();
    void jumpToPreviousError();
    void handleMarkerClick(const LineNumberClick &click);
    // The message panel with row's text, at the mouse when asked from a mouse click.
    void showErrorInPanel(const FindResult &row, bool atMouse);
    QDialog *messagePanel() const { return m_panel; }
    QString messagePanelText() const;
    // Where Next/Previous attach the message window: the ruler's middle at the selection's line.
    QPoint locationOfPopupForSelectedLine() const;

    // A build started (dictionary none) or completed (dictionary replaced).
    void diagnosticsChanged();
    void buildFinished();

    static QColor errorPopoverColor();
    static QColor warningPopoverColor();

private:
    void jumpToError(bool next);
    QAction *addAction(const char *name, const QString &text, const QKeySequence &key,
                       void (DiagnosticsController::*slot)());
    // The current file's rows, or nullptr when it has no entry.
    const QList<FindResult> *currentRows() const;
    QString currentPath() const;
    int lineCount() const;

    DocWindowController &m_window;
    DiagnosticMarks m_marks;
    ErrorPopoverController *m_popover;
    QDialog *m_panel = nullptr;
    QPlainTextEdit *m_panelText = nullptr;
    QList<QAction *> m_actions;
};

} // namespace corvane
