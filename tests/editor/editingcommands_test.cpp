// The editing commands as functions of text and selection: each row gives the text with its
// selection ("«…»", or "^" for a caret) before the command and after it, and the undo title (none
// when the text must stay as it is). Rows run in free and in fixed form where the form matters.
#include "editor/editingcommands.h"

#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace corvane;
using corvane::test::Annotations;

namespace
{

using Command = std::function<CommandResult(QStringView, TextRange)>;

TextRange selectionOf(const Annotations &a)
{
    return a.ranges().isEmpty() ? TextRange{quint64(a.point()), 0} : a.range();
}

// The text with the selection marked as the rows write it.
QString annotate(QString text, TextRange selection)
{
    if (selection.length == 0)
        return text.insert(qsizetype(selection.location), u'^');
    text.insert(qsizetype(selection.location + selection.length), QChar(0x00BB));
    return text.insert(qsizetype(selection.location), QChar(0x00AB));
}

struct Row {
    const char *name;
    const char *before;
    const char *after;
    const char *action; // nullptr: no replacement
};

void expectRows(const Command &command, std::initializer_list<Row> rows)
{
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const Annotations in(row.before);
        const CommandResult result = command(in.code(), selectionOf(in));
        QString text = in.code();
        if (result.replacement) {
            const TextRange r = result.replacement->rangeValue;
            // Never a negative or overrunning range.
            ASSERT_LE(r.location + r.length, quint64(text.size()));
            text.replace(qsizetype(r.location), qsizetype(r.length),
                         result.replacement->replacementString);
            EXPECT_EQ(result.replacement->actionName, QString::fromLatin1(row.action));
        } else {
            EXPECT_EQ(row.action, nullptr) << "no replacement";
        }
        ASSERT_LE(result.selection.location + result.selection.length, quint64(text.size()));
        EXPECT_EQ(annotate(text, result.selection), QString::fromUtf8(row.after));
    }
}

Command comment(bool fixed)
{
    return [fixed](QStringView t, TextRange s) { return commentOutSelection(t, s, fixed); };
}
Command uncomment(bool fixed)
{
    return [fixed](QStringView t, TextRange s) { return unCommentOutSelection(t, s, fixed); };
}
Command toggle(bool fixed)
{
    return [fixed](QStringView t, TextRange s) { return toggleCommentSelection(t, s, fixed); };
}

} // namespace

TEST(CommentOut, PutsTheMarkBeforeEveryTouchedLine)
{
    expectRows(comment(false), {
        {"three whole lines ending at the start of the fourth", "«a\nb\nc\n»d\n",
         "«!a\n!b\n!c\n»d\n", "Comment"},
        {"caret in a line comments that line only", "a\nb^b\nc\n", "a\n«!bb\n»c\n", "Comment"},
        {"selection ending inside a line takes that line", "«a\nb»b\nc", "«!a\n!bb\n»c",
         "Comment"},
        {"empty text", "^", "«!»", "Comment"},
        {"empty last line: the line above stays", "a\n^", "a\n«!»", "Comment"},
        {"caret at the very end of a last line", "a\nbc^", "a\n«!bc»", "Comment"},
        {"an empty line inside the selection", "«a\n\nb\n»", "«!a\n!\n!b\n»", "Comment"},
    });
    expectRows(comment(true), {
        {"fixed form: C", "«      x = 1\n      y = 2\n»      end\n",
         "«C      x = 1\nC      y = 2\n»      end\n", "Comment"},
        {"fixed form, empty text", "^", "«C»", "Comment"},
    });
}

TEST(UnCommentOut, RemovesTheMarkAtLineStartsOnly)
{
    expectRows(uncomment(false), {
        {"three commented lines", "«!a\n!b\n!c\n»d\n", "«a\nb\nc\n»d\n", "unComment"},
        {"marks after blanks stay", "«  !a\n!b\n»", "«  !a\nb\n»", "unComment"},
        {"only the first mark of a line goes", "«!!a\n»", "«!a\n»", "unComment"},
        {"C is no free-form mark", "«Ca\n»", "«Ca\n»", nullptr},
        {"empty span changes nothing", "a\n^", "a\n^", nullptr},
        {"empty text", "^", "^", nullptr},
        {"caret at the end of a commented last line", "a\n!bc^", "a\n«bc»", "unComment"},
        {"one-character last line", "a\n!^", "a\n^", "unComment"},
    });
    expectRows(uncomment(true), {
        {"fixed form: C and a first-line c", "«ca\nCb\ncc\n»", "«a\nb\ncc\n»", "unComment"},
        {"fixed form: ! and * stay", "«!a\n*b\n»", "«!a\n*b\n»", nullptr},
    });
}

