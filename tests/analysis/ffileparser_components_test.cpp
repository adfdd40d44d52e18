// Procedure-pointer components and procedure declarations, enumerators, and access inside derived
// types: PRIVATE among the components and after CONTAINS, explicit access of bindings, and the
// module's default access in the records.
#include "parsertesthelper.h"

using namespace corvane;
using namespace corvane::test;

TEST(ProcedureEntities, ComponentsAndUnitDeclarations)
{
    checkParseCases({
        {"procedure-pointer component with a target",
         "module m\n type :: json_core\n  integer :: n\n"
         "  procedure(parser_func), pointer :: parse_value => parse_value_recursive\n"
         "  procedure(), pointer, nopass :: hook => null()\n end type\nend module\n",
         {{"modules/m/types/json_core/variables/parse_value/typeName",
           "\"procedure(parser_func)\""},
          {"modules/m/types/json_core/variables/parse_value/attributes", "[\"pointer\"]"},
          {"modules/m/types/json_core/variables/parse_value/declaredValue",
           "\"parse_value_recursive\""},
          {"modules/m/types/json_core/variables/hook/typeName", "\"procedure()\""},
          {"modules/m/types/json_core/variables/hook/attributes", "[\"pointer\",\"nopass\"]"},
          {"modules/m/types/json_core/variables/hook/declaredValue", "\"null()\""},
          {"modules/m/types/json_core/variables/n/typeName", "\"integer\""}}},
        {"procedure pointers and external procedures of a module",
         "module m\n procedure(iface), pointer :: fp => null(), gp\n procedure(real) :: ext\n"
         "contains\n subroutine s\n  procedure(iface), pointer :: local\n end subroutine\n"
         "end module\n",
         {{"modules/m/variables/fp/typeName", "\"procedure(iface)\""},
          {"modules/m/variables/fp/declaredValue", "\"null()\""},
          {"modules/m/variables/gp/attributes", "[\"pointer\"]"},
          {"modules/m/variables/ext/typeName", "\"procedure(real)\""},
          {"modules/m/procedures/s/variables/local/typeName", "\"procedure(iface)\""}}},
        {"module procedure lists of an interface stay specifics, not variables",
         "module m\n interface g\n  module procedure a, b\n end interface\ncontains\n"
         " subroutine a(x)\n  integer :: x\n end subroutine\n subroutine b(y)\n  real :: y\n"
         " end subroutine\nend module\n",
         {{"modules/m/variables", "<absent>"},
          {"modules/m/procedures/a/genericName", "\"g\""}}},
    });
}

TEST(Enumerators, ParametersNumberedOn)
{
    checkParseCases({
        {"values written and numbered on from the last one",
         "module colours\n use iso_c_binding\n enum, bind(c)\n  enumerator :: red = 1, blue\n"
         "  enumerator green\n  enumerator :: cyan = 10, magenta\n end enum\nend module\n",
         {{"modules/colours/variables/red/typeName", "\"integer\""},
          {"modules/colours/variables/red/attributes", "[\"parameter\"]"},
          {"modules/colours/variables/red/declaredValue", "\"1\""},
          {"modules/colours/variables/blue/declaredValue", "\"2\""},
          {"modules/colours/variables/green/declaredValue", "\"3\""},
          {"modules/colours/variables/cyan/declaredValue", "\"10\""},
          {"modules/colours/variables/magenta/declaredValue", "\"11\""}}},
        {"the first enumerator without a value is 0; a new ENUM starts again",
         "module m\n enum, bind(c)\n  enumerator :: a, b\n end enum\n"
         " enum, bind(c)\n  enumerator :: c\n end enum\nend module\n",
         {{"modules/m/variables/a/declaredValue", "\"0\""},
          {"modules/m/variables/b/declaredValue", "\"1\""},
          {"modules/m/variables/c/declaredValue", "\"0\""}}},
        {"after a value that is no literal the next one is unknown",
         "module m\n enum, bind(c)\n  enumerator :: x = k + 1, y\n end enum\nend module\n",
         {{"modules/m/variables/x/declaredValue", "\"k+1\""},
          {"modules/m/variables/y/typeName", "\"integer\""},
          {"modules/m/variables/y/declaredValue", "<absent>"}}},
    });
}

TEST(AccessInTypes, ComponentsBindingsAndDefaults)
{
    checkParseCases({
        {"PRIVATE among the components applies to those after it",
         "module m\n private\n type, public :: t\n  integer :: shown\n  private\n  real :: hidden\n"
         "  integer, public :: open\n end type\nend module\n",
         {{"modules/m/defaultAccess", "\"private\""},
          {"modules/m/types/t/access", "\"public\""},
          {"modules/m/types/t/variables/shown/access", "<absent>"},
          {"modules/m/types/t/variables/hidden/access", "\"private\""},
          {"modules/m/types/t/variables/open/access", "\"public\""}}},
        {"PRIVATE after CONTAINS is the bindings' default; their own access wins",
         "module m\n type t\n contains\n  procedure :: first\n  private\n  procedure :: second\n"
         "  procedure, public :: third\n  procedure, pass(self), private :: fourth\n end type\n"
         "end module\n",
         {{"modules/m/types/t/typeboundProcedures/0/access", "<absent>"},
          {"modules/m/types/t/typeboundProcedures/1/access", "\"private\""},
          {"modules/m/types/t/typeboundProcedures/2/access", "\"public\""},
          {"modules/m/types/t/typeboundProcedures/3/access", "\"private\""}}},
        {"specifics of a public generic keep their own access",
         "module m\n type t\n contains\n  private\n  procedure :: add_int, add_real\n"
         "  generic, public :: add => add_int, add_real\n end type\ncontains\n"
         " subroutine add_int(me)\n  class(t) :: me\n end subroutine\n"
         " subroutine add_real(me)\n  class(t) :: me\n end subroutine\nend module\n",
         {{"modules/m/types/t/typeboundProcedures/0/bindingName", "\"add\""},
          {"modules/m/types/t/typeboundProcedures/0/access", "\"private\""},
          {"modules/m/types/t/typeboundProcedures/1/access", "\"private\""},
          {"modules/m/types/t/genericBindings/add", "[\"add_int\",\"add_real\"]"}}},
        {"access keeps the spelling it was written in",
         "module m\n integer, PRIVATE :: a\n integer, Public :: b\n integer :: c, d\n"
         " PROTECTED :: c\n private :: d\nend module\n",
         {{"modules/m/variables/a/access", "\"PRIVATE\""},
          {"modules/m/variables/b/access", "\"Public\""},
          {"modules/m/variables/c/access", "\"PROTECTED\""},
          {"modules/m/variables/d/access", "\"private\""}}},
        {"a module without a PRIVATE statement records no default",
         "module m\n public\n integer :: x\nend module\nmodule n\n integer :: y\nend module\n",
         {{"modules/m/defaultAccess", "\"public\""}, {"modules/n/defaultAccess", "<absent>"}}},
    });
}
