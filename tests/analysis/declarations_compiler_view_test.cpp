// Declarations the parser once dropped or misread: kinds with nested parentheses, star lengths
// run into names, ';' after a continued literal, interface skips in files with lone "\r" line
// ends, multi-name binding statements and generic operator/assignment specs.
#include "parsertesthelper.h"

using namespace corvane;
using namespace corvane::test;

TEST(DeclarationsAsWritten, SmallerParserFaults)
{
    checkParseCases({
        {"kind with nested parentheses",
         "module m\n real(kind(0.d0)) :: rr\n real(kind(1.0e0)), parameter :: q = 1.\nend module\n",
         {{"modules/m/variables/rr/typeName", "\"real(kind(0.d0))\""},
          {"modules/m/variables/q/typeName", "\"real(kind(1.0e0))\""},
          {"modules/m/variables/q/declaredValue", "\"1.\""}}},
        {"star length directly followed by the entity name",
         "module m\n CHARACTER*10D(3,4), e\n character*8 f\nend module\n",
         {{"modules/m/variables/d/name", "\"D\""},
          {"modules/m/variables/d/attributes", "[\"*10\",\"DIMENSION(3,4)\"]"},
          {"modules/m/variables/e/attributes", "[\"*10\"]"},
          {"modules/m/variables/f/attributes", "[\"*8\"]"},
          {"modules/m/variables/10d", "<absent>"}}},
        {"';' after a literal continued over lines",
         "module m\n character(len=4) :: s = 'ab&\n  &cd'; integer :: b\n"
         " character :: t = 'x' ; real :: c\nend module\n",
         {{"modules/m/variables/s/declaredValue", "\"'abcd'\""},
          {"modules/m/variables/b/typeName", "\"integer\""},
          {"modules/m/variables/c/typeName", "\"real\""},
          {"modules/m/variables/integer", "<absent>"}}},
        {"unnamed interface skip with lone carriage returns",
         "module m\r interface\r  subroutine ext()\r  end subroutine\r end interface\r"
         " integer :: after\rcontains\r subroutine s\r end subroutine\rend module\r",
         {{"modules/m/variables/after/typeName", "\"integer\""},
          {"modules/m/procedures/s/pUnitType", "2"}}},
        {"an assignment to a variable named type is no type definition",
         "      subroutine s\n      TYPE = 'x'\n      real y\n      end\n",
         {{"nonModuleProcedures/s/types", "<absent>"},
          {"nonModuleProcedures/s/variables/y/typeName", "\"real\""}},
         false},
        {"a preprocessor line inside an argument list declares no argument",
         "subroutine s(me, &\n#include \"args.inc\"\n  )\nend subroutine\n",
         {{"nonModuleProcedures/s/arguments/0/name", "\"me\""},
          {"nonModuleProcedures/s/arguments/1", "<absent>"}}},
        {"unnamed interface skip with CRLF line ends",
         "module m\r\n interface\r\n  subroutine ext()\r\n  end subroutine\r\n end interface\r\n"
         " integer :: after\r\nend module\r\n",
         {{"modules/m/variables/after/typeName", "\"integer\""}}},
    });
}

