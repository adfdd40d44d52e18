// Names visible through USE as the compiler sees them, over small multi-module projects parsed
// from inline sources: the symbols index of one scope, and the declaration search from that scope,
// must agree on what a unit sees (PUBLIC/PRIVATE defaults, access lists and attributes, ONLY
// lists, renames in both forms, cycles, host association, types through a rename).
#include "analysis/declarationsearch.h"
#include "analysis/ffileparser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane;

namespace
{

struct Project {
    QList<std::shared_ptr<FFileDeclarations>> files;
    ModulesDictionary modules;

    explicit Project(const QStringList &sources)
    {
        for (qsizetype i = 0; i < sources.size(); ++i) {
            FFileParser parser;
            files.append(parser.declarationsInFortranFile(QString("/p/f%1.f90").arg(i),
                                                          sources[i], 1));
            if (files.last()->modules)
                for (const auto &e : *files.last()->modules)
                    modules.insert(e.first, e.second);
        }
    }
};

// Every name of a symbols record, tagged by set: "v:x", "f:norm(a = !^)", "s:run", "t:point",
// "d:p" (variable of derived type), sorted.
QStringList tagged(const FSymbols &s)
{
    QStringList out;
    const std::pair<const char *, const FSymbols::NameSet *> sets[] = {
        {"v:", &s.variableNames},
        {"f:", &s.functionProcedureNames},
        {"s:", &s.subroutineProcedureNames},
        {"t:", &s.typeNames},
        {"d:", &s.variablesThatAreDerivedTypes}};
    for (const auto &[tag, set] : sets)
        if (*set)
            for (const QString &name : **set)
                out << tag + name;
    out.sort();
    return out;
}

QString describe(const std::optional<SearchResult> &r)
{
    if (!r)
        return "absent";
    QString s = "none";
    if (auto v = std::get_if<std::shared_ptr<FVariable>>(&r->object))
        s = "var:" + (*v)->name;
    else if (auto p = std::get_if<std::shared_ptr<FProgramUnit>>(&r->object))
        s = "unit:" + (*p)->name;
    else if (auto t = std::get_if<std::shared_ptr<FDerivedType>>(&r->object))
        s = "type:" + (*t)->name;
    s += " @ " + (r->programUnit ? r->programUnit->name : "null");
    if (r->dType)
        s += " {" + r->dType->name + "}";
    return s;
}

const QString kLib = R"(module lib
  implicit none
  private
  public :: api, shared_t, visible_n, gen
  integer :: hidden_n, visible_n
  integer, public :: marked_n
  type :: shared_t
    integer :: k
  end type
  type :: secret_t
  end type
  interface gen
    module procedure gen_a
  end interface
contains
  subroutine api(x)
    integer :: x
  end subroutine
  subroutine helper()
  end subroutine
  function gen_a(y) result(r)
    real :: y, r
  end function
end module
)";

const QString kOpen = R"(module open_m
  integer :: a, b, c
  private :: c, helper
contains
  subroutine helper()
  end subroutine
  subroutine tool(z)
    real :: z
  end subroutine
end module
)";

struct Lookup {
    QString name;
    QString want;
};

struct Case {
    const char *name;
    QStringList sources;
    QString module, procedure; // the scope
    QStringList visible;       // tagged names of the scope's symbols
    std::vector<Lookup> lookups;
};

