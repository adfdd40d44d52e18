// The editor's colouring costs, on real Fortran (LAPACK sources joined):
//  - colouring a 1 MB, 20,000-line text from scratch, by the scanner alone and in the editor;
//  - one keystroke (a typed blank) at line 20,000 of that text, with its recolouring and the
//    change steps, with and without the repaint that follows;
//  - opening and showing a 100,000-line file in the standalone editor window, painted;
//  - comment, uncomment and shift right and left of 10,000 selected lines in the shown editor,
//    each one undo step (the undoSteps counter), with recolouring and the change steps;
//  - the completion list's content for a caret in a generated project of 50,000 names.
#include "analysis/ffileparser.h"
#include "editor/autocompletemanager.h"
#include "editor/colourscanner.h"
#include "editor/completionoffer.h"
#include "editor/corvanetextview.h"
#include "editor/editorcommands.h"
#include "editor/editorviewcontroller.h"
#include "project/projectindex.h"
#include "settings/vocabulary.h"
#include "window/standaloneeditor.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <benchmark/benchmark.h>

using namespace corvane;

namespace
{

// Lines of the LAPACK corpus (CORVANE_BENCH_CORPUS names another folder), in a fixed order,
// repeated until there are enough; one made-up line when no corpus is there.
QString corpusLines(int count, qsizetype targetChars)
{
    QStringList files;
    const QString folder = qEnvironmentVariable("CORVANE_BENCH_CORPUS",
                                                QStringLiteral("/work/shared/corpora/lapack/SRC"));
    QDirIterator it(folder, {"*.f", "*.f90"}, QDir::Files | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    QStringList lines;
    for (const QString &path : files) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            lines += QString::fromUtf8(f.readAll()).split('\n');
        if (lines.size() > count * 2)
            break;
    }
    if (lines.isEmpty())
        lines << QStringLiteral("      CALL DGEMM('N', 'N', M, N, K, ONE, A, LDA, B, LDB) ! x");
    // Keep lines whose average length reaches the target size.
    QString text;
    const qsizetype perLine = targetChars / count;
    for (int i = 0, n = 0; n < count; ++i) {
        QString line = lines[i % lines.size()];
        if (line.size() < perLine - 20 && targetChars > 0)
            continue;
        // Without a target size lines are kept whole (left(0) would leave only line feeds).
        text += (targetChars > 0 ? line.left(perLine * 2) : line) + QLatin1Char('\n');
        ++n;
    }
    return text;
}

const QString &megabyteText()
{
    static const QString text = corpusLines(20000, 1000 * 1000);
    return text;
}

void BM_ScannerColoursWholeText(benchmark::State &state)
{
    const ColourScanner scanner(Vocabulary::instance(), true);
    for (auto _ : state)
        benchmark::DoNotOptimize(scanner.colourText(megabyteText()));
    state.counters["chars"] = double(megabyteText().size());
}
BENCHMARK(BM_ScannerColoursWholeText)->Unit(benchmark::kMillisecond);

void BM_EditorColoursFromScratch(benchmark::State &state)
{
    EditorViewController editor;
    editor.setF90Coloring(false);
    QTextDocument doc;
    doc.setPlainText(megabyteText());
    editor.showDocument(&doc);
    for (auto _ : state) {
        editor.colorAllText();
        editor.finishColouring(); // the lines the event loop would colour later
    }
    editor.showDocument(nullptr);
    state.counters["lines"] = doc.blockCount();
}
BENCHMARK(BM_EditorColoursFromScratch)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAtLine20000(benchmark::State &state)
{
    EditorViewController editor;
    editor.setF90Coloring(false);
    QTextDocument doc;
    doc.setPlainText(megabyteText());
    editor.showDocument(&doc);
    editor.displayText();
    editor.finishColouring();
    CorvaneTextView *view = editor.textView();
    view->resize(800, 600);
    view->show();
    editor.editLine(20000);
    view->moveCursor(QTextCursor::EndOfBlock);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(view, Qt::Key_Space);
        QCoreApplication::processEvents(); // the repaint
        // The blank goes again, untimed: every keystroke meets the same line and view (a
        // growing line would scroll the view sideways and lengthen the line to lay out).
        state.PauseTiming();
        QTest::keyClick(view, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    editor.showDocument(nullptr);
}
BENCHMARK(BM_KeystrokeAtLine20000)->Unit(benchmark::kMicrosecond);

// The same keystroke without the repaint: the key's handling, the change steps and the
// recolouring of the changed line.
void BM_KeystrokeAtLine20000NoPaint(benchmark::State &state)
{
    EditorViewController editor;
    editor.setF90Coloring(false);
    QTextDocument doc;
    doc.setPlainText(megabyteText());
    editor.showDocument(&doc);
    editor.displayText();
    editor.finishColouring();
    CorvaneTextView *view = editor.textView();
    view->resize(800, 600);
    view->show();
    editor.editLine(20000);
    view->moveCursor(QTextCursor::EndOfBlock);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(view, Qt::Key_Space);
        state.PauseTiming();
        QCoreApplication::processEvents();
        QTest::keyClick(view, Qt::Key_Backspace);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    editor.showDocument(nullptr);
}
BENCHMARK(BM_KeystrokeAtLine20000NoPaint)->Unit(benchmark::kMicrosecond);

// Completion candidates in a project of about 50,000 names: 220 generated modules, each using the
// three below it (everything public, so the caret's procedure in the top module sees every name
// through USE chains), each with 110 variables, 60 functions, 55 subroutines and two derived types
// (the second extending a type of a used module, with bindings). The figure is what the editor
// does when the 0.3 s pause ends: the list's content for the caret (engine lookups, the candidates
// sorted), without drawing the list. The same caret in a 20,000-line file costs the same: nothing
// but the caret's line is read.
struct CompletionProject {
    std::shared_ptr<ProjectIndex> index;
    QString topPath;
    QString topText; // the top module; "!<caret>" marks the typing line
    qsizetype names = 0;
};

QString completionName(quint64 &seed, int module, int i)
{
    static const char *const stems[] = {
        "pressure", "temperature", "density", "velocity", "flux", "grid", "mesh", "cell",
        "node", "edge", "face", "solver", "residual", "matrix", "vector", "norm", "prod",
        "proj", "print", "process", "prepare", "predict", "prime", "prob", "profile", "step",
        "time", "dt", "energy", "mass", "momentum", "heat", "source", "sink", "boundary",
        "inflow", "outflow", "wall", "spline", "interp", "coef", "weight", "buffer", "index",
        "count", "total", "local", "global", "halo", "rank", "comm", "tol", "iter", "max",
        "min", "avg", "sum", "diff", "grad", "div", "curl", "lap", "stress", "strain",
        "visc", "turb", "wave", "phase", "omega", "alpha", "beta", "gamma", "theta", "phi"};
    static const char *const words[] = {"x", "y", "z", "old", "new", "tmp", "init", "final",
                                        "max", "min", "loc", "glob", "in", "out", "val"};
    const auto next = [&seed](int n) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((seed >> 33) % quint64(n));
    };
    return QStringLiteral("%1_%2_%3_%4")
        .arg(QLatin1String(stems[next(int(std::size(stems)))]),
             QLatin1String(words[next(int(std::size(words)))]))
        .arg(module)
        .arg(i);
}

const CompletionProject &completionProject()
{
    static const CompletionProject project = [] {
        constexpr int kModules = 220, kVariables = 110, kFunctions = 60, kSubroutines = 55;
        CompletionProject p;
        QList<MergeInput> inputs;
        quint64 seed = 42;
        FFileParser parser;
        for (int k = 0; k < kModules; ++k) {
            QString t;
            t += QStringLiteral("module mod%1\n").arg(k);
            for (int u = k - 1; u >= 0 && u >= k - 3; --u)
                t += QStringLiteral("  use mod%1\n").arg(u);
            t += QStringLiteral("  implicit none\n");
            t += QStringLiteral("  type :: base%1_t\n    real :: b%1x, b%1y\n  contains\n"
                                "    procedure :: norm%1 => base%1_norm\n"
                                "    procedure :: shift%1 => base%1_shift\n  end type\n")
                     .arg(k);
            t += QStringLiteral("  type, extends(base%1_t) :: field%2_t\n"
                                "    real, allocatable :: values(:)\n"
                                "    type(base%2_t) :: origin\n  end type\n")
                     .arg(k > 0 ? k - 1 : 0)
                     .arg(k);
            for (int i = 0; i < kVariables; ++i)
                t += QStringLiteral("  real :: %1\n").arg(completionName(seed, k, i));
            t += QStringLiteral("contains\n");
            t += QStringLiteral("  real function base%1_norm(self)\n    class(base%1_t) :: self\n"
                                "    base%1_norm = sqrt(self%b%1x**2)\n  end function\n"
                                "  subroutine base%1_shift(self, dx)\n"
                                "    class(base%1_t) :: self\n    real :: dx\n"
                                "    self%b%1x = self%b%1x + dx\n  end subroutine\n")
                     .arg(k);
            for (int i = 0; i < kFunctions; ++i) {
                const QString name = completionName(seed, k, 1000 + i);
                t += QStringLiteral("  real function %1(a, b)\n    real, intent(in) :: a, b\n"
                                    "    %1 = a + b\n  end function\n")
                         .arg(name);
            }
            for (int i = 0; i < kSubroutines; ++i) {
                const QString name = completionName(seed, k, 2000 + i);
                t += QStringLiteral("  subroutine %1(a, n)\n    integer, intent(in) :: n\n"
                                    "    real, intent(inout) :: a(n)\n    a = 2*a\n"
                                    "  end subroutine\n")
                         .arg(name);
            }
            p.names += kVariables + kFunctions + kSubroutines + 4;
            if (k == kModules - 1)
                t += QStringLiteral("  subroutine work(f)\n    type(field%1_t) :: f\n"
                                    "    real :: r\n    !<caret>\n  end subroutine\n")
                         .arg(k);
            t += QStringLiteral("end module\n");
            const QString path = QStringLiteral("/bench/mod%1.f90").arg(k);
            inputs.append({path, parser.declarationsInFortranFile(path, t, 1)});
            if (k == kModules - 1) {
                p.topPath = path;
                p.topText = t;
            }
        }
        p.index = gatherProjectDeclarations(inputs, true);
        return p;
    }();
    return project;
}

// The editor with the top module shown (after extraLines statements in front of the typing line
// when asked), line typed at the caret's line and the caret at its end.
void completionAtCaret(benchmark::State &state, const QString &line, int extraLines)
{
    const CompletionProject &project = completionProject();
    QString text = project.topText;
    QString typed = QStringLiteral("    ") + line;
    if (extraLines > 0) {
        QString body;
        for (int i = 0; i < extraLines; ++i)
            body += QStringLiteral("    r = r + %1.0 * r\n").arg(i % 97);
        typed.prepend(body);
    }
    text.replace(QLatin1String("    !<caret>"), typed);
    EditorViewController editor;
    editor.completionManager().setProjectIndex(project.index);
    editor.completionManager().setDeclarationsForDisplayedText(
        project.index->declarationsForFile(project.topPath));
    QTextDocument doc;
    doc.setPlainText(text);
    editor.setCodingMode(1);
    editor.setF90Coloring(true);
    editor.showDocument(&doc);
    editor.displayText();
    editor.finishColouring();
    CorvaneTextView *view = editor.textView();
    view->resize(800, 600);
    view->show();
    QTextCursor c(&doc);
    c.setPosition(int(text.indexOf(line, text.indexOf(QLatin1String("subroutine work"))) +
                      line.size()));
    view->setTextCursor(c);
    QCoreApplication::processEvents();
    qsizetype candidates = 0;
    for (auto _ : state) {
        const auto offer = editor.completionOfferAtCaret(false);
        candidates = offer ? offer->candidates.size() : 0;
        benchmark::DoNotOptimize(candidates);
    }
    if (candidates == 0)
        state.SkipWithError("no candidates");
    state.counters["names"] = double(project.names);
    state.counters["candidates"] = double(candidates);
    state.counters["lines"] = doc.blockCount();
    editor.showDocument(nullptr);
}

// An expression: functions, variables, keywords and intrinsic functions.
void BM_CompleteTwoLetters50000Names(benchmark::State &state)
{
    completionAtCaret(state, QStringLiteral("r = pr"), 0);
}
BENCHMARK(BM_CompleteTwoLetters50000Names)->Unit(benchmark::kMillisecond);

// After CALL: subroutines and intrinsic subroutines.
void BM_CompleteCallTwoLetters50000Names(benchmark::State &state)
{
    completionAtCaret(state, QStringLiteral("call pr"), 0);
}
BENCHMARK(BM_CompleteCallTwoLetters50000Names)->Unit(benchmark::kMillisecond);

// The same caret at line 20,000 of a 20,000-line procedure.
void BM_CompleteTwoLetters50000NamesAtLine20000(benchmark::State &state)
{
    completionAtCaret(state, QStringLiteral("r = pr"), 20000);
}
BENCHMARK(BM_CompleteTwoLetters50000NamesAtLine20000)->Unit(benchmark::kMillisecond);

// A component after "%": the type's chain through the used modules.
void BM_CompleteComponent50000Names(benchmark::State &state)
{
    completionAtCaret(state, QStringLiteral("r = f%origin%"), 0);
}
BENCHMARK(BM_CompleteComponent50000Names)->Unit(benchmark::kMicrosecond);

// 100,000 lines of the corpus (fixed form) in a file in dir.
QString writeHundredThousandLines(const QTemporaryDir &dir, benchmark::State &state)
{
    const QString path = dir.filePath(QStringLiteral("big.f"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(corpusLines(100000, 0).toUtf8()) < 0)
        state.SkipWithError("cannot write the file");
    return path;
}

void BM_OpenAndShow100000Lines(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeHundredThousandLines(dir, state);
    for (auto _ : state) {
        auto *window = new StandaloneEditor(path);
        window->show();
        QCoreApplication::processEvents(); // layout and first paint
        state.PauseTiming();
        window->editor()->document()->setModified(false);
        delete window;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenAndShow100000Lines)->Unit(benchmark::kMillisecond);

// The floor under the row above: the same file read into a bare QPlainTextEdit and shown, with
// no colouring, ruler or menus (Qt's own cost of holding 100,000 lines).
void BM_BarePlainTextEditOpen100000Lines(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeHundredThousandLines(dir, state);
    for (auto _ : state) {
        auto *edit = new QPlainTextEdit;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            state.SkipWithError("cannot read the file");
            break;
        }
        edit->setPlainText(QString::fromUtf8(f.readAll()));
        edit->resize(800, 600);
        edit->show();
        QCoreApplication::processEvents(); // layout and first paint
        state.PauseTiming();
        delete edit;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BarePlainTextEditOpen100000Lines)->Unit(benchmark::kMillisecond);

// 10,000 lines of the corpus (fixed form), as given or with every line prefixed.
QString tenThousandLines(const QString &prefix = QString())
{
    static const QString lines = corpusLines(10000, 0);
    if (prefix.isEmpty())
        return lines;
    QStringList parts = lines.split('\n');
    for (QString &part : parts)
        if (!part.isEmpty())
            part.prepend(prefix);
    return parts.join('\n');
}

// One command on the whole selected text; the undo that puts the text back is not timed.
void runCommandOnAllLines(benchmark::State &state, const QString &text,
                          void (EditorCommands::*command)())
{
    EditorViewController editor;
    editor.setF90Coloring(false);
    QTextDocument doc;
    doc.setPlainText(text);
    editor.showDocument(&doc);
    editor.displayText();
    editor.finishColouring();
    CorvaneTextView *view = editor.textView();
    view->resize(800, 600);
    view->show();
    QCoreApplication::processEvents();
    int undoSteps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        view->selectAll();
        state.ResumeTiming();
        (editor.commands()->*command)();
        QCoreApplication::processEvents(); // the repaint
        state.PauseTiming();
        const bool changed = doc.toPlainText() != text;
        // The steps Ctrl+Z needs to give back the text.
        undoSteps = 0;
        while (doc.isUndoAvailable()) {
            editor.undo();
            ++undoSteps;
        }
        if (!changed || doc.toPlainText() != text) {
            state.SkipWithError(changed ? "undo did not give back the text"
                                        : "the command changed nothing");
            break;
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["lines"] = doc.blockCount();
    state.counters["undoSteps"] = undoSteps;
    editor.showDocument(nullptr);
}

void BM_Comment10000Lines(benchmark::State &state)
{
    runCommandOnAllLines(state, tenThousandLines(), &EditorCommands::commentOutSelection);
}
BENCHMARK(BM_Comment10000Lines)->Unit(benchmark::kMillisecond);

void BM_Uncomment10000Lines(benchmark::State &state)
{
    runCommandOnAllLines(state, tenThousandLines("C"), &EditorCommands::unCommentOutSelection);
}
BENCHMARK(BM_Uncomment10000Lines)->Unit(benchmark::kMillisecond);

void BM_ShiftRight10000Lines(benchmark::State &state)
{
    runCommandOnAllLines(state, tenThousandLines(), &EditorCommands::shiftLinesRight);
}
BENCHMARK(BM_ShiftRight10000Lines)->Unit(benchmark::kMillisecond);

void BM_ShiftLeft10000Lines(benchmark::State &state)
{
    runCommandOnAllLines(state, tenThousandLines("   "), &EditorCommands::shiftLinesLeft);
}
BENCHMARK(BM_ShiftLeft10000Lines)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
