// The line scanner behind the jump list: unit and block lines, the list itself, the caret's unit
// and jumping to an entry, in free and fixed form.
#include "editor/structurescanner.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::Annotations;

struct LineCase {
    const char *line;
    const char *keyword; // nullptr: not such a line
    const char *name;
};

void expectLine(const std::optional<UnitLine> &got, const LineCase &c)
{
    SCOPED_TRACE(c.line);
    if (!c.keyword) {
        EXPECT_FALSE(got.has_value()) << got->entry().toStdString();
        return;
    }
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->keyword, QString(c.keyword));
    EXPECT_EQ(got->name, QString(c.name));
}

TEST(StructureScanner, WordsAreRunsOfNameCharactersQuotesAndBangs)
{
    const auto words = StructureScanner::allWordsInString(u"  x_1 = a%b('it''s') !note");
    QStringList texts;
    for (QStringView w : words)
        texts << w.toString();
    EXPECT_EQ(texts, (QStringList{"x_1", "a", "b", "'it''s'", "!note"}));
}

TEST(StructureScanner, ProgramUnitLines)
{
    const LineCase cases[] = {
        {"subroutine solve(a, b) ! main solver", "subroutine", "solve"},
        {"recursive subroutine walk(n)", "subroutine", "walk"},
        {"pure elemental subroutine s(x)", nullptr, nullptr},
        {"integer function f(x)", "function", "f"},
        {"Real Function F(x)", "function", "F"}, // any letter case
        {"double precision FUNCTION d(x)", "function", "d"},
        {"CHARACTER*8 FUNCTION NAME8(X)", "function", "NAME8"},
        {"type(point) function centre(s)", "function", "centre"},
        {"SUBROUTINE Solve", "subroutine", "Solve"}, // keyword lower, name as written
        {"program heat", "program", "heat"},
        {"module geo", "module", "geo"},
        // The body of a separate module procedure (lists in interface blocks are not read).
        {"module procedure p", "procedure", "p"},
        {"module procedure a, b", nullptr, nullptr},
        {"submodule (points:points_a) points_b ! refinements", "submodule", "points_b"},
        {"SUBMODULE (points) points_a", "submodule", "points_a"},
        {"submodule (points)", nullptr, nullptr},
        {"pure function", nullptr, nullptr},
        {"integer function", nullptr, nullptr},
        {"integer :: function_count", nullptr, nullptr},
        {"real x ! function f", nullptr, nullptr}, // after a lone "!"
        {"type point", nullptr, nullptr},
        {"end subroutine solve", nullptr, nullptr},
        {"! subroutine old", nullptr, nullptr},
        {"subroutine", nullptr, nullptr},
    };
    for (const LineCase &c : cases)
        expectLine(StructureScanner::programUnitLine(QString(c.line)), c);
}

TEST(StructureScanner, BlockLines)
{
    const LineCase cases[] = {
        {"subroutine solve(a)", "subroutine", "solve"},
        {"recursive subroutine walk(n)", "subroutine", "walk"},
        {"integer function f(x)", "function", "f"},
        {"module geo", "module", "geo"},
        {"type point", "type", "point"},
        {"type, public :: point", "type", "point"},
        {"interface swap", "interface", "swap"},
        {"interface operator(+)", "interface", "operator(+)"},
        {"INTERFACE assignment(=)  \t", "interface", "assignment(=)"},
        {"abstract interface", nullptr, nullptr},
        {"module procedure p", nullptr, nullptr},
        {"end subroutine old", nullptr, nullptr}, // an end line opens nothing
        {"x = 1", nullptr, nullptr},
        {"! subroutine solve(a)", nullptr, nullptr},
    };
    for (const LineCase &c : cases)
        expectLine(StructureScanner::blockLine(QString(c.line)), c);
}

struct ListCase {
    const char *name;
    bool fixedForm;
    const char *text;
    QStringList entries; // between "Top" and "End"
};