const Case kCases[] = {
    {"private default with a public list and a public attribute",
     {kLib, "module user\n use lib\n integer :: own\ncontains\n subroutine work()\n end subroutine\n"
            "end module\n"},
     "user",
     "work",
     {"f:gen(y = !^)", "s:api(x = !^)", "s:work()", "t:shared_t", "v:marked_n", "v:own",
      "v:visible_n"},
     {{"visible_n", "var:visible_n @ lib"},
      {"marked_n", "var:marked_n @ lib"},
      {"hidden_n", "absent"},
      {"secret_t", "absent"},
      {"helper", "absent"},
      {"api", "unit:api @ lib"},
      {"shared_t", "type:shared_t @ lib"}}},
    {"public default with a private list",
     {kOpen, "module user\n use open_m\nend module\n"},
     "user",
     QString(),
     {"s:tool(z = !^)", "v:a", "v:b"},
     {{"b", "var:b @ open_m"}, {"c", "absent"}, {"helper", "absent"}}},
    {"an ONLY list brings only its names",
     {kOpen, "subroutine run()\n use open_m, only: b\n real :: mine\nend subroutine\n"},
     QString(),
     "run",
     {"v:b", "v:mine"},
     {{"b", "var:b @ open_m"}, {"a", "absent"}, {"tool", "absent"}}},
    {"renames in an ONLY list and in a plain USE",
     {kOpen, "module user\n use open_m, only: first => a, run => tool\n"
             " use open_m, second => b\nend module\n"},
     "user",
     QString(),
     // the plain USE still brings a and tool under their own names; b only as second
     {"s:run(z = !^)", "s:tool(z = !^)", "v:a", "v:first", "v:second"},
     {{"first", "var:a @ open_m"},
      {"second", "var:b @ open_m"},
      {"run", "unit:tool @ open_m"},
      {"b", "absent"}}},
    {"a private module passes on only what it makes public",
     {kOpen, "module middle\n use open_m\n private\n public :: a, extra\n integer :: extra, own\n"
             "end module\n",
      "module top\n use middle\nend module\n"},
     "top",
     QString(),
     {"v:a", "v:extra"},
     {{"a", "var:a @ open_m"}, {"b", "absent"}, {"own", "absent"}}},
    {"a public module passes on its uses, except what it makes private",
     {kOpen, "module middle\n use open_m\n private :: b\nend module\n",
      "module top\n use middle\nend module\n"},
     "top",
     QString(),
     {"s:tool(z = !^)", "v:a"},
     {{"a", "var:a @ open_m"}, {"b", "absent"}}},
    {"a USE cycle ends and each side sees the other",
     {"module m1\n use m2\n integer :: one\nend module\n",
      "module m2\n use m1\n integer :: two\nend module\n"},
     "m1",
     QString(),
     {"v:one", "v:two"},
     {{"two", "var:two @ m2"}, {"nothing", "absent"}}},
    {"a module procedure sees its module's private names",
     {kLib},
     "lib",
     "helper",
     {"f:gen(y = !^)", "s:api(x = !^)", "s:helper()", "t:secret_t", "t:shared_t", "v:hidden_n",
      "v:marked_n", "v:visible_n"},
     {{"hidden_n", "var:hidden_n @ lib"}, {"secret_t", "type:secret_t @ lib"}}},
    {"a type renamed by USE",
     {"module shapes\n type :: point\n  real :: x, y\n end type\nend module\n",
      "module user\n use shapes, only: pt => point\n type(pt) :: p\nend module\n"},
     "user",
     QString(),
     {"d:p", "t:pt", "v:p"},
     {{"pt", "type:point @ shapes"}, {"point", "absent"}}},
};

} // namespace

TEST(Visibility, SymbolsIndexAndSearchAgree)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        Project p(c.sources);
        DeclarationSearch search(p.modules);
        const auto index = search.symbolsForProjectFiles(p.files);
        ASSERT_TRUE(index);
        const QString key = symbolsIndexKey(c.module, c.procedure);
        const auto symbols = index->symbols(key);
        ASSERT_TRUE(symbols) << qPrintable(key);
        EXPECT_EQ(tagged(*symbols), c.visible) << qPrintable(tagged(*symbols).join(' '));

        QList<std::shared_ptr<FProgramUnit>> chain; // from the file that defines the scope
        for (const auto &file : p.files)
            if (chain.isEmpty())
                chain = search.buildScopeSearchChain(c.procedure, c.module, *file);
        ASSERT_FALSE(chain.isEmpty());
        for (const Lookup &l : c.lookups)
            EXPECT_EQ(describe(search.objectAndScopeForName(l.name, chain)), l.want)
                << qPrintable(l.name);
    }
}

