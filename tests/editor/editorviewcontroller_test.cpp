// The editor in its real widget: typing with QTest key events upper-cases keywords where code is
// typed, colouring follows the settings and never counts as an edit, and every kind of edit
// passes the change steps once with the right line-change record.
#include "editor/corvanetextview.h"
#include "editor/editorviewcontroller.h"
#include "editor/markerlinenumberview.h"
#include "settings/defaults.h"
#include "settings/settingskeys.h"
#include "settings/vocabulary.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_store = std::make_unique<Defaults>(
            std::make_unique<QSettings>(m_dir.filePath("settings.ini"), QSettings::IniFormat));
        m_editor = std::make_unique<EditorViewController>(*m_store, vocabulary());
        view()->resize(640, 400);
        view()->show();
        show("");
    }

    static const Vocabulary &vocabulary()
    {
        static const Vocabulary v = Vocabulary::fromFile(CORVANE_TEST_DATA "/vocabulary.plist");
        return v;
    }

    CorvaneTextView *view() { return m_editor->textView(); }

    // Types text key by key; a line feed is the Return key.
    void type(const QString &text)
    {
        const QStringList lines = text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(view(), Qt::Key_Return);
            QTest::keyClicks(view(), lines[i]);
        }
    }

    // Shows a new document with text, the caret at its end.
    void show(const QString &text, bool freeForm = true)
    {
        // The view lets go of the old document before it goes.
        m_editor->showDocument(nullptr);
        m_doc = std::make_unique<QTextDocument>();
        m_doc->setPlainText(text);
        m_doc->setModified(false);
        m_editor->setCodingMode(1);
        m_editor->setF90Coloring(freeForm);
        m_editor->showDocument(m_doc.get());
        m_editor->displayText();
        view()->moveCursor(QTextCursor::End);
        view()->setFocus();
    }

    // The colour shown at a position, invalid for normal text.
    QColor colourAt(int position) const
    {
        const QTextBlock block = m_doc->findBlock(position);
        for (const QTextLayout::FormatRange &r : block.layout()->formats())
            if (r.start <= position - block.position() &&
                position - block.position() < r.start + r.length)
                return r.format.foreground().color();
        return QColor();
    }

    int colouredRanges() const
    {
        int n = 0;
        for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next())
            n += int(b.layout()->formats().size());
        return n;
    }

    QColor setting(const char *key) const { return QColor(m_store->stringValue(key)); }

    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_store;
    std::unique_ptr<QTextDocument> m_doc;
    std::unique_ptr<EditorViewController> m_editor;
};

TEST_F(EditorTest, TypingADelimiterUpcasesKeywordsOnlyInCode)
{
    m_store->setValue(keys::autoCompleteParentheses, false); // typed "(" stays alone here
    const struct {
        const char *before; // text already there
        const char *typed;
        bool freeForm;
        const char *want;
    } cases[] = {
        {"", "end ", true, "END "},
        {"", "  x = sqrt(", true, "  x = SQRT("},
        {"", "end do\n", true, "END DO\n"},
        {"", "print *, 'end ", true, "PRINT *, 'end "},     // in a string
        {"", "x = 1 ! end ", true, "x = 1 ! end "},         // in a comment
        {"", "#if defined(end) ", true, "#if defined(end) "},
        {"", "#define STOP end ", true, "#define STOP end "},
        {"", "c end ", false, "c end "},                    // fixed-form comment line
        {"", "      end ", false, "      END "},
        {"", "endx ", true, "endx "},
        {"call foo\n", "end ", true, "call foo\nEND "},      // the earlier line stays
    };
    for (const auto &c : cases) {
        show(c.before, c.freeForm);
        type(c.typed);
        EXPECT_EQ(m_doc->toPlainText(), QString(c.want)) << c.typed;
    }
}

TEST_F(EditorTest, UpcasingFollowsItsSettingAndCodingMode)
{
    m_store->setValue(keys::UppercaseKeywordFlag, false);
    QTest::keyClicks(view(), "end ");
    EXPECT_EQ(m_doc->toPlainText(), "end ");

    m_store->setValue(keys::UppercaseKeywordFlag, true);
    show("");
    m_editor->setCodingMode(0);
    EXPECT_TRUE(view()->plainTextMarkerShown());
    QTest::keyClicks(view(), "end ");
    EXPECT_EQ(m_doc->toPlainText(), "end ");
    EXPECT_EQ(colouredRanges(), 0);
}

TEST_F(EditorTest, KeyRepeatRecoloursWithoutUpcasing)
{
    QTest::keyClicks(view(), "end");
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(view(), &repeat);
    EXPECT_EQ(m_doc->toPlainText(), "end ");
    EXPECT_EQ(colourAt(0), setting(keys::KeywordColor));
}