TEST(DeclarationsAsWritten, EveryNameOfABindingOrSpecificList)
{
    checkParseCases({
        {"several names in one PROCEDURE statement of a type",
         "module m\n type t\n contains\n  procedure, nopass :: get_pkg_data, get_file, unpack\n"
         "  procedure :: a => impl_a, b => impl_b\n  procedure, pass(self) :: c\n end type\n"
         "end module\n",
         {{"modules/m/types/t/typeboundProcedures/0/name", "\"get_pkg_data\""},
          {"modules/m/types/t/typeboundProcedures/1/name", "\"get_file\""},
          {"modules/m/types/t/typeboundProcedures/2/name", "\"unpack\""},
          {"modules/m/types/t/typeboundProcedures/2/pass", "false"},
          {"modules/m/types/t/typeboundProcedures/2/attributes", "[\"nopass\"]"},
          {"modules/m/types/t/typeboundProcedures/3/name", "\"impl_a\""},
          {"modules/m/types/t/typeboundProcedures/3/bindingName", "\"a\""},
          {"modules/m/types/t/typeboundProcedures/4/name", "\"impl_b\""},
          {"modules/m/types/t/typeboundProcedures/4/bindingName", "\"b\""},
          {"modules/m/types/t/typeboundProcedures/5/name", "\"c\""},
          {"modules/m/types/t/typeboundProcedures/5/attributes", "[\"pass(self)\"]"},
          {"modules/m/types/t/typeboundProcedures/6", "<absent>"}}},
        {"module procedure list of a named interface",
         "module m\n interface to_u\n  module procedure to_uni, to_uni_vec\n"
         "  procedure :: to_uni_s\n end interface\nend module\n",
         {{"modules/m/interfaces/to_u",
           "[{\"name\":\"to_u\",\"value\":\"to_uni\"},{\"name\":\"to_u\",\"value\":\"to_uni_vec\"},"
           "{\"name\":\"to_u\",\"value\":\"to_uni_s\"}]"}}},
        {"interface bodies give their procedure names only",
         "module m\n interface norm\n  real function n1(x, y)\n   real, intent(in) :: x, y\n"
         "  end function\n  subroutine n2(z) bind(c)\n  end subroutine\n end interface\nend module\n",
         {{"modules/m/interfaces/norm",
           "[{\"name\":\"norm\",\"value\":\"n1\"},{\"name\":\"norm\",\"value\":\"n2\"}]"}}},
    });
}

TEST(DeclarationsAsWritten, GenericOperatorAndAssignmentSpecs)
{
    checkParseCases({
        {"generic bindings under their operator or assignment as written",
         "module m\n type t\n contains\n  procedure :: eq_t\n  generic :: operator(==) => eq_t\n"
         "  generic, public :: operator(.in.) => has_x, has_y\n"
         "  generic :: assignment(=) => assign_t\n  generic :: operator(/=) => ne_t\n"
         "  generic :: name => n1\n end type\nend module\n",
         {{"modules/m/types/t/genericBindings/operator(==)", "[\"eq_t\"]"},
          {"modules/m/types/t/genericBindings/operator(.in.)", "[\"has_x\",\"has_y\"]"},
          {"modules/m/types/t/genericBindings/assignment(=)", "[\"assign_t\"]"},
          {"modules/m/types/t/genericBindings/name", "[\"n1\"]"}}},
        {"operator and assignment interfaces",
         "module m\n interface operator(==)\n  module procedure eq_a, eq_b\n end interface\n"
         " interface operator (/=)\n  module procedure ne_a\n end interface\n"
         " interface Assignment(=)\n  module procedure asg\n end interface\n"
         " interface operator(.cross.)\n  module procedure cross\n end interface\n"
         " integer :: after\ncontains\n logical function eq_a(a, b)\n end function\nend module\n",
         {{"modules/m/interfaces/operator(==)",
           "[{\"name\":\"operator(==)\",\"value\":\"eq_a\"},"
           "{\"name\":\"operator(==)\",\"value\":\"eq_b\"}]"},
          {"modules/m/interfaces/assignment(=)/0/name", "\"Assignment(=)\""},
          {"modules/m/interfaces/operator(.cross.)/0/value", "\"cross\""},
          {"modules/m/procedures/eq_a/genericName", "\"operator(==)\""},
          {"modules/m/variables/after/typeName", "\"integer\""}}},
        {"access statements naming generic specs create no variables",
         "module m\n private\n public :: operator(==), assignment(=), x\n"
         " private :: operator(/=), operator(.in.)\n integer :: y\nend module\n",
         {{"modules/m/variables/operator", "<absent>"},
          {"modules/m/variables/assignment", "<absent>"},
          {"modules/m/variables/x/access", "\"public\""},
          {"modules/m/variables/y/typeName", "\"integer\""}}},
    });
}

