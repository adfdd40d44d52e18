// Which word typing a delimiter upper-cases, and the comment, string and word-before queries it
// is built from. "^" marks where the delimiter was typed.
#include "editor/keywordcase.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

ColourScanner scanner(bool fixedForm = false)
{
    return ColourScanner({"end", "do", "if", "stop", "print"}, {"sqrt", "abs"}, fixedForm);
}

// The text without the caret mark, and the mark's position.
std::pair<QString, qsizetype> marked(const char *source)
{
    QString text(source);
    const qsizetype at = text.indexOf('^');
    text.remove(at, 1);
    return {text, at};
}

} // namespace

TEST(WordToUpcase, OnlyKeywordsInCode)
{
    const struct {
        const char *source; // the delimiter typed at ^ is already in the text
        bool fixedForm;
        const char *want; // the word that is upper-cased, or "" for none
    } cases[] = {
        {"end^ ", false, "end"},
        {"  x = sqrt^(", false, "sqrt"},
        {"end do^\n", false, "do"},
        {"x = 1 ! end^ ", false, ""},         // in a comment
        {"print *, 'end^ ", false, ""},       // in an open string
        {"print *, 'a' // 'end^ ", false, ""},
        {"#if^ ", false, ""},                 // preprocessor lines never change
        {"#define STOP end^ ", false, ""},
        {"x = 1 # end^ ", false, ""},
        {"c end^ ", true, ""},                // a fixed-form comment line
        {"c end^ ", false, "end"},            // the same line is code in free form
        {"endx^ ", false, ""},                // not a keyword
        {"^ ", false, ""},                    // nothing before
        {"end\n^ ", false, ""},               // the word is on the line before
    };
    for (const auto &c : cases) {
        const auto [text, at] = marked(c.source);
        const auto word = wordToUpcase(scanner(c.fixedForm), text, at);
        const QString got = word ? text.mid(word->start, word->length) : QString();
        EXPECT_EQ(got, QString(c.want)) << c.source;
    }
}

TEST(KeywordTypeAndRangeBefore, FindsTheWordBeforeTheTypedDelimiter)
{
    const ColourScanner s = scanner();
    EXPECT_EQ(keywordTypeAndRangeBefore(s, QString("  sqrt("), 7), (ClassifiedWord{Intrinsic, 2, 4}));
    EXPECT_EQ(keywordTypeAndRangeBefore(s, QString("x=END "), 6), (ClassifiedWord{Keyword, 2, 3}));
    EXPECT_EQ(keywordTypeAndRangeBefore(s, QString("e"), 1), ClassifiedWord{});
    EXPECT_EQ(keywordTypeAndRangeBefore(s, QString("end\n "), 5), ClassifiedWord{});
}

TEST(CommentAndStringQueries, FollowTheirLine)
{
    const QString text = "x = 'a' ! note\nC fixed\ny = \"q";
    EXPECT_FALSE(rangeIsWithinComment(text, 3, false));
    EXPECT_TRUE(rangeIsWithinComment(text, 8, false)); // the "!" itself
    EXPECT_TRUE(rangeIsWithinComment(text, 12, false));
    EXPECT_FALSE(rangeIsWithinComment(text, 17, false));
    EXPECT_TRUE(rangeIsWithinComment(text, 17, true));
    EXPECT_TRUE(selectedRangeIsInStringLiteral(text, 7));   // before the closing quote
    EXPECT_FALSE(selectedRangeIsInStringLiteral(text, 8));  // after it
    EXPECT_TRUE(selectedRangeIsInStringLiteral(text, 29)); // the open string of the last line
    EXPECT_FALSE(selectedRangeIsInStringLiteral(text, 24));
}