TEST_F(EditorTest, ColorSyntaxOffColoursNothingAndOnColoursAll)
{
    show("program p\n  x = sqrt(2.0) ! root\nend program p\n");
    EXPECT_EQ(colourAt(0), setting(keys::KeywordColor));
    EXPECT_EQ(colourAt(16), setting(keys::IntrinsicColor));

    m_store->setValue(keys::ColorSyntax, false);
    EXPECT_EQ(colouredRanges(), 0);
    type("call sqrt(1) ! more\n");
    show("end\n");
    EXPECT_EQ(colouredRanges(), 0);

    m_store->setValue(keys::ColorSyntax, true);
    EXPECT_EQ(colourAt(0), setting(keys::KeywordColor));
}

TEST_F(EditorTest, OnlyADifferentColourRecolours)
{
    show("end ! note\n");
    const int before = m_editor->fullColourings();
    m_store->setValue(keys::CommentColor, m_store->stringValue(keys::CommentColor));
    m_editor->setColour(SpanKind::Comment, setting(keys::CommentColor));
    EXPECT_EQ(m_editor->fullColourings(), before);

    m_store->setValue(keys::CommentColor, "#00aa00");
    EXPECT_EQ(m_editor->fullColourings(), before + 1);
    EXPECT_EQ(colourAt(5), QColor("#00aa00"));
    m_store->setValue(keys::KeywordColor, "#123456");
    EXPECT_EQ(colourAt(0), QColor("#123456"));
}

// A long text is coloured from its first lines and the lines on screen at once, the rest from
// the event loop; lines removed ahead of that pass, and lines scrolled to, are not skipped, and
// in the end every line has the colours the scanner gives it, as no edit.
TEST_F(EditorTest, LongTextsAreColouredInTheBackgroundWithoutGaps)
{
    QString text;
    for (int i = 0; i < 6000; ++i)
        text += i % 3 == 0 ? QStringLiteral("  call solve(x) ! step %1\n").arg(i)
                           : QStringLiteral("  print *, 'x', sqrt(y%1)\n").arg(i);
    QSignalSpy changed(m_editor.get(), &EditorViewController::fortranFileHasChanged);
    show(text);
    const int line5000 = m_doc->findBlockByNumber(5000).position();
    auto allMatchTheScanner = [this] {
        QList<Span> spans;
        for (QTextBlock b = m_doc->begin(); b.isValid(); b = b.next()) {
            spans.clear();
            m_editor->scanner().colourLine(b.text(), LineState::Normal, spans);
            if (b.layout()->formats().size() != spans.size())
                return false;
        }
        return true;
    };
    EXPECT_TRUE(colourAt(2).isValid()); // the first line at once
    EXPECT_TRUE(m_editor->colouringPending());
    EXPECT_FALSE(colourAt(line5000 + 2).isValid());

    // Scrolling there colours it before anything is painted.
    view()->verticalScrollBar()->setValue(5000);
    EXPECT_EQ(colourAt(line5000 + 2), setting(keys::KeywordColor));

    // Lines removed ahead of the pass move uncoloured lines up past its place.
    QTextCursor cut(m_doc->findBlockByNumber(100));
    cut.setPosition(m_doc->findBlockByNumber(2000).position(), QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    while (m_editor->colouringPending())
        QCoreApplication::processEvents();
    EXPECT_TRUE(allMatchTheScanner());

    // A recolouring finished at once gives the same; the document stays unmodified by colours.
    m_store->setValue(keys::KeywordColor, "#224466");
    m_editor->finishColouring();
    EXPECT_FALSE(m_editor->colouringPending());
    EXPECT_TRUE(allMatchTheScanner());
    EXPECT_EQ(colourAt(2), QColor("#224466"));
    EXPECT_EQ(changed.count(), 1); // the cut only
    m_doc->undo();
    m_doc->setModified(false);
    m_editor->finishColouring();
    EXPECT_FALSE(m_doc->isUndoAvailable());
    EXPECT_FALSE(m_doc->isModified());
}

// A file's text loaded into the document the view already shows is no edit and no undo step;
// the next keystroke is one change at the right line of the loaded text.
TEST_F(EditorTest, TextLoadedIntoTheShownDocumentIsNoEdit)
{
    QSignalSpy changed(m_editor.get(), &EditorViewController::fortranFileHasChanged);
    m_editor->showDocument(nullptr);
    m_doc = std::make_unique<QTextDocument>();
    m_editor->showDocument(m_doc.get());
    m_editor->loadShownText("program p\n  x = 1\nend program p\n");
    m_editor->displayText();
    EXPECT_EQ(m_doc->toPlainText(), "program p\n  x = 1\nend program p\n");
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(m_doc->isModified());
    EXPECT_FALSE(m_doc->isUndoAvailable());
    EXPECT_EQ(colourAt(0), setting(keys::KeywordColor));

    QTextCursor c(m_doc->findBlockByNumber(1));
    c.movePosition(QTextCursor::EndOfBlock);
    view()->setTextCursor(c);
    QTest::keyClick(view(), Qt::Key_Return);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m_editor->lineChange().numberOfLinesAddedOrDeleted, 1);
    EXPECT_EQ(m_editor->lineChange().affectedLineNumber, 3u);
    EXPECT_TRUE(m_doc->isModified());
}

