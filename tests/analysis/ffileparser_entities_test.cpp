// Type declaration statements, attribute statements, derived types and their bindings.
#include "parsertesthelper.h"

using namespace corvane;
using namespace corvane::test;

namespace
{

// Wraps specification statements in a module "m".
std::string inModule(const char *body)
{
    return std::string("module m\n") + body + "\nend module m\n";
}

} // namespace

TEST(FFileParser, JoiningHelpers)
{
    struct Case {
        QStringList tokens;
        qsizetype start;
        bool value; // accumulateValue instead of accumulateParenthetical
        QString want;
        qsizetype wantEnd;
    };
    const Case cases[] = {
        {{"(", "len", "=", "*", ")"}, 0, false, "(len=*)", 4},
        {{"(", ":", ",", ":", ")", "x"}, 0, false, "(:,:)", 4},
        {{"(", "a", "(", "1", ")", ")"}, 0, false, "(a(1))", 5},
        {{"(", "unclosed"}, 0, false, "(unclosed", 2},
        {{"(", "(/1,2/)", ")"}, 0, false, "((/1,2/))", 2},
        {{"x", "=", "1.0", ",", "y"}, 1, true, "1.0", 3},
        {{"x", "=", "f", "(", "1", ",", "2", ")"}, 1, true, "f(1,2)", 8},
        {{"x", "=", "'a b'"}, 1, true, "'a b'", 3},
        {{"p", "=>", "null", "(", ")"}, 1, true, "null()", 5},
        {{"(", "n", "=", "1", ")"}, 2, true, "1", 4},
        {{"x", "=", "[1,2]", ",", "y"}, 1, true, "[1,2]", 3},
        {{"x", "=", "a", ">", "b"}, 1, true, "ab", 5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(qPrintable(c.tokens.join(' ')));
        FFileParser::Tokens views(c.tokens.begin(), c.tokens.end());
        qsizetype end = -1;
        const QString got = c.value
                                ? FFileParser::accumulateValue(views, c.start, end)
                                : FFileParser::accumulateParenthetical(u'(', views, c.start, end);
        EXPECT_EQ(got, c.want);
        EXPECT_EQ(end, c.wantEnd);
    }
}

TEST(FFileParser, TypeDeclarationStatements)
{
    const std::string s1 = inModule("character(len=*), intent(in) :: s");
    const std::string s2 = inModule("character*10 a, b");
    const std::string s3 = inModule("real(kind=8) :: x(10,10)\nreal :: c[*]");
    const std::string s4 = inModule("double precision :: d = 1.0d0");
    const std::string s5 = inModule("type(point), pointer :: p => null()");
    const std::string s6 = inModule("integer, dimension(3), public :: a, b(2) = [1, 2]");
    const std::string s7 =
        inModule("integer(c_int), bind(c) :: x\nreal, parameter :: pi = 3.14, e = 2.7");
    const std::string s8 = inModule("type(t(k=8)) :: v\nclass(*), allocatable :: anything");
    const std::string s9 = inModule("character*(*) :: name\nlogical :: ok = .true., done");
    checkParseCases({
        {"character length and intent",
         s1.c_str(),
         {{"modules/m/variables/s/typeName", "\"character(len=*)\""},
          {"modules/m/variables/s/attributes", "[\"intent(in)\"]"},
          {"modules/m/variables/s/isDerivedType", "false"}}},
        {"star length applies to every entity",
         s2.c_str(),
         {{"modules/m/variables/a/typeName", "\"character\""},
          {"modules/m/variables/a/attributes", "[\"*10\"]"},
          {"modules/m/variables/b/attributes", "[\"*10\"]"}}},
        {"dimensions and codimensions",
         s3.c_str(),
         {{"modules/m/variables/x/typeName", "\"real(kind=8)\""},
          {"modules/m/variables/x/attributes", "[\"DIMENSION(10,10)\"]"},
          {"modules/m/variables/c/attributes", "[\"CO_DIMENSION[*]\"]"}}},
        {"double precision with a value",
         s4.c_str(),
         {{"modules/m/variables/d/typeName", "\"double precision\""},
          {"modules/m/variables/d/declaredValue", "\"1.0d0\""}}},
        {"derived pointer with null()",
         s5.c_str(),
         {{"modules/m/variables/p/typeName", "\"point\""},
          {"modules/m/variables/p/isDerivedType", "true"},
          {"modules/m/variables/p/attributes", "[\"pointer\"]"},
          {"modules/m/variables/p/declaredValue", "\"null()\""}}},
        {"pending attributes, access and per-entity dimension",
         s6.c_str(),
         {{"modules/m/variables/a/attributes", "[\"dimension(3)\",\"public\"]"},
          {"modules/m/variables/a/access", "\"public\""},
          {"modules/m/variables/a/declaredValue", "<absent>"},
          {"modules/m/variables/b/attributes", "[\"dimension(3)\",\"public\",\"DIMENSION(2)\"]"},
          {"modules/m/variables/b/declaredValue", "\"[1, 2]\""},
          {"modules/m/variables/b/access", "\"public\""}}},
        {"bind(c) is an attribute, not a name (we had this bug)",
         s7.c_str(),
         {{"modules/m/variables/x/attributes", "[\"bind(c)\"]"},
          {"modules/m/variables/x/typeName", "\"integer(c_int)\""},
          {"modules/m/variables/bind", "<absent>"},
          {"modules/m/variables/pi/declaredValue", "\"3.14\""},
          {"modules/m/variables/e/declaredValue", "\"2.7\""},
          {"modules/m/variables/e/attributes", "[\"parameter\"]"}}},
        {"parameterised type and class(*)",
         s8.c_str(),
         {{"modules/m/variables/v/typeName", "\"t\""},
          {"modules/m/variables/k", "<absent>"},
          {"modules/m/variables/)", "<absent>"},
          {"modules/m/variables/anything/typeName", "\"*\""},
          {"modules/m/variables/anything/attributes", "[\"allocatable\"]"}}},
        {"assumed length star and logical values",
         s9.c_str(),
         {{"modules/m/variables/name/attributes", "[\"*(*)\"]"},
          {"modules/m/variables/ok/declaredValue", "\".true.\""},
          {"modules/m/variables/done/declaredValue", "<absent>"}}},
        {"a constructor's value runs to its own close",
         "module m\n real :: a(3) = (/ 1.0, f(2), 3.0 /), b(2)\n"
         " character(2) :: s(2) = ['a]', 'b)'], t\nend module\n",
         {{"modules/m/variables/a/declaredValue", "\"(/ 1.0, f(2), 3.0 /)\""},
          {"modules/m/variables/a/attributes", "[\"DIMENSION(3)\"]"},
          {"modules/m/variables/b/attributes", "[\"DIMENSION(2)\"]"},
          {"modules/m/variables/s/declaredValue", "\"['a]', 'b)']\""},
          {"modules/m/variables/t/typeName", "\"character(2)\""}}},
    });
}

TEST(FFileParser, AttributeStatements)
{
    const std::string a1 = inModule("parameter (pi = 3.14159, e = 2.71828)");
    const std::string a2 = inModule("real :: a, b\nintent(inout) :: a, b");
    const std::string a3 = inModule("dimension a(10), b(2,2)\nsave :: a");
    const std::string a4 = inModule("integer :: n\nprotected :: n\noptional x\nvalue :: y, z");
    const std::string a5 = inModule("public\nbind(c) :: x\ndata x /1/");
    const std::string a6 = inModule("parameter (n = 1)");
    checkParseCases({
        {"parameter statement",
         a1.c_str(),
         {{"modules/m/variables/pi/attributes", "[\"parameter\"]"},
          {"modules/m/variables/pi/typeName", "\"(IMPLICIT)\""},
          {"modules/m/variables/pi/declaredValue", "\"3.14159\""},
          {"modules/m/variables/e/declaredValue", "\"2.71828\""}}},
        {"intent statement",
         a2.c_str(),
         {{"modules/m/variables/a/attributes", "[\"intent(inout)\"]"},
          {"modules/m/variables/b/attributes", "[\"intent(inout)\"]"},
          {"modules/m/variables/b/typeName", "\"real\""}}},
        {"dimension statement keeps the group apart",
         a3.c_str(),
         {{"modules/m/variables/a/attributes", "[\"dimension\",\"(10)\",\"save\"]"},
          {"modules/m/variables/b/attributes", "[\"dimension\",\"(2,2)\"]"}}},
        {"protected, optional and value",
         a4.c_str(),
         {{"modules/m/variables/n/attributes", "[\"protected\"]"},
          {"modules/m/variables/n/access", "\"protected\""},
          {"modules/m/variables/n/typeName", "\"integer\""},
          {"modules/m/variables/x/attributes", "[\"optional\"]"},
          {"modules/m/variables/z/attributes", "[\"value\"]"}}},
        {"lone PUBLIC, BIND and DATA record nothing",
         a5.c_str(),
         {{"modules/m/variables", "<absent>"}}},
        {"the closing parenthesis after a value is no entity (we had this bug)",
         a6.c_str(),
         {{"modules/m/variables", "{\"n\":{\"name\":\"n\",\"typeName\":\"(IMPLICIT)\","
                                  "\"isDerivedType\":false,\"attributes\":[\"parameter\"],"
                                  "\"declaredValue\":\"1\"}}"}}},
        {"access statement before the declaration is kept (we had this bug)",
         "module m\nprivate\npublic :: x, y\ndimension y(3)\ninteger :: x\nreal :: y\n"
         "end module\n",
         {{"modules/m/variables/x/access", "\"public\""},
          {"modules/m/variables/x/typeName", "\"integer\""},
          {"modules/m/variables/x/attributes", "[\"public\"]"},
          {"modules/m/variables/y/attributes", "[\"public\",\"dimension\",\"(3)\"]"}}},
        {"declaration replaces the argument placeholder",
         "subroutine s(n)\ninteger :: n\nend\n",
         {{"nonModuleProcedures/s/variables/n/typeName", "\"integer\""},
          {"nonModuleProcedures/s/arguments/0/typeName", "\"integer\""}}},
    });
}

TEST(FFileParser, DerivedTypes)
{
    const std::string t1 = inModule(
        "type, extends(shape), public :: circle\n real :: r\n type(point) :: centre\n"
        " private\n sequence\ncontains\n procedure :: area\n"
        " procedure, pass(self) :: perim => circle_perim\n"
        " procedure(iface), deferred, nopass :: run\n"
        " procedure, pointer :: pp => target_proc\n"
        " generic :: add => add_int, add_real\n generic, public :: write => write_a\n"
        " generic :: operator(+) => plus\n final :: f1, f2\n final :: f3\nend type circle\n"
        "integer :: after");
    const std::string t2 = inModule("type :: point\n real :: x, y\nend type\ntype pair\nendtype\n"
                                    "type, abstract :: shape\nend type shape");
    const std::string t3 = inModule("type, bind(c) :: ct\n integer(c_int) :: i\nend type");
    const std::string t4 = inModule("type, public\n real :: lost\nend type\nreal :: kept");
    const std::string t5 = inModule("type t\n integer :: a\nendtype t\nreal :: kept\ncontains\n"
                                    "subroutine s\nend subroutine");
    checkParseCases({
        {"header, components and bindings",
         t1.c_str(),
         {{"modules/m/types/circle/name", "\"circle\""},
          {"modules/m/types/circle/definingProgramUnit", "\"m\""},
          {"modules/m/types/circle/superclassName", "\"shape\""},
          {"modules/m/types/circle/attributes", "[\"public\"]"},
          {"modules/m/types/circle/access", "\"public\""},
          {"modules/m/types/circle/variables/r/typeName", "\"real\""},
          {"modules/m/types/circle/variables/centre/isDerivedType", "true"},
          {"modules/m/types/circle/typeboundProcedures/0", "{\"name\":\"area\",\"pass\":true}"},
          {"modules/m/types/circle/typeboundProcedures/1",
           "{\"name\":\"circle_perim\",\"bindingName\":\"perim\",\"attributes\":[\"pass(self)\"],"
           "\"pass\":true}"},
          {"modules/m/types/circle/typeboundProcedures/2",
           "{\"name\":\"run\",\"attributes\":[\"deferred\",\"nopass\"],\"pass\":false}"},
          {"modules/m/types/circle/typeboundProcedures/3/name", "\"pp\""},
          {"modules/m/types/circle/typeboundProcedures/3/bindingName", "<absent>"},
          {"modules/m/types/circle/genericBindings",
           "{\"add\":[\"add_int\",\"add_real\"],\"operator(+)\":[\"plus\"],"
           "\"write\":[\"write_a\"]}"},
          {"modules/m/types/circle/finalRoutines", "[\"f1\",\"f2\",\"f3\"]"},
          {"modules/m/variables/after/typeName", "\"integer\""},
          {"modules/m/variables/r", "<absent>"}}},
        {"plain headers and endtype (we had this bug: endtype swallowed the module)",
         t2.c_str(),
         {{"modules/m/types/point/variables/y/typeName", "\"real\""},
          {"modules/m/types/pair/name", "\"pair\""},
          {"modules/m/types/shape/attributes", "[\"abstract\"]"}}},
        {"bind(c) type header (we had this bug)",
         t3.c_str(),
         {{"modules/m/types/ct/attributes", "[\"bind(c)\"]"},
          {"modules/m/types/bind", "<absent>"},
          {"modules/m/types/ct/variables/i/typeName", "\"integer(c_int)\""}}},
        {"header without a name stores no type and drops its components",
         t4.c_str(),
         {{"modules/m/types", "<absent>"},
          {"modules/m/variables/lost", "<absent>"},
          {"modules/m/variables/kept/typeName", "\"real\""}}},
        {"endtype followed by CONTAINS keeps the module procedures",
         t5.c_str(),
         {{"modules/m/types/t/variables/a/typeName", "\"integer\""},
          {"modules/m/variables/kept/typeName", "\"real\""},
          {"modules/m/procedures/s/pUnitType", "2"}}},
        {"type without END TYPE stops at the next program unit",
         "module m\ntype t\n integer :: a\ncontains\nsubroutine s\nend subroutine\nend module\n",
         {{"modules/m/types/t/variables/a/typeName", "\"integer\""},
          {"nonModuleProcedures/s/pUnitType", "2"}}},
    });
}
