// Completing the name on a unit's end line: which end line is chosen and how it is rewritten.
#include "editor/endcompletion.h"
#include "support/annotations.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

namespace corvane
{
namespace
{

using test::Annotations;

enum Outcome { Beep, Unchanged, Changed };

struct EndCase {
    const char *name;
    const char *source; // "^" marks the caret
    Outcome outcome;
    const char *after;     // the whole text after the command (Changed)
    qsizetype endLine = 0; // checked when not 0
    bool fixedForm = false;
};

TEST(EndCompletion, Cases)
{
    const EndCase cases[] = {
        {"plain end line", "subroutine ^solve(a)\n  a = 1\nend subroutine\n", Changed,
         "subroutine solve(a)\n  a = 1\nend subroutine solve\n", 3},
        {"old name replaced", "^subroutine solve(a)\nEND SUBROUTINE old\n", Changed,
         "subroutine solve(a)\nEND SUBROUTINE solve\n"},
        {"upper-case end line keeps its case", "^subroutine solve(a)\nEND SUBROUTINE\n", Changed,
         "subroutine solve(a)\nEND SUBROUTINE solve\n"},
        {"contained units: the outer end line",
         "^subroutine outer(a)\ncontains\n  subroutine inner1\n  end subroutine inner1\n"
         "  subroutine inner2\n  end subroutine\nend subroutine\n",
         Changed,
         "subroutine outer(a)\ncontains\n  subroutine inner1\n  end subroutine inner1\n"
         "  subroutine inner2\n  end subroutine\nend subroutine outer\n",
         7},
        {"a later unit's contains is not this unit's",
         "^subroutine a\nend subroutine\nmodule m\ncontains\n subroutine b\n end subroutine\n"
         "end module\n",
         Changed,
         "subroutine a\nend subroutine a\nmodule m\ncontains\n subroutine b\n end subroutine\n"
         "end module\n"},
        {"module past its procedures",
         "module ^geo\ncontains\n subroutine s\n end subroutine s\nend module\n", Changed,
         "module geo\ncontains\n subroutine s\n end subroutine s\nend module geo\n"},
        {"typed function", "^integer function f(x)\n  f = x\nend function\n", Changed,
         "integer function f(x)\n  f = x\nend function f\n"},
        {"derived type", "^type, public :: point\n  real :: x\nend type\n", Changed,
         "type, public :: point\n  real :: x\nend type point\n"},
        {"the comment of the end line is kept", "^subroutine solve\nend subroutine ! old code\n",
         Changed, "subroutine solve\nend subroutine solve ! old code\n"},
        {"an old name before a comment that repeats it",
         "^subroutine solve\nend subroutine old ! old code\n", Changed,
         "subroutine solve\nend subroutine solve ! old code\n"},
        {"the caret line's comment is not read",
         "^subroutine solve ! a module helper\nend subroutine\n", Changed,
         "subroutine solve ! a module helper\nend subroutine solve\n"},
        {"commented end text inside a contains count",
         "^subroutine a\ncontains\n subroutine b ! end subroutine here\n end subroutine b\n"
         "end subroutine\n",
         Changed,
         "subroutine a\ncontains\n subroutine b ! end subroutine here\n end subroutine b\n"
         "end subroutine a\n"},
        {"generic operator", "^interface operator(+)\n module procedure add\nend interface\n",
         Changed, "interface operator(+)\n module procedure add\nend interface operator(+)\n"},
        {"generic specification replaced whole",
         "^interface assignment(=) ! copy\nend interface operator(-)\n", Changed,
         "interface assignment(=) ! copy\nend interface assignment(=)\n"},
        {"commented end lines are passed over before contains",
         "^subroutine a\n! end subroutine a\ncontains\n subroutine b\n end subroutine b\n"
         "end subroutine\n",
         Changed,
         "subroutine a\n! end subroutine a\ncontains\n subroutine b\n end subroutine b\n"
         "end subroutine a\n"},
        {"module procedure lines open no module",
         "^module a\ncontains\n subroutine s\n  interface g\n   module procedure p\n  end "
         "interface\n"
         " end subroutine\nend module\nmodule b\nend module\n",
         Changed,
         "module a\ncontains\n subroutine s\n  interface g\n   module procedure p\n  end "
         "interface\n"
         " end subroutine\nend module a\nmodule b\nend module\n",
         8},
        {"no line end after the end line", "^subroutine s\nend subroutine", Changed,
         "subroutine s\nend subroutine s"},
        {"fixed-form comment lines are passed over",
         "      ^SUBROUTINE S\nC     END SUBROUTINE X\n*     END SUBROUTINE Y\n      END "
         "SUBROUTINE\n",
         Changed,
         "      SUBROUTINE S\nC     END SUBROUTINE X\n*     END SUBROUTINE Y\n      END SUBROUTINE "
         "S\n",
         4, true},
        {"already complete", "^subroutine solve\nend subroutine solve\n", Unchanged, nullptr, 2},
        {"the text ends before the count closes: its last line is no end line",
         "^subroutine s\ncontains\n subroutine t\n end subroutine\nx = 1\n", Unchanged, nullptr, 5},
        {"not a block line", "x = ^1\nend subroutine\n", Beep, nullptr},
        {"an end line opens nothing",
         "subroutine a\nend subroutine a^\nsubroutine b\nend subroutine\n", Beep, nullptr},
        {"no end line", "^subroutine s\n  x = 1\n", Beep, nullptr},
        {"only a commented end line", "^subroutine s\n! end subroutine\n", Beep, nullptr},
    };
    for (const EndCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Annotations a(c.source);
        const EndCompletionResult r =
            EndCompletion::tryCompleteUnitName(a.code(), a.point(), StructureScanner(c.fixedForm));
        EXPECT_EQ(r.completed, c.outcome != Beep);
        EXPECT_EQ(r.replacement.has_value(), c.outcome == Changed);
        if (c.endLine) {
            EXPECT_EQ(r.endLine, c.endLine);
        }
        if (r.replacement) {
            EXPECT_EQ(r.replacement->actionName, QString("Procedure Completion"));
            QString text = a.code();
            applyReplacement(text, *r.replacement);
            EXPECT_EQ(text, QString(c.after));
        }
    }
}

} // namespace
} // namespace corvane
