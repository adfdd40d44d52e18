// Binding resolution and the clean-up of finished units.
#include "parsertesthelper.h"

using namespace corvane;
using namespace corvane::test;

TEST(FFileParser, CleanUp)
{
    checkParseCases({
        {"arguments re-linked to their declarations",
         "subroutine s(a, b)\nreal :: a\nend\n",
         {{"nonModuleProcedures/s/arguments/0/typeName", "\"real\""},
          {"nonModuleProcedures/s/arguments/1/typeName", "\"(IMPLICIT)\""},
          {"nonModuleProcedures/s/variables/b/typeName", "\"(IMPLICIT)\""}}},
        {"public statement naming a procedure moves its access",
         "module m\npublic :: solve\ncontains\nsubroutine solve\nend subroutine\nend module\n",
         {{"modules/m/procedures/solve/access", "\"public\""},
          {"modules/m/variables", "<absent>"}}},
        {"private statement naming a type moves its access",
         "module m\nprivate :: shape_t\ntype shape_t\nend type\nreal :: x\nend module\n",
         {{"modules/m/types/shape_t/access", "\"private\""},
          {"modules/m/variables/shape_t", "<absent>"},
          {"modules/m/variables/x/typeName", "\"real\""}}},
        {"generic name of an interface gets the access",
         "module m\ninterface norm\n module procedure norm2_v\nend interface\npublic :: norm\n"
         "contains\nfunction norm2_v(v)\nend function\nend module\n",
         {{"modules/m/procedures/norm2_v/genericName", "\"norm\""},
          {"modules/m/procedures/norm2_v/access", "\"public\""},
          {"modules/m/variables", "<absent>"}}},
        {"final routines are marked",
         "module m\ntype t\ncontains\n final :: destroy\nend type\ncontains\n"
         "subroutine destroy(x)\nend subroutine\nend module\n",
         {{"modules/m/procedures/destroy/attributes", "[\"FINAL\"]"}}},
        {"generic binding names the binding and the procedure",
         "module m\ntype t\ncontains\n procedure :: add_int\n generic :: add => add_int\n"
         "end type\ncontains\nsubroutine add_int(a)\nend subroutine\nend module\n",
         {{"modules/m/types/t/typeboundProcedures/0/bindingName", "\"add\""},
          {"modules/m/procedures/add_int/genericName", "\"add\""}}},
        {"type generic bindings win over interfaces",
         "module m\ninterface first\n module procedure p\nend interface\ntype t\ncontains\n"
         " procedure :: p\n generic :: second => p\nend type\ncontains\nsubroutine p\n"
         "end subroutine\nend module\n",
         {{"modules/m/procedures/p/genericName", "\"second\""}}},
        {"function result found among the variables",
         "function f(x)\nreal :: f\nend function\n",
         {{"nonModuleProcedures/f/returnVariable/typeName", "\"real\""},
          {"nonModuleProcedures/f/variables/f/typeName", "\"real\""}}},
        {"undeclared entity of an attribute statement stays",
         "module m\nsave :: counter\nend module\n",
         {{"modules/m/variables/counter/attributes", "[\"save\"]"}}},
        {"main programs get no clean-up",
         "program p\npublic :: q\ncontains\nsubroutine q\nend subroutine\nend program\n",
         {{"nonModuleProcedures/p/variables/q/typeName", "\"(IMPLICIT)\""},
          {"nonModuleProcedures/p/procedures/q/access", "<absent>"}}},
    });
}

namespace
{

std::shared_ptr<FVariable> variableOf(const std::shared_ptr<FProgramUnit> &unit, const char *name)
{
    return unit ? lookupDeclaration(unit->variables, QString::fromLatin1(name)) : nullptr;
}

// The map key under which name is stored.
QString keyOf(const DeclarationMap<FVariable> &map, const char *name)
{
    for (const auto &entry : *map) {
        if (entry.first == QLatin1StringView(name))
            return entry.first;
    }
    return QString();
}

} // namespace

TEST(FFileParser, FinishedRecordsShareRepeatedTextsAndKeepTheirContent)
{
    const auto file = parseFortran("module m\n"
                                   "  type t\n  contains\n    final :: one\n  end type\n"
                                   "contains\n"
                                   "  pure subroutine one(n, x)\n"
                                   "    integer, intent(in) :: n\n    real, intent(in) :: x(n)\n"
                                   "  end subroutine\n"
                                   "  pure subroutine two(n, x)\n"
                                   "    integer, intent(in) :: n\n    real, intent(in) :: x(n)\n"
                                   "  end subroutine\n"
                                   "  subroutine three()\n  end subroutine\n"
                                   "  subroutine four\n  end subroutine\n"
                                   "end module\n");
    const auto m = file->moduleNamed("m");
    ASSERT_TRUE(m);
    const auto one = lookupDeclaration(m->procedures, "one");
    const auto two = lookupDeclaration(m->procedures, "two");
    ASSERT_TRUE(one && two);
    const auto n1 = variableOf(one, "n"), n2 = variableOf(two, "n");
    const auto x1 = variableOf(one, "x"), x2 = variableOf(two, "x");
    ASSERT_TRUE(n1 && n2 && x1 && x2);

    EXPECT_TRUE(n1->name.isSharedWith(n2->name));
    EXPECT_TRUE(keyOf(one->variables, "n").isSharedWith(n2->name));
    const QStringList xAttributes{"intent(in)", "DIMENSION(n)"};
    EXPECT_EQ(x1->attributes, xAttributes);
    EXPECT_EQ(x2->attributes, xAttributes);
    EXPECT_EQ(x1->attributes->constData(), x2->attributes->constData());
    EXPECT_EQ(one->argumentList, "(n,x)");
    EXPECT_EQ(one->argumentList.capacity(), one->argumentList.size());

    // FINAL is added to one after it was shared: two, which had the same list, keeps its own.
    EXPECT_EQ(one->attributes, (QStringList{"pure", "FINAL"}));
    EXPECT_EQ(two->attributes, QStringList{"pure"});

    // Present-but-empty and absent stay apart.
    const auto three = lookupDeclaration(m->procedures, "three");
    const auto four = lookupDeclaration(m->procedures, "four");
    ASSERT_TRUE(three && four);
    EXPECT_EQ(three->argumentList, "()");
    ASSERT_TRUE(three->arguments);
    EXPECT_TRUE(three->arguments->isEmpty());
    EXPECT_TRUE(four->argumentList.isNull());
    EXPECT_FALSE(four->arguments);
}

TEST(FFileParser, UpperCaseNamesShareTheirLowerCaseKeys)
{
    const auto file = parseFortran("      SUBROUTINE A(N)\n      INTEGER N\n      END\n"
                                   "      SUBROUTINE B(N)\n      INTEGER N\n      END\n",
                                   false, "/p/legacy.f");
    const auto a = file->procedureNamed("A", QString());
    const auto b = file->procedureNamed("B", QString());
    ASSERT_TRUE(a && b);
    const QString keyA = keyOf(a->variables, "n"), keyB = keyOf(b->variables, "n");
    EXPECT_EQ(keyA, "n");
    EXPECT_TRUE(keyA.isSharedWith(keyB));
    EXPECT_EQ(variableOf(a, "n")->name, "N");
    EXPECT_TRUE(variableOf(a, "n")->name.isSharedWith(variableOf(b, "n")->name));
}
