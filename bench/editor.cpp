// The editor's colouring costs, on real Fortran (LAPACK sources joined):
//  - colouring a 1 MB, 20,000-line text from scratch, by the scanner alone and in the editor;
//  - one keystroke (a typed blank) at line 20,000 of that text, with its recolouring and the
//    change steps, with and without the repaint that follows;
//  - opening and showing a 100,000-line file in the standalone editor window, painted;
//  - comment, uncomment and shift right and left of 10,000 selected lines in the shown editor,
//    each one undo step (the undoSteps counter), with recolouring and the change steps.
#include "editor/colourscanner.h"
#include "editor/corvanetextview.h"
#include "editor/editorcommands.h"
#include "editor/editorviewcontroller.h"
#include "settings/vocabulary.h"
#include "window/standaloneeditor.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
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
    for (auto _ : state)
        editor.colorAllText();
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

void BM_OpenAndShow100000Lines(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.f"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            state.SkipWithError("cannot write the file");
        f.write(corpusLines(100000, 0).toUtf8());
    }
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
