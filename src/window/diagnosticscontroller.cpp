#include "window/diagnosticscontroller.h"

#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "editor/markerlinenumberview.h"
#include "project/fortranfile.h"
#include "project/mydocument.h"
#include "window/diagnosticspane.h"
#include "window/commandaction.h"
#include "window/docwindowcontroller.h"
#include "window/errorpopovercontroller.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace corvane
{

namespace
{

// The top of a line of the editor in viewport coordinates.
int lineTop(const CorvaneTextView *view, int line)
{
    const QTextBlock block = view->document()->findBlockByNumber(line - 1);
    return block.isValid() ? view->cursorRect(QTextCursor(block)).top() : 0;
}

} // namespace

DiagnosticsController::DiagnosticsController(DocWindowController &window)
    : QObject(&window), m_window(window), m_popover(new ErrorPopoverController(&window))
{
    addAction("jumpToNextError", tr("Next &Diagnostic"), QKeySequence(Qt::Key_F8),
              &DiagnosticsController::jumpToNextError);
    addAction("jumpToPreviousError", tr("Previous Dia&gnostic"),
              QKeySequence(Qt::SHIFT | Qt::Key_F8), &DiagnosticsController::jumpToPreviousError);
    addAction("clearErrorMarks", tr("Clear Diagnostics of This &File"), QKeySequence(),
              &DiagnosticsController::clearErrorMarks);
    addAction("closePopover", tr("Close &Message Window"), QKeySequence(),
              &DiagnosticsController::closePopover);

    connect(window.editorController()->lineNumberView(),
            &MarkerLineNumberView::userClickedOnLineNumber, this,
            &DiagnosticsController::handleMarkerClick);
    // The message window is attached to a line: scrolling the text away closes it.
    connect(window.editor()->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &DiagnosticsController::closePopover);
    connect(m_popover, &ErrorPopoverController::popoverChanged, &window,
            &DocWindowController::validateCommands);
    DiagnosticsPane *pane = window.diagnosticsPane();
    connect(pane, &DiagnosticsPane::rowDoubleClicked, this,
            [this](const FindResult &row) { showErrorInPanel(row, true); });
}

DiagnosticsController::~DiagnosticsController() = default;

QAction *DiagnosticsController::addAction(const char *name, const QString &text,
                                          const QKeySequence &key,
                                          void (DiagnosticsController::*slot)())
{
    m_actions << commandAction(this, QString::fromLatin1(name), text, key, slot);
    return m_actions.last();
}

QColor DiagnosticsController::errorPopoverColor()
{
    QColor red(Qt::red);
    red.setAlphaF(0.9);
    return red;
}

QColor DiagnosticsController::warningPopoverColor()
{
    return QColor(255, 165, 0); // orange
}

QString DiagnosticsController::currentPath() const
{
    const FortranFile *file = m_window.currentFortranFile();
    return file ? file->filePath() : QString();
}

const QList<FindResult> *DiagnosticsController::currentRows() const
{
    const auto &errors = m_window.document()->errorsDictionary();
    const QString path = currentPath();
    return errors && !path.isEmpty() ? errors->find(path) : nullptr;
}

int DiagnosticsController::lineCount() const
{
    const QTextDocument *doc = m_window.editorController()->document();
    return doc ? doc->blockCount() : 0;
}

// --- marks -----------------------------------------------------------------------------------

void DiagnosticsController::fillErrorTreeController()
{
    m_window.diagnosticsPane()->fill(m_window.document()->errorsDictionary());
}

void DiagnosticsController::markErrorsForFile(const QString &path)
{
    if (path.isEmpty())
        return;
    hideErrorMarkers();
    const auto &errors = m_window.document()->errorsDictionary();
    const QList<FindResult> *rows = errors ? errors->find(path) : nullptr;
    if (!rows)
        return;
    QMap<int, MarkerLineNumberView::Marker> markers;
    const auto levels = DiagnosticMarks::markersForRows(*rows, lineCount());
    for (auto it = levels.begin(); it != levels.end(); ++it)
        markers.insert(it.key(), it.value() == DiagnosticMarks::Error
                                     ? MarkerLineNumberView::ErrorMarker
                                     : MarkerLineNumberView::WarningMarker);
    m_window.editorController()->lineNumberView()->setMarkers(markers);
}

void DiagnosticsController::hideErrorMarkers()
{
    m_window.editorController()->lineNumberView()->setMarkers({});
    closePopover();
}

void DiagnosticsController::clearErrorMarks()
{
    hideErrorMarkers();
    const QString path = currentPath();
    std::optional<ErrorsDictionary> errors = m_window.document()->errorsDictionary();
    if (path.isEmpty() || !errors || !errors->contains(path))
        return;
    m_marks.clearErrorMarks(errors, path);
    m_window.document()->setErrorsDictionary(errors);
    m_window.document()->documentHasChanged(); // what the project saves has changed
    m_window.validateCommands();
}

void DiagnosticsController::closePopover()
{
    m_popover->closePopover();
}

void DiagnosticsController::diagnosticsChanged()
{
    fillErrorTreeController();
    const QString path = currentPath();
    if (m_window.document()->errorsDictionary() && !path.isEmpty())
        markErrorsForFile(path);
    else
        hideErrorMarkers(); // a build starts: its message window goes too
}

void DiagnosticsController::buildFinished()
{
    m_marks.forgetRemovedErrors();
}

void DiagnosticsController::currentFileWasEdited()
{
    EditorViewController *editor = m_window.editorController();
    const LineChangeInfo change = editor->lineChange();
    const QString path = currentPath();
    std::optional<ErrorsDictionary> errors = m_window.document()->errorsDictionary();
    if (!errors || path.isEmpty() || !errors->contains(path) || change.isEmpty())
        return;
    editor->resetLineChange();
    if (!m_marks.updateErrorLineLocations(*errors, path, change))
        return;
    m_window.document()->setErrorsDictionary(errors);
    markErrorsForFile(path);
}

// --- the message window ------------------------------------------------------------------------

void DiagnosticsController::showPopoverAtLine(int line, QPoint location, bool clickedOnMarker)
{
    ErrorPopoverController::Properties properties;
    properties.lineNumber = line;
    properties.clickedOnMarker = clickedOnMarker;
    DiagnosticMarks::Message message;
    if (const QList<FindResult> *rows = currentRows())
        message = DiagnosticMarks::messageForLine(*rows, line, lineCount());
    properties.message = message.text;
    const bool error = message.level == DiagnosticMarks::Error;
    m_popover->setPopoverColor(error ? errorPopoverColor() : warningPopoverColor());
    m_popover->setPopoverBorderColor(Qt::white);
    m_popover->setPopoverTextColor(Qt::white);

    // Selecting the line may scroll it: the window follows the line.
    CorvaneTextView *view = m_window.editor();
    const int before = lineTop(view, line);
    m_window.editorController()->editLine(line, 0);
    location.ry() += lineTop(view, line) - before;
    properties.location = location;
    m_popover->showPopoverWithProperties(properties);
}

void DiagnosticsController::handleMarkerClick(const LineNumberClick &click)
{
    // A click below the last line names no line and opens nothing.
    if (!click.lineNumber)
        return;
    showPopoverAtLine(*click.lineNumber, click.location, click.clickedOnMarker);
}

QPoint DiagnosticsController::locationOfPopupForSelectedLine() const
{
    const CorvaneTextView *view = m_window.editor();
    const MarkerLineNumberView *ruler = m_window.editorController()->lineNumberView();
    QTextCursor start = view->textCursor();
    start.setPosition(start.selectionStart());
    const QRect caret = view->cursorRect(start);
    const int y = view->viewport()->mapTo(&m_window, caret.center()).y();
    const int x = ruler->mapTo(&m_window, QPoint(ruler->width() / 2, 0)).x();
    return {x, y};
}

void DiagnosticsController::jumpToNextError()
{
    jumpToError(true);
}

void DiagnosticsController::jumpToPreviousError()
{
    jumpToError(false);
}

void DiagnosticsController::jumpToError(bool next)
{
    const QList<FindResult> *rows = currentRows();
    const int current = m_window.editorController()->currentLineNumber();
    const std::optional<int> line =
        !rows ? std::nullopt
        : next ? DiagnosticMarks::nextLine(*rows, current, lineCount())
               : DiagnosticMarks::previousLine(*rows, current, lineCount());
    if (!line) {
        m_window.prompts().beep();
        return;
    }
    m_window.editorController()->editLine(*line, 0);
    showPopoverAtLine(*line, locationOfPopupForSelectedLine(), true);
}

// --- the message panel ------------------------------------------------------------------------

void DiagnosticsController::showErrorInPanel(const FindResult &row, bool atMouse)
{
    if (!m_panel) {
        m_panel = new QDialog(&m_window, Qt::Tool);
        m_panel->setObjectName(QStringLiteral("messagePanel"));
        m_panel->setWindowTitle(tr("Message"));
        m_panelText = new QPlainTextEdit;
        m_panelText->setReadOnly(true);
        m_panelText->setFont(EditorViewController::editorFont());
        auto *layout = new QVBoxLayout(m_panel);
        layout->setContentsMargins(6, 6, 6, 6);
        layout->addWidget(m_panelText);
        m_panel->resize(520, 160);
    }
    m_panelText->setPlainText(row.lineText);
    if (atMouse)
        m_panel->move(QCursor::pos());
    m_panel->show();
    m_panel->raise();
}

QString DiagnosticsController::messagePanelText() const
{
    return m_panelText ? m_panelText->toPlainText() : QString();
}

} // namespace corvane
