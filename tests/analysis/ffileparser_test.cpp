// Program units, procedure headers, USE statements and interface blocks, checked through the JSON
// form of the parse result.
#include "parsertesthelper.h"

using namespace corvane;
using namespace corvane::test;

TEST(FFileParser, ProgramUnitsAndHeaders)
{
    checkParseCases({
        {"module with a contained subroutine",
         "module m\n integer :: x\ncontains\n subroutine s(a)\n end subroutine s\nend module m\n",
         {{"name", "\"/p/src.f90\""},
          {"modules/m/pUnitType", "1"},
          {"modules/m/variables/x/typeName", "\"integer\""},
          {"modules/m/defInfo/fileSource", "\"/p/src.f90\""},
          {"modules/m/procedures/s/definingProgramUnit", "\"m\""},
          {"modules/m/procedures/s/defInfo/fileSource", "\"/p/src.f90\""},
          {"modules/m/procedures/s/arguments/0/name", "\"a\""},
          {"modules/m/procedures/s/arguments/1", "<absent>"},
          {"modules/m/procedures/s/argumentList", "\"(a)\""},
          {"nonModuleProcedures", "<absent>"}}},
        {"result clause with four tokens",
         "real function f(x) result(r)\nend function\n",
         {{"nonModuleProcedures/f/returnVariable/name", "\"r\""},
          {"nonModuleProcedures/f/returnVariable/typeName", "\"real\""},
          {"nonModuleProcedures/f/returnVariable/isDerivedType", "false"},
          {"nonModuleProcedures/f/variables/r/typeName", "\"real\""}}},
        {"result clause followed by bind",
         "integer(c_int) function g(x) result(r) bind(c, name='g_c')\nend\n",
         {{"nonModuleProcedures/g/returnVariable/typeName", "\"integer(c_int)\""},
          {"nonModuleProcedures/g/languageBinding", "\"bind(c,name='g_c')\""}}},
        {"result without a type prefix stores nothing",
         "function h(x) result(r)\nend\n",
         {{"nonModuleProcedures/h/returnVariable", "<absent>"},
          {"nonModuleProcedures/h/variables/r", "<absent>"}}},
        {"result clause without a type prefix finds the declared result (we had this bug)",
         "function h2(x) result(r)\n real :: r\nend\n",
         {{"nonModuleProcedures/h2/returnVariable/name", "\"r\""},
          {"nonModuleProcedures/h2/returnVariable/typeName", "\"real\""}}},
        {"typed function without result clause returns its own name (we had this bug)",
         "logical function ok(x)\nend\n",
         {{"nonModuleProcedures/ok/returnVariable/name", "\"ok\""},
          {"nonModuleProcedures/ok/returnVariable/typeName", "\"logical\""},
          {"nonModuleProcedures/ok/variables/ok", "<absent>"}}},
        {"double precision prefix",
         "double precision function d(x) result(y)\nend\n",
         {{"nonModuleProcedures/d/returnVariable/typeName", "\"double\""},
          {"nonModuleProcedures/d/attributes", "<absent>"}}},
        {"derived result type",
         "type(vec) function mk() result(v)\nend\n",
         {{"nonModuleProcedures/mk/returnVariable/typeName", "\"vec\""},
          {"nonModuleProcedures/mk/returnVariable/isDerivedType", "true"}}},
        {"prefixes and empty argument list",
         "pure recursive subroutine s()\nend\n",
         {{"nonModuleProcedures/s/attributes", "[\"pure\",\"recursive\"]"},
          {"nonModuleProcedures/s/argumentList", "\"()\""},
          {"nonModuleProcedures/s/arguments", "[]"},
          {"nonModuleProcedures/s/variables", "<absent>"}}},
        {"unknown function prefix is an attribute",
         "elemental weird function w(a, b)\nend\n",
         {{"nonModuleProcedures/w/attributes", "[\"elemental\",\"weird\"]"},
          {"nonModuleProcedures/w/argumentList", "\"(a,b)\""}}},
        {"no parentheses, no argument list",
         "subroutine t\nend\n",
         {{"nonModuleProcedures/t/argumentList", "<absent>"},
          {"nonModuleProcedures/t/arguments", "<absent>"}}},
        {"language binding",
         "subroutine c_fn(x) bind(c, name='cfn')\nend\n",
         {{"nonModuleProcedures/c_fn/languageBinding", "\"bind(c,name='cfn')\""}}},
        {"alternate return",
         "subroutine alt(a, *)\nend\n",
         {{"nonModuleProcedures/alt/arguments/1/name", "\"*\""},
          {"nonModuleProcedures/alt/argumentList", "\"(a,*)\""}}},
        {"main program and a nameless program",
         "program main\ninteger :: i\nend program\nprogram\nend\n",
         {{"nonModuleProcedures/main/pUnitType", "4"},
          {"nonModuleProcedures/main/variables/i/typeName", "\"integer\""}}},
        {"names keep their case, keys are lower-cased",
         "MODULE Geo_Mod\nEND MODULE\n",
         {{"modules/geo_mod/name", "\"Geo_Mod\""}}},
        {"later unit with the same name replaces the earlier",
         "subroutine s(a)\nend\nsubroutine S(b)\nend\n",
         {{"nonModuleProcedures/s/argumentList", "\"(b)\""}}},
        {"executable statements and construct ENDs do not stop declarations",
         "subroutine s\n integer :: a\n a = 1\n do i = 1, 3\n end do\n if (a > 0) then\n end if\n"
         " real :: b\nend subroutine\n",
         {{"nonModuleProcedures/s/variables/a/typeName", "\"integer\""},
          {"nonModuleProcedures/s/variables/b/typeName", "\"real\""}}},
        {"block data is passed over",
         "block data init\n common /c/ x\n data x /1.0/\nend block data\nsubroutine s\nend\n",
         {{"nonModuleProcedures/s/pUnitType", "2"}, {"nonModuleProcedures/init", "<absent>"}}},
        {"fixed form",
         "C     a comment\n      SUBROUTINE OLD(A,\n     &                B)\n      REAL A\n"
         "      END\n",
         {{"nonModuleProcedures/old/argumentList", "\"(A,B)\""},
          {"nonModuleProcedures/old/arguments/0/typeName", "\"REAL\""}},
         false},
    });
}