TEST(ToggleComment, UncommentsOnlyWhenEveryLineIsCommented)
{
    expectRows(toggle(false), {
        {"all commented", "«!a\n!b\n»", "«a\nb\n»", "unComment"},
        {"one line not commented", "«!a\nb\n»", "«!!a\n!b\n»", "Comment"},
        {"an empty line counts as not commented", "«!a\n\n»", "«!!a\n!\n»", "Comment"},
        {"empty text", "^", "«!»", "Comment"},
    });
    expectRows(toggle(true), {
        {"fixed form commented", "«Ca\nCb\n»", "«a\nb\n»", "unComment"},
        {"fixed form code", "«      a\n»", "«C      a\n»", "Comment"},
    });
}

TEST(CommentBlock, FramesTheLinesWithThePrefixOfTheLineAbove)
{
    const CommentBlockSettings defaults;
    CommentBlockSettings unaligned;
    unaligned.alignComments = false;
    CommentBlockSettings noSeparator;
    noSeparator.separator = "";
    CommentBlockSettings starSeparator;
    starSeparator.separator = "=*";
    CommentBlockSettings narrow;
    narrow.separatorExtent = 0;
    narrow.separatorLineWidth = 2;
    CommentBlockSettings negative;
    negative.separatorExtent = 0;
    negative.separatorLineWidth = -5;
    CommentBlockSettings wide;
    wide.separatorExtent = 2;
    wide.separatorLineWidth = 8;

    const auto block = [](const CommentBlockSettings &s) -> Command {
        return [s](QStringView t, TextRange r) { return makeSelectionIntoACommentBlock(t, r, s); };
    };
    expectRows(block(defaults), {
        {"two lines indented by four below a line indented by four",
         "    x\n«    a = 1\n    bb = 22\n»    y\n",
         "    x\n«!\n!   -------\n!   a = 1\n!   bb = 22\n!   -------\n!\n»    y\n",
         "Comment Block"},
        {"at the text's start the first line gives the prefix", "«  a\n»", "«!\n! -\n! a\n! -\n!\n»",
         "Comment Block"},
        {"blank and empty lines stay (and count for the width)", "«a\n   \n\nb\n»", "«!\n!--\n!a\n   \n\n!b\n!--\n!\n»",
         "Comment Block"},
        {"a line starting with a symbol keeps it", "«= 3\n»", "«!\n!---\n!= 3\n!---\n!\n»",
         "Comment Block"},
        {"last line without its line end", "x\n«ab»", "x\n«!\n!--\n!ab\n!--\n!\n»",
         "Comment Block"},
        {"empty text", "^", "«!\n!\n!\n!\n»", "Comment Block"},
        {"caret on an empty last line", "a\n^", "a\n«!\n!\n!\n!\n»", "Comment Block"},
        {"line above indented by a tab", "\tx\n«a\n»", "\tx\n«!\n!-\n!a\n!-\n!\n»",
         "Comment Block"},
    });
    expectRows(block(unaligned), {
        {"align off: the prefix is !", "    x\n«    a = 1\n»",
         "    x\n«!\n!-----\n!a = 1\n!-----\n!\n»", "Comment Block"},
    });
    expectRows(block(noSeparator), {
        {"empty separator frames with -", "«ab\n»", "«!\n!--\n!ab\n!--\n!\n»", "Comment Block"},
    });
    expectRows(block(starSeparator), {
        {"the separator's first character", "«ab\n»", "«!\n!==\n!ab\n!==\n!\n»",
         "Comment Block"},
    });
    expectRows(block(wide), {
        {"fixed frame width", "«ab\n»", "«!\n!-------\n!ab\n!-------\n!\n»", "Comment Block"},
    });
    expectRows(block(narrow), {
        {"a frame narrower than the prefix is widened to it", "    x\n«    a\n»",
         "    x\n«!\n!   \n!   a\n!   \n!\n»", "Comment Block"},
    });
    expectRows(block(negative), {
        {"a negative width makes no negative count", "«a\n»", "«!\n!\n!a\n!\n!\n»",
         "Comment Block"},
    });
}

