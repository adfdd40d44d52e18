// Declaration information for a name at the cursor, over a merged project: intrinsics, project
// units by name, scope-chain hits, component chains and the cases where the editor beeps.
#include "project/projectlookup.h"

#include "analysis/ffileparser.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace
{

const QString kGeo = "module geo\n type :: point\n  real :: x, y\n end type\n"
                     " type :: body\n  type(point) :: centre\n contains\n"
                     "  procedure :: move => body_move\n end type\n real :: g = 9.81\n"
                     "contains\n subroutine body_move(self)\n  class(body) :: self\n"
                     " end subroutine\nend module\n";
const QString kMain = "module sim\n use geo\ncontains\n subroutine run(n)\n  integer :: n\n"
                      "  type(body) :: b\n  real :: sqrt_val\n end subroutine\nend module\n"
                      "subroutine helper()\nend subroutine\n";
const QString kTop = "module top\n use sim\n use outside\nend module\n";

struct Fixture {
    std::shared_ptr<ProjectIndex> index;
    Fixture()
    {
        QList<MergeInput> inputs;
        for (const auto &[path, text] :
             {std::pair{QString("/p/geo.f90"), kGeo}, std::pair{QString("/p/main.f90"), kMain},
              std::pair{QString("/p/top.f90"), kTop}}) {
            FFileParser parser;
            inputs.append({path, parser.declarationsInFortranFile(path, text, 1)});
        }
        index = gatherProjectDeclarations(inputs, true);
    }
};

} // namespace

TEST(ProjectLookup, Table)
{
    const Fixture f;
    const auto current = f.index->declarationsForFile("/p/main.f90");
    const QSet<QString> intrinsics{"sqrt", "size"};
    struct Case {
        const char *name;
        LookupScope scope;
        LookupResult::Kind kind;
        QString textStart; // the text starts with this
        QString textEnd;   // and ends with this
    } cases[] = {
        {"intrinsic in any case",
         {"run", "sim", {"SQRT"}},
         LookupResult::Intrinsic,
         "sqrt",
         "sqrt"},
        {"project module by name",
         {"run", "sim", {"geo"}},
         LookupResult::Info,
         " Module Name:\tgeo\n",
         "\n Declared in:\n\tFile:      geo.f90"},
        {"a module lists every project module below it, deepest first",
         {QString(), QString(), {"Top"}},
         LookupResult::Info,
         " Module Name:\ttop\n Modules USEed: \n\tgeo \n\tsim \n",
         "\tFile:      top.f90"},
        {"global procedure by name",
         {QString(), QString(), {"Helper"}},
         LookupResult::Info,
         " Procedure Name:\thelper \n",
         "\tFile:      main.f90"},
        {"local variable: current file",
         {"run", "sim", {"n"}},
         LookupResult::Info,
         " Variable Name: \tn\n",
         "\tProcedure: run\n\tFile:      main.f90"},
        {"used module variable",
         {"run", "sim", {"g"}},
         LookupResult::Info,
         " Variable Name: \tg\n",
         "\tModule:    geo\n\tFile:      geo.f90"},
        {"component chain",
         {"run", "sim", {"x", "centre", "b"}},
         LookupResult::Info,
         " Variable Name: \tx\n",
         "\tType:      point\n\tModule:    geo\n\tFile:      geo.f90"},
        {"binding through chain",
         {"run", "sim", {"move", "b"}},
         LookupResult::Info,
         " Procedure Name:\tbody_move \n",
         "\tType:      body\n\tModule:    geo\n\tFile:      geo.f90"},
        {"unknown name", {"run", "sim", {"nothing"}}, LookupResult::NotFound, "", ""},
        {"unknown component", {"run", "sim", {"z", "b"}}, LookupResult::NotFound, "", ""},
        {"empty scope chain", {"other", "unknown", {"n"}}, LookupResult::NotFound, "", ""},
        {"empty chain", {"run", "sim", {}}, LookupResult::NotFound, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const LookupResult r =
            lookupDeclarationInfo(*f.index, current.get(), "/p/main.f90", c.scope, intrinsics);
        EXPECT_EQ(r.kind, c.kind);
        if (c.kind == LookupResult::NotFound) {
            EXPECT_TRUE(r.text.isNull()) << qPrintable(r.text);
            continue;
        }
        EXPECT_TRUE(r.text.startsWith(c.textStart)) << qPrintable(r.text);
        EXPECT_TRUE(r.text.endsWith(c.textEnd)) << qPrintable(r.text);
    }
    // Without the current file's declarations only the by-name lookups answer.
    EXPECT_EQ(lookupDeclarationInfo(*f.index, nullptr, "/p/x.f90", {"run", "sim", {"n"}}, {}).kind,
              LookupResult::NotFound);
}

// A procedure an INCLUDE line brought into its module is told in the file it stands in.
TEST(ProjectLookup, ProcedureOfAnIncludeFileNamesThatFile)
{
    const QString text = "module shapes\ncontains\n  subroutine grow(r)\n    real :: r\n"
                         "  end subroutine\n  subroutine run()\n  end subroutine\nend module\n";
    // What splicing 'grow.inc' over lines 3 to 5 maps.
    FPreprocessor::Result map;
    map.text = text;
    map.files = QStringList{"/p/shapes.f90", "/p/inc/grow.inc"};
    map.lineMap = {{0, 1}, {0, 2}, {1, 1}, {1, 2}, {1, 3}, {0, 4}, {0, 5}, {0, 6}};
    FFileParser parser;
    const QList<MergeInput> inputs{
        {"/p/shapes.f90", parser.declarationsInFortranFile("/p/shapes.f90", text, 1, &map)}};
    const auto index = gatherProjectDeclarations(inputs, true);
    const auto current = index->declarationsForFile("/p/shapes.f90");
    const LookupResult grow =
        lookupDeclarationInfo(*index, current.get(), "/p/shapes.f90", {"run", "shapes", {"grow"}}, {});
    EXPECT_EQ(grow.kind, LookupResult::Info);
    EXPECT_TRUE(grow.text.endsWith("\tModule:    shapes\n\tFile:      grow.inc")) << qPrintable(grow.text);
    const LookupResult run =
        lookupDeclarationInfo(*index, current.get(), "/p/shapes.f90", {"run", "shapes", {"run"}}, {});
    EXPECT_TRUE(run.text.endsWith("\tFile:      shapes.f90")) << qPrintable(run.text);
}
