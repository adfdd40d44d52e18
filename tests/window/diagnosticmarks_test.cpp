// The last build's diagnostics on the editor's lines, with the real make and gfortran: ruler
// markers, Next/Previous and the coloured message window, marks that follow typing and undo, the
// marks saved with the project, clearing a file's marks, the message panel, and a click on the
// console's diagnostic line.
#include "build/rundriver.h"
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "editor/markerlinenumberview.h"
#include "project/fortranfile.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "window/consoleview.h"
#include "window/diagnosticscontroller.h"
#include "window/diagnosticspane.h"
#include "window/errorpopovercontroller.h"
#include "windowtestutil.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace corvane
{
namespace
{

constexpr int kBuildTimeoutMs = 120000;

// A warning on line 6 (a conversion -Wall reports) and an error on line 8.
const QByteArray kDemo = "program demo\n"
                         "  implicit none\n"
                         "  integer :: n\n"
                         "  real :: x\n"
                         "  n = 1\n"
                         "  x = 2.5d0 * n\n"
                         "  print *, n\n"
                         "  total = n + 1\n"
                         "  print *, n, x\n"
                         "end program demo\n";
const QByteArray kUtil = "module util\n  implicit none\nend module util\n";

using Markers = QMap<int, MarkerLineNumberView::Marker>;
const auto W = MarkerLineNumberView::WarningMarker;
const auto E = MarkerLineNumberView::ErrorMarker;

class DiagnosticMarksInWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString gfortran = QStandardPaths::findExecutable("gfortran");
        if (gfortran.isEmpty() || QStandardPaths::findExecutable("make").isEmpty())
            GTEST_SKIP() << "gfortran and make are needed";
        Defaults &d = Defaults::instance();
        d.setValue(keys::clearConsoleOnCompile, true);
        d.setValue(keys::parallelBuild, false);
        d.setValue(keys::autoSaveFiles, true);
        d.setValue(keys::environmentVariables, QVariantMap());
        m_project = fx.makeProject({{"util.f90", kUtil}, {"demo.f90", kDemo}});
        auto opened = MyDocument::open(m_project, fx.prompts);
        ASSERT_TRUE(opened.ok());
        MyDocument &doc = *opened.value();
        doc.setProjectCompilerPath(gfortran);
        doc.setDebugCompilerFlags("-g -O0 -Wall");
        doc.setIsDebugBuild(true);
        ASSERT_TRUE(doc.write(m_project).ok());
    }

    std::unique_ptr<DocWindowController> openShown()
    {
        auto window = fx.open(m_project);
        window->resize(1200, 760);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    static int demoRow(DocWindowController *w) { return w->document()->indexOfFileNamed(demoPath(w)); }
    static QString demoPath(DocWindowController *w)
    {
        return QDir(w->document()->docDirectoryPath()).filePath("demo.f90");
    }
    static Markers markers(DocWindowController *w)
    {
        return w->editorController()->lineNumberView()->markers();
    }
    static int currentLine(DocWindowController *w)
    {
        return w->editorController()->currentLineNumber();
    }
    static QList<quint64> savedLines(DocWindowController *w)
    {
        QList<quint64> lines;
        const auto &errors = w->document()->errorsDictionary();
        if (errors)
            for (const FindResult &row : errors->value(demoPath(w)))
                lines << row.lineNumber;
        return lines;
    }
    // The middle of a line of the editor in the ruler's coordinates.
    static QPoint rulerPointOfLine(DocWindowController *w, int line)
    {
        CorvaneTextView *view = w->editor();
        const QTextBlock block = view->document()->findBlockByNumber(line - 1);
        return {4, view->cursorRect(QTextCursor(block)).center().y()};
    }
    static void key(DocWindowController *w, Qt::Key k, Qt::KeyboardModifiers m = {})
    {
        QTest::keyClick(w->editor(), k, m);
    }

    test::ProjectFixture fx;
    QString m_project;
};

TEST_F(DiagnosticMarksInWindow, MarkersMessagesEditsUndoSavingAndTheConsoleLine)
{
    auto window = openShown();
    DocWindowController *w = window.get();
    ErrorPopoverController *popover = w->diagnosticsController()->popover();
    MarkerLineNumberView *ruler = w->editorController()->lineNumberView();
    w->changeFileTableSelectionToRow(0); // util.f90 in the editor while building

    QTest::mouseClick(w->toolbar()->widgetForAction(w->action("build")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->runDriver()->processIsRunning(); },
                                kBuildTimeoutMs));
    const QString console = w->console()->toPlainText();
    ASSERT_EQ(savedLines(w), (QList<quint64>{6, 8})) << console.toStdString();
    EXPECT_EQ(w->diagnosticsPane()->shownRows().value(0), "demo.f90");

    // A click on the console's location line opens the file at that line.
    const int at = int(console.indexOf(QRegularExpression("demo\\.f90:8:\\d+:")));
    ASSERT_GE(at, 0) << console.toStdString();
    ConsoleView *cv = w->console();
    QTextCursor c(cv->document());
    c.setPosition(at + 2);
    cv->setTextCursor(c);
    cv->ensureCursorVisible();
    QTest::mouseClick(cv->viewport(), Qt::LeftButton, {}, cv->cursorRect(c).center());
    EXPECT_EQ(w->currentTab(), DocWindowController::EditorTab);
    ASSERT_EQ(w->currentFortranFile()->filePath(), demoPath(w));
    EXPECT_EQ(currentLine(w), 8);
    // One marker a line, in the file now shown.
    EXPECT_EQ(markers(w), (Markers{{6, W}, {8, E}}));
    const int beeps = fx.prompts.beeps;

    // Next and Previous (F8, Shift+F8) open the message window of the line they go to.
    w->editorController()->editLine(1);
    key(w, Qt::Key_F8);
    EXPECT_EQ(currentLine(w), 6);
    ASSERT_TRUE(popover->isOpen());
    EXPECT_EQ(popover->lineNumberForPopover(), 6);
    EXPECT_TRUE(popover->message().contains("Possible change of value in conversion"))
        << popover->message().toStdString();
    EXPECT_EQ(popover->popoverColor(), DiagnosticsController::warningPopoverColor());
    EXPECT_EQ(popover->popoverTextColor(), QColor(Qt::white));
    EXPECT_TRUE(w->action("closePopover")->isEnabled());
    key(w, Qt::Key_F8);
    EXPECT_EQ(currentLine(w), 8);
    EXPECT_EQ(popover->lineNumberForPopover(), 8);
    EXPECT_TRUE(popover->message().contains("has no IMPLICIT type")) << popover->message().toStdString();
    EXPECT_FALSE(popover->message().endsWith('\n'));
    EXPECT_EQ(popover->popoverColor(), DiagnosticsController::errorPopoverColor());
    key(w, Qt::Key_F8);
    EXPECT_EQ(fx.prompts.beeps, beeps + 1) << "no diagnostic below line 8";
    EXPECT_EQ(currentLine(w), 8);
    key(w, Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(currentLine(w), 6);
    key(w, Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(fx.prompts.beeps, beeps + 2) << "no diagnostic above line 6";
    const QString pictures = QString(CORVANE_BINARY_DIR) + "/screenshots";
    QDir().mkpath(pictures);
    EXPECT_TRUE(w->grab().save(pictures + "/diagnostic-message-window.png"));

    // A click in the message window closes it; a marker click opens it, twice in a row too.
    ASSERT_TRUE(popover->isOpen());
    QTest::mouseClick(popover->popover(), Qt::LeftButton, {}, popover->popover()->rect().center());
    EXPECT_FALSE(popover->isOpen());
    EXPECT_FALSE(w->action("closePopover")->isEnabled());
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(ruler, Qt::LeftButton, {}, rulerPointOfLine(w, 8));
        ASSERT_TRUE(popover->isOpen()) << "click " << i;
        EXPECT_EQ(popover->lineNumberForPopover(), 8);
        EXPECT_EQ(currentLine(w), 8);
    }
    // An unmarked line is selected and shows nothing; below the last line nothing happens.
    QTest::mouseClick(ruler, Qt::LeftButton, {}, rulerPointOfLine(w, 3));
    EXPECT_FALSE(popover->isOpen());
    EXPECT_EQ(currentLine(w), 3);
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(4, ruler->height() - 2));
    EXPECT_FALSE(popover->isOpen());
    EXPECT_EQ(currentLine(w), 3);
    // The console tab closes it.
    QTest::mouseClick(ruler, Qt::LeftButton, {}, rulerPointOfLine(w, 6));
    ASSERT_TRUE(popover->isOpen());
    w->switchTabTo(DocWindowController::ConsoleTab);
    EXPECT_FALSE(popover->isOpen());
    w->switchTabTo(DocWindowController::EditorTab);

    // A line typed above the marks moves them down; undo moves them back.
    const QString original = w->editor()->toPlainText();
    w->editorController()->editLine(2);
    QTextCursor start = w->editor()->textCursor();
    start.setPosition(start.selectionStart());
    w->editor()->setTextCursor(start);
    QTest::keyClicks(w->editor(), "! note");
    key(w, Qt::Key_Return);
    EXPECT_EQ(markers(w), (Markers{{7, W}, {9, E}}));
    EXPECT_EQ(savedLines(w), (QList<quint64>{7, 9}));
    for (int i = 0; i < 10 && w->editor()->toPlainText() != original; ++i)
        key(w, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(w->editor()->toPlainText(), original);
    EXPECT_EQ(markers(w), (Markers{{6, W}, {8, E}}));

    // Deleting the marked line takes its mark; undo brings it back.
    w->editorController()->editLine(8);
    key(w, Qt::Key_Delete);
    EXPECT_EQ(markers(w), (Markers{{6, W}}));
    EXPECT_EQ(savedLines(w), (QList<quint64>{6}));
    key(w, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(markers(w), (Markers{{6, W}, {8, E}}));
    EXPECT_EQ(savedLines(w), (QList<quint64>{6, 8}));

    // A double click on a row shows its message in the panel.
    QTreeWidget *outline = w->diagnosticsPane()->outline();
    QTreeWidgetItem *errorRow = outline->topLevelItem(0)->child(1);
    ASSERT_NE(errorRow, nullptr);
    const QPoint rowPoint = outline->visualItemRect(errorRow).center();
    // A double click as the system delivers it: press and release, then the double click.
    QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, rowPoint);
    QTest::mouseDClick(outline->viewport(), Qt::LeftButton, {}, rowPoint);
    ASSERT_NE(w->diagnosticsController()->messagePanel(), nullptr);
    EXPECT_TRUE(w->diagnosticsController()->messagePanel()->isVisible());
    EXPECT_TRUE(w->diagnosticsController()->messagePanelText().contains("has no IMPLICIT type"));

    // The saved project reopens with its marks.
    ASSERT_TRUE(w->saveDocument());
    window.reset();
    auto reopened = openShown();
    w = reopened.get();
    w->changeFileTableSelectionToRow(demoRow(w));
    ASSERT_EQ(w->currentFortranFile()->filePath(), demoPath(w));
    EXPECT_EQ(markers(w), (Markers{{6, W}, {8, E}}));
    EXPECT_EQ(w->diagnosticsPane()->shownRows().value(0), "demo.f90");
    w->switchTabTo(DocWindowController::EditorTab);
    w->editorController()->editLine(7);
    key(w, Qt::Key_F8);
    EXPECT_EQ(w->diagnosticsController()->popover()->lineNumberForPopover(), 8);

    // Clearing the file's marks takes them out of what the project saves.
    ASSERT_TRUE(w->action("clearErrorMarks")->isEnabled());
    w->action("clearErrorMarks")->trigger();
    EXPECT_TRUE(markers(w).isEmpty());
    EXPECT_FALSE(w->diagnosticsController()->popover()->isOpen());
    EXPECT_FALSE(w->action("jumpToNextError")->isEnabled());
    ASSERT_TRUE(w->saveDocument());
    reopened.reset();
    auto cleared = openShown();
    cleared->changeFileTableSelectionToRow(demoRow(cleared.get()));
    EXPECT_TRUE(markers(cleared.get()).isEmpty());
    EXPECT_TRUE(savedLines(cleared.get()).isEmpty());
}

// The file changed since the build: rows beyond its end show on its last line, and Next reaches
// them there (we had this bug: they were dropped from the ruler).
TEST_F(DiagnosticMarksInWindow, RowsBeyondTheEndShowOnTheLastLine)
{
    auto opened = MyDocument::open(m_project, fx.prompts);
    ASSERT_TRUE(opened.ok());
    const QString demo = QDir(opened.value()->docDirectoryPath()).filePath("demo.f90");
    ErrorsDictionary errors;
    FindResult far(demo, "Error: beyond the end", 40, 1);
    errors.insert(demo, {far});
    opened.value()->setErrorsDictionary(errors);
    ASSERT_TRUE(opened.value()->write(m_project).ok());

    auto window = openShown();
    DocWindowController *w = window.get();
    w->changeFileTableSelectionToRow(demoRow(w));
    const int last = w->editor()->document()->blockCount();
    EXPECT_EQ(markers(w), (Markers{{last, E}}));
    w->switchTabTo(DocWindowController::EditorTab);
    w->editorController()->editLine(1);
    key(w, Qt::Key_F8);
    EXPECT_EQ(currentLine(w), last);
    EXPECT_EQ(w->diagnosticsController()->popover()->message(), "Error: beyond the end");
}

} // namespace
} // namespace corvane
