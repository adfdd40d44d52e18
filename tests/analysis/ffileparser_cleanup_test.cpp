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
