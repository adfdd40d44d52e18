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
        {"unnamed interface skip with CRLF line ends",
         "module m\r\n interface\r\n  subroutine ext()\r\n  end subroutine\r\n end interface\r\n"
         " integer :: after\r\nend module\r\n",
         {{"modules/m/variables/after/typeName", "\"integer\""}}},
    });
}