TEST(FFileParser, UseStatements)
{
    checkParseCases({
        {"intrinsic modules and the unit's own name are not recorded",
         "module M_self\n use, intrinsic :: iso_c_binding\n use iso_fortran_env\n use m_self\n"
         " use mymod, only: a\n use, non_intrinsic :: other\n use mymod\nend module\n",
         {{"modules/m_self/modulesUsed", "[\"mymod\",\"other\",\"mymod\"]"}}},
        {"a USE of the host module is dropped from the contained procedure, once",
         "module host_mod\ncontains\n subroutine s\n use HOST_MOD\n use other\n use host_mod\n"
         " end subroutine\nend module\n",
         {{"modules/host_mod/procedures/s/modulesUsed", "[\"other\",\"host_mod\"]"}}},
        {"emptied list stays present",
         "module h\ncontains\n subroutine s\n use h\n end subroutine\nend module\n",
         {{"modules/h/procedures/s/modulesUsed", "[]"}}},
    });
}

TEST(FFileParser, InterfaceBlocks)
{
    checkParseCases({
        {"named interface with module procedures",
         "module m\n interface swap\n  module procedure swap_int, swap_real\n end interface\n"
         " integer :: after\nend module\n",
         {{"modules/m/interfaces/swap",
           "[{\"name\":\"swap\",\"value\":\"swap_int\"},"
           "{\"name\":\"swap\",\"value\":\"swap_real\"}]"},
          {"modules/m/variables/after/typeName", "\"integer\""}}},
        {"unnamed interface skipped to the line after END INTERFACE, any case",
         "module m\n interface\n  subroutine ext(a)\n   real :: hidden\n  end subroutine\n"
         " END   Interface\n real :: seen\nend module\n",
         {{"modules/m/variables/hidden", "<absent>"},
          {"modules/m/variables/seen/typeName", "\"real\""},
          {"modules/m/procedures/ext/isInterface", "true"}}},
        {"unnamed interface closed by endinterface does not swallow the file (we had this bug)",
         "module m\n interface\n  subroutine ext()\n  end subroutine\n endinterface\n"
         " real :: seen\ncontains\n subroutine s\n end subroutine\nend module\n",
         {{"modules/m/variables/seen/typeName", "\"real\""},
          {"modules/m/procedures/s/pUnitType", "2"}}},
        {"operator interface is recorded under its spec",
         "module m\n interface operator(+)\n  module procedure add\n end interface\n"
         " real :: z\nend module\n",
         {{"modules/m/interfaces", "{\"operator(+)\":[{\"name\":\"operator(+)\",\"value\":\"add\"}]}"},
          {"modules/m/variables/z/typeName", "\"real\""}}},
        {"generic interface with two bodies keeps the unit together (we had this bug)",
         "module m\n interface norm\n  function n1(x)\n   real :: x\n  end function n1\n"
         "  function n2(y)\n  end function\n endinterface\n real :: kept\ncontains\n"
         " function n1(x)\n end function\nend module\n",
         {{"modules/m/variables/kept/typeName", "\"real\""},
          {"modules/m/procedures/n1/genericName", "\"norm\""},
          {"modules/m/interfaces/norm/0/value", "\"n1\""},
          {"nonModuleProcedures", "<absent>"}}},
        {"abstract interface is skipped, also with endinterface",
         "module m\n abstract interface\n  subroutine cb(x)\n   real :: x\n  end subroutine\n"
         " endinterface\n real :: after\nend module\n",
         {{"modules/m/variables/x", "<absent>"},
          {"modules/m/variables/after/typeName", "\"real\""}}},
        {"empty named interface records nothing but keeps the dictionary",
         "module m\n interface empty\n end interface\nend module\n",
         {{"modules/m/interfaces", "{}"}}},
    });
}