TEST(ShiftLines, RightAddsIndentationToCodeAndEmptyLines)
{
    const auto right = [](bool fixed) -> Command {
        return [fixed](QStringView t, TextRange s) { return shiftLinesRight(t, s, 3, fixed); };
    };
    expectRows(right(false), {
        {"code, comment and empty lines", "«a\n!b\n\nc\n»d", "«   a\n!b\n   \n   c\n»d", "Shift"},
        {"C starts code in free form", "«Cb\n»", "«   Cb\n»", "Shift"},
        {"caret in a line", "a\nb^\nc", "a\n«   b\n»c", "Shift"},
        {"empty text", "^", "«   »", "Shift"},
        {"empty last line: the line above stays", "a\n^", "a\n«   »", "Shift"},
        {"only comment lines: nothing changes", "«!a\n»", "«!a\n»", nullptr},
    });
    expectRows(right(true), {
        {"fixed form: comment lines stay in column 1", "«      x\nCb\nc\n*d\n!e\n»",
         "«         x\nCb\nc\n*d\n!e\n»", "Shift"},
        {"fixed form: the last line", "      x\n*d^", "      x\n«*d»", nullptr},
    });
}

TEST(ShiftLines, LeftRemovesAWholeIndentationStepOnly)
{
    const Command left = [](QStringView t, TextRange s) { return shiftLinesLeft(t, s, 3); };
    expectRows(left, {
        {"only lines with three blanks move", "«     a\n  b\n!c\n   \n»d",
         "«  a\n  b\n!c\n\n»d", "Shift"},
        {"caret: from the line's start to the shifted caret", "      x^", "«   x»", "Shift"},
        {"selection ending inside the removed blanks", "a\n«b\n  »    c", "a\n«b\n»   c",
         "Shift"},
        {"a line too short stays", "  a^", "«  a»", nullptr},
        {"a comment line stays", "«!   a\n»", "«!   a\n»", nullptr},
        {"empty text", "^", "^", nullptr},
        {"empty last line", "   a\n^", "   a\n^", nullptr},
    });
}

TEST(ShiftLines, IndentSizeSettingIsAtLeastOne)
{
    EXPECT_EQ(indentSizeFromSetting(3), 3);
    EXPECT_EQ(indentSizeFromSetting(0), 1);
    EXPECT_EQ(indentSizeFromSetting(-4), 1);
    EXPECT_EQ(indentSizeFromSetting(1000), 64);
}

TEST(InsertCommands, ReplaceTheSelection)
{
    const Command realKind = [](QStringView t, TextRange s) { return insertRealKind(t, s, "D0"); };
    expectRows(realKind, {
        {"after a number", "x = 1.5^\n", "x = 1.5D0^\n", "Insert Real Kind"},
        {"over a selection", "x = 1.5«_dp»\n", "x = 1.5D0^\n", "Insert Real Kind"},
        {"at the text's end", "x^", "xD0^", "Insert Real Kind"},
    });
    const QDateTime when(QDate(2026, 12, 9), QTime(14, 5));
    const Command date = [when](QStringView t, TextRange s) {
        return insertDate(t, s, when, QLocale::c());
    };
    const QString stamp = timeStamp(when, QLocale::c());
    EXPECT_TRUE(stamp.contains("14:05")) << stamp.toStdString();
    EXPECT_TRUE(stamp.contains("2026") || stamp.contains("26")) << stamp.toStdString();
    const QByteArray after = ("! " + stamp + "^").toUtf8();
    expectRows(date, {{"time stamp", "! ^", after.constData(), "Insert Time Stamp"}});
}

TEST(WordCase, ChangesTheSelectionOnly)
{
    const auto wordCase = [](WordCase mode) -> Command {
        return [mode](QStringView t, TextRange s) { return changeWordCase(t, s, mode); };
    };
    expectRows(wordCase(WordCase::Upper), {
        {"upper", "x «real» y", "x «REAL» y", "Make Upper Case"},
        {"no selection", "real^", "real^", nullptr},
        {"already upper", "«REAL»", "«REAL»", nullptr},
    });
    expectRows(wordCase(WordCase::Lower), {
        {"lower", "«END DO»", "«end do»", "Make Lower Case"},
    });
    expectRows(wordCase(WordCase::Capitalize), {
        {"every word", "«rEAL x_y, z»", "«Real X_y, Z»", "Capitalize"},
        {"a selection starting inside a word", "he«llo wORLD»", "he«llo World»", "Capitalize"},
    });
}

TEST(NewLineIndentation, FollowsTheBlanksOfTheLineAbove)
{
    const struct {
        const char *line;
        bool on;
        const char *want;
    } cases[] = {
        {"    x = 1", true, "    "}, {"  \t x", true, "  \t "}, {"\tx = 1", true, ""},
        {"x = 1", true, ""},         {"", true, ""},            {"    x", false, ""},
        {"   ", true, "   "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(newLineIndentation(QString(c.line), c.on), QString(c.want)) << c.line;
}