TEST(Visibility, ComponentsThroughARenamedType)
{
    Project p({"module shapes\n type :: point\n  real :: x, y\n end type\nend module\n",
               "module user\n use shapes, only: pt => point\n type(pt) :: p\nend module\n"});
    DeclarationSearch search(p.modules);
    const auto chain = search.buildScopeSearchChain(QString(), "user", *p.files.last());
    const ChainSearchResult r = search.objectAndScopeForNameInChain({"x", "p"}, chain);
    EXPECT_EQ(describe(r.result), "var:x @ shapes {point}");
    EXPECT_FALSE(r.shouldBeep);
    // The type's own name is not visible: a component chain through it fails.
    Project q({"module shapes\n type :: point\n  real :: x\n end type\nend module\n",
               "module user\n use shapes, only: pt => point\n type(point) :: p\nend module\n"});
    DeclarationSearch other(q.modules);
    const auto chain2 = other.buildScopeSearchChain(QString(), "user", *q.files.last());
    EXPECT_TRUE(other.objectAndScopeForNameInChain({"x", "p"}, chain2).shouldBeep);
}

TEST(Visibility, MatchesWalkLayersWithPrefixes)
{
    Project p({kOpen, "module user\n use open_m, only: first => a, run => tool\n"
                      " integer :: fine\nend module\n"});
    DeclarationSearch search(p.modules);
    const auto index = search.symbolsForProjectFiles(p.files);
    ASSERT_TRUE(index);
    QSet<QString> out;
    index->addMatches("Module_user", SymbolKind::Variable, "FI", out);
    EXPECT_EQ(out, QSet<QString>({"fine", "first"}));
    out.clear();
    index->addMatches("Module_user", SymbolKind::Subroutine, "r", out);
    EXPECT_EQ(out, QSet<QString>({"run(z = !^)"}));
    out.clear();
    index->addMatches("no_such_scope", SymbolKind::Variable, "", out);
    EXPECT_TRUE(out.isEmpty());
}

// A name an ONLY list gives twice is one name, written as it was given last.
TEST(Visibility, RepeatedOnlyNamesAreOneName)
{
    Project p({"module m\n integer :: a, b, c\nend module\n",
               "module user\n use m, only: a, A, x => b, x => b\nend module\n"});
    DeclarationSearch search(p.modules);
    const auto index = search.symbolsForProjectFiles(p.files);
    ASSERT_TRUE(index);
    QStringList out;
    index->addMatches("Module_user", {SymbolKind::Variable}, "", out);
    out.sort();
    EXPECT_EQ(out, QStringList({"A", "x"}));
    const auto chain = search.buildScopeSearchChain(QString(), "user", *p.files.last());
    EXPECT_EQ(describe(search.objectAndScopeForName("x", chain)).left(5), "var:b");
}

TEST(Visibility, ParserRecordsUseStatementsAndDefaultAccess)
{
    FFileParser parser;
    const auto d = parser.declarationsInFortranFile(
        "/p/u.f90",
        "module u\n use a, only: x => y, z, operator(+), assignment(=)\n use b, r => s\n"
        " use, intrinsic :: iso_c_binding\n use c\n private\nend module\n",
        1);
    const auto u = lookupDeclaration(d->modules, "u");
    ASSERT_TRUE(u && u->useStatements);
    ASSERT_EQ(u->useStatements->size(), 3);
    const FUseStatement &a = u->useStatements->at(0);
    EXPECT_EQ(a.moduleName, "a");
    EXPECT_TRUE(a.only);
    ASSERT_EQ(a.names.size(), 2);
    EXPECT_EQ(a.names[0].name + ">" + a.names[0].value, "x>y");
    EXPECT_EQ(a.names[1].name + ">" + a.names[1].value, "z>z");
    const FUseStatement &b = u->useStatements->at(1);
    EXPECT_FALSE(b.only);
    ASSERT_EQ(b.names.size(), 1);
    EXPECT_EQ(b.names[0].name + ">" + b.names[0].value, "r>s");
    EXPECT_TRUE(u->useStatements->at(2).names.isEmpty());
    EXPECT_EQ(u->defaultAccess.text(), "private");
    EXPECT_EQ(nameInUsedModule(a, "x"), "y");
    EXPECT_EQ(nameInUsedModule(a, "y"), std::nullopt);
    EXPECT_EQ(nameInUsedModule(b, "s"), std::nullopt); // renamed away
    EXPECT_EQ(nameInUsedModule(b, "t"), "t");
}
