// Find and replace in one text: the matches (case, whole words, no overlap, UTF-16 text), the next
// and previous match with wrap-around, the count text and the replacements.
#include "editor/textsearch.h"
#include "support/annotations.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::Annotations;

struct MatchCase {
    const char *name;
    const char *pattern;
    bool caseSensitive;
    bool wholeWord;
    const char *annotated; // every expected match marked «…»
};

TEST(TextSearch, Matches)
{
    const MatchCase cases[] = {
        {"empty pattern finds nothing", "", false, false, "abc abc"},
        {"empty text", "abc", false, false, ""},
        {"overlapping occurrences count once each, left to right", "aa", false, false,
         "«aa»«aa»a"},
        {"case ignored", "total", false, false, "«Total» = «TOTAL» + «total»"},
        {"case kept", "total", true, false, "Total = TOTAL + «total»"},
        {"whole word at text start and end", "n", false, true, "«n» = m + «n»"},
        {"whole word next to underscore and digits", "n", false, true,
         "n_max = n1 + _n + 2n + «n»"},
        {"whole word across a line end", "end", false, true, "«end»\n«end»\nendif"},
        {"a word candidate skipped, the next one found", "ab", false, true, "abab «ab»"},
        {"inside a word without the switch", "ab", false, false, "«ab»«ab» x«ab»y"},
        {"non-ASCII case folding", "grösse", false, false, "«Grösse» und «GRÖSSE»"},
        {"non-ASCII letters are word characters", "r", false, true, "ér xr ré «r»"},
        {"surrogate pairs keep UTF-16 positions", "x", true, false, "\U0001D400«x»\U0001D400«x»"},
    };
    for (const MatchCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Annotations a(c.annotated);
        const TextSearch search(QString::fromUtf8(c.pattern), c.caseSensitive, c.wholeWord);
        EXPECT_EQ(search.matches(a.code()), a.ranges());
    }
}

struct StepCase {
    const char *name;
    const char *annotated; // "^" the start position, «…» the expected match
    bool next;
    bool wrap;
    bool expectWrapped;
    bool expectNone;
};

TEST(TextSearch, NextAndPrevious)
{
    const StepCase cases[] = {
        {"next at the position itself", "x = ^«x»1 + x1", true, true, false, false},
        {"next after the position", "x^1 + «x»1", true, true, false, false},
        {"next wraps to the first", "«x»1 + x^1", true, true, true, false},
        {"next without wrap at the end", "x1 + x^1", true, false, false, true},
        {"previous before the position", "«x»1 + ^x1", false, true, false, false},
        {"previous skips a match at the position", "«x»1^x1", false, true, false, false},
        {"previous wraps to the last", "^x1 + «x»1", false, true, true, false},
        {"previous without wrap at the start", "^x1 + x1", false, false, false, true},
        {"nothing to find", "a^bc", true, true, false, true},
    };
    const TextSearch search("x", false, false);
    for (const StepCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Annotations a(c.annotated);
        const std::optional<SearchHit> hit = c.next ? search.findNext(a.code(), a.point(), c.wrap)
                                                    : search.findPrevious(a.code(), a.point(), c.wrap);
        if (c.expectNone) {
            EXPECT_FALSE(hit.has_value());
            continue;
        }
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(hit->range, a.range());
        EXPECT_EQ(hit->wrapped, c.expectWrapped);
    }
}

TEST(TextSearch, StepsThroughEveryMatchAndCounts)
{
    const QString text = "aaaa aa";
    const TextSearch search("aa", false, false);
    const QList<TextRange> all = search.matches(text);
    ASSERT_EQ(all.size(), 3);
    // Next from each match's end reaches the following one, then wraps to the first.
    qsizetype from = 0;
    QStringList counts;
    for (int i = 0; i < 4; ++i) {
        const std::optional<SearchHit> hit = search.findNext(text, from);
        ASSERT_TRUE(hit.has_value());
        counts << TextSearch::countText(TextSearch::indexOfMatch(all, hit->range), all.size());
        from = qsizetype(hit->range.location + hit->range.length);
    }
    EXPECT_EQ(counts, QStringList({"1 of 3", "2 of 3", "3 of 3", "1 of 3"}));
    EXPECT_EQ(TextSearch::indexOfMatch(all, {1, 2}), std::nullopt);
    EXPECT_EQ(TextSearch::indexOfMatch(all, {0, 1}), std::nullopt);
    EXPECT_EQ(TextSearch::countText(std::nullopt, 12), "12 matches");
    EXPECT_EQ(TextSearch::countText(std::nullopt, 1), "1 match");
    EXPECT_EQ(TextSearch::countText(std::nullopt, 0), "No results");
}

struct ReplaceAllCase {
    const char *name;
    const char *text;
    const char *pattern;
    bool caseSensitive;
    bool wholeWord;
    const char *replacement;
    const char *expected;
    qsizetype count;
};

TEST(TextSearch, ReplaceAllIsOneReplacement)
{
    const ReplaceAllCase cases[] = {
        {"replacement holds the pattern", "a b a", "a", false, false, "aa", "aa b aa", 2},
        {"overlapping text", "aaaaa", "aa", false, false, "b", "bba", 2},
        {"whole words only", "n = n1 + n", "n", false, true, "count", "count = n1 + count", 2},
        {"case ignored keeps the replacement as typed", "X = x", "x", false, false, "y",
         "y = y", 2},
        {"empty replacement deletes", "call f(x)\ncall f(y)\n", "call ", true, false, "",
         "f(x)\nf(y)\n", 2},
        {"non-ASCII text", "größe = größe*2", "größe", false, true, "höhe", "höhe = höhe*2",
         2},
        {"nothing matches", "abc", "x", false, false, "y", "abc", 0},
        {"empty pattern", "abc", "", false, false, "y", "abc", 0},
    };
    for (const ReplaceAllCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = QString::fromUtf8(c.text);
        const TextSearch search(QString::fromUtf8(c.pattern), c.caseSensitive, c.wholeWord);
        qsizetype count = -1;
        const std::optional<TextReplacement> r =
            search.replaceAll(text, QString::fromUtf8(c.replacement), &count);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(r.has_value(), c.count > 0);
        QString result = text;
        if (r) {
            EXPECT_EQ(r->actionName, "Replace All");
            // One range from the first match to the last, nothing outside touched.
            const QList<TextRange> all = search.matches(text);
            EXPECT_EQ(r->rangeValue, rangeForRanges(all));
            applyReplacement(result, *r);
        }
        EXPECT_EQ(result, QString::fromUtf8(c.expected));
    }
}

TEST(TextSearch, ReplaceOneOnlyReplacesASelectedMatch)
{
    const TextSearch search("x", false, true);
    const QString text = "x = x1 + x";
    const std::optional<TextReplacement> r = search.replaceOne(text, {9, 1}, "y");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->rangeValue, (TextRange{9, 1}));
    EXPECT_EQ(r->replacementString, "y");
    EXPECT_EQ(r->actionName, "Replace");
    // A selection that is not exactly a match: the "x" of "x1", a caret, a wider range.
    for (const TextRange sel : {TextRange{4, 1}, TextRange{0, 0}, TextRange{0, 3}})
        EXPECT_FALSE(search.replaceOne(text, sel, "y").has_value()) << sel.location;
}

} // namespace
} // namespace corvane
