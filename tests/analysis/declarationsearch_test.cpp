// Declaration search over small multi-file projects parsed from inline sources: scope chains,
// USE resolution (nested and cyclic), derived-type components and bindings through parent types,
// component chains, symbol sets and the symbols index.
#include "analysis/declarationsearch.h"
#include "analysis/ffileparser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane;
using ::testing::UnorderedElementsAre;

namespace
{

// Parses each (path, source) and gathers the modules of all files, later files winning.
struct Project {
    QList<std::shared_ptr<FFileDeclarations>> files;
    ModulesDictionary modules;

    explicit Project(std::initializer_list<std::pair<QString, QString>> sources)
    {
        for (const auto &[path, text] : sources) {
            FFileParser parser;
            files.append(parser.declarationsInFortranFile(path, text, 1));
            if (files.last()->modules)
                for (const auto &e : *files.last()->modules)
                    modules.insert(e.first, e.second);
        }
    }
    const FFileDeclarations &file(int i) const { return *files.at(i); }
};

QString nameOf(const FDeclaration &d)
{
    if (auto v = std::get_if<std::shared_ptr<FVariable>>(&d))
        return "var:" + (*v)->name;
    if (auto p = std::get_if<std::shared_ptr<FProgramUnit>>(&d))
        return "unit:" + (*p)->name;
    if (auto t = std::get_if<std::shared_ptr<FDerivedType>>(&d))
        return "type:" + (*t)->name;
    return "none";
}

// "var:x @ s [file] {type}" so one comparison names every field.
QString describe(const std::optional<SearchResult> &r)
{
    if (!r)
        return "absent";
    QString s = nameOf(r->object) + " @ " + (r->programUnit ? r->programUnit->name : "null");
    if (!r->fileName.isNull())
        s += " [" + r->fileName + "]";
    if (r->dType)
        s += " {" + r->dType->name + "}";
    return s;
}

QStringList sorted(const FSymbols::NameSet &set)
{
    if (!set)
        return {"<absent>"};
    QStringList l(set->begin(), set->end());
    l.sort();
    return l;
}

const QString kShapes = R"(module shapes
  implicit none
  type :: point
    real :: x, y
  end type
  type :: shape
    real :: area0
  contains
    procedure :: area => shape_area
    procedure, nopass :: make
    procedure :: scale
  end type
  type, extends(shape) :: circle
    real :: r
  end type
contains
  function shape_area(self) result(a)
    class(shape) :: self
    real :: a
  end function
  function make(a, b)
    real :: a, b, make
  end function
  subroutine scale(self, f, g)
    class(shape) :: self
    real :: f, g
  end subroutine
end module shapes
)";

const QString kGeometry = R"(module geometry
  use shapes
  implicit none
  type, extends(shape) :: square
    real :: side
  end type
  type :: holder
    type(point) :: p
    type(square) :: sq
  end type
  real :: tolerance = 1.0e-6
end module geometry
)";

const QString kApp = R"(module app
  use geometry
  implicit none
  integer :: count
contains
  subroutine run(n)
    integer :: n
    type(holder) :: h
    type(point) :: pt
    real :: local
  end subroutine
end module app
subroutine init(k)
  integer :: k
end subroutine
)";

} // namespace

