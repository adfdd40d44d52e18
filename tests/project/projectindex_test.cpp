// The merge into a project snapshot: which file supplies a module, resolved use chains, parent
// types, dependants, circular use, completion name sets, and that the parsed records it starts
// from are never written.
#include "project/projectindex.h"

#include "analysis/ffileparser.h"
#include "project/usechain.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

using namespace corvane;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace
{

QList<MergeInput> parseAll(std::initializer_list<std::pair<QString, QString>> sources)
{
    QList<MergeInput> inputs;
    for (const auto &[path, text] : sources) {
        FFileParser parser;
        inputs.append({path, parser.declarationsInFortranFile(path, text, 1)});
    }
    return inputs;
}

QStringList sorted(const NameSet &set)
{
    if (!set)
        return {"<none>"};
    QStringList l(set->begin(), set->end());
    l.sort();
    return l;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

QStringList sorted(const QSet<QString> &set)
{
    QStringList l(set.begin(), set.end());
    l.sort();
    return l;
}

QStringList chainOf(const ProjectIndex &index, const QString &module)
{
    if (!index.projectModulesDictionary.value(module))
        return {"<no module>"};
    return resolvedUseChain(index.projectModulesDictionary, module)
        .value_or(QStringList{"<none>"});
}

} // namespace

TEST(ProjectIndexMerge, NestedUseChainsAndDependants)
{
    const auto inputs = parseAll({
        {"/p/a.f90", "module m1\n use m2\n use iso_c_binding\n use outside\nend module\n"},
        {"/p/b.f90", "module m2\n use m3\nend module\n"},
        {"/p/c.f90", "module m3\n integer :: k\nend module\n"},
        {"/p/d.f90", "program main\n use m1\nend program\n"},
        {"/p/e.f90",
         "module lone\n use m3\ncontains\n subroutine s\n  use m3\n end subroutine\nend module\n"},
    });
    const auto index = gatherProjectDeclarations(inputs, true);
    EXPECT_EQ(chainOf(*index, "m1"), QStringList({"m3", "m2"})); // deepest first, outside dropped
    EXPECT_EQ(chainOf(*index, "m2"), QStringList({"m3"}));
    EXPECT_EQ(chainOf(*index, "m3"), QStringList({"<none>"}));
    // Direct dependants only (the files whose USE statements name a module of the file);
    // re-indexing follows them further.
    EXPECT_THAT(sorted(index->dependants.value("/p/c.f90")), ElementsAre("/p/b.f90", "/p/e.f90"));
    EXPECT_THAT(sorted(index->dependants.value("/p/b.f90")), ElementsAre("/p/a.f90"));
    EXPECT_THAT(sorted(index->dependants.value("/p/a.f90")), ElementsAre("/p/d.f90"));
    EXPECT_FALSE(index->dependants.contains("/p/d.f90"));
    EXPECT_TRUE(index->errorMessage.isEmpty());
    EXPECT_EQ(sorted(index->moduleNames), QStringList({"lone", "m1", "m2", "m3"}));

    // The parsed records are left as parsed: the merge worked on copies.
    const auto rawM1 = inputs[0].declarations->moduleNamed("m1");
    EXPECT_EQ(rawM1->modulesUsed.value_or(QStringList()), QStringList({"m2", "outside"}));
    EXPECT_NE(index->projectModulesDictionary.value("m1"), rawM1);
    EXPECT_EQ(rawM1->symbols, nullptr);
}

TEST(ProjectIndexMerge, LaterFileWinsAndCountsAndSymbols)
{
    const auto inputs = parseAll({
        {"/p/a.f90", "module dup\n integer :: first\nend module\n"},
        {"/p/b.f90", "module dup\n integer :: second\n type :: t\n  real :: c\n end type\n"
                     "contains\n subroutine s(x, y)\n  real :: x, y\n end subroutine\nend module\n"
                     "subroutine solve(x,y)\n real :: x, y\nend subroutine\n"
                     "real function f()\nend function\nprogram main\nend program\n"},
    });
    for (bool show : {true, false}) {
        SCOPED_TRACE(show);
        const auto index = gatherProjectDeclarations(inputs, show);
        const auto dup = index->projectModulesDictionary.value("dup");
        ASSERT_TRUE(dup);
        EXPECT_EQ(dup->defInfo->fileSource, "/p/b.f90");
        EXPECT_EQ(sorted(index->subroutineNames),
                  QStringList({show ? "solve(x = !^,y = !^)" : "solve"}));
        EXPECT_EQ(sorted(index->functionNames), QStringList({show ? "f()" : "f"}));
        ASSERT_TRUE(index->projectSymbolsIndex);
        EXPECT_EQ(index->projectSymbolsIndex->keys(),
                  QStringList({"Module_dup", "s_in_dup", "Procedure_solve", "Procedure_f",
                               "Procedure_main"}));
        index->filesParsed = 2;
        const auto c = index->counts();
        EXPECT_EQ(c.files, 2);
        EXPECT_EQ(c.modules, 1);
        EXPECT_EQ(c.globalProcedures, 3);
        EXPECT_EQ(c.moduleProcedures, 1);
        EXPECT_EQ(c.types, 1);
        EXPECT_EQ(c.variables, 5); // second, x, y (in s), x, y (in solve)
    }
}

TEST(ProjectIndexMerge, EmptyProjectsHaveNoNameSets)
{
    for (const auto &inputs : {QList<MergeInput>{}, QList<MergeInput>{{"/p/x.inc", nullptr}}}) {
        const auto index = gatherProjectDeclarations(inputs, true);
        EXPECT_EQ(index->moduleNames, std::nullopt);
        EXPECT_EQ(index->subroutineNames, std::nullopt);
        EXPECT_EQ(index->functionNames, std::nullopt);
        EXPECT_EQ(index->projectSymbolsIndex, std::nullopt);
    }
    // Global procedures of other kinds only: the set is none, not empty.
    const auto index =
        gatherProjectDeclarations(parseAll({{"/p/m.f90", "program p\nend\n"}}), true);
    EXPECT_EQ(index->subroutineNames, std::nullopt);
}

TEST(ProjectIndexMerge, CircularUseKeepsOtherChains)
{
    const auto index = gatherProjectDeclarations(
        parseAll({{"/p/a.f90", "module a\n use b\nend module\n"},
                  {"/p/b.f90", "module b\n use a\nend module\n"},
                  {"/p/c.f90", "module c\n use d\nend module\nmodule d\nend module\n"}}),
        true);
    EXPECT_TRUE(index->errorMessage.startsWith("Circular module dependencies found:\n"))
        << qPrintable(index->errorMessage);
    EXPECT_EQ(chainOf(*index, "a"), QStringList({"<none>"}));
    EXPECT_EQ(chainOf(*index, "b"), QStringList({"<none>"}));
    EXPECT_EQ(chainOf(*index, "c"), QStringList({"d"}));
}

// A module's chain, worked out from the modules reachable from it, is the one the whole
// project's use graph gives it: on an acyclic graph with diamonds, and with a cycle elsewhere
// that some modules reach and others do not.
TEST(ProjectIndexMerge, ResolvedChainMatchesTheWholeGraph)
{
    for (const bool withCycle : {false, true}) {
        SCOPED_TRACE(withCycle ? "with a cycle" : "acyclic");
        ModulesDictionary modules;
        QList<ModuleUses> uses;
        quint32 seed = 12345;
        for (int k = 0; k < 40; ++k) {
            auto m = std::make_shared<FProgramUnit>();
            m->pUnitType = ModuleType;
            m->name = QString("M%1").arg(k);
            QStringList used;
            for (int u = 0; u < 3 && k > 0; ++u) {
                seed = seed * 1103515245u + 12345u;
                used << QString("m%1").arg(int((seed >> 16) % quint32(k)));
            }
            // m5 and m30 use each other: modules above them that reach either sit on no cycle
            // yet get no chain; the others keep theirs.
            if (withCycle && k == 5)
                used << "m30";
            if (withCycle && k == 30)
                used << "m5" << "outside";
            m->modulesUsed = used;
            modules.insert(m->name.toLower(), m);
            uses.append({m->name, used});
        }
        const UseChain whole(uses);
        int compared = 0;
        for (const auto &[key, m] : modules) {
            SCOPED_TRACE(qPrintable(key));
            EXPECT_EQ(resolvedUseChain(modules, m->name), whole.usedModuleNamesForModuleNamed(key));
            ++compared;
        }
        EXPECT_EQ(compared, 40);
        QString message;
        cleanUpUseChains(modules, message);
        EXPECT_EQ(message, whole.errorMessage());
        EXPECT_EQ(message.isNull(), !withCycle);
    }
}

TEST(ProjectIndexMerge, ParentTypes)
{
    const auto index = gatherProjectDeclarations(
        parseAll(
            {{"/p/a.f90", "module base1\n type :: shape\n  real :: a\n end type\nend module\n"},
             {"/p/b.f90", "module base2\n type :: shape\n  real :: b\n end type\n"
                          " type, extends(loop) :: loop\n end type\n"
                          " type, extends(y) :: x\n end type\n"
                          " type, extends(x) :: y\n end type\nend module\n"},
             {"/p/c.f90", "module user\n use base2\n type, extends(shape) :: sq\n end type\n"
                          "end module\n"
                          "subroutine s\n type, extends(shape) :: local\n end type\nend\n"}}),
        true);
    const auto typeIn = [&](const QString &module, const QString &type) {
        return lookupDeclaration(index->projectModulesDictionary.value(module)->types, type);
    };
    // The last module defining the parent's name wins.
    EXPECT_EQ(typeIn("user", "sq")->superclassType, typeIn("base2", "shape"));
    const auto s = index->projectGlobalProceduresDictionary.value("s");
    EXPECT_EQ(lookupDeclaration(s->types, "local")->superclassType, typeIn("base2", "shape"));
    // Cycles of parents are cut (they would leak and loop every walk); the names stay.
    EXPECT_EQ(typeIn("base2", "loop")->superclassType, nullptr);
    EXPECT_EQ(typeIn("base2", "loop")->superclassName, "loop");
    const bool xy = typeIn("base2", "x")->superclassType && typeIn("base2", "y")->superclassType;
    EXPECT_FALSE(xy);
    // Symbols of the child, made from the merged records, include the inherited component.
    const auto user = index->projectModulesDictionary.value("user");
    const auto sqSymbols = DeclarationSearch(index->projectModulesDictionary)
                               .symbolsForDerivedType(*typeIn("user", "sq"), user);
    ASSERT_TRUE(sqSymbols);
    EXPECT_EQ(sorted(sqSymbols->variableNames), QStringList({"b"}));
}

// A first merge links this round's parses in place; a later merge of the same records (which
// the first snapshot shares) works on copies and gives the same links, leaving the first
// snapshot as it was.
TEST(ProjectIndexMerge, ExclusiveInputsAreLinkedInPlaceAndLaterMergesCopyThem)
{
    auto inputs = parseAll({
        {"/p/a.f90", "module base\n type :: shape\n  real :: a\n end type\ncontains\n"
                     " subroutine grow(s)\n  class(shape) :: s\n end subroutine\nend module\n"},
        {"/p/b.f90", "module user\n use base\n type, extends(shape) :: sq\n end type\n"
                     "end module\n"},
    });
    for (MergeInput &in : inputs)
        in.exclusive = true;
    const auto first = gatherProjectDeclarations(inputs, true);
    const auto parsedUser = inputs[1].declarations->moduleNamed("user");
    EXPECT_EQ(first->projectModulesDictionary.value("user"), parsedUser);

    for (MergeInput &in : inputs)
        in.exclusive = false;
    const auto second = gatherProjectDeclarations(inputs, true);
    EXPECT_NE(second->projectModulesDictionary.value("user"), parsedUser);
    for (const auto &index : {first, second}) {
        const auto base = index->projectModulesDictionary.value("base");
        const auto user = index->projectModulesDictionary.value("user");
        const auto sq = lookupDeclaration(user->types, "sq");
        // Each snapshot links to its own records: parent type, host of a module procedure.
        EXPECT_EQ(sq->superclassType, lookupDeclaration(base->types, "shape"));
        EXPECT_EQ(lookupDeclaration(base->procedures, "grow")->definingProgramUnit.lock(), base);
        const auto sqSymbols =
            DeclarationSearch(index->projectModulesDictionary).symbolsForDerivedType(*sq, user);
        ASSERT_TRUE(sqSymbols);
        EXPECT_EQ(sorted(sqSymbols->variableNames), QStringList({"a"}));
        EXPECT_EQ(index->dependants.value("/p/a.f90"), QStringList{"/p/b.f90"});
    }
}

// Procedure scopes are made when first asked for, possibly by several threads at once: each
// key gets one scope, and a module procedure's scope sees its module's private names.
TEST(ProjectIndexMerge, ProcedureScopesMadeOnRequestFromSeveralThreads)
{
    QString source = "module m\n private\n real :: hidden\n public :: p0\ncontains\n";
    for (int i = 0; i < 40; ++i)
        source += QString(" subroutine p%1(a%1)\n  real :: a%1\n end subroutine\n").arg(i);
    source += "end module\nsubroutine outer(z)\n use m\n integer :: z\nend subroutine\n";
    const auto index = gatherProjectDeclarations(parseAll({{"/p/m.f90", source}}), true);
    ASSERT_TRUE(index->projectSymbolsIndex);
    const SymbolsIndex &symbols = *index->projectSymbolsIndex;
    const QStringList keys = symbols.keys();
    ASSERT_EQ(keys.size(), 42);
    std::vector<std::vector<const SymbolScope *>> seen(4);
    std::vector<std::thread> threads;
    for (auto &mine : seen)
        threads.emplace_back([&symbols, &keys, &mine] {
            for (const QString &key : keys)
                mine.push_back(symbols.scope(key));
        });
    for (auto &t : threads)
        t.join();
    for (const auto &mine : seen) {
        EXPECT_EQ(mine, seen.front());
        EXPECT_EQ(std::count(mine.begin(), mine.end(), nullptr), 0);
    }
    const auto p7 = symbols.symbols(symbolsIndexKey("m", "p7"));
    ASSERT_TRUE(p7 && p7->variableNames);
    EXPECT_TRUE(p7->variableNames->contains("a7"));
    EXPECT_TRUE(p7->variableNames->contains("hidden"));
    const auto outer = symbols.symbols(symbolsIndexKey(QString(), "outer"));
    ASSERT_TRUE(outer && outer->variableNames);
    EXPECT_TRUE(outer->variableNames->contains("z"));
    EXPECT_FALSE(outer->variableNames->contains("hidden"));
}

// A submodule is hosted by its ancestor module once the files meet: its separate module
// procedures take the interfaces over, its file depends on the module's, and its procedures'
// completion scopes see the module's names. The parsed records are left as they were.
TEST(ProjectIndexMerge, SubmodulesMeetTheirAncestor)
{
    const auto inputs = parseAll({
        {"/p/points.f90", "module points\n  real, private :: scale\n  interface\n"
                          "    module function dist(a, b)\n      real :: a, b, dist\n"
                          "    end function\n  end interface\nend module\n"},
        {"/p/points_a.f90", "submodule (points) points_a\ncontains\n  module procedure dist\n"
                            "    dist = abs(a - b) * scale\n  end procedure\nend submodule\n"},
    });
    const auto index = gatherProjectDeclarations(inputs, true);
    const auto file = index->declarationsForFile("/p/points_a.f90");
    ASSERT_TRUE(file && file->submodules);
    const auto submodule = file->submodules->value("points_a");
    ASSERT_TRUE(submodule);
    EXPECT_EQ(submodule->definingProgramUnit.lock(),
              index->projectModulesDictionary.value("points"));
    const auto dist = lookupDeclaration(submodule->procedures, "dist");
    ASSERT_TRUE(dist);
    EXPECT_EQ(dist->pUnitType, unsigned(FunctionType));
    EXPECT_EQ(dist->argumentList, "(a,b)");
    EXPECT_THAT(sorted(index->dependants.value("/p/points.f90")), ElementsAre("/p/points_a.f90"));
    ASSERT_TRUE(index->projectSymbolsIndex);
    const auto symbols = index->projectSymbolsIndex->symbols("dist_in_points_a");
    ASSERT_TRUE(symbols && symbols->variableNames);
    EXPECT_TRUE(symbols->variableNames->contains("scale"));

    const auto parsed = inputs[1].declarations->submodules->value("points_a");
    EXPECT_TRUE(parsed->definingProgramUnit.expired());
    EXPECT_EQ(lookupDeclaration(parsed->procedures, "dist")->pUnitType, unsigned(NoUnitType));
}
