// Bracket pairs within the window, double-click selection and closing brackets as typed.
#include "editor/bracketmatcher.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::Annotations;

struct BracketCase {
    const char *source; // "^" before the bracket, «» the match
    BracketMatch::Kind kind;
};

TEST(BracketMatcher, Matches)
{
    const BracketCase cases[] = {
        {"x = «(a(1) + b^)»", BracketMatch::Match},
        {"x = «^(a(1) + b)»", BracketMatch::Match},
        {"x = a«^(1)» + b", BracketMatch::Match},
        {"«(a^)»", BracketMatch::Match}, // the pair starts at the first character
        {"«^(a)»", BracketMatch::Match},
        {"v = «[1, (2), 3^]»", BracketMatch::Match},
        {"v = «(a[1]^)»", BracketMatch::Match},         // square brackets do not count for ( )
        {"call «^(\n  a,\n  b)»", BracketMatch::Match}, // across lines
        {"x = a^)", BracketMatch::NoMatch},
        {"x = ^(a", BracketMatch::NoMatch},
        {"x = «(a^]»", BracketMatch::NoMatch},
        {"x = ^a", BracketMatch::NotABracket},
    };
    for (const BracketCase &c : cases) {
        const Annotations a(c.source);
        SCOPED_TRACE(a.code().toStdString());
        const BracketMatch m = BracketMatcher::matchAt(a.code(), a.point());
        EXPECT_EQ(m.kind, c.kind);
        if (c.kind == BracketMatch::Match) {
            EXPECT_EQ(m.range, a.range());
        }
    }
}

TEST(BracketMatcher, LooksAtMostTheWindowIncludingTheBracket)
{
    for (const qsizetype inside : {BracketMatcher::kWindow - 2, BracketMatcher::kWindow - 1}) {
        SCOPED_TRACE(inside);
        const QString text = "(" + QString(inside, u'x') + ")";
        const bool fits = text.size() <= BracketMatcher::kWindow;
        EXPECT_EQ(BracketMatcher::matchAt(text, text.size() - 1).kind,
                  fits ? BracketMatch::Match : BracketMatch::NoMatch);
        EXPECT_EQ(BracketMatcher::matchAt(text, 0).kind,
                  fits ? BracketMatch::Match : BracketMatch::NoMatch);
    }
}

TEST(BracketMatcher, DoubleClickSelectsTheMatchedRange)
{
    const Annotations a("y = f«(a, b)» + g(c");
    const auto open = a.range().location;
    const auto close = open + a.range().length - 1;
    EXPECT_EQ(BracketMatcher::doubleClickSelection(a.code(), {open, 1}), a.range());
    EXPECT_EQ(BracketMatcher::doubleClickSelection(a.code(), {close, 1}), a.range());
    const TextRange word{0, 1};
    EXPECT_EQ(BracketMatcher::doubleClickSelection(a.code(), word), word);
    const TextRange unmatched{quint64(a.code().lastIndexOf(u'(')), 1};
    EXPECT_EQ(BracketMatcher::doubleClickSelection(a.code(), unmatched), unmatched);
    const TextRange longer{open, 3};
    EXPECT_EQ(BracketMatcher::doubleClickSelection(a.code(), longer), longer);
}

TEST(BracketMatcher, ClosingBracketWrapsTheReplacedSelection)
{
    // "(" typed over "a + b" left the caret after "("; the partner follows the old selection.
    QString text = "x = (";
    const TextReplacement r = BracketMatcher::completeParenthesis(u')', {5, 0}, "a + b", 0);
    EXPECT_EQ(r.actionName, QString("Complete Parenthesis"));
    applyReplacement(text, r);
    EXPECT_EQ(text, QString("x = (a + b)"));
    // Just after a completion list was dismissed only the bracket is inserted.
    EXPECT_EQ(BracketMatcher::completeParenthesis(u']', {5, 0}, "a + b", 2).replacementString,
              QString("]"));
}

} // namespace
} // namespace corvane