// Specs holding "/" cannot be reached by a slash-separated path: look at the records.
TEST(DeclarationsAsWritten, NotEqualSpecs)
{
    const auto file = parseFortran(
        "module m\n type t\n contains\n  generic :: operator(/=) => ne_t\n end type\n"
        " interface operator (/=)\n  module procedure ne_a\n end interface\n"
        " private :: operator(/=)\nend module\n");
    ASSERT_TRUE(file->modules);
    const auto m = file->modules->value("m");
    ASSERT_TRUE(m);
    ASSERT_TRUE(m->interfaces);
    const QList<Tuple> specifics = m->interfaces->value("operator(/=)");
    ASSERT_EQ(specifics.size(), 1);
    EXPECT_EQ(specifics[0].name, "operator(/=)");
    EXPECT_EQ(specifics[0].value, "ne_a");
    const auto t = m->types->value("t");
    ASSERT_TRUE(t && t->genericBindings);
    EXPECT_EQ(t->genericBindings->value("operator(/=)"), QStringList{"ne_t"});
    EXPECT_FALSE(m->variables);
}

TEST(DeclarationsAsWritten, InterfaceBodiesAreProcedureDeclarations)
{
    checkParseCases({
        {"external and bind(c) procedures of an unnamed interface",
         "module m\n interface\n  function c_isatty(fd) bind(c, name='isatty')\n"
         "   integer, value :: fd\n   integer :: c_isatty\n  end function\n"
         "  subroutine ext(a, b)\n   real, intent(in) :: a\n   real, intent(out) :: b\n"
         "  end subroutine ext\n end interface\n integer :: after\nend module\n",
         {{"modules/m/procedures/c_isatty/isInterface", "true"},
          {"modules/m/procedures/c_isatty/pUnitType", "3"},
          {"modules/m/procedures/c_isatty/languageBinding", "\"bind(c,name='isatty')\""},
          {"modules/m/procedures/c_isatty/argumentList", "\"(fd)\""},
          {"modules/m/procedures/c_isatty/returnVariable/typeName", "\"integer\""},
          {"modules/m/procedures/c_isatty/definingProgramUnit", "\"m\""},
          {"modules/m/procedures/ext/arguments/1/attributes", "[\"intent(out)\"]"},
          {"modules/m/variables/fd", "<absent>"},
          {"modules/m/variables/after/typeName", "\"integer\""}}},
        {"abstract interface named by an access statement",
         "module m\n private\n public :: some_iface\n abstract interface\n"
         "  subroutine some_iface(x)\n   import :: dp\n   real :: x\n  end subroutine\n"
         " end interface\nend module\n",
         {{"modules/m/procedures/some_iface/isInterface", "true"},
          {"modules/m/procedures/some_iface/access", "\"public\""},
          {"modules/m/variables", "<absent>"}}},
        {"a body and a contained procedure of one name: the contained one is kept",
         "module m\n interface norm\n  function n1(x)\n  end function\n end interface\n"
         "contains\n function n1(x)\n  real :: x\n end function\nend module\n",
         {{"modules/m/procedures/n1/isInterface", "<absent>"},
          {"modules/m/procedures/n1/genericName", "\"norm\""},
          {"modules/m/procedures/n1/variables/x/typeName", "\"real\""}}},
        {"a dummy procedure interface inside a procedure",
         "subroutine s(f)\n interface\n  real function f(t)\n   real :: t\n  end function\n"
         " end interface\n real :: y\nend subroutine\n",
         {{"nonModuleProcedures/s/procedures/f/isInterface", "true"},
          {"nonModuleProcedures/s/procedures/f/definingProgramUnit", "\"s\""},
          {"nonModuleProcedures/s/variables/y/typeName", "\"real\""}}},
        {"a body without END does not swallow the module",
         "module m\n interface\n  subroutine broken(a)\n end interface\n integer :: after\n"
         "contains\n subroutine s\n end subroutine\nend module\n",
         {{"modules/m/procedures/broken/isInterface", "true"},
          {"modules/m/variables/after/typeName", "\"integer\""},
          {"modules/m/procedures/s/pUnitType", "2"}}},
    });
}
