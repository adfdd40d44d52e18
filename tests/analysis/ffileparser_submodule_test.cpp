// Submodules: units of their own with their ancestor's name, END SUBMODULE, separate module
// procedures (MODULE PROCEDURE bodies and MODULE FUNCTION/SUBROUTINE headers) completed from the
// interfaces their module declares, and the search and symbols that see the ancestor as host.
#include "analysis/declarationsearch.h"
#include "parsertesthelper.h"

using namespace corvane;
using namespace corvane::test;

namespace
{

const char kPoints[] = "module points\n"
                       "  type :: point\n    real :: x, y\n  end type\n"
                       "  real, private :: scale = 2.0\n"
                       "  interface\n"
                       "    module function point_dist(a, b) result(distance)\n"
                       "      type(point), intent(in) :: a, b\n"
                       "      real :: distance\n"
                       "    end function\n"
                       "    module logical function is_point_equal_a(a, b)\n"
                       "      type(point), intent(in) :: a, b\n"
                       "    end function\n"
                       "    module subroutine shift(p)\n"
                       "      type(point) :: p\n"
                       "    end subroutine\n"
                       "  end interface\n"
                       "end module points\n";

const char kPointsA[] = "submodule (points) points_a\n"
                        "  integer :: calls = 0\n"
                        "contains\n"
                        "  module function point_dist(a, b) result(distance)\n"
                        "    type(point), intent(in) :: a, b\n"
                        "    real :: distance\n"
                        "    distance = sqrt((a%x - b%x)**2 + (a%y - b%y)**2)\n"
                        "  end function point_dist\n"
                        "  module procedure is_point_equal_a\n"
                        "    is_point_equal_a = point_dist(a, b) < 1e-4\n"
                        "  end procedure is_point_equal_a\n"
                        "end submodule points_a\n"
                        "submodule (points:points_a) points_b\n"
                        "contains\n"
                        "  module procedure shift\n"
                        "    p%x = p%x * scale\n"
                        "  endprocedure\n"
                        "endsubmodule\n"
                        "subroutine after_all()\n"
                        "end subroutine\n";

} // namespace

TEST(Submodules, UnitsOfTheirOwn)
{
    checkParseCases({
        {"submodules with their ancestors and separate module procedures", kPointsA,
         {{"submodules/points_a/pUnitType", "5"},
          {"submodules/points_a/ancestorName", "\"points\""},
          {"submodules/points_a/variables/calls/typeName", "\"integer\""},
          {"submodules/points_a/procedures/point_dist/pUnitType", "3"},
          {"submodules/points_a/procedures/point_dist/argumentList", "\"(a,b)\""},
          {"submodules/points_a/procedures/point_dist/attributes", "[\"module\"]"},
          {"submodules/points_a/procedures/is_point_equal_a/attributes", "[\"module\"]"},
          {"submodules/points_a/procedures/is_point_equal_a/line", "9"},
          {"submodules/points_b/ancestorName", "\"points\""},
          {"submodules/points_b/procedures/shift/name", "\"shift\""},
          // END SUBMODULE closes the unit: what follows is no procedure of it.
          {"submodules/points_b/procedures/after_all", "<absent>"},
          {"nonModuleProcedures/after_all/pUnitType", "2"},
          {"nonModuleProcedures/point_dist", "<absent>"},
          {"nonModuleProcedures/is_point_equal_a", "<absent>"},
          {"modules", "<absent>"}}},
        {"a separate module procedure in its own module takes the interface over",
         "module m\n interface\n  module subroutine s(x)\n   integer :: x\n  end subroutine\n"
         " end interface\n public :: s\ncontains\n module procedure s\n  x = 1\n end procedure\n"
         "end module\n",
         {{"modules/m/procedures/s/pUnitType", "2"},
          {"modules/m/procedures/s/isInterface", "<absent>"},
          {"modules/m/procedures/s/argumentList", "\"(x)\""},
          {"modules/m/procedures/s/arguments/0/typeName", "\"integer\""},
          {"modules/m/procedures/s/access", "\"public\""},
          {"modules/m/variables", "<absent>"}}},
        {"a submodule header without a name records nothing",
         "submodule (m)\ncontains\n module procedure p\n end procedure\nend submodule\n",
         {{"submodules", "<absent>"}}},
    });
}

TEST(Submodules, SearchAndSymbolsSeeTheAncestorAsHost)
{
    const auto module = parseFortran(kPoints, true, "/p/points.f90");
    const auto submodules = parseFortran(kPointsA, true, "/p/points_a.f90");
    ModulesDictionary modules;
    modules.insert("points", module->moduleNamed("points"));
    // What a merge does: the ancestor becomes the host, the interfaces complete the bodies.
    for (const auto &entry : *submodules->submodules) {
        entry.second->definingProgramUnit = modules.value(entry.second->ancestorName.toLower());
        for (const auto &p : *entry.second->procedures) {
            const auto iface = lookupDeclaration(module->moduleNamed("points")->procedures,
                                                 p.second->name);
            ASSERT_TRUE(iface);
            FFileParser::takeOverInterface(*p.second, *iface);
        }
    }
    const auto equal = lookupDeclaration(submodules->submodules->value("points_a")->procedures,
                                         "is_point_equal_a");
    EXPECT_EQ(equal->pUnitType, unsigned(FunctionType));
    EXPECT_EQ(equal->argumentList.toStdString(), "(a,b)");
    ASSERT_TRUE(equal->returnVariable);
    EXPECT_EQ(equal->returnVariable->typeName.toStdString(), "logical");

    DeclarationSearch search(modules, true);
    const auto chain = search.buildScopeSearchChain("shift", "points_b", *submodules);
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[0]->name.toStdString(), "shift");
    EXPECT_EQ(chain[2]->name.toStdString(), "points");
    // A private entity of the ancestor is seen in its submodules.
    const auto scale = search.objectAndScopeForName("scale", chain);
    ASSERT_TRUE(scale);
    EXPECT_EQ(scale->programUnit->name.toStdString(), "points");
    // The arguments the interface declares are the body's.
    const auto p = search.objectAndScopeForName("p", chain);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->programUnit->name.toStdString(), "shift");

    const auto index =
        search.symbolsForProjectFiles({module, submodules});
    ASSERT_TRUE(index);
    const auto symbols = index->symbols("shift_in_points_b");
    ASSERT_TRUE(symbols);
    ASSERT_TRUE(symbols->typeNames);
    EXPECT_TRUE(symbols->typeNames->contains("point"));
    ASSERT_TRUE(symbols->variableNames);
    EXPECT_TRUE(symbols->variableNames->contains("scale"));
    ASSERT_TRUE(symbols->functionProcedureNames);
    EXPECT_TRUE(symbols->functionProcedureNames->contains("point_dist(a = !^,b = !^)"))
        << symbols->functionProcedureNames->values().join(' ').toStdString();
}