TEST(FFileParser, UnitStructure)
{
    checkParseCases({
        {"module procedure with its own CONTAINS keeps its siblings (we had this bug)",
         "module m\ncontains\n subroutine a\n contains\n  subroutine a_inner\n  end subroutine\n"
         " end subroutine a\n subroutine b\n end subroutine\nend module\n",
         {{"modules/m/procedures/a/procedures/a_inner/definingProgramUnit", "\"a\""},
          {"modules/m/procedures/b/definingProgramUnit", "\"m\""},
          {"modules/m/procedures/a/procedures/b", "<absent>"}}},
        {"joined END forms close units",
         "module m\ncontains\n function f()\n contains\n  subroutine g\n  endsubroutine\n"
         " endfunction f\n subroutine h\n end\nendmodule\nprogram p\nendprogram\n",
         {{"modules/m/procedures/f/procedures/g/pUnitType", "2"},
          {"modules/m/procedures/h/definingProgramUnit", "\"m\""},
          {"nonModuleProcedures/p/pUnitType", "4"}}},
        {"external procedure after a module is not collected",
         "module m\ncontains\n subroutine s\n end subroutine\nend module m\nsubroutine ext\nend\n",
         {{"nonModuleProcedures/ext/pUnitType", "2"}, {"modules/m/procedures/ext", "<absent>"}}},
        {"empty CONTAINS part ends at END MODULE",
         "module m\ncontains\nend module\nsubroutine ext\nend\n",
         {{"modules/m/procedures", "<absent>"}, {"nonModuleProcedures/ext/pUnitType", "2"}}},
        {"main program collects its internal procedures up to its END",
         "program p\ncontains\n subroutine i1\n end subroutine\nend program\nsubroutine ext\nend\n",
         {{"nonModuleProcedures/p/procedures/i1/pUnitType", "2"},
          {"nonModuleProcedures/ext/pUnitType", "2"}}},
        {"text without END statements: procedures after CONTAINS are collected",
         "module m\ncontains\nsubroutine a\nsubroutine b\n",
         {{"modules/m/procedures/a/pUnitType", "2"}, {"modules/m/procedures/b/pUnitType", "2"}}},
        {"without ENDs a procedure's CONTAINS collects what follows",
         "module m\ncontains\nsubroutine a\ncontains\nsubroutine b\nsubroutine c\nend module\n",
         {{"modules/m/procedures/a/procedures/b/pUnitType", "2"},
          {"modules/m/procedures/a/procedures/c/pUnitType", "2"},
          {"modules/m/procedures/b", "<absent>"}}},
        {"module closed by plain END",
         "module m\ncontains\n subroutine s\n end subroutine\nend\nsubroutine ext\nend\n",
         {{"modules/m/procedures/s/pUnitType", "2"}, {"nonModuleProcedures/ext/pUnitType", "2"}}},
        {"the next module header ends a module without END",
         "module a\ncontains\nsubroutine s\nmodule b\nreal :: x\nend module\n",
         {{"modules/a/procedures/s/pUnitType", "2"},
          {"modules/b/variables/x/typeName", "\"real\""}}},
        {"a procedure header ends a body without END",
         "subroutine a\ninteger :: i\nsubroutine b\nreal :: r\nend\n",
         {{"nonModuleProcedures/a/variables/i/typeName", "\"integer\""},
          {"nonModuleProcedures/b/variables/r/typeName", "\"real\""}}},
        {"nameless contained procedure ends the collection",
         "module m\ncontains\nsubroutine\nreal :: late\nend\nend module\n",
         {{"modules/m/procedures", "<absent>"}}},
        {"declarations after CONTAINS of the body are not recorded in the host",
         "module m\ncontains\n integer :: stray\n subroutine s\n end subroutine\nend module\n",
         {{"modules/m/variables", "<absent>"}, {"modules/m/procedures/s/pUnitType", "2"}}},
    });
}