TEST(StructureScanner, JumpList)
{
    const ListCase cases[] = {
        {"trailing comment, prefixes, typed functions, module procedure",
         false,
         "module geo ! shapes\n"
         "  interface area\n"
         "    module procedure circle_area\n"
         "  end interface\n"
         "contains\n"
         "  recursive subroutine walk(n)\n"
         "  end subroutine walk\n"
         "  integer function f(x)\n"
         "  end function\n"
         "  Real Function G(x)\n"
         "  end function\n"
         "end module geo\n",
         {"module geo", "subroutine walk", "function f", "function G"}},
        {"interface bodies, nested and closed in any spelling; depth never below 0",
         false,
         "end interface\n"
         "program p\n"
         "  interface\n"
         "    subroutine hidden1(x)\n"
         "    end subroutine\n"
         "  endinterface\n"
         "  abstract interface\n"
         "    function hidden2(x)\n"
         "    end function\n"
         "  end   interface\n"
         "contains\n"
         "  subroutine shown(x)\n"
         "  end subroutine\n"
         "end program\n",
         {"program p", "subroutine shown"}},
        {"marks, comments and short lines",
         false,
         "!@mark - Geometry\n"
         "! subroutine commented(x)\n"
         "x = 1 !@mark - not a comment line\n"
         "   !@mark - Solvers  \n"
         "module m\n",
         {"!@mark - Geometry", "!@mark - Solvers", "module m"}},
        {"fixed form: column 1 decides comment lines, not the trimmed text",
         true,
         "C     SUBROUTINE COMMENTED\n"
         "*     SUBROUTINE STARRED\n"
         "c     subroutine lower\n"
         "      COMPLEX FUNCTION CF(Z)\n"
         "      END\n"
         "      CHARACTER*8 FUNCTION NAME8(X)\n"
         "      END\n"
         "      SUBROUTINE CALC(A)\n"
         "      END\n",
         {"function CF", "function NAME8", "subroutine CALC"}},
        {"free form: a line starting with c is code",
         false,
         "complex function cf(z)\n",
         {"function cf"}},
    };
    for (const ListCase &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList want = c.entries;
        want.prepend("Top");
        want.append("End");
        const StructureScanner scanner(c.fixedForm);
        EXPECT_EQ(StructureScanner::titles(scanner.constructJumpList(QString(c.text))), want);
    }
}

TEST(StructureScanner, JumpListEntriesRememberTheirLines)
{
    const QList<JumpListEntry> entries =
        StructureScanner().constructJumpList(u"!@mark - A\n\nmodule m\nend module m\n");
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[1], (JumpListEntry{"!@mark - A", 1, true}));
    EXPECT_EQ(entries[2], (JumpListEntry{"module m", 3, false}));
}

struct UnitCase {
    const char *source; // "^" marks the caret
    const char *unit;   // nullptr: none
    bool fixedForm = false;
};

TEST(StructureScanner, CaretUnit)
{
    const UnitCase cases[] = {
        {"! header\n^\nmodule m\n", "Top"},
        {"module m\ncontains\n subroutine a\n end subroutine a\n^\n subroutine b\n",
         "subroutine a"},
        {"subroutine a\n  x = 1^\nend\n", "subroutine a"},
        // Inside an interface body the walk has not met its "end interface" yet.
        {"subroutine a\n  interface\n    subroutine b(x)\n  ^  end subroutine\n  end interface\n",
         "subroutine b"},
        {"subroutine a\n  interface\n    subroutine b(x)\n    end subroutine\n  end interface\n"
         "  x = 1^\n",
         "subroutine a"},
        {"SUBROUTINE Solve\n  ^x = 1\n", "subroutine Solve"}, // name kept as written
        {"Real Function F(x)\n  ^F = x\n", "function F"},
        {"      SUBROUTINE S\nC     SUBROUTINE OLD\n      ^X = 1\n", "subroutine S", true},
        {"^subroutine a\n", "subroutine a"},         // the text's start
        {"subroutine a\nx = 1\n^", "subroutine a"}, // the text's end: typing at the end
        {"^", nullptr},
    };
    for (const UnitCase &c : cases) {
        const Annotations a(c.source);
        SCOPED_TRACE(a.code().toStdString());
        const auto unit = StructureScanner(c.fixedForm).currentProgramUnit(a.code(), a.point());
        if (!c.unit) {
            EXPECT_FALSE(unit.has_value());
        } else {
            EXPECT_EQ(unit.value_or("(none)"), QString(c.unit));
        }
    }
}

struct JumpCase {
    const char *entry;
    const char *source; // «» marks the selection; none: nothing is found
};

TEST(StructureScanner, JumpToEntry)
{
    const JumpCase cases[] = {
        {"subroutine solve", "! calls subroutine solve\nsubroutine solve_fast(a)\nend\n"
                             "  «subroutine solve»(a)\n"},
        {"subroutine solve", "«SUBROUTINE \t Solve»\n"},
        {"function f", "integer «function f»(x)\n"},
        {"subroutine s2", "subroutine s21\nend\n«subroutine s2»\n"},
        {"subroutine hidden", "interface\n  subroutine hidden\n  end subroutine\nend interface\n"},
        {"subroutine p", "x = 1\n"},
        {"Top", "«»module m\nend\n"},
        {"End", "module m\nend\n«»"},
        {"!@mark - A", "!@mark - A\n"},
    };
    for (const JumpCase &c : cases) {
        const Annotations a(c.source);
        SCOPED_TRACE(std::string(c.entry) + " in " + a.code().toStdString());
        const auto got = StructureScanner().jump(a.code(), QString(c.entry));
        if (a.ranges().isEmpty()) {
            EXPECT_FALSE(got.has_value());
        } else {
            EXPECT_EQ(got.value_or(TextRange{9999, 9999}), a.range());
        }
    }
}

TEST(StructureScanner, FixedFormJumpPassesOverCommentLines)
{
    const Annotations a("C     SUBROUTINE CALC\n      «SUBROUTINE CALC»(A)\n");
    EXPECT_EQ(StructureScanner(true).jump(a.code(), u"subroutine CALC").value_or(TextRange{}),
              a.range());
}

} // namespace
} // namespace corvane