TEST(DeclarationSearch, ScopeChains)
{
    Project p({{"/p/shapes.f90", kShapes}, {"/p/app.f90", kApp}});
    DeclarationSearch search(p.modules);
    struct Case {
        const char *name;
        QString procedure, module;
        QStringList want;
    } cases[] = {
        {"procedure in module", "run", "app", {"run", "app"}},
        {"module only", QString(), "app", {"app"}},
        {"unknown procedure in module", "nope", "app", {"app"}},
        {"external procedure ignores module", "init", "app", {"init"}},
        {"external procedure alone", "init", QString(), {"init"}},
        {"nothing", QString(), QString(), {}},
        {"module of another file", QString(), "shapes", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList got;
        for (const auto &u : search.buildScopeSearchChain(c.procedure, c.module, p.file(1)))
            got << u->name;
        EXPECT_EQ(got, c.want);
    }
}

TEST(DeclarationSearch, NamesThroughScopesAndUses)
{
    Project p({{"/p/shapes.f90", kShapes}, {"/p/geometry.f90", kGeometry}, {"/p/app.f90", kApp}});
    DeclarationSearch search(p.modules);
    const auto chain = search.buildScopeSearchChain("run", "app", p.file(2));
    struct Case {
        const char *name;
        QString lookup, want;
    } cases[] = {
        {"local variable, no file", "local", "var:local @ run"},
        {"host variable", "count", "var:count @ app"},
        {"contained procedure of host", "RUN", "unit:run @ app"},
        {"used module variable", "tolerance", "var:tolerance @ geometry [/p/geometry.f90]"},
        {"nested use", "point", "type:point @ shapes [/p/shapes.f90]"},
        {"module procedure through nested use", "shape_area",
         "unit:shape_area @ shapes [/p/shapes.f90]"},
        {"unknown", "zzz", "absent"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(search.objectAndScopeForName(c.lookup, chain)), c.want);
    }
    EXPECT_EQ(describe(search.objectAndScopeForNameInModule("x", "nomodule")), "absent");
    EXPECT_EQ(describe(search.objectAndScopeForNameInModule("point", "GEOMETRY")),
              "type:point @ shapes [/p/shapes.f90]");
}

TEST(DeclarationSearch, DerivedTypeMembers)
{
    Project p({{"/p/shapes.f90", kShapes}, {"/p/geometry.f90", kGeometry}});
    DeclarationSearch search(p.modules);
    const auto shapes = p.modules.value("shapes");
    const auto geometry = p.modules.value("geometry");
    const auto shape = lookupDeclaration(shapes->types, "shape");
    const auto circle = lookupDeclaration(shapes->types, "circle");
    const auto square = lookupDeclaration(geometry->types, "square");
    struct Case {
        const char *name;
        std::shared_ptr<FDerivedType> type;
        std::shared_ptr<FProgramUnit> unit;
        QString lookup, want;
    } cases[] = {
        {"component", shape, shapes, "AREA0", "var:area0 @ shapes [/p/shapes.f90] {shape}"},
        {"binding with =>", shape, shapes, "area",
         "unit:shape_area @ shapes [/p/shapes.f90] {shape}"},
        {"binding by procedure name", shape, shapes, "shape_area",
         "unit:shape_area @ shapes [/p/shapes.f90] {shape}"},
        {"binding without =>", shape, shapes, "scale",
         "unit:scale @ shapes [/p/shapes.f90] {shape}"},
        {"parent in a used module", square, geometry, "area0",
         "var:area0 @ shapes [/p/shapes.f90] {shape}"},
        {"binding of parent in a used module", square, geometry, "area",
         "unit:shape_area @ shapes [/p/shapes.f90] {shape}"},
        {"own component before parent", square, geometry, "side",
         "var:side @ geometry [/p/geometry.f90] {square}"},
        // A parent defined in the same module as the child is not searched.
        {"parent in the same module", circle, shapes, "area0", "absent"},
        {"missing", shape, shapes, "nothing", "absent"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(search.objectAndScopeForNameInDerivedType(c.lookup, c.type, c.unit)),
                  c.want);
    }
}

TEST(DeclarationSearch, ComponentChains)
{
    Project p({{"/p/shapes.f90", kShapes}, {"/p/geometry.f90", kGeometry}, {"/p/app.f90", kApp}});
    DeclarationSearch search(p.modules);
    const auto chain = search.buildScopeSearchChain("run", "app", p.file(2));
    struct Case {
        const char *name;
        QStringList components; // last-first
        QString want;
        bool beep;
    } cases[] = {
        {"component of a used type", {"x", "pt"}, "var:x @ shapes [/p/shapes.f90] {point}", false},
        {"two levels", {"y", "p", "h"}, "var:y @ shapes [/p/shapes.f90] {point}", false},
        {"inherited component",
         {"area0", "sq", "h"},
         "var:area0 @ shapes [/p/shapes.f90] {shape}",
         false},
        {"binding through chain",
         {"area", "sq", "h"},
         "unit:shape_area @ shapes [/p/shapes.f90] {shape}",
         false},
        {"unknown base variable", {"x", "nobody"}, "absent", true},
        {"base is not a derived type", {"x", "local"}, "absent", true},
        {"unknown intermediate", {"x", "nothing", "h"}, "absent", true},
        {"unknown last name: caller beeps", {"zzz", "pt"}, "absent", false},
        {"single name", {"local"}, "var:local @ run", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const ChainSearchResult r = search.objectAndScopeForNameInChain(c.components, chain);
        EXPECT_EQ(describe(r.result), c.want);
        EXPECT_EQ(r.shouldBeep, c.beep);
    }
}

// USE cycles and types that extend themselves must end (we once recursed forever on both).
TEST(DeclarationSearch, CyclesTerminate)
{
    Project p({{"/p/a.f90", "module a\n use b\n integer :: in_a\n type, extends(t) :: t\n "
                            "end type\n type, extends(v) :: u\n end type\n"
                            " type, extends(u) :: v\n end type\nend module\n"},
               {"/p/b.f90", "module b\n use a\n integer :: in_b\nend module\n"}});
    // Make the types their own ancestors as a merge would link them.
    auto a = p.modules.value("a");
    auto t = lookupDeclaration(a->types, "t");
    auto u = lookupDeclaration(a->types, "u");
    auto v = lookupDeclaration(a->types, "v");
    t->superclassType = t;
    u->superclassType = v;
    v->superclassType = u;

    DeclarationSearch search(p.modules);
    EXPECT_EQ(describe(search.objectAndScopeForNameInModule("in_b", "a")),
              "var:in_b @ b [/p/b.f90]");
    EXPECT_EQ(describe(search.objectAndScopeForNameInModule("missing", "a")), "absent");
    EXPECT_EQ(describe(search.objectAndScopeForNameInDerivedType("missing", t, a)), "absent");

    const auto symbols = search.symbolsForModule(*a);
    EXPECT_THAT(sorted(symbols->variableNames), testing::ElementsAre("in_a", "in_b"));
    EXPECT_EQ(search.symbolsForDerivedType(*t, a), nullptr);
    EXPECT_EQ(search.symbolsForDerivedType(*u, a), nullptr);
    EXPECT_TRUE(search.symbolsForProjectFiles(p.files).has_value());
    for (const auto &type : {t, u, v}) // owning cycles would leak
        type->superclassType = nullptr;
}

TEST(DeclarationSearch, SymbolsIndexKeys)
{
    struct Case {
        QString module, procedure, want;
    } cases[] = {
        {"Grid", "Solve", "solve_in_grid"},
        {"Grid", QString(), "Module_grid"},
        {"Grid", "Grid", "Module_grid"},
        {"Grid", "GRID", "grid_in_grid"}, // names equal only as written
        {QString(), "Init", "Procedure_init"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(symbolsIndexKey(c.module, c.procedure), c.want) << qPrintable(c.procedure);
    EXPECT_TRUE(symbolsIndexKey(QString(), QString()).isNull());

    Project p({{"/p/g.f90", "module Grid\n real :: h\ncontains\n subroutine Solve(x)\n real :: x\n"
                            " end subroutine\nend module\nsubroutine Init()\nend subroutine\n"}});
    DeclarationSearch search(p.modules);
    const auto index = search.symbolsForProjectFiles(p.files);
    ASSERT_TRUE(index);
    EXPECT_EQ(index->keys(), QStringList({"Module_grid", "solve_in_grid", "Procedure_init"}));
    EXPECT_THAT(sorted(index->symbols("solve_in_grid")->variableNames),
                testing::ElementsAre("h", "x"));
    EXPECT_THAT(sorted(index->symbols("Module_grid")->subroutineProcedureNames),
                testing::ElementsAre("Solve(x = !^)"));
    EXPECT_FALSE(DeclarationSearch(p.modules).symbolsForProjectFiles({}).has_value());
}

TEST(DeclarationSearch, DerivedTypeSymbols)
{
    Project p({{"/p/shapes.f90", kShapes}, {"/p/geometry.f90", kGeometry}});
    auto shapes = p.modules.value("shapes");
    auto geometry = p.modules.value("geometry");
    auto shape = lookupDeclaration(shapes->types, "shape");
    auto square = lookupDeclaration(geometry->types, "square");
    auto circle = lookupDeclaration(shapes->types, "circle");
    square->superclassType = shape;
    circle->superclassType = shape;

    for (bool show : {true, false}) {
        SCOPED_TRACE(show ? "argument lists shown" : "placeholders only");
        DeclarationSearch search(p.modules, show);
        const auto s = search.symbolsForDerivedType(*shape, shapes);
        ASSERT_TRUE(s);
        // PASS drops the passed object; NOPASS keeps every argument.
        EXPECT_THAT(sorted(s->functionProcedureNames),
                    show ? UnorderedElementsAre("area()", "make(a = !^,b = !^)")
                         : UnorderedElementsAre("area()", "make(!^, !^)"));
        EXPECT_THAT(sorted(s->subroutineProcedureNames),
                    show ? UnorderedElementsAre("scale(f = !^,g = !^)")
                         : UnorderedElementsAre("scale(!^,!^)"));
        const auto sq = search.symbolsForDerivedType(*square, geometry);
        ASSERT_TRUE(sq);
        EXPECT_THAT(sorted(sq->variableNames), testing::ElementsAre("area0", "side"));
    }
    // A type with nothing of its own gets its parent's components.
    Project q(
        {{"/p/e.f90", "module base\n type :: b\n  integer :: k\n end type\nend module\n"
                      "module ext\n use base\n type, extends(b) :: e\n end type\nend module\n"}});
    auto e = lookupDeclaration(q.modules.value("ext")->types, "e");
    e->superclassType = lookupDeclaration(q.modules.value("base")->types, "b");
    DeclarationSearch search(q.modules);
    const auto es = search.symbolsForDerivedType(*e, q.modules.value("ext"));
    ASSERT_TRUE(es);
    EXPECT_THAT(sorted(es->variableNames), testing::ElementsAre("k"));
    e->superclassType = nullptr;
    EXPECT_EQ(search.symbolsForDerivedType(*e, q.modules.value("ext")), nullptr);
}

TEST(DeclarationSearch, UnitAndUsedModuleSymbols)
{
    Project p({{"/p/shapes.f90", kShapes}, {"/p/geometry.f90", kGeometry}, {"/p/app.f90", kApp}});
    DeclarationSearch search(p.modules);
    const auto app = p.modules.value("app");
    const auto run = lookupDeclaration(app->procedures, "run");
    const auto s = search.symbolsForProgramUnit(*run);
    EXPECT_THAT(sorted(s->variableNames),
                testing::ElementsAre("count", "h", "local", "n", "pt", "tolerance"));
    EXPECT_THAT(sorted(s->variablesThatAreDerivedTypes), testing::ElementsAre("h", "pt"));
    // What a plain USE of a module brings in: its own names and, passed on, those of its uses;
    // nothing is copied into the module records.
    const auto geometry = p.modules.value("geometry");
    const auto used = search.symbolsForUsedModules(QStringList{"geometry"});
    ASSERT_TRUE(used);
    EXPECT_EQ(sorted(used->typeNames), sorted(search.symbolsForModule(*geometry)->typeNames));
    EXPECT_EQ(geometry->symbols, nullptr);
    EXPECT_EQ(search.symbolsForUsedModules(std::nullopt), nullptr);
    EXPECT_EQ(search.symbolsForUsedModules(QStringList{}), nullptr);

    EXPECT_EQ(DeclarationSearch::derivedTypeVariableNames({}), std::nullopt);
    EXPECT_EQ(search.moduleForDerivedTypeName("anything", *app), geometry);
    EXPECT_EQ(search.moduleForDerivedTypeName("anything", *p.modules.value("shapes")), nullptr);
}
