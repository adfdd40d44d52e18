// Tables for the compilers we cannot run here, written to their documented message formats:
// PGI/NVIDIA, Intel ifort/ifx, Absoft (older and newer layout) and NAG nagfor.
#include "diagnosticstest.h"

using namespace corvane;
using corvane::test::Row;
using corvane::test::runTable;
using corvane::test::TextCase;

namespace
{

TEST(PGIReader, DocumentedLayouts)
{
    runTable(
        "/opt/pgi/linux86-64/19.10/bin/pgfortran\n",
        {
            {"severe error with a line",
             " PGF90-S-0034-Syntax error at or near end of line (/home/u/demo.f90: 5)\n  0 inform, "
             "  0 warnings,   1 severes, 0 fatal for demo\n",
             {{"/home/u/demo.f90", 5, 0, "PGF90-S-0034-Syntax error at or near end of line ", 2}},
             2},
            {"warnings count as errors",
             " PGF90-W-0093-Type conversion of expression performed (demo.f90: 3)\n",
             {{"demo.f90", 3, 0, "PGF90-W-0093-Type conversion of expression performed ", 2}},
             2},
            {"message without a line",
             " PGF90-F-0004-Unable to open MODULE file nosuch.mod (use.f90)\n",
             {{"use.f90", 1, 0, "PGF90-F-0004-Unable to open MODULE file nosuch.mod ", 2}},
             2},
            {"nothing recognised is still level 2",
             " pgf90-Fatal-/opt/pgi/bin/pgf901 TERMINATED by signal 11\n",
             {},
             2},
            {"make: *** ends the text",
             " PGF90-S-0034-Syntax error (a.f90: 2)\nmake: *** [a.o] Error 2\nPGF90-S-0034-Syntax "
             "error (b.f90: 9)\n",
             {{"a.f90", 2, 0, "PGF90-S-0034-Syntax error ", 2}},
             2},
            {"cut off inside the location",
             " PGF90-S-0034-Syntax error (a.f90: 2)\nPGF90-S-0034-Syntax error (b.f9",
             {{"a.f90", 2, 0, "PGF90-S-0034-Syntax error ", 2}},
             2},
        });
}

TEST(PGIReader, NvfortranPrefix)
{
    runTable("/opt/nvidia/hpc_sdk/Linux_x86_64/24.1/compilers/bin/nvfortran",
             {
                 {"NVFORTRAN messages",
                  " NVFORTRAN-S-0038-Symbol, total, has not been explicitly declared (demo.f90: "
                  "5)\nNVFORTRAN-W-0155-Constant or Parameter used as DO loop variable (demo.f90: "
                  "2)\n  0 inform,   1 warnings,   1 severes, 0 fatal for demo\n",
                  {{"demo.f90", 2, 0,
                    "NVFORTRAN-W-0155-Constant or Parameter used as DO loop variable ", 2},
                   {"demo.f90", 5, 0,
                    "NVFORTRAN-S-0038-Symbol, total, has not been explicitly declared ", 2}},
                  2},
             });
}

const std::vector<TextCase> kIntelCases = {
    {"error and remark with source and caret lines",
     " demo.f90(5): error #6404: This name does not have a type, and must have an explicit type.   "
     "[TOTAL]\n  total = n + 1\n--^\ndemo.f90(3): remark #7712: This variable has not been used.   "
     "[UNUSED]\n  integer :: n, unused\n----------------^\ncompilation aborted for demo.f90 (code "
     "1)\n",
     {{"demo.f90", 3, 0, ": remark #7712: This variable has not been used.   [UNUSED]", 1},
      {"demo.f90", 5, 0,
       ": error #6404: This name does not have a type, and must have an explicit type.   [TOTAL]",
       2}},
     2},
    {"deprecation remark and command line warning are passed over (we had this bug)",
     " ifort: remark #10448: Intel(R) Fortran Compiler Classic (ifort) is deprecated and will be "
     "removed from product release in the second half of 2023. The Intel(R) Fortran Compiler (ifx) "
     "is the recommended compiler moving forward. Please transition to use this compiler. Use "
     "'-diag-disable=10448' to disable this message.\nifort: command line warning #10006: ignoring "
     "unknown option '-fbad'\nw.f90(7): warning #6843: A dummy argument with an explicit "
     "INTENT(OUT) declaration is not given an explicit value.   [X]\n  subroutine "
     "s(x)\n---------------^\n",
     {{"w.f90", 7, 0,
       ": warning #6843: A dummy argument with an explicit INTENT(OUT) declaration is not given an "
       "explicit value.   [X]",
       1}},
     1},
    {"a second file after compilation aborted (make -j; we had this bug)",
     " a.f90(2): error #5082: Syntax error, found END-OF-STATEMENT when expecting one of: ( * ) :: "
     ", <END-OF-STATEMENT> ; + - / ** = =>\n  x = \n------^\ncompilation aborted for a.f90 (code "
     "1)\nb.f90(9): error #6633: The type of the actual argument differs from the type of the "
     "dummy argument.   [1]\n  call s(1)\n---------^\ncompilation aborted for b.f90 (code "
     "1)\nmake: *** [Makefile:7: b.o] Error 1\n",
     {{"a.f90", 2, 0,
       ": error #5082: Syntax error, found END-OF-STATEMENT when expecting one of: ( * ) :: , "
       "<END-OF-STATEMENT> ; + - / ** = =>",
       2},
      {"b.f90", 9, 0,
       ": error #6633: The type of the actual argument differs from the type of the dummy "
       "argument.   [1]",
       2}},
     2},
    {"#error line of the preprocessor",
     " demo.F90(4): #error: \"unsupported platform\"\n",
     {{"demo.F90", 4, 0, ": #error: \"unsupported platform\"", 2}},
     2},
    {"catastrophic error without a source line",
     " u.f90(2): error #7002: Error in opening the compiled module file.  Check INCLUDE paths.   "
     "[NOSUCH]\ncompilation aborted for u.f90 (code 1)\n",
     {{"u.f90", 2, 0,
       ": error #7002: Error in opening the compiled module file.  Check INCLUDE paths.   [NOSUCH]",
       2}},
     2},
    {"a folder with parentheses",
     " /home/u/run (copy)/d.f90(12): warning #8889: Explicit declaration of the EXTERNAL attribute "
     "is required.   [F]\n",
     {{"/home/u/run (copy)/d.f90", 12, 0,
       ": warning #8889: Explicit declaration of the EXTERNAL attribute is required.   [F]", 1}},
     1},
    {"only compilation aborted", " compilation aborted for a.f90 (code 1)\n", {}, 0},
};

TEST(IntelReader, DocumentedLayouts)
{
    runTable("/opt/intel/bin/ifort", kIntelCases);
    // ifx writes the same layout; its path contains "mpi" inside "compiler" (we had this bug).
    runTable("/opt/intel/oneapi/compiler/latest/bin/ifx", kIntelCases);
}

TEST(AbsoftReader, OlderLayout)
{
    runTable(
        "/Applications/Absoft10.2/bin/f90",
        {
            {"ERROR and WARNING in capitals (we had this bug)",
             " cf90-113 f90fe: ERROR DEMO, File = demo.f90, Line = 5, Column = 3 \n  IMPLICIT NONE "
             "is specified in the local scope, therefore an explicit type must be specified for "
             "data object \"TOTAL\".\ncf90-1135 f90fe: WARNING DEMO, File = demo.f90, Line = 3, "
             "Column = 17 \n  \"UNUSED\" is declared but never referenced.\n",
             {{"demo.f90", 3, 17, "\"UNUSED\" is declared but never referenced.", 1},
              {"demo.f90", 5, 3,
               "IMPLICIT NONE is specified in the local scope, therefore an explicit type must be "
               "specified for data object \"TOTAL\".",
               2}},
             2},
            {"Error in mixed case",
             " f90fe: Error, File = a.f90, Line = 2, Column = 1\n  Unexpected syntax\n",
             {{"a.f90", 2, 1, "Unexpected syntax", 2}},
             2},
            {"ANSI note is a warning",
             " cf90-1559 f90fe: ANSI DEMO, File = a.f90, Line = 8, Column = 7\n  REAL*8 is an "
             "extension.\n",
             {{"a.f90", 8, 7, "REAL*8 is an extension.", 1}},
             1},
            {"make: *** ends the text",
             " f90fe: ERROR, File = a.f90, Line = 2, Column = 1\n  Bad\nmake: *** [a.o] Error "
             "1\nf90fe: ERROR, File = b.f90, Line = 2, Column = 1\n  Gone\n",
             {{"a.f90", 2, 1, "Bad", 2}},
             2},
            {"cut off before its text: dropped",
             " f90fe: ERROR, File = a.f90, Line = 2, Column = 1\n  Bad\nf90fe: ERROR, File = "
             "b.f90, Line = 9\n",
             {{"a.f90", 2, 1, "Bad", 2}},
             2},
        });
    runTable("/Applications/Absoft/bin/f90",
             {
                 {"no version number: older layout",
                  " f90fe: ERROR, File = a.f90, Line = 2, Column = 1\n  Bad\n",
                  {{"a.f90", 2, 1, "Bad", 2}},
                  2},
             });
}

TEST(AbsoftReader, NewerLayout)
{
    runTable("/Applications/Absoft11.5/bin/f90",
             {
                 {"warning then error then warning: the prefix stays Error after the first error",
                  " WARNING - /Users/u/demo.f90:3, 17\n Variable UNUSED is never used\nERROR - "
                  "/Users/u/demo.f90:5, 3\n Implicit type for TOTAL\nWARNING - "
                  "/Users/u/demo.f90:9, 1\n Label 10 is never referenced\n",
                  {{"/Users/u/demo.f90", 3, 17, "Warning: Variable UNUSED is never used", 1},
                   {"/Users/u/demo.f90", 5, 3, "Error: Implicit type for TOTAL", 2},
                   {"/Users/u/demo.f90", 9, 1, "Error: Label 10 is never referenced", 1}},
                  2},
                 {"cut off: dropped", " ERROR - /Users/u/a.f90:5, 3\n", {}, 0},
                 {"make: *** ends the text",
                  " ERROR - /u/a.f90:1, 2\n X\nmake: *** [a.o] Error 1\n",
                  {{"/u/a.f90", 1, 2, "Error: X", 2}},
                  2},
             });
}

TEST(NAGReader, DocumentedLayouts)
{
    runTable("/usr/local/bin/nagfor",
             {
                 {"lower-case line (nagfor 7; we had this bug)",
                  " Warning: /home/u/demo.f90, line 3: Variable UNUSED declared but never "
                  "referenced\nError: /home/u/demo.f90, line 5: Implicit type for TOTAL\n[NAG "
                  "Fortran Compiler error termination, 1 error, 1 warning]\n",
                  {{"/home/u/demo.f90", 3, 0, "Variable UNUSED declared but never referenced", 1},
                   {"/home/u/demo.f90", 5, 0, "Implicit type for TOTAL", 2}},
                  2},
                 {"capitalised Line (older releases)",
                  " Error: /home/u/a.f90, Line 12: Syntax error\n",
                  {{"/home/u/a.f90", 12, 0, "Syntax error", 2}},
                  2},
                 {"syntax error with its detected-at line, relative path",
                  " Error: demo.f90, line 6: Syntax error\n       detected at "
                  "+@<end-of-statement>\n[NAG Fortran Compiler error termination, 1 error]\n",
                  {{"demo.f90", 6, 0, "Syntax error", 2}},
                  2},
                 {"line-less error",
                  " Fatal Error: demo.f90: Cannot find module NOSUCH\n",
                  {{"demo.f90", 0, 0, "Cannot find module NOSUCH", 2}},
                  2},
                 {"extension and questionable are warnings",
                  " Extension: a.f90, line 2: Byte count on numeric data type\nQuestionable: "
                  "a.f90, line 4: Variable X set but never referenced\n",
                  {{"a.f90", 2, 0, "Byte count on numeric data type", 1},
                   {"a.f90", 4, 0, "Variable X set but never referenced", 1}},
                  1},
                 {"text after the [NAG summary is ignored",
                  " [NAG Fortran Compiler normal termination]\nError: a.f90, line 1: late\n",
                  {},
                  0},
                 {"banner lines pass through",
                  " NAG Fortran Compiler Release 7.1(Hanzomon) Build 7101\n",
                  {},
                  0},
             });
}

} // namespace