TEST_F(EditorTest, ColouringIsNoEdit)
{
    QSignalSpy changed(m_editor.get(), &EditorViewController::fortranFileHasChanged);
    show("program p\n  print *, 'x' ! c\n#if A\nend\n");
    m_editor->colorAllText();
    m_store->setValue(keys::StringColor, "#010203");
    m_editor->setF90Coloring(false);
    m_editor->colorAllText();
    m_store->setValue(keys::ColorSyntax, false);
    m_store->setValue(keys::ColorSyntax, true);
    EXPECT_GT(colouredRanges(), 0);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(m_doc->isModified());
    EXPECT_EQ(m_doc->availableUndoSteps(), 0);
}

TEST_F(EditorTest, EveryEditPassesTheChangeStepsOnce)
{
    show("line one\nline two\n");
    QSignalSpy changed(m_editor.get(), &EditorViewController::fortranFileHasChanged);
    auto expectRecord = [&](const char *what, int count, qint64 added, quint64 line,
                            bool paste, bool undoing) {
        EXPECT_EQ(changed.count(), count) << what;
        const LineChangeInfo &r = m_editor->lineChange();
        EXPECT_EQ(r.numberOfLinesAddedOrDeleted, added) << what;
        EXPECT_EQ(r.affectedLineNumber, line) << what;
        EXPECT_EQ(r.isReplacement, paste) << what;
        EXPECT_EQ(r.isUnDoing, undoing) << what;
        changed.clear();
    };
    QTextCursor c = view()->textCursor();
    c.setPosition(8); // end of line 1
    view()->setTextCursor(c);
    QTest::keyClick(view(), Qt::Key_Return);
    expectRecord("Return at the end of line 1", 1, 1, 2, false, false);

    QApplication::clipboard()->setText("a\nb\nc\n");
    QTest::keyClick(view(), Qt::Key_V, Qt::ControlModifier);
    // Pasted on an empty line, the change ends before that line's terminator: the lines below.
    expectRecord("paste of three lines", 1, 3, 3, true, false);

    QTest::keyClick(view(), Qt::Key_Backspace);
    expectRecord("backspace", 1, -1, 4, false, false);

    QTest::keyClick(view(), Qt::Key_Z, Qt::ControlModifier);
    expectRecord("undo", 1, 1, 5, false, true);
    m_editor->redo();
    expectRecord("redo", 1, -1, 4, false, true);

    c.setPosition(0);
    c.setPosition(4, QTextCursor::KeepAnchor);
    view()->setTextCursor(c);
    QTest::keyClick(view(), Qt::Key_X, Qt::ControlModifier);
    expectRecord("cut", 1, 0, 1, false, false);
    EXPECT_EQ(m_editor->savedSelection(), "line");
    QTest::keyClick(view(), Qt::Key_Delete);
    expectRecord("delete", 1, 0, 1, false, false);
    EXPECT_EQ(m_doc->toPlainText(), "one\na\nb\nc\nline two\n");
}

TEST_F(EditorTest, EditLineSelectsTheWholeLine)
{
    show("one\ntwo\nthree");
    m_editor->editLine(2, 5);
    EXPECT_EQ(view()->textCursor().selectedText(), QString("two") + QChar::ParagraphSeparator);
    EXPECT_EQ(m_editor->currentLineNumber(), 2);
    m_editor->editLine(99);
    EXPECT_EQ(view()->textCursor().selectedText(), "three");
    EXPECT_EQ(m_editor->currentLineNumber(), 3);
}

