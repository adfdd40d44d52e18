// The status line's line and column texts, moving to a line or insert marker, and the range and
// position helpers the editor commands share.
#include "editor/linereadout.h"
#include "editor/textposition.h"
#include "editor/textreplacement.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::Annotations;

// A text of lineCount lines of width characters each; "\n" between them, none at the end.
QString lines(int lineCount, int width)
{
    QStringList list;
    for (int i = 0; i < lineCount; ++i)
        list << QString(width, QChar(u'a' + i % 26));
    return list.join(u'\n');
}

struct ReadoutCase {
    const char *name;
    QString text;
    TextRange selection;
    const char *lineText;
    const char *columnText;
};

TEST(LineReadout, Texts)
{
    const QString forty = lines(40, 20);
    const quint64 line7 = 6 * 21;
    const QString shortLines = "ab\ncdef\n";
    const ReadoutCase cases[] = {
        {"three characters selected after five", forty, {line7 + 5, 3}, "7/40", "6:8(3)/20"},
        {"caret after five characters", forty, {line7 + 5, 0}, "7/40", "5/20"},
        {"over lines 3 to 5", forty, {2 * 21 + 4, 2 * 21 + 3}, "3:5(3)/40", "5:7/20"},
        {"a whole line with its line feed stays on the line",
         shortLines,
         {3, 5},
         "2/3",
         "1:4(4)/4"},
        {"selection ending on a shorter line", shortLines, {0, 5}, "1:2(2)/3", "1:2/4"},
        {"caret after the last line feed", shortLines, {8, 0}, "3/3", "0/0"},
        {"empty text", "", {0, 0}, "1/1", "0/0"},
        {"selection past the end is clipped", "abc", {1, 99}, "1/1", "2:3(2)/3"},
    };
    for (const ReadoutCase &c : cases) {
        SCOPED_TRACE(c.name);
        const LineReadout r = LineReadout::scanForLineAndColumn(c.text, c.selection);
        EXPECT_EQ(r.currentLineNumbers, QString(c.lineText));
        EXPECT_EQ(r.currentColumnNumbers, QString(c.columnText));
        // Given the start's line and the line feeds, as the editor knows them, it is the same.
        const QString text(c.text);
        const qsizetype start = qMin(qsizetype(c.selection.location), text.size());
        EXPECT_EQ(LineReadout::scanForLineAndColumn(text, c.selection,
                                                    quint64(text.first(start).count(u'\n')) + 1,
                                                    text.count(u'\n')),
                  r);
    }
    const LineReadout r = LineReadout::scanForLineAndColumn(forty, {line7 + 5, 3});
    EXPECT_EQ(r.currentLineNumber, 7u);
    EXPECT_EQ(r.numberOfLines, 40u);
    EXPECT_EQ(r.numberOfColumns, 20u);
}

TEST(TextNavigation, LineField)
{
    const struct {
        const char *field;
        std::optional<qint64> line;
    } cases[] = {
        {"7/40", 7},
        {" 12 ", 12},
        {"3:5(3)/40", 3},
        {"abc", 0},
        {"", 0},
        {"-4", -4},
        {"99", std::nullopt},
        {"100", std::nullopt},
        {"99999999999999999999", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(TextNavigation::lineForField(QString(c.field), 99), c.line);
    }
}

TEST(TextNavigation, RangeOfLine)
{
    const QString text = "one\ntwo\nthree";
    EXPECT_EQ(TextNavigation::rangeOfLine(text, 2), (TextRange{4, 4}));
    EXPECT_EQ(TextNavigation::rangeOfLine(text, 3), (TextRange{8, 5}));
    EXPECT_EQ(TextNavigation::rangeOfLine(text, 9), (TextRange{8, 5})); // fewer lines: the last
    EXPECT_EQ(TextNavigation::rangeOfLine(text, 0), (TextRange{0, 4}));
    EXPECT_EQ(TextNavigation::rangeOfLine(u"", 3), (TextRange{0, 0}));
}

TEST(TextNavigation, NextInsertMarker)
{
    // "|" marks the selection's start here, since "^" belongs to the markers.
    const struct {
        const char *source;
        quint64 selected;
        bool found;
    } cases[] = {
        {"|DO «!^» \n   !^\n", 0, true},
        {"DO |!^ \n   «!^»\n", 2, true}, // a selected marker is passed over
        {"DO !^ \n   |!^\n", 2, false},  // the last marker selected: nothing further
        {"DO !^ \n   |!^\n", 0, true},   // a caret just before a marker finds it
        {"x = 1 |\n", 0, false},
        {"DO |!\n ^", 0, false},
    };
    for (const auto &c : cases) {
        const Annotations a(c.source, u'|');
        SCOPED_TRACE(a.code().toStdString());
        const auto got =
            TextNavigation::nextInsertMarker(a.code(), {quint64(a.point()), c.selected});
        EXPECT_EQ(got.has_value(), c.found);
        if (got && !a.ranges().isEmpty()) {
            EXPECT_EQ(*got, a.range());
        }
    }
}

TEST(TextReplacement, RangeHelpers)
{
    EXPECT_EQ(safeRangeForRange({5, 10}, 8), (TextRange{5, 3}));
    EXPECT_EQ(safeRangeForRange({12, 1}, 8), (TextRange{8, 0}));
    EXPECT_EQ(rangeForRanges({{3, 2}, {7, 1}, {10, 4}}), (TextRange{3, 11}));
    EXPECT_EQ(rangeForRanges({}), (TextRange{}));
    const QString text = "ab\ncd\nef";
    EXPECT_EQ(lineRangeForRange(text, {4, 0}), (TextRange{3, 3}));
    EXPECT_EQ(lineRangeForRange(text, {1, 3}), (TextRange{0, 6}));
    EXPECT_EQ(lineRangeForRange(text, {0, 3}), (TextRange{0, 3})); // ends after a line feed
    EXPECT_EQ(lineRangeForRange(text, {7, 0}), (TextRange{6, 2}));
}

TEST(TextReplacement, ApplyReturnsTheLinesOfTheInsertedText)
{
    QString text = "a\nend subroutine\nb\n";
    const TextRange edited = applyReplacement(text, {{16, 1}, " s\n", "Procedure Completion"});
    EXPECT_EQ(text, QString("a\nend subroutine s\nb\n"));
    EXPECT_EQ(edited, (TextRange{2, 17}));
}

TEST(TextPosition, ConversionCountsCharacters)
{
    // "é" is one UTF-16 unit, the musical symbol two; both are one column.
    const QString text = QString::fromUtf8("é = 1\n\xF0\x9D\x84\x9E x\nlast");
    EXPECT_EQ(offsetForPosition(text, {1, 3}), 2);
    EXPECT_EQ(offsetForPosition(text, {2, 3}), 9);
    EXPECT_EQ(offsetForPosition(text, {2, 99}), 10); // past the line: its end
    EXPECT_EQ(offsetForPosition(text, {3, 1}), 11);
    EXPECT_EQ(offsetForPosition(text, {4, 1}), std::nullopt);
    EXPECT_EQ(offsetForPosition(text, {0, 1}), std::nullopt);
    EXPECT_EQ(positionForOffset(text, 9), (TextPosition{2, 3}));
    EXPECT_EQ(positionForOffset(text, 15), (TextPosition{3, 5}));
}

} // namespace
} // namespace corvane
