// The text side of the lookup commands: the word at the caret, the definition search texts and
// the jump over a scripted definition search.
#include "editor/definitionlookup.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <QMap>

using namespace corvane;
using namespace corvane::test;

TEST(DefinitionLookup, WordAtCaret)
{
    // "^" is the caret, «…» the word expected; no range means no word.
    const char *cases[] = {
        // Every character that is not a letter, digit or "_" ends the word (we had "y=f" taken
        // for one word, and a tab, comma or quote kept inside it).
        "y=«f^»(x)",
        "y=«^f»(x)",
        "  call «so^lve»(a, b)",
        "x = a%«b^c»%c",
        "call\t«sol^ve»",
        "print *, «x_^1»,y",
        "s = '«ab^c»'",
        "if (a.«eq^v».b) x = 1",
        "a(«i^»:j) = 0",
        "x = 1 + ^ 2",
        "«last^»",
        "^",
        "«n2^»\n",
    };
    for (const char *c : cases) {
        SCOPED_TRACE(c);
        const Annotations a(c);
        const auto got = wordRangeAtPosition(a.code(), a.point());
        if (a.ranges().isEmpty()) {
            EXPECT_FALSE(got.has_value());
            continue;
        }
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, a.ranges().front());
    }
}

TEST(DefinitionLookup, LookupRangeKeepsASelection)
{
    const QString text = "call solve(a)";
    EXPECT_EQ(lookupRange(text, {5, 7}), (TextRange{5, 7}));
    // A selection past the end is clamped to the text.
    EXPECT_EQ(lookupRange(text, {10, 40}), (TextRange{10, 3}));
    EXPECT_EQ(lookupRange(text, {7, 0}), (TextRange{5, 5}));
    EXPECT_EQ(lookupRange(text, {4, 0}), (TextRange{0, 4})); // the caret touches "call"
    EXPECT_EQ(lookupRange(u"x + y", {2, 0}), std::nullopt);
}

TEST(DefinitionLookup, SearchTexts)
{
    const struct {
        const char *line;
        const char *word;
        const char *want; // the first search text; "" for none (the beep)
    } cases[] = {
        {"  call solve(x)", "solve", "subroutine solve"},
        {"  CALL Solve(x)", "Solve", "subroutine Solve"},
        {"  use physics, only: g", "physics", "module physics"},
        {"  Use physics", "physics", "module physics"},
        {"  y = f(x)", "f", "function f"},
        {"  y=f(x)", "f", "function f"},
        {"  call obj%move(1)", "move", "subroutine move"},
        {"  x = g(h(1))", "h", "function h"},
        {"  solve", "solve", ""},
        {"solve(x)", "solve", ""},
        // The first word equal to the name, compared exactly: "f" in "if" is no word of its own.
        {"  if (f(x)) f = 1", "f", "function f"},
        // A name that is not among the line's words is taken as the last word's follower.
        {"  call run(a)", "ru", "function ru"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const auto texts = definitionSearchTexts(QString(c.line), c.word);
        if (!*c.want) {
            EXPECT_FALSE(texts.has_value());
            continue;
        }
        ASSERT_TRUE(texts.has_value());
        EXPECT_EQ(*texts, (QStringList{c.want, QString("interface ") + c.word}));
    }
}

TEST(DefinitionLookup, JumpOverAScriptedSearch)
{
    // The search answers only the texts it knows.
    const QMap<QString, FindResult> known = {
        {"subroutine solve", FindResult("/p/a.f90", "subroutine solve(x)", 4, 2)},
        {"interface norm", FindResult("/p/b.f90", "interface norm", 9, 2)},
    };
    QStringList asked;
    const DefinitionSearch search = [&](const QString &t) -> std::optional<FindResult> {
        asked << t;
        if (known.contains(t))
            return known.value(t);
        return std::nullopt;
    };
    const struct {
        const char *source;
        DefinitionJump::Kind kind;
        const char *word;
        int line; // of the location found
        QStringList asked;
    } cases[] = {
        {"x\n  call «sol^ve»(a)\n", DefinitionJump::Found, "solve", 4, {"subroutine solve"}},
        {"  y = «norm^»(v)\n", DefinitionJump::Found, "norm", 9,
         {"function norm", "interface norm"}},
        {"  y = «are^a»(v)\n", DefinitionJump::NotFound, "area", 0,
         {"function area", "interface area"}},
        {"x = 1\n  «sol^ve»\n", DefinitionJump::Beep, "solve", 0, {}},
        {"x = 1 + ^ 2\n", DefinitionJump::Nothing, "", 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        const Annotations a(c.source);
        asked.clear();
        const DefinitionJump jump = jumpToDefinition(a.code(), {quint64(a.point()), 0}, search);
        EXPECT_EQ(jump.kind, c.kind);
        EXPECT_EQ(jump.word, QString(c.word));
        EXPECT_EQ(asked, c.asked);
        if (c.kind != DefinitionJump::Nothing) {
            EXPECT_EQ(jump.wordRange, a.range());
        }
        if (c.kind == DefinitionJump::Found) {
            EXPECT_EQ(jump.location.lineNumber, quint64(c.line));
        }
    }
    // A selection is taken as it is, even when it is not a whole word.
    const DefinitionJump part = jumpToDefinition(u"  call solve(a)", {7, 5}, search);
    EXPECT_EQ(part.word, "solve");
    EXPECT_EQ(part.kind, DefinitionJump::Found);
}

TEST(DefinitionLookup, ScopeOfARange)
{
    const Annotations a("module geo\ncontains\n subroutine run(b)\n  y = b%pos%«x»\n"
                        " end subroutine\nend module\n");
    const ScopeRecord record = scopeForRange(a.code(), a.range(), false);
    const LookupScope scope = lookupScopeFor(record);
    EXPECT_EQ(scope.procedure, "run");
    EXPECT_EQ(scope.module, "geo");
    EXPECT_EQ(scope.variableChain, (QStringList{"x", "pos", "b"}));
}

// In a submodule the scope names the submodule as the module and the separate module procedure
// as the procedure, so lookups and completion reach the submodule and its ancestor.
TEST(DefinitionLookup, ScopeInASubmodule)
{
    const Annotations a("submodule (points:points_a) points_b\ncontains\n"
                        "  module procedure shift\n    p%x = p%x * «scale»\n  end procedure\n"
                        "end submodule\n");
    const LookupScope scope = lookupScopeFor(scopeForRange(a.code(), a.range(), false));
    EXPECT_EQ(scope.procedure, "shift");
    EXPECT_EQ(scope.module, "points_b");
}