TEST_F(EditorTest, FormDecidesCommentLinesAndTheGuide)
{
    show("c comment\n      end\n", false);
    EXPECT_EQ(colourAt(0), setting(keys::CommentColor));
    EXPECT_EQ(view()->guideColumn(), 72);
    show("c = 1\nend\n", true);
    EXPECT_FALSE(colourAt(0).isValid());
    EXPECT_EQ(view()->guideColumn(), 0);
    // The free-form guide at 132 follows its setting while the file is shown; fixed form keeps 72.
    m_store->setValue(keys::showFreeFormGuide, true);
    EXPECT_EQ(view()->guideColumn(), 132);
    show("c comment\n", false);
    EXPECT_EQ(view()->guideColumn(), 72);
    show("x = 1\n", true);
    EXPECT_EQ(view()->guideColumn(), 132);
    m_store->setValue(keys::showFreeFormGuide, false);
    EXPECT_EQ(view()->guideColumn(), 0);
}

// (we had this bug) The current line was 6% of the text colour over the background, too faint to
// see. Light and dark palettes, and one with coloured text.
TEST(EditorViewController, TheCurrentLineStandsOutOfTheBackground)
{
    const struct {
        QColor window, text;
    } palettes[] = {
        {Qt::white, Qt::black},
        {QColor("#1e1e1e"), QColor("#d4d4d4")},
        {Qt::black, Qt::green},
        {QColor("#fdf6e3"), QColor("#657b83")},
    };
    for (const auto &p : palettes) {
        SCOPED_TRACE(p.window.name().toStdString());
        const QColor line = EditorViewController::currentLineColour(p.window, p.text);
        const double distance = std::abs(p.window.lightnessF() - p.text.lightnessF());
        const double step = std::abs(line.lightnessF() - p.window.lightnessF());
        EXPECT_GE(step, 0.1 * distance) << line.name().toStdString();
        // Still a background: text on it keeps most of its contrast.
        EXPECT_GT(std::abs(line.lightnessF() - p.text.lightnessF()),
                  0.75 * std::abs(p.window.lightnessF() - p.text.lightnessF()));
    }
}

TEST_F(EditorTest, RulerKeepsOneMarkerALineAndReportsClicks)
{
    show("a\nb\nc\n");
    MarkerLineNumberView *ruler = m_editor->lineNumberView();
    ruler->markLine(2, MarkerLineNumberView::WarningMarker);
    ruler->markLine(2, MarkerLineNumberView::ErrorMarker);
    ruler->markLine(2, MarkerLineNumberView::WarningMarker); // an error wins
    ruler->markLine(0, MarkerLineNumberView::ErrorMarker);   // no such line
    EXPECT_EQ(ruler->markerAtLine(2), MarkerLineNumberView::ErrorMarker);
    EXPECT_EQ(ruler->markers().size(), 1);
    ruler->removeMarker(2);
    EXPECT_EQ(ruler->markerAtLine(2), MarkerLineNumberView::NoMarker);
    ruler->setMarkers({{1, MarkerLineNumberView::WarningMarker}, {3, MarkerLineNumberView::ErrorMarker}});
    EXPECT_EQ(ruler->markers().size(), 2);
    ruler->setMarkers({});
    EXPECT_TRUE(ruler->markers().isEmpty());

    QList<LineNumberClick> clicks;
    QObject::connect(ruler, &MarkerLineNumberView::userClickedOnLineNumber,
            [&](const LineNumberClick &click) { clicks << click; });
    ruler->markLine(3, MarkerLineNumberView::WarningMarker);
    const QRect second = view()->cursorRect(QTextCursor(m_doc->findBlockByNumber(1)));
    const QRect third = view()->cursorRect(QTextCursor(m_doc->findBlockByNumber(2)));
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(5, second.center().y()));
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(5, third.center().y()));
    // Below the last line (the empty one after "c\n"): no line, never line 0 (we had this bug).
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(5, ruler->height() - 3));
    ASSERT_EQ(clicks.size(), 3);
    EXPECT_EQ(clicks[0].lineNumber, 2);
    EXPECT_FALSE(clicks[0].clickedOnMarker);
    EXPECT_EQ(clicks[0].location, ruler->mapTo(ruler->window(), QPoint(5, second.center().y())));
    EXPECT_EQ(clicks[1].lineNumber, 3);
    EXPECT_TRUE(clicks[1].clickedOnMarker);
    EXPECT_EQ(clicks[2].lineNumber, std::nullopt);
    EXPECT_FALSE(clicks[2].clickedOnMarker);
}

TEST_F(EditorTest, FontAndRulerFollowTheSettings)
{
    m_store->setValue(keys::FontSize, 17.0);
    EXPECT_EQ(view()->font().pointSizeF(), 17.0);
    EXPECT_EQ(m_doc->defaultFont().pointSizeF(), 17.0);
    m_store->setValue(keys::showLineNumbers, false);
    EXPECT_FALSE(view()->lineNumbersShown());
    m_store->setValue(keys::showLineNumbers, true);
    EXPECT_TRUE(view()->lineNumbersShown());
}

} // namespace
